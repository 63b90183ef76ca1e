// SPDX-License-Identifier: MIT
// The number forms of the record layer computed by an independent route: the
// C library's printf on the exact value, with the toolkit's rules for the
// leading zero, the minus sign, asterisks, not-a-number and infinities applied
// on top. Tests compare the layer's own conversions with these.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace toolkit_test {

// An Fw.d field of `value`: exactly `width` characters.
std::string reference_fixed(float value, int width, int decimals);

// The 16 columns of a free-format real.
std::string reference_free_real(float value);

// The value of a real written in the record layer's grammar, by the C
// library's strtof (a D exponent read as an E one).
float reference_strtof(std::string_view text);

// How many bytes of `text`, from its start, the C++ library's from_chars
// reads as a real, once what it reads otherwise than the record layer is
// put right: a plus sign and a D exponent, which it does not take, and
// "nan(...)", which it takes whole where the layer stops after "nan". Empty
// when it finds no real there.
std::optional<std::size_t> reference_real_length(std::string_view text);

}  // namespace toolkit_test
