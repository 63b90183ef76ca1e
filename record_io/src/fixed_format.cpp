// SPDX-License-Identifier: MIT
// Fixed-column records: the fields of a layout converted from and into the
// columns of one record. Every field starts at a column fixed by the layout,
// so fields are read and written in place.
#include <cstring>
#include <optional>

#include "codec.hpp"
#include "diagnostics.hpp"
#include "numbers.hpp"
#include "text_moves.hpp"

namespace record_io::detail {
namespace {

// The field's characters with every blank removed. Numeric fields are at most
// kMaxNumericWidth wide, so `out` always has room.
std::string_view without_blanks(std::string_view field, char (&out)[kMaxNumericWidth]) {
  std::size_t length = 0;
  for (const char c : field)
    if (c != ' ') out[length++] = c;
  return {out, length};
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const char* kind_name(ItemKind kind) {
  switch (kind) {
    case ItemKind::text: return "a character (A) field";
    case ItemKind::integer: return "an integer (I) field";
    case ItemKind::real: break;
  }
  return "a real (F) field";
}

void check_item_count(const LayoutData& layout, std::size_t item_count) {
  if (item_count > layout.fields().size())
    internal_error(std::to_string(item_count) + " items for the " + std::to_string(layout.fields().size()) +
                   " fields of layout \"" + std::string(layout.text()) + "\"");
}

[[noreturn]] void wrong_kind(const LayoutData& layout, const Field& field) {
  internal_error(std::string("an item of another kind for ") + kind_name(field.kind) + " of layout \"" +
                 std::string(layout.text()) + "\"");
}

// An An field into a text item of length L: the last L of the n columns when
// n >= L, else the n columns followed by blanks. `record` holds blanks beyond
// the record's end and kMoveSlack bytes beyond the layout's last column.
[[gnu::always_inline]] inline void decode_text(const char* record, const Field& field, char* item,
                                                std::size_t length) {
  const std::size_t taken = field.width < length ? field.width : length;
  const char* const from = record + field.column + field.width - taken;
  if (taken <= 16 && length >= 16 && length <= 32) {
    // blanks at the end first, then the text and blanks over the first 16
    std::memcpy(item + length - 16, kSixteenBlanks, 16);
    move_sixteen(item, from, taken);
    return;
  }
  fill_blanks(item, length);
  copy_bytes(item, from, taken);
}

// An An field from a text of length L into the record at `at`, which holds
// blanks: blanks then the text when n > L, else its first n characters.
[[gnu::always_inline]] inline void encode_text(char* at, const Field& field, std::string_view text) {
  const std::size_t length = text.size();
  if (field.width > length) return copy_bytes(at + (field.width - length), text.data(), length);
  copy_bytes(at, text.data(), field.width);
}

std::optional<FieldError> field_error(const Field& field, std::string message) {
  return FieldError{field.column + 1, field.column + field.width, std::move(message)};
}

std::optional<FieldError> decode_number(std::string_view text, const Field& field, const InItem& item, long line) {
  char compact_storage[kMaxNumericWidth];
  const std::string_view compact = without_blanks(text, compact_storage);
  ParseStatus status;
  if (item.kind() == ItemKind::integer) {
    if (SignedInteger* const signed_value = item.signed_integer()) {
      signed_value->minus_sign = !compact.empty() && compact[0] == '-';
      signed_value->line = line;
    }
    if (compact.empty()) {
      item.integer() = 0;
      return std::nullopt;
    }
    status = parse_integer(compact, item.integer());
    if (status != ParseStatus::ok)
      return field_error(field, conversion_error(status, NumberKind::integer, trimmed(text)));
    return std::nullopt;
  }
  if (compact.empty()) {
    item.real() = 0.0f;
    return std::nullopt;
  }
  status = parse_real(compact, field.decimals, item.real());
  if (status != ParseStatus::ok)
    return field_error(field, conversion_error(status, NumberKind::real, trimmed(text)));
  return std::nullopt;
}

// The first `width` columns of `record` with blanks beyond its end, and
// kMoveSlack blanks more for 16-byte moves that read past the last field, at
// `small` when it is large enough, else in `large`.
template <std::size_t Capacity>
const char* padded_columns(std::string_view record, std::size_t width, char (&small)[Capacity], std::string& large) {
  char* padded = small;
  if (width + kMoveSlack > Capacity) {
    large.resize(width + kMoveSlack);
    padded = large.data();
  }
  const std::size_t present = record.size() < width ? record.size() : width;
  if (present > 0) std::memcpy(padded, record.data(), present);  // an empty view may have no storage
  std::memset(padded + present, ' ', width + kMoveSlack - present);
  return padded;
}

}  // namespace

std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout, std::span<const InItem> items,
                                       long line) {
  const LayoutData& data = LayoutData::of(layout);
  check_item_count(data, items.size());
  if (items.empty()) return std::nullopt;
  const std::span<const Field> fields = data.fields();
  const Field& last = fields[items.size() - 1];
  const std::size_t width = last.column + last.width;

  char small[512];
  std::string large;
  const char* const padded = padded_columns(record, width, small, large);

  for (std::size_t i = 0; i < items.size(); ++i) {
    const Field& field = fields[i];
    const InItem& item = items[i];
    if (item.kind() != field.kind) wrong_kind(data, field);
    if (field.kind == ItemKind::text) {
      const std::span<char> text = item.text();
      decode_text(padded, field, text.data(), text.size());
    } else if (auto error = decode_number({padded + field.column, field.width}, field, item, line)) {
      return error;
    }
  }
  return std::nullopt;
}

char* encode_fixed(char* out, const Layout& layout, std::span<const OutItem> items) {
  const LayoutData& data = LayoutData::of(layout);
  check_item_count(data, items.size());
  if (items.empty()) return out;
  const std::span<const Field> fields = data.fields();
  // Blanks everywhere first: the X columns between fields, and the columns a
  // short text leaves free in its field.
  const Field& last = fields[items.size() - 1];
  char* const end = out + last.column + last.width;
  std::memset(out, ' ', static_cast<std::size_t>(end - out));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Field& field = fields[i];
    const OutItem& item = items[i];
    if (item.kind() != field.kind) wrong_kind(data, field);
    char* const at = out + field.column;
    switch (field.kind) {
      case ItemKind::text: encode_text(at, field, item.text()); break;
      case ItemKind::integer: format_integer(at, field.width, item.integer()); break;
      case ItemKind::real: format_fixed(at, field.width, field.decimals, item.real()); break;
    }
  }
  return end;
}

void encode_fixed(std::string& out, const Layout& layout, std::span<const OutItem> items) {
  const std::size_t at = out.size();
  out.resize(at + LayoutData::of(layout).record_width() + kMoveSlack);
  char* const end = encode_fixed(out.data() + at, layout, items);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string describe(const FieldError& error) {
  std::string text = error.first_column == error.last_column
                         ? "column " + std::to_string(error.first_column)
                         : "columns " + std::to_string(error.first_column) + "-" + std::to_string(error.last_column);
  return text + ": " + error.message;
}

}  // namespace record_io::detail
