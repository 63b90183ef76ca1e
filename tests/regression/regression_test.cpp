// SPDX-License-Identifier: MIT
// Regression: one case for each fault found and fixed so far outside the
// number conversions, named after what broke, on the smallest input that
// showed it. Each fault is also an entry of the mutation check
// (tests/mutation/catalogue) where it can be planted again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "codec.hpp"
#include "program_run.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::InputBuffer;
using detail::LayoutData;
using toolkit_test::lines_of;
using toolkit_test::run_program;
using toolkit_test::WorkDir;

// An empty text read from memory has a buffer of no bytes at all: looking
// for a line end in it passed a null pointer to memchr, and copying it to
// memcpy (the sanitizer build reports either).
TEST(Regression, EmptyTextGaveANullPointerToMemchr) {
  InputFile file = InputBuffer::from_text("empty", "");
  EXPECT_FALSE(InputBuffer::of(file).next_record(80).has_value());
  Text<4> code{'?', '?', '?', '?'};
  const InItem items[] = {code};
  EXPECT_FALSE(detail::decode_fixed(std::string_view(), Layout("(A4)"), items).has_value());
  EXPECT_EQ(std::string_view(code.data(), 4), "    ");
}

// A write that failed in the middle of a run was reported when it failed,
// and again when the outputs were written out before the run ended.
TEST(Regression, WriteFailureMidRunWasReportedTwice) {
  WorkDir dir;
  std::filesystem::create_symlink("/dev/full", dir.file("oufile"));
  const std::string name = dir.file("oufile").string();
  EXPECT_EXIT(([&] {
                detail::begin_run("pathfix");
                OutputFile out = open_output(name);
                for (int i = 0; i < 100000; ++i) write_free(out, {1.5f});  // many times the buffer
                close_file(out);
                finish();
              }()),
              ::testing::ExitedWithCode(kExitFailure), "^pathfix: .*oufile: No space left on device\n$");
}

// The fields of a group counted twice toward the limit on a layout's
// columns: 1,048,560 columns, within the limit, were refused.
TEST(Regression, GroupColumnsWereCountedTwice) {
  std::string why;
  const auto layout = LayoutData::parse("(16(A65535))", &why);
  ASSERT_TRUE(layout.has_value()) << why;
  EXPECT_EQ(LayoutData::of(*layout).record_width(), 1048560u);
}

// A row of texts read from a record shorter than its layout took the missing
// columns from the bytes after the record in the buffer (the next line)
// instead of blanks; one column short is the edge.
TEST(Regression, RowOfTextsReadPastAShortRecord) {
  WorkDir dir;
  dir.write("varios.dat", "abcd\nWXYZ12\nxy\nPQRSTU\n");
  {
    InputFile table = open_input(dir.file("varios.dat").string());
    OutputFile out = open_output(dir.file("salida").string());
    const Layout packed("(A2,A3)");
    const Layout spaced("(A2,1X,A3)");
    TextRow<3, 2> row;
    while (read_fixed(table, packed, row) == ReadStatus::record) write_fixed(out, spaced, row);
    close_file(out);
  }
  EXPECT_EQ(dir.read("salida"), lines_of({"ab cd ", "WX YZ1", "xy    ", "PQ RST"}));
}

// hypomean's capacity warning gave no line; every program's now names the
// line of the first record left out, after any blank lines.
TEST(Regression, CapacityWarningNamedNoLine) {
  WorkDir dir;
  std::string t1;
  for (int i = 0; i < 10; ++i) t1 += "1 2 3 4 1 2 3 4 5 6\n";
  dir.write("t1", t1 + "\n  \n1 2 3 4 1 2 3 4 5 6\n");
  const auto run = run_program("hypomean", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "hypomean: t1:13: warning: more than 10 location records; only the first 10 were averaged\n");
}

