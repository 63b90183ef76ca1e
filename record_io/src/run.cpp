// SPDX-License-Identifier: MIT
// The run of a program: its beginning (the command line, the signals, the
// standard descriptors), the opening of its files, its reads and writes, and
// its end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "buffers.hpp"
#include "codec.hpp"
#include "diagnostics.hpp"
#include "float_flags.hpp"
#include "numbers.hpp"

namespace record_io {
namespace {

std::string system_error() { return std::strerror(errno); }

// Memory that runs out ends the run as any failure does: the records already
// converted written out, one message, status 1. Reporting allocates nothing.
[[noreturn]] void out_of_memory() { detail::fail_run({}, "out of memory"); }

// ---------------------------------------------------------------------------
// Files of the run, so that no output is the same file as an input.
// ---------------------------------------------------------------------------

struct OpenedFile {
  dev_t device;
  ino_t inode;
  std::string name;
  bool output;
  const void* owner;  // the buffer that holds it open
};

// Never destroyed: buffers that outlive it at the end of the run, standard
// output's among them, still take their files off it.
std::vector<OpenedFile>& opened_files() {
  static auto* const files = new std::vector<OpenedFile>;
  return *files;
}

// Notes a file opened by the run, until the buffer `owner` that holds it is
// gone. A regular file that is an input and an output at once would be
// overwritten while it is read: the run ends before anything is written,
// naming the output first.
void note_opened(const std::string& name, int descriptor, bool output, const void* owner) {
  struct stat status;
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return;
  for (const OpenedFile& other : opened_files()) {
    if (other.output == output || other.device != status.st_dev || other.inode != status.st_ino) continue;
    const std::string& output_name = output ? name : other.name;
    const std::string& input_name = output ? other.name : name;
    detail::fail_run(output_name, "is the same file as " + input_name);
  }
  opened_files().push_back({status.st_dev, status.st_ino, name, output, owner});
}

}  // namespace

namespace detail {

void forget_opened(const void* owner) noexcept {
  auto& files = opened_files();
  for (std::size_t i = 0; i < files.size();) {
    if (files[i].owner == owner) {
      files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

}  // namespace detail

namespace {

void print_and_exit(std::initializer_list<std::string_view> lines) {
  for (const std::string_view line : lines) write_record(standard_output(), line);
  close_file(standard_output());
  std::exit(kExitSuccess);
}

}  // namespace

namespace detail {

void begin_run(std::string_view program_name) {
  set_program_name(program_name);
  clear_float_exceptions();
  std::set_new_handler(out_of_memory);
  // A write to a pipe whose reader has gone, or beyond a limit on the size of
  // files, fails as any write does instead of killing the process unheard.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  // A program started with standard input, output or error closed would hand
  // that descriptor to the first file it opens: each gap gets a placeholder.
  // Standard output's is open for reading only, so that what the program
  // prints fails to be written, as it would to a closed descriptor, instead
  // of vanishing.
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) < 0 && errno == EBADF)
      ::open("/dev/null", descriptor == STDERR_FILENO ? O_WRONLY : O_RDONLY);
  }
}

}  // namespace detail

void begin_run(const ProgramDescription& program, int argc, const char* const* argv) {
  detail::begin_run(program.name);
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
  InputFile file = detail::InputBuffer::open(path, descriptor);
  note_opened(path, descriptor, false, &detail::InputBuffer::of(file));
  return file;
}

OutputFile open_output(std::string_view name) {
  std::string path(name);
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) fail(path, system_error());
  // Only a regular file is cut; a device or a FIFO is written as it is.
  struct stat status;
  const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
  OutputFile file = detail::OutputBuffer::open(path, descriptor, regular);
  note_opened(path, descriptor, true, &detail::OutputBuffer::of(file));
  return file;
}

OutputFile& standard_output() {
  static bool noted = false;
  if (!noted) {
    noted = true;
    note_opened("standard output", STDOUT_FILENO, true, &detail::OutputBuffer::of(detail::OutputBuffer::standard_output()));
  }
  return detail::OutputBuffer::standard_output();
}

ReadStatus read_fixed(InputFile& file, const Layout& layout, std::initializer_list<InItem> items) {
  std::string_view record;
  if (!detail::InputBuffer::of(file).take_record(detail::LayoutData::of(layout).record_width(), record))
    return ReadStatus::end_of_input;
  if (auto error = detail::decode_fixed(record, layout, items, file.line_number()))
    fail(location_of(file, file.line_number()), detail::describe(*error));
  return ReadStatus::record;
}

namespace {

// Bad data in a free-format read ends the run.
void fail_on_bad_value(void* file, detail::FieldError&& error, long line) {
  fail(location_of(*static_cast<const InputFile*>(file), line), detail::describe(error));
}

}  // namespace

FreeRead read_free(InputFile& file, std::initializer_list<InItem> items) {
  const detail::FreeReadProgress progress =
      detail::read_free_values(detail::InputBuffer::of(file), items, fail_on_bad_value, &file);
  return {progress.status, progress.values_read};
}

