// SPDX-License-Identifier: MIT
// The picture of one station's fit: a log-log plot of the spectrum before
// and after the path correction and of the fitted omega-square model, as a
// standalone SVG 1.1 document.
//
// Frequency in hertz across and amplitude up, both by decades; the plateau
// level and the corner frequency as dashed lines; their values, the misfit
// and the band in the title; a legend under the axes. Every number in the
// document is written with a fixed number of decimals, so that the same
// spectrum gives the same bytes on every machine.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "source_fit.hpp"

namespace specfit {

// Size of the picture and of the frame of the plot, in SVG user units
// (pixels when rendered at its natural size).
inline constexpr int kPictureWidth = 800;
inline constexpr int kPictureHeight = 570;
inline constexpr int kFrameLeft = 90;
inline constexpr int kFrameRight = 770;
inline constexpr int kFrameTop = 80;
inline constexpr int kFrameBottom = 450;

struct SpectrumPlot {
  std::span<const float> frequency;    // hertz, of every sample
  std::span<const float> uncorrected;  // the amplitudes of "infile"
  std::span<const float> corrected;    // the amplitudes of "oufile"
  SourceFit fit;
  int samples_used;
  std::string_view title;  // the line after the header of "infile", shown under the values
};

// The SVG document, one line per element of the vector (no line ends).
std::vector<std::string> draw_spectrum_plot(const SpectrumPlot& plot);

// A point of a curve in picture coordinates (y grows downwards).
struct PlotPoint {
  double x;
  double y;
};

// Thins a run of points, in order of x, to at most two per pixel column: the
// highest and the lowest point of the column, in their order along the run.
// A curve so reduced looks the same when drawn, however many samples fell in
// a column.
//   x 10.1, 10.4, 10.8, 11.2 with y 5, 9, 1, 3 -> (10.4, 9), (10.8, 1), (11.2, 3)
std::vector<PlotPoint> keep_column_extremes(std::span<const PlotPoint> run);

// A text for an SVG document: &, <, > and quotes as character references,
// control characters as '?', and bytes that are not UTF-8 read as Latin-1.
//   "Estaci\xf3n <N>" -> "Estaci&#xF3;n &lt;N&gt;"
std::string svg_text(std::string_view text);

}  // namespace specfit
