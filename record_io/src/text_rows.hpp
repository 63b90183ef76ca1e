// SPDX-License-Identifier: MIT
// The plan by which a row of texts read by one layout is written by another.
//
// Every byte of such a record is either a byte of the source record or a
// blank: an item takes the last characters of a wider field or the whole of
// a narrower one, and a field takes the first characters of a longer item or
// the whole of a shorter one behind blanks. The plan holds that map once per
// pair of layouts, and writes each 16 bytes of the record with one shuffle of
// 16 bytes of the source where the processor has one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace record_io::detail {

class LayoutData;

class RowPlan {
 public:
  RowPlan(const LayoutData& source, const LayoutData& target, std::size_t item_length, std::size_t items);

  bool made_for(std::uint64_t source_id, std::size_t item_length, std::size_t items) const noexcept {
    return source_id_ == source_id && item_length_ == item_length && items_ == items;
  }
  // Columns of the source record the plan reads, and of the record it writes.
  std::size_t source_width() const noexcept { return source_width_; }
  std::size_t width() const noexcept { return width_; }

  // Bytes past the record's end that write() may overwrite.
  static constexpr std::size_t kSpill = 32;

  // Writes the record at `out`, which has room for width() + kSpill bytes,
  // from `source`, of which at least source_width() bytes and 16 more can be
  // read. Returns one past the record's last byte.
  char* write(const char* source, char* out) const noexcept {
    writer_(*this, source, out);
    return out + width_;
  }

 private:
  friend struct RowWriters;
  static constexpr std::int32_t kBlank = -1;
  // One 16-byte block of the record: 16 bytes of the source from `window`
  // on, shuffled by `shuffle` (0x80: a blank).
  struct Block {
    alignas(16) std::uint8_t shuffle[16];
    alignas(16) std::uint8_t blanks[16];
    std::uint32_t window;
  };
  // Two blocks, for processors that shuffle 32 bytes at once.
  struct alignas(32) Pair {
    std::uint8_t shuffle[32];
    std::uint8_t blanks[32];
    std::uint32_t windows[2];
  };
  // How the record is made, chosen once: byte by byte, or 16 or 32 bytes at
  // a time by a routine made for the plan's number of blocks.
  using Writer = void (*)(const RowPlan& plan, const char* source, char* out) noexcept;

  std::uint64_t source_id_;
  std::size_t item_length_;
  std::size_t items_;
  std::size_t source_width_ = 0;
  std::size_t width_ = 0;
  std::vector<std::int32_t> source_of_;  // per column of the record: a source column, or kBlank
  std::vector<Block> blocks_;  // empty where a block would need more than 16 source bytes
  std::vector<Pair> pairs_;
  Writer writer_;
};

}  // namespace record_io::detail
