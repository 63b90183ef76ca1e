// SPDX-License-Identifier: MIT
// Unsigned integers wider than 64 bits for exact decimal scaling: the
// compiler's 128-bit type, and a 192-bit one for the product of a power of
// five below 2^128 and a mantissa below 2^32.
#pragma once

#include <array>
#include <cstdint>

namespace record_io::detail {

__extension__ typedef unsigned __int128 Uint128;

// An unsigned integer of 192 bits, least significant word first.
struct Uint192 {
  static constexpr int kBits = 192;
  std::array<std::uint64_t, 3> words{};

  std::uint64_t bit(int index) const { return (words[static_cast<std::size_t>(index / 64)] >> (index % 64)) & 1u; }

  // Whether any bit below `index` is set.
  bool any_below(int index) const {
    const auto word = static_cast<std::size_t>(index / 64);
    for (std::size_t i = 0; i < word; ++i)
      if (words[i] != 0) return true;
    const int bits = index % 64;
    return bits != 0 && (words[word] & ((std::uint64_t{1} << bits) - 1)) != 0;
  }

  bool fits_64_bits() const { return words[1] == 0 && words[2] == 0; }

  // this / 2^count, rounded down; count below 192.
  Uint192 shifted_right(int count) const {
    Uint192 result;
    const auto word_shift = static_cast<std::size_t>(count / 64);
    const int bit_shift = count % 64;
    for (std::size_t i = 0; i + word_shift < 3; ++i) {
      std::uint64_t value = words[i + word_shift] >> bit_shift;
      if (bit_shift != 0 && i + word_shift + 1 < 3) value |= words[i + word_shift + 1] << (64 - bit_shift);
      result.words[i] = value;
    }
    return result;
  }
};

// a * b, exactly.
inline Uint192 multiply(Uint128 a, std::uint32_t b) {
  const Uint128 low = static_cast<Uint128>(static_cast<std::uint64_t>(a)) * b;
  const Uint128 high = static_cast<Uint128>(static_cast<std::uint64_t>(a >> 64)) * b;
  const Uint128 middle = (low >> 64) + static_cast<std::uint64_t>(high);
  Uint192 product;
  product.words[0] = static_cast<std::uint64_t>(low);
  product.words[1] = static_cast<std::uint64_t>(middle);
  product.words[2] = static_cast<std::uint64_t>(high >> 64) + static_cast<std::uint64_t>(middle >> 64);
  return product;
}

// round_half_even(x / 2^count) for x below 2^191 and count at least 1; false
// when the result needs more than 64 bits.
inline bool shift_right_rounded(const Uint192& x, int count, std::uint64_t& result) {
  if (count >= Uint192::kBits) {  // x is below half of 2^count: rounds to zero
    result = 0;
    return true;
  }
  const Uint192 quotient = x.shifted_right(count);
  if (!quotient.fits_64_bits()) return false;
  result = quotient.words[0];
  const bool above_half = x.bit(count - 1) != 0 && (x.any_below(count - 1) || (result & 1u) != 0);
  if (above_half) {
    if (result == UINT64_MAX) return false;
    ++result;
  }
  return true;
}

// round_half_even(x / 2^count) for x below 2^63 and count from 1 to 63: the
// half unit is added, less one unless the quotient is odd, so that a tie
// rounds to the even quotient.
inline std::uint64_t shift_right_rounded(std::uint64_t x, int count) {
  const std::uint64_t half = std::uint64_t{1} << (count - 1);
  return (x + half - 1 + ((x >> count) & 1u)) >> count;
}

}  // namespace record_io::detail
