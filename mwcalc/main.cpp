// SPDX-License-Identifier: MIT
// mwcalc: seismic moment and moment magnitude from the plateau level of a
// displacement spectrum.
//
// "t1.promedio" holds L, the base-10 logarithm of the spectral plateau level.
// The plateau amplitude is Omega0 = 10^L, the seismic moment (dyne-cm)
//   Mo = 4 pi rho beta^3 Omega0 / (2 R)
// with the distance term taken as 1, and the moment magnitude
//   Mw = log10(Mo) / 1.5 - 10.73.
// The four values go to standard output after their labels, and Mw with one
// decimal to "mw.dat". "epi.dat" must exist and hold the three values of the
// epicentre; they do not enter the computation.
//
// Every value is single precision and every operation is rounded to single
// precision in the order written here: the printed digits depend on it.
#include <cmath>

#include "record_io/record_io.hpp"

namespace {

// 4 pi rho: 4 x 3.14159 x the crustal density 2.7 g/cm^3, as one constant
// (single-precision value 33.9291725), in g/cm^3.
constexpr float kFourPiDensity = 33.929173f;
// Shear-wave velocity at the source, in cm/s.
constexpr float kShearVelocity = 320000.0f;
// Radiation coefficient of S waves, averaged over the focal sphere; no unit.
constexpr float kRadiationCoefficient = 0.6324555f;
// The plateau level is read as its base-10 logarithm.
constexpr float kLevelBase = 10.0f;
// Moment magnitude from the moment in dyne-cm: log10(Mo) / 1.5 - 10.73.
constexpr float kMagnitudeDivisor = 1.5f;
constexpr float kMagnitudeOffset = 10.73f;

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "mwcalc",
             .purpose = "Computes the seismic moment and the moment magnitude from a spectral plateau level.",
             .reads = "epi.dat, t1.promedio",
             .writes = "mw.dat; the level, Omega0, Mo and Mw on standard output"},
            argc, argv);

  const Layout magnitude_line{"(F3.1)"};

  OutputFile mw_file = open_output("mw.dat");

  // The epicentre (latitude, longitude, depth) is required although the
  // moment does not depend on it.
  float latitude = 0.0f;
  float longitude = 0.0f;
  float depth = 0.0f;
  InputFile epi = open_input("epi.dat");
  read_free_required(epi, {latitude, longitude, depth});
  close_file(epi);

  float level = 0.0f;  // L: log10 of the plateau level
  InputFile level_file = open_input("t1.promedio");
  read_free_required(level_file, {level});
  close_file(level_file);

  const float omega0 = powf(kLevelBase, level);
  // beta^3 as beta times beta squared; the square is exact.
  const float beta3 = kShearVelocity * (kShearVelocity * kShearVelocity);
  // The factor 2 is the free-surface amplification; 2 R is exact in single
  // precision (1.2649111).
  const float mo = ((kFourPiDensity * beta3) * omega0) / (2.0f * kRadiationCoefficient);
  // Divided by 1.5, not multiplied by two thirds: the last digit depends on it.
  const float mw = (log10f(mo) / kMagnitudeDivisor) - kMagnitudeOffset;

  write_free(standard_output(), {"Nivel plano ", level});
  write_free(standard_output(), {"Nivel a la 10 ", omega0});
  write_free(standard_output(), {"Mo = ", mo});
  write_free(standard_output(), {"Mw = ", mw});

  write_fixed(mw_file, magnitude_line, {mw});
  close_file(mw_file);
  finish();
}
