#pragma once

#include "bench/TimingBench.h"

#include <chrono>
#include <cstdint>

// The machine's floor: a bare thread, set up as a timer's worker is (least timer slack, above
// normal priority), that only sleeps. Its late wake-ups are what the kernel (and a hypervisor
// beneath it) adds to every sleep, whatever the program does.
RowResult MeasureBareSleep(std::uint16_t interval, std::chrono::milliseconds span);
