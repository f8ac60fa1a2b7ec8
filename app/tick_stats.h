// How long the run loop's ticks take, for long runs watched from outside:
// when the environment names a counters file (VLNT_COUNTERS_FILE), the
// traffic thread appends a line once a second with that second's ticks by
// duration and the aircraft counts, so a soak run can judge the tick budget
// and follow the traffic without reading the window.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/run_clock.h"

// The upper edges (microseconds) of the duration classes; a last class holds
// the ticks at or above the last edge.
inline constexpr std::array<std::int64_t, 10> kTickEdgesUs{500, 1000, 2000, 3000, 5000, 7500, 10000, 15000, 20000, 50000};

struct TickStats {
    std::uint64_t ticks = 0;
    std::int64_t totalUs = 0;
    std::int64_t maxUs = 0;
    std::array<std::uint64_t, kTickEdgesUs.size() + 1> byDuration{};
};

// The aircraft the line reports: the window's counters and the tables.
struct AircraftCounts {
    std::uint64_t live = 0, parked = 0, statics = 0;   // as the window shows them
    std::uint64_t liveRecords = 0, staticRecords = 0;  // the live and static aircraft tables
};

void gf_noteTick(TickStats& stats, SteadyTime duration);

// "unix,ticks,mean_us,max_us,lt500us,...,lt50000us,ge50000us,live,parked,static,live_records,static_records"
std::string gf_countersHeader();
std::string gf_countersLine(const TickStats& stats, std::int64_t unixSeconds, const AircraftCounts& counts);

// The counters file, empty for none; set from the environment at start,
// then used by the traffic thread only.
extern std::filesystem::path g_countersFile;

// Notes one tick's duration; once `now` has moved a second past the last
// line, appends the line (with a header when the file is new) and starts a
// new second. Does nothing without a counters file. Traffic thread only.
void lf_tickDone(SteadyTime duration, SteadyTime now);
// Reads VLNT_COUNTERS_FILE into g_countersFile (before any thread starts).
void lf_readCountersFileName();
// Starts a new second of counting (each run of the run loop).
void lf_startTickCounters(SteadyTime now);
