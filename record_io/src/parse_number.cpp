// Number input: 32-bit integers and single-precision reals from their text.
#include <bit>
#include <charconv>
#include <cstring>
#include <string>

#include "float_flags.hpp"
#include "numbers.hpp"

namespace record_io::detail {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_case(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (lower(text[i]) != word[i]) return false;
  return true;
}

// Exponents beyond this are clamped: they overflow or underflow any real.
constexpr long kExponentClamp = 100000;

// The parts of a real written in decimal: [sign] digits [. digits] [E|D [sign] digits].
struct DecimalForm {
  bool negative = false;
  bool plus_sign = false;
  std::string_view mantissa;   // digits with the point, as written
  bool has_point = false;
  bool d_exponent = false;     // the exponent letter is D or d
  long exponent = 0;           // clamped
  long magnitude = 0;          // decimal exponent of the leading nonzero digit, plus one
  bool all_zero = true;
};

bool split_decimal(std::string_view text, DecimalForm& form) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    form.negative = text[i] == '-';
    form.plus_sign = text[i] == '+';
    ++i;
  }
  const std::size_t mantissa_begin = i;
  std::size_t digit_count = 0;
  long digits_before_point = 0;
  long leading_zeros_after_point = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      ++digit_count;
      if (c != '0') form.all_zero = false;
      if (!form.has_point) {
        if (!form.all_zero) ++digits_before_point;
      } else if (form.all_zero) {
        ++leading_zeros_after_point;
      }
    } else if (c == '.' && !form.has_point) {
      form.has_point = true;
    } else {
      break;
    }
  }
  if (digit_count == 0) return false;
  form.mantissa = text.substr(mantissa_begin, i - mantissa_begin);
  if (i < text.size()) {
    const char letter = lower(text[i]);
    if (letter != 'e' && letter != 'd') return false;
    form.d_exponent = letter == 'd';
    ++i;
    bool negative_exponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
      if (!is_digit(text[i])) return false;
      if (form.exponent < kExponentClamp) form.exponent = form.exponent * 10 + (text[i] - '0');
    }
    if (negative_exponent) form.exponent = -form.exponent;
  }
  form.magnitude = (digits_before_point > 0 ? digits_before_point : -leading_zeros_after_point) + form.exponent;
  return true;
}

ParseStatus parse_special(std::string_view text, float& value) {
  bool negative = false;
  std::string_view word = text;
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
    negative = word[0] == '-';
    word.remove_prefix(1);
  }
  std::uint32_t bits;
  if (equals_ignoring_case(word, "inf") || equals_ignoring_case(word, "infinity")) {
    bits = 0x7f800000u;
  } else if (equals_ignoring_case(word, "nan")) {
    bits = 0x7fc00000u;
  } else {
    return ParseStatus::syntax;
  }
  value = std::bit_cast<float>(bits | (negative ? 0x80000000u : 0u));
  return ParseStatus::ok;
}

// Powers of ten that double precision holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPowerOfTen = 22;
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// Digits from `at` on, into `mantissa`; returns where they end. A mantissa
// of over 19 digits may wrap around here; callers refuse it by its length.
[[gnu::always_inline]] inline const char* take_digits(const char* at, const char* end, std::uint64_t& mantissa) {
  for (; at != end; ++at) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*at) - '0');
    if (digit > 9) break;
    mantissa = mantissa * 10 + digit;
  }
  return at;
}

}  // namespace

