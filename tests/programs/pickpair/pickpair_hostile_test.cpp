// SPDX-License-Identifier: MIT
// pickpair over hostile inputs. It opens "fases.dat" first and reads the
// whole pick list before it writes anything, so a failure while reading
// leaves "fases.dat" created empty, or as it was.
#include <string>

#include "hostile_input.hpp"

namespace toolkit_test::hardening {
namespace {

const std::string kEmal = "EMAL HHZ    26 03 14 03 27 12.463 0.41 0.1 i P         0 C";
const std::string kAcbg = "ACBG HHZ    26 03 14 03 27 13.108 0.22 0.1 i P         1 D";
const std::string kEmalCard = "EMALiPC0 260314032712.46";
const std::string kAcbgCard = "ACBGiPD1 260314032713.11";
const std::string kTerminator = "                 10";
const std::string kOldCards = "old card 1\nold card 2\n";

// kEmal with columns 28-33 (seconds) or 56 (weight) replaced.
std::string with_seconds(std::string_view seconds) {
  return kEmal.substr(0, 27) + std::string(seconds) + kEmal.substr(33);
}
std::string with_weight(char weight) { return kEmal.substr(0, 55) + weight + kEmal.substr(56); }

std::vector<ProgramCase> cases() {
  return {
      // The first line holds bytes where the seconds are due.
      {"BinaryGarbage",
       {file("elocate.dat", binary_garbage())},
       1,
       matching(R"(pickpair: elocate\.dat:1: columns 28-33: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {created_empty("fases.dat"), unchanged("elocate.dat")}},
      {"BinaryGarbageKeepsExistingCards",
       {file("elocate.dat", binary_garbage()), file("fases.dat", kOldCards)},
       1,
       matching(R"(pickpair: elocate\.dat:1: columns 28-33: cannot read ".+"(\.\.\. \(\d+ bytes\))? as a number\n)"),
       exactly(""),
       {unchanged("fases.dat")}},
      // Columns after 58 are never looked at, however many.
      {"TenMegabyteLine",
       {made_file("elocate.dat", [] { return kEmal + std::string(kTenMegabytes, 'x') + "\n" + kAcbg + "\n"; })},
       0,
       exactly(""),
       exactly(lines_of({" Buscando en EMALP", " Buscando en ACBGP"})),
       {holds("fases.dat", lines_of({kEmalCard, kAcbgCard, kTerminator}))}},
      {"EmptyFile",
       {file("elocate.dat", ""), file("fases.dat", kOldCards)},
       0,
       exactly(""),
       exactly(""),
       {holds("fases.dat", lines_of({kTerminator}))}},
      {"InputIsDirectory",
       {directory("elocate.dat")},
       1,
       exactly("pickpair: elocate.dat: Is a directory\n"),
       exactly(""),
       {created_empty("fases.dat"), still_directory("elocate.dat")}},
      {"OutputIsDirectory",
       {file("elocate.dat", lines_of({kEmal})), directory("fases.dat")},
       1,
       exactly("pickpair: fases.dat: Is a directory\n"),
       exactly(""),
       {still_directory("fases.dat")}},
      // The cards reach the device when the file is closed, and fail there;
      // standard output, written before, stays.
      {"OutputOnFullDevice",
       {file("elocate.dat", lines_of({kEmal, kAcbg})), full_device("fases.dat")},
       1,
       exactly("pickpair: fases.dat: No space left on device\n"),
       exactly(lines_of({" Buscando en EMALP", " Buscando en ACBGP"})),
       {still_full_device("fases.dat")}},
      // A last line without a line end, cut inside the seconds: the columns
      // present are read, the missing ones are blanks (weight 0).
      {"CutInsideSeconds",
       {file("elocate.dat", kEmal + "\n" + kAcbg.substr(0, 31))},
       0,
       exactly(""),
       exactly(lines_of({" Buscando en EMALP", " Buscando en ACBG "})),
       {holds("fases.dat", lines_of({kEmalCard, "ACBG   0 260314032713.10", kTerminator}))}},
      {"CutInsideTimeGroups",
       {file("elocate.dat", kEmal.substr(0, 19))},
       0,
       exactly(""),
       exactly(lines_of({" Buscando en EMAL "})),
       {holds("fases.dat", lines_of({"EMAL   0 26031      0.00", kTerminator}))}},
      // No integer field is wider than one column (the weight), so none can
      // exceed 32 bits. Reals beyond single precision in the seconds:
      {"SecondsBeyondRealRange",
       {file("elocate.dat", lines_of({kAcbg, with_seconds("1.0E39")})), file("fases.dat", kOldCards)},
       1,
       exactly("pickpair: elocate.dat:2: columns 28-33: number \"1.0E39\" is beyond the range of a real\n"),
       exactly(""),
       {unchanged("fases.dat")}},
      {"SecondsBelowRealRangeAreZero",
       {file("elocate.dat", lines_of({with_seconds("1.E-60")}))},
       0,
       exactly(""),
       exactly(lines_of({" Buscando en EMALP"})),
       {holds("fases.dat", lines_of({"EMALiPC0 2603140327 0.00", kTerminator}))}},
      {"TextInSeconds",
       {file("elocate.dat", lines_of({kAcbg, kAcbg, with_seconds("12.4x3")}))},
       1,
       exactly("pickpair: elocate.dat:3: columns 28-33: cannot read \"12.4x3\" as a number\n"),
       exactly(""),
       {created_empty("fases.dat")}},
      {"TextInWeight",
       {file("elocate.dat", lines_of({with_weight('x')}))},
       1,
       exactly("pickpair: elocate.dat:1: column 56: cannot read \"x\" as an integer\n"),
       exactly(""),
       {created_empty("fases.dat")}},
      // Control bytes and bytes above 127 in the text columns are copied.
      {"BytesInTextColumnsAreCopied",
       {file("elocate.dat",
             lines_of({std::string("\x01\xff\t\r", 4) + kEmal.substr(4, 39) + '\0' + kEmal.substr(44)}))},
       0,
       exactly(""),
       exactly(lines_of({std::string(" Buscando en \x01\xff\t\rP", 18)})),
       {holds("fases.dat",
              lines_of({std::string("\x01\xff\t\r", 4) + std::string(1, '\0') + "PC0 260314032712.46", kTerminator}))}},
  };
}

class PickpairHostile : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(PickpairHostile, EndsAsStated) { run_case("pickpair", GetParam()); }

INSTANTIATE_TEST_SUITE_P(Catalogue, PickpairHostile, ::testing::ValuesIn(cases()), case_name<ProgramCase>);

}  // namespace
}  // namespace toolkit_test::hardening
