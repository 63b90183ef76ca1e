// Files of records: opening by name, buffered reading of lines and writing of
// records, the cutting of replaced output files, closing and the end of a run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "float_flags.hpp"
#include "internal.hpp"
#include "text_moves.hpp"

namespace record_io {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;     // bytes asked of the system at a time
constexpr std::size_t kBufferSize = 64 * 1024;  // output bytes gathered before a write

// Output files not yet closed, written out when the run ends either way.
std::vector<OutputFile*>& open_outputs() {
  static std::vector<OutputFile*> files;
  return files;
}

void forget_output(OutputFile* file) {
  auto& files = open_outputs();
  files.erase(std::remove(files.begin(), files.end(), file), files.end());
}

std::string system_error() { return std::strerror(errno); }

}  // namespace

// ---------------------------------------------------------------------------
// InputFile
// ---------------------------------------------------------------------------

// The buffer keeps kMoveSlack bytes after the last byte it can be filled to,
// and blanks stand after the last byte read.
InputFile::InputFile(std::string name, int descriptor)
    : name_(std::move(name)), descriptor_(descriptor), buffer_(kReadChunk + detail::kMoveSlack) {
  std::memset(buffer_.data(), ' ', detail::kMoveSlack);
}

InputFile::InputFile(std::string name, std::string_view text)
    : name_(std::move(name)), at_end_(true), buffer_(text.size() + detail::kMoveSlack), end_(text.size()) {
  if (!text.empty()) std::memcpy(buffer_.data(), text.data(), text.size());
  std::memset(buffer_.data() + end_, ' ', detail::kMoveSlack);
}

InputFile InputFile::from_text(std::string name, std::string_view text) { return InputFile(std::move(name), text); }

InputFile::~InputFile() { close(); }

void InputFile::close() noexcept {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  open_ = false;
  at_end_ = true;
  begin_ = end_ = 0;
}

// Reads more of the file behind the unread bytes; false at the end of the file.
bool InputFile::fill() {
  if (at_end_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  std::size_t capacity = buffer_.size() - detail::kMoveSlack;
  if (end_ == capacity) {  // a line longer than the buffer
    capacity *= 2;
    buffer_.grow(capacity + detail::kMoveSlack, end_);
  }
  for (;;) {
    const ssize_t count = ::read(descriptor_, buffer_.data() + end_, capacity - end_);
    if (count >= 0) {
      end_ += static_cast<std::size_t>(count);
      std::memset(buffer_.data() + end_, ' ', detail::kMoveSlack);
      if (count == 0) at_end_ = true;
      return count > 0;
    }
    if (errno != EINTR) fail(name_, system_error());
  }
}

std::optional<std::string_view> InputFile::next_record() {
  std::size_t searched = begin_;  // bytes before this hold no line feed
  for (;;) {
    const void* found = searched < end_ ? std::memchr(buffer_.data() + searched, '\n', end_ - searched) : nullptr;
    if (found != nullptr) {
      const auto line_end = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
      std::size_t record_end = line_end;
      if (record_end > begin_ && buffer_[record_end - 1] == '\r') --record_end;
      const std::string_view record(buffer_.data() + begin_, record_end - begin_);
      begin_ = line_end + 1;
      ++line_number_;
      return record;
    }
    const std::size_t unread_before = begin_;
    searched = end_;
    if (!fill()) {
      if (begin_ == end_) return std::nullopt;
      const std::string_view record(buffer_.data() + begin_, end_ - begin_);  // a last line without a line end
      begin_ = end_;
      ++line_number_;
      return record;
    }
    searched -= unread_before - begin_;  // the unread bytes moved to the front
  }
}

bool InputFile::has_more_records() {
  while (begin_ == end_)
    if (!fill()) return false;
  return true;
}

bool InputFile::only_blanks_remain() {
  for (;;) {
    for (; begin_ < end_; ++begin_) {
      const char c = buffer_[begin_];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
      if (c == '\n') ++line_number_;
    }
    if (!fill()) return true;
  }
}

// ---------------------------------------------------------------------------
// OutputFile
// ---------------------------------------------------------------------------

OutputFile::OutputFile(std::string name, int descriptor, bool cut_at_first_record)
    : name_(std::move(name)), descriptor_(descriptor), cut_pending_(cut_at_first_record), buffer_(kBufferSize) {
  open_outputs().push_back(this);
}

OutputFile::~OutputFile() { close(); }

char* OutputFile::record_space(std::size_t length) {
  if (!open_) detail::internal_error("a record written to " + name_ + " after it was closed");
  if (cut_pending_) {
    // The first record of the run replaces whatever the file held.
    if (::ftruncate(descriptor_, 0) != 0) fail(name_, system_error());
    cut_pending_ = false;
  }
  const std::size_t needed = length + 1;  // and the line end
  if (buffer_.size() - used_ < needed) {
    if (!flush()) {
      // Reported once, here: the file is no longer one to write out before
      // the run ends.
      const std::string reason = system_error();
      forget_output(this);
      fail(name_, reason);
    }
    if (buffer_.size() < needed) buffer_ = detail::ByteBuffer(needed);  // a record longer than the buffer
  }
  return buffer_.data() + used_;
}

void OutputFile::commit_record(char* record_end) {
  *record_end++ = '\n';
  used_ = static_cast<std::size_t>(record_end - buffer_.data());
  ++records_written_;
}

bool OutputFile::flush() noexcept {
  std::size_t written = 0;
  while (written < used_) {
    const ssize_t count = ::write(descriptor_, buffer_.data() + written, used_ - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      std::memmove(buffer_.data(), buffer_.data() + written, used_ - written);
      used_ -= written;
      return false;
    }
    written += static_cast<std::size_t>(count);
  }
  used_ = 0;
  return true;
}

bool OutputFile::close() noexcept {
  if (!open_) return true;
  open_ = false;
  forget_output(this);
  bool ok = flush();
  int error = errno;
  if (::close(descriptor_) != 0 && ok) {
    ok = false;
    error = errno;
  }
  used_ = 0;
  errno = error;
  return ok;
}

// ---------------------------------------------------------------------------
// The operations of a program.
// ---------------------------------------------------------------------------

void begin_run(std::string_view program_name) {
  detail::set_program_name(program_name);
  detail::clear_float_exceptions();
  // A program started with standard input, output or error closed would hand
  // that descriptor to the first file it opens, and write its messages into
  // it: fill the gaps with /dev/null.
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) < 0 && errno == EBADF)
      ::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  }
}

