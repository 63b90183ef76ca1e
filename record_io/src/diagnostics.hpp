// SPDX-License-Identifier: MIT
// Messages on standard error: "program: file:line: message". Reporting never
// allocates memory, so that it works when memory has run out.
#pragma once

#include <string>
#include <string_view>

namespace record_io::detail {

// The name that begins every message, as given to begin_run.
void set_program_name(std::string_view name);
std::string_view program_name() noexcept;

// Writes "program: location: message" on standard error, after standard
// output has been written out so that the two keep their order on a terminal.
void write_diagnostic(std::string_view location, std::string_view message) noexcept;

// Ends the run with kExitFailure: writes out every output file (naming any
// that cannot be written), then "program: location: message".
[[noreturn]] void fail_run(std::string_view location, std::string_view message) noexcept;

// A broken promise inside the program (a malformed layout fixed in the code,
// an item of the wrong kind for its field): reported, then the run aborts.
[[noreturn]] void internal_error(std::string_view what) noexcept;

// A text found in the input, quoted for a message: control bytes escaped,
// long texts shortened. quote_found("1x.5") -> "\"1x.5\"".
std::string quote_found(std::string_view text);

}  // namespace record_io::detail
