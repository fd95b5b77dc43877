// SPDX-License-Identifier: MIT
// A broken invariant must stop the fuzzer with a message naming it: abort()
// makes libFuzzer keep the input as a crash artifact.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kestrix_fuzz {

[[noreturn]] inline void invariantBroken(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "\n==== invariant broken: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

} // namespace kestrix_fuzz

#define FUZZ_REQUIRE(condition)                                                                                        \
  ((condition) ? static_cast<void>(0) : ::kestrix_fuzz::invariantBroken(#condition, __FILE__, __LINE__))
