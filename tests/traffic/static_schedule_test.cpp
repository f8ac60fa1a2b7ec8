#include "traffic/static_schedule.h"

#include <gtest/gtest.h>

#include <mutex>

#include "foundation/random.h"
#include "settings/settings.h"
#include "static_fixture.h"

using namespace static_test;

namespace {
struct StaticSchedule : StaticTest {
    ModelKey klm = key("KLM", "B738");

    StaticSchedule() {
        RANDOM.value = false;
        MAX_PARK_SEL.value = 500;
    }
    // Each use with a callsign of its own: uses without one count as the same flight.
    StandUse realUse(std::uint32_t day, std::uint64_t hh, const std::string& reg, const std::string& callsign = "") {
        return use(klm, reg, day, hh, 1, callsign.empty() ? "KLM" + reg.substr(3) : callsign);
    }
    StandUse softUse(std::uint32_t day, std::uint64_t hh, const std::string& reg) {
        StandUse u = use(klm, reg, day, hh, 1, "KLM" + reg.substr(3));
        u.real = 0;
        return u;
    }
};
}  // namespace

TEST_F(StaticSchedule, TheWantedNumberIsAShareOfTheStandsWithinTheMaximum) {
    struct Case {
        std::size_t stands;
        std::int32_t percentage, custom, most;
        std::uint64_t wanted;
        std::int32_t shownPercent;
    } cases[] = {
        {3, 40, -1, 500, 1, 33},  {3, 60, -1, 500, 2, 67},   {1, 0, -1, 500, 1, 100},  {1, 100, -1, 0, 0, 100},
        {20, 30, -1, 5, 5, 25},   {20, 30, 50, 500, 10, 50}, {4, 30, -1, 500, 1, 25},  {2, 50, -1, 500, 1, 50},
        {2, 40, -1, 500, 1, 50},  {0, 30, -1, 500, 1, 0},    {10, 25, -1, 500, 3, 30}, {20, 0, -1, 500, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.stands << " stands, " << c.percentage << "%, custom " << c.custom
                                          << ", most " << c.most);
        standsWith(std::vector<std::vector<StandUse>>(c.stands));
        parking_percentage.value = c.percentage;
        CUSTOM_PARKING_PERCENTAGE.value = c.custom;
        MAX_PARK_SEL.value = c.most;
        EXPECT_EQ(lf_wantedStaticCount(), c.wanted);
        EXPECT_EQ(g_maxPark.load(), static_cast<std::int32_t>(c.wanted));
        EXPECT_EQ(g_maxParkPercent.load(), c.shownPercent);
    }
}

