// SPDX-License-Identifier: MIT
// Micro-benchmarks of the record library's hot paths. Each conversion runs
// beside the C library's route on the same data in the same run, and a table
// of ratios (C library time / record library time) closes the report.
//
//   cmake --preset bench && cmake --build --preset bench
//   build-bench/bin/record_io_bench
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "codec.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"
#include "text_rows.hpp"

namespace {

using namespace record_io;
using detail::decode_fixed;
using detail::encode_fixed;
using detail::LayoutData;

constexpr std::size_t kValues = 4096;

// Deterministic values of the sizes the programs see: amplitudes from 1e-3
// to 1e8 of either sign for free format, and values below 1000 for F8.3.
struct Data {
  std::vector<float> free_values;
  std::vector<float> fixed_values;
  std::vector<std::string> real_texts;
  std::vector<std::string> amplitude_texts;
  std::vector<std::string> amplitude_records;  // the same with their line feed and readable bytes after it
  std::vector<std::string> amplitude_pairs;    // each record and the next, and readable bytes after them
  std::vector<std::string> integer_texts;
  Data() {
    std::uint32_t state = 20261208;
    const auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return static_cast<float>(state >> 8) / 16777216.0f;  // [0, 1)
    };
    for (std::size_t i = 0; i < kValues; ++i) {
      const float sign = next() < 0.5f ? -1.0f : 1.0f;
      free_values.push_back(sign * std::pow(10.0f, -3.0f + 11.0f * next()));
      fixed_values.push_back(sign * 1000.0f * next());
      char text[detail::kFreeRealWidth + detail::kFreeRealSpill];
      detail::format_free_real(text, free_values.back());
      std::string trimmed(text, detail::kFreeRealWidth);
      trimmed.erase(0, trimmed.find_first_not_of(' '));
      trimmed.erase(trimmed.find_last_not_of(' ') + 1);
      real_texts.push_back(trimmed);
      integer_texts.push_back(std::to_string(static_cast<std::int32_t>(next() * 4.0e9f - 2.0e9f)));
      // an amplitude of a spectrum, as pathfix reads it: "2.505847e-04"
      char amplitude[32];
      std::snprintf(amplitude, sizeof amplitude, "%.6e", static_cast<double>(2.5e-4f * (0.5f + next())));
      amplitude_texts.emplace_back(amplitude);
      amplitude_records.push_back(amplitude_texts.back() + "\n" + std::string(32, ' '));
    }
    for (std::size_t i = 0; i < kValues; ++i)
      amplitude_pairs.push_back(amplitude_texts[i] + "\n" + amplitude_texts[(i + 1) % kValues] + "\n" +
                                std::string(32, ' '));
  }
};

const Data& data() {
  static const Data instance;
  return instance;
}

void FixedOutput_F8_3_record_io(benchmark::State& state) {
  char out[8];
  std::size_t i = 0;
  for (auto _ : state) {
    detail::format_fixed(out, 8, 3, data().fixed_values[i++ % kValues]);
    benchmark::DoNotOptimize(out);
  }
}
void FixedOutput_F8_3_c_library(benchmark::State& state) {
  char out[32];
  std::size_t i = 0;
  for (auto _ : state) {
    std::snprintf(out, sizeof out, "%8.3f", static_cast<double>(data().fixed_values[i++ % kValues]));
    benchmark::DoNotOptimize(out);
  }
}

void FreeRealOutput_record_io(benchmark::State& state) {
  char out[detail::kFreeRealWidth + detail::kFreeRealSpill];
  std::size_t i = 0;
  for (auto _ : state) {
    detail::format_free_real(out, data().free_values[i++ % kValues]);
    benchmark::DoNotOptimize(out);
  }
}
void FreeRealOutput_c_library(benchmark::State& state) {
  char out[32];
  std::size_t i = 0;
  for (auto _ : state) {
    std::snprintf(out, sizeof out, "%.8E", static_cast<double>(data().free_values[i++ % kValues]));
    benchmark::DoNotOptimize(out);
  }
}

