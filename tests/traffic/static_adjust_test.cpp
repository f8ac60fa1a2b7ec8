#include "traffic/static_adjust.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <mutex>
#include <sstream>

#include "settings/settings.h"
#include "static_fixture.h"
#include "traffic/engine_jobs.h"
#include "traffic/static_decision.h"
#include "traffic/static_schedule.h"

using namespace static_test;

namespace {
struct StaticAdjust : StaticTest {
    ModelKey klm = key("KLM", "B738");

    StaticAdjust() {
        RANDOM.value = false;
        WEEK.value = false;
        PARK_SOFT.value = false;
        parking_percentage.value = 30;
    }
    void seenInTheTraffic(const std::string& callsign) {
        const std::lock_guard lock(g_trafficFeed.callsignMutex);
        g_trafficFeed.seenCallsigns.insert(callsign);
    }
    static std::string statusShown() {
        const std::lock_guard lock(g_statusMutex);
        return g_statusText;
    }
};
}  // namespace

TEST_F(StaticAdjust, AStaticWhoseFlightShowsUpInTheTrafficGoes) {
    standsWith({{use(klm, "PH-BXA", 1, slots(10, 30), 1, "KLM1", "KLM2")}, {}, {}});
    addStatic(g_stands[0], klm, "KLM1", "KLM2", "PH-BXA", gf_packDaySlot(1, 10));
    g_daySlot = gf_packDaySlot(1, 20);
    g_trafficFeed.startCollecting();
    seenInTheTraffic("KLM2");
    gf_adjustParking();
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(g_removeQueue.size(), 1u);
    EXPECT_EQ(statusShown(), "Parking adjustments: 1 to be removed, 0 to be added\n");
    EXPECT_TRUE(logged("It is day 1 (Mon), 10.0 hours"));
}

TEST_F(StaticAdjust, AtTheEndOfItsUseAStaticComesBackUnderItsSecondCallsign) {
    struct Case {
        const char* name;
        std::uint32_t day, slot;
        std::vector<StandUse> uses;
        bool leaves;
    } cases[] = {
        {"its use goes on", 1, 19, {use(klm, "PH-BXA", 1, slots(16, 20), 1, "KLM1234", "KLM1235")}, false},
        {"its use ends with this half-hour", 1, 20, {use(klm, "PH-BXA", 1, slots(16, 20), 1, "KLM1234", "KLM1235")},
         true},
        {"at midnight it stays into the next day",
         1,
         47,
         {use(klm, "PH-BXA", 1, slots(40, 47), 1, "KLM1234", "KLM1235"), use(klm, "PH-BXA", 2, slots(0, 3), 2)},
         false},
        {"at midnight its use ends", 1, 47, {use(klm, "PH-BXA", 1, slots(40, 47), 1, "KLM1234", "KLM1235")}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_staticAcs.clear();
        g_removeQueue.clear();
        g_staticCreateQueue.clear();
        standsWith({c.uses, {}, {}});
        const std::uint32_t parkedSlot = c.slot - 4;
        addStatic(g_stands[0], klm, "KLM1234", "KLM1235", "PH-BXA", gf_packDaySlot(c.day, parkedSlot));
        g_daySlot = gf_packDaySlot(c.day, c.slot);
        gf_adjustParking();
        if (!c.leaves) {
            EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::active);
            EXPECT_TRUE(g_staticSlots.empty());
            EXPECT_EQ(statusShown(), "Parking adjustments: 0 to be removed, 0 to be added\n");
            continue;
        }
        EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
        ASSERT_EQ(g_staticSlots.size(), 1u);
        const StaticSlot& back = g_staticSlots[0];
        EXPECT_EQ(back.standId, 1u);
        EXPECT_EQ(back.callsign, "KLM1234");
        EXPECT_EQ(back.callsign2, "KLM1235");
        EXPECT_EQ(back.reg, "PH-BXA");
        EXPECT_EQ(back.staysNext, 0);
        EXPECT_EQ(statusShown(), "Parking adjustments: 1 to be removed, 1 to be added\n");
        // Placed again while the old object is being removed, under the callsign it leaves with.
        lf_detcs();
        ASSERT_EQ(g_staticAcs.size(), 2u);
        EXPECT_EQ(g_staticAcs[1].callsign, "KLM1235*");
        EXPECT_EQ(g_staticAcs[1].parkedAt, gf_packDaySlot(c.day, parkedSlot)) << "it keeps its parked time";
        EXPECT_EQ(g_staticCreateQueue.size(), 1u);
    }
}

