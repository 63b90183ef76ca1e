// SPDX-License-Identifier: MIT
// Number forms of the record layer for any bit pattern:
// - a real written in free format reads back as the same value, bit for bit
//   (not-a-number reads back as not-a-number), and its form is the one that
//   the C library's printf gives with the toolkit's rules on top;
// - an Fw.d field agrees with the same independent route, and read back with
//   the same Fw.d and written again it gives the same text;
// - an integer written with Iw reads back with Iw as the same value, unless it
//   was too wide and written as asterisks.
// - the bytes after the seventh, read as a real, end where the C++ library's
//   from_chars ends and have the value of the C library's strtof, each told
//   of the plus sign and the D exponent that it does not read.
// Input: 4 bytes of the value, then the width and decimals of the F field and
// the width of the I field (missing bytes count as zero), then the text.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codec.hpp"
#include "fuzz_check.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"
#include "reference_format.hpp"

namespace {

using record_io::detail::ParseStatus;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string hex(std::uint32_t bits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", bits);
  return text;
}

bool all_asterisks(std::string_view text) {
  return !text.empty() && text.find_first_not_of('*') == std::string_view::npos;
}

void check_free_real(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  char form[record_io::detail::kFreeRealWidth + record_io::detail::kFreeRealSpill];
  record_io::detail::format_free_real(form, value);
  const std::string_view text(form, record_io::detail::kFreeRealWidth);
  const std::string reference = toolkit_test::reference_free_real(value);
  fuzz::require(text == reference, "free form of " + hex(bits) + " is " + fuzz::shown(text) + ", printf route gives " +
                                       fuzz::shown(reference));
  // The record that encode_free writes holds the same 16 columns after its blank.
  std::string record;
  const record_io::OutItem item[] = {value};
  record_io::detail::encode_free(record, item);
  fuzz::require(record == " " + std::string(text), "encode_free of " + hex(bits) + " gives " + fuzz::shown(record));

  float back = 0.0f;
  const ParseStatus status = record_io::detail::parse_real(trimmed(text), 0, back);
  fuzz::require(status == ParseStatus::ok, "free form " + fuzz::shown(text) + " of " + hex(bits) + " does not read");
  if (std::isnan(value)) {
    fuzz::require(std::isnan(back), "NaN read back as " + hex(std::bit_cast<std::uint32_t>(back)));
  } else {
    fuzz::require(std::bit_cast<std::uint32_t>(back) == bits, "free form " + fuzz::shown(text) + " of " + hex(bits) +
                                                                  " reads back as " +
                                                                  hex(std::bit_cast<std::uint32_t>(back)));
  }
}

void check_fixed_real(float value, std::size_t width, std::size_t decimals) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const std::string field_name = "F" + std::to_string(width) + "." + std::to_string(decimals);
  std::array<char, record_io::detail::kMaxNumericWidth> form;
  record_io::detail::format_fixed(form.data(), width, decimals, value);
  const std::string_view text(form.data(), width);
  const std::string reference =
      toolkit_test::reference_fixed(value, static_cast<int>(width), static_cast<int>(decimals));
  fuzz::require(text == reference, field_name + " of " + hex(bits) + " is " + fuzz::shown(text) +
                                       ", printf route gives " + fuzz::shown(reference));
  if (all_asterisks(text)) return;

  // Read with the same field and written again: the same text.
  float back = 0.0f;
  const ParseStatus status = record_io::detail::parse_real(trimmed(text), decimals, back);
  fuzz::require(status == ParseStatus::ok, field_name + " form " + fuzz::shown(text) + " does not read");
  if (std::isnan(value)) {
    fuzz::require(std::isnan(back), field_name + ": NaN does not read back as NaN");
    return;
  }
  std::array<char, record_io::detail::kMaxNumericWidth> again;
  record_io::detail::format_fixed(again.data(), width, decimals, back);
  fuzz::require(std::string_view(again.data(), width) == text,
                field_name + " form " + fuzz::shown(text) + " of " + hex(bits) + " reads back as " +
                    hex(std::bit_cast<std::uint32_t>(back)) + ", written again as " +
                    fuzz::shown({again.data(), width}));
}

void check_integer(std::int32_t value, std::uint32_t width) {
  const record_io::Layout layout("(I" + std::to_string(width) + ")");
  std::string record;
  const record_io::OutItem out[] = {value};
  record_io::detail::encode_fixed(record, layout, out);
  fuzz::require(record.size() == width, "I" + std::to_string(width) + " of " + std::to_string(value) + " gives " +
                                            std::to_string(record.size()) + " columns");
  if (all_asterisks(record)) {
    fuzz::require(std::to_string(value).size() > width,
                  "I" + std::to_string(width) + " writes asterisks for " + std::to_string(value));
    return;
  }
  std::int32_t back = 0;
  const record_io::InItem in[] = {back};
  const auto error = record_io::detail::decode_fixed(record, layout, in);
  fuzz::require(!error, "I" + std::to_string(width) + " form " + fuzz::shown(record) + " does not read");
  fuzz::require(back == value, "I" + std::to_string(width) + " form " + fuzz::shown(record) + " of " +
                                   std::to_string(value) + " reads back as " + std::to_string(back));
}

void check_real_text(std::string_view text) {
  // held in storage of exactly its size, so that a read past the end is caught
  const auto storage = std::make_unique<char[]>(text.size());
  std::memcpy(storage.get(), text.data(), text.size());
  float value = 0.0f;
  const record_io::detail::NumberScan scan =
      record_io::detail::scan_real(storage.get(), storage.get() + text.size(), 0, value);
  const auto taken = static_cast<std::size_t>(scan.end - storage.get());

  const std::optional<std::size_t> length = toolkit_test::reference_real_length(text);
  if (!length) {
    fuzz::require(scan.status == ParseStatus::syntax && taken == 0,
                  fuzz::shown(text) + " is read as a number of " + std::to_string(taken) + " bytes");
    return;
  }
  fuzz::require(taken == *length, fuzz::shown(text) + ": the number ends after " + std::to_string(taken) +
                                      " bytes, from_chars says " + std::to_string(*length));
  const std::string prefix(text.substr(0, *length));
  const float expected = toolkit_test::reference_strtof(prefix);
  const bool word = prefix.find_first_of("iInN") != std::string::npos;
  if (std::isinf(expected) && !word) {
    fuzz::require(scan.status == ParseStatus::out_of_range, fuzz::shown(text) + " is not out of range");
    return;
  }
  fuzz::require(scan.status == ParseStatus::ok, fuzz::shown(text) + " does not read");
  const bool same = std::isnan(expected)
                        ? std::isnan(value)
                        : std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(expected);
  fuzz::require(same, fuzz::shown(text) + " reads as " + hex(std::bit_cast<std::uint32_t>(value)) + ", strtof gives " +
                          hex(std::bit_cast<std::uint32_t>(expected)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 7> bytes{};
  std::memcpy(bytes.data(), data, size < bytes.size() ? size : bytes.size());
  std::uint32_t bits;
  std::memcpy(&bits, bytes.data(), sizeof bits);
  const float value = std::bit_cast<float>(bits);

  check_free_real(value);
  // Widths up to 40 and any number of decimals that fits them.
  const std::size_t width = 1 + bytes[4] % 40;
  const std::size_t decimals = bytes[5] % (width + 1);
  check_fixed_real(value, width, decimals);
  check_integer(std::bit_cast<std::int32_t>(bits), 1 + bytes[6] % 12u);
  if (size > bytes.size()) check_real_text({reinterpret_cast<const char*>(data) + bytes.size(), size - bytes.size()});
  return 0;
}
