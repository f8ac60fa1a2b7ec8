// The on-ground reports and the touch-down are tested with the motion
// (tick_motion_test.cpp); here the static CG and pitch and blocked aircraft.
#include "traffic/ac_events.h"

#include <gtest/gtest.h>

#include "traffic/ac_texts.h"
#include "traffic/motion_fixture.h"

using namespace motion_test;

using AcEventsMotion = MotionTest;

namespace {

constexpr double kLat = 52.0;
constexpr double kLon = 4.0;

}  // namespace

TEST_F(AcEventsMotion, StaticCentreOfGravityAndPitchArePlausibleOrReplaced) {
    struct Case {
        double cg, pitchDeg, wantCg, wantPitchDeg;
    };
    const Case cases[] = {
        {9.0, 1.0, 9.0, 1.0},     {1.0, 2.5, 1.0, 2.5},      {35.0, -0.9, 35.0, -0.9},
        {40.0, 3.0, 5.0, 0.7},    {0.99, -1.0, 5.0, 0.7},    {12.0, -2.0, 12.0, 0.7},
    };
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 0, 0, 90000)});
        ac.staticCgHeight = 5.0;
        gf_pushAcEvent({ac.objectId, 0, 0, AcEventKind::staticCgAndPitch, c.cg, c.pitchDeg * kDegToRad});
        gf_pushAcEvent({ac.objectId + 50, 0, 0, AcEventKind::staticCgAndPitch, 20.0, 0.0});  // not ours
        gf_handleAcEvents();
        EXPECT_EQ(ac.staticCgHeight, c.wantCg) << c.cg;
        EXPECT_NEAR(ac.staticPitch * kRadToDeg, c.wantPitchDeg, 1e-12) << c.pitchDeg;
    }
}

TEST_F(AcEventsMotion, BlockedAircraftIsRemoved) {
    LiveAc& buffered = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 5000, 200, 0, 90000)});
    buffered.lifeState = AcLifeState::buffer;
    LiveAc& flying = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 5000, 200, 0, 90000)});
    flying.callsign = "KLM1";
    LiveAc& creating = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 5000, 200, 0, 90000)});
    creating.lifeState = AcLifeState::adding2sim;
    for (const LiveAc* ac : {&buffered, &flying, &creating})
        gf_pushAcEvent({0, ac->hexId, 0, AcEventKind::removeBlocked, 0.0, 0.0});
    gf_handleAcEvents();
    EXPECT_EQ(buffered.eraseNow, 1);
    EXPECT_TRUE(log.contains(gf_acText(buffered) + " will be removed from buffer while blocked"));
    EXPECT_EQ(flying.lifeState, AcLifeState::removingfromsim);
    EXPECT_TRUE(log.contains(gf_acText(flying) + " removed from simulator immediately while blocked"));
    EXPECT_EQ(creating.lifeState, AcLifeState::adding2sim);
    EXPECT_EQ(creating.eraseNow, 0);
}
