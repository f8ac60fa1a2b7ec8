#include "traffic/object_events.h"

#include <gtest/gtest.h>

#include "simlink/sim_ids.h"
#include "support/log_capture.h"
#include "traffic/motion_fixture.h"

using namespace motion_test;

using ObjectEvents = MotionTest;

namespace {

using Sent = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

constexpr double kLat = 52.0;
constexpr double kLon = 4.0;

}  // namespace

// A created live object is configured 200 ticks after its event; meanwhile
// every light is toggled at counts 50 and 100.
TEST_F(ObjectEvents, ActivationOver200TicksWithLightTogglesAt50And100) {
    LiveAc& ac = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 12000, 250, 0, 90000)});
    ac.lifeState = AcLifeState::adding2sim;
    ac.altAboveGround = 2500.0;
    g_createdAcs.push_back({ac.objectId, ac.hexId, 0, AcEventKind::liveCreated, 0.0, 2500.0});
    std::int32_t activeAt = -1;
    for (int t = 1; t <= 250 && activeAt < 0; ++t) {
        tick();
        if (ac.lifeState == AcLifeState::active) activeAt = t;
    }
    std::vector<std::int32_t> toggles;
    for (const SentEvent& e : sim.events)
        if (e.eventId == EVT_ALL_LIGHTS_TOGGLE) toggles.push_back(e.tick + 1);
    EXPECT_EQ(toggles, (std::vector<std::int32_t>{50, 100}));
    EXPECT_EQ(activeAt, 201) << "the 201st tick finds the count at 200";
    EXPECT_TRUE(g_createdAcs.empty()) << "a completed entry leaves the list";
    Sent configured;
    for (const SentEvent& e : sim.events)
        if (e.eventId != EVT_ALL_LIGHTS_TOGGLE && e.tick == activeAt - 1) configured.emplace_back(e.eventId, e.value);
    // In the air above 10000 ft: engines on, spoilers in, landing and logo
    // lights off, cabin on from 2000 ft above ground.
    const Sent expected = {{EVT_ENGINE_AUTO_START, 0}, {EVT_SPOILERS_SET, 0},   {EVT_NAV_LIGHTS_SET, 1},
                           {EVT_BEACON_LIGHTS_SET, 1}, {EVT_LANDING_LIGHTS_SET, 0}, {EVT_TAXI_LIGHTS_SET, 0},
                           {EVT_STROBES_SET, 1},       {EVT_LOGO_LIGHTS_SET, 0},    {EVT_CABIN_LIGHTS_SET, 1}};
    EXPECT_EQ(configured, expected);
}

TEST_F(ObjectEvents, ConfigurationOfAnAircraftCreatedOnTheGround) {
    struct Case {
        const char* name;
        SizeCategory category;
        AcPhase phase;
        bool navWhileParked;
        Sent expected;
    };
    const Case cases[] = {
        {"parked",
         SizeCategory::Large,
         AcPhase::parked,
         false,
         {{EVT_SPOILERS_SET, 0}, {EVT_ENGINE_AUTO_SHUTDOWN, 0}, {EVT_NAV_LIGHTS_SET, 0}, {EVT_BEACON_LIGHTS_SET, 0},
          {EVT_LANDING_LIGHTS_SET, 0}, {EVT_TAXI_LIGHTS_SET, 0}, {EVT_STROBES_SET, 0}, {EVT_LOGO_LIGHTS_SET, 1},
          {EVT_CABIN_LIGHTS_SET, 1}, {EVT_THROTTLE_SET, 0}, {EVT_FLAPS_SET, 0}}},
        {"parked with nav lights",
         SizeCategory::Large,
         AcPhase::parked,
         true,
         {{EVT_SPOILERS_SET, 0}, {EVT_ENGINE_AUTO_SHUTDOWN, 0}, {EVT_NAV_LIGHTS_SET, 1}, {EVT_BEACON_LIGHTS_SET, 0},
          {EVT_LANDING_LIGHTS_SET, 0}, {EVT_TAXI_LIGHTS_SET, 0}, {EVT_STROBES_SET, 0}, {EVT_LOGO_LIGHTS_SET, 1},
          {EVT_CABIN_LIGHTS_SET, 1}, {EVT_THROTTLE_SET, 0}, {EVT_FLAPS_SET, 0}}},
        {"taxiing",
         SizeCategory::Large,
         AcPhase::taxi,
         false,
         {{EVT_SPOILERS_SET, 0}, {EVT_ENGINE_AUTO_START, 0}, {EVT_NAV_LIGHTS_SET, 1}, {EVT_BEACON_LIGHTS_SET, 1},
          {EVT_LANDING_LIGHTS_SET, 0}, {EVT_TAXI_LIGHTS_SET, 1}, {EVT_STROBES_SET, 0}, {EVT_LOGO_LIGHTS_SET, 1},
          {EVT_CABIN_LIGHTS_SET, 1}, {EVT_THROTTLE_SET, 0}, {EVT_FLAPS_SET, 3072}}},
        {"helicopter on a pad",
         SizeCategory::Rotorcraft,
         AcPhase::taxi,
         false,
         {{EVT_ENGINE_AUTO_START, 0}, {EVT_NAV_LIGHTS_SET, 1}, {EVT_BEACON_LIGHTS_SET, 1}, {EVT_LANDING_LIGHTS_SET, 0},
          {EVT_TAXI_LIGHTS_SET, 1}, {EVT_STROBES_SET, 0}, {EVT_LOGO_LIGHTS_SET, 1}, {EVT_CABIN_LIGHTS_SET, 1},
          {EVT_THROTTLE_SET, 16383}}},
    };
    for (const Case& c : cases) {
        freshCase();
        NAV_LIGHTS_WHILE_PARKED.value = c.navWhileParked;
        LiveAc& ac = addActive(c.category, {sampleAt(kLat, kLon, 0, 0, 0, 90000)});
        gf_setPhase(ac, c.phase);
        ac.lifeState = AcLifeState::adding2sim;
        ac.lastThrottle = 5;
        ac.lastFlaps = 4;
        g_createdAcs.push_back({ac.objectId, ac.hexId, 200, AcEventKind::liveCreated, 0.0, 0.0});
        lf_activateCreatedAcs();
        sim.drain(0);
        EXPECT_EQ(sim.sent(), c.expected) << c.name;
        EXPECT_EQ(ac.lifeState, AcLifeState::active) << c.name;
    }
}

