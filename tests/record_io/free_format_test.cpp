// SPDX-License-Identifier: MIT
// Free-format records: separators, quotes, slashes, values running over
// records, end of input; and the layout of a free-format output record.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "codec.hpp"
#include "program_run.hpp"
#include "record_io/record_io.hpp"

namespace record_io {
namespace {

using detail::InputBuffer;

detail::FreeReadOutcome read_free_values(InputFile& file, std::span<const InItem> items) {
  return detail::read_free_values(InputBuffer::of(file), items);
}

std::string text_of(std::span<const char> text) { return {text.data(), text.size()}; }

// One location record of the averaging program: four reals, six integers.
struct Location {
  float reals[4] = {-1, -1, -1, -1};
  std::int32_t integers[6] = {-1, -1, -1, -1, -1, -1};
  std::vector<InItem> items() {
    return {reals[0],    reals[1],    reals[2],    reals[3],    integers[0],
            integers[1], integers[2], integers[3], integers[4], integers[5]};
  }
};

TEST(FreeInput, Separators) {
  const char* inputs[] = {
      "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\n",
      "12.5,-3.25,8.0,100.0,1,2,3,4,5,6\n",
      "  12.5 ,  -3.25\t8.0 , 100.0\t\t1 2 3 4 5 6   \n",
      "12.5 -3.25 8.0 100.0\n1 2 3 4 5 6\n",          // over two records
      "\n\n12.5 -3.25\n\n8.0 100.0 1 2 3 4 5 6\n",     // empty records passed over
      "12.5 -3.25 8.0 100.0 1 2 3 4 5 6 7 8\n",       // the rest of the record is skipped
      "12.5 -3.25 8.0 100.0 1 2 3 4 5 6\r\n",
      "12.5 -3.25 8.0 100.0 1 2 3 4 5 6",             // no line end
      "1.25E1 -3.25 8 1D2 +1 2 3 4 5 6\n",
  };
  for (const char* input : inputs) {
    InputFile file = InputBuffer::from_text("t1", input);
    Location location;
    const auto items = location.items();
    const auto outcome = read_free_values(file, items);
    ASSERT_FALSE(outcome.error) << input;
    EXPECT_EQ(outcome.read.status, ReadStatus::record) << input;
    EXPECT_EQ(outcome.read.values_read, 10u);
    const float reals[4] = {12.5f, -3.25f, 8.0f, 100.0f};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(location.reals[k], reals[k]) << input << " real " << k;
    for (int k = 0; k < 6; ++k) EXPECT_EQ(location.integers[k], k + 1) << input << " integer " << k;
    EXPECT_FALSE(InputBuffer::of(file).has_more_records()) << input;
  }
}

// Each read starts at a new record; whatever followed the last value is gone.
TEST(FreeInput, ReadsStartAtTheNextRecord) {
  InputFile file = InputBuffer::from_text("t1", "1 2 3\n4 5\n6\n");
  std::int32_t a = 0, b = 0;
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{a}).read.status, ReadStatus::record);
  EXPECT_EQ(a, 1);
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{a, b}).read.status, ReadStatus::record);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, 5);
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{a, b}).read.status, ReadStatus::end_of_input);
  EXPECT_EQ(a, 6);  // values read before the end stay
  EXPECT_EQ(b, 5);
}

TEST(FreeInput, NoItemsConsumeExactlyOneRecord) {
  InputFile file = InputBuffer::from_text("infile", "0 0.5 3\n\n1.0\n");
  float h = 0, step = 0, amplitude = 0;
  std::int32_t count = 0;
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{h, step, count}).read.status, ReadStatus::record);
  ASSERT_EQ(read_free_values(file, {}).read.status, ReadStatus::record);  // the blank record
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{amplitude}).read.status, ReadStatus::record);
  EXPECT_EQ(amplitude, 1.0f);
  EXPECT_EQ(read_free_values(file, {}).read.status, ReadStatus::end_of_input);
}

