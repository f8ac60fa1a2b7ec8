#include "traffic/air_motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "simlink/sim_ids.h"
#include "traffic/motion_fixture.h"
#include "traffic/motion_math.h"
#include "traffic/path_refill.h"

using namespace motion_test;

namespace {

constexpr double kLat = 52.0;
constexpr double kLon = 4.0;

}  // namespace

using AirMotion = MotionTest;

// Four legs of 0.4 nm at 240 kt are 600 ticks each: the aircraft stands on
// each sample at the tick it falls due, and only then steps on.
TEST_F(AirMotion, SamplesAreReachedExactlyAtTheirDueTicks) {
    std::vector<PosSample> samples;
    for (int k = 0; k <= 4; ++k) samples.push_back(sampleAt(latPlusNm(kLat, 0.4 * k), kLon, 30000, 240, 0, 600 * k));
    LiveAc& ac = addActive(SizeCategory::Large, samples);
    for (int k = 1; k <= 3; ++k) {
        runUntil(600 * k);  // the last tick run is due - 1
        EXPECT_NEAR(ac.lat, samples[k].lat, 1e-9) << "sample " << k;
        EXPECT_NEAR(ac.lon, kLon, 1e-12);
        EXPECT_EQ(ac.samples.front().dueTick, 600 * k) << "not yet stepped past sample " << k;
        tick();
        EXPECT_EQ(ac.samples.front().dueTick, 600 * (k + 1)) << "stepped on at sample " << k << "'s due tick";
    }
    EXPECT_DOUBLE_EQ(ac.altitudeFt, 30000.0);
    ASSERT_EQ(sim.positions.size(), 1u);
    EXPECT_EQ(sim.positions[0].objectId, ac.objectId);
    EXPECT_DOUBLE_EQ(sim.positions[0].lat, ac.lat);
    EXPECT_DOUBLE_EQ(sim.positions[0].trueAirspeedKt, 240.0);
}

TEST_F(AirMotion, NextDueTickStaysInTheDelayWindowUnlessHolding) {
    struct Case {
        std::int32_t now, ticks, refillState, maxAdvance, maxDelay, expected;
    };
    const Case cases[] = {
        {0, 4500, 0, 1000, 1000, 4500},  // within the window
        {0, 3000, 0, 1000, 1000, 4000},  // at most maxAdvance early
        {0, 7000, 0, 1000, 1000, 6000},  // at most maxDelay late
        {0, 3000, 0, 3000, 5000, 3000},  // a wider window after take-off
        {0, 9000, 0, 3000, 5000, 9000},
        {0, 3000, 1, 1000, 1000, 3000},  // a hold or extension stands
        {7000, 25, 0, 1000, 1000, 7000},  // never before now
    };
    for (const Case& c : cases) {
        freshCase();
        g_tick = c.now;
        LiveAc& ac = addActive(SizeCategory::Large,
                               {sampleAt(kLat, kLon, 5000, 200, 0, 0), sampleAt(kLat + 0.1, kLon, 5000, 200, 0, 5000)});
        ac.refillState = c.refillState;
        ac.maxAdvance = c.maxAdvance;
        ac.maxDelay = c.maxDelay;
        lf_setNextDue(ac, c.ticks);
        EXPECT_EQ(ac.samples[1].dueTick, c.expected) << "now " << c.now << " ticks " << c.ticks;
    }
}

