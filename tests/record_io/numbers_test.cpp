// SPDX-License-Identifier: MIT
// Number conversions: exact strings for the rules that can go wrong, broad
// samples checked against the C library's routes, and the faults fixed so far.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "decimal_digits.hpp"
#include "float_flags.hpp"
#include "numbers.hpp"
#include "reference_format.hpp"

namespace record_io::detail {
namespace {

using toolkit_test::reference_fixed;
using toolkit_test::reference_free_real;
using toolkit_test::reference_real_length;
using toolkit_test::reference_strtof;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::string fixed(float value, std::size_t width, std::size_t decimals) {
  std::string out(width, '?');
  format_fixed(out.data(), width, decimals, value);
  return out;
}

std::string integer(std::int32_t value, std::size_t width) {
  std::string out(width, '?');
  format_integer(out.data(), width, value);
  return out;
}

std::string free_real(float value) {
  std::string out(kFreeRealWidth + kFreeRealSpill, '?');
  format_free_real(out.data(), value);
  out.resize(kFreeRealWidth);  // what lies past the field is not the field's
  return out;
}

struct FixedCase {
  float value;
  std::size_t width;
  std::size_t decimals;
  const char* expected;
};

void expect_fixed(const std::vector<FixedCase>& cases) {
  for (const auto& c : cases)
    EXPECT_EQ(fixed(c.value, c.width, c.decimals), c.expected) << c.value << " as F" << c.width << "." << c.decimals;
}

TEST(FixedOutput, Basic) {
  expect_fixed({
      {12.5f, 8, 3, "  12.500"},
      {-3.5f, 8, 3, "  -3.500"},
      {100.0f, 8, 3, " 100.000"},
      {0.236f, 8, 3, "   0.236"},
      {42.15f, 8, 4, " 42.1500"},
      {2.56598f, 3, 1, "2.6"},
      {3.89931f, 3, 1, "3.9"},
      {0.0f, 5, 2, " 0.00"},
      {1234.5f, 8, 4, "********"},
      {999.9999f, 8, 4, "999.9999"},
  });
}

// The exact binary value decides, not the decimal text it came from.
TEST(FixedOutput, ExactValueRounding) {
  expect_fixed({
      {10.025f, 5, 2, "10.02"},  // 10.02499961853...
      {10.045f, 5, 2, "10.05"},  // 10.04500007629...
      {0.1f, 12, 10, "0.1000000015"},
      {42.15678f, 8, 4, " 42.1568"},
      {2.675f, 4, 2, "2.67"},  // 2.67499995231...
  });
}

// Exactly halfway between two results: to the even one.
TEST(FixedOutput, BoundaryRoundEven) {
  expect_fixed({
      {0.125f, 5, 2, " 0.12"},
      {0.375f, 5, 2, " 0.38"},
      {2.5f, 5, 0, "   2."},
      {3.5f, 5, 0, "   4."},
      {-0.5f, 4, 0, " -0."},
      {1.5f, 3, 0, " 2."},
  });
}

// A negative value that rounds to zero keeps its minus sign.
TEST(FixedOutput, MinusZero) {
  expect_fixed({
      {-0.001f, 5, 2, "-0.00"},
      {-0.0f, 5, 2, "-0.00"},
      {-0.04f, 3, 1, "-.0"},
      {-0.0f, 4, 1, "-0.0"},
      {0.004f, 4, 2, "0.00"},
  });
}

// The zero before the point goes only when nothing else makes the value fit.
TEST(FixedOutput, LeadingZero) {
  expect_fixed({
      {0.5f, 3, 1, "0.5"},
      {-0.5f, 3, 1, "-.5"},
      {-0.5f, 4, 1, "-0.5"},
      {0.3f, 3, 1, "0.3"},
      {0.96f, 3, 1, "1.0"},   // rounds up to 1.0: not below 1 any more
      {-0.96f, 3, 1, "***"},  // -1.0 needs four columns
      {0.5f, 2, 1, ".5"},
      {0.5f, 1, 1, "*"},
      {0.05f, 3, 2, ".05"},
  });
}

TEST(FixedOutput, Asterisks) {
  expect_fixed({
      {12.5f, 3, 1, "***"},
      {100.0f, 5, 2, "*****"},    // 100.00
      {99.995f, 5, 2, "*****"},   // 99.9950027... rounds to 100.00
      {99.994f, 5, 2, "99.99"},
      {-10.0f, 5, 2, "*****"},
      {-9.99f, 5, 2, "-9.99"},
      {10.0f, 3, 1, "***"},
      {-1.0f, 3, 1, "***"},
      {9.94f, 3, 1, "9.9"},
      {3.0e38f, 20, 3, "********************"},
      {1.0e10f, 8, 4, "********"},
  });
}

TEST(FixedOutput, NotANumberAndInfinities) {
  expect_fixed({
      {kNaN, 8, 3, "     NaN"},
      {-kNaN, 8, 3, "     NaN"},
      {kNaN, 3, 1, "NaN"},
      {kNaN, 2, 1, "**"},
      {kInf, 8, 3, "Infinity"},
      {kInf, 7, 3, "    Inf"},
      {kInf, 3, 1, "Inf"},
      {kInf, 2, 1, "**"},
      {-kInf, 9, 3, "-Infinity"},
      {-kInf, 8, 3, "    -Inf"},
      {-kInf, 4, 1, "-Inf"},
      {-kInf, 3, 1, "***"},
  });
}

TEST(FixedOutput, WideFieldsAndExtremes) {
  expect_fixed({
      {3.0e38f, 45, 3, "  300000000549775575777803994281145270272.000"},
      {16777216.0f, 12, 2, " 16777216.00"},
      {1.0e-45f, 6, 3, " 0.000"},
      {std::numeric_limits<float>::denorm_min(), 60, 50, "        0.00000000000000000000000000000000000000000000140130"},
  });
}

TEST(IntegerOutput, Basic) {
  EXPECT_EQ(integer(42, 4), "  42");
  EXPECT_EQ(integer(0, 1), "0");
  EXPECT_EQ(integer(-5, 2), "-5");
  EXPECT_EQ(integer(-33, 2), "**");
  EXPECT_EQ(integer(123, 2), "**");
  EXPECT_EQ(integer(1234, 4), "1234");
  EXPECT_EQ(integer(12345, 4), "****");
  EXPECT_EQ(integer(INT32_MIN, 11), "-2147483648");
  EXPECT_EQ(integer(INT32_MAX, 11), " 2147483647");
  EXPECT_EQ(integer(3, 11), "          3");
}

TEST(FreeRealOutput, FixedPointForm) {
  EXPECT_EQ(free_real(1.5f), "  1.50000000    ");
  EXPECT_EQ(free_real(0.1f), " 0.100000001    ");
  EXPECT_EQ(free_real(-0.1f), "-0.100000001    ");
  EXPECT_EQ(free_real(0.5f), " 0.500000000    ");
  EXPECT_EQ(free_real(6198737.5f), "  6198737.50    ");
  EXPECT_EQ(free_real(12379085.0f), "  12379085.0    ");
  EXPECT_EQ(free_real(99.9990463f), "  99.9990463    ");
  EXPECT_EQ(free_real(123456789.0f), "  123456792.    ");
  EXPECT_EQ(free_real(-999999936.0f), " -999999936.    ");
  EXPECT_EQ(free_real(0.0f), "  0.00000000    ");
  EXPECT_EQ(free_real(-0.0f), " -0.00000000    ");
}

TEST(FreeRealOutput, ExponentForm) {
  EXPECT_EQ(free_real(1.0e10f), "  1.00000000E+10");
  EXPECT_EQ(free_real(1.0e9f), "  1.00000000E+09");
  EXPECT_EQ(free_real(-8.78948e19f), " -8.78948012E+19");
  EXPECT_EQ(free_real(0.0999999940f), "  9.99999940E-02");
  EXPECT_EQ(free_real(std::numeric_limits<float>::max()), "  3.40282347E+38");
  EXPECT_EQ(free_real(std::numeric_limits<float>::denorm_min()), "  1.40129846E-45");
  EXPECT_EQ(free_real(std::numeric_limits<float>::min()), "  1.17549435E-38");
}

// Reals whose nine digits a product rounded to double precision would get
// wrong: the exact value lies within the double's last place of a tie, and
// only the exact scaling rounds it the right way.
TEST(FreeRealOutput, ScalingsBeyondTheExactDoubles) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x3480428a, "  2.38902715E-07"},  // 2.389027145e-07
      {0x36448c6f, "  2.92880191E-06"},  // 2.928801905e-06
      {0x383cc043, "  4.50017505E-05"},  // 4.500175055e-05
      {0x38c33fbd, "  9.31019677E-05"},  // 9.310196765e-05
  };
  for (const auto& [bits, expected] : cases) {
    const float value = std::bit_cast<float>(bits);
    EXPECT_EQ(free_real(value), expected) << bits;
    EXPECT_EQ(free_real(value), reference_free_real(value)) << bits;
  }
}