TEST(FreeInput, SlashEndsTheRead) {
  InputFile file = InputBuffer::from_text("t1", "1.5 2.5 / 9 9 9\n7 8\n");
  Location location;
  const auto items = location.items();
  const auto outcome = read_free_values(file, items);
  EXPECT_EQ(outcome.read.status, ReadStatus::record);
  EXPECT_EQ(outcome.read.values_read, 2u);
  EXPECT_EQ(location.reals[1], 2.5f);
  EXPECT_EQ(location.reals[2], -1.0f);  // not reached: keeps its value
  EXPECT_EQ(location.integers[0], -1);
  std::int32_t next = 0;
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{next}).read.status, ReadStatus::record);
  EXPECT_EQ(next, 7);
}

// A comma that does not follow a value is a null value: its item keeps what it had.
TEST(FreeInput, NullValuesBetweenCommas) {
  InputFile file = InputBuffer::from_text("t", "1,,3\n,5 , , 7\n");
  std::int32_t a = -1, b = -1, c = -1;
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{a, b, c}).read.status, ReadStatus::record);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 3);
  ASSERT_EQ(read_free_values(file, std::vector<InItem>{a, b, c}).read.status, ReadStatus::record);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(c, 3);
}

TEST(FreeInput, CharacterValues) {
  const std::pair<const char*, const char*> cases[] = {
      {"ABCDEF 1\n", "ABCD"},       // cut to the item's length
      {"AB 1\n", "AB  "},           // padded with blanks
      {"'A B' 1\n", "A B "},        // a quoted value may hold blanks
      {"\"X,Y\" 1\n", "X,Y "},      // and commas
      {"'It''s' 1\n", "It's"},      // a doubled delimiter stands for one
      {"'' 1\n", "    "},
      {"AB,1\n", "AB  "},
      {"MAD\n1\n", "MAD "},
  };
  for (const auto& [input, expected] : cases) {
    InputFile file = InputBuffer::from_text("tempo2.dat", input);
    Text<4> code{};
    std::int32_t number = 0;
    const auto outcome = read_free_values(file, std::vector<InItem>{code, number});
    ASSERT_FALSE(outcome.error) << input;
    EXPECT_EQ(text_of(code), expected) << input;
    EXPECT_EQ(number, 1) << input;
  }
}

// Quoted texts: either delimiter opens one, only the same one closes it, and
// doubled it stands for one delimiter, wherever it stands in the text; the
// end of the record ends an unclosed text. The number after the text tells
// where the reader went on.
TEST(FreeInput, QuotedTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {"'It''s' 1\n", "It's      "},
      {"\"it's\" 1\n", "it's      "},
      {"'say \"hi\"' 1\n", "say \"hi\"  "},
      {"\"a\"\"b\",1\n", "a\"b       "},
      {"'''' 1\n", "'         "},
      {"'''ab' 1\n", "'ab       "},
      {"'ab''' 1\n", "ab'       "},
      {"'a''''b' 1\n", "a''b      "},
      {"'a, b / c' 1\n", "a, b / c  "},
      {"'ab''\n1\n", "ab'       "},  // the record ends after the doubled delimiter
      {"'ab\n1\n", "ab        "},     // and without a closing one
      {"'0123456789''x' 1\n", "0123456789"},
  };
  for (const auto& [input, expected] : cases) {
    InputFile file = InputBuffer::from_text("tempo2.dat", input);
    Text<10> text{};
    std::int32_t number = 0;
    const auto outcome = read_free_values(file, std::vector<InItem>{text, number});
    ASSERT_FALSE(outcome.error) << input << ": " << outcome.error->message;
    EXPECT_EQ(text_of(text), expected) << input;
    EXPECT_EQ(number, 1) << input;
  }
}

