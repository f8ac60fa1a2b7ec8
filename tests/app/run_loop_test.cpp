#include "app/run_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "app/closing_down.h"
#include "app/live_counts.h"
#include "app/services/run_flags.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/tick_stats.h"
#include "rtlink/state.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"
#include "traffic/state.h"

using namespace std::chrono_literals;
using testing_support::ShellTest;

namespace {
using Calls = std::vector<std::string>;

class RunLoopTest : public ShellTest {
protected:
    // Runs the loop; the tick job records the clock and ends the run after the
    // given number of ticks (the next tick then finds no flight and the stop flag).
    std::vector<std::int64_t> tickTimes(int ticks, const std::function<void(int)>& duringTick = {}) {
        std::vector<std::int64_t> times;
        onCall = [&](const std::string& call) {
            if (call != "handleAddingStack") return;
            times.push_back(nowMs());
            if (duringTick) duringTick(static_cast<int>(times.size()));
            if (static_cast<int>(times.size()) == ticks) {
                simRunning = false;
                gf_requestStop(ExitReason::SimWasClosed, 0);
            }
        };
        lf_runLoop();
        onCall = nullptr;
        return times;
    }

    // One tick with a new user sample whose count becomes s.
    Calls sampleAt(std::int32_t s) {
        g_seconds = s - 1;
        newSamples = 1;
        clearCalls();
        EXPECT_TRUE(lf_tick());
        return calls();
    }
};

}  // namespace

TEST_F(RunLoopTest, TicksOnA10MsGridFromTheLoopStart) {
    advance(5ms);
    EXPECT_EQ(tickTimes(6), (std::vector<std::int64_t>{5, 15, 25, 35, 45, 55}));
    EXPECT_TRUE(log.contains("Flight not running"));
}

TEST_F(RunLoopTest, TheCountersFileGetsEachSecondsTicksByDurationAndTheAircraftCounts) {
    testing_support::TempDir dir;
    g_countersFile = dir / "counters.csv";
    g_liveCount = 7;
    g_staticCount = 3;
    // 250 ticks: every 50th takes 12 ms, the others 0.7 ms.
    const auto times = tickTimes(250, [&](int tick) { advance(tick % 50 == 0 ? 12ms : 700us); });
    ASSERT_EQ(times.size(), 250u);
    std::istringstream in(testing_support::readFile(dir / "counters.csv"));
    std::string header, first, second, extra;
    std::getline(in, header);
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_FALSE(std::getline(in, extra));  // the run lasted two seconds and a half
    EXPECT_EQ(header, gf_countersHeader());
    const auto fields = [](const std::string& line) {
        std::vector<std::string> out;
        std::istringstream f(line);
        for (std::string x; std::getline(f, x, ',');) out.push_back(x);
        return out;
    };
    const auto a = fields(first);
    ASSERT_EQ(a.size(), 4u + kTickEdgesUs.size() + 1 + 5);
    const int ticksInFirst = std::stoi(a[1]);
    EXPECT_GT(ticksInFirst, 90);
    EXPECT_LT(ticksInFirst, 101);
    EXPECT_EQ(a[3], "12000");              // the longest tick
    EXPECT_EQ(a[4 + 2], "0");              // none in 1-2 ms
    EXPECT_EQ(std::stoi(a[4 + 1]) + std::stoi(a[4 + 7]), ticksInFirst);  // 0.5-1 ms and 10-15 ms
    EXPECT_EQ(a[4 + 7], "2");
    EXPECT_EQ(a[a.size() - 5], "7");  // live
    EXPECT_EQ(a[a.size() - 3], "3");  // static
    g_countersFile.clear();
}

TEST_F(RunLoopTest, StallOfMoreThan100MsRestartsTheGridAtNowPlus10) {
    const auto times = tickTimes(6, [this](int tick) {
        if (tick == 2) advance(150ms);
    });
    // The second tick (at 10) took 150 ms: 160 is more than 100 ms past the
    // deadline 20, so the next tick comes at 170 and the grid goes on from there.
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 10, 170, 180, 190, 200}));
}

TEST_F(RunLoopTest, StallOf90MsCatchesUpBackToBack) {
    const auto times = tickTimes(14, [this](int tick) {
        if (tick == 2) advance(90ms);
    });
    // Ticks due at 20..100 run at once at 100; then the grid continues at 110.
    std::vector<std::int64_t> expected{0, 10};
    expected.insert(expected.end(), 9, 100);
    for (std::int64_t t : {110, 120, 130}) expected.push_back(t);
    EXPECT_EQ(times, expected);
}

