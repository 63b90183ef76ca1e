// Runs a command several times in a working directory and reports its wall
// time and peak memory:
//
//   time_runs DIRECTORY REPEATS COMMAND [ARGUMENT...]
//   -> "median_ms=3.21 min_ms=3.05 max_rss_kb=3712"
//
// Standard output and error of the command go to /dev/null.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: time_runs DIRECTORY REPEATS COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const char* directory = argv[1];
  const int repeats = std::atoi(argv[2]);
  std::vector<double> times;
  long peak_kb = 0;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      if (chdir(directory) != 0) _exit(127);
      execv(argv[3], argv + 3);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "time_runs: %s did not end with status 0\n", argv[3]);
      return 1;
    }
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    peak_kb = std::max(peak_kb, usage.ru_maxrss);
  }
  std::sort(times.begin(), times.end());
  std::printf("median_ms=%.3f min_ms=%.3f max_rss_kb=%ld\n", times[times.size() / 2], times.front(), peak_kb);
  return 0;
}
