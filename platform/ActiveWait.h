#pragma once

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// Waits on the calling thread until `until` without giving up its processor: for the last
// fraction of a millisecond before a deadline, which a sleep would overshoot.
inline void WaitActivelyUntil(std::chrono::steady_clock::time_point until)
{
    while (std::chrono::steady_clock::now() < until) {
#if defined(__x86_64__) || defined(__i386__)
        _mm_pause();
#endif
    }
}
