// SPDX-License-Identifier: MIT
// pathfix, run as a real process: the corrected spectrum in "oufile", the
// first frequency on standard output, its messages and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test {
namespace {

// The worked example: distance components 30 and 40 km give a path length of
// 5000000 cm; amplitudes 1.0 and 2.0 at 0.5 and 1.0 Hz.
const char* const kWorkedDistance = "30 40\n";
const char* const kWorkedSpectrum = "0 0.5 3\nany record\n1.0\n2.0\n";

const std::string kZero = "   0.00000000    \n";  // a free-format real 0
const std::string kNaN = "              NaN\n";
const std::string kHalf = "  0.500000000    \n";  // the step 0.5 on standard output
const std::string kInvalidNote = "pathfix: note: floating-point exceptions were raised: invalid operation\n";

std::vector<std::string> records_of(const std::string& text) {
  std::vector<std::string> records;
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
    records.push_back(text.substr(begin, end - begin));
  return records;
}

// The value of a free-format real record, which has 9 significant digits and
// so gives back the single-precision value written.
float value_of(const std::string& record) { return std::strtof(record.c_str(), nullptr); }

// Whether `found` is `wanted` or one of its two single-precision neighbours.
bool within_one_ulp(float found, float wanted) {
  return found == wanted || found == std::nextafter(wanted, 0.0f) || found == std::nextafter(wanted, 1e30f);
}

// The worked example as stated: 6198737.5 and 12379085.0, within one unit in
// the last place (the platform's power and exponential functions may differ
// by that much). An "oufile" of an earlier run is replaced.
TEST(Pathfix, WorkedExample) {
  WorkDir dir;
  dir.write("t1dhp", kWorkedDistance);
  dir.write("infile", kWorkedSpectrum);
  dir.write("oufile", lines_of({"old 1", "old 2", "old 3", "old 4"}));
  const auto run = run_program("pathfix", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kHalf);
  const auto records = records_of(dir.read("oufile"));
  ASSERT_EQ(records.size(), 2u);
  for (const std::string& record : records) {
    EXPECT_EQ(record.size(), 17u) << record;  // a blank, 12 columns and 4 blanks
    EXPECT_EQ(record.substr(13), "    ") << record;
  }
  EXPECT_PRED2(within_one_ulp, value_of(records[0]), 6198737.5f) << records[0];
  EXPECT_PRED2(within_one_ulp, value_of(records[1]), 12379085.0f) << records[1];
}

// Other ways of writing the worked example's input: "oufile" must be the one
// the plain worked example gives, record for record (the first `records`).
struct SameSpectrumCase {
  const char* name;
  std::string infile;
  std::size_t records;  // of the worked example's output
  std::string out;
};

class PathfixSameSpectrum : public ::testing::TestWithParam<SameSpectrumCase> {};

TEST_P(PathfixSameSpectrum, GivesTheWorkedExamplesRecords) {
  const SameSpectrumCase& c = GetParam();
  WorkDir plain;
  plain.write("t1dhp", kWorkedDistance);
  plain.write("infile", kWorkedSpectrum);
  ASSERT_EQ(run_program("pathfix", plain).exit_status, 0);
  const auto worked = records_of(plain.read("oufile"));
  ASSERT_EQ(worked.size(), 2u);
  std::string expected;
  for (std::size_t i = 0; i < c.records; ++i) expected += worked[i] + "\n";

  run_case("pathfix", {c.name,
                       {file("t1dhp", kWorkedDistance), file("infile", c.infile)},
                       0,
                       exactly(""),
                       exactly(c.out),
                       {holds("oufile", expected)}});
}

const SameSpectrumCase kSameSpectrum[] = {
    // Each amplitude is the first value of its record.
    {"TwoNumbersOnAnAmplitudeRecord", "0 0.5 3\nx\n1.0 7.0\n2.0,9.0\n", 2, kHalf},
    // Empty records between amplitudes are not samples.
    {"BlankRecordsBetweenAmplitudes", "0 0.5 3\nx\n\n1.0\n   \n\t\n\n2.0\n", 2, kHalf},
    // The record passed over is the one after the count, not after "0 0.5".
    {"HeaderOverTwoRecords", "0 0.5\n3\n9.0\n1.0\n2.0\n", 2, kHalf},
    {"HeaderOverThreeRecords", "0\n\n0.5\n3\n9.0\n1.0\n2.0\n", 2, kHalf},
    // What follows the count on the header record is skipped, and the next
    // record is still passed over.
    {"HeaderRecordWithMoreValues", "0 0.5 3 8.0\n9.0\n1.0\n2.0\n", 2, kHalf},
    // The record after the header is passed over whatever it holds, even
    // when blank.
    {"PassedOverRecordHoldsNumbers", "0 0.5 3\n4.0 8.0\n1.0\n2.0\n", 2, kHalf},
    {"PassedOverRecordIsBlank", "0 0.5 3\n\n1.0\n2.0\n", 2, kHalf},
    {"PassedOverRecordIsNotNumbers", "0 0.5 3\n'station' ABCD, 1x.5\n1.0\n2.0\n", 2, kHalf},
    // Records after the last amplitude are never read, whatever they hold.
    {"RecordsAfterTheLastAmplitudeNotRead", "0 0.5 3\nx\n1.0\n2.0\nnot a number\n3.0\n", 2, kHalf},
    {"CommasCrlfExponentsAndNoFinalLineEnd", "0.0,.5,3\r\nx\r\n1E0\r\n0.2D+1", 2, kHalf},
    // A count of 2: one amplitude, one record; the step on standard output.
    {"CountOfTwo", "0 0.5 2\nx\n1.0\n2.0\n", 1, kHalf},
};

INSTANTIATE_TEST_SUITE_P(Pathfix, PathfixSameSpectrum, ::testing::ValuesIn(kSameSpectrum), case_name<SameSpectrumCase>);

// Runs whose output depends on no power or exponential function: exact bytes.
struct ExactCase {
  const char* name;
  std::string t1dhp;
  std::string infile;
  const char* old_oufile;  // nullptr: no "oufile" before the run
  std::string oufile;
  std::string out;
  std::string err;
};

class PathfixExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(PathfixExact, OutputsAndNote) {
  const ExactCase& c = GetParam();
  std::vector<Entry> before = {file("t1dhp", c.t1dhp), file("infile", c.infile)};
  if (c.old_oufile != nullptr) before.push_back(file("oufile", c.old_oufile));
  run_case("pathfix", {c.name, before, 0, exactly(c.err), exactly(c.out), {holds("oufile", c.oufile)}});
}

const ExactCase kExact[] = {
    // A count of 1 or less reads no amplitude, writes no record and shows the
    // zero the frequency table starts with; the record after the header is
    // still passed over. The smallest count must not wrap round when the
    // number of amplitudes is taken from it.
    {"CountOfOne", "30 40\n", "0 0.5 1\nx\n1.0\n", nullptr, "", kZero, ""},
    {"CountOfZero", "30 40\n", "0 0.5 0\nx\n1.0\n", nullptr, "", kZero, ""},
    {"NegativeCount", "30 40\n", "0 0.5 -7\nx\n1.0\n", nullptr, "", kZero, ""},
    {"SmallestCount", "30 40\n", "0 0.5 -2147483648\nx\n1.0\n", nullptr, "", kZero, ""},
    {"CountOfOneKeepsOldOufile", "30 40\n", "0 0.5 1\n\n", "old\nfile\n", "old\nfile\n", kZero, ""},
    // A path length of 0 makes every corrected amplitude 0.
    {"ZeroDistance", "0 0\n", "0 0.5 4\nx\n1.0\n2.5\n0\n", nullptr, kZero + kZero + kZero, kHalf, ""},
    // A step of 0 gives 0/0 in every exponent, a negative step the power of a
    // negative frequency: not-a-number, a note, and still status 0.
    {"StepZero", "30 40\n", "0 0 3\nx\n1.0\n2.0\n", nullptr, kNaN + kNaN, kZero, kInvalidNote},
    {"NegativeStep", "30 40\n", "0 -0.5 3\nx\n1.0\n2.0\n", "old\n", kNaN + kNaN, " -0.500000000    \n", kInvalidNote},
    // The distance record: only its first two values count.
    {"ZeroDistanceWithMoreValuesAndRecords", "0,0 55 km\n12 13\n", "0 0.5 2\nx\n7.0\n", nullptr, kZero, kHalf, ""},
};

INSTANTIATE_TEST_SUITE_P(Pathfix, PathfixExact, ::testing::ValuesIn(kExact), case_name<ExactCase>);

// The tables hold exactly 100000 amplitudes: a count of 100001 fills them.
TEST(Pathfix, FullCapacity) {
  WorkDir dir;
  dir.write("t1dhp", "0 0\n");
  std::string spectrum = "0 0.5 100001\nx\n";
  for (int i = 0; i < 100000; ++i) spectrum += "1.5\n";
  spectrum += "this record is never read\n";
  dir.write("infile", spectrum);
  const auto run = run_program("pathfix", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kHalf);
  std::string expected;
  for (int i = 0; i < 100000; ++i) expected += kZero;
  EXPECT_EQ(dir.read("oufile"), expected);
}

// The corrected amplitudes below were computed once by another route,
// pathfix_reference.py beside this file: Python's double-precision
// arithmetic with each operation rounded to single precision in the order of
// the manual page's formula. Where the exact power or exponential lies so
// near halfway between two single-precision numbers that the C library may
// round either way, both results are admissible.
struct Sample {
  int number;                     // from 1
  std::vector<float> admissible;  // the results the program may give
};

bool is_admissible(float found, const std::vector<float>& admissible) {
  return std::find(admissible.begin(), admissible.end(), found) != admissible.end();
}

std::string listed(const std::vector<float>& values) {
  std::string text;
  for (const float v : values) text += (text.empty() ? "" : " or ") + std::to_string(v);
  return text;
}

// The frequency of a sample is the step added up once per sample, in single
// precision: with a step of 0.1, sample 1000 has 99.9990463, not 100. A path
// of 12000 km makes the exponent near 49, so that the small difference in
// frequency shows in the corrected amplitude: at exactly 100 Hz the sample
// would be 2.10488326e30.
TEST(Pathfix, FrequencyIsTheAccumulatedSum) {
  const Sample kFirst{1, {6.95965586e31f}};
  const Sample kLast{1000, {2.10489943e30f, 2.10490744e30f}};

  WorkDir dir;
  dir.write("t1dhp", "12000 0\n");
  std::string spectrum = "0 0.1 1001\nx\n";
  for (int i = 0; i < 1000; ++i) spectrum += "1\n";
  dir.write("infile", spectrum);
  const auto run = run_program("pathfix", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "  0.100000001    \n");
  const auto records = records_of(dir.read("oufile"));
  ASSERT_EQ(records.size(), 1000u);
  for (const Sample& s : {kFirst, kLast}) {
    const std::string& record = records[static_cast<std::size_t>(s.number - 1)];
    EXPECT_PRED2(is_admissible, value_of(record), s.admissible)
        << "sample " << s.number << ": " << record << ", expected " << listed(s.admissible);
  }
}

// Every sample, each operation rounded to single precision in its order. At
// 150.3 and 12.1 km the path length, scaled in two steps, is 15078628 cm, where
// one multiplication by 100000 gives 15078629; at this distance a different
// grouping of the exponent's products changes several samples as well. The
// amplitude of sample i is i, at i times 0.25 Hz (sums exact in binary).
TEST(Pathfix, EveryOperationInSinglePrecisionInItsOrder) {
  const Sample kSamples[] = {
      {1, {28959230.0f}},           {2, {57657956.0f}},   {3, {86260432.0f}},   {4, {114800816.0f}},
      {5, {143295296.0f}},          {6, {171753344.0f}},  {7, {200181168.0f}},  {8, {228583152.0f}},
      {9, {256962624.0f}},          {10, {285322144.0f}}, {11, {313663744.0f}}, {12, {341989056.0f}},
      {13, {370299456.0f}},         {14, {398596224.0f}}, {15, {426880160.0f, 426880192.0f}},
      {16, {455152256.0f, 455152288.0f}},                 {17, {483413280.0f}}, {18, {511663840.0f}},
      {19, {539904512.0f}},         {20, {568135936.0f}}, {21, {596358464.0f}}, {22, {624572608.0f}},
      {23, {652778688.0f}},         {24, {680977088.0f}}, {25, {709168064.0f}}, {26, {737352128.0f}},
      {27, {765529280.0f}},         {28, {793700032.0f}}, {29, {821864320.0f}}, {30, {850022720.0f}},
      {31, {878175168.0f}},         {32, {906321984.0f}}, {33, {934463232.0f}}, {34, {962599296.0f}},
      {35, {990730112.0f}},         {36, {1.01885587e9f}}, {37, {1.04697683e9f}}, {38, {1.07509299e9f}},
      {39, {1.10320461e9f, 1.10320474e9f}},               {40, {1.13131149e9f, 1.13131162e9f}},
  };

  WorkDir dir;
  dir.write("t1dhp", "150.3 12.1\n");
  std::string spectrum = "0 0.25 41\nx\n";
  for (int i = 1; i <= 40; ++i) spectrum += std::to_string(i) + "\n";
  dir.write("infile", spectrum);
  const auto run = run_program("pathfix", dir);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "  0.250000000    \n");
  const auto records = records_of(dir.read("oufile"));
  ASSERT_EQ(records.size(), 40u);
  for (const Sample& s : kSamples) {
    const std::string& record = records[static_cast<std::size_t>(s.number - 1)];
    EXPECT_PRED2(is_admissible, value_of(record), s.admissible)
        << "sample " << s.number << ": " << record << ", expected " << listed(s.admissible);
  }
}