void RealInput_record_io(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    detail::parse_real(data().real_texts[i++ % kValues], 0, value);
    benchmark::DoNotOptimize(value);
  }
}
void RealInput_c_library(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = nullptr;
    value = std::strtof(data().real_texts[i++ % kValues].c_str(), &end);
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(end);
  }
}

void AmplitudeInput_record_io(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = data().amplitude_texts[i++ % kValues];
    benchmark::DoNotOptimize(detail::scan_real(text.data(), text.data() + text.size(), 0, value));
    benchmark::DoNotOptimize(value);
  }
}
void AmplitudeInput_c_library(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = nullptr;
    value = std::strtof(data().amplitude_texts[i++ % kValues].c_str(), &end);
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(end);
  }
}

// A whole record of a spectrum on one of the reader's quick routes: the
// number and the line feed that must follow it. The routes: any plain form
// (scan_plain_line), and the C library's "%e" form that these records have
// (scan_c_exponent_line, which the reader tries first).
template <const char* (*ScanLine)(const char*, float&) noexcept>
void AmplitudeRecord_record_io(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ScanLine(data().amplitude_records[i++ % kValues].data(), value));
    benchmark::DoNotOptimize(value);
  }
}
void AmplitudeRecord_c_library(benchmark::State& state) {
  float value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = nullptr;
    value = std::strtof(data().amplitude_records[i++ % kValues].c_str(), &end);
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(*end == '\n');
  }
}

// Two such records read at once, as the reader takes runs of them
// (scan_c_exponent_pair); the C library reads them one after the other.
void AmplitudeRecordPair_record_io(benchmark::State& state) {
  float values[2] = {};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(detail::scan_c_exponent_pair(data().amplitude_pairs[i++ % kValues].data(), values));
    benchmark::DoNotOptimize(values);
  }
}
void AmplitudeRecordPair_c_library(benchmark::State& state) {
  float values[2] = {};
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = nullptr;
    values[0] = std::strtof(data().amplitude_pairs[i++ % kValues].c_str(), &end);
    values[1] = std::strtof(end + 1, &end);
    benchmark::DoNotOptimize(values);
    benchmark::DoNotOptimize(*end == '\n');
  }
}

void IntegerInput_record_io(benchmark::State& state) {
  std::int32_t value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    detail::parse_integer(data().integer_texts[i++ % kValues], value);
    benchmark::DoNotOptimize(value);
  }
}
void IntegerInput_c_library(benchmark::State& state) {
  long value = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = nullptr;
    value = std::strtol(data().integer_texts[i++ % kValues].c_str(), &end, 10);
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(end);
  }
}

// The column-spacing record: thirteen character fields read packed and
// written one blank apart.
const std::string kPackedLine = "2024010302:14 37.8537N12.345003W41.228  12.402.4mbLg 12 145 0.31  1.4";

void RecordCopy_record_io(benchmark::State& state) {
  const Layout packed("(A8,A5,A6,A3,A6,A4,A6,A7,A7,A3,A4,A5,A5)");
  const Layout spaced("(A8,1x,A5,1x,A6,1x,A3,1x,A6,1x,A4,1x,A6,1x,A7,1x,A7,1x,A3,    1x,A4,1x,A5,1x,A5)");
  Text<20> f[13];
  const std::vector<InItem> in{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12]};
  const std::vector<OutItem> out_items{f[0], f[1], f[2], f[3], f[4],  f[5], f[6],
                                       f[7], f[8], f[9], f[10], f[11], f[12]};
  std::string out;
  for (auto _ : state) {
    out.clear();
    benchmark::DoNotOptimize(decode_fixed(kPackedLine, packed, in));
    encode_fixed(out, spaced, out_items);
    benchmark::DoNotOptimize(out.data());
  }
}
// The same line as one row of thirteen texts, as colspace moves it: each
// byte of the record written once, from where it lies in the line read.
void RecordRowCopy_record_io(benchmark::State& state) {
  const Layout packed("(A8,A5,A6,A3,A6,A4,A6,A7,A7,A3,A4,A5,A5)");
  const Layout spaced("(A8,1x,A5,1x,A6,1x,A3,1x,A6,1x,A4,1x,A6,1x,A7,1x,A7,1x,A3,    1x,A4,1x,A5,1x,A5)");
  const detail::RowPlan plan(LayoutData::of(packed), LayoutData::of(spaced), 20, 13);
  const std::string line = kPackedLine + std::string(16, ' ');
  std::string out(plan.width() + 16, ' ');
  for (auto _ : state) {
    benchmark::DoNotOptimize(plan.write(line.data(), out.data()));
    benchmark::ClobberMemory();
  }
}

