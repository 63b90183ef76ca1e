// SPDX-License-Identifier: MIT
// The programs in a hostile environment: standard output a pipe whose reader
// has gone or a closed descriptor, a limit on the size of files or on the
// memory of the process, lines longer than that memory, and an output that is
// the same file as an input. Every run ends by itself with status 0 or 1,
// never by a signal, says what went wrong, and no file loses the records
// written before the failure nor receives part of one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"

namespace toolkit_test {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizers reserve terabytes of address space
#else
constexpr bool kSanitized = false;
#endif

struct Program {
  std::string name;
  std::string output;  // the file it writes
  bool prints;         // whether it writes to standard output
};

const Program kPrograms[] = {
    {"pickpair", "fases.dat", true}, {"hypomean", "res.dat", true},   {"mwcalc", "mw.dat", true},
    {"pathfix", "oufile", true},     {"colspace", "salida_varios.dat", false}, {"stalist", "estaciones_2.txt", false},
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The input files of a program's example, by name.
std::map<std::string, std::string> example_inputs(const std::string& program) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(fs::path(TOOLKIT_EXAMPLES_DIR) / program))
    if (entry.is_regular_file()) files[entry.path().filename().string()] = slurp(entry.path());
  return files;
}

std::string example_output(const Program& program) {
  return slurp(fs::path(TOOLKIT_EXAMPLES_DIR) / program.name / "expected" / program.output);
}

void write_all(const WorkDir& dir, const std::map<std::string, std::string>& files) {
  for (const auto& [name, content] : files) dir.write(name, content);
}

// Whether `part` is made of whole lines of `whole`, from its start.
bool whole_lines_from_start(const std::string& part, const std::string& whole) {
  return whole.compare(0, part.size(), part) == 0 && (part.empty() || part.back() == '\n');
}

void expect_ended_by_itself(const RunResult& run) {
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << "; standard error:\n" << run.err.substr(0, 2000);
  EXPECT_NE(run.exit_status, -1);
}

// Standard output a pipe that nobody reads: every write to it fails.
void broken_pipe() {
  int ends[2];
  if (::pipe(ends) != 0) ::_exit(127);
  ::close(ends[0]);
  ::dup2(ends[1], STDOUT_FILENO);
  ::close(ends[1]);
}

std::function<void()> limit(int resource, rlim_t bytes) {
  return [resource, bytes] {
    const rlimit value{bytes, bytes};
    if (::setrlimit(resource, &value) != 0) ::_exit(127);
  };
}

// 100 picks of one station: some 170 KB of lines on standard output, more
// than any buffer holds.
std::string hundred_picks() {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "ABCD        26 12 08 15 07 10.025          i P         1 U\n";
  return text;
}

// What `program` writes to `output` when nothing gets in its way.
std::string reference_output(const std::string& program, const std::map<std::string, std::string>& inputs,
                             const std::string& output) {
  WorkDir dir;
  write_all(dir, inputs);
  const RunResult run = run_program(program, dir);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return dir.read(output);
}

// --- Standard output a broken pipe --------------------------------------

TEST(BrokenPipe, EveryPrintingProgramSaysSoAndKeepsItsOutput) {
  for (const Program& program : kPrograms) {
    if (!program.prints) continue;
    SCOPED_TRACE(program.name);
    WorkDir dir;
    write_all(dir, example_inputs(program.name));
    const RunResult run = run_program(program.name, dir, broken_pipe);
    expect_ended_by_itself(run);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, program.name + ": standard output: Broken pipe\n");
    EXPECT_EQ(dir.read(program.output), example_output(program));
  }
}

// The pipe breaks while cards are still being converted: the cards made so
// far reach "fases.dat", whole, instead of a file cut to nothing.
TEST(BrokenPipe, CardsConvertedBeforeTheBreakAreKept) {
  const std::map<std::string, std::string> inputs{{"elocate.dat", hundred_picks()}};
  const std::string complete = reference_output("pickpair", inputs, "fases.dat");
  WorkDir dir;
  write_all(dir, inputs);
  dir.write("fases.dat", "an old card\n");
  const RunResult run = run_program("pickpair", dir, broken_pipe);
  expect_ended_by_itself(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "pickpair: standard output: Broken pipe\n");
  const std::string kept = dir.read("fases.dat");
  EXPECT_FALSE(kept.empty());
  EXPECT_TRUE(whole_lines_from_start(kept, complete)) << kept.substr(0, 200);
}

// --- A limit on the size of files ---------------------------------------

