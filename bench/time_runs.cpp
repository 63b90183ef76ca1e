// SPDX-License-Identifier: MIT
// Runs a command several times in a working directory and reports its wall
// time and peak memory; with a second command after "--against", runs the
// two in turn, so that a slow spell of the machine weighs on both alike:
//
//   time_runs DIRECTORY REPEATS COMMAND [ARGUMENT...] [--against COMMAND [ARGUMENT...]]
//   -> "median_ms=3.21 min_ms=3.05 cpu_median_ms=2.90 max_rss_kb=3712"
//      and, with --against, the same four figures of the second command,
//      each named against_...
//
// Wall time runs from the fork to the end of the wait; processor time is the
// child's user and system time (getrusage), which leaves out the time spent
// waiting for a processor on a busy machine.
// One untimed run of each command comes first, so that every timed run finds
// the files in the page cache and the outputs already there.
// Standard output and error of the commands go to /dev/null.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double median_of(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double milliseconds(const timeval& time) { return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3; }

struct Timing {
  std::vector<double> times_ms;      // wall clock, from fork to the end of wait
  std::vector<double> cpu_times_ms;  // user + system time of the child
  long peak_kb = 0;

  double median() const { return median_of(times_ms); }
  double cpu_median() const { return median_of(cpu_times_ms); }
  double minimum() const { return *std::min_element(times_ms.begin(), times_ms.end()); }
};

// One run of the null-terminated `command`; false when it does not end with status 0.
bool run_once(const char* directory, char** command, Timing& timing) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(directory) != 0) _exit(127);
    execv(command[0], command);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "time_runs: %s did not end with status 0\n", command[0]);
    return false;
  }
  timing.times_ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  timing.cpu_times_ms.push_back(milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime));
  timing.peak_kb = std::max(timing.peak_kb, usage.ru_maxrss);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: time_runs DIRECTORY REPEATS COMMAND [ARGUMENT...] [--against COMMAND [ARGUMENT...]]\n");
    return 2;
  }
  const char* directory = argv[1];
  const int repeats = std::max(1, std::atoi(argv[2]));
  char** const command = argv + 3;
  char** against = nullptr;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--against") == 0) {
      argv[i] = nullptr;  // ends the first command's arguments
      against = argv + i + 1;
      break;
    }
  }
  if (against != nullptr && against[0] == nullptr) {
    std::fprintf(stderr, "time_runs: no command after --against\n");
    return 2;
  }

  Timing timing;
  Timing against_timing;
  Timing warm_up;
  if (!run_once(directory, command, warm_up)) return 1;
  if (against != nullptr && !run_once(directory, against, warm_up)) return 1;
  for (int i = 0; i < repeats; ++i) {
    if (!run_once(directory, command, timing)) return 1;
    if (against != nullptr && !run_once(directory, against, against_timing)) return 1;
  }
  std::printf("median_ms=%.3f min_ms=%.3f cpu_median_ms=%.3f max_rss_kb=%ld", timing.median(), timing.minimum(),
              timing.cpu_median(), timing.peak_kb);
  if (against != nullptr)
    std::printf(" against_median_ms=%.3f against_min_ms=%.3f against_cpu_median_ms=%.3f against_max_rss_kb=%ld",
                against_timing.median(), against_timing.minimum(), against_timing.cpu_median(), against_timing.peak_kb);
  std::printf("\n");
  return 0;
}