void RecordCopy_c_library(benchmark::State& state) {
  char f[13][21];
  char out[96];
  for (auto _ : state) {
    std::sscanf(kPackedLine.c_str(), "%8c%5c%6c%3c%6c%4c%6c%7c%7c%3c%4c%5c%5c", f[0], f[1], f[2], f[3], f[4], f[5],
                f[6], f[7], f[8], f[9], f[10], f[11], f[12]);
    std::snprintf(out, sizeof out, "%.8s %.5s %.6s %.3s %.6s %.4s %.6s %.7s %.7s %.3s %.4s %.5s %.5s", f[0], f[1],
                  f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12]);
    benchmark::DoNotOptimize(out);
  }
}

// Layouts are parsed once per run; this shows what that once costs. The C
// library has no counterpart.
void LayoutParse_record_io(benchmark::State& state) {
  for (auto _ : state) {
    auto layout =
        LayoutData::parse("(A4,8x,A2,1x,A2,1x,A2,1x,A2,1x,A2,1x,F6.3,                   10x,A1,1x,A1,9X,I1,1X,A1)");
    benchmark::DoNotOptimize(layout);
  }
}

BENCHMARK(FixedOutput_F8_3_record_io);
BENCHMARK(FixedOutput_F8_3_c_library);
BENCHMARK(FreeRealOutput_record_io);
BENCHMARK(FreeRealOutput_c_library);
BENCHMARK(RealInput_record_io);
BENCHMARK(RealInput_c_library);
BENCHMARK(AmplitudeInput_record_io);
BENCHMARK(AmplitudeInput_c_library);
BENCHMARK(AmplitudeRecord_record_io<detail::scan_plain_line>)->Name("AmplitudeRecord_record_io");
BENCHMARK(AmplitudeRecord_c_library);
BENCHMARK(AmplitudeRecord_record_io<detail::scan_c_exponent_line>)->Name("AmplitudeRecordCForm_record_io");
BENCHMARK(AmplitudeRecord_c_library)->Name("AmplitudeRecordCForm_c_library");
BENCHMARK(AmplitudeRecordPair_record_io);
BENCHMARK(AmplitudeRecordPair_c_library);
BENCHMARK(IntegerInput_record_io);
BENCHMARK(IntegerInput_c_library);
BENCHMARK(RecordCopy_record_io);
BENCHMARK(RecordCopy_c_library);
BENCHMARK(RecordRowCopy_record_io);
BENCHMARK(RecordCopy_c_library)->Name("RecordRowCopy_c_library");
BENCHMARK(LayoutParse_record_io);

// Collects the times of the runs to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\n%-22s %14s %14s %10s\n", "conversion", "record_io ns", "C library ns", "ratio");
    for (const auto& [name, time] : times_) {
      const std::string suffix = "_record_io";
      if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        continue;
      const std::string base = name.substr(0, name.size() - suffix.size());
      const auto other = times_.find(base + "_c_library");
      if (other == times_.end()) {
        std::printf("%-22s %14.1f %14s %10s\n", base.c_str(), time, "-", "-");
      } else {
        std::printf("%-22s %14.1f %14.1f %9.1fx\n", base.c_str(), time, other->second, other->second / time);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
