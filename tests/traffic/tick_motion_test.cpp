#include "traffic/tick_motion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "simlink/sim_ids.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_fixture.h"
#include "traffic/motion_math.h"

using namespace motion_test;

namespace {

constexpr double kLat = 52.0;
constexpr double kLon = 4.0;
constexpr double kElevation = 1000.0;
constexpr double kCg = 9.0;

}  // namespace

using TickMotion = MotionTest;

TEST_F(TickMotion, PositionWrapsAtTheAntimeridianAndFoldsAtThePoles) {
    struct Case {
        double lat, lon, wantLat, wantLon;
    };
    const Case cases[] = {
        {0, 180.2, 0, -179.8},   {0, -180.2, 0, 179.8},  {0, 180.0, 0, -180.0},   {0, -180.0, 0, -180.0},
        {45, 539.0, 45, 179.0},  {90.5, 10, 89.5, -170}, {-90.5, -170, -89.5, 10}, {30, 12.5, 30, 12.5},
    };
    for (const Case& c : cases) {
        double lat = c.lat;
        double lon = c.lon;
        gf_wrapPosition(lat, lon);
        EXPECT_NEAR(lat, c.wantLat, 1e-9) << c.lat << "," << c.lon;
        EXPECT_NEAR(lon, c.wantLon, 1e-9) << c.lat << "," << c.lon;
    }
}

// Towards a wanted heading the aircraft turns by turnRate per tick the short
// way, and not at all within half a degree.
TEST_F(TickMotion, TurnTowardsTheWantedHeadingWithADeadBand) {
    struct Case {
        double headingDeg, wantedDeg, afterDeg;
    };
    const double rate = 0.07;  // Large: degrees per tick
    const Case cases[] = {
        {10.0, 10.4, 10.0},          {10.0, 10.6, 10.0 + rate},    {10.0, 9.4, 10.0 - rate},
        {0.3, 359.7, 0.3 - rate},    {359.8, 0.4, 359.8 + rate},   {359.99, 0.6, 359.99 + rate - 360.0},
    };
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 5, 0, 9000)}, c.headingDeg);
        gf_setPhase(ac, AcPhase::parking);
        ac.targetBearing = c.wantedDeg * kDegToRad;
        lf_followCurve(ac);
        EXPECT_NEAR(deg(ac.heading), c.afterDeg, 1e-9) << c.headingDeg << " -> " << c.wantedDeg;
        EXPECT_GE(ac.heading, 0.0);
        EXPECT_LT(ac.heading, kTwoPi);
    }
}

