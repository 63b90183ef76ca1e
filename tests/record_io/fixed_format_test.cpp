// SPDX-License-Identifier: MIT
// Fixed-column records: the fields of a layout read from and written into
// the columns of one record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "codec.hpp"
#include "program_run.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::decode_fixed;
using detail::encode_fixed;
using detail::FieldError;
using detail::LayoutData;

std::string encoded(const char* layout, std::initializer_list<OutItem> items) {
  std::string out;
  encode_fixed(out, Layout(layout), items);
  return out;
}

TEST(FixedInput, ImpliedDecimalsAndBlanks) {
  const Layout layout("(F6.3)");
  const std::pair<const char*, float> cases[] = {
      {"  1234", 1.234f},     // no point: the last three digits are the fraction
      {"12.345", 12.345f},    // a point overrides the implied decimals
      {"  12.5", 12.5f},
      {"      ", 0.0f},       // all blank
      {"", 0.0f},             // beyond the end of the record
      {"1 2 34", 1.234f},     // blanks anywhere are ignored
      {" -1234", -1.234f},
      {"1.5E2 ", 150.0f},
      {"15D1  ", 0.15f},      // implied decimals, then the exponent: 0.015 * 10^1
      {"  -.5 ", -0.5f},
      {"10.025", 10.025f},
  };
  for (const auto& [record, expected] : cases) {
    float value = -99.0f;
    EXPECT_FALSE(decode_fixed(record, layout, std::vector<InItem>{value})) << record;
    EXPECT_EQ(value, expected) << '"' << record << '"';
  }
}

TEST(FixedInput, Integers) {
  const Layout layout("(I4)");
  const std::pair<const char*, std::int32_t> cases[] = {
      {"  42", 42}, {"-  7", -7}, {"    ", 0}, {"", 0}, {"4 2 ", 42}, {"+3", 3}, {"0007", 7},
  };
  for (const auto& [record, expected] : cases) {
    std::int32_t value = -99;
    EXPECT_FALSE(decode_fixed(record, layout, std::vector<InItem>{value})) << record;
    EXPECT_EQ(value, expected) << '"' << record << '"';
  }
}

TEST(FixedInput, BadDataNamesColumnsAndText) {
  struct Case {
    const char* layout;
    const char* record;
    std::size_t first, last;
    const char* message;
  };
  const Case cases[] = {
      {"(4X,F6.3)", "ABCD 1x.5 ", 5, 10, "cannot read \"1x.5\" as a number"},
      {"(I1)", "U", 1, 1, "cannot read \"U\" as an integer"},
      {"(I4)", "12.5", 1, 4, "cannot read \"12.5\" as an integer"},
      {"(I12)", " 99999999999", 1, 12, "integer \"99999999999\" is out of range (allowed: -2147483648 to 2147483647)"},
      {"(F8.1)", "  1.0e50", 1, 8, "number \"1.0e50\" is beyond the range of a real"},
      {"(F4.1)", "\t1.5", 1, 4, "cannot read \"\\x091.5\" as a number"},
      {"(F4.1)", "- ", 1, 4, "cannot read \"-\" as a number"},
  };
  for (const auto& c : cases) {
    const Layout layout(c.layout);
    float real = 0.0f;
    std::int32_t integer = 0;
    const bool wants_integer = LayoutData::of(layout).fields().back().kind == ItemKind::integer;
    const std::vector<InItem> items{wants_integer ? InItem(integer) : InItem(real)};
    const std::optional<FieldError> error = decode_fixed(c.record, layout, items);
    ASSERT_TRUE(error) << c.record;
    EXPECT_EQ(error->first_column, c.first) << c.record;
    EXPECT_EQ(error->last_column, c.last) << c.record;
    EXPECT_EQ(error->message, c.message) << c.record;
  }
}

// An into an item of length L: the last L of the n columns, or the n columns
// and blanks.
TEST(FixedInput, CharacterFields) {
  Text<4> four{};
  Text<20> twenty{};
  Text<2> two{};
  EXPECT_FALSE(decode_fixed("ABCDEFGH", Layout("(A4,A3,A1)"), std::vector<InItem>{four, two}));
  EXPECT_EQ(std::string(four.data(), 4), "ABCD");
  EXPECT_EQ(std::string(two.data(), 2), "FG");  // A3 into length 2: the last two columns
  EXPECT_FALSE(decode_fixed("NNNNNNNNOOOOO", Layout("(A8,A5)"), std::vector<InItem>{twenty}));
  EXPECT_EQ(std::string(twenty.data(), 20), "NNNNNNNN            ");
  EXPECT_FALSE(decode_fixed("AB", Layout("(A4)"), std::vector<InItem>{four}));
  EXPECT_EQ(std::string(four.data(), 4), "AB  ");  // beyond the record: blanks
  EXPECT_FALSE(decode_fixed(std::string_view("\0\xe9\xff\n", 4), Layout("(A4)"), std::vector<InItem>{four}));
  EXPECT_EQ(std::string(four.data(), 4), std::string("\0\xe9\xff\n", 4));  // bytes pass untouched
}

