// SPDX-License-Identifier: MIT
// The buffers behind input and output files.
//
// An input buffer holds a bounded window of its file, whatever the length of
// its lines: a fixed-column read keeps only the columns its layout uses, a
// free-format read only the value it is converting, and the rest of a long
// line is passed over without being held. An output buffer gathers records
// and writes them out in large pieces.
#pragma once

#include <cstddef>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "record_io/record_io.hpp"
#include "text_moves.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace record_io::detail {

// Bytes after the last one read that an input buffer keeps readable: as
// many as one comparison of line ends takes at a time.
inline constexpr std::size_t kReadSlack = 32;
static_assert(kReadSlack >= kMoveSlack, "a record's 16 following bytes can be read");

// The longest value a free-format read converts (a number of a million
// digits, a text); a longer one is an error rather than a demand on memory.
inline constexpr std::size_t kMaxValueBytes = std::size_t{1} << 20;

// Bytes of storage that are not cleared when allocated, so that the pages a
// run never fills (most of standard output's, all but the first of a short
// input's) are never touched.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t size) : bytes_(new char[size]), size_(size) {}
  char* data() noexcept { return bytes_.get(); }
  const char* data() const noexcept { return bytes_.get(); }
  std::size_t size() const noexcept { return size_; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

class InputBuffer {
 public:
  static InputFile open(std::string name, int descriptor);
  // A file read from memory instead of the disk, for tests and tools.
  static InputFile from_text(std::string name, std::string_view text);
  static InputBuffer& of(InputFile& file) noexcept { return *file.buffer_; }
  static const InputBuffer& of(const InputFile& file) noexcept { return *file.buffer_; }

  InputBuffer(std::string name, int descriptor);
  InputBuffer(std::string name, std::string_view text);
  ~InputBuffer();
  InputBuffer(const InputBuffer&) = delete;
  InputBuffer& operator=(const InputBuffer&) = delete;

  const std::string& name() const noexcept { return name_; }
  long line_number() const noexcept { return line_number_; }
  void close() noexcept;

  // --- Whole records, for fixed-column reads.

  // Takes the next record: nullopt at the end of the file. A record longer
  // than `held` bytes is returned cut to its first `held` bytes, and the rest
  // of it is passed over. The view stays valid until the next call on this
  // file, and the kMoveSlack bytes after its end can be read, whatever they
  // hold.
  std::optional<std::string_view> next_record(std::size_t held) {
    std::string_view record;
    if (!take_record(held, record)) return std::nullopt;
    return record;
  }
  // The same, into `record`; false at the end of the file.
  bool take_record(std::size_t held, std::string_view& record) {
    // The usual record: whole in the buffer, its line end found at once.
    if (!cut_record_pending_) [[likely]] {
      const char* const start = data() + begin_;
      const char* const line_end = find_line_feed(start);
      if (line_end != limit()) [[likely]] {
        begin_ = static_cast<std::size_t>(line_end + 1 - data());
        ++line_number_;
        auto length = static_cast<std::size_t>(line_end - start);
        if (length > 0 && line_end[-1] == '\r') --length;
        record = {start, length < held ? length : held};
        return true;
      }
    }
    // (through a view of its own, so that the caller's need not live in memory)
    std::string_view taken;
    const bool found = take_record_slowly(held, taken);
    record = taken;
    return found;
  }
  // Takes the next record without looking at it; false at the end of the file.
  bool skip_record();
  // Whether a further record exists, without taking it.
  bool has_more_records();
  // Whether every record left holds only blanks and tabs (or none is left);
  // passes over the blank ones. The line after them is line_number() + 1.
  bool only_blanks_remain();

  // --- Records byte by byte, for free-format reads.
  //
  // The buffered bytes from `cursor()` to `limit()` are those of the current
  // record and of the records after it, a line feed ending each record; the
  // byte at `limit()` is a line feed that ends no record but the buffer. When
  // the cursor reaches the limit, `refill` brings more of the file.

  // Begins the next record; false at the end of the file.
  bool begin_record() {
    if (!cut_record_pending_ && begin_ < end_) [[likely]] {
      ++line_number_;
      record_start_ = static_cast<std::ptrdiff_t>(begin_);
      return true;
    }
    return begin_record_slowly();
  }
  // Takes, from the cursor on, a run of at most `count` records that lie
  // whole in the buffer, `kPerTake` at a time, for as long as
  // `take(first_byte, k)` returns where the k-th to the (k + kPerTake - 1)-th
  // of them end: the last one's line feed, or null for records it leaves
  // untaken, to be read otherwise. Returns how many were taken.
  template <std::size_t kPerTake = 1, typename Take>
  std::size_t take_records_while(std::size_t count, Take take) {
    if (cut_record_pending_) return 0;
    const char* at = data() + begin_;
    const char* const buffer_limit = limit();
    std::size_t taken = 0;
    for (; taken + kPerTake <= count && at != buffer_limit; taken += kPerTake) {
      const char* const line_end = take(at, taken);
      if (line_end == nullptr || line_end >= buffer_limit) break;  // (a later record may lie past the limit)
      at = line_end + 1;
    }
    begin_ = static_cast<std::size_t>(at - data());
    line_number_ += static_cast<long>(taken);
    return taken;
  }
  const char* cursor() const noexcept { return data() + begin_; }
  const char* limit() const noexcept { return data() + end_; }
  void advance_to(const char* at) noexcept { begin_ = static_cast<std::size_t>(at - data()); }
  // Whether the file has been read to its end.
  bool at_end_of_file() const noexcept { return at_end_; }
  // Reads more of the file after the limit, keeping the bytes from `kept` (a
  // value cut at the limit, or the cursor) on, and points `kept` where they
  // now stand; false when the file has no more bytes. A value of more than
  // kMaxValueBytes ends the run.
  bool refill(const char*& kept);
  // Ends the run on a value, starting at `at`, of more than kMaxValueBytes.
  [[noreturn]] void refuse_long_value(const char* at) const;
  // Column (from 1) of `at` in the current record.
  std::size_t column_of(const char* at) const noexcept {
    return static_cast<std::size_t>((at - data()) - record_start_ + 1);
  }
  // Passes over the rest of the current record, its line end included.
  void end_record() {
    // The usual case: the reader stands at the line end.
    const char* const at = data() + begin_;
    if (begin_ < end_ && at[0] == '\n') [[likely]] {
      ++begin_;
      return;
    }
    end_record_slowly();
  }
  // Whether the file is read in free format, where blank lines hold no value.
  bool read_in_free_format() const noexcept { return read_in_free_format_; }
  void note_free_format_read() noexcept { read_in_free_format_ = true; }

 private:
  char* data() noexcept { return buffer_.data(); }
  const char* data() const noexcept { return buffer_.data(); }
  std::size_t capacity() const noexcept { return buffer_.size() - kReadSlack; }
  // Reads more of the file behind the unread bytes from `keep` on; false at
  // the end of the file. Grows the buffer when `keep` fills it, up to `most`.
  bool fill(std::size_t keep, std::size_t most);
  // The first line feed from `at` on: the one that ends the record, or the
  // one after the last byte read, which stands at the limit. The kReadSlack
  // bytes after the limit can be read.
  const char* find_line_feed(const char* at) const noexcept {
#if defined(__x86_64__)
    if (wide_search_) return find_line_feed_32(at);
#endif
#if defined(__SSE2__)
    const __m128i line_feeds = _mm_set1_epi8('\n');
    for (;; at += 16) {
      const auto found = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), line_feeds)));
      if (found != 0) return at + std::countr_zero(found);
    }
