// The ground branch of a sample step: leaving a stand forwards or
// backwards, the push-back turn, taxi curves and mid samples, the search
// for a stand at the end of the stream, the roll-out and the take-off.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "ground_fixture.h"
#include "traffic/ground_movement.h"
#include "traffic/known_samples.h"
#include "traffic/motion_math.h"
#include "traffic/stand_moves.h"

namespace {

using ground_test::GroundTest;
using ground_test::metresBetween;
using ground_test::moved;
using ground_test::sampleAt;

class GroundMovement : public GroundTest {
protected:
    GroundMovement() { g_tick = 40000; }
    // A B738 taxiing east at 10 kt from the taxiway point south of stand 2.
    LiveAc& taxiing() { return place("B738", AcPhase::taxi, taxiway(2), 90.0); }
    static GeoPoint pointOf(const PosSample& sample) { return gf_samplePoint(sample); }
};

TEST_F(GroundMovement, AStreamWithin89DegreesOfTheStandHeadingPullsOut90PushesBack) {
    struct Case {
        double bearingDeg;  // from the stand to the stream; the stand faces north
        AcPhase phase;
    };
    const Case cases[] = {{89.0, AcPhase::taxi},         {89.4, AcPhase::taxi},
                          {89.6, AcPhase::pushing_back}, {90.0, AcPhase::pushing_back},
                          {-89.0, AcPhase::taxi},        {-90.0, AcPhase::pushing_back},
                          {0.0, AcPhase::taxi},          {180.0, AcPhase::pushing_back}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bearingDeg);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3);
        aircraft.leavingStand = 1;
        aircraft.samples.push_back(sampleAt(moved(standPoint(3), c.bearingDeg, 40.0), 3.0, 41000));
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.phase, c.phase);
        EXPECT_EQ(aircraft.maxAdvance, 3000);
    }
}

TEST_F(GroundMovement, ThePushBackTurnsOnlyWhenTheStreamToldItsSide) {
    struct Case {
        const char* name;
        bool known, clockwise;
    };
    const Case cases[] = {{"no side: straight", false, false},
                          {"anticlockwise: the east end", true, false},
                          {"clockwise: the west end", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3);
        aircraft.samples.front().dueTick = g_tick;
        lf_startPushBack(aircraft);
        aircraft.samples.pop_front();  // the step to the mid sample
        aircraft.turnSide[1] = c.known ? 1 : 0;
        aircraft.turnSide[0] = c.clockwise ? 1 : 0;
        const PosSample straightEnd = aircraft.samples[1];
        const PosSample eastEnd = aircraft.samples[2];
        const PosSample westEnd = aircraft.pushBackAltEnd;
        g_tick = aircraft.samples.front().dueTick;
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.pushBackCountdown, 1);
        ASSERT_EQ(aircraft.samples.size(), 2U);
        const PosSample& end = aircraft.samples[1];
        if (!c.known) {
            EXPECT_EQ(end.lat, straightEnd.lat);
            EXPECT_FALSE(gf_hasCurve(aircraft.curve));
            continue;
        }
        EXPECT_EQ(end.lon, (c.clockwise ? westEnd : eastEnd).lon);
        ASSERT_TRUE(gf_hasCurve(aircraft.curve));
        EXPECT_EQ(aircraft.curve.angleDeg, 90.0);
        // The straight end is the control point: the curve leaves backwards, due south.
        GeoPoint start;
        double tangent = 0.0;
        ASSERT_TRUE(gf_curvePoint(aircraft.curve, start, tangent, 0.0));
        EXPECT_NEAR(tangent * kRadToDeg, 180.0, 0.01);
        GeoPoint finish;
        ASSERT_TRUE(gf_curvePoint(aircraft.curve, finish, tangent, 1.0));
        EXPECT_LT(metresBetween(finish, pointOf(end)), 0.01);
        EXPECT_NEAR(tangent * kRadToDeg, c.clockwise ? 270.0 : 90.0, 0.5);
    }
    // The step after the turn ends the push-back.
    LiveAc& aircraft = g_liveAcs.back();
    aircraft.samples.pop_front();
    aircraft.samples.push_back(aircraft.samples.front());
    aircraft.samples.back().stationary = 1;
    nextPosGround(aircraft);
    EXPECT_EQ(aircraft.phase, AcPhase::pushed_back);
    EXPECT_EQ(aircraft.lastPushBackDist, 900.0);
    EXPECT_EQ(aircraft.lastThrottle, 0U);
    EXPECT_EQ(aircraft.lastFlaps, 1U);
    EXPECT_EQ(aircraft.targetBearing, aircraft.heading);
}

// Nothing is queued while the aircraft's own push-back runs; the newest
// report heard meanwhile, farther from the stand than the push took the
// aircraft, is judged once it ends: a stream that taxied off during a long
// push is followed at once, not after its next report. One nearer the
// stand is the stream's own push, shorter so far.
TEST_F(GroundMovement, AReportHeardDuringThePushIsJudgedWhenItEnds) {
    struct Case {
        const char* name;
        std::optional<double> heardM;  // a report this far off the stand at 10 kt
        double bearingDeg;             // that way from it
        AcPhase phase;
    };
    const Case cases[] = {
        {"nothing heard meanwhile: it holds", std::nullopt, 0.0, AcPhase::pushed_back},
        {"heard taxiing 200 m west: it goes", 200.0, 270.0, AcPhase::taxi},
        {"heard 20 m south, its push 60 m: it holds", 20.0, 180.0, AcPhase::pushed_back},
        {"heard by the next stand 60 m west, its push 60 m south: it goes", 60.0, 270.0, AcPhase::taxi},
        {"heard 8 m west of the stand, its push 60 m south: it holds", 8.0, 270.0, AcPhase::pushed_back},
        // Within six radii of the aircraft a single report tells only when it
        // lies farther from the stand than the push went: the stream went on
        // while the aircraft pushed (its own push hidden in a pause).
        {"heard 25 m beyond the push's end, on its way: it goes", 85.0, 180.0, AcPhase::taxi},
        {"heard 25 m beside the push's end, hardly farther from the stand: it holds", 65.0, 157.4,
         AcPhase::pushed_back},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3, "C172");
        aircraft.samples.front().dueTick = g_tick;
        lf_startPushBack(aircraft);
        const std::size_t queued = aircraft.samples.size();
        if (c.heardM) {
            PosSample heard = sampleAt(moved(standPoint(3), c.bearingDeg, *c.heardM), 10.0, g_tick + 3000);
            heard.streamTick = heard.dueTick;
            aircraft.reportGate.taken.push_back(heard);
            decodeExisting(aircraft, heard);
            EXPECT_EQ(aircraft.samples.size(), queued) << "nothing is queued during the push";
        }
        // The last step of the push, 60 m south of the stand.
        const GeoPoint end = moved(standPoint(3), 180.0, 60.0);
        aircraft.lat = end.lat;
        aircraft.lon = end.lon;
        aircraft.samples.resize(2);
        aircraft.samples.back().stationary = 1;
        aircraft.pushBackCountdown = 1;
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.phase, c.phase);
        EXPECT_FALSE(aircraft.heardWhilePushing);
        if (c.phase == AcPhase::taxi) {
            EXPECT_EQ(aircraft.samples.back().streamTick, g_tick + 3000);
        }
    }
}

// Pushed back, the aircraft moves the way its tail points, tick by tick:
// straight back, then round the curve to the side the stream shows, its
// tail within a few degrees of the way all along, whatever turn its last
// taxi left behind.
TEST_F(GroundMovement, APushBackMovesTheWayItsTailPoints) {
    struct Case {
        const char* name;
        bool turnLeftOver;  // the last taxi was still turning towards a bearing
        bool sideKnown;
    };
    const Case cases[] = {{"straight back", false, false},
                          {"straight back, a turn left over", true, false},
                          {"turning to the side the stream shows", false, true},
                          {"turning, a turn left over", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3);
        aircraft.turningToBearing = c.turnLeftOver ? 1 : 0;
        aircraft.targetBearing = 0.5;
        aircraft.turnSide[0] = 1;
        aircraft.turnSide[1] = c.sideKnown ? 1 : 0;
        aircraft.leavingStand = 1;
        aircraft.samples.front().dueTick = g_tick;
        aircraft.samples.push_back(sampleAt(moved(standPoint(3), 180.0, 40.0), 3.0, g_tick + 3000));
        double largestOffDeg = 0.0, turnedDeg = 0.0;
        const double startHeading = aircraft.heading;
        for (int k = 0; k < 6000 && aircraft.phase != AcPhase::pushed_back; ++k) {
            const GeoPoint before{aircraft.lat, aircraft.lon};
            tick();
            if (metresBetween(before, {aircraft.lat, aircraft.lon}) < 0.005) continue;
            const double way = gf_bearingRad(before, {aircraft.lat, aircraft.lon});
            largestOffDeg = std::max(largestOffDeg, gf_headingDifferenceDeg(aircraft.heading + kPi, way));
        }
        turnedDeg = gf_headingDifferenceDeg(startHeading, aircraft.heading);
        EXPECT_EQ(aircraft.phase, AcPhase::pushed_back);
        EXPECT_LE(largestOffDeg, 5.0) << "the tail leads";
        EXPECT_NEAR(turnedDeg, c.sideKnown ? 90.0 : 0.0, 3.0);
    }
}