TEST(FreeInput, BadValuesNameLineColumnsAndText) {
  struct Case {
    const char* input;
    long line;
    std::size_t first, last;
    const char* message;
  };
  const Case cases[] = {
      {"1.5 abc\n", 1, 5, 7, "cannot read \"abc\" as an integer"},
      {"abc 1\n", 1, 1, 3, "cannot read \"abc\" as a number"},
      {"1.5\n\n  7.25 2\n", 3, 3, 6, "cannot read \"7.25\" as an integer"},
      {"1.5 99999999999\n", 1, 5, 15, "integer \"99999999999\" is out of range (allowed: -2147483648 to 2147483647)"},
      {"1e39 1\n", 1, 1, 4, "number \"1e39\" is beyond the range of a real"},
      {"'1.5' 1\n", 1, 1, 5, "cannot read \"'1.5'\" as a number"},
  };
  for (const auto& c : cases) {
    InputFile file = InputBuffer::from_text("t1", c.input);
    float real = 0;
    std::int32_t integer = 0;
    const auto outcome = read_free_values(file, std::vector<InItem>{real, integer});
    ASSERT_TRUE(outcome.error) << c.input;
    EXPECT_EQ(outcome.error_line, c.line) << c.input;
    EXPECT_EQ(outcome.error->first_column, c.first) << c.input;
    EXPECT_EQ(outcome.error->last_column, c.last) << c.input;
    EXPECT_EQ(outcome.error->message, c.message) << c.input;
  }
}

TEST(FreeInput, EndOfInputKeepsValuesRead) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"", 0}, {"\n\n  \n", 0}, {"1.5 2.5\n", 2}, {"1.5 2.5 3.5 4.5 7 8 9\n", 7},
  };
  for (const auto& [input, read] : cases) {
    InputFile file = InputBuffer::from_text("t1", input);
    Location location;
    const auto items = location.items();
    const auto outcome = read_free_values(file, items);
    EXPECT_EQ(outcome.read.status, ReadStatus::end_of_input) << input;
    EXPECT_EQ(outcome.read.values_read, read) << input;
    if (read >= 2) {
      EXPECT_EQ(location.reals[1], 2.5f);
    }
    if (read == 7) {
      EXPECT_EQ(location.integers[2], 9);
    }
  }
}

// Records far longer than the buffer: values are found wherever they stand,
// a value cut by the end of the buffer is whole, and only the values read are
// held; a number of many digits still converts exactly.
TEST(FreeInput, LongRecords) {
  toolkit_test::WorkDir dir;
  const std::string blanks(300000, ' ');
  std::string digits(100001, '0');  // 10^100000: beyond any real
  digits[0] = '1';
  std::string long_zero(200002, '0');  // 0.000...1: rounds to zero
  long_zero[1] = '.';
  long_zero += '1';
  dir.write("t1", blanks + "1.5" + blanks + "2\r\n" + std::string(70000, '7') + "e-69998 " + blanks + "x\n" +
                      long_zero + " 'quoted" + std::string(3000000, 'q') + "' plain" + std::string(2000000, 'p') +
                      " 4\n" + "last\n");
  InputFile file = open_input(dir.file("t1").string());
  float a = 0, b = 0;
  std::int32_t n = 0;
  Text<4> quoted{}, plain{};
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{a, n}).error);
  EXPECT_EQ(a, 1.5f);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(file.line_number(), 1);
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{b}).error);  // 7.77...e-69998 * 10^69999 digits
  EXPECT_EQ(b, 77.7777778f);
  EXPECT_EQ(file.line_number(), 2);
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{a, quoted, plain, n}).error);
  EXPECT_EQ(a, 0.0f);
  EXPECT_EQ(text_of(quoted), "quot");
  EXPECT_EQ(text_of(plain), "plai");
  EXPECT_EQ(n, 4);
  Text<4> last{};
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{last}).error);
  EXPECT_EQ(text_of(last), "last");
  EXPECT_EQ(file.line_number(), 4);

  dir.write("big", blanks + digits + " 1\n");
  InputFile big = open_input(dir.file("big").string());
  const auto outcome = read_free_values(big, std::vector<InItem>{a});
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->first_column, 300001u);
  EXPECT_EQ(outcome.error->last_column, 400001u);
  EXPECT_EQ(outcome.error->message, "number \"1000000000000000000000000000000000000000\"... (100001 bytes) is beyond the range of a real");
}

