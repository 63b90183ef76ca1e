// SPDX-License-Identifier: MIT
// pathfix: corrects the amplitude spectrum of "infile" for geometric spreading
// and anelastic attenuation along the source-station path whose distance
// components stand in "t1dhp", and writes the corrected spectrum to "oufile".
//
// Each amplitude a at frequency f becomes
//   y = a * R * exp(pi * f * R / (Q(f) * beta)),   Q(f) = 230 * f^1.01,
// with R the path length in centimetres and beta the shear-wave velocity. The
// first frequency of the spectrum goes to standard output.
//
// Every value is single precision and every operation is rounded in the order
// written here: the corrected amplitudes depend on that order.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "record_io/record_io.hpp"

namespace {

constexpr std::int32_t kMaxAmplitudes = 100000;  // samples held in the amplitude table
// The header counts one sample more than the amplitudes that follow it.
constexpr std::int32_t kMaxSampleCount = kMaxAmplitudes + 1;
constexpr std::size_t kBlockSamples = 64;  // samples corrected side by side

constexpr float kShearVelocity = 320000.0f;  // beta, centimetres per second
constexpr float kPi = 3.14159f;              // the value used for pi in the attenuation term
constexpr float kQCoefficient = 230.0f;      // Q(f) = 230 * f^1.01
constexpr float kQExponent = 1.01f;
constexpr float kMetresPerKilometre = 1000.0f;  // the distance components are in kilometres,
constexpr float kCentimetresPerMetre = 100.0f;  // the path length in centimetres

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "pathfix",
             .purpose = "Corrects an amplitude spectrum for geometric spreading and anelastic attenuation.",
             .reads = "infile, t1dhp",
             .writes = "oufile; the first frequency on standard output"},
            argc, argv);

  InputFile spectrum = open_input("infile");
  OutputFile corrected = open_output("oufile");
  InputFile distance = open_input("t1dhp");

  // The two components of the distance from the source to the station, in
  // kilometres: along the surface (epicentral distance) and down (depth).
  float epicentral_distance = 0.0f;
  float depth = 0.0f;
  read_free_required(distance, {epicentral_distance, depth});
  close_file(distance);

  // Path length in centimetres: the root is scaled in two steps, as kilometres
  // to metres and metres to centimetres.
  const float path_length =
      (sqrtf(epicentral_distance * epicentral_distance + depth * depth) * kMetresPerKilometre) * kCentimetresPerMetre;

  // Header: a value that is not used, the frequency step and the sample count.
  float unused = 0.0f;
  float step = 0.0f;
  std::int32_t sample_count = 0;
  read_free_required(spectrum, {unused, step, sample_count});
  // A larger count would overrun the table: refuse it before reading any
  // amplitude, so that "oufile" receives nothing.
  refuse_count_above(spectrum, "sample count", sample_count, kMaxSampleCount);
  // The record after the header is passed over whatever it holds, but it must exist.
  if (read_free(spectrum, {}).status == ReadStatus::end_of_input)
    fail_end_of_file(spectrum, "expected the record that follows the header");

  // The amplitudes of samples 1 to n - 1; a count of 1 or less gives none
  // (taken without computing n - 1, which overflows for the smallest count).
  const std::int32_t amplitude_count = sample_count > 1 ? sample_count - 1 : 0;
  static std::array<float, kMaxAmplitudes> amplitude{};  // every entry zero at start
  const auto samples = static_cast<std::size_t>(amplitude_count);
  read_free_each(spectrum, std::span(amplitude).first(samples), "amplitude", "amplitudes");
  close_file(spectrum);

  // All input is read; each amplitude is corrected in its place in the
  // table, and the corrected spectrum is written. The frequency is
  // accumulated by repeated addition of the step, so later samples carry the
  // rounding of every addition before them.
  //
  // The samples are corrected a block at a time, each step of the formula
  // over the whole block before the next: the frequencies, the powers, the
  // exponents of the attenuation term, their exponentials, the corrected
  // amplitudes. The steps without a call then run four samples to an
  // instruction, and the calls follow one another with nothing between them.
  // Every sample's own operations are the same, in the same order.
  float f = 0.0f;  // the frequency of the sample, hertz
  for (std::size_t first = 0; first < samples; first += kBlockSamples) {
    const std::size_t count = std::min(kBlockSamples, samples - first);
    const std::span<float> block = std::span(amplitude).subspan(first, count);
    std::array<float, kBlockSamples> frequency;
    std::array<float, kBlockSamples> power;     // f^1.01
    std::array<float, kBlockSamples> exponent;  // of the attenuation term, then its exponential
    for (std::size_t i = 0; i < count; ++i) {
      f = step + f;
      frequency[i] = f;
    }
    for (std::size_t i = 0; i < count; ++i) power[i] = powf(frequency[i], kQExponent);
    for (std::size_t i = 0; i < count; ++i) {
      const float quality = kQCoefficient * power[i];
      exponent[i] = ((frequency[i] * kPi) * path_length) / (quality * kShearVelocity);
    }
    for (std::size_t i = 0; i < count; ++i) exponent[i] = expf(exponent[i]);
    for (std::size_t i = 0; i < count; ++i) {
      const float spread = block[i] * path_length;
      block[i] = exponent[i] * spread;
    }
  }
  // The first frequency is the step added to a frequency of zero when at
  // least one amplitude was read, else zero.
  const float first_frequency = samples > 0 ? step + 0.0f : 0.0f;
  write_free_each(corrected, std::span(amplitude).first(samples));
  write_free(standard_output(), {first_frequency});

  close_file(corrected);
  finish();
}
