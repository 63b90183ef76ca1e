// SPDX-License-Identifier: MIT
// The picture specfit draws, rendered by a real SVG renderer (rsvg-convert)
// and looked at pixel by pixel: the frame of the plot, then each curve and
// mark where the axes put it, in its colour, and nothing red outside the
// band fitted.
//
// The positions are worked out here from the frame found in the image and
// the rule of the axes (whole decades from the decade at or below the
// lowest value to the one at or above the highest, with a twentieth of a
// decade to spare for amplitudes), not taken from the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if TOOLKIT_HAVE_LIBPNG
#include <png.h>
#endif

#include "program_run.hpp"

namespace toolkit_test {
namespace {

struct Pixel {
  int r;
  int g;
  int b;
};

// The colour classes of the picture, by the dominant channel, so that the
// edges of thin lines, blended with the white background, still count.
bool is_red(const Pixel& p) { return p.r - std::max(p.g, p.b) > 60; }       // the model
bool is_blue(const Pixel& p) { return p.b - p.r > 50 && p.b - p.g > 15; }   // corrected spectrum
bool is_green(const Pixel& p) { return p.g - p.r > 40 && p.g - p.b > 40; }  // dashed marks
bool is_grey(const Pixel& p) {                                              // the spectrum before correction
  return p.r > 90 && p.r < 200 && std::abs(p.r - p.g) < 16 && std::abs(p.g - p.b) < 16;
}
bool is_dark(const Pixel& p) { return p.r < 170 && std::abs(p.r - p.g) < 16 && std::abs(p.g - p.b) < 16; }

class Image {
 public:
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  Pixel at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {255, 255, 255};
    const std::size_t i =
        3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x));
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }

  // Whether a pixel of the class lies within `dx` columns and `dy` rows of (x, y).
  template <class Test>
  bool near(double x, double y, int dx, int dy, Test test) const {
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    for (int j = cy - dy; j <= cy + dy; ++j)
      for (int i = cx - dx; i <= cx + dx; ++i)
        if (test(at(i, j))) return true;
    return false;
  }
};

#if TOOLKIT_HAVE_LIBPNG
bool read_png(const std::string& path, Image& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return false;
  png.format = PNG_FORMAT_RGB;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  // Transparent parts (none are expected) are composed onto white.
  png_color white{255, 255, 255};
  return png_image_finish_read(&png, &white, image.rgb.data(), 0, nullptr) != 0;
}
#endif

// Renders "espectro.svg" of `dir` at its natural size; false with the reason
// in *why when the picture cannot be looked at on this machine.
bool render(const WorkDir& dir, Image& image, std::string* why) {
#if TOOLKIT_HAVE_LIBPNG
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
    *why = "rsvg-convert is not installed (Debian package librsvg2-bin): the picture cannot be rendered";
    return false;
  }
  const std::string svg = dir.file("espectro.svg").string();
  const std::string png = dir.file("espectro.png").string();
  const std::string command = "rsvg-convert -o '" + png + "' '" + svg + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(read_png(png, image)) << "cannot read " << png;
  return true;
#else
  (void)dir;
  (void)image;
  *why = "libpng was not found when building (Debian package libpng-dev): the rendering cannot be read";
  return false;
#endif
}

// The frame of the plot: the rows and columns that are dark over most of the
// picture's width or height. A line of width 1 on a whole coordinate is
// blended into the two pixels beside it; its coordinate is their boundary.
struct Frame {
  double left = 0;
  double right = 0;
  double top = 0;
  double bottom = 0;
};

std::vector<double> dark_lines(const Image& image, bool rows) {
  const int count = rows ? image.height : image.width;
  const int length = rows ? image.width : image.height;
  std::vector<int> found;
  for (int k = 0; k < count; ++k) {
    int dark = 0;
    for (int i = 0; i < length; ++i) dark += is_dark(rows ? image.at(i, k) : image.at(k, i));
    if (dark > length / 2) found.push_back(k);
  }
  // Neighbouring rows or columns make one line.
  std::vector<double> lines;
  for (std::size_t i = 0; i < found.size();) {
    std::size_t j = i;
    double sum = 0;
    while (j < found.size() && found[j] == found[i] + static_cast<int>(j - i)) sum += found[j++];
    lines.push_back(sum / static_cast<double>(j - i) + 0.5);
    i = j;
  }
  return lines;
}

