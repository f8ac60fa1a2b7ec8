#include "airports/stand_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "airport_fixture.h"
#include "foundation/random.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

using namespace airports_test;

namespace {
AcBase aircraftOf(const ModelKey& k, double radiusM, std::string callsign = "KLM1234",
                  SizeCategory category = SizeCategory::Large) {
    AcBase a;
    a.modelKey = k;
    a.radiusNm = radiusM / 1852.0;
    a.callsign = std::move(callsign);
    a.sizeCategory = category;
    return a;
}

LiveAc liveOf(const ModelKey& k, std::string callsign, SizeCategory category) {
    return LiveAc(PosSample{}, aircraftOf(k, 18, std::move(callsign), category), 0.0);
}

// A static aircraft parked on the stand with the given state.
AcBase staticOn(const Stand& stand, const ModelKey& k, AcLifeState state = AcLifeState::active) {
    AcBase a = aircraftOf(k, 18, "STATIC1*");
    a.prevCallsign = "STATIC1";
    a.registration = "PH-ZZZ";
    a.standId = stand.standId;
    a.standLat = stand.latitude;
    a.standLon = stand.longitude;
    a.lifeState = state;
    return a;
}

struct StandSearch : AirportTest {
    ModelKey klm = key("KLM", "B738");
    ModelKey dlh = key("DLH", "A320");

    std::vector<StaticSlot> search(std::uint64_t daySlot, int realMode, int dayMode, std::uint32_t offset) {
        std::vector<StaticSlot> out;
        lf_searchStands(daySlot, realMode, dayMode, offset, out);
        return out;
    }
};
}  // namespace

TEST_F(StandSearch, TheStandNameAtAPositionIsTheNearestWithin55Metres) {
    setStands({standAt("FAR", 0, 54, 20), standAt("NEAR", 0, -30, 20)});
    const GeoPoint here = pointAt(0, 0);
    EXPECT_EQ(gf_standNameAt(here), "") << "not while the user is in the air";
    g_userOnGround = true;
    EXPECT_EQ(gf_standNameAt(here), "NEAR");
    EXPECT_EQ(gf_standNameAt(pointAt(0, 100)), "FAR");
    EXPECT_EQ(gf_standNameAt(pointAt(0, 110)), "") << "56 m from every stand";
    EXPECT_EQ(gf_standNameAt(here), "NEAR");
    // Asked again for the same position, the answer comes without a new walk.
    g_stands[1].name = "RENAMED";
    EXPECT_EQ(gf_standNameAt(here), "NEAR");
    EXPECT_EQ(gf_standNameAt(pointAt(0, 1)), "RENAMED");
    // A stand read since the last answer makes it stale.
    EXPECT_EQ(gf_standNameAt(pointAt(0, 300)), "");
    pugi::xml_document file;
    ASSERT_TRUE(file.load_string(("<parkpositions>" + parkposXml("NEW", 0, 300, 20) + "</parkpositions>").c_str()));
    lf_readStands(file);
    EXPECT_EQ(gf_standNameAt(pointAt(0, 300)), "NEW");
    // A new table forgets the answer.
    setStands({standAt("OTHER", 0, 10, 20)});
    EXPECT_EQ(gf_standNameAt(here), "OTHER");
    gf_clearStands();
    EXPECT_EQ(gf_standNameAt(here), "");
}

