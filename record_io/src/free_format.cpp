// SPDX-License-Identifier: MIT
// Free-format records: values separated by blanks, tabs or commas on input;
// a blank and the items at their default widths on output.
//
// The reader walks the bytes of the input buffer, where a line feed ends
// each record and one more stands after the last byte read, so that it stops
// at the end of a record and at the end of the buffer alike; at the latter it
// reads more of the file, keeping only the value it is in the middle of.
#include <array>
#include <cstdint>
#include <cstring>

#include "codec.hpp"
#include "diagnostics.hpp"
#include "numbers.hpp"

namespace record_io::detail {
namespace {

// What a byte is to the free-format reader: part of a value, a blank (blank
// or tab), a comma, a slash, a line feed, or a carriage return (which ends
// the record before a line feed, and is part of a value elsewhere).
enum class ByteClass : std::uint8_t { value, blank, comma, slash, line_feed, carriage_return };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
  std::array<ByteClass, 256> classes{};
  classes[' '] = classes['\t'] = ByteClass::blank;
  classes[','] = ByteClass::comma;
  classes['/'] = ByteClass::slash;
  classes['\n'] = ByteClass::line_feed;
  classes['\r'] = ByteClass::carriage_return;
  return classes;
}();

ByteClass class_of(char c) { return kByteClasses[static_cast<unsigned char>(c)]; }

bool is_quote(char c) { return c == '\'' || c == '"'; }

// The reading of one value: the buffer, and where the reader stands in it.
class ValueReader {
 public:
  ValueReader(InputBuffer& in, const char* at) : in_(in), at_(at) {}
  const char* at() const { return at_; }

  // Whether the byte at `p`, short of the limit, ends a value: a blank,
  // comma, slash or the end of the record.
  bool ends_value(const char* p) const {
    switch (class_of(*p)) {
      case ByteClass::value: return false;
      case ByteClass::carriage_return: return p + 1 < in_.limit() && p[1] == '\n';
      default: return true;
    }
  }

  // Whether the byte at `p` is part of a value that starts at `at_`, reading
  // more of the file when `p` reaches the limit (then `p` moves with the
  // value); false at the end of the file.
  bool within_value(const char*& p) {
    for (;;) {
      const bool at_limit = p == in_.limit() || (*p == '\r' && p + 1 == in_.limit());
      if (!at_limit) return !ends_value(p);
      const std::size_t offset = static_cast<std::size_t>(p - at_);
      const bool more = in_.refill(at_);
      p = at_ + offset;
      if (!more) return p != in_.limit();  // a carriage return last in the file is a byte of the value
    }
  }

  // A text between delimiters, from the opening one: a doubled delimiter
  // stands for one; the end of the record ends it too.
  void store_quoted(std::span<char> item) {
    const char quote = *at_++;
    std::size_t stored = 0;
    for (;;) {
      if (!within_record()) break;
      const char c = *at_++;
      if (c == quote) {
        if (!within_record() || *at_ != quote) break;
        ++at_;  // a doubled delimiter
      }
      if (stored < item.size()) item[stored++] = c;
    }
    std::memset(item.data() + stored, ' ', item.size() - stored);
  }

  // A text up to the next blank, comma, slash or record end, cut to the
  // item's length (the rest of it is passed over, not kept).
  void store_text(std::span<char> item) {
    std::size_t stored = 0;
    const char* p = at_;
    while (within_value(p)) {
      if (stored < item.size()) item[stored++] = *p;
      ++p;
      if (p - at_ > 4096) at_ = p;  // the part stored need not be kept in the buffer
    }
    at_ = p;
    std::memset(item.data() + stored, ' ', item.size() - stored);
  }

