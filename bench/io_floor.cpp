// The I/O floor of a program: a process that only reads the same input files
// and writes outputs of the same sizes, with the same system calls a program
// of the toolkit makes (64 KiB reads and writes). "-" names standard output.
//
//   io_floor infile t1dhp -- oufile=1700000 -=17
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  constexpr std::size_t kChunk = 64 * 1024;
  static char buffer[kChunk];
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    const int in = open(argv[i], O_RDONLY);
    if (in < 0) return 1;
    while (read(in, buffer, kChunk) > 0) {
    }
    close(in);
  }
  std::memset(buffer, ' ', kChunk);
  for (++i; i < argc; ++i) {
    const std::string spec = argv[i];
    const auto equals = spec.find('=');
    const std::string name = spec.substr(0, equals);
    std::size_t remaining = std::strtoul(spec.c_str() + equals + 1, nullptr, 10);
    const int out = name == "-" ? 1 : open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0) return 1;
    while (remaining > 0) {
      const std::size_t size = remaining < kChunk ? remaining : kChunk;
      if (write(out, buffer, size) != static_cast<ssize_t>(size)) return 1;
      remaining -= size;
    }
    if (out != 1) close(out);
  }
  return 0;
}
