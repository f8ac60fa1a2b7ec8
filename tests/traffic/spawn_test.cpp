// Buffered aircraft: when they are spawned, which of them never appear, the
// livery and stand they get, and the create requests built for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "engine_fixture.h"
#include "foundation/time_texts.h"
#include "traffic/motion_math.h"
#include "traffic/spawn.h"

namespace {

using engine_test::EngineTest;
using engine_test::kFieldLat;
using engine_test::kFieldLon;
using engine_test::Rec;

class Spawn : public EngineTest {
protected:
    // Ticks until the aircraft has left the buffer (or the tick limit).
    std::int32_t spawnTick(std::uint32_t hexId, std::int32_t limit) {
        while (g_tick.load() < limit) {
            tick();
            if (stateOf(hexId) != AcLifeState::buffer) return g_tick.load() - 1;
        }
        return -1;
    }
};

TEST_F(Spawn, AnAircraftIsSpawnedOneSecondBeforeItsFirstSampleThreeWhenMovingOnTheGround) {
    struct Case {
        const char* name;
        double altitudeFt;
        double speedKt;
        std::int32_t spawnedAt;
        double latStep = 0.0005;  // the second record north of the first (55 m; 22 m standing)
    };
    const Case cases[] = {
        {"airborne", 5000, 200, 4900},
        {"on the ground, moving", 0, 10, 4700},
        {"on the ground, standing", 0, 0, 4900, 0.0002},
    };
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetEngine();
        installServices();
        addModel("B738", kLargeSet, engine_test::kHalfSpanB738);
        Rec r;
        r.hexId = ++hexId;
        r.altitudeFt = c.altitudeFt;
        r.groundSpeedKt = c.speedKt;
        feedPair(r, 5000, c.latStep);
        EXPECT_EQ(spawnTick(hexId, 6000), c.spawnedAt);
        EXPECT_EQ(stateOf(hexId), AcLifeState::adding2sim);
    }
}

