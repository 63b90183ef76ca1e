// SPDX-License-Identifier: MIT
// Files: line ends, lines longer than the read buffer, the replacing of
// output files, failures and the end of a run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codec.hpp"
#include "program_run.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::begin_run;
using detail::InputBuffer;
using toolkit_test::WorkDir;

constexpr std::size_t kWholeRecords = std::size_t{1} << 30;

std::vector<std::string> records_of(InputFile& file, std::size_t held = kWholeRecords) {
  std::vector<std::string> records;
  while (auto record = InputBuffer::of(file).next_record(held)) records.emplace_back(*record);
  return records;
}

std::vector<std::string> records_of_disk_file(const std::string& content, std::size_t held = kWholeRecords) {
  WorkDir dir;
  dir.write("input", content);
  InputFile file = open_input(dir.file("input").string());
  return records_of(file, held);
}

TEST(InputRecords, LineEnds) {
  using Records = std::vector<std::string>;
  const std::pair<std::string, Records> cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb\r\nc", {"a", "b", "c"}},  // LF, CRLF, and a last line without a line end
      {"a\r\r\n", {"a\r"}},            // only the CR right before the LF belongs to the line end
      {"a\rb\n", {"a\rb"}},
      {"\r", {"\r"}},
      {"\n\n", {"", ""}},
      {std::string("x\0y\xff\n", 5), {std::string("x\0y\xff", 4)}},  // bytes are bytes
  };
  for (const auto& [content, expected] : cases) {
    EXPECT_EQ(records_of_disk_file(content), expected);
    InputFile memory = InputBuffer::from_text("memory", content);
    EXPECT_EQ(records_of(memory), expected);
  }
}

// Lines around and beyond the size of one read from the system.
TEST(InputRecords, LongLinesAcrossReads) {
  std::string content;
  std::vector<std::string> expected;
  for (const std::size_t length : {65535u, 65536u, 65537u, 1u, 200000u, 0u, 131071u}) {
    expected.push_back(std::string(length, static_cast<char>('a' + length % 26)));
    content += expected.back() + (length % 2 ? "\r\n" : "\n");
  }
  content += "tail";
  expected.push_back("tail");
  EXPECT_EQ(records_of_disk_file(content), expected);
}

// A record is held only as far as its reader needs: the rest of a longer
// one is passed over, and the next record starts on the next line.
TEST(InputRecords, RecordsCutToWhatIsHeld) {
  std::string content;
  for (const std::size_t length : {10u, 3u, 200000u, 0u, 65541u}) content += std::string(length, 'x') + "\r\n";
  content += "last";
  using Records = std::vector<std::string>;
  EXPECT_EQ(records_of_disk_file(content, 4), (Records{"xxxx", "xxx", "xxxx", "", "xxxx", "last"}));
  EXPECT_EQ(records_of_disk_file(content, 0), Records(6, ""));
}

TEST(InputRecords, LineNumbersAndLookAhead) {
  InputFile file = InputBuffer::from_text("f", "one\ntwo\n  \n\t\n");
  InputBuffer& buffer = InputBuffer::of(file);
  EXPECT_EQ(file.line_number(), 0);
  buffer.next_record(kWholeRecords);
  buffer.next_record(kWholeRecords);
  EXPECT_EQ(file.line_number(), 2);
  EXPECT_TRUE(buffer.has_more_records());
  EXPECT_EQ(file.line_number(), 2);  // looking ahead takes nothing
  EXPECT_TRUE(buffer.only_blanks_remain());
  EXPECT_FALSE(buffer.has_more_records());

  InputFile more = InputBuffer::from_text("f", "\n \n x\n");
  EXPECT_FALSE(InputBuffer::of(more).only_blanks_remain());
  EXPECT_EQ(more.line_number(), 2);  // the text stands on the line after
  InputFile none = InputBuffer::from_text("f", "");
  EXPECT_FALSE(InputBuffer::of(none).has_more_records());
}

