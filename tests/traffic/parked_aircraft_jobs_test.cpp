#include "traffic/parked_aircraft_jobs.h"

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "static_fixture.h"
#include "traffic/engine_jobs.h"

using namespace static_test;

namespace {
struct ParkedJobs : StaticTest {
    ModelKey klm = key("KLM", "B738");
    ModelKey heavy = key("KLM", "B744");

    ParkedJobs() {
        std::vector<Stand> stands;
        for (int k = 0; k < 4; ++k) stands.push_back(standAt(("A" + std::to_string(k + 1)).c_str(), 0, 100.0 * k, 20));
        setStands(std::move(stands));
    }
    static LiveAc liveNamed(std::string callsign, std::string registration, std::string spare = {}) {
        AcBase base;
        base.callsign = std::move(callsign);
        base.registration = std::move(registration);
        base.spareText = std::move(spare);
        return LiveAc(PosSample{}, std::move(base), 0.0);
    }
    static std::vector<std::string> activeStatics() {
        std::vector<std::string> callsigns;
        for (const AcBase& a : g_staticAcs)
            if (a.lifeState == AcLifeState::active) callsigns.push_back(a.callsign);
        return callsigns;
    }
};
}  // namespace

TEST_F(ParkedJobs, ALiveAircraftReplacesTheStaticThatStandsForItsFlight) {
    struct Case {
        const char* name;
        LiveAc live;
        const char* removed;  // nullptr: none
    } cases[] = {
        {"the same registration", liveNamed("XYZ1", "PH-BXB"), "KLM2*"},
        {"the first callsign of the use", liveNamed("KLM1", ""), "KLM1*"},
        {"the second callsign of the use", liveNamed("KLM3", ""), "KLM2*"},
        {"its own second callsign", liveNamed("XYZ1", "", "KLM1"), "KLM1*"},
        {"a ghost of the flight", liveNamed("KLM1_", ""), "KLM1*"},
        {"a ghost with an empty name", liveNamed("_", ""), nullptr},
        {"no callsign", liveNamed("", "PH-BXB"), nullptr},
        {"another flight", liveNamed("KLM9", "PH-BXZ"), nullptr},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_staticAcs.clear();
        g_removeQueue.clear();
        addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", 0);
        addStatic(g_stands[1], klm, "KLM2", "KLM3", "PH-BXB", 0);
        addStatic(g_stands[2], klm, "", "", "", 0, AcLifeState::adding2sim, "KLM42*");
        const std::uint64_t replaced = g_staticReplacedCount;
        gf_removeStaticsMatching(c.live);
        if (c.removed == nullptr) {
            EXPECT_TRUE(g_removeQueue.empty());
            EXPECT_EQ(g_staticReplacedCount.load(), replaced);
            continue;
        }
        ASSERT_EQ(g_removeQueue.size(), 1u);
        const auto gone = std::find_if(g_staticAcs.begin(), g_staticAcs.end(), [](const AcBase& a) {
            return a.lifeState == AcLifeState::removingfromsim;
        });
        ASSERT_NE(gone, g_staticAcs.end());
        EXPECT_EQ(gone->callsign, c.removed);
        EXPECT_EQ(g_staticReplacedCount.load(), replaced + 1);
    }
}

TEST_F(ParkedJobs, OneDuplicateStaticGoesPerMatchingRound) {
    addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", 0);
    addStatic(g_stands[1], klm, "KLM5", "", "PH-BXB", 0);
    addStatic(g_stands[2], klm, "KLM7", "", "PH-BXC", 0);
    LiveAc& taxiing = addLiveParked(g_stands[3], klm, "KLM1", "PH-BXB");
    taxiing.phase = AcPhase::taxi;
    gf_matchLiveToStatics();
    EXPECT_EQ(activeStatics(), (std::vector<std::string>{"KLM5*", "KLM7*"})) << "KLM1* goes first";
    gf_matchLiveToStatics();
    EXPECT_EQ(activeStatics(), (std::vector<std::string>{"KLM7*"}));
    gf_matchLiveToStatics();
    EXPECT_EQ(activeStatics(), (std::vector<std::string>{"KLM7*"}));
    EXPECT_EQ(g_staticReplacedCount.load(), 2u);
    // In the air a live aircraft replaces nothing.
    taxiing.groundMode = 0;
    taxiing.callsign = "KLM7";
    gf_matchLiveToStatics();
    EXPECT_EQ(activeStatics(), (std::vector<std::string>{"KLM7*"}));
}

