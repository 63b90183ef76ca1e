// SPDX-License-Identifier: MIT
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
#include "codec.hpp"
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

// The free form: 9 significant digits, the first one and a word of eight.
constexpr int kSignificantDigits = 9;
constexpr std::uint32_t kNineDigitFloor = 100'000'000;      // 10^8
constexpr std::uint32_t kNineDigitCeiling = 1'000'000'000;  // 10^9

// Decimal exponents of finite nonzero reals, 1.4e-45 to 3.4e38, with the
// estimate's one short below.
constexpr int kMinDecimalExponent = -46;
constexpr int kMaxDecimalExponent = 38;
static_assert(kSignificantDigits - 1 - kMinDecimalExponent <= kMaxPowerOfFive);
static_assert(kMaxDecimalExponent - (kSignificantDigits - 1) <= kMaxPowerOfTenDivisor);

// The nine digits of a finite nonzero real rounded to 9 significant digits,
// and the decimal exponent of the first one: v = 0.d1 d2 ... d9 * 10^(e + 1).
struct NineDigits {
  std::uint32_t digits;  // from 10^8 to below 10^9
  int exponent;
};

// The digits round(v * 10^(8 - e)) from the estimate of e, floor(log10(v))
// or one less (about 2% of all reals, 10.0 and 0.1 among them): then they
// come out at 10^9 or more and are scaled once again, by one power less.
// Rounding never carries them to 10^9 once e is right: no real lies within
// half a unit of the ninth digit below a power of ten (the nearest,
// 9.99999998e18, lies 1.9 units below; all 2^31 magnitudes searched), so e
// is final after that one step. `scale(p)` is round(v * 10^p).
template <typename Scale>
[[gnu::always_inline]] inline NineDigits nine_digits(int estimate, Scale scale) {
  std::uint64_t scaled = scale(kSignificantDigits - 1 - estimate);
  if (scaled < kNineDigitCeiling) return {static_cast<std::uint32_t>(scaled), estimate};
  return {static_cast<std::uint32_t>(scale(kSignificantDigits - 2 - estimate)), estimate + 1};
}