TEST_F(Spawn, SingleSamplesAndMixedAirAndGroundNeverSpawnAsTheyAre) {
    Rec single;
    single.dueTick = 500;
    feed(single);
    tickTo(400);
    EXPECT_EQ(stateOf(single.hexId), AcLifeState::buffer);
    tick();
    EXPECT_FALSE(stateOf(single.hexId)) << "a lone sample at its spawn time is erased";

    Rec mixed;
    mixed.hexId = 30000;
    mixed.dueTick = 1000;
    mixed.altitudeFt = 0;
    mixed.groundSpeedKt = 20;
    feed(mixed);
    Rec air = mixed;
    air.timestamp += 10;
    air.dueTick = 2000;
    air.altitudeFt = 3000;
    air.groundSpeedKt = 150;
    air.lat += 0.01;  // a repeated position in the air would be refused
    feed(air);
    air.timestamp += 10;
    air.dueTick = 3000;
    air.lat += 0.02;
    feed(air);
    tickTo(701);
    ASSERT_EQ(stateOf(30000), AcLifeState::buffer);
    EXPECT_EQ(live(30000)->samples.size(), 2U) << "the ground sample in front was dropped";
    EXPECT_TRUE(live(30000)->samples.front().airborne);
    tickTo(1901);
    EXPECT_EQ(stateOf(30000), AcLifeState::adding2sim);
    EXPECT_EQ(live(30000)->phase, AcPhase::flying);

    // On the ground a standing stream may say nothing new for a quarter
    // minute (a record flagged airborne by mistake is ignored): its lone
    // sample waits 8 s past its time for the next before it goes.
    struct Next {
        std::int32_t heardTick;
        double afterS;
        std::int32_t dueTick;
        double northM, kt;
    };
    struct Case {
        const char* name;
        std::optional<Next> next;
    };
    const Case cases[] = {
        {"no next record", std::nullopt},
        {"the next record 6 s late", Next{1600, 15.0, 2500, 1.1, 0.0}},
        // The first after a pause of the feed, 150 m on, would wait in the
        // report gate for a later one to tell a stray: the aircraft, one
        // sample queued, cannot be created without it, so it is settled then.
        {"the next record after a pause, 150 m on", Next{1000, 25.0, 3500, 150.0, 15.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetEngine();
        installServices();
        addModel("B738", kLargeSet, engine_test::kHalfSpanB738);
        Rec ground;
        ground.hexId = 40000;
        ground.altitudeFt = 0.0;
        ground.groundSpeedKt = 0.0;
        ground.dueTick = 1000;
        feed(ground);
        tickTo(c.next ? c.next->heardTick : 1600);
        ASSERT_EQ(stateOf(ground.hexId), AcLifeState::buffer);
        if (c.next) {
            ground.timestamp += c.next->afterS;
            ground.dueTick = c.next->dueTick;
            ground.lat += c.next->northM / kMetresPerDegreeLat;
            ground.groundSpeedKt = c.next->kt;
            feed(ground);
        }
        tickTo(1802);
        if (!c.next) {
            EXPECT_FALSE(stateOf(ground.hexId)) << "erased 8 s past its time";
            continue;
        }
        EXPECT_EQ(stateOf(ground.hexId), AcLifeState::adding2sim);
        ASSERT_TRUE(stateOf(ground.hexId));
        EXPECT_EQ(live(ground.hexId)->samples.size(), 2U);
    }
}

TEST_F(Spawn, ABacklogOfElevenCreateRequestsHoldsNewAircraftBack) {
    for (const std::size_t backlog : {10U, 11U}) {
        SCOPED_TRACE(backlog);
        resetEngine();
        installServices();
        addModel("B738", kLargeSet, engine_test::kHalfSpanB738);
        for (std::size_t k = 0; k < backlog; ++k) g_liveCreateQueue.push_back(SpawnRequest{});
        g_tick = 4901;  // no pacing release before the check
        Rec r;
        feedPair(r, 5000);
        tick(2);
        if (backlog == 10) {
            EXPECT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
        } else {
            EXPECT_EQ(stateOf(r.hexId), AcLifeState::buffer);
            EXPECT_EQ(live(r.hexId)->samples.size(), 1U) << "the front sample was dropped";
        }
    }
}

TEST_F(Spawn, MaxLiveSelZeroErasesAndAFullTableMakesTheFarthestGiveWay) {
    MAX_LIVE_SEL.value = 0;
    Rec r;
    feedPair(r, 500);
    tickTo(401);
    EXPECT_FALSE(stateOf(r.hexId)) << "MAX_LIVE_SEL 0 lets no aircraft in";

    // Two active aircraft, 0.5 and 2.0 degrees north of the user.
    MAX_LIVE_SEL.value = 2;
    user.lat = kFieldLat;
    user.lon = kFieldLon;
    g_userRef = user;
    Rec nearOne;
    nearOne.hexId = 21000;
    nearOne.callsign = "KLM21";
    nearOne.lat = kFieldLat + 0.5;
    ASSERT_NO_FATAL_FAILURE(makeActive(nearOne, 1000));
    Rec farOne;
    farOne.hexId = 22000;
    farOne.callsign = "KLM22";
    farOne.lat = kFieldLat + 2.0;
    ASSERT_NO_FATAL_FAILURE(makeActive(farOne, g_tick.load() + 200));
    const std::int32_t start = g_tick.load();

    // A newcomer 1 degree north: the one 2 degrees north gives way.
    Rec newcomer;
    newcomer.hexId = 23000;
    newcomer.callsign = "KLM23";
    newcomer.lat = kFieldLat + 1.0;
    feedPair(newcomer, start + 200);
    tickTo(start + 101);
    EXPECT_EQ(stateOf(23000), AcLifeState::adding2sim);
    EXPECT_EQ(stateOf(22000), AcLifeState::removingfromsim);
    EXPECT_EQ(stateOf(21000), AcLifeState::active);
    tick(60);
    sim.objectCreated(23000);
    tick(202);
    ASSERT_EQ(stateOf(23000), AcLifeState::active);

    // A newcomer farther out than every active aircraft is erased.
    Rec outer;
    outer.hexId = 24000;
    outer.callsign = "KLM24";
    outer.lat = kFieldLat + 3.0;
    feedPair(outer, g_tick.load() + 200);
    tick(200);
    EXPECT_FALSE(stateOf(24000));
    EXPECT_EQ(stateOf(21000), AcLifeState::active);
}

TEST_F(Spawn, AircraftInCreationCountTowardsMaxLiveSel) {
    // Six newcomers 0.6 s apart, each farther out than the one before; the
    // simulator reports every object at once, and its configuration takes 2 s.
    MAX_LIVE_SEL.value = 3;
    sim.answerCreations = true;
    user.lat = kFieldLat;
    user.lon = kFieldLon;
    g_userRef = user;
    for (std::uint32_t k = 0; k < 6; ++k) {
        Rec r;
        r.hexId = 21000 + k;
        r.callsign = "KLM2" + std::to_string(k);
        r.lat = kFieldLat + 0.5 + 0.1 * k;
        feedPair(r, 1000 + 60 * static_cast<std::int32_t>(k), 0.01, 100000);
    }
    std::size_t most = 0;
    while (g_tick.load() < 2000) {
        tick();
        most = std::max<std::size_t>(most, std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& a) {
                                         return a.lifeState == AcLifeState::active ||
                                                a.lifeState == AcLifeState::adding2sim;
                                     }));
    }
    EXPECT_EQ(most, 3U) << "at no tick more aircraft in the simulator or on their way there";
    EXPECT_EQ(sim.created.size(), 3U);
    for (std::uint32_t k = 0; k < 6; ++k) EXPECT_EQ(stateOf(21000 + k), k < 3 ? std::optional(AcLifeState::active) : std::nullopt);
}

