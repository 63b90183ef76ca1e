// SPDX-License-Identifier: MIT
// Every single-precision bit pattern through the number forms that the
// programs write:
// - the free-format form (16 columns, 9 significant digits) agrees with the
//   independent printf route of tests/support/reference_format, and reads
//   back as the same value, bit for bit (not-a-number as not-a-number), by
//   the full reader and, as a record of a spectrum, by the quick route;
// - the F8.3, F5.2, F8.4 and F3.1 fields agree with the same route.
// The same 2^32 indices also stand for every record of the C library's "%e"
// form that a spectrum may hold, [-]d.dddddde(+|-)dd and its line feed (the
// sign, the seven digits and the exponent from -99 to +99, 3.98e9 records):
// the quicker route for that form reads each as the C library's strtof does,
// or leaves it exactly when the quick route leaves it too; and each unsigned
// one, read twice in a row as a pair, is taken exactly when it is taken
// alone, with the same value.
// For an F field, two kinds of values have an outcome that a simple argument
// settles without printf, and are checked against it instead:
// - a value of magnitude 10^(w-d-1) or more (10^(w-d-2) when negative) has
//   at least w-d digits before the point (w-d-1 and a minus sign), so with
//   the point and d decimals it needs more than w columns: asterisks;
// - a value of magnitude below 10^-(d+1) is below half a unit of the last
//   decimal and rounds to zero: the field is the zero form of its sign, which
//   the printf route gives for a zero of the same sign.
//
// Usage: exhaustive_numbers [--stride N] [--first HEX] [--count N] [--threads N]
// With no option it checks all 2^32 patterns on every core; --stride checks
// every N-th pattern, for a quick run.
#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "numbers.hpp"
#include "reference_format.hpp"

namespace {

using record_io::detail::format_fixed;
using record_io::detail::format_free_real;
using record_io::detail::kCExponentLineBytes;
using record_io::detail::kFreeRealSpill;
using record_io::detail::kFreeRealWidth;
using record_io::detail::parse_real;
using record_io::detail::scan_c_exponent_line;
using record_io::detail::scan_c_exponent_pair;
using record_io::detail::scan_plain_line;
using record_io::detail::ParseStatus;
using toolkit_test::reference_fixed;
using toolkit_test::reference_free_real;
using toolkit_test::reference_strtof;

struct FixedForm {
  const char* name;
  int width;
  int decimals;
  float asterisks_from;           // magnitude from which a positive value is asterisks
  float negative_asterisks_from;  // the same for a negative value
  float zero_below;               // magnitude below which the value rounds to zero
};

// The F fields of the programs: seconds of a pick card (F5.2), means and
// errors of a location (F8.3), minutes of a station line (F8.4), a moment
// magnitude (F3.1). 1e-4f and the like are within a few units of the last
// place of the powers of ten, far below the half unit that would matter.
constexpr std::array<FixedForm, 4> kFixedForms = {{
    {"F8.3", 8, 3, 1e4f, 1e3f, 1e-4f},
    {"F5.2", 5, 2, 1e2f, 1e1f, 1e-3f},
    {"F8.4", 8, 4, 1e3f, 1e2f, 1e-5f},
    {"F3.1", 3, 1, 1e1f, 1e0f, 1e-2f},
}};

struct FixedCounts {
  std::uint64_t by_printf = 0;
  std::uint64_t asterisks_by_magnitude = 0;
  std::uint64_t zero_by_magnitude = 0;
  std::uint64_t mismatches = 0;
};

struct Counts {
  std::uint64_t values = 0;
  std::uint64_t free_compared = 0;
  std::uint64_t free_mismatches = 0;
  std::uint64_t read_back = 0;
  std::uint64_t read_back_mismatches = 0;
  std::uint64_t quick_read_back = 0;
  std::uint64_t quick_left = 0;  // left to the full reader
  std::uint64_t c_form_records = 0;
  std::uint64_t c_form_left = 0;  // left to the quick route
  std::uint64_t c_form_mismatches = 0;
  std::uint64_t c_form_pairs = 0;  // unsigned records read twice in a row as a pair
  std::uint64_t c_form_pairs_taken = 0;
  std::array<FixedCounts, kFixedForms.size()> fixed{};

