#include "traffic/static_decision.h"

#include <gtest/gtest.h>

#include "refdata/code_tables.h"
#include "static_fixture.h"

using namespace static_test;

namespace {
struct StaticDecision : StaticTest {
    ModelKey klm = key("KLM", "B738");

    StaticDecision() {
        // A1 .. A4 in a row, each a neighbour of the next.
        std::vector<Stand> stands;
        for (int k = 0; k < 4; ++k) stands.push_back(standAt(("A" + std::to_string(k + 1)).c_str(), 0, 40.0 * k, 20));
        setStands(std::move(stands));
        for (int k = 0; k < 4; ++k) {
            if (k > 0) g_stands[k].adjacentIds.push_back(k);
            if (k < 3) g_stands[k].adjacentIds.push_back(k + 2);
        }
        g_stands[1].heading = 1.5 * kPi;
        g_stands[1].cargo = 1;
        g_daySlot = gf_packDaySlot(3, 20);
    }
    static constexpr double kPi = 3.141592653589793;

    void schedule(std::uint32_t standId, std::string first, std::string second = {}, std::uint8_t staysNext = 1,
                  std::uint32_t fit = 0, ModelKey k = {}) {
        g_staticSlots.push_back(StaticSlot{standId, fit, k.modelId != 0 ? k : klm, std::move(first), std::move(second),
                                           "PH-BXA", staysNext});
    }
};
}  // namespace

TEST_F(StaticDecision, AStaticAircraftIsCreatedOnItsStand) {
    schedule(2, "KLM1234", "KLM1235", 1, 3);
    lf_detcs();
    EXPECT_TRUE(g_staticSlots.empty());
    ASSERT_EQ(g_staticAcs.size(), 1u);
    const AcBase& parked = g_staticAcs[0];
    EXPECT_EQ(parked.callsign, "KLM1234*");
    EXPECT_EQ(parked.prevCallsign, "KLM1234");
    EXPECT_EQ(parked.spareText, "KLM1235");
    EXPECT_EQ(parked.registration, "PH-BXA");
    EXPECT_EQ(parked.hexId, 1u);
    EXPECT_EQ(parked.standId, 2);
    EXPECT_EQ(parked.standCargo, 1);
    EXPECT_EQ(parked.lifeState, AcLifeState::adding2sim);
    EXPECT_EQ(parked.sizeCategory, SizeCategory::Large);
    EXPECT_DOUBLE_EQ(parked.radiusNm, 35.8 * 0.5 / 1852);
    EXPECT_EQ(parked.parkedAt, gf_packDaySlot(3, 17)) << "now less the fit level";
    EXPECT_EQ(parked.liveryTitle, "Boeing 737-800 KLM");
    ASSERT_EQ(g_staticCreateQueue.size(), 1u);
    const SpawnRequest& request = g_staticCreateQueue.front();
    EXPECT_EQ(request.callsign, "KLM1234*");
    EXPECT_EQ(request.hexId, 1u);
    EXPECT_EQ(request.liveryTitle, "Boeing 737-800 KLM");
    EXPECT_DOUBLE_EQ(request.position.lat, g_stands[1].latitude);
    EXPECT_DOUBLE_EQ(request.position.lon, g_stands[1].longitude);
    EXPECT_EQ(request.position.altitudeFt, 0.0);
    EXPECT_NEAR(request.position.headingDeg, 270.0, 1e-9);
    EXPECT_EQ(request.position.onGround, 1u);

    // A full turn is north: the simulator takes headings below 360.
    g_stands[2].heading = 2 * kPi;
    schedule(4, "KLM77");
    schedule(3, "KLM55");
    g_staticAcs.clear();
    g_staticCreateQueue.clear();
    lf_detcs();
    ASSERT_EQ(g_staticCreateQueue.size(), 1u);
    EXPECT_EQ(g_staticCreateQueue.front().position.headingDeg, 0.0);
}