// Standard output closed at the start was replaced by a /dev/null open for
// writing: what the program printed vanished, and the run ended with status
// 0 as if it had been printed.
TEST(Regression, ClosedStandardOutputWasSwallowed) {
  WorkDir dir;
  dir.write("epi.dat", "1 2 3\n");
  dir.write("t1.promedio", "2.0\n");
  const auto run = run_program("mwcalc", dir, [] { ::close(STDOUT_FILENO); });
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "mwcalc: standard output: Bad file descriptor\n");
  EXPECT_EQ(dir.read("mw.dat"), "2.6\n");
}

// Standard error closed at the start was taken by the first file the
// program opened, which then received its messages.
TEST(Regression, ClosedStandardErrorReceivedTheMessages) {
  WorkDir dir;
  dir.write("elocate.dat", "ABCD        26 12 08 15 07 1x.5\n");
  const auto run = run_program("pickpair", dir, [] { ::close(STDERR_FILENO); });
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(dir.read("fases.dat"), "");
}

// A null value between commas was counted among the values read, so that a
// required read that lacked a value did not say so.
TEST(Regression, NullValueWasCountedAsAValueRead) {
  InputFile file = InputBuffer::from_text("epi.dat", "1.5,,2.5\n");
  float a = 0, b = -1, c = 0;
  const InItem items[] = {a, b, c};
  const detail::FreeReadOutcome outcome = detail::read_free_values(InputBuffer::of(file), items);
  EXPECT_EQ(outcome.read.values_read, 2u);
  EXPECT_EQ(b, -1.0f);
  EXPECT_EQ(c, 2.5f);
}

// A write to a pipe whose reader had gone killed the program by SIGPIPE,
// with no message and the records of its files lost.
TEST(Regression, BrokenPipeKilledTheProgramUnheard) {
  WorkDir dir;
  dir.write("epi.dat", "1 2 3\n");
  dir.write("t1.promedio", "2.0\n");
  const auto run = run_program("mwcalc", dir, [] {
    int ends[2];
    if (::pipe(ends) != 0) ::_exit(127);
    ::close(ends[0]);
    ::dup2(ends[1], STDOUT_FILENO);
  });
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "mwcalc: standard output: Broken pipe\n");
  EXPECT_EQ(dir.read("mw.dat"), "2.6\n");
}

// An output linked to an input was cut, and then written, while the input
// was still being read.
TEST(Regression, OutputLinkedToItsInputWasOverwritten) {
  WorkDir dir;
  const std::string list = "ABCD 3 42.15 40 25.3 655\n";
  dir.write("tempo2.dat", list);
  std::filesystem::create_symlink("tempo2.dat", dir.file("estaciones_2.txt"));
  const auto run = run_program("stalist", dir);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "stalist: estaciones_2.txt: is the same file as tempo2.dat\n");
  EXPECT_EQ(dir.read("tempo2.dat"), list);
}

// A value of more than 1 MiB that came to lie whole in the input buffer
// (grown by an earlier long value) was converted instead of refused.
TEST(Regression, LongValueWholeInTheBufferWasConverted) {
  WorkDir dir;
  const std::string first = "0." + std::string(700000, '0') + "1";                  // 700003 bytes
  const std::string second = "0." + std::string(std::size_t{1} << 20, '0') + "1";  // 1048579 bytes
  dir.write("infile", first + " " + second + " 7\n");
  const std::string name = dir.file("infile").string();
  EXPECT_EXIT(([&] {
                detail::begin_run("pathfix");
                InputFile file = open_input(name);
                float a = 1, b = 1, c = 1;
                read_free(file, {a, b, c});
                std::exit(kExitSuccess);
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "^pathfix: .*infile:1: column 700005: a value of more than 1048576 bytes \\(values are read up to 1 "
              "MiB\\)\n$");
}

// The smallest sample count, -2147483648, wrapped round when the number of
// amplitudes was taken as the count less one.
TEST(Regression, SmallestSampleCountWrappedRound) {
  WorkDir dir;
  dir.write("t1dhp", "30 40\n");
  dir.write("infile", "0 0.5 -2147483648\nx\n1.0\n");
  const auto run = run_program("pathfix", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "   0.00000000    \n");
  EXPECT_EQ(dir.read("oufile"), "");
}

}  // namespace
}  // namespace record_io