// A stream that stops: eight copies of the last sample, each 8 s on at 95 %
// of the speed before, then the aircraft goes.
TEST_F(AirMotion, EightExtensionsThenRemoval) {
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 20000, 250, 0, 0)}, 90.0);
    std::vector<PosSample> extensions;
    std::vector<std::int32_t> stepTicks;
    while (g_tick.load() < 20000 && ac.lifeState == AcLifeState::active) {
        const std::int32_t due = ac.samples.front().dueTick;
        const bool stepping = g_tick.load() >= due;
        tick();
        if (stepping && ac.lifeState == AcLifeState::active) {
            extensions.push_back(ac.samples.front());
            stepTicks.push_back(g_tick.load() - 1);
        }
    }
    ASSERT_EQ(extensions.size(), 8u);
    PosSample previous = sampleAt(kLat, kLon, 20000, 250, 0, 0);
    double speed = 250.0;
    for (std::size_t k = 0; k < extensions.size(); ++k) {
        speed *= 0.95;
        EXPECT_NEAR(extensions[k].groundSpeedKt, speed, 1e-9) << k;
        const double flown = gf_distanceNm({previous.lat, previous.lon}, {extensions[k].lat, extensions[k].lon});
        EXPECT_NEAR(flown, speed * 8.0 / 3600.0, 1e-9) << k;
        EXPECT_NEAR(deg(gf_bearingRad({previous.lat, previous.lon}, {extensions[k].lat, extensions[k].lon})), 90.0,
                    0.01);
        EXPECT_EQ(extensions[k].altitudeFt, 20000.0);
        previous = extensions[k];
    }
    // Each copy is due 8 s after the one before; flown at the mean of the
    // two speeds it is reached after round(0.95 * 800 / 0.975) = 779 ticks.
    for (std::size_t k = 0; k < stepTicks.size(); ++k) EXPECT_EQ(stepTicks[k], static_cast<std::int32_t>(779 * k));
    EXPECT_EQ(ac.lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(g_tick.load() - 1, 8 * 779) << "removed when the eighth copy was reached";
}

TEST_F(AirMotion, WhetherARunDryStreamIsExtended) {
    struct Case {
        const char* name;
        bool airborneOnly;
        bool parkAirport;
        double altitudeFt;
        double userDistanceNm;  // 0: user position unknown
        SizeCategory category;
        bool lightAllowed;
        std::int32_t refillState;
        bool extended;
        std::int32_t refillAfter;
    };
    const Case cases[] = {
        {"fresh", false, false, 3000, 0, SizeCategory::Large, true, 0, true, 8},
        {"airborne-only near the park elevation", true, true, 2399, 0, SizeCategory::Large, true, 0, false, 0},
        {"airborne-only 1000 ft above it", true, true, 2400, 0, SizeCategory::Large, true, 0, true, 8},
        {"airborne-only without a park airport", true, false, 999, 0, SizeCategory::Large, true, 0, false, 0},
        {"airborne-only 1000 ft above sea level", true, false, 1000, 0, SizeCategory::Large, true, 0, true, 8},
        {"at the radius edge", false, false, 3000, 39.51, SizeCategory::Large, true, 0, false, 0},
        {"inside the radius edge", false, false, 3000, 39.49, SizeCategory::Large, true, 0, true, 8},
        {"light aircraft switched off", false, false, 3000, 0, SizeCategory::Light, false, 0, false, 0},
        {"light aircraft allowed", false, false, 3000, 0, SizeCategory::Light, true, 0, true, 8},
        {"extension under way", false, false, 3000, 0, SizeCategory::Large, true, 3, true, 2},
        {"last extension spent", false, false, 3000, 0, SizeCategory::Large, true, 1, false, -1},
        {"spent", false, false, 3000, 0, SizeCategory::Large, true, -1, false, -1},
    };
    for (const Case& c : cases) {
        freshCase();
        AIRBORNE_ONLY.value = c.airborneOnly;
        LIGHT_AIRCRAFT.value = c.lightAllowed;
        g_rangeNm = 40.0;
        if (c.parkAirport) setParkAirport(kLat, kLon, 1400.0F);
        if (c.userDistanceNm > 0.0) {
            g_userRef.lat = latPlusNm(kLat, c.userDistanceNm);
            g_userRef.lon = kLon;
        }
        LiveAc& ac = addActive(c.category, {sampleAt(kLat, kLon, c.altitudeFt, 200, 0, 0)});
        ac.refillState = c.refillState;
        EXPECT_EQ(lf_refillSamples(ac), c.extended) << c.name;
        EXPECT_EQ(ac.samples.size(), c.extended ? 2u : 1u) << c.name;
        EXPECT_EQ(ac.refillState, c.refillAfter) << c.name;
    }
}

