// SPDX-License-Identifier: MIT
// Decimal digits of a real's exact binary value, for the output fields.
//
// A finite real is m * 2^q (float_bits.hpp). Its digits, rounded at any
// decimal place, come from the integer round_half_even(m * 2^q * 10^p) for a
// chosen p, computed exactly with integers of up to 192 bits; the digits of
// that integer are then made two at a time, or eight at once in one word.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "float_bits.hpp"
#include "wide_integer.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace record_io::detail {

// Powers of five held exactly: 5^55 < 2^128 in the wide table; 5^16 times any
// mantissa (below 2^24) stays below 2^63 in the short one.
inline constexpr int kMaxPowerOfFive = 55;
inline constexpr int kMaxShortPowerOfFive = 16;
// The largest divisor 10^k that the scaling takes: 10^38 < 2^127.
inline constexpr int kMaxPowerOfTenDivisor = 38;

inline constexpr std::array<std::uint64_t, kMaxShortPowerOfFive + 1> kShortPowersOfFive = [] {
  std::array<std::uint64_t, kMaxShortPowerOfFive + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 5;
  return powers;
}();

// round_half_even(m * 2^q * 10^p) by wide arithmetic: every case that
// scale_and_round does not take itself. Empty when the result needs more
// than 64 bits, when p > kMaxPowerOfFive or p < -kMaxPowerOfTenDivisor, or
// when p < 0 and q < 0 (no caller asks for it).
std::optional<std::uint64_t> scale_and_round_wide(BinaryValue value, int p);

// The common case of scale_and_round, for 0 <= p <= kMaxShortPowerOfFive and
// 1 <= -(p + q) <= kMaxShortShift: m * 10^p * 2^q = (m * 5^p) / 2^(-p - q),
// a product of 63 bits at most and a right shift.
inline constexpr int kMaxShortShift = 63;
inline std::uint64_t scale_and_round_short(BinaryValue value, int p) {
  return shift_right_rounded(value.mantissa * kShortPowersOfFive[static_cast<std::size_t>(p)], -(p + value.exponent));
}

// round_half_even(m * 2^q * 10^p): the value scaled by 10^p and rounded to an
// integer, a tie to the even one.
//   {m = 10485760, q = -20} (10.0), p = 2  ->  1000
//   {m = 10511974, q = -20} (10.025: exactly 10.0249996185...), p = 2  ->  1002
inline std::optional<std::uint64_t> scale_and_round(BinaryValue value, int p) {
  const int shift = -(p + value.exponent);
  if (p >= 0 && p <= kMaxShortPowerOfFive && shift >= 1 && shift <= kMaxShortShift)
    return scale_and_round_short(value, p);
  return scale_and_round_wide(value, p);
}

// Two characters for each number from 0 to 99: "00", "01", ..., "99".
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of `value`, written so that they end at the end of the
// 20-byte `buffer`; returns how many there are.
//   write_digits(buffer, 1002) -> 4, buffer ends with "1002"
std::size_t write_digits(char (&buffer)[20], std::uint64_t value);

// The eight digits of value < 10^8 as characters in one word, the first digit
// in the lowest byte, without division:
//   eight_digit_characters(1234567) -> the bytes "01234567"
// Two ways give them, the second where the processor has 16-byte vectors.
//
// In the lanes of a 64-bit word: the two halves of four digits, their
// hundreds, then their tens. Each step multiplies by a reciprocal that is
// exact for its lane's range.
inline std::uint64_t eight_digit_characters_in_words(std::uint32_t value) {
  const std::uint64_t halves = (value / 10000) | (static_cast<std::uint64_t>(value % 10000) << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;  // a / 100 for a < 10^4
  const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;  // a / 10 for a < 100
  const std::uint64_t digits = tens | ((pairs - tens * 10) << 8);
  return digits + 0x3030303030303030;
}

#if defined(__SSE2__)
// In the eight 16-bit lanes of a vector register: each half of four
// digits, n < 10^4, stands in four lanes, which take n / 1000, n / 100,
// n / 10 and n at once (4n times a reciprocal, then a shift, both as high
// halves of products; exact for every n < 10^4, all of them tried), and
// each lane less ten times the lane before it is one digit.
inline std::uint64_t eight_digit_characters_in_lanes(std::uint32_t value) {
  const std::uint32_t upper = value / 10000;
  const std::uint32_t lower = value - upper * 10000;
  __m128i lanes = _mm_cvtsi32_si128(static_cast<int>((upper | (lower << 16)) << 2));  // 4n: [upper, lower]
  lanes = _mm_unpacklo_epi16(lanes, lanes);  // [u, u, l, l]
  lanes = _mm_unpacklo_epi32(lanes, lanes);  // [u, u, u, u, l, l, l, l]
  const __m128i reciprocals = _mm_setr_epi16(8389, 5243, 13108, -32768, 8389, 5243, 13108, -32768);
  const __m128i shifts = _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -32768, 1 << 7, 1 << 11, 1 << 13, -32768);
  const __m128i quotients = _mm_mulhi_epu16(_mm_mulhi_epu16(lanes, reciprocals), shifts);  // [a, ab, abc, abcd, ...]
  const __m128i tens = _mm_slli_epi64(_mm_mullo_epi16(quotients, _mm_set1_epi16(10)), 16);  // [0, a0, ab0, abc0, ...]
  const __m128i digits = _mm_sub_epi16(quotients, tens);
  const __m128i characters = _mm_add_epi8(_mm_packus_epi16(digits, digits), _mm_set1_epi8('0'));
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(characters));
}
#endif

inline std::uint64_t eight_digit_characters(std::uint32_t value) {
#if defined(__SSE2__) && defined(__x86_64__)
  return eight_digit_characters_in_lanes(value);
#else
  return eight_digit_characters_in_words(value);
#endif
}

// Stores the eight characters of a word from eight_digit_characters (or a part
// of one, shifted towards its first byte) in their order.
inline void store_characters(char* to, std::uint64_t characters) {
  if constexpr (std::endian::native == std::endian::big) characters = __builtin_bswap64(characters);
  std::memcpy(to, &characters, 8);
}

// floor(log10(v)) or one less, for a finite nonzero real v given by its bits
// (sign ignored). For a normal real, the bits read as a fixed-point number are
// a chord below log2(v), times log10(2) rounded down; for a subnormal, the
// leading bit b gives floor(log10(2^b)).
//   decimal_exponent_estimate(bits of 650.0f) -> 2
//   decimal_exponent_estimate(bits of 1.0e-3f) -> -3 or -4
constexpr int decimal_exponent_estimate(std::uint32_t bits) {
  const std::uint32_t magnitude = bits & kFloatMagnitudeMask;
  if ((magnitude & kFloatExponentField) == 0) {
    // log10(2) as 78913 / 2^18
    const BinaryValue binary = decompose(magnitude);
    const int leading_bit = binary.exponent + (31 - std::countl_zero(binary.mantissa));
    return (leading_bit * 78913) >> 18;
  }
  constexpr std::int64_t kLog10Of2 = 1292913986;  // log10(2) * 2^32, rounded down
  const std::int64_t log2_fixed =
      static_cast<std::int64_t>(magnitude) - (std::int64_t{kFloatExponentBias} << kFloatFractionBits);
  return static_cast<int>((log2_fixed * kLog10Of2) >> (kFloatFractionBits + 32));
}

}  // namespace record_io::detail
