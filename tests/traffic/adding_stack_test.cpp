// The tick job: its pacing of simulator requests, the requests to the
// simulator and RealTraffic, position blocks, the failures of one aircraft,
// lowering MAX_LIVE_SEL, and the reset of a run.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/services/state.h"
#include "app/window_requests.h"
#include "engine_fixture.h"
#include "traffic/adding_stack.h"

namespace {

using engine_test::EngineTest;
using engine_test::kFieldLat;
using engine_test::Rec;

class TickJob : public EngineTest {};

SpawnRequest requestFor(std::uint32_t hexId) {
    SpawnRequest request;
    request.hexId = hexId;
    return request;
}

TEST_F(TickJob, OneRemovalEveryTenTicksOneCreationEveryFiftyLiveBeforeStatic) {
    g_removeQueue = {901, 902, 903};
    g_liveCreateQueue = {requestFor(20001), requestFor(20002)};
    g_staticCreateQueue = {requestFor(7), requestFor(8)};
    sim.answerRemovals = false;
    tickTo(201);
    // Tick 0 is a multiple of 10, 50 and 100: it releases one of each.
    EXPECT_EQ(sim.removed, (std::vector<std::uint32_t>{901, 902, 903}));
    EXPECT_EQ(sim.removedTicks, (std::vector<std::int32_t>{0, 10, 20}));
    std::vector<std::pair<std::uint32_t, std::int32_t>> creations;
    for (const auto& c : sim.created) creations.emplace_back(c.request.hexId, c.tick);
    EXPECT_EQ(creations, (std::vector<std::pair<std::uint32_t, std::int32_t>>{
                             {20001, 0}, {20002, 50}, {7, 100}, {8, 150}}));
}

TEST_F(TickJob, RangeRequestsAndTheUserAircraftEveryHundredTicksRangeEveryTwentyAfterATakeOff) {
    user.lat = 12.5;
    tickTo(100);
    user.lat = 13.5;
    EXPECT_DOUBLE_EQ(g_userRef.lat, 12.5) << "the user aircraft as read at tick 0";
    tickTo(201);
    EXPECT_DOUBLE_EQ(g_userRef.lat, 13.5) << "read again at tick 100";
    EXPECT_EQ(rangeRequestTicks, (std::vector<std::int32_t>{0, 100, 200}));
    EXPECT_EQ(areaRequestTicks, (std::vector<std::int32_t>{0, 100, 200}));
    EXPECT_EQ(lastRadius, 40U * 1852U);
    rangeRequestTicks.clear();
    g_fastRangeRequests = 1;
    tickTo(301);
    EXPECT_EQ(rangeRequestTicks, (std::vector<std::int32_t>{220, 240, 260, 280, 300}));
    rangeRequestTicks.clear();
    g_simError = true;
    tickTo(401);
    EXPECT_TRUE(rangeRequestTicks.empty()) << "nothing is asked of a simulator link in error";
    EXPECT_EQ(areaRequestTicks.back(), 400);
}

TEST_F(TickJob, ActiveAircraftSendAPositionBlockEveryTick) {
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    const std::uint32_t objectId = sim.objectOf(r.hexId);
    tick();
    ASSERT_EQ(sim.positions.size(), 1U);
    EXPECT_EQ(sim.positions.front().objectId, objectId);
    EXPECT_DOUBLE_EQ(sim.positions.front().lat, live(r.hexId)->lat);
    EXPECT_DOUBLE_EQ(sim.positions.front().altitudeFt, live(r.hexId)->altitudeFt);
}

TEST_F(TickJob, AnActiveAircraftWithoutSamplesOrObjectIsLoggedAndRemoved) {
    Rec a;
    ASSERT_NO_FATAL_FAILURE(makeActive(a, 1000));
    Rec b;
    b.hexId = 30000;
    b.callsign = "DLH7";
    ASSERT_NO_FATAL_FAILURE(makeActive(b, g_tick.load() + 200));
    const std::uint32_t objectA = sim.objectOf(a.hexId);
    live(a.hexId)->samples.clear();
    live(b.hexId)->objectId = 0;
    tick(12);
    EXPECT_TRUE(log.contains("==> updateLiveAc stream empty ? KLM1234  PH-BXA"));
    EXPECT_TRUE(log.contains("==> updateLiveAc objectid=0? hexid: 30000,cs:DLH7, reg:PH-BXA, aimo:DLH     B738"));
    EXPECT_TRUE(log.contains("==> removeAircraftFromSim removing act DLH7"));
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{objectA}) << "a removal request only for the one with an object";
    EXPECT_FALSE(stateOf(a.hexId));
    EXPECT_FALSE(stateOf(b.hexId)) << "no object will report its removal: the record goes at once";
}

