// SPDX-License-Identifier: MIT
// hypomean, run as a real process: its echo and count lines, its result
// record, its messages and its exit status.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "reference_format.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

struct Location {
  std::array<float, 4> reals;
  std::array<std::int32_t, 6> integers;
};

// The echo line of one location record on standard output: a blank, then the
// ten values, reals in 16 columns and integers in 11, one blank between.
std::string echo(const Location& l) {
  std::string line;
  for (const float x : l.reals) {
    line += ' ';
    line += reference_free_real(x);
  }
  for (const std::int32_t n : l.integers) {
    char field[16];
    std::snprintf(field, sizeof field, " %11d", n);
    line += field;
  }
  return line + "\n";
}

std::string echoes(const std::vector<Location>& locations) {
  std::string text;
  for (const Location& l : locations) text += echo(l);
  return text;
}

// The count line: the two texts around the count, right-justified in 11
// columns, 32 characters in all.
std::string count_line(const char* count) {
  char field[16];
  std::snprintf(field, sizeof field, "%11s", count);
  return std::string(" Promediando  ") + field + "  datos\n";
}

const std::string kNote = "hypomean: note: floating-point exceptions were raised: invalid operation\n";
const std::string kNaNs = "     NaN      NaN      NaN      NaN      NaN      NaN      NaN      NaN";

// The three location records of the worked example, and what they give.
const std::string kExampleT1 =
    "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\n"
    "13.0 -3.75 9.0 101.0 7 8 9 10 11 12\n"
    "12.0 -3.5 10.0 99.0 13 14 15 16 17 18\n";
const std::vector<Location> kExampleLocations = {{{12.5f, -3.25f, 8.0f, 100.0f}, {1, 2, 3, 4, 5, 6}},
                                                 {{13.0f, -3.75f, 9.0f, 101.0f}, {7, 8, 9, 10, 11, 12}},
                                                 {{12.0f, -3.5f, 10.0f, 99.0f}, {13, 14, 15, 16, 17, 18}}};
const std::string kExampleResult =
    "  12.500    0.236   -3.500    0.118    9.000    0.471  100.000    0.471    1    2    3    4    5    6\n";

// Ten location records: record i (1 to 10) holds i, -i/2, 10, i/4 and the
// integers i to i+5.
std::vector<Location> ten_locations() {
  std::vector<Location> locations;
  for (int i = 1; i <= 10; ++i) {
    const auto x = static_cast<float>(i);
    locations.push_back({{x, -0.5f * x, 10.0f, 0.25f * x}, {i, i + 1, i + 2, i + 3, i + 4, i + 5}});
  }
  return locations;
}

std::string t1_of(const std::vector<Location>& locations) {
  std::string text;
  for (const Location& l : locations) {
    char line[160];
    std::snprintf(line, sizeof line, "%g %g %g %g %d %d %d %d %d %d\n", static_cast<double>(l.reals[0]),
                  static_cast<double>(l.reals[1]), static_cast<double>(l.reals[2]), static_cast<double>(l.reals[3]),
                  l.integers[0], l.integers[1], l.integers[2], l.integers[3], l.integers[4], l.integers[5]);
    text += line;
  }
  return text;
}

const std::string kTenResult =
    "   5.500    0.908   -2.750    0.454   10.000    0.000    1.375    0.227    1    2    3    4    5    6\n";

// Ten origin times near 9876 s: the sum and the deviations in single
// precision give 9875.548 and 0.234, where wider arithmetic gives 9875.547
// and 0.233.
const std::vector<Location> kPrecisionLocations = [] {
  const float times[] = {9876.518f, 9874.121f, 9875.013f, 9875.194f, 9876.369f,
                         9875.949f, 9875.36f,  9875.924f, 9876.236f, 9874.787f};
  std::vector<Location> locations;
  for (const float t : times) locations.push_back({{t, 37.18f, -3.69f, 10.0f}, {2024, 3, 17, 14, 52, 11}});
  return locations;
}();
const std::string kPrecisionT1 =
    "9876.518 37.18 -3.69 10 2024 3 17 14 52 11\n9874.121 37.18 -3.69 10 2024 3 17 14 52 11\n"
    "9875.013 37.18 -3.69 10 2024 3 17 14 52 11\n9875.194 37.18 -3.69 10 2024 3 17 14 52 11\n"
    "9876.369 37.18 -3.69 10 2024 3 17 14 52 11\n9875.949 37.18 -3.69 10 2024 3 17 14 52 11\n"
    "9875.36 37.18 -3.69 10 2024 3 17 14 52 11\n9875.924 37.18 -3.69 10 2024 3 17 14 52 11\n"
    "9876.236 37.18 -3.69 10 2024 3 17 14 52 11\n9874.787 37.18 -3.69 10 2024 3 17 14 52 11\n";

