// SPDX-License-Identifier: MIT
// hypomean over hostile inputs. It opens "t1" first and "res.dat" next, and
// writes "res.dat" only after reading: a failure while reading leaves
// "res.dat" created empty, or as it was, and the echo lines of the records
// read before it on standard output.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

const std::string kRecord = "12.5 -3.25 8.0 100.0 1 2 3 4 5 6";
// Its echo on standard output: reals in 16 columns, integers in 11.
const std::string kEcho =
    "   12.5000000      -3.25000000       8.00000000       100.000000               1           2           3"
    "           4           5           6";
// The result of kRecord alone: its values as means, errors 0.
const std::string kResult =
    "  12.500    0.000   -3.250    0.000    8.000    0.000  100.000    0.000    1    2    3    4    5    6";
const std::string kOldResult = "an old result\n";

// The count line: the text "Promediando ", a blank, the count in 11 columns,
// a blank and the text " datos".
std::string count_line(int count) {
  std::string digits = std::to_string(count);
  return " Promediando  " + std::string(11 - digits.size(), ' ') + digits + "  datos";
}

std::vector<ProgramCase> cases() {
  std::string nan_result;
  for (int i = 0; i < 8; ++i) nan_result += "     NaN ";
  nan_result += "   0    0    0    0    0    0";
  return {
      {"BinaryGarbage",
       {file("t1", binary_garbage())},
       1,
       matching(R"(hypomean: t1:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {created_empty("res.dat")}},
      {"BinaryGarbageKeepsExistingResult",
       {file("t1", binary_garbage()), file("res.dat", kOldResult)},
       1,
       matching(R"(hypomean: t1:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {unchanged("res.dat")}},
      // A record takes the first ten values of its line; the rest is passed over.
      {"TenMegabyteLine",
       {made_file("t1",
                  [] {
                    std::string text = kRecord;
                    text.reserve(kTenMegabytes + 8);
                    while (text.size() < kTenMegabytes) text += " 7.5";
                    return text + "\n";
                  })},
       0,
       exactly(""),
       exactly(lines_of({kEcho, count_line(1)})),
       {holds("res.dat", lines_of({kResult}))}},
      // The message quotes the first 40 bytes and gives the length.
      {"TenMegabyteNumber",
       {made_file("t1", [] { return std::string(kTenMegabytes, '1'); })},
       1,
       exactly("hypomean: t1:1: column 1: a value of more than 1048576 bytes (values are read up to 1 MiB)\n"),
       exactly(""),
       {created_empty("res.dat")}},
      // No record: every mean and error is 0/0.
      {"EmptyFile",
       {file("t1", ""), file("res.dat", kOldResult)},
       0,
       exactly("hypomean: note: floating-point exceptions were raised: invalid operation\n"),
       exactly(lines_of({count_line(0)})),
       {holds("res.dat", lines_of({nan_result}))}},
      {"InputIsDirectory",
       {directory("t1")},
       1,
       exactly("hypomean: t1: Is a directory\n"),
       exactly(""),
       {absent("res.dat")}},
      {"OutputIsDirectory",
       {file("t1", lines_of({kRecord})), directory("res.dat")},
       1,
       exactly("hypomean: res.dat: Is a directory\n"),
       exactly(""),
       {still_directory("res.dat")}},
      {"OutputOnFullDevice",
       {file("t1", lines_of({kRecord})), full_device("res.dat")},
       1,
       exactly("hypomean: res.dat: No space left on device\n"),
       exactly(lines_of({kEcho, count_line(1)})),
       {still_full_device("res.dat")}},
      // A record cut short by the end of the file is not counted.
      {"CutInsideSecondRecord",
       {file("t1", kRecord + "\n13.0 -3.75 9.0 101.0 7 8 9 1")},
       0,
       exactly(""),
       exactly(lines_of({kEcho, count_line(1)})),
       {holds("res.dat", lines_of({kResult}))}},
      {"IntegerBeyond32Bits",
       {file("t1", lines_of({kRecord, "12.5 -3.25 8.0 100.0 4294967296 2 3 4 5 6"}))},
       1,
       exactly("hypomean: t1:2: columns 22-31: integer \"4294967296\" is out of range (allowed: -2147483648 to "
               "2147483647)\n"),
       exactly(lines_of({kEcho})),
       {created_empty("res.dat")}},
      // The smallest integer is read; it does not fit four columns.
      {"SmallestInteger",
       {file("t1", lines_of({"12.5 -3.25 8.0 100.0 -2147483648 2 3 4 5 6"}))},
       0,
       exactly(""),
       std::nullopt,
       {holds("res.dat", lines_of({kResult.substr(0, 72) + "****" + kResult.substr(76)}))}},
      {"RealBeyondRange",
       {file("t1", lines_of({"3.5e38 -3.25 8.0 100.0 1 2 3 4 5 6"})), file("res.dat", kOldResult)},
       1,
       exactly("hypomean: t1:1: columns 1-6: number \"3.5e38\" is beyond the range of a real\n"),
       exactly(""),
       {unchanged("res.dat")}},
      {"TextWhereRealIsDue",
       {file("t1", lines_of({"12.5 abc 8.0 100.0 1 2 3 4 5 6"}))},
       1,
       exactly("hypomean: t1:1: columns 6-8: cannot read \"abc\" as a number\n"),
       exactly(""),
       {created_empty("res.dat")}},
      {"RealWhereIntegerIsDue",
       {file("t1", lines_of({"12.5 -3.25 8.0 100.0 1 2.0 3 4 5 6"}))},
       1,
       exactly("hypomean: t1:1: columns 24-26: cannot read \"2.0\" as an integer\n"),
       exactly(""),
       {created_empty("res.dat")}},
  };
}

class HypomeanHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(HypomeanHostile, EndsAsStated) { run_case("hypomean", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, HypomeanHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