// On the ground an aircraft moves the way its nose points (its tail when
// pushed back, or pushed or towed back from where it stood, its stream
// slower than 4 kt): with the way up to 12 degrees off it makes its whole step,
// beyond that less, and from 27 degrees it creeps; while slowed it turns towards
// the way at its category's rate at least, and at twice that where it
// creeps round the way its nose points. Slower than 1 m/s it creeps into
// place keeping its nose; a helicopter may side-step, slower than 2.5 m/s or
// (slower than 5 m/s) near its sample, and comes round on the spot, drifting
// at that pace over the last 30 degrees.
TEST_F(TickMotion, OnTheGroundTheNoseLeadsTheWay) {
    struct Case {
        const char* name;
        SizeCategory category;
        AcPhase phase;
        double wayDeg;      // the step's direction; the nose points north
        double metres;      // the step's length
        double share;       // of the step made
        double turnedDeg;   // towards the way
        bool creeping = false;  // at 1.5 m/s the way the nose (tail) points
        double catchUpKt = 0.0;  // late (its sample 100 m on the way at 20 kt is due now), the rest at this
        double streamKt = 5.0;   // the sample's speed
        bool tailFirst = false;  // it goes tail first, pushed back
        bool stood = true;       // it stood still until now
        double pushedM = -1.0;   // pushed back tail first this far already; not pushed when negative
        bool turnsAtTaxi = false;  // its leg turns it well off its nose
        bool takeOffSeen = false;
    };
    const double rate = 0.07;  // Large: degrees per tick
    const Case cases[] = {
        {"10 degrees off", SizeCategory::Large, AcPhase::taxi, 10.0, 0.05, 1.0, rate},
        {"20 degrees off: slowed", SizeCategory::Large, AcPhase::taxi, 20.0, 0.05, (27.0 - 19.93) / 15.0, rate},
        {"40 degrees off: turning, creeping ahead", SizeCategory::Large, AcPhase::taxi, -40.0, 0.05, 0.3, -2 * rate,
         true},
        {"pushed back, the tail 10 degrees off", SizeCategory::Large, AcPhase::pushing_back, 190.0, 0.05, 1.0, rate},
        {"pushed back, the tail 40 degrees off", SizeCategory::Large, AcPhase::pushing_back, 220.0, 0.05, 0.3,
         2 * rate, true},
        {"creeping 90 degrees off", SizeCategory::Large, AcPhase::taxi, 90.0, 0.005, 1.0, 0.0},
        {"a helicopter side-stepping 90 degrees off", SizeCategory::Rotorcraft, AcPhase::taxi, 90.0, 0.02, 1.0, 0.0},
        // Hover-taxiing at 6 m/s its reports a few seconds apart lie near:
        // it still goes nose first.
        {"a helicopter at 6 m/s near its sample, 90 degrees off: turning on the spot", SizeCategory::Rotorcraft,
         AcPhase::taxi, 90.0, 0.06, 0.0, 2 * rate},
        {"a helicopter at 6 m/s, 20 degrees off: turning, drifting at 2.5 m/s", SizeCategory::Rotorcraft,
         AcPhase::taxi, 20.0, 0.06, 0.025 / 0.06, rate},
        {"a helicopter late, 90 degrees off: turning on the spot, the rest at 40 kt", SizeCategory::Rotorcraft,
         AcPhase::taxi, 90.0, 0.05, 0.0, 2 * rate, false, 40.0},
        {"a helicopter late, 20 degrees off: turning, drifting at 2.5 m/s, the rest at 40 kt",
         SizeCategory::Rotorcraft, AcPhase::taxi, 20.0, 0.05, 0.5, rate, false, 40.0},
        // Twice the stream's 20 kt is more than an airliner taxis.
        {"20 degrees off and late: the rest at 30 kt", SizeCategory::Large, AcPhase::taxi, 20.0, 0.05,
         (27.0 - 19.93) / 15.0, rate, false, 30.0},
        // A push or tow back from where it stood (its stream slower than 4
        // kt): tail first, at 2.5 m/s at most; the way off to the side, it
        // comes round.
        {"the way behind at a push's 2 kt: tail first", SizeCategory::Large, AcPhase::taxi, 180.0, 0.02, 1.0, 0.0,
         false, 0.0, 2.0, true},
        {"the way behind at a push's 2 kt, its step at 10 kt: 2.5 m/s of it", SizeCategory::Large, AcPhase::taxi,
         180.0, 0.05, 0.5, 0.0, false, 0.0, 2.0, true},
        {"the way 60 degrees off the tail at 2 kt: coming round", SizeCategory::Large, AcPhase::taxi, 120.0, 0.05, 0.3,
         2 * rate, true, 0.0, 2.0},
        {"the way behind at 4 kt: coming round", SizeCategory::Large, AcPhase::taxi, 180.0, 0.05, 0.3, 2 * rate, true,
         0.0, 4.0},
        {"taxiing, the way behind at 2 kt: coming round", SizeCategory::Large, AcPhase::taxi, 180.0, 0.05, 0.3,
         2 * rate, true, 0.0, 2.0, false, false},
        {"pushed back 50 m, the way still behind: on tail first", SizeCategory::Large, AcPhase::taxi, 180.0, 0.02, 1.0,
         0.0, false, 0.0, 2.0, true, false, 50.0},
        // Once going, a report's speed field (stale, or the tug's jerk) does
        // not turn it round.
        {"pushed back 20 m, the way behind, the field at 8 kt: on tail first", SizeCategory::Large, AcPhase::taxi,
         180.0, 0.02, 1.0, 0.0, false, 0.0, 8.0, true, false, 20.0},
        {"pushed back 61 m, longer than a push: coming round", SizeCategory::Large, AcPhase::taxi, 180.0, 0.05, 0.3,
         2 * rate, true, 0.0, 2.0, false, false, 61.0},
        // A step planned faster than it taxies (re-aimed tick by tick while
        // it steers round) is held to taxi speed.
        {"20 degrees off, its step at 49 kt: the rest at 30 kt", SizeCategory::Large, AcPhase::taxi, 20.0, 0.25,
         (27.0 - 19.93) / 15.0, rate, false, 30.0},
        // A stream at 60 kt: late, it would make the rest up at 60 kt; on a
        // leg that turns it well off its nose, at taxi speed till a take-off
        // is seen (its own roll).
        {"20 degrees off and late, the stream at 60 kt: the rest at 60 kt", SizeCategory::Large, AcPhase::taxi, 20.0,
         0.05, (27.0 - 19.93) / 15.0, rate, false, 60.0, 60.0},
        {"20 degrees off and late on a turning leg, the stream at 60 kt: the rest at 30 kt", SizeCategory::Large,
         AcPhase::taxi, 20.0, 0.05, (27.0 - 19.93) / 15.0, rate, false, 30.0, 60.0, false, true, -1.0, true},
        {"... a take-off seen since: the rest at 60 kt", SizeCategory::Large, AcPhase::taxi, 20.0, 0.05,
         (27.0 - 19.93) / 15.0, rate, false, 60.0, 60.0, false, true, -1.0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshCase();
        LiveAc& ac = addActive(c.category, {sampleAt(kLat, kLon, 0, 5, 0, 9000)}, 0.0);
        ac.samples.front().dueTick = g_tick + 1000;
        ac.samples.front().groundSpeedKt = c.streamKt;
        ac.stood = c.stood ? 1 : 0;
        ac.turnsAtTaxi = c.turnsAtTaxi ? 1 : 0;
        ac.takeOffSeen = c.takeOffSeen ? 1 : 0;
        ac.reversing = c.pushedM >= 0.0 ? 1 : 0;
        ac.reversedM = std::max(c.pushedM, 0.0);
        if (c.catchUpKt > 0.0) {
            ac.samples.front() = sampleAt(kLat + 100.0 * std::cos(c.wayDeg * kDegToRad) / 111132.95,
                                          kLon + 100.0 * std::sin(c.wayDeg * kDegToRad) /
                                                     (111132.95 * std::cos(kLat * kDegToRad)),
                                          0, 20, 0, 9000);
            ac.samples.front().dueTick = g_tick + 1;
            ac.samples.front().groundSpeedKt = std::max(c.streamKt, 20.0);
        }
        gf_setPhase(ac, c.phase);
        ac.turnRate = ac.turnRateBase = rate * kDegToRad;
        ac.latStep = c.metres * std::cos(c.wayDeg * kDegToRad) / 111132.95;
        ac.lonStep = c.metres * std::sin(c.wayDeg * kDegToRad) / (111132.95 * std::cos(kLat * kDegToRad));
        lf_followCurve(ac);
        const double made = std::hypot((ac.lat - kLat) * 111132.95,
                                       (ac.lon - kLon) * 111132.95 * std::cos(kLat * kDegToRad));
        EXPECT_NEAR(made / c.metres, c.share, 0.01);
        EXPECT_NEAR(gf_normaliseRad(ac.heading) * kRadToDeg, c.turnedDeg, 1e-6);
        if (c.catchUpKt > 0.0) {
            const double perTickM = std::hypot(ac.latStep * 111132.95,
                                               ac.lonStep * 111132.95 * std::cos(kLat * kDegToRad));
            EXPECT_NEAR(perTickM * 100.0 * 3600.0 / kMetersPerNm, c.catchUpKt, 0.05);
        }
        EXPECT_EQ(ac.reversing != 0, c.tailFirst);
        if (c.creeping) {
            const double facing = c.phase == AcPhase::pushing_back ? ac.heading + kPi : ac.heading;
            const double wentDeg = std::atan2((ac.lon - kLon) * std::cos(kLat * kDegToRad), ac.lat - kLat) * kRadToDeg;
            EXPECT_NEAR(gf_normaliseRad(wentDeg * kDegToRad - facing) * kRadToDeg, 0.0, 0.01);
        }
    }
}

// Along a taxi curve the aircraft keeps an even pace, wherever the control
// point lies: from a sample just ahead (the control point) to one far on
// after a pause in the reports it neither crawls away nor races at the end,
// and it is at the curve's end when its time is up.
TEST_F(TickMotion, AlongATaxiCurveThePaceIsEven) {
    struct Case {
        const char* name;
        double controlNorthM, controlEastM, endNorthM, endEastM;
    };
    const Case cases[] = {{"the control point close to the start", 30.0, 0.0, 320.0, 40.0},
                          {"the control point close to the end", 250.0, 0.0, 320.0, 20.0},
                          {"the control point on the start", 0.0, 0.0, 300.0, 30.0}};
    constexpr int kTicks = 2400;
    const double eastScale = 111132.95 * std::cos(kLat * kDegToRad);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 15, 0, 9000)}, 0.0);
        ac.samples.front().dueTick = g_tick + kTicks;
        gf_setPhase(ac, AcPhase::taxi);
        ac.turnRate = ac.turnRateBase = 0.07 * kDegToRad;
        gf_setCurve(ac, GeoPoint{kLat + c.controlNorthM / 111132.95, kLon + c.controlEastM / eastScale},
                    GeoPoint{kLat + c.endNorthM / 111132.95, kLon + c.endEastM / eastScale});
        ac.curve.tStep = 1.0 / kTicks;
        const double wholeM = gf_curveLengthM(ac.curve, 0.0, 1.0);
        double fewestM = 1e9, mostM = 0.0;
        for (int k = 0; k < kTicks - 1; ++k) {
            const double lat = ac.lat, lon = ac.lon;
            lf_followCurve(ac);
            const double stepM = std::hypot((ac.lat - lat) * 111132.95, (ac.lon - lon) * eastScale);
            if (k >= 3) fewestM = std::min(fewestM, stepM);  // the first steps start a curve leaving its start
            mostM = std::max(mostM, stepM);
        }
        EXPECT_LE(mostM / fewestM, 1.05);
        EXPECT_NEAR(mostM, wholeM / kTicks, 0.05 * wholeM / kTicks);
        EXPECT_NEAR(ac.curve.t, 1.0, 0.002) << "at its end when its time is up";
    }
}