// The pick line: every field lands in its columns, and a short record reads
// as blanks.
TEST(FixedInput, PickLineLayout) {
  const Layout layout("(A4,8x,A2,1x,A2,1x,A2,1x,A2,1x,A2,1x,F6.3,                   10x,A1,1x,A1,9X,I1,1X,A1)");
  Text<4> station{};
  Text<2> g[5]{};
  float seconds = 0;
  Text<1> onset{}, phase{}, motion{};
  std::int32_t weight = -1;
  const std::string record = "ABCD        26 12 08 15 07 10.025          i P         1 U";
  ASSERT_EQ(record.size(), 58u);
  EXPECT_FALSE(decode_fixed(record, layout,
                            std::vector<InItem>{station, g[0], g[1], g[2], g[3], g[4], seconds, onset, phase, weight,
                                                motion}));
  EXPECT_EQ(std::string(station.data(), 4), "ABCD");
  EXPECT_EQ(std::string(g[4].data(), 2), "07");
  EXPECT_EQ(seconds, 10.025f);
  EXPECT_EQ(onset[0], 'i');
  EXPECT_EQ(phase[0], 'P');
  EXPECT_EQ(weight, 1);
  EXPECT_EQ(motion[0], 'U');

  EXPECT_FALSE(decode_fixed("EFGH", layout,
                            std::vector<InItem>{station, g[0], g[1], g[2], g[3], g[4], seconds, onset, phase, weight,
                                                motion}));
  EXPECT_EQ(std::string(g[0].data(), 2), "  ");
  EXPECT_EQ(seconds, 0.0f);
  EXPECT_EQ(phase[0], ' ');
  EXPECT_EQ(weight, 0);
}

// Items that run out stop the read at the next data field: the second
// field is not converted, so what it holds cannot fail the read.
TEST(FixedInput, FewerItemsThanFields) {
  float a = 0;
  EXPECT_FALSE(decode_fixed(" 1.5 xx", Layout("(F4.1,1X,F2.0)"), std::vector<InItem>{a}));
  EXPECT_EQ(a, 1.5f);
  EXPECT_TRUE(decode_fixed(" 1.5 xx", Layout("(F4.1,1X,F2.0)"), std::vector<InItem>{a, a}));
}

