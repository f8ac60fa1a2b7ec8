// The steady clock and the sleeps of the traffic thread: the run loop's 10 ms
// grid, the restart countdown and the waits of closing down. Tests install a
// clock whose time moves only when the code sleeps (or a job says so).
#pragma once

#include <chrono>
#include <functional>

using SteadyTime = std::chrono::nanoseconds;  // since the clock's own epoch

struct RunClock {
    std::function<SteadyTime()> now;
    std::function<void(SteadyTime)> sleepFor;
};

// std::chrono::steady_clock and std::this_thread::sleep_for.
RunClock gf_steadyRunClock();

extern RunClock g_runClock;  // filled before threads start; tests replace it while no run is going

// Sleeps until the clock reaches the deadline, in as many steps as it takes.
void gf_sleepUntil(SteadyTime deadline);
