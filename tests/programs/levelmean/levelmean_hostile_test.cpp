// SPDX-License-Identifier: MIT
// levelmean over hostile inputs. It opens "t1.promedio" only after reading
// the levels, and prints after writing it: a failure while reading leaves
// "t1.promedio" as it was and nothing on standard output.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

const std::string kOldAverage = "2.5\n";
const std::string kEightLines =
    R"( Estaciones +2\n Nivel medio +\S+ *\n Desviacion tipica +\S+ *\n Error de la media +\S+ *\n)"
    R"( Mediana +\S+ *\n Nivel minimo +\S+ *\n Nivel maximo +\S+ *\n Error de Mw +\S+ *\n)";

std::vector<ProgramCase> cases() {
  return {
      {"BinaryGarbage",
       {file("niveles.dat", binary_garbage()), file("t1.promedio", kOldAverage)},
       1,
       matching(R"(levelmean: niveles\.dat:1: columns 1-\d+: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {unchanged("t1.promedio")}},
      // A line of blanks holds no level.
      {"TenMegabyteBlankLine",
       {made_file("niveles.dat", [] { return "3.0\n" + std::string(kTenMegabytes, ' ') + "\n3.5\n"; })},
       0,
       exactly(""),
       matching(kEightLines),
       {holds("t1.promedio", "   3.25000000    \n")}},
      {"LevelsIsDirectory",
       {directory("niveles.dat"), file("t1.promedio", kOldAverage)},
       1,
       exactly("levelmean: niveles.dat: Is a directory\n"),
       exactly(""),
       {unchanged("t1.promedio")}},
      {"AverageIsDirectory",
       {file("niveles.dat", "3.0\n3.5\n"), directory("t1.promedio")},
       1,
       exactly("levelmean: t1.promedio: Is a directory\n"),
       exactly(""),
       {still_directory("t1.promedio")}},
      {"AverageOnFullDevice",
       {file("niveles.dat", "3.0\n3.5\n"), full_device("t1.promedio")},
       1,
       exactly("levelmean: t1.promedio: No space left on device\n"),
       exactly(""),
       {still_full_device("t1.promedio")}},
      {"LevelBeyondRealRange",
       {file("niveles.dat", "3.0\n1e39\n"), file("t1.promedio", kOldAverage)},
       1,
       exactly("levelmean: niveles.dat:2: columns 1-4: number \"1e39\" is beyond the range of a real\n"),
       exactly(""),
       {unchanged("t1.promedio")}},
  };
}

class LevelmeanHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(LevelmeanHostile, EndsAsStated) { run_case("levelmean", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, LevelmeanHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