TEST_F(StaticSchedule, EachKindIsSearchedOnlyWhenItsSettingIsOn) {
    const std::uint64_t now = gf_packDaySlot(1, 20);
    struct Case {
        bool week, soft;
        std::set<std::uint32_t> stands;
        bool softShown, weekShown;
        const char* line;
    } cases[] = {
        {false, false, {1}, false, false, "1 real position found, Max fit=24.0 hours, day 1, hh:20 or 10.0 hrs, fit: 24.0 hour"},
        {true, false, {1, 2}, false, true, "1 week/real position found, Max fit=24.0 hours, hh:20 or 10.0 hrs, fit"},
        {false, true, {1, 3}, true, false, "1 soft position found, Max fit=24.0 hours, day 1, hh:20"},
        {true, true, {1, 2, 3, 4}, true, true, "1 week/soft position found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "WEEK " << c.week << ", PARK_SOFT " << c.soft);
        standsWith({{realUse(1, slots(20, 20), "PH-BXA")},
                    {realUse(3, slots(20, 20), "PH-BXB")},
                    {softUse(1, slots(20, 20), "PH-BXC")},
                    {softUse(3, slots(20, 20), "PH-BXD")}});
        parking_percentage.value = 100;
        WEEK.value = c.week;
        PARK_SOFT.value = c.soft;
        g_daySlot = now;
        lf_computeStatics();
        EXPECT_EQ(scheduledStands(), c.stands);
        EXPECT_EQ(g_staticPassShown.load(), c.softShown);
        EXPECT_EQ(g_weekPassShown.load(), c.weekShown);
        EXPECT_TRUE(logged(c.line));
    }
}

TEST_F(StaticSchedule, TheSearchLooksBackHalfHourByHalfHourUpToTheMaximumFit) {
    const std::uint64_t now = gf_packDaySlot(1, 20);
    standsWith({{realUse(1, slots(16, 16), "PH-BXA")}});
    g_daySlot = now;
    MAX_FIT.value = 4;
    lf_computeStatics();
    ASSERT_EQ(g_staticSlots.size(), 1u);
    EXPECT_EQ(g_staticSlots[0].offset, 4u);
    EXPECT_EQ(g_maxFitHalfHours[0], 4);
    EXPECT_EQ(g_maxFitHalfHours[1], -1) << "a real kind ran last";
    EXPECT_TRUE(logged("1 real position found, Max fit=24.0 hours, day 1, hh:20 or 10.0 hrs, fit: 2.5 hour"));
    EXPECT_TRUE(logged("1 positions (100% vs wanted 30%, with Max fit=24.0 hours)"));
    EXPECT_TRUE(g_settingsLocked) << "until the schedule is placed";

    // One half-hour short: nothing, and the settings are free again.
    standsWith({{realUse(1, slots(16, 16), "PH-BXA")}});
    MAX_FIT.value = 3;
    lf_computeStatics();
    EXPECT_TRUE(g_staticSlots.empty());
    EXPECT_EQ(g_maxFitHalfHours[0], 3);
    EXPECT_TRUE(logged("no parking positions found"));
    EXPECT_FALSE(g_settingsLocked);
}

TEST_F(StaticSchedule, TheBestFitIsPlacedFirstAndSurplusStandsAreLeftToChance) {
    const std::uint64_t now = gf_packDaySlot(1, 20);
    // Six stands fit now, one of them only two half-hours back; half are wanted.
    const auto six = [&] {
        standsWith({{realUse(1, slots(18, 18), "PH-BX1")},
                    {realUse(1, slots(20, 20), "PH-BX2")},
                    {realUse(1, slots(20, 20), "PH-BX3")},
                    {realUse(1, slots(20, 20), "PH-BX4")},
                    {realUse(1, slots(20, 20), "PH-BX5")},
                    {realUse(1, slots(20, 20), "PH-BX6")}});
    };
    parking_percentage.value = 50;
    g_daySlot = now;
    six();
    lf_computeStatics();
    EXPECT_EQ(scheduledStands(), (std::set<std::uint32_t>{2, 3, 4})) << "in stand order without RANDOM";
    ASSERT_EQ(g_staticSlots.size(), 3u);
    EXPECT_EQ(g_staticSlots.back().offset, 0u);

    RANDOM.value = true;
    std::set<std::set<std::uint32_t>> chosen;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        gf_seedRng(seed);
        six();
        lf_computeStatics();
        EXPECT_EQ(g_staticSlots.size(), 3u);
        chosen.insert(scheduledStands());
    }
    EXPECT_GT(chosen.size(), 1u) << "the stands that fit equally well are chosen at random";

    // Fewer fit now than wanted: the one of two half-hours back joins, placed last.
    parking_percentage.value = 100;
    RANDOM.value = false;
    standsWith({{realUse(1, slots(18, 18), "PH-BX1")}, {realUse(1, slots(20, 20), "PH-BX2")}});
    lf_computeStatics();
    ASSERT_EQ(g_staticSlots.size(), 2u);
    EXPECT_EQ(g_staticSlots[0].standId, 1u);
    EXPECT_EQ(g_staticSlots[0].offset, 2u);
    EXPECT_EQ(g_staticSlots[1].offset, 0u);
}

TEST_F(StaticSchedule, TheReservedStandTheUsersStandAndAircraftInTheTrafficAreLeftOut) {
    const std::uint64_t now = gf_packDaySlot(1, 20);
    standsWith({{realUse(1, slots(20, 20), "PH-BX1")},
                {realUse(1, slots(20, 20), "PH-BX2")},
                {realUse(1, slots(20, 20), "PH-BX3")},
                {realUse(1, slots(20, 20), "PH-BX4", "KLM1234")}});
    parking_percentage.value = 100;
    g_daySlot = now;
    g_reservedStand = "A1";
    setUser(GeoPoint{g_stands[1].latitude, g_stands[1].longitude}, true);
    // The traffic reader saw the flight of A4's use.
    g_trafficFeed.startCollecting();
    {
        const std::lock_guard lock(g_trafficFeed.callsignMutex);
        g_trafficFeed.seenCallsigns.insert("KLM1234");
    }
    lf_computeStatics();
    EXPECT_EQ(scheduledStands(), (std::set<std::uint32_t>{3}));
    EXPECT_EQ(g_stands[0].excluded, 1);
    EXPECT_EQ(g_stands[1].excluded, 1);
    EXPECT_TRUE(g_staticCallsigns.set.contains("KLM1234"));
    EXPECT_FALSE(g_trafficFeed.collectCallsigns.load()) << "the snapshot ends the collection";
    EXPECT_EQ(g_stands[3].uses[0].consumed, 1);
    EXPECT_EQ(g_stands[3].uses[0].active, 1) << "a consumed use keeps its number";
    EXPECT_TRUE(logged("1 positions (25% vs wanted 100%, with Max fit=24.0 hours)"));
}
