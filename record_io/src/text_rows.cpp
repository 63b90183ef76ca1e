// SPDX-License-Identifier: MIT
// Rows of texts: a record read by a layout of A fields into texts of one
// length, and written by another such layout, each byte moved once.
#include "text_rows.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "codec.hpp"
#include "diagnostics.hpp"
#include "processor_features.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define RECORD_IO_ROW_SHUFFLE 1
#endif

namespace record_io::detail {
namespace {

constexpr std::size_t kBlockBytes = 16;
constexpr std::uint8_t kShuffleBlank = 0x80;  // a shuffle index that gives a zero byte

// The first `items` fields of `layout` as the fields of a row, after checking
// that they are A fields.
std::span<const Field> row_fields(const LayoutData& layout, std::size_t items) {
  if (items > layout.fields().size())
    internal_error(std::to_string(items) + " items for the " + std::to_string(layout.fields().size()) +
                   " fields of layout \"" + std::string(layout.text()) + "\"");
  if (items > layout.leading_text_fields())
    internal_error("a row of texts read or written by a layout with a number field: \"" +
                   std::string(layout.text()) + "\"");
  return layout.fields().first(items);
}

// Source column of byte `k` of an item of `item_length` read from `field`,
// or -1 for a blank: the last characters of a wider field, the whole of a
// narrower one followed by blanks.
std::int32_t item_source(const Field& field, std::size_t item_length, std::size_t k) {
  if (field.width >= item_length) return static_cast<std::int32_t>(field.column + field.width - item_length + k);
  return k < field.width ? static_cast<std::int32_t>(field.column + k) : -1;
}

// Index in the item of byte `j` of `field` written from an item of
// `item_length`, or -1 for a blank: blanks before a shorter item, the first
// characters of a longer one.
std::int64_t item_index(const Field& field, std::size_t item_length, std::size_t j) {
  if (field.width > item_length) {
    const std::size_t pad = field.width - item_length;
    return j < pad ? -1 : static_cast<std::int64_t>(j - pad);
  }
  return static_cast<std::int64_t>(j);
}

#ifdef RECORD_IO_ROW_SHUFFLE
// One block: 16 bytes of the source from its window, shuffled, blanks added.
template <class Block>
__attribute__((target("ssse3"), always_inline)) inline void write_block(const Block& block, const char* source,
                                                                          char* at) noexcept {
  const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + block.window));
  const __m128i shuffled = _mm_shuffle_epi8(window, _mm_load_si128(reinterpret_cast<const __m128i*>(block.shuffle)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                   _mm_or_si128(shuffled, _mm_load_si128(reinterpret_cast<const __m128i*>(block.blanks))));
}

// Two blocks at once: each half of 32 bytes shuffled from its own window.
template <class Pair>
__attribute__((target("avx2"), always_inline)) inline void write_pair(const Pair& pair, const char* source,
                                                                        char* at) noexcept {
  const __m256i windows = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + pair.windows[0]))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + pair.windows[1])), 1);
  const __m256i shuffled =
      _mm256_shuffle_epi8(windows, _mm256_load_si256(reinterpret_cast<const __m256i*>(pair.shuffle)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(at),
                      _mm256_or_si256(shuffled, _mm256_load_si256(reinterpret_cast<const __m256i*>(pair.blanks))));
}

// A record of up to eight blocks (128 columns: every table line of the
// toolkit) is written block after block with no loop around them.
template <std::size_t... Index, class Block>
__attribute__((target("ssse3"), always_inline)) inline void write_block_run(std::index_sequence<Index...>,
                                                                           const Block* blocks, const char* source,
                                                                           char* out) noexcept {
  (write_block(blocks[Index], source, out + Index * kBlockBytes), ...);
}

template <std::size_t... Index, class Pair>
__attribute__((target("avx2"), always_inline)) inline void write_pair_run(std::index_sequence<Index...>,
                                                                         const Pair* pairs, const char* source,
                                                                         char* out) noexcept {
  (write_pair(pairs[Index], source, out + Index * 2 * kBlockBytes), ...);
}
#endif

// The largest runs of blocks and of pairs written with no loop.
constexpr std::size_t kUnrolledBlocks = 8;
constexpr std::size_t kUnrolledPairs = 4;

}  // namespace

