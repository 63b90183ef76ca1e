// SPDX-License-Identifier: MIT
// specfit: fits the omega-square source model to the path-corrected spectrum
// of one station, writes its plateau level, corner frequency and misfit to
// "nivel.dat" and a picture of the fit to "espectro.svg".
//
// Run in a station's directory after pathfix: "infile" gives the frequency
// step and the spectrum before correction, "oufile" the corrected
// amplitudes, and the optional "banda.dat" the band to fit. The model
//   log10 A(f) = L - log10(1 + (f / fc)^2)
// is fitted by weighted least squares on log10 amplitudes, each sample
// weighing 1/f. L stands first in "nivel.dat", so that the file serves as
// mwcalc's "t1.promedio" for an event of one station.
//
// The outputs are opened only once the fit has succeeded: on any error every
// file is left as it was.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record_io/record_io.hpp"
#include "source_fit.hpp"
#include "spectrum_plot.hpp"

namespace {

constexpr std::int32_t kMaxAmplitudes = 100000;  // samples held, as in pathfix
// The header counts one sample more than the amplitudes that follow it.
constexpr std::int32_t kMaxSampleCount = kMaxAmplitudes + 1;
constexpr std::int32_t kMinUsableSamples = 3;  // two parameters, and one sample to judge them by
constexpr std::size_t kTitleLength = 200;      // characters kept of the line after the header

// The band of frequencies fitted, in hertz; both ends belong to it.
struct Band {
  float lowest;
  float highest;
};

// A frequency for a message, in hertz with three decimals: "25.000".
std::string decimals(double frequency) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", frequency);
  return text;
}

