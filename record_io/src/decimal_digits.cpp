// SPDX-License-Identifier: MIT
#include "decimal_digits.hpp"

namespace record_io::detail {
namespace {

constexpr std::array<Uint128, kMaxPowerOfFive + 1> kPowersOfFive = [] {
  std::array<Uint128, kMaxPowerOfFive + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 5;
  return powers;
}();

constexpr int kMantissaBits = kFloatFractionBits + 1;
constexpr int kMaxPowerOfFiveIn64Bits = 27;  // 5^27 < 2^63
static_assert(kPowersOfFive[kMaxPowerOfFiveIn64Bits] < (Uint128{1} << 63));
// The dividend m * 2^q of a downward scaling fits in 128 bits.
static_assert(kMantissaBits + kFloatMaxExponent <= 128);
// m * 5^p fits in 24 + 128 bits, so that shift_right_rounded may take it.
static_assert(kMantissaBits + static_cast<int>(sizeof(Uint128)) * 8 < Uint192::kBits - 1);

}  // namespace

std::optional<std::uint64_t> scale_and_round_wide(BinaryValue value, int p) {
  const std::uint32_t m = value.mantissa;
  const int q = value.exponent;
  if (m == 0) return 0;
  if (p >= 0) {
    if (p > kMaxPowerOfFive) return std::nullopt;
    // m * 10^p * 2^q = (m * 5^p) * 2^(p + q)
    const Uint192 x = multiply(kPowersOfFive[static_cast<std::size_t>(p)], m);
    const int shift = p + q;
    if (shift < 0) {
      std::uint64_t result;
      if (!shift_right_rounded(x, -shift, result)) return std::nullopt;
      return result;
    }
    if (!x.fits_64_bits() || shift >= 64) return std::nullopt;
    if (shift > 0 && (x.words[0] >> (64 - shift)) != 0) return std::nullopt;
    return x.words[0] << shift;
  }
  // m * 2^q / 10^k, an integer dividend for q >= 0 (every real that calls
  // for a negative p is 10^9 or more, so q is positive there).
  const int k = -p;
  if (k > kMaxPowerOfTenDivisor || q < 0) return std::nullopt;
  if (q >= k && q - k < 64 - kMantissaBits && k <= kMaxPowerOfFiveIn64Bits) {
    // (m * 2^(q - k)) / 5^k with both in 64 bits: one short division
    const std::uint64_t dividend = std::uint64_t{m} << (q - k);
    const auto divisor = static_cast<std::uint64_t>(kPowersOfFive[static_cast<std::size_t>(k)]);
    std::uint64_t quotient = dividend / divisor;
    const std::uint64_t remainder = dividend - quotient * divisor;
    const std::uint64_t rest = divisor - remainder;
    if (remainder > rest || (remainder == rest && (quotient & 1u) != 0)) ++quotient;
    return quotient;
  }
  const Uint128 dividend = static_cast<Uint128>(m) << q;
  const Uint128 divisor = kPowersOfFive[static_cast<std::size_t>(k)] << k;
  Uint128 quotient = dividend / divisor;
  const Uint128 remainder = dividend - quotient * divisor;  // one wide division, not two
  const Uint128 rest = divisor - remainder;
  if (remainder > rest || (remainder == rest && (quotient & 1u) != 0)) ++quotient;
  if ((quotient >> 64) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(quotient);
}

std::size_t write_digits(char (&buffer)[20], std::uint64_t value) {
  std::size_t at = sizeof buffer;
  while (value >= 100) {
    const auto pair = static_cast<std::size_t>(value % 100) * 2;
    value /= 100;
    at -= 2;
    std::memcpy(buffer + at, kDigitPairs + pair, 2);
  }
  if (value >= 10) {
    at -= 2;
    std::memcpy(buffer + at, kDigitPairs + value * 2, 2);
  } else {
    buffer[--at] = static_cast<char>('0' + value);
  }
  return sizeof buffer - at;
}

}  // namespace record_io::detail