TEST(FixedOutput, Records) {
  const std::pair<std::string, std::string> cases[] = {
      // the blank after the last field is not written
      {encoded("(8(F8.3,1x),6(I4,1x))", {12.5f, 0.236f, -3.5f, 0.118f, 9.0f, 0.471f, 100.0f, 0.471f, 1, 2, 3, 4, 5, 6}),
       "  12.500    0.236   -3.500    0.118    9.000    0.471  100.000    0.471    1    2    3    4    5    6"},
      {encoded("(A4,A1,A1,A1,I1,1x,5A2,F5.2)", {"ABCD", "i", "P", "U", 1, "26", "12", "08", "15", "07", 10.025f}),
       "ABCDiPU1 261208150710.02"},
      {encoded("(A4,A1,A1,A1,I1,1x,5A2,F5.2,7X,F5.2,A1,A1,A1,I1)",
               {"ABCD", "i", "P", "+", 1, "26", "12", "08", "15", "07", 10.025f, 15.5f, "e", "S", " ", 2}),
       "ABCDiP+1 261208150710.02       15.50eS 2"},
      {encoded("(A19)", {"                 10"}), "                 10"},
      // more columns than characters: blanks first; fewer: the first ones
      {encoded("(A6,A2)", {"ABC", "WXYZ"}), "   ABCWX"},
      // X fields before the next data field are written; trailing ones are not
      {encoded("(2X,A1,3X)", {"Z"}), "  Z"},
      {encoded("(A1,1X,A1,1X,A1)", {"A", "B"}), "A B"},
      {encoded("(I2,F3.1)", {123, 12.5f}), "*****"},
      // trailing blanks inside a field belong to it
      {encoded("(A5,1x,A5)", {"N", "Z    "}), "    N Z    "},
  };
  for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

TEST(FixedOutput, StationLine) {
  const std::string line = encoded("(A4,A11,I2,F8.4,1X,I3,F8.4,1X,I4,A43)",
                                   {"ABCD", "  IS  VNE  ", 40, 25.3f, 3, 42.15f, 655,
                                    "0.0     0.00  0.00  0.00  0.00 0  1.00--SHE"});
  EXPECT_EQ(line, "ABCD  IS  VNE  40 25.3000   3 42.1500  6550.0     0.00  0.00  0.00  0.00 0  1.00--SHE");
  EXPECT_EQ(line.size(), 85u);
}

// A row of texts of one length (the columns of a table line) reads and
// writes exactly as the same texts named one by one, from one layout to
// another, for records shorter and longer than the fields.
TEST(FixedTextRows, SameAsItemByItem) {
  const char* const layouts[] = {
      "(A8,A5,A6,A3,A6,A4,A6,A7,A7,A3,A4,A5,A5)",
      "(A8,1x,A5,1x,A6,1x,A3,1x,A6,1x,A4,1x,A6,1x,A7,1x,A7,1x,A3,1x,A4,1x,A5,1x,A5)",
      "(20X,A3,17X,A16,A1)",  // blank runs wider than 16 columns
      "(A17,A2)",             // a field wider than 16 columns
      "(3X,A16,A16,2X)",
      "(A3,10X,10X,A3)",      // runs of X fields in a row
      "(A3,2(9X),A3)",
      "(A4,I3,A2)",           // one text before a number: rows of one item
  };
  const std::size_t item_lengths[] = {1, 5, 15, 16, 20, 32, 33};
  std::string long_line;
  for (int i = 0; i < 120; ++i) long_line += static_cast<char>(i % 2 == 0 ? 'a' + i % 26 : 0x80 + i);
  const std::string records[] = {"", "short", long_line.substr(0, 69), long_line.substr(0, 70), long_line};

  for (const char* source_text : layouts) {
    const Layout source(source_text);
    for (const char* target_text : layouts) {
      const Layout target(target_text);
      const std::size_t most = std::min(LayoutData::of(source).leading_text_fields(),
                                        LayoutData::of(target).leading_text_fields());
      for (std::size_t count = 1; count <= most; ++count) {
        for (const std::size_t length : item_lengths) {
          for (const std::string& record : records) {
            SCOPED_TRACE(std::string(source_text) + " to " + target_text + ", items " + std::to_string(count) +
                         " of " + std::to_string(length) + ", record of " + std::to_string(record.size()));
            std::vector<char> by_item(count * length, '#');
            std::vector<InItem> in_items;
            std::vector<OutItem> out_items;
            for (std::size_t i = 0; i < count; ++i) {
              in_items.emplace_back(std::span<char>(&by_item[i * length], length));
              out_items.emplace_back(std::string_view(&by_item[i * length], length));
            }
            ASSERT_FALSE(decode_fixed(record, source, in_items));
            std::string expected;
            encode_fixed(expected, target, out_items);

            std::vector<char> row(count * length, '#');
            detail::decode_text_row(record, source, length, count, row.data());
            EXPECT_EQ(row, by_item);
            EXPECT_EQ(detail::encode_text_row(source, record, target, length, count), expected);
          }
        }
      }
    }
  }
}

// The row read from a file and written to one, as colspace moves its lines.
TEST(FixedTextRows, FromFileToFile) {
  toolkit_test::WorkDir dir;
  const Layout packed("(A2,A3)");
  const Layout spaced("(A2,1X,A3)");
  dir.write("table", "abcde\nxy\n" + std::string(100000, 'z') + "\n");
  InputFile table = open_input(dir.file("table").string());
  OutputFile out = open_output(dir.file("out").string());
  TextRow<4, 2> row;
  ASSERT_EQ(read_fixed(table, packed, row), ReadStatus::record);
  EXPECT_EQ(std::string(row[0].data(), 4) + std::string(row[1].data(), 4), "ab  cde ");
  write_fixed(out, spaced, row);
  ASSERT_EQ(read_fixed(table, packed, row), ReadStatus::record);
  EXPECT_EQ(std::string(row[1].data(), 4), "    ");
  write_fixed(out, spaced, row);
  ASSERT_EQ(read_fixed(table, packed, row), ReadStatus::record);  // a line far longer than its fields
  write_fixed(out, spaced, row);
  EXPECT_EQ(read_fixed(table, packed, row), ReadStatus::end_of_input);
  close_file(out);
  EXPECT_EQ(dir.read("out"), "ab cde\nxy    \nzz zzz\n");  // a field's own blanks are written
}

TEST(FixedTextRowsDeathTest, TextsForANumberField) {
  EXPECT_DEATH(
      {
        std::vector<char> row(8, ' ');
        detail::decode_text_row("abcdefg", Layout("(A4,I3)"), 4, 2, row.data());
      },
      "a number field");
}

}  // namespace
}  // namespace record_io