// A value longer than a reader holds is an error, not a demand on memory.
TEST(FreeInputDeathTest, ValueOfMoreThanAMebibyte) {
  toolkit_test::WorkDir dir;
  dir.write("infile", "0 0.1 3\n  " + std::string(std::size_t{1} << 21, '5') + "\n");
  const std::string name = dir.file("infile").string();
  EXPECT_EXIT(([&] {
                detail::begin_run("pathfix");
                InputFile file = open_input(name);
                float h, step, amplitude;
                std::int32_t count;
                read_free(file, {h, step, count});
                read_free(file, {amplitude});
              }()),
              ::testing::ExitedWithCode(kExitFailure),
              "^pathfix: .*infile:2: column 3: a value of more than 1048576 bytes \\(values are read up to 1 MiB\\)\n$");
}

// The longest value read is exactly 1 MiB, here from the start of a file,
// where it fills the buffer grown for it to the last byte.
TEST(FreeInputDeathTest, ValueOfExactlyAMebibyte) {
  toolkit_test::WorkDir dir;
  dir.write("infile", "0." + std::string((std::size_t{1} << 20) - 3, '0') + "1 7\n");  // 1048576 bytes, then 7
  const std::string name = dir.file("infile").string();
  EXPECT_EXIT(([&] {
                detail::begin_run("pathfix");
                InputFile file = open_input(name);
                float tiny = -1, seven = -1;
                read_free(file, {tiny, seven});
                std::exit(tiny == 0.0f && seven == 7.0f ? kExitSuccess : 2);
              }()),
              ::testing::ExitedWithCode(kExitSuccess), "^$");
}

// An integer read with its sign: "-0" is 0 with its minus sign kept, and the
// line it stood on.
TEST(FreeInput, SignedIntegers) {
  InputFile file = InputBuffer::from_text("tempo2.dat", "ABCD -0 30.5\n-00\n 3\n");
  Text<4> code{};
  SignedInteger degrees, more_degrees, positive;
  float minutes = 0;
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{code, degrees, minutes}).error);
  EXPECT_EQ(degrees.value, 0);
  EXPECT_TRUE(degrees.minus_sign);
  EXPECT_EQ(degrees.line, 1);
  ASSERT_FALSE(read_free_values(file, std::vector<InItem>{more_degrees, positive}).error);
  EXPECT_TRUE(more_degrees.minus_sign);
  EXPECT_EQ(more_degrees.line, 2);
  EXPECT_EQ(positive.value, 3);
  EXPECT_FALSE(positive.minus_sign);
  EXPECT_EQ(positive.line, 3);
}