  void add(const Counts& other) {
    values += other.values;
    free_compared += other.free_compared;
    free_mismatches += other.free_mismatches;
    read_back += other.read_back;
    read_back_mismatches += other.read_back_mismatches;
    quick_read_back += other.quick_read_back;
    quick_left += other.quick_left;
    c_form_records += other.c_form_records;
    c_form_left += other.c_form_left;
    c_form_mismatches += other.c_form_mismatches;
    c_form_pairs += other.c_form_pairs;
    c_form_pairs_taken += other.c_form_pairs_taken;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
      fixed[i].by_printf += other.fixed[i].by_printf;
      fixed[i].asterisks_by_magnitude += other.fixed[i].asterisks_by_magnitude;
      fixed[i].zero_by_magnitude += other.fixed[i].zero_by_magnitude;
      fixed[i].mismatches += other.fixed[i].mismatches;
    }
  }
  std::uint64_t mismatches() const {
    std::uint64_t total = free_mismatches + read_back_mismatches + c_form_mismatches;
    for (const FixedCounts& f : fixed) total += f.mismatches;
    return total;
  }
};

// The first mismatches found, shown at the end.
constexpr std::size_t kMismatchesShown = 20;
std::mutex report_mutex;
std::vector<std::string> reported;

void report(std::uint32_t bits, const char* what, std::string_view got, std::string_view expected) {
  const std::lock_guard lock(report_mutex);
  if (reported.size() >= kMismatchesShown) return;
  char line[256];
  std::snprintf(line, sizeof line, "0x%08x %s: \"%.*s\", expected \"%.*s\"", bits, what, static_cast<int>(got.size()),
                got.data(), static_cast<int>(expected.size()), expected.data());
  reported.emplace_back(line);
}

// The records of the C library's "%e" form: index t < kCFormRecords stands
// for the sign t % 2, the seven digits (t / 2) % 10^7 (the letter 'e' for an
// even seven-digit number, 'E' for an odd one) and the exponent
// t / (2 * 10^7) - 99.
constexpr std::uint64_t kCFormMantissas = 10'000'000;
constexpr std::uint64_t kCFormExponents = 199;
constexpr std::uint64_t kCFormRecords = 2 * kCFormMantissas * kCFormExponents;
static_assert(kCFormRecords <= std::uint64_t{1} << 32);

