// The record I/O layer shared by every program of the toolkit.
//
// A file is a sequence of records, one record per line. A program reads and
// writes records either by a fixed-column layout, written as a layout string
// such as "(A4,8x,F6.3,1X,I1)", or in free format (values separated by blanks
// or commas). This header is the whole API the programs use:
//
//   begin_run("pickpair");
//   OutputFile cards = open_output("fases.dat");
//   InputFile picks = open_input("elocate.dat");
//   const Layout pick_line{"(A4,8x,F6.3)"};
//   while (read_fixed(picks, pick_line, {station, seconds}) == ReadStatus::record) ...
//   write_free(standard_output(), {"Buscando en ", station});
//   finish();
//
// Failures (a missing input file, a field that cannot be converted, a write
// that does not reach the disk) end the run at once with one line on standard
// error, "program: file:line: columns a-b: what was found", and exit status
// kExitFailure. Records already written stay in their files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace record_io {

// Exit statuses of every program of the toolkit.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

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

// The kinds of items; each matches the field descriptor kind of the same value.
enum class ItemKind : std::uint8_t { text = 0, integer = 1, real = 2 };

// An item that a read stores into: a character item, a 32-bit integer or a
// single-precision real.
class InItem {
 public:
  InItem(std::span<char> text) noexcept
      : kind_(ItemKind::text), text_(text.data()), length_(text.size()) {}
  template <std::size_t N>
  InItem(Text<N>& text) noexcept : InItem(std::span<char>(text)) {}
  InItem(std::int32_t& value) noexcept : kind_(ItemKind::integer), integer_(&value) {}
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

 private:
  ItemKind kind_;
  union {
    char* text_;
    std::int32_t* integer_;
    float* real_;
  };
  std::size_t length_ = 0;
};

// A value that a write converts: a character item (a text of fixed length,
// such as a string literal or a Text<N>), a 32-bit integer or a
// single-precision real.
class OutItem {
 public:
  OutItem(std::string_view text) noexcept
      : kind_(ItemKind::text), text_(text.data()), length_(text.size()) {}
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
// Layouts: a layout string parsed once into its field descriptors.
// ---------------------------------------------------------------------------

// One field of a layout after repeat counts and groups are expanded.
struct Descriptor {
  enum class Kind : std::uint8_t {
    text = 0,     // An: character field of `width` columns
    integer = 1,  // Iw
    real = 2,     // Fw.d
    skip = 3,     // nX: `width` columns skipped on input, blanks on output
  };
  Kind kind;
  std::uint32_t width;
  std::uint32_t decimals;  // Fw.d only
};

// A data field of a layout (A, I or F) and the column it starts at, counted
// from 0. Columns follow from the widths alone, so they are fixed per layout.
struct Field {
  Descriptor::Kind kind;
  std::uint32_t width;
  std::uint32_t decimals;
  std::uint32_t column;
};

// Limits on layout strings; every layout of the toolkit is far inside them.
inline constexpr std::uint32_t kMaxNumericWidth = 128;        // Iw and Fw.d: w
inline constexpr std::uint32_t kMaxTextWidth = 65535;         // An and nX: n
inline constexpr std::uint32_t kMaxRepeatCount = 65535;       // k of kAn, k(...)
inline constexpr std::size_t kMaxDescriptors = 4096;          // after expansion
inline constexpr std::size_t kMaxLayoutColumns = 1u << 20;    // sum of all widths
inline constexpr int kMaxGroupDepth = 8;

// A parsed layout string. Blanks inside the string carry no meaning and case
// does not matter: "(A8, 1x ,F8.3)" and "(a8,1X,f8.3)" are the same layout.
//   Layout("(8(F8.3,1x),6(I4,1x))") -> 28 descriptors, 14 of them data fields
//   Layout("(A4,5A2)")              -> A4 A2 A2 A2 A2 A2
class Layout {
 public:
  // For the layouts fixed in a program: a malformed string is a programming
  // error, reported on standard error, and the run ends.
  explicit Layout(std::string_view text);

