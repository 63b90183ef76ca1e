// SPDX-License-Identifier: MIT
// pickpair, run as a real process: its cards, its standard output, its
// messages and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

const std::string kTerminator = "                 10\n";

struct Pick {
  std::string station = "ABCD";
  char phase = 'P';
  std::string seconds = "10.000";  // columns 28-33
  char onset = 'i';
  char weight = '1';
  char motion = 'U';
  std::string minute = "07";
};

// A line of "elocate.dat" with every field in its columns.
std::string line(const Pick& p) {
  std::string text(58, ' ');
  text.replace(0, p.station.size(), p.station);
  text.replace(12, 14, "26 12 08 15 " + p.minute);
  text.replace(27, p.seconds.size(), p.seconds);
  text[43] = p.onset;
  text[45] = p.phase;
  text[55] = p.weight;
  text[57] = p.motion;
  return text;
}

std::string lines(const std::vector<Pick>& picks) {
  std::string text;
  for (const Pick& p : picks) text += line(p) + "\n";
  return text;
}

struct Case {
  const char* name;
  std::vector<Pick> picks;
  std::string cards;  // fases.dat without the terminator
  std::string out;    // standard output
};

class PickpairCases : public ::testing::TestWithParam<Case> {};

TEST_P(PickpairCases, CardsAndStandardOutput) {
  const Case& c = GetParam();
  run_case("pickpair", {c.name,
                        {file("elocate.dat", lines(c.picks))},
                        0,
                        exactly(""),
                        exactly(c.out),
                        {holds("fases.dat", c.cards + kTerminator)}});
}

const Case kCases[] = {
    {"Empty", {}, "", ""},
    {"PThenS",
     {{.phase = 'P'}, {.phase = 'S', .seconds = "12.500", .onset = 'e', .weight = '2', .motion = ' '}},
     "ABCDiP+1 261208150710.00       12.50eS 2\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDS", " Buscando en ABCDS"})},
    {"PThenTwoSTakesTheLast",
     {{.phase = 'P'}, {.phase = 'S', .seconds = "12.500"}, {.phase = 'S', .seconds = "13.750", .weight = '3'}},
     "ABCDiP+1 261208150710.00       13.75iSU3\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDS", " Coincidencia en ABCDS", " Buscando en ABCDS",
               " Coincidencia en ABCDS", " Buscando en ABCDS"})},
    // Two stations interleaved: each P card takes the last later pick of its
    // own station.
    {"InterleavedStationsTakeTheirOwnLast",
     {{.station = "ABCD"},
      {.station = "EFGH"},
      {.station = "ABCD", .phase = 'S', .seconds = "12.500"},
      {.station = "EFGH", .phase = 'S', .seconds = "11.000"},
      {.station = "ABCD", .phase = 'S', .seconds = "13.750", .weight = '3'}},
     "ABCDiP+1 261208150710.00       13.75iSU3\n"
     "EFGHiP+1 261208150710.00       11.00iSU1\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDS", " Coincidencia en ABCDS", " Buscando en EFGHP",
               " Coincidencia en EFGHS", " Buscando en ABCDS", " Coincidencia en ABCDS", " Buscando en EFGHS",
               " Buscando en ABCDS"})},
    {"TwoPNoS",
     {{.phase = 'P', .motion = 'D'}, {.phase = 'P', .seconds = "11.000", .onset = 'e', .motion = 'C'}},
     "ABCDiP+1 261208150710.00       11.00ePC1\n"
     "ABCDePC1 261208150711.00\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDP", " Buscando en ABCDP"})},
    {"SBeforeP",
     {{.phase = 'S', .seconds = "12.500"}, {.phase = 'P'}},
     "ABCDiPU1 261208150710.00\n",
     lines_of({" Buscando en ABCDS", " Coincidencia en ABCDP", " Buscando en ABCDP"})},
    {"LoneS", {{.phase = 'S'}}, "", lines_of({" Buscando en ABCDS"})},
    {"LowerCaseSIsNotAnSPick", {{.phase = 's'}}, "ABCDisU1 261208150710.00\n", lines_of({" Buscando en ABCDs"})},
    {"StationsDifferByteForByte",
     {{.station = "ABCD"}, {.station = "abcd"}, {.station = "ABC "}, {.station = "ABC"}},
     "ABCDiPU1 261208150710.00\n"
     "abcdiPU1 261208150710.00\n"
     "ABC iP+1 261208150710.00       10.00iPU1\n"
     "ABC iPU1 261208150710.00\n",
     lines_of({" Buscando en ABCDP", " Buscando en abcdP", " Buscando en ABC P", " Coincidencia en ABC P",
               " Buscando en ABC P"})},
    {"PartnerInAnotherMinute",
     {{.phase = 'P', .seconds = "59.800"}, {.phase = 'S', .seconds = " 2.100", .minute = "08"}},
     "ABCDiP+1 261208150759.80        2.10iSU1\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDS", " Buscando en ABCDS"})},
    // Seconds are single precision, and the card shows the exact value rounded.
    {"SecondsRoundedFromTheBinaryValue",
     {{.station = "AAAA", .seconds = "10.025"},
      {.station = "BBBB", .seconds = "10.045"},
      {.station = "CCCC", .seconds = "  1234"},
      {.station = "DDDD", .seconds = "99.999"},
      {.station = "EEEE", .seconds = "-9.999"},
      {.station = "FFFF", .seconds = "  -.25"}},
     "AAAAiPU1 261208150710.02\n"
     "BBBBiPU1 261208150710.05\n"
     "CCCCiPU1 2612081507 1.23\n"
     "DDDDiPU1 2612081507*****\n"
     "EEEEiPU1 2612081507*****\n"
     "FFFFiPU1 2612081507-0.25\n",
     lines_of({" Buscando en AAAAP", " Buscando en BBBBP", " Buscando en CCCCP", " Buscando en DDDDP",
               " Buscando en EEEEP", " Buscando en FFFFP"})},
    {"PlusInColumnSevenWhateverTheMotion",
     {{.phase = 'P', .motion = ' '}, {.phase = 'S', .motion = 'D'}},
     "ABCDiP+1 261208150710.00       10.00iSD1\n",
     lines_of({" Buscando en ABCDP", " Coincidencia en ABCDS", " Buscando en ABCDS"})},
};