// The two ways to the eight digits agree on every value below 10^8, and the
// word's way gives the digits themselves.
TEST(FreeRealOutput, EightDigitsBothWays) {
  for (const std::uint32_t value : {0u, 1u, 9u, 10u, 9999u, 10000u, 1234567u, 12345678u, 99999999u}) {
    char text[9] = {};
    store_characters(text, eight_digit_characters_in_words(value));
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08u", value);
    EXPECT_STREQ(text, expected);
  }
#if defined(__SSE2__)
  std::uint32_t mismatches = 0;
  for (std::uint32_t value = 0; value < 100'000'000; ++value)
    mismatches += eight_digit_characters_in_lanes(value) != eight_digit_characters_in_words(value);
  EXPECT_EQ(mismatches, 0u);
#endif
}

TEST(FreeRealOutput, NotANumberAndInfinities) {
  EXPECT_EQ(free_real(kNaN), "             NaN");
  EXPECT_EQ(free_real(kInf), "        Infinity");
  EXPECT_EQ(free_real(-kInf), "       -Infinity");
}

// Every binade and both signs, against the C library: a sample here, all
// 2^32 patterns in the exhaustive check.
TEST(NumberOutput, AgreesWithCLibraryOnASample) {
  std::mt19937 random(20261208);
  const struct {
    int width, decimals;
  } fields[] = {{8, 3}, {5, 2}, {8, 4}, {3, 1}, {12, 6}, {4, 0}};
  for (int i = 0; i < 200000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    ASSERT_EQ(free_real(value), reference_free_real(value)) << std::bit_cast<std::uint32_t>(value);
    const auto& f = fields[i % std::size(fields)];
    ASSERT_EQ(fixed(value, static_cast<std::size_t>(f.width), static_cast<std::size_t>(f.decimals)),
              reference_fixed(value, f.width, f.decimals))
        << std::bit_cast<std::uint32_t>(value);
  }
  // Values of ordinary size, where the fields are not all asterisks.
  std::uniform_real_distribution<float> ordinary(-120.0f, 120.0f);
  for (int i = 0; i < 200000; ++i) {
    const float value = ordinary(random);
    const auto& f = fields[i % std::size(fields)];
    ASSERT_EQ(fixed(value, static_cast<std::size_t>(f.width), static_cast<std::size_t>(f.decimals)),
              reference_fixed(value, f.width, f.decimals))
        << value;
  }
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

// What scan_real made of a text: how many bytes it took, the status, and the
// value (kUnset unless the status is ok).
constexpr float kUnset = -12345.0f;
struct Scanned {
  std::ptrdiff_t taken;
  ParseStatus status;
  float value;
};

// Scans a copy of `text` held in storage of exactly its size, so that the
// sanitizer build catches a read past its end.
Scanned scan(std::string_view text, std::size_t implied_decimals = 0) {
  const auto storage = std::make_unique<char[]>(text.size());
  std::memcpy(storage.get(), text.data(), text.size());
  float value = kUnset;
  const NumberScan result = scan_real(storage.get(), storage.get() + text.size(), implied_decimals, value);
  return {result.end - storage.get(), result.status, value};
}

// The C library's reading of a text of the real grammar: strtof, with a D
// exponent written as E.
std::uint32_t bits_of(float value) { return std::bit_cast<std::uint32_t>(value); }

// The pieces one after the other (long texts made of runs of one digit).
std::string joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text += piece;
  return text;
}

struct RealInputCase {
  const char* text;
  std::size_t implied_decimals;
  float expected;
};

void expect_reals(const std::vector<RealInputCase>& cases) {
  for (const auto& c : cases) {
    float value = kUnset;
    EXPECT_EQ(parse_real(c.text, c.implied_decimals, value), ParseStatus::ok) << c.text;
    EXPECT_EQ(bits_of(value), bits_of(c.expected)) << c.text << " read " << value << ", expected " << c.expected;
  }
}

