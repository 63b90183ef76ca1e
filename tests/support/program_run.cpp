// SPDX-License-Identifier: MIT
#include "program_run.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace toolkit_test {
namespace fs = std::filesystem;

namespace {

constexpr auto kRunLimit = std::chrono::seconds(60);

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

WorkDir::WorkDir() {
  std::string pattern = (fs::temp_directory_path() / "toolkit-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  work_ = root_ / "work";
  fs::create_directory(work_);
}

WorkDir::~WorkDir() {
  std::error_code ignored;
  fs::permissions(work_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root_, ignored);
}

void WorkDir::write(std::string_view name, std::string_view content) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write test file " + std::string(name));
}

std::string WorkDir::read(std::string_view name) const { return slurp(file(name)); }

bool WorkDir::exists(std::string_view name) const { return fs::exists(fs::symlink_status(file(name))); }

RunResult run_program(std::string_view program, const WorkDir& dir) { return run_program_with(program, dir, {}, {}, {}); }

RunResult run_program(std::string_view program, const WorkDir& dir, const std::function<void()>& in_child) {
  return run_program_with(program, dir, {}, {}, in_child);
}

RunResult run_program_in(std::string_view program, const WorkDir& dir, std::string_view subdirectory,
                         const std::vector<std::string>& arguments) {
  return run_program_with(program, dir, subdirectory, arguments, {});
}

RunResult run_program_with(std::string_view program, const WorkDir& dir, std::string_view subdirectory,
                           const std::vector<std::string>& arguments, const std::function<void()>& in_child) {
  const std::string executable = std::string(TOOLKIT_BIN_DIR) + "/" + std::string(program);
  const std::string directory = (subdirectory.empty() ? dir.work_ : dir.work_ / subdirectory).string();
  std::vector<char*> argv{const_cast<char*>(executable.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const std::string out_path = (dir.root_ / "stdout").string();
  const std::string err_path = (dir.root_ / "stderr").string();
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::chdir(directory.c_str()) != 0)
      ::_exit(127);
    if (in_child) in_child();
    ::execv(executable.c_str(), argv.data());
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  RunResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  result.out = slurp(out_path);
  result.err = slurp(err_path);
  return result;
}

std::string lines_of(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).push_back('\n');
  return text;
}

}  // namespace toolkit_test