// A helicopter leaving along a curve (the start of its lift-off along the
// stream's way) with its nose far off the curve's way turns on the spot
// before it goes, nose first: it does not slide sideways along the curve.
TEST_F(TickMotion, AHelicopterAlongItsCurveTurnsOnTheSpotFirst) {
    const double eastScale = 111132.95 * std::cos(kLat * kDegToRad);
    LiveAc& ac = addActive(SizeCategory::Rotorcraft, {sampleAt(kLat, kLon, 0, 20, 0, 9000)}, 0.0);
    ac.samples.front().dueTick = g_tick + 2400;
    gf_setPhase(ac, AcPhase::taxi);
    ac.turnRate = ac.turnRateBase = 0.05 * kDegToRad;
    gf_setCurve(ac, GeoPoint{kLat, kLon + 30.0 / eastScale}, GeoPoint{kLat + 20.0 / 111132.95, kLon + 300.0 / eastScale});
    ac.curve.tStep = 1.0 / 2400;  // 12.5 m/s
    lf_followCurve(ac);
    EXPECT_EQ(ac.lat, kLat);
    EXPECT_EQ(ac.lon, kLon);
    EXPECT_NEAR(ac.heading * kRadToDeg, 0.1, 1e-6) << "round at twice its rate";
    while (ac.heading * kRadToDeg < 55.0) lf_followCurve(ac);
    EXPECT_EQ(ac.lon, kLon) << "still on the spot 35 degrees off";
    while (ac.heading * kRadToDeg < 62.0) lf_followCurve(ac);
    EXPECT_GT(ac.lon, kLon) << "drifting along its way once nearly round";
}

