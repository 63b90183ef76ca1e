// Golden files: every example working directory, run again, must reproduce
// the outputs stored beside it in expected/ byte for byte. Each file there is
// an output file of the program, except "stdout" and "stderr", which hold what
// it prints (an absent "stderr" means it prints nothing there).
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

std::string content_of(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> example_programs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kExamples))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
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

INSTANTIATE_TEST_SUITE_P(Golden, Example, ::testing::ValuesIn(example_programs()),
                         [](const ::testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