TEST(OutputFiles, ReplacedWhenTheFirstRecordIsWritten) {
  WorkDir dir;
  dir.write("out", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
  {
    OutputFile out = open_output(dir.file("out").string());
    EXPECT_EQ(dir.read("out").size(), 21u);  // opening cuts nothing
    write_free(out, {1});
    write_free(out, {2});
    write_free(out, {3});
    close_file(out);
  }
  EXPECT_EQ(dir.read("out"), "           1\n           2\n           3\n");
}

TEST(OutputFiles, UntouchedWhenNothingIsWritten) {
  WorkDir dir;
  dir.write("kept", "old content\n");
  {
    OutputFile kept = open_output(dir.file("kept").string());
    OutputFile created = open_output(dir.file("created").string());
    close_file(kept);
    close_file(created);
  }
  EXPECT_EQ(dir.read("kept"), "old content\n");
  EXPECT_TRUE(dir.exists("created"));
  EXPECT_EQ(dir.read("created"), "");
}

TEST(OutputFiles, ManyRecordsPassTheBuffer) {
  WorkDir dir;
  const Layout layout("(I6)");
  {
    OutputFile out = open_output(dir.file("many").string());
    for (std::int32_t i = 0; i < 50000; ++i) write_fixed(out, layout, {i});
    close_file(out);
  }
  const std::string content = dir.read("many");
  EXPECT_EQ(content.size(), 50000u * 7);
  EXPECT_EQ(content.substr(content.size() - 7), " 49999\n");
}

// Failures end the run with status 1 and one line naming the file.
using FilesDeathTest = ::testing::Test;

TEST_F(FilesDeathTest, MissingInput) {
  WorkDir dir;
  const std::string name = dir.file("elocate.dat").string();
  EXPECT_EXIT(([&] {
                begin_run("pickpair");
                open_input(name);
              }()),
              ::testing::ExitedWithCode(kExitFailure), "^pickpair: .*elocate.dat: No such file or directory\n$");
}

TEST_F(FilesDeathTest, DirectoryAsInputOrOutput) {
  WorkDir dir;
  std::filesystem::create_directory(dir.file("t1"));
  const std::string name = dir.file("t1").string();
  EXPECT_EXIT(open_input(name), ::testing::ExitedWithCode(kExitFailure), "t1: Is a directory\n$");
  EXPECT_EXIT(open_output(name), ::testing::ExitedWithCode(kExitFailure), "t1: Is a directory\n$");
}

TEST_F(FilesDeathTest, WriteThatDoesNotReachTheDisk) {
  WorkDir dir;
  std::filesystem::create_symlink("/dev/full", dir.file("fases.dat"));
  const std::string name = dir.file("fases.dat").string();
  EXPECT_EXIT(([&] {
                OutputFile out = open_output(name);
                write_free(out, {"card"});
                finish();
              }()),
              ::testing::ExitedWithCode(kExitFailure), "fases.dat: No space left on device\n$");
}

// A record written to a file already closed is a fault of the program, never
// data silently lost or written: the run stops there, whichever call wrote it.
TEST_F(FilesDeathTest, RecordAfterCloseIsRefused) {
  WorkDir dir;
  const std::string name = dir.file("oufile").string();
  const float values[] = {1.5f, 2.5f};
  EXPECT_DEATH(([&] {
                 OutputFile out = open_output(name);
                 write_free(out, {0.5f});
                 close_file(out);
                 write_free(out, {1.5f});
               }()),
               "internal error: a record written to .*oufile after it was closed");
  EXPECT_EQ(dir.read("oufile"), "  0.500000000    \n");
  EXPECT_DEATH(([&] {
                 OutputFile out = open_output(name);
                 close_file(out);
                 write_free_each(out, values);
               }()),
               "internal error: a record written to .*oufile after it was closed");
}

TEST_F(FilesDeathTest, BadDataNamesFileLineAndColumns) {
  EXPECT_EXIT(([&] {
                begin_run("pickpair");
                InputFile file = InputBuffer::from_text("elocate.dat", "fine\nABCD        26 12 08 15 07 1x.5\n");
                Text<4> station{};
                float seconds = 0;
                const Layout layout("(A4,23x,F6.3)");
                read_fixed(file, layout, {station, seconds});
                read_fixed(file, layout, {station, seconds});
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "^pickpair: elocate.dat:2: columns 28-33: cannot read \"1x.5\" as a number\n$");
}

TEST_F(FilesDeathTest, UnexpectedEndOfFile) {
  EXPECT_EXIT(([&] {
                begin_run("mwcalc");
                InputFile file = InputBuffer::from_text("epi.dat", "1.0\n2.0\n");
                float a, b, c;
                read_free_required(file, {a, b, c});
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "^mwcalc: epi.dat: end of file after line 2: expected 3 values, found 2\n$");
  EXPECT_EXIT(([&] {
                InputFile file = InputBuffer::from_text("t1.promedio", "");
                float level;
                read_free_required(file, {level});
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "t1.promedio: end of file \\(the file is empty\\): expected 1 value, found 0\n$");
}

// A failure writes out what every output holds before the run ends: the
// records written before it reach their files, and an output that cannot be
// written is named, after which the others are still written out.
TEST_F(FilesDeathTest, FailureWritesOutEveryOutputFirst) {
  WorkDir dir;
  std::filesystem::create_symlink("/dev/full", dir.file("full"));
  const std::string first = dir.file("first").string();
  const std::string full = dir.file("full").string();
  const std::string last = dir.file("last").string();
  EXPECT_EXIT(([&] {
                begin_run("stalist");
                OutputFile a = open_output(first);
                OutputFile f = open_output(full);
                OutputFile b = open_output(last);
                write_free(a, {"one"});
                write_free(f, {"lost"});
                write_free(b, {"two"});
                write_free(b, {"three"});
                fail("tempo2.dat:3", "cannot read \"x\" as an integer");
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "^stalist: .*full: No space left on device\nstalist: tempo2.dat:3: cannot read \"x\" as an integer\n$");
  EXPECT_EQ(dir.read("first"), " one\n");
  EXPECT_EQ(dir.read("last"), " two\n three\n");
}

// A required value that a slash or an empty value between commas leaves
// unset is as missing as one after the end of the file.
TEST_F(FilesDeathTest, RequiredValuesLeftUnset) {
  struct Case {
    const char* text;
    std::size_t values;  // asked for
    const char* message;
  };
  const Case cases[] = {
      {"\n / 2.0\n", 1, "^mwcalc: t1.promedio:2: expected 1 value, found 0 before a slash\n$"},
      {"1.5 /\n", 2, "^mwcalc: t1.promedio:1: expected 2 values, found 1 before a slash\n$"},
      {"1.5,,2.5\n", 3, "^mwcalc: t1.promedio:1: expected 3 values, found 2 \\(an empty value between commas\\)\n$"},
      {",\n", 1, "^mwcalc: t1.promedio:1: expected 1 value, found 0 \\(an empty value between commas\\)\n$"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(([&] {
                  begin_run("mwcalc");
                  InputFile again = InputBuffer::from_text("t1.promedio", c.text);
                  float values[3] = {0, 0, 0};
                  switch (c.values) {  // as many items as the case asks for
                    case 1: read_free_required(again, {values[0]}); break;
                    case 2: read_free_required(again, {values[0], values[1]}); break;
                    default: read_free_required(again, {values[0], values[1], values[2]}); break;
                  }
                  std::exit(0);
                }()),
                ::testing::ExitedWithCode(kExitFailure), c.message)
        << c.text;
  }
}

// Started with standard output closed, a program must neither write its
// standard output into the first file it opens nor report success with its
// results lost: the first write to standard output fails.
TEST_F(FilesDeathTest, ClosedStandardOutputIsAWriteFailure) {
  WorkDir dir;
  const std::string name = dir.file("res.dat").string();
  EXPECT_EXIT(([&] {
                ::close(STDOUT_FILENO);
                begin_run("hypomean");
                OutputFile out = open_output(name);
                write_free(standard_output(), {"to standard output"});
                write_free(out, {"to the file"});
                finish();
              }()),
              ::testing::ExitedWithCode(kExitFailure), "^hypomean: standard output: Bad file descriptor\n$");
  EXPECT_EQ(dir.read("res.dat"), " to the file\n");
}

// The note names the exceptions the program's arithmetic raised; the
// layer's own conversions raise none.
TEST_F(FilesDeathTest, FloatingPointNote) {
  EXPECT_EXIT(([&] {
                begin_run("hypomean");
                volatile float zero = 0.0f;
                const float nan = zero / zero;
                std::string out;
                detail::encode_free(out, std::vector<OutItem>{nan, 1.0e-45f});
                finish();
              }()),
              ::testing::ExitedWithCode(kExitSuccess),
              "^hypomean: note: floating-point exceptions were raised: invalid operation\n$");
  EXPECT_EXIT(([&] {
                begin_run("pathfix");
                InputFile file = InputBuffer::from_text("infile", "1e-45 0.1 1e-50 1e38\n");
                float a, b, c, d;
                read_free_required(file, {a, b, c, d});
                std::string out;
                detail::encode_free(out, std::vector<OutItem>{a, b, c, d});
                detail::encode_fixed(out, Layout("(4F8.3)"), std::vector<OutItem>{a, b, c, d});
                finish();
              }()),
              ::testing::ExitedWithCode(kExitSuccess), "^$");
  EXPECT_EXIT(([&] {
                begin_run("mwcalc");
                volatile float big = 3.0e38f, tiny = 1.0e-30f, one = 1.0f, zero = 0.0f;
                [[maybe_unused]] volatile float result = one / zero;
                result = big * big;
                result = tiny * tiny;
                finish();
              }()),
              ::testing::ExitedWithCode(kExitSuccess),
              "^mwcalc: note: floating-point exceptions were raised: division by zero, overflow, underflow\n$");
}

}  // namespace
}  // namespace record_io
