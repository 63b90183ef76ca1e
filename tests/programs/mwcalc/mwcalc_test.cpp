// SPDX-License-Identifier: MIT
// mwcalc, run as a real process: the four labelled values on standard output,
// the magnitude in "mw.dat", the floating-point note, its messages and its
// exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

const char* const kEpicentre = "16.8521 -99.9087 18.3\n";

const std::string kOverflowNote = "mwcalc: note: floating-point exceptions were raised: overflow\n";
// Omega0 = 0: the power underflows, and log10 of a zero moment divides by zero.
const std::string kZeroPlateauNote =
    "mwcalc: note: floating-point exceptions were raised: division by zero, underflow\n";
// Omega0 subnormal: the power underflows and the moment is computed from a
// subnormal operand (a flag only x86 processors keep).
#if defined(__x86_64__) || defined(__i386__)
const std::string kSubnormalPlateauNote =
    "mwcalc: note: floating-point exceptions were raised: underflow, denormal operand\n";
#else
const std::string kSubnormalPlateauNote = "mwcalc: note: floating-point exceptions were raised: underflow\n";
#endif

// The worked example: L = 2.0.
const std::string kLevelTwoOut = lines_of({
    " Nivel plano    2.00000000    ",
    " Nivel a la 10    100.000000    ",
    " Mo =    8.78948100E+19",
    " Mw =    2.56597614    ",
});

struct Case {
  const char* name;
  const char* level;  // content of "t1.promedio"
  std::string out;    // standard output
  const char* mw;     // content of "mw.dat"
  std::string err;    // standard error
};

class MwcalcCases : public ::testing::TestWithParam<Case> {};

TEST_P(MwcalcCases, ValuesMagnitudeAndNote) {
  const Case& c = GetParam();
  run_case("mwcalc", {c.name,
                      {file("epi.dat", kEpicentre), file("t1.promedio", c.level)},
                      0,
                      exactly(c.err),
                      exactly(c.out),
                      {holds("mw.dat", c.mw)}});
}

