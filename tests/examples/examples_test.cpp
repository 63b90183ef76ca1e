// SPDX-License-Identifier: MIT
// Golden files: every example working directory, run again, must reproduce
// the outputs stored beside it in expected/ byte for byte. Each file there is
// an output file of the program, except "stdout" and "stderr", which hold what
// it prints (an absent "stderr" means it prints nothing there).
//
// A directory of examples/ named after no program is an event: each of its
// subdirectories but expected/ is a station, where pathfix and then specfit
// run; the stations' nivel.dat files, in order of their names, make the
// event's niveles.dat; then levelmean and mwcalc run in the event's
// directory. Its expected/ mirrors the tree, with "<program>.stdout" (and
// "<program>.stderr", absent when empty) beside the files of each directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace {

namespace fs = std::filesystem;
using toolkit_test::run_program;
using toolkit_test::WorkDir;

const fs::path kExamples = TOOLKIT_EXAMPLES_DIR;
const fs::path kSources = kExamples.parent_path();

std::string content_of(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool is_program(const std::string& name) { return fs::exists(kSources / name / "main.cpp"); }

// The example directories named after a program (`programs` true), or the
// others, the events.
std::vector<std::string> examples(bool programs) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kExamples)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && is_program(name) == programs) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Example : public ::testing::TestWithParam<std::string> {};

TEST_P(Example, ReproducesItsStoredOutputs) {
  const std::string program = GetParam();
  const fs::path example = kExamples / program;
  const fs::path expected = example / "expected";
  ASSERT_TRUE(fs::is_directory(expected)) << expected;

  WorkDir dir;
  for (const auto& entry : fs::directory_iterator(example))
    if (entry.is_regular_file()) fs::copy_file(entry.path(), dir.file(entry.path().filename().string()));
  const auto run = run_program(program, dir);

  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out, content_of(expected / "stdout"));
  EXPECT_EQ(run.err, fs::exists(expected / "stderr") ? content_of(expected / "stderr") : "");
  for (const auto& entry : fs::directory_iterator(expected)) {
    const std::string name = entry.path().filename().string();
    if (name == "stdout" || name == "stderr") continue;
    ASSERT_TRUE(dir.exists(name)) << program << " did not write " << name;
    EXPECT_EQ(dir.read(name), content_of(entry.path())) << program << ": " << name << " differs";
  }
}

INSTANTIATE_TEST_SUITE_P(Golden, Example, ::testing::ValuesIn(examples(true)),
                         [](const ::testing::TestParamInfo<std::string>& param) { return param.param; });

class EventExample : public ::testing::TestWithParam<std::string> {};

// Runs `program` in `subdirectory` of the work directory and checks its exit
// status and what it printed against "<program>.stdout" and ".stderr" in
// `expected`.
void run_step(const std::string& program, const WorkDir& dir, const fs::path& subdirectory, const fs::path& expected) {
  const auto run = toolkit_test::run_program_in(program, dir, subdirectory.string());
  const fs::path printed = expected / subdirectory / program;
  EXPECT_EQ(run.exit_status, 0) << program << " in " << subdirectory << ": " << run.err;
  EXPECT_EQ(run.out, content_of(printed.string() + ".stdout")) << program << " in " << subdirectory;
  const fs::path err = printed.string() + ".stderr";
  EXPECT_EQ(run.err, fs::exists(err) ? content_of(err) : "") << program << " in " << subdirectory;
}

TEST_P(EventExample, RunsTheChainAndReproducesItsStoredOutputs) {
  const fs::path event = kExamples / GetParam();
  const fs::path expected = event / "expected";
  ASSERT_TRUE(fs::is_directory(expected)) << expected;

  WorkDir dir;
  std::vector<std::string> stations;
  for (const auto& entry : fs::directory_iterator(event)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file()) fs::copy_file(entry.path(), dir.file(name));
    if (entry.is_directory() && name != "expected") {
      fs::copy(entry.path(), dir.file(name), fs::copy_options::recursive);
      stations.push_back(name);
    }
  }
  std::sort(stations.begin(), stations.end());
  ASSERT_GE(stations.size(), 3u);

  std::string levels;
  for (const std::string& station : stations) {
    run_step("pathfix", dir, station, expected);
    run_step("specfit", dir, station, expected);
    levels += dir.read(station + "/nivel.dat");
  }
  dir.write("niveles.dat", levels);
  run_step("levelmean", dir, "", expected);
  run_step("mwcalc", dir, "", expected);

  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(expected)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = fs::relative(entry.path(), expected).string();
    const std::string extension = entry.path().extension().string();
    if (extension == ".stdout" || extension == ".stderr") continue;
    ASSERT_TRUE(dir.exists(name)) << "the chain did not write " << name;
    EXPECT_TRUE(dir.read(name) == content_of(entry.path())) << name << " differs";
    ++compared;
  }
  // oufile, nivel.dat and espectro.svg of each station; niveles.dat,
  // t1.promedio and mw.dat of the event.
  EXPECT_EQ(compared, 3 * static_cast<int>(stations.size()) + 3);
}

INSTANTIATE_TEST_SUITE_P(Golden, EventExample, ::testing::ValuesIn(examples(false)),
                         [](const ::testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
