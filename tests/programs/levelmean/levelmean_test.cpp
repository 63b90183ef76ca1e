// SPDX-License-Identifier: MIT
// levelmean, run as a real process: the mean level in "t1.promedio", the
// figures on standard output against values worked out by hand, the forms
// of "niveles.dat" it accepts, its capacity, messages and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

struct Case {
  std::string name;
  std::string levels;   // content of "niveles.dat"
  std::string average;  // content of "t1.promedio" afterwards
  std::string out;      // standard output
};

class LevelmeanCases : public ::testing::TestWithParam<Case> {};

TEST_P(LevelmeanCases, MeanAndFigures) {
  const Case& c = GetParam();
  run_case(
      "levelmean",
      {c.name, {file("niveles.dat", c.levels)}, 0, exactly(""), exactly(c.out), {holds("t1.promedio", c.average)}});
}

// 2, 3, 4, 5: mean 3.5; squares about the mean 2.25 + 0.25 + 0.25 + 2.25 = 5,
// standard deviation sqrt(5 / 3) = 1.2909944, error of the mean half of it,
// 0.6454972, and of Mw that divided by 1.5, 0.4303315; an even count, so the
// median is the mean of 3 and 4.
const std::string kFourStationsOut = lines_of({
    " Estaciones            4",
    " Nivel medio    3.50000000    ",
    " Desviacion tipica    1.29099441    ",
    " Error de la media   0.645497203    ",
    " Mediana    3.50000000    ",
    " Nivel minimo    2.00000000    ",
    " Nivel maximo    5.00000000    ",
    " Error de Mw   0.430331469    ",
});

const Case kCases[] = {
    {"FourStations", "2.0\n3.0\n4.0\n5.0\n", "   3.50000000    \n", kFourStationsOut},
    // Any order: the median and the extremes come from the sorted levels.
    {"FourStationsInAnyOrder", "4\n2\n5\n3\n", "   3.50000000    \n", kFourStationsOut},
    // One station: no spread can be taken, and 0 is given. The level is the
    // single-precision 2.87, 2.86999989.
    {"OneStation", "  2.8700     4.123  0.0512     47\n", "   2.86999989    \n",
     lines_of({" Estaciones            1", " Nivel medio    2.86999989    ", " Desviacion tipica    0.00000000    ",
               " Error de la media    0.00000000    ", " Mediana    2.86999989    ", " Nivel minimo    2.86999989    ",
               " Nivel maximo    2.86999989    ", " Error de Mw    0.00000000    "})},
    // 2.5, 2.7, 3.1: mean 8.3 / 3 = 2.7666667; deviations -0.2666667,
    // -0.0666667 and 0.3333333, squares 0.1866667, over 2 and rooted 0.3055050;
    // over sqrt(3) 0.1763834; over 1.5 0.1175889. An odd count: the median
    // is the middle level.
    {"ThreeStations", "2.5\n2.7\n3.1\n", "   2.76666665    \n",
     lines_of({" Estaciones            3", " Nivel medio    2.76666665    ", " Desviacion tipica   0.305504978    ",
               " Error de la media   0.176383391    ", " Mediana    2.70000005    ", " Nivel minimo    2.50000000    ",
               " Nivel maximo    3.09999990    ", " Error de Mw   0.117588922    "})},
    // The nivel.dat lines of five stations, one after the other, with a
    // blank line, a CRLF line end and no line end at the last: the first
    // value of each line. Mean 14.262 / 5 = 2.8524.
    {"ConcatenatedLevelFiles",
     "  2.8700     4.123  0.0512     47\n  2.6512     3.870  0.0640     47\n\n"
     "  3.0419     4.501  0.0433     95\r\n  2.9155     3.998  0.0821     47\n  2.7834     4.250  0.0710     47",
     "   2.85240006    \n",
     lines_of({" Estaciones            5", " Nivel medio    2.85240006    ", " Desviacion tipica   0.146154016    ",
               " Error de la media    6.53620660E-02", " Mediana    2.86999989    ", " Nivel minimo    2.65120006    ",
               " Nivel maximo    3.04189992    ", " Error de Mw    4.35747094E-02"})},
    // Negative levels; the median of six is the mean of -0.05 and 0.1.
    {"NegativeLevels", "-0.5\n-1.25\n0.75\n0.1\n-0.05\n2.0\n", "  0.174999997    \n",
     lines_of({" Estaciones            6", " Nivel medio   0.174999997    ", " Desviacion tipica    1.11388958    ",
               " Error de la media   0.454743505    ", " Mediana    2.50000004E-02", " Nivel minimo   -1.25000000    ",
               " Nivel maximo    2.00000000    ", " Error de Mw   0.303162336    "})},
};

