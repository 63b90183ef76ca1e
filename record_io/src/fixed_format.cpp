// Fixed-column records: the fields of a layout converted from and into the
// columns of one record. Every field starts at a column fixed by the layout,
// so fields are read and written in place.
#include <cstring>
#include <optional>

#include "internal.hpp"
#include "numbers.hpp"
#include "text_moves.hpp"

namespace record_io {
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

const char* kind_name(Descriptor::Kind kind) {
  switch (kind) {
    case Descriptor::Kind::text: return "a character (A) field";
    case Descriptor::Kind::integer: return "an integer (I) field";
    case Descriptor::Kind::real: return "a real (F) field";
    case Descriptor::Kind::skip: break;
  }
  return "a blank (X) field";
}

void check_item_count(const Layout& layout, std::size_t item_count) {
  if (item_count > layout.data_field_count())
    detail::internal_error(std::to_string(item_count) + " items for the " + std::to_string(layout.data_field_count()) +
                           " fields of layout \"" + std::string(layout.text()) + "\"");
}

[[noreturn]] void wrong_kind(const Layout& layout, const Field& field) {
  detail::internal_error(std::string("an item of another kind for ") + kind_name(field.kind) + " of layout \"" +
                         std::string(layout.text()) + "\"");
}

// Items and field kinds share their values (ItemKind and Descriptor::Kind).
bool matches(ItemKind item, const Field& field) {
  return static_cast<std::uint8_t>(item) == static_cast<std::uint8_t>(field.kind);
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
    std::memcpy(item + length - 16, detail::kSixteenBlanks, 16);
    detail::move_sixteen(item, from, taken);
    return;
  }
  detail::fill_blanks(item, length);
  detail::copy_bytes(item, from, taken);
}

// An An field from a text of length L into the record at `at`, which holds
// blanks: blanks then the text when n > L, else its first n characters.
[[gnu::always_inline]] inline void encode_text(char* at, const Field& field, std::string_view text) {
  const std::size_t length = text.size();
  if (field.width > length) return detail::copy_bytes(at + (field.width - length), text.data(), length);
  detail::copy_bytes(at, text.data(), field.width);
}

// A row of `row_bytes` bytes of texts of `item_length` each, for a layout:
// the number of items, after checking that A fields take them all.
std::size_t text_row_items(const Layout& layout, std::size_t row_bytes, std::size_t item_length) {
  if (item_length == 0 || row_bytes % item_length != 0)
    detail::internal_error("a row of texts that is not a whole number of items of its length");
  const std::size_t count = row_bytes / item_length;
  check_item_count(layout, count);
  if (count > layout.leading_text_fields())
    wrong_kind(layout, layout.fields()[layout.leading_text_fields()]);
  return count;
}

// Whether every field of the row fits one 16-byte move and every item holds
// one whole: then each field moves with two stores, whatever its width.
bool sixteen_byte_row(const Layout& layout, std::size_t item_length) {
  return item_length >= detail::kMoveSlack && item_length <= 2 * detail::kMoveSlack &&
         layout.widest_leading_text() <= detail::kMoveSlack;
}

// The first `width` columns of `record` at `padded`, blanks beyond the
// record's end, and kMoveSlack blanks more for 16-byte moves that read past
// the last field. `small` serves when it is large enough, else `large`.
template <std::size_t Capacity>
char* padded_columns(std::string_view record, std::size_t width, char (&small)[Capacity], std::string& large) {
  char* padded = small;
  if (width + detail::kMoveSlack > Capacity) {
    large.resize(width + detail::kMoveSlack);
    padded = large.data();
  }
  const std::size_t present = record.size() < width ? record.size() : width;
  if (present > 0) std::memcpy(padded, record.data(), present);  // an empty view may have no storage
  std::memset(padded + present, ' ', width + detail::kMoveSlack - present);
  return padded;
}

std::optional<FieldError> field_error(const Field& field, std::string message) {
  return FieldError{field.column + 1, field.column + field.width, std::move(message)};
}

std::optional<FieldError> decode_number(std::string_view text, const Field& field, const InItem& item) {
  char compact_storage[kMaxNumericWidth];
  const std::string_view compact = without_blanks(text, compact_storage);
  detail::ParseStatus status;
  if (item.kind() == ItemKind::integer) {
    if (compact.empty()) {
      item.integer() = 0;
      return std::nullopt;
    }
    status = detail::parse_integer(compact, item.integer());
    if (status != detail::ParseStatus::ok)
      return field_error(field, detail::conversion_error(status, detail::NumberKind::integer, trimmed(text)));
    return std::nullopt;
  }
  if (compact.empty()) {
    item.real() = 0.0f;
    return std::nullopt;
  }
  status = detail::parse_real(compact, field.decimals, item.real());
  if (status != detail::ParseStatus::ok)
    return field_error(field, detail::conversion_error(status, detail::NumberKind::real, trimmed(text)));
  return std::nullopt;
}

}  // namespace

std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout, std::span<const InItem> items) {
  check_item_count(layout, items.size());
  if (items.empty()) return std::nullopt;
  const std::span<const Field> fields = layout.fields();
  const Field& last = fields[items.size() - 1];
  const std::size_t width = last.column + last.width;

  char small[512];
  std::string large;
  const char* const padded = padded_columns(record, width, small, large);

  for (std::size_t i = 0; i < items.size(); ++i) {
    const Field& field = fields[i];
    const InItem& item = items[i];
    if (!matches(item.kind(), field)) wrong_kind(layout, field);
    if (field.kind == Descriptor::Kind::text) {
      const std::span<char> text = item.text();
      decode_text(padded, field, text.data(), text.size());
    } else if (auto error = decode_number({padded + field.column, field.width}, field, item)) {
      return error;
    }
  }
  return std::nullopt;
}