void read_free_required(InputFile& file, std::initializer_list<InItem> items) {
  const detail::FreeReadProgress progress =
      detail::read_free_values(detail::InputBuffer::of(file), items, fail_on_bad_value, &file);
  if (progress.values_read == items.size()) return;
  const std::string counts = "expected " + std::to_string(items.size()) + (items.size() == 1 ? " value" : " values") +
                             ", found " + std::to_string(progress.values_read);
  if (progress.status == ReadStatus::end_of_input) fail_end_of_file(file, counts);
  // A slash or an empty value between commas left a value the program needs unset.
  fail(location_of(file, file.line_number()),
       counts + (progress.ended_by_slash ? " before a slash" : " (an empty value between commas)"));
}

void read_free_each(InputFile& file, std::span<float> values, std::string_view one, std::string_view many) {
  const std::size_t read = detail::read_first_reals(detail::InputBuffer::of(file), values, fail_on_bad_value, &file);
  if (read < values.size())
    fail_end_of_file(file, "expected " + std::to_string(values.size()) + " " +
                               std::string(values.size() == 1 ? one : many) + ", found " + std::to_string(read));
}

void refuse_count_above(const InputFile& file, std::string_view what, long count, long capacity) {
  if (count <= capacity) return;
  fail(location_of(file, file.line_number()), std::string(what) + " is too large: " + std::to_string(count) +
                                                  " (allowed: at most " + std::to_string(capacity) + ")");
}

void write_fixed(OutputFile& file, const Layout& layout, std::initializer_list<OutItem> items) {
  detail::OutputBuffer& out = detail::OutputBuffer::of(file);
  const std::size_t width = detail::LayoutData::of(layout).record_width();
  out.commit_record(detail::encode_fixed(out.record_space(width + detail::kMoveSlack), layout, items));
}

namespace {

// The most common record of all, one real (an amplitude of a spectrum): a
// blank, its 16 columns and the line end. Writing it touches kTouchedBytes
// from `at` on (the real may spill past its columns); it returns the end of
// the record, kRecordBytes on, where the next record may start and
// overwrite the spill.
constexpr std::size_t kTouchedBytes = 1 + detail::kFreeRealWidth + detail::kFreeRealSpill;
constexpr std::size_t kRecordBytes = 1 + detail::kFreeRealWidth + 1;
[[gnu::always_inline]] inline char* put_free_real_record(char* at, float value) {
  at[0] = ' ';
  detail::format_free_real(at + 1, value);
  at[kRecordBytes - 1] = '\n';
  return at + kRecordBytes;
}

}  // namespace

void write_free(OutputFile& file, std::initializer_list<OutItem> items) {
  detail::OutputBuffer& out = detail::OutputBuffer::of(file);
  if (items.size() == 1 && items.begin()->kind() == ItemKind::real)
    return out.commit_records(put_free_real_record(out.record_space(kTouchedBytes), items.begin()->real()));
  out.commit_record(detail::encode_free(out.record_space(detail::free_record_capacity(items)), items));
}

[[gnu::flatten]] void write_free_each(OutputFile& file, std::span<const float> values) {
  detail::OutputBuffer& out = detail::OutputBuffer::of(file);
  // Runs of records, as many as the buffer's room holds, one after the other.
  const float* next = values.data();
  const float* const last = next + values.size();
  while (next != last) {
    std::size_t room;
    char* at = out.records_space(kTouchedBytes, room);
    const std::size_t fit = (room - kTouchedBytes) / kRecordBytes + 1;
    const float* const run_end = next + std::min(fit, static_cast<std::size_t>(last - next));
    for (; next != run_end; ++next) at = put_free_real_record(at, *next);
    out.commit_records(at);
  }
}

void write_record(OutputFile& file, std::string_view text) {
  detail::OutputBuffer& out = detail::OutputBuffer::of(file);
  char* const record = out.record_space(text.size());
  if (!text.empty()) std::memcpy(record, text.data(), text.size());
  out.commit_record(record + text.size());
}

void close_file(InputFile& file) { detail::InputBuffer::of(file).close(); }

void close_file(OutputFile& file) {
  detail::OutputBuffer& out = detail::OutputBuffer::of(file);
  if (!out.close()) fail(out.name(), system_error());
}

void finish() {
  detail::close_outputs();
  const std::string raised = detail::raised_float_exceptions();
  if (!raised.empty()) detail::write_diagnostic("note", "floating-point exceptions were raised: " + raised);
  std::exit(kExitSuccess);
}

void warn_if_beyond_capacity(InputFile& file, long capacity, std::string_view records, std::string_view use) {
  detail::InputBuffer& in = detail::InputBuffer::of(file);
  // Blank lines are records to a fixed-column read, but no values to a
  // free-format one.
  const bool beyond = in.read_in_free_format() ? !in.only_blanks_remain() : in.has_more_records();
  if (!beyond) return;
  const std::string count = std::to_string(capacity);
  warn(location_of(file, in.line_number() + 1), "more than " + count + " " + std::string(records) +
                                                    "; only the first " + count + " were " + std::string(use));
}

}  // namespace record_io