TEST_F(TickMotion, PushedBackAircraftKeepsItsPlaceAndABrokenCurveIsLogged) {
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 5, 0, 9000)});
    gf_setPhase(ac, AcPhase::pushed_back);
    ac.latStep = 0.001;
    lf_followCurve(ac);
    EXPECT_EQ(ac.lat, kLat);

    gf_setPhase(ac, AcPhase::taxi);
    ac.curve.controlEastM = ac.curve.controlNorthM = 10.0;
    ac.curve.endEastM = ac.curve.endNorthM = 20.0;
    ac.curve.xStart = 2.0;  // the curve's parameter lies outside its range
    ac.curve.xEnd = 3.0;
    ac.curve.tStep = 0.25;
    lf_followCurve(ac);
    EXPECT_EQ(ac.lat, kLat);
    EXPECT_TRUE(log.contains("TST123 error in curve at index: 0.25"));
}

// On short final the descent flattens in four stages, judged by the height
// above the park airport even while the simulator's height above ground is
// stale; the simulator's on-ground report then starts the touch-down.
TEST_F(TickMotion, FlareStagesFromTheHeightAboveTheParkAirportThenTouchDown) {
    setParkAirport(kLat, kLon, static_cast<float>(kElevation));
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 1045.05, 140, -700, 90000),
                                                 sampleAt(kLat + 0.1, kLon, 0, 130, 0, 99000)});
    ac.altitudeFt = kElevation + 45.05;
    ac.approach = 1;
    ac.altAboveGround = 300.0;  // higher than the height above the airport
    ac.climbStep = -0.15;
    ac.pitch = -2.0 * kDegToRad;
    ac.latStep = 1e-7;

    struct Stage {
        double heightAbove, climbStep, verticalSpeed;
    };
    const Stage stages[] = {{30, -0.1, -601}, {20, -0.075, -450}, {10, -0.05, -300}, {3, -0.025, -150}};
    double previousHeight = ac.altitudeFt - kElevation;
    while (ac.flareStage < 4 && g_tick.load() < 2000) {
        const double height = ac.altitudeFt - kElevation;
        const std::int32_t stage = ac.flareStage;
        const double pitchBefore = ac.pitch;
        tick();
        if (ac.flareStage == stage) {
            previousHeight = height;
            continue;
        }
        ASSERT_EQ(ac.flareStage, stage + 1);
        const Stage& s = stages[stage];
        EXPECT_LE(height, kCg + s.heightAbove) << "stage " << stage + 1;
        EXPECT_GT(previousHeight, kCg + s.heightAbove) << "stage " << stage + 1 << " not a tick late";
        EXPECT_DOUBLE_EQ(ac.climbStep, s.climbStep);
        EXPECT_DOUBLE_EQ(ac.samples.front().verticalSpeed, s.verticalSpeed);
        EXPECT_NEAR(ac.altitudeFt - kElevation, height + s.climbStep, 1e-9);
        if (stage == 0) {
            EXPECT_EQ(g_fastRangeRequests, 1) << "the simulator is asked more often now";
            EXPECT_NEAR(ac.pitchStep, (-4.0 * kDegToRad - pitchBefore) / 400, 1e-15);
        }
        if (stage == 2) {
            EXPECT_EQ(sim.valuesOf(EVT_THROTTLE_SET), std::vector<std::uint32_t>{0});
        }
        previousHeight = height;
    }
    ASSERT_EQ(ac.flareStage, 4);
    EXPECT_GE(deg(ac.pitch), -4.0 - 1e-12) << "the nose rises no higher than 4 deg";

    const double heading = ac.heading;
    gf_pushAcEvent({ac.objectId, 1, 0, AcEventKind::onGround, kElevation, 2.0});
    tick();
    EXPECT_EQ(ac.landed, 1);
    EXPECT_EQ(ac.noseDown, 1);
    EXPECT_EQ(ac.groundMode, 1);
    EXPECT_EQ(ac.approach, 0);
    EXPECT_EQ(ac.wantsStand, 1);
    EXPECT_EQ(g_fastRangeRequests, 0);
    EXPECT_EQ(ac.touchdownHeading, heading);
    EXPECT_EQ(ac.altitudeFt, kElevation + kCg);
    EXPECT_EQ(sim.valuesOf(EVT_SPOILERS_SET), std::vector<std::uint32_t>{16383});
    ASSERT_EQ(sim.controls.size(), 1u);
    EXPECT_EQ(sim.controls[0].objectId, ac.objectId);
    EXPECT_EQ(sim.controls[0].spoilers, 100.0);
    EXPECT_EQ(sim.controls[0].throttle1, 100.0);
    EXPECT_EQ(sim.controls[0].throttle2, 100.0);
    EXPECT_EQ(g_replaceCheckIds, std::deque<std::uint32_t>{ac.hexId});

    // The nose comes down to the static pitch over touchdownSteps (350) ticks.
    int ticks = 1;
    while (ac.noseDown != 0 && ticks < 1000) {
        tick();
        ++ticks;
    }
    EXPECT_GE(ticks, 350);
    EXPECT_LE(ticks, 351);
    EXPECT_EQ(ac.pitch, ac.staticPitch);
    EXPECT_EQ(ac.bank, 0.0);
    EXPECT_EQ(ac.flareStage, 0);
}