struct Case {
  const char* name;
  std::string t1;
  std::string out;     // standard output
  std::string result;  // res.dat
  std::string err;     // standard error
};

class HypomeanCases : public ::testing::TestWithParam<Case> {};

TEST_P(HypomeanCases, EchoCountAndResult) {
  const Case& c = GetParam();
  run_case("hypomean", {c.name, {file("t1", c.t1)}, 0, exactly(c.err), exactly(c.out), {holds("res.dat", c.result)}});
}

const Case kCases[] = {
    {"WorkedExample", kExampleT1, echoes(kExampleLocations) + count_line("3"), kExampleResult, ""},
    {"OneRecord", "35.2871 -3.9824 12.6 47.35 2024 3 15 8 22 14\n",
     echo({{35.2871f, -3.9824f, 12.6f, 47.35f}, {2024, 3, 15, 8, 22, 14}}) + count_line("1"),
     "  35.287    0.000   -3.982    0.000   12.600    0.000   47.350    0.000 2024    3   15    8   22   14\n", ""},
    // The eleventh line is never parsed: words there cause no failure.
    {"TenRecordsThenMore", t1_of(ten_locations()) + "this is not a location\n1 2 3\n",
     echoes(ten_locations()) + count_line("10"), kTenResult,
     "hypomean: t1:11: warning: more than 10 location records; only the first 10 were averaged\n"},
    {"TenRecordsThenBlankLines", t1_of(ten_locations()) + "\n   \n\t\n", echoes(ten_locations()) + count_line("10"),
     kTenResult, ""},
    // Values after the tenth on the tenth line are not a further record.
    {"TenRecordsTheLastWithExtraValues", t1_of(ten_locations()).substr(0, t1_of(ten_locations()).size() - 1) + " 7 8\n",
     echoes(ten_locations()) + count_line("10"), kTenResult, ""},
    {"RecordsSplitOverLines",
     "12.5 -3.25 8.0 100.0\n1 2 3 4 5 6\n13.0 -3.75\n 9.0 101.0 7 8\n9 10 11 12\n"
     "12.0 -3.5 10.0 99.0 13 14 15 16 17 18\n",
     echoes(kExampleLocations) + count_line("3"), kExampleResult, ""},
    {"CommasTabsCrlfAndBlankLines",
     "12.5,-3.25,8.0,100.0,1,2,3,4,5,6\r\n\r\n13.0\t-3.75 , 9.0  101.0 7 8 9 10 11 12\r\n"
     "12.0 -3.5 10.0 99.0 13 14 15 16 17 18",
     echoes(kExampleLocations) + count_line("3"), kExampleResult, ""},
    // The next record begins on the following line, not with the 7.
    {"TwelveValuesOnALine", "1.0 2.0 3.0 4.0 1 2 3 4 5 6 7 8\n3.0 4.0 5.0 6.0 11 12 13 14 15 16\n",
     echoes({{{1.0f, 2.0f, 3.0f, 4.0f}, {1, 2, 3, 4, 5, 6}}, {{3.0f, 4.0f, 5.0f, 6.0f}, {11, 12, 13, 14, 15, 16}}}) +
         count_line("2"),
     "   2.000    0.707    3.000    0.707    4.000    0.707    5.000    0.707    1    2    3    4    5    6\n", ""},
    {"IncompleteLastRecord",
     "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\n13.0 -3.75 9.0 101.0 7 8 9 10 11 12\n12.0 -3.5 10.0 99.0 13 14 15\n",
     echoes({kExampleLocations[0], kExampleLocations[1]}) + count_line("2"),
     "  12.750    0.177   -3.500    0.177    8.500    0.354  100.500    0.354    1    2    3    4    5    6\n", ""},
    // A slash ends a record early; the values it leaves unset are 0, not
    // those of the record before.
    {"SlashLeavesTheRestZero", "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\n13.5 -3.75 / 9.0 101.0\n",
     echoes({kExampleLocations[0], {{13.5f, -3.75f, 0.0f, 0.0f}, {0, 0, 0, 0, 0, 0}}}) + count_line("2"),
     "  13.000    0.354   -3.500    0.177    4.000    2.828   50.000   35.355    1    2    3    4    5    6\n", ""},
    {"SinglePrecisionInTheStatedOrder", kPrecisionT1, echoes(kPrecisionLocations) + count_line("10"),
     "9875.548    0.234   37.180    0.000   -3.690    0.000   10.000    0.000 2024    3   17   14   52   11\n", ""},
    // Fields too wide become asterisks without disturbing their neighbours; a
    // small negative mean keeps its minus sign.
    {"FieldsThatDoNotFit", "123456.0 -0.0004 9999.999 -999.999 12345 -999 -1000 0 2147483647 -2147483648\n",
     echo({{123456.0f, -0.0004f, 9999.999f, -999.999f}, {12345, -999, -1000, 0, 2147483647, -2147483647 - 1}}) +
         count_line("1"),
     "********    0.000   -0.000    0.000 9999.999    0.000 -999.999    0.000 **** -999 ****    0 **** ****\n", ""},
    // No complete record: every mean and error is 0/0.
    {"EmptyT1", "", count_line("0"), kNaNs + "    0    0    0    0    0    0\n", kNote},
    {"OnlyBlankLines", "\n  \n\t\n", count_line("0"), kNaNs + "    0    0    0    0    0    0\n", kNote},
    {"FirstRecordCutShortKeepsItsIntegers", "1.5 2.5 3.5 4.5 2024 3 17\n", count_line("0"),
     kNaNs + " 2024    3   17    0    0    0\n", kNote},
};

