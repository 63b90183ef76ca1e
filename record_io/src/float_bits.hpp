// SPDX-License-Identifier: MIT
// The fields of an IEEE-754 single-precision real: sign (1 bit), biased
// exponent (8 bits), fraction (23 bits).
#pragma once

#include <cstdint>

namespace record_io::detail {

inline constexpr int kFloatFractionBits = 23;
inline constexpr int kFloatExponentBias = 127;
inline constexpr std::uint32_t kFloatFractionMask = (std::uint32_t{1} << kFloatFractionBits) - 1;  // 0x007fffff
inline constexpr std::uint32_t kFloatHiddenBit = std::uint32_t{1} << kFloatFractionBits;           // 0x00800000
inline constexpr std::uint32_t kFloatBiasedExponentMax = 0xff;  // infinities and not-a-number
inline constexpr std::uint32_t kFloatSignBit = 0x80000000u;
inline constexpr std::uint32_t kFloatMagnitudeMask = ~kFloatSignBit;
inline constexpr std::uint32_t kFloatExponentField = kFloatBiasedExponentMax << kFloatFractionBits;  // 0x7f800000
inline constexpr std::uint32_t kFloatInfinityBits = kFloatExponentField;
inline constexpr std::uint32_t kFloatQuietNaNBits = kFloatExponentField | (kFloatHiddenBit >> 1);  // 0x7fc00000

// A finite real is mantissa * 2^exponent with an integer mantissa below 2^24.
// A normal real with biased exponent b has exponent b - 150 (the bias and the
// 23 fraction bits); zero and the subnormals share the exponent of b = 1.
inline constexpr int kFloatExponentOffset = kFloatExponentBias + kFloatFractionBits;                            // 150
inline constexpr int kFloatSubnormalExponent = 1 - kFloatExponentOffset;                                        // -149
inline constexpr int kFloatMaxExponent = static_cast<int>(kFloatBiasedExponentMax) - 1 - kFloatExponentOffset;  // 104

struct BinaryValue {
  std::uint32_t mantissa;
  int exponent;
};

// The mantissa and exponent of a finite real, from its bits (the sign ignored).
constexpr BinaryValue decompose(std::uint32_t bits) {
  const std::uint32_t biased = (bits >> kFloatFractionBits) & kFloatBiasedExponentMax;
  const std::uint32_t fraction = bits & kFloatFractionMask;
  if (biased == 0) return {fraction, kFloatSubnormalExponent};  // zero and subnormals
  return {fraction | kFloatHiddenBit, static_cast<int>(biased) - kFloatExponentOffset};
}

constexpr bool is_negative(std::uint32_t bits) { return (bits & kFloatSignBit) != 0; }
// Infinities and not-a-number: the exponent field all ones.
constexpr bool is_special(std::uint32_t bits) { return (bits & kFloatExponentField) == kFloatExponentField; }
constexpr bool is_nan(std::uint32_t bits) { return (bits & kFloatMagnitudeMask) > kFloatInfinityBits; }

}  // namespace record_io::detail