TEST_F(ParkedJobs, LiveAircraftParkedTooLongAreRemovedWhenTheParkingIsAdjusted) {
    struct Case {
        SizeCategory category;
        std::int64_t minutes;
        bool initialLoadOnly;
        bool stays;
    } cases[] = {
        {SizeCategory::Heavy, 180, false, true}, {SizeCategory::Heavy, 181, false, false},
        {SizeCategory::Heavy, 181, true, true},  {SizeCategory::Large, 90, false, true},
        {SizeCategory::Large, 91, false, false}, {SizeCategory::Light, 91, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << gf_sizeCategoryName(c.category) << " " << c.minutes << " min");
        g_liveAcs.clear();
        g_liveParkedList.clear();
        INITIAL_LOAD_ONLY.value = c.initialLoadOnly;
        addLiveParked(g_stands[0], heavy, "KLM1", "PH-BFA", c.category, c.minutes);
        lf_reparkAll();
        ASSERT_EQ(g_liveParkedList.size(), c.stays ? 1u : 0u);
        EXPECT_EQ(g_liveAcs[0].lifeState, c.stays ? AcLifeState::active : AcLifeState::removingfromsim);
        if (c.stays) {
            EXPECT_EQ(g_liveParkedList[0].minutes, c.minutes);
        }
    }
    // The list: fewest minutes first; an aircraft whose stream ran dry counts 0.
    g_liveAcs.clear();
    g_liveParkedList.clear();
    INITIAL_LOAD_ONLY.value = false;
    addLiveParked(g_stands[0], klm, "KLM1", "PH-BXA", SizeCategory::Large, 50);
    addLiveParked(g_stands[1], klm, "KLM2", "PH-BXB", SizeCategory::Large, 20);
    addLiveParked(g_stands[2], klm, "KLM3", "PH-BXC", SizeCategory::Large, 500).pathExtended = 1;
    addLiveParked(g_stands[3], klm, "KLM4", "PH-BXD", SizeCategory::Large, 30).phase = AcPhase::taxi;
    lf_reparkAll();
    ASSERT_EQ(g_liveParkedList.size(), 3u);
    EXPECT_EQ(g_liveParkedList[0].callsign, "KLM3");
    EXPECT_EQ(g_liveParkedList[0].minutes, 0);
    EXPECT_EQ(g_liveParkedList[1].callsign, "KLM2");
    EXPECT_EQ(g_liveParkedList[2].callsign, "KLM1");
    EXPECT_EQ(g_liveParkedList[2].standId, 1);
}

TEST_F(ParkedJobs, TheMeanParkedTimeOfLiveAircraftCountsHalfHoursWithinTheWeek) {
    EXPECT_EQ(gf_countParkedLiveAcs(true), 0u);
    EXPECT_EQ(g_liveMeanParkedHours.load(), 0.0F) << "none parked";
    g_daySlot = gf_packDaySlot(2, 10);
    addLiveParked(g_stands[0], klm, "KLM1", "PH-BXA").parkedAt = gf_packDaySlot(2, 6);   // 4 half-hours
    addLiveParked(g_stands[1], klm, "KLM2", "PH-BXB").parkedAt = gf_packDaySlot(1, 46);  // 12 half-hours
    addLiveParked(g_stands[2], klm, "KLM3", "PH-BXC").parkedAt = gf_packDaySlot(7, 40);  // later in the week: 0
    addLiveParked(g_stands[3], klm, "KLM4", "PH-BXD").phase = AcPhase::taxi;             // not counted
    EXPECT_EQ(gf_countParkedLiveAcs(false), 3u);
    EXPECT_EQ(g_liveMeanParkedHours.load(), 0.0F) << "without the flag the mean stays";
    EXPECT_EQ(gf_countParkedLiveAcs(true), 3u);
    EXPECT_FLOAT_EQ(g_liveMeanParkedHours.load(), 16.0F / 6.0F + 0.5F);
}

