// Number output, the field layouts: integers in Iw fields, reals in Fw.d
// fields and in the free-format form of 9 significant digits. The digits
// themselves come from decimal_digits.hpp, exact for every real.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "decimal_digits.hpp"
#include "float_bits.hpp"
#include "float_flags.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"
#include "text_moves.hpp"

namespace record_io::detail {
namespace {

void fill_asterisks(char* out, std::size_t width) { std::memset(out, '*', width); }

// Puts `text` right-justified into `width` columns, or asterisks if it is wider.
void put_right(char* out, std::size_t width, std::string_view text) {
  if (text.size() > width) return fill_asterisks(out, width);
  const std::size_t pad = width - text.size();
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text.data(), text.size());
}

// The digits of a real rounded to `decimals` decimals when they do not fit
// the 64-bit route (20 digits or more, or more decimals than the tables
// cover): the slower, exact conversion of the C++ library. The largest real
// has 39 digits before the point; fields have at most kMaxNumericWidth
// decimals.
constexpr std::size_t kMaxIntegerDigits = 39;
constexpr std::size_t kWideDigitsCapacity = kMaxIntegerDigits + 1 + kMaxNumericWidth;

// The digits of `magnitude` with `decimals` decimals, the point removed;
// empty when they would not fit the storage (more decimals than any field has).
std::string_view wide_fixed_digits(float magnitude, std::size_t decimals, char (&storage)[kWideDigitsCapacity]) {
  const FloatFlagsGuard flags;  // widening a subnormal raises the denormal flag
  const auto converted =
      std::to_chars(storage, storage + sizeof storage, magnitude, std::chars_format::fixed, static_cast<int>(decimals));
  if (converted.ec != std::errc()) return {};
  char* end = std::remove(storage, converted.ptr, '.');
  return {storage, static_cast<std::size_t>(end - storage)};
}

}  // namespace

void format_integer(char* out, std::size_t width, std::int32_t value) noexcept {
  char buffer[20];
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value)) : static_cast<std::uint64_t>(value);
  std::size_t length = write_digits(buffer, magnitude);
  if (negative) buffer[sizeof buffer - ++length] = '-';
  put_right(out, width, {buffer + sizeof buffer - length, length});
}

void format_fixed(char* out, std::size_t width, std::size_t decimals, float value) noexcept {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const bool negative = is_negative(bits);
  if (is_nan(bits)) return put_right(out, width, "NaN");
  if (is_special(bits)) {
    if (negative) return put_right(out, width, width >= 9 ? "-Infinity" : "-Inf");
    return put_right(out, width, width >= 8 ? "Infinity" : "Inf");
  }

  // The rounded value as a digit string with at least decimals + 1 digits.
  char buffer[20];
  char wide_storage[kWideDigitsCapacity];
  std::string_view digits;
  const std::optional<std::uint64_t> scaled =
      decimals <= kMaxPowerOfFive ? scale_and_round(decompose(bits), static_cast<int>(decimals)) : std::nullopt;
  if (scaled) {
    const std::size_t count = write_digits(buffer, *scaled);
    digits = {buffer + sizeof buffer - count, count};
  } else {
    // 20 digits or more, or more decimals than the tables cover: too wide for 20 columns.
    if (width <= 20) return fill_asterisks(out, width);
    digits = wide_fixed_digits(std::bit_cast<float>(bits & kFloatMagnitudeMask), decimals, wide_storage);
    if (digits.empty()) return fill_asterisks(out, width);
  }
  const std::size_t leading_zeros = digits.size() > decimals ? 0 : decimals + 1 - digits.size();
  const std::size_t integer_digits = digits.size() + leading_zeros - decimals;

  std::size_t length = (negative ? 1 : 0) + integer_digits + 1 + decimals;
  bool drop_zero = false;
  if (length > width) {
    // A lone zero before the point is left out when only that makes it fit.
    const bool lone_zero = integer_digits == 1 && (leading_zeros > 0 || digits[0] == '0');
    if (!lone_zero || decimals == 0 || length - 1 > width) return fill_asterisks(out, width);
    drop_zero = true;
    --length;
  }

  char* at = out;
  std::memset(at, ' ', width - length);
  at += width - length;
  if (negative) *at++ = '-';
  // Digits in order: the padding zeros, then the computed digits, with the
  // point placed before the last `decimals` of them.
  std::size_t position = 0;
  const std::size_t total = leading_zeros + digits.size();
  for (; position < total; ++position) {
    if (position == integer_digits) *at++ = '.';
    if (drop_zero && position == 0) continue;
    *at++ = position < leading_zeros ? '0' : digits[position - leading_zeros];
  }
  if (decimals == 0) *at++ = '.';
}

