// SPDX-License-Identifier: MIT
#include "reference_format.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace toolkit_test {
namespace {

std::string right(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string printed(const char* format, int precision, float value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, precision, static_cast<double>(value));
  return buffer;
}

}  // namespace

std::string reference_fixed(float value, int width, int decimals) {
  if (std::isnan(value)) return right("NaN", width);
  if (std::isinf(value)) {
    if (std::signbit(value)) return right(width >= 9 ? "-Infinity" : "-Inf", width);
    return right(width >= 8 ? "Infinity" : "Inf", width);
  }
  // "%#.0f" keeps the point: 2.5 -> "2."
  std::string text = printed("%#.*f", decimals, value);
  if (static_cast<int>(text.size()) <= width) return right(text, width);
  const bool negative = text[0] == '-';
  const std::size_t zero = negative ? 1 : 0;
  if (decimals > 0 && text.compare(zero, 2, "0.") == 0) {
    text.erase(zero, 1);
    if (static_cast<int>(text.size()) <= width) return right(text, width);
  }
  return std::string(static_cast<std::size_t>(width), '*');
}

std::string reference_free_real(float value) {
  if (std::isnan(value)) return right("NaN", 16);
  if (std::isinf(value)) return right(std::signbit(value) ? "-Infinity" : "Infinity", 16);
  if (value == 0.0f) return right(std::signbit(value) ? "-0.00000000" : "0.00000000", 12) + "    ";
  const std::string scientific = printed("%.*E", 8, value);
  const int exponent = std::atoi(scientific.c_str() + scientific.find('E') + 1);
  if (exponent >= -1 && exponent <= 8) return right(printed("%#.*f", 8 - exponent, value), 12) + "    ";
  return right(scientific, 16);
}

namespace {

std::string with_e_exponent(std::string_view text) {
  std::string copy(text);
  for (char& c : copy)
    if (c == 'd' || c == 'D') c = 'e';
  return copy;
}

}  // namespace

float reference_strtof(std::string_view text) { return std::strtof(with_e_exponent(text).c_str(), nullptr); }

std::optional<std::size_t> reference_real_length(std::string_view text) {
  std::string plain = with_e_exponent(text);
  const std::size_t sign = !plain.empty() && plain[0] == '+' ? 1 : 0;
  plain.erase(0, sign);
  if (sign == 1 && !plain.empty() && plain[0] == '-') return std::nullopt;  // "+-1"
  float ignored = 0.0f;
  const auto read = std::from_chars(plain.data(), plain.data() + plain.size(), ignored);
  if (read.ec == std::errc::invalid_argument) return std::nullopt;
  const std::string_view matched(plain.data(), static_cast<std::size_t>(read.ptr - plain.data()));
  return sign + std::min(matched.size(), matched.find('('));
}

}  // namespace toolkit_test
