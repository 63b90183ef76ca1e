// SPDX-License-Identifier: MIT
// A run of a program described as data: the working directory before the
// run, the exit status, standard error and standard output, and what each
// file holds afterwards. Every run must also end by itself, without a crash,
// within a few seconds.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit_test {

// An entry of the working directory before the run.
struct Entry {
  enum class Kind { file, directory, full_device };
  std::string name;
  Kind kind;
  std::function<std::string()> content;  // of a file, made when the case runs
};
Entry file(std::string name, std::string content);
// A file whose content (megabytes of it) is made only when the case runs.
Entry made_file(std::string name, std::function<std::string()> make);
Entry directory(std::string name);
// A symbolic link to /dev/full, where every write fails for lack of space.
Entry full_device(std::string name);

// What an entry of the working directory is after the run.
struct Outcome {
  enum class State { absent, empty, unchanged, holds, satisfies, still_directory, still_full_device };
  std::string name;
  State state;
  std::string content;                            // for `holds`
  std::function<void(const std::string&)> check;  // for `satisfies`
};
Outcome absent(std::string name);         // neither created nor left
Outcome created_empty(std::string name);  // exists and holds nothing
Outcome unchanged(std::string name);      // holds what it held before the run
Outcome holds(std::string name, std::string content);
// A file whose content `check` examines with assertions of its own, for
// contents too large to show in full when they differ.
Outcome satisfies(std::string name, std::function<void(const std::string&)> check);
Outcome still_directory(std::string name);
Outcome still_full_device(std::string name);

// Standard output or standard error: a text exactly, or one that the whole
// of a regular expression (ECMAScript) matches.
struct Stream {
  bool is_pattern;
  std::string text;
};
Stream exactly(std::string text);
Stream matching(std::string pattern);

struct ProgramCase {
  std::string name;
  std::vector<Entry> before;
  int exit_status;
  Stream err;
  std::optional<Stream> out;  // not checked when absent
  std::vector<Outcome> after;
};

// A run that fails: exit status 1, `message` on standard error and, unless
// stated otherwise, nothing on standard output.
ProgramCase failure(std::string name, std::vector<Entry> before, std::string message, std::vector<Outcome> after,
                    std::optional<Stream> out = exactly(""));

// Only the name: some contents run to megabytes.
void PrintTo(const ProgramCase& c, std::ostream* os);

// Runs `program` over the case and checks everything it states.
void run_case(std::string_view program, const ProgramCase& c);

}  // namespace toolkit_test