TEST_F(RunLoopTest, NewUserSampleRealignsTheGridToItsArrival) {
    // A sample arrives while the loop sleeps towards 30, and the loop wakes 2 ms
    // late: the grid goes on from the wake-up, not from the deadline.
    bool armed = false;
    onSleep = [&](int) {
        if (!armed) return;
        armed = false;
        advance(2ms);
        newSamples = 1;
    };
    const auto times = tickTimes(6, [&](int tick) { armed = tick == 3; });
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 10, 20, 32, 42, 52}));
}

TEST_F(RunLoopTest, LateWakeWithoutSampleKeepsTheGrid) {
    bool armed = false;
    onSleep = [&](int) {
        if (armed) advance(2ms);
        armed = false;
    };
    const auto times = tickTimes(6, [&](int tick) { armed = tick == 3; });
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 10, 20, 32, 40, 50}));
}

TEST_F(RunLoopTest, StartsWithFirstParkControlWatchdogAndAcceptedTraffic) {
    g_seconds = 77;
    g_acceptTraffic = false;
    bool acceptedInTheFirstTick = false;
    tickTimes(1, [&](int) { acceptedInTheFirstTick = g_acceptTraffic.load(); });
    const Calls all = calls();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ((Calls{all[0], all[1], all[2]}), (Calls{"parkControl 1", "checkReaders", "enable cs->oid: 1"}));
    EXPECT_EQ(g_seconds.load(), 0);
    EXPECT_TRUE(acceptedInTheFirstTick) << "the loop accepts traffic from its start";
    // The run ended on a not-running tick, which stops the acceptance again.
    EXPECT_FALSE(g_acceptTraffic.load());
}

TEST_F(RunLoopTest, PerSecondScheduleByCountedSample) {
    g_rtLevel2 = true;
    reservedStand = "A12";
    const Calls everySample{"handleAddingStack", "clearUserWayAir"};
    const Calls fifth{"sendRtProRequest 1700000000", "clearReservedStand A12"};
    const auto join = [](std::initializer_list<Calls> parts) {
        Calls all;
        for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const Calls halfMinute{"choice>= RANGE"};  // AUTO_RANGE sets the radius
    const struct {
        std::int32_t s;
        Calls expected;
        bool updatePending = false;  // the first pass of a static-parking update has run
    } cases[] = {
        {1, everySample},
        {5, join({everySample, fifth})},
        {15, join({everySample, fifth})},
        {16, join({everySample, {"parkControl 0"}})},
        {16, everySample, true},  // the park control waits for the update's second pass
        {976, join({everySample, {"matchLiveToStatics"}}), true},
        {30, join({everySample, fifth, halfMinute})},
        {59, join({everySample, {"checkReaders"}})},
        {60, join({everySample, fifth, halfMinute})},
        {61, join({everySample, {"matchLiveToStatics"}})},
        {80, join({everySample, fifth})},
        {90, join({everySample, fifth, halfMinute})},
        {295, join({everySample, fifth})},
        {305, join({everySample, fifth})},
        {976, join({everySample, {"parkControl 0", "matchLiveToStatics"}})},
        {3599, join({everySample, {"checkReaders", "matchLiveToStatics"}})},
        {1200, join({everySample, fifth, halfMinute, {"logNoMatch"}})},
        {86400, join({everySample, fifth, halfMinute, {"logNoMatch", "writeMatchingSummary", "clearLiveryByHexId"}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.s) + (c.updatePending ? " update pending" : ""));
        g_staticUpdatePending = c.updatePending;
        user.position = GeoPoint{double(c.s), 8.5};
        EXPECT_EQ(sampleAt(c.s), c.expected);
        if (c.s != 86400) {
            EXPECT_EQ(g_seconds.load(), c.s);
        }
        if (c.s % 5 == 0) {
            EXPECT_EQ(gf_trafficRefPos().lat, double(c.s)) << "reference position every 5th second";
        }
    }
    EXPECT_EQ(g_seconds.load(), 0) << "the counter wraps after 86400";
}

TEST_F(RunLoopTest, UserSampleJobsInOrder) {
    user.onGround = true;
    COLLISION_LIVE_PARKED_GND.value = true;
    BLOCK_CALLSIGN.value = "DLH4AB";
    LiveAc blocked(PosSample{}, AcBase{}, 0.0);
    blocked.hexId = 40001;
    blocked.callsign = "DLH4AB";
    blocked.lifeState = AcLifeState::active;
    LiveAc replaced = blocked;
    replaced.hexId = 40002;
    replaced.callsign = "KLM12";
    g_liveAcs = {replaced, blocked};
    g_replaceCheckIds = {40002, 40009};
    g_removeAllStaticsRequest = true;
    g_callsignListRequest = true;
    g_blockingChanged = true;
    g_settingsLocked = true;
    EXPECT_EQ(sampleAt(1), (Calls{"handleAddingStack", "findStandUseForFlight 40002", "removeStaticsMatching 40002",
                                  "removeAllStatics", "check INITIAL_LOAD_ONLY 1", "listMovingCallsigns",
                                  "callsigns CALLSIGN_2_OBJECTID", "enable CALLSIGN_2_OBJECTID 1", "clearUserWayGround", "clearStaticsForMovingAcs", "removeAircraftFromSim 40001"}));
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value.load());
    EXPECT_EQ(g_liveAcs[0].standUseChecked, 1);
    EXPECT_EQ(g_replaceCheckIds, (std::deque<std::uint32_t>{40009}));
    EXPECT_EQ(g_staticScheduleShown.load(), 12u);
    EXPECT_FALSE(g_blockingChanged.load());
    // The next sample: the unknown id is dropped, the looked-up flag is kept.
    EXPECT_EQ(sampleAt(2), (Calls{"handleAddingStack", "clearUserWayGround", "clearStaticsForMovingAcs"}));
    EXPECT_TRUE(g_replaceCheckIds.empty());
}

TEST_F(RunLoopTest, TicksWithoutSampleRunOnlyTheTrafficJobAndIgnoreStopFlags) {
    gf_requestStop(ExitReason::ReaderError, 15);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(lf_tick());
    EXPECT_EQ(calls(), (Calls{"handleAddingStack", "handleAddingStack", "handleAddingStack"}));
    newSamples = 1;
    EXPECT_FALSE(lf_tick()) << "the first sample finds the stop flag";
}

TEST_F(RunLoopTest, PausedFlightStopsTrafficOnceAndRefreshesEvery100Ticks) {
    simRunning = false;
    g_acceptTraffic = true;
    parkedLive = 3;
    g_reReadRequest = true;
    for (int i = 0; i < 250; ++i) ASSERT_TRUE(lf_tick());
    EXPECT_EQ(log.lines().size(), 2u) << "the header and one 'Flight not running'";
    EXPECT_TRUE(log.contains("Flight not running"));
    EXPECT_FALSE(g_acceptTraffic.load());
    const Calls all = calls();
    EXPECT_EQ(std::count(all.begin(), all.end(), "clearPosUpdates"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), "handleAcEvents"), 250);
    EXPECT_EQ(std::count(all.begin(), all.end(), "sendRtAreaRequest"), 2);
    EXPECT_EQ(std::count(all.begin(), all.end(), "checkParkAirports 1"), 1) << "the request is taken once";
    EXPECT_EQ(g_parkedLiveCount.load(), 3u) << "counters refreshed after 100 ticks";

    gf_requestEnd();
    EXPECT_FALSE(lf_tick()) << "a not-running tick ends the run on a stop flag";

    g_stopRequested = false;
    g_closeRequested = false;
    simRunning = true;
    newSamples = 1;
    EXPECT_TRUE(lf_tick());
    EXPECT_TRUE(log.contains("Flight resumed"));
    EXPECT_TRUE(g_acceptTraffic.load());
}