// A spectrum's amplitudes read all at once take the quick route record after
// record (two at a time in runs of the C library's form), and fall back to
// the byte-by-byte reader for every other form: the values, and where the
// file stands afterwards, are those of reading one record at a time. The
// file is on disk and longer than the read buffer, so that records and pairs
// of records are cut by its end.
TEST(FreeInput, ReadingEachRecordAgreesWithOneAtATime) {
  const char* forms[] = {
      "2.505847e-04\n", "740.330661\n",  "-1.5\n",        "1e5\n",           "  3.25\n",
      "4.5 9 9\n",      "5.5,6.5\n",     "6.25\r\n",      "\n\n7.75\n",      "8.5/\n",
      "1.5e-045\n",     "12345678.5\n",  "0.000000000000000000000000000000000001\n",
      "1677721.7e+01\n", "-0.0\n",        "1.23456789012345\n", "-7.403307E+02\n", "2.505847e-05\n",
      "1.000000e-17\n"};
  std::mt19937 random(5);
  std::string text;
  std::size_t count = 0;
  // Runs of the C library's form, some with a record the pairs leave (a
  // halfway double, a power of ten beyond the exact ones, a sign).
  const char* run_forms[] = {"2.505847e-04\n", "9.999999E+28\n", "1.000000e-16\n", "0.000000e+00\n",
                             "3.355445e+07\n", "1.000000e+29\n", "-2.505847e-04\n"};
  while (text.size() < 300000) {
    if (random() % 8 == 0) {
      for (auto run = 1 + random() % 40; run > 0; --run, ++count)
        text += run_forms[random() % 16 < 12 ? 0 : 1 + random() % (std::size(run_forms) - 1)];
      continue;
    }
    text += forms[random() % std::size(forms)];
    ++count;
  }
  toolkit_test::WorkDir dir;
  for (const bool last_line_feed : {true, false}) {
    dir.write("infile", last_line_feed ? text : text.substr(0, text.size() - 1));
    InputFile all = open_input(dir.file("infile").string());
    InputFile one = open_input(dir.file("infile").string());
    std::vector<float> each(count, -1.0f);
    read_free_each(all, each, "amplitude", "amplitudes");
    for (std::size_t k = 0; k < count; ++k) {
      float value = -1.0f;
      ASSERT_EQ(read_free(one, {value}).status, ReadStatus::record) << k;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(each[k]), std::bit_cast<std::uint32_t>(value)) << "record " << k;
    }
    EXPECT_EQ(all.line_number(), one.line_number());
    EXPECT_FALSE(InputBuffer::of(all).has_more_records());
  }
}

// Values written all at once are the records of writing them one at a time,
// across many fills of the output buffer, whatever the values.
TEST(FreeOutput, WritingEachValueAgreesWithOneAtATime) {
  std::mt19937 random(9);
  std::vector<float> values;
  for (int k = 0; k < 20000; ++k) values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
  for (const float special : {0.0f, -0.0f, 1.0e-45f, 3.4e38f, INFINITY, -INFINITY, NAN, 740.330661f, 1.5e-8f})
    values.push_back(special);
  toolkit_test::WorkDir dir;
  {
    OutputFile all = open_output(dir.file("all").string());
    OutputFile one = open_output(dir.file("one").string());
    write_free_each(all, values);
    for (const float value : values) write_free(one, {value});
    write_free_each(all, {});
    close_file(all);
    close_file(one);
  }
  const std::string all = dir.read("all");
  EXPECT_EQ(all.size(), values.size() * 18);
  EXPECT_EQ(all, dir.read("one"));
}

std::string free_record(std::initializer_list<OutItem> items) {
  std::string out;
  detail::encode_free(out, items);
  return out;
}

TEST(FreeOutput, Records) {
  EXPECT_EQ(free_record({"Buscando en ", "ABCD", "P"}), " Buscando en ABCDP");
  EXPECT_EQ(free_record({"Coincidencia en ", "ABCD", "S"}), " Coincidencia en ABCDS");
  EXPECT_EQ(free_record({"Promediando ", 3, " datos"}), " Promediando            3  datos");
  EXPECT_EQ(free_record({"Promediando ", 10, " datos"}).size(), 32u);
  EXPECT_EQ(free_record({1.5f}), "   1.50000000    ");
  EXPECT_EQ(free_record({0.5f}), "  0.500000000    ");
  EXPECT_EQ(free_record({"Mo = ", 8.78948e19f}), " Mo =    8.78948012E+19");
  EXPECT_EQ(free_record({1.0f, 2}), "   1.00000000               2");
  EXPECT_EQ(free_record({}), " ");
}

}  // namespace
}  // namespace record_io
