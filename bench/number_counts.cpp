// SPDX-License-Identifier: MIT
// Instructions per number conversion, for callgrind: each mode makes the
// values of one program's records first, then converts all of them in one
// function that callgrind alone counts (convert_all and its kin).
//
//   valgrind --tool=callgrind --toggle-collect='*convert_all*' --callgrind-out-file=/dev/null
//       build-bench/bin/number_counts read-amplitudes 100000
// (one command line; the "Collected" count divided by the count of values).
//
// Modes:
//   read-amplitudes   texts "2.505847e-04" as pathfix reads them from its spectrum
//   read-amplitude-records  the same as whole records, on the reader's quick route
//   read-free         texts of nine digits as the free format writes them ("650.123413")
//   read-integers     integers of ten digits and a sign ("-1234567890")
//   write-corrected   reals of 0.6 to 800 as pathfix writes them (fixed-point form)
//   write-small       reals of 1e-6 to 0.1 (exponent form, small amplitudes)
//   write-large       reals of 1e9 to 1e30 (exponent form)
//   write-f8.3        reals below 1000 in an F8.3 field
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "numbers.hpp"

namespace {

using namespace record_io::detail;

// The generator of make_full_inputs: the same values on every machine.
class Numbers {
 public:
  std::uint32_t next() { return state_ = state_ * 1664525u + 1013904223u; }
  double unit() { return (next() >> 8) / 16777216.0; }

 private:
  std::uint32_t state_ = 12345;
};

// The spectrum's amplitudes, written as make_full_inputs writes them.
std::vector<std::string> amplitude_texts(std::size_t count) {
  Numbers numbers;
  std::vector<std::string> texts;
  char buffer[32];
  for (std::size_t i = 1; i <= count; ++i) {
    const double f = 0.001 * static_cast<double>(i);
    std::snprintf(buffer, sizeof buffer, "%.6e",
                  2.5e-4 / (1.0 + (f / 3.0) * (f / 3.0)) * (0.94 + 0.12 * numbers.unit()));
    texts.emplace_back(buffer);
  }
  return texts;
}

// Values from `low` to `high`, spread evenly over their logarithm.
std::vector<float> spread(std::size_t count, double low, double high) {
  Numbers numbers;
  std::vector<float> values;
  for (std::size_t i = 0; i < count; ++i)
    values.push_back(static_cast<float>(low * std::pow(high / low, numbers.unit())));
  return values;
}

// The corrected amplitudes of pathfix: a * R * exp(pi f R / (Q(f) beta)).
std::vector<float> corrected_amplitudes(const std::vector<std::string>& texts) {
  const float path_length = (sqrtf(23.4f * 23.4f + 11.8f * 11.8f) * 1000.0f) * 100.0f;
  std::vector<float> values;
  float f = 0.0f;
  for (const std::string& text : texts) {
    f = 0.001f + f;
    const float amplitude = std::strtof(text.c_str(), nullptr);
    const float exponent = ((f * 3.14159f) * path_length) / ((230.0f * powf(f, 1.01f)) * 320000.0f);
    values.push_back(expf(exponent) * (amplitude * path_length));
  }
  return values;
}

[[gnu::noinline]] std::uint64_t convert_all(const std::vector<std::string>& texts) {
  std::uint64_t sum = 0;
  for (const std::string& text : texts) {
    float value = 0.0f;
    const NumberScan scan = scan_real(text.data(), text.data() + text.size(), 0, value);
    sum += static_cast<std::uint64_t>(scan.status) + std::bit_cast<std::uint32_t>(value);
  }
  return sum;
}

// The amplitudes as records of a spectrum on the reader's quick route: each
// text with its line feed and readable bytes after it.
[[gnu::noinline]] std::uint64_t convert_all_records(const std::vector<std::string>& records) {
  std::uint64_t sum = 0;
  for (const std::string& record : records) {
    float value = 0.0f;
    const char* const line_feed = scan_plain_line(record.data(), value);
    sum += static_cast<std::uint64_t>(line_feed != nullptr) + std::bit_cast<std::uint32_t>(value);
  }
  return sum;
}

[[gnu::noinline]] std::uint64_t convert_all_integers(const std::vector<std::string>& texts) {
  std::uint64_t sum = 0;
  for (const std::string& text : texts) {
    std::int32_t value = 0;
    const NumberScan scan = scan_integer(text.data(), text.data() + text.size(), value);
    sum += static_cast<std::uint64_t>(scan.status) + static_cast<std::uint32_t>(value);
  }
  return sum;
}

[[gnu::noinline]] std::uint64_t convert_all(const std::vector<float>& values) {
  std::uint64_t sum = 0;
  char out[kFreeRealWidth + kFreeRealSpill];
  for (const float value : values) {
    format_free_real(out, value);
    sum += static_cast<unsigned char>(out[5]);
  }
  return sum;
}

[[gnu::noinline]] std::uint64_t convert_all_fixed(const std::vector<float>& values) {
  std::uint64_t sum = 0;
  char out[8];
  for (const float value : values) {
    format_fixed(out, 8, 3, value);
    sum += static_cast<unsigned char>(out[5]);
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(
        stderr,
        "usage: number_counts read-amplitudes|read-amplitude-records|read-free|read-integers|write-corrected|write-small|write-large|write-f8.3 COUNT\n");
    return 2;
  }
  const std::string_view mode = argv[1];
  const auto count = static_cast<std::size_t>(std::strtoul(argv[2], nullptr, 10));
  std::uint64_t sum = 0;
  if (mode == "read-amplitudes") {
    sum = convert_all(amplitude_texts(count));
  } else if (mode == "read-amplitude-records") {
    std::vector<std::string> records;
    for (const std::string& text : amplitude_texts(count)) records.push_back(text + "\n" + std::string(32, ' '));
    sum = convert_all_records(records);
  } else if (mode == "read-free") {
    std::vector<std::string> texts;
    for (const float value : spread(count, 1e-3, 1e8)) {
      char form[kFreeRealWidth + kFreeRealSpill];
      format_free_real(form, value);
      std::string text(form, kFreeRealWidth);
      text.erase(0, text.find_first_not_of(' '));
      text.erase(text.find_last_not_of(' ') + 1);
      texts.push_back(text);
    }
    sum = convert_all(texts);
  } else if (mode == "read-integers") {
    Numbers numbers;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < count; ++i)
      texts.push_back(std::to_string(static_cast<std::int32_t>(numbers.unit() * 4.0e9 - 2.0e9)));
    sum = convert_all_integers(texts);
  } else if (mode == "write-corrected") {
    sum = convert_all(corrected_amplitudes(amplitude_texts(count)));
  } else if (mode == "write-small") {
    sum = convert_all(spread(count, 1e-6, 0.1));
  } else if (mode == "write-large") {
    sum = convert_all(spread(count, 1e9, 1e30));
  } else if (mode == "write-f8.3") {
    std::vector<float> values = spread(count, 1e-2, 999.0);
    sum = convert_all_fixed(values);
  } else {
    std::fprintf(stderr, "number_counts: unknown mode %s\n", argv[1]);
    return 2;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(sum));
  return 0;
}
