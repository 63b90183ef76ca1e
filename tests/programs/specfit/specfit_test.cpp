// SPDX-License-Identifier: MIT
// specfit, run as a real process after the real pathfix: the recovery of
// known sources from synthetic spectra, with and without scatter; the band,
// the samples used and the warnings; its messages, its exit status and the
// files it leaves alone on error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

// ---------------------------------------------------------------------------
// Synthetic spectra, built here from the model's definition and the path
// correction's, in double precision.
// ---------------------------------------------------------------------------

// The factor by which pathfix multiplies an amplitude at `frequency` for a
// source `distance` kilometres away: R exp(pi f R / (Q(f) beta)), with R in
// centimetres, Q(f) = 230 f^1.01, beta = 320000 cm/s and pi taken as 3.14159.
double path_correction(double frequency, double distance) {
  const double path_length = distance * 1e5;
  const double quality = 230.0 * std::pow(frequency, 1.01);
  return path_length * std::exp(3.14159 * frequency * path_length / (quality * 320000.0));
}

struct Source {
  double level;   // L = log10 Omega0
  double corner;  // fc, hertz
};

struct Recording {
  double distance = 30.0;  // kilometres, as the epicentral distance in "t1dhp" (depth 0)
  double step = 0.25;      // hertz
  int amplitudes = 100;    // samples 1 to n - 1
  double scatter = 0.0;    // standard deviation of the log-normal scatter, log10 units
  std::uint64_t seed = 1;
};

// A standard normal deviate by the Box-Muller transform, from a generator
// whose sequence the C++ standard fixes.
double normal_deviate(std::mt19937_64& random) {
  const double u1 = (static_cast<double>(random() >> 11) + 1.0) * 0x1.0p-53;  // in (0, 1]
  const double u2 = static_cast<double>(random() >> 11) * 0x1.0p-53;
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.141592653589793 * u2);
}

// The "infile" of a station that recorded `source`: the omega-square
// spectrum, scattered, divided by the path correction, sample k at k step.
std::string infile_of(const Source& source, const Recording& recording) {
  std::mt19937_64 random(recording.seed);
  char line[64];
  std::snprintf(line, sizeof line, "0.0 %.6f %d\n", recording.step, recording.amplitudes + 1);
  std::string text = std::string(line) + "espectro sintetico\n";
  for (int k = 1; k <= recording.amplitudes; ++k) {
    const double f = recording.step * k;
    const double ratio = f / source.corner;
    double at_source = std::pow(10.0, source.level) / (1.0 + ratio * ratio);
    if (recording.scatter > 0.0) at_source *= std::pow(10.0, recording.scatter * normal_deviate(random));
    std::snprintf(line, sizeof line, "%.9e\n", at_source / path_correction(f, recording.distance));
    text += line;
  }
  return text;
}

std::string t1dhp_of(const Recording& recording) { return std::to_string(recording.distance) + " 0\n"; }

// The value after `label` on the labelled line of standard output.
double printed(const std::string& out, const std::string& label) {
  const std::size_t at = out.find(" " + label);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no line \"" << label << "\" in:\n" << out;
    return NAN;
  }
  return std::strtod(out.c_str() + at + 1 + label.size(), nullptr);
}

struct Fitted {
  int status;
  std::string out;
  std::string err;
  double level;
  double corner;
  double misfit;
  double samples;
};

// pathfix, then specfit, in one working directory.
Fitted run_chain(const WorkDir& dir) {
  const RunResult corrected = run_program("pathfix", dir);
  EXPECT_EQ(corrected.exit_status, 0) << corrected.err;
  const RunResult fit = run_program("specfit", dir);
  return {fit.exit_status,
          fit.out,
          fit.err,
          printed(fit.out, "Nivel plano "),
          printed(fit.out, "Frecuencia de esquina "),
          printed(fit.out, "Desajuste "),
          printed(fit.out, "Muestras usadas ")};
}

Fitted fit_synthetic(const Source& source, const Recording& recording, const char* band = nullptr) {
  WorkDir dir;
  dir.write("infile", infile_of(source, recording));
  dir.write("t1dhp", t1dhp_of(recording));
  if (band != nullptr) dir.write("banda.dat", band);
  return run_chain(dir);
}

// ---------------------------------------------------------------------------
// Recovery of known sources.
// ---------------------------------------------------------------------------