TEST(RealInput, Forms) {
  expect_reals({
      {"12.5", 0, 12.5f},      {"-3.25", 0, -3.25f},    {"+7", 0, 7.0f},        {".5", 0, 0.5f},
      {"-.5", 0, -0.5f},       {"5.", 0, 5.0f},         {"1e5", 0, 1.0e5f},     {"1E+5", 0, 1.0e5f},
      {"1.5D-3", 0, 1.5e-3f},  {"2d2", 0, 200.0f},      {"0.1", 0, 0.1f},       {"10.025", 0, 10.025f},
      {"1234", 3, 1.234f},     {"12.345", 3, 12.345f},  {"12.5", 3, 12.5f},     {"5", 3, 0.005f},
      {"-1234", 2, -12.34f},   {"12E2", 1, 120.0f},     {"+1234", 3, 1.234f},   {"0", 3, 0.0f},
      {"1e-50", 0, 0.0f},      {"3.4028235e38", 0, std::numeric_limits<float>::max()},
      {"1e-40", 0, 9.99994610e-41f},
      {"2.505847e-04", 0, 2.505847e-04f},  // an amplitude of a spectrum
  });
}

// A plus sign on every route: the short one, the long one (a power beyond
// 22, a subnormal result, more than 19 digits), and words.
TEST(RealInput, PlusSignOnEveryRoute) {
  const char* texts[] = {
      "+7",         "+1.5e3",   "+1e30",  "+1e-40", "+1E-45", "+3.4028235e38", "+123456789012345678901234567890",
      "+0.000000000000000000000000000000001234567890123456789", "+1.00000005960464478",  // a decimal by a halfway point
      "+2.505847D-04",
  };
  for (const char* text : texts) {
    float value = kUnset;
    ASSERT_EQ(parse_real(text, 0, value), ParseStatus::ok) << text;
    EXPECT_EQ(bits_of(value), bits_of(reference_strtof(text))) << text;
    float negated = kUnset;
    std::string minus = text;
    minus[0] = '-';
    ASSERT_EQ(parse_real(minus, 0, negated), ParseStatus::ok) << minus;
    EXPECT_EQ(bits_of(negated), bits_of(-reference_strtof(text))) << minus;
  }
  float value = kUnset;
  EXPECT_EQ(parse_real("+1e39", 0, value), ParseStatus::out_of_range);
  ASSERT_EQ(parse_real("+inf", 0, value), ParseStatus::ok);
  EXPECT_EQ(value, kInf);
}

// 19 digits are the most that the short route holds in 64 bits; a 20-digit
// text beyond 2^64 would wrap around there (to 0 or 1) if it were let in.
// The C library's correctly rounded strtof is the other route.
TEST(RealInput, NineteenAndTwentyDigits) {
  const char* texts[] = {
      "18446744073709551615",  "18446744073709551616",  "18446744073709551617",  // 2^64 - 1, 2^64, 2^64 + 1
      "1844674407370955161.7", "184467440737095516.17", "0.18446744073709551617",
      "9999999999999999999",   "1234567890123456789",   "1000000000000000000",    "123456789.0123456789",
      "9223372036854775808",   "-9223372036854775809",  "+18446744073709551616", "18446744073709551616e-20",
      "9007199254740993",      "90071992547409930e-1",  // 2^53 + 1: more than a double holds
  };
  for (const char* text : texts) {
    float value = kUnset;
    ASSERT_EQ(parse_real(text, 0, value), ParseStatus::ok) << text;
    EXPECT_EQ(bits_of(value), bits_of(reference_strtof(text))) << text << " read " << value;
  }
  // and by hand: 2^64 and 2^64 + 1 are both 2^64 as reals
  float value = kUnset;
  ASSERT_EQ(parse_real("18446744073709551617", 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0x5f800000u);
  ASSERT_EQ(parse_real("1844674407370955161.7", 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0x5dcccccdu);
}

TEST(RealInput, SignedZeroAndSpecialWords) {
  float value = 1.0f;
  ASSERT_EQ(parse_real("-1e-60", 0, value), ParseStatus::ok);
  EXPECT_TRUE(value == 0.0f && std::signbit(value));
  ASSERT_EQ(parse_real("-0.000", 0, value), ParseStatus::ok);
  EXPECT_TRUE(value == 0.0f && std::signbit(value));
  ASSERT_EQ(parse_real("-0e99999", 0, value), ParseStatus::ok);
  EXPECT_TRUE(value == 0.0f && std::signbit(value));
  ASSERT_EQ(parse_real("Infinity", 0, value), ParseStatus::ok);
  EXPECT_EQ(value, kInf);
  ASSERT_EQ(parse_real("-inf", 0, value), ParseStatus::ok);
  EXPECT_EQ(value, -kInf);
  ASSERT_EQ(parse_real("NaN", 0, value), ParseStatus::ok);
  EXPECT_TRUE(std::isnan(value));
}

TEST(RealInput, Rejected) {
  const std::pair<const char*, ParseStatus> cases[] = {
      {"", ParseStatus::syntax},          {"-", ParseStatus::syntax},       {".", ParseStatus::syntax},
      {"1x.5", ParseStatus::syntax},      {"1.2.3", ParseStatus::syntax},   {"1e", ParseStatus::syntax},
      {"1e+", ParseStatus::syntax},       {"e5", ParseStatus::syntax},      {"+-1", ParseStatus::syntax},
      {"0x10", ParseStatus::syntax},      {"1,5", ParseStatus::syntax},     {"infinit", ParseStatus::syntax},
      {"12345678.5x", ParseStatus::syntax}, {"1.2345678e1x", ParseStatus::syntax},
      {"1e50", ParseStatus::out_of_range}, {"-3.5e38", ParseStatus::out_of_range},
      {"+1e30000000000000000000000", ParseStatus::out_of_range},
      {"99999999999999999999999999999999999999999", ParseStatus::out_of_range},
  };
  for (const auto& [text, status] : cases) {
    float value = kUnset;
    EXPECT_EQ(parse_real(text, 0, value), status) << '"' << text << '"';
    EXPECT_EQ(value, kUnset) << '"' << text << "\" changed the value";
  }
}

// Where a scan ends, and with what: a number ends at the first byte that
// cannot continue its form, and what follows is the caller's to judge.
TEST(RealInput, ScanEnds) {
  struct Case {
    const char* text;
    std::ptrdiff_t taken;
    ParseStatus status;
  };
  const Case cases[] = {
      {"12abc", 2, ParseStatus::ok},         {"1e", 1, ParseStatus::ok},           {"1e+", 1, ParseStatus::ok},
      {"1E-x", 1, ParseStatus::ok},          {"1d5", 3, ParseStatus::ok},          {".", 0, ParseStatus::syntax},
      {"-", 0, ParseStatus::syntax},         {"+.5", 3, ParseStatus::ok},          {"-.e5", 0, ParseStatus::syntax},
      {"+-1", 0, ParseStatus::syntax},       {"", 0, ParseStatus::syntax},         {"e5", 0, ParseStatus::syntax},
      {"Infinityx", 8, ParseStatus::ok},     {"infinit", 3, ParseStatus::ok},      {"nan", 3, ParseStatus::ok},
      {"-INF,", 4, ParseStatus::ok},         {"in", 0, ParseStatus::syntax},       {"nan(1)", 3, ParseStatus::ok},
      {"12.5 7", 4, ParseStatus::ok},        {"1.5D-3,", 6, ParseStatus::ok},      {"1.2.3", 3, ParseStatus::ok},
      {"0x10", 1, ParseStatus::ok},          {"5.", 2, ParseStatus::ok},           {"1e50x", 4, ParseStatus::out_of_range},
      {"1e-50x", 5, ParseStatus::ok},        {"007", 3, ParseStatus::ok},
      // eight bytes and more: the mantissa read from one word, or not
      {"2.505847e-04", 12, ParseStatus::ok}, {"1234567.5e3", 11, ParseStatus::ok}, {"12345678.5", 10, ParseStatus::ok},
      {"1.2345678e1", 11, ParseStatus::ok},  {"1.234567e", 8, ParseStatus::ok},    {"1.234567ex", 8, ParseStatus::ok},
      {".1234567x", 8, ParseStatus::ok},     {"1234567.x", 8, ParseStatus::ok},    {"12345678", 8, ParseStatus::ok},
      {"1234567e1x", 9, ParseStatus::ok},    {"abcdefgh", 0, ParseStatus::syntax}, {"........", 0, ParseStatus::syntax},
      {".e5xxxxx", 0, ParseStatus::syntax},  {"-0.000001e-3,1", 12, ParseStatus::ok}, {"1.5.....", 3, ParseStatus::ok},
      {"0.0000001234", 12, ParseStatus::ok}, {"+1.2345e+3  ", 10, ParseStatus::ok},
      // exponents of a sign and two digits, read as one word, and their neighbours
      {"2.5e-045", 8, ParseStatus::ok},      {"1e+123x", 6, ParseStatus::out_of_range}, {"1e-0x", 4, ParseStatus::ok},
      {"1e--1", 1, ParseStatus::ok},         {"1.5e+07 ", 7, ParseStatus::ok},     {"1.5E+1.5", 6, ParseStatus::ok},
      {"1.5e+0a", 6, ParseStatus::ok},       {"1.5e/01", 3, ParseStatus::ok},      {"1.5e,01", 3, ParseStatus::ok},
      {"1.5d-01", 7, ParseStatus::ok},
  };
  for (const auto& c : cases) {
    const Scanned got = scan(c.text);
    EXPECT_EQ(got.taken, c.taken) << '"' << c.text << '"';
    EXPECT_EQ(got.status, c.status) << '"' << c.text << '"';
    if (c.status != ParseStatus::ok) {
      EXPECT_EQ(got.value, kUnset) << '"' << c.text << "\" changed the value";
      continue;
    }
    const float expected = reference_strtof(std::string_view(c.text, static_cast<std::size_t>(c.taken)));
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got.value)) << '"' << c.text << '"';
    } else {
      EXPECT_EQ(bits_of(got.value), bits_of(expected)) << '"' << c.text << '"';
    }
  }
}