#else
    return static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(limit() - at) + 1));
#endif
  }
  // The same, 32 bytes at a time, where the processor can.
  static const char* find_line_feed_32(const char* at) noexcept;
  // Passes over the record that the last cut record left unfinished.
  void finish_cut_record();
  // The rest of each operation, out of the way of its usual case.
  [[gnu::noinline, gnu::cold]] bool take_record_slowly(std::size_t held, std::string_view& record);
  [[gnu::noinline, gnu::cold]] bool begin_record_slowly();
  [[gnu::noinline, gnu::cold]] void end_record_slowly();
  void mark_limit() noexcept;

  std::string name_;
  int descriptor_ = -1;  // -1 for a file read from memory
  bool at_end_ = false;
  bool cut_record_pending_ = false;  // the rest of a cut record is still to be passed over
  bool read_in_free_format_ = false;
  bool wide_search_;                 // find_line_feed_32 serves
  ByteBuffer buffer_;                // kReadSlack bytes of room after its capacity
  std::size_t begin_ = 0;            // first unread byte
  std::size_t end_ = 0;              // one past the last byte read from the file
  std::ptrdiff_t record_start_ = 0;  // where the current record's first byte stood, or would
  long line_number_ = 0;
};

class OutputBuffer {
 public:
  static OutputFile open(std::string name, int descriptor, bool cut_at_first_record);
  static OutputBuffer& of(OutputFile& file) noexcept { return *file.buffer_; }
  static OutputFile& standard_output();