void check_c_form(std::uint32_t index, Counts& counts) {
  if (index >= kCFormRecords) return;
  auto mantissa = static_cast<std::uint32_t>((index / 2) % kCFormMantissas);
  const int exponent = static_cast<int>(index / (2 * kCFormMantissas)) - 99;
  char record[48];
  std::memset(record, ' ', sizeof record);
  char* at = record;
  if (index % 2 != 0) *at++ = '-';
  char digits[7];
  const char letter = mantissa % 2 == 0 ? 'e' : 'E';
  for (int i = 6; i >= 0; --i, mantissa /= 10) digits[i] = static_cast<char>('0' + mantissa % 10);
  *at++ = digits[0];
  *at++ = '.';
  std::memcpy(at, digits + 1, 6);
  at += 6;
  *at++ = letter;
  *at++ = exponent < 0 ? '-' : '+';
  *at++ = static_cast<char>('0' + std::abs(exponent) / 10);
  *at++ = static_cast<char>('0' + std::abs(exponent) % 10);
  const char* const line_feed = at;
  *at = '\n';
  const std::string_view text(record, static_cast<std::size_t>(line_feed - record));

  ++counts.c_form_records;
  float quicker = 0.0f;
  float quick = 0.0f;
  const char* const taken = scan_c_exponent_line(record, quicker);
  if (index % 2 == 0) {
    // The record twice in a row, read as a pair: taken exactly when the
    // single route takes it, with its value twice.
    ++counts.c_form_pairs;
    char pair[64];
    std::memset(pair, ' ', sizeof pair);
    std::memcpy(pair, record, kCExponentLineBytes);
    std::memcpy(pair + kCExponentLineBytes, record, kCExponentLineBytes);
    float values[2] = {0.0f, 0.0f};
    const char* const pair_end = scan_c_exponent_pair(pair, values);
    const bool agree = pair_end == nullptr
                           ? taken == nullptr
                           : taken != nullptr && pair_end == pair + 2 * kCExponentLineBytes - 1 &&
                                 std::bit_cast<std::uint32_t>(values[0]) == std::bit_cast<std::uint32_t>(quicker) &&
                                 std::bit_cast<std::uint32_t>(values[1]) == std::bit_cast<std::uint32_t>(quicker);
    if (pair_end != nullptr) ++counts.c_form_pairs_taken;
    if (!agree) {
      ++counts.c_form_mismatches;
      report(index, "C library's form read as a pair", pair_end == nullptr ? "left" : "taken otherwise", text);
    }
  }
  if (taken == nullptr) {
    ++counts.c_form_left;
    if (scan_plain_line(record, quick) != nullptr) {
      ++counts.c_form_mismatches;
      report(index, "C library's form left, though the quick route takes it", "left", text);
    }
    return;
  }
  const float expected = reference_strtof(text);
  if (taken != line_feed || std::bit_cast<std::uint32_t>(quicker) != std::bit_cast<std::uint32_t>(expected)) {
    ++counts.c_form_mismatches;
    char got[32];
    std::snprintf(got, sizeof got, "0x%08x", std::bit_cast<std::uint32_t>(quicker));
    report(index, "C library's form on its quicker route", got, text);
  }
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool all_asterisks(std::string_view text) { return text.find_first_not_of('*') == std::string_view::npos; }

void check(std::uint32_t bits, Counts& counts, const std::array<std::array<std::string, 2>, kFixedForms.size()>& zero) {
  const float value = std::bit_cast<float>(bits);
  ++counts.values;

  // Free format, then read back.
  char free_form[kFreeRealWidth + kFreeRealSpill];
  format_free_real(free_form, value);
  const std::string_view free_text(free_form, kFreeRealWidth);
  const std::string free_reference = reference_free_real(value);
  ++counts.free_compared;
  if (free_text != free_reference) {
    ++counts.free_mismatches;
    report(bits, "free format", free_text, free_reference);
  }
  float back = 0.0f;
  ++counts.read_back;
  const bool read = parse_real(trimmed(free_text), 0, back) == ParseStatus::ok;
  const bool same = std::isnan(value) ? std::isnan(back) : std::bit_cast<std::uint32_t>(back) == bits;
  if (!read || !same) {
    ++counts.read_back_mismatches;
    char got[32];
    std::snprintf(got, sizeof got, read ? "0x%08x" : "unreadable", std::bit_cast<std::uint32_t>(back));
    report(bits, "free format read back", got, free_text);
  }
  // The same text as a record of a spectrum, on the reader's quick route:
  // taken (only not-a-number, the infinities and the values whose digits
  // and power lie beyond that route are left to the full reader) and read
  // as the same real.
  char record[kFreeRealWidth + 32];
  const std::string_view number = trimmed(free_text);
  std::memcpy(record, number.data(), number.size());
  record[number.size()] = '\n';
  std::memset(record + number.size() + 1, ' ', sizeof record - number.size() - 1);
  float quick = 0.0f;
  const char* const line_feed = scan_plain_line(record, quick);
  ++counts.quick_read_back;
  if (line_feed == nullptr) {
    ++counts.quick_left;
  } else if (line_feed != record + number.size() || std::bit_cast<std::uint32_t>(quick) != bits) {
    ++counts.read_back_mismatches;
    char got[32];
    std::snprintf(got, sizeof got, "0x%08x", std::bit_cast<std::uint32_t>(quick));
    report(bits, "free format read back on the quick route", got, free_text);
  }

  // The F fields.
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  for (std::size_t i = 0; i < kFixedForms.size(); ++i) {
    const FixedForm& form = kFixedForms[i];
    FixedCounts& c = counts.fixed[i];
    char field[16];
    format_fixed(field, static_cast<std::size_t>(form.width), static_cast<std::size_t>(form.decimals), value);
    const std::string_view text(field, static_cast<std::size_t>(form.width));
    const char* const name = form.name;
    if (std::isfinite(value) && magnitude >= (negative ? form.negative_asterisks_from : form.asterisks_from)) {
      ++c.asterisks_by_magnitude;
      if (!all_asterisks(text)) {
        ++c.mismatches;
        report(bits, name, text, std::string(text.size(), '*'));
      }
    } else if (std::isfinite(value) && magnitude < form.zero_below) {
      ++c.zero_by_magnitude;
      const std::string& expected = zero[i][negative ? 1 : 0];
      if (text != expected) {
        ++c.mismatches;
        report(bits, name, text, expected);
      }
    } else {
      ++c.by_printf;
      const std::string expected = reference_fixed(value, form.width, form.decimals);
      if (text != expected) {
        ++c.mismatches;
        report(bits, name, text, expected);
      }
    }
  }
}

std::uint64_t number_option(const char* text) {
  char* end = nullptr;
  const std::uint64_t value = std::strtoull(text, &end, 0);
  if (end == text || *end != '\0') {
    std::fprintf(stderr, "exhaustive_numbers: not a number: %s\n", text);
    std::exit(2);
  }
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t first = 0;
  std::uint64_t count = std::uint64_t{1} << 32;
  std::uint64_t stride = 1;
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    const std::uint64_t value = number_option(argv[i + 1]);
    if (option == "--first") {
      first = value;
    } else if (option == "--count") {
      count = value;
    } else if (option == "--stride") {
      stride = std::max<std::uint64_t>(1, value);
    } else if (option == "--threads") {
      threads = static_cast<unsigned>(std::max<std::uint64_t>(1, value));
    } else {
      std::fprintf(stderr, "usage: exhaustive_numbers [--stride N] [--first HEX] [--count N] [--threads N]\n");
      return 2;
    }
  }
  if (argc % 2 == 0) {
    std::fprintf(stderr, "usage: exhaustive_numbers [--stride N] [--first HEX] [--count N] [--threads N]\n");
    return 2;
  }
  const std::uint64_t end = std::min(first + count, std::uint64_t{1} << 32);

  // The zero form of each F field and sign, from the printf route.
  std::array<std::array<std::string, 2>, kFixedForms.size()> zero;
  for (std::size_t i = 0; i < kFixedForms.size(); ++i) {
    zero[i][0] = reference_fixed(0.0f, kFixedForms[i].width, kFixedForms[i].decimals);
    zero[i][1] = reference_fixed(-0.0f, kFixedForms[i].width, kFixedForms[i].decimals);
  }

  std::printf("exhaustive_numbers: bit patterns 0x%08llx to 0x%08llx, stride %llu, %u threads\n",
              static_cast<unsigned long long>(first), static_cast<unsigned long long>(end - 1),
              static_cast<unsigned long long>(stride), threads);
  std::fflush(stdout);

  // Work is handed out in chunks of consecutive patterns.
  constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;
  const std::uint64_t chunks = (end - first + kChunk - 1) / kChunk;
  std::atomic<std::uint64_t> next_chunk{0};
  std::atomic<std::uint64_t> chunks_done{0};
  std::mutex totals_mutex;
  Counts totals;
  const auto started = std::chrono::steady_clock::now();

  auto worker = [&] {
    Counts counts;
    for (;;) {
      const std::uint64_t chunk = next_chunk.fetch_add(1);
      if (chunk >= chunks) break;
      const std::uint64_t chunk_begin = first + chunk * kChunk;
      const std::uint64_t chunk_end = std::min(chunk_begin + kChunk, end);
      // The patterns first + k * stride that fall in this chunk.
      std::uint64_t pattern = chunk_begin + (stride - (chunk_begin - first) % stride) % stride;
      for (; pattern < chunk_end; pattern += stride) {
        check(static_cast<std::uint32_t>(pattern), counts, zero);
        check_c_form(static_cast<std::uint32_t>(pattern), counts);
      }
      const std::uint64_t done = chunks_done.fetch_add(1) + 1;
      if (chunks >= 64 && done % (chunks / 16) == 0) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("  %3.0f%% after %.0f s\n", 100.0 * static_cast<double>(done) / static_cast<double>(chunks),
                    seconds);
        std::fflush(stdout);
      }
    }
    const std::lock_guard lock(totals_mutex);
    totals.add(counts);
  };
  std::vector<std::thread> pool;
  for (unsigned i = 0; i < threads; ++i) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  const auto n = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
  std::printf("values checked: %llu\n", n(totals.values));
  std::printf(
      "free format: %llu forms compared with the printf route, %llu mismatches; %llu read back, %llu mismatches\n",
      n(totals.free_compared), n(totals.free_mismatches), n(totals.read_back), n(totals.read_back_mismatches));
  std::printf("free format on the quick route of a spectrum's records: %llu read, %llu left to the full reader\n",
              n(totals.quick_read_back - totals.quick_left), n(totals.quick_left));
  std::printf(
      "C library's form on its quicker route: %llu records, %llu read as strtof reads them, %llu left (as the "
      "quick route leaves them); %llu mismatches\n",
      n(totals.c_form_records), n(totals.c_form_records - totals.c_form_left - totals.c_form_mismatches),
      n(totals.c_form_left), n(totals.c_form_mismatches));
  std::printf(
      "C library's form read two records at a time: %llu unsigned records as pairs, %llu taken, as the single "
      "route takes them\n",
      n(totals.c_form_pairs), n(totals.c_form_pairs_taken));
  for (std::size_t i = 0; i < kFixedForms.size(); ++i) {
    const FixedForm& form = kFixedForms[i];
    const FixedCounts& c = totals.fixed[i];
    std::printf(
        "%s: %llu compared with the printf route, %llu asterisks by magnitude (|v| >= %g, or >= %g when "
        "negative), %llu zero forms by magnitude (|v| < %g); %llu mismatches\n",
        form.name, n(c.by_printf), n(c.asterisks_by_magnitude), static_cast<double>(form.asterisks_from),
        static_cast<double>(form.negative_asterisks_from), n(c.zero_by_magnitude), static_cast<double>(form.zero_below),
        n(c.mismatches));
  }
  for (const std::string& line : reported) std::printf("mismatch: %s\n", line.c_str());
  std::printf("mismatches: %llu\nwall time: %.1f s\n", n(totals.mismatches()), seconds);
  return totals.mismatches() == 0 ? 0 : 1;
}
