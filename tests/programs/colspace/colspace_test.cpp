// SPDX-License-Identifier: MIT
// colspace, run as a real process: the spaced table it writes, its messages
// and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

const std::string kBlankLine(81, ' ');

struct Case {
  const char* name;
  std::string varios;  // the whole input file, line ends included
  std::string salida;  // the whole output file
};

class ColspaceCases : public ::testing::TestWithParam<Case> {};

TEST_P(ColspaceCases, SpacedTable) {
  const Case& c = GetParam();
  run_case(
      "colspace",
      {c.name, {file("varios.dat", c.varios)}, 0, exactly(""), exactly(""), {holds("salida_varios.dat", c.salida)}});
}

using namespace std::string_literals;  // for lines holding NUL bytes

std::string blanks(std::size_t count) { return std::string(count, ' '); }

const std::string kNToZ = "NNNNNNNNOOOOOPPPPPPQQQRRRRRRSSSSTTTTTTUUUUUUUVVVVVVVWWWXXXXYYYYYZZZZZ";
const std::string kNToZSpaced = "NNNNNNNN OOOOO PPPPPP QQQ RRRRRR SSSS TTTTTT UUUUUUU VVVVVVV WWW XXXX YYYYY ZZZZZ";
const std::string kTenSpaced = "ABCDEFGH IJ" + blanks(70);  // from the line ABCDEFGHIJ

const Case kCases[] = {
    // Each field filled with its own letter: each lands one blank further on.
    {"LettersNToZ", kNToZ + "\n", kNToZSpaced + "\n"},
    // Numbers stay right-justified, blanks inside a field stay where they were,
    // and a blank last field is still written.
    {"ContentsNeitherMovedNorTrimmed",
     "2024011223:40  0.4737N21.004002W57.630   5.00         5 262 0.58     \n"
     "  1     a    b  c c    d     7    e         f  1 x  y   z     9 1    \n",
     "20240112 23:40   0.47 37N 21.004 002W 57.630    5.00           5  262  0.58      \n"
     "  1      a     b  c c      d      7     e          f   1 x   y    z      9  1    \n"},
    // Positional columns: a value running over a boundary is split there.
    {"ValueOverAFieldBoundaryIsSplit", "1234567890123456789012345678901234567890123456789012345678901234567890\n",
     "12345678 90123 456789 012 345678 9012 345678 9012345 6789012 345 6789 01234 56789\n"},
    {"ShortLines", lines_of({"ABCDEFGHIJ", "", "x", "123456789012345678901234567890"}),
     lines_of({kTenSpaced, kBlankLine, "x" + blanks(80), "12345678 90123 456789 012 345678 90" + blanks(46)})},
    {"ColumnsAfter69Dropped", kNToZ + "extra columns here\n", kNToZSpaced + "\n"},
    {"BlankLinesAndLinesOfBlanks", "\n" + blanks(69) + "\n" + blanks(100) + "\n",
     lines_of({kBlankLine, kBlankLine, kBlankLine})},
    // CRLF ends a line like LF; the CR is not part of the record.
    {"CrLfLineEnds", kNToZ + "\r\nABCDEFGHIJ\r\n\r\n", lines_of({kNToZSpaced, kTenSpaced, kBlankLine})},
    {"LastLineWithoutLineEnd", "ABCDEFGHIJ\n" + kNToZ, lines_of({kTenSpaced, kNToZSpaced})},
    {"LastShortLineWithoutLineEnd", "ABCDEFGHIJ", kTenSpaced + "\n"},
    // Bytes pass untouched: NUL, tab, a lone CR, bytes above 127 (a UTF-8
    // "ñ" counts as two columns).
    {"AnyByteIsCopied", "\0\0\0\0\0\0\0\x01\x80\xff\t\r\x7f\xc3\xb1o\xc3\xb1opq\0rstuvwxyz\n"s,
     "\0\0\0\0\0\0\0\x01 \x80\xff\t\r\x7f \xc3\xb1o\xc3\xb1o pq\0 rstuvw xyz"s + blanks(45) + "\n"},
};

INSTANTIATE_TEST_SUITE_P(Colspace, ColspaceCases, ::testing::ValuesIn(kCases), case_name<Case>);

TEST(Colspace, EveryOutputLineHas81Columns) {
  WorkDir dir;
  dir.write("varios.dat", lines_of({"", "A", "NNNNNNNNOOOOOPPPPPPQQQRRRRRRSSSSTTTTTTUUUUUUUVVVVVVVWWWXXXXYYYYY",
                                    std::string(200, 'L'), std::string(64, 'x') + "     "}));
  ASSERT_EQ(run_program("colspace", dir).exit_status, 0);
  const std::string out = dir.read("salida_varios.dat");
  std::size_t lines = 0;
  for (std::size_t start = 0; start < out.size(); ++lines) {
    const std::size_t end = out.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(end - start, 81u) << "line " << lines + 1;
    start = end + 1;
  }
  EXPECT_EQ(lines, 5u);
}

// Field 1 of line `number` of a long table: the line number, zero-padded to
// eight columns.
std::string number_field(int number) {
  const std::string digits = std::to_string(number);
  return std::string(8 - digits.size(), '0') + digits;
}

// Line `number` of a long table, 69 columns.
std::string packed_line(int number) {
  return number_field(number) + "OOOOOPPPPPPQQQRRRRRRSSSSTTTTTTUUUUUUUVVVVVVVWWWXXXXYYYYYZZZZZ";
}

