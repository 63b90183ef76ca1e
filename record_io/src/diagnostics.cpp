// SPDX-License-Identifier: MIT
// Messages on standard error: "program: file:line: columns a-b: message".
#include "diagnostics.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "buffers.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace detail {
namespace {

constexpr std::size_t kMaxQuotedBytes = 40;   // longer texts are shortened in messages
constexpr std::size_t kMaxProgramName = 64;   // bytes of the name kept for messages
constexpr std::size_t kMaxMessageLine = 1024; // longer message lines are cut

// Fixed storage: a message is written without allocating, and the name is
// there before begin_run and after the last destructor.
char name_storage[kMaxProgramName] = "record_io";
std::size_t name_length = std::strlen("record_io");

void write_to_standard_error(const char* text, std::size_t length) noexcept {
  while (length > 0) {
    const ssize_t count = ::write(STDERR_FILENO, text, length);
    if (count <= 0) return;  // nowhere left to report to
    text += count;
    length -= static_cast<std::size_t>(count);
  }
}

}  // namespace

void set_program_name(std::string_view name) {
  name_length = name.size() < kMaxProgramName ? name.size() : kMaxProgramName;
  std::memcpy(name_storage, name.data(), name_length);
}

std::string_view program_name() noexcept { return {name_storage, name_length}; }

void write_diagnostic(std::string_view location, std::string_view message) noexcept {
  flush_standard_output();
  char line[kMaxMessageLine];
  std::size_t length = 0;
  const auto append = [&](std::string_view part) {
    const std::size_t room = sizeof line - 1 - length;  // one byte stays for the line end
    const std::size_t taken = part.size() < room ? part.size() : room;
    std::memcpy(line + length, part.data(), taken);
    length += taken;
  };
  append(program_name());
  append(": ");
  if (!location.empty()) {
    append(location);
    append(": ");
  }
  append(message);
  line[length++] = '\n';
  write_to_standard_error(line, length);
}

void fail_run(std::string_view location, std::string_view message) noexcept {
  flush_outputs_before_failure();
  write_diagnostic(location, message);
  std::exit(kExitFailure);
}

void internal_error(std::string_view what) noexcept {
  write_diagnostic("internal error", what);
  std::abort();
}

std::string quote_found(std::string_view text) {
  std::string quoted = "\"";
  const std::size_t shown = text.size() > kMaxQuotedBytes ? kMaxQuotedBytes : text.size();
  for (std::size_t i = 0; i < shown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7f || byte == '"' || byte == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      quoted += escaped;
    } else {
      quoted += static_cast<char>(byte);
    }
  }
  quoted += '"';
  if (shown < text.size()) quoted += "... (" + std::to_string(text.size()) + " bytes)";
  return quoted;
}

}  // namespace detail

void fail(std::string_view location, std::string_view message) { detail::fail_run(location, message); }

void fail_end_of_file(const InputFile& file, std::string_view expectation) {
  const long line = file.line_number();
  std::string message = line == 0 ? std::string("end of file (the file is empty): ")
                                  : "end of file after line " + std::to_string(line) + ": ";
  fail(file.name(), message.append(expectation));
}

std::string location_of(const InputFile& file, long line) {
  return line > 0 ? file.name() + ":" + std::to_string(line) : file.name();
}

void warn(std::string_view location, std::string_view message) {
  detail::write_diagnostic(location, "warning: " + std::string(message));
}

}  // namespace record_io
