// SPDX-License-Identifier: MIT
// colspace over hostile inputs. Every byte is text to it, so no content can
// fail; what can fail is the opening of its files and the writing. It opens
// "varios.dat" first and "salida_varios.dat" next, and streams line by line.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

constexpr std::size_t kWidths[] = {8, 5, 6, 3, 6, 4, 6, 7, 7, 3, 4, 5, 5};  // 69 columns in all

// The spaced line of one record: its first 69 columns (blanks beyond its
// end), one blank between neighbouring columns, 81 columns in all.
std::string spaced(std::string_view record) {
  std::string packed(record.substr(0, 69));
  packed.resize(69, ' ');
  std::string line;
  std::size_t at = 0;
  for (const std::size_t width : kWidths) {
    if (at > 0) line += ' ';
    line += packed.substr(at, width);
    at += width;
  }
  return line + "\n";
}

std::string spaced_lines(std::string_view text) {
  std::string out;
  for (const std::string& record : records_of(text)) out += spaced(record);
  return out;
}

const std::string kPacked = "NNNNNNNNOOOOOPPPPPPQQQRRRRRRSSSSTTTTTTUUUUUUUVVVVVVVWWWXXXXYYYYYZZZZZ";
const std::string kOldTable = "an old table\n";

std::vector<ProgramCase> cases() {
  const std::string garbage = binary_garbage();
  // Numbers of any size are text here and copied as they stand.
  const std::string numbers = "99999999999999999999 1e39 -3.5e38 abc 4294967296 NaN\n";
  return {
      // Control bytes, NUL bytes and bytes above 127 are copied; a carriage
      // return ends a line only before a line feed.
      {"BinaryGarbageIsCopied",
       {file("varios.dat", garbage)},
       0,
       exactly(""),
       exactly(""),
       {holds("salida_varios.dat", spaced_lines(garbage)), unchanged("varios.dat")}},
      {"TenMegabyteLine",
       {made_file("varios.dat", [] { return std::string(kTenMegabytes, 'x') + "\n" + kPacked + "\n"; })},
       0,
       exactly(""),
       exactly(""),
       {holds("salida_varios.dat", spaced(std::string(69, 'x')) + spaced(kPacked))}},
      {"EmptyFile", {file("varios.dat", "")}, 0, exactly(""), exactly(""), {created_empty("salida_varios.dat")}},
      {"EmptyFileKeepsExistingOutput",
       {file("varios.dat", ""), file("salida_varios.dat", kOldTable)},
       0,
       exactly(""),
       exactly(""),
       {unchanged("salida_varios.dat")}},
      {"InputIsDirectory",
       {directory("varios.dat")},
       1,
       exactly("colspace: varios.dat: Is a directory\n"),
       exactly(""),
       {absent("salida_varios.dat")}},
      {"OutputIsDirectory",
       {file("varios.dat", kPacked + "\n"), directory("salida_varios.dat")},
       1,
       exactly("colspace: salida_varios.dat: Is a directory\n"),
       exactly(""),
       {still_directory("salida_varios.dat")}},
      {"OutputOnFullDevice",
       {file("varios.dat", kPacked + "\n"), full_device("salida_varios.dat")},
       1,
       exactly("colspace: salida_varios.dat: No space left on device\n"),
       exactly(""),
       {still_full_device("salida_varios.dat")}},
      // 2000 lines fill the output buffer: the first write that fails ends the run.
      {"LargeOutputOnFullDevice",
       {made_file("varios.dat",
                  [] {
                    std::string text;
                    for (int i = 0; i < 2000; ++i) text += kPacked + "\n";
                    return text;
                  }),
        full_device("salida_varios.dat")},
       1,
       exactly("colspace: salida_varios.dat: No space left on device\n"),
       exactly(""),
       {still_full_device("salida_varios.dat")}},
      {"CutInsideLastLine",
       {file("varios.dat", kPacked + "\n" + kPacked.substr(0, 30))},
       0,
       exactly(""),
       exactly(""),
       {holds("salida_varios.dat", spaced(kPacked) + spaced(kPacked.substr(0, 30)))}},
      {"NumbersAreText",
       {file("varios.dat", numbers)},
       0,
       exactly(""),
       exactly(""),
       {holds("salida_varios.dat", spaced_lines(numbers))}},
  };
}

class ColspaceHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ColspaceHostile, EndsAsStated) { run_case("colspace", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, ColspaceHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

// The expected lines are built here by the rule itself; check the rule on
// the packed record of the letters N to Z once, written out in full.
TEST(ColspaceRule, SpacedLineOfTheLetters) {
  EXPECT_EQ(spaced(kPacked), "NNNNNNNN OOOOO PPPPPP QQQ RRRRRR SSSS TTTTTT UUUUUUU VVVVVVV WWW XXXX YYYYY ZZZZZ\n");
  EXPECT_EQ(records_of("a\r\nb\rc\n\nd"), (std::vector<std::string>{"a", "b\rc", "", "d"}));
}

}  // namespace
}  // namespace toolkit_test::hardening