void decode_fixed_texts(std::string_view record, const Layout& layout, std::span<char> items,
                        std::size_t item_length) {
  // The columns the fields use, so that the 16 bytes after them can be read.
  const std::size_t width = layout.record_width();
  char small[512];
  std::string large;
  const char* const padded = padded_columns(record, width, small, large);
  detail::decode_text_row({padded, width}, layout, items, item_length);
}

namespace detail {

void decode_text_row(std::string_view record, const Layout& layout, std::span<char> items, std::size_t item_length) {
  const std::size_t count = text_row_items(layout, items.size(), item_length);
  if (count == 0) return;
  const Field* const fields = layout.fields().data();
  char* item = items.data();
  if (!sixteen_byte_row(layout, item_length)) {
    // Field by field, from the record itself when it holds every field
    // (its 16 following bytes can be read), else from a copy padded with blanks.
    const Field& last = fields[count - 1];
    const std::size_t width = last.column + last.width;
    char small[512];
    std::string large;
    const char* const columns = record.size() >= width ? record.data() : padded_columns(record, width, small, large);
    for (std::size_t i = 0; i < count; ++i, item += item_length) decode_text(columns, fields[i], item, item_length);
    return;
  }

  // Each item: blanks over its last 16 bytes, then 16 bytes from its field,
  // then blanks from the end of the field on. Those blanks run into the next
  // item, which is written after; the last item is moved with a mask instead.
  const SixteenBlanks blanks = sixteen_blanks();
  const auto move_field = [&](char* to, const char* from, std::uint32_t width) {
    put_blanks(to + item_length - kMoveSlack, blanks);
    std::memcpy(to, from, kMoveSlack);
    put_blanks(to + width, blanks);
  };
  const Field& last = fields[count - 1];
  if (last.column + last.width <= record.size()) {
    // The usual record, long enough for every field: all read in place.
    for (std::size_t i = 0; i + 1 < count; ++i, item += item_length)
      move_field(item, record.data() + fields[i].column, fields[i].width);
    put_blanks(item + item_length - kMoveSlack, blanks);
    move_sixteen(item, record.data() + last.column, last.width);
    return;
  }
  // A short record: a field that reaches past its end is read from a copy
  // with blanks after the record's last byte.
  char past_end[kMoveSlack];
  const auto field_start = [&](const Field& field) -> const char* {
    if (field.column + field.width <= record.size()) return record.data() + field.column;
    std::memcpy(past_end, kSixteenBlanks, kMoveSlack);
    if (field.column < record.size()) std::memcpy(past_end, record.data() + field.column, record.size() - field.column);
    return past_end;
  };
  for (std::size_t i = 0; i + 1 < count; ++i, item += item_length)
    move_field(item, field_start(fields[i]), fields[i].width);
  put_blanks(item + item_length - kMoveSlack, blanks);
  move_sixteen(item, field_start(last), last.width);
}

}  // namespace detail

char* encode_fixed_texts(char* out, const Layout& layout, std::string_view items, std::size_t item_length) {
  const std::size_t count = text_row_items(layout, items.size(), item_length);
  if (count == 0) return out;
  const Field* const fields = layout.fields().data();
  const Field& last = fields[count - 1];
  char* const end = out + last.column + last.width;

  const char* item = items.data();
  if (sixteen_byte_row(layout, item_length) && layout.widest_leading_gap() <= detail::kMoveSlack) {
    // Blanks over any X columns before the first field; then fields left to
    // right, each as 16 bytes of its item followed by 16 blanks from the end
    // of the field on, over the X columns before the next field.
    const detail::SixteenBlanks blanks = detail::sixteen_blanks();
    detail::put_blanks(out, blanks);
    for (std::size_t i = 0; i < count; ++i, item += item_length) {
      char* const at = out + fields[i].column;
      std::memcpy(at, item, detail::kMoveSlack);
      detail::put_blanks(at + fields[i].width, blanks);
    }
    return end;
  }
  std::memset(out, ' ', static_cast<std::size_t>(end - out));
  for (std::size_t i = 0; i < count; ++i, item += item_length)
    encode_text(out + fields[i].column, fields[i], {item, item_length});
  return end;
}

char* encode_fixed(char* out, const Layout& layout, std::span<const OutItem> items) {
  check_item_count(layout, items.size());
  if (items.empty()) return out;
  const std::span<const Field> fields = layout.fields();
  // Blanks everywhere first: the X columns between fields, and the columns a
  // short text leaves free in its field.
  const Field& last = fields[items.size() - 1];
  char* const end = out + last.column + last.width;
  std::memset(out, ' ', static_cast<std::size_t>(end - out));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Field& field = fields[i];
    const OutItem& item = items[i];
    if (!matches(item.kind(), field)) wrong_kind(layout, field);
    char* const at = out + field.column;
    switch (field.kind) {
      case Descriptor::Kind::text:
        encode_text(at, field, item.text());
        break;
      case Descriptor::Kind::integer:
        detail::format_integer(at, field.width, item.integer());
        break;
      case Descriptor::Kind::real:
        detail::format_fixed(at, field.width, field.decimals, item.real());
        break;
      case Descriptor::Kind::skip:
        break;
    }
  }
  return end;
}

void encode_fixed(std::string& out, const Layout& layout, std::span<const OutItem> items) {
  const std::size_t at = out.size();
  out.resize(at + layout.record_width() + detail::kMoveSlack);
  char* const end = encode_fixed(out.data() + at, layout, items);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace record_io
