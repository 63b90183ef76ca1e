// Number input: 32-bit integers and single-precision reals from their text.
//
// A real is scanned once into its parts (DecimalParts), then converted by one
// of two routes: the short route for at most 19 digits and a small power of
// ten, in one double-precision operation; the long route for everything else,
// exactly, through the C++ library.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "ascii.hpp"
#include "float_bits.hpp"
#include "float_flags.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"

namespace record_io::detail {
namespace {

// Written exponents and implied decimals beyond this count as this: any
// value with such a power of ten overflows or rounds to zero, unless a text
// of as many digits offsets it.
constexpr std::int64_t kExponentClamp = 1'000'000'000'000'000;  // 10^15

// A real as written: [sign] digits [. digits] [E|e|D|d [sign] digits].
struct DecimalParts {
  const char* end;             // one past the number
  const char* integer_begin;   // the digits before the point
  const char* integer_end;
  const char* fraction_begin;  // the digits after it; an empty range without a point
  const char* fraction_end;
  std::uint64_t digits;        // all the digits as one integer, when there are at most 19
  std::int64_t exponent;       // as written, clamped to +-kExponentClamp
  bool negative;
  bool point;

  std::size_t digit_count() const {
    return static_cast<std::size_t>((integer_end - integer_begin) + (fraction_end - fraction_begin));
  }
};

// At most this many digits make an exact integer of 64 bits: 10^19 < 2^64.
constexpr std::size_t kMaxShortDigits = 19;

// Digits from `at` on, appended to `value`; returns where they end. Over 19
// digits the value wraps around: callers then go by the digit count.
[[gnu::always_inline]] inline const char* take_digits(const char* at, const char* end, std::uint64_t& value) {
  for (; at != end; ++at) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*at) - '0');
    if (digit > 9) break;
    value = value * 10 + digit;
  }
  return at;
}

// Scans the decimal form at `at`; false when it has no digit before the
// exponent (then it may still be a word such as "inf").
bool scan_decimal(const char* at, const char* end, DecimalParts& parts) {
  parts.negative = false;
  if (at != end && (*at == '-' || *at == '+')) parts.negative = *at++ == '-';
  parts.digits = 0;
  parts.integer_begin = at;
  at = take_digits(at, end, parts.digits);
  parts.integer_end = at;
  parts.point = at != end && *at == '.';
  if (parts.point) ++at;
  parts.fraction_begin = at;
  if (parts.point) at = take_digits(at, end, parts.digits);
  parts.fraction_end = at;
  if (parts.integer_end == parts.integer_begin && parts.fraction_end == parts.fraction_begin) return false;

  parts.exponent = 0;
  if (at != end && (to_upper(*at) == 'E' || to_upper(*at) == 'D')) {
    const char* p = at + 1;
    bool negative_exponent = false;
    if (p != end && (*p == '-' || *p == '+')) negative_exponent = *p++ == '-';
    const char* const exponent_begin = p;
    std::int64_t exponent = 0;
    for (; p != end && is_digit(*p); ++p)
      if (exponent < kExponentClamp) exponent = exponent * 10 + (*p - '0');
    if (p != exponent_begin) {  // else the letter is not part of the number
      if (exponent > kExponentClamp) exponent = kExponentClamp;
      parts.exponent = negative_exponent ? -exponent : exponent;
      at = p;
    }
  }
  parts.end = at;
  return true;
}

