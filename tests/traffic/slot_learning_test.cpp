#include "traffic/slot_learning.h"

#include <gtest/gtest.h>

#include "airports/airport_fixture.h"
#include "airports/stand_learning.h"

using namespace airports_test;

namespace {
struct SlotLearning : AirportTest {
    ModelKey klm = key("KLM", "B738");
    ModelKey fallback = key("DLH", "A320");

    SlotLearning() { addRegistration("PH-BXA", "KLM", "B738"); }

    static AcBase parked(SizeCategory category, std::uint8_t cargo = 0, std::string callsign = "KLM1234") {
        AcBase a;
        a.sizeCategory = category;
        a.modelKey.cargo = cargo;
        a.callsign = std::move(callsign);
        return a;
    }
    // A stand whose one use (number 1) of day `day` holds slot `slot`.
    void standUsedAt(std::uint32_t day, std::uint32_t slot) {
        setStands({standAt("A1", 0, 0, 20, {use(klm, "PH-BXA", day, slots(slot, slot), 1, "KLM1234")})});
    }
};
}  // namespace

TEST_F(SlotLearning, AParkedAircraftsUseIsExtendedOnlyWithinItsWindow) {
    struct Case {
        const char* name;
        SizeCategory category;
        std::uint8_t cargo;
        std::uint32_t lastSlot, nowSlot;
        bool fits;
        std::uint64_t hh;  // the use's half-hours afterwards
    } cases[] = {
        {"Large, 5 half-hours later", SizeCategory::Large, 0, 20, 25, true, slots(20, 25)},
        {"Large, 7 half-hours later", SizeCategory::Large, 0, 20, 27, false, slots(20, 20)},
        {"Large, 6 half-hours later", SizeCategory::Large, 0, 20, 26, false, slots(20, 20)},
        {"Heavy, 7 half-hours later", SizeCategory::Heavy, 0, 20, 27, true, slots(20, 27)},
        {"Heavy, 8 half-hours later", SizeCategory::Heavy, 0, 20, 28, false, slots(20, 20)},
        {"cargo, 11 half-hours later", SizeCategory::Light, 1, 20, 31, true, slots(20, 31)},
        {"cargo, 12 half-hours later", SizeCategory::Heavy, 1, 20, 32, false, slots(20, 20)},
        {"the same half-hour", SizeCategory::Large, 0, 20, 20, true, slots(20, 20)},
        {"an earlier half-hour is most of a week away", SizeCategory::Large, 0, 20, 19, false, slots(20, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standUsedAt(2, c.lastSlot);
        AcBase a = parked(c.category, c.cargo, "KLM1234");
        EXPECT_EQ(gf_slotFits(gf_packDaySlot(2, c.nowSlot), g_stands[0], 1, gf_packDaySlot(2, c.lastSlot), a,
                              "PH-BXA", false),
                  c.fits);
        ASSERT_EQ(g_stands[0].uses.size(), 1u);
        EXPECT_EQ(g_stands[0].uses[0].hh, c.hh);
    }
    // A consumed use number (0) is left alone.
    standUsedAt(2, 20);
    AcBase a = parked(SizeCategory::Large);
    EXPECT_TRUE(gf_slotFits(gf_packDaySlot(2, 25), g_stands[0], 0, gf_packDaySlot(2, 20), a, "PH-BXA", false));
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(20, 20));
}

TEST_F(SlotLearning, AnExtensionCompletesTheUsesCallsigns) {
    struct Case {
        const char* first;
        const char* seenAs;
        const char* expectFirst;
        const char* expectSecond;
    } cases[] = {
        {"", "KLM1234_", "KLM1234", ""},
        {"KLM1234", "KLM1235", "KLM1234", "KLM1235"},
        {"KLM1234", "KLM1234", "KLM1234", ""},
        {"KLM1234", "", "KLM1234", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seenAs);
        setStands({standAt("A1", 0, 0, 20, {use(klm, "PH-BXA", 2, slots(20, 20), 1, c.first)})});
        AcBase a = parked(SizeCategory::Large, 0, c.seenAs);
        ASSERT_TRUE(gf_slotFits(gf_packDaySlot(2, 22), g_stands[0], 1, gf_packDaySlot(2, 20), a, "PH-BXA", false));
        EXPECT_EQ(g_stands[0].uses[0].callsign, c.expectFirst);
        EXPECT_EQ(g_stands[0].uses[0].callsign2, c.expectSecond);
    }
    // A third callsign does not replace the second.
    setStands({standAt("A1", 0, 0, 20, {use(klm, "PH-BXA", 2, 1, 1, "KLM1", "KLM2")})});
    lf_setUseIdentity(g_stands[0], 1, "KLM3");
    EXPECT_EQ(g_stands[0].uses[0].callsign2, "KLM3");
    lf_setUseIdentity(g_stands[0], 1, "KLM1");
    EXPECT_EQ(g_stands[0].uses[0].callsign2, "KLM3");
}

TEST_F(SlotLearning, AcrossMidnightTheNewDayGetsAUseOfItsOwn) {
    standUsedAt(1, 46);  // Monday
    AcBase a = parked(SizeCategory::Large, 0, "KLM1235");
    const std::uint64_t tuesdaySlot1 = gf_packDaySlot(2, 1);
    ASSERT_TRUE(gf_slotFits(tuesdaySlot1, g_stands[0], 1, gf_packDaySlot(1, 46), a, "PH-BXA", false));
    const std::vector<StandUse>& uses = g_stands[0].uses;
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].hh, slots(46, 47)) << "Monday's use runs to the end of the day";
    EXPECT_EQ(uses[1].day, 2u);
    EXPECT_EQ(uses[1].hh, slots(0, 1));
    EXPECT_EQ(uses[1].active, 2);
    EXPECT_EQ(uses[1].key, klm) << "the registration gives the key";
    EXPECT_EQ(uses[0].callsign2, "KLM1235");
    EXPECT_EQ(uses[1].callsign, "KLM1235");
    EXPECT_EQ(g_airportFileUpdates, 1);

    // Sunday 47 to Monday 0 wraps the week; a gap of one slot leaves Sunday as it was.
    standUsedAt(7, 47);
    ASSERT_TRUE(gf_slotFits(gf_packDaySlot(1, 0), g_stands[0], 1, gf_packDaySlot(7, 47), a, "PH-BXA", false));
    ASSERT_EQ(g_stands[0].uses.size(), 2u);
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(47, 47));
    EXPECT_EQ(g_stands[0].uses[1].hh, slots(0, 0));
    EXPECT_EQ(g_stands[0].uses[1].day, 1u);

    // When today's use exists already, nothing is added and nothing extended.
    setStands({standAt("A1", 0, 0, 20,
                       {use(klm, "PH-BXA", 1, slots(46, 46), 1), use(klm, "PH-BXA", 2, slots(1, 1), 2)})});
    EXPECT_FALSE(gf_slotFits(tuesdaySlot1, g_stands[0], 1, gf_packDaySlot(1, 46), a, "PH-BXA", false));
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(46, 46));
}