struct NoiselessCase {
  std::string name;
  Source source;
  Recording recording;
};

class SpecfitNoiseless : public ::testing::TestWithParam<NoiselessCase> {};

// Without scatter the fit finds the source: L within 0.001 and fc within
// 0.5%, for corners from just above the lowest frequency of the band to
// just below the highest. The corrected spectrum differs from the model
// only by pathfix's single-precision rounding.
TEST_P(SpecfitNoiseless, RecoversTheSource) {
  const NoiselessCase& c = GetParam();
  const Fitted fit = fit_synthetic(c.source, c.recording);
  EXPECT_EQ(fit.status, 0);
  EXPECT_EQ(fit.err, "");
  EXPECT_NEAR(fit.level, c.source.level, 0.001);
  EXPECT_NEAR(fit.corner / c.source.corner, 1.0, 0.005) << "fc " << fit.corner;
  EXPECT_LT(fit.misfit, 0.001);
  EXPECT_EQ(fit.samples, c.recording.amplitudes);
}

const NoiselessCase kNoiseless[] = {
    // The band is 0.25 to 25 Hz unless stated.
    {"CornerJustAboveTheLowestFrequency", {2.87, 0.4}, {}},
    {"CornerAtOneHertz", {2.87, 1.0}, {.distance = 12.0}},
    {"CornerInTheMiddle", {3.3, 3.0}, {.distance = 55.0}},
    {"CornerAtTenHertz", {1.9, 10.0}, {.distance = 8.0}},
    {"CornerJustBelowTheHighestFrequency", {1.9, 21.0}, {.distance = 90.0}},
    // A finer spectrum over four decades, a large and a small event.
    {"FineSpectrumLowCorner", {4.6, 0.35}, {.distance = 140.0, .step = 0.01, .amplitudes = 4000}},
    {"FineSpectrumHighCorner", {0.4, 32.0}, {.distance = 6.0, .step = 0.01, .amplitudes = 4000}},
};

INSTANTIATE_TEST_SUITE_P(Specfit, SpecfitNoiseless, ::testing::ValuesIn(kNoiseless), case_name<NoiselessCase>);

double median_of(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct NoisyCase {
  std::string name;
  Source source;
  Recording recording;
};

class SpecfitScatter : public ::testing::TestWithParam<NoisyCase> {};

// With log-normal scatter of 0.15 log10 units one fit can miss by much; the
// estimator is judged by its errors over 60 spectra of different seeds: the
// median error of L at most 0.05, the median relative error of fc at most
// 10%, and no error of L above 0.2.
TEST_P(SpecfitScatter, ErrorsOverSixtySeeds) {
  constexpr int kSeeds = 60;
  const NoisyCase& c = GetParam();
  std::vector<double> level_errors;
  std::vector<double> corner_errors;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    Recording recording = c.recording;
    recording.scatter = 0.15;
    recording.seed = static_cast<std::uint64_t>(seed);
    const Fitted fit = fit_synthetic(c.source, recording);
    ASSERT_EQ(fit.status, 0) << "seed " << seed << ": " << fit.err;
    level_errors.push_back(std::fabs(fit.level - c.source.level));
    corner_errors.push_back(std::fabs(fit.corner / c.source.corner - 1.0));
  }
  const double worst_level = *std::max_element(level_errors.begin(), level_errors.end());
  std::cout << c.name << ": over " << kSeeds << " seeds, median |error of L| " << median_of(level_errors) << ", worst "
            << worst_level << "; median |relative error of fc| " << median_of(corner_errors) << ", worst "
            << *std::max_element(corner_errors.begin(), corner_errors.end()) << "\n";
  EXPECT_LE(median_of(level_errors), 0.05);
  EXPECT_LE(median_of(corner_errors), 0.10);
  EXPECT_LE(worst_level, 0.2);
}

const NoisyCase kScatter[] = {
    {"SmallEventAt30Kilometres", {2.87, 5.0}, {.distance = 30.0, .step = 0.05, .amplitudes = 500}},
    {"LargerEventAt80Kilometres", {4.1, 1.5}, {.distance = 80.0, .step = 0.05, .amplitudes = 500}},
};

INSTANTIATE_TEST_SUITE_P(Specfit, SpecfitScatter, ::testing::ValuesIn(kScatter), case_name<NoisyCase>);

// ---------------------------------------------------------------------------
// Corners the spectrum does not resolve: the fit is written, with a warning.
// ---------------------------------------------------------------------------