TEST_F(ParkedJobs, FlushingTakesEveryStaticAwayAndPlacesNoMore) {
    addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", 0);
    AcBase& queued = addStatic(g_stands[1], klm, "KLM2", "", "PH-BXB", 0, AcLifeState::adding2sim);
    AcBase& sent = addStatic(g_stands[2], klm, "KLM3", "", "PH-BXC", 0, AcLifeState::adding2sim);
    g_staticCreateQueue.push_back(SpawnRequest{{}, "KLM2*", {}, queued.hexId});
    const std::uint32_t sentHexId = sent.hexId;
    g_staticSlots.push_back(StaticSlot{4, 0, klm, "KLM4", "", "PH-BXD", 1});
    gf_removeAllStatics();
    EXPECT_TRUE(g_staticSlots.empty());
    EXPECT_TRUE(g_staticCreateQueue.empty());
    ASSERT_EQ(g_staticAcs.size(), 2u) << "the queued one is gone at once";
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(g_removeQueue.size(), 1u);
    EXPECT_EQ(g_staticAcs[1].hexId, sentHexId);
    EXPECT_EQ(g_staticAcs[1].removeWhenCreated, 1) << "removed once the simulator has created it";
}

TEST_F(ParkedJobs, TheReservedStandIsClearedOfAStaticFirstThenOfALiveAircraft) {
    addLiveParked(g_stands[1], klm, "KLM1", "PH-BXA");
    addStatic(g_stands[1], klm, "KLM2", "", "PH-BXB", 0);
    gf_clearReservedStand("A2");
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(g_liveAcs[0].lifeState, AcLifeState::active);
    gf_clearReservedStand("A2");
    EXPECT_EQ(g_liveAcs[0].lifeState, AcLifeState::removingfromsim);
    gf_clearReservedStand("NOPE");
    EXPECT_EQ(g_removeQueue.size(), 2u);
}

TEST_F(ParkedJobs, AStaticInTheWayOfATaxiingAircraftGoes) {
    addStatic(g_stands[1], klm, "KLM2", "", "PH-BXB", 0);
    LiveAc& taxiing = addLiveParked(g_stands[1], klm, "KLM1", "PH-BXA");
    taxiing.phase = AcPhase::taxi;
    taxiing.lastCheckedLat = taxiing.lat;
    taxiing.lastCheckedLon = taxiing.lon;
    gf_clearStaticsForMovingAcs();
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::active) << "it has not moved since it was last checked";
    taxiing.lat += 1e-6;
    gf_clearStaticsForMovingAcs();
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
}

TEST_F(ParkedJobs, TheCallsignListHoldsTheMovingLiveAircraftSorted) {
    addLiveParked(g_stands[0], klm, "KLM9", "PH-BXA").phase = AcPhase::taxi;
    addLiveParked(g_stands[1], klm, "DLH1", "PH-BXB").phase = AcPhase::flying;
    addLiveParked(g_stands[2], klm, "BAW5", "PH-BXC");  // parked
    addLiveParked(g_stands[3], klm, "AFR2", "PH-BXD").lifeState = AcLifeState::adding2sim;
    gf_listMovingCallsigns();
    EXPECT_EQ(*CALLSIGN_2_OBJECTID.callsigns(), (std::vector<std::string>{"DLH1", "KLM9"}));
}
