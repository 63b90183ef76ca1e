// SPDX-License-Identifier: MIT
// The picture of a fit, as text: the thinning of long curves to the extremes
// of each pixel column, the escaping of the title, and the size of the
// document of a full-capacity spectrum.
#include "spectrum_plot.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "case_name.hpp"

namespace specfit {
namespace {

struct ExtremesCase {
  std::string name;
  std::vector<PlotPoint> run;
  std::vector<PlotPoint> kept;
};

class KeepColumnExtremes : public ::testing::TestWithParam<ExtremesCase> {};

TEST_P(KeepColumnExtremes, KeepsTheHighestAndLowestOfEachColumnInOrder) {
  const ExtremesCase& c = GetParam();
  const std::vector<PlotPoint> kept = keep_column_extremes(c.run);
  ASSERT_EQ(kept.size(), c.kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i].x, c.kept[i].x) << "point " << i;
    EXPECT_EQ(kept[i].y, c.kept[i].y) << "point " << i;
  }
}

const ExtremesCase kExtremesCases[] = {
    {"Empty", {}, {}},
    {"OnePoint", {{3.5, 7.0}}, {{3.5, 7.0}}},
    // One point per column: nothing to thin.
    {"OnePerColumn", {{1.2, 5.0}, {2.7, 4.0}, {3.1, 9.0}}, {{1.2, 5.0}, {2.7, 4.0}, {3.1, 9.0}}},
    // The example of the header: 10.1 is neither the highest nor the lowest.
    {"HeaderExample", {{10.1, 5.0}, {10.4, 9.0}, {10.8, 1.0}, {11.2, 3.0}}, {{10.4, 9.0}, {10.8, 1.0}, {11.2, 3.0}}},
    // The lowest point first when it comes first along the curve.
    {"LowestComesFirst", {{4.0, 2.0}, {4.3, 1.0}, {4.6, 8.0}, {4.9, 5.0}}, {{4.3, 1.0}, {4.6, 8.0}}},
    // A column of equal values keeps its first point once.
    {"EqualValues", {{6.1, 4.0}, {6.5, 4.0}, {6.9, 4.0}}, {{6.1, 4.0}}},
    // A spike of one sample among many survives.
    {"SpikeSurvives",
     {{20.0, 50.0}, {20.1, 50.5}, {20.2, 3.0}, {20.3, 49.8}, {20.4, 50.2}, {21.0, 51.0}},
     {{20.1, 50.5}, {20.2, 3.0}, {21.0, 51.0}}},
};

INSTANTIATE_TEST_SUITE_P(SpectrumPlot, KeepColumnExtremes, ::testing::ValuesIn(kExtremesCases),
                         toolkit_test::case_name<ExtremesCase>);

struct TextCase {
  std::string name;
  std::string text;
  std::string escaped;
};

class SvgText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SvgText, IsSafeInADocument) { EXPECT_EQ(svg_text(GetParam().text), GetParam().escaped); }

const TextCase kTextCases[] = {
    {"PlainText", "espectro de desplazamiento, ESNV", "espectro de desplazamiento, ESNV"},
    {"MarkupCharacters", "a<b & c>d \"e\"", "a&lt;b &amp; c&gt;d &quot;e&quot;"},
    {"Utf8Kept", "estaci\xc3\xb3n", "estaci\xc3\xb3n"},
    {"Latin1AsReferences", "Estaci\xf3n <N>", "Estaci&#xF3;n &lt;N&gt;"},
    {"CutUtf8IsLatin1", "ma\xc3", "ma&#xC3;"},
    {"ControlCharacters", "a\tb\x01\x7f", "a?b??"},
};

INSTANTIATE_TEST_SUITE_P(SpectrumPlot, SvgText, ::testing::ValuesIn(kTextCases), toolkit_test::case_name<TextCase>);

// The points of a path element: one "M" or "L" each.
std::vector<std::size_t> points_per_path(const std::vector<std::string>& svg) {
  std::vector<std::size_t> counts;
  bool in_path = false;
  for (const std::string& line : svg) {
    if (line.rfind("<path ", 0) == 0) {
      in_path = true;
      counts.push_back(0);
    }
    if (!in_path) continue;
    for (std::size_t at = 0; at < line.size(); ++at)
      if (line[at] == 'M' || line[at] == 'L') ++counts.back();
    if (line.find("\"/>") != std::string::npos) in_path = false;
  }
  return counts;
}

