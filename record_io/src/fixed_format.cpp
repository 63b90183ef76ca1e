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
    if (status == detail::ParseStatus::out_of_range)
      return field_error(field, "integer " + quote_found(trimmed(text)) +
                                    " is out of range (allowed: -2147483648 to 2147483647)");
    if (status != detail::ParseStatus::ok)
      return field_error(field, "cannot read " + quote_found(trimmed(text)) + " as an integer");
    return std::nullopt;
  }
  if (compact.empty()) {
    item.real() = 0.0f;
    return std::nullopt;
  }
  status = detail::parse_real(compact, field.decimals, item.real());
  if (status == detail::ParseStatus::out_of_range)
    return field_error(field, "number " + quote_found(trimmed(text)) + " is beyond the range of a real");
  if (status != detail::ParseStatus::ok)
    return field_error(field, "cannot read " + quote_found(trimmed(text)) + " as a number");
  return std::nullopt;
}

}  // namespace

std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout, std::span<const InItem> items) {
  check_item_count(layout, items.size());
  if (items.empty()) return std::nullopt;
  const std::span<const Field> fields = layout.fields();
  const Field& last = fields[items.size() - 1];
  const std::size_t width = last.column + last.width;

  // The columns the fields use, with blanks beyond the end of the record and
  // room for 16-byte moves after them.
  char small[512];
  std::string large;
  char* padded = small;
  if (width + detail::kMoveSlack > sizeof small) {
    large.resize(width + detail::kMoveSlack);
    padded = large.data();
  }
  const std::size_t present = record.size() < width ? record.size() : width;
  if (present > 0) std::memcpy(padded, record.data(), present);  // an empty view may have no storage
  std::memset(padded + present, ' ', width + detail::kMoveSlack - present);

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
  const std::span<const Field> fields = layout.fields();
  const std::size_t room = fields.empty() ? 0 : fields.back().column + fields.back().width;
  out.resize(at + room + detail::kMoveSlack);
  char* const end = encode_fixed(out.data() + at, layout, items);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace record_io