std::string spaced_line(int number) {
  return number_field(number) + " OOOOO PPPPPP QQQ RRRRRR SSSS TTTTTT UUUUUUU VVVVVVV WWW XXXX YYYYY ZZZZZ";
}

std::string packed_table(int lines) {
  std::string text;
  for (int i = 1; i <= lines; ++i) text += packed_line(i) + "\n";
  return text;
}

std::string spaced_table(int lines) {
  std::string text;
  for (int i = 1; i <= lines; ++i) text += spaced_line(i) + "\n";
  return text;
}

struct LongCase {
  const char* name;
  int lines;
  std::string err;
};

class ColspaceLongTables : public ::testing::TestWithParam<LongCase> {};

TEST_P(ColspaceLongTables, AtMost10000LinesConverted) {
  const LongCase& c = GetParam();
  const auto check = [&c](const std::string& out) {
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::min(c.lines, 10000));
    EXPECT_TRUE(out == spaced_table(std::min(c.lines, 10000))) << "the converted lines differ";
  };
  run_case("colspace", {c.name,
                        {file("varios.dat", packed_table(c.lines))},
                        0,
                        exactly(c.err),
                        exactly(""),
                        {satisfies("salida_varios.dat", check)}});
}

const std::string kTooLong =
    "colspace: varios.dat:10001: warning: more than 10000 lines; only the first 10000 were converted\n";

const LongCase kLongCases[] = {
    {"Lines9999", 9999, ""},
    {"Lines10000", 10000, ""},
    {"Lines10001", 10001, kTooLong},
    {"Lines12000", 12000, kTooLong},
};

INSTANTIATE_TEST_SUITE_P(Colspace, ColspaceLongTables, ::testing::ValuesIn(kLongCases), case_name<LongCase>);

// The 10001st line may be empty: it is still a line of the table left out.
TEST(Colspace, EmptyLineAfter10000IsStillALineLeftOut) {
  WorkDir dir;
  dir.write("varios.dat", packed_table(10000) + "\n");
  const auto run = run_program("colspace", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, kTooLong);
  EXPECT_TRUE(dir.read("salida_varios.dat") == spaced_table(10000));
}

// An existing "salida_varios.dat" is replaced by the lines of this run; a run
// that writes no line leaves it as it was.
class ColspaceExistingOutput : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ColspaceExistingOutput, ReplacedOnlyWhenLinesAreWritten) { run_case("colspace", GetParam()); }

std::string old_output_of_500_lines() {
  std::string text;
  for (int i = 1; i <= 500; ++i) text += "old line " + std::to_string(i) + " " + std::string(70, '#') + "\n";
  return text;
}

const std::string kOld500 = old_output_of_500_lines();

const ProgramCase kReplaceCases[] = {
    {"EmptyInputCreatesEmptyOutput",
     {file("varios.dat", "")},
     0,
     exactly(""),
     exactly(""),
     {holds("salida_varios.dat", "")}},
    {"EmptyInputKeepsOldOutput",
     {file("varios.dat", ""), file("salida_varios.dat", "old line 1\nold line 2 without line end")},
     0,
     exactly(""),
     exactly(""),
     {holds("salida_varios.dat", "old line 1\nold line 2 without line end")}},
    {"EmptyInputKeeps500OldLines",
     {file("varios.dat", ""), file("salida_varios.dat", kOld500)},
     0,
     exactly(""),
     exactly(""),
     {holds("salida_varios.dat", kOld500)}},
    {"ThreeLinesReplace500OldLines",
     {file("varios.dat", packed_table(3)), file("salida_varios.dat", kOld500)},
     0,
     exactly(""),
     exactly(""),
     {holds("salida_varios.dat", spaced_table(3))}},
    {"OneLineReplacesLongerOldLine",
     {file("varios.dat", "ABCDEFGHIJ\n"), file("salida_varios.dat", kOld500)},
     0,
     exactly(""),
     exactly(""),
     {holds("salida_varios.dat", kTenSpaced + "\n")}},
};

INSTANTIATE_TEST_SUITE_P(Colspace, ColspaceExistingOutput, ::testing::ValuesIn(kReplaceCases), case_name<ProgramCase>);

// Failures: status 1, one line on standard error, and "salida_varios.dat"
// neither created nor changed.
TEST(Colspace, MissingInputLeavesNoOutputFile) {
  run_case("colspace",
           failure("", {}, "colspace: varios.dat: No such file or directory\n", {absent("salida_varios.dat")}));
}

TEST(Colspace, MissingInputKeepsOldOutput) {
  run_case("colspace",
           failure("", {file("salida_varios.dat", kOld500)}, "colspace: varios.dat: No such file or directory\n",
                   {unchanged("salida_varios.dat")}, std::nullopt));
}

TEST(Colspace, InputThatIsADirectory) {
  run_case("colspace", failure("", {directory("varios.dat")}, "colspace: varios.dat: Is a directory\n",
                               {absent("salida_varios.dat")}, std::nullopt));
}

TEST(Colspace, OutputThatCannotBeWritten) {
  run_case("colspace", failure("", {file("varios.dat", packed_table(3)), full_device("salida_varios.dat")},
                               "colspace: salida_varios.dat: No space left on device\n", {}, std::nullopt));
}

}  // namespace
}  // namespace toolkit_test
