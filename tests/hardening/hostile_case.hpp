// The bad-input catalogue: each program run as a real process over hostile
// working directories (binary garbage, huge lines, empty files, directories
// and a full device in place of files, files cut short, numbers beyond their
// range, words where numbers are due). Every case states the exit status,
// standard error (which names the file, and the line where there is one),
// and what each file holds afterwards; every run must end by itself, without
// a crash, within a few seconds.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace hardening {

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
  enum class State { absent, empty, unchanged, holds, still_directory, still_full_device };
  std::string name;
  State state;
  std::string content;  // for `holds`
};
Outcome absent(std::string name);         // neither created nor left
Outcome created_empty(std::string name);  // exists and holds nothing
Outcome unchanged(std::string name);      // holds what it held before the run
Outcome holds(std::string name, std::string content);
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

struct HostileCase {
  std::string name;
  std::vector<Entry> before;
  int exit_status;
  Stream err;
  std::optional<Stream> out;  // not checked when absent
  std::vector<Outcome> after;
};

// Only the name: some contents run to megabytes.
void PrintTo(const HostileCase& c, std::ostream* os);
std::string case_name(const ::testing::TestParamInfo<HostileCase>& info);

// Runs `program` over the case and checks everything it states.
void run_case(std::string_view program, const HostileCase& c);

// Bytes that are no text: an executable's header followed by bytes of every
// value, line feeds and carriage returns among them.
std::string binary_garbage();
// The records of `text` as the programs split it: at line feeds, a carriage
// return before a line feed dropped, a last line without a line end kept.
std::vector<std::string> records_of(std::string_view text);
// The lines of `lines`, each ended by a line feed.
std::string lines(std::initializer_list<std::string_view> lines);

constexpr std::size_t kTenMegabytes = 10u << 20;

}  // namespace hardening
