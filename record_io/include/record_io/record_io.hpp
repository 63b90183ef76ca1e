// SPDX-License-Identifier: MIT
// The record I/O layer shared by every program of the toolkit: the whole of
// what a program calls.
//
// A file is a sequence of records, one record per line. A program reads and
// writes records either by a fixed-column layout, written as a layout string
// such as "(A4,8x,F6.3,1X,I1)", or in free format (values separated by blanks
// or commas). Items are the program's variables named in one read or write:
// fixed-length texts, 32-bit integers and single-precision reals.
//
//   int main(int argc, char** argv) {
//     begin_run({.name = "pickpair", ...}, argc, argv);
//     const Layout pick_line{"(A4,8x,F6.3)"};
//     OutputFile cards = open_output("fases.dat");
//     InputFile picks = open_input("elocate.dat");
//     while (read_fixed(picks, pick_line, {station, seconds}) == ReadStatus::record) ...
//     write_free(standard_output(), {"Buscando en ", station});
//     close_file(picks);
//     close_file(cards);
//     finish();
//   }
//
// Failures (a missing input file, a field that cannot be converted, a write
// that does not reach its file, memory running out) end the run at once with
// one line on standard error, "program: file:line: columns a-b: what was
// found", and exit status kExitFailure. Records already written stay in their
// files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace record_io {

// Exit statuses of every program of the toolkit.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

namespace detail {
class LayoutData;
class InputBuffer;
class OutputBuffer;
}  // namespace detail

// ---------------------------------------------------------------------------
// Items: the program variables named in one read or write.
// ---------------------------------------------------------------------------

// A character item: a fixed-length text, blank-padded, all N bytes significant.
template <std::size_t N>
using Text = std::array<char, N>;

// A text item of N blanks.
template <std::size_t N>
constexpr Text<N> blank_text() {
  Text<N> text{};
  text.fill(' ');
  return text;
}

// An integer read together with the sign it was written with, for a value
// whose minus sign matters even when the number is zero: "-0" reads as 0
// with `minus_sign` set.
struct SignedInteger {
  std::int32_t value = 0;
  bool minus_sign = false;
  long line = 0;  // the line it stood on
};

enum class ItemKind : std::uint8_t { text, integer, real };

// An item that a read stores into: a character item, a 32-bit integer or a
// single-precision real.
class InItem {
 public:
  InItem(std::span<char> text) noexcept : kind_(ItemKind::text), text_(text.data()), length_(text.size()) {}
  template <std::size_t N>
  InItem(Text<N>& text) noexcept : InItem(std::span<char>(text)) {}
  InItem(std::int32_t& value) noexcept : kind_(ItemKind::integer), integer_(&value) {}
  InItem(SignedInteger& value) noexcept : kind_(ItemKind::integer), integer_(&value.value), signed_(&value) {}
  InItem(float& value) noexcept : kind_(ItemKind::real), real_(&value) {}
  // Only the three item types exist: a double or a 64-bit integer would be
  // converted silently, so they are refused at compile time.
  template <class T>
    requires std::is_arithmetic_v<T>
  InItem(T&) = delete;

  ItemKind kind() const noexcept { return kind_; }
  std::span<char> text() const noexcept { return {text_, length_}; }
  std::int32_t& integer() const noexcept { return *integer_; }
  float& real() const noexcept { return *real_; }
  // The SignedInteger behind an integer item, or nullptr.
  SignedInteger* signed_integer() const noexcept { return signed_; }

 private:
  ItemKind kind_;
  union {
    char* text_;
    std::int32_t* integer_;
    float* real_;
  };
  std::size_t length_ = 0;
  SignedInteger* signed_ = nullptr;
};

// A value that a write converts: a character item (a text of fixed length,
// such as a string literal or a Text<N>), a 32-bit integer or a
// single-precision real.
class OutItem {
 public:
  OutItem(std::string_view text) noexcept : kind_(ItemKind::text), text_(text.data()), length_(text.size()) {}
  template <std::size_t N>
  OutItem(const char (&literal)[N]) noexcept : OutItem(std::string_view(literal, N - 1)) {}
  template <std::size_t N>
  OutItem(const Text<N>& text) noexcept : OutItem(std::string_view(text.data(), N)) {}
  OutItem(std::int32_t value) noexcept : kind_(ItemKind::integer), integer_(value) {}
  OutItem(float value) noexcept : kind_(ItemKind::real), real_(value) {}
  template <class T>
    requires std::is_arithmetic_v<T>
  OutItem(T) = delete;

  ItemKind kind() const noexcept { return kind_; }
  std::string_view text() const noexcept { return {text_, length_}; }
  std::int32_t integer() const noexcept { return integer_; }
  float real() const noexcept { return real_; }

 private:
  ItemKind kind_;
  union {
    const char* text_;
    std::int32_t integer_;
    float real_;
  };
  std::size_t length_ = 0;
};