std::string hertz(double frequency) { return decimals(frequency) + " Hz"; }

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "specfit",
             .purpose = "Fits the omega-square source model to a path-corrected amplitude spectrum.",
             .reads = "infile, oufile, banda.dat (optional)",
             .writes = "nivel.dat, espectro.svg; the fitted values on standard output"},
            argc, argv);

  const Layout title_line{"(A" + std::to_string(kTitleLength) + ")"};
  const Layout level_line{"(F8.4,1X,F9.3,1X,F7.4,1X,I6)"};

  // Step 1: the spectrum before correction, read as pathfix reads it: a value
  // that is not used, the frequency step and the sample count; the line after
  // the header (a title); then the amplitudes of samples 1 to n - 1.
  InputFile spectrum = open_input("infile");
  float unused = 0.0f;
  float step = 0.0f;
  std::int32_t sample_count = 0;
  read_free_required(spectrum, {unused, step, sample_count});
  refuse_count_above(spectrum, "sample count", sample_count, kMaxSampleCount);
  Text<kTitleLength> title = blank_text<kTitleLength>();
  if (read_fixed(spectrum, title_line, {title}) == ReadStatus::end_of_input)
    fail_end_of_file(spectrum, "expected the record that follows the header");
  const std::int32_t amplitude_count = sample_count > 1 ? sample_count - 1 : 0;
  const auto samples = static_cast<std::size_t>(amplitude_count);
  std::vector<float> frequency(samples);
  std::vector<float> uncorrected(samples);
  read_free_each(spectrum, uncorrected, "amplitude", "amplitudes");
  close_file(spectrum);
  // The frequency of a sample is the step added once per sample in single
  // precision, exactly as pathfix accumulates it, so that both programs give
  // every sample the same frequency.
  float sum = 0.0f;
  for (std::size_t k = 0; k < samples; ++k) {
    sum = step + sum;
    frequency[k] = sum;
  }

  // Step 2: the corrected amplitudes, one for each sample of "infile".
  InputFile corrected_file = open_input("oufile");
  std::vector<float> corrected(samples);
  read_free_each(corrected_file, corrected, "corrected amplitude, as many as infile announces",
                 "corrected amplitudes, as many as infile announces");
  // A longer file belongs to another spectrum, or to another run of pathfix.
  warn_if_beyond_capacity(corrected_file, static_cast<long>(amplitude_count), "corrected amplitudes", "used");
  close_file(corrected_file);

  // Step 3: the band, from "banda.dat" where it exists; without it, every
  // sample. Only an absent file means the whole spectrum: one that exists
  // but cannot be read is an error.
  // The file is held to the end of the run, as every input is, so that no
  // output can be the same file.
  Band band{-INFINITY, INFINITY};
  std::optional<InputFile> band_file;
  std::error_code ignored;
  if (std::filesystem::exists(std::filesystem::symlink_status("banda.dat", ignored))) {
    band_file = open_input("banda.dat");
    read_free_required(*band_file, {band.lowest, band.highest});
    if (!(band.lowest < band.highest))
      fail(location_of(*band_file, band_file->line_number()),
           "the lowest frequency of the band (" + hertz(static_cast<double>(band.lowest)) +
               ") is not below the highest (" + hertz(static_cast<double>(band.highest)) + ")");
    close_file(*band_file);
  }

  // Step 4: the samples that enter the fit: in the band, at a positive
  // frequency, with a positive and finite corrected amplitude.
  std::vector<specfit::Sample> used;
  for (std::size_t k = 0; k < samples; ++k) {
    const float f = frequency[k];
    const float a = corrected[k];
    if (!std::isfinite(f) || !std::isfinite(a) || f <= 0.0f || a <= 0.0f) continue;
    if (f < band.lowest || f > band.highest) continue;
    used.push_back({static_cast<double>(f), static_cast<double>(a)});
  }
  const auto used_count = static_cast<std::int32_t>(used.size());
  if (used_count < kMinUsableSamples) {
    const std::string where = std::isfinite(band.lowest) || std::isfinite(band.highest)
                                  ? " in the band from " + decimals(static_cast<double>(band.lowest)) + " to " +
                                        hertz(static_cast<double>(band.highest))
                                  : "";
    fail(corrected_file.name(), std::to_string(used_count) + (used_count == 1 ? " usable sample" : " usable samples") +
                                    where + "; at least " + std::to_string(kMinUsableSamples) +
                                    " are needed (a positive, finite amplitude at a positive frequency)");
  }

  // Step 5: the fit. A corner at either end of the frequencies used is not
  // resolved by the spectrum; the fit is still written.
  const specfit::SourceFit fit = specfit::fit_source_spectrum(used);
  if (fit.position == specfit::CornerPosition::lowest_frequency)
    warn(corrected_file.name(),
         "corner frequency at the lower end of the band (" + hertz(fit.corner) + "): not resolved");
  if (fit.position == specfit::CornerPosition::highest_frequency)
    warn(corrected_file.name(),
         "corner frequency at the upper end of the band (" + hertz(fit.corner) + "): not resolved");

  // Step 6: the outputs, opened only now.
  const auto level = static_cast<float>(fit.level);
  const auto corner = static_cast<float>(fit.corner);
  const auto misfit = static_cast<float>(fit.misfit);
  OutputFile level_file = open_output("nivel.dat");
  write_fixed(level_file, level_line, {level, corner, misfit, used_count});
  close_file(level_file);

  OutputFile picture = open_output("espectro.svg");
  const std::vector<std::string> svg = specfit::draw_spectrum_plot(
      {frequency, uncorrected, corrected, fit, used_count, std::string_view(title.data(), title.size())});
  for (const std::string& line : svg) write_record(picture, line);
  close_file(picture);

  write_free(standard_output(), {"Nivel plano ", level});
  write_free(standard_output(), {"Nivel a la 10 ", static_cast<float>(std::pow(10.0, fit.level))});
  write_free(standard_output(), {"Frecuencia de esquina ", corner});
  write_free(standard_output(), {"Desajuste ", misfit});
  write_free(standard_output(), {"Muestras usadas ", used_count});
  write_free(standard_output(),
             {"Banda de ajuste ", static_cast<float>(fit.lowest_frequency), static_cast<float>(fit.highest_frequency)});
  finish();
}
