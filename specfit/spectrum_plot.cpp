// SPDX-License-Identifier: MIT
#include "spectrum_plot.hpp"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

namespace specfit {
namespace {

// Colours and strokes of what is drawn, named once: the legend and the
// curves take them from here.
struct CurveStyle {
  const char* colour;
  const char* width;
  const char* dashes;  // nullptr: a solid line
};
constexpr CurveStyle kUncorrectedStyle{"#8c8c8c", "1", nullptr};
constexpr CurveStyle kCorrectedStyle{"#1f77b4", "1.2", nullptr};
constexpr CurveStyle kModelStyle{"#d62728", "2.5", nullptr};
constexpr CurveStyle kMarkerStyle{"#2ca02c", "1.2", "6 4"};
constexpr const char* kGridColour = "#e4e4e4";
constexpr const char* kFrameColour = "#000000";
constexpr const char* kTextColour = "#222222";

// Picture units between two points of the drawn model curve.
constexpr double kModelStep = 2.0;
// Points written on one line of a path's data: short lines, a small file.
constexpr int kPointsPerLine = 8;
// Decades from 10^-2 to 10^3 are labelled as plain numbers (0.01 ... 1000),
// the others as powers of ten.
constexpr int kPlainLabelLowest = -2;
constexpr int kPlainLabelHighest = 3;
// The least room, in decades, between an amplitude and the frame.
constexpr double kDecadeMargin = 0.05;
// At most this many decades of an axis are labelled one by one.
constexpr int kMaxLabelledDecades = 12;
// Characters of the title of "infile" shown in the picture.
constexpr std::size_t kMaxTitleLength = 100;

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A coordinate of the picture, with one decimal.
std::string coordinate(double value) { return formatted("%.1f", value); }

// A range of decades of one axis, and the mapping of values onto the frame.
struct LogAxis {
  int lowest_decade;   // the axis starts at 10^lowest_decade
  int highest_decade;  // and ends at 10^highest_decade
  double start;        // picture coordinate of 10^lowest_decade
  double end;          // picture coordinate of 10^highest_decade

  double at(double log_value) const {
    return start + (log_value - lowest_decade) / (highest_decade - lowest_decade) * (end - start);
  }
};

// The lowest and the highest of the values given, in log10.
struct LogRange {
  std::optional<double> lowest;
  std::optional<double> highest;