struct UnresolvedCase {
  std::string name;
  Source source;
  std::string warning;
  std::string corner_columns;  // columns 10-18 of "nivel.dat"
};

class SpecfitUnresolved : public ::testing::TestWithParam<UnresolvedCase> {};

TEST_P(SpecfitUnresolved, WarnsAndStillWrites) {
  const UnresolvedCase& c = GetParam();
  WorkDir dir;
  dir.write("infile", infile_of(c.source, {}));
  dir.write("t1dhp", t1dhp_of({}));
  const Fitted fit = run_chain(dir);
  EXPECT_EQ(fit.status, 0);
  EXPECT_EQ(fit.err, c.warning);
  const std::string level_line = dir.read("nivel.dat");
  ASSERT_EQ(level_line.size(), 34u) << level_line;
  EXPECT_EQ(level_line.substr(9, 9), c.corner_columns);
  EXPECT_TRUE(dir.exists("espectro.svg"));
}

const UnresolvedCase kUnresolved[] = {
    // A plateau all the way: the corner lies beyond 25 Hz.
    {"FlatSpectrum",
     {2.0, 1000.0},
     "specfit: oufile: warning: corner frequency at the upper end of the band (25.000 Hz): not resolved\n",
     "   25.000"},
    // Falling as f^-2 from the first sample: the corner lies below 0.25 Hz.
    {"SteepSpectrum",
     {5.0, 0.02},
     "specfit: oufile: warning: corner frequency at the lower end of the band (0.250 Hz): not resolved\n",
     "    0.250"},
};

INSTANTIATE_TEST_SUITE_P(Specfit, SpecfitUnresolved, ::testing::ValuesIn(kUnresolved), case_name<UnresolvedCase>);

// ---------------------------------------------------------------------------
// The samples used: the band, the amplitudes that can be fitted, the
// frequencies as pathfix accumulates them.
// ---------------------------------------------------------------------------

// A spectrum of 12 samples at 0.5 Hz steps, in the form pathfix writes.
const char* const kTwelveSamples = "0 0.5 13\ntitulo\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n";
const char* const kTwelveCorrected =
    "   1000.00000    \n   980.000000    \n   950.000000    \n   900.000000    \n   800.000000    \n"
    "   700.000000    \n   600.000000    \n   500.000000    \n   420.000000    \n   350.000000    \n"
    "   300.000000    \n   250.000000    \n";

struct BandCase {
  std::string name;
  std::string oufile;
  const char* band;  // nullptr: no "banda.dat"
  int used;
  std::string band_line;  // the line "Banda de ajuste" of standard output
};

class SpecfitSamplesUsed : public ::testing::TestWithParam<BandCase> {};

