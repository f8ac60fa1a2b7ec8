// What a static-parking update costs the traffic thread at a big airport:
// 500 stands, each used every half-hour of the week (three uses a day by
// different aircraft, 21 a week), and 500 static aircraft on them, one per
// stand, standing for the use of the current half-hour.
//
// - FullComputation: the schedule computed when the park airport's stands
//   were read (no static aircraft yet), all four kinds searched.
// - Reconciliation: the second pass of an update (gf_adjustParking) an hour
//   later, with the 500 static aircraft in place. The first pass only locks
//   the settings and starts the callsign collection.
//
// The counters give each run's time in milliseconds and its share of the
// 10 ms tick budget of the one tick it runs in.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "airports/park_airport_file.h"
#include "airports/stands.h"
#include "app/services/state.h"
#include "foundation/geodesy.h"
#include "foundation/time_texts.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "settings/settings.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/state.h"
#include "traffic/static_schedule.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kStands = 500;
constexpr double kTickMs = 10.0;

std::uint64_t hours(int first, int last) {
    std::uint64_t set = 0;
    for (int slot = first; slot <= last; ++slot) set |= std::uint64_t{1} << slot;
    return set;
}

ModelKey benchKey() { return ModelKey{gf_airlineId("KLM"), 0, gf_modelId("B738"), 0, 0}; }

// Stands on a grid 60 m apart; uses k, k+1, k+2 of each day by their own aircraft.
void buildAirport() {
    gf_clearStands();
    const ModelKey key = benchKey();
    const double step = 60.0 / 1852.0 / 60.0;
    for (int s = 0; s < kStands; ++s) {
        std::vector<StandUse> uses;
        for (std::uint32_t day = 1; day <= 7; ++day) {
            for (int part = 0; part < 3; ++part) {
                StandUse use;
                use.key = key;
                const int flight = (s * 7 + static_cast<int>(day)) * 3 + part;
                use.reg = "PH-" + std::to_string(flight);
                use.callsign = "KLM" + std::to_string(flight);
                use.callsign2 = "KLM" + std::to_string(flight + 100000);
                use.hh = hours(part * 16, part * 16 + 15);
                use.day = day;
                use.real = part == 2 ? 0 : 1;
                use.active = static_cast<std::int32_t>(uses.size()) + 1;
                uses.push_back(std::move(use));
            }
        }
        g_stands.emplace_back(std::move(uses), "S" + std::to_string(s + 1), 52.3 + (s / 25) * step,
                              4.76 + (s % 25) * step / 0.61, 0.0, 20.0, false, false, false);
    }
    lf_numberAndLinkStands();
}

// One static aircraft per stand, showing the flight of the use of `slot` on Monday.
void placeStatics(std::uint32_t slot) {
    g_staticAcs.clear();
    const ModelKey key = benchKey();
    for (const Stand& stand : g_stands) {
        const StandUse& use = stand.uses[slot / 16];
        AcBase parked;
        parked.modelKey = key;
        parked.callsign = use.callsign + "*";
        parked.prevCallsign = use.callsign;
        parked.spareText = use.callsign2;
        parked.registration = use.reg;
        parked.radiusNm = hwsp(key.modelId);
        parked.standId = stand.standId;
        parked.standLat = stand.latitude;
        parked.standLon = stand.longitude;
        parked.parkedAt = gf_packDaySlot(1, slot);
        parked.lifeState = AcLifeState::active;
        parked.hexId = static_cast<std::uint32_t>(stand.standId);
        parked.objectId = 1000 + parked.hexId;
        g_staticAcs.push_back(std::move(parked));
    }
}

void setUp() {
    g_engineServices.systemTime100ns = [] { return std::int64_t{0}; };
    g_engineServices.restoreUserSettings = [] {};
    gf_modelId("B738");
    g_wingspans[gf_modelId("B738")] = 35.8 * 0.5 / 1852;
    g_modelCategorySets[kLargeSet].insert(gf_modelId("B738"));
    MAX_PARK_SEL.value = 500;
    CUSTOM_PARKING_PERCENTAGE.value = 100;
    WEEK.value = true;
    PARK_SOFT.value = true;
    RANDOM.value = false;
    g_staticAcs.reserve(kStands);
    g_staticSlots.reserve(512);
}

// The uses as the airport's file gave them (the searches consume some).
void freshUses() {
    for (Stand& stand : g_stands)
        for (StandUse& use : stand.uses) use.consumed = 0;
}

void report(benchmark::State& state, double totalMs) {
    const double ms = totalMs / static_cast<double>(state.iterations());
    state.counters["ms_per_run"] = ms;
    state.counters["tick_share_pct"] = ms / kTickMs * 100.0;
}

// Times `run` alone, after `prepare` outside the timing, in every iteration.
template <typename Prepare, typename Run>
void timeRuns(benchmark::State& state, Prepare prepare, Run run) {
    setUp();
    buildAirport();
    double totalMs = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        freshUses();
        prepare();
        state.ResumeTiming();
        const auto start = Clock::now();
        run();
        totalMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        benchmark::DoNotOptimize(g_staticSlots.size());
    }
    report(state, totalMs);
}

void FullComputation(benchmark::State& state) {
    timeRuns(
        state,
        [] {
            g_staticAcs.clear();
            g_daySlot = gf_packDaySlot(1, 20);
        },
        lf_computeStatics);
}

void Reconciliation(benchmark::State& state) {
    timeRuns(
        state,
        [] {
            placeStatics(20);
            g_removeQueue.clear();
            g_daySlot = gf_packDaySlot(1, 22);
        },
        gf_adjustParking);
}

BENCHMARK(FullComputation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Reconciliation)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