  void include(double log_value) {
    if (!lowest || log_value < *lowest) lowest = log_value;
    if (!highest || log_value > *highest) highest = log_value;
  }
};

bool plotted(float value) { return std::isfinite(value) && value > 0.0f; }

std::string power_of_ten_label(int decade) {
  if (decade >= kPlainLabelLowest && decade <= kPlainLabelHighest) {
    if (decade >= 0) return formatted("%.0f", std::pow(10.0, decade));
    return formatted(decade == -1 ? "%.1f" : "%.2f", std::pow(10.0, decade));
  }
  return "10<tspan dy=\"-6\" font-size=\"10\">" + std::to_string(decade) + "</tspan>";
}

std::string stroke_attributes(const CurveStyle& style) {
  std::string text = "fill=\"none\" stroke=\"" + std::string(style.colour) + "\" stroke-width=\"" + style.width + "\"";
  if (style.dashes != nullptr) text += " stroke-dasharray=\"" + std::string(style.dashes) + "\"";
  return text;
}

// A curve as one path element: "M" starts each run, "L" continues it.
void add_path(std::vector<std::string>& svg, const std::vector<std::vector<PlotPoint>>& runs, const CurveStyle& style) {
  if (runs.empty()) return;
  svg.push_back("<path " + stroke_attributes(style) + " stroke-linejoin=\"round\" d=\"");
  for (const std::vector<PlotPoint>& run : runs) {
    std::string line;
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (i > 0 && i % kPointsPerLine == 0) {
        svg.push_back(line);
        line.clear();
      }
      line +=
          (i == 0 ? "M" : (i % kPointsPerLine == 0 ? "L" : " L")) + coordinate(run[i].x) + " " + coordinate(run[i].y);
    }
    svg.push_back(line);
  }
  svg.push_back("\"/>");
}

// The runs of a sampled curve on the axes: a sample that cannot be drawn on
// a logarithmic axis (zero, negative, not finite) ends a run. Each run is
// thinned to the extremes of each pixel column.
std::vector<std::vector<PlotPoint>> sampled_curve(std::span<const float> frequency, std::span<const float> value,
                                                  const LogAxis& across, const LogAxis& up) {
  std::vector<std::vector<PlotPoint>> runs;
  std::vector<PlotPoint> run;
  auto end_run = [&] {
    if (!run.empty()) runs.push_back(keep_column_extremes(run));
    run.clear();
  };
  for (std::size_t i = 0; i < frequency.size() && i < value.size(); ++i) {
    if (!plotted(frequency[i]) || !plotted(value[i])) {
      end_run();
      continue;
    }
    run.push_back(
        {across.at(std::log10(static_cast<double>(frequency[i]))), up.at(std::log10(static_cast<double>(value[i])))});
  }
  end_run();
  return runs;
}

void add_line(std::vector<std::string>& svg, double x1, double y1, double x2, double y2,
              const std::string& attributes) {
  svg.push_back("<line x1=\"" + coordinate(x1) + "\" y1=\"" + coordinate(y1) + "\" x2=\"" + coordinate(x2) +
                "\" y2=\"" + coordinate(y2) + "\" " + attributes + "/>");
}

void add_text(std::vector<std::string>& svg, double x, double y, const std::string& attributes,
              const std::string& content) {
  svg.push_back("<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) + "\" " + attributes + ">" + content +
                "</text>");
}

// The decades of one axis: grid lines inside the frame, ticks outside it at
// every 1 to 9 times a power of ten, labels at the decades. An axis of more
// than kMaxLabelledDecades decades labels (and draws grid lines at) every
// second, third, ... decade only, and has no ticks between decades.
void add_decades(std::vector<std::string>& svg, const LogAxis& axis, bool across) {
  constexpr double kMajorTick = 7.0;
  constexpr double kMinorTick = 4.0;
  const std::string grid = "stroke=\"" + std::string(kGridColour) + "\" stroke-width=\"1\"";
  const std::string tick = "stroke=\"" + std::string(kFrameColour) + "\" stroke-width=\"1\"";
  const std::string label = "fill=\"" + std::string(kTextColour) + "\" font-size=\"12\"";
  // A line at `at` along the axis, from `from` to `to` across it.
  auto line_at = [&](double at, double from, double to, const std::string& attributes) {
    if (across) {
      add_line(svg, at, from, at, to, attributes);
    } else {
      add_line(svg, from, at, to, at, attributes);
    }
  };
  const double edge = across ? kFrameBottom : kFrameLeft;  // ticks go outwards from here
  const double outwards = across ? 1.0 : -1.0;
  const int decades = axis.highest_decade - axis.lowest_decade;
  const int stride = (decades + kMaxLabelledDecades - 1) / kMaxLabelledDecades;

  for (int decade = axis.lowest_decade; decade <= axis.highest_decade; ++decade) {
    const double at = axis.at(decade);
    const bool labelled = (decade - axis.lowest_decade) % stride == 0;
    if (labelled && decade > axis.lowest_decade && decade < axis.highest_decade) {
      if (across) {
        line_at(at, kFrameTop, kFrameBottom, grid);
      } else {
        line_at(at, kFrameLeft, kFrameRight, grid);
      }
    }
    if (across) {
      line_at(at, edge, edge + outwards * kMajorTick, tick);
    } else {
      line_at(at, edge + outwards * kMajorTick, edge, tick);
    }
    if (labelled) {
      if (across) {
        add_text(svg, at, kFrameBottom + 22.0, label + " text-anchor=\"middle\"", power_of_ten_label(decade));
      } else {
        add_text(svg, kFrameLeft - 10.0, at + 4.0, label + " text-anchor=\"end\"", power_of_ten_label(decade));
      }
    }
    if (decade == axis.highest_decade || stride > 1) continue;
    for (int multiple = 2; multiple <= 9; ++multiple) {
      const double minor = axis.at(decade + std::log10(static_cast<double>(multiple)));
      if (across) {
        line_at(minor, edge, edge + outwards * kMinorTick, tick);
      } else {
        line_at(minor, edge + outwards * kMinorTick, edge, tick);
      }
    }
  }
}

// Both axes and their titles.
void add_axes(std::vector<std::string>& svg, const LogAxis& across, const LogAxis& up) {
  const std::string axis_title = "fill=\"" + std::string(kTextColour) + "\" font-size=\"13\"";
  add_decades(svg, across, true);
  add_decades(svg, up, false);
  const double middle_x = (kFrameLeft + kFrameRight) / 2.0;
  const double middle_y = (kFrameTop + kFrameBottom) / 2.0;
  add_text(svg, middle_x, kFrameBottom + 44.0, axis_title + " text-anchor=\"middle\"", "Frecuencia (Hz)");
  svg.push_back("<text x=\"24\" y=\"" + coordinate(middle_y) + "\" fill=\"" + kTextColour +
                "\" font-size=\"13\" text-anchor=\"middle\" transform=\"rotate(-90 24 " + coordinate(middle_y) +
                ")\">Amplitud espectral</text>");
}

// One entry of the legend: a short stretch of the curve's line and its name.
void add_legend_entry(std::vector<std::string>& svg, double x, double y, const CurveStyle& style,
                      const std::string& name) {
  add_line(svg, x, y, x + 34.0, y, stroke_attributes(style));
  add_text(svg, x + 42.0, y + 4.0, "fill=\"" + std::string(kTextColour) + "\" font-size=\"12\"", name);
}

// The decades that hold the range: floor and ceiling of the logarithms, and
// at least one decade.
//   frequencies 0.25 to 12 Hz            -> 0.1 to 100
//   amplitudes 1.4e-5 to 760, margin     -> 1e-5 to 1000
//   amplitudes 1.0e-30 to 1e10, margin   -> 1e-31 to 1e11
LogAxis axis_over(double lowest_log, double highest_log, double start, double end, bool margin) {
  int lowest = static_cast<int>(std::floor(lowest_log));
  int highest = static_cast<int>(std::ceil(highest_log));
  // Amplitudes keep clear of the frame: a value on a decade, or closer to it
  // than kDecadeMargin, gets the next one.
  if (margin) {
    if (lowest_log - lowest < kDecadeMargin) --lowest;
    if (highest - highest_log < kDecadeMargin) ++highest;
  }
  if (highest <= lowest) highest = lowest + 1;
  return {lowest, highest, start, end};
}

}  // namespace