TEST(FileSizeLimit, WholeRecordsUpToTheLimitAndAMessage) {
  std::string spectrum = "0 0.001 20001\ntitle\n";
  for (int i = 0; i < 20000; ++i) spectrum += "1.25e-4\n";
  struct Case {
    std::string program, output;
    std::map<std::string, std::string> inputs;
    rlim_t limit;
  };
  const Case cases[] = {
      {"pathfix", "oufile", {{"infile", spectrum}, {"t1dhp", "30 40\n"}}, 100000},
      // At the end of the first or second chunk written: the chunk that
      // reached the file ends inside a record, which must not stay cut.
      {"pathfix", "oufile", {{"infile", spectrum}, {"t1dhp", "30 40\n"}}, 65536},
      {"pathfix", "oufile", {{"infile", spectrum}, {"t1dhp", "30 40\n"}}, 131072},
      {"pickpair", "fases.dat", {{"elocate.dat", hundred_picks()}}, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const std::string complete = reference_output(c.program, c.inputs, c.output);
    WorkDir dir;
    write_all(dir, c.inputs);
    // The limit holds for standard output too when it is a file: here it is not.
    const RunResult run = run_program(c.program, dir, [&c] {
      const int null_device = ::open("/dev/null", O_WRONLY);
      if (null_device < 0 || ::dup2(null_device, STDOUT_FILENO) < 0) ::_exit(127);
      limit(RLIMIT_FSIZE, c.limit)();
    });
    expect_ended_by_itself(run);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, c.program + ": " + c.output + ": File too large\n");
    const std::string kept = dir.read(c.output);
    EXPECT_GT(kept.size(), c.limit / 2);
    EXPECT_LE(kept.size(), c.limit);
    EXPECT_TRUE(whole_lines_from_start(kept, complete)) << kept.substr(kept.size() - std::min<std::size_t>(kept.size(), 100));
  }
}

// --- Standard output closed at the start --------------------------------

TEST(ClosedStandardOutput, PrintingProgramsFailTheOthersRunAsEver) {
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    WorkDir dir;
    write_all(dir, example_inputs(program.name));
    const RunResult run = run_program(program.name, dir, [] { ::close(STDOUT_FILENO); });
    expect_ended_by_itself(run);
    if (program.prints) {
      EXPECT_EQ(run.exit_status, 1);
      EXPECT_EQ(run.err, program.name + ": standard output: Bad file descriptor\n");
    } else {
      EXPECT_EQ(run.exit_status, 0);
      EXPECT_EQ(run.err, "");
    }
    // No output file took the place of standard output.
    EXPECT_EQ(dir.read(program.output), example_output(program));
  }
}

// --- Memory ---------------------------------------------------------------

// The smallest limit on the address space, in steps of 256 KiB, under which
// a program runs on a small input: its fixed needs, code and stack included.
rlim_t smallest_address_space() {
  static const rlim_t smallest = [] {
    for (rlim_t bytes = rlim_t{1} << 20; bytes <= rlim_t{256} << 20; bytes += rlim_t{256} << 10) {
      WorkDir dir;
      write_all(dir, example_inputs("mwcalc"));
      if (run_program("mwcalc", dir, limit(RLIMIT_AS, bytes)).exit_status == 0) return bytes;
    }
    return rlim_t{0};
  }();
  return smallest;
}

constexpr std::size_t kLongLine = std::size_t{24} << 20;  // bytes: more than the memory allowed below

// Each program given a line of 24 MiB where its input allows one, under a
// limit of 16 MiB of memory beyond its fixed needs: the same outputs as
// without the limit.
TEST(MemoryLimit, LinesLongerThanTheMemoryAllowed) {
  if (kSanitized) GTEST_SKIP() << "a limit on the address space does not apply under the sanitizers";
  const rlim_t base = smallest_address_space();
  ASSERT_GT(base, 0u);
  const std::string blanks(kLongLine, ' ');
  std::map<std::string, std::map<std::string, std::string>> inputs;
  for (const Program& program : kPrograms) inputs[program.name] = example_inputs(program.name);
  inputs["pickpair"]["elocate.dat"] += blanks + "\n";  // a blank pick line, 24 MiB long
  inputs["hypomean"]["t1"] = blanks + inputs["hypomean"]["t1"];
  inputs["mwcalc"]["t1.promedio"] = blanks + inputs["mwcalc"]["t1.promedio"];
  {
    std::string& spectrum = inputs["pathfix"]["infile"];  // the title line after the header
    const std::size_t title = spectrum.find('\n') + 1;
    spectrum.insert(title, std::string(kLongLine, 'T'));
  }
  inputs["colspace"]["varios.dat"] += std::string(kLongLine, 'x') + "\n";
  inputs["stalist"]["tempo2.dat"] = blanks + "\n" + inputs["stalist"]["tempo2.dat"];
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    const std::string expected = reference_output(program.name, inputs[program.name], program.output);
    WorkDir dir;
    write_all(dir, inputs[program.name]);
    const RunResult run = run_program(program.name, dir, limit(RLIMIT_AS, base + (rlim_t{16} << 20)));
    expect_ended_by_itself(run);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(dir.read(program.output) == expected);
  }
}

