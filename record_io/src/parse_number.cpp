// SPDX-License-Identifier: MIT
// Number input: 32-bit integers and single-precision reals from their text.
//
// A real is scanned once into its parts (DecimalParts), then converted by one
// of two routes: the short route for at most 19 digits and a small power of
// ten, in one double-precision operation; the long route for everything else,
// exactly, through the C++ library. The records of a spectrum, one plain
// number each, have a quicker scan of their own (scan_plain_line), and those
// in the form the C library writes by default a quicker one still
// (scan_c_exponent_line), each byte checked at its place at once; both end
// in the same short route.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#include "ascii.hpp"
#include "float_bits.hpp"
#include "diagnostics.hpp"
#include "float_flags.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace record_io::detail {
namespace {

// Written exponents and implied decimals beyond this count as this: any
// value with such a power of ten overflows or rounds to zero, unless a text
// of as many digits offsets it.
constexpr std::uint64_t kExponentClamp = 1'000'000'000'000'000;  // 10^15

// A real as written, [sign] digits [. digits] [E|e|D|d [sign] digits], as
// the integer of all its digits times a power of ten.
struct DecimalParts {
  const char* mantissa;         // the first digit, or the point
  std::size_t integer_digits;   // before the point
  std::size_t fraction_digits;  // after it
  bool point;
  bool negative;
  std::uint64_t digits;  // all the digits as one integer, when there are at most 19
  std::int64_t power;    // the value is digits * 10^power
  const char* end;       // one past the number