TEST_F(StaticAdjust, ASurplusDropsScheduleRecordsFirstThenKeptStatics) {
    // Three stands at 30 %: one aircraft is wanted.
    standsWith({{use(klm, "PH-BXA", 1, slots(10, 30), 1, "KLM1")},
                {use(klm, "PH-BXB", 1, slots(10, 30), 1, "KLM2")},
                {use(klm, "PH-BXC", 1, slots(20, 20), 1, "KLM3")}});
    addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", gf_packDaySlot(1, 12));
    addStatic(g_stands[1], klm, "KLM2", "", "PH-BXB", gf_packDaySlot(1, 14));
    g_daySlot = gf_packDaySlot(1, 20);
    gf_adjustParking();
    EXPECT_TRUE(g_staticSlots.empty()) << "A3's record went first";
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::active);
    EXPECT_EQ(g_staticAcs[1].lifeState, AcLifeState::removingfromsim) << "then the last kept static";
    EXPECT_EQ(statusShown(), "Parking adjustments: 1 to be removed, 0 to be added\n");

    // More live aircraft parked than wanted: the one parked longest goes.
    g_staticAcs.clear();
    g_removeQueue.clear();
    LiveAc& longest = addLiveParked(g_stands[0], klm, "DLH1", "D-AIZA", SizeCategory::Large, 60);
    LiveAc& recent = addLiveParked(g_stands[1], klm, "DLH2", "D-AIZB", SizeCategory::Large, 5);
    gf_adjustParking();
    EXPECT_TRUE(logged("Parking adjustments: 1 more live ac than wanted"));
    EXPECT_EQ(longest.lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(recent.lifeState, AcLifeState::active);
    EXPECT_TRUE(g_staticSlots.empty()) << "the parked live aircraft fills the wanted number";
    EXPECT_EQ(g_stands[1].taken, 1);
}