// Failures: status 1, one line on standard error, nothing on standard output.
// "oufile" is opened after "infile" and before "t1dhp", and nothing is
// written to it before all input is read: it is absent when "infile" is
// missing, and otherwise created empty or left as it was.
class PathfixFailures : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(PathfixFailures, WriteNoRecord) { run_case("pathfix", GetParam()); }

const ProgramCase kFailures[] = {
    failure("MissingInfile", {file("t1dhp", "30 40\n")}, "pathfix: infile: No such file or directory\n",
            {absent("oufile")}),
    failure("MissingInfileKeepsOldOufile", {file("t1dhp", "30 40\n"), file("oufile", "old\n")},
            "pathfix: infile: No such file or directory\n", {unchanged("oufile")}),
    failure("MissingT1dhp", {file("infile", kWorkedSpectrum)}, "pathfix: t1dhp: No such file or directory\n",
            {created_empty("oufile")}),
    failure("MissingT1dhpKeepsOldOufile", {file("infile", kWorkedSpectrum), file("oufile", "old\n")},
            "pathfix: t1dhp: No such file or directory\n", {unchanged("oufile")}),
    failure("EmptyT1dhp", {file("t1dhp", ""), file("infile", kWorkedSpectrum)},
            "pathfix: t1dhp: end of file (the file is empty): expected 2 values, found 0\n", {created_empty("oufile")}),
    failure("OneDistanceComponent", {file("t1dhp", "30\n\n"), file("infile", kWorkedSpectrum), file("oufile", "old\n")},
            "pathfix: t1dhp: end of file after line 2: expected 2 values, found 1\n", {unchanged("oufile")}),
    failure("EmptyInfile", {file("t1dhp", "30 40\n"), file("infile", "")},
            "pathfix: infile: end of file (the file is empty): expected 3 values, found 0\n",
            {created_empty("oufile")}),
    failure("HeaderIncomplete", {file("t1dhp", "30 40\n"), file("infile", "0 0.5\n"), file("oufile", "old\n")},
            "pathfix: infile: end of file after line 1: expected 3 values, found 2\n", {unchanged("oufile")}),
    // The record after the header must exist, even when no amplitude follows.
    failure("NoRecordAfterHeader", {file("t1dhp", "30 40\n"), file("infile", "0 0.5 3\n")},
            "pathfix: infile: end of file after line 1: expected the record that follows the header\n",
            {created_empty("oufile")}),
    failure("NoRecordAfterHeaderWithCountOfOne",
            {file("t1dhp", "30 40\n"), file("infile", "0 0.5 1"), file("oufile", "old\n")},
            "pathfix: infile: end of file after line 1: expected the record that follows the header\n",
            {unchanged("oufile")}),
    // Too few amplitudes: how many were expected and how many found.
    failure("AmplitudesEndEarly",
            {file("t1dhp", "30 40\n"), file("infile", "0 0.5 6\nx\n1.0\n2.0\n\n"), file("oufile", "old\n")},
            "pathfix: infile: end of file after line 5: expected 5 amplitudes, found 2\n", {unchanged("oufile")}),
    failure("OnlyAmplitudeMissing", {file("t1dhp", "30 40\n"), file("infile", "0 0.5 2\nx\n")},
            "pathfix: infile: end of file after line 2: expected 1 amplitude, found 0\n", {created_empty("oufile")}),
    // A count the tables cannot hold ends the run before any amplitude is
    // read, at the record holding the count.
    failure("CountAboveCapacity",
            {file("t1dhp", "30 40\n"), file("infile", "0 0.5 100002\nx\n1.0\n2.0\n"), file("oufile", "old\n")},
            "pathfix: infile:1: sample count is too large: 100002 (allowed: at most 100001)\n", {unchanged("oufile")}),
    failure("LargestCountOnSecondHeaderRecord",
            {file("t1dhp", "30 40\n"), file("infile", "0 0.5\n2147483647\nx\n1.0\n")},
            "pathfix: infile:2: sample count is too large: 2147483647 (allowed: at most 100001)\n",
            {created_empty("oufile")}),
    // Bad data.
    failure("CountWithDecimalPoint",
            {file("t1dhp", "30 40\n"), file("infile", "0 0.5 3.0\nx\n1.0\n2.0\n"), file("oufile", "old\n")},
            "pathfix: infile:1: columns 7-9: cannot read \"3.0\" as an integer\n", {unchanged("oufile")}),
    failure("AmplitudeNotANumber", {file("t1dhp", "30 40\n"), file("infile", "0 0.5 3\nx\n1.0\nabc\n")},
            "pathfix: infile:4: columns 1-3: cannot read \"abc\" as a number\n", {created_empty("oufile")}),
    failure("DistanceNotANumber", {file("t1dhp", "30 4O\n"), file("infile", kWorkedSpectrum), file("oufile", "old\n")},
            "pathfix: t1dhp:1: columns 4-5: cannot read \"4O\" as a number\n", {unchanged("oufile")}),
};

INSTANTIATE_TEST_SUITE_P(Pathfix, PathfixFailures, ::testing::ValuesIn(kFailures), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test
