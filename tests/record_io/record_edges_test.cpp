// SPDX-License-Identifier: MIT
// The record layer at the edges where memory faults hide: empty inputs, a
// record with no bytes at all, fields wholly beyond the end of a record,
// items longer and shorter than their fields. These hold in any build; the
// sanitizer build (preset "asan") also checks that no null pointer or
// out-of-bounds access happens on the way.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::decode_fixed;
using detail::encode_fixed;
using detail::InputBuffer;

TEST(RecordEdges, EmptyTextFromMemory) {
  InputFile file = InputBuffer::from_text("empty", "");
  InputBuffer& buffer = InputBuffer::of(file);
  EXPECT_FALSE(buffer.has_more_records());
  EXPECT_FALSE(buffer.next_record(100).has_value());
  EXPECT_TRUE(buffer.only_blanks_remain());
  EXPECT_FALSE(buffer.begin_record());
  EXPECT_EQ(file.line_number(), 0);
}

TEST(RecordEdges, FreeReadOfEmptyTextFromMemory) {
  InputFile file = InputBuffer::from_text("empty", "");
  float value = 7.0f;
  const InItem items[] = {value};
  const detail::FreeReadOutcome outcome = detail::read_free_values(InputBuffer::of(file), items);
  EXPECT_EQ(outcome.read.status, ReadStatus::end_of_input);
  EXPECT_EQ(outcome.read.values_read, 0u);
  EXPECT_FALSE(outcome.error.has_value());
  EXPECT_EQ(value, 7.0f);
  // With no items a read takes one record, and there is none.
  InputFile again = InputBuffer::from_text("empty", "");
  EXPECT_EQ(detail::read_free_values(InputBuffer::of(again), {}).read.status, ReadStatus::end_of_input);
}

// Records taken two at a time: a pair whose last line end would lie past
// the buffer's limit (its first record cut by the limit, the second in the
// bytes after it, which are no part of the file) is not taken, and the
// records before it stay taken.
TEST(RecordEdges, PairsOfRecordsStopAtTheLimit) {
  InputFile file = InputBuffer::from_text("spectrum", "1\n2\n3\n");
  InputBuffer& buffer = InputBuffer::of(file);
  std::vector<std::size_t> asked;
  const std::size_t taken = buffer.take_records_while<2>(4, [&asked](const char* at, std::size_t k) -> const char* {
    asked.push_back(k);
    return at + 3;  // "1\n2\n": the second line feed; for "3\n", one byte past the limit
  });
  EXPECT_EQ(taken, 2u);
  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(file.line_number(), 2);
  float third = 0.0f;
  EXPECT_EQ(read_free(file, {third}).status, ReadStatus::record);
  EXPECT_EQ(third, 3.0f);
}

// A record of no bytes, given as a default string view (no storage at all),
// and fields that lie wholly beyond the end of a short record: blanks, 0, 0.0.
TEST(RecordEdges, FieldsBeyondTheRecordEnd) {
  const Layout layout("(A4,I3,F5.2,2X,A2)");
  for (const std::string_view record : {std::string_view(), std::string_view(""), std::string_view("AB")}) {
    Text<4> code{'?', '?', '?', '?'};
    std::int32_t count = -1;
    float value = -1.0f;
    Text<2> tail{'?', '?'};
    const InItem items[] = {code, count, value, tail};
    EXPECT_FALSE(decode_fixed(record, layout, items).has_value());
    const std::string expected_code =
        std::string(record.substr(0, 4)) + std::string(4 - record.substr(0, 4).size(), ' ');
    EXPECT_EQ(std::string_view(code.data(), 4), expected_code);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(std::string_view(tail.data(), 2), "  ");
  }
}

// Text items much longer and much shorter than their fields, at the end of
// records of every length around the field.
TEST(RecordEdges, TextItemsOfEveryLengthAroundTheirField) {
  const Layout layout("(2X,A5)");
  const std::string line = "0123456789";
  for (std::size_t record_length = 0; record_length <= line.size(); ++record_length) {
    const std::string_view record(line.data(), record_length);
    std::string field = record_length > 2 ? std::string(record.substr(2, 5)) : std::string();
    field.resize(5, ' ');
    for (std::size_t length = 1; length <= 40; ++length) {
      std::vector<char> item(length, '?');
      const InItem items[] = {std::span<char>(item)};
      ASSERT_FALSE(decode_fixed(record, layout, items).has_value());
      const std::string expected = length <= 5 ? field.substr(5 - length) : field + std::string(length - 5, ' ');
      EXPECT_EQ(std::string_view(item.data(), length), expected) << record_length << " " << length;
    }
  }
}

TEST(RecordEdges, WriteTextsOfEveryLengthAroundTheirField) {
  const Layout layout("(A5,1X,A1)");
  const std::string text = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (std::size_t length = 0; length <= text.size(); ++length) {
    const std::string_view item(text.data(), length);
    std::string record;
    const OutItem items[] = {item, std::string_view("z")};
    encode_fixed(record, layout, items);
    const std::string expected =
        (length < 5 ? std::string(5 - length, ' ') + std::string(item) : std::string(item.substr(0, 5))) + " z";
    EXPECT_EQ(record, expected) << length;
  }
}

}  // namespace
}  // namespace record_io