  // A number into an integer or real item.
  std::optional<FieldError> store_number(const InItem& item) {
    // The common case: the number's form ends where the value does.
    const NumberScan scan = item.kind() == ItemKind::real ? scan_real(at_, in_.limit(), 0, item.real())
                                                          : scan_integer(at_, in_.limit(), item.integer());
    if (scan.status == ParseStatus::ok && scan.end > at_ && scan.end < in_.limit() && ends_value(scan.end)) {
      note_sign(item);
      at_ = scan.end;
      return std::nullopt;
    }
    // Otherwise the whole value is taken first, then converted.
    const char* end = at_;
    while (within_value(end)) ++end;
    const std::string_view value(at_, static_cast<std::size_t>(end - at_));
    if (value.size() > kMaxValueBytes) in_.refuse_long_value(at_);
    const ParseStatus status = item.kind() == ItemKind::real ? parse_real(value, 0, item.real())
                                                             : parse_integer(value, item.integer());
    const std::size_t first_column = in_.column_of(at_);
    if (status == ParseStatus::ok) note_sign(item);
    at_ = end;
    if (status == ParseStatus::ok) return std::nullopt;
    return FieldError{first_column, first_column + value.size() - 1, conversion_error(status, item.kind() == ItemKind::real ? NumberKind::real : NumberKind::integer, value)};
  }

 private:
  // Whether the reader stands on a byte of the current record, reading more
  // of the file when it stands at the limit.
  bool within_record() {
    for (;;) {
      if (at_ == in_.limit()) {
        if (!in_.refill(at_)) return false;
        continue;
      }
      if (*at_ == '\n') return false;
      if (*at_ != '\r') return true;
      if (at_ + 1 == in_.limit()) {
        if (!in_.refill(at_)) return true;  // a carriage return last in the file
        continue;
      }
      return at_[1] != '\n';
    }
  }

  void note_sign(const InItem& item) const {
    if (SignedInteger* const signed_value = item.signed_integer()) {
      signed_value->minus_sign = *at_ == '-';
      signed_value->line = in_.line_number();
    }
  }

  InputBuffer& in_;
  const char* at_;
};

}  // namespace

namespace {

// The reading of values from a record begun at the buffer's cursor on.
FreeReadProgress read_values_from_record(InputBuffer& in, std::span<const InItem> items, BadValueSink bad_value,
                                         void* context) {
  FreeReadProgress progress{ReadStatus::record, false, false, 0};
  std::size_t filled = 0;  // items passed, null values included
  // A comma right after a value separates it from the next one; any other
  // comma stands for a null value, which leaves its item unchanged.
  bool after_value = false;
  for (bool first_record = true;; first_record = false) {
    if (!first_record && !in.begin_record()) {
      progress.status = ReadStatus::end_of_input;
      return progress;
    }
    const char* at = in.cursor();
    for (bool in_record = true; in_record;) {
      switch (class_of(*at)) {
        case ByteClass::blank:
          ++at;
          continue;
        case ByteClass::line_feed:
          if (at != in.limit()) {
            in.advance_to(at + 1);
            in_record = false;
          } else if (!in.refill(at)) {
            in.advance_to(at);  // the end of the file ends the record
            in_record = false;
          }
          continue;
        case ByteClass::carriage_return:
          if (at + 1 == in.limit() && in.refill(at)) continue;
          if (at + 1 != in.limit() && at[1] == '\n') {
            in.advance_to(at + 2);
            in_record = false;
            continue;
          }
          break;  // a byte of a value
        case ByteClass::slash:
          progress.ended_by_slash = true;
          in.advance_to(at);
          in.end_record();
          return progress;
        case ByteClass::comma:
          ++at;
          if (after_value) {
            after_value = false;
            continue;
          }
          if (++filled == items.size()) {  // a null value for the last item
            in.advance_to(at);
            in.end_record();
            return progress;
          }
          continue;
        case ByteClass::value:
          break;
      }
      const InItem& item = items[filled];
      ValueReader value(in, at);
      if (item.kind() != ItemKind::text) {
        if (auto error = value.store_number(item)) {
          progress.failed = true;
          in.advance_to(value.at());
          bad_value(context, std::move(*error), in.line_number());
          return progress;
        }
      } else if (is_quote(*at)) {
        value.store_quoted(item.text());
      } else {
        value.store_text(item.text());
      }
      at = value.at();
      ++progress.values_read;
      after_value = true;
      if (++filled == items.size()) {  // the rest of the record is skipped
        in.advance_to(at);
        in.end_record();
        return progress;
      }
    }
  }
}

}  // namespace

