// SPDX-License-Identifier: MIT
// pathfix over hostile inputs. It opens "infile", then "oufile", then
// "t1dhp", and writes "oufile" only after all reading: a failure while
// reading leaves "oufile" created empty, or as it was (not even created when
// "infile" cannot be opened).
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

// A zero distance makes every corrected amplitude zero, whatever the
// platform's power and exponential functions give.
const std::string kDistance = "0 0\n";
const std::string kSpectrum = "0 0.5 3\nany record\n1.0\n2.0\n";
const std::string kZero = "   0.00000000    ";
const std::string kFirstFrequency = "  0.500000000    ";  // the step 0.5
const std::string kOldSpectrum = "old spectrum\n";

std::vector<ProgramCase> cases() {
  return {
      {"BinaryGarbageSpectrum",
       {file("infile", binary_garbage()), file("t1dhp", kDistance)},
       1,
       matching(R"(pathfix: infile:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {created_empty("oufile")}},
      {"BinaryGarbageDistance",
       {file("infile", kSpectrum), file("t1dhp", binary_garbage()), file("oufile", kOldSpectrum)},
       1,
       matching(R"(pathfix: t1dhp:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {unchanged("oufile")}},
      // The record after the header is passed over whatever its length.
      {"TenMegabyteRecordPassedOver",
       {made_file("infile", [] { return "0 0.5 3\n" + std::string(kTenMegabytes, 'x') + "\n1.0\n2.0\n"; }),
        file("t1dhp", kDistance)},
       0,
       exactly(""),
       exactly(lines_of({kFirstFrequency})),
       {holds("oufile", lines_of({kZero, kZero}))}},
      {"TenMegabyteNumber",
       {file("infile", kSpectrum), made_file("t1dhp", [] { return std::string(kTenMegabytes, '4') + " 3\n"; })},
       1,
       exactly("pathfix: t1dhp:1: column 1: a value of more than 1048576 bytes (values are read up to 1 MiB)\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"EmptySpectrum",
       {file("infile", ""), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile: end of file (the file is empty): expected 3 values, found 0\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"EmptyDistance",
       {file("infile", kSpectrum), file("t1dhp", ""), file("oufile", kOldSpectrum)},
       1,
       exactly("pathfix: t1dhp: end of file (the file is empty): expected 2 values, found 0\n"),
       exactly(""),
       {unchanged("oufile")}},
      {"SpectrumIsDirectory",
       {directory("infile"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile: Is a directory\n"),
       exactly(""),
       {absent("oufile")}},
      {"DistanceIsDirectory",
       {file("infile", kSpectrum), directory("t1dhp")},
       1,
       exactly("pathfix: t1dhp: Is a directory\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"OutputIsDirectory",
       {file("infile", kSpectrum), file("t1dhp", kDistance), directory("oufile")},
       1,
       exactly("pathfix: oufile: Is a directory\n"),
       exactly(""),
       {still_directory("oufile")}},
      {"OutputOnFullDevice",
       {file("infile", kSpectrum), file("t1dhp", kDistance), full_device("oufile")},
       1,
       exactly("pathfix: oufile: No space left on device\n"),
       exactly(lines_of({kFirstFrequency})),
       {still_full_device("oufile")}},
      // 100000 amplitudes fill the output buffer many times over: the first
      // write that fails ends the run.
      {"LargeOutputOnFullDevice",
       {made_file("infile",
                  [] {
                    std::string text = "0 0.5 100001\nany record\n";
                    for (int i = 0; i < 100000; ++i) text += "1.0\n";
                    return text;
                  }),
        file("t1dhp", kDistance), full_device("oufile")},
       1,
       exactly("pathfix: oufile: No space left on device\n"),
       exactly(""),
       {still_full_device("oufile")}},
      {"CutBeforeLastAmplitude",
       {file("infile", "0 0.5 5\nany record\n1.0\n2.0"), file("t1dhp", kDistance), file("oufile", kOldSpectrum)},
       1,
       exactly("pathfix: infile: end of file after line 4: expected 4 amplitudes, found 2\n"),
       exactly(""),
       {unchanged("oufile")}},
      {"CutBeforeRecordPassedOver",
       {file("infile", "0 0.5 3\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile: end of file after line 1: expected the record that follows the header\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"CutInsideHeader",
       {file("infile", "0 0.5"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile: end of file after line 1: expected 3 values, found 2\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"SampleCountBeyond32Bits",
       {file("infile", "0 0.5 4294967297\nany record\n1.0\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile:1: columns 7-16: integer \"4294967297\" is out of range (allowed: -2147483648 to "
               "2147483647)\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"SampleCountBeyondCapacity",
       {file("infile", "0 0.5 100002\nany record\n1.0\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile:1: sample count is too large: 100002 (allowed: at most 100001)\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"AmplitudeBeyondRealRange",
       {file("infile", "0 0.5 3\nany record\n1.0\n1e39\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile:4: columns 1-4: number \"1e39\" is beyond the range of a real\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"DistanceBeyondRealRange",
       {file("infile", kSpectrum), file("t1dhp", "30 -4e38\n")},
       1,
       exactly("pathfix: t1dhp:1: columns 4-8: number \"-4e38\" is beyond the range of a real\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"TextWhereStepIsDue",
       {file("infile", "0 paso 3\nany record\n1.0\n2.0\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile:1: columns 3-6: cannot read \"paso\" as a number\n"),
       exactly(""),
       {created_empty("oufile")}},
      {"RealWhereSampleCountIsDue",
       {file("infile", "0 0.5 3.0\nany record\n1.0\n2.0\n"), file("t1dhp", kDistance)},
       1,
       exactly("pathfix: infile:1: columns 7-9: cannot read \"3.0\" as an integer\n"),
       exactly(""),
       {created_empty("oufile")}},
  };
}

class PathfixHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(PathfixHostile, EndsAsStated) { run_case("pathfix", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, PathfixHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
