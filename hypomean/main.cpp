// SPDX-License-Identifier: MIT
// hypomean: averages repeated location results of "t1" into the one result
// record of "res.dat".
//
// Each location record holds four reals and six integers, in free format.
// Up to ten of them are read and echoed on standard output; then the mean of
// each real over the records read and the error of that mean (the population
// standard deviation divided by the square root of the count) are written,
// followed by the six integers of the first location record.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "record_io/record_io.hpp"

namespace {

constexpr int kMaxLocations = 10;  // location records averaged from "t1"
constexpr int kRealCount = 4;      // reals of a location record, each averaged
constexpr int kIntegerCount = 6;   // integers of a location record, copied from the first one

// One location record of "t1".
struct LocationRecord {
  std::array<float, kRealCount> reals;
  std::array<std::int32_t, kIntegerCount> integers;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "hypomean",
             .purpose = "Averages up to ten repeated location results into one line of means and errors.",
             .reads = "t1",
             .writes = "res.dat; the location records read and their count on standard output"},
            argc, argv);

  const Layout result_line{"(8(F8.3,1x),6(I4,1x))"};

  InputFile locations = open_input("t1");
  OutputFile results = open_output("res.dat");

  // Zero at start: a value that no input sets (a slash ends a record early,
  // or the file ends inside the first record) stays 0.
  static std::array<LocationRecord, kMaxLocations> table;
  std::int32_t count = 0;
  while (count < kMaxLocations) {
    LocationRecord& r = table[static_cast<std::size_t>(count)];
    auto& x = r.reals;
    auto& n = r.integers;
    // A record cut short by the end of the file is neither echoed nor counted.
    if (read_free(locations, {x[0], x[1], x[2], x[3], n[0], n[1], n[2], n[3], n[4], n[5]}).status ==
        ReadStatus::end_of_input)
      break;
    write_free(standard_output(), {x[0], x[1], x[2], x[3], n[0], n[1], n[2], n[3], n[4], n[5]});
    ++count;
  }
  // What follows the tenth record is never parsed; it is only noticed.
  if (count == kMaxLocations) warn_if_beyond_capacity(locations, kMaxLocations, "location records", "averaged");
  close_file(locations);

  write_free(standard_output(), {"Promediando ", count, " datos"});

  // With no record the means and errors are 0/0, not-a-number, and the run
  // ends with the note on the invalid operation.
  const float divisor = static_cast<float>(count);
  std::array<float, kRealCount> mean;
  std::array<float, kRealCount> error;
  for (std::size_t k = 0; k < kRealCount; ++k) {
    float sum = 0.0f;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) sum = sum + table[i].reals[k];
    mean[k] = sum / divisor;
  }
  for (std::size_t k = 0; k < kRealCount; ++k) {
    float deviation_sum = 0.0f;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
      const float deviation = mean[k] - table[i].reals[k];
      deviation_sum = deviation_sum + deviation * deviation;
    }
    // Square root first, then the division by the count (not count - 1).
    error[k] = std::sqrt(deviation_sum) / divisor;
  }

  const auto& first = table[0].integers;
  write_fixed(results, result_line,
              {mean[0], error[0], mean[1], error[1], mean[2], error[2], mean[3], error[3], first[0], first[1], first[2],
               first[3], first[4], first[5]});

  close_file(results);
  finish();
}
