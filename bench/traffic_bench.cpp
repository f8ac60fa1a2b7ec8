// What one 10 ms tick of the traffic engine costs the traffic thread: N
// active live aircraft (N = 50 .. 500, MAX_LIVE_SEL's largest value) that
// move and send their position blocks every tick, and two new traffic records
// per tick taken from the adding stack for them (so each aircraft gets a fresh
// sample every N/2 ticks, due 30 s later as the traffic reader sets it).
//
// Each tick is timed on its own; the counters give its median and 99th
// percentile in microseconds, the 99th percentile's share of the 10 ms tick
// budget, and the median per aircraft (flat when the cost grows linearly).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/extended_record.h"
#include "traffic/state.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kFirstHexId = 4000000;
constexpr std::int32_t kDueDelay = 3000;
constexpr std::string_view kTitle = "Bench livery";

// Services that answer at once: a fixed livery, no stands, no simulator.
void installQuietServices() {
    EngineServices& s = g_engineServices;
    s.matchLiveryLive = [](LiveAc& aircraft) { aircraft.liveryTitle = kTitle; };
    s.liveryTitleForRegistration = [](std::string_view) { return std::string_view(); };
    s.findStandNear = [](const GeoPoint&, const AcBase&, double, bool) -> Stand* { return nullptr; };
    s.standNameAt = [](const GeoPoint&) { return std::string(); };
    s.addRealStandOption = [](std::int32_t, LiveAc&, int) {};
    s.requestAcWithinRange = [](std::uint32_t) {};
    s.requestStaticCg = [](std::uint32_t) {};
    s.requestUserPosition = [] { return UserState{}; };
    s.sendRtAreaRequest = [] {};
    s.systemTime100ns = [] { return std::int64_t{0}; };
}

// The record of aircraft k at time t (seconds): a wide circle, turning, so no
// plausibility filter holds it back.
StreamRecord recordOf(std::uint32_t k, double t) {
    StreamRecord record;
    record.hexId = kFirstHexId + k;
    record.timestamp = t;
    record.ident.callsign = "BNC" + std::to_string(k);
    record.ident.registration = "D-B" + std::to_string(k);
    record.ident.modelKey.modelId = gf_modelId("B738");
    PosSample& s = record.sample;
    const double angle = t * 0.001 + k;
    s.lat = 50.0 + 0.5 * std::sin(angle);
    s.lon = 8.0 + 0.5 * std::cos(angle);
    s.altitudeFt = 8000.0 + k;
    s.airborne = 1;
    s.groundSpeedKt = 250.0;
    s.trueAirspeedKt = 250.0;
    s.trackDeg = std::fmod(t * 0.06 + k, 360.0);
    s.dueTick = g_tick.load() + kDueDelay;
    return record;
}

// N active aircraft, each with samples queued until its next record comes
// (one every N/2 ticks), the first due within the next N/2 ticks.
void bringToLife(std::uint32_t count) {
    gf_resetTraffic();
    g_tick = 0;
    const std::int32_t spacing = static_cast<std::int32_t>(count / 2);
    for (std::uint32_t k = 0; k < count; ++k) {
        StreamRecord record = recordOf(k, 1000.0);
        AcBase base = gf_extendAcRecord(std::move(record.ident));
        base.hexId = record.hexId;
        base.liveryTitle = kTitle;
        g_liveAcs.emplace_back(record.sample, std::move(base), record.timestamp);
        LiveAc& aircraft = g_liveAcs.back();
        aircraft.lifeState = AcLifeState::active;
        aircraft.objectId = 100 + k;
        aircraft.phase = AcPhase::flying;
        aircraft.samples.clear();
        for (std::int32_t due = static_cast<std::int32_t>(k) % spacing; due < kDueDelay + 2 * spacing; due += spacing) {
            PosSample sample = record.sample;
            sample.dueTick = due;
            aircraft.samples.push_back(sample);
        }
    }
}

void BM_TickWithActiveAircraft(benchmark::State& state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    gf_clearReferenceData();
    gf_airlineId("");
    gf_modelId("");
    g_icaoModelCodes.insert("B738");
    g_modelCategorySets[kLargeSet].insert(gf_modelId("B738"));
    g_wingspans[gf_modelId("B738")] = 35.8 * 0.5 / 1852;
    MAX_LIVE_SEL.value = 500;
    COLLISION_USER_AIR.value = false;
    installQuietServices();
    bringToLife(count);
    std::vector<double> tickNs;
    std::uint32_t next = 0;
    double t = 1020.0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const std::lock_guard lock(g_addingStackMutex);
            for (int k = 0; k < 2; ++k) {
                g_addingStack.push_back(recordOf(next, t));
                if (++next == count) {
                    next = 0;
                    t += 10.0;
                }
            }
        }
        {
            const std::lock_guard lock(g_simQueueMutex);
            g_simEventQueue.clear();
            g_simRemoveQueue.clear();
            g_posUpdates.send().clear();
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        lf_handleAddingStack();
        tickNs.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    const auto active = std::count_if(g_liveAcs.begin(), g_liveAcs.end(),
                                      [](const LiveAc& ac) { return ac.lifeState == AcLifeState::active; });
    if (static_cast<std::uint32_t>(active) != count) state.SkipWithError("aircraft left during the run");
    std::sort(tickNs.begin(), tickNs.end());
    const double median = tickNs[tickNs.size() / 2];
    const double p99 = tickNs[std::min(tickNs.size() - 1, tickNs.size() * 99 / 100)];
    state.counters["median_us"] = median / 1000.0;
    state.counters["p99_us"] = p99 / 1000.0;
    state.counters["p99_budget_%"] = p99 / 10'000'000.0 * 100.0;
    state.counters["median_ns_per_ac"] = median / count;
    g_engineServices = gf_engineServices();
    gf_resetTraffic();
    gf_clearReferenceData();
}
BENCHMARK(BM_TickWithActiveAircraft)->ArgName("aircraft")->Arg(50)->Arg(100)->Arg(200)->Arg(300)->Arg(400)->Arg(500)
    ->Iterations(20000);

}  // namespace

BENCHMARK_MAIN();
