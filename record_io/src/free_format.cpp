// Free-format records: values separated by blanks, tabs or commas on input;
// a blank and the items at their default widths on output.
#include <cstring>

#include "float_flags.hpp"
#include "internal.hpp"
#include "numbers.hpp"

namespace record_io {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// An undelimited value ends at a blank, a comma, a slash or the record end.
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

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
  const std::size_t end = start + value.size();
  if (item.kind() == ItemKind::integer) {
    switch (detail::parse_integer(value, item.integer())) {
      case detail::ParseStatus::ok: return std::nullopt;
      case detail::ParseStatus::out_of_range:
        return value_error(start, end,
                           "integer " + quote_found(value) + " is out of range (allowed: -2147483648 to 2147483647)");
      case detail::ParseStatus::syntax: break;
    }
    return value_error(start, end, "cannot read " + quote_found(value) + " as an integer");
  }
  switch (detail::parse_real(value, 0, item.real())) {
    case detail::ParseStatus::ok: return std::nullopt;
    case detail::ParseStatus::out_of_range:
      return value_error(start, end, "number " + quote_found(value) + " is beyond the range of a real");
    case detail::ParseStatus::syntax: break;
  }
  return value_error(start, end, "cannot read " + quote_found(value) + " as a number");
}

}  // namespace

namespace detail {

FreeReadOutcome read_free_values(InputFile& file, std::span<const InItem> items) {
  const FloatFlagsGuard flags;
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
      if (is_blank(c)) {
        ++at;
        continue;
      }
      if (c == '/') {
        outcome.ended_by_slash = true;
        return outcome;  // the rest of the record is skipped
      }
      if (c == ',') {
        ++at;
        if (after_value) {
          after_value = false;
          continue;
        }
        ++filled;  // a null value
      } else {
        const InItem& item = items[filled];
        const std::size_t start = at;
        if (item.kind() == ItemKind::text && is_quote(c)) {
          at = store_quoted(record, start, item.text());
        } else {
          while (at < record.size() && !ends_value(record[at])) ++at;
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

void encode_free(std::string& out, std::span<const OutItem> items) {
  const detail::FloatFlagsGuard flags;
  out.push_back(' ');
  bool previous_was_text = false;
  bool first = true;
  for (const OutItem& item : items) {
    const bool is_text = item.kind() == ItemKind::text;
    if (!first && !(previous_was_text && is_text)) out.push_back(' ');
    first = false;
    previous_was_text = is_text;
    const std::size_t at = out.size();
    switch (item.kind()) {
      case ItemKind::text:
        out.append(item.text());
        break;
      case ItemKind::integer:
        out.resize(at + detail::kFreeIntegerWidth);
        detail::format_integer(out.data() + at, detail::kFreeIntegerWidth, item.integer());
        break;
      case ItemKind::real:
        out.resize(at + detail::kFreeRealWidth);
        detail::format_free_real(out.data() + at, item.real());
        break;
    }
  }
}

}  // namespace record_io