INSTANTIATE_TEST_SUITE_P(Hypomean, HypomeanCases, ::testing::ValuesIn(kCases), case_name<Case>);

TEST(Hypomean, LineLayouts) {
  WorkDir dir;
  dir.write("t1", kExampleT1);
  const auto run = run_program("hypomean", dir);
  ASSERT_EQ(run.exit_status, 0);
  const std::string result = dir.read("res.dat");
  EXPECT_EQ(result.size(), 101u + 1u);
  const std::string last_line = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
  EXPECT_EQ(last_line, " Promediando" + std::string(12, ' ') + "3  datos\n");
  EXPECT_EQ(last_line.size(), 32u + 1u);
}

TEST(Hypomean, ExistingResultFileIsReplaced) {
  WorkDir dir;
  dir.write("res.dat", lines_of({"old result 1", "old result 2", "old result 3", "old result 4"}));
  dir.write("t1", kExampleT1);
  EXPECT_EQ(run_program("hypomean", dir).exit_status, 0);
  EXPECT_EQ(dir.read("res.dat"), kExampleResult);
}

// Failures: status 1, one line on standard error, the echo lines written
// before it, and "res.dat" as it was (created empty where it did not exist
// once "t1" was opened).
class HypomeanFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(HypomeanFailures, LeaveTheResultFileAsItWas) { run_case("hypomean", GetParam()); }

const std::string kNorthT1 = "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\n13.0 north 9.0 101.0 7 8 9 10 11 12\n";

const ProgramCase kFailures[] = {
    failure("MissingT1", {}, "hypomean: t1: No such file or directory\n", {absent("res.dat")}),
    failure("MissingT1KeepsOldResult", {file("res.dat", "old\nresult\n")}, "hypomean: t1: No such file or directory\n",
            {unchanged("res.dat")}),
    failure("WordWhereANumberIsDue", {file("t1", kNorthT1)},
            "hypomean: t1:2: columns 6-10: cannot read \"north\" as a number\n", {created_empty("res.dat")},
            exactly(echo(kExampleLocations[0]))),
    failure("WordWhereANumberIsDueKeepsOldResult", {file("t1", kNorthT1), file("res.dat", "old\nresult\n")},
            "hypomean: t1:2: columns 6-10: cannot read \"north\" as a number\n", {unchanged("res.dat")},
            exactly(echo(kExampleLocations[0]))),
    failure("RealWhereAnIntegerIsDue", {file("t1", "12.5 -3.25 8.0 100.0 1 2.0 3 4 5 6\n")},
            "hypomean: t1:1: columns 24-26: cannot read \"2.0\" as an integer\n", {created_empty("res.dat")}),
    failure("BadValueOnTheSecondLineOfARecord",
            {file("t1", "12.5 -3.25 8.0 100.0\n1 2 x 4 5 6\n"), file("res.dat", "old\n")},
            "hypomean: t1:2: column 5: cannot read \"x\" as an integer\n", {unchanged("res.dat")}),
    failure("IntegerOutOfRange", {file("t1", "12.5 -3.25 8.0 100.0 3000000000 2 3 4 5 6\n")},
            "hypomean: t1:1: columns 22-31: integer \"3000000000\" is out of range (allowed: -2147483648 to "
            "2147483647)\n",
            {created_empty("res.dat")}),
};

INSTANTIATE_TEST_SUITE_P(Hypomean, HypomeanFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

TEST(Hypomean, ResultFileThatCannotBeWritten) {
  run_case("hypomean",
           failure("", {file("t1", kExampleT1), directory("res.dat")}, "hypomean: res.dat: Is a directory\n", {}));
  run_case("hypomean",
           failure("", {file("t1", kExampleT1), full_device("res.dat")}, "hypomean: res.dat: No space left on device\n",
                   {}, exactly(echoes(kExampleLocations) + count_line("3"))));
}

}  // namespace
}  // namespace toolkit_test
