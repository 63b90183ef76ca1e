// SPDX-License-Identifier: MIT
// The machinery behind the public API, for the library itself, its tests,
// fuzzers and benchmarks: layouts as lists of fields, the conversion of one
// record with no file involved, rows of texts, and the free-format reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffers.hpp"
#include "record_io/record_io.hpp"

namespace record_io::detail {

// ---------------------------------------------------------------------------
// Layouts.
// ---------------------------------------------------------------------------

// Limits on layout strings; every layout of the toolkit is far inside them.
inline constexpr std::uint32_t kMaxNumericWidth = 128;      // Iw and Fw.d: w
inline constexpr std::uint32_t kMaxTextWidth = 65535;       // An and nX: n
inline constexpr std::uint32_t kMaxRepeatCount = 65535;     // k of kAn, k(...)
inline constexpr std::size_t kMaxDescriptors = 4096;        // after expansion
inline constexpr std::size_t kMaxLayoutColumns = 1u << 20;  // sum of all widths
inline constexpr int kMaxGroupDepth = 8;

// One descriptor of a layout after repeat counts and groups are expanded.
struct Descriptor {
  enum class Kind : std::uint8_t { text, integer, real, skip };
  Kind kind;
  std::uint32_t width;     // columns
  std::uint32_t decimals;  // Fw.d only
};

// A data field of a layout (A, I or F) and the column it starts at, counted
// from 0. Columns follow from the widths alone, so they are fixed per layout.
struct Field {
  ItemKind kind;  // the kind of item the field converts
  std::uint32_t width;
  std::uint32_t decimals;
  std::uint32_t column;
};

class RowPlan;

// A parsed layout string.
//   "(8(F8.3,1x),6(I4,1x))" -> 28 descriptors, 14 of them data fields
//   "(A4,5A2)"              -> A4 A2 A2 A2 A2 A2
class LayoutData {
 public:
  // nullopt on a malformed string, with the reason (position and what is
  // wrong) in *why.
  static std::optional<Layout> parse(std::string_view text, std::string* why = nullptr);
  static const LayoutData& of(const Layout& layout) noexcept { return *layout.data_; }
  ~LayoutData();

  std::string_view text() const noexcept { return text_; }
  // A number no other layout of the run has, for plans made for this one.
  std::uint64_t id() const noexcept { return id_; }
  std::span<const Descriptor> descriptors() const noexcept { return descriptors_; }
  std::span<const Field> fields() const noexcept { return fields_; }
  // Columns from the first to the end of the last data field, X fields included.
  std::size_t record_width() const noexcept { return record_width_; }
  // The A fields before the first I or F field: how many items a row of
  // texts may fill.
  std::size_t leading_text_fields() const noexcept { return leading_text_fields_; }

  // The plan that writes a row read by `source` with items of `item_length`
  // bytes by this layout, made on first use and kept.
  const RowPlan& row_plan(const LayoutData& source, std::size_t item_length, std::size_t items) const;

 private:
  LayoutData();
  std::uint64_t id_;
  std::string text_;
  std::vector<Descriptor> descriptors_;
  std::vector<Field> fields_;
  std::size_t record_width_ = 0;
  std::size_t leading_text_fields_ = 0;
  // The last row plan made, for the source layout, item length and count it
  // was made for.
  mutable std::unique_ptr<RowPlan> row_plan_;
};

// ---------------------------------------------------------------------------
// Conversions of one record, with no file involved.
// ---------------------------------------------------------------------------

// Where and why a field could not be converted. Columns count from 1.
struct FieldError {
  std::size_t first_column;
  std::size_t last_column;
  std::string message;  // e.g. cannot read "1x.5" as a number
};
// "columns 28-33: message", or "column 5: message" for one column.
std::string describe(const FieldError& error);

// Converts the fields of `record` into `items` by `layout`. Columns beyond the
// end of the record read as blanks. On bad data, returns the first failing
// field; the items before it have received their values.
// `line` is noted in SignedInteger items.
std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout,
                                       std::span<const InItem> items, long line = 0);

// Writes one record (without its line end) at `out`, which has room for
// layout record_width() + kMoveSlack bytes, and returns one past its last byte.
char* encode_fixed(char* out, const Layout& layout, std::span<const OutItem> items);
// The same, appended to a string.
void encode_fixed(std::string& out, const Layout& layout, std::span<const OutItem> items);

// The longest free-format record of these items: what encode_free needs.
std::size_t free_record_capacity(std::span<const OutItem> items);
// Writes one free-format record (without its line end) at `out`, which has
// room for free_record_capacity(items) bytes, and returns one past its last byte.
char* encode_free(char* out, std::span<const OutItem> items);
// The same, appended to a string.
void encode_free(std::string& out, std::span<const OutItem> items);

// ---------------------------------------------------------------------------
// Rows of texts.
// ---------------------------------------------------------------------------

// A row of `items` texts of `item_length` bytes read from `record` by
// `layout`, as the item-by-item read would store them, laid end to end at
// `out`; and the record that writing such a row by `layout` gives. Both
// serve tests and tools; programs use TextRow.
void decode_text_row(std::string_view record, const Layout& layout, std::size_t item_length, std::size_t items,
                     char* out);
std::string encode_text_row(const Layout& source, std::string_view record, const Layout& layout,
                            std::size_t item_length, std::size_t items);

// ---------------------------------------------------------------------------
// The free-format reader.
// ---------------------------------------------------------------------------

// How a free-format read went: what it read, whether a slash ended it, and
// whether it stopped at bad data (reported to the caller's sink).
struct FreeReadProgress {
  ReadStatus status;
  bool ended_by_slash;
  bool failed;
  std::uint32_t values_read;
};
// Where bad data goes: the error, with the line it stood on.
using BadValueSink = void (*)(void* context, FieldError&& error, long line);

FreeReadProgress read_free_values(InputBuffer& file, std::span<const InItem> items, BadValueSink bad_value,
                                  void* context);

// Reads the first real of each of the next values.size() records into
// `values`, the rest of each record passed over, as that many reads of one
// item would; returns how many records were read before the end of the file.
std::size_t read_first_reals(InputBuffer& file, std::span<float> values, BadValueSink bad_value, void* context);

// The same, with the error kept, for tests and tools.
struct FreeReadOutcome {
  FreeRead read;
  std::optional<FieldError> error;
  long error_line = 0;
  bool ended_by_slash = false;
};
FreeReadOutcome read_free_values(InputBuffer& file, std::span<const InItem> items);

// ---------------------------------------------------------------------------
// A run, for tests: begins it without a command line.
// ---------------------------------------------------------------------------
void begin_run(std::string_view program_name);

}  // namespace record_io::detail
