// SPDX-License-Identifier: MIT
// specfit over hostile inputs. It opens its outputs only after a successful
// fit, "nivel.dat" before "espectro.svg", and prints last: a failure while
// reading leaves both outputs as they were and nothing on standard output.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

const std::string kSpectrum = "0 0.5 7\ntitulo\n1\n1\n1\n1\n1\n1\n";
const std::string kCorrected = "1000\n900\n700\n500\n350\n250\n";
const std::string kOldLevel = "  3.0000     5.000  0.0100    100\n";
const std::string kGarbageMessage = R"(columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)";
// The six labelled lines on standard output, whatever their digits.
const std::string kSixLines =
    R"( Nivel plano +\S+ *\n Nivel a la 10 +\S+ *\n Frecuencia de esquina +\S+ *\n Desajuste +\S+ *\n)"
    R"( Muestras usadas +6\n Banda de ajuste +\S+ +\S+ *\n)";

std::vector<ProgramCase> cases() {
  return {
      {"BinaryGarbageInfile",
       {file("infile", binary_garbage()), file("oufile", kCorrected), file("nivel.dat", kOldLevel)},
       1,
       matching(R"(specfit: infile:1: )" + kGarbageMessage),
       exactly(""),
       {unchanged("nivel.dat"), absent("espectro.svg")}},
      {"BinaryGarbageOufile",
       {file("infile", kSpectrum), file("oufile", binary_garbage())},
       1,
       matching(R"(specfit: oufile:1: )" + kGarbageMessage),
       exactly(""),
       {absent("nivel.dat"), absent("espectro.svg")}},
      {"BinaryGarbageBand",
       {file("infile", kSpectrum), file("oufile", kCorrected), file("banda.dat", binary_garbage())},
       1,
       matching(R"(specfit: banda\.dat:1: )" + kGarbageMessage),
       exactly(""),
       {absent("nivel.dat"), absent("espectro.svg")}},
      // The title line is read in its first 200 characters, whatever its length.
      {"TenMegabyteTitleLine",
       {made_file("infile", [] { return "0 0.5 7\n" + std::string(kTenMegabytes, 'x') + "\n1\n1\n1\n1\n1\n1\n"; }),
        file("oufile", kCorrected)},
       0,
       exactly(""),
       matching(kSixLines),
       {satisfies("espectro.svg", [](const std::string& svg) { EXPECT_LT(svg.size(), 20000u); })}},
      {"TenMegabyteAmplitude",
       {file("infile", kSpectrum),
        made_file("oufile", [] { return std::string(kTenMegabytes, '9') + "\n900\n700\n500\n350\n250\n"; })},
       1,
       exactly("specfit: oufile:1: column 1: a value of more than 1048576 bytes (values are read up to 1 MiB)\n"),
       exactly(""),
       {absent("nivel.dat"), absent("espectro.svg")}},
      {"OufileIsDirectory",
       {file("infile", kSpectrum), directory("oufile"), file("nivel.dat", kOldLevel)},
       1,
       exactly("specfit: oufile: Is a directory\n"),
       exactly(""),
       {unchanged("nivel.dat"), absent("espectro.svg")}},
      // The outputs: "nivel.dat" first, then the picture, then standard output.
      {"LevelFileIsDirectory",
       {file("infile", kSpectrum), file("oufile", kCorrected), directory("nivel.dat")},
       1,
       exactly("specfit: nivel.dat: Is a directory\n"),
       exactly(""),
       {still_directory("nivel.dat"), absent("espectro.svg")}},
      {"LevelFileOnFullDevice",
       {file("infile", kSpectrum), file("oufile", kCorrected), full_device("nivel.dat")},
       1,
       exactly("specfit: nivel.dat: No space left on device\n"),
       exactly(""),
       {still_full_device("nivel.dat"), absent("espectro.svg")}},
      {"PictureIsDirectory",
       {file("infile", kSpectrum), file("oufile", kCorrected), directory("espectro.svg")},
       1,
       exactly("specfit: espectro.svg: Is a directory\n"),
       exactly(""),
       {satisfies("nivel.dat", [](const std::string& line) { EXPECT_EQ(line.size(), 34u) << line; }),
        still_directory("espectro.svg")}},
      {"PictureOnFullDevice",
       {file("infile", kSpectrum), file("oufile", kCorrected), full_device("espectro.svg")},
       1,
       exactly("specfit: espectro.svg: No space left on device\n"),
       exactly(""),
       {satisfies("nivel.dat", [](const std::string& line) { EXPECT_EQ(line.size(), 34u) << line; }),
        still_full_device("espectro.svg")}},
      {"OufileCutShort",
       {file("infile", kSpectrum), file("oufile", "1000\n900\n70")},
       1,
       exactly("specfit: oufile: end of file after line 3: expected 6 corrected amplitudes, as many as infile "
               "announces, found 3\n"),
       exactly(""),
       {absent("nivel.dat"), absent("espectro.svg")}},
  };
}

class SpecfitHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(SpecfitHostile, EndsAsStated) { run_case("specfit", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, SpecfitHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