const Case kCases[] = {
    // Mo = 8.78948e19 and Mw = 2.56598 to six digits.
    {"WorkedExampleLevelTwo", "2.0\n", kLevelTwoOut, "2.6\n", ""},
    // Mo = 8.78948e21 and Mw = 3.89931 to six digits.
    {"WorkedExampleLevelFour", "4.0\n",
     lines_of({" Nivel plano    4.00000000    ", " Nivel a la 10    10000.0000    ", " Mo =    8.78948061E+21",
               " Mw =    3.89931011    "}),
     "3.9\n", ""},
    {"SmallLocalEvent", "2.87\n",
     lines_of({" Nivel plano    2.86999989    ", " Nivel a la 10    741.310059    ", " Mo =    6.51573054E+20",
               " Mw =    3.14597607    "}),
     "3.1\n", ""},
    {"LevelZeroIsAPlateauOfOne", "0\n",
     lines_of({" Nivel plano    0.00000000    ", " Nivel a la 10    1.00000000    ", " Mo =    8.78948083E+17",
               " Mw =    1.23264313    "}),
     "1.2\n", ""},
    // Just below 9.95 still fits the three columns; from 9.95 up it rounds to
    // 10.0, which does not.
    {"JustBelowTen", "13.076\n",
     lines_of({" Nivel plano    13.0760002    ", " Nivel a la 10    1.19124263E+13", " Mo =    1.04704038E+31",
               " Mw =    9.94997597    "}),
     "9.9\n", ""},
    {"RoundsToTenIsAsterisks", "13.08\n",
     lines_of({" Nivel plano    13.0799999    ", " Nivel a la 10    1.20226421E+13", " Mo =    1.05672774E+31",
               " Mw =    9.95264244    "}),
     "***\n", ""},
    {"AboveTenIsAsterisks", "1.5D1\n",
     lines_of({" Nivel plano    15.0000000    ", " Nivel a la 10    9.99999987E+14", " Mo =    8.78948028E+32",
               " Mw =    11.2326412    "}),
     "***\n", ""},
    // Negative magnitudes lose their leading zero to fit: -.9 down to the
    // value that rounds to -1.0.
    {"JustAboveMinusOne", "-3.273\n",
     lines_of({" Nivel plano   -3.27300000    ", " Nivel a la 10    5.33334911E-04", " Mo =    4.68773669E+14",
               " Mw =  -0.949357033    "}),
     "-.9\n", ""},
    {"RoundsToMinusOneIsAsterisks", "-3.274\n",
     lines_of({" Nivel plano   -3.27399993    ", " Nivel a la 10    5.32108359E-04", " Mo =    4.67695632E+14",
               " Mw =  -0.950024605    "}),
     "***\n", ""},
    {"MinusHalf", "-2.6\n",
     lines_of({" Nivel plano   -2.59999990    ", " Nivel a la 10    2.51188688E-03", " Mo =    2.20781814E+15",
               " Mw =  -0.500690460    "}),
     "-.5\n", ""},
    {"MinusTwoTenths", "-2.2\n",
     lines_of({" Nivel plano   -2.20000005    ", " Nivel a la 10    6.30957261E-03", " Mo =    5.54578633E+15",
               " Mw =  -0.234024048    "}),
     "-.2\n", ""},
    // A negative magnitude that rounds to zero keeps its minus sign.
    {"TinyNegativeIsMinusZero", "-1.849\n",
     lines_of({" Nivel plano   -1.84899998    ", " Nivel a la 10    1.41579388E-02", " Mo =    1.24440933E+16",
               " Mw =   -2.38418579E-05"}),
     "-.0\n", ""},
    {"TinyPositiveIsZero", "-1.848\n",
     lines_of({" Nivel plano   -1.84800005    ", " Nivel a la 10    1.41905732E-02", " Mo =    1.24727772E+16",
               " Mw =    6.41822815E-04"}),
     "0.0\n", ""},
    {"PositiveBelowOneKeepsItsZero", "-1.5\n",
     lines_of({" Nivel plano   -1.50000000    ", " Nivel a la 10    3.16227749E-02", " Mo =    2.77947756E+16",
               " Mw =   0.232643127    "}),
     "0.2\n", ""},
    // The product 33.929173 x beta^3 x Omega0 is taken before the division:
    // it leaves the single-precision range from L of about 20.486 on.
    {"LargestFiniteMoment", "20.485\n",
     lines_of({" Nivel plano    20.4850006    ", " Nivel a la 10    3.05492533E+20", " Mo =    2.68512067E+38",
               " Mw =    14.8893089    "}),
     "***\n", ""},
    {"MomentOverflows", "20.49\n",
     lines_of({" Nivel plano    20.4899998    ", " Nivel a la 10    3.09029371E+20", " Mo =          Infinity",
               " Mw =          Infinity"}),
     "Inf\n", kOverflowNote},
    {"PlateauOverflows", "40\n",
     lines_of({" Nivel plano    40.0000000    ", " Nivel a la 10          Infinity", " Mo =          Infinity",
               " Mw =          Infinity"}),
     "Inf\n", kOverflowNote},
    // Omega0 as the smallest subnormal, then 0 just below L of about -45.15:
    // Mo = 0 and Mw is minus infinity, which does not fit "(F3.1)".
    {"SubnormalPlateau", "-40\n",
     lines_of({" Nivel plano   -40.0000000    ", " Nivel a la 10    9.99994610E-41", " Mo =    8.78943267E-23",
               " Mw =   -25.4340248    "}),
     "***\n", kSubnormalPlateauNote},
    {"SmallestNonZeroPlateau", "-45.154\n",
     lines_of({" Nivel plano   -45.1539993    ", " Nivel a la 10    1.40129846E-45", " Mo =    1.23166860E-27",
               " Mw =   -28.6696701    "}),
     "***\n", kSubnormalPlateauNote},
    {"ZeroPlateau", "-45.155\n",
     lines_of({" Nivel plano   -45.1549988    ", " Nivel a la 10    0.00000000    ", " Mo =    0.00000000    ",
               " Mw =         -Infinity"}),
     "***\n", kZeroPlateauNote},
    // Values are not tested: a level written as not-a-number goes through.
    {"NotANumber", "NaN\n",
     lines_of({" Nivel plano               NaN", " Nivel a la 10               NaN", " Mo =               NaN",
               " Mw =               NaN"}),
     "NaN\n", ""},
    // Other ways of writing the level 2.
    {"LevelAfterBlankLines", "\n  \n   2\n", kLevelTwoOut, "2.6\n", ""},
    {"RestOfTheRecordIgnored", "2.0 nivel promedio\nx\n", kLevelTwoOut, "2.6\n", ""},
    {"ExponentAndComma", "0.2E+01,\n", kLevelTwoOut, "2.6\n", ""},
    {"CrLf", "2.0\r\n", kLevelTwoOut, "2.6\n", ""},
    {"NoLineFeed", "2.0", kLevelTwoOut, "2.6\n", ""},
};