Frame find_frame(const Image& image) {
  const std::vector<double> rows = dark_lines(image, true);
  const std::vector<double> columns = dark_lines(image, false);
  EXPECT_EQ(rows.size(), 2u) << "dark rows of the frame";
  EXPECT_EQ(columns.size(), 2u) << "dark columns of the frame";
  if (rows.size() != 2 || columns.size() != 2) return {};
  return {columns[0], columns[1], rows[0], rows[1]};
}

// Decades of an axis and the mapping of a value onto the frame.
struct Axis {
  int lowest;
  int highest;
  double start;
  double end;
  double at(double value) const { return start + (std::log10(value) - lowest) / (highest - lowest) * (end - start); }
};

double model(double level, double corner, double f) {
  return std::pow(10.0, level) / (1.0 + (f / corner) * (f / corner));
}

// A spectrum of 300 samples from 0.1 to 30 Hz: the omega-square model of
// level 3 and corner 3 Hz inside the band 0.5 to 20 Hz, five times the model
// below it (noise at long periods) and a tenth of it above (the anti-alias
// filter). The spectrum before correction is a millionth of it.
constexpr double kLevel = 3.0;
constexpr double kCorner = 3.0;
constexpr double kStep = 0.1;
constexpr int kSamples = 300;

double corrected_at(double f) {
  const double factor = f < 0.45 ? 5.0 : (f > 20.05 ? 0.1 : 1.0);
  return factor * model(kLevel, kCorner, f);
}

// Writes a spectrum of `samples` amplitudes, `amplitude(k)` for sample k
// at frequency step * k (infile holds them divided by 10^6, as before the
// correction), runs specfit over `band` and renders its picture; false, with
// the reason in *why, when the picture cannot be looked at on this machine.
template <class Amplitude>
bool fit_and_render(WorkDir& dir, double step, int samples, const char* band, Amplitude amplitude, Image& image,
                    std::string* why) {
  char line[64];
  std::snprintf(line, sizeof line, "0 %g %d\nespectro de prueba\n", step, samples + 1);
  std::string infile = line;
  std::string oufile;
  for (int k = 1; k <= samples; ++k) {
    const double a = amplitude(k);
    std::snprintf(line, sizeof line, "%.9e\n", a * 1e-6);
    infile += line;
    std::snprintf(line, sizeof line, "%.9e\n", a);
    oufile += line;
  }
  dir.write("infile", infile);
  dir.write("oufile", oufile);
  dir.write("banda.dat", band);
  const RunResult run = run_program("specfit", dir);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return render(dir, image, why);
}

