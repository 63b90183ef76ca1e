// SPDX-License-Identifier: MIT
// The floating-point exception flags of the run: cleared at its start, read
// at its end, and shielded from the layer's own conversions.
#pragma once

#include <string>

// On x86 the flags live in the SSE control/status register (and the x87
// status word), read and written directly; elsewhere through <cfenv>.
#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define RECORD_IO_X86_FLAGS 1
#endif

namespace record_io::detail {

// Clears every exception flag, the denormal-operand flag included.
void clear_float_exceptions() noexcept;

// The exceptions raised so far, named in a fixed order and separated by
// ", ": "invalid operation, division by zero, overflow, underflow, denormal
// operand". Inexact results are not reported. Empty when none was raised.
std::string raised_float_exceptions();

// Keeps the flags as they were on entry to a conversion: converting a value
// to or from text is no arithmetic of the program and must not raise flags
// the program's own arithmetic did not.
// `active` false: nothing to guard (a record with no number in it). Inline,
// since every record with a number passes through one.
class FloatFlagsGuard {
 public:
  explicit FloatFlagsGuard(bool active = true) noexcept : active_(active) {
    if (active_) saved_ = save();
  }
  ~FloatFlagsGuard() {
    if (active_) restore(saved_);
  }
  FloatFlagsGuard(const FloatFlagsGuard&) = delete;
  FloatFlagsGuard& operator=(const FloatFlagsGuard&) = delete;

 private:
#ifdef RECORD_IO_X86_FLAGS
  static unsigned save() noexcept { return _mm_getcsr(); }
  // Writing the register is slow; inexact results are never reported, so
  // only another flag raised by the conversion calls for it.
  static void restore(unsigned saved) noexcept {
    constexpr unsigned kInexactFlag = 0x20u;
    if (((_mm_getcsr() ^ saved) & ~kInexactFlag) != 0) _mm_setcsr(saved);
  }
#else
  static unsigned save() noexcept;
  static void restore(unsigned saved) noexcept;
#endif

  bool active_;
  unsigned saved_ = 0;
};

}  // namespace record_io::detail