INSTANTIATE_TEST_SUITE_P(Mwcalc, MwcalcCases, ::testing::ValuesIn(kCases), case_name<Case>);

// Omega0, Mo and Mw at levels where another order of the operations changes
// Mo or Mw, computed once by another route: mwcalc_reference.py beside this
// file, Python's double precision with each operation rounded to single
// precision in the manual page's order. The comment of each row names the
// orders it tells apart: 4 pi rho times (beta^3 Omega0) ("regrouped"),
// log10(Mo) times two thirds, and Omega0 as exp(L ln 10).
struct OrderCase {
  const char* level;
  float omega0;
  float mo;
  float mw;
};

const OrderCase kOrderCases[] = {
    {"-3", 0.00100000005f, 8.78948079e14f, -0.767357826f},      // regrouped, two thirds, exponential
    {"-2.63", 0.00234422809f, 2.06045473e15f, -0.520690918f},   // exponential
    {"-2.26", 0.00549540902f, 4.83017874e15f, -0.27402401f},    // regrouped, exponential
    {"-1.89", 0.0128824962f, 1.13230445e16f, -0.0273580551f},   // regrouped, two thirds
    {"-0.41", 0.389045149f, 3.41950487e17f, 0.959309578f},      // two thirds
};

// The value printed after `label` on standard output; free-format reals have
// nine significant digits, so it reads back as the single-precision value.
float printed(const std::string& out, const std::string& label) {
  const std::size_t at = out.find(label);
  if (at == std::string::npos) return -1.0f;
  return std::strtof(out.c_str() + at + label.size(), nullptr);
}

TEST(Mwcalc, EveryOperationInSinglePrecisionInItsOrder) {
  for (const OrderCase& c : kOrderCases) {
    SCOPED_TRACE(std::string("L = ") + c.level);
    WorkDir dir;
    dir.write("epi.dat", kEpicentre);
    dir.write("t1.promedio", std::string(c.level) + "\n");
    const auto run = run_program("mwcalc", dir);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(printed(run.out, " Nivel a la 10 "), c.omega0) << run.out;
    EXPECT_EQ(printed(run.out, " Mo = "), c.mo) << run.out;
    EXPECT_EQ(printed(run.out, " Mw = "), c.mw) << run.out;
  }
}

// The epicentre is read and not used: any three values, however written,
// give the same results.
class MwcalcEpicentres : public ::testing::TestWithParam<const char*> {};

TEST_P(MwcalcEpicentres, ChangeNothing) {
  run_case("mwcalc", {"",
                      {file("epi.dat", GetParam()), file("t1.promedio", "2.0\n")},
                      0,
                      exactly(""),
                      exactly(kLevelTwoOut),
                      {holds("mw.dat", "2.6\n")}});
}

INSTANTIATE_TEST_SUITE_P(Mwcalc, MwcalcEpicentres,
                         ::testing::Values("16.8521 -99.9087 18.3\n", "0 0 0\n", "-1e30,2.5E+30,  7\n",
                                           "16.8521\n-99.9087\n\n18.3\n", "1 2 3 4 5\nanything\n", "\t1\t2\t3"));

