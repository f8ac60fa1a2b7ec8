#include "app/tick_stats.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "app/services/state.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "traffic/state.h"

std::filesystem::path g_countersFile;

namespace {
// The second being counted; traffic thread only.
TickStats g_tickStats;
SteadyTime g_secondStart{};
bool g_countersFailed = false;  // logged once, then no more attempts

AircraftCounts currentCounts() {
    return {g_liveCount.load(), g_parkedLiveCount.load(), g_staticCount.load(), g_liveAcs.size(), g_staticAcs.size()};
}

void appendLine(const std::string& line) {
    std::error_code error;
    const bool fresh = !std::filesystem::exists(g_countersFile, error) || std::filesystem::file_size(g_countersFile, error) == 0;
    std::ofstream out(g_countersFile, std::ios::app | std::ios::binary);
    if (fresh) out << gf_countersHeader() << '\n';
    out << line << '\n';
    if (!out.flush() && !g_countersFailed) {
        g_countersFailed = true;
        gf_log(fmt::format("lf_tickDone: cannot write the counters file {}", gf_pathToUtf8(g_countersFile)));
    }
}
}  // namespace

void gf_noteTick(TickStats& stats, SteadyTime duration) {
    const std::int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    ++stats.ticks;
    stats.totalUs += us;
    stats.maxUs = std::max(stats.maxUs, us);
    const auto edge = std::upper_bound(kTickEdgesUs.begin(), kTickEdgesUs.end(), us);
    ++stats.byDuration[static_cast<std::size_t>(edge - kTickEdgesUs.begin())];
}

std::string gf_countersHeader() {
    std::string header = "unix,ticks,mean_us,max_us";
    for (const std::int64_t edge : kTickEdgesUs) header += fmt::format(",lt{}us", edge);
    header += fmt::format(",ge{}us,live,parked,static,live_records,static_records", kTickEdgesUs.back());
    return header;
}

std::string gf_countersLine(const TickStats& stats, std::int64_t unixSeconds, const AircraftCounts& counts) {
    const std::int64_t mean = stats.ticks > 0 ? stats.totalUs / static_cast<std::int64_t>(stats.ticks) : 0;
    std::string line = fmt::format("{},{},{},{}", unixSeconds, stats.ticks, mean, stats.maxUs);
    for (const std::uint64_t n : stats.byDuration) line += fmt::format(",{}", n);
    line += fmt::format(",{},{},{},{},{}", counts.live, counts.parked, counts.statics, counts.liveRecords,
                        counts.staticRecords);
    return line;
}

void lf_tickDone(SteadyTime duration, SteadyTime now) {
    if (g_countersFile.empty() || g_countersFailed) return;
    gf_noteTick(g_tickStats, duration);
    if (now - g_secondStart < std::chrono::seconds(1)) return;
    const std::int64_t unixSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    appendLine(gf_countersLine(g_tickStats, unixSeconds, currentCounts()));
    g_tickStats = TickStats{};
    g_secondStart = now;
}

void lf_readCountersFileName() {
    const char* file = std::getenv("VLNT_COUNTERS_FILE");
    g_countersFile = file && *file ? gf_utf8Path(file) : std::filesystem::path();
}

void lf_startTickCounters(SteadyTime now) {
    g_tickStats = TickStats{};
    g_secondStart = now;
}
