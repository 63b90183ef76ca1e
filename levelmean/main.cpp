// SPDX-License-Identifier: MIT
// levelmean: averages the plateau levels of the stations of one event, read
// from "niveles.dat", into the "t1.promedio" that mwcalc reads.
//
// Each line of "niveles.dat" is one station; its first value is L, the
// base-10 logarithm of the station's plateau level, and the rest of the line
// is ignored, so that the "nivel.dat" files of specfit, put one after the
// other, serve as they are. The mean of L is written to "t1.promedio"; the
// number of stations, the mean, the sample standard deviation, the standard
// error of the mean, the median, the lowest and highest level and the
// standard error of Mw that follows go to standard output.
//
// "t1.promedio" is opened only once the levels are read: a run that finds
// no level leaves it as it was.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record_io/record_io.hpp"

namespace {

constexpr std::int32_t kMaxLevels = 1000;  // stations averaged from "niveles.dat"
// mwcalc's magnitude is log10(Mo) / 1.5 - 10.73 and log10(Mo) moves with L
// one for one: Mw moves by L / 1.5, and so does its error.
constexpr double kMagnitudeDivisor = 1.5;

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "levelmean",
             .purpose = "Averages the plateau levels of the stations of an event for mwcalc.",
             .reads = "niveles.dat",
             .writes = "t1.promedio; the count, mean, spread and median of the levels on standard output"},
            argc, argv);

  // Step 1: the first value of each line, up to kMaxLevels lines.
  InputFile levels_file = open_input("niveles.dat");
  std::vector<double> levels;
  levels.reserve(kMaxLevels);
  while (static_cast<std::int32_t>(levels.size()) < kMaxLevels) {
    float level = 0.0f;
    const FreeRead read = read_free(levels_file, {level});
    if (read.status == ReadStatus::end_of_input) break;
    // A slash or a comma before the first value would leave the level unset.
    if (read.values_read == 0)
      fail(location_of(levels_file, levels_file.line_number()), "expected a level first on the line, found none");
    // Not-a-number or an infinity would make every figure meaningless.
    if (!std::isfinite(level))
      fail(location_of(levels_file, levels_file.line_number()), "the level is not a finite number");
    levels.push_back(static_cast<double>(level));
  }
  if (static_cast<std::int32_t>(levels.size()) == kMaxLevels)
    warn_if_beyond_capacity(levels_file, kMaxLevels, "levels", "averaged");
  if (levels.empty()) fail_end_of_file(levels_file, "expected at least one level, found none");
  close_file(levels_file);

  // Step 2: the statistics, each sum taken in the order of the lines.
  const auto count = static_cast<std::int32_t>(levels.size());
  const auto n = static_cast<double>(count);
  double sum = 0.0;
  for (const double level : levels) sum = sum + level;
  const double mean = sum / n;
  double squares = 0.0;
  for (const double level : levels) squares = squares + (level - mean) * (level - mean);
  // The sample standard deviation, N - 1 in the denominator; none can be
  // taken from one station, whose spread is given as 0.
  const double deviation = count > 1 ? std::sqrt(squares / (n - 1.0)) : 0.0;
  const double mean_error = deviation / std::sqrt(n);
  std::vector<double> sorted = levels;
  std::sort(sorted.begin(), sorted.end());
  const auto middle = sorted.size() / 2;
  const double median = sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
  const double magnitude_error = mean_error / kMagnitudeDivisor;

  // Step 3: the mean for mwcalc, then the figures on standard output.
  OutputFile average = open_output("t1.promedio");
  write_free(average, {static_cast<float>(mean)});
  close_file(average);

  write_free(standard_output(), {"Estaciones ", count});
  write_free(standard_output(), {"Nivel medio ", static_cast<float>(mean)});
  write_free(standard_output(), {"Desviacion tipica ", static_cast<float>(deviation)});
  write_free(standard_output(), {"Error de la media ", static_cast<float>(mean_error)});
  write_free(standard_output(), {"Mediana ", static_cast<float>(median)});
  write_free(standard_output(), {"Nivel minimo ", static_cast<float>(sorted.front())});
  write_free(standard_output(), {"Nivel maximo ", static_cast<float>(sorted.back())});
  write_free(standard_output(), {"Error de Mw ", static_cast<float>(magnitude_error)});
  finish();
}
