// SPDX-License-Identifier: MIT
// Layout strings: notation, expansion of repeat counts and groups, and the
// reasons given for malformed ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "codec.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::Descriptor;
using detail::LayoutData;

// The descriptors written back in a compact notation: "A4 X8 F6.3".
std::string spelled(const Layout& layout) {
  std::string text;
  for (const Descriptor& d : LayoutData::of(layout).descriptors()) {
    if (!text.empty()) text += ' ';
    static constexpr char kLetters[] = {'A', 'I', 'F', 'X'};
    text += kLetters[static_cast<int>(d.kind)];
    text += std::to_string(d.width);
    if (d.kind == Descriptor::Kind::real) {
      text += '.';
      text += std::to_string(d.decimals);
    }
  }
  return text;
}

TEST(Layout, Expansion) {
  const std::pair<const char*, const char*> cases[] = {
      {"(A4)", "A4"},
      {"(A4,A1,A1,A1,I1,1x,5A2,F5.2)", "A4 A1 A1 A1 I1 X1 A2 A2 A2 A2 A2 F5.2"},
      {"(8(F8.3,1x),6(I4,1x))",
       "F8.3 X1 F8.3 X1 F8.3 X1 F8.3 X1 F8.3 X1 F8.3 X1 F8.3 X1 F8.3 X1 I4 X1 I4 X1 I4 X1 I4 X1 I4 X1 I4 X1"},
      {"(2(A1,2(I2)))", "A1 I2 I2 A1 I2 I2"},
      {"(3I4)", "I4 I4 I4"},
      {"(F8.0)", "F8.0"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(spelled(Layout(text)), expected) << text;
}

// Blanks carry no meaning and case does not matter.
TEST(Layout, BlanksAndCase) {
  EXPECT_EQ(spelled(Layout("(A8,1x,A5,1x,A3,    1x,A4)")), "A8 X1 A5 X1 A3 X1 A4");
  EXPECT_EQ(spelled(Layout(" ( a 4 , 1 X , f 6 . 3 ) ")), "A4 X1 F6.3");
  EXPECT_EQ(spelled(Layout("(A4,8x,A2,1x,F6.3,                   10x,A1,1x,A1,9X,I1,1X,A1)")),
            "A4 X8 A2 X1 F6.3 X10 A1 X1 A1 X9 I1 X1 A1");
  const Layout layout("(8(F8.3,1x),6(I4,1x))");
  EXPECT_EQ(LayoutData::of(layout).fields().size(), 14u);
  EXPECT_EQ(layout.text(), "(8(F8.3,1x),6(I4,1x))");
}

// The column, counted from 0, at which each data field starts: every field
// and every X field before it moves it on by its width, X fields in a row
// and in groups included.
TEST(Layout, FieldColumns) {
  const std::pair<const char*, std::vector<std::uint32_t>> cases[] = {
      {"(A4,8x,F6.3)", {0, 12}},
      {"(A3,10X,10X,A3)", {0, 23}},
      {"(A3,2(9X),A3)", {0, 21}},
      {"(2X,3X,I2,1X,1X,1X,A1)", {5, 10}},
      {"(2(A1,2X),A2)", {0, 3, 6}},
      {"(A2,2(1X,2(2X)),F5.1)", {0, 12}},
  };
  for (const auto& [text, columns] : cases) {
    const Layout layout(text);
    std::vector<std::uint32_t> found;
    for (const detail::Field& field : LayoutData::of(layout).fields()) found.push_back(field.column);
    EXPECT_EQ(found, columns) << text;
  }
}

TEST(Layout, MalformedStringsSayWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "position 1: expected '(' but found the end"},
      {"A4", "position 1: expected '(' but found 'A'"},
      {"(A4", "position 4: expected ')' but found the end"},
      {"(A4))", "position 5: text after the closing parenthesis"},
      {"()", "position 2: expected a field (A, I, F, X or a group) but found ')'"},
      {"(A4,)", "position 5: expected a field (A, I, F, X or a group) but found ')'"},
      {"(A0)", "position 4: a field width must be at least 1"},
      {"(A)", "position 3: expected a field width"},
      {"(X)", "position 2: X needs a count of columns, as in 1X"},
      {"(F8)", "position 4: expected '.' but found ')'"},
      {"(F3.4)", "position 6: the number of decimals (4) is larger than the field width (3)"},
      {"(I129)", "position 5: a field width is larger than 128"},
      {"(E8.3)", "position 2: expected a field (A, I, F, X or a group) but found 'E'"},
      {"('text')", "position 2: expected a field (A, I, F, X or a group) but found '''"},
      {"(A4 8X)", "position 6: expected ')' but found 'X'"},
      {"(0A4)", "position 3: a repeat count must be at least 1"},
      {"(65535(65535(A1)))", "position 17: more than 4096 fields after expanding repeat counts"},
      {"(64(A65535))", "position 12: more than 1048576 columns in all"},
      {"(1(1(1(1(1(1(1(1(A1)))))))))", "position 18: groups nested more than 8 deep"},
  };
  for (const auto& [text, expected] : cases) {
    std::string why;
    EXPECT_FALSE(LayoutData::parse(text, &why).has_value()) << text;
    EXPECT_EQ(why, expected) << text;
  }
}

// The columns of a layout count once, however its fields are grouped.
TEST(Layout, ColumnLimitAtItsEdge) {
  const std::pair<const char*, bool> cases[] = {
      {"(16(A65535))", true},     // 1,048,560 columns
      {"(16A65535,16X)", true},   // exactly 1,048,576
      {"(16A65535,17X)", false},  // one more
      {"(2(8(A65535)),16X)", true},
      {"(2(8(A65535),8X),1X)", false},
  };
  for (const auto& [text, accepted] : cases) {
    std::string why;
    EXPECT_EQ(LayoutData::parse(text, &why).has_value(), accepted) << text << ": " << why;
    if (!accepted) {
      EXPECT_NE(why.find("more than 1048576 columns in all"), std::string::npos) << why;
    }
  }
  EXPECT_EQ(LayoutData::of(*LayoutData::parse("(16(A65535))")).record_width(), 16u * 65535u);
}

TEST(Layout, LimitsAreInclusive) {
  EXPECT_TRUE(LayoutData::parse("(I128,F128.128,A65535,65535X)").has_value());
  EXPECT_TRUE(LayoutData::parse("(4096A1)").has_value());
  EXPECT_FALSE(LayoutData::parse("(4097A1)").has_value());
  EXPECT_TRUE(LayoutData::parse("(1(1(1(1(1(1(1(A1))))))))").has_value());
}

}  // namespace
}  // namespace record_io
