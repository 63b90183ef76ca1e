// SPDX-License-Identifier: MIT
#include "source_fit.hpp"

#include <cmath>
#include <cstddef>
#include <vector>

namespace specfit {
namespace {

// The samples in the form the fit uses them: log10 of each amplitude and its
// weight, computed once. Every sum runs over the samples in their order, so
// that the result is the same on every machine.
class WeightedLogSpectrum {
 public:
  explicit WeightedLogSpectrum(std::span<const Sample> samples)
      : frequency_(samples.size()), log_amplitude_(samples.size()), weight_(samples.size()), reduced_(samples.size()) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      frequency_[i] = samples[i].frequency;
      log_amplitude_[i] = std::log10(samples[i].amplitude);
      weight_[i] = 1.0 / samples[i].frequency;  // each decade weighs the same
      weight_sum_ = weight_sum_ + weight_[i];
    }
  }

  // 1. The reduced values r = log10 A + log10(1 + (f / fc)^2), the
  //    plateau each sample implies for this corner.
  // 2. L, their weighted mean.
  // 3. The misfit, the weighted rms of r - L (taken about the mean in a
  //    second pass, which loses no digits to cancellation).
  LevelFit fit_level(double corner) {
    double weighted_sum = 0.0;
    for (std::size_t i = 0; i < frequency_.size(); ++i) {
      const double ratio = frequency_[i] / corner;
      reduced_[i] = log_amplitude_[i] + std::log10(1.0 + ratio * ratio);
      weighted_sum = weighted_sum + weight_[i] * reduced_[i];
    }
    const double level = weighted_sum / weight_sum_;
    double squares = 0.0;
    for (std::size_t i = 0; i < frequency_.size(); ++i) {
      const double residual = reduced_[i] - level;
      squares = squares + weight_[i] * (residual * residual);
    }
    return {level, std::sqrt(squares / weight_sum_)};
  }

 private:
  std::vector<double> frequency_;
  std::vector<double> log_amplitude_;
  std::vector<double> weight_;
  std::vector<double> reduced_;  // scratch of fit_level
  double weight_sum_ = 0.0;
};

// The best corner met so far: a candidate replaces it only with a strictly
// smaller misfit, so that ties keep the earlier one.
struct BestCorner {
  double corner;
  LevelFit fit;

  void consider(double candidate, const LevelFit& candidate_fit) {
    if (candidate_fit.misfit < fit.misfit) {
      corner = candidate;
      fit = candidate_fit;
    }
  }
};

// 1/golden ratio: each step of the golden-section search keeps this share
// of the bracket and reuses one of its two inner points.
const double kGoldenShare = (std::sqrt(5.0) - 1.0) / 2.0;

}  // namespace

LevelFit best_level_for_corner(std::span<const Sample> samples, double corner) {
  return WeightedLogSpectrum(samples).fit_level(corner);
}

double model_log_amplitude(double level, double corner, double frequency) {
  const double ratio = frequency / corner;
  return level - std::log10(1.0 + ratio * ratio);
}

SourceFit fit_source_spectrum(std::span<const Sample> samples) {
  WeightedLogSpectrum spectrum(samples);
  double lowest = samples.front().frequency;
  double highest = samples.front().frequency;
  for (const Sample& sample : samples) {
    if (sample.frequency < lowest) lowest = sample.frequency;
    if (sample.frequency > highest) highest = sample.frequency;
  }

  // Step 1: the grid, evenly spaced in log10 f from the lowest to the highest
  // frequency, both ends included exactly, at least kGridPointsPerDecade
  // points per decade.
  const double decades = std::log10(highest / lowest);
  const double intervals_wanted = std::ceil(decades * kGridPointsPerDecade);
  const int intervals = intervals_wanted < 1.0 ? 1 : static_cast<int>(intervals_wanted);
  const double log_lowest = std::log10(lowest);
  auto grid_point = [&](int j) {
    if (j == 0) return lowest;
    if (j == intervals) return highest;
    return std::pow(10.0, log_lowest + (decades * j) / intervals);
  };
  BestCorner best{lowest, spectrum.fit_level(lowest)};
  int best_index = 0;
  for (int j = 1; j <= intervals; ++j) {
    const double corner = grid_point(j);
    const LevelFit fit = spectrum.fit_level(corner);
    if (fit.misfit < best.fit.misfit) {
      best = {corner, fit};
      best_index = j;
    }
  }

  // Step 2: a golden-section search in log fc between the best grid point's
  // neighbours (the point itself where it ends the grid), until the bracket
  // is narrower than kCornerPrecision relative to fc. The best corner
  // evaluated wins, the grid point included: where the misfit keeps falling
  // towards an end of the grid, that end is the answer.
  double low = std::log(grid_point(best_index > 0 ? best_index - 1 : 0));
  double high = std::log(grid_point(best_index < intervals ? best_index + 1 : intervals));
  const double narrow_enough = std::log1p(kCornerPrecision);
  double inner_low = high - kGoldenShare * (high - low);
  double inner_high = low + kGoldenShare * (high - low);
  LevelFit fit_low = spectrum.fit_level(std::exp(inner_low));
  LevelFit fit_high = spectrum.fit_level(std::exp(inner_high));
  best.consider(std::exp(inner_low), fit_low);
  best.consider(std::exp(inner_high), fit_high);
  while (high - low > narrow_enough) {
    if (fit_low.misfit <= fit_high.misfit) {
      high = inner_high;
      inner_high = inner_low;
      fit_high = fit_low;
      inner_low = high - kGoldenShare * (high - low);
      fit_low = spectrum.fit_level(std::exp(inner_low));
      best.consider(std::exp(inner_low), fit_low);
    } else {
      low = inner_low;
      inner_low = inner_high;
      fit_low = fit_high;
      inner_high = low + kGoldenShare * (high - low);
      fit_high = spectrum.fit_level(std::exp(inner_high));
      best.consider(std::exp(inner_high), fit_high);
    }
  }

  CornerPosition position = CornerPosition::inside;
  if (best.corner == lowest) position = CornerPosition::lowest_frequency;
  if (best.corner == highest) position = CornerPosition::highest_frequency;
  return {best.fit.level, best.corner, best.fit.misfit, position, lowest, highest};
}

}  // namespace specfit
