// SPDX-License-Identifier: MIT
// A failed property in a fuzz target: the input and what went wrong are
// described on standard error, then the process traps so that the fuzzer
// keeps the input as a crash.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fault(std::string_view what) {
  std::fprintf(stderr, "\nproperty violated: %.*s\n", static_cast<int>(what.size()), what.data());
  std::fflush(stderr);
  __builtin_trap();
}

inline void require(bool holds, std::string_view what) {
  if (!holds) fault(what);
}

// Shows the bytes of a text in a message: printable ones as they are, the
// others as \xNN.
inline std::string shown(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\') {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  return out + "\"";
}

}  // namespace fuzz