// 100000 samples from 0.001 to 100 Hz: each curve keeps at most two points
// for each of the 680 columns of the frame, and the document stays small.
TEST(DrawSpectrumPlot, FullCapacitySpectrumGivesASmallDocument) {
  constexpr int kSamples = 100000;
  std::vector<float> frequency(kSamples);
  std::vector<float> uncorrected(kSamples);
  std::vector<float> corrected(kSamples);
  for (int k = 0; k < kSamples; ++k) {
    const double f = 0.001 * (k + 1);
    const auto i = static_cast<std::size_t>(k);
    frequency[i] = static_cast<float>(f);
    // A wiggle from sample to sample, as noise gives.
    const double wiggle = (k % 2 == 0) ? 1.3 : 0.7;
    corrected[i] = static_cast<float>(wiggle * 1000.0 / (1.0 + (f / 5.0) * (f / 5.0)));
    uncorrected[i] = corrected[i] * 1e-6f;
  }
  const SourceFit fit{3.0, 5.0, 0.1, CornerPosition::inside, 0.001, 100.0};
  const std::vector<std::string> svg =
      draw_spectrum_plot({frequency, uncorrected, corrected, fit, kSamples, "espectro de prueba"});

  std::size_t bytes = 0;
  for (const std::string& line : svg) bytes += line.size() + 1;
  EXPECT_LT(bytes, 120000u);
  const std::vector<std::size_t> counts = points_per_path(svg);
  ASSERT_EQ(counts.size(), 3u);  // before correction, model, corrected
  const std::size_t columns = kFrameRight - kFrameLeft;
  for (const std::size_t count : counts) {
    EXPECT_LE(count, 2 * (columns + 1));
    EXPECT_GT(count, columns / 2);  // thinned, not lost
  }
  EXPECT_EQ(svg.front(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>");
  EXPECT_EQ(svg.back(), "</svg>");
}

// Samples that a logarithmic axis cannot show break the curve: a new run
// begins after them, and none of them is drawn.
TEST(DrawSpectrumPlot, UnplottableSamplesBreakTheCurve) {
  const std::vector<float> frequency = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f};
  const std::vector<float> uncorrected = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  const std::vector<float> corrected = {100.0f, 90.0f, 0.0f, 70.0f, -5.0f, NAN, 40.0f};
  const SourceFit fit{2.0, 3.0, 0.1, CornerPosition::inside, 1.0, 7.0};
  const std::vector<std::string> svg = draw_spectrum_plot({frequency, uncorrected, corrected, fit, 3, ""});
  // The corrected spectrum's curve: the path in the stroke colour that the
  // legend gives it.
  std::string stroke;
  for (std::size_t i = 1; i < svg.size(); ++i)
    if (svg[i].rfind("<text", 0) == 0 && svg[i].find("espectro corregido") != std::string::npos) {
      const std::size_t at = svg[i - 1].find("stroke=\"");
      ASSERT_NE(at, std::string::npos) << svg[i - 1];
      stroke = svg[i - 1].substr(at, svg[i - 1].find('"', at + 8) + 1 - at);
    }
  ASSERT_FALSE(stroke.empty());
  std::string path;
  for (std::size_t i = 0; i < svg.size(); ++i)
    if (svg[i].rfind("<path ", 0) == 0 && svg[i].find(stroke) != std::string::npos)
      for (; i < svg.size() && svg[i] != "\"/>"; ++i) path += svg[i] + "\n";
  // Runs: 100, 90 | 70 | 40.
  std::size_t moves = 0;
  std::size_t lines = 0;
  for (const char c : path) {
    moves += c == 'M';
    lines += c == 'L';
  }
  EXPECT_EQ(moves, 3u) << path;
  EXPECT_EQ(lines, 1u) << path;
}

// Amplitudes over forty decades (a corrected spectrum of 1e10 and one before
// correction of 1e-30): the labels of the amplitude axis, left of the
// frame, stay few enough to be read.
TEST(DrawSpectrumPlot, LongAxisLabelsEveryFewDecades) {
  const std::vector<float> frequency = {1.0f, 2.0f, 3.0f, 4.0f};
  const std::vector<float> uncorrected = {1e-30f, 1e-30f, 1e-30f, 1e-30f};
  const std::vector<float> corrected = {1e10f, 1e10f, 1e10f, 1e10f};
  const SourceFit fit{10.0, 4.0, 0.0, CornerPosition::highest_frequency, 1.0, 4.0};
  const std::vector<std::string> svg = draw_spectrum_plot({frequency, uncorrected, corrected, fit, 4, ""});
  int labels = 0;
  for (const std::string& line : svg) {
    if (line.rfind("<text x=\"", 0) != 0 || line.find("text-anchor=\"end\"") == std::string::npos) continue;
    if (std::strtod(line.c_str() + 9, nullptr) < kFrameLeft) ++labels;
  }
  EXPECT_GE(labels, 5);
  EXPECT_LE(labels, 13);
}

}  // namespace
}  // namespace specfit
