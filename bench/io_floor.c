/* The I/O floor of a program: a static C process that only reads the same
 * input files to their end and writes outputs of the same sizes, with the
 * system calls a program of the toolkit makes (64 KiB reads and writes). An
 * output is truncated when opened, as a program's output is before its first
 * record; its bytes are whatever the buffer holds (the last input read, or
 * zeros), since filling it would be work beyond the I/O itself. "&1" and "&2"
 * name standard output and standard error.
 *
 *   io_floor infile t1dhp -- oufile=1800000 '&1=18'
 */
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kChunkBytes = 64 * 1024 };

static char buffer[kChunkBytes];

static int read_to_end(const char* name) {
  const int in = open(name, O_RDONLY | O_CLOEXEC);
  if (in < 0) return 0;
  ssize_t got;
  while ((got = read(in, buffer, kChunkBytes)) > 0) {
  }
  close(in);
  return got == 0;
}

/* "NAME=BYTES": BYTES bytes written to NAME in 64 KiB writes. */
static int write_bytes(char* spec) {
  char* equals = strchr(spec, '=');
  if (equals == NULL) return 0;
  *equals = '\0';
  size_t remaining = strtoul(equals + 1, NULL, 10);
  int out;
  if (strcmp(spec, "&1") == 0) {
    out = 1;
  } else if (strcmp(spec, "&2") == 0) {
    out = 2;
  } else {
    out = open(spec, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  if (out < 0) return 0;
  while (remaining > 0) {
    const size_t size = remaining < kChunkBytes ? remaining : kChunkBytes;
    if (write(out, buffer, size) != (ssize_t)size) return 0;
    remaining -= size;
  }
  return out <= 2 || close(out) == 0;
}

int main(int argc, char** argv) {
  int i = 1;
  for (; i < argc && strcmp(argv[i], "--") != 0; ++i)
    if (!read_to_end(argv[i])) return 1;
  for (++i; i < argc; ++i)
    if (!write_bytes(argv[i])) return 1;
  return 0;
}