TEST_F(StandSearch, AnArrivalGetsTheNearestFreeStandThatFitsIt) {
    const double near = 55.0 / 1852.0;
    struct Case {
        const char* name;
        std::vector<Stand> stands;
        AcBase aircraft;
        double maxNm;
        bool secondChoice;
        const char* stand;  // nullptr: none
    } cases[] = {
        {"the nearest of two", {standAt("A", 0, 40, 20), standAt("B", 0, 10, 20)}, aircraftOf(klm, 18), near, false, "B"},
        {"an occupied stand is passed over", {standAt("A", 0, 40, 20), standAt("B", 0, 10, 20)}, aircraftOf(klm, 18),
         near, false, "A"},
        {"3 m too small and 25 m away", {standAt("A", 0, 25, 15)}, aircraftOf(klm, 18), near, false, nullptr},
        {"1.5 m too small is small enough", {standAt("A", 0, 50, 16.5)}, aircraftOf(klm, 18), near, false, "A"},
        {"nothing within reach", {standAt("A", 0, 60, 20)}, aircraftOf(klm, 18), near, false, nullptr},
        {"a helicopter needs a helicopter stand", {standAt("A", 0, 5, 20)},
         aircraftOf(klm, 6, "HELI1", SizeCategory::Rotorcraft), near, false, nullptr},
        {"a helicopter stand is for helicopters", {standAt("H", 0, 5, 20)}, aircraftOf(klm, 18), near, false, nullptr},
        {"a helicopter on its stand", {standAt("H", 0, 5, 20)}, aircraftOf(klm, 6, "HELI1", SizeCategory::Rotorcraft),
         near, false, "H"},
    };
    cases[1].stands[1].occupied = 1;
    cases[6].stands[0].heli = 1;
    cases[7].stands[0].heli = 1;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStands(c.stands);
        const Stand* found = gf_findStandNear(pointAt(0, 0), c.aircraft, c.maxNm, c.secondChoice);
        EXPECT_EQ(found ? found->name : "none", c.stand ? c.stand : "none");
        EXPECT_EQ(g_airportFileUpdates, 0);
    }
}

TEST_F(StandSearch, AStandTooSmallUnderTheArrivalIsEnlarged) {
    setStands({standAt("A", 0, 15, 15)});
    const AcBase aircraft = aircraftOf(klm, 18);
    ASSERT_EQ(gf_findStandNear(pointAt(0, 0), aircraft, 55.0 / 1852.0, false), &g_stands[0]);
    EXPECT_DOUBLE_EQ(g_stands[0].radius, 17.0 / 1852.0);
    EXPECT_EQ(g_stands[0].radiusChanged, 1);
    EXPECT_EQ(g_airportFileUpdates, 1);
    EXPECT_EQ(g_standUseUpdates.load(), 1u);
    EXPECT_EQ(g_standChangeShown.load(), 1u);
    // A nearer stand that fits wins over the one that would need enlarging.
    setStands({standAt("SMALL", 0, 10, 15), standAt("FITS", 0, 5, 20)});
    EXPECT_EQ(gf_findStandNear(pointAt(0, 0), aircraft, 55.0 / 1852.0, false)->name, "FITS");
    EXPECT_EQ(g_stands[0].radiusChanged, 0);
}