TEST_F(SlotLearning, ANewUseIsAddedOncePerRegistrationDayAndHalfHour) {
    setStands({standAt("A1", 0, 0, 20)});
    Stand& stand = g_stands[0];
    const std::uint64_t now = gf_packDaySlot(3, 30);
    EXPECT_FALSE(gf_updateSlotTable(stand, fallback, now, "KLM1", "", false)) << "no registration";
    ASSERT_TRUE(gf_updateSlotTable(stand, fallback, now, "KLM1234_", "PH-BXA", true));
    ASSERT_TRUE(gf_updateSlotTable(stand, fallback, now, "DLH4", "D-AIZZ", false));
    EXPECT_FALSE(gf_updateSlotTable(stand, fallback, now, "KLM1234", "PH-BXA", false)) << "the same half-hour";
    ASSERT_TRUE(gf_updateSlotTable(stand, fallback, gf_packDaySlot(4, 30), "KLM1234", "PH-BXA", false));
    ASSERT_EQ(stand.uses.size(), 3u);
    const StandUse& known = stand.uses[0];
    EXPECT_EQ(known.key, klm);
    EXPECT_EQ(known.regOnly, 1);
    EXPECT_EQ(known.callsign, "KLM1234");
    EXPECT_EQ(known.callsign2, "");
    EXPECT_EQ(known.hh, slots(30, 30));
    EXPECT_EQ(known.day, 3u);
    EXPECT_EQ(known.real, 1);
    EXPECT_EQ(known.fromAirportFile, 0);
    EXPECT_EQ(known.cpl, 1);
    EXPECT_EQ(known.active, 1);
    const StandUse& unknown = stand.uses[1];
    EXPECT_EQ(unknown.key, fallback);
    EXPECT_EQ(unknown.regOnly, 0);
    EXPECT_EQ(unknown.active, 2);
    EXPECT_EQ(stand.uses[2].active, 3);
    EXPECT_EQ(g_airportFileUpdates, 3);
    EXPECT_EQ(g_standChangeShown.load(), 3u);
    EXPECT_THROW(gf_updateSlotTable(stand, fallback, gf_packDaySlot(3, 48), "KLM1", "PH-BXA", false), std::out_of_range);
}

TEST_F(SlotLearning, HalfHoursAreTakenOldestFirstAndABadOneStopsTheSetting) {
    EXPECT_EQ(gf_lastHalfHours(gf_packDaySlot(2, 1), 3), (std::vector<std::uint32_t>{1, 0, 47}));
    EXPECT_EQ(gf_lastHalfHours(gf_packDaySlot(2, 25), 2), (std::vector<std::uint32_t>{25, 24}));

    setStands({standAt("A1", 0, 0, 20, {use(klm, "PH-BXA", 2, 0, 1)})});
    EXPECT_FALSE(updateOptions(g_stands[0].uses, {9, 48, 3}, 1));
    EXPECT_TRUE(logged("updateOptions exception:"));
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(3, 3)) << "set before the bad one";
    EXPECT_FALSE(updateOptions(g_stands[0].uses, {4}, 2)) << "no use 2";

    setStands({standAt("A1", 0, 0, 20, {use(klm, "PH-BXA", 1, 0, 1), use(klm, "PH-BXA", 2, 0, 2)})});
    EXPECT_FALSE(updateOptionsWrapped(g_stands[0], {1, 50, 46}, 1, 2));
    EXPECT_TRUE(logged("updateOptionsWrapped exception:"));
    EXPECT_FALSE(updateOptionsWrapped(g_stands[0], {1, 0}, 1, 3)) << "no new day's use";
}

TEST_F(SlotLearning, TheAirportsLearningExtendsAUseThroughTheEngine) {
    setStands({standAt("A1", 0, 0, 20)});
    LiveAc a(PosSample{}, parked(SizeCategory::Large, 0, "KLM1234"), 0.0);
    a.registration = "PH-BXA";
    for (const std::uint32_t slot : {20U, 25U, 33U}) {
        g_daySlot = gf_packDaySlot(2, slot);
        lf_addRealStandOption(1, a, 0);
    }
    const std::vector<StandUse>& uses = g_stands[0].uses;
    ASSERT_EQ(uses.size(), 2u) << "slot 33 is too far from 25 for a Large";
    EXPECT_EQ(uses[0].hh, slots(20, 25));
    EXPECT_EQ(uses[1].hh, slots(33, 33));
}
