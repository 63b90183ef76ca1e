// SPDX-License-Identifier: MIT
// The omega-square source model fitted to a path-corrected amplitude spectrum.
//
// In base-10 logarithms the model is
//   log10 A(f) = L - log10(1 + (f / fc)^2)
// with L = log10 of the plateau level Omega0 and fc the corner frequency in
// hertz. Each sample weighs 1/f, so that every decade of frequency weighs the
// same although the samples are evenly spaced in frequency.
//
//   samples at 1, 2, ..., 40 Hz of 1000 / (1 + (f / 5)^2)
//     -> level 3.0000, corner 5.000 Hz, misfit 0.0000, corner inside
#pragma once

#include <span>

namespace specfit {

// One sample of the corrected spectrum that enters the fit.
struct Sample {
  double frequency;  // hertz, positive and finite
  double amplitude;  // positive and finite
};

// The corner frequency is searched from the lowest to the highest frequency
// of the samples on a grid of this many points per decade...
inline constexpr int kGridPointsPerDecade = 100;
// ... and refined between the neighbours of the best grid point until the
// bracket is narrower than this, relative to the corner frequency.
inline constexpr double kCornerPrecision = 1e-4;

// Where the fitted corner frequency lies in the searched range. At either
// end the spectrum does not resolve it: the best model wants a corner at or
// beyond the frequencies it was given.
enum class CornerPosition { inside, lowest_frequency, highest_frequency };

struct SourceFit {
  double level;   // L, log10 of the plateau level
  double corner;  // fc, hertz
  double misfit;  // weighted root-mean-square residual, log10 units
  CornerPosition position;
  double lowest_frequency;  // the range searched for fc, hertz
  double highest_frequency;
};

// The best plateau level for one corner frequency, and the misfit it leaves.
struct LevelFit {
  double level;
  double misfit;
};

// The closed form for a given corner: L is the weighted mean of
// log10 A + log10(1 + (f / fc)^2), the misfit the weighted rms residual
// about it.
//   samples (1 Hz, 10), (4 Hz, 1) with fc = 2 Hz: the reduced values are
//   1 + log10(1.25) = 1.09691 and 0 + log10(5) = 0.69897, weighted 1 and 1/4
//   -> level 1.017322, misfit 0.159176
LevelFit best_level_for_corner(std::span<const Sample> samples, double corner);

// Fits the model to the samples (at least one; in practice three or more):
// the grid search, then the refinement.
SourceFit fit_source_spectrum(std::span<const Sample> samples);

// log10 of the model's amplitude at `frequency`.
double model_log_amplitude(double level, double corner, double frequency);

}  // namespace specfit
