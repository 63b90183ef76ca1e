// SPDX-License-Identifier: MIT
// The command line of every program: --help, -h and --version, alone, answer
// and touch no file; any other command line runs the program as ever.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace toolkit_test {
namespace {

namespace fs = std::filesystem;

const char* const kPrograms[] = {"pickpair", "hypomean", "mwcalc",  "pathfix",
                                 "colspace", "stalist",  "specfit", "levelmean"};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A working directory as the program's example leaves it: its inputs, and
// every output file it writes (from expected/), by name.
std::map<std::string, std::string> after_example(const std::string& program) {
  const fs::path example = fs::path(TOOLKIT_EXAMPLES_DIR) / program;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(example))
    if (entry.is_regular_file()) files[entry.path().filename().string()] = slurp(entry.path());
  for (const auto& entry : fs::directory_iterator(example / "expected")) {
    const std::string name = entry.path().filename().string();
    if (name != "stdout" && name != "stderr") files[name] = slurp(entry.path());
  }
  return files;
}

std::string expected_stdout(const std::string& program) {
  const fs::path path = fs::path(TOOLKIT_EXAMPLES_DIR) / program / "expected" / "stdout";
  return fs::exists(path) ? slurp(path) : std::string();
}

struct Snapshot {
  std::map<std::string, std::string> contents;
  std::map<std::string, fs::file_time_type> times;
};

Snapshot snapshot(const WorkDir& dir) {
  Snapshot s;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    s.contents[name] = slurp(entry.path());
    s.times[name] = fs::last_write_time(entry.path());
  }
  return s;
}

// Each of the three answers, in a directory that holds every file the
// program reads and writes: status 0, the answer on standard output, and
// every file as it was, to the byte and to the modification time.
TEST(CommandLine, HelpAndVersionTouchNoFile) {
  for (const std::string program : kPrograms) {
    for (const std::string argument : {"--help", "-h", "--version"}) {
      SCOPED_TRACE(program + " " + argument);
      WorkDir dir;
      for (const auto& [name, content] : after_example(program)) dir.write(name, content);
      const Snapshot before = snapshot(dir);
      const RunResult run = run_program_in(program, dir, {}, {argument});
      EXPECT_EQ(run.exit_status, 0);
      EXPECT_EQ(run.err, "");
      if (argument == "--version") {
        EXPECT_EQ(run.out, program + " (seismic-toolkit) " TOOLKIT_VERSION "\n");
      } else {
        EXPECT_EQ(run.out.rfind("usage: " + program + " [--help | --version]\n", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("\nManual page: man " + program + "\n"), std::string::npos) << run.out;
      }
      const Snapshot after = snapshot(dir);
      EXPECT_TRUE(after.contents == before.contents) << "a file changed";
      EXPECT_TRUE(after.times == before.times) << "a file was written";
    }
  }
}

// Any other command line is ignored: the program runs on its example and
// gives its outputs, as with no argument at all.
TEST(CommandLine, OtherArgumentsAreIgnored) {
  const std::vector<std::vector<std::string>> command_lines = {
      {"--verbose"}, {"--help", "extra"}, {"-v"}, {"input.dat", "--version"}, {""}};
  for (const std::string program : kPrograms) {
    const std::map<std::string, std::string> outputs = [&] {
      std::map<std::string, std::string> files;
      for (const auto& entry : fs::directory_iterator(fs::path(TOOLKIT_EXAMPLES_DIR) / program / "expected")) {
        const std::string name = entry.path().filename().string();
        if (name != "stdout" && name != "stderr") files[name] = slurp(entry.path());
      }
      return files;
    }();
    for (const std::vector<std::string>& arguments : command_lines) {
      SCOPED_TRACE(program + " with " + std::to_string(arguments.size()) + " arguments, the first \"" +
                   arguments.front() + "\"");
      WorkDir dir;
      for (const auto& entry : fs::directory_iterator(fs::path(TOOLKIT_EXAMPLES_DIR) / program))
        if (entry.is_regular_file()) dir.write(entry.path().filename().string(), slurp(entry.path()));
      const RunResult run = run_program_in(program, dir, {}, arguments);
      EXPECT_EQ(run.exit_status, 0) << run.err;
      EXPECT_EQ(run.out, expected_stdout(program));
      for (const auto& [name, content] : outputs) EXPECT_TRUE(dir.read(name) == content) << name;
    }
  }
}

}  // namespace
}  // namespace toolkit_test
