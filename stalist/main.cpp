// SPDX-License-Identifier: MIT
// stalist: converts the station list of "tempo2.dat" into the fixed-column
// station lines of "estaciones_2.txt".
//
// Each entry of the list gives, in free format, a four-character station
// code, the longitude and the latitude as whole degrees and decimal minutes,
// and the elevation in metres. Each station line gives the code, the latitude
// before the longitude, and the elevation, between two fixed texts; a value
// too wide for its field shows as asterisks. Nothing is computed and no value
// is checked for range or sign.
#include <cstdint>
#include <string>
#include <string_view>

#include "record_io/record_io.hpp"

namespace {

constexpr int kMaxStations = 100;  // entries converted from "tempo2.dat"

// The texts that every station line carries around its values, after the
// code (11 columns) and after the elevation (43 columns).
constexpr std::string_view kTextAfterCode{"  IS  VNE  "};
constexpr std::string_view kTextAfterElevation{"0.0     0.00  0.00  0.00  0.00 0  1.00--SHE"};

void warn_if_minus_zero(const record_io::InputFile& list, const record_io::SignedInteger& degrees,
                        std::string_view coordinate, std::string_view side) {
  if (degrees.value != 0 || !degrees.minus_sign) return;
  record_io::warn(record_io::location_of(list, degrees.line),
                  std::string(coordinate) + " degrees written -0 lose their sign: the station is written " +
                      std::string(side));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "stalist",
             .purpose = "Converts a list of station coordinates into fixed-column station lines.",
             .reads = "tempo2.dat",
             .writes = "estaciones_2.txt"},
            argc, argv);

  const Layout station_line{"(A4,A11,I2,F8.4,1X,I3,F8.4,1X,I4,A43)"};

  InputFile tempo2 = open_input("tempo2.dat");
  OutputFile stations = open_output("estaciones_2.txt");

  // One entry at a time. A value that a read leaves unset (a slash ends the
  // entry early, or a null value between commas) keeps the previous entry's
  // value; before the first entry that is blanks and zeros. The degrees keep
  // the sign they were written with, for the warning below.
  Text<4> code = blank_text<4>();
  SignedInteger lon_degrees;
  float lon_minutes = 0.0f;
  SignedInteger lat_degrees;
  float lat_minutes = 0.0f;
  std::int32_t elevation_m = 0;

  int count = 0;
  while (count < kMaxStations) {
    lon_degrees.minus_sign = lat_degrees.minus_sign = false;
    // An entry cut short by the end of the list gives no line.
    if (read_free(tempo2, {code, lon_degrees, lon_minutes, lat_degrees, lat_minutes, elevation_m}).status ==
        ReadStatus::end_of_input)
      break;
    // Whole degrees are integers, which have no negative zero: a station
    // less than a degree west of Greenwich or south of the equator, written
    // -0 and its minutes, lands on the other side. The line stays as it is.
    warn_if_minus_zero(tempo2, lon_degrees, "longitude", "east of Greenwich");
    warn_if_minus_zero(tempo2, lat_degrees, "latitude", "north of the equator");
    write_fixed(stations, station_line,
                {code, kTextAfterCode, lat_degrees.value, lat_minutes, lon_degrees.value, lon_minutes,
                 elevation_m, kTextAfterElevation});
    ++count;
  }
  if (count == kMaxStations) warn_if_beyond_capacity(tempo2, kMaxStations, "station entries", "written");

  close_file(tempo2);
  close_file(stations);
  finish();
}
