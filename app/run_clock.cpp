#include "app/run_clock.h"

#include <thread>

RunClock gf_steadyRunClock() {
    return RunClock{
        [] { return SteadyTime(std::chrono::steady_clock::now().time_since_epoch()); },
        [](SteadyTime duration) { std::this_thread::sleep_for(duration); },
    };
}

RunClock g_runClock = gf_steadyRunClock();

void gf_sleepUntil(SteadyTime deadline) {
    for (SteadyTime now = g_runClock.now(); now < deadline; now = g_runClock.now()) g_runClock.sleepFor(deadline - now);
}