TEST_F(StaticAdjust, WhenNoStaticIsWantedAParkedLiveAircraftIsTheWholeSurplus) {
    struct Case {
        const char* name;
        std::int32_t maxParkSel, percentage;
    } cases[] = {{"MAX_PARK_SEL 0", 0, 30}, {"parking_percentage 0", 10, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_removeQueue.clear();
        MAX_PARK_SEL.value = c.maxParkSel;
        parking_percentage.value = c.percentage;
        // Uses for now on every stand: the search would have records to offer.
        standsWith({{use(klm, "PH-BXA", 1, slots(10, 30), 1, "KLM1")},
                    {use(klm, "PH-BXB", 1, slots(10, 30), 1, "KLM2")},
                    {use(klm, "PH-BXC", 1, slots(10, 30), 1, "KLM3")},
                    {use(klm, "PH-BXD", 1, slots(10, 30), 1, "KLM4")}});
        LiveAc& parked = addLiveParked(g_stands[0], klm, "DLH1", "D-AIZA");
        g_daySlot = gf_packDaySlot(1, 20);
        ASSERT_NO_THROW(gf_adjustParking());
        EXPECT_EQ(g_maxPark, 0);
        EXPECT_TRUE(g_staticSlots.empty());
        EXPECT_EQ(parked.lifeState, AcLifeState::removingfromsim) << "one parked aircraft more than wanted";
        EXPECT_EQ(statusShown(), "Parking adjustments: 0 to be removed, 0 to be added\n");
    }
    // More aircraft already placed than wanted: an empty schedule has nothing to drop.
    g_staticSlots.clear();
    lf_clearStandMarks();
    ASSERT_NO_THROW(lf_buildAllStaticSlots(gf_packDaySlot(1, 20), 1, 2));
    EXPECT_TRUE(g_staticSlots.empty());
}

TEST_F(StaticAdjust, AtABigAirportEveryStandGetsTheOutcomeOfItsOwnKind) {
    // Stands of nine kinds in turn, 63 in all; all four kinds of search are
    // on and every stand is wanted. It is Tuesday, 05:00 (slot 10).
    enum Shape { kept, replaced, week, soft, lateYesterday, inTraffic, empty, leaving, liveParked, shapes };
    struct Outcome {
        bool removed;           // its static goes
        std::string callsign;   // the record placed on it; empty = none
        std::uint32_t fit = 0;  // the record's fit level
    };
    constexpr std::uint32_t kDay = 2, kSlot = 10;
    constexpr int kCycles = 7;
    WEEK.value = true;
    PARK_SOFT.value = true;
    parking_percentage.value = 100;
    g_trafficFeed.startCollecting();
    std::vector<std::vector<StandUse>> uses(shapes * kCycles);
    std::map<std::uint32_t, Outcome> expected;
    for (int k = 0; k < shapes * kCycles; ++k) {
        const std::string n = std::to_string(k);
        const std::string flight = "KLM" + n, reg = "PH-" + n;
        std::vector<StandUse>& u = uses[static_cast<std::size_t>(k)];
        const auto standId = static_cast<std::uint32_t>(k + 1);
        expected[standId] = {false, ""};
        switch (static_cast<Shape>(k % shapes)) {
            case kept:  // its static shows the flight of now
            case inTraffic:  // the same, but that flight is in the live traffic
                u = {use(klm, reg, kDay, slots(4, 16), 1, flight)};
                expected[standId] = {k % shapes == inTraffic, ""};
                break;
            case replaced:  // its static shows an earlier flight
                u = {use(klm, reg, kDay, slots(8, 12), 1, flight)};
                expected[standId] = {true, flight, 0};
                break;
            case week:
                u = {use(klm, reg, kDay + 2, slots(9, 11), 1, flight)};
                expected[standId] = {false, flight, 0};
                break;
            case soft:
                u = {use(klm, reg, kDay, slots(7, 7), 1, flight)};
                u[0].real = 0;
                expected[standId] = {false, flight, 3};
                break;
            case lateYesterday:
                u = {use(klm, reg, kDay - 1, slots(40, 47), 1, flight)};
                expected[standId] = {false, flight, 11};
                break;
            case leaving:  // its use ends with this half-hour
                u = {use(klm, reg, kDay, slots(4, kSlot), 1, flight, flight + "X")};
                expected[standId] = {true, flight, kSlot - 4};
                break;
            case liveParked:
                u = {use(klm, reg, kDay, slots(4, 16), 1, flight)};
                break;
            case empty:
            case shapes:
                break;
        }
    }
    standsWith(uses);
    std::map<std::uint32_t, std::uint32_t> objects;  // stand id -> its static's object
    for (int k = 0; k < shapes * kCycles; ++k) {
        const Stand& stand = g_stands[static_cast<std::size_t>(k)];
        const std::string n = std::to_string(k);
        switch (static_cast<Shape>(k % shapes)) {
            case kept:
            case inTraffic:
                objects[stand.standId] = addStatic(stand, klm, "KLM" + n, "", "PH-" + n, gf_packDaySlot(kDay, 4)).objectId;
                if (k % shapes == inTraffic) seenInTheTraffic("KLM" + n);
                break;
            case replaced:
                objects[stand.standId] =
                    addStatic(stand, klm, "DLH" + n, "", "D-" + n, gf_packDaySlot(kDay - 1, 30)).objectId;
                break;
            case leaving:
                objects[stand.standId] =
                    addStatic(stand, klm, "KLM" + n, "KLM" + n + "X", "PH-" + n, gf_packDaySlot(kDay, 4)).objectId;
                break;
            case liveParked:
                addLiveParked(stand, klm, "DLH" + n, "D-" + n);
                break;
            default:
                break;
        }
    }
    g_daySlot = gf_packDaySlot(kDay, kSlot);
    gf_adjustParking();

    std::map<std::uint32_t, Outcome> found;
    for (const StaticSlot& record : g_staticSlots) found[record.standId] = {false, record.callsign, record.offset};
    for (const auto& [standId, object] : objects)
        found[standId].removed = std::find(g_removeQueue.begin(), g_removeQueue.end(), object) != g_removeQueue.end();
    std::size_t removals = 0, additions = 0;
    for (const auto& [standId, outcome] : expected) {
        SCOPED_TRACE(::testing::Message() << "stand " << standId << ", kind " << (standId - 1) % shapes);
        EXPECT_EQ(found[standId].removed, outcome.removed);
        EXPECT_EQ(found[standId].callsign, outcome.callsign);
        EXPECT_EQ(found[standId].fit, outcome.fit);
        removals += outcome.removed ? 1 : 0;
        additions += outcome.callsign.empty() ? 0 : 1;
    }
    EXPECT_EQ(g_staticSlots.size(), additions) << "no record on any other stand";
    EXPECT_EQ(g_removeQueue.size(), removals);
    EXPECT_TRUE(std::is_sorted(g_staticSlots.begin(), g_staticSlots.end(),
                               [](const StaticSlot& a, const StaticSlot& b) { return a.offset > b.offset; }));
    EXPECT_EQ(statusShown(), fmt::format("Parking adjustments: {} to be removed, {} to be added\n", removals, additions));
    // Each record was found by the first kind of search that could find it.
    EXPECT_TRUE(logged("14 real positions found, Max fit=24.0 hours, day 2, hh:10"));
    EXPECT_TRUE(logged("7 week/real positions found"));
    EXPECT_TRUE(logged("7 soft positions found"));
    EXPECT_FALSE(logged("week/soft position"));
}

TEST_F(StaticAdjust, AStaticWithoutItsUseStaysUnlessTheScheduleParkedItsStandLater) {
    struct Case {
        std::uint32_t fit;
        std::uint64_t staticParkedAt;
        bool stays;
    } cases[] = {
        {0, gf_packDaySlot(1, 20), true},   // the record's aircraft since now, the static too
        {0, gf_packDaySlot(1, 10), false},  // the record's since now, the static earlier
        {12, gf_packDaySlot(1, 10), true},  // the record's since slot 8
        {24, gf_packDaySlot(7, 40), false}, // the record's since Sunday 44
        {24, gf_packDaySlot(7, 46), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "fit " << c.fit << ", parked " << gf_weekdayOf(c.staticParkedAt) << ":"
                                          << gf_slotOf(c.staticParkedAt));
        standsWith({{}, {}});
        g_staticAcs.clear();
        g_staticPlacements.clear();
        g_staticRemovals.clear();
        g_staticSlots = {StaticSlot{1, c.fit, klm, "KLM5", "", "PH-BXE", 1}, StaticSlot{2, 0, klm, "KLM6", "", "PH-BXF", 1}};
        const AcBase& parked = addStatic(g_stands[0], klm, "KLM9", "", "PH-BXZ", c.staticParkedAt);
        EXPECT_EQ(lf_keepOrRemoveStatic(parked, g_staticSlots[0], gf_packDaySlot(1, 20)), c.stays);
        EXPECT_EQ(g_staticPlacements.size(), c.stays ? 1u : 0u);
        EXPECT_EQ(g_staticRemovals.size(), c.stays ? 0u : 1u);
        // Matched as a whole: a kept static takes the record over.
        g_staticPlacements.clear();
        g_staticRemovals.clear();
        lf_chooseStaticStands(gf_packDaySlot(1, 20));
        EXPECT_EQ(g_staticSlots.size(), c.stays ? 1u : 2u);
        EXPECT_EQ(g_staticSlots.back().standId, 2u);
    }
}

TEST_F(StaticAdjust, AScheduledNeighbourTooCloseDecidesForAStaticWithoutItsOwnRecord) {
    // Two stands 40 m apart: two B738 (36 m spans) would touch.
    setStands({standAt("A1", 0, 0, 20), standAt("A2", 0, 40, 20, {use(klm, "PH-BXB", 1, slots(20, 20), 1, "KLM2")})});
    g_stands[0].adjacentIds = {2};
    g_stands[1].adjacentIds = {1};
    addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", gf_packDaySlot(1, 12));
    g_staticSlots = {StaticSlot{2, 0, klm, "KLM2", "", "PH-BXB", 1}};
    lf_chooseStaticStands(gf_packDaySlot(1, 20));
    EXPECT_EQ(g_staticRemovals.size(), 1u) << "the neighbour's aircraft parks later";
    EXPECT_EQ(g_staticSlots.size(), 1u);
}

TEST_F(StaticAdjust, UsesAreNumberedAgainAndAConsumedUseIsStillSaved) {
    StandUse consumed = use(klm, "PH-BXA", 1, slots(10, 12), 7, "KLM1");
    consumed.consumed = 1;
    standsWith({{consumed, use(klm, "PH-BXB", 2, slots(3, 4), 9, "KLM2")}});
    g_daySlot = gf_packDaySlot(3, 20);
    gf_adjustParking();
    EXPECT_EQ(g_stands[0].uses[0].active, 1);
    EXPECT_EQ(g_stands[0].uses[0].consumed, 0);
    EXPECT_EQ(g_stands[0].uses[1].active, 2);

    // Consumed by the search, the use is written with the learned data all the same.
    g_stands[0].uses[0].consumed = 1;
    g_parkAirport.code = AirportCode("EHAM");
    g_learnedFilePath = log_.dir() / "learned.xml";
    gf_saveAirportFile();
    std::ifstream file(g_learnedFilePath);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("reg=\"PH-BXA\""), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("reg=\"PH-BXB\""), std::string::npos);
}
