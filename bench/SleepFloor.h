#pragma once

#include "bench/TimingBench.h"

#include <chrono>
#include <cstdint>

// The machine's floor, with no Qt at all: a bare worker, set up as a timer's worker is (least
// timer slack, above normal priority), sleeps until its deadline and wakes a second thread that
// waits in poll() on an eventfd, as a GUI thread waits in its event loop; it goes on sleeping when
// that thread has answered. Its late wake-ups and hand-offs are what the kernel (and a hypervisor
// beneath it) adds to every tick, whatever the program does.
RowResult MeasureBareSleep(std::uint16_t interval, std::chrono::milliseconds span);