// The routines a plan writes its records with: one for each number of
// blocks or pairs up to the unrolled ones, a loop beyond them, and the
// bytes one by one where no shuffle serves.
struct RowWriters {
  static void bytes(const RowPlan& plan, const char* source, char* out) noexcept {
    for (std::size_t p = 0; p < plan.width_; ++p)
      out[p] = plan.source_of_[p] == RowPlan::kBlank ? ' ' : source[plan.source_of_[p]];
  }

#ifdef RECORD_IO_ROW_SHUFFLE
  template <std::size_t Count>
  __attribute__((target("ssse3"))) static void blocks(const RowPlan& plan, const char* source, char* out) noexcept {
    write_block_run(std::make_index_sequence<Count>(), plan.blocks_.data(), source, out);
  }
  __attribute__((target("ssse3"))) static void any_blocks(const RowPlan& plan, const char* source,
                                                          char* out) noexcept {
    for (std::size_t i = 0; i < plan.blocks_.size(); ++i)
      write_block(plan.blocks_[i], source, out + i * kBlockBytes);
  }
  template <std::size_t Count>
  __attribute__((target("avx2"))) static void pairs(const RowPlan& plan, const char* source, char* out) noexcept {
    write_pair_run(std::make_index_sequence<Count>(), plan.pairs_.data(), source, out);
  }
  __attribute__((target("avx2"))) static void any_pairs(const RowPlan& plan, const char* source, char* out) noexcept {
    for (std::size_t i = 0; i < plan.pairs_.size(); ++i)
      write_pair(plan.pairs_[i], source, out + i * 2 * kBlockBytes);
  }

  template <std::size_t... Count>
  static constexpr std::array<RowPlan::Writer, sizeof...(Count)> block_writers(std::index_sequence<Count...>) {
    return {&blocks<Count + 1>...};
  }
  template <std::size_t... Count>
  static constexpr std::array<RowPlan::Writer, sizeof...(Count)> pair_writers(std::index_sequence<Count...>) {
    return {&pairs<Count + 1>...};
  }
#endif

  // The routine for `plan`, whose blocks are made, on this processor.
  static RowPlan::Writer choose(const RowPlan& plan) {
#ifdef RECORD_IO_ROW_SHUFFLE
    if (plan.blocks_.empty()) return &bytes;
    if (has_avx2()) {
      static constexpr auto unrolled = pair_writers(std::make_index_sequence<kUnrolledPairs>());
      return plan.pairs_.size() <= kUnrolledPairs ? unrolled[plan.pairs_.size() - 1] : &any_pairs;
    }
    if (has_ssse3()) {
      static constexpr auto unrolled = block_writers(std::make_index_sequence<kUnrolledBlocks>());
      return plan.blocks_.size() <= kUnrolledBlocks ? unrolled[plan.blocks_.size() - 1] : &any_blocks;
    }
#else
    (void)plan;
#endif
    return &bytes;
  }
};

RowPlan::RowPlan(const LayoutData& source, const LayoutData& target, std::size_t item_length, std::size_t items)
    : source_id_(source.id()), item_length_(item_length), items_(items) {
  const std::span<const Field> from = row_fields(source, items);
  const std::span<const Field> to = row_fields(target, items);
  const Field& last = to.back();
  source_of_.assign(last.column + last.width, kBlank);
  for (std::size_t i = 0; i < items; ++i) {
    for (std::size_t j = 0; j < to[i].width; ++j) {
      const std::int64_t k = item_index(to[i], item_length, j);
      if (k < 0 || static_cast<std::size_t>(k) >= item_length) continue;
      source_of_[to[i].column + j] = item_source(from[i], item_length, static_cast<std::size_t>(k));
    }
  }
  const Field& last_read = from.back();
  source_width_ = last_read.column + last_read.width;
  width_ = source_of_.size();

  // Each block of 16 bytes of the record, from one window of 16 source bytes.
  for (std::size_t start = 0; start < source_of_.size(); start += kBlockBytes) {
    const std::size_t stop = std::min(start + kBlockBytes, source_of_.size());
    std::int32_t lowest = -1;
    std::int32_t highest = -1;
    for (std::size_t p = start; p < stop; ++p) {
      if (source_of_[p] == kBlank) continue;
      if (lowest < 0 || source_of_[p] < lowest) lowest = source_of_[p];
      highest = std::max(highest, source_of_[p]);
    }
    if (highest - lowest >= static_cast<std::int32_t>(kBlockBytes)) {
      blocks_.clear();  // no window serves this block: byte by byte
      break;
    }
    Block block{};
    block.window = static_cast<std::uint32_t>(std::max(lowest, 0));
    for (std::size_t p = 0; p < kBlockBytes; ++p) {
      const std::int32_t from_column = start + p < stop ? source_of_[start + p] : kBlank;
      block.shuffle[p] = from_column == kBlank ? kShuffleBlank : static_cast<std::uint8_t>(from_column - lowest);
      block.blanks[p] = from_column == kBlank ? ' ' : 0;
    }
    blocks_.push_back(block);
  }
  // The same blocks two by two; an odd last one is paired with blanks that
  // fall past the record's end.
  for (std::size_t i = 0; i < blocks_.size(); i += 2) {
    Pair pair{};
    std::memcpy(pair.shuffle, blocks_[i].shuffle, kBlockBytes);
    std::memcpy(pair.blanks, blocks_[i].blanks, kBlockBytes);
    pair.windows[0] = blocks_[i].window;
    const Block blank_block = [] {
      Block blanks{};
      std::memset(blanks.shuffle, kShuffleBlank, kBlockBytes);
      std::memset(blanks.blanks, ' ', kBlockBytes);
      return blanks;
    }();
    const Block& second = i + 1 < blocks_.size() ? blocks_[i + 1] : blank_block;
    std::memcpy(pair.shuffle + kBlockBytes, second.shuffle, kBlockBytes);
    std::memcpy(pair.blanks + kBlockBytes, second.blanks, kBlockBytes);
    pair.windows[1] = second.window;
    pairs_.push_back(pair);
  }
  writer_ = RowWriters::choose(*this);
}

