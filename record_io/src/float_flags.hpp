// The floating-point exception flags of the run: cleared at its start, read
// at its end, and shielded from the layer's own conversions.
#pragma once

#include <string>

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
// `active` false: nothing to guard (a record with no number in it).
class FloatFlagsGuard {
 public:
  explicit FloatFlagsGuard(bool active = true) noexcept;
  ~FloatFlagsGuard();
  FloatFlagsGuard(const FloatFlagsGuard&) = delete;
  FloatFlagsGuard& operator=(const FloatFlagsGuard&) = delete;

 private:
  bool active_;
  unsigned saved_ = 0;
};

}  // namespace record_io::detail