namespace {

void print_and_exit(std::initializer_list<std::string_view> lines) {
  for (const std::string_view line : lines) write_record(standard_output(), line);
  close_file(standard_output());
  std::exit(kExitSuccess);
}

}  // namespace

void begin_run(const ProgramDescription& program, int argc, const char* const* argv) {
  begin_run(program.name);
  if (argc != 2) return;
  const std::string_view argument = argv[1];
  const std::string name(program.name);
  if (argument == "--version") print_and_exit({name + " (seismic-toolkit) " + TOOLKIT_VERSION});
  if (argument == "--help" || argument == "-h")
    print_and_exit({"usage: " + name + " [--help | --version]", program.purpose, "",
                    "Run it in the working directory that holds its input files; every file",
                    "name is fixed. Any argument but --help, -h or --version is ignored.",
                    "  reads:  " + std::string(program.reads), "  writes: " + std::string(program.writes),
                    "Manual page: man " + name});
}

InputFile open_input(std::string_view name) {
  std::string path(name);
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) fail(path, system_error());
  struct stat status;
  if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(descriptor);
    errno = EISDIR;
    fail(path, system_error());
  }
  return InputFile(std::move(path), descriptor);
}

OutputFile open_output(std::string_view name) {
  std::string path(name);
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) fail(path, system_error());
  // Only a regular file is cut; a device or a FIFO is written as it is.
  struct stat status;
  const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
  return OutputFile(std::move(path), descriptor, regular);
}

OutputFile& standard_output() {
  static OutputFile file("standard output", STDOUT_FILENO, false);
  return file;
}

ReadStatus read_fixed(InputFile& file, const Layout& layout, std::initializer_list<InItem> items) {
  const std::optional<std::string_view> record = file.next_record();
  if (!record) return ReadStatus::end_of_input;
  if (auto error = decode_fixed(*record, layout, items))
    fail(location_of(file, file.line_number()), detail::describe(*error));
  return ReadStatus::record;
}

FreeRead read_free(InputFile& file, std::initializer_list<InItem> items) {
  detail::FreeReadOutcome outcome = detail::read_free_values(file, items);
  if (outcome.error) fail(location_of(file, outcome.error_line), detail::describe(*outcome.error));
  return outcome.read;
}

void read_free_required(InputFile& file, std::initializer_list<InItem> items) {
  const detail::FreeReadOutcome outcome = detail::read_free_values(file, items);
  if (outcome.error) fail(location_of(file, outcome.error_line), detail::describe(*outcome.error));
  if (outcome.read.values_read == items.size()) return;
  const std::string counts = "expected " + std::to_string(items.size()) + (items.size() == 1 ? " value" : " values") +
                             ", found " + std::to_string(outcome.read.values_read);
  if (outcome.read.status == ReadStatus::end_of_input) fail_end_of_file(file, counts);
  // A slash or an empty value between commas left a value the program needs unset.
  fail(location_of(file, file.line_number()),
       counts + (outcome.ended_by_slash ? " before a slash" : " (an empty value between commas)"));
}

void write_fixed(OutputFile& file, const Layout& layout, std::initializer_list<OutItem> items) {
  file.commit_record(encode_fixed(file.record_space(layout.record_width() + detail::kMoveSlack), layout, items));
}

ReadStatus read_fixed_texts(InputFile& file, const Layout& layout, std::span<char> items, std::size_t item_length) {
  const std::optional<std::string_view> record = file.next_record();
  if (!record) return ReadStatus::end_of_input;
  detail::decode_text_row(*record, layout, items, item_length);
  return ReadStatus::record;
}

void write_fixed_texts(OutputFile& file, const Layout& layout, std::string_view items, std::size_t item_length) {
  char* const record = file.record_space(layout.record_width() + detail::kMoveSlack);
  file.commit_record(encode_fixed_texts(record, layout, items, item_length));
}

void write_record(OutputFile& file, std::string_view text) {
  char* const record = file.record_space(text.size());
  if (!text.empty()) std::memcpy(record, text.data(), text.size());
  file.commit_record(record + text.size());
}

void write_free(OutputFile& file, std::initializer_list<OutItem> items) {
  file.commit_record(encode_free(file.record_space(free_record_capacity(items)), items));
}

void close_file(InputFile& file) { file.close(); }

void close_file(OutputFile& file) {
  if (!file.close()) fail(file.name(), system_error());
}

void finish() {
  // Closing a file removes it from the list, so take them from its end.
  while (!open_outputs().empty()) close_file(*open_outputs().back());
  const std::string raised = detail::raised_float_exceptions();
  if (!raised.empty()) detail::write_diagnostic("note", "floating-point exceptions were raised: " + raised);
  std::exit(kExitSuccess);
}

namespace detail {

void flush_outputs_before_failure() noexcept {
  for (OutputFile* file : open_outputs()) {
    if (!file->flush()) write_diagnostic(file->name(), system_error());
  }
}

}  // namespace detail
}  // namespace record_io
