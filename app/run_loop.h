// The heart beat of the traffic side: a tick every 10 ms on a drift-free grid,
// and the slower jobs once per user-aircraft sample (about once per second).
#pragma once

#include "app/run_clock.h"

inline constexpr SteadyTime kTickPeriod = std::chrono::milliseconds(10);
// A deadline further behind than this is not caught up: the grid restarts.
inline constexpr SteadyTime kResyncLag = std::chrono::milliseconds(100);

// Runs ticks until one returns false (a stop or close was requested).
void lf_runLoop();
// One tick: true to go on, false when the run is to end.
bool lf_tick();
// The slower jobs of one user-aircraft sample, and those of a tick without a running flight.
void lf_onUserSample();
void lf_onFlightNotRunning();
// Every 30 counted seconds.
void lf_halfMinuteJobs();
// Announces a static-parking update: its first pass runs at the next multiple
// of 15 counted seconds, its second 15 seconds later.
void lf_announceStaticUpdate();
// Reads the park airports again when the window asked for it and the settings are not locked.
void lf_reReadParkAirports();
