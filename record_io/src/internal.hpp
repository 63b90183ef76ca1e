// Pieces of the record layer shared between its modules and its tests; not
// part of the API the programs use.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "record_io/record_io.hpp"

namespace record_io::detail {

// The name that begins every message, as given to begin_run.
void set_program_name(std::string_view name);
std::string_view program_name();

// Writes "program: location: message" on standard error, after standard
// output has been written out so that the two keep their order on a terminal.
void write_diagnostic(std::string_view location, std::string_view message) noexcept;

// A broken promise inside the program (a malformed layout fixed in the code,
// an item of the wrong kind for its field): reported, then the run aborts.
[[noreturn]] void internal_error(std::string_view what);

// Writes out every open output file before the run ends on a failure; a file
// that cannot be written is named on standard error.
void flush_outputs_before_failure() noexcept;

// "columns 28-33: message", or "column 5: message" for one column.
std::string describe(const FieldError& error);

// The outcome of a free-format read: what it read, or why it failed and on
// which line.
struct FreeReadOutcome {
  FreeRead read;
  std::optional<FieldError> error;
  long error_line = 0;
  bool ended_by_slash = false;
};

FreeReadOutcome read_free_values(InputFile& file, std::span<const InItem> items);

// As decode_fixed_texts, for a record whose 16 following bytes can be read,
// as every record an InputFile hands out: fields are read where they stand.
void decode_text_row(std::string_view record, const Layout& layout, std::span<char> items, std::size_t item_length);

}  // namespace record_io::detail