  // For layouts from elsewhere: nullopt on a malformed string, with the reason
  // (position and what is wrong) in *why.
  static std::optional<Layout> parse(std::string_view text, std::string* why = nullptr);

  std::string_view text() const noexcept { return text_; }
  std::span<const Descriptor> descriptors() const noexcept { return descriptors_; }
  std::span<const Field> fields() const noexcept { return fields_; }
  std::size_t data_field_count() const noexcept { return fields_.size(); }
  // Whether any field is an I or F field (text-only records need no number
  // conversion).
  bool has_numeric_fields() const noexcept { return has_numeric_fields_; }
  // The A fields before the first I or F field: how many items a row of
  // texts may fill, the widest of those fields, and the widest run of X
  // columns before or between them, in columns.
  std::size_t leading_text_fields() const noexcept { return leading_text_fields_; }
  std::uint32_t widest_leading_text() const noexcept { return widest_leading_text_; }
  std::uint32_t widest_leading_gap() const noexcept { return widest_leading_gap_; }
  // Columns from the first to the end of the last field, X fields included.
  std::size_t record_width() const noexcept { return record_width_; }

 private:
  Layout() = default;
  std::string text_;
  std::vector<Descriptor> descriptors_;
  std::vector<Field> fields_;
  bool has_numeric_fields_ = false;
  std::size_t leading_text_fields_ = 0;
  std::uint32_t widest_leading_text_ = 0;
  std::uint32_t widest_leading_gap_ = 0;
  std::size_t record_width_ = 0;
};

// ---------------------------------------------------------------------------
// Conversions of one record, with no file involved.
// ---------------------------------------------------------------------------

// Where and why a field could not be converted. Columns count from 1.
struct FieldError {
  std::size_t first_column;
  std::size_t last_column;
  std::string message;  // e.g. cannot read "1x.5" as a number
};

// Converts the fields of `record` into `items` by `layout`. Columns beyond the
// end of the record read as blanks. On bad data, returns the first failing
// field; the items before it have received their values.
std::optional<FieldError> decode_fixed(std::string_view record, const Layout& layout,
                                       std::span<const InItem> items);

// Writes one record (without its line end) at `out`, which has room for the
// columns of every field of the layout and 16 bytes more, and returns one
// past its last byte.
// Blanks that would end the record are not written: it ends with its last
// converted field.
char* encode_fixed(char* out, const Layout& layout, std::span<const OutItem> items);
// The same, appended to a string.
void encode_fixed(std::string& out, const Layout& layout, std::span<const OutItem> items);

// The same for a row of character items of one length laid end to end (the
// columns of a table line held as std::array<Text<20>, 13>, say): `items`
// holds the texts, each `item_length` bytes, and each takes the next field
// as if named one by one. The fields must be A fields, so nothing can fail.
void decode_fixed_texts(std::string_view record, const Layout& layout, std::span<char> items,
                        std::size_t item_length);
char* encode_fixed_texts(char* out, const Layout& layout, std::string_view items, std::size_t item_length);

// The longest free-format record of these items: what encode_free needs.
std::size_t free_record_capacity(std::span<const OutItem> items);
// Writes one free-format record (without its line end) at `out`, which has
// room for free_record_capacity(items) bytes, and returns one past its last
// byte: a blank, then the items, one blank between neighbours except between
// two texts; integers in 11 columns, reals in 16 with 9 significant digits.
char* encode_free(char* out, std::span<const OutItem> items);
// The same, appended to a string.
void encode_free(std::string& out, std::span<const OutItem> items);

// ---------------------------------------------------------------------------
// Files.
// ---------------------------------------------------------------------------

namespace detail {

// The bytes of a file's buffer. They are not cleared when allocated, so the
// pages of a buffer that a run never fills (most of standard output's, all
// but the first of a short input's) are never touched.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t size) : bytes_(new char[size]), size_(size) {}

