#include "traffic/path_refill.h"

#include <gtest/gtest.h>

#include "traffic/motion_fixture.h"

using namespace motion_test;

using PathExtension = MotionTest;

namespace {
constexpr double kLat = 52.0;
constexpr double kLon = 4.0;
}  // namespace

// On the ground a run-dry stream is extended 3 s at a time: at take-off
// speeds up the ladder, on the roll-out down it; otherwise it stands.
// A take-off run whose last report left the ground climbs on; one whose
// stream ends on the ground is given up and rolls out as after a landing.
TEST_F(PathExtension, GroundLadders) {
    struct Case {
        const char* name;
        bool takeOffSeen, landed;
        double speed;
        double wantSpeed;
        double wantVs;
        bool givenUp = false;  // a take-off seen, its last report on the ground
    };
    const Case cases[] = {
        {"take-off 100, its stream ending on the ground", true, false, 100, 80, 0, true},
        {"take-off 30, its stream ending on the ground", true, false, 30, 20, 0, true},
        {"take-off 30", true, false, 30, 40, 0},     {"take-off 31", true, false, 31, 80, 0},
        {"take-off 60", true, false, 60, 80, 0},     {"take-off 100", true, false, 100, 110, 0},
        {"take-off 140", true, false, 140, 150, 600}, {"take-off 160", true, false, 160, 170, 1200},
        {"take-off 161", true, false, 161, 180, 2400}, {"roll-out 140", false, true, 140, 100, 0},
        {"roll-out 139", false, true, 139, 80, 0},    {"roll-out 100", false, true, 100, 80, 0},
        {"roll-out 80", false, true, 80, 60, 0},      {"roll-out 60", false, true, 60, 30, 0},
        {"roll-out 59", false, true, 59, 20, 0},      {"taxi stops", false, false, 15, 0, 0},
    };
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, c.speed, 0, 1000)}, 90.0);
        ac.takeOffSeen = c.takeOffSeen ? 1 : 0;
        ac.landed = c.landed ? 1 : 0;
        // Its last report flagged airborne, still at the ground's height.
        if (c.takeOffSeen && !c.givenUp) ac.samples.front().airborne = 1;
        lf_extendPath(ac, 10);
        ASSERT_EQ(ac.samples.size(), 2u);
        EXPECT_EQ(ac.takeOffSeen, c.takeOffSeen && !c.givenUp ? 1 : 0) << c.name;
        EXPECT_EQ(ac.landed, c.landed || c.givenUp ? 1 : 0) << c.name;
        const PosSample& copy = ac.samples.back();
        EXPECT_EQ(copy.groundSpeedKt, c.wantSpeed) << c.name;
        EXPECT_EQ(copy.verticalSpeed, c.wantVs) << c.name;
        EXPECT_EQ(copy.dueTick, 1300) << c.name;
        EXPECT_EQ(copy.stationary, c.wantSpeed == 0.0 ? 1 : 0) << c.name;
        EXPECT_NEAR(gf_distanceNm({kLat, kLon}, {copy.lat, copy.lon}), c.wantSpeed * 3 / 3600, 1e-9) << c.name;
        EXPECT_EQ(ac.refillState, 10);
    }
}

TEST_F(PathExtension, InTheAirOnApproachAndInTakeOff) {
    struct Case {
        const char* name;
        AcPhase phase;
        bool approach;
        int steps;
        double speed;
        double wantSpeed, wantAltitude, wantVs;
    };
    const Case cases[] = {
        {"cruise", AcPhase::flying, false, 8, 200, 190, 3000, -100},
        {"cruise at 1 kt", AcPhase::flying, false, 8, 1, 1, 3000, -100},
        {"approach, early steps", AcPhase::flying, true, 4, 200, 180, 3000 - 80.04, -667},
        {"approach, late steps", AcPhase::flying, true, 3, 200, 200, 3000 - 80.04, -667},
        {"take-off", AcPhase::take_off, false, 8, 160, 152, 3200, 1500},
    };
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 3000, c.speed, -100, 1000)}, 0.0);
        gf_setPhase(ac, c.phase);
        ac.approach = c.approach ? 1 : 0;
        lf_extendPath(ac, c.steps);
        const PosSample& copy = ac.samples.back();
        EXPECT_DOUBLE_EQ(copy.groundSpeedKt, c.wantSpeed) << c.name;
        EXPECT_NEAR(copy.altitudeFt, c.wantAltitude, 1e-9) << c.name;
        EXPECT_EQ(copy.verticalSpeed, c.wantVs) << c.name;
        EXPECT_EQ(copy.dueTick, 1800) << c.name;
        EXPECT_NEAR(copy.lat - kLat, c.wantSpeed * 8 / 3600 / 60, 1e-9) << c.name << ": north along the heading";
        EXPECT_EQ(copy.airborne, 1) << c.name;
    }
}

// A parked aircraft's stream watch: one stationary copy a week ahead, and
// its stand is free again.
TEST_F(PathExtension, ParkedAircraftWaitsAWeek) {
    g_stands.emplace_back(std::vector<StandUse>{}, std::string("E7"), kLat, kLon, 0.0, 30.0, false, false, false);
    g_stands.back().standId = 1;
    g_stands.back().occupied = 1;
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 0, 0, 5000)});
    gf_setPhase(ac, AcPhase::parked);
    ac.standId = 1;
    ac.pathExtended = 1;
    lf_extendPath(ac, 1);
    const PosSample& copy = ac.samples.back();
    EXPECT_EQ(copy.dueTick, 5000 + 60480000);
    EXPECT_EQ(copy.stationary, 1);
    EXPECT_EQ(copy.lat, kLat);
    EXPECT_EQ(ac.pathExtended, 0);
    EXPECT_EQ(g_stands.back().occupied, 0);
}
