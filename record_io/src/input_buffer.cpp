// SPDX-License-Identifier: MIT
// Input files: a bounded window of the file, taken record by record for
// fixed-column reads and byte by byte for free-format reads.
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "buffers.hpp"
#include "diagnostics.hpp"
#include "processor_features.hpp"

namespace record_io {
namespace detail {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;  // bytes asked of the system at a time

bool has_wide_search() { return has_avx2(); }

}  // namespace

#if defined(__x86_64__)
// Each 32 bytes one comparison; a buffer must allow 32 bytes to be read from
// every position up to its limit.
__attribute__((target("avx2"))) const char* InputBuffer::find_line_feed_32(const char* at) noexcept {
  const __m256i line_feeds = _mm256_set1_epi8('\n');
  for (;; at += 32) {
    const auto found = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), line_feeds)));
    if (found != 0) return at + std::countr_zero(found);
  }
}
#else
const char* InputBuffer::find_line_feed_32(const char* at) noexcept { return at; }
#endif

InputFile InputBuffer::open(std::string name, int descriptor) {
  return InputFile(std::make_unique<InputBuffer>(std::move(name), descriptor));
}

InputFile InputBuffer::from_text(std::string name, std::string_view text) {
  return InputFile(std::make_unique<InputBuffer>(std::move(name), text));
}

InputBuffer::InputBuffer(std::string name, int descriptor)
    : name_(std::move(name)), descriptor_(descriptor), wide_search_(has_wide_search()), buffer_(kReadChunk + kReadSlack) {
  mark_limit();
}

InputBuffer::InputBuffer(std::string name, std::string_view text)
    : name_(std::move(name)),
      at_end_(true),
      wide_search_(has_wide_search()),
      buffer_(text.size() + kReadSlack),
      end_(text.size()) {
  if (!text.empty()) std::memcpy(buffer_.data(), text.data(), text.size());
  mark_limit();
}

InputBuffer::~InputBuffer() {
  close();
  forget_opened(this);
}

void InputBuffer::close() noexcept {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  at_end_ = true;
  cut_record_pending_ = false;
  begin_ = end_ = 0;
  mark_limit();
}

// The byte after the last one read is a line feed, so that a scan for the
// end of a record stops there without a test of its own; the bytes after it
// are blanks.
void InputBuffer::mark_limit() noexcept {
  std::memset(buffer_.data() + end_, ' ', kReadSlack);
  buffer_.data()[end_] = '\n';
}

bool InputBuffer::fill(std::size_t keep, std::size_t most) {
  if (at_end_) return false;
  if (keep > 0) {
    std::memmove(data(), data() + keep, end_ - keep);
    end_ -= keep;
    begin_ -= std::min(begin_, keep);
    record_start_ -= static_cast<std::ptrdiff_t>(keep);
  }
  if (end_ == capacity()) {
    // What is kept fills the buffer: a larger one, within bounds.
    if (capacity() >= most) return false;
    ByteBuffer larger(std::min(2 * capacity(), most) + kReadSlack);
    std::memcpy(larger.data(), data(), end_);
    buffer_ = std::move(larger);
  }
  for (;;) {
    const ssize_t count = ::read(descriptor_, data() + end_, capacity() - end_);
    if (count >= 0) {
      end_ += static_cast<std::size_t>(count);
      mark_limit();
      if (count == 0) at_end_ = true;
      return count > 0;
    }
    if (errno != EINTR) fail_run(name_, std::strerror(errno));
  }
}

void InputBuffer::finish_cut_record() {
  cut_record_pending_ = false;
  for (;;) {
    const void* found = std::memchr(data() + begin_, '\n', end_ - begin_);
    if (found != nullptr) {
      begin_ = static_cast<std::size_t>(static_cast<const char*>(found) - data()) + 1;
      return;
    }
    begin_ = end_;
    if (!fill(begin_, capacity())) return;
  }
}

bool InputBuffer::take_record_slowly(std::size_t held, std::string_view& record) {
  if (cut_record_pending_) finish_cut_record();
  std::size_t searched = begin_;  // bytes before this hold no line feed
  for (;;) {
    const void* found = std::memchr(data() + searched, '\n', end_ - searched);
    const std::size_t start = begin_;
    if (found != nullptr) {
      const auto line_end = static_cast<std::size_t>(static_cast<const char*>(found) - data());
      std::size_t record_end = line_end;
      if (record_end > start && data()[record_end - 1] == '\r') --record_end;
      begin_ = line_end + 1;
      ++line_number_;
      record = {data() + start, std::min(record_end - start, held)};
      return true;
    }
    if (end_ - start > held) {
      // More than `held` bytes and no line end yet: the rest is passed over
      // before the next record, without being kept.
      begin_ = start + held;
      cut_record_pending_ = true;
      ++line_number_;
      record = {data() + start, held};
      return true;
    }
    searched = end_ - start;
    if (!fill(start, std::max(held + 1, kReadChunk))) {
      if (begin_ == end_) return false;
      const std::size_t last = begin_;  // a last line without a line end
      begin_ = end_;
      ++line_number_;
      record = {data() + last, std::min(end_ - last, held)};
      return true;
    }
  }
}

bool InputBuffer::skip_record() {
  if (!begin_record()) return false;
  end_record();
  return true;
}

bool InputBuffer::has_more_records() {
  if (cut_record_pending_) finish_cut_record();
  while (begin_ == end_)
    if (!fill(begin_, capacity())) return false;
  return true;
}

bool InputBuffer::only_blanks_remain() {
  if (cut_record_pending_) finish_cut_record();
  for (;;) {
    for (; begin_ < end_; ++begin_) {
      const char c = data()[begin_];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
      if (c == '\n') ++line_number_;
    }
    if (!fill(begin_, capacity())) return true;
  }
}

bool InputBuffer::begin_record_slowly() {
  if (cut_record_pending_) finish_cut_record();
  if (begin_ == end_ && !fill(begin_, capacity())) return false;
  ++line_number_;
  record_start_ = static_cast<std::ptrdiff_t>(begin_);
  return true;
}

bool InputBuffer::refill(const char*& kept) {
  if (at_end_) return false;
  const auto keep = static_cast<std::size_t>(kept - data());
  if (end_ - keep > kMaxValueBytes) refuse_long_value(kept);
  const bool more = fill(keep, kMaxValueBytes + kReadChunk);
  kept = data();
  return more;
}

void InputBuffer::refuse_long_value(const char* at) const {
  fail_run(name_ + ":" + std::to_string(line_number_), "column " + std::to_string(column_of(at)) +
                                                          ": a value of more than " + std::to_string(kMaxValueBytes) +
                                                          " bytes (values are read up to 1 MiB)");
}

void InputBuffer::end_record_slowly() {
  cut_record_pending_ = true;
  finish_cut_record();
}

}  // namespace detail

InputFile::InputFile(std::unique_ptr<detail::InputBuffer> buffer) noexcept : buffer_(std::move(buffer)) {}
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;
InputFile::~InputFile() = default;
const std::string& InputFile::name() const noexcept { return buffer_->name(); }
long InputFile::line_number() const noexcept { return buffer_->line_number(); }

}  // namespace record_io