std::vector<PlotPoint> keep_column_extremes(std::span<const PlotPoint> run) {
  std::vector<PlotPoint> kept;
  std::size_t begin = 0;
  while (begin < run.size()) {
    const double column = std::floor(run[begin].x);
    std::size_t end = begin + 1;
    while (end < run.size() && std::floor(run[end].x) == column) ++end;
    std::size_t top = begin;
    std::size_t bottom = begin;
    for (std::size_t i = begin + 1; i < end; ++i) {
      if (run[i].y < run[top].y) top = i;
      if (run[i].y > run[bottom].y) bottom = i;
    }
    const std::size_t first = top < bottom ? top : bottom;
    const std::size_t second = top < bottom ? bottom : top;
    kept.push_back(run[first]);
    if (second != first) kept.push_back(run[second]);
    begin = end;
  }
  return kept;
}

std::string svg_text(std::string_view text) {
  // Whether the bytes are UTF-8: then they stay as they are.
  bool utf8 = true;
  for (std::size_t i = 0; i < text.size() && utf8;) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = byte < 0x80           ? 1
                               : (byte >> 5) == 0x6  ? 2
                               : (byte >> 4) == 0xe  ? 3
                               : (byte >> 3) == 0x1e ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) utf8 = false;
    for (std::size_t k = 1; utf8 && k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) utf8 = false;
    i += length == 0 ? 1 : length;
  }
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c == '"') {
      escaped += "&quot;";
    } else if (byte < 0x20 || byte == 0x7f) {
      escaped += '?';
    } else if (byte >= 0x80 && !utf8) {
      char reference[8];
      std::snprintf(reference, sizeof reference, "&#x%02X;", static_cast<unsigned>(byte));
      escaped += reference;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::vector<std::string> draw_spectrum_plot(const SpectrumPlot& plot) {
  const SourceFit& fit = plot.fit;

  // Step 1: the ranges of the axes, over everything that is drawn.
  LogRange frequencies;
  LogRange amplitudes;
  for (std::size_t i = 0; i < plot.frequency.size(); ++i) {
    if (!plotted(plot.frequency[i])) continue;
    frequencies.include(std::log10(static_cast<double>(plot.frequency[i])));
    if (i < plot.uncorrected.size() && plotted(plot.uncorrected[i]))
      amplitudes.include(std::log10(static_cast<double>(plot.uncorrected[i])));
    if (i < plot.corrected.size() && plotted(plot.corrected[i]))
      amplitudes.include(std::log10(static_cast<double>(plot.corrected[i])));
  }
  frequencies.include(std::log10(fit.lowest_frequency));
  frequencies.include(std::log10(fit.highest_frequency));
  amplitudes.include(fit.level);  // the plateau; the model falls from there
  amplitudes.include(model_log_amplitude(fit.level, fit.corner, fit.highest_frequency));
  const LogAxis across = axis_over(*frequencies.lowest, *frequencies.highest, kFrameLeft, kFrameRight, false);
  const LogAxis up = axis_over(*amplitudes.lowest, *amplitudes.highest, kFrameBottom, kFrameTop, true);

  // Step 2: the document, its background and its title lines.
  std::vector<std::string> svg;
  const std::string width = std::to_string(kPictureWidth);
  const std::string height = std::to_string(kPictureHeight);
  svg.push_back("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>");
  svg.push_back("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + width + "\" height=\"" + height +
                "\" viewBox=\"0 0 " + width + " " + height + "\" font-family=\"sans-serif\">");
  svg.push_back("<title>specfit: ajuste omega cuadrado del espectro corregido</title>");
  svg.push_back("<rect x=\"0\" y=\"0\" width=\"" + width + "\" height=\"" + height + "\" fill=\"#ffffff\"/>");
  const std::string frame = "x=\"" + std::to_string(kFrameLeft) + "\" y=\"" + std::to_string(kFrameTop) +
                            "\" width=\"" + std::to_string(kFrameRight - kFrameLeft) + "\" height=\"" +
                            std::to_string(kFrameBottom - kFrameTop) + "\"";
  svg.push_back("<defs><clipPath id=\"marco\"><rect " + frame + "/></clipPath></defs>");

  const double middle_x = (kFrameLeft + kFrameRight) / 2.0;
  const std::string omega0 = formatted("%.4g", std::pow(10.0, fit.level));
  const std::string corner = formatted("%.3f", fit.corner);
  add_text(svg, middle_x, 26.0,
           "fill=\"" + std::string(kTextColour) + "\" font-size=\"16\" font-weight=\"bold\" text-anchor=\"middle\"",
           "Espectro de la fuente: &#937;0 = " + omega0 + ", fc = " + corner + " Hz");
  add_text(svg, middle_x, 46.0, "fill=\"" + std::string(kTextColour) + "\" font-size=\"12\" text-anchor=\"middle\"",
           "L = log10 &#937;0 = " + formatted("%.4f", fit.level) + ", desajuste = " + formatted("%.4f", fit.misfit) +
               " (log10), " + std::to_string(plot.samples_used) + " muestras de " +
               formatted("%.3f", fit.lowest_frequency) + " a " + formatted("%.3f", fit.highest_frequency) +
               " Hz, peso 1/f");
  std::string_view title = plot.title;
  while (!title.empty() && (title.back() == ' ' || title.back() == '\t')) title.remove_suffix(1);
  while (!title.empty() && (title.front() == ' ' || title.front() == '\t')) title.remove_prefix(1);
  if (title.size() > kMaxTitleLength) title = title.substr(0, kMaxTitleLength);
  if (!title.empty())
    add_text(svg, middle_x, 64.0, "fill=\"#555555\" font-size=\"11\" text-anchor=\"middle\"", svg_text(title));

  // Step 3: grid, ticks and labels, then the curves inside the frame: the
  // spectra, the dashed marks, and the model on top, which a dense, noisy
  // spectrum would otherwise hide.
  add_axes(svg, across, up);
  svg.push_back("<g clip-path=\"url(#marco)\">");
  add_path(svg, sampled_curve(plot.frequency, plot.uncorrected, across, up), kUncorrectedStyle);
  add_path(svg, sampled_curve(plot.frequency, plot.corrected, across, up), kCorrectedStyle);
  const double plateau_y = up.at(fit.level);
  const double corner_x = across.at(std::log10(fit.corner));
  add_line(svg, kFrameLeft, plateau_y, kFrameRight, plateau_y, stroke_attributes(kMarkerStyle));
  add_line(svg, corner_x, kFrameTop, corner_x, kFrameBottom, stroke_attributes(kMarkerStyle));

  // The model over the band fitted, a point every kModelStep units across.
  const double model_start = across.at(std::log10(fit.lowest_frequency));
  const double model_end = across.at(std::log10(fit.highest_frequency));
  const int steps = static_cast<int>(std::ceil((model_end - model_start) / kModelStep));
  std::vector<PlotPoint> model;
  for (int k = 0; k <= steps; ++k) {
    const double share = steps == 0 ? 0.0 : static_cast<double>(k) / steps;
    const double log_frequency = std::log10(fit.lowest_frequency) +
                                 share * (std::log10(fit.highest_frequency) - std::log10(fit.lowest_frequency));
    model.push_back(
        {across.at(log_frequency), up.at(model_log_amplitude(fit.level, fit.corner, std::pow(10.0, log_frequency)))});
  }
  add_path(svg, {model}, kModelStyle);
  svg.push_back("</g>");

  // Step 4: the frame, the values beside the dashed marks, the legend.
  svg.push_back("<rect " + frame + " fill=\"none\" stroke=\"" + kFrameColour + "\" stroke-width=\"1\"/>");
  const std::string mark_label = "fill=\"" + std::string(kMarkerStyle.colour) + "\" font-size=\"12\"";
  // Below the plateau at the right end, where the spectrum has fallen away.
  add_text(svg, kFrameRight - 6.0, plateau_y + 16.0, mark_label + " text-anchor=\"end\"", "&#937;0 = " + omega0);
  const bool label_left = corner_x > middle_x;
  // Near the bottom of the frame, which the spectra leave free around the corner.
  add_text(svg, corner_x + (label_left ? -6.0 : 6.0), kFrameBottom - 8.0,
           mark_label + (label_left ? " text-anchor=\"end\"" : " text-anchor=\"start\""), "fc = " + corner + " Hz");

  add_legend_entry(svg, 120.0, 524.0, kUncorrectedStyle, "espectro de infile, sin corregir");
  add_legend_entry(svg, 440.0, 524.0, kCorrectedStyle, "espectro corregido (oufile)");
  add_legend_entry(svg, 120.0, 548.0, kModelStyle, "modelo omega cuadrado ajustado");
  add_legend_entry(svg, 440.0, 548.0, kMarkerStyle, "nivel plano &#937;0 y frecuencia de esquina fc");
  svg.push_back("</svg>");
  return svg;
}

}  // namespace specfit