// Memory that runs out (a number of a million digits needs a megabyte held
// at once) ends the run as any failure does.
TEST(MemoryLimit, RunningOutIsAnError) {
  if (kSanitized) GTEST_SKIP() << "a limit on the address space does not apply under the sanitizers";
  const rlim_t base = smallest_address_space();
  ASSERT_GT(base, 0u);
  WorkDir dir;
  dir.write("epi.dat", "1 2 3\n");
  dir.write("t1.promedio", std::string(1000000, '7') + "\n");
  dir.write("mw.dat", "5.1\n");
  const RunResult run = run_program("mwcalc", dir, limit(RLIMIT_AS, base + (rlim_t{256} << 10)));
  expect_ended_by_itself(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "mwcalc: out of memory\n");
  EXPECT_EQ(dir.read("mw.dat"), "5.1\n");
}

// --- An output that is the same file as an input ------------------------

struct SameFileCase {
  std::string name;
  std::string program, output, input;
  bool hard_link;
};

std::vector<SameFileCase> same_file_cases() {
  const std::pair<std::string, std::vector<std::pair<std::string, std::string>>> pairs[] = {
      {"pickpair", {{"fases.dat", "elocate.dat"}}},
      {"hypomean", {{"res.dat", "t1"}}},
      {"mwcalc", {{"mw.dat", "epi.dat"}, {"mw.dat", "t1.promedio"}}},
      {"pathfix", {{"oufile", "infile"}, {"oufile", "t1dhp"}}},
      {"colspace", {{"salida_varios.dat", "varios.dat"}}},
      {"stalist", {{"estaciones_2.txt", "tempo2.dat"}}},
  };
  std::vector<SameFileCase> cases;
  for (const auto& [program, files] : pairs)
    for (const auto& [output, input] : files)
      for (const bool hard : {false, true}) {
        std::string name = program + "_" + output + "_" + input + (hard ? "_HardLink" : "_SymbolicLink");
        std::replace(name.begin(), name.end(), '.', '_');
        cases.push_back({name, program, output, input, hard});
      }
  return cases;
}

void PrintTo(const SameFileCase& c, std::ostream* os) { *os << c.name; }

class SameFile : public ::testing::TestWithParam<SameFileCase> {};

// The run ends before anything is written, every file as it was.
TEST_P(SameFile, RefusedWithEveryFileUntouched) {
  const SameFileCase& c = GetParam();
  WorkDir dir;
  const std::map<std::string, std::string> inputs = example_inputs(c.program);
  write_all(dir, inputs);
  if (c.hard_link) {
    fs::create_hard_link(dir.file(c.input), dir.file(c.output));
  } else {
    fs::create_symlink(c.input, dir.file(c.output));
  }
  const RunResult run = run_program(c.program, dir);
  expect_ended_by_itself(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, c.program + ": " + c.output + ": is the same file as " + c.input + "\n");
  EXPECT_EQ(run.out, "");
  for (const auto& [name, content] : inputs) EXPECT_TRUE(dir.read(name) == content) << name << " changed";
}

INSTANTIATE_TEST_SUITE_P(Links, SameFile, ::testing::ValuesIn(same_file_cases()), case_name<SameFileCase>);

// Standard output appended to the input it echoes.
TEST(SameFileAsStandardOutput, Refused) {
  WorkDir dir;
  const std::map<std::string, std::string> inputs = example_inputs("hypomean");
  write_all(dir, inputs);
  const std::string t1 = dir.file("t1").string();
  const RunResult run = run_program("hypomean", dir, [&t1] {
    const int out = ::open(t1.c_str(), O_WRONLY | O_APPEND);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) ::_exit(127);
  });
  expect_ended_by_itself(run);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "hypomean: standard output: is the same file as t1\n");
  EXPECT_EQ(dir.read("t1"), inputs.at("t1"));
}

}  // namespace
}  // namespace toolkit_test