TEST_F(Spawn, CallsignsRegistrationsAndAirlines) {
    addRegistration("PH-BXA", "KLM", "B738");
    BLOCK_CALLSIGN.value = std::string("BLK1");
    struct Case {
        std::string callsign;
        std::string registration;
        bool spawned;
        std::string finalCallsign;
        std::string airline;
    };
    const Case cases[] = {
        {"@@@@@@@@", "", false, "", ""},
        {"ABCDEFGHI", "", false, "", ""},
        {"ABCDEFGHI", "PH-BXA", true, "PH-BXA", "KLM"},
        {"@@@@@@@@", "PH-BXA", true, "PH-BXA", "KLM"},
        {"DLH4AB", "D-AIZA", true, "DLH4AB", "DLH"},
        {"D1ABC", "D-EABC", true, "D1ABC", "PVT"},
        {"BLK1", "D-EBLK", false, "", ""},
    };
    std::uint32_t hexId = 20000;
    std::int32_t due = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.callsign + " " + c.registration);
        Rec r;
        r.hexId = ++hexId;
        r.callsign = c.callsign;
        r.registration = c.registration;
        feedPair(r, due);
        tickTo(due - 99);
        due += 1000;
        if (!c.spawned) {
            EXPECT_FALSE(stateOf(hexId));
            continue;
        }
        ASSERT_EQ(stateOf(hexId), AcLifeState::adding2sim);
        EXPECT_EQ(live(hexId)->callsign, c.finalCallsign);
        EXPECT_EQ(gf_airlineCodeText(live(hexId)->modelKey.airlineId), c.airline);
    }
}

TEST_F(Spawn, GhostsGiveWayToTheirAircraft) {
    // The ghost arrives second: it is erased before it appears.
    Rec real;
    real.callsign = "ABC";
    feedPair(real, 1000);
    Rec ghost = real;
    ghost.hexId = real.hexId + 1;
    ghost.callsign = "ABC_";
    ghost.type = "A320";
    feedPair(ghost, 2000);
    tickTo(901);
    EXPECT_EQ(stateOf(real.hexId), AcLifeState::adding2sim);
    EXPECT_FALSE(stateOf(ghost.hexId)) << "the real one's spawn removed its buffered ghost";
    EXPECT_TRUE(log.contains("          ABC_     is a ghost and will be removed, continue with ABC"));

    // The ghost came first: the real one's spawn removes it and remembers it.
    Rec ghost2;
    ghost2.hexId = 30000;
    ghost2.callsign = "XYZ9_";
    ASSERT_NO_FATAL_FAILURE(makeActive(ghost2, g_tick.load() + 200));
    Rec real2 = ghost2;
    real2.hexId = 30001;
    real2.callsign = "XYZ9";
    real2.type = "A320";
    feedPair(real2, g_tick.load() + 200);
    const std::uint32_t ghostObject = sim.objectOf(30000);
    tick(110);
    EXPECT_EQ(stateOf(30001), AcLifeState::adding2sim);
    EXPECT_FALSE(stateOf(30000)) << "removed from the simulator and erased";
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{ghostObject});
    EXPECT_TRUE(log.contains("          XYZ9_    is a ghost and will be removed, continue with XYZ9"));
    EXPECT_EQ(g_ghostCallsigns, (std::vector<std::string>{"ABC_", "XYZ9_"}));

    // A known ghost callsign never spawns again, whoever flies it.
    tick(50);
    Rec again;
    again.hexId = 30002;
    again.callsign = "XYZ9_";
    again.type = "B744";
    feedPair(again, g_tick.load() + 200);
    tick(110);
    EXPECT_FALSE(stateOf(30002));

    // A ghost of a live aircraft that arrives later is erased at its spawn.
    Rec real3;
    real3.hexId = 31000;
    real3.callsign = "QRS5";
    ASSERT_NO_FATAL_FAILURE(makeActive(real3, g_tick.load() + 200));
    Rec ghost3 = real3;
    ghost3.hexId = 31001;
    ghost3.callsign = "QRS5_";
    ghost3.type = "A320";
    feedPair(ghost3, g_tick.load() + 200);
    tick(110);
    EXPECT_FALSE(stateOf(31001));
    EXPECT_EQ(stateOf(31000), AcLifeState::active);
}