// Texts made of the pieces of the grammar in any order, mostly nonsense,
// against the C++ library's from_chars for where the number ends and the C
// library's strtof for its value. Neither takes a plus sign or a D exponent
// in the same way, so those are taken out of the text they see.
TEST(RealInput, RandomTextsAgreeWithLibraries) {
  const std::string_view pieces[] = {"0", "1",  "2",   "5",   "7", "9",  "00",       "12345678", "99999999999",
                                     ".", ".", "e",   "E",   "d", "D",  "+",        "-",        "x",
                                     " ", ",", "inf", "nan", "5", "3",  "infinity", "InFiNiTy", "1e-45",
                                     "8", "4", "6",   "1e3", "0", "38", "e-4"};
  std::mt19937 random(16);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    const int count = static_cast<int>(random() % 10);
    for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
    const Scanned got = scan(text);

    const std::optional<std::size_t> length = reference_real_length(text);
    if (!length) {
      ASSERT_EQ(got.status, ParseStatus::syntax) << '"' << text << '"';
      ASSERT_EQ(got.taken, 0) << '"' << text << '"';
      continue;
    }
    ASSERT_EQ(got.taken, static_cast<std::ptrdiff_t>(*length)) << '"' << text << '"';
    const std::string_view taken = std::string_view(text).substr(0, static_cast<std::size_t>(got.taken));
    const float expected = reference_strtof(taken);
    const bool word = taken.find_first_of("iInN") != std::string_view::npos;
    if (std::isinf(expected) && !word) {  // beyond the range of a real
      ASSERT_EQ(got.status, ParseStatus::out_of_range) << '"' << text << '"';
      continue;
    }
    ASSERT_EQ(got.status, ParseStatus::ok) << '"' << text << '"';
    if (std::isnan(expected)) {
      ASSERT_TRUE(std::isnan(got.value)) << '"' << text << '"';
    } else {
      ASSERT_EQ(bits_of(got.value), bits_of(expected)) << '"' << text << '"';
    }
  }
}

// Decimal texts of every shape against the C library's correctly rounded
// strtof: short and long digit strings, 19 and 20 digits, exponents, and
// texts at or next to the points halfway between two reals, where rounding
// through double precision would go wrong.
TEST(RealInput, AgreesWithCLibrary) {
  std::mt19937_64 random(1208);
  std::vector<std::string> texts;
  char buffer[128];
  for (int i = 0; i < 60000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    std::snprintf(buffer, sizeof buffer, "%.*g", static_cast<int>(1 + random() % 12), static_cast<double>(value));
    texts.emplace_back(buffer);
    // halfway between this real and the next one up, exactly and nearly
    const double midpoint = (static_cast<double>(value) + static_cast<double>(std::nextafter(value, kInf))) / 2;
    for (const int digits : {9, 17, 25, 60}) {
      std::snprintf(buffer, sizeof buffer, "%.*e", digits, midpoint);
      texts.emplace_back(buffer);
    }
    // 16-digit decimals around the midpoint: some are not the midpoint, yet
    // their nearest double is.
    std::snprintf(buffer, sizeof buffer, "%.15e", std::fabs(midpoint));
    const std::string near = buffer;
    const auto exponent = std::stoi(near.substr(near.find('e') + 1)) - 15;
    const long long digits16 = std::stoll(near.substr(0, 1) + near.substr(2, 15));
    for (long long step = -2; step <= 2; ++step) {
      std::string text = value < 0 ? "-" : "";
      text += std::to_string(digits16 + step);
      text += 'e';
      text += std::to_string(exponent);
      texts.push_back(text);
    }
    std::snprintf(buffer, sizeof buffer, "%llue%d", static_cast<unsigned long long>(random() % 10000000000000000000ull),
                  static_cast<int>(random() % 80) - 40);
    texts.emplace_back(buffer);
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(random() % 8), static_cast<double>(value) * 1e-30);
    texts.emplace_back(buffer);
    // exactly 19 and 20 digits, the point anywhere among them or left out
    for (const std::size_t length : {19u, 20u}) {
      const auto point = static_cast<std::size_t>(random() % (length + 2));  // past the end: none
      std::string text = random() % 2 ? "" : "-";
      for (std::size_t digit = 0; digit < length; ++digit) {
        if (digit == point) text += '.';
        text += static_cast<char>(digit == 0 ? '1' + random() % 9 : '0' + random() % 10);
      }
      texts.push_back(joined({text, "e", std::to_string(static_cast<int>(random() % 70) - 50)}));
    }
  }
  for (const std::string& text : texts) {
    errno = 0;
    const float expected = std::strtof(text.c_str(), nullptr);
    float value = 0.0f;
    const ParseStatus status = parse_real(text, 0, value);
    if (std::isinf(expected)) {
      EXPECT_EQ(status, ParseStatus::out_of_range) << text;
      continue;
    }
    ASSERT_EQ(status, ParseStatus::ok) << text;
    ASSERT_EQ(bits_of(value), bits_of(expected)) << text;
  }
}