  std::size_t digit_count() const { return integer_digits + fraction_digits; }
  const char* integer_end() const { return mantissa + integer_digits; }
  const char* fraction_begin() const { return integer_end() + point; }
  const char* fraction_end() const { return fraction_begin() + fraction_digits; }
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

// 10^0 to 10^7: the scale of the digits a second word adds to a first.
constexpr std::uint64_t kWordPowersOfTen[] = {1, 10, 100, 1000, 10'000, 100'000, 1'000'000, 10'000'000};

// Eight bytes of text as one word, the first byte in the lowest lane.
[[gnu::always_inline]] inline std::uint64_t load_word(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

constexpr std::uint64_t kEachLane(std::uint8_t byte) { return 0x0101010101010101u * byte; }

// How many of the word's bytes, from the first, are digits (0 to 8). A lane
// of the sum or the difference below has its high bit set when its byte is
// above '9' or below '0'; lanes after the first such one may be disturbed by
// a carry, but only the first one counts.
[[gnu::always_inline]] inline int leading_digits(std::uint64_t word) {
  const std::uint64_t outside = ((word - kEachLane('0')) | (word + kEachLane(0x80 - ('9' + 1)))) & kEachLane(0x80);
  return std::countr_zero(outside) / 8;
}

// The number made by the first `count` bytes of the word (1 to 8 digits):
// the digits move to the top lanes, the lanes below them become leading
// zeros, and three multiplications join them in pairs, fours and eight.
[[gnu::always_inline]] inline std::uint64_t digits_value(std::uint64_t word, int count) {
  std::uint64_t lanes = (word - kEachLane('0')) << (8 * (8 - count));
  lanes = lanes * 10 + (lanes >> 8);  // pairs in the even lanes
  constexpr std::uint64_t kPairMask = 0x000000FF000000FF;
  lanes = (((lanes & kPairMask) * (100 + (std::uint64_t{1000000} << 32))) +
           (((lanes >> 16) & kPairMask) * (1 + (std::uint64_t{10000} << 32)))) >>
          32;
  return lanes;
}

// The value of the exponent digits [at, end), at most kExponentClamp.
std::uint64_t clamped_exponent(const char* at, const char* end) {
  std::uint64_t exponent = 0;
  for (; at != end && exponent < kExponentClamp; ++at) exponent = exponent * 10 + static_cast<unsigned>(*at - '0');
  return exponent < kExponentClamp ? exponent : kExponentClamp;
}

// The sign of a number at `p`, passed over: true when it is a minus.
[[gnu::always_inline]] inline bool take_sign(const char*& p) {
  const bool negative = *p == '-';
  p += negative || *p == '+';
  return negative;
}

// The power of an exponent's sign and the values of its two digits.
[[gnu::always_inline]] inline std::int64_t signed_two_digits(char sign, unsigned tens, unsigned units) {
  const auto magnitude = static_cast<std::int64_t>(tens * 10 + units);
  return sign == '-' ? -magnitude : magnitude;
}

// The C library's form of an exponent, a letter, a sign and two digits
// ("e-04"), in the four bytes at `at`: true, with the power it gives, when
// they have that form (whether a third digit follows is for the caller to
// see).
[[gnu::always_inline]] inline bool two_digit_exponent(const char* at, std::int64_t& exponent) {
  const unsigned tens = static_cast<unsigned char>(at[2]) - unsigned{'0'};  // wraps below '0'
  const unsigned units = static_cast<unsigned char>(at[3]) - unsigned{'0'};
  const char sign = at[1];
  if (tens > 9 || units > 9 || (sign != '-' && sign != '+')) return false;
  exponent = signed_two_digits(sign, tens, units);
  return true;
}

// Reads the digits and the point of a mantissa: [digits] [. [digits]].
// While eight bytes remain, the first eight are read as one word: the digits
// before a point in it, or the digits on both sides of it, with the byte of
// the point taken out and the bytes after it moved down one lane so that
// they make one run; digits beyond the word are then taken one at a time.
[[gnu::always_inline]] inline void take_mantissa(const char* at, const char* end, DecimalParts& parts) {
  std::uint64_t digits = 0;
  const char* integer_end = at;
  bool more_digits = true;  // the digits before the point may go on
  if (end - at >= 8) {
    const std::uint64_t word = load_word(at);
    const int before = leading_digits(word);
    if (before < 8 && ((word >> (8 * before)) & 0xff) == '.') {
      const std::uint64_t below = (std::uint64_t{1} << (8 * before)) - 1;
      const std::uint64_t joined = (word & below) | ((word >> 8) & ~below);  // the top lane 0: no digit
      const int count = leading_digits(joined);
      if (count > 0) digits = digits_value(joined, count);
      const char* fraction_end = at + count + 1;
      if (count == 7) fraction_end = take_digits(fraction_end, end, digits);  // on past the word
      parts.integer_digits = static_cast<std::size_t>(before);
      parts.point = true;
      parts.fraction_digits = static_cast<std::size_t>(fraction_end - (at + before + 1));
      parts.digits = digits;
      return;
    }
    if (before > 0) digits = digits_value(word, before);
    integer_end += before;
    more_digits = before == 8;
  }
  if (more_digits) integer_end = take_digits(integer_end, end, digits);
  parts.integer_digits = static_cast<std::size_t>(integer_end - at);
  parts.point = integer_end != end && *integer_end == '.';
  parts.fraction_digits =
      parts.point ? static_cast<std::size_t>(take_digits(integer_end + 1, end, digits) - (integer_end + 1)) : 0;
  parts.digits = digits;
}

// Scans the decimal form at `at`; false when it has no digit before the
// exponent (then it may still be a word such as "inf"). Without a point, the
// last `implied_decimals` digits are the fraction.
[[gnu::always_inline]] inline bool scan_decimal(const char* at, const char* end, std::size_t implied_decimals,
                                                DecimalParts& parts) {
  parts.negative = false;
  if (at != end && (*at == '-' || *at == '+')) parts.negative = *at++ == '-';
  parts.mantissa = at;
  take_mantissa(at, end, parts);
  if (parts.digit_count() == 0) return false;
  at = parts.fraction_end();
  std::int64_t power = parts.point
                           ? -static_cast<std::int64_t>(parts.fraction_digits)
                           : -static_cast<std::int64_t>(std::min<std::uint64_t>(implied_decimals, kExponentClamp));

  // 'E', 'e', 'D' or 'd': with the case bit set, 'd' or 'e'
  if (at != end && static_cast<unsigned char>((*at | 0x20) - 'd') <= 1) {
    // The C library's form of an exponent, a sign and two digits ("e-04"),
    // read as one 4-byte word when no third digit follows.
    std::int64_t two_digits;
    if (end - at >= 4 && two_digit_exponent(at, two_digits) && (end - at == 4 || !is_digit(at[4]))) {
      parts.power = power + two_digits;
      parts.end = at + 4;
      return true;
    }
    const char* p = at + 1;
    const bool negative_exponent = p != end && *p == '-';
    p += p != end && (*p == '-' || *p == '+');
    const char* const exponent_begin = p;
    std::uint64_t exponent = 0;
    p = take_digits(p, end, exponent);
    if (p != exponent_begin) {  // else the letter is not part of the number
      // Over 15 digits the sum may have wrapped: clamped, as any such
      // exponent has the same effect.
      if (p - exponent_begin > 15) exponent = clamped_exponent(exponent_begin, p);
      power += negative_exponent ? -static_cast<std::int64_t>(exponent) : static_cast<std::int64_t>(exponent);
      at = p;
    }
  }
  parts.power = power;
  parts.end = at;
  return true;
}

// [sign] inf | infinity | nan, in any case.
[[gnu::noinline]] NumberScan scan_word(const char* at, const char* end, float& value) {
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

constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// The short route: digits w (exact in a double up to 2^53) and a power q of
// at most 22 give w * 10^q in one correctly rounded double-precision
// operation, which is then rounded to single precision. Rounding twice gives
// the correctly rounded real except when the double falls exactly halfway
// between two reals: no real lies between a value and its nearest double.
// Those cases, and larger digits or powers, are left to the long route
// (false).
// The 29 bits of a double's fraction that a real does not keep: exactly
// half of them set means the double lies halfway between two reals, and
// rounding it again could go the wrong way.
constexpr int kDoubleFractionBits = 52;
constexpr int kDroppedBits = kDoubleFractionBits - kFloatFractionBits;
constexpr std::uint64_t kDroppedMask = (std::uint64_t{1} << kDroppedBits) - 1;
constexpr std::uint64_t kDroppedHalf = std::uint64_t{1} << (kDroppedBits - 1);

[[gnu::always_inline]] inline bool convert_short(std::uint64_t digits, std::int64_t power, bool negative, float& value) {
  if (digits > kMaxExactMantissa || power < -kMaxExactPowerOfTen || power > kMaxExactPowerOfTen) return false;
  // A zero stays a zero; any other value lies between 10^-22 and 2^53 * 10^22
  // (below 2^127): a normal real, which rounding cannot carry to infinity.
  const double scaled = power < 0 ? static_cast<double>(digits) / kExactPowersOfTen[-power]
                                  : static_cast<double>(digits) * kExactPowersOfTen[power];
  const auto bits = std::bit_cast<std::uint64_t>(scaled);
  if ((bits & kDroppedMask) == kDroppedHalf) return false;
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
[[gnu::noinline]] ParseStatus convert_long(DecimalParts parts, float& value) {
  // The significant digits: from the first nonzero one to the last digit.
  const char* const integer_end = parts.integer_end();
  const char* const fraction_end = parts.fraction_end();
  const char* first = parts.mantissa;
  while (first != integer_end && *first == '0') ++first;
  const char* fraction = parts.fraction_begin();
  if (first == integer_end) {
    while (fraction != fraction_end && *fraction == '0') ++fraction;
  }
  const std::int64_t significant = (integer_end - first) + (fraction_end - fraction);
  if (significant == 0) {
    value = with_sign(0.0f, parts.negative);
    return ParseStatus::ok;
  }
  const std::int64_t magnitude = significant + parts.power;
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
  keep(first, integer_end);
  if (!cut_nonzero) keep(fraction, fraction_end);
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

// Words, long texts and the values that the short route leaves, scanned
// again: apart from the call, the short route then needs no registers kept
// across calls.
[[gnu::noinline]] NumberScan scan_real_slowly(const char* at, const char* end, std::size_t implied_decimals,
                                              float& value) {
  DecimalParts parts;
  if (!scan_decimal(at, end, implied_decimals, parts)) return scan_word(at, end, value);
  return {parts.end, convert_long(parts, value)};
}

}  // namespace

NumberScan scan_real(const char* at, const char* end, std::size_t implied_decimals, float& value) {
  DecimalParts parts;
  if (scan_decimal(at, end, implied_decimals, parts) && parts.digit_count() <= kMaxShortDigits &&
      convert_short(parts.digits, parts.power, parts.negative, value))
    return {parts.end, ParseStatus::ok};
  return scan_real_slowly(at, end, implied_decimals, value);
}

const char* scan_plain_line(const char* at, float& value) noexcept {
  const char* p = at;
  const bool negative = take_sign(p);
  // The mantissa: the first word holds the digits before the point, the
  // point, and the first digits after it; the point's byte is taken out so
  // that they make one run, as in take_mantissa. A second word holds the
  // digits after the point that the first could not.
  const std::uint64_t word = load_word(p);
  const int before = leading_digits(word);
  std::uint64_t digits;
  std::int64_t power;
  const char* q;
  if (before < 8 && ((word >> (8 * before)) & 0xff) == '.') {
    const std::uint64_t below = (std::uint64_t{1} << (8 * before)) - 1;
    const std::uint64_t joined = (word & below) | ((word >> 8) & ~below);  // the top lane 0: no digit
    int count = leading_digits(joined);
    if (count == 0) return nullptr;  // a point alone
    digits = digits_value(joined, count);
    q = p + count + 1;
    if (count == 7 && is_digit(*q)) {
      const std::uint64_t more = load_word(q);
      const int extra = leading_digits(more);
      if (extra == 8) return nullptr;  // over 14 digits
      digits = digits * kWordPowersOfTen[extra] + digits_value(more, extra);
      q += extra;
      count += extra;
    }
    power = before - count;
  } else {
    if (before == 0 || before == 8) return nullptr;  // no digit, or over 7 of them
    digits = digits_value(word, before);
    q = p + before;
    power = 0;
  }
  // 'E', 'e', 'D' or 'd': with the case bit set, 'd' or 'e'
  if (static_cast<unsigned char>((*q | 0x20) - 'd') <= 1) {
    std::int64_t exponent;
    if (!two_digit_exponent(q, exponent)) return nullptr;
    power += exponent;
    q += 4;
  }
  if (*q != '\n') return nullptr;
  // At most 14 digits: within the short route's exact range, unchecked.
  if (digits >= kWordPowersOfTen[7] * kWordPowersOfTen[7]) __builtin_unreachable();
  float result;
  if (!convert_short(digits, power, negative, result)) return nullptr;
  value = result;
  return q;
}

#if defined(__SSE2__)
namespace {

// Where the exponent's sign of a record in the C library's form stands.
constexpr std::size_t kCFormExponentSignAt = 9;  // its two digits follow it
constexpr int kCFormMantissaDigits = 7;

// Whether the 16 bytes `text` from a record's first digit on begin with the
// form "d.dddddde-dd\n", each byte checked at its place at once: a digit
// where a digit belongs (an unsigned minimum), the point, the letter (either
// case), the exponent's sign and the line feed where they belong.
[[gnu::always_inline]] inline bool has_c_exponent_form(__m128i text) {
  const __m128i digit_value = _mm_sub_epi8(text, _mm_set1_epi8('0'));
  const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(digit_value, _mm_set1_epi8(9)), digit_value);
  constexpr char kCaseBit = 0x20;
  const __m128i folded = _mm_or_si128(text, _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, kCaseBit, 0, 0, 0, 0, 0, 0, 0));
  const __m128i with_minus = _mm_setr_epi8(0, '.', 0, 0, 0, 0, 0, 0, 'e', '-', 0, 0, '\n', 0, 0, 0);
  const __m128i with_plus = _mm_setr_epi8(0, '.', 0, 0, 0, 0, 0, 0, 'e', '+', 0, 0, '\n', 0, 0, 0);
  const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(folded, with_minus), _mm_cmpeq_epi8(folded, with_plus));
  constexpr unsigned kDigitLanes = 0b0'1100'1111'1101;
  constexpr unsigned kMarkLanes = 0b1'0011'0000'0010;
  const unsigned lanes = (static_cast<unsigned>(_mm_movemask_epi8(digit)) & kDigitLanes) |
                         (static_cast<unsigned>(_mm_movemask_epi8(marks)) & kMarkLanes);
  return lanes == (kDigitLanes | kMarkLanes);
}

// The factors that scale a record's seven mantissa digits to its value, for
// each exponent from "-99" to "+99": the digits times the multiplier, divided
// by the divisor, one of them 1, so that the result is the short route's one
// operation. A power of ten beyond the exact ones has a multiplier that is
// not a number, which marks the record as one to leave.
struct ExponentScale {
  double multiplier;
  double divisor;
};
constexpr int kExponentValues = 100;  // two digits
constexpr std::array<ExponentScale, 2 * kExponentValues> kCFormScales = [] {
  std::array<ExponentScale, 2 * kExponentValues> scales{};
  for (int index = 0; index < 2 * kExponentValues; ++index) {
    const int exponent = index < kExponentValues ? index : -(index - kExponentValues);
    const int power = exponent - (kCFormMantissaDigits - 1);
    if (power > kMaxExactPowerOfTen || power < -kMaxExactPowerOfTen)
      scales[static_cast<std::size_t>(index)] = {std::numeric_limits<double>::quiet_NaN(), 1.0};
    else if (power >= 0)
      scales[static_cast<std::size_t>(index)] = {kExactPowersOfTen[power], 1.0};
    else
      scales[static_cast<std::size_t>(index)] = {1.0, kExactPowersOfTen[-power]};
  }
  return scales;
}();

// The scale of the exponent whose sign stands at `sign`, its digits checked.
[[gnu::always_inline]] inline const ExponentScale& c_form_scale(const char* sign) {
  const unsigned tens = static_cast<unsigned char>(sign[1]) - unsigned{'0'};
  const unsigned units = static_cast<unsigned char>(sign[2]) - unsigned{'0'};
  return kCFormScales[(sign[0] == '-' ? kExponentValues : 0) + tens * 10 + units];
}

}  // namespace

const char* scan_c_exponent_line(const char* at, float& value) noexcept {
  const char* p = at;
  const bool negative = take_sign(p);
  if (!has_c_exponent_form(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))) return nullptr;
  // The seven digits of the mantissa, the point's byte taken out of the word.
  const std::uint64_t word = load_word(p);
  const std::uint64_t joined = (word & 0xff) | ((word >> 8) & ~std::uint64_t{0xff});
  const std::uint64_t digits = digits_value(joined, kCFormMantissaDigits);
  const char* const exponent = p + kCFormExponentSignAt;
  const unsigned tens = static_cast<unsigned char>(exponent[1]) - unsigned{'0'};
  const unsigned units = static_cast<unsigned char>(exponent[2]) - unsigned{'0'};
  const std::int64_t power = signed_two_digits(exponent[0], tens, units) - (kCFormMantissaDigits - 1);
  float result;
  if (!convert_short(digits, power, negative, result)) return nullptr;
  value = result;
  return p + kCExponentLineBytes - 1;
}

const char* scan_c_exponent_pair(const char* at, float* values) noexcept {
  const char* const second = at + kCExponentLineBytes;
  const __m128i first_text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i second_text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second));
  if (!has_c_exponent_form(first_text) || !has_c_exponent_form(second_text)) return nullptr;
  // The mantissas of both, "d.dddddd" as the first eight bytes of each: the
  // digits' values widened to 16 bits, then summed with their weights in
  // steps, pairs of digits (the point's lane weighs nothing), then a group of
  // three and a group of four, and the two groups joined.
  const __m128i ascii_zero = _mm_set1_epi8('0');
  const __m128i mantissa_bytes =
      _mm_unpacklo_epi64(_mm_sub_epi8(first_text, ascii_zero), _mm_sub_epi8(second_text, ascii_zero));
  const __m128i zero = _mm_setzero_si128();
  const __m128i pair_weights = _mm_setr_epi16(1, 0, 10, 1, 10, 1, 10, 1);
  const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(mantissa_bytes, zero), pair_weights),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(mantissa_bytes, zero), pair_weights));
  // [first's three leading digits, its four last, second's three, its four]
  const __m128i groups = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  constexpr int kLastGroupScale = 10000;
  const __m128i mantissas =
      _mm_add_epi64(_mm_mul_epu32(groups, _mm_set1_epi32(kLastGroupScale)), _mm_srli_epi64(groups, 32));
  const __m128d digits = _mm_cvtepi32_pd(_mm_shuffle_epi32(mantissas, _MM_SHUFFLE(3, 1, 2, 0)));
  // Each scaled by its power of ten in the short route's one operation.
  const ExponentScale& first_scale = c_form_scale(at + kCFormExponentSignAt);
  const ExponentScale& second_scale = c_form_scale(second + kCFormExponentSignAt);
  const __m128d scaled = _mm_div_pd(_mm_mul_pd(digits, _mm_setr_pd(first_scale.multiplier, second_scale.multiplier)),
                                    _mm_setr_pd(first_scale.divisor, second_scale.divisor));
  // Left to the single route: a power of ten beyond the exact ones (not a
  // number), or a double halfway between two reals (the 29 bits a real does
  // not keep hold exactly half).
  const __m128i dropped = _mm_and_si128(_mm_castpd_si128(scaled), _mm_set1_epi64x(std::int64_t{kDroppedMask}));
  const __m128i halves_equal = _mm_cmpeq_epi32(dropped, _mm_set1_epi64x(std::int64_t{kDroppedHalf}));
  const __m128i halfway = _mm_and_si128(halves_equal, _mm_shuffle_epi32(halves_equal, _MM_SHUFFLE(2, 3, 0, 1)));
  if ((_mm_movemask_pd(_mm_castsi128_pd(halfway)) | _mm_movemask_pd(_mm_cmpunord_pd(scaled, scaled))) != 0)
    return nullptr;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(values), _mm_castps_si128(_mm_cvtpd_ps(scaled)));
  return second + kCExponentLineBytes - 1;
}

