// Number conversions: exact strings for the rules that can go wrong, and a
// broad sample checked against the C library's route.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <vector>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "numbers.hpp"
#include "reference_format.hpp"

namespace record_io::detail {
namespace {

using toolkit_test::reference_fixed;
using toolkit_test::reference_free_real;

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

struct RealInputCase {
  const char* text;
  std::size_t implied_decimals;
  float expected;
};

TEST(RealInput, Forms) {
  const RealInputCase cases[] = {
      {"12.5", 0, 12.5f},      {"-3.25", 0, -3.25f},    {"+7", 0, 7.0f},        {".5", 0, 0.5f},
      {"-.5", 0, -0.5f},       {"5.", 0, 5.0f},         {"1e5", 0, 1.0e5f},     {"1E+5", 0, 1.0e5f},
      {"1.5D-3", 0, 1.5e-3f},  {"2d2", 0, 200.0f},      {"0.1", 0, 0.1f},       {"10.025", 0, 10.025f},
      {"1234", 3, 1.234f},     {"12.345", 3, 12.345f},  {"12.5", 3, 12.5f},     {"5", 3, 0.005f},
      {"-1234", 2, -12.34f},   {"12E2", 1, 120.0f},     {"+1234", 3, 1.234f},   {"0", 3, 0.0f},
      {"1e-50", 0, 0.0f},      {"3.4028235e38", 0, std::numeric_limits<float>::max()},
      {"1e-40", 0, 9.99994610e-41f},
  };
  for (const auto& c : cases) {
    float value = -99.0f;
    EXPECT_EQ(parse_real(c.text, c.implied_decimals, value), ParseStatus::ok) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
}

TEST(RealInput, SignedZeroAndSpecialWords) {
  float value = 1.0f;
  ASSERT_EQ(parse_real("-1e-60", 0, value), ParseStatus::ok);
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
      {"1e50", ParseStatus::out_of_range}, {"-3.5e38", ParseStatus::out_of_range},
      {"99999999999999999999999999999999999999999", ParseStatus::out_of_range},
  };
  for (const auto& [text, status] : cases) {
    float value = 0.0f;
    EXPECT_EQ(parse_real(text, 0, value), status) << '"' << text << '"';
  }
}

TEST(IntegerInput, Forms) {
  const std::pair<const char*, std::int32_t> accepted[] = {
      {"0", 0}, {"7", 7}, {"+7", 7}, {"-12", -12}, {"0042", 42}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
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
  };
  for (const auto& [text, status] : rejected) {
    std::int32_t value = 0;
    EXPECT_EQ(parse_integer(text, value), status) << text;
  }
}

// Decimal texts of every shape against the C library's correctly rounded
// strtof: short and long digit strings, exponents, and texts at or next to
// the points halfway between two reals, where rounding through double
// precision would go wrong.
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
    ASSERT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(expected)) << text;
  }
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