// The long route keeps 120 significant digits and one more for whatever
// nonzero digits follow: that digit alone can decide a value exactly
// halfway between two reals.
TEST(RealInput, LongTextsAreReadExactly) {
  // 2^-150, halfway between zero and the least subnormal (105 digits)
  const std::string half_least =
      "7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-46";
  float value = kUnset;
  ASSERT_EQ(parse_real(half_least, 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0u);  // a tie: to the even one, zero
  const std::string mantissa = half_least.substr(0, half_least.find('e'));
  ASSERT_EQ(parse_real(joined({mantissa, std::string(40, '0'), "1e-46"}), 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 1u);  // above halfway, the digit 146th: the least subnormal
  ASSERT_EQ(parse_real(joined({"-", mantissa, std::string(3000, '0'), "1e-46"}), 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0x80000001u);

  // thousands of digits, whichever side of the point
  const std::vector<std::pair<std::string, float>> cases = {
      {joined({"0.", std::string(3000, '0'), "15e3001"}), 1.5f},
      {joined({"1", std::string(2000, '0'), "e-2000"}), 1.0f},
      {joined({std::string(3000, '9'), "e-3000"}), 1.0f},
      {joined({std::string(1500, '0'), "12.5", std::string(1500, '0')}), 12.5f},
      {joined({"0.", std::string(5000, '0'), "1"}), 0.0f},
      {joined({"+1", std::string(38, '0')}), 1e38f},
  };
  for (const auto& [text, expected] : cases) {
    ASSERT_EQ(parse_real(text, 0, value), ParseStatus::ok) << text.substr(0, 40);
    EXPECT_EQ(bits_of(value), bits_of(expected)) << text.substr(0, 40);
    EXPECT_EQ(bits_of(value), bits_of(reference_strtof(text))) << text.substr(0, 40);
  }
  EXPECT_EQ(parse_real(joined({"1", std::string(39, '0')}), 0, value), ParseStatus::out_of_range);
  EXPECT_EQ(parse_real(joined({"0.", std::string(3000, '0'), "1e3000"}), 0, value), ParseStatus::ok);
  EXPECT_EQ(value, 0.1f);
}

// Without a point, the last d digits of an Fw.d field are the fraction;
// with one, d is ignored. The long route and the short one alike.
TEST(RealInput, ImpliedDecimals) {
  expect_reals({
      {"1234", 3, 1.234f},
      {"-1234", 3, -1.234f},
      {"1234e2", 3, 123.4f},
      {"1234.", 3, 1234.0f},
      {"12345678901234567890123", 20, 123.45678901234567890123f},
      {"12345678901234567890123", 3, 12345678901234567890.123f},
      {"5", 128, 0.0f},
      {"10000000000000000000000000000000000000000", 40, 1.0f},
      {"3", 45, 2.80259693e-45f},
  });
}

// The quick route of a free-format read: for a record of one plain number
// and its line feed, the line feed's offset and the value; -1 when the route
// leaves the record to the byte-by-byte reader. The text stands in a buffer
// with readable bytes after it, as the input buffer keeps them.
struct PlainLine {
  std::ptrdiff_t line_feed;
  float value;
};
using LineScanner = const char* (*)(const char*, float&) noexcept;
PlainLine plain_line(std::string_view text, LineScanner scan_line = scan_plain_line) {
  std::string buffer(text);
  buffer.append(32, ' ');
  float value = kUnset;
  const char* const line_feed = scan_line(buffer.data(), value);
  if (line_feed == nullptr) {
    EXPECT_EQ(bits_of(value), bits_of(kUnset)) << text << ": a record left to the reader sets nothing";
    return {-1, value};
  }
  EXPECT_EQ(*line_feed, '\n') << text;
  return {line_feed - buffer.data(), value};
}

// Records of 100000 random reals of magnitude from `least` to `greatest`, as
// a program writes a spectrum with the C library (the formats in turn), read
// by `scan_line`: every record it takes ends at its line feed and holds the
// real that strtof reads.
struct RandomRecords {
  int considered = 0;
  int taken = 0;
};
RandomRecords read_random_records(std::uint64_t seed, float least, float greatest,
                                  std::initializer_list<const char*> formats, LineScanner scan_line) {
  std::mt19937_64 values(seed);
  RandomRecords records;
  char buffer[64];
  for (std::size_t i = 0; i < 100000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(values()));
    if (!std::isfinite(value) || std::fabs(value) < least || std::fabs(value) > greatest) continue;
    ++records.considered;
    std::snprintf(buffer, sizeof buffer, std::data(formats)[i % formats.size()], static_cast<double>(value));
    const PlainLine got = plain_line(buffer, scan_line);
    if (got.line_feed < 0) continue;
    ++records.taken;
    EXPECT_EQ(got.line_feed, static_cast<std::ptrdiff_t>(std::strlen(buffer) - 1)) << buffer;
    EXPECT_EQ(bits_of(got.value), bits_of(reference_strtof(buffer))) << buffer;
  }
  return records;
}

TEST(PlainLineInput, TakenFormsReadAsTheFullReader) {
  const char* taken[] = {
      "2.505847e-04\n", "740.330661\n", "-1.5\n",     "+1.5\n",    "1.\n",       ".5\n",
      "-.5\n",          "12345\n",      "1234567\n",  "0\n",       "0.0\n",      "-0.0\n",
      "1e-04\n",        "1.5E+03\n",    "1.5D-03\n",  "1.5d+03\n", "9.9e+22\n",  "1.e-22\n",
      "0.10000000149\n",
      "1234567.1234567\n",  // 14 digits, the second word full
      "1.2345678\n",        // the fraction going on past the first word
  };
  for (const char* text : taken) {
    const PlainLine got = plain_line(text);
    ASSERT_EQ(got.line_feed, static_cast<std::ptrdiff_t>(std::strlen(text) - 1)) << text;
    float expected = kUnset;
    ASSERT_EQ(parse_real(std::string_view(text, std::strlen(text) - 1), 0, expected), ParseStatus::ok) << text;
    EXPECT_EQ(bits_of(got.value), bits_of(expected)) << text;
  }
}

TEST(PlainLineInput, OtherFormsAreLeftToTheReader) {
  const char* left[] = {
      "740.330661 \n",       // a blank after the number
      "740.330661\r\n",      // a carriage return
      " 1.5\n",              // a blank before it
      "1.5,\n",              "1.5/\n",          "1.5 2.5\n",     "1.5x\n",        "1.2.3\n",
      "1e5\n",               // an exponent of one digit
      "1.5e-045\n",          // of three
      "1.5e+\n",             "1.5e\n",          "1.5e04\n",      // no sign
      "12345678\n",          // 8 digits before the point
      "12345678.5\n",        "1.23456789012345\n",  // 15 digits
      ".\n",                 "-\n",             "+\n",           "-.\n",          "\n",
      "inf\n",               "nan\n",           "-Infinity\n",   "abc\n",
      "1e-30\n",             // a power beyond the exact ones of double precision
      "1677721.7e+01\n",     // 2^24 + 1: the double falls halfway between two reals
  };
  for (const char* text : left) EXPECT_EQ(plain_line(text).line_feed, -1) << text;
}

// Texts made of pieces of every kind: whatever the quick route takes, it
// takes as the full reader does, to the same line feed and the same bits;
// and it takes the plain forms, so that it is not a route never used.
TEST(PlainLineInput, RandomTextsAgreeWithTheFullReader) {
  const std::string_view pieces[] = {"0", "1", "25", "7", "9", "123", "4567", "89012", "00", ".",  ".",
                                     "e", "E", "d",  "D", "+", "-",   "-0",   "+1",    "e-0", "e+1", "E-07",
                                     "D+22", "e-23", "x", " "};
  std::mt19937 random(2026);
  int taken = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    const int count = 1 + static_cast<int>(random() % 7);
    for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
    text += '\n';
    const PlainLine got = plain_line(text);
    if (got.line_feed < 0) continue;
    ++taken;
    const Scanned full = scan(text);
    ASSERT_EQ(full.status, ParseStatus::ok) << text;
    ASSERT_EQ(full.taken, got.line_feed) << text;
    ASSERT_EQ(bits_of(got.value), bits_of(full.value)) << text;
  }
  EXPECT_GT(taken, 20000);

  // The C library's forms of random reals, as a program writes a spectrum.
  const RandomRecords records = read_random_records(12, 1e-8f, 1e6f, {"%.6f\n", "%.6e\n"}, scan_plain_line);
  EXPECT_GT(records.taken, records.considered * 99 / 100) << "of " << records.considered;
}

// The quicker route for the C library's "%e" form (six digits after the
// point, a two-digit exponent): what it takes, it takes as the quick route
// does, to the same line feed and the same bits; every other form, and a
// value beyond the short conversion's reach, it leaves.
TEST(CExponentLineInput, TakesTheCLibrarysFormAsTheQuickRoute) {
  const char* taken[] = {
      "2.505847e-04\n", "-7.403307E+02\n", "+1.000000e+00\n", "0.000000e+00\n", "-0.000000e-00\n",
      "9.999999e+28\n",  // a power of ten of 22, the short route's greatest
      "1.000000e-16\n",  // of -22, its least
      "5.000001e-01\n", "1.677722e+07\n",
  };
  for (const char* text : taken) {
    const PlainLine got = plain_line(text, scan_c_exponent_line);
    const PlainLine quick = plain_line(text);
    ASSERT_EQ(got.line_feed, static_cast<std::ptrdiff_t>(std::strlen(text) - 1)) << text;
    EXPECT_EQ(got.line_feed, quick.line_feed) << text;
    EXPECT_EQ(bits_of(got.value), bits_of(quick.value)) << text;
    EXPECT_EQ(bits_of(got.value), bits_of(reference_strtof(text))) << text;
  }
  const char* left[] = {
      "2.50585e-04\n",     // five digits after the point
      "2.5058470e-04\n",   // seven
      "25.05847e-04\n",    // two before it
      "2.505847e-4\n",     // an exponent of one digit
      "2.505847e-004\n",   // of three
      "2.505847e04\n",     // no sign
      "2.505847d-04\n",    // a D exponent, for the quick route
      "2.505847e-04 \n",   "2.505847e-04\r\n", " 2.505847e-04\n", "2,505847e-04\n",
      "2.505847e-0x\n",    "2.5o5847e-04\n",   "2.505847x-04\n",   "2.505847e*04\n",
      "--2.505847e-04\n",  "2.505847e-04",       // no line feed: a blank after it
      "1.000000e-17\n",    // a power of ten of -23: beyond the short route
      "1.000000e+29\n",    // of 23
      "3.355445e+07\n",    // 33554450: the double falls halfway between two reals
  };
  for (const char* text : left) EXPECT_EQ(plain_line(text, scan_c_exponent_line).line_feed, -1) << text;
}

// Every byte of a record of the form replaced in turn by bytes of every
// kind: whatever the route then takes, it takes as the quick route does;
// and the C library's forms of random reals are taken, as the full reader
// reads them.
TEST(CExponentLineInput, DisturbedAndRandomRecordsAgreeWithTheQuickRoute) {
  const std::string_view replacements = "0123456789.eEdD+- \n\r,/x";
  const std::string_view records[] = {"2.505847e-04\n", "-9.000001E+13\n", "+1.234567e+00\n"};
  int taken = 0;
  for (const std::string_view record : records) {
    for (std::size_t at = 0; at < record.size(); ++at) {
      for (const char replacement : replacements) {
        std::string text(record);
        text[at] = replacement;
        const PlainLine got = plain_line(text, scan_c_exponent_line);
        if (got.line_feed < 0) continue;
        ++taken;
        const PlainLine quick = plain_line(text);
        ASSERT_EQ(got.line_feed, quick.line_feed) << text;
        ASSERT_EQ(bits_of(got.value), bits_of(quick.value)) << text;
      }
    }
  }
  EXPECT_GT(taken, 150);  // the digits replaced by digits, the letter's case, the signs

  const RandomRecords random =
      read_random_records(2026, 1e-15f, 1e28f, {"%E\n", "%e\n", "%e\n"}, scan_c_exponent_line);
  EXPECT_GT(random.taken, random.considered * 99 / 100) << "of " << random.considered;
}

// The same form two records at a time: a pair is taken when each of its
// records is taken one at a time and neither has a sign, with the values
// the single route gives and the second record's line feed; otherwise
// nothing is stored. Every pair of the records above (those taken, those
// left, and each with a byte replaced), then pairs of random reals as the
// full reader reads them.
struct PairLines {
  std::ptrdiff_t line_feed;  // of the second record; -1 when the pair is left
  float first;
  float second;
};
PairLines pair_lines(std::string_view first, std::string_view second) {
  std::string buffer(first);
  buffer += second;
  buffer.append(32, ' ');
  float values[3] = {kUnset, kUnset, kUnset};
  const char* const line_feed = scan_c_exponent_pair(buffer.data(), values);
  EXPECT_EQ(bits_of(values[2]), bits_of(kUnset)) << first << second << ": a third value stored";
  if (line_feed == nullptr) {
    EXPECT_EQ(bits_of(values[0]), bits_of(kUnset)) << first << second << ": a pair left sets nothing";
    EXPECT_EQ(bits_of(values[1]), bits_of(kUnset)) << first << second << ": a pair left sets nothing";
    return {-1, values[0], values[1]};
  }
  EXPECT_EQ(*line_feed, '\n') << first << second;
  return {line_feed - buffer.data(), values[0], values[1]};
}

TEST(CExponentPairInput, TakesTwoRecordsAsTheSingleRouteDoes) {
  std::vector<std::string> records = {"2.505847e-04\n", "-7.403307E+02\n", "+1.000000e+00\n",  "0.000000e+00\n",
                                      "9.999999e+28\n", "1.000000e-16\n",  "5.000001e-01\n",   "1.677722e+07\n",
                                      "2.50585e-04\n",  "2.5058470e-04\n", "25.05847e-04\n",   "2.505847e-4\n",
                                      "2.505847e04\n",  "2.505847e-04 \n", "2.505847e-04\r\n", "1.000000e-17\n",
                                      "1.000000e+29\n", "3.355445e+07\n",  "7.000000E-05\n"};
  const std::string_view replacements = "0.eE+- \n-x";
  for (const std::string_view record : {"2.505847e-04\n", "9.000001E+13\n"}) {
    for (std::size_t at = 0; at < record.size(); ++at) {
      for (const char replacement : replacements) {
        std::string text(record);
        text[at] = replacement;
        records.push_back(text);
      }
    }
  }
  int taken = 0;
  for (const std::string& first : records) {
    const PlainLine first_alone = plain_line(first, scan_c_exponent_line);
    for (const std::string& second : records) {
      const PlainLine second_alone = plain_line(second, scan_c_exponent_line);
      const bool unsigned_pair = first.size() == 13 && second.size() == 13;
      const bool expected = first_alone.line_feed == 12 && second_alone.line_feed == 12 && unsigned_pair;
      const PairLines got = pair_lines(first, second);
      ASSERT_EQ(got.line_feed >= 0, expected) << first << second;
      if (!expected) continue;
      ++taken;
      ASSERT_EQ(got.line_feed, 25) << first << second;
      ASSERT_EQ(bits_of(got.first), bits_of(first_alone.value)) << first << second;
      ASSERT_EQ(bits_of(got.second), bits_of(second_alone.value)) << first << second;
    }
  }
  EXPECT_GT(taken, 1400);

  std::mt19937_64 random(2027);
  char first[32];
  char second[32];
  int considered = 0;
  taken = 0;
  while (considered < 50000) {
    const auto value = [&random] { return std::fabs(std::bit_cast<float>(static_cast<std::uint32_t>(random()))); };
    const float a = value();
    const float b = value();
    if (!(a >= 1e-15f && a <= 1e28f && b >= 1e-15f && b <= 1e28f)) continue;
    ++considered;
    std::snprintf(first, sizeof first, considered % 2 == 0 ? "%e\n" : "%E\n", static_cast<double>(a));
    std::snprintf(second, sizeof second, "%e\n", static_cast<double>(b));
    const PairLines got = pair_lines(first, second);
    if (got.line_feed < 0) continue;
    ++taken;
    ASSERT_EQ(got.line_feed, 25) << first << second;
    ASSERT_EQ(bits_of(got.first), bits_of(reference_strtof(first))) << first;
    ASSERT_EQ(bits_of(got.second), bits_of(reference_strtof(second))) << second;
  }
  EXPECT_GT(taken, considered * 96 / 100) << "of " << considered;
}

TEST(IntegerInput, Forms) {
  const std::pair<const char*, std::int32_t> accepted[] = {
      {"0", 0}, {"7", 7}, {"+7", 7}, {"-12", -12}, {"0042", 42}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"-0", 0}, {"00000000000000000000012", 12}, {"0000000000000000000000000000012345", 12345},
      {"-00000000002147483648", INT32_MIN}, {"12345678", 12345678}, {"-123456789", -123456789},
  };
  for (const auto& [text, expected] : accepted) {
    std::int32_t value = -1;
    EXPECT_EQ(parse_integer(text, value), ParseStatus::ok) << text;
    EXPECT_EQ(value, expected) << text;
  }
  const std::pair<const char*, ParseStatus> rejected[] = {
      {"", ParseStatus::syntax},           {"-", ParseStatus::syntax},
      {"12.5", ParseStatus::syntax},       {"1e3", ParseStatus::syntax},
      {"abc", ParseStatus::syntax},        {"2147483648", ParseStatus::out_of_range},
      {"-2147483649", ParseStatus::out_of_range}, {"99999999999999999999999", ParseStatus::out_of_range},
      {"99999999999999999999999x", ParseStatus::syntax}, {"+-1", ParseStatus::syntax},
      {"4294967296", ParseStatus::out_of_range},  {"18446744073709551617", ParseStatus::out_of_range},
      {"000000000000000000004294967297", ParseStatus::out_of_range},
  };
  for (const auto& [text, status] : rejected) {
    std::int32_t value = -1;
    EXPECT_EQ(parse_integer(text, value), status) << text;
    EXPECT_EQ(value, -1) << text << " changed the value";
  }
}