// ---------------------------------------------------------------------------
// Layouts.
// ---------------------------------------------------------------------------

// A layout string, parsed once: An (a character field of n columns), Iw (an
// integer of w columns), Fw.d (a real of w columns with d decimals), nX (n
// columns skipped on input, blanks on output), kAn and k(...) (repeats).
// Blanks inside the string carry no meaning and case does not matter:
// "(A8, 1x ,F8.3)" and "(a8,1X,f8.3)" are the same layout. A malformed layout
// fixed in a program is a programming error: reported, and the run ends.
class Layout {
 public:
  explicit Layout(std::string_view text);
  std::string_view text() const noexcept;

 private:
  friend detail::LayoutData;
  explicit Layout(std::shared_ptr<const detail::LayoutData> data) noexcept;
  std::shared_ptr<const detail::LayoutData> data_;
};

// ---------------------------------------------------------------------------
// Files.
// ---------------------------------------------------------------------------

// An input file: its records, taken one at a time. Lines end at LF or CRLF; a
// last line without a line end is a record; bytes pass untouched.
class InputFile {
 public:
  InputFile(InputFile&&) noexcept;
  InputFile& operator=(InputFile&&) noexcept;
  ~InputFile();

  const std::string& name() const noexcept;
  // Number of the record last taken (1 for the first line); 0 before any.
  long line_number() const noexcept;

 private:
  friend detail::InputBuffer;
  explicit InputFile(std::unique_ptr<detail::InputBuffer> buffer) noexcept;
  std::unique_ptr<detail::InputBuffer> buffer_;
};

// An output file. Records are buffered and reach the file at the latest when
// it is closed or the run ends. An existing regular file keeps its content
// until the first record is written, and then holds exactly the records of
// this run; devices, FIFOs and the like are written as they are.
class OutputFile {
 public:
  OutputFile(OutputFile&&) noexcept;
  OutputFile& operator=(OutputFile&&) noexcept;
  ~OutputFile();

  const std::string& name() const noexcept;

 private:
  friend detail::OutputBuffer;
  explicit OutputFile(std::unique_ptr<detail::OutputBuffer> buffer) noexcept;
  std::unique_ptr<detail::OutputBuffer> buffer_;
};

// ---------------------------------------------------------------------------
// A run.
// ---------------------------------------------------------------------------

// What a program tells a user who asks for --help.
struct ProgramDescription {
  std::string_view name;     // "pickpair"
  std::string_view purpose;  // one sentence: "Pairs the phase picks of a pick list into phase cards."
  std::string_view reads;    // its input files: "elocate.dat"
  std::string_view writes;   // its outputs: "fases.dat; a line per pick on standard output"
};

// Begins the run: records the program's name for messages and clears the
// floating-point exception flags, so that the note at the end speaks of this
// run only. When the only argument is --help or -h, the usage goes to
// standard output; when it is --version, the program's name and the
// toolkit's version ("pickpair (seismic-toolkit) 1.1.3"); either way the run
// then ends with kExitSuccess, no file opened, created or changed. Any other
// command line is ignored.
void begin_run(const ProgramDescription& program, int argc, const char* const* argv);

// Opens an existing file for reading; a missing or unreadable file (or a
// directory) ends the run.
InputFile open_input(std::string_view name);
// Opens a file for writing, creating it when missing; an existing file keeps
// its content until the first record is written.
OutputFile open_output(std::string_view name);
// Standard output, written in records like any output file.
OutputFile& standard_output();
// A file that is both an input and an output of the run (the same file under
// two names, through a link) ends the run when the second of the two is
// opened, before anything is written: "salida.dat: is the same file as
// varios.dat".

enum class ReadStatus : std::uint8_t { record, end_of_input };

// Reads the next record by `layout`: fields beyond the record's end read as
// blanks (texts), 0 or 0.0. Bad data ends the run.
ReadStatus read_fixed(InputFile& file, const Layout& layout, std::initializer_list<InItem> items);

struct FreeRead {
  ReadStatus status;
  std::size_t values_read;  // items that received a value (a null value between commas gives none)
};

// Reads values in free format from the next record on. Values are separated
// by blanks, tabs or one comma; record ends count as blanks, so the values may
// run over several records. A slash ends the read (the items not reached keep
// their values). Once every item has its value, the rest of the record is
// skipped. With no items, exactly one record is consumed. Bad data ends the
// run. Reals are read from any decimal form (12.5, -.5, 7, 1e5, 1.5D-3) and
// from the words NaN, Inf and Infinity in any case.
FreeRead read_free(InputFile& file, std::initializer_list<InItem> items);

// As read_free, where the program needs every value: the end of the file, a
// slash or a null value before the last item ends the run with a message
// that says how many values were expected and found.
void read_free_required(InputFile& file, std::initializer_list<InItem> items);

