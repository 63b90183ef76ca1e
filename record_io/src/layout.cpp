// SPDX-License-Identifier: MIT
// Layout strings: "(A4,8x,5A2,F6.3,8(F8.3,1x))" parsed once into a flat list
// of descriptors, repeat counts and groups expanded.
#include <string>

#include "ascii.hpp"
#include "codec.hpp"
#include "diagnostics.hpp"
#include "text_rows.hpp"

namespace record_io {
namespace detail {
namespace {

class LayoutParser {
 public:
  explicit LayoutParser(std::string_view text) : text_(text) {}

  bool parse(std::vector<Descriptor>& out, std::string& why) {
    std::size_t columns = 0;
    if (!expect('(') || !parse_list(out, columns, 1)) {
      why = std::move(error_);
      return false;
    }
    if (peek() != '\0') {
      fail("text after the closing parenthesis");
      why = std::move(error_);
      return false;
    }
    return true;
  }

 private:
  // The next character that carries meaning (blanks are skipped), upper case,
  // or '\0' at the end of the text.
  char peek() {
    while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t')) ++position_;
    if (position_ == text_.size()) return '\0';
    const char c = text_[position_];
    if (c == '\0') return '?';  // a NUL byte is not the end of the text
    return detail::to_upper(c);
  }

  bool fail(std::string message) {
    if (error_.empty()) error_ = "position " + std::to_string(position_ + 1) + ": " + message;
    return false;
  }

  bool expect(char wanted) {
    const char found = peek();
    if (found != wanted) {
      return fail(std::string("expected '") + wanted + "' but found " +
                  (found == '\0' ? std::string("the end") : std::string("'") + found + "'"));
    }
    ++position_;
    return true;
  }

  // A positive count or width of at most `limit`; `minimum` is 0 or 1.
  bool number(std::uint32_t& value, std::uint32_t minimum, std::uint32_t limit, const char* what) {
    if (!detail::is_digit(peek())) return fail(std::string("expected ") + what);
    std::uint64_t result = 0;
    while (detail::is_digit(peek())) {
      result = result * 10 + static_cast<std::uint64_t>(text_[position_] - '0');
      if (result > limit) return fail(std::string(what) + " is larger than " + std::to_string(limit));
      ++position_;
    }
    if (result < minimum) return fail(std::string(what) + " must be at least " + std::to_string(minimum));
    value = static_cast<std::uint32_t>(result);
    return true;
  }

  // Appends `times` copies of `items`, which take `items_columns` columns,
  // to `out`, which takes `columns` columns so far.
  bool append(std::vector<Descriptor>& out, std::size_t& columns, const std::vector<Descriptor>& items,
              std::size_t items_columns, std::uint32_t times) {
    if (out.size() + items.size() * times > kMaxDescriptors)
      return fail("more than " + std::to_string(kMaxDescriptors) + " fields after expanding repeat counts");
    if (columns + items_columns * times > kMaxLayoutColumns)
      return fail("more than " + std::to_string(kMaxLayoutColumns) + " columns in all");
    for (std::uint32_t i = 0; i < times; ++i) out.insert(out.end(), items.begin(), items.end());
    columns += items_columns * times;
    return true;
  }

  // items separated by commas, up to and including the closing parenthesis;
  // `columns` counts the columns of the list
  bool parse_list(std::vector<Descriptor>& out, std::size_t& columns, int depth) {
    if (depth > kMaxGroupDepth) return fail("groups nested more than " + std::to_string(kMaxGroupDepth) + " deep");
    for (;;) {
      if (!parse_item(out, columns, depth)) return false;
      if (peek() != ',') return expect(')');
      ++position_;
    }
  }

  bool parse_item(std::vector<Descriptor>& out, std::size_t& columns, int depth) {
    std::uint32_t count = 1;
    const bool counted = detail::is_digit(peek());
    if (counted && !number(count, 1, kMaxRepeatCount, "a repeat count")) return false;
    const char letter = peek();
    switch (letter) {
      case '(': {
        ++position_;
        std::vector<Descriptor> items;
        std::size_t items_columns = 0;
        if (!parse_list(items, items_columns, depth + 1)) return false;
        return append(out, columns, items, items_columns, count);
      }
      case 'X':
        if (!counted) return fail("X needs a count of columns, as in 1X");
        ++position_;
        return append(out, columns, {{Descriptor::Kind::skip, count, 0}}, count, 1);
      case 'A':
      case 'I':
      case 'F': {
        ++position_;
        Descriptor d{letter == 'A' ? Descriptor::Kind::text
                     : letter == 'I' ? Descriptor::Kind::integer
                                     : Descriptor::Kind::real,
                     0, 0};
        const std::uint32_t limit = letter == 'A' ? kMaxTextWidth : kMaxNumericWidth;
        if (!number(d.width, 1, limit, "a field width")) return false;
        if (letter == 'F') {
          if (!expect('.') || !number(d.decimals, 0, kMaxNumericWidth, "a number of decimals")) return false;
          if (d.decimals > d.width)
            return fail("the number of decimals (" + std::to_string(d.decimals) + ") is larger than the field width (" +
                        std::to_string(d.width) + ")");
        }
        return append(out, columns, {d}, d.width, count);
      }
      case '\0':
        return fail("the layout ends before its closing parenthesis");
      default: {
        std::string message = "expected a field (A, I, F, X or a group) but found '";
        message += letter;
        message += '\'';
        return fail(message);
      }
    }
  }

  std::string_view text_;
  std::size_t position_ = 0;
  std::string error_;
};

ItemKind item_kind(Descriptor::Kind kind) {
  switch (kind) {
    case Descriptor::Kind::text: return ItemKind::text;
    case Descriptor::Kind::integer: return ItemKind::integer;
    case Descriptor::Kind::real: break;
    case Descriptor::Kind::skip: internal_error("a blank (X) field converts no item");
  }
  return ItemKind::real;
}

}  // namespace

std::optional<Layout> LayoutData::parse(std::string_view text, std::string* why) {
  auto data = std::shared_ptr<LayoutData>(new LayoutData);
  std::string reason;
  if (!LayoutParser(text).parse(data->descriptors_, reason)) {
    if (why != nullptr) *why = std::move(reason);
    return std::nullopt;
  }
  data->text_ = std::string(text);
  std::uint32_t column = 0;
  bool numeric_seen = false;
  for (const Descriptor& d : data->descriptors_) {
    if (d.kind != Descriptor::Kind::skip) {
      data->fields_.push_back({item_kind(d.kind), d.width, d.decimals, column});
      numeric_seen = numeric_seen || d.kind != Descriptor::Kind::text;
      if (!numeric_seen) ++data->leading_text_fields_;
    }
    column += d.width;
  }
  if (!data->fields_.empty()) data->record_width_ = data->fields_.back().column + data->fields_.back().width;
  return Layout(std::move(data));
}

LayoutData::LayoutData() {
  static std::uint64_t layouts_made = 0;
  id_ = ++layouts_made;
}

LayoutData::~LayoutData() = default;

}  // namespace detail

Layout::Layout(std::shared_ptr<const detail::LayoutData> data) noexcept : data_(std::move(data)) {}

Layout::Layout(std::string_view text) {
  std::string why;
  std::optional<Layout> parsed = detail::LayoutData::parse(text, &why);
  if (!parsed) detail::internal_error("malformed layout \"" + std::string(text) + "\": " + why);
  data_ = std::move(parsed->data_);
}

std::string_view Layout::text() const noexcept { return data_->text(); }

}  // namespace record_io
