// SPDX-License-Identifier: MIT
// Number conversions at the core of the record layer: single-precision reals
// and 32-bit integers to and from their text forms, exactly.
//
// Output rounds the exact binary value of a real (10.025f is 10.0249996185...
// and gives "10.02" with two decimals); a value exactly halfway between two
// results rounds to the even one, as the C library does. Input rounds the
// decimal value to the nearest single-precision real, a tie to the even one,
// however many digits it has.
//
// None of these functions raises a floating-point exception that the
// program would be told of: output recognises signs, infinities and
// not-a-number from the bits and computes digits with integers; the short
// route of input raises at most inexact (never reported); where the C++
// library converts, the flags are put back as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace record_io::detail {

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

enum class ParseStatus : std::uint8_t { ok, syntax, out_of_range };

// Where a scan stopped and what it found. `end` is one past the last byte of
// the number (on a syntax error, where the scan began): the caller decides
// whether what follows may end a value.
struct NumberScan {
  const char* end;
  ParseStatus status;
};

// Reads a real from [at, end) as far as its form goes:
//   [sign] digits [. digits] [E|e|D|d [sign] digits]   (at least one digit before the exponent)
//   [sign] inf | infinity | nan                         (in any case)
// An exponent letter without digits after it is not part of the number. When
// the number has no decimal point, its last `implied_decimals` digits are the
// fraction (a field Fw.d read without a point). A value beyond the
// single-precision range is out_of_range; one too small rounds to a zero of
// its sign. `value` is set only when the status is ok.
//   scan_real("12.5 7", 0)    -> end at " 7", ok, 12.5
//   scan_real("1234", 3)      -> end after "1234", ok, 1.234
//   scan_real("1.5D-3", 0)    -> end after "1.5D-3", ok, 0.0015
//   scan_real("1e+", 0)       -> end at "e+", ok, 1
//   scan_real("Infinityx", 0) -> end at "x", ok, +inf
//   scan_real("1e50", 0)      -> end after "1e50", out_of_range
//   scan_real("-.", 0)        -> end where the scan began, syntax
// Texts of any length are read exactly, long ones by a slower route; nothing
// is allocated.
NumberScan scan_real(const char* at, const char* end, std::size_t implied_decimals, float& value);

// The quick route of a free-format read, for the records of a spectrum as
// programs and spreadsheets write them: one plain number and its line feed,
//   [sign] digits [. digits] [E|e|D|d sign digit digit] line-feed
// with at most 7 digits before the point and 14 in all (a point with a digit
// on one side at least). Returns the line feed, with `value` set as
// scan_real would set it, when the record at `at` has that form and its
// value is within the short conversion's reach; otherwise null, with
// nothing set, and the caller reads the record byte by byte. It reads up to
// 24 bytes from `at` on whatever the record's length, so that many must be
// readable; any byte that is not part of the form ends it.
//   scan_plain_line("2.505847e-04\n...") -> the "\n", 0.0002505847
//   scan_plain_line("740.330661\n...")   -> the "\n", 740.330661
//   scan_plain_line("740.330661 \n...")  -> null (a blank after the number)
//   scan_plain_line("1e5\n...")          -> null (an exponent of one digit)
const char* scan_plain_line(const char* at, float& value) noexcept;

// The quicker route for the form the C library writes by default ("%e"),
//   [sign] digit . six-digits (e|E) sign digit digit line-feed
// every byte at its place, checked at once: as scan_plain_line for the
// records of that form, null for every other (and for a value beyond the
// short conversion's reach). It reads 17 bytes from `at` on.
//   scan_c_exponent_line("2.505847e-04\n...")  -> the "\n", 0.0002505847
//   scan_c_exponent_line("-7.403307E+02\n...") -> the "\n", -740.3307
//   scan_c_exponent_line("2.50585e-04\n...")   -> null (five digits after the point)
//   scan_c_exponent_line("2.505847e-4\n...")   -> null (one exponent digit)
const char* scan_c_exponent_line(const char* at, float& value) noexcept;

// Powers of ten that double precision holds exactly.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxExactPowerOfTen = 22;

// The bytes of a record of that form without a sign, its line feed included.
inline constexpr std::size_t kCExponentLineBytes = 13;

// Two records of that form without a sign, one after the other, read at
// once: both values stored in values[0] and values[1], and the second's line
// feed returned, when both have the form and are within the short
// conversion's reach; otherwise null, with nothing stored. It reads 29 bytes
// from `at` on.
//   scan_c_exponent_pair("2.505847e-04\n2.503542e-07\n...") -> the second "\n"
const char* scan_c_exponent_pair(const char* at, float* values) noexcept;

// Reads an optionally signed decimal integer from [at, end): as scan_real,
// with the range of a 32-bit signed integer.
//   scan_integer("-12,", ...)        -> end at ",", ok, -12
//   scan_integer("2147483648", ...)  -> end after the digits, out_of_range
NumberScan scan_integer(const char* at, const char* end, std::int32_t& value) noexcept;

// The whole text must be the number, with no blanks: anything after it is a
// syntax error. `value` is set only when the status is ok.
//   parse_real("12.5", 0) -> 12.5;  parse_real("1234", 3) -> 1.234;  parse_real("1e", 0) -> syntax
//   parse_integer("+7") -> 7;  parse_integer("12.5") -> syntax
ParseStatus parse_real(std::string_view text, std::size_t implied_decimals, float& value);
ParseStatus parse_integer(std::string_view text, std::int32_t& value) noexcept;

// What a value that did not convert was meant to be.
enum class NumberKind : std::uint8_t { integer, real };

// The message for a value that did not convert (`status` not ok), as the
// readers report it; `text` is the value as found in the record.
//   (syntax, real, "1x.5")             -> cannot read "1x.5" as a number
//   (syntax, integer, "12.5")          -> cannot read "12.5" as an integer
//   (out_of_range, integer, "3000000000")
//       -> integer "3000000000" is out of range (allowed: -2147483648 to 2147483647)
//   (out_of_range, real, "1e50")       -> number "1e50" is beyond the range of a real
std::string conversion_error(ParseStatus status, NumberKind kind, std::string_view text);

}  // namespace record_io::detail