TEST(IntegerInput, ScanEnds) {
  struct Case {
    const char* text;
    std::ptrdiff_t taken;
    ParseStatus status;
    std::int32_t value;
  };
  const Case cases[] = {
      {"-12,", 3, ParseStatus::ok, -12},        {"12.5", 2, ParseStatus::ok, 12},
      {"+", 0, ParseStatus::syntax, -1},        {"x1", 0, ParseStatus::syntax, -1},
      {"4294967296 1", 10, ParseStatus::out_of_range, -1},  {"-2147483648/", 11, ParseStatus::ok, INT32_MIN},
      {"12345678x", 8, ParseStatus::ok, 12345678},       {"1234567,8", 7, ParseStatus::ok, 1234567},
      {"-x2345678", 0, ParseStatus::syntax, -1},
  };
  for (const auto& c : cases) {
    const std::string_view text = c.text;
    std::int32_t value = -1;
    const NumberScan got = scan_integer(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(got.end - text.data(), c.taken) << text;
    EXPECT_EQ(got.status, c.status) << text;
    EXPECT_EQ(value, c.value) << text;
  }
}

// The messages of both readers, word for word.
TEST(ConversionError, Messages) {
  EXPECT_EQ(conversion_error(ParseStatus::syntax, NumberKind::real, "1x.5"), "cannot read \"1x.5\" as a number");
  EXPECT_EQ(conversion_error(ParseStatus::syntax, NumberKind::integer, "12.5"), "cannot read \"12.5\" as an integer");
  EXPECT_EQ(conversion_error(ParseStatus::out_of_range, NumberKind::integer, "3000000000"),
            "integer \"3000000000\" is out of range (allowed: -2147483648 to 2147483647)");
  EXPECT_EQ(conversion_error(ParseStatus::out_of_range, NumberKind::real, "1e50"),
            "number \"1e50\" is beyond the range of a real");
  EXPECT_EQ(conversion_error(ParseStatus::syntax, NumberKind::real, "1\t2"), "cannot read \"1\\x092\" as a number");
}

// A conversion is no arithmetic of the program: whatever its own arithmetic
// raises on the way (the denormal flag when the C++ library widens a
// subnormal), no flag but inexact stays raised.
TEST(FloatFlags, ConversionsLeaveNoFlagRaised) {
  clear_float_exceptions();
  float value = 0.0f;
  for (const char* text : {"1e-40", "1e-45", "1e-50", "-1e-39", "3.4028236e38", "1e39", "1e-46",
                           "1.17549421e-38", "123456789012345678901234567890e-70"})
    parse_real(text, 0, value);
  EXPECT_EQ(raised_float_exceptions(), "");
  for (const float subnormal : {std::numeric_limits<float>::denorm_min(), 1e-40f, -1e-39f}) {
    free_real(subnormal);
    fixed(subnormal, 8, 3);
    fixed(subnormal, 60, 50);
    fixed(subnormal, 100, 90);  // more decimals than the tables: the C++ library's conversion
  }
  fixed(std::numeric_limits<float>::max(), 45, 3);
  free_real(std::numeric_limits<float>::max());
  EXPECT_EQ(raised_float_exceptions(), "");
}

// ---------------------------------------------------------------------------
// Faults fixed so far, each named after what broke.
// ---------------------------------------------------------------------------

// With nine digits before the point, the digits after it were shifted by 64
// bits, which C++ leaves undefined; on x86-64 the shift did nothing and the
// stray digits fell where blanks overwrite them, so only the sanitizer build
// saw it.
TEST(Regression, NineDigitsBeforeThePoint) {
  EXPECT_EQ(free_real(123456792.0f), "  123456792.    ");
  EXPECT_EQ(free_real(-999999936.0f), " -999999936.    ");
  EXPECT_EQ(free_real(100000000.0f), "  100000000.    ");
}

// The estimate of the decimal exponent is one short just above a power of
// ten and at 0.1: the digits must be scaled again, one power less.
TEST(Regression, ExponentEstimateOneShort) {
  EXPECT_EQ(free_real(10.0f), "  10.0000000    ");
  EXPECT_EQ(free_real(1000.0f), "  1000.00000    ");
  EXPECT_EQ(free_real(0.1f), " 0.100000001    ");
  EXPECT_EQ(free_real(0.001f), "  1.00000005E-03");
  EXPECT_EQ(free_real(1.0e9f), "  1.00000000E+09");
  EXPECT_EQ(free_real(10.5468006f), "  10.5468006    ");
  EXPECT_EQ(free_real(1.00893489e-43f), "  1.00893489E-43");  // a subnormal
}

// Output rounds the real's exact binary value, not the decimal text it was
// written from: 10.025f is 10.02499961853..., 2.675f is 2.67499995231...
TEST(Regression, ExactBinaryValueDecides) {
  expect_fixed({
      {10.025f, 5, 2, "10.02"},
      {2.675f, 4, 2, "2.67"},
      {10.045f, 5, 2, "10.05"},  // 10.04500007629...
      {0.125f, 4, 2, "0.12"},    // exactly halfway: to even
  });
}

// The lone zero before the point goes only when nothing else makes the value
// fit, and never when the value rounds up to 1.
TEST(Regression, LoneLeadingZero) {
  expect_fixed({
      {-0.5f, 3, 1, "-.5"},
      {0.5f, 2, 1, ".5"},
      {-0.04f, 3, 1, "-.0"},
      {0.96f, 3, 1, "1.0"},
      {-0.96f, 3, 1, "***"},
      {0.5f, 3, 1, "0.5"},
  });
}

// A decimal of 16 digits right next to a point halfway between two reals
// can have that point as its nearest double: rounded twice, through the
// double, it would go to the even real. (Found by search; the C library's
// strtof agrees.)
TEST(Regression, DoubleRoundingNextToHalfway) {
  float value = kUnset;
  ASSERT_EQ(parse_real("1.000000536441803", 0, value), ParseStatus::ok);  // just above 1 + 9 * 2^-24
  EXPECT_EQ(bits_of(value), 0x3f800005u);
  ASSERT_EQ(parse_real("1.000004231929779", 0, value), ParseStatus::ok);  // just below 1 + 71 * 2^-24
  EXPECT_EQ(bits_of(value), 0x3f800023u);
  // and on the long route, above, below and on 1 + 2^-24
  ASSERT_EQ(parse_real("1.00000005960464478", 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0x3f800001u);
  ASSERT_EQ(parse_real("1.0000000596046447", 0, value), ParseStatus::ok);
  EXPECT_EQ(bits_of(value), 0x3f800000u);
  ASSERT_EQ(parse_real("1.000000059604644775390625", 0, value), ParseStatus::ok);  // to even
  EXPECT_EQ(bits_of(value), 0x3f800000u);
}

// A real written in free format reads back as the same real.
TEST(NumberRoundTrip, FreeFormatRealReadsBackExactly) {
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isnan(value)) continue;
    float back = 0.0f;
    const std::string text = free_real(value);
    const auto first = text.find_first_not_of(' ');
    const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    ASSERT_EQ(parse_real(trimmed, 0, back), ParseStatus::ok) << trimmed;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value)) << trimmed;
  }
}

}  // namespace
}  // namespace record_io::detail
