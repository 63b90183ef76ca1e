// SPDX-License-Identifier: MIT
// The number forms of the record layer computed by an independent route: the
// C library's printf on the exact value, with the toolkit's rules for the
// leading zero, the minus sign, asterisks, not-a-number and infinities applied
// on top. Tests compare the layer's own conversions with these.
#pragma once

#include <string>

namespace toolkit_test {

// An Fw.d field of `value`: exactly `width` characters.
std::string reference_fixed(float value, int width, int decimals);

// The 16 columns of a free-format real.
std::string reference_free_real(float value);

}  // namespace toolkit_test
