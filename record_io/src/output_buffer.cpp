// SPDX-License-Identifier: MIT
// Output files: records gathered in a buffer and written out in large
// pieces; a replaced file cut when its first record is written.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "buffers.hpp"
#include "diagnostics.hpp"

namespace record_io {
namespace detail {
namespace {

// Output is written to the system in chunks of 64 KiB, each at an offset of
// the file that is a multiple of 64 KiB (a write that begins or ends inside a
// page costs the system a partial page at each end). The buffer holds a
// chunk and room for the record that overruns it, whose bytes past the chunk
// stay for the next one; only the last write of a file, or the one before a
// record longer than that room, is shorter.
constexpr std::size_t kWriteChunk = 64 * 1024;
constexpr std::size_t kBufferSize = kWriteChunk + 4 * 1024;

// Output files not yet closed, written out when the run ends either way.
// Never destroyed, so that the buffers that outlive it at the end of the run
// can still take themselves off it.
std::vector<OutputBuffer*>& open_outputs() {
  static auto* const files = new std::vector<OutputBuffer*>;
  return *files;
}

void forget_output(OutputBuffer* file) {
  auto& files = open_outputs();
  files.erase(std::remove(files.begin(), files.end(), file), files.end());
}

OutputBuffer* standard_output_buffer = nullptr;  // once standard output is in use

}  // namespace

OutputFile OutputBuffer::open(std::string name, int descriptor, bool cut_at_first_record) {
  return OutputFile(std::make_unique<OutputBuffer>(std::move(name), descriptor, cut_at_first_record));
}

OutputFile& OutputBuffer::standard_output() {
  static OutputFile file = open("standard output", STDOUT_FILENO, false);
  standard_output_buffer = file.buffer_.get();
  return file;
}

OutputBuffer::OutputBuffer(std::string name, int descriptor, bool cut_at_first_record)
    : name_(std::move(name)),
      descriptor_(descriptor),
      cut_pending_(cut_at_first_record),
      regular_(cut_at_first_record),
      buffer_(kBufferSize),
      room_limit_(cut_at_first_record ? 0 : buffer_.size()) {
  open_outputs().push_back(this);
}

OutputBuffer::~OutputBuffer() {
  if (this == standard_output_buffer) standard_output_buffer = nullptr;
  close();
  forget_opened(this);
}

char* OutputBuffer::make_room(std::size_t length) {
  if (!open_) internal_error("a record written to " + name_ + " after it was closed");
  if (cut_pending_) {
    // The first record of the run replaces whatever the file held.
    if (::ftruncate(descriptor_, 0) != 0) fail_run(name_, std::strerror(errno));
    cut_pending_ = false;
  }
  const std::size_t needed = length + 1;  // and the line end
  if (buffer_.size() - used_ < needed) {
    const std::size_t whole_chunks = used_ - used_ % kWriteChunk;
    if (!write_out(buffer_.size() - (used_ - whole_chunks) >= needed ? whole_chunks : used_)) {
      // Reported once, here: the file is no longer one to write out before
      // the run ends.
      const int error = errno;
      forget_output(this);
      fail_run(name_, std::strerror(error));
    }
    if (buffer_.size() < needed) buffer_ = ByteBuffer(needed);  // a record longer than the buffer
  }
  room_limit_ = buffer_.size();
  return buffer_.data() + used_;
}

bool OutputBuffer::flush() noexcept { return write_out(used_); }

bool OutputBuffer::write_out(std::size_t count) noexcept {
  if (!open_) return true;
  std::size_t written = 0;
  bool ok = true;
  int error = 0;
  while (written < count) {
    const ssize_t done = ::write(descriptor_, buffer_.data() + written, count - written);
    if (done >= 0) {
      written += static_cast<std::size_t>(done);
    } else if (errno != EINTR) {
      ok = false;
      error = errno;
      break;
    }
  }
  // What reached the file, and where its last whole record ends.
  const void* const line_end = written > 0 ? ::memrchr(buffer_.data(), '\n', written) : nullptr;
  if (line_end != nullptr)
    whole_bytes_ = file_bytes_ + static_cast<std::size_t>(static_cast<const char*>(line_end) - buffer_.data()) + 1;
  file_bytes_ += written;
  std::memmove(buffer_.data(), buffer_.data() + written, used_ - written);
  used_ -= written;
  if (ok) return true;
  // A regular file keeps the whole records that reached it, not the part of
  // one that a full disk or a limit on its size cut.
  if (regular_ && whole_bytes_ < file_bytes_ && ::ftruncate(descriptor_, static_cast<off_t>(whole_bytes_)) == 0)
    file_bytes_ = whole_bytes_;
  errno = error;
  return false;
}

bool OutputBuffer::close() noexcept {
  if (!open_) return true;
  forget_output(this);
  bool ok = flush();
  int error = errno;
  open_ = false;
  if (::close(descriptor_) != 0 && ok) {
    ok = false;
    error = errno;
  }
  room_limit_ = 0;  // no room: a record written after this is refused
  errno = error;
  return ok;
}

void flush_standard_output() noexcept {
  if (standard_output_buffer != nullptr) standard_output_buffer->flush();
}

void flush_outputs_before_failure() noexcept {
  // A file that cannot be written is reported once and forgotten.
  auto& files = open_outputs();
  for (std::size_t i = 0; i < files.size();) {
    OutputBuffer* const file = files[i];
    if (file->flush()) {
      ++i;
      continue;
    }
    const int error = errno;
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
    write_diagnostic(file->name(), std::strerror(error));
  }
}

void close_outputs() {
  // Closing a file removes it from the list, so take them from its end.
  auto& files = open_outputs();
  while (!files.empty()) {
    OutputBuffer* const file = files.back();
    if (!file->close()) fail_run(file->name(), std::strerror(errno));
  }
}

}  // namespace detail

OutputFile::OutputFile(std::unique_ptr<detail::OutputBuffer> buffer) noexcept : buffer_(std::move(buffer)) {}
OutputFile::OutputFile(OutputFile&&) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&&) noexcept = default;
OutputFile::~OutputFile() = default;
const std::string& OutputFile::name() const noexcept { return buffer_->name(); }

}  // namespace record_io
