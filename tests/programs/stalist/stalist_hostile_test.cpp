// SPDX-License-Identifier: MIT
// stalist over hostile inputs. It opens "tempo2.dat" first and
// "estaciones_2.txt" next, and writes one station line per entry read: a
// failure leaves the lines of the entries before it.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

// A station line from the code and columns 16-42.
std::string station(std::string_view code, std::string_view values) {
  return std::string(code) + "  IS  VNE  " + std::string(values) + "0.0     0.00  0.00  0.00  0.00 0  1.00--SHE";
}

const std::string kAbcd = "ABCD 3 42.15 40 25.3 655";
const std::string kAbcdLine = station("ABCD", "40 25.3000   3 42.1500  655");
const std::string kEfgh = "EFGH 4 10.5 41 0.25 1200";
const std::string kEfghLine = station("EFGH", "41  0.2500   4 10.5000 1200");
const std::string kOldStations = "an old station line\n";

std::vector<ProgramCase> cases() {
  return {
      // The first value, whatever its bytes, is the station code. A slash
      // among the bytes of the first line ends that entry there: its other
      // values keep those of the entry before (zeros for the first entry),
      // and it gets its line. The second line starts the next entry, whose
      // longitude degrees are bytes that are no integer.
      {"BinaryGarbage",
       {file("tempo2.dat", binary_garbage())},
       1,
       matching(R"(stalist: tempo2\.dat:2: columns \d+-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as an integer\n)"),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({station("\x7f"
                                                    "ELF",
                                                    " 0  0.0000   0  0.0000    0")}))}},
      {"BinaryGarbageAfterAnEntry",
       {file("tempo2.dat", kAbcd + "\n" + binary_garbage()), file("estaciones_2.txt", kOldStations)},
       1,
       matching(R"(stalist: tempo2\.dat:3: columns \d+-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as an integer\n)"),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine, station("\x7f"
                                                               "ELF",
                                                               "40 25.3000   3 42.1500  655")}))}},
      // Values after the sixth are passed over, however many.
      {"TenMegabyteLine",
       {made_file("tempo2.dat",
                  [] {
                    std::string text = kAbcd;
                    text.reserve(kTenMegabytes + 8);
                    while (text.size() < kTenMegabytes) text += " 999";
                    return text + "\n" + kEfgh + "\n";
                  })},
       0,
       exactly(""),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine, kEfghLine}))}},
      {"EmptyFile", {file("tempo2.dat", "")}, 0, exactly(""), exactly(""), {created_empty("estaciones_2.txt")}},
      {"EmptyFileKeepsExistingOutput",
       {file("tempo2.dat", ""), file("estaciones_2.txt", kOldStations)},
       0,
       exactly(""),
       exactly(""),
       {unchanged("estaciones_2.txt")}},
      {"InputIsDirectory",
       {directory("tempo2.dat")},
       1,
       exactly("stalist: tempo2.dat: Is a directory\n"),
       exactly(""),
       {absent("estaciones_2.txt")}},
      {"OutputIsDirectory",
       {file("tempo2.dat", lines_of({kAbcd})), directory("estaciones_2.txt")},
       1,
       exactly("stalist: estaciones_2.txt: Is a directory\n"),
       exactly(""),
       {still_directory("estaciones_2.txt")}},
      {"OutputOnFullDevice",
       {file("tempo2.dat", lines_of({kAbcd, kEfgh})), full_device("estaciones_2.txt")},
       1,
       exactly("stalist: estaciones_2.txt: No space left on device\n"),
       exactly(""),
       {still_full_device("estaciones_2.txt")}},
      // The list ends inside an entry: no line for it, and a normal end.
      {"CutInsideEntry",
       {file("tempo2.dat", kAbcd + "\n" + kEfgh.substr(0, 11))},
       0,
       exactly(""),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine}))}},
      {"IntegerBeyond32Bits",
       {file("tempo2.dat", lines_of({kAbcd, "EFGH 2147483648 10.5 41 0.25 1200"}))},
       1,
       exactly("stalist: tempo2.dat:2: columns 6-15: integer \"2147483648\" is out of range (allowed: -2147483648 to "
               "2147483647)\n"),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine}))}},
      {"RealBeyondRange",
       {file("tempo2.dat", lines_of({kAbcd, "EFGH 4 1e39 41 0.25 1200"}))},
       1,
       exactly("stalist: tempo2.dat:2: columns 8-11: number \"1e39\" is beyond the range of a real\n"),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine}))}},
      {"TextWhereDegreesAreDue",
       {file("tempo2.dat", lines_of({"EFGH four 10.5 41 0.25 1200"})), file("estaciones_2.txt", kOldStations)},
       1,
       exactly("stalist: tempo2.dat:1: columns 6-9: cannot read \"four\" as an integer\n"),
       exactly(""),
       {unchanged("estaciones_2.txt")}},
      {"RealWhereDegreesAreDue",
       {file("tempo2.dat", lines_of({kAbcd, "EFGH 4.0 10.5 41 0.25 1200"}))},
       1,
       exactly("stalist: tempo2.dat:2: columns 6-8: cannot read \"4.0\" as an integer\n"),
       exactly(""),
       {holds("estaciones_2.txt", lines_of({kAbcdLine}))}},
  };
}

class StalistHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(StalistHostile, EndsAsStated) { run_case("stalist", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, StalistHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