#else
// Without 16-byte vectors every record goes by the quick route.
const char* scan_c_exponent_line(const char*, float&) noexcept { return nullptr; }
const char* scan_c_exponent_pair(const char*, float*) noexcept { return nullptr; }
#endif

NumberScan scan_integer(const char* at, const char* end, std::int32_t& value) noexcept {
  const char* p = at;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* const digits_begin = p;
  std::uint64_t magnitude = 0;
  if (end - p >= 8) {  // the first eight bytes as one word
    const std::uint64_t word = load_word(p);
    const int count = leading_digits(word);
    if (count > 0) magnitude = digits_value(word, count);
    p += count;
    if (count == 8) p = take_digits(p, end, magnitude);
  } else {
    p = take_digits(p, end, magnitude);
  }
  if (p == digits_begin) return {at, ParseStatus::syntax};
  // More digits than 2^31 has (10) are out of range unless they begin with
  // zeros, which add nothing to the magnitude: it is exact up to 19 others.
  constexpr std::ptrdiff_t kMaxDigits = 10;
  if (p - digits_begin > kMaxDigits) {
    const char* first = digits_begin;
    while (first != p && *first == '0') ++first;
    if (p - first > kMaxDigits) return {p, ParseStatus::out_of_range};
  }
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return {p, ParseStatus::out_of_range};
  value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                             : static_cast<std::int64_t>(magnitude));
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