TEST_F(ObjectEvents, StaticAircraftIsParkedAfter200Ticks) {
    testing_support::LogCapture log;
    g_stands.emplace_back(std::vector<StandUse>{}, std::string("D7"), kLat, kLon, 0.0, 30.0, false, false, false);
    g_stands.back().standId = 3;
    AcBase& parked = g_staticAcs.emplace_back();
    parked.hexId = 17;
    parked.callsign = "KLM606*";
    parked.standId = 3;
    parked.lifeState = AcLifeState::adding2sim;
    g_createdAcs.push_back({555, 17, 199, AcEventKind::staticCreated, 0.0, 0.0});
    lf_activateCreatedAcs();
    EXPECT_EQ(parked.lifeState, AcLifeState::adding2sim) << "count 199 becomes 200";
    lf_activateCreatedAcs();
    EXPECT_EQ(parked.lifeState, AcLifeState::active);
    EXPECT_EQ(parked.objectId, 555u);
    EXPECT_TRUE(log.contains("D7      : KLM606*  parked"));
    sim.drain(0);
    EXPECT_EQ(sim.valuesOf(EVT_ENGINE_AUTO_SHUTDOWN).size(), 1u) << "the parked configuration";
    EXPECT_TRUE(sim.valuesOf(EVT_ALL_LIGHTS_TOGGLE).empty()) << "statics get no light toggles";
}

// An aircraft removed while its object was being created goes once it is
// active; an entry whose aircraft has gone is simply done.
TEST_F(ObjectEvents, RemovalAfterCreationAndEntriesOfGoneAircraft) {
    LiveAc& leaving = addActive(SizeCategory::Large, {sampleAt(kLat, kLon, 5000, 200, 0, 90000)});
    leaving.lifeState = AcLifeState::adding2sim;
    leaving.removeWhenCreated = 1;
    g_createdAcs.push_back({leaving.objectId, leaving.hexId, 200, AcEventKind::liveCreated, 0.0, 0.0});
    g_createdAcs.push_back({999, 123456, 200, AcEventKind::liveCreated, 0.0, 0.0});  // no such aircraft
    g_createdAcs.push_back({998, 99, 200, AcEventKind::staticCreated, 0.0, 0.0});    // no such static
    g_createdAcs.push_back({997, 4242424, 10, AcEventKind::liveCreated, 0.0, 0.0});  // still counting
    lf_activateCreatedAcs();
    EXPECT_EQ(leaving.lifeState, AcLifeState::removingfromsim);
    ASSERT_EQ(g_createdAcs.size(), 1u);
    EXPECT_EQ(g_createdAcs[0].id, 4242424u);
    EXPECT_EQ(g_createdAcs[0].counter, 11);
}

TEST_F(ObjectEvents, StaticCentreOfGravityAndPitchArePlausibleOrReplaced) {
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

TEST_F(ObjectEvents, BlockedAircraftIsRemoved) {
    testing_support::LogCapture log;
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
    EXPECT_TRUE(log.contains("TST123 will be removed from buffer while blocked"));
    EXPECT_EQ(flying.lifeState, AcLifeState::removingfromsim);
    EXPECT_TRUE(log.contains("KLM1 removed from simulator immediately while blocked"));
    EXPECT_EQ(creating.lifeState, AcLifeState::adding2sim);
    EXPECT_EQ(creating.eraseNow, 0);
}