// A taxiing aircraft whose stream stops waits, 300 ticks at a time, for at
// most MAX_HOLDING_MINUTES whole minutes.
TEST_F(AirMotion, TaxiingAircraftHoldsThenGoes) {
    MAX_HOLDING_MINUTES.value = 1;
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 12, 0, 0)});
    tick();
    ASSERT_EQ(ac.samples.size(), 1u);
    EXPECT_EQ(ac.samples.front().dueTick, 300);
    EXPECT_EQ(ac.samples.front().stationary, 1);
    EXPECT_EQ(ac.samples.front().groundSpeedKt, 0.0);
    EXPECT_EQ(ac.holding, 1);
    runUntil(12000);
    EXPECT_EQ(ac.lifeState, AcLifeState::active) << "1 min 57 s is one whole minute, not more";
    EXPECT_FALSE(log.contains("removed: held"));
    tick();
    EXPECT_EQ(ac.lifeState, AcLifeState::removingfromsim) << "two whole minutes are";
    EXPECT_TRUE(log.contains("removed: held 2 min for its stream"));
}

// A taxiing aircraft whose stream stops goes at once where another taxies
// close enough to run into it; beside one that stands (queued at a holding
// point) it holds.
TEST_F(AirMotion, TaxiingAircraftNextToAnotherMovingOneGoesAtOnce) {
    struct Case {
        double apartNm;
        bool otherMoving;
        bool removed;
    };
    // Both radii are 0.01 nm: they collide within 1.2 x 0.02 nm.
    const Case cases[] = {{0.023, true, true}, {0.025, true, false}, {0.023, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.apartNm << (c.otherMoving ? " nm, moving" : " nm, standing"));
        freshCase();
        std::vector<PosSample> stream = {sampleAt(latPlusNm(kLat, c.apartNm), kLon, 0, 10, 0, 90000),
                                         sampleAt(latPlusNm(kLat, 1), kLon, 0, 10, 0, 99000)};
        if (!c.otherMoving) {
            stream[1] = stream[0];
            for (PosSample& s : stream) {
                s.groundSpeedKt = 0.0;
                s.stationary = 1;
            }
        }
        LiveAc& other = addActive(SizeCategory::Large, stream);
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 12, 0, 0)});
        const auto removals = [&] {
            const std::vector<std::string> lines = log.lines();
            return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
                return line.find("removed: its stream paused with TST123 taxiing 43 m away") != std::string::npos;
            });
        };
        const auto before = removals();
        tick();
        EXPECT_EQ(ac.lifeState, c.removed ? AcLifeState::removingfromsim : AcLifeState::active);
        EXPECT_EQ(ac.holding, c.removed ? 0 : 1);
        EXPECT_EQ(removals() - before, c.removed ? 1 : 0) << "the log says why it went";
        EXPECT_EQ(other.lifeState, AcLifeState::active);
    }
}

// The bank goes towards -(turn) within the category's maximum bank, by at
// most its maximum change per tick; the pitch towards its target by at most
// the category's maximum change.
TEST_F(AirMotion, BankAndPitchStepsAreClampedPerCategory) {
    struct Case {
        SizeCategory category;
        double bankAfterOneTickDeg;   // a 90 deg turn due in 600 ticks
        double pitchAfterOneTickDeg;  // climbing at 3000 ft/min: target -11.8 deg
    };
    const Case cases[] = {
        {SizeCategory::Light, -0.035, -0.01},          {SizeCategory::Buzjets, -0.0275, -0.0085},
        {SizeCategory::Large, -0.02, -0.0075},         {SizeCategory::Heavy, -0.015, -0.005},
        {SizeCategory::HighPerf, -0.1, -11.8 / 600.0}, {SizeCategory::Rotorcraft, -0.06, -11.8 / 600.0},
    };
    for (const Case& c : cases) {
        freshCase();
        const double lat1 = latPlusNm(kLat, 0.4);
        LiveAc& ac = addActive(c.category, {sampleAt(kLat, kLon, 20000, 240, 3000, 0),
                                            sampleAt(lat1, kLon, 20000, 240, 3000, 600),
                                            sampleAt(lat1, kLon + 0.1, 20000, 240, 3000, 1200)});
        tick();
        EXPECT_NEAR(deg(ac.bank), c.bankAfterOneTickDeg, 1e-9) << gf_sizeCategoryName(c.category);
        EXPECT_NEAR(deg(ac.pitch), c.pitchAfterOneTickDeg, 1e-9) << gf_sizeCategoryName(c.category);
    }
}