  char* data() noexcept { return bytes_.get(); }
  const char* data() const noexcept { return bytes_.get(); }
  std::size_t size() const noexcept { return size_; }
  char& operator[](std::size_t at) noexcept { return bytes_[at]; }
  char operator[](std::size_t at) const noexcept { return bytes_[at]; }

  // A larger buffer that starts with the first `kept` bytes of this one.
  void grow(std::size_t size, std::size_t kept) {
    ByteBuffer larger(size);
    if (kept > 0) std::memcpy(larger.data(), data(), kept);
    *this = std::move(larger);
  }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace detail

// An input file: its records, taken one at a time. Lines end at LF or CRLF; a
// last line without a line end is a record; bytes pass untouched.
class InputFile {
 public:
  // A file read from memory instead of the disk, for tests and tools.
  static InputFile from_text(std::string name, std::string_view text);

  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  const std::string& name() const noexcept { return name_; }
  bool is_open() const noexcept { return open_; }
  // Number of the record last taken (1 for the first line); 0 before any.
  long line_number() const noexcept { return line_number_; }

  // Takes the next record. The view stays valid until the next call on this
  // file, and the 16 bytes after its end can be read, whatever they hold, so
  // that fields are moved 16 bytes at a time. nullopt at the end of the file.
  std::optional<std::string_view> next_record();
  // Whether a further record exists, without taking it.
  bool has_more_records();
  // Whether every record left holds only blanks and tabs (or none is left).
  bool only_blanks_remain();

  void close() noexcept;

 private:
  friend InputFile open_input(std::string_view name);
  InputFile(std::string name, int descriptor);
  InputFile(std::string name, std::string_view text);
  bool fill();

  std::string name_;
  int descriptor_ = -1;  // -1 for a file read from memory
  bool open_ = true;
  bool at_end_ = false;
  detail::ByteBuffer buffer_;  // kMoveSlack bytes past what is filled, blanks after the last byte read
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read from the file
  long line_number_ = 0;
};

// An output file. Records are buffered and reach the file at the latest when
// it is closed or the run ends. An existing regular file is cut to nothing when
// the first record is written, so that a run which writes nothing leaves it as
// it was; devices, FIFOs and the like are written as they are.
class OutputFile {
 public:
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  const std::string& name() const noexcept { return name_; }
  bool is_open() const noexcept { return open_; }
  long records_written() const noexcept { return records_written_; }

  // Room for a record of at most `length` bytes; commit_record, given one
  // past the record's last byte, completes it with its line end.
  char* record_space(std::size_t length);
  void commit_record(char* record_end);

  // Writes out the buffer. Returns false (errno set) when the system refuses.
  bool flush() noexcept;
  // Flushes and closes; false (errno set) on a failure.
  bool close() noexcept;

 private:
  friend OutputFile open_output(std::string_view name);
  friend OutputFile& standard_output();
  OutputFile(std::string name, int descriptor, bool cut_at_first_record);

