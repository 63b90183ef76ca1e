// SPDX-License-Identifier: MIT
// stalist, run as a real process: its station lines, its messages and its
// exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

const std::string kAfterCode = "  IS  VNE  ";                                       // columns 5-15
const std::string kAfterElevation = "0.0     0.00  0.00  0.00  0.00 0  1.00--SHE";  // columns 43-85

// A station line from the code (columns 1-4) and the text of columns 16-42:
// latitude degrees and minutes, a blank, longitude degrees and minutes, a
// blank, elevation.
std::string station(std::string_view code, std::string_view values) {
  EXPECT_EQ(code.size(), 4u) << code;
  EXPECT_EQ(values.size(), 27u) << values;
  return std::string(code) + kAfterCode + std::string(values) + kAfterElevation + "\n";
}

// Columns 16-42 of the entry "3 42.15 40 25.3 655".
const std::string kAbcdValues = "40 25.3000   3 42.1500  655";
const std::string kAbcdEntry = "ABCD 3 42.15 40 25.3 655\n";

struct Case {
  const char* name;
  std::string tempo2;
  std::string stations;  // "estaciones_2.txt" after the run
};

class StalistCases : public ::testing::TestWithParam<Case> {};

TEST_P(StalistCases, StationLines) {
  const Case& c = GetParam();
  run_case(
      "stalist",
      {c.name, {file("tempo2.dat", c.tempo2)}, 0, exactly(""), exactly(""), {holds("estaciones_2.txt", c.stations)}});
}

