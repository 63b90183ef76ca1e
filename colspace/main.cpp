// SPDX-License-Identifier: MIT
// colspace: re-writes the fixed-column table of "varios.dat" into
// "salida_varios.dat" with one blank between neighbouring columns.
//
// Each line holds thirteen text columns side by side, 69 columns in all;
// columns that touch in the input are separated in the output, 81 columns in
// all. Every column is copied byte for byte, blanks included: nothing in the
// table is interpreted, trimmed or justified. The table is streamed one line
// at a time, and nothing is printed on standard output.
#include <array>
#include <cstddef>
#include <string>

#include "record_io/record_io.hpp"

namespace {

constexpr int kMaxLines = 10000;          // lines converted from "varios.dat"
constexpr std::size_t kFieldCount = 13;   // columns of the table
constexpr std::size_t kFieldLength = 20;  // characters held per column; every column is narrower

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "colspace",
             .purpose = "Separates the thirteen columns of a fixed-column table by one blank.",
             .reads = "varios.dat",
             .writes = "salida_varios.dat"},
            argc, argv);

  // The same thirteen widths, packed on input and one blank apart on output
  // (the run of blanks in the second is as it has always been written; blanks
  // in a layout carry no meaning).
  const Layout packed_line{"(A8,A5,A6,A3,A6,A4,A6,A7,A7,A3,A4,A5,A5)"};
  const Layout spaced_line{"(A8,1x,A5,1x,A6,1x,A3,1x,A6,1x,A4,1x,A6,1x,A7,1x,A7,1x,A3,    1x,A4,1x,A5,1x,A5)"};

  InputFile varios = open_input("varios.dat");
  OutputFile salida = open_output("salida_varios.dat");

  TextRow<kFieldLength, kFieldCount> columns;  // the thirteen items of one line
  int converted = 0;
  while (converted < kMaxLines) {
    if (read_fixed(varios, packed_line, columns) == ReadStatus::end_of_input) break;
    write_fixed(salida, spaced_line, columns);
    ++converted;
  }
  if (converted == kMaxLines) warn_if_beyond_capacity(varios, kMaxLines, "lines", "converted");

  close_file(varios);
  close_file(salida);
  finish();
}