  OutputBuffer(std::string name, int descriptor, bool cut_at_first_record);
  ~OutputBuffer();
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  const std::string& name() const noexcept { return name_; }

  // Room for a record of at most `length` bytes; commit_record, given one
  // past the record's last byte, completes it with its line end. A failure
  // to write out what the buffer held ends the run.
  char* record_space(std::size_t length) {
    if (used_ + length < room_limit_) [[likely]] return buffer_.data() + used_;
    return make_room(length);
  }
  void commit_record(char* record_end) noexcept {
    *record_end++ = '\n';
    used_ = static_cast<std::size_t>(record_end - buffer_.data());
  }
  // The same for a run of records: room for one of at most `length` bytes,
  // with `room` set to all the bytes there are (more than `length`);
  // commit_records, given one past the last line end, completes the run.
  char* records_space(std::size_t length, std::size_t& room) {
    char* const at = record_space(length);
    room = buffer_.size() - used_;
    return at;
  }
  void commit_records(char* run_end) noexcept { used_ = static_cast<std::size_t>(run_end - buffer_.data()); }

  // Writes out the buffer. Returns false (errno set) when the system refuses;
  // a regular file then keeps the whole records that reached it, not the
  // part of one that a full disk or a limit on its size cut.
  bool flush() noexcept;
  // Flushes and closes; false (errno set) on a failure.
  bool close() noexcept;

 private:
  [[gnu::noinline, gnu::cold]] char* make_room(std::size_t length);
  // Writes out the first `count` bytes of the buffer and moves the rest to
  // its start; false (errno set) when the system refuses.
  bool write_out(std::size_t count) noexcept;

  std::string name_;
  int descriptor_;
  bool open_ = true;
  bool cut_pending_;
  bool regular_;                 // a regular file, which can be cut back
  std::uint64_t file_bytes_ = 0;   // bytes written to the file by this run
  std::uint64_t whole_bytes_ = 0;  // of them, those up to the last line end
  ByteBuffer buffer_;  // its size is the capacity; `used_` bytes wait to be written
  std::size_t used_ = 0;
  // What records may fill without make_room: the buffer's size, or none
  // while the file is still to be cut and once it is closed.
  std::size_t room_limit_ = 0;
};

// Forgets the file that the buffer `owner` held open, which can no longer be
// overwritten while it is read.
void forget_opened(const void* owner) noexcept;

// Writes out standard output, if it has been used; a failure is left for
// whoever writes it next.
void flush_standard_output() noexcept;

// Writes out every open output file before the run ends on a failure; a file
// that cannot be written is named on standard error.
void flush_outputs_before_failure() noexcept;

// Closes every output file still open; a failure ends the run.
void close_outputs();

}  // namespace record_io::detail