// Writes one record by `layout`. Blanks that would end the record are not
// written: it ends with its last converted field.
void write_fixed(OutputFile& file, const Layout& layout, std::initializer_list<OutItem> items);

// Writes one free-format record: a blank, then the items, one blank between
// neighbours except between two texts; integers in 11 columns, reals in 16
// with 9 significant digits.
void write_free(OutputFile& file, std::initializer_list<OutItem> items);

// Writes each value as a free-format record of its own, as write_free(file,
// {value}) would one value at a time.
void write_free_each(OutputFile& file, std::span<const float> values);

// Writes `text` as one record, as it stands (a line of a report or a
// picture, say): no field, no conversion.
void write_record(OutputFile& file, std::string_view text);

namespace detail {
// Where a row of texts was read: the record, as it lies in its file's buffer,
// and the layout it was read by.
struct RowSource {
  const char* record = nullptr;
  std::size_t length = 0;
  const LayoutData* layout = nullptr;
};
ReadStatus read_row(InputFile& file, const Layout& layout, std::size_t item_length, std::size_t items,
                    RowSource& row);
void write_row(OutputFile& file, const Layout& layout, std::size_t item_length, std::size_t items,
               const RowSource& row);
void row_item(const RowSource& row, std::size_t index, std::span<char> item);
}  // namespace detail

// K character items of length N read from one record by a layout of A fields,
// such as the thirteen columns of a table line: read_fixed fills the row from
// the record, write_fixed writes it by another layout, with the same records
// as naming each item in turn. The texts are taken from the record where it
// lies when the row is written or looked at, so a line copied from one layout
// to another moves each byte once. A row is valid until the next read of its
// file.
template <std::size_t N, std::size_t K>
class TextRow {
 public:
  static_assert(N > 0 && K > 0, "a row holds at least one text of at least one character");
  // The i-th item, as a read into a Text<N> would have stored it.
  Text<N> operator[](std::size_t i) const {
    Text<N> item;
    detail::row_item(source_, i, item);
    return item;
  }

 private:
  template <std::size_t M, std::size_t L>
  friend ReadStatus read_fixed(InputFile&, const Layout&, TextRow<M, L>&);
  template <std::size_t M, std::size_t L>
  friend void write_fixed(OutputFile&, const Layout&, const TextRow<M, L>&);
  detail::RowSource source_;
};

template <std::size_t N, std::size_t K>
ReadStatus read_fixed(InputFile& file, const Layout& layout, TextRow<N, K>& row) {
  return detail::read_row(file, layout, N, K, row.source_);
}
template <std::size_t N, std::size_t K>
void write_fixed(OutputFile& file, const Layout& layout, const TextRow<N, K>& row) {
  detail::write_row(file, layout, N, K, row.source_);
}

// Flushes and closes; a failed write ends the run.
void close_file(InputFile& file);
void close_file(OutputFile& file);

// Reads the first value of each of the next `values.size()` records (the
// rest of each record is passed over). When the file ends before the last,
// ends the run: "end of file after line 5: expected 5 amplitudes, found 2",
// with `one` ("amplitude") or `many` ("amplitudes") after the count.
void read_free_each(InputFile& file, std::span<float> values, std::string_view one, std::string_view many);

// Ends the run, at the record just read from `file`, when a count read there
// is above the program's capacity: "infile:1: sample count is too large:
// 100002 (allowed: at most 100001)", with `what` ("sample count").
void refuse_count_above(const InputFile& file, std::string_view what, long count, long capacity);

// Ends the run with exit status 0: flushes and closes every output file still
// open (a failure there ends the run with kExitFailure instead) and, when the
// run raised any of the floating-point exceptions invalid operation, division
// by zero, overflow, underflow or denormal operand, names them in one note on
// standard error.
[[noreturn]] void finish();

// ---------------------------------------------------------------------------
// Messages, in the form "program: file:line: message".
// ---------------------------------------------------------------------------

// Ends the run with kExitFailure after writing out every output file.
[[noreturn]] void fail(std::string_view location, std::string_view message);
// Ends the run where the end of `file` came before the values the program
// needs: "name: end of file after line 4: " followed by `expectation`.
[[noreturn]] void fail_end_of_file(const InputFile& file, std::string_view expectation);
// Location of a message about a file: "name" or "name:line".
std::string location_of(const InputFile& file, long line);
// Writes "program: location: warning: message"; the run goes on.
void warn(std::string_view location, std::string_view message);

// After a table of `capacity` records filled from `file`: when a further
// record other than blank lines follows, says that it was not used, as
//   "pickpair: elocate.dat:101: warning: more than 100 picks; only the first 100 were used"
// with `records` ("picks") and `use` ("used") in the program's words.
void warn_if_beyond_capacity(InputFile& file, long capacity, std::string_view records, std::string_view use);

}  // namespace record_io