TEST(SpectrumPicture, DrawsEachCurveAndMarkWhereItBelongs) {
  WorkDir dir;
  Image image;
  std::string why;
  if (!fit_and_render(
          dir, kStep, kSamples, "0.5 20\n", [](int k) { return corrected_at(kStep * k); }, image, &why))
    GTEST_SKIP() << why;
  ASSERT_EQ(image.width, 800);
  ASSERT_EQ(image.height, 570);
  const Frame frame = find_frame(image);
  ASSERT_GT(frame.right - frame.left, 400.0);
  ASSERT_GT(frame.bottom - frame.top, 200.0);

  // Frequencies 0.1 to 30 Hz: decades 0.1 to 100. Amplitudes from 9.9e-7
  // (a tenth of the model at 30 Hz, 9.9, times 1e-6) to 4994 (five times the
  // model at 0.1 Hz): decades 1e-7 to 1e4.
  const Axis across{-1, 2, frame.left, frame.right};
  const Axis up{-7, 4, frame.bottom, frame.top};

  // The model, red, over the band.
  for (const double f : {0.5, 0.7, 1.0, 2.0, 3.0, 5.0, 8.0, 12.0, 20.0})
    EXPECT_TRUE(image.near(across.at(f), up.at(model(kLevel, kCorner, f)), 1, 3, is_red)) << "model at " << f << " Hz";
  // Nothing red in the frame outside the band.
  int red_outside = 0;
  for (int y = static_cast<int>(frame.top) + 2; y < static_cast<int>(frame.bottom) - 2; ++y) {
    for (int x = static_cast<int>(frame.left) + 2; x < static_cast<int>(across.at(0.5)) - 4; ++x)
      red_outside += is_red(image.at(x, y));
    for (int x = static_cast<int>(across.at(20.0)) + 4; x < static_cast<int>(frame.right) - 2; ++x)
      red_outside += is_red(image.at(x, y));
  }
  EXPECT_EQ(red_outside, 0) << "red pixels outside the band";

  // The corrected spectrum, blue, outside the band (inside, the model lies
  // on it); the spectrum before correction, grey, six decades lower.
  for (const double f : {0.1, 0.2, 0.4, 1.0, 4.0, 21.0, 25.0, 30.0}) {
    if (f < 0.5 || f > 20.0) {
      EXPECT_TRUE(image.near(across.at(f), up.at(corrected_at(f)), 1, 3, is_blue)) << "corrected at " << f << " Hz";
    }
    EXPECT_TRUE(image.near(across.at(f), up.at(corrected_at(f) * 1e-6), 1, 3, is_grey))
        << "uncorrected at " << f << " Hz";
  }

  // The plateau and the corner as green dashes: six units on, four off,
  // partly hidden where the curves cross them.
  int plateau = 0;
  for (int x = static_cast<int>(frame.left) + 1; x < static_cast<int>(frame.right); ++x)
    plateau += image.near(x, up.at(1000.0), 0, 1, is_green);
  EXPECT_GT(plateau, (frame.right - frame.left) * 0.3) << "green pixels along the plateau";
  int corner = 0;
  for (int y = static_cast<int>(frame.top) + 1; y < static_cast<int>(frame.bottom); ++y)
    corner += image.near(across.at(kCorner), y, 1, 0, is_green);
  EXPECT_GT(corner, (frame.bottom - frame.top) * 0.3) << "green pixels along the corner frequency";
  // Not a plateau elsewhere: the row a decade lower holds no long dashes.
  int elsewhere = 0;
  for (int x = static_cast<int>(frame.left) + 1; x < static_cast<int>(frame.right); ++x)
    elsewhere += image.near(x, up.at(100.0), 0, 1, is_green);
  EXPECT_LT(elsewhere, 10);

  // The legend under the frame names each of the four in its colour.
  int legend_red = 0, legend_blue = 0, legend_grey = 0, legend_green = 0;
  for (int y = static_cast<int>(frame.bottom) + 50; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const Pixel p = image.at(x, y);
      legend_red += is_red(p);
      legend_blue += is_blue(p);
      legend_grey += is_grey(p);
      legend_green += is_green(p);
    }
  EXPECT_GT(legend_red, 20);
  EXPECT_GT(legend_blue, 20);
  EXPECT_GT(legend_grey, 20);
  EXPECT_GT(legend_green, 10);
}

// 100000 samples thinned to the extremes of each pixel column: a spike of a
// single sample, thirty times the spectrum at 25 Hz, still shows. Level 2.8:
// the plateau, 631, keeps clear of a decade.
TEST(SpectrumPicture, SpikeOfOneSampleAmongAHundredThousandShows) {
  constexpr double kSpikeLevel = 2.8;
  WorkDir dir;
  Image image;
  std::string why;
  // A band of one decade keeps the fit quick; every sample is still drawn.
  const auto spiked = [](int k) { return model(kSpikeLevel, kCorner, 0.001 * k) * (k == 25000 ? 30.0 : 1.0); };
  if (!fit_and_render(dir, 0.001, 100000, "1 10\n", spiked, image, &why)) GTEST_SKIP() << why;
  const Frame frame = find_frame(image);
  ASSERT_GT(frame.right - frame.left, 400.0);
  // Frequencies 0.001 to 99.96 Hz: decades 0.001 to 100. Amplitudes from
  // 5.7e-7 (the model at 100 Hz, 0.57, times 1e-6) to 631: decades 1e-7 to
  // 1e3.
  const Axis across{-3, 2, frame.left, frame.right};
  const Axis up{-7, 3, frame.bottom, frame.top};
  const double spike = 30.0 * model(kSpikeLevel, kCorner, 25.0);
  EXPECT_TRUE(image.near(across.at(25.0), up.at(spike), 1, 3, is_blue)) << "the spike of the corrected spectrum";
  EXPECT_TRUE(image.near(across.at(25.0), up.at(spike * 1e-6), 1, 3, is_grey)) << "the spike before correction";
  // And the column beside it shows the spectrum, not the spike.
  EXPECT_FALSE(image.near(across.at(25.0) + 8, up.at(spike), 1, 3, is_blue));
}

}  // namespace
}  // namespace toolkit_test
