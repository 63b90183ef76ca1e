// Number conversions at the core of the record layer: single-precision reals
// and 32-bit integers to and from their text forms, exactly.
//
// Output rounds the exact binary value of a real (10.025f is 10.0249996185...
// and gives "10.02" with two decimals); a value exactly halfway between two
// results rounds to the even one, as the C library does. Input rounds the
// decimal value to the nearest single-precision real.
//
// None of these functions raises a floating-point exception that the
// program would be told of: output recognises signs, infinities and
// not-a-number from the bits and computes digits with integers; the short
// route of input raises at most inexact (never reported); where the C++
// library converts, the flags are put back as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace record_io::detail {

// Free-format output: integers take 11 columns, reals 16, with 9 significant
// digits; a fixed-point real stands right-justified in the first 12 columns.
inline constexpr std::size_t kFreeIntegerWidth = 11;
inline constexpr std::size_t kFreeRealWidth = 16;
inline constexpr std::size_t kFreeRealFixedWidth = 12;

// Writes `value` as an Iw field: exactly `width` characters at `out`.
//   format_integer(out, 4, 42)   -> "  42"
//   format_integer(out, 2, -5)   -> "-5"
//   format_integer(out, 2, 123)  -> "**"
void format_integer(char* out, std::size_t width, std::int32_t value) noexcept;

// Writes `value` as an Fw.d field: exactly `width` characters at `out`, for
// decimals <= width <= kMaxNumericWidth, as a layout has them.
//   format_fixed(out, 5, 2, 10.025f)  -> "10.02"  (exact value 10.0249996...)
//   format_fixed(out, 5, 2, 10.045f)  -> "10.05"  (exact value 10.0450001...)
//   format_fixed(out, 5, 2, -0.001f)  -> "-0.00"  (a negative value keeps its sign)
//   format_fixed(out, 3, 1, 0.5f)     -> "0.5"
//   format_fixed(out, 3, 1, -0.5f)    -> "-.5"    (the zero goes only when it must)
//   format_fixed(out, 3, 1, 12.5f)    -> "***"
//   format_fixed(out, 5, 0, 2.5f)     -> "   2." (halfway: to even)
//   format_fixed(out, 8, 3, NaN)      -> "     NaN"
//   format_fixed(out, 8, 3, +inf)     -> "Infinity";  width 3 to 7: "Inf"
//   format_fixed(out, 9, 3, -inf)     -> "-Infinity"; width 4 to 8: "-Inf"
// A field too narrow for any of these forms is filled with asterisks.
void format_fixed(char* out, std::size_t width, std::size_t decimals, float value) noexcept;

// Bytes past its 16 columns that format_free_real may overwrite: the caller
// leaves room for them, and anything written after the field replaces them.
inline constexpr std::size_t kFreeRealSpill = 8;

// Writes `value` in free format: kFreeRealWidth characters at `out`, which has
// room for kFreeRealSpill bytes more.
//   1.5f    -> "  1.50000000    "
//   0.1f    -> " 0.100000001    "
//   1.0e10f -> "  1.00000000E+10"
//   -0.0f   -> " -0.00000000    "
//   NaN     -> "             NaN"
void format_free_real(char* out, float value) noexcept;

enum class ParseStatus : std::uint8_t { ok, syntax, out_of_range };

// Parses an optionally signed decimal integer with no blanks: "-12", "+7".
ParseStatus parse_integer(std::string_view text, std::int32_t& value) noexcept;

// Parses a real with no blanks: "12.5", "-.5", "1e5", "1.5D-3", "7", "Inf",
// "NaN". When the text has no decimal point, its last `implied_decimals`
// digits are the fraction: parse_real("1234", 3) -> 1.234. A value beyond the
// single-precision range is out_of_range; one too small rounds to zero.
ParseStatus parse_real(std::string_view text, std::size_t implied_decimals, float& value) noexcept;

// The fast route of parse_real for the common short forms (at most 19 digits,
// an exponent of at most 3 digits), reading from `at` as far as the number
// goes: returns where it ends, or nullptr when the text is not such a form or
// its value needs the exact route; the caller then uses parse_real.
//   scan_short_real("12.5 7", ...) -> points at " 7", value 12.5
const char* scan_short_real(const char* at, const char* end, std::size_t implied_decimals, float& value) noexcept;

}  // namespace record_io::detail