TEST_F(RunLoopTest, StaticUpdateAnnouncedAt61PassesAt75And90) {
    parkAirport = true;
    parkStands = true;
    g_seconds = 61;
    lf_announceStaticUpdate();
    EXPECT_EQ(gf_statusLineText(), "Velantra_P3D will update static parking in 14 seconds ...");
    EXPECT_TRUE(g_settingsLocked.load());
    EXPECT_FALSE(log.contains("will update static parking")) << "not logged";
    std::vector<std::int32_t> firstPass, secondPass;
    for (std::int32_t s = 62; s <= 105; ++s) {
        const bool pendingBefore = g_staticUpdatePending;
        const Calls all = sampleAt(s);
        if (!pendingBefore && g_staticUpdatePending) firstPass.push_back(s);
        if (std::find(all.begin(), all.end(), "adjustParking") != all.end()) secondPass.push_back(s);
    }
    EXPECT_EQ(firstPass, std::vector<std::int32_t>{75});
    EXPECT_EQ(secondPass, std::vector<std::int32_t>{90});
    EXPECT_FALSE(g_staticUpdateRequest.load());
    EXPECT_FALSE(g_trafficFeed.takeCallsigns().size() > 0);
    EXPECT_EQ(gf_statusLineText(), "") << "the second pass empties the line";
}

TEST_F(RunLoopTest, StaticUpdateFirstPassStartsTheCallsignCollection) {
    g_staticUpdateRequest = true;
    sampleAt(15);
    EXPECT_TRUE(g_staticUpdatePending);
    EXPECT_TRUE(g_trafficFeed.collectCallsigns.load());
    EXPECT_TRUE(g_settingsLocked.load());
    // Without park airport the second pass only ends the update.
    const Calls second = sampleAt(30);
    EXPECT_EQ(std::count(second.begin(), second.end(), "adjustParking"), 0);
    EXPECT_FALSE(g_staticUpdateRequest.load());
}