// [sign] inf | infinity | nan, in any case.
NumberScan scan_word(const char* at, const char* end, float& value) {
  const char* p = at;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const auto starts_with = [&](std::string_view word) {
    if (static_cast<std::size_t>(end - p) < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
      if (to_upper(p[i]) != word[i]) return false;
    return true;
  };
  std::uint32_t bits;
  if (starts_with("INFINITY")) {
    p += 8;
    bits = kFloatInfinityBits;
  } else if (starts_with("INF")) {
    p += 3;
    bits = kFloatInfinityBits;
  } else if (starts_with("NAN")) {
    p += 3;
    bits = kFloatQuietNaNBits;
  } else {
    return {at, ParseStatus::syntax};
  }
  value = std::bit_cast<float>(bits | (negative ? kFloatSignBit : 0u));
  return {p, ParseStatus::ok};
}

float with_sign(float magnitude, bool negative) { return negative ? -magnitude : magnitude; }

// Powers of ten that double precision holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPowerOfTen = 22;
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// The short route: digits w (exact in a double up to 2^53) and a power q of
// at most 22 give w * 10^q in one correctly rounded double-precision
// operation, which is then rounded to single precision. Rounding twice gives
// the correctly rounded real except when the double falls exactly halfway
// between two reals: no real lies between a value and its nearest double.
// Those cases, subnormal or huge results, and larger digits or powers are
// left to the long route (false).
bool convert_short(std::uint64_t digits, std::int64_t power, bool negative, float& value) {
  if (digits == 0) {
    value = with_sign(0.0f, negative);
    return true;
  }
  if (digits > kMaxExactMantissa || power < -kMaxExactPowerOfTen || power > kMaxExactPowerOfTen) return false;
  const double scaled = power < 0 ? static_cast<double>(digits) / kExactPowersOfTen[-power]
                                  : static_cast<double>(digits) * kExactPowersOfTen[power];
  const auto bits = std::bit_cast<std::uint64_t>(scaled);
  const auto biased_exponent = static_cast<int>(bits >> 52);
  constexpr int kDoubleBias = 1023;
  // Normal reals only, and below 2^127 so that rounding cannot overflow.
  if (biased_exponent < kDoubleBias - (kFloatExponentBias - 1) || biased_exponent > kDoubleBias + kFloatExponentBias - 1)
    return false;
  // The 29 bits a real does not keep: exactly half of them set means halfway.
  constexpr int kDroppedBits = 52 - kFloatFractionBits;
  constexpr std::uint64_t kDroppedMask = (std::uint64_t{1} << kDroppedBits) - 1;
  if ((bits & kDroppedMask) == (std::uint64_t{1} << (kDroppedBits - 1))) return false;
  value = with_sign(static_cast<float>(scaled), negative);
  return true;
}

// Significant digits the long route keeps. A point halfway between two reals
// is an odd multiple of 2^-150 below 2^128 and has at most 113 significant
// digits, so no such point lies strictly between a text cut after 113
// digits and the same text with a digit 1 appended for whatever nonzero
// digits were cut: both round alike.
constexpr std::size_t kKeptDigits = 120;

// Decimal exponents of the first significant digit beyond which every value
// overflows (0.1 * 10^40 = 10^39 > 3.4e38) or rounds to zero (10^-46 is below
// 2^-150, half the least subnormal).
constexpr std::int64_t kOverflowMagnitude = 40;
constexpr std::int64_t kZeroMagnitude = -46;

// The long route: the value is 0.d1 d2 d3 ... * 10^magnitude with d1 the
// first significant digit. At most kKeptDigits of them, a sticky digit and the
// power are written out plainly for the library's exact conversion, whose
// arithmetic may raise flags the program's did not: they are put back.
ParseStatus convert_long(const DecimalParts& parts, std::int64_t implied, float& value) {
  const char* at = parts.integer_begin;
  while (at != parts.integer_end && *at == '0') ++at;
  std::int64_t magnitude = parts.integer_end - at;
  const char* fraction = parts.fraction_begin;
  if (at == parts.integer_end) {
    while (fraction != parts.fraction_end && *fraction == '0') ++fraction;
    magnitude = -(fraction - parts.fraction_begin);
  }
  if (at == parts.integer_end && fraction == parts.fraction_end) {
    value = with_sign(0.0f, parts.negative);
    return ParseStatus::ok;
  }
  magnitude += parts.exponent - implied;
  if (magnitude >= kOverflowMagnitude) return ParseStatus::out_of_range;
  if (magnitude <= kZeroMagnitude) {
    value = with_sign(0.0f, parts.negative);
    return ParseStatus::ok;
  }

  // digits, a sticky 1, 'e', and an exponent of at most 4 characters
  char text[kKeptDigits + 8];
  std::size_t kept = 0;
  bool cut_nonzero = false;
  const auto keep = [&](const char* from, const char* to) {
    for (; from != to; ++from) {
      if (kept < kKeptDigits) {
        text[kept++] = *from;
      } else if (*from != '0') {
        cut_nonzero = true;
        break;
      }
    }
  };
  keep(at, parts.integer_end);
  if (!cut_nonzero) keep(fraction, parts.fraction_end);
  std::int64_t power = magnitude - static_cast<std::int64_t>(kept);
  if (cut_nonzero) {
    text[kept++] = '1';
    --power;
  }
  char* end = text + kept;
  *end++ = 'e';
  end = std::to_chars(end, text + sizeof text, power).ptr;

  const FloatFlagsGuard flags;
  float magnitude_value = 0.0f;
  const std::from_chars_result converted = std::from_chars(text, end, magnitude_value);
  if (converted.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return ParseStatus::out_of_range;
    magnitude_value = 0.0f;  // too small for any real: rounds to zero
  }
  value = with_sign(magnitude_value, parts.negative);
  return ParseStatus::ok;
}

}  // namespace