TEST_F(AirMotion, BankReachesTheCategoryMaximumInALongTurn) {
    for (const auto& [category, maxBankDeg] :
         {std::pair{SizeCategory::Large, 30.0}, std::pair{SizeCategory::Heavy, 20.0}}) {
        freshCase();
        const double lat1 = latPlusNm(kLat, 4.0);  // 6000 ticks at 240 kt
        LiveAc& ac = addActive(category, {sampleAt(kLat, kLon, 20000, 240, 0, 0),
                                          sampleAt(lat1, kLon, 20000, 240, 0, 6000),
                                          sampleAt(lat1, kLon + 0.1, 20000, 240, 0, 12000)});
        const double onwards = gf_bearingRad({lat1, kLon}, {lat1, kLon + 0.1});
        runUntil(6000);
        EXPECT_NEAR(deg(ac.bank), -maxBankDeg, 1e-6) << "a right turn banks right (negative)";
        EXPECT_NEAR(ac.heading, onwards, 1e-9) << "heading at s1 is the bearing on to s2";
    }
}

// Target pitch = -3 deg - (c / 600) x 2.2 deg, c = min(vs, 2400) climbing,
// max(vs, -3000) / 2 descending; pitch is negative nose up.
TEST_F(AirMotion, PitchTargetFollowsTheNextVerticalSpeed) {
    const std::pair<double, double> cases[] = {{0, -3.0}, {1200, -7.4}, {3000, -11.8}, {-600, -1.9}, {-5000, 2.5}};
    for (const auto& [vs, pitchDeg] : cases) {
        freshCase();
        const double lat1 = latPlusNm(kLat, 4.0);
        LiveAc& ac = addActive(SizeCategory::Heavy, {sampleAt(kLat, kLon, 20000, 240, vs, 0),
                                                     sampleAt(lat1, kLon, 20000, 240, vs, 6000)});
        runUntil(6000);
        EXPECT_NEAR(deg(ac.pitch), pitchDeg, 1e-9) << vs;
    }
}

// 359 deg to 1 deg is a turn of 2 deg to the right, not 358 to the left.
TEST_F(AirMotion, TurnAcrossNorthTakesTheShortWay) {
    const double lat1 = latPlusNm(kLat, 4.0);
    const GeoPoint s2 = gf_destinationPoint({lat1, kLon}, 1.0 * kDegToRad, 4.0 * kFeetPerNm);
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 20000, 240, 0, 0),
                                                 sampleAt(lat1, kLon, 20000, 240, 0, 6000),
                                                 sampleAt(s2.lat, s2.lon, 20000, 240, 0, 12000)},
                           359.0);
    EXPECT_NEAR(deg(gf_turnAngle(ac)), 2.0, 1e-6);
    runUntil(6000);
    EXPECT_NEAR(deg(ac.heading), 1.0, 1e-6);
    EXPECT_NEAR(deg(ac.bank), -2.0, 1e-6);
}