TEST_F(StandSearch, TheSecondChoiceIsAStandTheFlightOrItsTypeUsed) {
    const double narrow = 20.0 / 1852.0;
    const auto stands = [&](std::vector<StandUse> uses, double eastM = 60) {
        setStands({standAt("U", 0, eastM, 20, std::move(uses)), standAt("V", 0, 30, 20)});
    };
    struct Case {
        const char* name;
        std::vector<StandUse> uses;
        double eastM;
        bool flag;
        const char* stand;
    } cases[] = {
        {"its callsign", {use(dlh, "D-AIZA", 1, 1, 1, "KLM1234")}, 60, true, "U"},
        {"its second callsign", {use(dlh, "D-AIZA", 1, 1, 1, "DLH1", "KLM1234")}, 60, true, "U"},
        {"its aircraft", {use(klm, "PH-BXB", 1, 1, 1, "KLM9")}, 60, true, "U"},
        {"without the flag", {use(klm, "PH-BXB", 1, 1, 1, "KLM9")}, 60, false, nullptr},
        {"an inactive use", {use(klm, "PH-BXB", 1, 1, 0, "KLM9")}, 60, true, nullptr},
        {"another flight", {use(dlh, "D-AIZA", 1, 1, 1, "DLH1")}, 60, true, nullptr},
        {"beyond 85 m", {use(klm, "PH-BXB", 1, 1, 1, "KLM9")}, 90, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stands(c.uses, c.eastM);
        g_stands[1].occupied = 1;
        const Stand* found = gf_findStandNear(pointAt(0, 0), aircraftOf(klm, 18), narrow, c.flag);
        EXPECT_EQ(found ? found->name : "none", c.stand ? c.stand : "none");
    }
    // A soft use is no evidence.
    stands({use(klm, "PH-BXB", 1, 1, 1, "KLM9")});
    g_stands[0].uses[0].real = 0;
    g_stands[1].occupied = 1;
    EXPECT_EQ(gf_findStandNear(pointAt(0, 0), aircraftOf(klm, 18), narrow, true), nullptr);
    // Nor is anything for an aircraft without a callsign.
    stands({use(klm, "PH-BXB", 1, 1, 1, "KLM9")});
    g_stands[1].occupied = 1;
    EXPECT_EQ(gf_findStandNear(pointAt(0, 0), aircraftOf(klm, 18, ""), narrow, true), nullptr);
}

TEST_F(StandSearch, AFlightFindsItsLearnedUseAroundNow) {
    struct Case {
        const char* name;
        StandUse use;
        std::string callsign;
        SizeCategory category;
        std::uint64_t now;
        bool found;
    } cases[] = {
        {"a heavy at slot 2 looks up to slot 16", use(klm, "PH-BVA", 1, slots(16, 16), 1, "KLM601", "KLM602"), "KLM602",
         SizeCategory::Heavy, gf_packDaySlot(1, 2), true},
        {"but not to slot 17", use(klm, "PH-BVA", 1, slots(17, 17), 1, "KLM601", "KLM602"), "KLM602",
         SizeCategory::Heavy, gf_packDaySlot(1, 2), false},
        {"a heavy looks 14 back", use(klm, "PH-BVA", 1, slots(26, 26), 1, "KLM601", "KLM602"), "KLM602",
         SizeCategory::Heavy, gf_packDaySlot(1, 40), true},
        {"but not 15", use(klm, "PH-BVA", 1, slots(25, 25), 1, "KLM601", "KLM602"), "KLM602", SizeCategory::Heavy,
         gf_packDaySlot(1, 40), false},
        {"others look 10 half-hours ahead", use(klm, "PH-BXA", 1, slots(12, 12), 1, "KLM601", "KLM602"), "KLM601",
         SizeCategory::Large, gf_packDaySlot(1, 2), true},
        {"but not 11", use(klm, "PH-BXA", 1, slots(13, 13), 1, "KLM601", "KLM602"), "KLM601", SizeCategory::Large,
         gf_packDaySlot(1, 2), false},
        {"and back", use(klm, "PH-BXA", 1, slots(30, 30), 1, "KLM601", "KLM602"), "KLM601", SizeCategory::Large,
         gf_packDaySlot(1, 40), true},
        {"but not 11 back", use(klm, "PH-BXA", 1, slots(29, 29), 1, "KLM601", "KLM602"), "KLM601", SizeCategory::Large,
         gf_packDaySlot(1, 40), false},
        {"a trailing underscore is dropped", use(klm, "PH-BXA", 1, slots(3, 3), 1, "ABC123", "ABC124"), "ABC123_",
         SizeCategory::Large, gf_packDaySlot(1, 2), true},
        {"only uses with a second callsign", use(klm, "PH-BXA", 1, slots(3, 3), 1, "KLM601"), "KLM601",
         SizeCategory::Large, gf_packDaySlot(1, 2), false},
        {"only today's", use(klm, "PH-BXA", 2, slots(3, 3), 1, "KLM601", "KLM602"), "KLM601", SizeCategory::Large,
         gf_packDaySlot(1, 2), false},
        {"only its airline's", use(dlh, "D-AIZA", 1, slots(3, 3), 1, "KLM601", "KLM602"), "KLM601",
         SizeCategory::Large, gf_packDaySlot(1, 2), false},
        {"only active ones", use(klm, "PH-BXA", 1, slots(3, 3), 0, "KLM601", "KLM602"), "KLM601",
         SizeCategory::Large, gf_packDaySlot(1, 2), false},
        {"an empty callsign finds nothing", use(klm, "PH-BXA", 1, slots(3, 3), 1, "", "KLM602"), "_",
         SizeCategory::Large, gf_packDaySlot(1, 2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStands({standAt("A", 0, 0, 20), standAt("B", 0, 60, 20, {c.use})});
        LiveAc aircraft = liveOf(klm, c.callsign, c.category);
        gf_findStandUseForFlight(c.now, aircraft);
        EXPECT_EQ(aircraft.prevCallsign, c.found ? c.use.callsign : "");
        EXPECT_EQ(aircraft.spareText, c.found ? c.use.callsign2 : "");
    }
}

TEST_F(StandSearch, AnAircraftUsedItsStandTodayOrLateYesterday) {
    const auto stands = [&](std::vector<StandUse> uses) { setStands({standAt("A", 0, 0, 20, std::move(uses))}); };
    AcBase aircraft = aircraftOf(klm, 18);
    aircraft.registration = "PH-BXA";
    g_maxFitHalfHours = {4, -1};
    struct Case {
        const char* name;
        std::vector<StandUse> uses;
        std::uint64_t now;
        bool used;
    } cases[] = {
        {"today within the fit", {use(klm, "PH-BXA", 3, slots(6, 6), 0)}, gf_packDaySlot(3, 10), true},
        {"today before the fit", {use(klm, "PH-BXA", 3, slots(5, 5), 1)}, gf_packDaySlot(3, 10), false},
        {"another registration", {use(klm, "PH-BXB", 3, slots(8, 8), 1)}, gf_packDaySlot(3, 10), false},
        {"another aircraft", {use(dlh, "PH-BXA", 3, slots(8, 8), 1)}, gf_packDaySlot(3, 10), false},
        {"late yesterday", {use(klm, "PH-BXA", 3, slots(5, 5), 1), use(klm, "PH-BXA", 2, slots(46, 46), 2)},
         gf_packDaySlot(3, 1), true},
        {"too early yesterday", {use(klm, "PH-BXA", 3, slots(5, 5), 1), use(klm, "PH-BXA", 2, slots(43, 43), 2)},
         gf_packDaySlot(3, 1), false},
        {"yesterday only counts with a use today", {use(klm, "PH-BXA", 2, slots(47, 47), 1)}, gf_packDaySlot(3, 1),
         false},
        {"Monday's yesterday is Sunday", {use(klm, "PH-BXA", 1, slots(9, 9), 1), use(klm, "PH-BXA", 7, slots(47, 47), 2)},
         gf_packDaySlot(1, 0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stands(c.uses);
        EXPECT_EQ(gf_usedStandOvernight(c.now, 1, aircraft), c.used);
    }
    EXPECT_FALSE(gf_usedStandOvernight(gf_packDaySlot(3, 10), 0, aircraft));
    EXPECT_FALSE(gf_usedStandOvernight(gf_packDaySlot(3, 10), 2, aircraft));
}

TEST_F(StandSearch, TheScheduleSearchLooksBackAcrossMidnight) {
    setStands({standAt("SUN", 0, 0, 20, {use(klm, "PH-BXA", 7, slots(46, 46), 1, "KLM1")}),
               standAt("MON", 0, 100, 20, {use(klm, "PH-BXB", 1, slots(46, 46), 1, "KLM2")})});
    // Slot 3 with offset 5 is slot 46 of the day before; on Monday that is Sunday.
    const auto out = search(gf_packDaySlot(1, 3), 1, 1, 5);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].standId, 1u);
    EXPECT_EQ(out[0].offset, 5u);
    EXPECT_EQ(out[0].reg, "PH-BXA");
    EXPECT_EQ(g_stands[0].taken, 1);
    EXPECT_EQ(g_stands[1].taken, 0);
    // Any day: the Monday use fits as well.
    gf_clearStands();
    setStands({standAt("MON", 0, 100, 20, {use(klm, "PH-BXB", 1, slots(46, 46), 1, "KLM2")})});
    EXPECT_EQ(search(gf_packDaySlot(1, 3), 1, 0, 5).size(), 1u);
}

TEST_F(StandSearch, EachStandGivesItsFirstFittingUnusedUse) {
    RANDOM.value = false;
    std::vector<StandUse> uses = {use(klm, "PH-BXA", 1, slots(30, 31), 1, "KLM1", "KLM2"),
                                  use(klm, "PH-BXB", 1, slots(10, 12), 2, "KLM3", "KLM4"),
                                  use(dlh, "D-AIZA", 1, slots(9, 12), 3, "DLH1", "DLH2")};
    Stand a = standAt("A", 0, 0, 20, uses);
    Stand b = standAt("B", 0, 45, 20);
    a.adjacentIds = {2};
    setStands({a, b});
    const auto out = search(gf_packDaySlot(1, 10), 1, 1, 0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].reg, "PH-BXB");
    EXPECT_EQ(out[0].callsign, "KLM3");
    EXPECT_EQ(out[0].callsign2, "KLM4");
    EXPECT_EQ(out[0].key, klm);
    EXPECT_EQ(out[0].staysNext, 1) << "slot 11 is used too";
    EXPECT_EQ(g_stands[0].taken, 1);
    EXPECT_EQ(g_stands[1].adjacentTaken, 1);
    // Taken now: the stand gives nothing more.
    EXPECT_TRUE(search(gf_packDaySlot(1, 10), 1, 1, 0).empty());

    // A use whose aircraft is scheduled already is consumed, and its stand gives nothing this time.
    setStands({standAt("A", 0, 0, 20, uses)});
    g_staticSlots.push_back(StaticSlot{9, 0, klm, "", "", "PH-BXB", 0});
    EXPECT_TRUE(search(gf_packDaySlot(1, 10), 1, 1, 0).empty());
    EXPECT_EQ(g_stands[0].uses[1].consumed, 1);
    EXPECT_EQ(g_stands[0].uses[1].active, 2) << "its number stays, so it is still saved";
    EXPECT_EQ(g_stands[0].taken, 0);
    const auto next = search(gf_packDaySlot(1, 10), 1, 1, 0);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].reg, "D-AIZA");
}