namespace {

// The free form: 9 significant digits, d[0] d[1..8] as one digit and a word of eight.
constexpr int kSignificantDigits = 9;
constexpr std::uint64_t kNineDigitFloor = 100'000'000;      // 10^8
constexpr std::uint64_t kNineDigitCeiling = 1'000'000'000;  // 10^9

// Decimal exponents of finite nonzero reals, with the estimate's one short
// below and the rounding's one more above: 1.4e-45 to 3.4e38.
constexpr int kMinDecimalExponent = -46;
constexpr int kMaxDecimalExponent = 39;
static_assert(kSignificantDigits - 1 - kMinDecimalExponent <= kMaxPowerOfFive);
static_assert(kMaxDecimalExponent - (kSignificantDigits - 1) <= kMaxPowerOfTenDivisor);

// round(v * 10^(8 - e)) for a finite nonzero real v and a decimal exponent e
// from kMinDecimalExponent to kMaxDecimalExponent. The power lies within the
// tables (the static_asserts above), and the result is below 10^10 since e is
// never below floor(log10(v)) - 1: there always is a result.
std::uint64_t scaled_to_nine_digits(BinaryValue binary, int exponent) {
  return scale_and_round(binary, kSignificantDigits - 1 - exponent).value();
}

}  // namespace

void format_free_real(char* out, float value) noexcept {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const bool negative = is_negative(bits);
  if (is_special(bits)) {
    if (is_nan(bits)) return put_right(out, kFreeRealWidth, "NaN");
    return put_right(out, kFreeRealWidth, negative ? "-Infinity" : "Infinity");
  }

  // Every form is written straight into `out` by stores that are never read
  // back (a load of bytes just stored in pieces waits for them), some
  // reaching past the 16 columns, as the caller allows.
  std::memcpy(out, kSixteenBlanks, kFreeRealWidth);
  const BinaryValue binary = decompose(bits);
  if (binary.mantissa == 0) {
    // 0.00000000 at the right of the first 12 columns
    char* at = out + kFreeRealFixedWidth - 10;
    if (negative) at[-1] = '-';
    std::memcpy(at, "0.00000000", 10);
    return;
  }

  // 1. The decimal exponent e of the value rounded to nine digits, and those
  //    digits, round(v * 10^(8 - e)), from 10^8 to below 10^9. The estimate
  //    of e is floor(log10(v)) or one less, so at most two steps correct it.
  int exponent = decimal_exponent_estimate(bits);
  std::uint64_t scaled = scaled_to_nine_digits(binary, exponent);
  if (scaled >= kNineDigitCeiling) {
    // The estimate was one short: now e = floor(log10(v)) and the scaled
    // value is below 10^9, though its rounding may reach 10^9.
    ++exponent;
    scaled = scaled_to_nine_digits(binary, exponent);
  }
  if (scaled == kNineDigitCeiling) {
    // Rounded up to ten digits (9.999999995 and above): 1.00000000 one
    // decade up, which is what scaling by one power less would give.
    ++exponent;
    scaled = kNineDigitFloor;
  }

  // 2. The first digit, and the other eight as characters in one word.
  const auto nine_digits = static_cast<std::uint32_t>(scaled);
  const std::uint32_t first_digit = nine_digits / static_cast<std::uint32_t>(kNineDigitFloor);
  const char first = static_cast<char>('0' + first_digit);
  const std::uint64_t rest =
      eight_digit_characters(nine_digits - first_digit * static_cast<std::uint32_t>(kNineDigitFloor));

  // 3. The layout of the form.
  if (exponent >= 0 && exponent <= 8) {
    // Fixed point with 8 - e decimals, right-justified in 12 columns:
    // 1.50000000, 123456792. The nine digits in a row, then those after the
    // point again one column further on, the point between, and the blanks
    // after the 12 columns last (the second move reaches past them).
    const int before = exponent + 1;
    char* at = out + kFreeRealFixedWidth - 10;
    if (negative) at[-1] = '-';
    at[0] = first;
    store_characters(at + 1, rest);
    // (with nine digits before the point, none comes after it)
    const std::uint64_t after_point = before == 9 ? 0 : rest >> (8 * (before - 1));
    store_characters(at + before + 1, after_point);
    at[before] = '.';
    std::memcpy(out + kFreeRealFixedWidth, kSixteenBlanks, kFreeRealWidth - kFreeRealFixedWidth);
    return;
  }
  if (exponent == -1) {
    // 0.100000001: a zero, the point and the nine digits in 12 columns.
    char* at = out + kFreeRealFixedWidth - 11;
    if (negative) at[-1] = '-';
    at[0] = '0';
    at[1] = '.';
    at[2] = first;
    store_characters(at + 3, rest);
    return;
  }
  // Exponent form, right-justified in 16 columns: 1.00000000E+10.
  char* at = out + kFreeRealWidth - 14;
  if (negative) at[-1] = '-';
  at[0] = first;
  at[1] = '.';
  store_characters(at + 2, rest);
  at[10] = 'E';
  at[11] = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  std::memcpy(at + 12, kDigitPairs + magnitude * 2, 2);
}

}  // namespace record_io::detail