TEST_F(TickJob, AParkedAircraftWhoseUpdateFailsLeavesNeitherItsObjectNorItsStandBehind) {
    makeAirport(2);
    AcBase base;
    base.hexId = 20000;
    base.callsign = "KLM1";
    PosSample sample;
    sample.lat = kFieldLat;
    sample.lon = standLon(0);
    sample.stationary = 1;
    LiveAc& parked = g_liveAcs.emplace_back(sample, std::move(base), 0.0);
    parked.objectId = 120;
    parked.lifeState = AcLifeState::active;
    parked.phase = AcPhase::parked;
    parked.groundMode = 1;
    parked.sizeCategory = SizeCategory::Large;
    parked.standId = 1;
    parked.lat = sample.lat;
    parked.lon = sample.lon;
    g_stands[0].occupied = 1;  // its stream shows it there
    // Its stream has ended; a week more at its stand would pass the largest tick.
    g_tick = 2'100'000'000;
    parked.samples.front().dueTick = g_tick.load();
    tick();
    EXPECT_TRUE(log.contains("==> updateLiveAc: "));
    EXPECT_FALSE(stateOf(20000));
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{120}) << "its object leaves the simulator";
    EXPECT_EQ(g_stands[0].occupied, 0) << "its stand is free for others";
}

TEST_F(TickJob, AnExceptionInOneAircraftsUpdateErasesOnlyThatAircraft) {
    const auto match = g_engineServices.matchLiveryLive;
    g_engineServices.matchLiveryLive = [match](LiveAc& aircraft) {
        if (aircraft.callsign == "BAD1") throw std::runtime_error("no livery table");
        match(aircraft);
    };
    Rec bad;
    bad.hexId = 20000;
    bad.callsign = "BAD1";
    Rec good;
    good.hexId = 20001;
    good.callsign = "GUD1";
    for (const Rec& r : {bad, good}) feedPair(r, 1000);
    tickTo(901);
    EXPECT_FALSE(stateOf(20000));
    EXPECT_EQ(stateOf(20001), AcLifeState::adding2sim);
    EXPECT_TRUE(log.contains("==> updateLiveAc: no livery table BAD1     PH-BXA"));
    EXPECT_TRUE(log.contains(", sz:2, fs:birth, st:buffer"));
}

TEST_F(TickJob, LoweringMaxLiveSelRemovesTheFarthestActiveAircraft) {
    user.lat = kFieldLat;
    g_userRef = user;
    const double offsets[] = {0.5, 2.0, 1.0, 1.5};
    std::uint32_t hexId = 20000;
    for (const double offset : offsets) {
        Rec r;
        r.hexId = ++hexId;
        r.callsign = "KLM" + std::to_string(hexId);
        r.lat = kFieldLat + offset;
        ASSERT_NO_FATAL_FAILURE(makeActive(r, g_tick.load() + 200));
    }
    MAX_LIVE_SEL.value = 2;
    tick(5);
    EXPECT_EQ(g_liveAcs.size(), 4U) << "nothing happens until the window asks";
    g_maxLiveCheckRequest = true;  // the window's command, carried out on the next tick
    lf_runWindowRequests();
    tick(25);
    std::vector<std::uint32_t> left;
    for (const LiveAc& aircraft : g_liveAcs) left.push_back(aircraft.hexId);
    EXPECT_EQ(sim.removed.size(), 2U);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::uint32_t>{20001, 20003})) << "those 0.5 and 1.0 degrees away stay";
}

TEST_F(TickJob, ResetEmptiesEveryTableAndQueue) {
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    feed(r);
    g_liveCreateQueue.push_back(requestFor(1));
    g_staticCreateQueue.push_back(requestFor(2));
    g_removeQueue.push_back(3);
    g_pendingSpawnHexIds.push_back(4);
    g_ghostCallsigns.push_back("X_");
    g_noMatchAcs.insert("x");
    g_staticAcs.emplace_back();
    g_fastRangeRequests = 1;
    g_engineQnh = 1020;
    g_daySlot = 55;
    g_liveCount = 3;
    makeAirport(2);
    gf_pushAcEvent({1, 2, 0, AcEventKind::removed, 0, 0});
    gf_resetTraffic();
    EXPECT_TRUE(g_liveAcs.empty());
    EXPECT_TRUE(g_staticAcs.empty());
    EXPECT_TRUE(g_liveCreateQueue.empty() && g_staticCreateQueue.empty() && g_removeQueue.empty());
    EXPECT_TRUE(g_pendingSpawnHexIds.empty() && g_ghostCallsigns.empty() && g_noMatchAcs.empty());
    EXPECT_TRUE(g_liveryByHexId.empty() && g_stands.empty() && g_addingStack.empty());
    EXPECT_TRUE(g_acEvents.empty() && g_createdAcs.empty());
    EXPECT_FALSE(g_parkAirport.code.isSet());
    EXPECT_EQ(g_fastRangeRequests, 0);
    EXPECT_EQ(g_engineQnh.load(), 1013);
    EXPECT_EQ(g_daySlot.load(), 0U);
    EXPECT_EQ(g_liveCount.load(), 0U);
}

}  // namespace