TEST_F(GroundMovement, TaxiTurnsOf44DegreesCurveSharpOnesGetAMidSampleAnd170DegreesNothing) {
    struct Case {
        const char* name;
        double turnDeg;
        std::int32_t s1After;  // ticks from s0 to s1, 100 m apart
        std::size_t queued;    // after the step
        bool curve;
        std::int32_t s2After = 0;  // ticks from s1 to s2 (0: as from s0 to s1)
    };
    const Case cases[] = {
        {"2 degrees", 2, 300, 3, false},
        // 100 m in 20 s to s1, then 100 m in 3 s (a roll starting): a curve
        // through s1 would leave at once at the even pace; the aircraft
        // keeps s1's time. Slowing down the same, the curve holds.
        {"10 degrees, speeding up from s1 on", 10, 2000, 3, false, 300},
        {"10 degrees, slowing down from s1 on", 10, 300, 2, true, 2000},
        {"44 degrees, 3 s ahead", 44, 300, 2, true},
        {"46 degrees, 3 s ahead", 46, 300, 2, true},
        {"46 degrees, 6 s ahead", 46, 600, 4, false},
        {"-120 degrees, 3 s ahead", -120, 300, 2, true},
        {"170 degrees", 170, 300, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        const GeoPoint s1 = moved({aircraft.lat, aircraft.lon}, 90.0, 100.0);
        aircraft.samples.front() = sampleAt({aircraft.lat, aircraft.lon}, 10.0, 40000);
        aircraft.samples.push_back(sampleAt(s1, 10.0, 40000 + c.s1After));
        aircraft.samples.push_back(sampleAt(moved(s1, 90.0 + c.turnDeg, 100.0), 10.0,
                                            40000 + c.s1After + (c.s2After != 0 ? c.s2After : c.s1After)));
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.samples.size(), c.queued);
        EXPECT_EQ(gf_hasCurve(aircraft.curve), c.curve);
        if (c.curve) {
            EXPECT_NEAR(aircraft.curve.angleDeg, std::fabs(c.turnDeg), 0.01);
        }
        if (c.queued == 4) {
            EXPECT_LT(metresBetween(pointOf(aircraft.samples[1]), moved(s1, 270.0, 50.0)), 0.01);
        }
    }
}

// Waiting out a pause of the feed, the aircraft finds its stream resumed
// 500 m east and 100 m north, going on east: a run across its way it joins
// first on the run's line, taxiing there; the speeds before and after a
// pause, and the turn onto the way between them, put no mid sample there
// (a mid sample's leg would be no pause's, at the resumed stream's speed).
TEST_F(GroundMovement, AStreamResumedAfterAPauseIsJoinedOnItsWayWithoutAMidSample) {
    struct Case {
        const char* name;
        double s1Kt;
        double silenceS;       // how long the feed was quiet before s1
        double headingDeg;     // the aircraft's
        double northM;         // where the aircraft waited, north of its first spot
        const char* expected;  // what is put in on the way: "join", "mid" or "s1" (nothing)
        bool s2StraightOn = false;  // s2 straight on from s0 through s1, else east of s1
        // Still rolling at this speed when the feed fell quiet (its last
        // report before the pause too), it stopped at s0 and waited there;
        // 0: it waited at a hold.
        double s0Kt = 0.0;
        double mostKt = 0.0;   // the pace it sets out at, at most (0: not judged)
        double leastKt = 0.0;  // ... at least
        bool s2Stands = false;  // s2 repeats s1, standing still
        bool takeOffSeen = false;  // a take-off is read from the stream once the leg is set out
    };
    const Case cases[] = {
        {"a run resumed across its way", 60, 60, 0, 0, "join"},
        // First heard rolling out: after the pause its first report lies far
        // beside the nose's line, its fields stale from the roll. It waited at
        // no holding point: no join, and the pause is made up at taxi speed
        // (not at the roll's, nor slower than a taxi: it is late).
        {"a roll's stale fields after a pause, beside the nose's line", 44, 120, 90, 0, "s1", false, 44, 31, 29},
        // ... and its stale fields read as a take-off: the leg still makes the
        // pause up as a taxi.
        {"a roll's stale fields after a pause, read as a take-off", 44, 120, 90, 0, "s1", false, 44, 31, 0, false, true},
        // Resumed standing 500 m on after 150 s: it stood there for much of
        // the pause (a roll-out that came to rest early in it); the aircraft
        // drives there as a taxi, not at twice the pause's pace.
        {"a stream resumed standing far on", 0, 150, 90, 100, "s1", false, 0, 0, 29, true},
        // Lined up, the run is its own: it speeds up to it on the way.
        {"a run resumed straight ahead of it, lined up", 60, 60, 90, 100, "mid"},
        {"a taxi resumed ahead of it", 10, 60, 80, 0, "s1", true},
        {"a run with no pause before it", 60, 5, 80, 0, "mid", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        const GeoPoint from = moved(taxiway(2), 0.0, c.northM);
        LiveAc& aircraft = place("B738", AcPhase::taxi, from, c.headingDeg);
        const GeoPoint line = moved(taxiway(2), 0.0, 100.0);
        aircraft.samples.front() = sampleAt(from, c.s0Kt, c.s0Kt > 0.0 ? g_tick - 1000 : g_tick.load());
        aircraft.samples.front().stationary = c.s0Kt > 0.0 ? 0 : 1;
        aircraft.samples.front().streamTick = 10000;
        PosSample s1 = sampleAt(moved(line, 90.0, 500.0), c.s1Kt, g_tick + 3000);
        s1.streamTick = 10000 + static_cast<std::int32_t>(c.silenceS * 100.0);
        s1.silenceS = static_cast<float>(c.silenceS);
        const GeoPoint s2At = c.s2StraightOn ? moved(pointOf(s1), gf_bearingRad(from, pointOf(s1)) * kRadToDeg, 200.0)
                                             : moved(line, 90.0, 700.0);
        PosSample s2 = sampleAt(c.s2Stands ? pointOf(s1) : s2At, c.s1Kt, g_tick + 3400);
        s2.stationary = c.s2Stands ? 1 : 0;  // as the landing check makes a repeat
        s2.streamTick = s1.streamTick + 400;
        aircraft.samples.push_back(s1);
        aircraft.samples.push_back(s2);
        if (c.s0Kt > 0.0) {
            // Its roll came along the line from the west.
            PosSample earlier = sampleAt(moved(from, 270.0, 200.0), c.s0Kt, g_tick - 1500);
            earlier.streamTick = 9500;
            aircraft.reportGate.taken.push_back(earlier);
            aircraft.reportGate.taken.push_back(aircraft.samples.front());
            aircraft.reportGate.taken.push_back(s1);
        }
        nextPosGround(aircraft);
        if (c.takeOffSeen) {
            // Under way to s1, as the tick has it: s1 is the front.
            aircraft.samples.pop_front();
            gf_armForTakeOff(aircraft, 0, 0);
        }
        if (c.mostKt > 0.0) {
            // The pace to the next sample by its due tick.
            const PosSample& to = aircraft.samples[c.takeOffSeen ? 0 : 1];
            const double seconds = (to.dueTick - g_tick.load()) / 100.0;
            EXPECT_LE(metresBetween(from, pointOf(to)) / seconds * 3600.0 / kMetersPerNm, c.mostKt);
        }
        if (c.leastKt > 0.0) {
            const PosSample& to = aircraft.samples[1];
            const double seconds = (to.dueTick - g_tick.load()) / 100.0;
            EXPECT_GE(metresBetween(from, pointOf(to)) / seconds * 3600.0 / kMetersPerNm, c.leastKt);
        }
        // The samples put in on the way (a taxi speeding up to the join from
        // standing gets a mid sample of its own; one that waits to leave, a
        // standing copy of where it is; a curve keeps s1 as its control).
        std::vector<PosSample> before;
        for (std::size_t k = 1; k < aircraft.samples.size(); ++k) {
            const PosSample& b = aircraft.samples[k];
            if (b.stationary == 0 && b.streamTick != s1.streamTick && b.streamTick != s2.streamTick) before.push_back(b);
        }
        const bool joins = std::any_of(before.begin(), before.end(), [&](const PosSample& b) {
            return b.streamTick == 0 && metresBetween(pointOf(b), line) < 1.0 &&
                   b.groundSpeedKt == gf_taxiCeilingKt(aircraft.sizeCategory);
        });
        EXPECT_EQ(joins, std::string(c.expected) == "join");
        if (std::string(c.expected) == "s1") {
            EXPECT_TRUE(before.empty());
        }
        if (std::string(c.expected) == "mid") {
            ASSERT_EQ(before.size(), 1u);
            EXPECT_LT(metresBetween(pointOf(before.front()), pointOf(s1)), 400.0);
        }
    }
}

TEST_F(GroundMovement, TheTurnTowardsTheNextSampleTakesTheShortWayAcrossNorth) {
    struct Case {
        double headingDeg, bearingDeg;
        bool turning;
    };
    for (const Case c : {Case{359.0, 1.0, false}, Case{1.0, 355.0, true}, Case{90.0, 92.0, false}}) {
        SCOPED_TRACE(c.headingDeg);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.heading = c.headingDeg * kDegToRad;
        aircraft.targetBearing = c.bearingDeg * kDegToRad;
        aircraft.samples.push_back(sampleAt(moved({aircraft.lat, aircraft.lon}, c.bearingDeg, 30.0), 10.0, 40300));
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.turningToBearing, c.turning ? 1 : 0);
        EXPECT_LE(aircraft.turnToBearingDeg, 6.001);
    }
}

