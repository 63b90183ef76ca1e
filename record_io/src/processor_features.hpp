// SPDX-License-Identifier: MIT
// The vector instructions the processor offers and the system lets a program
// use, for the routines that have a wider form.
//
// Where the C library publishes what it found at start-up, that answer is
// taken: asking the processor again (the compiler's own check does so once
// per run) costs a virtual machine a trap to its host each time, some 80
// microseconds a run measured here (bench/processor_question.c), a tenth of
// a small run's whole time.
#pragma once

#if defined(__x86_64__) && defined(__has_include)
#if __has_include(<sys/platform/x86.h>)
// The header is C: its functions return _Bool, which C++ spells bool (GCC's
// <stdbool.h> says so for C++, Clang's does not in a strict standard mode).
#if !defined(_Bool)
#define _Bool bool
#define RECORD_IO_BOOL_SPELLED_HERE 1
#endif
#include <sys/platform/x86.h>
#if defined(RECORD_IO_BOOL_SPELLED_HERE)
#undef _Bool
#undef RECORD_IO_BOOL_SPELLED_HERE
#endif
#define RECORD_IO_FEATURES_FROM_C_LIBRARY 1
#endif
#endif

namespace record_io::detail {

// 32-byte vectors (AVX2).
inline bool has_avx2() noexcept {
#if defined(RECORD_IO_FEATURES_FROM_C_LIBRARY)
  return CPU_FEATURE_ACTIVE(AVX2);
#elif defined(__x86_64__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// Byte shuffles of 16-byte vectors (SSSE3).
inline bool has_ssse3() noexcept {
#if defined(RECORD_IO_FEATURES_FROM_C_LIBRARY)
  return CPU_FEATURE_ACTIVE(SSSE3);
#elif defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("ssse3");
#else
  return false;
#endif
}

}  // namespace record_io::detail