TEST_F(TickMotion, WithoutAParkAirportTheFlareStartsByHeightAboveGround) {
    for (const double aboveGround : {38.9, 39.1}) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 500, 140, -700, 90000),
                                                     sampleAt(kLat + 0.1, kLon, 0, 130, 0, 99000)});
        ac.approach = 1;
        ac.altAboveGround = aboveGround;
        tick();
        EXPECT_EQ(ac.flareStage, aboveGround <= kCg + 30 ? 1 : 0) << aboveGround;
    }
}

TEST_F(TickMotion, OnGroundReports) {
    struct Case {
        const char* name;
        SizeCategory category;
        AcPhase phase;
        std::uint8_t approach;
        std::int32_t flareStage;
        std::uint8_t fsltl;
        std::uint32_t onGround;
        std::int32_t rotationCounter;
        std::uint8_t groundModeBefore;
        bool landed;
        bool groundMode;
        double throttlePercent;  // of the controls block; 0 = none written
        double altitudeAfter;
    };
    const Case cases[] = {
        {"landing airliner", SizeCategory::Large, AcPhase::flying, 1, 3, 0, 1, 1, 0, true, true, 100, 1009},
        {"landing with reversers", SizeCategory::Large, AcPhase::flying, 1, 4, 1, 1, 1, 0, true, true, -100, 1009},
        {"landing light aircraft", SizeCategory::Light, AcPhase::flying, 1, 2, 0, 1, 1, 0, true, true, 0, 1009},
        {"on the ground without a landing", SizeCategory::Large, AcPhase::flying, 0, 0, 0, 1, 1, 0, false, true, 0,
         1009},
        {"still in the air", SizeCategory::Large, AcPhase::flying, 1, 3, 0, 0, 1, 0, false, false, 0, 1050},
        {"taking off", SizeCategory::Large, AcPhase::take_off, 0, 0, 0, 1, 50, 0, false, false, 0, 1009},
        {"already on the ground", SizeCategory::Large, AcPhase::taxi, 0, 0, 0, 1, 1, 1, false, true, 0, 1009},
    };
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(c.category, {sampleAt(kLat, kLon, 1050, 140, -300, 90000),
                                            sampleAt(kLat + 0.1, kLon, 0, 130, 0, 99000)});
        gf_setPhase(ac, c.phase);
        ac.approach = c.approach;
        ac.flareStage = c.flareStage;
        ac.fsltlTitle = c.fsltl;
        ac.rotationCounter = c.rotationCounter;
        ac.groundMode = c.groundModeBefore;
        ac.altitudeFt = 1050.0;
        gf_pushAcEvent({ac.objectId, c.onGround, 0, AcEventKind::onGround, 1000.0, 42.0});
        gf_handleAcEvents();
        EXPECT_EQ(ac.landed != 0, c.landed) << c.name;
        EXPECT_EQ(ac.groundMode != 0, c.groundMode) << c.name;
        EXPECT_EQ(ac.altAboveGround, 42.0) << c.name;
        EXPECT_EQ(ac.altitudeFt, c.altitudeAfter) << c.name;
        if (c.throttlePercent == 0.0) {
            EXPECT_TRUE(sim.controls.empty()) << c.name;
        } else {
            ASSERT_EQ(sim.controls.size(), 1u) << c.name;
            EXPECT_EQ(sim.controls[0].throttle1, c.throttlePercent) << c.name;
        }
        sim.frame();
        EXPECT_EQ(sim.valuesOf(EVT_SPOILERS_SET).size(), c.landed ? 1u : 0u) << c.name;
    }
}