TEST_F(GroundMovement, AnArrivalCreepingToTheEndOfItsStreamLooksForAStand) {
    struct Case {
        const char* name;
        double metresToEnd;
        double s1Kt;
        AcPhase before;
        bool fileLoaded;
        bool parks;
        bool holding = false;  // the stream had stopped: a hold sample is queued
        bool wantsStand = false;
        bool towed = false;
        double endFromStandM = 5.0;
    };
    const Case cases[] = {
        {"30 m away at 5 kt", 30, 5, AcPhase::flying, true, true},
        {"40 m away", 40, 5, AcPhase::flying, true, false},
        {"6 kt", 30, 6, AcPhase::flying, true, false},
        {"a departure stopping on its way", 30, 5, AcPhase::pushed_back, true, false},
        {"a departure pulled out stopping", 30, 5, AcPhase::parked, true, false},
        {"a towed departure stopping", 30, 5, AcPhase::pushed_back, true, true, false, false, true},
        {"no stand file", 30, 5, AcPhase::flying, false, false},
        {"holding far away and fast, the stand 5 m on", 150, 15, AcPhase::flying, true, true, true},
        {"holding, the stand 30 m on", 150, 15, AcPhase::flying, true, false, true, false, false, 30.0},
        {"holding, wanting a stand 30 m on", 150, 15, AcPhase::flying, true, true, true, true, false, 30.0},
        {"holding, wanting a stand 60 m on", 150, 15, AcPhase::flying, true, false, true, true, false, 60.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_airportFileRead = c.fileLoaded;
        const GeoPoint end = moved(standPoint(3), 180.0, c.endFromStandM);
        LiveAc& aircraft = place("B738", AcPhase::taxi, moved(end, 180.0, c.metresToEnd), 0.0);
        aircraft.prevPhase = c.before;
        aircraft.refillState = c.holding ? 1 : 0;
        aircraft.wantsStand = c.wantsStand ? 1 : 0;
        aircraft.towed = c.towed ? 1 : 0;
        aircraft.samples.front().groundSpeedKt = c.s1Kt;
        aircraft.samples.push_back(sampleAt(end, c.s1Kt, 40500));
        aircraft.samples.push_back(sampleAt(end, 0.0, 41500));
        aircraft.samples.back().stationary = 1;
        nextPosGround(aircraft);
        EXPECT_EQ(aircraft.phase, c.parks ? AcPhase::parking : AcPhase::taxi);
        EXPECT_EQ(aircraft.standId, c.parks ? 3 : 0);
    }
}

// The stream stands 67 m on, its report there past due: the aircraft
// finishes the way at the speed it goes (a crawl only from a standstill),
// not slowing to a crawl a minute short of it.
TEST_F(GroundMovement, LateForWhereTheStreamStandsItFinishesTheWayAtTheSpeedItGoes) {
    struct Case {
        const char* name;
        double ownKt;         // the speed it goes, north
        double leastKt;       // the way's speed at least
        double mostKt;        // ... at most
    };
    const Case cases[] = {
        {"coming on at 10 kt", 10.0, 9.9, 10.1},
        {"coming on at 45 kt: at taxi speed", 45.0, 29.9, 30.1},
        {"standing: a crawl", 0.0, 0.0, 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.heading = 0.0;
        aircraft.latStep = c.ownKt * kMetersPerNm / kTicksPerHour / kMetresPerDegreeLat;
        aircraft.lonStep = 0.0;
        aircraft.samples.front() = sampleAt({aircraft.lat, aircraft.lon}, 0.0, g_tick - 500);
        aircraft.samples.push_back(sampleAt(moved({aircraft.lat, aircraft.lon}, 0.0, 67.0), 0.0, g_tick - 100));
        aircraft.samples.back().stationary = 1;
        nextPosGround(aircraft);
        ASSERT_GE(aircraft.samples.size(), 3u);
        EXPECT_EQ(aircraft.samples[1].stationary, 0);
        EXPECT_GE(aircraft.samples[1].groundSpeedKt, c.leastKt);
        EXPECT_LE(aircraft.samples[1].groundSpeedKt, c.mostKt);
    }
}

// A moving sample 5 m behind the nose, as near as the feed's reports
// wander: one taxiing would creep round a circle to it, so it stands where
// it is instead; one pushed tail first goes on to it, its way behind it.
TEST_F(GroundMovement, ASampleCloseBehindIsPassedUnlessTheAircraftIsPushedTailFirst) {
    for (const bool pushed : {false, true}) {
        SCOPED_TRACE(pushed ? "pushed tail first" : "taxiing");
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.heading = 0.0;
        aircraft.reversing = pushed ? 1 : 0;
        aircraft.latStep = aircraft.lonStep = 0.0;
        const GeoPoint behind = moved({aircraft.lat, aircraft.lon}, 180.0, 5.0);
        aircraft.samples.front() = sampleAt({aircraft.lat, aircraft.lon}, 2.0, g_tick.load());
        aircraft.samples.push_back(sampleAt(behind, 2.0, g_tick + 300));
        nextPosGround(aircraft);
        ASSERT_GE(aircraft.samples.size(), 2u);
        EXPECT_EQ(aircraft.samples[1].stationary, pushed ? 0 : 1);
        EXPECT_NEAR(metresBetween(pointOf(aircraft.samples[1]), behind), pushed ? 0.0 : 5.0, 0.01);
    }
}

// Making up a pause of the feed at the pace the pause shows (14 kt for the
// 500 m to the stream's first report after it, north, off the nose), the
// aircraft learns that the stream runs on faster than a taxi (its take-off
// run): it is late for it, and goes the rest at taxi speed (30 kt).
TEST_F(GroundMovement, MakingUpAPauseBeforeATakeOffRunItGoesAtTaxiSpeed) {
    struct Case {
        const char* name;
        double sampleKt;        // the sample queued
        double targetBearingDeg;  // of the first report after the pause
        bool makingUp;
        std::int32_t dueIn;     // ticks from now the leg is due then
    };
    const Case cases[] = {
        {"a run at 45 kt: at taxi speed", 45.0, 0.0, true, 3240},
        {"a taxi at 15 kt: the pause's pace", 15.0, 0.0, true, 7000},
        {"lined up for the run: its roll times it", 45.0, 90.0, true, 7000},
        {"no pause made up", 45.0, 0.0, false, 7000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.makingUpAPause = c.makingUp ? 1 : 0;
        aircraft.latStep = aircraft.lonStep = 0.0;
        aircraft.samples.front() =
            sampleAt(moved({aircraft.lat, aircraft.lon}, c.targetBearingDeg, 500.0), 7.0, g_tick + 7000);
        gf_retimeLegForARunAhead(aircraft, sampleAt(moved({aircraft.lat, aircraft.lon}, 0.0, 600.0), c.sampleKt,
                                                     g_tick + 8000));
        EXPECT_NEAR(aircraft.samples.front().dueTick - g_tick, c.dueIn, 5);
    }
}

// Lined up, rolling at taxi speed to the report its stream resumed with
// after a pause (its field 7 kt, stale from the line-up), the aircraft sees
// the take-off in the reports after it: the leg is timed at the run's pace,
// the fastest field up to the first report in the air (60 kt), not at the
// resumed report's. Nor does it dash to a hold, or to a report it is not
// lined up for.
TEST_F(GroundMovement, ATakeOffSeenHurriesTheLegToTheResumedReportToTheRunsPace) {
    struct Case {
        const char* name;
        double frontBearingDeg;  // of the resumed report, 500 m off
        bool takeOffSeen;
        bool holds = false;      // the front a hold of its own
        bool hurried = true;
        bool afterAPause = true;  // the front the first report after one
    };
    const Case cases[] = {
        {"lined up", 90.0, true},
        {"no take-off seen", 90.0, false, false, false},
        {"not lined up for it", 0.0, true, false, false},
        {"holding", 90.0, true, true, false},
        // Timed by the stream already: no pause to make up.
        {"no pause before the report", 90.0, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.takeOffSeen = c.takeOffSeen ? 1 : 0;
        const GeoPoint from{aircraft.lat, aircraft.lon};
        PosSample& front = aircraft.samples.front();
        front = sampleAt(moved(from, c.frontBearingDeg, 500.0), 7.0, g_tick + 7000);
        front.streamTick = 20000;
        front.silenceS = c.afterAPause ? 60.0F : 3.0F;
        front.stationary = c.holds ? 1 : 0;
        PosSample lifting = sampleAt(moved(from, c.frontBearingDeg, 800.0), 60.0, g_tick + 7300, 50.0);
        lifting.streamTick = 20300;
        aircraft.samples.push_back(lifting);
        gf_hurryTheRun(aircraft);
        const double runTicks = 500.0 / kMetersPerNm * kTicksPerHour / 60.0;
        EXPECT_NEAR(aircraft.samples.front().dueTick - g_tick, c.hurried ? runTicks : 7000.0, 2.0);
    }
}

// Making up a pause towards the report the stream resumed with (on the
// runway 500 m east), the aircraft learns the stream took off right after
// it: beside the run's line, well behind the report, it turns onto the line
// at the nearest point at taxi speed, and runs on from there at the run's
// pace, the reports due as the stream said (not at the taxi's pace across
// the field they were timed at). On the line already, lined up along it,
// the leg to the report is its roll once a take-off is seen (the stream
// climbing, or rolling faster and faster), at the run's pace.
TEST_F(GroundMovement, MakingUpAPauseTowardsATakeOffItJoinsTheRunsLineFirst) {
    struct Case {
        const char* name;
        double asideM;        // the aircraft north of the run's line
        double runKt;         // the report after the resumed one (0: a taxi at 10 kt)
        bool airborne;
        bool makingUp;
        bool joins;
        // On the line already and lined up along it, a take-off seen: the
        // leg to the report is its roll, at the report's speed (0: untouched).
        double rollsOnKt = 0.0;
        double resumedKt = 8.0;  // the resumed report's field
        bool takeOffSeen = false;
    };
    const Case cases[] = {
        {"100 m beside the line, the stream climbing away", 100.0, 120.0, true, true, true},
        {"10 m beside the line, lined up, a run at 120 kt seen as a take-off", 10.0, 120.0, false, true, false, 120.0,
         100.0, true},
        {"10 m beside the line, lined up, a run at 120 kt not yet seen as a take-off", 10.0, 120.0, false, true, false,
         0.0, 100.0},
        {"100 m beside the line, a run at 120 kt seen as a take-off", 100.0, 120.0, false, true, false, 0.0, 100.0,
         true},
        {"100 m beside the line, the stream rolling at 150 kt", 100.0, 150.0, false, true, true},
        {"100 m beside the line, the stream rolling at 120 kt (a run it may reject)", 100.0, 120.0, false, true,
         false},
        {"10 m beside the line, lined up, the stream climbing away", 10.0, 120.0, true, true, false, 120.0},
        {"the stream taxiing on", 100.0, 0.0, false, true, false},
        {"no pause made up", 100.0, 120.0, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        const GeoPoint start{aircraft.lat, aircraft.lon};
        const GeoPoint line = moved(start, 180.0, c.asideM);
        aircraft.heading = 100.0 * kDegToRad;
        aircraft.makingUpAPause = c.makingUp ? 1 : 0;
        // Under way to the report, timed at taxi speed across the field.
        aircraft.takeOffSeen = c.takeOffSeen ? 1 : 0;
        PosSample resumed = sampleAt(moved(line, 90.0, 500.0), c.resumedKt, g_tick + 5000);
        resumed.streamTick = g_tick + 1000;
        PosSample run = sampleAt(moved(line, 90.0, 800.0), c.runKt > 0.0 ? c.runKt : 10.0, g_tick + 5001);
        run.airborne = c.airborne ? 1 : 0;
        run.streamTick = g_tick + 1400;
        aircraft.samples = {resumed, run};
        gf_joinTheRunAhead(aircraft);
        const PosSample& front = aircraft.samples.front();
        EXPECT_EQ(front.streamTick == 0, c.joins);
        if (!c.joins) {
            EXPECT_EQ(aircraft.samples.size(), 2U);
            if (c.rollsOnKt > 0.0) {
                EXPECT_EQ(aircraft.makingUpAPause, 0);
                EXPECT_NEAR(front.dueTick - g_tick, 500.0 / kMetersPerNm * kTicksPerHour / c.rollsOnKt, 2.0);
            } else {
                EXPECT_EQ(front.dueTick, g_tick + 5000) << "timed as it was";
            }
            continue;
        }
        ASSERT_EQ(aircraft.samples.size(), 3U);
        EXPECT_LT(metresBetween(pointOf(front), line), 1.0) << "the nearest point of the line";
        EXPECT_NEAR(front.dueTick - g_tick, 100.0 / kMetersPerNm * kTicksPerHour / 30.0, 2.0) << "at taxi speed";
        EXPECT_EQ(aircraft.samples[1].groundSpeedKt, c.runKt) << "on at the run's pace";
        EXPECT_EQ(aircraft.samples[1].dueTick, std::max(resumed.streamTick, front.dueTick + 1));
        EXPECT_EQ(aircraft.samples[2].dueTick, run.streamTick);
        // Straight at the join.
        const double stepBearing = std::atan2(aircraft.lonStep * gf_metresPerDegreeLon(aircraft.lat),
                                              aircraft.latStep * kMetresPerDegreeLat);
        EXPECT_NEAR(std::fabs(gf_normaliseRad(stepBearing)) * kRadToDeg, 180.0, 0.5);
    }
}

// Making up a pause towards the report the stream resumed with (500 m east,
// 100 m north), the aircraft learns the stream taxied on from there back
// its way: it heads for the newest such report, at taxi speed at most, not
// round by where the stream resumed. A stream that goes on away from it, or
// no pause made up, leaves the leg as it was.
TEST_F(GroundMovement, MakingUpAPauseItMeetsTheStreamComingBack) {
    struct Case {
        const char* name;
        double wayDeg;  // the way the stream taxies on from the resumed report
        bool makingUp;
        bool meets;
    };
    const Case cases[] = {
        {"the stream taxiing back west", 270.0, true, true},
        {"the stream taxiing on east", 90.0, true, false},
        {"no pause made up", 270.0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        const GeoPoint start{aircraft.lat, aircraft.lon};
        aircraft.heading = 80.0 * kDegToRad;
        aircraft.makingUpAPause = c.makingUp ? 1 : 0;
        const GeoPoint resumedAt = moved(moved(start, 0.0, 100.0), 90.0, 500.0);
        // (The stream's times long past: the aircraft is late for all.)
        PosSample resumed = sampleAt(resumedAt, 0.0, g_tick + 5000);
        resumed.streamTick = g_tick - 6000;
        aircraft.samples = {resumed};
        for (int k = 1; k <= 3; ++k) {
            PosSample on = sampleAt(moved(resumedAt, c.wayDeg, 100.0 * k), 12.0, g_tick + 5000 + k);
            on.streamTick = resumed.streamTick + 1600 * k;
            aircraft.samples.push_back(on);
        }
        const GeoPoint newest = pointOf(aircraft.samples.back());
        gf_meetTheStream(aircraft);
        if (!c.meets) {
            EXPECT_EQ(aircraft.samples.size(), 4U);
            EXPECT_EQ(aircraft.samples.front().dueTick, g_tick + 5000);
            continue;
        }
        ASSERT_EQ(aircraft.samples.size(), 1U);
        const PosSample& target = aircraft.samples.front();
        EXPECT_LT(metresBetween(pointOf(target), newest), 0.1);
        const double metres = metresBetween(start, newest);
        EXPECT_NEAR(target.dueTick - g_tick, metres / kMetersPerNm * kTicksPerHour / 30.0, 2.0) << "at taxi speed";
        const double stepBearing = std::atan2(aircraft.lonStep * gf_metresPerDegreeLon(aircraft.lat),
                                              aircraft.latStep * kMetresPerDegreeLat);
        EXPECT_NEAR(stepBearing, gf_bearingRad(start, newest), 0.01) << "straight at it";
    }
}

// Having waited out a 42-s pause of the feed where its stream was last heard
// taxiing at 15 kt, the aircraft learns 15 s late that the stream resumed
// 300 m on: the stream went on along the way meanwhile, at the pace its
// positions show (14 kt). The aircraft catches up at its ceiling (twice
// that) to where it meets the stream on the way, a sample of its own, and
// goes on at the stream's pace to the report, due as the stream said.
TEST_F(GroundMovement, MakingUpAPauseItCatchesUpWithTheStreamOnTheWay) {
    struct Case {
        const char* name;
        bool meets;
        double lastKt = 15.0;     // the stream's field when the feed fell quiet
        double silenceS = 42.0;   // how long it was quiet before the report
        double resumedKt = 15.0;  // the resumed report's field
        double lateS = 15.0;      // how long ago the stream left the aircraft's spot
        double headingDeg = 90.0;  // the aircraft's nose; the way goes east
    };
    const Case cases[] = {
        {"taxiing when the feed fell quiet", true},
        // It left some unknown time after its last report: made up as before.
        {"standing when the feed fell quiet", false, 0.0},
        // (Still under way to its last sample, as without a pause.)
        {"no pause", false, 15.0, 3.0},
        // Not lined up for it: a run across its way is joined, not met.
        {"the stream resumed rolling faster than a taxi", false, 15.0, 42.0, 45.0, 15.0, 0.0},
        // The stream 4 m on along the way: nothing to catch up.
        {"hardly behind", false, 15.0, 42.0, 15.0, 0.5},
        // It would meet the stream 14 m short of the report.
        {"late for most of the way", false, 15.0, 42.0, 15.0, 20.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.heading = c.headingDeg * kDegToRad;
        const GeoPoint from{aircraft.lat, aircraft.lon};
        const std::int32_t left = g_tick - static_cast<std::int32_t>(c.lateS * 100.0);
        const bool held = c.silenceS >= 20.0;
        PosSample& s0 = aircraft.samples.front();
        s0 = sampleAt(from, held ? 0.0 : c.lastKt, g_tick);  // where it held
        s0.stationary = held ? 1 : 0;
        s0.streamTick = left;
        PosSample lastHeard = s0;
        lastHeard.groundSpeedKt = c.lastKt;
        aircraft.reportGate.taken.push_back(lastHeard);
        PosSample resumed = sampleAt(moved(from, 90.0, 300.0), c.resumedKt, left + 4200);
        resumed.streamTick = resumed.dueTick;
        resumed.silenceS = static_cast<float>(c.silenceS);
        aircraft.reportGate.taken.push_back(resumed);
        aircraft.samples.push_back(resumed);
        nextPosGround(aircraft);
        if (!c.meets) {
            EXPECT_TRUE(std::none_of(aircraft.samples.begin(), aircraft.samples.end(), [](const PosSample& s) {
                return s.streamTick == 0 && s.stationary == 0;
            }));
            continue;
        }
        ASSERT_EQ(aircraft.samples.size(), 3U);
        const PosSample& meet = aircraft.samples[1];
        EXPECT_EQ(meet.streamTick, 0);
        // The stream goes 300 m in 42 s; the aircraft at twice that pace
        // meets it 15 s on, 214 m along the way.
        const double streamMps = 300.0 / 42.0;
        EXPECT_NEAR(meet.dueTick - g_tick, 1500, 2);
        EXPECT_NEAR(metresBetween(from, pointOf(meet)), 2.0 * streamMps * 15.0, 1.0);
        EXPECT_NEAR(gf_bearingRad(from, pointOf(meet)) * kRadToDeg, 90.0, 0.1);
        EXPECT_NEAR(meet.groundSpeedKt, streamMps * 3600.0 / kMetersPerNm, 0.1);
        EXPECT_EQ(aircraft.samples[2].dueTick, left + 4200) << "the report due as the stream said";
    }
}

// The turn rate of a sample is fitted to the time there is: a turn of up to
// 45 degrees with time to spare is spread out (slower), one that must be
// done sooner is hurried; a sharper one turns faster, up to three times the
// base rate at 90 degrees, and a turn of 90 degrees or more widens the delay
// window so the next sample is not forced early.
TEST_F(GroundMovement, TheTurnRateFitsTheTurnIntoTheTimeToTheNextSample) {
    enum Rate { base, slower, faster };
    struct Case {
        const char* name;
        double turnDeg;
        double metres;  // to the next sample, due at 10 kt
        Rate rate;
        double factor;  // exact factor of the base rate, where it is one
        bool widened;
    };
    const Case cases[] = {
        {"2 degrees: no turn", 2, 100, base, 1.0, false},
        {"30 degrees, 100 m to go", 30, 100, slower, 0.0, false},
        {"30 degrees, 10 m to go", 30, 10, faster, 0.0, false},
        {"45 degrees, 100 m to go", 45, 100, slower, 0.0, false},
        {"46 degrees, 100 m to go", 46, 100, faster, 46.0 / 30.0, false},
        {"60 degrees, 100 m to go", 60, 100, faster, 2.0, false},
        {"89 degrees, 300 m to go", 89, 300, faster, 89.0 / 30.0, false},
        {"90 degrees, 300 m to go", 90, 300, faster, 3.0, true},
        {"150 degrees, 300 m to go", 150, 300, faster, 3.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.turnRate = 5.0 * aircraft.turnRateBase;  // left over from the last sample
        aircraft.turningToBearing = c.turnDeg > 3.0 ? 1 : 0;
        aircraft.turnToBearingDeg = c.turnDeg;
        aircraft.maxAdvance = aircraft.maxDelay = 1000;
        aircraft.samples.front() = sampleAt({aircraft.lat, aircraft.lon}, 10.0, 40000);
        // Due when 10 kt bring the aircraft there.
        const std::int32_t due = 40000 + gf_roundTicks(c.metres / kMetersPerNm * kTicksPerHour / 10.0);
        aircraft.samples.push_back(sampleAt(moved({aircraft.lat, aircraft.lon}, 90.0, c.metres), 10.0, due));
        lf_scheduleNextSample(aircraft);
        const double factor = aircraft.turnRate / aircraft.turnRateBase;
        switch (c.rate) {
            case base:
                EXPECT_DOUBLE_EQ(factor, 1.0);
                break;
            case slower:
                EXPECT_LT(factor, 1.0);
                EXPECT_GT(factor, 0.0);
                break;
            case faster:
                EXPECT_GT(factor, 1.0);
                break;
        }
        if (c.factor > 0.0) {
            EXPECT_NEAR(factor, c.factor, 1e-9);
        }
        EXPECT_EQ(aircraft.maxAdvance, c.widened ? 2000 : 1000);
        EXPECT_EQ(aircraft.maxDelay, c.widened ? 2000 : 1000);
    }
}

// However late the aircraft is, the next sample is due no sooner than the
// ground's ceiling gets it there: twice the stream's speed, no faster than
// the category taxis unless the stream itself is (on the runway), and the
// stream's speed read from positions and times where a speed field is stale.
TEST_F(GroundMovement, ALateAircraftReachesItsNextSampleNoFasterThanTheGroundsCeiling) {
    struct Case {
        const char* name;
        const char* type;
        double s0Kt, s1Kt;
        double shownKt;     // from the samples' positions and stream ticks (0: none known)
        std::optional<double> s2Kt;  // a sample after s1, 100 m on
        double ceilingKt;
        bool s0Stands = false;  // s0 where the aircraft waited out a pause of the feed
        bool landed = false;
        // s0 the aircraft's own (no stream time), and the reports taken up
        // to s1 showing this speed over 12 s.
        std::optional<double> reportsKt = std::nullopt;
        double s2BearingDeg = 90.0;  // the way from s1 to s2
        double turnDeg = 0.0;        // the leg turns it this far off its nose
        double legPaceKt = 0.0;      // the pace of the leg it has just ended
        double s1M = 500.0;          // how far east s1 lies
        bool asLate = false;         // s1 as late in the stream as s0 (one of them the aircraft's own)
        float s1SilenceS = 0.0F;     // the feed quiet this long before s1
        double headingDeg = 90.0;
    };
    const Case cases[] = {
        {"taxiing at 20 kt", "B738", 20, 20, 0, std::nullopt, 30},
        {"taxiing at 8 kt", "B738", 8, 8, 0, std::nullopt, 16},
        // Its reports 97 s apart, those between dropped (jumps): the stream
        // went on unheard as in a pause, and its pace before says nothing of
        // how far behind the aircraft now is.
        {"taxiing at 8 kt, its reports 97 s apart", "B738", 8, 8, 10, std::nullopt, 30},
        {"standing still, then 2 kt", "B738", 0, 2, 0, std::nullopt, 10},
        {"a light aircraft at 15 kt", "C172", 15, 15, 0, std::nullopt, 20},
        {"a stale 0 kt, the stream showing 20 kt", "B738", 0, 0, 20, std::nullopt, 30},
        // Over a few seconds positions show no faster than the aircraft taxis
        // (one report off the way would lift the pace), nor more than a
        // quarter faster than the speed fields; over ten seconds or more
        // they show the stream's speed.
        {"a stale 0 kt, the stream showing 120 kt over 8 s", "B738", 0, 0, 120, std::nullopt, 30},
        {"40 kt, the stream showing 120 kt over 8 s", "B738", 40, 40, 120, std::nullopt, 50},
        {"40 kt, the stream showing 60 kt over 16 s", "B738", 40, 40, 60, std::nullopt, 60},
        // ... a taxi's fields do not bear such a pace out: jumping reports.
        {"15 kt, the stream showing 60 kt over 16 s", "B738", 15, 15, 60, std::nullopt, 30},
        {"landed, 15 kt, the stream showing 60 kt over 16 s", "B738", 15, 15, 60, std::nullopt, 30, false, true},
        // Fields over taxi speed that neither rise (a take-off run's do) nor
        // show in the positions are stale: the last roll-out speed read on
        // after a pause of the feed has a taxiing aircraft taxi.
        {"taxiing, stale 40 kt fields, the stream showing 15 kt", "B738", 40, 40, 15, std::nullopt, 30},
        {"taxiing, stale 130 kt fields on two samples as late in the stream", "B738", 130, 130, 0, std::nullopt, 30,
         false, false, std::nullopt, 90.0, 0.0, 0.0, 500.0, true},
        {"speeding up from 20 to 40 kt, the stream showing 15 kt", "B738", 20, 40, 15, std::nullopt, 40},
        // A helicopter lifts off rather than rolling for it.
        {"a helicopter at 60 kt", "EC35", 60, 60, 0, std::nullopt, 40},
        {"rolling out at 138 kt, then 100 kt", "B738", 138, 100, 0, std::nullopt, 138},
        {"rolling at 40 kt, then on to 80 kt", "B738", 0, 40, 0, 80.0, 80},
        // Where it waited out a pause of the feed the positions show how far
        // behind the aircraft is, not how fast the stream goes: it makes that
        // up at taxi speed, landed (standing on the runway, say) or not.
        {"standing out a pause, the stream 500 m on 22 s later", "B738", 0, 10, 45, std::nullopt, 30, true},
        {"landed, standing out a pause, the stream 500 m on 22 s later", "B738", 0, 10, 45, std::nullopt, 30, true,
         true},
        // Lined up, it follows a take-off run the stream resumed straight
        // ahead at the run's pace; one resumed on a runway it still taxies
        // to (the run goes on across its way) it joins at taxi speed.
        {"lined up out a pause, the stream resumed rolling ahead", "B738", 0, 40, 45, 40.0, 45, true},
        {"standing out a pause, the stream resumed rolling across its way", "B738", 0, 40, 45, 40.0, 30, true, false,
         std::nullopt, 0.0},
        // From where it held after its push, a speed field of 0 is not the
        // stream's: its reports show it taxiing on at 10 kt.
        {"from its own sample, the stream's field 0, its reports showing 10 kt", "B738", 0, 0, 0, std::nullopt, 20,
         true, false, 10.0},
        // ... its reports standing there, as they did while it was still
        // pushed back: it drives there as a taxi.
        {"from its own sample, the stream standing 500 m on, its reports too", "B738", 0, 0, 0, std::nullopt, 30, true,
         false, 0.0},
        // Rolling faster than it taxies, a report 30 degrees off its nose (a
        // jump beside the runway) is no way on at the roll's pace: it turns
        // at taxi speed. From a hold, a run already under way is joined at
        // its pace; a turn within 20 degrees goes on at the roll's pace.
        {"rolling at 60 kt, the next report 30 degrees off its nose", "B738", 60, 60, 0, std::nullopt, 30, false,
         false, std::nullopt, 90.0, 30.0, 60.0},
        {"rolling at 60 kt, the next report 15 degrees off its nose", "B738", 60, 60, 0, std::nullopt, 60, false,
         false, std::nullopt, 90.0, 15.0, 60.0},
        {"rolling at 60 kt, the next report 30 degrees off its nose, 50 m aside", "B738", 60, 60, 0, std::nullopt, 60,
         false, false, std::nullopt, 90.0, 30.0, 60.0, 100.0},
        {"from the hold, a run at 60 kt 30 degrees off its nose", "B738", 0, 60, 0, std::nullopt, 60, false, false,
         std::nullopt, 90.0, 30.0, 0.0},
        {"taxiing, a stream at 40 kt 30 degrees off its nose", "B738", 20, 40, 0, std::nullopt, 30, false, false,
         std::nullopt, 90.0, 30.0, 20.0},
        // On its way from where it held (a sample of its own), the stream
        // resumed after a pause rolling at 95 kt: lined up, that is its run
        // speeding up; 50 degrees off its nose it still taxies to the runway.
        {"on its way, a report after a pause rolling at 95 kt ahead", "B738", 15, 95, 10, std::nullopt, 95, false,
         false, std::nullopt, 90.0, 0.0, 0.0, 500.0, false, 97.0F},
        {"on its way, a report after a pause rolling at 95 kt 50 degrees off its nose", "B738", 15, 95, 10,
         std::nullopt, 30, false, false, std::nullopt, 90.0, 0.0, 0.0, 500.0, false, 97.0F, 140.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = place(c.type, AcPhase::taxi, taxiway(2), c.headingDeg);
        const GeoPoint from{aircraft.lat, aircraft.lon};
        aircraft.samples.front() = sampleAt(from, c.s0Kt, g_tick);
        // s1 east (500 m), due 30 s ago: the aircraft is late.
        PosSample s1 = sampleAt(moved(from, 90.0, c.s1M), c.s1Kt, g_tick - 3000);
        if (c.shownKt > 0.0) {
            aircraft.samples.front().streamTick = 10000;
            s1.streamTick = 10000 + gf_roundTicks(c.s1M / kMetersPerNm * kTicksPerHour / c.shownKt);
        }
        if (c.asLate) aircraft.samples.front().streamTick = s1.streamTick = 10000;
        aircraft.samples.front().stationary = c.s0Stands ? 1 : 0;
        // Waiting out a pause, the feed was quiet from s0 to s1 (the report
        // gate tells how long).
        if (c.s0Stands && s1.streamTick > aircraft.samples.front().streamTick)
            s1.silenceS = static_cast<float>((s1.streamTick - aircraft.samples.front().streamTick) / 100.0);
        if (c.s1SilenceS > 0.0F) s1.silenceS = c.s1SilenceS;
        aircraft.landed = c.landed ? 1 : 0;
        if (c.reportsKt) {
            s1.streamTick = 20000;
            PosSample before = sampleAt(moved(from, 90.0, c.s1M - *c.reportsKt * kMetersPerNm / 3600.0 * 12.0),
                                        c.s1Kt, g_tick - 4200);
            before.streamTick = s1.streamTick - 1200;
            aircraft.reportGate.taken = {before, s1};
        }
        aircraft.samples.push_back(s1);
        if (c.s2Kt) {
            PosSample s2 = sampleAt(moved(moved(from, 90.0, c.s1M), c.s2BearingDeg, 100.0), *c.s2Kt, g_tick + 100000);
            if (s1.streamTick != 0) s2.streamTick = s1.streamTick + 500;  // 5 s on
            aircraft.samples.push_back(s2);
        }
        if (c.turnDeg > 0.0) {
            aircraft.turningToBearing = 1;
            aircraft.turnToBearingDeg = c.turnDeg;
        }
        aircraft.legPaceKt = c.legPaceKt;
        lf_scheduleNextSample(aircraft);
        const double ticks = aircraft.samples[1].dueTick - g_tick;
        const double metres = metresBetween(from, gf_samplePoint(aircraft.samples[1]));
        EXPECT_NEAR(metres / kMetersPerNm * kTicksPerHour / ticks, c.ceilingKt, 0.002 * c.ceilingKt);
        // However late, it catches up no faster on such a turn.
        EXPECT_EQ(aircraft.turnsAtTaxi != 0, c.turnDeg > 20.0 && c.ceilingKt == 30.0);
    }
}

// A run's reports jumping well beside the line the aircraft is on (its
// fields and track holding) are brought onto that line, as far along it as
// they lay: the aircraft rolls down the runway, not across the grass. Its
// line runs along the track fields through the aircraft, rolling with its
// nose along them or standing where its stream stood before the run.
TEST_F(GroundMovement, ARunsReportsJumpingBesideItsLineAreBroughtOntoIt) {
    struct Case {
        const char* name;
        double headingDeg;  // the aircraft's nose
        double ownKt;       // how fast it rolls east (0: it stands on s0)
        double s1Kt;        // the report's field, 400 m east and ...
        double asideM;      // ... this far north
        bool onTheLine;     // brought onto the line
        double trackDeg = 90.0;
        double silenceS = 3.0;  // how long the feed was quiet before it
        bool landed = false;
        double offS0M = 0.0;  // the aircraft this far south of s0
        double s0ReportedKt = 0.0;  // s0's report said (s0 itself a hold at 0 kt)
    };
    const Case cases[] = {
        {"standing where its stream stood, its nose 45 degrees off, a run 250 m aside", 45.0, 0, 70, 250, true},
        {"rolling at 60 kt, a run 100 m aside", 90.0, 60, 70, 100, true},
        {"rolling at 60 kt, a run 50 m aside: on the runway's width", 90.0, 60, 70, 50, false},
        {"rolling at 60 kt, its nose 45 degrees off the track", 45.0, 60, 70, 250, false},
        // Taxiing, it is on no run: a report at a run's pace that lies off
        // its way is a jump the positions showed, not the roll going on.
        {"taxiing at 10 kt along the track, a run 250 m aside", 90.0, 10, 70, 250, false},
        {"standing 50 m off where its stream stood, its nose 45 degrees off", 45.0, 0, 70, 250, false, 90.0, 3.0,
         false, 50.0},
        {"the report after a pause of the feed", 90.0, 0, 70, 250, false, 90.0, 60.0},
        {"the report without a track field", 90.0, 0, 70, 250, false, 0.0},
        {"the report at taxi speed", 90.0, 0, 30, 250, false},
        {"landed, rolling out", 90.0, 60, 70, 250, false, 90.0, 3.0, true},
        // Held where its samples ran out amid a run, it stood nowhere the
        // stream did: its nose must be along the run.
        {"held at a report rolling at 40 kt, its nose 45 degrees off", 45.0, 0, 70, 250, false, 90.0, 3.0, false,
         0.0, 40.0},
        // A report slower than a taxi after a run may be turning off: it
        // is left where it lies.
        {"held at a report rolling at 40 kt, its nose along, a report at 20 kt", 90.0, 0, 20, 250, false, 90.0, 3.0,
         false, 0.0, 40.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        const GeoPoint from = taxiway(2);
        LiveAc& aircraft = place("B738", AcPhase::taxi, moved(from, 180.0, c.offS0M), c.headingDeg);
        aircraft.landed = c.landed ? 1 : 0;
        if (c.ownKt > 0.0) {
            const double metresPerTick = c.ownKt * kMetersPerNm / kTicksPerHour;
            aircraft.lonStep = metresPerTick / gf_metresPerDegreeLon(aircraft.lat);
        }
        PosSample& s0 = aircraft.samples.front();
        s0 = sampleAt(from, c.ownKt, g_tick);
        s0.streamTick = 10000;
        if (c.s0ReportedKt > 0.0) {
            PosSample report = s0;
            report.groundSpeedKt = c.s0ReportedKt;
            aircraft.reportGate.taken.push_back(report);
            s0.stationary = 1;
        }
        const GeoPoint reported = moved(moved(from, 90.0, 400.0), 0.0, c.asideM);
        PosSample s1 = sampleAt(reported, c.s1Kt, g_tick + 600);
        s1.streamTick = 10600;
        s1.trackDeg = c.trackDeg;
        s1.silenceS = static_cast<float>(c.silenceS);
        aircraft.samples.push_back(s1);
        nextPosGround(aircraft);
        const auto s1Now = std::find_if(aircraft.samples.begin(), aircraft.samples.end(),
                                        [](const PosSample& s) { return s.streamTick == 10600; });
        ASSERT_NE(s1Now, aircraft.samples.end());
        if (c.onTheLine) {
            EXPECT_LT(metresBetween(pointOf(*s1Now), moved(gf_acPoint(aircraft), 90.0, 400.0)), 1.0);
        } else {
            EXPECT_LT(metresBetween(pointOf(*s1Now), reported), 0.01);
        }
    }
}

// What the positions of a few seconds show counts up to taxi speed, or a
// quarter over the speed fields where they are over it too (a roll whose
// fields lag a little): a taxi's steps on the feed's grid show more than it
// goes.
TEST_F(GroundMovement, PositionsShowNoMoreThanATaxiUnlessTheFieldsDo) {
    struct Case {
        const char* name;
        double fieldsKt, shownKt, countsKt;
    };
    const Case cases[] = {
        {"a taxi at 18 kt, its positions showing 22 kt", 18, 22, 20},
        {"a stale 0 kt, its positions showing 15 kt", 0, 15, 15},
        {"a roll at 30 kt, its positions showing 45 kt", 30, 45, 37.5},
        {"a roll at 30 kt, its positions showing 33 kt", 30, 33, 33},
    };
    LiveAc& aircraft = place("C172", AcPhase::taxi, taxiway(2), 90.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(gf_positionsSpeedKt(aircraft, c.fieldsKt, c.shownKt), c.countsKt);
    }
}

// An aircraft standing still whose next sample moves leaves when the delayed
// stream does: as late as speeding up (0.5 m/s each second) to the stream's
// speed and on at it still gets it there by the sample's due tick; a sample
// within the speed-up's length is reached speeding up all the way. Until
// then it stands: a standing copy of where it is, due then.
TEST_F(GroundMovement, AStandingAircraftLeavesAsLateAsSpeedingUpStillGetsItThere) {
    struct Case {
        const char* name;
        double metres, s1Kt;
        std::optional<double> s2Kt;  // a sample after s1, 30 m on
        std::optional<double> leavesBeforeS;  // before s1's due (none: at once)
        // The report it stands at, taken with this speed field, as was one
        // at the same spot 20 s before it (none: not the stream's report).
        std::optional<double> stoodKt = std::nullopt;
        bool helicopter = false;  // speeds up at 2 m/s each second
        // The report 20 s before lay this far back (kt over the 20 s) the
        // way it came in, its field showing as much.
        double cameInKt = 0.0;
        bool s2OnS1 = false;  // the sample after s1 lies on s1's spot (the feed's grid), standing
    };
    // 5 kt is 2.572 m/s: 6.6 m to speed up to it, 2.57 s longer than at 5 kt.
    const Case cases[] = {
        // The stream's next report half a minute on, at 5 kt already.
        {"32 m on at 5 kt", 32.0, 5.0, std::nullopt, 32.0 / 2.5722 + 2.5722},
        {"5 m on at 5 kt, speeding up all the way", 5.0, 5.0, std::nullopt, 2.0 * 5.0 / 2.5722},
        // A speed field a few knots low: the stream goes on faster.
        {"32 m on at 2 kt, then on at 5 kt", 32.0, 2.0, 5.0, 32.0 / 2.5722 + 2.5722},
        {"200 m on at 5 kt, due sooner than that takes", 200.0, 5.0, std::nullopt, std::nullopt},
        // A stale 0, the report after it still at the gate: the stream that
        // stood moved off at some unknown time, and at a creep takes the
        // least of it. One stopped behind a slow tow, or at a sample of its
        // own, knows no more than the field says.
        {"28 m on at a stale 0, standing before", 28.0, 0.0, std::nullopt, 28.0 / 2.5722 + 2.5722, 0.0},
        {"28 m on at a stale 0, a tow at 3 kt before", 28.0, 0.0, std::nullopt, std::nullopt, 3.0},
        {"28 m on at a stale 0, from a sample of its own", 28.0, 0.0, std::nullopt, std::nullopt},
        // The report after it fell on the same node of the feed's grid: it
        // shows no way on either.
        {"28 m on at a stale 0, standing before, the next report on its node", 28.0, 0.0, 5.0,
         28.0 / 2.5722 + 2.5722, 0.0, false, 0.0, true},
        // Come in at 8 kt and the next report so near: it came to rest
        // meanwhile.
        {"28 m on at a stale 0, come to rest from 8 kt", 28.0, 0.0, std::nullopt, 28.0 / 2.5722 + 2.5722, 0.0, false,
         8.0},
        // A hover-taxi is at its pace in a moment: 0.64 s longer than at 5 kt.
        {"a helicopter 32 m on at 5 kt", 32.0, 5.0, std::nullopt, 32.0 / 2.5722 + 2.5722 / 4.0, std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        if (c.helicopter) aircraft.sizeCategory = SizeCategory::Rotorcraft;
        const GeoPoint from{aircraft.lat, aircraft.lon};
        aircraft.samples.front() = sampleAt(from, 0.0, g_tick);
        aircraft.samples.front().stationary = 1;
        if (c.stoodKt) {
            PosSample before = sampleAt(moved(from, 270.0, c.cameInKt * kMetersPerNm / 3600.0 * 20.0),
                                        c.cameInKt > 0.0 ? c.cameInKt : *c.stoodKt, g_tick - 2000);
            before.streamTick = before.dueTick;
            PosSample heard = sampleAt(from, *c.stoodKt, g_tick);
            heard.streamTick = heard.dueTick;
            aircraft.reportGate.taken = {before, heard};
            aircraft.samples.front().streamTick = heard.streamTick;
        }
        const std::int32_t due = g_tick + 2000;
        aircraft.samples.push_back(sampleAt(moved(from, 90.0, c.metres), c.s1Kt, due));
        if (c.s2Kt) {
            aircraft.samples.push_back(
                sampleAt(moved(from, 90.0, c.metres + (c.s2OnS1 ? 0.0 : 30.0)), *c.s2Kt, due + 1200));
            aircraft.samples.back().stationary = c.s2OnS1 ? 1 : 0;
        }
        nextPosGround(aircraft);
        if (!c.leavesBeforeS) {
            EXPECT_EQ(aircraft.samples[1].stationary, 0) << "it goes at once";
            continue;
        }
        EXPECT_EQ(aircraft.samples[1].stationary, 1) << "it waits";
        if (aircraft.samples[1].stationary == 0) continue;
        EXPECT_NEAR(aircraft.samples[1].dueTick, due - *c.leavesBeforeS * 100.0, 1.0);
    }
}

// With a take-off seen the throttle follows the speeds of the two samples;
// otherwise it idles (a helicopter keeps its rotor at full power); a sample
// that finds the aircraft flying or parked only makes it taxi.
TEST_F(GroundMovement, TheThrottleOnTheGroundFollowsTheSpeedOnceATakeOffIsSeen) {
    struct Case {
        const char* type;
        AcPhase phase;
        bool takeOffSeen;
        double s0Kt, s1Kt;
        std::uint32_t throttle;  // 9: untouched
    };
    const Case cases[] = {
        {"B738", AcPhase::taxi, true, 25, 0, 4},    {"B738", AcPhase::taxi, true, 24, 30, 4},
        {"B738", AcPhase::taxi, true, 24, 29, 2},   {"B738", AcPhase::taxi, true, 20, 0, 2},
        {"B738", AcPhase::taxi, true, 19, 24, 1},   {"B738", AcPhase::taxi, true, 15, 0, 1},
        {"B738", AcPhase::taxi, true, 14, 19, 0},   {"EC35", AcPhase::taxi, true, 0, 0, 4},
        {"B738", AcPhase::taxi, false, 30, 30, 0},  {"EC35", AcPhase::taxi, false, 0, 0, 4},
        {"B738", AcPhase::parked, true, 30, 30, 9}, {"B738", AcPhase::flying, false, 30, 30, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("{} {} {}/{} kt", c.type, gf_phaseName(c.phase), c.s0Kt, c.s1Kt));
        g_liveAcs.clear();
        LiveAc& aircraft = place(c.type, c.phase, taxiway(2), 90.0);
        aircraft.takeOffSeen = c.takeOffSeen ? 1 : 0;
        aircraft.lastThrottle = 9;
        aircraft.maxAdvance = aircraft.maxDelay = 3000;
        aircraft.samples.front().groundSpeedKt = c.s0Kt;
        aircraft.samples.push_back(sampleAt(taxiway(3), c.s1Kt, 41000));
        lf_configureOnGround(aircraft);
        EXPECT_EQ(aircraft.lastThrottle, c.throttle);
        if (c.phase != AcPhase::taxi) {
            EXPECT_EQ(aircraft.phase, AcPhase::taxi);
        }
        EXPECT_EQ(aircraft.maxAdvance, c.takeOffSeen ? 3000 : 2900) << "the window narrows while taxiing";
    }
}

// The roll-out ends once the aircraft has turned fifteen degrees off the
// runway's heading slower than a roll (43 kt), after rolling on it.
TEST_F(GroundMovement, TheRollOutEndsWhenTheAircraftTurnsFifteenDegreesOffTheRunwayOrComesToRest) {
    struct Case {
        const char* name;
        const char* type;
        double offDeg, speedKt;
        bool turnedOff;
        std::uint32_t flaps;
        std::size_t controlsWritten;
        double ownKt = 0.0;  // the aircraft's own speed
        bool atItsSample = false;  // it stands at its sample, come there at `arrivedKt`
        double arrivedKt = 0.0;
        bool onTheWay = true;  // it has rolled on the runway's way since it landed
    };
    const Case cases[] = {
        {"fast on the runway", "B738", 0, 100, false, 3, 0},
        // Come to rest on the runway straight ahead (a stop, a pause of the
        // feed): moving off again it taxis. Still creeping there it rolls on.
        {"come to rest on the runway", "B738", 0, 0, true, 0, 1, 0.0, true, 0.0},
        {"creeping to its sample on the runway", "B738", 0, 0, false, 1, 1, 0.0, true, 4.0},
        {"at 90 kt on the runway", "B738", 14, 90, false, 1, 1},
        {"turned off 16 degrees", "B738", 16, 30, true, 0, 1},
        {"a light aircraft turned off", "C172", 16, 30, true, 0, 0},
        {"turned off 16 degrees at 42 kt", "B738", 16, 42, true, 0, 1},
        // Its nose swung by the feed's scatter at a roll's speed: it rolls on.
        {"16 degrees off at 68 kt", "B738", 16, 68, false, 1, 1},
        {"a light aircraft 16 degrees off at 43 kt", "C172", 16, 43, false, 1, 0},
        // Its report slow (a run given up ahead of it) while it still rolls
        // at 90 kt, lining up behind its stream: it rolls on.
        {"16 degrees off at 90 kt, its report at 15 kt", "B738", 16, 15, false, 1, 1, 90.0},
        // Nor does it turn off faster than it taxis.
        {"a light aircraft turned off, itself at 24 kt", "C172", 16, 15, false, 1, 0, 24.0},
        {"a light aircraft turned off, itself at 20 kt", "C172", 16, 15, true, 0, 0, 20.0},
        // Its stream rolled out ahead of it (a take-off given up while the
        // feed was quiet): on its way to the runway it turns onto it first.
        {"on its way to the runway, 90 degrees off", "B738", 90, 30, false, 1, 1, 0.0, false, 0.0, false},
        {"on the runway's way at last, 14 degrees off", "B738", 14, 30, false, 1, 1, 0.0, false, 0.0, false},
        {"come to rest on its way to the runway", "B738", 90, 0, true, 0, 1, 0.0, true, 0.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        sim.controls.clear();
        LiveAc& aircraft = place(c.type, AcPhase::taxi, taxiway(4), 90.0 + c.offDeg);
        aircraft.landed = 1;
        aircraft.touchdownHeading = 90.0 * kDegToRad;
        aircraft.rolledOnTheWay = c.onTheWay ? 1 : 0;
        aircraft.lastFlaps = 3;
        aircraft.samples.front().groundSpeedKt = c.speedKt;
        aircraft.samples.front().stationary = c.atItsSample ? 1 : 0;
        aircraft.samples.push_back(sampleAt(taxiway(5), c.speedKt, 41000));
        aircraft.latStep = c.ownKt * kMetersPerNm / kTicksPerHour / kMetresPerDegreeLat;
        lf_configureOnGround(aircraft, c.arrivedKt);
        EXPECT_EQ(aircraft.landed, c.turnedOff ? 0 : 1);
        if (!c.turnedOff) {
            EXPECT_EQ(aircraft.rolledOnTheWay, c.onTheWay || c.offDeg < 15.0 ? 1 : 0);
        }
        EXPECT_EQ(aircraft.lastFlaps, c.flaps);
        EXPECT_EQ(sim.controls.size(), c.controlsWritten);
        for (const auto& written : sim.controls) {
            EXPECT_EQ(written.objectId, aircraft.objectId);
            EXPECT_EQ(written.spoilers + written.throttle1 + written.throttle2, 0.0);
        }
    }
}

TEST_F(GroundMovement, TakeOffAtOnceWhenEveryLaterSampleClimbsFasterThan256FeetAMinute) {
    struct Case {
        const char* name;
        double s0Kt;
        double laterVs[3];
        double laterKt[3];
        bool laterAirborne[3];
        bool takesOff;
        double arrivedKt = 0.0;  // how fast the aircraft itself came to s0
    };
    const Case cases[] = {
        {"300 fpm, still on the ground", 50, {300, 300, 300}, {60, 90, 120}, {false, false, true}, true},
        {"300 fpm below 43 kt", 42, {300, 300, 300}, {60, 90, 120}, {false, false, true}, false},
        // Its samples' fields those of a roll-out (a take-off given up while
        // the feed was quiet, taken up again), the aircraft itself rolls fast.
        {"300 fpm, its fields 20 kt, itself at 150 kt", 20, {300, 300, 300}, {20, 20, 20}, {false, false, true}, true,
         150.0},
        {"300 fpm, its fields 20 kt, itself at 20 kt", 20, {300, 300, 300}, {20, 20, 20}, {false, false, true}, false,
         20.0},
        {"one at 200 fpm, not all airborne", 50, {300, 200, 300}, {150, 150, 150}, {false, true, true}, false},
        {"one at 200 fpm, all airborne but slow", 50, {300, 200, 300}, {150, 139, 150}, {true, true, true}, false},
        {"one at 200 fpm, all airborne at 140 kt", 50, {300, 200, 300}, {140, 150, 160}, {true, true, true}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing();
        aircraft.takeOffSeen = 1;
        aircraft.samples.front().groundSpeedKt = c.s0Kt;
        for (int k = 0; k < 3; ++k) {
            PosSample later = sampleAt(moved({aircraft.lat, aircraft.lon}, 90.0, 300.0 * (k + 1)), c.laterKt[k],
                                       40300 + 300 * k, c.laterAirborne[k] ? 100.0 * (k + 1) : 0.0);
            later.verticalSpeed = c.laterVs[k];
            aircraft.samples.push_back(later);
        }
        lf_configureOnGround(aircraft, c.arrivedKt);
        EXPECT_EQ(aircraft.phase, c.takesOff ? AcPhase::take_off : AcPhase::taxi);
        if (!c.takesOff) continue;
        EXPECT_EQ(aircraft.rotationCounter, aircraft.rotationSteps);
        EXPECT_DOUBLE_EQ(aircraft.pitchStep, (aircraft.takeOffPitch - aircraft.pitch) / aircraft.rotationSteps);
        EXPECT_DOUBLE_EQ(aircraft.climbStep, aircraft.climbPerTick);
        EXPECT_FALSE(gf_hasCurve(aircraft.curve));
    }
}

TEST_F(GroundMovement, MidSamplesAndCurvesAcrossTheAntimeridianStayThere) {
    LiveAc& aircraft = taxiing();
    aircraft.lat = 10.0;
    aircraft.lon = 179.9999;
    aircraft.samples.front() = sampleAt({10.0, 179.9999}, 10.0, 40000);
    aircraft.samples.push_back(sampleAt({10.0, -179.9999}, 30.0, 41000));
    aircraft.samples.push_back(sampleAt({10.0005, -179.9997}, 30.0, 42000));
    lf_insertMidSample(aircraft);
    EXPECT_NEAR(std::fabs(aircraft.samples[1].lon), 180.0, 1e-9);
    aircraft.samples.erase(aircraft.samples.begin() + 1);
    lf_buildCurve(aircraft);
    ASSERT_TRUE(gf_hasCurve(aircraft.curve));
    EXPECT_NEAR(aircraft.curve.controlEastM, 0.0002 * 111132.95 * std::cos(10.0 * kDegToRad), 0.01);
    GeoPoint end;
    double heading = 0.0;
    ASSERT_TRUE(gf_curvePoint(aircraft.curve, end, heading, 1.0));
    EXPECT_NEAR(end.lon, -179.9997, 1e-9);
    EXPECT_LT(heading, kPi) << "heading east, not round the globe";
}

// An aircraft in the user's way is removed when the user is behind it,
// close enough, at its height and not too far off its line.
TEST_F(GroundMovement, AnAircraftAheadOfTheUserWithinTheRowsLimitsIsRemoved) {
    struct Case {
        const char* name;
        int row;
        double distanceNm, bearingDeg, altitudeDiffFt, headingDeg;
        bool removed;
    };
    // Lateral offsets: sin(bearing) x distance; 1 nm is 6076 ft.
    const double lateral690 = std::asin(690.0 / 6076.11549) * kRadToDeg;
    const double lateral710 = std::asin(710.0 / 6076.11549) * kRadToDeg;
    const double lateral3990 = std::asin(3990.0 / 6076.11549) * kRadToDeg;
    const double lateral4010 = std::asin(4010.0 / 6076.11549) * kRadToDeg;
    const Case cases[] = {
        {"row 0, 3.9 nm straight ahead", 0, 3.9, 0, 0, 0, true},
        {"row 0, 4.1 nm", 0, 4.1, 0, 0, 0, false},
        {"row 0, 999 ft above", 0, 1.0, 0, 999, 0, true},
        {"row 0, 1000 ft below", 0, 1.0, 0, -1000, 0, false},
        {"row 0, 690 ft off the line", 0, 1.0, lateral690, 0, 0, true},
        {"row 0, 710 ft off the line", 0, 1.0, -lateral710, 0, 0, false},
        {"row 0, facing the user", 0, 1.0, 0, 0, 180, false},
        {"row 1, 5.9 nm", 1, 5.9, 0, 0, 0, true},
        {"row 1, 6.1 nm", 1, 6.1, 0, 0, 0, false},
        {"row 1, 2999 ft", 1, 1.0, 0, 2999, 0, true},
        {"row 1, 3000 ft", 1, 1.0, 0, 3000, 0, false},
        {"row 1, 3990 ft off the line", 1, 1.0, lateral3990, 0, 0, true},
        {"row 1, 4010 ft off the line", 1, 1.0, lateral4010, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_userRef.lat = engine_test::kFieldLat;
        g_userRef.lon = engine_test::kFieldLon;
        g_userRef.altitudeFt = 5000.0;
        const GeoPoint at = moved({g_userRef.lat, g_userRef.lon}, c.bearingDeg, c.distanceNm * kMetersPerNm);
        LiveAc& aircraft = place("B738", AcPhase::flying, at, c.headingDeg);
        aircraft.altitudeFt = 5000.0 + c.altitudeDiffFt;
        EXPECT_EQ(lf_removeNearUser(aircraft, c.row), c.removed);
        EXPECT_EQ(aircraft.lifeState, c.removed ? AcLifeState::removingfromsim : AcLifeState::active);
    }
}

}  // namespace
