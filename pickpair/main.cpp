// SPDX-License-Identifier: MIT
// pickpair: pairs the phase picks of "elocate.dat" into the phase cards of
// "fases.dat".
//
// Every pick whose phase letter is not S gets one card. Where a later line
// holds a pick of the same station, the card also carries the last such pick
// as its S part; otherwise it is a P card. A terminator line closes the file.
// Standard output announces each pick examined and each later pick found.
#include <array>
#include <cstdint>
#include <string>

#include "record_io/record_io.hpp"

namespace {

constexpr int kMaxPicks = 100;  // picks used from "elocate.dat"

// One line of "elocate.dat".
struct PickRecord {
  record_io::Text<4> station;                   // compared byte for byte
  std::array<record_io::Text<2>, 5> time_groups;  // date and time to the minute, copied
  float seconds;
  record_io::Text<1> onset;
  record_io::Text<1> phase;  // "S" marks an S pick, which gets no card of its own
  std::int32_t weight;       // one column: 0 to 9
  record_io::Text<1> motion;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace record_io;
  begin_run({.name = "pickpair",
             .purpose = "Pairs the phase picks of a pick list into phase cards.",
             .reads = "elocate.dat",
             .writes = "fases.dat; a line per pick examined, and per later pick found, on standard output"},
            argc, argv);

  // The pick line as its layout has always been written, a run of blanks
  // included: blanks in a layout carry no meaning.
  const Layout pick_line{"(A4,8x,A2,1x,A2,1x,A2,1x,A2,1x,A2,1x,F6.3,                   10x,A1,1x,A1,9X,I1,1X,A1)"};
  const Layout p_card{"(A4,A1,A1,A1,I1,1x,5A2,F5.2)"};
  const Layout paired_card{"(A4,A1,A1,A1,I1,1x,5A2,F5.2,7X,F5.2,A1,A1,A1,I1)"};
  const Layout terminator_line{"(A19)"};
  const Text<1> s_phase{'S'};
  const Text<1> paired_marker{'+'};

  OutputFile cards = open_output("fases.dat");
  InputFile picks = open_input("elocate.dat");

  // The whole pick table is read before anything is written.
  static std::array<PickRecord, kMaxPicks> table;
  int count = 0;
  while (count < kMaxPicks) {
    PickRecord& r = table[static_cast<std::size_t>(count)];
    auto& t = r.time_groups;
    if (read_fixed(picks, pick_line,
                   {r.station, t[0], t[1], t[2], t[3], t[4], r.seconds, r.onset, r.phase, r.weight, r.motion}) ==
        ReadStatus::end_of_input)
      break;
    ++count;
  }
  if (count == kMaxPicks) warn_if_beyond_capacity(picks, kMaxPicks, "picks", "used");

  for (int i = 0; i < count; ++i) {
    const PickRecord& pick = table[static_cast<std::size_t>(i)];
    write_free(standard_output(), {"Buscando en ", pick.station, pick.phase});

    // The partner is the last later pick of the same station.
    const PickRecord* partner = nullptr;
    for (int j = i + 1; j < count; ++j) {
      const PickRecord& later = table[static_cast<std::size_t>(j)];
      if (later.station != pick.station) continue;
      write_free(standard_output(), {"Coincidencia en ", pick.station, later.phase});
      partner = &later;
    }

    if (pick.phase == s_phase) continue;
    const auto& t = pick.time_groups;
    if (partner == nullptr) {
      write_fixed(cards, p_card,
                  {pick.station, pick.onset, pick.phase, pick.motion, pick.weight, t[0], t[1], t[2], t[3], t[4],
                   pick.seconds});
    } else {
      write_fixed(cards, paired_card,
                  {pick.station, pick.onset, pick.phase, paired_marker, pick.weight, t[0], t[1], t[2], t[3], t[4],
                   pick.seconds, partner->seconds, partner->onset, partner->phase, partner->motion, partner->weight});
    }
  }
  write_fixed(cards, terminator_line, {"                 10"});

  close_file(picks);
  close_file(cards);
  finish();
}