INSTANTIATE_TEST_SUITE_P(Levelmean, LevelmeanCases, ::testing::ValuesIn(kCases), case_name<Case>);

// An existing "t1.promedio" is replaced.
TEST(Levelmean, ReplacesAnOldAverage) {
  WorkDir dir;
  dir.write("niveles.dat", "2\n3\n4\n5\n");
  dir.write("t1.promedio", "9.99\nold\n");
  const RunResult run = run_program("levelmean", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(dir.read("t1.promedio"), "   3.50000000    \n");
}

// 1000 levels are averaged; a 1001st is left out with the toolkit's
// capacity warning. The levels are 1 to 1000 in thousandths: the mean of the
// first thousand is 0.5005 (0.500500023 in single precision), where the
// 1001st, 900, would lift it near 1.4.
TEST(Levelmean, CapacityOfAThousandLevels) {
  std::string levels;
  for (int k = 1; k <= 1000; ++k) levels += std::to_string(k) + "e-3\n";
  const std::string beyond = levels + "900\n";
  run_case("levelmean",
           {"",
            {file("niveles.dat", beyond)},
            0,
            exactly("levelmean: niveles.dat:1001: warning: more than 1000 levels; only the first 1000 were averaged\n"),
            matching(" Estaciones         1000\n Nivel medio   0.500500023    \n(.|\n)*"),
            {holds("t1.promedio", "  0.500500023    \n")}});
  // Exactly 1000, then blank lines: no warning.
  run_case("levelmean", {"",
                         {file("niveles.dat", levels + "\n  \n")},
                         0,
                         exactly(""),
                         matching(" Estaciones         1000\n(.|\n)*"),
                         {holds("t1.promedio", "  0.500500023    \n")}});
}

// --help and --version touch no file.
TEST(Levelmean, HelpAndVersionTouchNothing) {
  for (const char* argument : {"--help", "--version"}) {
    WorkDir dir;
    dir.write("niveles.dat", "2\n3\n");
    dir.write("t1.promedio", "old\n");
    const RunResult run = run_program_in("levelmean", dir, "", {argument});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(run.out.rfind(argument[2] == 'v' ? "levelmean (seismic-toolkit) " : "usage: levelmean", 0) == 0)
        << run.out;
    EXPECT_EQ(dir.read("t1.promedio"), "old\n");
  }
}

// Failures: status 1, one line on standard error, nothing on standard output,
// and "t1.promedio" neither created nor changed.
class LevelmeanFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(LevelmeanFailures, LeaveTheAverageAsItWas) { run_case("levelmean", GetParam()); }

const Entry kOldAverage = file("t1.promedio", "2.5\n");

const ProgramCase kFailures[] = {
    failure("MissingLevels", {kOldAverage}, "levelmean: niveles.dat: No such file or directory\n",
            {unchanged("t1.promedio")}),
    failure("EmptyLevels", {file("niveles.dat", "")},
            "levelmean: niveles.dat: end of file (the file is empty): expected at least one level, found none\n",
            {absent("t1.promedio")}),
    failure("BlankLevels", {file("niveles.dat", "\n   \n\t\n"), kOldAverage},
            "levelmean: niveles.dat: end of file after line 3: expected at least one level, found none\n",
            {unchanged("t1.promedio")}),
    failure("LevelNotANumber", {file("niveles.dat", "2.87\ndos\n"), kOldAverage},
            "levelmean: niveles.dat:2: columns 1-3: cannot read \"dos\" as a number\n", {unchanged("t1.promedio")}),
    // A slash or an empty value first on a line would leave its level unset.
    failure("SlashBeforeLevel", {file("niveles.dat", "2.87\n / 3.1\n"), kOldAverage},
            "levelmean: niveles.dat:2: expected a level first on the line, found none\n", {unchanged("t1.promedio")}),
    failure("CommaBeforeLevel", {file("niveles.dat", "2.87\n,3.1\n")},
            "levelmean: niveles.dat:2: expected a level first on the line, found none\n", {absent("t1.promedio")}),
    failure("NotANumberLevel", {file("niveles.dat", "2.87\nNaN\n"), kOldAverage},
            "levelmean: niveles.dat:2: the level is not a finite number\n", {unchanged("t1.promedio")}),
    failure("InfiniteLevel", {file("niveles.dat", "-Infinity\n")},
            "levelmean: niveles.dat:1: the level is not a finite number\n", {absent("t1.promedio")}),
};

INSTANTIATE_TEST_SUITE_P(Levelmean, LevelmeanFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test
