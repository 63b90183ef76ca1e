// SPDX-License-Identifier: MIT
// Fixed-column records from anywhere, read by layouts from anywhere. The
// input is two bytes that choose how many fields are read (255: all) and the
// lengths of the character items, then a layout string, a line feed, and the
// record.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "codec.hpp"
#include "fuzz_check.hpp"
#include "record_io/record_io.hpp"

using record_io::detail::Descriptor;
using record_io::detail::LayoutData;

namespace {

// The length of the character item for an An field: the field's own width,
// shorter or longer than it, or a single character.
std::size_t text_length(std::uint32_t width, std::uint8_t mode) {
  switch (mode % 4) {
    case 0:
      return width;
    case 1:
      return width > 1 ? width / 2 : 1;
    case 2:
      return width + 3;
    default:
      return 1;
  }
}

// The leading character fields read as one row of texts of one length, from
// the record itself and from a file, and written back as a row by the same
// layout: all agree with the item-by-item conversion.
void check_text_row(const record_io::Layout& layout, std::string_view record, std::size_t wanted,
                    std::uint8_t length_mode) {
  const std::size_t count = std::min(wanted, LayoutData::of(layout).leading_text_fields());
  if (count == 0) return;
  const std::size_t length = 1 + length_mode % 40;
  std::vector<char> by_item(count * length, '?');
  std::vector<record_io::InItem> items;
  for (std::size_t i = 0; i < count; ++i) items.emplace_back(std::span<char>(by_item.data() + i * length, length));
  fuzz::require(!record_io::detail::decode_fixed(record, layout, items), "an error from character fields");

  std::vector<char> row(count * length, '#');
  record_io::detail::decode_text_row(record, layout, length, count, row.data());
  fuzz::require(row == by_item, "a row of texts read other than item by item: " +
                                    fuzz::shown(std::string_view(row.data(), row.size())));

  std::vector<record_io::OutItem> out;
  for (std::size_t i = 0; i < count; ++i) out.emplace_back(std::string_view(by_item.data() + i * length, length));
  std::string written;
  record_io::detail::encode_fixed(written, layout, out);
  const std::string row_written = record_io::detail::encode_text_row(layout, record, layout, length, count);
  fuzz::require(row_written == written, "a row of texts written as " + fuzz::shown(row_written) + ", item by item " +
                                            fuzz::shown(written));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t field_limit = data[0];
  const std::uint8_t length_mode = data[1];
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t line_end = input.find('\n');
  if (line_end == std::string::npos) return 0;
  const std::string_view layout_text(input.data(), line_end);
  const std::string_view record(input.data() + line_end + 1, input.size() - line_end - 1);

  const std::optional<record_io::Layout> layout = LayoutData::parse(layout_text);
  if (!layout) return 0;
  check_text_row(*layout, record, field_limit == 255 ? LayoutData::of(*layout).fields().size() : field_limit, length_mode);

  // Storage that does not move while the items point into it.
  std::deque<std::vector<char>> texts;
  std::deque<std::int32_t> integers;
  std::deque<float> reals;
  std::vector<record_io::InItem> items;
  std::vector<std::size_t> first_columns;  // of each data field read, counted from 1
  std::vector<std::uint32_t> widths;
  const std::size_t wanted = field_limit == 255 ? LayoutData::of(*layout).fields().size() : field_limit;
  std::size_t column = 1;
  for (const Descriptor& d : LayoutData::of(*layout).descriptors()) {
    if (d.kind != Descriptor::Kind::skip) {
      if (items.size() == wanted) break;
      first_columns.push_back(column);
      widths.push_back(d.width);
    }
    switch (d.kind) {
      case Descriptor::Kind::text:
        texts.emplace_back(text_length(d.width, length_mode), '?');
        items.emplace_back(std::span<char>(texts.back()));
        break;
      case Descriptor::Kind::integer:
        integers.push_back(-7);
        items.emplace_back(integers.back());
        break;
      case Descriptor::Kind::real:
        reals.push_back(-7.0f);
        items.emplace_back(reals.back());
        break;
      case Descriptor::Kind::skip:
        break;
    }
    column += d.width;
  }

  const std::optional<record_io::detail::FieldError> error = record_io::detail::decode_fixed(record, *layout, items);
  std::size_t decoded = items.size();
  if (error) {
    // The failing field is a numeric field read by this call: its columns are the field's columns.
    bool found = false;
    for (std::size_t i = 0; i < items.size() && !found; ++i) {
      if (items[i].kind() == record_io::ItemKind::text) continue;
      if (error->first_column == first_columns[i] && error->last_column == first_columns[i] + widths[i] - 1) {
        found = true;
        decoded = i;
      }
    }
    fuzz::require(found, "an error at columns " + std::to_string(error->first_column) + "-" +
                             std::to_string(error->last_column) + " that is no numeric field of " +
                             fuzz::shown(layout_text));
    fuzz::require(!error->message.empty(), "an error without a message");
  }
  // A character item of length L from a field of n columns: the last L of
  // them when n >= L, else the n followed by blanks; columns beyond the end
  // of the record are blanks.
  for (std::size_t i = 0; i < decoded; ++i) {
    if (items[i].kind() != record_io::ItemKind::text) continue;
    std::string field(widths[i], ' ');
    const std::size_t start = first_columns[i] - 1;
    if (start < record.size()) {
      const std::string_view present = record.substr(start, widths[i]);
      field.replace(0, present.size(), present);
    }
    const std::size_t length = items[i].text().size();
    const std::string expected =
        length <= field.size() ? field.substr(field.size() - length) : field + std::string(length - field.size(), ' ');
    const std::string_view got(items[i].text().data(), length);
    fuzz::require(got == expected, "field at column " + std::to_string(first_columns[i]) + " read as " +
                                       fuzz::shown(got) + ", expected " + fuzz::shown(expected));
  }

  // Written back with the same layout, the fields read give a record whose
  // integer and character fields read as before.
  if (error) return 0;
  std::vector<record_io::OutItem> out;
  for (const record_io::InItem& item : items) {
    switch (item.kind()) {
      case record_io::ItemKind::text:
        out.emplace_back(std::string_view(item.text().data(), item.text().size()));
        break;
      case record_io::ItemKind::integer:
        out.emplace_back(item.integer());
        break;
      case record_io::ItemKind::real:
        out.emplace_back(item.real());
        break;
    }
  }
  std::string written;
  record_io::detail::encode_fixed(written, *layout, out);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].kind() != record_io::ItemKind::integer) continue;
    const std::size_t start = first_columns[i] - 1;
    const std::string_view field = std::string_view(written).substr(start, widths[i]);
    fuzz::require(field.find('*') == std::string_view::npos,
                  "integer " + std::to_string(items[i].integer()) + " read from " + std::to_string(widths[i]) +
                      " columns does not fit them again: " + fuzz::shown(field));
    const record_io::Layout integer_layout("(I" + std::to_string(widths[i]) + ")");
    std::int32_t again = 0;
    const record_io::InItem reread_items[] = {again};
    const auto reread = record_io::detail::decode_fixed(field, integer_layout, reread_items);
    fuzz::require(
        !reread && again == items[i].integer(),
        "integer " + std::to_string(items[i].integer()) + " written as " + fuzz::shown(field) + " does not read back");
  }
  return 0;
}