// In the air the nose turns over a leg to the next leg's bearing. Flaring
// or rolling on the ground it keeps along the way it goes, leading a next
// leg that turns sharply off (a report astray beside the runway) by 10
// degrees at most; a helicopter's nose goes where it likes.
TEST_F(AirMotion, FlaringOrOnTheGroundTheNoseLeadsTheNextLegByTenDegreesAtMost) {
    struct Case {
        const char* name;
        SizeCategory category;
        double altitudeFt;
        std::uint8_t flareStage, groundMode;
        double turnDeg;  // over the leg to s1
    };
    const Case cases[] = {
        {"in the air", SizeCategory::Large, 2000.0, 0, 0, -120.0},
        {"flaring", SizeCategory::Large, 30.0, 1, 0, -10.0},
        {"rolling on the ground", SizeCategory::Large, 0.0, 0, 1, -10.0},
        {"a helicopter on the ground", SizeCategory::Rotorcraft, 0.0, 0, 1, -120.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        // s1 500 m east, s2 100 m on from it to the north-north-west.
        const GeoPoint s1 = gf_destinationPoint({kLat, kLon}, 90.0 * kDegToRad, 500.0 * kFeetPerNm / kMetersPerNm);
        const GeoPoint s2 = gf_destinationPoint(s1, 330.0 * kDegToRad, 100.0 * kFeetPerNm / kMetersPerNm);
        LiveAc& ac = addActive(c.category,
                               {sampleAt(kLat, kLon, c.altitudeFt, 140, 0, 0),
                                sampleAt(s1.lat, s1.lon, c.altitudeFt, 140, 0, 700),
                                sampleAt(s2.lat, s2.lon, c.altitudeFt, 140, 0, 850)},
                               90.0);
        ac.flareStage = c.flareStage;
        ac.groundMode = c.groundMode;
        lf_configureInAir(ac);
        EXPECT_NEAR(deg(ac.headingStep * (700 - g_tick.load())), c.turnDeg, 0.5);
    }
}

TEST_F(AirMotion, LightsAreSetOnceAboveAndOnceBelow10000Feet) {
    const double altitudes[] = {12000, 11000, 9000, 8000, 11000, 11500};
    std::vector<PosSample> samples;
    for (int k = 0; k < 6; ++k)
        samples.push_back(sampleAt(latPlusNm(kLat, 0.4 * k), kLon, altitudes[k], 240, 0, 600 * k));
    LiveAc& ac = addActive(SizeCategory::Large, samples);
    ac.lastThrottle = 5;
    ac.lastFlaps = 4;
    runUntil(3000);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> high = {
        {EVT_NAV_LIGHTS_SET, 1}, {EVT_BEACON_LIGHTS_SET, 1}, {EVT_LANDING_LIGHTS_SET, 0}, {EVT_TAXI_LIGHTS_SET, 0},
        {EVT_STROBES_SET, 0},    {EVT_LOGO_LIGHTS_SET, 0},   {EVT_CABIN_LIGHTS_SET, 1}};
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> low = {
        {EVT_NAV_LIGHTS_SET, 1}, {EVT_BEACON_LIGHTS_SET, 1}, {EVT_LANDING_LIGHTS_SET, 1}, {EVT_TAXI_LIGHTS_SET, 1},
        {EVT_STROBES_SET, 1},    {EVT_LOGO_LIGHTS_SET, 1},   {EVT_CABIN_LIGHTS_SET, 1}};
    auto sentAt = [&](std::int32_t t) { return sim.sent(t); };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> first = high;
    first.insert(first.end(), {{EVT_THROTTLE_SET, 11468}, {EVT_GEAR_SET, 0}, {EVT_FLAPS_SET, 0}});
    EXPECT_EQ(sentAt(0), first) << "12000 ft: high lights, climb power, gear and flaps up";
    EXPECT_TRUE(sentAt(600).empty()) << "11000 ft: nothing again";
    std::vector<std::pair<std::uint32_t, std::uint32_t>> below = low;
    below.insert(below.end(), {{EVT_CABIN_LIGHTS_SET, 1}, {EVT_GEAR_SET, 0}});
    EXPECT_EQ(sentAt(1200), below) << "9000 ft: all lights once";
    EXPECT_EQ(sentAt(1800), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{EVT_CABIN_LIGHTS_SET, 1},
                                                                                  {EVT_GEAR_SET, 0}}));
    std::vector<std::pair<std::uint32_t, std::uint32_t>> again = high;
    again.push_back({EVT_GEAR_SET, 0});
    EXPECT_EQ(sentAt(2400), again) << "climbing through 10000 ft again";
}