TEST_F(Spawn, PendingSpawnsBecomeCreateRequestsLastInFirstOut) {
    for (std::uint32_t k = 0; k < 3; ++k) {
        Rec r;
        r.hexId = 20000 + k;
        r.callsign = "KLM" + std::to_string(k + 1);
        feedPair(r, 1000);
    }
    tickTo(1100);
    // All three spawn in tick 900 in table order; one request a tick, newest first;
    // one creation every 50 ticks.
    ASSERT_EQ(sim.created.size(), 3U);
    EXPECT_EQ(sim.created[0].request.hexId, 20002U);
    EXPECT_EQ(sim.created[1].request.hexId, 20001U);
    EXPECT_EQ(sim.created[2].request.hexId, 20000U);
    EXPECT_EQ(sim.created[0].tick, 950);
    EXPECT_EQ(sim.created[1].tick, 1000);
    EXPECT_EQ(sim.created[2].tick, 1050);
}

TEST_F(Spawn, TheCreateRequestCarriesDegreesTheGroundFlagAndTheLivery) {
    Rec r;
    r.lat = kFieldLat + 0.3;
    r.altitudeFt = 5000;
    r.trackDeg = 180;
    feedPair(r, 1000, -0.01);  // flying south
    tickTo(1000);
    const auto* creation = sim.creationOf(r.hexId);
    ASSERT_NE(creation, nullptr);
    const InitPosition& p = creation->request.position;
    EXPECT_DOUBLE_EQ(p.lat, r.lat);
    EXPECT_DOUBLE_EQ(p.altitudeFt, 5000.0);
    EXPECT_NEAR(p.headingDeg, 180.0, 1e-6);
    EXPECT_NEAR(p.pitchDeg, -3.0, 1e-9) << "level flight: 3 degrees nose up";
    EXPECT_EQ(p.onGround, 0U);
    EXPECT_EQ(p.airspeed, 0U);
    EXPECT_EQ(creation->request.callsign, "KLM1234");
    EXPECT_EQ(creation->title, "Boeing 737-800 KLM");
    EXPECT_EQ(g_liveryByHexId.at(r.hexId), "Boeing 737-800 KLM");
}

TEST_F(Spawn, AClimbingAircraftStartsNoseUpWithItsVerticalSpeedInFeetPerSecond) {
    Rec r;
    r.altitudeFt = 5000;
    r.verticalSpeedFpm = 1200;
    feedPair(r, 1000, -0.01);
    tickTo(1000);
    const auto* creation = sim.creationOf(r.hexId);
    ASSERT_NE(creation, nullptr);
    EXPECT_NEAR(creation->request.position.pitchDeg, -3.0 - 4.4, 1e-9) << "2.2 degrees more per 600 ft/min";
    const LiveAc* aircraft = live(r.hexId);
    ASSERT_NE(aircraft, nullptr);
    EXPECT_DOUBLE_EQ(aircraft->verticalSpeedFts, 20.0) << "the position block's unit is feet per second";
}