// The short forms that make up nearly all data: at most 19 digits and a
// small exponent. The digits w and the power q give the value w * 10^q in
// one correctly rounded double-precision operation (both factors are exact
// doubles), which is then rounded to single precision. Rounding twice gives
// the correctly rounded real except when the double falls exactly halfway
// between two reals: no real lies between a value and its nearest double.
// Those cases, subnormal or huge results, and everything else are left to
// the general route (nullptr).
const char* scan_short_real(const char* at, const char* end, std::size_t implied_decimals, float& value) noexcept {
  if (at == end) return nullptr;
  bool negative = false;
  if (*at == '-' || *at == '+') negative = *at++ == '-';
  std::uint64_t mantissa = 0;
  const char* const integer_begin = at;
  at = take_digits(at, end, mantissa);
  const auto integer_digits = static_cast<std::size_t>(at - integer_begin);
  const bool point = at != end && *at == '.';
  std::size_t fraction_digits = 0;
  if (point) {
    const char* const fraction_begin = ++at;
    at = take_digits(at, end, mantissa);
    fraction_digits = static_cast<std::size_t>(at - fraction_begin);
  }
  const std::size_t digits = integer_digits + fraction_digits;
  if (digits == 0 || digits > 19) return nullptr;
  int exponent = 0;
  if (at != end && (*at == 'e' || *at == 'E' || *at == 'd' || *at == 'D')) {
    ++at;
    bool negative_exponent = false;
    if (at != end && (*at == '+' || *at == '-')) negative_exponent = *at++ == '-';
    std::uint64_t magnitude = 0;
    const char* const exponent_begin = at;
    at = take_digits(at, end, magnitude);
    const std::ptrdiff_t length = at - exponent_begin;
    if (length < 1 || length > 3) return nullptr;
    exponent = negative_exponent ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
  }
  const int fraction = point ? static_cast<int>(fraction_digits)
                             : static_cast<int>(implied_decimals > 64 ? 64 : implied_decimals);
  const int power = exponent - fraction;
  if (mantissa == 0) {
    value = negative ? -0.0f : 0.0f;
    return at;
  }
  if (mantissa > kMaxExactMantissa || power < -kMaxExactPowerOfTen || power > kMaxExactPowerOfTen) return nullptr;
  const double scaled = power < 0 ? static_cast<double>(mantissa) / kExactPowersOfTen[-power]
                                  : static_cast<double>(mantissa) * kExactPowersOfTen[power];
  const auto bits = std::bit_cast<std::uint64_t>(scaled);
  const auto biased_exponent = static_cast<int>(bits >> 52);
  constexpr int kDoubleBias = 1023;
  // Normal reals only, and below 2^127 so that rounding cannot overflow.
  if (biased_exponent < kDoubleBias - 126 || biased_exponent > kDoubleBias + 126) return nullptr;
  // The 29 bits a real does not keep: exactly half of them set means halfway.
  constexpr std::uint64_t kDroppedBits = (std::uint64_t{1} << 29) - 1;
  if ((bits & kDroppedBits) == (std::uint64_t{1} << 28)) return nullptr;
  const auto rounded = static_cast<float>(scaled);
  value = negative ? -rounded : rounded;
  return at;
}

namespace {

}  // namespace

ParseStatus parse_integer(std::string_view text, std::int32_t& value) noexcept {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return ParseStatus::syntax;
  constexpr std::uint64_t kBeyondRange = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return ParseStatus::syntax;
    if (magnitude < kBeyondRange) magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return ParseStatus::out_of_range;
  value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
  return ParseStatus::ok;
}

ParseStatus parse_real(std::string_view text, std::size_t implied_decimals, float& value) noexcept {
  if (text.empty()) return ParseStatus::syntax;

  float quick;
  if (scan_short_real(text.data(), text.data() + text.size(), implied_decimals, quick) == text.data() + text.size()) {
    value = quick;
    return ParseStatus::ok;
  }

  DecimalForm form;
  if (!split_decimal(text, form)) return parse_special(text, value);

  const bool implied = !form.has_point && implied_decimals > 0;
  const long exponent = form.exponent - (implied ? static_cast<long>(implied_decimals) : 0);

  // The library reads the plain forms directly; a plus sign, a D exponent or
  // implied decimals call for the text to be rewritten first. Its arithmetic
  // may raise flags that the program's did not: they are put back.
  const FloatFlagsGuard flags;
  float result = 0.0f;
  std::from_chars_result converted;
  if (!form.plus_sign && !form.d_exponent && !implied) {
    converted = std::from_chars(text.data(), text.data() + text.size(), result);
  } else {
    // sign, mantissa, 'e', exponent of at most 7 characters
    char small[256];
    std::string large;
    const std::size_t needed = form.mantissa.size() + 10;
    char* buffer = small;
    if (needed > sizeof small) {
      try {
        large.resize(needed);
      } catch (...) {
        return ParseStatus::out_of_range;
      }
      buffer = large.data();
    }
    char* at = buffer;
    if (form.negative) *at++ = '-';
    std::memcpy(at, form.mantissa.data(), form.mantissa.size());
    at += form.mantissa.size();
    *at++ = 'e';
    at = std::to_chars(at, buffer + needed, exponent).ptr;
    converted = std::from_chars(buffer, at, result);
  }
  if (converted.ec == std::errc::result_out_of_range) {
    const long magnitude = form.magnitude - (implied ? static_cast<long>(implied_decimals) : 0);
    if (magnitude > 0) return ParseStatus::out_of_range;
    value = form.negative ? -0.0f : 0.0f;  // too small for any real: rounds to zero
    return ParseStatus::ok;
  }
  if (converted.ec != std::errc()) return ParseStatus::syntax;
  value = result;
  return ParseStatus::ok;
}

}  // namespace record_io::detail