// Low down near the park airport and descending: landing configuration.
TEST_F(AirMotion, ApproachConfigurationWithin10NmOfTheParkAirport) {
    struct Case {
        const char* name;
        SizeCategory category;
        double distanceNm;
        double aboveGroundFt;
        double verticalSpeed;
        bool approachBefore;
        bool approachAfter;
        std::uint32_t throttleValue;  // 0: no throttle event
    };
    const Case cases[] = {
        {"9.9 nm, descending", SizeCategory::Large, 9.9, 1500, -700, false, true, 4914},
        {"10.1 nm", SizeCategory::Large, 10.1, 1500, -700, false, false, 0},
        {"descending too slowly", SizeCategory::Large, 9.9, 1500, -200, false, false, 0},
        // Above the low limit a descent throttles back from index 3 to 2 instead.
        {"airliner above 2050 ft", SizeCategory::Large, 9.9, 2051, -700, false, false, 8191},
        {"light aircraft above 625 ft", SizeCategory::Light, 9.9, 700, -700, false, false, 8191},
        {"light aircraft at 600 ft", SizeCategory::Light, 9.9, 600, -700, false, true, 4914},
        {"left the airport behind", SizeCategory::Large, 10.1, 1500, -700, true, false, 16383},
    };
    for (const Case& c : cases) {
        freshCase();
        setParkAirport(kLat, kLon, -11.0F);
        const double start = latPlusNm(kLat, -c.distanceNm);
        LiveAc& ac = addActive(c.category, {sampleAt(start, kLon, 1500, 160, c.verticalSpeed, 0),
                                            sampleAt(latPlusNm(start, 0.4), kLon, 1450, 160, c.verticalSpeed, 900)});
        ac.altAboveGround = c.aboveGroundFt;
        ac.approach = c.approachBefore ? 1 : 0;
        ac.lastFlaps = 1;
        tick();
        EXPECT_EQ(ac.approach, c.approachAfter ? 1 : 0) << c.name;
        const auto throttle = sim.valuesOf(EVT_THROTTLE_SET);
        if (c.throttleValue == 0) {
            EXPECT_TRUE(throttle.empty()) << c.name;
        } else {
            EXPECT_EQ(throttle, std::vector<std::uint32_t>{c.throttleValue}) << c.name;
        }
        if (c.approachAfter) {
            EXPECT_EQ(sim.valuesOf(EVT_FLAPS_SET), std::vector<std::uint32_t>{16383}) << c.name;
            EXPECT_EQ(sim.valuesOf(EVT_GEAR_SET).back(), 1u) << c.name;
            EXPECT_EQ(sim.valuesOf(EVT_CABIN_LIGHTS_SET).back(), 0u) << c.name;
            EXPECT_EQ(g_replaceCheckIds, std::deque<std::uint32_t>{ac.hexId}) << c.name;
            EXPECT_EQ(ac.maxAdvance, 3000);
            EXPECT_EQ(ac.maxDelay, 3000);
        } else {
            EXPECT_TRUE(g_replaceCheckIds.empty()) << c.name;
        }
    }
}

// Towards a ground sample the descent depends on the QNH: with the standard
// pressure and a park airport it ends exactly at the airport's elevation.
TEST_F(AirMotion, DescentToTheGroundSampleByQnh) {
    struct Case {
        std::int32_t qnh;
        bool parkAirport;
        double altitudeAtDue;
    };
    const Case cases[] = {
        {1013, true, 100.0},                        // elevation reached at the due tick
        {1020, true, 600.0 - 740.5 / 6000 * 1000},  // -700 - 6.75 x 6 ft/min
        {1014, false, 600.0 - 704.5 / 6000 * 1000},
        {1008, false, 600.0 - 601.0 / 6000 * 1000},
    };
    for (const Case& c : cases) {
        freshCase();
        g_engineQnh = c.qnh;
        if (c.parkAirport) setParkAirport(latPlusNm(kLat, 1.0), kLon, 100.0F);
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 600, 140, -700, 0),
                                                     sampleAt(latPlusNm(kLat, 140.0 / 360.0), kLon, 0, 140, -700, 1000)});
        ac.altAboveGround = 500.0;
        runUntil(1000);
        EXPECT_NEAR(ac.altitudeFt, c.altitudeAtDue, 1e-6) << c.qnh;
    }
}

// With no park airport and QNH 1008 the descent is 601 ft/min, sent in ft/s.
TEST_F(AirMotion, TouchDownDescentIsSentInFeetPerSecond) {
    g_engineQnh = 1008;
    addActive(SizeCategory::Large,
              {sampleAt(kLat, kLon, 600, 140, -700, 0), sampleAt(latPlusNm(kLat, 0.39), kLon, 0, 140, -700, 1000)});
    tick();
    ASSERT_EQ(sim.positions.size(), 1u);
    EXPECT_DOUBLE_EQ(sim.positions[0].verticalSpeedFts, -601.0 / 60.0);
}