TEST_F(Spawn, WithoutALiveryTheAircraftIsRememberedAndNeverAsked) {
    liveries.erase("B738");
    Rec r;
    feedPair(r, 1000);
    tickTo(901);
    EXPECT_FALSE(stateOf(r.hexId));
    EXPECT_EQ(matchCalls, 1);
    EXPECT_TRUE(g_noMatchAcs.contains("KLM     B738    PH-BXA"));
    // The same aircraft kind again is erased before the matching is asked.
    r.hexId += 1;
    r.callsign = "KLM55";
    feedPair(r, 2000);
    tickTo(1901);
    EXPECT_FALSE(stateOf(r.hexId));
    EXPECT_EQ(matchCalls, 1);
}

class SpawnOnStand : public Spawn {
protected:
    SpawnOnStand() {
        makeAirport(4);
        clock100ns = 5'000'000'000;
        g_daySlot = gf_packDaySlot(3, 20);
    }
    // Two identical standing records on stand index k (stand id k + 1).
    Rec standing(std::uint32_t hexId, const std::string& callsign, int k) {
        Rec r;
        r.hexId = hexId;
        r.callsign = callsign;
        r.registration = "PH-" + callsign;
        r.altitudeFt = 0;
        r.groundSpeedKt = 0;
        r.lat = kFieldLat;
        r.lon = standLon(k);
        return r;
    }
    AcBase& addStatic(std::int32_t standId, AcLifeState state, const std::string& callsign, double radiusNm) {
        AcBase base;
        base.callsign = callsign;
        base.hexId = static_cast<std::uint32_t>(standId);
        base.standId = standId;
        base.standLat = kFieldLat;
        base.standLon = standLon(standId - 1);
        base.lifeState = state;
        base.objectId = state == AcLifeState::active ? 500 + standId : 0;
        base.radiusNm = radiusNm;
        g_staticAcs.push_back(base);
        return g_staticAcs.back();
    }
};

TEST_F(SpawnOnStand, AStandingAircraftIsBornParkedOnTheStand) {
    Rec r = standing(20000, "KLM1", 1);
    r.lat += 0.00005;  // a few metres off the stand's point
    feedPair(r, 1000, 0.0);
    tickTo(1000);
    LiveAc* aircraft = live(20000);
    ASSERT_NE(aircraft, nullptr);
    EXPECT_EQ(aircraft->lifeState, AcLifeState::adding2sim);
    EXPECT_EQ(aircraft->phase, AcPhase::parked);
    EXPECT_EQ(aircraft->standId, 2);
    EXPECT_EQ(aircraft->samples.size(), 1U);
    EXPECT_DOUBLE_EQ(aircraft->samples.front().lat, kFieldLat);
    EXPECT_EQ(aircraft->parkedAt, gf_packDaySlot(3, 20));
    EXPECT_EQ(aircraft->parkedSince, 5'000'000'000);
    EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{2, 1}}));
    const auto* creation = sim.creationOf(20000);
    ASSERT_NE(creation, nullptr);
    EXPECT_EQ(creation->request.position.onGround, 1U);
    EXPECT_NEAR(creation->request.position.headingDeg, 1.5 * kRadToDeg, 1e-9) << "the stand's heading";
    EXPECT_DOUBLE_EQ(creation->request.position.lon, standLon(1));
}

