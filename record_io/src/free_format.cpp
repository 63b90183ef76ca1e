// Free-format records: values separated by blanks, tabs or commas on input;
// a blank and the items at their default widths on output.
#include <array>
#include <cstdint>
#include <cstring>

#include "internal.hpp"
#include "numbers.hpp"

namespace record_io {
namespace {

// What a byte is to the free-format reader: part of a value, or a blank
// (blank or tab), a comma or a slash, each of which ends an undelimited value.
enum class ByteClass : std::uint8_t { value, blank, comma, slash };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
  std::array<ByteClass, 256> classes{};
  classes[' '] = classes['\t'] = ByteClass::blank;
  classes[','] = ByteClass::comma;
  classes['/'] = ByteClass::slash;
  return classes;
}();

ByteClass class_of(char c) { return kByteClasses[static_cast<unsigned char>(c)]; }

bool is_quote(char c) { return c == '\'' || c == '"'; }

void store_text(std::span<char> item, std::string_view value) {
  const std::size_t kept = value.size() < item.size() ? value.size() : item.size();
  std::memcpy(item.data(), value.data(), kept);
  std::memset(item.data() + kept, ' ', item.size() - kept);
}

// A value between delimiters, starting at the opening one. A doubled
// delimiter inside stands for one; a record that ends before the closing
// delimiter ends the value. Returns the position after the value.
std::size_t store_quoted(std::string_view record, std::size_t start, std::span<char> item) {
  const char quote = record[start];
  std::size_t stored = 0;
  std::size_t at = start + 1;
  while (at < record.size()) {
    char c = record[at++];
    if (c == quote) {
      if (at < record.size() && record[at] == quote) {
        ++at;  // a doubled delimiter
      } else {
        break;
      }
    }
    if (stored < item.size()) item[stored++] = c;
  }
  std::memset(item.data() + stored, ' ', item.size() - stored);
  return at;
}

std::optional<FieldError> value_error(std::size_t start, std::size_t end, std::string message) {
  return FieldError{start + 1, end, std::move(message)};
}

// Converts the undelimited value record[start, end) into a numeric item.
std::optional<FieldError> store_number(std::string_view value, const InItem& item, std::size_t start) {
  const bool integer = item.kind() == ItemKind::integer;
  const detail::ParseStatus status =
      integer ? detail::parse_integer(value, item.integer()) : detail::parse_real(value, 0, item.real());
  if (status == detail::ParseStatus::ok) return std::nullopt;
  return value_error(start, start + value.size(),
                     detail::conversion_error(status, integer ? detail::NumberKind::integer : detail::NumberKind::real,
                                              value));
}

}  // namespace

namespace detail {

FreeReadOutcome read_free_values(InputFile& file, std::span<const InItem> items) {
  FreeReadOutcome outcome{{ReadStatus::record, 0}, std::nullopt, 0, false};
  std::size_t filled = 0;  // items passed, null values included
  if (items.empty()) {
    if (!file.next_record()) outcome.read.status = ReadStatus::end_of_input;
    return outcome;
  }
  // A comma right after a value separates it from the next one; any other
  // comma stands for a null value, which leaves its item unchanged.
  bool after_value = false;
  for (;;) {
    const std::optional<std::string_view> next = file.next_record();
    if (!next) {
      outcome.read.status = ReadStatus::end_of_input;
      return outcome;
    }
    const std::string_view record = *next;
    std::size_t at = 0;
    while (at < record.size()) {
      const char c = record[at];
      const ByteClass kind = class_of(c);
      if (kind == ByteClass::blank) {
        ++at;
        continue;
      }
      if (kind == ByteClass::slash) {
        outcome.ended_by_slash = true;
        return outcome;  // the rest of the record is skipped
      }
      if (kind == ByteClass::comma) {
        ++at;
        if (after_value) {
          after_value = false;
          continue;
        }
        ++filled;  // a null value
      } else {
        const InItem& item = items[filled];
        const std::size_t start = at;
        // A real is read straight from the record when its number ends where
        // the value does; anything else goes the way of every value.
        float real;
        const char* const record_end = record.data() + record.size();
        const NumberScan scan = item.kind() == ItemKind::real ? scan_real(record.data() + start, record_end, 0, real)
                                                              : NumberScan{nullptr, ParseStatus::syntax};
        if (scan.status == ParseStatus::ok && (scan.end == record_end || class_of(*scan.end) != ByteClass::value)) {
          item.real() = real;
          at = static_cast<std::size_t>(scan.end - record.data());
        } else if (item.kind() == ItemKind::text && is_quote(c)) {
          at = store_quoted(record, start, item.text());
        } else {
          while (at < record.size() && class_of(record[at]) == ByteClass::value) ++at;
          const std::string_view value = record.substr(start, at - start);
          if (item.kind() == ItemKind::text) {
            store_text(item.text(), value);
          } else if (auto error = store_number(value, item, start)) {
            outcome.error = std::move(error);
            outcome.error_line = file.line_number();
            return outcome;
          }
        }
        ++filled;
        ++outcome.read.values_read;
        after_value = true;
      }
      if (filled == items.size()) return outcome;  // the rest of the record is skipped
    }
  }
}

}  // namespace detail

std::size_t free_record_capacity(std::span<const OutItem> items) {
  // Items are written left to right, so a real's spill past its columns is
  // overwritten by what follows it, or lies past the record's end.
  std::size_t length = 1 + detail::kFreeRealSpill;
  for (const OutItem& item : items) {
    switch (item.kind()) {
      case ItemKind::text: length += 1 + item.text().size(); break;
      case ItemKind::integer: length += 1 + detail::kFreeIntegerWidth; break;
      case ItemKind::real: length += 1 + detail::kFreeRealWidth; break;
    }
  }
  return length;
}

char* encode_free(char* out, std::span<const OutItem> items) {
  *out++ = ' ';
  bool previous_was_text = false;
  bool first = true;
  for (const OutItem& item : items) {
    const bool is_text = item.kind() == ItemKind::text;
    if (!first && !(previous_was_text && is_text)) *out++ = ' ';
    first = false;
    previous_was_text = is_text;
    switch (item.kind()) {
      case ItemKind::text: {
        const std::string_view text = item.text();
        std::memcpy(out, text.data(), text.size());
        out += text.size();
        break;
      }
      case ItemKind::integer:
        detail::format_integer(out, detail::kFreeIntegerWidth, item.integer());
        out += detail::kFreeIntegerWidth;
        break;
      case ItemKind::real:
        detail::format_free_real(out, item.real());
        out += detail::kFreeRealWidth;
        break;
    }
  }
  return out;
}

void encode_free(std::string& out, std::span<const OutItem> items) {
  const std::size_t at = out.size();
  out.resize(at + free_record_capacity(items));
  char* const end = encode_free(out.data() + at, items);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace record_io
