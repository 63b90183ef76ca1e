// SPDX-License-Identifier: MIT
#include "float_flags.hpp"

#include <cfenv>

namespace record_io::detail {
namespace {

#ifdef RECORD_IO_X86_FLAGS
// The denormal-operand flag has no name in <cfenv>: it is bit 1 of both the
// SSE control/status register and the x87 status word.
constexpr unsigned kDenormalFlag = 0x02u;
constexpr unsigned kSseFlagMask = 0x3fu;

unsigned x87_status_word() noexcept {
  unsigned short status = 0;
  __asm__ volatile("fnstsw %0" : "=am"(status));
  return status;
}

bool denormal_raised() noexcept { return ((_mm_getcsr() | x87_status_word()) & kDenormalFlag) != 0; }
#else
bool denormal_raised() noexcept { return false; }
#endif

}  // namespace

void clear_float_exceptions() noexcept {
  std::feclearexcept(FE_ALL_EXCEPT);
#ifdef RECORD_IO_X86_FLAGS
  _mm_setcsr(_mm_getcsr() & ~kSseFlagMask);
  __asm__ volatile("fnclex");
#endif
}

std::string raised_float_exceptions() {
  std::string names;
  const auto add = [&names](bool raised, const char* name) {
    if (!raised) return;
    if (!names.empty()) names += ", ";
    names += name;
  };
  add(std::fetestexcept(FE_INVALID) != 0, "invalid operation");
  add(std::fetestexcept(FE_DIVBYZERO) != 0, "division by zero");
  add(std::fetestexcept(FE_OVERFLOW) != 0, "overflow");
  add(std::fetestexcept(FE_UNDERFLOW) != 0, "underflow");
  add(denormal_raised(), "denormal operand");
  return names;
}

#ifndef RECORD_IO_X86_FLAGS
unsigned FloatFlagsGuard::save() noexcept {
  fexcept_t flags;
  std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
  return static_cast<unsigned>(flags);
}
void FloatFlagsGuard::restore(unsigned saved) noexcept {
  const auto flags = static_cast<fexcept_t>(saved);
  std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
}
#endif

}  // namespace record_io::detail