TEST_F(StandSearch, OneSearchSchedulesAnAircraftOnce) {
    RANDOM.value = false;
    const StandUse first = use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1");
    struct Case {
        const char* name;
        StandUse second;
        std::vector<std::string> regs;  // of the records, in stand order
    } cases[] = {
        {"the same aircraft and flight", use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1"), {"PH-BXA"}},
        {"the same registration", use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM7"), {"PH-BXA"}},
        {"the same flight", use(klm, "PH-BXB", 1, slots(10, 10), 1, "KLM1"), {"PH-BXA"}},
        {"the flight as its second callsign", use(klm, "PH-BXB", 1, slots(10, 10), 1, "KLM0", "KLM1"), {"PH-BXA"}},
        {"another aircraft", use(klm, "PH-BXB", 1, slots(10, 10), 1, "KLM2"), {"PH-BXA", "PH-BXB"}},
        {"another without registration", use(klm, "", 1, slots(10, 10), 1, "KLM2"), {"PH-BXA", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStands({standAt("A", 0, 0, 20, {first}), standAt("B", 0, 100, 20, {c.second})});
        std::vector<std::string> regs;
        for (const StaticSlot& record : search(gf_packDaySlot(1, 10), 1, 1, 0)) regs.push_back(record.reg);
        EXPECT_EQ(regs, c.regs);
        // The second stand's use is consumed like one whose aircraft is scheduled already.
        EXPECT_EQ(g_stands[1].uses[0].consumed, c.regs.size() == 1 ? 1 : 0);
        EXPECT_EQ(g_stands[1].taken, c.regs.size() == 1 ? 0 : 1);
    }
    // Uses that name no aircraft do not take each other.
    setStands({standAt("A", 0, 0, 20, {use(klm, "", 1, slots(10, 10), 1)}),
               standAt("B", 0, 100, 20, {use(klm, "", 1, slots(10, 10), 1)})});
    EXPECT_EQ(search(gf_packDaySlot(1, 10), 1, 1, 0).size(), 2u);
}

TEST_F(StandSearch, UsesAreFilteredByKindAndPlace) {
    RANDOM.value = false;
    StandUse soft = use(klm, "PH-BXS", 1, slots(10, 10), 1, "KLM5");
    soft.real = 0;
    const StandUse real = use(klm, "PH-BXR", 1, slots(10, 10), 2, "KLM6");
    struct Case {
        const char* name;
        int realMode;
        bool heli, excluded, adjacentTaken, helicopters;
        const char* reg;  // nullptr: no record
    } cases[] = {
        {"real mode takes real uses", 1, false, false, false, true, "PH-BXR"},
        {"soft mode takes soft uses", 0, false, false, false, true, "PH-BXS"},
        {"any other mode takes both", 2, false, false, false, true, "PH-BXS"},
        {"a reserved stand is passed over", 1, false, true, false, true, nullptr},
        {"a stand next to a taken one is passed over", 1, false, false, true, true, nullptr},
        {"a helicopter stand with HELICOPTERS on", 1, true, false, false, true, "PH-BXR"},
        {"a helicopter stand with HELICOPTERS off", 1, true, false, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stand s = standAt("A", 0, 0, 20, {soft, real});
        s.heli = c.heli;
        s.excluded = c.excluded;
        s.adjacentTaken = c.adjacentTaken;
        HELICOPTERS.value = c.helicopters;
        setStands({s});
        const auto out = search(gf_packDaySlot(1, 10), c.realMode, 1, 0);
        ASSERT_EQ(out.size(), c.reg ? 1u : 0u);
        if (c.reg) {
            EXPECT_EQ(out[0].reg, c.reg);
        }
    }
}

TEST_F(StandSearch, AParkedNeighbourBlocksAUseWhoseWingsWouldTouchIt) {
    lf_fillWingspan("B77W", 32.4 / 1852.0);
    lf_fillWingspan("B738", 17.9 / 1852.0);
    const ModelKey heavy = key("KLM", "B77W");
    for (const auto& [neighbourKey, state, blocked] :
         {std::tuple{heavy, AcLifeState::active, true}, {heavy, AcLifeState::buffer, false}, {klm, AcLifeState::active, false}}) {
        Stand a = standAt("A", 0, 0, 20, {use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1")});
        Stand b = standAt("B", 0, 45, 30);
        a.adjacentIds = {2};
        setStands({a, b});
        g_staticAcs = {staticOn(g_stands[1], neighbourKey, state)};
        // 17.9 + 32.4 = 50.3 m of wings on 45 m; 17.9 + 17.9 fit.
        EXPECT_EQ(search(gf_packDaySlot(1, 10), 1, 1, 0).empty(), blocked);
    }
}

TEST_F(StandSearch, WhetherAnAircraftStaysIntoTheNextHalfHour) {
    struct Case {
        const char* name;
        std::vector<StandUse> uses;
        std::uint64_t now;
        std::uint8_t staysNext;
    } cases[] = {
        {"no second callsign: it stays", {use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1")}, gf_packDaySlot(1, 10), 1},
        {"its last half-hour", {use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1", "KLM2")}, gf_packDaySlot(1, 10), 0},
        {"slot 46 looks at its own slot 47", {use(klm, "PH-BXA", 1, slots(46, 47), 1, "KLM1", "KLM2")},
         gf_packDaySlot(1, 46), 1},
        {"and not at the next day",
         {use(klm, "PH-BXA", 1, slots(46, 46), 1, "KLM1", "KLM2"), use(klm, "PH-BXA", 2, slots(0, 3), 2, "KLM1", "KLM2")},
         gf_packDaySlot(1, 46), 0},
        {"slot 47 looks at Monday's slot 0 on Sunday",
         {use(klm, "PH-BXA", 7, slots(47, 47), 1, "KLM1", "KLM2"), use(klm, "PH-BXA", 1, slots(0, 3), 2, "KLM1", "KLM2")},
         gf_packDaySlot(7, 47), 1},
        {"Monday's use must start at slot 0",
         {use(klm, "PH-BXA", 7, slots(47, 47), 1, "KLM1", "KLM2"), use(klm, "PH-BXA", 1, slots(1, 3), 2, "KLM1", "KLM2")},
         gf_packDaySlot(7, 47), 0},
        {"and be of the same aircraft",
         {use(klm, "PH-BXA", 7, slots(47, 47), 1, "KLM1", "KLM2"), use(dlh, "D-AIZA", 1, slots(0, 3), 2, "D1", "D2")},
         gf_packDaySlot(7, 47), 0},
    };
    RANDOM.value = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStands({standAt("A", 0, 0, 20, c.uses)});
        const auto out = search(c.now, 1, 1, 0);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].staysNext, c.staysNext);
    }
}

TEST_F(StandSearch, TheStaticOnAStandKeepsItsUseFirstWhenChoicesAreRandom) {
    RANDOM.value = true;
    gf_seedRng(7);
    std::vector<StandUse> uses;
    for (int i = 1; i <= 6; ++i)
        uses.push_back(use(klm, "PH-BX" + std::string(1, static_cast<char>('A' + i)), 1, slots(10, 10), i,
                           "KLM" + std::to_string(i)));
    setStands({standAt("A", 0, 0, 20, uses)});
    AcBase parked = staticOn(g_stands[0], klm, AcLifeState::buffer);
    parked.callsign = "KLM4*";
    g_staticAcs = {parked};
    std::vector<std::int32_t> candidates = {1, 2, 3, 4, 5, 6};
    lf_orderCandidates(candidates, g_stands[0]);
    EXPECT_EQ(candidates.front(), 4);
    // Without such a static the order is shuffled, a permutation of the candidates.
    g_staticAcs.clear();
    std::vector<std::int32_t> shuffled = {1, 2, 3, 4, 5, 6};
    bool moved = false;
    for (int round = 0; round < 5 && !moved; ++round) {
        lf_orderCandidates(shuffled, g_stands[0]);
        moved = shuffled != std::vector<std::int32_t>{1, 2, 3, 4, 5, 6};
    }
    EXPECT_TRUE(moved);
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    // With RANDOM off nothing moves.
    RANDOM.value = false;
    std::vector<std::int32_t> fixed = {3, 1, 2};
    lf_orderCandidates(fixed, g_stands[0]);
    EXPECT_EQ(fixed, (std::vector<std::int32_t>{3, 1, 2}));
}

TEST_F(StandSearch, AUseIsTakenWhenItsAircraftIsAlreadyThere) {
    const StandUse u = use(klm, "PH-BXA", 1, slots(10, 10), 1, "KLM1", "KLM2");
    const StandUse noCallsigns = use(klm, "PH-BXC", 1, slots(10, 10), 1);
    AcBase parked = aircraftOf(klm, 18, "KLM9*");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const StandUse& use;
        bool taken;
    } cases[] = {
        {"nothing there", [] {}, u, false},
        {"its registration scheduled", [&] { g_staticSlots.push_back({1, 0, klm, "X", "Y", "PH-BXA", 0}); }, u, true},
        {"its callsign collected", [&] { g_staticCallsigns.set.insert("KLM1"); }, u, true},
        {"its second callsign collected with an underscore", [&] { g_staticCallsigns.set.insert("KLM2_"); }, u, true},
        {"a static flying its flight", [&] {
             parked.prevCallsign = "KLM2";
             g_staticAcs = {parked};
         }, u, true},
        {"a static with its registration", [&] {
             parked.registration = "PH-BXA";
             g_staticAcs = {parked};
         }, u, true},
        {"a schedule record with its callsign", [&] { g_staticSlots.push_back({1, 0, klm, "KLM2", "", "X", 0}); }, u,
         true},
        {"its callsign in the collected list", [&] { g_staticCallsigns.texts = {"KLM1"}; }, u, true},
        {"a use without callsigns and a static without a flight", [&] {
             parked.prevCallsign = "";
             parked.registration = "PH-OTHER";
             g_staticAcs = {parked};
         }, noCallsigns, true},
        {"a use without callsigns and a static with a flight", [&] {
             parked.prevCallsign = "KLM7";
             parked.registration = "PH-OTHER";
             g_staticAcs = {parked};
         }, noCallsigns, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_staticSlots.clear();
        g_staticAcs.clear();
        g_staticCallsigns = StaticCallsigns{};
        parked = aircraftOf(klm, 18, "KLM9*");
        parked.prevCallsign = "KLM9";
        parked.registration = "PH-BXZ";
        c.arrange();
        EXPECT_EQ(lf_isUseTaken(c.use), c.taken);
        const StandSearchIndex index;
        EXPECT_EQ(lf_isUseTaken(c.use), c.taken) << "answered from the index";
    }
    // The index follows the schedule as it grows and shrinks.
    g_staticSlots.clear();
    g_staticAcs.clear();
    g_staticCallsigns = StaticCallsigns{};
    const StandSearchIndex index;
    EXPECT_FALSE(lf_isUseTaken(u));
    g_staticSlots.push_back({1, 0, klm, "X", "Y", "PH-BXA", 0});
    EXPECT_TRUE(lf_isUseTaken(u));
    g_staticSlots.clear();
    g_staticSlots.push_back({1, 0, klm, "X", "Y", "PH-BXB", 0});
    EXPECT_FALSE(lf_isUseTaken(u));
}

TEST_F(StandSearch, TheIndexPassesOverAStandOnlyWhenNoneOfItsUsesWouldBeAsked) {
    StandUse soft = use(dlh, "D-AIZB", 2, slots(20, 30), 2, "DLH2");
    soft.real = 0;
    StandUse consumed = use(klm, "PH-BXC", 2, slots(0, 47), 4, "KLM3");
    consumed.consumed = 1;
    setStands({standAt("A1", 0, 0, 20,
                       {use(klm, "PH-BXA", 2, slots(10, 14), 1, "KLM1"), soft, use(klm, "PH-BXB", 5, slots(40, 47), 3),
                        consumed, use(klm, "PH-BXD", 9, slots(5, 5), 5)})});
    Stand& stand = g_stands[0];
    StandSearchIndex index;
    // Every widening step of every kind: the stand is passed over exactly
    // when the search would find no use on it (for a weekday; days past 7,
    // which no clock gives, may be searched in vain).
    const auto agrees = [&] {
        for (const int realMode : {0, 1, 2})
            for (const int dayMode : {0, 1})
                for (const std::uint32_t day : {1U, 2U, 5U, 9U, 12U})
                    for (std::uint32_t slot = 0; slot < 48; ++slot) {
                        const bool wanted = std::any_of(stand.uses.begin(), stand.uses.end(), [&](const StandUse& u) {
                            return lf_searchStandsStep(u, realMode, dayMode, day, slot, stand);
                        });
                        const bool offered = index.mayOffer(stand, realMode, dayMode, day, slot);
                        if (offered != wanted && (wanted || day <= 7))
                            return ::testing::AssertionFailure() << "kind " << realMode << ", day mode " << dayMode
                                                                  << ", day " << day << ", slot " << slot;
                    }
        return ::testing::AssertionSuccess();
    };
    EXPECT_TRUE(index.mayOffer(stand, 1, 1, 3, 0)) << "a stand seen first is searched, not summed";
    EXPECT_TRUE(agrees());
    stand.uses[0].consumed = 1;
    index.noteConsumed(stand);
    EXPECT_TRUE(agrees()) << "after a use was consumed";
}

TEST_F(StandSearch, TheParkedCountAndTheirMeanTime) {
    g_daySlot = gf_packDaySlot(3, 20);
    const Stand stand = standAt("A", 0, 0, 20);
    const auto parkedAt = [&](std::uint32_t day, std::uint32_t slot, AcLifeState state = AcLifeState::active) {
        AcBase a = staticOn(stand, klm, state);
        a.parkedAt = gf_packDaySlot(day, slot);
        return a;
    };
    g_staticAcs = {parkedAt(3, 20), parkedAt(3, 14, AcLifeState::removingfromsim), parkedAt(2, 44),
                   parkedAt(3, 10, AcLifeState::adding2sim), parkedAt(7, 40)};
    EXPECT_EQ(gf_countParkedInWeek(false), 4u);
    EXPECT_EQ(g_meanParkedHours.load(), -1.0F);
    // 0 + 6 + 24 half-hours (the aircraft parked late last week adds none) over 4: 30 / 8 + 0.5.
    EXPECT_EQ(gf_countParkedInWeek(true), 4u);
    EXPECT_FLOAT_EQ(g_meanParkedHours.load(), 4.25F);
    // Not while the static parking builds its figures.
    g_staticCallsigns.building = true;
    g_staticAcs.pop_back();
    EXPECT_EQ(gf_countParkedInWeek(true), 3u);
    EXPECT_FLOAT_EQ(g_meanParkedHours.load(), 4.25F);
    g_staticCallsigns.building = false;
    g_staticAcs.clear();
    EXPECT_EQ(gf_countParkedInWeek(true), 0u);
    EXPECT_EQ(g_meanParkedHours.load(), 0.0F);
}