TEST_F(StaticDecision, TheCallsignFollowsTheFlightItShows) {
    struct Case {
        const char* first;
        const char* second;
        std::uint8_t staysNext;
        const char* callsign;
    } cases[] = {
        {"KLM1234", "KLM1235", 1, "KLM1234*"},  // stays beyond this half-hour: arrived as
        {"KLM1234", "KLM1235", 0, "KLM1235*"},  // leaves: leaves as
        {"KLM1234", "", 0, "KLM1234*"},
        {"ABC12__", "", 1, "ABC12*"},
        {"ABC12*", "", 1, "ABC12*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.callsign);
        g_staticAcs.clear();
        schedule(1, c.first, c.second, c.staysNext);
        lf_detcs();
        ASSERT_EQ(g_staticAcs.size(), 1u);
        EXPECT_EQ(g_staticAcs[0].callsign, c.callsign);
    }
    // Without a callsign: the airline's code, the static number and "*".
    g_staticAcs.clear();
    for (int k = 0; gf_airlineCodeText(7).empty(); ++k) gf_airlineId("Q" + std::to_string(10 + k));
    g_staticNumber = 41;
    schedule(1, "", "", 1, 0, ModelKey{7, 0, gf_modelId("B738"), 0, 0});
    lf_detcs();
    ASSERT_EQ(g_staticAcs.size(), 1u);
    EXPECT_EQ(g_staticAcs[0].callsign, std::string(gf_airlineCodeText(7)) + "42*");
    EXPECT_EQ(g_staticAcs[0].prevCallsign, "");
}

TEST_F(StaticDecision, StaticNumbersRunFrom1To9999AndSkip0) {
    g_staticNumber = 9998;
    for (const std::uint32_t expected : {9999U, 1U, 2U}) {
        g_staticAcs.clear();
        schedule(1, "KLM1");
        lf_detcs();
        ASSERT_EQ(g_staticAcs.size(), 1u);
        EXPECT_EQ(g_staticAcs[0].hexId, expected);
        EXPECT_EQ(g_staticCreateQueue.back().hexId, expected);
    }
}

TEST_F(StaticDecision, AircraftOnTheStandOrNextToItKeepTheStaticAway) {
    struct Case {
        const char* name;
        std::function<void(StaticDecision&)> setUp;
        const char* line;  // nullptr: the static aircraft is created
    } cases[] = {
        {"a live aircraft parked on the stand",
         [](StaticDecision& t) { t.addLiveParked(g_stands[1], t.klm, "DLH4AB", "D-AIZA"); },
         "A2      : no static parking for KLM1234, live aircraft DLH4AB standing here"},
        {"a live aircraft parking next to it",
         [](StaticDecision& t) { t.addLiveParked(g_stands[2], t.klm, "DLH4AB", "D-AIZA").phase = AcPhase::parking; },
         "A2      : no static parking for KLM1234, live aircraft DLH4AB is adjacent at A3, possibly colliding"},
        {"a live aircraft taxiing past", [](StaticDecision& t) {
             t.addLiveParked(g_stands[1], t.klm, "DLH4AB", "D-AIZA").phase = AcPhase::taxi;
         }, nullptr},
        {"a live aircraft parked two stands away",
         [](StaticDecision& t) { t.addLiveParked(g_stands[3], t.klm, "DLH4AB", "D-AIZA"); }, nullptr},
        {"a static aircraft next to it",
         [](StaticDecision& t) { addStatic(g_stands[0], t.klm, "KLM9", "", "PH-BXZ", 0); },
         "A2      : no static parking for KLM1234, static aircraft KLM9* is adjacent at A1, possibly colliding"},
        {"a static aircraft on the stand",
         [](StaticDecision& t) { addStatic(g_stands[1], t.klm, "KLM9", "", "PH-BXZ", 0, AcLifeState::adding2sim); },
         "A2      : no static parking for KLM1234, static aircraft KLM9* is adjacent at A2, possibly colliding"},
        {"a static aircraft on the stand that is being removed",
         [](StaticDecision& t) { addStatic(g_stands[1], t.klm, "KLM9", "", "PH-BXZ", 0, AcLifeState::removingfromsim); },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_staticAcs.clear();
        g_staticCreateQueue.clear();
        c.setUp(*this);
        const std::size_t before = g_staticAcs.size();
        schedule(2, "KLM1234");
        lf_detcs();
        EXPECT_TRUE(g_staticSlots.empty()) << "the record is used up either way";
        if (c.line != nullptr) {
            EXPECT_TRUE(logged(c.line));
            EXPECT_EQ(g_staticAcs.size(), before);
            EXPECT_TRUE(g_staticCreateQueue.empty());
        } else {
            EXPECT_EQ(g_staticAcs.size(), before + 1);
            EXPECT_EQ(g_staticCreateQueue.size(), 1u);
        }
    }
}

TEST_F(StaticDecision, WithoutAStandOrALiveryNothingIsCreated) {
    schedule(9, "KLM1234");
    lf_detcs();
    EXPECT_TRUE(logged("stand with id sid==? not found"));
    const ModelKey unknownModel{gf_airlineId("KLM"), 0, gf_modelId("E190"), 0, 0};
    schedule(1, "KLM1234", "", 1, 0, unknownModel);
    lf_detcs();
    EXPECT_TRUE(g_staticAcs.empty()) << "no livery for it: taken off again";
    EXPECT_TRUE(g_staticCreateQueue.empty());
    EXPECT_TRUE(g_staticSlots.empty());
    // An empty stand table leaves the schedule alone.
    schedule(1, "KLM1234");
    gf_clearStands();
    lf_detcs();
    EXPECT_EQ(g_staticSlots.size(), 1u);
}

TEST_F(StaticDecision, TheParkedTimeGoesBackOverMidnight) {
    g_daySlot = gf_packDaySlot(1, 1);
    schedule(1, "KLM1234", "", 1, 3);
    lf_detcs();
    ASSERT_EQ(g_staticAcs.size(), 1u);
    EXPECT_EQ(g_staticAcs[0].parkedAt, gf_packDaySlot(7, 46)) << "Monday 01:00 less 1.5 hours is Sunday";
}
