// SPDX-License-Identifier: MIT
// mwcalc over hostile inputs. It opens "mw.dat" before it reads anything and
// prints only after both inputs are read: a failure while reading leaves
// "mw.dat" created empty, or as it was, and nothing on standard output.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

const std::string kEpicentre = "40.5 -3.7 10.0\n";
const std::string kOldMagnitude = "1.5\n";
// The four labelled values on standard output, whatever their digits.
const std::string kFourValues = R"( Nivel plano +\S+ *\n Nivel a la 10 +\S+ *\n Mo = +\S+ *\n Mw = +\S+ *\n)";

std::vector<ProgramCase> cases() {
  return {
      {"BinaryGarbageEpicentre",
       {file("epi.dat", binary_garbage()), file("t1.promedio", "2.0\n")},
       1,
       matching(R"(mwcalc: epi\.dat:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {created_empty("mw.dat")}},
      {"BinaryGarbageLevel",
       {file("epi.dat", kEpicentre), file("t1.promedio", binary_garbage()), file("mw.dat", kOldMagnitude)},
       1,
       matching(R"(mwcalc: t1\.promedio:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {unchanged("mw.dat")}},
      // A line of blanks holds no value: the three come from the next line.
      {"TenMegabyteBlankLine",
       {made_file("epi.dat", [] { return std::string(kTenMegabytes, ' ') + "\n" + kEpicentre; }),
        file("t1.promedio", "2.0\n")},
       0,
       exactly(""),
       matching(kFourValues),
       {holds("mw.dat", "2.6\n")}},
      {"TenMegabyteNumber",
       {file("epi.dat", kEpicentre), made_file("t1.promedio", [] { return std::string(kTenMegabytes, '9') + "\n"; })},
       1,
       exactly("mwcalc: t1.promedio:1: column 1: a value of more than 1048576 bytes (values are read up to 1 MiB)\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      {"EmptyEpicentre",
       {file("epi.dat", ""), file("t1.promedio", "2.0\n"), file("mw.dat", kOldMagnitude)},
       1,
       exactly("mwcalc: epi.dat: end of file (the file is empty): expected 3 values, found 0\n"),
       exactly(""),
       {unchanged("mw.dat")}},
      {"EmptyLevel",
       {file("epi.dat", kEpicentre), file("t1.promedio", "")},
       1,
       exactly("mwcalc: t1.promedio: end of file (the file is empty): expected 1 value, found 0\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      {"EpicentreIsDirectory",
       {directory("epi.dat"), file("t1.promedio", "2.0\n")},
       1,
       exactly("mwcalc: epi.dat: Is a directory\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      {"LevelIsDirectory",
       {file("epi.dat", kEpicentre), directory("t1.promedio")},
       1,
       exactly("mwcalc: t1.promedio: Is a directory\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      {"OutputIsDirectory",
       {file("epi.dat", kEpicentre), file("t1.promedio", "2.0\n"), directory("mw.dat")},
       1,
       exactly("mwcalc: mw.dat: Is a directory\n"),
       exactly(""),
       {still_directory("mw.dat")}},
      {"OutputOnFullDevice",
       {file("epi.dat", kEpicentre), file("t1.promedio", "2.0\n"), full_device("mw.dat")},
       1,
       exactly("mwcalc: mw.dat: No space left on device\n"),
       matching(kFourValues),
       {still_full_device("mw.dat")}},
      {"EpicentreCutShort",
       {file("epi.dat", "40.5 -3.7"), file("t1.promedio", "2.0\n")},
       1,
       exactly("mwcalc: epi.dat: end of file after line 1: expected 3 values, found 2\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      // Twenty digits are a real like any other; 10 to that power is beyond
      // the range of a real: infinite moment and magnitude, and the note.
      {"LevelOfTwentyDigits",
       {file("epi.dat", kEpicentre), file("t1.promedio", "12345678901234567890\n")},
       0,
       exactly("mwcalc: note: floating-point exceptions were raised: overflow\n"),
       matching(R"( Nivel plano +1\.23456794E\+19\n Nivel a la 10 +Infinity\n Mo = +Infinity\n Mw = +Infinity\n)"),
       {holds("mw.dat", "Inf\n")}},
      {"LevelBeyondRealRange",
       {file("epi.dat", kEpicentre), file("t1.promedio", "-1e39\n")},
       1,
       exactly("mwcalc: t1.promedio:1: columns 1-5: number \"-1e39\" is beyond the range of a real\n"),
       exactly(""),
       {created_empty("mw.dat")}},
      // Below the range a level is zero: Mo = 33.929173 * 320000^3 / 1.2649111.
      {"LevelBelowRealRangeIsZero",
       {file("epi.dat", kEpicentre), file("t1.promedio", "1e-60\n")},
       0,
       exactly(""),
       matching(
           R"( Nivel plano +0\.00000000 *\n Nivel a la 10 +1\.00000000 *\n Mo = +8\.789\d+E\+17\n Mw = +1\.23\d+ *\n)"),
       {holds("mw.dat", "1.2\n")}},
      {"TextWhereNumberIsDue",
       {file("epi.dat", "40.5 norte 10.0\n"), file("t1.promedio", "2.0\n")},
       1,
       exactly("mwcalc: epi.dat:1: columns 6-10: cannot read \"norte\" as a number\n"),
       exactly(""),
       {created_empty("mw.dat")}},
  };
}

class MwcalcHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(MwcalcHostile, EndsAsStated) { run_case("mwcalc", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, MwcalcHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
