// SPDX-License-Identifier: MIT
// The fit of the omega-square model, on samples given directly: the closed
// form of the level, the recovery of exact model spectra whatever the corner,
// and the corners that the spectrum does not resolve.
#include "source_fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "case_name.hpp"

namespace specfit {
namespace {

// Samples of Omega0 / (1 + (f / fc)^2) at step, 2 step, ..., count step,
// computed here from the model's definition.
std::vector<Sample> model_spectrum(double level, double corner, double step, int count) {
  std::vector<Sample> samples;
  for (int k = 1; k <= count; ++k) {
    const double f = step * k;
    samples.push_back({f, std::pow(10.0, level) / (1.0 + (f / corner) * (f / corner))});
  }
  return samples;
}

// The worked example of the header, by hand: reduced values 1.0969100 and
// 0.6989700, weights 1 and 1/4; mean 1.2716525 / 1.25, and the weighted
// squares of the deviations 0.0795880 and -0.3183520.
TEST(BestLevelForCorner, WorkedExample) {
  const std::vector<Sample> samples = {{1.0, 10.0}, {4.0, 1.0}};
  const LevelFit fit = best_level_for_corner(samples, 2.0);
  EXPECT_NEAR(fit.level, 1.0173220, 1e-7);
  EXPECT_NEAR(fit.misfit, 0.1591760, 1e-7);
}

// Each sample weighs 1/f: one sample at 1 Hz weighs as much as ten at 10 Hz.
// Level 2 at 1 Hz and level 1 at ten samples near 10 Hz, with a corner so
// high that it changes nothing: the mean lies half way, 1.5.
TEST(BestLevelForCorner, EachDecadeWeighsTheSame) {
  std::vector<Sample> samples = {{1.0, 100.0}};
  for (int k = 0; k < 10; ++k) samples.push_back({10.0, 10.0});
  const LevelFit fit = best_level_for_corner(samples, 1e9);
  EXPECT_NEAR(fit.level, 1.5, 1e-12);
  EXPECT_NEAR(fit.misfit, 0.5, 1e-12);  // every sample 0.5 from the mean
}

struct RecoveryCase {
  std::string name;
  double level;
  double corner;  // hertz
  double step;    // hertz
  int count;
};

class ExactModelSpectrum : public ::testing::TestWithParam<RecoveryCase> {};

// A spectrum that is exactly the model gives back its level and corner, to
// the precision of the refinement, wherever the corner lies in the band
// (also between grid points, which are 1% apart).
TEST_P(ExactModelSpectrum, IsRecovered) {
  const RecoveryCase& c = GetParam();
  const SourceFit fit = fit_source_spectrum(model_spectrum(c.level, c.corner, c.step, c.count));
  EXPECT_NEAR(fit.level, c.level, 1e-5);
  EXPECT_NEAR(fit.corner / c.corner, 1.0, 2e-4);
  EXPECT_LT(fit.misfit, 1e-4);
  EXPECT_EQ(fit.position, CornerPosition::inside);
  EXPECT_EQ(fit.lowest_frequency, c.step);
  EXPECT_EQ(fit.highest_frequency, c.step * c.count);
}

const RecoveryCase kRecoveryCases[] = {
    {"CornerNearTheLowestFrequency", 2.87, 0.3, 0.25, 100},
    {"CornerLowInTheBand", 2.87, 0.9, 0.25, 100},
    {"CornerInTheMiddle", 3.5, 3.14159, 0.25, 100},
    {"CornerHighInTheBand", 1.2, 15.0, 0.25, 100},
    {"CornerNearTheHighestFrequency", 1.2, 23.0, 0.25, 100},
    {"NegativeLevel", -3.7, 2.2, 0.1, 400},
    {"FourDecades", 5.0, 1.7, 0.01, 10000},
    {"ThreeSamples", 0.0, 2.0, 1.0, 3},
};

INSTANTIATE_TEST_SUITE_P(SourceFit, ExactModelSpectrum, ::testing::ValuesIn(kRecoveryCases),
                         toolkit_test::case_name<RecoveryCase>);

// A flat spectrum wants a corner beyond its highest frequency, one falling
// as f^-2 throughout a corner below its lowest: the fit stops at the end of
// the frequencies given, exactly, and says so.
TEST(SourceFit, FlatSpectrumPutsTheCornerAtTheHighestFrequency) {
  const SourceFit fit = fit_source_spectrum(model_spectrum(2.0, 1000.0, 0.25, 100));
  EXPECT_EQ(fit.position, CornerPosition::highest_frequency);
  EXPECT_EQ(fit.corner, 25.0);
  // A model with its corner at 25 Hz bends down by log10(2) at the top of
  // the band; the level rises a little above the plateau to make up for it.
  EXPECT_GT(fit.level, 2.0);
  EXPECT_LT(fit.level, 2.05);
}

TEST(SourceFit, SteepSpectrumPutsTheCornerAtTheLowestFrequency) {
  const SourceFit fit = fit_source_spectrum(model_spectrum(2.0, 0.01, 0.25, 100));
  EXPECT_EQ(fit.position, CornerPosition::lowest_frequency);
  EXPECT_EQ(fit.corner, 0.25);
}

// The samples need not be in order of frequency: the range searched is
// their lowest to their highest.
TEST(SourceFit, SamplesInAnyOrder) {
  std::vector<Sample> samples = model_spectrum(2.5, 4.0, 0.5, 60);
  std::vector<Sample> reversed(samples.rbegin(), samples.rend());
  const SourceFit fit = fit_source_spectrum(reversed);
  EXPECT_EQ(fit.lowest_frequency, 0.5);
  EXPECT_EQ(fit.highest_frequency, 30.0);
  EXPECT_NEAR(fit.corner / 4.0, 1.0, 2e-4);
}

// The model as its definition writes it.
TEST(ModelLogAmplitude, AtTheCornerTheLevelHalves) {
  EXPECT_NEAR(model_log_amplitude(3.0, 5.0, 5.0), 3.0 - std::log10(2.0), 1e-15);
  EXPECT_NEAR(model_log_amplitude(3.0, 5.0, 50.0), 3.0 - std::log10(101.0), 1e-15);
  EXPECT_NEAR(model_log_amplitude(3.0, 5.0, 0.0), 3.0, 1e-15);
}

}  // namespace
}  // namespace specfit