TEST_F(TickMotion, TouchDownWithoutStepsIsLogged) {
    LiveAc& ac =
        addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 1010, 140, -300, 90000), sampleAt(kLat + 0.1, kLon, 0, 130, 0, 99000)});
    ac.approach = 1;
    ac.touchdownSteps = 0;
    gf_pushAcEvent({ac.objectId, 1, 0, AcEventKind::onGround, 1000.0, 1.0});
    gf_handleAcEvents();
    EXPECT_TRUE(log.contains("TST123 ! onGround slots 0.0"));
    EXPECT_EQ(ac.pitchStep, ac.staticPitch);
    EXPECT_EQ(ac.bankStep, 0.0);
}

// lf_takeOff leaves the counter at rotationSteps (100 here): the wheels leave
// the ground at once, the nose rises for 99 ticks, the altitude holds at the
// 100th and then climbs by a tenth, a fifth, a half and the whole climb step.
TEST_F(TickMotion, RotationAndClimbOut) {
    sim.terrainFt = 91.0;
    sim.reportEvery = 20;
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 150, 1500, 900000),
                                                 sampleAt(kLat + 0.5, kLon, 3000, 200, 1500, 990000)});
    gf_setPhase(ac, AcPhase::take_off);
    ac.altitudeFt = 100.0;
    ac.altAboveGround = 9.0;
    ac.pitch = ac.staticPitch;
    ac.rotationCounter = 100;
    ac.pitchStep = (ac.takeOffPitch - ac.pitch) / 100;
    ac.climbStep = 0.6;
    ac.lastThrottle = 4;
    ac.latStep = 1e-6;

    std::vector<double> altitude{ac.altitudeFt};
    std::vector<double> pitch{ac.pitch};
    std::int32_t flyingAt = -1;
    std::int32_t gearUpAt = -1;
    while (g_tick.load() < 3000 && flyingAt < 0) {
        tick();
        if (g_tick.load() == 1) {
            EXPECT_EQ(ac.groundMode, 0) << "cleared on the first tick";
        }
        altitude.push_back(ac.altitudeFt);
        pitch.push_back(ac.pitch);
        if (gearUpAt < 0 && !sim.valuesOf(EVT_GEAR_SET).empty()) gearUpAt = g_tick.load();
        if (ac.phase == AcPhase::flying) flyingAt = g_tick.load();
    }
    for (int t = 1; t <= 99; ++t) EXPECT_LT(pitch[t], pitch[t - 1]) << "rotating at tick " << t;
    EXPECT_NEAR(pitch[99], ac.staticPitch + 0.99 * (ac.takeOffPitch - ac.staticPitch), 1e-12) << "99 of 100 steps";
    for (int t = 1; t <= 100; ++t) EXPECT_EQ(altitude[t], 100.0) << "on the ground until tick " << t;
    struct Band {
        int from, to;
        double climb;
    };
    for (const Band& b : {Band{101, 199, 0.06}, Band{200, 299, 0.12}, Band{300, 399, 0.3}, Band{400, 450, 0.6}})
        for (int t = b.from; t <= b.to; ++t) EXPECT_NEAR(altitude[t] - altitude[t - 1], b.climb, 1e-9) << t;
    EXPECT_EQ(gearUpAt, 400) << "gear up with the first whole climb step";
    EXPECT_EQ(sim.valuesOf(EVT_GEAR_SET), std::vector<std::uint32_t>{0});

    // Flying once the simulator reports 800 ft above the ground and the nose
    // is at the climb pitch: climb power, and the counter back at 1.
    ASSERT_GT(flyingAt, 0);
    EXPECT_EQ(ac.rotationCounter, 1);
    EXPECT_GE(ac.altAboveGround, 800.0);
    EXPECT_LE(ac.pitch, ac.climbPitch);
    EXPECT_LT(ac.altitudeFt - 91.0, 800.0 + 0.6 * 22) << "within one report of passing 800 ft";
    EXPECT_EQ(sim.valuesOf(EVT_THROTTLE_SET), std::vector<std::uint32_t>{11468});
}
