// SPDX-License-Identifier: MIT
// Running a program of the toolkit for real, in a scratch working directory.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit_test {

// A scratch working directory, removed with everything in it at the end.
class WorkDir {
 public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;

  const std::filesystem::path& path() const { return work_; }
  std::filesystem::path file(std::string_view name) const { return work_ / name; }

  void write(std::string_view name, std::string_view content) const;
  std::string read(std::string_view name) const;
  bool exists(std::string_view name) const;

 private:
  std::filesystem::path root_;  // holds work_ and the captured streams
  std::filesystem::path work_;
  friend struct RunResult run_program_with(std::string_view program, const WorkDir& dir,
                                           std::string_view subdirectory, const std::vector<std::string>& arguments,
                                           const std::function<void()>& in_child);
};

struct RunResult {
  int exit_status = -1;  // -1 when the process did not exit normally
  int signal = 0;        // the signal that ended it, if one did
  std::string out;       // standard output
  std::string err;       // standard error
};

// Runs build/bin/<program> with `dir` as its working directory, no
// arguments and no standard input; ends it if it runs for over a minute.
RunResult run_program(std::string_view program, const WorkDir& dir);
// The same with `arguments` on the command line, in the directory
// `subdirectory` of `dir` (a station's directory inside an event's, say; `dir`
// itself when empty), and `in_child`, when given, called in the new process
// just before the program starts (to close a descriptor or set a limit, say).
RunResult run_program_with(std::string_view program, const WorkDir& dir, std::string_view subdirectory,
                           const std::vector<std::string>& arguments, const std::function<void()>& in_child);
RunResult run_program(std::string_view program, const WorkDir& dir, const std::function<void()>& in_child);
RunResult run_program_in(std::string_view program, const WorkDir& dir, std::string_view subdirectory,
                         const std::vector<std::string>& arguments = {});

// The text of `lines`, each ended by a line feed.
std::string lines_of(std::initializer_list<std::string_view> lines);

}  // namespace toolkit_test