// Writes the free form of nine digits into `out`, which holds blanks: every
// form is written straight in by stores that are never read back (a load of
// bytes just stored in pieces waits for them), some reaching past the 16
// columns, as the caller allows.
[[gnu::always_inline]] inline void write_free_form(char* out, bool negative, NineDigits value) {
  // The first digit, and the other eight as characters in one word.
  const std::uint32_t first_digit = value.digits / kNineDigitFloor;
  const char first = static_cast<char>('0' + first_digit);
  const std::uint64_t rest = eight_digit_characters(value.digits - first_digit * kNineDigitFloor);
  const int exponent = value.exponent;
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

// The free form of the values that the short route of format_free_real
// leaves: not-a-number, infinities, zeros, and the values below 2^-26 or
// from 2^21 on, whose scaling may need wide arithmetic.
[[gnu::noinline]] void format_free_real_wide(char* out, std::uint32_t bits) {
  const bool negative = is_negative(bits);
  if (is_special(bits)) {
    if (is_nan(bits)) return put_right(out, kFreeRealWidth, "NaN");
    return put_right(out, kFreeRealWidth, negative ? "-Infinity" : "Infinity");
  }
  std::memcpy(out, kSixteenBlanks, kFreeRealWidth);
  const BinaryValue binary = decompose(bits);
  if (binary.mantissa == 0) {
    // 0.00000000 at the right of the first 12 columns
    char* at = out + kFreeRealFixedWidth - 10;
    if (negative) at[-1] = '-';
    std::memcpy(at, "0.00000000", 10);
    return;
  }
  // Every power 8 - e lies within the tables (the static_asserts above) and
  // every result below 10^10: there always is a result.
  const auto scale = [binary](int power) { return scale_and_round(binary, power).value(); };
  write_free_form(out, negative, nine_digits(decimal_exponent_estimate(bits), scale));
}

#if defined(__SSE2__) && defined(__x86_64__)
// The short route's scaling by double precision where that is exact: a
// real's magnitude, m * 2^q with m below 2^24, times 10^p = 5^p * 2^p is m *
// 5^p times a power of two, and for p up to 12 that product has at most 52
// significant bits: the double is the exact value. Converting it to an
// integer then rounds half to even (the processor's rounding, which the
// toolkit never changes): round(v * 10^p), as scale_and_round_short gives it.
constexpr int kMaxExactDoubleScale = 12;
static_assert((std::uint64_t{1} << (kFloatFractionBits + 1)) * kShortPowersOfFive[kMaxExactDoubleScale] <=
              std::uint64_t{1} << 53);
static_assert(kMaxExactDoubleScale <= kMaxExactPowerOfTen);
#endif

// Whether the short route takes the real with these bits: a finite nonzero
// value whose scalings by 10^(8 - e) and by one power less are both within
// scale_and_round_short's reach.
constexpr bool short_route_takes(std::uint32_t bits) {
  const BinaryValue binary = decompose(bits);
  const int power = kSignificantDigits - 1 - decimal_exponent_estimate(bits);
  const int shift = -(power + binary.exponent);
  return !is_special(bits) && binary.mantissa != 0 && power >= 1 && power <= kMaxShortPowerOfFive && shift >= 1 &&
         shift <= kMaxShortShift - 1;
}

// The short route takes every real of a biased exponent or none: the reals
// of one exponent, from its least fraction to its greatest, have an
// estimate, a power and a shift that move one way only. Those it takes are
// the exponents from kShortRouteLeast to kShortRouteGreatest (reals from
// 2^-26 to below 2^21), found here from both ends of each exponent.
constexpr bool short_route_takes_exponent(std::uint32_t biased) {
  return short_route_takes(biased << kFloatFractionBits) &&
         short_route_takes((biased << kFloatFractionBits) | kFloatFractionMask);
}
constexpr std::uint32_t kShortRouteLeast = [] {
  std::uint32_t biased = 0;
  while (!short_route_takes_exponent(biased)) ++biased;
  return biased;
}();
constexpr std::uint32_t kShortRouteGreatest = [] {
  std::uint32_t biased = kShortRouteLeast;
  while (short_route_takes_exponent(biased + 1)) ++biased;
  return biased;
}();
static_assert([] {
  for (std::uint32_t biased = 0; biased <= kFloatBiasedExponentMax; ++biased) {
    const bool inside = biased >= kShortRouteLeast && biased <= kShortRouteGreatest;
    if (short_route_takes_exponent(biased) != inside) return false;
  }
  return true;
}(), "the short route takes one run of exponents");

}  // namespace

void format_free_real(char* out, float value) noexcept {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  // One comparison of the biased exponent chooses the route.
  const std::uint32_t biased = (bits >> kFloatFractionBits) & kFloatBiasedExponentMax;
  if (biased - kShortRouteLeast > kShortRouteGreatest - kShortRouteLeast) return format_free_real_wide(out, bits);
  const BinaryValue binary = decompose(bits);
  const int estimate = decimal_exponent_estimate(bits);
  std::memcpy(out, kSixteenBlanks, kFreeRealWidth);
#if defined(__SSE2__) && defined(__x86_64__)
  const double magnitude = static_cast<double>(std::bit_cast<float>(bits & kFloatMagnitudeMask));
  const auto scale = [binary, magnitude](int p) -> std::uint64_t {
    if (p > kMaxExactDoubleScale) return scale_and_round_short(binary, p);
    return static_cast<std::uint64_t>(_mm_cvtsd_si64(_mm_set_sd(magnitude * kExactPowersOfTen[p])));
  };
#else
  const auto scale = [binary](int p) { return scale_and_round_short(binary, p); };
#endif
  write_free_form(out, is_negative(bits), nine_digits(estimate, scale));
}

}  // namespace record_io::detail