const Case kCases[] = {
    // Written out in full once: every column of the line.
    {"OneEntry", kAbcdEntry, "ABCD  IS  VNE  40 25.3000   3 42.1500  6550.0     0.00  0.00  0.00  0.00 0  1.00--SHE\n"},
    {"CodesCutAndPaddedToFour", "ALMER 3 42.15 40 25.3 655\nMAD 3 41.5 40 24.9 667\nX 3 42.15 40 25.3 655\n",
     station("ALME", kAbcdValues) + station("MAD ", "40 24.9000   3 41.5000  667") + station("X   ", kAbcdValues)},
    {"QuotedCodesMayHoldBlanks",
     "'A B' 3 42.15 40 25.3 655\n\"C D\" 3 42.15 40 25.3 655\n' X' 3 42.15 40 25.3 655\n"
     "'LONGER' 3 42.15 40 25.3 655\n",
     station("A B ", kAbcdValues) + station("C D ", kAbcdValues) + station(" X  ", kAbcdValues) +
         station("LONG", kAbcdValues)},
    // A delimiter doubled inside a quoted code stands for one.
    {"DoubledQuoteInACode", "'O''K' 3 42.15 40 25.3 655\n\"\"\"Q\" 3 42.15 40 25.3 655\n'''' 3 42.15 40 25.3 655\n",
     station("O'K ", kAbcdValues) + station("\"Q  ", kAbcdValues) + station("'   ", kAbcdValues)},
    // Unquoted, a code's second part is read as the longitude degrees; when
    // it is an integer every value shifts by one and the last is passed over.
    {"UnquotedCodeWithIntegerSecondPart", "ST 1 3 42 40 25 655\n" + kAbcdEntry,
     station("ST  ", "42 40.0000   1  3.0000   25") + station("ABCD", kAbcdValues)},
    {"EntriesOverSeveralLines",
     "ABCD\n3 42.15 40 25.3 655\nEFGH 4 10.5\n41 0.25 1200\nIJKL\n5\n1.0\n42\n2.0\n\n300\n" + kAbcdEntry,
     station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200") +
         station("IJKL", "42  2.0000   5  1.0000  300") + station("ABCD", kAbcdValues)},
    {"ValuesAfterTheSixthArePassedOver",
     "ABCD 3 42.15 40 25.3 655 999 'not read' 1.5\nEFGH 4 10.5 41 0.25 1200 / ,\n" + kAbcdEntry,
     station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200") + station("ABCD", kAbcdValues)},
    {"BlanksTabsAndCommasSeparate",
     "ABCD,3,42.15,40,25.3,655\nEFGH\t4 , 10.5  41\t\t0.25 ,1200\n  IJKL   5 1.0 42 2.0 300   \n",
     station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200") +
         station("IJKL", "42  2.0000   5  1.0000  300")},
    {"BlankLinesArePassedOver", "\n\n" + kAbcdEntry + "   \n\t\n\nEFGH 4 10.5 41 0.25 1200\n\n\n",
     station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200")},
    {"CrLfAndNoFinalLineEnd", "ABCD 3 42.15 40 25.3 655\r\nEFGH 4 10.5 41 0.25 1200",
     station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200")},
    {"NegativeDegrees", "SUR1 -3 42.15 -5 25.3 655\nSUR2 -70 5.5 -33 26.75 520\nWEST -120 0.0 45 0 10\n",
     station("SUR1", "-5 25.3000  -3 42.1500  655") + station("SUR2", "** 26.7500 -70  5.5000  520") +
         station("WEST", "45  0.0000 ***  0.0000   10")},
    // The widest values that fit, and the first that do not, in each field.
    {"FieldCapacities",
     "FIT1 999 999.9999 99 -99.9999 9999\nFIT2 -99 -99.9999 -9 999.9999 -999\n"
     "OVR1 1000 1000 100 -100 10000\nOVR2 -100 -100 -10 1000 -1000\n"
     "FILL -3 -0.5 40 60.5 1234\nWIDE 2147483647 0 -2147483648 0 12345\n",
     station("FIT1", "99-99.9999 999999.9999 9999") + station("FIT2", "-9999.9999 -99-99.9999 -999") +
         station("OVR1", "********** *********** ****") + station("OVR2", "********** *********** ****") +
         station("FILL", "40 60.5000  -3 -0.5000 1234") + station("WIDE", "**  0.0000 ***  0.0000 ****")},
    // Minutes are single precision, rounded to four decimals from the binary
    // value: 0.12345 is stored above the halfway point, 1.00005 below it.
    {"MinutesRoundedToFourDecimals",
     "RND1 3 42.15678 40 25.30004 655\nRND2 +3 0.12345 40 1.00005 655\nRND3 3 4.215E1 40 25 655\n"
     "RND4 3 .5 40 -.5 655\n",
     station("RND1", "40 25.3000   3 42.1568  655") + station("RND2", "40  1.0000   3  0.1235  655") +
         station("RND3", "40 25.0000   3 42.1500  655") + station("RND4", "40 -0.5000   3  0.5000  655")},
    // An item that an entry leaves unset keeps the previous entry's value.
    {"SlashAndNullValuesKeepPreviousValues", kAbcdEntry + "EFGH 4 /\nIJKL,,,41,,1300\n",
     station("ABCD", kAbcdValues) + station("EFGH", "40 25.3000   4 42.1500  655") +
         station("IJKL", "41 25.3000   4 42.1500 1300")},
    {"UnsetInTheFirstEntryAreBlanksAndZeros", "/\n'XY' 5 /\n" + kAbcdEntry,
     station("    ", " 0  0.0000   0  0.0000    0") + station("XY  ", " 0  0.0000   5  0.0000    0") +
         station("ABCD", kAbcdValues)},
    {"IncompleteLastEntryGivesNoLine", kAbcdEntry + "EFGH 4 10.5 41 0.25\n", station("ABCD", kAbcdValues)},
    {"EmptyList", "", ""},
    {"OnlyBlankLines", "\n   \n\t\n\n", ""},
};

INSTANTIATE_TEST_SUITE_P(Stalist, StalistCases, ::testing::ValuesIn(kCases), case_name<Case>);

// Degrees written -0 read as 0: the line is written as ever, and a warning
// names the line where the sign was lost.
struct MinusZeroCase {
  const char* name;
  std::string tempo2;
  std::string stations;
  std::string err;
};

class StalistMinusZero : public ::testing::TestWithParam<MinusZeroCase> {};

TEST_P(StalistMinusZero, WarnsAndWritesTheLineUnchanged) {
  const MinusZeroCase& c = GetParam();
  run_case("stalist",
           {c.name, {file("tempo2.dat", c.tempo2)}, 0, exactly(c.err), exactly(""), {holds("estaciones_2.txt", c.stations)}});
}

const std::string kLonWarning = ": warning: longitude degrees written -0 lose their sign: the station is written east of Greenwich\n";
const std::string kLatWarning = ": warning: latitude degrees written -0 lose their sign: the station is written north of the equator\n";

const MinusZeroCase kMinusZero[] = {
    {"LongitudeWestOfGreenwich", "WEST -0 30.5 40 25.3 655\n", station("WEST", "40 25.3000   0 30.5000  655"),
     "stalist: tempo2.dat:1" + kLonWarning},
    {"LatitudeSouthOfTheEquator", kAbcdEntry + "SOUT 3 42.15 -00 12.25 10\n",
     station("ABCD", kAbcdValues) + station("SOUT", " 0 12.2500   3 42.1500   10"),
     "stalist: tempo2.dat:2" + kLatWarning},
    // Each degree value on the line it stands on.
    {"BothOverTwoLines", "BOTH -0 1.0\n-0 2.0 12\n", station("BOTH", " 0  2.0000   0  1.0000   12"),
     "stalist: tempo2.dat:1" + kLonWarning + "stalist: tempo2.dat:2" + kLatWarning},
    // An entry whose degrees a slash leaves unset keeps the earlier entry's 0,
    // whose sign was lost and named on its own line already.
    {"SignNotCarriedToTheNextEntry", "WEST -0 30.5 40 25.3 655\nNEXT /\n",
     station("WEST", "40 25.3000   0 30.5000  655") + station("NEXT", "40 25.3000   0 30.5000  655"),
     "stalist: tempo2.dat:1" + kLonWarning},
    // Zero without a minus sign, and minus signs on other values, say nothing.
    {"NoWarningOtherwise", "ZERO 0 30.5 +0 1.0 -0\nNEGM 3 -0.5 40 -0.0 655\n",
     station("ZERO", " 0  1.0000   0 30.5000    0") + station("NEGM", "40 -0.0000   3 -0.5000  655"), ""},
};

INSTANTIATE_TEST_SUITE_P(Stalist, StalistMinusZero, ::testing::ValuesIn(kMinusZero), case_name<MinusZeroCase>);

// Entries S001, S002, ... all with the values of kAbcdEntry.
std::string entries(int count, const std::string& after_last_line = "") {
  std::string text;
  char code[16];
  for (int i = 1; i <= count; ++i) {
    std::snprintf(code, sizeof code, "S%03d", i);
    text += std::string(code) + " 3 42.15 40 25.3 655";
    if (i < count) text += "\n";
  }
  return text + after_last_line + "\n";
}

std::string lines_for(int count) {
  std::string text;
  char code[16];
  for (int i = 1; i <= count; ++i) {
    std::snprintf(code, sizeof code, "S%03d", i);
    text += station(code, kAbcdValues);
  }
  return text;
}

const std::string kTooMany =
    "stalist: tempo2.dat:101: warning: more than 100 station entries; only the first 100 were written\n";

struct ManyCase {
  const char* name;
  std::string tempo2;
  std::string err;
};

class StalistMany : public ::testing::TestWithParam<ManyCase> {};

TEST_P(StalistMany, OnlyTheFirstHundredEntries) {
  const ManyCase& c = GetParam();
  run_case("stalist", {c.name,
                       {file("tempo2.dat", c.tempo2)},
                       0,
                       exactly(c.err),
                       exactly(""),
                       {holds("estaciones_2.txt", lines_for(100))}});
}

const ManyCase kMany[] = {
    {"Exactly100", entries(100), ""},
    {"Exactly100ThenBlankLines", entries(100, "\n\n   \n\t"), ""},
    // The values after the sixth of the last line are passed over with it.
    {"Exactly100WithExtraValuesOnTheLast", entries(100, " 1 2 3"), ""},
    {"Exactly100EachOverSixLines",
     [] {
       std::string text = entries(100);
       std::replace(text.begin(), text.end(), ' ', '\n');
       return text;
     }(),
     ""},
    {"OneMore", entries(101), kTooMany},
    {"FiftyMore", entries(150), kTooMany},
    // An incomplete entry after the hundredth is input left unread as well.
    {"PartOfOneMore", entries(100, "\nS101 3"), kTooMany},
};

INSTANTIATE_TEST_SUITE_P(Stalist, StalistMany, ::testing::ValuesIn(kMany), case_name<ManyCase>);

TEST(Stalist, ExistingStationFileIsReplaced) {
  WorkDir dir;
  std::string old;
  for (int i = 0; i < 300; ++i) old += station("OLD" + std::to_string(i % 10), kAbcdValues);
  dir.write("estaciones_2.txt", old);
  dir.write("tempo2.dat", kAbcdEntry + "EFGH 4 10.5 41 0.25 1200\n");
  const auto run = run_program("stalist", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(dir.read("estaciones_2.txt"),
            station("ABCD", kAbcdValues) + station("EFGH", "41  0.2500   4 10.5000 1200"));
}

// A list that gives no entry writes no line: a station file that exists keeps
// its content, a missing one is created empty.
TEST(Stalist, NoEntryLeavesAnExistingStationFileAsItWas) {
  const std::string old = lines_of({"old line 1", "old line 2", "old line 3"});
  for (const char* list : {"", "\n  \n\t\n", "ABCD 3 42.15\n"}) {
    WorkDir dir;
    dir.write("tempo2.dat", list);
    dir.write("estaciones_2.txt", old);
    const auto run = run_program("stalist", dir);
    EXPECT_EQ(run.exit_status, 0) << list;
    EXPECT_EQ(run.err, "") << list;
    EXPECT_EQ(dir.read("estaciones_2.txt"), old) << list;
  }
}

// Failures: status 1, one line on standard error naming the file, the line,
// the columns and the value found; the lines of the earlier entries stay.
class StalistFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(StalistFailures, EndTheRunWithAMessage) { run_case("stalist", GetParam()); }

const std::string kAbcdLine = station("ABCD", kAbcdValues);
const std::string kEfghLine = station("EFGH", "41  0.2500   4 10.5000 1200");

const ProgramCase kFailures[] = {
    failure("MissingList", {}, "stalist: tempo2.dat: No such file or directory\n", {absent("estaciones_2.txt")}),
    failure("MissingListKeepsOldStations", {file("estaciones_2.txt", "old\n")},
            "stalist: tempo2.dat: No such file or directory\n", {holds("estaciones_2.txt", "old\n")}),
    // Five values on a line: the next line's code falls on the elevation.
    failure("CodeFallsOnTheElevation",
            {file("tempo2.dat",
                  "ABCD 3 42.15 40 25.3 655\nEFGH 4 10.5 41 0.25 1200\nIJKL 5 1.0 42 2.0\nMNOP 6 2.0 43 3.0 400\n"),
             file("estaciones_2.txt", "old\n")},
            "stalist: tempo2.dat:4: columns 1-4: cannot read \"MNOP\" as an integer\n",
            {holds("estaciones_2.txt", kAbcdLine + kEfghLine)}),
    failure("UnquotedCodeWithABlank", {file("tempo2.dat", "ABCD 3 42.15 40 25.3 655\nLA PA -3 42.15 40 25.3 655\n")},
            "stalist: tempo2.dat:2: columns 4-5: cannot read \"PA\" as an integer\n",
            {holds("estaciones_2.txt", kAbcdLine)}),
    failure("DecimalPointInDegrees", {file("tempo2.dat", "ABCD 3.5 42.15 40 25.3 655\n")},
            "stalist: tempo2.dat:1: columns 6-8: cannot read \"3.5\" as an integer\n", {holds("estaciones_2.txt", "")}),
    failure("DecimalPointInElevationKeepsOldStations",
            {file("tempo2.dat", "ABCD 3 42.15 40 25.3 655.5\n"), file("estaciones_2.txt", "old\n")},
            "stalist: tempo2.dat:1: columns 22-26: cannot read \"655.5\" as an integer\n",
            {holds("estaciones_2.txt", "old\n")}),
    failure("LettersInMinutes", {file("tempo2.dat", "ABCD 3 42.15 40 25.3 655\nEFGH 4 1O.5 41 0.25 1200\n")},
            "stalist: tempo2.dat:2: columns 8-11: cannot read \"1O.5\" as a number\n",
            {holds("estaciones_2.txt", kAbcdLine)}),
    failure("QuotedTextWhereANumberIsDue", {file("tempo2.dat", "ABCD '3' 42.15 40 25.3 655\n")},
            "stalist: tempo2.dat:1: columns 6-8: cannot read \"'3'\" as an integer\n", {holds("estaciones_2.txt", "")}),
    failure("ElevationBeyond32Bits", {file("tempo2.dat", "ABCD 3 42.15 40 25.3 2147483648\n")},
            "stalist: tempo2.dat:1: columns 22-31: integer \"2147483648\" is out of range (allowed: -2147483648 to "
            "2147483647)\n",
            {holds("estaciones_2.txt", "")}),
};

INSTANTIATE_TEST_SUITE_P(Stalist, StalistFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

TEST(Stalist, StationFileThatCannotBeWritten) {
  run_case("stalist", failure("", {file("tempo2.dat", kAbcdEntry), full_device("estaciones_2.txt")},
                              "stalist: estaciones_2.txt: No space left on device\n", {}, std::nullopt));
}

}  // namespace
}  // namespace toolkit_test
