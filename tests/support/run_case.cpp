// SPDX-License-Identifier: MIT
#include "run_case.hpp"

#include <chrono>
#include <filesystem>
#include <regex>

#include "program_run.hpp"

namespace toolkit_test {
namespace fs = std::filesystem;

namespace {

// Every case ends well within this; run_program itself ends a run after a minute.
constexpr auto kTimeLimit = std::chrono::seconds(20);
constexpr const char* kFullDevice = "/dev/full";

void check_stream(const char* which, const std::string& got, const Stream& expected) {
  if (expected.is_pattern) {
    EXPECT_TRUE(std::regex_match(got, std::regex(expected.text))) << which << " is:\n"
                                                                  << got.substr(0, 2000) << "\nwhich does not match:\n"
                                                                  << expected.text;
  } else {
    EXPECT_EQ(got.size() < 100000 ? got : got.substr(0, 2000), expected.text) << which;
  }
}

}  // namespace

Entry file(std::string name, std::string content) {
  return {std::move(name), Entry::Kind::file, [content = std::move(content)] { return content; }};
}
Entry made_file(std::string name, std::function<std::string()> make) {
  return {std::move(name), Entry::Kind::file, std::move(make)};
}
Entry directory(std::string name) { return {std::move(name), Entry::Kind::directory, {}}; }
Entry full_device(std::string name) { return {std::move(name), Entry::Kind::full_device, {}}; }

Outcome absent(std::string name) { return {std::move(name), Outcome::State::absent, {}, {}}; }
Outcome created_empty(std::string name) { return {std::move(name), Outcome::State::empty, {}, {}}; }
Outcome unchanged(std::string name) { return {std::move(name), Outcome::State::unchanged, {}, {}}; }
Outcome holds(std::string name, std::string content) {
  return {std::move(name), Outcome::State::holds, std::move(content), {}};
}
Outcome satisfies(std::string name, std::function<void(const std::string&)> check) {
  return {std::move(name), Outcome::State::satisfies, {}, std::move(check)};
}
Outcome still_directory(std::string name) { return {std::move(name), Outcome::State::still_directory, {}, {}}; }
Outcome still_full_device(std::string name) { return {std::move(name), Outcome::State::still_full_device, {}, {}}; }

Stream exactly(std::string text) { return {false, std::move(text)}; }
Stream matching(std::string pattern) { return {true, std::move(pattern)}; }

ProgramCase failure(std::string name, std::vector<Entry> before, std::string message, std::vector<Outcome> after,
                    std::optional<Stream> out) {
  return {std::move(name), std::move(before), 1, exactly(std::move(message)), std::move(out), std::move(after)};
}

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

void run_case(std::string_view program, const ProgramCase& c) {
  WorkDir dir;
  std::vector<std::pair<std::string, std::string>> files_before;  // name, content
  for (const Entry& entry : c.before) {
    switch (entry.kind) {
      case Entry::Kind::file:
        files_before.emplace_back(entry.name, entry.content());
        dir.write(entry.name, files_before.back().second);
        break;
      case Entry::Kind::directory:
        fs::create_directory(dir.file(entry.name));
        break;
      case Entry::Kind::full_device:
        if (!fs::exists(kFullDevice)) GTEST_SKIP() << kFullDevice << " is missing on this machine";
        fs::create_symlink(kFullDevice, dir.file(entry.name));
        break;
    }
  }

  const auto started = std::chrono::steady_clock::now();
  const RunResult run = run_program(program, dir);
  const auto elapsed = std::chrono::steady_clock::now() - started;

  EXPECT_NE(run.exit_status, -1) << program << " crashed or was ended by a signal; standard error:\n"
                                 << run.err.substr(0, 4000);
  EXPECT_LT(elapsed, kTimeLimit) << program << " ran for "
                                 << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms";
  EXPECT_EQ(run.exit_status, c.exit_status) << "standard error:\n" << run.err.substr(0, 4000);
  check_stream("standard error", run.err, c.err);
  if (c.out) check_stream("standard output", run.out, *c.out);

  for (const Outcome& outcome : c.after) {
    const fs::path path = dir.file(outcome.name);
    const fs::file_status status = fs::symlink_status(path);
    switch (outcome.state) {
      case Outcome::State::absent:
        EXPECT_FALSE(fs::exists(status)) << outcome.name << " was created";
        break;
      case Outcome::State::empty:
        ASSERT_TRUE(fs::is_regular_file(status)) << outcome.name << " is not a file";
        EXPECT_EQ(dir.read(outcome.name), "") << outcome.name;
        break;
      case Outcome::State::unchanged: {
        const std::string* before = nullptr;
        for (const auto& [name, content] : files_before)
          if (name == outcome.name) before = &content;
        ASSERT_NE(before, nullptr) << outcome.name << " is no file of the case";
        ASSERT_TRUE(fs::is_regular_file(status)) << outcome.name << " is no longer a file";
        EXPECT_TRUE(dir.read(outcome.name) == *before) << outcome.name << " changed";
        break;
      }
      case Outcome::State::holds:
        ASSERT_TRUE(fs::is_regular_file(status)) << outcome.name << " is not a file";
        EXPECT_EQ(dir.read(outcome.name), outcome.content) << outcome.name;
        break;
      case Outcome::State::satisfies:
        ASSERT_TRUE(fs::is_regular_file(status)) << outcome.name << " is not a file";
        outcome.check(dir.read(outcome.name));
        break;
      case Outcome::State::still_directory:
        ASSERT_TRUE(fs::is_directory(status)) << outcome.name << " is no longer a directory";
        EXPECT_TRUE(fs::is_empty(path)) << outcome.name << " received files";
        break;
      case Outcome::State::still_full_device:
        ASSERT_TRUE(fs::is_symlink(status)) << outcome.name << " is no longer a link";
        EXPECT_EQ(fs::read_symlink(path), kFullDevice) << outcome.name;
        break;
    }
  }
}

}  // namespace toolkit_test
