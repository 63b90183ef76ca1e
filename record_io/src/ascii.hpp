// SPDX-License-Identifier: MIT
// Character tests of the record layer. Bytes are plain ASCII here whatever
// the locale: a layout letter or an exponent letter is one byte, and no byte
// above 127 is a digit or a letter.
#pragma once

namespace record_io::detail {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// 'a'..'z' as 'A'..'Z'; every other byte as it is.
inline char to_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace record_io::detail