// Its reports up to the first that moves show where its stream stands; one
// already 15 m off the first, its field at a slow push's 2 kt, is the push
// under way, not one more place it stands. A stream first heard farther off
// the stand than any stands off it, going away from it farther than its
// reports scatter, was pushed off it while the feed was quiet: the aircraft
// starts where its stream is.
TEST_F(SpawnOnStand, APushUnderWayWhenFirstHeardIsNotWhereItStands) {
    struct Case {
        const char* name;
        double firstSouthM, nextSouthM;  // the two reports, south of the stand
        bool parked;
    };
    const Case cases[] = {
        {"on the stand, then 15 m on at 2 kt: parked", 0.0, 15.0, true},
        {"35 m off, then 12 m farther at 2 kt: taxiing from there", 35.0, 47.0, false},
        {"35 m off, then 8 m farther at 2 kt: parked", 35.0, 43.0, true},
        {"25 m off, then 12 m farther at 2 kt: parked", 25.0, 37.0, true},
    };
    std::uint32_t hexId = 20000;
    int standIndex = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++hexId;
        Rec r = standing(hexId, "KLM" + std::to_string(hexId), standIndex++);
        r.groundSpeedKt = 2.0;
        r.lat = kFieldLat - c.firstSouthM / kMetresPerDegreeLat;
        const std::int32_t due = g_tick.load() + 1000;
        feedPair(r, due, -(c.nextSouthM - c.firstSouthM) / kMetresPerDegreeLat);
        tickTo(due + 600);
        LiveAc* aircraft = live(hexId);
        ASSERT_NE(aircraft, nullptr);
        ASSERT_EQ(aircraft->phase, c.parked ? AcPhase::parked : AcPhase::taxi);
        if (!c.parked) {
            EXPECT_NEAR(aircraft->lat, r.lat, 1e-9) << "where its stream is";
            continue;
        }
        if (c.firstSouthM > 0.0) continue;
        EXPECT_EQ(aircraft->standReportsSeen, 1);
        EXPECT_NEAR(aircraft->standDistFirst * kMetersPerNm, 0.0, 0.5);
    }
}

// Where its stream stands is the mean of the reports it is born of, at
// rest, as the gate took them: its samples all lie where it first came to
// rest, and tell neither the mean nor how far the reports wander. Reports
// before the feed was quiet a minute (the stream may have moved unheard)
// count for nothing. (A standing stream's records come 16 s apart: sooner
// they would be refused as repeats.)
TEST_F(SpawnOnStand, WhereItStandsIsTheMeanOfTheReportsAtRestSinceTheFeedWasLastQuiet) {
    struct Case {
        const char* name;
        int standIndex;  // a stand of its own each
        // Two reports a minute before the others, this far west of where
        // they stand (none: no reports before them).
        std::optional<double> beforeWestM;
    };
    const Case cases[] = {
        {"four reports at rest, 6 to 9 m apart", 1, std::nullopt},
        {"the same after two reports 6.5 m west of them and a minute's silence", 2, 6.5},
    };
    // North and east of where the stream stands, 5 m north of the stand's
    // point: 4.5 m off it at most.
    const std::pair<double, double> aboutIt[] = {{4.5, 0.0}, {-4.5, 0.0}, {0.0, 3.0}, {0.0, -3.0}};
    constexpr double kStandsNorthM = 5.0;
    constexpr std::int32_t kApartTicks = 1600;
    constexpr std::int32_t kMinuteTicks = 6000;
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++hexId;
        const std::int32_t start = g_tick.load() + 3000;
        std::int32_t due = start;
        const Rec r = standing(hexId, "KLM" + std::to_string(hexId), c.standIndex);
        const auto at = [&](double northM, double eastM, std::int32_t afterTicks) {
            due += afterTicks;
            Rec report = r;
            report.lat = kFieldLat + (kStandsNorthM + northM) / kMetresPerDegreeLat;
            report.lon = standLon(c.standIndex) + eastM / gf_metresPerDegreeLon(kFieldLat);
            report.dueTick = due;
            report.timestamp = r.timestamp + (due - start) / 100.0;
            feed(report);
        };
        if (c.beforeWestM) {
            at(0.0, -*c.beforeWestM, 0);
            at(0.0, -*c.beforeWestM, kApartTicks);
        }
        for (std::size_t k = 0; k < std::size(aboutIt); ++k)
            at(aboutIt[k].first, aboutIt[k].second, k == 0 ? (c.beforeWestM ? kMinuteTicks : 0) : kApartTicks);
        tickTo(start);
        LiveAc* aircraft = live(hexId);
        ASSERT_NE(aircraft, nullptr);
        ASSERT_EQ(aircraft->phase, AcPhase::parked);
        ASSERT_EQ(aircraft->standId, c.standIndex + 1);
        EXPECT_EQ(aircraft->standReportsSeen, 4);
        const GeoPoint stands{kFieldLat + kStandsNorthM / kMetresPerDegreeLat, standLon(c.standIndex)};
        EXPECT_NEAR(gf_distanceNm(GeoPoint{aircraft->standFirstLat, aircraft->standFirstLon}, stands) * kMetersPerNm,
                    0.0, 0.1);
        EXPECT_NEAR(aircraft->standDistFirst * kMetersPerNm, kStandsNorthM, 0.1);
        EXPECT_NEAR(aircraft->standWanderNm * kMetersPerNm, 4.5, 0.2);
    }
}

