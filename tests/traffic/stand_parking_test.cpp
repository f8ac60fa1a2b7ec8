// Parking an arrival on a stand: the narrow and wide search, the stands it
// must leave free, the occupant and the neighbours that make way, ghosts on
// stands, and the two samples that drive it onto the stand.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "ground_fixture.h"
#include "traffic/ground_movement.h"
#include "traffic/known_samples.h"
#include "traffic/stand_moves.h"
#include "traffic/stand_parking.h"

namespace {

using ground_test::GroundTest;
using ground_test::metresBetween;
using ground_test::moved;
using ground_test::sampleAt;

class StandParking : public GroundTest {
protected:
    StandParking() { g_tick = 20000; }
    // A B738 creeping towards a point `metres` south of stand 3, its stream
    // ending there standing still.
    LiveAc& arriving(double metres, const std::string& callsign = "") {
        const GeoPoint end = moved(standPoint(3), 180.0, metres);
        LiveAc& aircraft = place("B738", AcPhase::taxi, moved(end, 270.0, 20.0), 90.0, callsign);
        aircraft.samples.push_back(sampleAt(end, 0.0, 20500));
        aircraft.samples.back().stationary = 1;
        return aircraft;
    }
};

TEST_F(StandParking, AStandNineteenMetresAwayIsFoundNarrowTwentyOneOnlyWide) {
    struct Case {
        const char* name;
        double metres;
        bool wide;
        bool parks;
    };
    const Case cases[] = {
        {"19 m, narrow", 19, false, true},
        {"21 m, narrow", 21, false, false},
        {"21 m, wide", 21, true, true},
        {"54 m, wide", 54, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = arriving(c.metres);
        try2Park(aircraft, c.wide);
        EXPECT_EQ(aircraft.phase, c.parks ? AcPhase::parking : AcPhase::taxi);
        EXPECT_EQ(aircraft.standId, c.parks ? 3 : 0);
        EXPECT_EQ(aircraft.samples.size(), c.parks ? 3U : 2U) << "front, on the stand, stopped";
    }
    // The same end of the stream is searched again only more widely: a
    // stream ending 21 m short of a stand, searched narrowly as the aircraft
    // creeps there, is searched widely when it holds there.
    int searches = 0;
    g_engineServices.findStandNear = [&searches](const GeoPoint& at, const AcBase& ac, double radiusNm, bool wide) {
        ++searches;
        return gf_findStandNear(at, ac, radiusNm, wide);
    };
    g_liveAcs.clear();
    LiveAc& aircraft = arriving(21);
    try2Park(aircraft, false);
    try2Park(aircraft, false);
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(aircraft.phase, AcPhase::taxi);
    try2Park(aircraft, true);
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(aircraft.phase, AcPhase::parking);
    g_liveAcs.clear();
    LiveAc& far = arriving(60);
    try2Park(far, true);
    try2Park(far, true);
    try2Park(far, false);
    EXPECT_EQ(searches, 3) << "searched as widely there already";
    far.samples.back().lat += 1e-6;
    try2Park(far, false);
    EXPECT_EQ(searches, 4) << "its stream's end moved";
}

// The aircraft notes whether the stand it chose was a cargo stand: a cargo
// aircraft parking on a stand chosen as one teaches the stand nothing.
TEST_F(StandParking, TheChosenStandsCargoFlagGoesWithTheAircraftOntoTheStand) {
    for (const int standId : {9, 8}) {
        SCOPED_TRACE(standId);
        g_liveAcs.clear();
        const GeoPoint end = moved(standPoint(standId), 180.0, 5.0);
        LiveAc& aircraft = place("B738", AcPhase::taxi, moved(end, 270.0, 20.0), 90.0);
        aircraft.modelKey.cargo = 1;
        aircraft.samples.push_back(sampleAt(end, 0.0, 20500));
        aircraft.samples.back().stationary = 1;
        try2Park(aircraft, false);
        ASSERT_EQ(aircraft.standId, standId);
        EXPECT_EQ(aircraft.standCargo, standId == 9 ? 1 : 0);
        // Comes to rest on it.
        aircraft.lat = stand(standId).latitude;
        aircraft.lon = stand(standId).longitude;
        aircraft.samples.resize(1);
        lf_towedParks(aircraft);
        EXPECT_EQ(aircraft.phase, AcPhase::parked);
        EXPECT_EQ(stand(standId).cargo, standId == 9 ? 1 : 0);
        EXPECT_EQ(stand(standId).cargoChanged, 0);
    }
}

TEST_F(StandParking, TheReservedStandAndTheUsersStandStayFree) {
    for (const bool reserved : {true, false}) {
        SCOPED_TRACE(reserved ? "reserved" : "the user's");
        g_liveAcs.clear();
        g_reservedStand = reserved ? "S3" : "";
        userStandName = reserved ? "" : "S3";
        LiveAc& aircraft = arriving(5);
        try2Park(aircraft, true);
        EXPECT_EQ(aircraft.phase, AcPhase::taxi);
        EXPECT_EQ(aircraft.standId, 0);
    }
}

TEST_F(StandParking, AParkedAircraftSeenAtItsStandKeepsIt) {
    LiveAc& holder = parkedOn(3, "B738", "DLH1");
    PosSample atStand = sampleAt(standPoint(3), 0.0, 20500);
    decodeExisting(holder, atStand);
    ASSERT_EQ(stand(3).occupied, 1);
    LiveAc& aircraft = arriving(5);
    try2Park(aircraft, false);
    EXPECT_EQ(aircraft.phase, AcPhase::taxi) << "no other stand lies within 20 m";
    EXPECT_EQ(holder.lifeState, AcLifeState::active);
}

TEST_F(StandParking, AParkedAircraftWhoseStreamRanDryAndCollidingNeighboursMakeWay) {
    addModel("T10", kLargeSet, 0.01);  // half spans of 0.01 nm: 0.022 nm with the margin
    struct Case {
        double neighbourNm;
        const char* holder;
        const char* neighbour;
        bool neighbourRemoved;
    };
    for (const Case c : {Case{0.021, "DLH1", "DLH2", true}, Case{0.023, "DLH3", "DLH4", false}}) {
        SCOPED_TRACE(c.neighbourNm);
        g_liveAcs.clear();
        const GeoPoint beside = moved(standPoint(3), 270.0, c.neighbourNm * kMetersPerNm);
        stand(2).latitude = beside.lat;
        stand(2).longitude = beside.lon;
        LiveAc& holder = parkedOn(3, "T10", c.holder);        // its flag was freed when its stream ran dry
        LiveAc& neighbour = parkedOn(2, "T10", c.neighbour);  // on the stand beside it
        LiveAc& aircraft = arriving(3, "KLM7");
        aircraft.modelKey.modelId = gf_modelId("T10");
        EXPECT_EQ(lf_standsAdjacent(2, aircraft, stand(3)), !c.neighbourRemoved);
        try2Park(aircraft, false);
        EXPECT_EQ(aircraft.standId, 3);
        EXPECT_EQ(holder.lifeState, AcLifeState::removingfromsim);
        EXPECT_TRUE(log.contains(fmt::format("S3      : {}     removed, KLM7 wants to park there", c.holder)));
        EXPECT_EQ(neighbour.lifeState, c.neighbourRemoved ? AcLifeState::removingfromsim : AcLifeState::active);
        EXPECT_EQ(log.contains(fmt::format(
                      "S2      : {}     removed by parking KLM7 at adjacent and possibly colliding stand S3",
                      c.neighbour)),
                  c.neighbourRemoved);
    }
}

TEST_F(StandParking, GhostsAndOtherOccupantsOfAStand) {
    struct Case {
        const char* occupant;
        AcPhase phase;
        bool pathExtended;
        const char* newcomer;
        bool usable;
        const char* line;  // logged when the occupant goes
    };
    const Case cases[] = {
        {"ABC", AcPhase::parked, false, "ABC_", false, nullptr},
        {"ABC_", AcPhase::parked, false, "ABC", true, "S3      : ABC_     ghost, replace by ABC"},
        {"XYZ_", AcPhase::pushed_back, false, "ABC", true, "S3      : XYZ_     ghost, replace by ABC"},
        {"XYZ", AcPhase::parked, false, "ABC_", false, nullptr},
        {"ABC", AcPhase::parked, true, "ABC", true, "S3      : ABC      ac with same callsign ABC wants it"},
        {"XYZ", AcPhase::parked, true, "ABC", false, nullptr},
        {"XYZ", AcPhase::parked, false, "ABC", true, "S3      : XYZ      removed because another live ABC wants"},
        {"XYZ", AcPhase::taxi, true, "ABC", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.occupant) + " holds, " + c.newcomer + " comes");
        g_liveAcs.clear();
        LiveAc& occupant = parkedOn(3, "B738", c.occupant);
        occupant.phase = c.phase;
        occupant.pathExtended = c.pathExtended ? 1 : 0;
        EXPECT_EQ(lf_standTaken(3, c.newcomer), c.usable);
        const bool removed = c.line != nullptr;
        EXPECT_EQ(occupant.lifeState, removed ? AcLifeState::removingfromsim : AcLifeState::active);
        if (removed) {
            EXPECT_TRUE(log.contains(c.line));
        }
    }
}

TEST_F(StandParking, TheDriveOntoTheStandTakesAtLeastOneSecondAndEndsAHold) {
    struct Case {
        const char* name;
        double metres;
        double headingDeg;
        std::int32_t ticks;
    };
    // 50 m at the B738's 4 kt: 50 / 1852 * 360000 / 4; a nose 90 degrees off
    // comes round at 0.07 degrees a tick.
    const Case cases[] = {{"1 m away", 1.0, 0.0, 100},
                          {"50 m away", 50.0, 0.0, 2430},
                          {"on the stand", 0.0, 0.0, 100},
                          {"1 m away, the nose east", 1.0, 90.0, 1286}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = arriving(c.metres);
        aircraft.samples.pop_front();
        aircraft.samples.front().dueTick = 20100;
        aircraft.lat = aircraft.samples.front().lat;
        aircraft.lon = aircraft.samples.front().lon;
        aircraft.heading = c.headingDeg * kDegToRad;
        aircraft.refillState = 1;
        aircraft.maxAdvance = aircraft.maxDelay = 1000;
        drive2Stand(aircraft, stand(3).latitude, stand(3).longitude, stand(3).heading);
        ASSERT_EQ(aircraft.samples.size(), 3U);
        const PosSample& onStand = aircraft.samples[1];
        const PosSample& stopped = aircraft.samples[2];
        EXPECT_EQ(aircraft.samples[0].groundSpeedKt, 4.0);
        EXPECT_EQ(onStand.dueTick, 20100 + c.ticks);
        EXPECT_EQ(stopped.dueTick, 20150 + c.ticks);
        EXPECT_EQ(onStand.groundSpeedKt, 4.0);
        EXPECT_EQ(onStand.stationary, c.metres == 0.0 ? 1 : 0);
        EXPECT_EQ(stopped.groundSpeedKt, 0.0);
        EXPECT_EQ(stopped.stationary, 1);
        EXPECT_EQ(stopped.lat, stand(3).latitude);
        EXPECT_EQ(aircraft.targetBearing, stand(3).heading);
        EXPECT_FALSE(gf_hasCurve(aircraft.curve)) << "straight in on the axis";
        EXPECT_EQ(aircraft.refillState, 0);
        EXPECT_EQ(aircraft.maxAdvance, 3000);
        EXPECT_EQ(aircraft.maxDelay, 3000);
    }
}

// Off the stand's axis the way in is a curve through a point on the axis
// behind the stand: it ends on the stand along the axis, and leaves the way
// the nose points where that meets the axis between half and all of the way
// back to level with the aircraft (else from half way back); level with the
// stand or past it the aircraft drives straight in.
TEST_F(StandParking, OffItsAxisTheWayOntoTheStandCurvesRoundOntoTheAxis) {
    struct Case {
        const char* name;
        double bearingDeg, metres;  // where the aircraft stands, from the stand (which faces north)
        double headingDeg;
        bool curve;
        double leavesDeg;  // the curve's first direction
    };
    const Case cases[] = {
        {"30 m out, 20 degrees off the axis, the nose north-east", 200.0, 30.0, 45.0, true, 45.0},
        // Its nose meets the axis 1.9 m short of the stand: from half way back (5.7 m) instead.
        {"15 m out, 40 degrees off, the nose north-east", 220.0, 15.0, 45.0, true, 59.0},
        {"15 m out, 40 degrees off, the nose north", 220.0, 15.0, 0.0, true, 59.0},
        {"level with the stand", 270.0, 15.0, 90.0, false, 0.0},
        {"on the axis", 180.0, 30.0, 0.0, false, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        const GeoPoint at = moved(standPoint(3), c.bearingDeg, c.metres);
        LiveAc& aircraft = place("B738", AcPhase::taxi, at, c.headingDeg);
        aircraft.samples.front().dueTick = 20100;
        drive2Stand(aircraft, stand(3).latitude, stand(3).longitude, stand(3).heading);
        ASSERT_EQ(gf_hasCurve(aircraft.curve), c.curve);
        if (!c.curve) continue;
        GeoPoint point;
        double tangent = 0.0;
        ASSERT_TRUE(gf_curvePoint(aircraft.curve, point, tangent, 0.0));
        EXPECT_NEAR(tangent * kRadToDeg, c.leavesDeg, 1.0);
        EXPECT_LT(metresBetween(point, at), 0.01);
        ASSERT_TRUE(gf_curvePoint(aircraft.curve, point, tangent, 1.0));
        EXPECT_LT(metresBetween(point, standPoint(3)), 0.01);
        EXPECT_NEAR(gf_normaliseRad(tangent) * kRadToDeg, 0.0, 0.1) << "along the stand's axis";
        EXPECT_NEAR(aircraft.curve.angleDeg, c.leavesDeg, 1.0);
    }
}

}  // namespace