FreeReadProgress read_free_values(InputBuffer& in, std::span<const InItem> items, BadValueSink bad_value,
                                  void* context) {
  in.note_free_format_read();
  if (items.empty()) {
    const bool taken = in.skip_record();
    return {taken ? ReadStatus::record : ReadStatus::end_of_input, false, false, 0};
  }
  if (!in.begin_record()) return {ReadStatus::end_of_input, false, false, 0};
  // The most common read of all, one number a record (the amplitudes of a
  // spectrum): the number at the record's start, its line end right after it.
  if (items.size() == 1 && items[0].kind() != ItemKind::text && items[0].signed_integer() == nullptr) {
    const InItem& item = items[0];
    const char* const at = in.cursor();
    const NumberScan scan = item.kind() == ItemKind::real ? scan_real(at, in.limit(), 0, item.real())
                                                          : scan_integer(at, in.limit(), item.integer());
    if (scan.status == ParseStatus::ok && scan.end != at && scan.end < in.limit() && *scan.end == '\n') {
      in.advance_to(scan.end + 1);
      return {ReadStatus::record, false, false, 1};
    }
  }
  return read_values_from_record(in, items, bad_value, context);
}

std::size_t read_first_reals(InputBuffer& in, std::span<float> values, BadValueSink bad_value, void* context) {
  in.note_free_format_read();
  std::size_t k = 0;
  while (k < values.size()) {
    // The usual records of a spectrum, one plain number each and its line
    // end right after it, in runs as long as the buffer holds them: first
    // those in the C library's form, two at a time while both are unsigned,
    // then one at a time, then those in any plain form (and a file of
    // another form passes on to them at once).
    std::span<float> rest = values.subspan(k);
    k += in.take_records_while<2>(rest.size(), [rest](const char* at, std::size_t taken) {
      return scan_c_exponent_pair(at, &rest[taken]);
    });
    rest = values.subspan(k);
    k += in.take_records_while(rest.size(), [rest](const char* at, std::size_t taken) {
      return scan_c_exponent_line(at, rest[taken]);
    });
    rest = values.subspan(k);
    k += in.take_records_while(rest.size(), [rest](const char* at, std::size_t taken) {
      return scan_plain_line(at, rest[taken]);
    });
    if (k == values.size()) break;
    // A record of any other form, or one cut by the end of the buffer.
    if (!in.begin_record()) return k;
    const InItem item{values[k]};
    if (read_values_from_record(in, {&item, 1}, bad_value, context).status == ReadStatus::end_of_input) return k;
    ++k;
  }
  return k;
}

FreeReadOutcome read_free_values(InputBuffer& in, std::span<const InItem> items) {
  FreeReadOutcome outcome;
  const BadValueSink keep = [](void* context, FieldError&& error, long line) {
    auto& kept = *static_cast<FreeReadOutcome*>(context);
    kept.error = std::move(error);
    kept.error_line = line;
  };
  const FreeReadProgress progress = read_free_values(in, items, keep, &outcome);
  outcome.read = {progress.status, progress.values_read};
  outcome.ended_by_slash = progress.ended_by_slash;
  return outcome;
}

std::size_t free_record_capacity(std::span<const OutItem> items) {
  // Items are written left to right, so a real's spill past its columns is
  // overwritten by what follows it, or lies past the record's end.
  std::size_t length = 1 + kFreeRealSpill;
  for (const OutItem& item : items) {
    switch (item.kind()) {
      case ItemKind::text: length += 1 + item.text().size(); break;
      case ItemKind::integer: length += 1 + kFreeIntegerWidth; break;
      case ItemKind::real: length += 1 + kFreeRealWidth; break;
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
        format_integer(out, kFreeIntegerWidth, item.integer());
        out += kFreeIntegerWidth;
        break;
      case ItemKind::real:
        format_free_real(out, item.real());
        out += kFreeRealWidth;
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

}  // namespace record_io::detail