TEST_F(SpawnOnStand, TheReservedStandAndTheUsersStandAreRefused) {
    for (const bool reserved : {true, false}) {
        SCOPED_TRACE(reserved ? "reserved" : "the user's");
        g_reservedStand = reserved ? "A2" : "";
        userStandName = reserved ? "" : "A2";
        const std::uint32_t hexId = reserved ? 20000 : 20001;
        Rec r = standing(hexId, reserved ? "KLM1" : "KLM2", 1);
        feedPair(r, g_tick.load() + 200, 0.0);
        tick(101);
        ASSERT_EQ(stateOf(hexId), AcLifeState::buffer) << "no stand: it waits for a moving sample";
        EXPECT_EQ(live(hexId)->samples.size(), 1U);
        EXPECT_EQ(live(hexId)->standId, 0);
    }
}

TEST_F(SpawnOnStand, StaticAircraftMakeWay) {
    addStatic(2, AcLifeState::active, "STA2", 0.01);
    addStatic(3, AcLifeState::active, "STA3", 0.01);  // 60 m away, clear of a B738
    addStatic(4, AcLifeState::active, "STA4", 0.04);  // a neighbour of A3 only

    // Born on A1: the static there whose request still waits is withdrawn.
    Rec first = standing(20000, "KLM1", 0);
    feedPair(first, 1000, 0.0);
    tickTo(900);
    SpawnRequest queuedRequest;
    queuedRequest.hexId = addStatic(1, AcLifeState::adding2sim, "STQ1", 0.01).hexId;
    g_staticCreateQueue.push_back(queuedRequest);
    tick();
    EXPECT_EQ(live(20000)->standId, 1);
    EXPECT_TRUE(g_staticCreateQueue.empty());
    EXPECT_TRUE(std::none_of(g_staticAcs.begin(), g_staticAcs.end(), [](const AcBase& s) { return s.standId == 1; }));
    EXPECT_TRUE(log.contains("queued A1      : STQ1      makes way for KLM1 PH-KLM1"));

    // Born on A2: the active static there goes, the one on A3 stays clear.
    Rec second = standing(20001, "KLM2", 1);
    second.registration = "PH-STA2";
    g_staticAcs[0].registration = "PH-STA2";
    feedPair(second, 2000, 0.0);
    tickTo(1901);
    EXPECT_EQ(live(20001)->standId, 2);
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_TRUE(log.contains("A2      : STA2     PH-STA2 makes way for the same live version KLM2 PH-STA2"));
    const auto onA3 = std::find_if(g_staticAcs.begin(), g_staticAcs.end(), [](const AcBase& s) { return s.standId == 3; });
    ASSERT_NE(onA3, g_staticAcs.end());
    EXPECT_EQ(onA3->lifeState, AcLifeState::active) << "60 m away, clear of a B738";

    // Born on A3: the wide static on A4 is too close and goes too.
    Rec third = standing(20002, "KLM3", 2);
    feedPair(third, 3000, 0.0);
    tickTo(2901);
    EXPECT_EQ(live(20002)->standId, 3);
    EXPECT_TRUE(log.contains("A4      : STA4     makes way for KLM3 parking at excluded stand A3"));
}

TEST_F(SpawnOnStand, AStandHeldByAParkedLiveAircraftErasesTheNewcomer) {
    Rec holder = standing(20000, "KLM1", 1);
    feedPair(holder, 1000, 0.0);
    tickTo(1000);
    ASSERT_NE(sim.creationOf(20000), nullptr);
    sim.objectCreated(20000, 0.0);
    tick(202);
    ASSERT_EQ(stateOf(20000), AcLifeState::active);
    live(20000)->pathExtended = 1;  // its stream is being watched: it keeps the stand

    Rec newcomer = standing(20001, "DLH2", 1);
    feedPair(newcomer, g_tick.load() + 200, 0.0);
    tick(101);
    EXPECT_FALSE(stateOf(20001));
    EXPECT_EQ(stateOf(20000), AcLifeState::active);
}