TEST(Mwcalc, ExistingMagnitudeFileIsReplaced) {
  WorkDir dir;
  dir.write("mw.dat", "5.4\n4.1\nold lines\n");
  dir.write("epi.dat", kEpicentre);
  dir.write("t1.promedio", "4.0\n");
  EXPECT_EQ(run_program("mwcalc", dir).exit_status, 0);
  EXPECT_EQ(dir.read("mw.dat"), "3.9\n");
}

// Failures: status 1, one line on standard error, nothing on standard output,
// and "mw.dat" as it was (created empty where it did not exist).
class MwcalcFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(MwcalcFailures, LeaveTheMagnitudeFileAsItWas) { run_case("mwcalc", GetParam()); }

const ProgramCase kFailures[] = {
    failure("MissingEpicentre", {file("t1.promedio", "2.0\n")}, "mwcalc: epi.dat: No such file or directory\n",
            {created_empty("mw.dat")}),
    failure("MissingEpicentreKeepsOldMagnitude", {file("t1.promedio", "2.0\n"), file("mw.dat", "3.1\n")},
            "mwcalc: epi.dat: No such file or directory\n", {unchanged("mw.dat")}),
    failure("EpicentreWithTwoNumbers", {file("epi.dat", "16.8521 -99.9087\n"), file("t1.promedio", "2.0\n")},
            "mwcalc: epi.dat: end of file after line 1: expected 3 values, found 2\n", {created_empty("mw.dat")}),
    failure("EpicentreWithTwoNumbersKeepsOldMagnitude",
            {file("epi.dat", "16.8521\n-99.9087\n"), file("t1.promedio", "2.0\n"), file("mw.dat", "3.1\n")},
            "mwcalc: epi.dat: end of file after line 2: expected 3 values, found 2\n", {unchanged("mw.dat")}),
    failure("EmptyEpicentre", {file("epi.dat", ""), file("t1.promedio", "2.0\n")},
            "mwcalc: epi.dat: end of file (the file is empty): expected 3 values, found 0\n",
            {created_empty("mw.dat")}),
    failure("EpicentreNotANumber", {file("epi.dat", "16.8521 -99.9087 prof\n"), file("t1.promedio", "2.0\n")},
            "mwcalc: epi.dat:1: columns 18-21: cannot read \"prof\" as a number\n", {created_empty("mw.dat")}),
    // The epicentre is checked before the level is looked for.
    failure("MissingBoth", {}, "mwcalc: epi.dat: No such file or directory\n", {created_empty("mw.dat")}),
    failure("MissingLevel", {file("epi.dat", kEpicentre)}, "mwcalc: t1.promedio: No such file or directory\n",
            {created_empty("mw.dat")}),
    failure("MissingLevelKeepsOldMagnitude", {file("epi.dat", kEpicentre), file("mw.dat", "3.1\n")},
            "mwcalc: t1.promedio: No such file or directory\n", {unchanged("mw.dat")}),
    failure("EmptyLevel", {file("epi.dat", kEpicentre), file("t1.promedio", ""), file("mw.dat", "3.1\n")},
            "mwcalc: t1.promedio: end of file (the file is empty): expected 1 value, found 0\n", {unchanged("mw.dat")}),
    failure("BlankLevel", {file("epi.dat", kEpicentre), file("t1.promedio", "  \n\n")},
            "mwcalc: t1.promedio: end of file after line 2: expected 1 value, found 0\n", {created_empty("mw.dat")}),
    failure("LevelNotANumber", {file("epi.dat", kEpicentre), file("t1.promedio", "2.87.1\n")},
            "mwcalc: t1.promedio:1: columns 1-6: cannot read \"2.87.1\" as a number\n", {created_empty("mw.dat")}),
    // A slash before the value would leave the level never given.
    failure("SlashBeforeLevel",
            {file("epi.dat", kEpicentre), file("t1.promedio", "\n / 2.0\n"), file("mw.dat", "3.1\n")},
            "mwcalc: t1.promedio:2: expected 1 value, found 0 before a slash\n", {unchanged("mw.dat")}),
};

INSTANTIATE_TEST_SUITE_P(Mwcalc, MwcalcFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test
