// SPDX-License-Identifier: MIT
// Free-format input from anywhere. The first byte chooses the items of each
// read (character items of a few lengths, integers, reals, or a mix as the
// programs use them); the rest is the file, read again and again as a
// program's read loop does, until its end or bad data.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "codec.hpp"
#include "record_io/record_io.hpp"

namespace {

enum class K { text1, text4, text20, integer, real };

// The item lists of one read.
const std::vector<std::vector<K>> kItemSets = {
    {K::text1},
    {K::text4},
    {K::text20},
    {K::integer, K::integer, K::integer},
    {K::real, K::real, K::real},
    {K::text4, K::integer, K::real, K::integer, K::real, K::integer},  // a station entry
    {K::real, K::real, K::real, K::real, K::integer, K::integer, K::integer, K::integer, K::integer,
     K::integer},                    // a location record
    {K::real, K::real, K::integer},  // a spectrum header
    {K::text4, K::text1, K::text20},
    {},  // a record passed over
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::vector<K>& kinds = kItemSets[data[0] % kItemSets.size()];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::deque<std::vector<char>> texts;
  std::deque<std::int32_t> integers;
  std::deque<float> reals;
  std::vector<record_io::InItem> items;
  for (const K kind : kinds) {
    switch (kind) {
      case K::text1:
      case K::text4:
      case K::text20:
        texts.emplace_back(kind == K::text1 ? 1 : kind == K::text4 ? 4 : 20, '?');
        items.emplace_back(std::span<char>(texts.back()));
        break;
      case K::integer:
        integers.push_back(-7);
        items.emplace_back(integers.back());
        break;
      case K::real:
        reals.push_back(-7.0f);
        items.emplace_back(reals.back());
        break;
    }
  }

  record_io::InputFile file = record_io::detail::InputBuffer::from_text("fuzz.dat", text);
  record_io::detail::InputBuffer& buffer = record_io::detail::InputBuffer::of(file);
  long previous_line = 0;
  for (;;) {
    const record_io::detail::FreeReadOutcome outcome = record_io::detail::read_free_values(buffer, items);
    const long line = file.line_number();
    fuzz::require(outcome.read.values_read <= items.size(), "more values read than items");
    if (outcome.error) {
      fuzz::require(
          outcome.error_line > previous_line && outcome.error_line == line,
          "bad data reported on line " + std::to_string(outcome.error_line) + " while at line " + std::to_string(line));
      fuzz::require(outcome.error->first_column >= 1 && outcome.error->first_column <= outcome.error->last_column,
                    "bad data at columns " + std::to_string(outcome.error->first_column) + "-" +
                        std::to_string(outcome.error->last_column));
      fuzz::require(!outcome.error->message.empty(), "bad data without a message");
      // The message quotes what was found, shortened to 40 bytes (each shown
      // in at most 4 characters): it stays one short line.
      fuzz::require(outcome.error->message.size() < 300 && outcome.error->message.find('\n') == std::string::npos,
                    "message of " + std::to_string(outcome.error->message.size()) +
                        " bytes: " + fuzz::shown(outcome.error->message.substr(0, 400)));
      return 0;
    }
    if (outcome.read.status == record_io::ReadStatus::end_of_input) {
      fuzz::require(!buffer.has_more_records(), "end of input with records left");
      return 0;
    }
    // Every read that is not at the end takes at least one record.
    fuzz::require(line > previous_line, "a read that took no record");
    previous_line = line;
  }
}