TEST_F(Spawn, SamplesThatWouldAppearInTheUsersWayAreDropped) {
    // On the ground: an aircraft taxiing north 100 m or 200 m from the parked
    // user (with no stand to go to, only its front sample decides).
    COLLISION_USER_GND.value = true;
    g_userOnGround = true;
    user.lat = kFieldLat;
    user.lon = kFieldLon;
    user.altitudeFt = 1400;
    g_userRef = user;
    for (const double metres : {100.0, 200.0}) {
        SCOPED_TRACE(metres);
        Rec r;
        r.hexId = metres < 150.0 ? 25000 : 25001;
        r.callsign = "KLM" + std::to_string(r.hexId);
        r.altitudeFt = 0;
        r.groundSpeedKt = 10;
        r.lat = kFieldLat + metres / 1852.0 / 60.0;
        r.lon = kFieldLon;
        const std::int32_t due = g_tick.load() + 400;
        feedPair(r, due, 0.0003);
        tickTo(due - 300 + 1);
        LiveAc* aircraft = live(r.hexId);
        ASSERT_NE(aircraft, nullptr);
        if (metres < 150.0) {
            EXPECT_EQ(aircraft->lifeState, AcLifeState::buffer);
            EXPECT_EQ(aircraft->samples.size(), 1U) << "its front sample was dropped";
        } else {
            EXPECT_EQ(aircraft->lifeState, AcLifeState::adding2sim);
            EXPECT_EQ(aircraft->phase, AcPhase::taxi);
        }
    }

    // In the air: an aircraft 3 nm ahead of the user, 1000 ft lower, is erased.
    COLLISION_USER_AIR.value = true;
    g_userOnGround = false;
    user.altitudeFt = 6000;
    user.heading = 0.0;
    g_userRef = user;
    Rec ahead;
    ahead.hexId = 30000;
    ahead.callsign = "DLH5";
    ahead.lat = kFieldLat + 3.0 / 60.0;
    ahead.altitudeFt = 5000;
    ahead.trackDeg = 0.0;  // the user is behind it
    feedPair(ahead, 2000);
    tickTo(1901);
    EXPECT_FALSE(stateOf(30000));
    COLLISION_USER_AIR.value = false;
    ahead.hexId = 30001;
    feedPair(ahead, 3000);
    tickTo(2901);
    EXPECT_EQ(stateOf(30001), AcLifeState::adding2sim) << "with COLLISION_USER_AIR off it appears";
}

TEST_F(Spawn, AfterADropNearTheUserOnTheGroundOnlyASlowAircraftWellClearAppears) {
    struct Case {
        const char* name;
        bool nearUserDrop;
        double userKt, frontKt, metres;
        bool airborne;
        bool dropped;
    } cases[] = {
        {"user taxiing, aircraft in the air", true, 10, 150, 3000, true, true},
        {"user taxiing, aircraft slow and clear", true, 10, 5, 600, false, true},
        {"user standing, aircraft fast", true, 5, 10, 600, false, true},
        {"user standing, aircraft slow but within 500 m", true, 5, 5, 300, false, true},
        {"user standing, aircraft slow and clear", true, 5, 5, 600, false, false},
        {"user standing, aircraft in the air", true, 5, 150, 3000, true, false},
        {"never dropped, 100 m away", false, 5, 5, 100, false, true},
        {"never dropped, 200 m away", false, 5, 5, 200, false, false},
    };
    COLLISION_USER_GND.value = true;
    g_userOnGround = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_userRef = UserState{};
        g_userRef.lat = kFieldLat;
        g_userRef.lon = kFieldLon;
        g_userRef.groundVelocityKt = c.userKt;
        PosSample front;
        front.lat = kFieldLat + c.metres / 1852.0 / 60.0;
        front.lon = kFieldLon;
        front.groundSpeedKt = c.frontKt;
        front.airborne = c.airborne ? 1 : 0;
        front.altitudeFt = c.airborne ? 3000.0 : 0.0;
        LiveAc aircraft(front, AcBase{}, 0.0);
        aircraft.samples.push_back(front);
        aircraft.nearUserDrop = c.nearUserDrop ? 1 : 0;
        EXPECT_EQ(lf_dropStaleSamples(aircraft), c.dropped);
        EXPECT_EQ(aircraft.samples.size(), c.dropped ? 1U : 2U);
    }
}

}  // namespace
