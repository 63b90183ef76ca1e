// Messages on standard error: "program: file:line: columns a-b: message".
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "internal.hpp"

namespace record_io {
namespace {

constexpr std::size_t kMaxQuotedBytes = 40;  // longer texts are shortened in messages

std::string& name_storage() {
  static std::string name = "record_io";
  return name;
}

void write_to_standard_error(std::string_view text) noexcept {
  while (!text.empty()) {
    const ssize_t count = ::write(STDERR_FILENO, text.data(), text.size());
    if (count <= 0) return;  // nowhere left to report to
    text.remove_prefix(static_cast<std::size_t>(count));
  }
}

}  // namespace

namespace detail {

void set_program_name(std::string_view name) { name_storage() = std::string(name); }

std::string_view program_name() { return name_storage(); }

void write_diagnostic(std::string_view location, std::string_view message) noexcept {
  try {
    standard_output().flush();
    std::string line;
    line.reserve(program_name().size() + location.size() + message.size() + 5);
    line.append(program_name()).append(": ").append(location).append(": ").append(message).push_back('\n');
    write_to_standard_error(line);
  } catch (...) {
    write_to_standard_error("error: out of memory while reporting an error\n");
  }
}

void internal_error(std::string_view what) {
  write_diagnostic("internal error", what);
  std::abort();
}

std::string describe(const FieldError& error) {
  std::string text = error.first_column == error.last_column
                         ? "column " + std::to_string(error.first_column)
                         : "columns " + std::to_string(error.first_column) + "-" + std::to_string(error.last_column);
  return text + ": " + error.message;
}

}  // namespace detail

void fail(std::string_view location, std::string_view message) {
  detail::flush_outputs_before_failure();
  detail::write_diagnostic(location, message);
  std::exit(kExitFailure);
}

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

}  // namespace record_io
