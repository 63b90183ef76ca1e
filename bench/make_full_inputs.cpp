// SPDX-License-Identifier: MIT
// Writes deterministic inputs for every program at full capacity, and the
// same inputs with no records, into <directory>/<program>/ and
// <directory>/<program>-empty/:
//
//   make_full_inputs scratch/bench
//
// pickpair: 100 picks; hypomean: 10 location records; mwcalc: its two single
// values; pathfix: 100000 amplitudes, and in pathfix-8193/ a spectrum of 8193
// samples (8192 amplitudes after the record passed over); colspace: 10000
// lines; stalist: 100 stations.
//
// With --events N, writes N event directories instead, each with the working
// directory of pathfix (a spectrum of 8193 samples) and of mwcalc, every
// event's values its own:
//
//   make_full_inputs --events 2000 scratch/events
//   -> scratch/events/0001/pathfix/{infile,t1dhp}, scratch/events/0001/mwcalc/{epi.dat,t1.promedio}, ...
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A small linear congruential generator: the same inputs on every machine.
class Numbers {
 public:
  std::uint32_t next() { return state_ = state_ * 1664525u + 1013904223u; }
  int below(int limit) { return static_cast<int>((next() >> 8) % static_cast<std::uint32_t>(limit)); }
  double unit() { return (next() >> 8) / 16777216.0; }

 private:
  std::uint32_t state_ = 12345;
};

void write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string format(const char* pattern, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

std::string station_code(int i) {
  std::string code = "S";
  code += static_cast<char>('A' + i / 26 % 26);
  code += static_cast<char>('A' + i % 26);
  code += static_cast<char>('0' + i % 10);
  return code;
}

std::string picks(Numbers& numbers, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    std::string line(58, ' ');
    line.replace(0, 4, station_code(numbers.below(40)));
    line.replace(12, 14, format("26 03 14 03 %02d", 27 + i / 50));
    line.replace(27, 6, format("%6.3f", numbers.unit() * 59.999));
    line[43] = numbers.below(2) ? 'i' : 'e';
    line[45] = numbers.below(3) ? 'P' : 'S';
    line[55] = static_cast<char>('0' + numbers.below(5));
    line[57] = "CD "[numbers.below(3)];
    text += line + "\n";
  }
  return text;
}

// A decaying displacement spectrum: the header (a value not used, the step
// in hertz, the sample count), the record passed over, then one amplitude per
// line for every sample but the first.
std::string spectrum(Numbers& numbers, int sample_count, double step_hz) {
  std::string text = format("0.0 %.9g %d\n\n", step_hz, sample_count);
  for (int i = 1; i < sample_count; ++i) {
    const double f = step_hz * i;
    text += format("%.6e\n", 2.5e-4 / (1.0 + (f / 3.0) * (f / 3.0)) * (0.94 + 0.12 * numbers.unit()));
  }
  return text;
}

// A spectrum of 8193 samples: a 16384-point transform at 100 samples per
// second, up to its Nyquist frequency of 50 Hz.
constexpr int kEventSampleCount = 8193;
constexpr double kEventStepHz = 50.0 / 8192.0;

void write_events(const fs::path& root, int count) {
  Numbers numbers;
  for (int event = 1; event <= count; ++event) {
    const fs::path directory = root / format("%04d", event);
    write(directory / "pathfix/infile", spectrum(numbers, kEventSampleCount, kEventStepHz));
    write(directory / "pathfix/t1dhp", format("%.1f %.1f\n", 5.0 + numbers.unit() * 150.0, 2.0 + numbers.unit() * 20.0));
    write(directory / "mwcalc/epi.dat", format("%.4f %.4f %.2f\n", 36.5 + numbers.unit() * 2.0,
                                               -4.5 + numbers.unit() * 2.0, 2.0 + numbers.unit() * 20.0));
    write(directory / "mwcalc/t1.promedio", format("%.2f\n", 1.5 + numbers.unit() * 3.0));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--events") {
    write_events(argv[3], std::atoi(argv[2]));
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_full_inputs DIRECTORY\n       make_full_inputs --events COUNT DIRECTORY\n");
    return 2;
  }
  const fs::path root = argv[1];
  Numbers numbers;

  write(root / "pickpair/elocate.dat", picks(numbers, 100));
  write(root / "pickpair-empty/elocate.dat", "");

  std::string locations;
  for (int i = 0; i < 10; ++i)
    locations += format("%.4f %.4f %.2f %.3f 2026 3 14 3 27 %d\n", 37.18 + numbers.unit() * 0.01,
                        -3.69 - numbers.unit() * 0.01, 9.0 + numbers.unit() * 2.0, 23.0 + numbers.unit(), 8 + i);
  write(root / "hypomean/t1", locations);
  write(root / "hypomean-empty/t1", "");

  write(root / "mwcalc/epi.dat", "37.1848 -3.6916 9.92\n");
  write(root / "mwcalc/t1.promedio", "2.87\n");
  write(root / "mwcalc-empty/epi.dat", "37.1848 -3.6916 9.92\n");
  write(root / "mwcalc-empty/t1.promedio", "2.87\n");

  // 100000 amplitudes at a step of 0.001 Hz.
  write(root / "pathfix/infile", spectrum(numbers, 100001, 0.001));
  write(root / "pathfix/t1dhp", "23.4 11.8\n");
  write(root / "pathfix-empty/infile", "0.0 0.001 1\n\n");
  write(root / "pathfix-empty/t1dhp", "23.4 11.8\n");

  std::string table;
  for (int i = 0; i < 10000; ++i)
    table += format("2026%02d%02d%02d:%02d%6.2f%3dN%6.3f%3dW%6.3f%7.2f%3.1fmbLg%3d%4d%5.2f%5.1f\n",
                    1 + i / 900 % 12, 1 + i / 30 % 28, i / 60 % 24, i % 60, numbers.unit() * 59.99, 36,
                    numbers.unit() * 59.999, 3, numbers.unit() * 59.999, numbers.unit() * 30.0,
                    1.0 + numbers.unit() * 3.0, 4 + numbers.below(30), 60 + numbers.below(250),
                    numbers.unit() * 0.9, numbers.unit() * 9.0);
  write(root / "colspace/varios.dat", table);
  write(root / "colspace-empty/varios.dat", "");

  std::string stations;
  for (int i = 0; i < 100; ++i)
    stations += format("%s %d %.4f %d %.4f %d\n", station_code(i).c_str(), -numbers.below(7), numbers.unit() * 59.9999,
                       36 + numbers.below(6), numbers.unit() * 59.9999, numbers.below(2500));
  write(root / "stalist/tempo2.dat", stations);
  write(root / "stalist-empty/tempo2.dat", "");

  // Written last, so that every input above stays as it was before it came.
  write(root / "pathfix-8193/infile", spectrum(numbers, kEventSampleCount, kEventStepHz));
  write(root / "pathfix-8193/t1dhp", "23.4 11.8\n");
  return 0;
}