INSTANTIATE_TEST_SUITE_P(Pickpair, PickpairCases, ::testing::ValuesIn(kCases), case_name<Case>);

// A blank line is a pick of a blank station: a card of its own, paired with
// a later blank line.
TEST(Pickpair, BlankLinesArePicksOfABlankStation) {
  WorkDir dir;
  dir.write("elocate.dat", "\n" + line({.station = "EFGH"}) + "\n\n");
  const auto run = run_program("pickpair", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out,
            lines_of({" Buscando en      ", " Coincidencia en      ", " Buscando en EFGHP", " Buscando en      "}));
  const std::string blanks10(10, ' ');
  EXPECT_EQ(dir.read("fases.dat"), "      +0 " + blanks10 + " 0.00       " + " 0.00   0\n" +
                                       "EFGHiPU1 261208150710.00\n" + "       0 " + blanks10 + " 0.00\n" + kTerminator);
}

TEST(Pickpair, ShortLinesAndLineEnds) {
  WorkDir dir;
  // A line cut after the seconds, one with CRLF, and a last line without LF.
  dir.write("elocate.dat", line({.station = "AAAA"}).substr(0, 33) + "\n" + line({.station = "BBBB"}) + "\r\n" +
                               line({.station = "CCCC", .phase = 'S'}));
  const auto run = run_program("pickpair", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(dir.read("fases.dat"),
            "AAAA   0 261208150710.00\n"
            "BBBBiPU1 261208150710.00\n" +
                kTerminator);
}

// The pick table holds 100 picks: a line after the hundredth, even a blank
// one (a pick of a blank station to a fixed-column read), is left out with a
// warning naming it, and no pick beyond the table is a partner. Pick i is of
// station S000, S001, ... (a P card each); the extra lines follow them.
std::string station_number(int i) {
  std::string code = std::to_string(1000 + i);  // four digits for i below 9000
  code[0] = 'S';
  return code;
}

struct CapacityCase {
  const char* name;
  int picks;
  std::string after;  // lines after the picks
  int cards;          // cards before the terminator
  std::string err;
};

class PickpairCapacity : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(PickpairCapacity, HundredPicksAtMost) {
  const CapacityCase& c = GetParam();
  std::vector<Pick> picks;
  for (int i = 0; i < c.picks; ++i) picks.push_back({.station = station_number(i)});
  const auto check = [&c](const std::string& cards) {
    EXPECT_EQ(std::count(cards.begin(), cards.end(), '\n'), c.cards + 1);
    // Every card a P card of its own pick: no partner came from beyond the table.
    for (int i = 0; i < c.cards; ++i) {
      const std::string card = station_number(i) + "iPU1 261208150710.00\n";
      EXPECT_NE(cards.find(card), std::string::npos) << card;
    }
    EXPECT_EQ(cards.find(station_number(c.cards) + "i"), std::string::npos);
    EXPECT_EQ(cards.find("LAST"), std::string::npos);
  };
  run_case("pickpair", {c.name,
                        {file("elocate.dat", lines(picks) + c.after)},
                        0,
                        exactly(c.err),
                        std::nullopt,
                        {satisfies("fases.dat", check)}});
}

const std::string kBeyondHundred =
    "pickpair: elocate.dat:101: warning: more than 100 picks; only the first 100 were used\n";

const CapacityCase kCapacityCases[] = {
    {"NinetyNine", 99, "", 99, ""},
    {"Hundred", 100, "", 100, ""},
    {"HundredAndOne", 101, "", 100, kBeyondHundred},
    {"HundredAndFifty", 150, "", 100, kBeyondHundred},
    // The 101st line is an S pick of the first station: not its partner.
    {"PartnerBeyondTheTable", 100, line({.station = "S000", .phase = 'S'}) + "\n", 100, kBeyondHundred},
    {"BlankLineAfterTheHundredth", 100, "\n", 100, kBeyondHundred},
    {"LastLineWithoutLineEnd", 100, line({.station = "LAST"}), 100, kBeyondHundred},
    // Where the table fills with its last line, nothing is left out.
    {"HundredthWithoutLineEnd", 99, line({.station = "S099"}), 100, ""},
};

INSTANTIATE_TEST_SUITE_P(Pickpair, PickpairCapacity, ::testing::ValuesIn(kCapacityCases), case_name<CapacityCase>);

// Standard output names the picks of the table only: a line for each, and
// one more for each of the ten stations that come twice among them.
TEST(Pickpair, OnlyTheFirstHundredPicksAnnounced) {
  WorkDir dir;
  std::vector<Pick> picks;
  for (int i = 0; i < 101; ++i) picks.push_back({.station = i == 100 ? "LAST" : "ST" + std::to_string(10 + i % 90)});
  dir.write("elocate.dat", lines(picks));
  const auto run = run_program("pickpair", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, kBeyondHundred);
  EXPECT_EQ(run.out.find("LAST"), std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 100 + 10);
}

TEST(Pickpair, ExistingCardsFileIsReplaced) {
  WorkDir dir;
  std::string old;
  for (int i = 0; i < 300; ++i) old += "old card " + std::to_string(i) + "\n";
  dir.write("fases.dat", old);
  dir.write("elocate.dat", lines({{}}));
  EXPECT_EQ(run_program("pickpair", dir).exit_status, 0);
  EXPECT_EQ(dir.read("fases.dat"), "ABCDiPU1 261208150710.00\n" + kTerminator);
}

// Failures: status 1, one line on standard error, nothing on standard output,
// and "fases.dat" as it was (created empty where it did not exist).
class PickpairFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(PickpairFailures, LeaveTheCardsFileAsItWas) { run_case("pickpair", GetParam()); }

const std::string kBadSeconds = line({}) + "\n" + line({.seconds = "1x.5  "}) + "\n";
const std::string kBadWeight = line({.weight = 'U'}) + "\n";

const ProgramCase kFailures[] = {
    failure("MissingInput", {}, "pickpair: elocate.dat: No such file or directory\n", {created_empty("fases.dat")}),
    failure("MissingInputKeepsOldCards", {file("fases.dat", "old\n")},
            "pickpair: elocate.dat: No such file or directory\n", {unchanged("fases.dat")}),
    failure("BadSeconds", {file("elocate.dat", kBadSeconds)},
            "pickpair: elocate.dat:2: columns 28-33: cannot read \"1x.5\" as a number\n", {created_empty("fases.dat")}),
    failure("BadWeightKeepsOldCards", {file("elocate.dat", kBadWeight), file("fases.dat", "old\n")},
            "pickpair: elocate.dat:1: column 56: cannot read \"U\" as an integer\n", {unchanged("fases.dat")}),
};

INSTANTIATE_TEST_SUITE_P(Pickpair, PickpairFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

TEST(Pickpair, CardsFileThatCannotBeWritten) {
  run_case("pickpair", failure("", {file("elocate.dat", lines({{}})), full_device("fases.dat")},
                               "pickpair: fases.dat: No space left on device\n", {}, std::nullopt));
  run_case("pickpair", failure("", {file("elocate.dat", lines({{}})), directory("fases.dat")},
                               "pickpair: fases.dat: Is a directory\n", {}, std::nullopt));
}

TEST(Pickpair, CardsToDevNull) {
  WorkDir dir;
  dir.write("elocate.dat", lines({{}}));
  std::filesystem::create_symlink("/dev/null", dir.file("fases.dat"));
  const auto run = run_program("pickpair", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, " Buscando en ABCDP\n");
}

}  // namespace
}  // namespace toolkit_test
