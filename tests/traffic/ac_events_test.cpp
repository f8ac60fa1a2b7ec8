// The simulator's events about AI objects: creation and the 200 ticks of
// configuration, removal, refused creations and their livery titles.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine_fixture.h"
#include "foundation/user_error.h"
#include "simlink/sim_ids.h"
#include "support/temp_dir.h"
#include "traffic/ac_events.h"
#include "traffic/flight_plan_folder.h"
#include "traffic/respawn.h"

namespace {

using engine_test::EngineTest;
using engine_test::kFieldLat;
using engine_test::Rec;

class AcEvents : public EngineTest {
protected:
    // An airborne aircraft whose creation has been sent; the tick it was sent after.
    std::int32_t sendCreation(const Rec& r) {
        feedPair(r, g_tick.load() + 200, 0.01, 100000);
        while (sim.creationOf(r.hexId) == nullptr) tick();
        return g_tick.load() - 1;
    }
    // The values of the client events of one kind for one object.
    std::vector<std::uint32_t> values(std::uint32_t objectId, std::uint32_t eventId) const {
        std::vector<std::uint32_t> out;
        for (const auto& e : sim.eventsFor(objectId, eventId)) out.push_back(e.value);
        return out;
    }
    // The seven lights queued at activation (the first of each; the motion
    // sets them again later), in the order nav, beacon, landing, taxi,
    // strobe, logo, cabin; 99 for one never sent.
    std::vector<std::uint32_t> lights(std::uint32_t objectId) const {
        std::vector<std::uint32_t> out;
        for (const std::uint32_t id : {EVT_NAV_LIGHTS_SET, EVT_BEACON_LIGHTS_SET, EVT_LANDING_LIGHTS_SET,
                                       EVT_TAXI_LIGHTS_SET, EVT_STROBES_SET, EVT_LOGO_LIGHTS_SET,
                                       EVT_CABIN_LIGHTS_SET}) {
            const auto v = values(objectId, id);
            out.push_back(v.empty() ? 99 : v.front());
        }
        return out;
    }
};

TEST_F(AcEvents, ObjectIdsBelowThreeAreNeverAiObjects) {
    Rec r;
    sendCreation(r);
    for (const std::uint32_t objectId : {0U, 1U, 2U}) {
        gf_pushAcEvent({objectId, r.hexId, 0, AcEventKind::liveCreated, 0.0, 2500.0});
        tick();
        EXPECT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
        EXPECT_EQ(live(r.hexId)->objectId, 0U);
    }
    EXPECT_TRUE(g_createdAcs.empty());
    EXPECT_TRUE(staticCgRequests.empty());
}

TEST_F(AcEvents, ACreatedAirlinerIsConfiguredAndActiveAfterTwoHundredTicks) {
    Rec r;
    r.altitudeFt = 5000;
    sendCreation(r);
    const std::uint32_t objectId = sim.objectOf(r.hexId);
    sim.objectCreated(r.hexId, 2400.0);
    const std::int32_t handled = g_tick.load();
    tick();
    EXPECT_EQ(live(r.hexId)->objectId, objectId);
    EXPECT_DOUBLE_EQ(live(r.hexId)->altAboveGround, 2400.0);
    EXPECT_EQ(staticCgRequests, std::vector<std::uint32_t>{objectId});
    tickTo(handled + 200);
    EXPECT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
    EXPECT_TRUE(sim.eventsFor(objectId, EVT_ENGINE_AUTO_START).empty());
    tick();
    EXPECT_EQ(stateOf(r.hexId), AcLifeState::active) << "active once the count reached 200";
    std::vector<std::int32_t> toggles;
    for (std::size_t k = 0; k < sim.events.size(); ++k)
        if (sim.events[k].eventId == EVT_ALL_LIGHTS_TOGGLE) toggles.push_back(sim.eventTicks[k] - handled);
    EXPECT_EQ(toggles, (std::vector<std::int32_t>{49, 99})) << "at counts 50 and 100 only";
    EXPECT_EQ(sim.eventsFor(objectId, EVT_ENGINE_AUTO_START).size(), 1U);
    EXPECT_EQ(lights(objectId), (std::vector<std::uint32_t>{1, 1, 1, 0, 1, 1, 1}));
    EXPECT_TRUE(g_createdAcs.empty());
    tick(300);
    EXPECT_EQ(sim.eventsFor(objectId, EVT_ALL_LIGHTS_TOGGLE).size(), 2U);

    // Above 10000 ft and low over the ground: no landing or logo lights, no cabin lights.
    Rec high;
    high.hexId = 30000;
    high.callsign = "DLH3";
    high.altitudeFt = 12000;
    sendCreation(high);
    sim.objectCreated(30000, 1500.0);
    tick(202);
    EXPECT_EQ(lights(sim.objectOf(30000)), (std::vector<std::uint32_t>{1, 1, 0, 0, 1, 0, 0}));
}

TEST_F(AcEvents, AnAircraftCreatedOnItsStandParksWithEnginesOff) {
    makeAirport(2);
    NAV_LIGHTS_WHILE_PARKED.value = false;
    Rec r;
    r.altitudeFt = 0;
    r.groundSpeedKt = 0;
    r.lat = kFieldLat;
    r.lon = standLon(0);
    r.dueTick = 1000;
    feed(r);
    r.timestamp += 16;
    r.dueTick = 100000;
    feed(r);
    tickTo(1000);
    ASSERT_EQ(live(r.hexId)->phase, AcPhase::parked);
    const std::uint32_t objectId = sim.objectOf(r.hexId);
    sim.objectCreated(r.hexId, 9.0);
    tick(202);
    ASSERT_EQ(stateOf(r.hexId), AcLifeState::active);
    EXPECT_TRUE(log.contains("A1      : KLM1234  parks"));
    EXPECT_EQ(live(r.hexId)->groundMode, 1);
    EXPECT_EQ(sim.eventsFor(objectId, EVT_ENGINE_AUTO_SHUTDOWN).size(), 1U);
    EXPECT_TRUE(sim.eventsFor(objectId, EVT_ENGINE_AUTO_START).empty());
    EXPECT_EQ(lights(objectId), (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(live(r.hexId)->lastThrottle, 0U);
    EXPECT_EQ(live(r.hexId)->lastFlaps, 0U);
}

TEST_F(AcEvents, TheRemovedObjectOfARespawningAircraftSendsItBackToTheBuffer) {
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    LiveAc* aircraft = live(r.hexId);
    aircraft->lastThrottle = 3;
    aircraft->lastFlaps = 2;
    const std::uint32_t objectId = aircraft->objectId;
    sim.answerRemovals = false;
    liveryRespawn(*aircraft);
    tick();
    ASSERT_EQ(sim.removed, std::vector<std::uint32_t>{objectId});
    EXPECT_EQ(stateOf(r.hexId), AcLifeState::liveryrespawn);
    sim.objectRemoved(objectId);
    lf_handleAddingStack();  // the event is handled at the start of the tick
    aircraft = live(r.hexId);
    ASSERT_NE(aircraft, nullptr);
    EXPECT_EQ(aircraft->objectId, 0U);
    EXPECT_EQ(aircraft->lastThrottle, 5U);
    EXPECT_EQ(aircraft->lastFlaps, 4U);
    EXPECT_NE(aircraft->lifeState, AcLifeState::liveryrespawn);
}

TEST_F(AcEvents, ARemovedObjectErasesItsAircraftAndItsFlightPlan) {
    testing_support::TempDir folder;
    g_flightPlanFolder = folder.path();
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    LiveAc* aircraft = live(r.hexId);
    const std::uint32_t objectId = aircraft->objectId;
    const auto plan = folder.path() / (std::to_string(objectId) + ".pln");
    std::ofstream(plan) << "plan";
    aircraft->hasFlightPlan = 1;
    sim.objectRemoved(objectId);
    tick();
    EXPECT_FALSE(stateOf(r.hexId));
    EXPECT_FALSE(std::filesystem::exists(plan));
    g_flightPlanFolder.clear();
}

TEST_F(AcEvents, AParkedAircraftsRemovedObjectFreesItsStandUnlessAnotherHoldsItBy) {
    struct Case {
        const char* name;
        bool removalAsked;  // the engine removed it; another aircraft took the stand since
        std::uint8_t standAfter;
    } cases[] = {{"removed by the simulator", false, 0}, {"removed on request", true, 1}};
    makeAirport(2);
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rec r;
        r.hexId = ++hexId;
        ASSERT_NO_FATAL_FAILURE(makeActive(r, g_tick.load() + 200));
        LiveAc& aircraft = *live(r.hexId);
        aircraft.phase = AcPhase::parked;
        aircraft.groundMode = 1;
        aircraft.standId = 2;
        g_stands[1].occupied = 1;  // its stream shows it there
        sim.answerRemovals = false;
        if (c.removalAsked) {
            removeAircraftFromSim(aircraft);
            g_stands[1].occupied = 1;
        }
        sim.objectRemoved(sim.objectOf(r.hexId));
        tick();
        EXPECT_FALSE(stateOf(r.hexId));
        EXPECT_EQ(g_stands[1].occupied, c.standAfter);
    }
}

TEST_F(AcEvents, ARefusedCreationExcludesItsLiveryAndTheTwentiethEndsTheRun) {
    Rec r;
    sendCreation(r);
    sim.creationRefused(r.hexId);
    tick();
    EXPECT_FALSE(stateOf(r.hexId));
    EXPECT_TRUE(g_excludedTitles.contains("Boeing 737-800 KLM"));
    EXPECT_TRUE(g_failedCreations.contains("KLM B738"));
    EXPECT_TRUE(log.contains("KLM1234 'Boeing 737-800 KLM' could not be created by your Sim!"));
    EXPECT_EQ(gf_statusLineText(), "KLM1234 'Boeing 737-800 KLM' could not be created by your Sim!");

    // Another B738 finds no livery now: the matching never picks an excluded title.
    Rec next;
    next.hexId = 30000;
    next.callsign = "KLM30";
    next.registration = "PH-BXB";
    feedPair(next, g_tick.load() + 200);
    tick(110);
    EXPECT_FALSE(stateOf(30000));

    static std::vector<std::string> titles;
    for (int k = 2; k <= 20; ++k) titles.push_back("Livery " + std::to_string(k));
    for (int k = 0; k < 19; ++k) {
        AcBase base;
        base.hexId = 40000 + static_cast<std::uint32_t>(k);
        base.callsign = "C" + std::to_string(k);
        base.liveryTitle = titles[static_cast<std::size_t>(k)];
        g_liveAcs.emplace_back(PosSample{}, std::move(base), 0.0);
        g_liveAcs.back().lifeState = AcLifeState::adding2sim;
    }
    for (int k = 0; k < 18; ++k) sim.creationRefused(40000 + static_cast<std::uint32_t>(k));
    EXPECT_NO_THROW(gf_handleAcEvents());
    EXPECT_EQ(g_excludedTitles.size(), 19U);
    sim.creationRefused(40018);
    try {
        gf_handleAcEvents();
        FAIL() << "the 20th excluded title must end the run";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "81: There are too many liveries that could not be created!, see Log.txt");
    }
    EXPECT_TRUE(log.contains("===> Error 81, There are too many liveries that could not be created!"));
}

TEST_F(AcEvents, ACreatedEntryWhoseAircraftIsGoneIsDoneAndActivatesNoOther) {
    Rec r;
    sendCreation(r);
    const std::uint32_t objectId = sim.objectOf(r.hexId);
    sim.objectCreated(r.hexId);
    tick(10);
    ASSERT_EQ(g_createdAcs.size(), 1U);
    sim.objectRemoved(objectId);  // gone before its configuration ended
    tick();
    ASSERT_FALSE(stateOf(r.hexId));
    // The same hex id comes back and waits for its own creation.
    sim.created.clear();
    sendCreation(r);
    ASSERT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
    tick(200);
    EXPECT_TRUE(g_createdAcs.empty()) << "the old entry is done";
    ASSERT_EQ(stateOf(r.hexId), AcLifeState::adding2sim) << "not activated by the old object's entry";
    EXPECT_EQ(live(r.hexId)->objectId, 0U);
}

TEST_F(AcEvents, AStaticObjectIsActiveAndParkedAfterTwoHundredTicks) {
    makeAirport(2);
    AcBase parked;
    parked.hexId = 7;
    parked.callsign = "KLM7*";
    parked.standId = 2;
    parked.lifeState = AcLifeState::adding2sim;
    g_staticAcs.push_back(parked);
    gf_pushAcEvent({321, 7, 0, AcEventKind::staticCreated, 0.0, 0.0});
    tick(200);
    EXPECT_EQ(g_staticAcs.front().lifeState, AcLifeState::adding2sim);
    tick();
    EXPECT_EQ(g_staticAcs.front().lifeState, AcLifeState::active);
    EXPECT_EQ(g_staticAcs.front().objectId, 321U);
    EXPECT_TRUE(log.contains("A2      : KLM7*    parked"));
    EXPECT_TRUE(sim.eventsFor(321, EVT_ALL_LIGHTS_TOGGLE).empty()) << "statics get no light toggles";
}

}  // namespace