const RowPlan& LayoutData::row_plan(const LayoutData& source, std::size_t item_length, std::size_t items) const {
  if (!row_plan_ || !row_plan_->made_for(source.id(), item_length, items))
    row_plan_ = std::make_unique<RowPlan>(source, *this, item_length, items);
  return *row_plan_;
}

ReadStatus read_row(InputFile& file, const Layout& layout, std::size_t /*item_length: taken when written*/,
                    std::size_t items, RowSource& row) {
  // (The fields are checked when the row is written or looked at.)
  (void)items;
  const LayoutData& data = LayoutData::of(layout);
  std::string_view record;
  if (!InputBuffer::of(file).take_record(data.record_width(), record)) return ReadStatus::end_of_input;
  row = {record.data(), record.size(), &data};
  return ReadStatus::record;
}

namespace {

// The first `width` columns of `record`, blanks beyond its end, and
// kMoveSlack blanks more, at `padded`.
void pad_columns(std::string_view record, std::size_t width, char* padded) {
  const std::size_t present = std::min(record.size(), width);
  if (present > 0) std::memcpy(padded, record.data(), present);  // an empty view may have no storage
  std::memset(padded + present, ' ', width + kMoveSlack - present);
}

// Calls `use` with the row's record, padded with blanks to `width` columns
// where it is shorter.
template <class Use>
auto with_columns(std::string_view record, std::size_t width, Use use) {
  if (record.size() >= width) return use(record.data());
  char small[512];
  std::string large;
  char* padded = small;
  if (width + kMoveSlack > sizeof small) {
    large.resize(width + kMoveSlack);
    padded = large.data();
  }
  pad_columns(record, width, padded);
  return use(padded);
}

}  // namespace

void write_row(OutputFile& file, const Layout& layout, std::size_t item_length, std::size_t items,
               const RowSource& row) {
  if (row.layout == nullptr) internal_error("a row of texts written before it was read");
  const RowPlan& plan = LayoutData::of(layout).row_plan(*row.layout, item_length, items);
  OutputBuffer& out = OutputBuffer::of(file);
  char* const record = out.record_space(plan.width() + RowPlan::kSpill);
  if (row.length >= plan.source_width()) [[likely]] {
    out.commit_record(plan.write(row.record, record));
    return;
  }
  out.commit_record(with_columns({row.record, row.length}, plan.source_width(),
                                 [&](const char* source) { return plan.write(source, record); }));
}

void row_item(const RowSource& row, std::size_t index, std::span<char> item) {
  if (row.layout == nullptr) internal_error("a row of texts looked at before it was read");
  const Field& field = row_fields(*row.layout, index + 1)[index];
  const std::string_view record(row.record, row.length);
  for (std::size_t k = 0; k < item.size(); ++k) {
    const std::int32_t column = item_source(field, item.size(), k);
    item[k] = column >= 0 && static_cast<std::size_t>(column) < record.size() ? record[static_cast<std::size_t>(column)] : ' ';
  }
}

void decode_text_row(std::string_view record, const Layout& layout, std::size_t item_length, std::size_t items,
                     char* out) {
  const RowSource row{record.data(), record.size(), &LayoutData::of(layout)};
  for (std::size_t i = 0; i < items; ++i) row_item(row, i, {out + i * item_length, item_length});
}

std::string encode_text_row(const Layout& source, std::string_view record, const Layout& layout,
                            std::size_t item_length, std::size_t items) {
  const RowPlan plan(LayoutData::of(source), LayoutData::of(layout), item_length, items);
  std::string out(plan.width() + RowPlan::kSpill, '\0');
  char* const end = with_columns(record, plan.source_width() + kMoveSlack, [&](const char* columns) {
    return plan.write(columns, out.data());
  });
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

}  // namespace record_io::detail