TEST_F(RunLoopTest, AnnouncementOnAMultipleOf15Shows15Seconds) {
    g_seconds = 45;
    lf_announceStaticUpdate();
    EXPECT_EQ(gf_statusLineText(), "Velantra_P3D will update static parking in 15 seconds ...");
    g_seconds = 59;
    lf_announceStaticUpdate();
    EXPECT_EQ(gf_statusLineText(), "Velantra_P3D will update static parking in 1 second ...");
}

TEST_F(RunLoopTest, RenewalCountdownAnnouncesEvery20Minutes) {
    parkFile = true;
    AUTO_RANGE.value = false;
    std::vector<std::int32_t> announced;
    for (std::int32_t minute = 1; minute <= 41; ++minute) {
        sampleAt(minute * 60);
        if (g_staticUpdateRequest.exchange(false)) announced.push_back(minute);
        g_settingsLocked = false;
    }
    EXPECT_EQ(announced, (std::vector<std::int32_t>{20, 40}));
    EXPECT_EQ(g_staticUpdateMinutesShown.load(), 19);
    INITIAL_LOAD_ONLY.value = true;
    for (std::int32_t minute = 42; minute <= 60; ++minute) sampleAt(minute * 60);
    EXPECT_FALSE(g_staticUpdateRequest.load()) << "no renewal with INITIAL_LOAD_ONLY";
}

TEST_F(RunLoopTest, ReReadOnlyWhenRequestedAndSettingsUnlocked) {
    g_reReadRequest = true;
    g_settingsLocked = true;
    EXPECT_EQ(sampleAt(5).size(), 2u);
    EXPECT_TRUE(g_reReadRequest.load());
    g_settingsLocked = false;
    parkAirportsChanged = true;
    parkAirportsText = "EDDF is the park airport";
    const Calls calls5 = sampleAt(10);
    EXPECT_EQ(Calls(calls5.begin() + 2, calls5.end()),
              (Calls{"checkParkAirports 1", "post 96", "enable Re-read 1", "enable DESTINATION 1"}));
    EXPECT_FALSE(g_reReadRequest.load());
    EXPECT_TRUE(log.contains("EDDF is the park airport"));
}

TEST_F(RunLoopTest, HalfMinuteJobsClearTheNoMatchListOnRequest) {
    g_matchCacheClearRequest = true;
    const Calls all = sampleAt(30);
    EXPECT_EQ(std::count(all.begin(), all.end(), "clearNoMatchList"), 1);
    EXPECT_FALSE(g_matchCacheClearRequest.load());
}

TEST_F(RunLoopTest, ReaderWithoutDataRunsTheWatchdogEvery15Seconds) {
    gf_setReaderStatus(ReaderId::qnh, readerNoData);
    const Calls all = sampleAt(45);
    EXPECT_EQ(std::count(all.begin(), all.end(), "checkReaders"), 1);
    const Calls notFifteenth = sampleAt(50);
    EXPECT_EQ(std::count(notFifteenth.begin(), notFifteenth.end(), "checkReaders"), 0);
}

TEST_F(RunLoopTest, SimConnectErrorMakesEveryTickANotRunningTick) {
    simError = true;
    newSamples = 1;
    EXPECT_TRUE(lf_tick());
    EXPECT_EQ(calls(), (Calls{"clearPosUpdates", "handleAcEvents"}));
    EXPECT_EQ(newSamples.load(), 1) << "the sample is left for the running flight";
}

TEST_F(RunLoopTest, LiveCountsRepaintOnlyChangedBands) {
    LiveAc active(PosSample{}, AcBase{}, 0.0);
    active.lifeState = AcLifeState::active;
    active.phase = AcPhase::flying;
    LiveAc parked = active;
    parked.phase = AcPhase::parked;
    LiveAc buffered = active;
    buffered.lifeState = AcLifeState::buffer;
    g_liveAcs = {active, parked, active, buffered};
    parkedLive = 1;
    statics = 7;
    lf_refreshLiveCounts();
    EXPECT_EQ(g_liveCount.load(), 2u);
    EXPECT_EQ(g_parkedLiveCount.load(), 1u);
    EXPECT_EQ(g_staticCount.load(), 7u);
    EXPECT_EQ(bandTops(), (std::vector<int>{28, 392}));
    clearCalls();
    lf_refreshLiveCounts();
    EXPECT_TRUE(bandTops().empty());
    statics = 8;
    lf_refreshLiveCounts();
    EXPECT_EQ(bandTops(), std::vector<int>{392});
}