  std::string name_;
  int descriptor_;
  bool open_ = true;
  bool cut_pending_;
  long records_written_ = 0;
  detail::ByteBuffer buffer_;  // its size is the capacity; `used_` bytes wait to be written
  std::size_t used_ = 0;
};

// Records the program's name for messages and clears the floating-point
// exception flags, so that the note at the end speaks of this run only.
void begin_run(std::string_view program_name);

// What a program tells a user who asks for --help.
struct ProgramDescription {
  std::string_view name;     // "pickpair"
  std::string_view purpose;  // one sentence: "Pairs the phase picks of a pick list into phase cards."
  std::string_view reads;    // its input files: "elocate.dat"
  std::string_view writes;   // its outputs: "fases.dat; a line per pick on standard output"
};

// Begins the run as begin_run(program.name) does, after a look at the
// command line. When the only argument is --help or -h, the usage goes to
// standard output; when it is --version, the program's name and the
// toolkit's version ("pickpair (seismic-toolkit) 1.1.0"); either way the run
// then ends with kExitSuccess, no file opened, created or changed. Any other
// command line is ignored, as it always was.
void begin_run(const ProgramDescription& program, int argc, const char* const* argv);

// Writes `text` as one record, as it stands (a line of a report or a
// picture, say): no field, no conversion.
void write_record(OutputFile& file, std::string_view text);

// Opens an existing file for reading; a missing or unreadable file (or a
// directory) ends the run.
InputFile open_input(std::string_view name);
// Opens a file for writing, creating it when missing; an existing file keeps
// its content until the first record is written.
OutputFile open_output(std::string_view name);
// Standard output, written in records like any output file.
OutputFile& standard_output();

enum class ReadStatus : std::uint8_t { record, end_of_input };

// Reads the next record by `layout`. Bad data ends the run.
ReadStatus read_fixed(InputFile& file, const Layout& layout, std::initializer_list<InItem> items);

struct FreeRead {
  ReadStatus status;
  std::size_t values_read;  // items that received a value (a null value between commas gives none)
};

// Reads values in free format from the next record on. Values are separated
// by blanks, tabs or one comma; record ends count as blanks, so the values may
// run over several records. A slash ends the read (the items not reached keep
// their values). Once every item has its value, the rest of the record is
// skipped. With no items, exactly one record is consumed. Bad data ends the run.
FreeRead read_free(InputFile& file, std::initializer_list<InItem> items);

// As read_free, where the program needs every value: the end of the file, a
// slash or a null value before the last item ends the run with a message
// that says how many values were expected and found.
void read_free_required(InputFile& file, std::initializer_list<InItem> items);

void write_fixed(OutputFile& file, const Layout& layout, std::initializer_list<OutItem> items);

// Reads and writes a row of character items of one length, such as the
// thirteen columns of a table line, by a layout of A fields: the same records
// as naming each item in turn, without converting item by item.
//   std::array<Text<20>, 13> columns;
//   while (read_fixed(table, packed, columns) == ReadStatus::record) write_fixed(out, spaced, columns);
ReadStatus read_fixed_texts(InputFile& file, const Layout& layout, std::span<char> items, std::size_t item_length);
void write_fixed_texts(OutputFile& file, const Layout& layout, std::string_view items, std::size_t item_length);

template <std::size_t N, std::size_t K>
ReadStatus read_fixed(InputFile& file, const Layout& layout, std::array<Text<N>, K>& items) {
  static_assert(K > 0 && sizeof items == N * K, "a row of texts lies end to end");
  return read_fixed_texts(file, layout, std::span<char>(items[0].data(), N * K), N);
}

template <std::size_t N, std::size_t K>
void write_fixed(OutputFile& file, const Layout& layout, const std::array<Text<N>, K>& items) {
  static_assert(K > 0 && sizeof items == N * K, "a row of texts lies end to end");
  write_fixed_texts(file, layout, std::string_view(items[0].data(), N * K), N);
}
void write_free(OutputFile& file, std::initializer_list<OutItem> items);

// Flushes and closes; a failed write ends the run.
void close_file(InputFile& file);
void close_file(OutputFile& file);

// Ends the run with exit status 0: flushes and closes every output file still
// open (a failure there ends the run with kExitFailure instead) and, when the
// run raised any of the floating-point exceptions invalid operation, division
// by zero, overflow, underflow or denormal operand, names them in one note on
// standard error.
[[noreturn]] void finish();

// ---------------------------------------------------------------------------
// Diagnostics, in the form "program: file:line: message".
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
// A text found in the input, quoted for a message: control bytes escaped,
// long texts shortened. quote_found("1x.5") -> "\"1x.5\"".
std::string quote_found(std::string_view text);

}  // namespace record_io
