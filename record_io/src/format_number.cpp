// Number output: integers in Iw fields, reals in Fw.d fields and in the
// free-format form of 9 significant digits.
//
// A finite real is m * 2^q with an integer m below 2^24. Its digits come from
// round_half_even(m * 2^q * 10^p) for a chosen p, computed exactly with
// integers of up to 192 bits, so that every result is the correctly rounded
// decimal form of the exact binary value.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "float_flags.hpp"
#include "numbers.hpp"

namespace record_io::detail {
namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr int kMaxPowerOfFive = 55;  // 5^55 < 2^128
constexpr int kMaxPowerOfFiveIn64Bits = 17;  // m * 5^17 < 2^64 for every m below 2^24
constexpr int kMaxPowerOfTen = 38;   // 10^38 < 2^127

constexpr std::array<uint128, kMaxPowerOfFive + 1> kPowersOfFive = [] {
  std::array<uint128, kMaxPowerOfFive + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 5;
  return powers;
}();


constexpr char kSixteenBlankColumns[17] = "                ";

constexpr std::uint64_t kNineDigitFloor = 100'000'000;   // 10^8
constexpr std::uint64_t kNineDigitCeiling = 1'000'000'000;  // 10^9

// A finite real as mantissa * 2^exponent.
struct BinaryValue {
  std::uint32_t mantissa;
  int exponent;
};

BinaryValue decompose(std::uint32_t bits) {
  const std::uint32_t biased = (bits >> 23) & 0xffu;
  const std::uint32_t fraction = bits & 0x7fffffu;
  if (biased == 0) return {fraction, -149};  // zero and subnormals
  return {fraction | 0x800000u, static_cast<int>(biased) - 150};
}

// An unsigned integer of 192 bits, least significant word first.
struct Uint192 {
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

Uint192 multiply(uint128 a, std::uint32_t b) {
  const uint128 low = static_cast<uint128>(static_cast<std::uint64_t>(a)) * b;
  const uint128 high = static_cast<uint128>(static_cast<std::uint64_t>(a >> 64)) * b;
  const uint128 middle = (low >> 64) + static_cast<std::uint64_t>(high);
  Uint192 product;
  product.words[0] = static_cast<std::uint64_t>(low);
  product.words[1] = static_cast<std::uint64_t>(middle);
  product.words[2] = static_cast<std::uint64_t>(high >> 64) + static_cast<std::uint64_t>(middle >> 64);
  return product;
}

// result = round_half_even(x / 2^count); false when it needs more than 64 bits.
bool shift_right_rounded(const Uint192& x, int count, std::uint64_t& result) {
  if (count >= 192) {  // x < 2^152, below half of 2^count
    result = 0;
    return true;
  }
  const Uint192 quotient = x.shifted_right(count);
  if (quotient.words[1] != 0 || quotient.words[2] != 0) return false;
  result = quotient.words[0];
  const bool above_half = x.bit(count - 1) != 0 && (x.any_below(count - 1) || (result & 1u) != 0);
  if (above_half) {
    if (result == UINT64_MAX) return false;
    ++result;
  }
  return true;
}

// result = round_half_even(m * 2^q * 10^p); false when it needs more than 64
// bits or lies outside what the tables cover.
bool scale_and_round(BinaryValue value, int p, std::uint64_t& result) {
  const std::uint32_t m = value.mantissa;
  const int q = value.exponent;
  if (m == 0) {
    result = 0;
    return true;
  }
  if (p >= 0 && p <= kMaxPowerOfFiveIn64Bits && p + q < 0 && p + q > -64) {
    // The common case: m * 5^p fits in 64 bits and a right shift of under
    // 64 bits gives the result.
    const std::uint64_t x = m * static_cast<std::uint64_t>(kPowersOfFive[static_cast<std::size_t>(p)]);
    const int count = -(p + q);
    const std::uint64_t quotient = x >> count;
    const std::uint64_t remainder = x & ((std::uint64_t{1} << count) - 1);
    const std::uint64_t half = std::uint64_t{1} << (count - 1);
    result = quotient + ((remainder > half || (remainder == half && (quotient & 1u) != 0)) ? 1 : 0);
    return true;
  }
  if (p >= 0) {
    if (p > kMaxPowerOfFive) return false;
    // m * 10^p * 2^q = (m * 5^p) * 2^(p + q)
    const Uint192 x = multiply(kPowersOfFive[static_cast<std::size_t>(p)], m);
    const int shift = p + q;
    if (shift < 0) return shift_right_rounded(x, -shift, result);
    if (x.words[1] != 0 || x.words[2] != 0 || shift >= 64) return false;
    if (shift > 0 && (x.words[0] >> (64 - shift)) != 0) return false;
    result = x.words[0] << shift;
    return true;
  }
  // A divisor 10^k with an integer dividend m * 2^q (q >= 0 here: every value
  // that calls for a negative p is at least 10^9).
  const int k = -p;
  if (k > kMaxPowerOfTen || q < 0 || q > 104) return false;
  const uint128 dividend = static_cast<uint128>(m) << q;
  const uint128 divisor = kPowersOfFive[static_cast<std::size_t>(k)] << k;
  uint128 quotient = dividend / divisor;
  const uint128 remainder = dividend % divisor;
  const uint128 rest = divisor - remainder;
  if (remainder > rest || (remainder == rest && (quotient & 1u) != 0)) ++quotient;
  if ((quotient >> 64) != 0) return false;
  result = static_cast<std::uint64_t>(quotient);
  return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Decimal digits of `value` at the end of the 20-byte `buffer`, two at a
// time; returns the number written.
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

void fill_asterisks(char* out, std::size_t width) { std::memset(out, '*', width); }

// Puts `text` right-justified into `width` columns, or asterisks if it is wider.
void put_right(char* out, std::size_t width, std::string_view text) {
  if (text.size() > width) return fill_asterisks(out, width);
  const std::size_t pad = width - text.size();
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text.data(), text.size());
}

bool is_negative(std::uint32_t bits) { return (bits >> 31) != 0; }
bool is_nan(std::uint32_t bits) { return (bits & 0x7fffffffu) > 0x7f800000u; }
bool is_infinite(std::uint32_t bits) { return (bits & 0x7fffffffu) == 0x7f800000u; }

// Digits of |value| rounded to `decimals` decimals when they do not fit the
// 64-bit route (20 digits or more, or more decimals than the tables cover):
// the slower but exact library conversion. Returns the digits, point removed.
constexpr std::size_t kWideDigitsCapacity = 48 + 2 * 128;

std::string_view wide_fixed_digits(float magnitude, std::size_t decimals, char (&storage)[kWideDigitsCapacity]) {
  const FloatFlagsGuard flags;  // widening a subnormal raises the denormal flag
  const auto converted =
      std::to_chars(storage, storage + sizeof storage, magnitude, std::chars_format::fixed, static_cast<int>(decimals));
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
  if (is_infinite(bits)) {
    if (negative) return put_right(out, width, width >= 9 ? "-Infinity" : "-Inf");
    return put_right(out, width, width >= 8 ? "Infinity" : "Inf");
  }

  // The rounded value as a digit string with at least decimals + 1 digits.
  char buffer[20];
  char wide_storage[kWideDigitsCapacity];
  std::string_view digits;
  std::uint64_t scaled = 0;
  if (decimals <= kMaxPowerOfFive && scale_and_round(decompose(bits), static_cast<int>(decimals), scaled)) {
    const std::size_t count = write_digits(buffer, scaled);
    digits = {buffer + sizeof buffer - count, count};
  } else {
    // 20 digits or more, or over 55 decimals: too wide for 20 columns.
    if (width <= 20 || decimals > 2 * 128) return fill_asterisks(out, width);
    digits = wide_fixed_digits(std::bit_cast<float>(bits & 0x7fffffffu), decimals, wide_storage);
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

// The eight digits of value < 10^8 as characters in one word, the first digit
// in the lowest byte, computed in lanes without
// division: the two halves of four digits, their hundreds, then their tens.
// Each step multiplies by a reciprocal exact for its lane's range.
std::uint64_t eight_digit_characters(std::uint32_t value) {
  const std::uint64_t halves = (value / 10000) | (static_cast<std::uint64_t>(value % 10000) << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;  // a / 100 for a < 10^4
  const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;  // a / 10 for a < 100
  const std::uint64_t digits = tens | ((pairs - tens * 10) << 8);
  return digits + 0x3030303030303030;
}

// Stores the eight characters of a word from eight_digit_characters (or a
// part of one, shifted towards its first byte) in their order.
void store_characters(char* to, std::uint64_t characters) {
  if constexpr (std::endian::native == std::endian::big) characters = __builtin_bswap64(characters);
  std::memcpy(to, &characters, 8);
}

// floor(log10(v)) or one less, for a normal real given by its bits: the bits
// read as a fixed-point number are a chord below log2(v), times log10(2)
// rounded down.
int decimal_exponent_estimate(std::uint32_t magnitude_bits) {
  constexpr std::int64_t kLog10Of2 = 1292913986;  // log10(2) * 2^32, rounded down
  const std::int64_t log2_fixed = static_cast<std::int64_t>(magnitude_bits) - (std::int64_t{127} << 23);
  return static_cast<int>((log2_fixed * kLog10Of2) >> (23 + 32));
}

}  // namespace

void format_free_real(char* out, float value) noexcept {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const bool negative = is_negative(bits);
  if (is_nan(bits)) return put_right(out, kFreeRealWidth, "NaN");
  if (is_infinite(bits)) return put_right(out, kFreeRealWidth, negative ? "-Infinity" : "Infinity");

  // Every form is written straight into `out` by stores that are never read
  // back (a load of bytes just stored in pieces waits for them), some
  // reaching past the 16 columns, as the caller allows.
  std::memcpy(out, kSixteenBlankColumns, kFreeRealWidth);
  const BinaryValue binary = decompose(bits);
  if (binary.mantissa == 0) {
    // 0.00000000 at the right of the first 12 columns
    char* at = out + kFreeRealFixedWidth - 10;
    if (negative) at[-1] = '-';
    std::memcpy(at, "0.00000000", 10);
    return;
  }

  // Decimal exponent e of the value rounded to 9 digits: digits =
  // round(v * 10^(8 - e)) lies in [10^8, 10^9). Start from an estimate at
  // most one too small; rounding up to 10^9 also moves e on.
  int exponent;
  if ((bits & 0x7f800000u) != 0) {
    exponent = decimal_exponent_estimate(bits & 0x7fffffffu);
  } else {  // subnormal: from the leading bit, floor(log10(2^b))
    const int leading_bit = binary.exponent + (31 - std::countl_zero(binary.mantissa));
    exponent = (leading_bit * 78913) >> 18;
  }
  std::uint64_t scaled = 0;
  for (;;) {
    scale_and_round(binary, 8 - exponent, scaled);
    if (scaled >= kNineDigitCeiling) {
      ++exponent;
    } else if (scaled < kNineDigitFloor) {
      --exponent;
    } else {
      break;
    }
  }
  // The first digit, and the other eight as characters in one word.
  const auto nine_digits = static_cast<std::uint32_t>(scaled);
  const char first = static_cast<char>('0' + nine_digits / 100000000);
  const std::uint64_t rest = eight_digit_characters(nine_digits % 100000000);

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
    std::memcpy(out + kFreeRealFixedWidth, kSixteenBlankColumns, kFreeRealWidth - kFreeRealFixedWidth);
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
