// SPDX-License-Identifier: MIT
// Moves of short texts between records and character items, the bulk of the
// work for text fields: a few word moves instead of library calls, and on
// x86-64 one 16-byte move with the unused bytes blanked.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace record_io::detail {

// Bytes that a 16-byte move may read or write beyond the end of what it
// moves; buffers that such moves touch keep this much room at their end.
inline constexpr std::size_t kMoveSlack = 16;

inline constexpr char kSixteenBlanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                            ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

// Copies `count` bytes.
[[gnu::always_inline]] inline void copy_bytes(char* to, const char* from, std::size_t count) {
  if (count >= 8 && count <= 16) {
    std::memcpy(to, from, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4 && count < 8) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else if (count > 0 && count < 4) {
    to[0] = from[0];
    to[count / 2] = from[count / 2];
    to[count - 1] = from[count - 1];
  } else if (count > 16) {
    std::memcpy(to, from, count);
  }
}

// Writes `count` blanks.
[[gnu::always_inline]] inline void fill_blanks(char* to, std::size_t count) {
  if (count >= 16 && count <= 32) {
    std::memcpy(to, kSixteenBlanks, 16);
    std::memcpy(to + count - 16, kSixteenBlanks, 16);
  } else if (count >= 4 && count < 16) {
    for (std::size_t at = 0; at + 4 < count; at += 4) std::memcpy(to + at, kSixteenBlanks, 4);
    std::memcpy(to + count - 4, kSixteenBlanks, 4);
  } else if (count < 4) {
    for (std::size_t at = 0; at < count; ++at) to[at] = ' ';
  } else {
    std::memset(to, ' ', count);
  }
}

// Sixteen blanks held in a register, for loops that write them again and
// again (a load from kSixteenBlanks would be repeated after every store).
#if defined(__SSE2__)
using SixteenBlanks = __m128i;
[[gnu::always_inline]] inline SixteenBlanks sixteen_blanks() { return _mm_set1_epi8(' '); }
[[gnu::always_inline]] inline void put_blanks(char* to, SixteenBlanks blanks) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), blanks);
}
#else
struct SixteenBlanks {};
inline SixteenBlanks sixteen_blanks() { return {}; }
inline void put_blanks(char* to, SixteenBlanks) { std::memcpy(to, kSixteenBlanks, 16); }
#endif

// kKeepMasks[n]: 16 bytes, the first n of them all ones.
struct alignas(16) KeepMask {
  unsigned char bytes[16];
};
inline constexpr auto kKeepMasks = [] {
  std::array<KeepMask, 17> masks{};
  for (std::size_t n = 0; n <= 16; ++n)
    for (std::size_t i = 0; i < n; ++i) masks[n].bytes[i] = 0xff;
  return masks;
}();

// Writes 16 bytes at `to`: the first `count` (at most 16) of `from`, then
// blanks. Both `from` and `to` must allow 16 bytes.
[[gnu::always_inline]] inline void move_sixteen(char* to, const char* from, std::size_t count) {
#if defined(__SSE2__)
  const __m128i keep = _mm_load_si128(reinterpret_cast<const __m128i*>(kKeepMasks[count].bytes));
  const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  const __m128i blanks = _mm_set1_epi8(' ');
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                   _mm_or_si128(_mm_and_si128(keep, text), _mm_andnot_si128(keep, blanks)));
#else
  std::memcpy(to, kSixteenBlanks, 16);
  copy_bytes(to, from, count);
#endif
}

}  // namespace record_io::detail