// Ground samples while still in the air, with a climbing stream: the queue is
// cut to the first airborne sample and the gear goes down.
TEST_F(AirMotion, GroundSamplesInTheAirAreCutToTheFirstAirborneOne) {
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 150, 800, 0),
                                                 sampleAt(latPlusNm(kLat, 0.1), kLon, 0, 150, 0, 240),
                                                 sampleAt(latPlusNm(kLat, 0.2), kLon, 0, 150, 0, 480),
                                                 sampleAt(latPlusNm(kLat, 0.3), kLon, 600, 150, 800, 720),
                                                 sampleAt(latPlusNm(kLat, 0.4), kLon, 800, 150, 800, 960)});
    ac.groundMode = 0;  // still flying while the stream shows the ground
    ac.phase = AcPhase::flying;
    tick();
    ASSERT_EQ(ac.samples.size(), 2u) << "the two ground samples are gone";
    EXPECT_EQ(ac.samples.front().altitudeFt, 600.0);
    EXPECT_EQ(ac.samples.front().dueTick, 720);
    EXPECT_EQ(sim.valuesOf(EVT_GEAR_SET).front(), 1u);
    EXPECT_NEAR(ac.climbStep, 0.6, 1e-12) << "climbing to it at the category's rate at most";
}

// A track over the antimeridian: the longitude steps east the short way and
// wraps, it never sweeps round the globe.
TEST_F(AirMotion, TrackAcrossTheAntimeridian) {
    const double lat = 10.0;
    const double legNm = gf_distanceNm({lat, 179.99}, {lat, -179.99});
    const auto dueTicks = static_cast<std::int32_t>(std::lround(legNm * 360000.0 / 480.0));
    LiveAc& ac = addActive(SizeCategory::Large,
                           {sampleAt(lat, 179.99, 30000, 480, 0, 0), sampleAt(lat, -179.99, 30000, 480, 0, dueTicks)},
                           90.0);
    double previous = ac.lon;
    while (g_tick.load() < dueTicks) {
        tick();
        ASSERT_GE(ac.lon, -180.0);
        ASSERT_LT(ac.lon, 180.0);
        const double step = gf_lonDifference(previous, ac.lon);
        ASSERT_GT(step, 0.0) << "eastwards at tick " << g_tick.load();
        ASSERT_LT(step, 1e-4) << "no sweep round the globe at tick " << g_tick.load();
        previous = ac.lon;
    }
    EXPECT_NEAR(ac.lon, -179.99, 1e-9);
}

TEST_F(AirMotion, SampleSpeedOfTwoStandingSamplesComesFromTheirDistance) {
    struct Case {
        double nm;
        std::int32_t dueGap;
        double speed;
    };
    const Case cases[] = {{0.1, 3600, 10.0}, {0.1, -50, 0.1 * 360000 / 25}, {0.0001, 3600, 1.0}};
    for (const Case& c : cases) {
        freshCase();
        LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 0, 0, 0, 1000),
                                                     sampleAt(latPlusNm(kLat, c.nm), kLon, 0, 0, 0, 1000 + c.dueGap)});
        EXPECT_NEAR(gf_sampleSpeed(ac), c.speed, 1e-6) << c.nm << " nm, gap " << c.dueGap;
    }
    resetEngine();
    LiveAc& moving = addActive(SizeCategory::Large,
                               {sampleAt(kLat, kLon, 0, 0, 0, 0), sampleAt(latPlusNm(kLat, 1), kLon, 0, 30, 0, 100)});
    EXPECT_EQ(gf_sampleSpeed(moving), 15.0) << "one moving: the mean";
}

// A taxiing aircraft that is still flying gets hold samples that stand
// still, which the air step drops again: the step gives up and removes it
// instead of refilling for ever within one tick.
TEST_F(AirMotion, RefillsThatAreDroppedAgainEndInRemoval) {
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 3000, 200, 0, 0)});
    gf_setPhase(ac, AcPhase::taxi);
    tick();
    EXPECT_EQ(ac.lifeState, AcLifeState::removingfromsim);
}
