// Fixed-column records: the fields of a layout converted from and into the
// columns of one record.
#include <cstring>

#include "float_flags.hpp"
#include "internal.hpp"
#include "numbers.hpp"

namespace record_io {
namespace {

// The `width` columns from column `start` (counted from 0); the part beyond
// the end of the record is absent and reads as blanks.
std::string_view columns(std::string_view record, std::size_t start, std::size_t width) {
  if (start >= record.size()) return {};
  return record.substr(start, width);
}

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

bool matches(ItemKind item, Descriptor::Kind field) {
  switch (item) {
    case ItemKind::text: return field == Descriptor::Kind::text;
    case ItemKind::integer: return field == Descriptor::Kind::integer;
    case ItemKind::real: return field == Descriptor::Kind::real;
  }
  return false;
}

void check_items(const Layout& layout, std::size_t item_count) {
  if (item_count > layout.data_field_count())
    detail::internal_error(std::to_string(item_count) + " items for the " + std::to_string(layout.data_field_count()) +
                           " fields of layout \"" + std::string(layout.text()) + "\"");
}

void check_kind(const Layout& layout, ItemKind item, const Descriptor& field) {
  if (!matches(item, field.kind))
    detail::internal_error(std::string("an item of another kind for ") + kind_name(field.kind) + " of layout \"" +
                           std::string(layout.text()) + "\"");
}

// An An field into a text item of length L: the last L of the n columns when
// n >= L, else the n columns followed by blanks.
void decode_text(std::string_view record, std::size_t start, std::size_t width, std::span<char> item) {
  const std::size_t length = item.size();
  const std::size_t from = width >= length ? start + width - length : start;
  const std::size_t taken = width >= length ? length : width;
  const std::string_view present = columns(record, from, taken);
  std::memcpy(item.data(), present.data(), present.size());
  std::memset(item.data() + present.size(), ' ', length - present.size());
}

std::optional<FieldError> field_error(std::size_t start, std::size_t width, std::string message) {
  return FieldError{start + 1, start + width, std::move(message)};
}

std::optional<FieldError> decode_number(std::string_view field, const Descriptor& d, const InItem& item,
                                        std::size_t start) {
  char compact_storage[kMaxNumericWidth];
  const std::string_view compact = without_blanks(field, compact_storage);
  detail::ParseStatus status;
  if (item.kind() == ItemKind::integer) {
    if (compact.empty()) {
      item.integer() = 0;
      return std::nullopt;
    }
    status = detail::parse_integer(compact, item.integer());
    if (status == detail::ParseStatus::out_of_range)
      return field_error(start, d.width,
                         "integer " + quote_found(trimmed(field)) + " is out of range (allowed: -2147483648 to 2147483647)");
    if (status != detail::ParseStatus::ok)
      return field_error(start, d.width, "cannot read " + quote_found(trimmed(field)) + " as an integer");
    return std::nullopt;
  }
  if (compact.empty()) {
    item.real() = 0.0f;
    return std::nullopt;
  }
  status = detail::parse_real(compact, d.decimals, item.real());
  if (status == detail::ParseStatus::out_of_range)
    return field_error(start, d.width, "number " + quote_found(trimmed(field)) + " is beyond the range of a real");
  if (status != detail::ParseStatus::ok)
    return field_error(start, d.width, "cannot read " + quote_found(trimmed(field)) + " as a number");
  return std::nullopt;
}

}  // namespace

std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout, std::span<const InItem> items) {
  check_items(layout, items.size());
  const detail::FloatFlagsGuard flags;
  std::size_t column = 0;
  std::size_t next_item = 0;
  for (const Descriptor& d : layout.descriptors()) {
    if (d.kind == Descriptor::Kind::skip) {
      column += d.width;
      continue;
    }
    if (next_item == items.size()) break;
    const InItem& item = items[next_item++];
    check_kind(layout, item.kind(), d);
    if (d.kind == Descriptor::Kind::text) {
      decode_text(record, column, d.width, item.text());
    } else if (auto error = decode_number(columns(record, column, d.width), d, item, column)) {
      return error;
    }
    column += d.width;
  }
  return std::nullopt;
}

void encode_fixed(std::string& out, const Layout& layout, std::span<const OutItem> items) {
  check_items(layout, items.size());
  const detail::FloatFlagsGuard flags;
  std::size_t pending_blanks = 0;  // X columns not written until a field follows
  std::size_t next_item = 0;
  for (const Descriptor& d : layout.descriptors()) {
    if (d.kind == Descriptor::Kind::skip) {
      pending_blanks += d.width;
      continue;
    }
    if (next_item == items.size()) break;
    const OutItem& item = items[next_item++];
    check_kind(layout, item.kind(), d);
    out.append(pending_blanks, ' ');
    pending_blanks = 0;
    const std::size_t at = out.size();
    switch (d.kind) {
      case Descriptor::Kind::text: {
        // More columns than characters: blanks first; fewer: the first ones.
        const std::string_view text = item.text();
        if (d.width > text.size()) {
          out.append(d.width - text.size(), ' ');
          out.append(text);
        } else {
          out.append(text.substr(0, d.width));
        }
        break;
      }
      case Descriptor::Kind::integer:
        out.resize(at + d.width);
        detail::format_integer(out.data() + at, d.width, item.integer());
        break;
      case Descriptor::Kind::real:
        out.resize(at + d.width);
        detail::format_fixed(out.data() + at, d.width, d.decimals, item.real());
        break;
      case Descriptor::Kind::skip:
        break;
    }
  }
}

}  // namespace record_io