TEST_P(SpecfitSamplesUsed, CountAndBand) {
  const BandCase& c = GetParam();
  WorkDir dir;
  dir.write("infile", kTwelveSamples);
  dir.write("oufile", c.oufile);
  if (c.band != nullptr) dir.write("banda.dat", c.band);
  const RunResult run = run_program("specfit", dir);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(printed(run.out, "Muestras usadas "), c.used);
  EXPECT_NE(run.out.find("\n Banda de ajuste " + c.band_line + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(std::atoi(dir.read("nivel.dat").substr(27).c_str()), c.used);
}

const BandCase kBands[] = {
    {"NoBandFileTakesEverySample", kTwelveCorrected, nullptr, 12, "  0.500000000       6.00000000    "},
    // Both ends belong to the band.
    {"BandEndsIncluded", kTwelveCorrected, "1.0 4.0\n", 7, "   1.00000000       4.00000000    "},
    {"BandBetweenSamples", kTwelveCorrected, "1.2 3.7\n", 5, "   1.50000000       3.50000000    "},
    // Two reals in free format, anything after them ignored.
    {"BandOverTwoLinesWithMore", kTwelveCorrected, "\n2,\n 5.5 Hz\nx\n", 8, "   2.00000000       5.50000000    "},
    {"BandWiderThanTheSpectrum", kTwelveCorrected, "0 1000\n", 12, "  0.500000000       6.00000000    "},
    // Amplitudes that cannot be fitted in log10 are left out: zero, negative,
    // not-a-number and infinite ones.
    {"UnusableAmplitudesLeftOut",
     "   1000.00000    \n   0.00000000    \n  -950.000000    \n              NaN\n   800.000000    \n"
     "         Infinity\n   600.000000    \n   500.000000    \n   420.000000    \n   350.000000    \n"
     "   300.000000    \n   250.000000    \n",
     nullptr, 8, "  0.500000000       6.00000000    "},
};

INSTANTIATE_TEST_SUITE_P(Specfit, SpecfitSamplesUsed, ::testing::ValuesIn(kBands), case_name<BandCase>);

// The frequency of a sample is the step added once per sample in single
// precision, as pathfix has it: with a step of 0.1, sample 1000 lies at
// 99.9990463 Hz, not 100, and sample 997 at 99.6990509 Hz. A band from 99.65
// to 99.9995 Hz holds samples 997 to 1000 so counted (four), where the
// products 0.1 k would give three.
TEST(Specfit, FrequenciesAccumulateAsInPathfix) {
  WorkDir dir;
  std::string spectrum = "0 0.1 1001\nx\n";
  std::string corrected;
  for (int k = 1; k <= 1000; ++k) {
    spectrum += "1\n";
    corrected += std::to_string(2000 - k) + "\n";
  }
  dir.write("infile", spectrum);
  dir.write("oufile", corrected);
  dir.write("banda.dat", "99.65 99.9995\n");
  const RunResult run = run_program("specfit", dir);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(printed(run.out, "Muestras usadas "), 4);
  EXPECT_NE(run.out.find("\n Banda de ajuste    99.6990509       99.9990463    \n"), std::string::npos) << run.out;
}

// An "oufile" longer than "infile" announces was written for another
// spectrum: the fit takes the announced count, and a warning says so.
TEST(Specfit, LongerOufileWarns) {
  WorkDir dir;
  dir.write("infile", kTwelveSamples);
  dir.write("oufile", std::string(kTwelveCorrected) + "   200.000000    \n\n");
  const RunResult run = run_program("specfit", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err,
            "specfit: oufile:13: warning: more than 12 corrected amplitudes; only the first 12 were used\n");
  EXPECT_EQ(printed(run.out, "Muestras usadas "), 12);
}

// Standard output: six labelled lines, the values in free format; "nivel.dat"
// holds the same values rounded, in fixed columns, and L is its first value.
TEST(Specfit, StandardOutputAndLevelFile) {
  WorkDir dir;
  dir.write("infile", infile_of({2.87, 3.0}, {}));
  dir.write("t1dhp", t1dhp_of({}));
  const Fitted fit = run_chain(dir);
  ASSERT_EQ(fit.status, 0);
  // Each line: one blank, the label, then each value as one blank and 16
  // columns (a real) or 11 (the count), every value a whole number form.
  struct Line {
    std::string label;
    std::vector<std::size_t> widths;
  };
  const std::vector<Line> lines = {{"Nivel plano ", {16}}, {"Nivel a la 10 ", {16}},   {"Frecuencia de esquina ", {16}},
                                   {"Desajuste ", {16}},   {"Muestras usadas ", {11}}, {"Banda de ajuste ", {16, 16}}};
  std::size_t at = 0;
  for (const Line& line : lines) {
    const std::size_t end = fit.out.find('\n', at);
    ASSERT_NE(end, std::string::npos) << fit.out;
    const std::string text = fit.out.substr(at, end - at);
    ASSERT_EQ(text.rfind(" " + line.label, 0), 0u) << text;
    std::size_t column = 1 + line.label.size();
    for (const std::size_t width : line.widths) {
      ASSERT_EQ(text.substr(column, 1), " ") << text;
      const std::string value = text.substr(column + 1, width);
      ASSERT_EQ(value.size(), width) << text;
      char* parsed = nullptr;
      std::strtod(value.c_str(), &parsed);
      EXPECT_EQ(std::string(parsed).find_first_not_of(' '), std::string::npos) << text;
      column += 1 + width;
    }
    EXPECT_EQ(text.size(), column) << text;
    at = end + 1;
  }
  EXPECT_EQ(at, fit.out.size()) << fit.out;
  EXPECT_EQ(fit.samples, 100);

  const std::string level_line = dir.read("nivel.dat");
  ASSERT_EQ(level_line.size(), 34u) << level_line;
  EXPECT_EQ(level_line.substr(0, 8), "  2.8700");
  EXPECT_EQ(level_line.substr(8, 1) + level_line.substr(18, 1) + level_line.substr(26, 1), "   ");
  EXPECT_NEAR(std::strtod(level_line.substr(9, 9).c_str(), nullptr), fit.corner, 0.0005);
  EXPECT_NEAR(std::strtod(level_line.substr(19, 7).c_str(), nullptr), fit.misfit, 0.00005);
  EXPECT_EQ(level_line.substr(27), "   100\n");
}

// Runs on the same input give the same bytes.
TEST(Specfit, SameInputSameBytes) {
  WorkDir first;
  WorkDir second;
  for (const WorkDir* dir : {&first, &second}) {
    dir->write("infile", infile_of({3.1, 2.2}, {.scatter = 0.15, .seed = 7}));
    dir->write("t1dhp", t1dhp_of({}));
    ASSERT_EQ(run_chain(*dir).status, 0);
  }
  EXPECT_EQ(first.read("nivel.dat"), second.read("nivel.dat"));
  EXPECT_TRUE(first.read("espectro.svg") == second.read("espectro.svg"));
}

// 100000 samples, the capacity: a fit in well under the time limit and a
// picture that stays small.
TEST(Specfit, FullCapacity) {
  WorkDir dir;
  dir.write("infile", infile_of({2.5, 4.0}, {.step = 0.001, .amplitudes = 100000, .scatter = 0.1}));
  dir.write("t1dhp", t1dhp_of({}));
  const Fitted fit = run_chain(dir);
  EXPECT_EQ(fit.status, 0) << fit.err;
  EXPECT_EQ(fit.samples, 100000);
  EXPECT_NEAR(fit.level, 2.5, 0.05);
  EXPECT_LT(std::filesystem::file_size(dir.file("espectro.svg")), 150000u);
}

// --help and --version answer without opening a file; another argument is
// ignored and the program runs.
TEST(Specfit, HelpAndVersionTouchNothing) {
  for (const char* argument : {"--help", "-h", "--version"}) {
    WorkDir dir;
    dir.write("infile", kTwelveSamples);
    dir.write("oufile", kTwelveCorrected);
    dir.write("banda.dat", "1 4\n");
    dir.write("nivel.dat", "old\n");
    dir.write("espectro.svg", "old picture\n");
    const RunResult run = run_program_in("specfit", dir, "", {argument});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.rfind(argument[2] == 'v' ? "specfit (seismic-toolkit) " : "usage: specfit", 0) == 0) << run.out;
    EXPECT_EQ(dir.read("nivel.dat"), "old\n");
    EXPECT_EQ(dir.read("espectro.svg"), "old picture\n");
  }
  WorkDir dir;
  dir.write("infile", kTwelveSamples);
  dir.write("oufile", kTwelveCorrected);
  const RunResult run = run_program_in("specfit", dir, "", {"--verbose"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(dir.read("nivel.dat"), "");
}

// ---------------------------------------------------------------------------
// Failures: status 1, one line on standard error, nothing on standard output,
// and neither output file created or changed.
// ---------------------------------------------------------------------------

class SpecfitFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(SpecfitFailures, LeaveEveryFileAsItWas) { run_case("specfit", GetParam()); }

const std::vector<Outcome> kNoOutputs = {absent("nivel.dat"), absent("espectro.svg")};
const std::vector<Outcome> kOldOutputs = {unchanged("nivel.dat"), unchanged("espectro.svg")};
const Entry kOldLevel = file("nivel.dat", "  3.0000     5.000  0.0100    100\n");
const Entry kOldPicture = file("espectro.svg", "<svg/>\n");
const char* const kFiveSamples = "0 0.5 6\nx\n1\n1\n1\n1\n1\n";
const char* const kFiveCorrected = "100\n90\n80\n70\n60\n";
const std::string kNeeded = "; at least 3 are needed (a positive, finite amplitude at a positive frequency)\n";

const ProgramCase kFailures[] = {
    failure("MissingInfile", {file("oufile", kFiveCorrected)}, "specfit: infile: No such file or directory\n",
            kNoOutputs),
    failure("MissingOufile", {file("infile", kFiveSamples), kOldLevel, kOldPicture},
            "specfit: oufile: No such file or directory\n", kOldOutputs),
    failure("EmptyInfile", {file("infile", ""), file("oufile", kFiveCorrected)},
            "specfit: infile: end of file (the file is empty): expected 3 values, found 0\n", kNoOutputs),
    failure("NoRecordAfterHeader",
            {file("infile", "0 0.5 6\n"), file("oufile", kFiveCorrected), kOldLevel, kOldPicture},
            "specfit: infile: end of file after line 1: expected the record that follows the header\n", kOldOutputs),
    failure("InfileAmplitudesEndEarly", {file("infile", "0 0.5 6\nx\n1\n1\n"), file("oufile", kFiveCorrected)},
            "specfit: infile: end of file after line 4: expected 5 amplitudes, found 2\n", kNoOutputs),
    failure("CountAboveCapacity", {file("infile", "0 0.5 100002\nx\n1\n"), file("oufile", kFiveCorrected)},
            "specfit: infile:1: sample count is too large: 100002 (allowed: at most 100001)\n", kNoOutputs),
    failure("CountWithDecimalPoint", {file("infile", "0 0.5 6.0\nx\n1\n"), file("oufile", kFiveCorrected)},
            "specfit: infile:1: columns 7-9: cannot read \"6.0\" as an integer\n", kNoOutputs),
    // "oufile" must hold an amplitude for every sample "infile" announces.
    failure("OufileShorter", {file("infile", kFiveSamples), file("oufile", "100\n90\n\n80\n"), kOldLevel, kOldPicture},
            "specfit: oufile: end of file after line 4: expected 5 corrected amplitudes, as many as infile "
            "announces, found 3\n",
            kOldOutputs),
    failure("OufileEmpty", {file("infile", kFiveSamples), file("oufile", "")},
            "specfit: oufile: end of file (the file is empty): expected 5 corrected amplitudes, as many as infile "
            "announces, found 0\n",
            kNoOutputs),
    failure("OufileNotANumber", {file("infile", kFiveSamples), file("oufile", "100\n   abc\n80\n70\n60\n")},
            "specfit: oufile:2: columns 4-6: cannot read \"abc\" as a number\n", kNoOutputs),
    // The band.
    failure("BandReversed",
            {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "20 5\n"), kOldLevel,
             kOldPicture},
            "specfit: banda.dat:1: the lowest frequency of the band (20.000 Hz) is not below the highest (5.000 Hz)\n",
            kOldOutputs),
    failure("BandOfOneFrequency",
            {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "1.5\n1.5\n")},
            "specfit: banda.dat:2: the lowest frequency of the band (1.500 Hz) is not below the highest (1.500 Hz)\n",
            kNoOutputs),
    failure("BandOneValue", {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "5\n")},
            "specfit: banda.dat: end of file after line 1: expected 2 values, found 1\n", kNoOutputs),
    failure("BandEmpty", {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "")},
            "specfit: banda.dat: end of file (the file is empty): expected 2 values, found 0\n", kNoOutputs),
    failure("BandNotANumber",
            {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "1 diez\n")},
            "specfit: banda.dat:1: columns 3-6: cannot read \"diez\" as a number\n", kNoOutputs),
    failure(
        "BandIsADirectory",
        {file("infile", kFiveSamples), file("oufile", kFiveCorrected), directory("banda.dat"), kOldLevel, kOldPicture},
        "specfit: banda.dat: Is a directory\n", kOldOutputs),
    // Fewer than three samples to fit.
    failure("TwoSamplesInTheBand",
            {file("infile", kFiveSamples), file("oufile", kFiveCorrected), file("banda.dat", "0.9 1.6\n"), kOldLevel,
             kOldPicture},
            "specfit: oufile: 2 usable samples in the band from 0.900 to 1.600 Hz" + kNeeded, kOldOutputs),
    failure("OnlyTwoPositiveAmplitudes", {file("infile", kFiveSamples), file("oufile", "0\n-90\nNaN\n70\n60\n")},
            "specfit: oufile: 2 usable samples" + kNeeded, kNoOutputs),
    failure("CountOfOne", {file("infile", "0 0.5 1\nx\n"), file("oufile", "")},
            "specfit: oufile: 0 usable samples" + kNeeded, kNoOutputs),
    // A step of 0 puts every sample at 0 Hz, where log10 f does not exist.
    failure("StepZero", {file("infile", "0 0 6\nx\n1\n1\n1\n1\n1\n"), file("oufile", kFiveCorrected)},
            "specfit: oufile: 0 usable samples" + kNeeded, kNoOutputs),
};

INSTANTIATE_TEST_SUITE_P(Specfit, SpecfitFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test