NumberScan scan_real(const char* at, const char* end, std::size_t implied_decimals, float& value) {
  DecimalParts parts;
  if (!scan_decimal(at, end, parts)) return scan_word(at, end, value);
  const std::int64_t implied =
      parts.point ? 0 : static_cast<std::int64_t>(std::min<std::size_t>(implied_decimals, kExponentClamp));
  if (parts.digit_count() <= kMaxShortDigits) {
    const std::int64_t power = parts.exponent - (parts.fraction_end - parts.fraction_begin) - implied;
    if (convert_short(parts.digits, power, parts.negative, value)) return {parts.end, ParseStatus::ok};
  }
  return {parts.end, convert_long(parts, implied, value)};
}

NumberScan scan_integer(const char* at, const char* end, std::int32_t& value) noexcept {
  const char* p = at;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* const digits_begin = p;
  // Beyond 2^32 the magnitude stops growing: it is out of range already.
  constexpr std::uint64_t kBeyondRange = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  for (; p != end && is_digit(*p); ++p)
    if (magnitude < kBeyondRange) magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
  if (p == digits_begin) return {at, ParseStatus::syntax};
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return {p, ParseStatus::out_of_range};
  value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
  return {p, ParseStatus::ok};
}

ParseStatus parse_real(std::string_view text, std::size_t implied_decimals, float& value) {
  const char* const end = text.data() + text.size();
  float result;
  const NumberScan scan = scan_real(text.data(), end, implied_decimals, result);
  if (scan.end != end) return ParseStatus::syntax;
  if (scan.status == ParseStatus::ok) value = result;
  return scan.status;
}

ParseStatus parse_integer(std::string_view text, std::int32_t& value) noexcept {
  const char* const end = text.data() + text.size();
  std::int32_t result;
  const NumberScan scan = scan_integer(text.data(), end, result);
  if (scan.end != end) return ParseStatus::syntax;
  if (scan.status == ParseStatus::ok) value = result;
  return scan.status;
}

std::string conversion_error(ParseStatus status, NumberKind kind, std::string_view text) {
  const bool integer = kind == NumberKind::integer;
  if (status == ParseStatus::out_of_range) {
    return integer ? "integer " + quote_found(text) + " is out of range (allowed: -2147483648 to 2147483647)"
                   : "number " + quote_found(text) + " is beyond the range of a real";
  }
  return "cannot read " + quote_found(text) + (integer ? " as an integer" : " as a number");
}

}  // namespace record_io::detail
