// Removal by life state, the respawn rule, the parking limits and the
// removal of the live traffic when RealTraffic has gone.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "foundation/time_texts.h"
#include "traffic/removal.h"
#include "traffic/respawn.h"
#include "traffic/static_decision.h"

namespace {

using engine_test::EngineTest;
using engine_test::FakeSim;
using engine_test::kFieldLat;
using engine_test::Rec;

using Removal = EngineTest;

TEST_F(Removal, ABufferedAircraftIsOnlyErased) {
    Rec r;
    feedPair(r, 5000);
    tick();
    removeAircraftFromSim(*live(r.hexId));
    EXPECT_EQ(live(r.hexId)->eraseNow, 1);
    EXPECT_TRUE(g_removeQueue.empty());
    tick();
    EXPECT_FALSE(stateOf(r.hexId));
    EXPECT_TRUE(sim.removed.empty());
}

TEST_F(Removal, CreationsNotYetSentAreWithdrawnByHexIdAndOnlyTheirOwn) {
    // Three aircraft spawn in tick 900; two share a callsign (other models).
    const char* types[] = {"B738", "A320", "B744"};
    for (std::uint32_t k = 0; k < 3; ++k) {
        Rec r;
        r.hexId = 20000 + k;
        r.callsign = k < 2 ? "KLM5" : "KLM6";
        r.type = types[k];
        feedPair(r, 1000);
    }
    tickTo(901);
    // 20002's request is queued, 20000 and 20001 wait on the spawn stack.
    ASSERT_EQ(g_liveCreateQueue.size(), 1U);
    removeAircraftFromSim(*live(20002));  // queued
    removeAircraftFromSim(*live(20000));  // still a pending spawn
    tickTo(1100);
    EXPECT_FALSE(stateOf(20000));
    EXPECT_FALSE(stateOf(20002));
    ASSERT_EQ(sim.created.size(), 1U) << "the other KLM5 keeps its creation";
    EXPECT_EQ(sim.created.front().request.hexId, 20001U);
}

TEST_F(Removal, ASentCreationIsRemovedOnceItsObjectExists) {
    Rec r;
    feedPair(r, 1000);
    tickTo(951);
    ASSERT_NE(sim.creationOf(r.hexId), nullptr);
    removeAircraftFromSim(*live(r.hexId));
    removeAircraftFromSim(*live(r.hexId));
    EXPECT_EQ(live(r.hexId)->removeWhenCreated, 1);
    EXPECT_EQ(live(r.hexId)->lifeState, AcLifeState::adding2sim);
    EXPECT_TRUE(g_removeQueue.empty());
    sim.objectCreated(r.hexId);
    tick(220);
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{sim.objectOf(r.hexId)}) << "one removal, after creation";
    EXPECT_FALSE(stateOf(r.hexId));
}

TEST_F(Removal, ACreationTheSimulatorNeverShowsIsGivenUpAfterAMinute) {
    // The aircraft is still in the feed after the give-up: a new record of
    // its hex id sends a creation of its own.
    enum class Comeback { none, waiting, active };  // the new record when the late object turns up
    struct Case {
        const char* name;
        bool shown;         // reported in the last tick of the minute
        bool removalAsked;  // RealTraffic has gone meanwhile
        Comeback comeback;
    } cases[] = {
        {"never shown", false, false, Comeback::none},
        {"never shown, its removal asked for", false, true, Comeback::none},
        {"shown just in time", true, false, Comeback::none},
        {"never shown, a new record waits for its own creation", false, false, Comeback::waiting},
        {"never shown, a new record is active with its own object", false, false, Comeback::active},
    };
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rec r;
        r.hexId = ++hexId;
        r.callsign = "KLM" + std::to_string(hexId);
        feedPair(r, g_tick.load() + 200, 0.01, 100000);
        while (sim.creationOf(r.hexId) == nullptr) tick();
        const FakeSim::Creation first = *sim.creationOf(r.hexId);
        if (c.removalAsked) gf_removeLiveAcsForRtGone();
        const bool givenUp = !c.shown;
        while (g_tick.load() < first.tick + 6000) tick();
        EXPECT_EQ(stateOf(r.hexId), AcLifeState::adding2sim) << "it waits a minute";
        if (c.shown) sim.objectCreated(r.hexId);
        tick();
        EXPECT_EQ(stateOf(r.hexId), givenUp ? std::nullopt : std::optional(AcLifeState::adding2sim));
        const auto lines = log.lines();
        EXPECT_EQ(std::any_of(lines.begin(), lines.end(),
                              [&](const std::string& line) {
                                  return line.find(r.callsign) != std::string::npos &&
                                         line.ends_with(" not seen in the simulator 60 s after its creation: given up");
                              }),
                  givenUp);
        if (c.shown) {
            tick(201);
            EXPECT_EQ(stateOf(r.hexId), AcLifeState::active) << "a late object is taken as it is";
            continue;
        }
        std::optional<FakeSim::Creation> own;
        if (c.comeback != Comeback::none) {
            Rec again = r;
            again.timestamp += 100.0;
            const std::size_t creations = sim.created.size();
            feedPair(again, g_tick.load() + 200, 0.01, 100000);
            for (int k = 0; k < 1000 && sim.created.size() == creations; ++k) tick();
            ASSERT_EQ(sim.created.size(), creations + 1);
            own = sim.created.back();
            ASSERT_EQ(own->request.hexId, r.hexId);
            ASSERT_NE(own->request.createSerial, first.request.createSerial);
            if (c.comeback == Comeback::active) {
                FakeSim::objectShown(*own);
                tick(202);
                ASSERT_EQ(stateOf(r.hexId), AcLifeState::active);
            }
        }
        // Should its object turn up after all, it is removed, not left frozen.
        // The engine sends one removal every 10 ticks: after 31 every removal
        // the event queued has gone out, so one too many shows.
        const std::size_t removals = sim.removed.size();
        FakeSim::objectShown(first);
        tick(31);
        EXPECT_EQ(std::vector(sim.removed.begin() + static_cast<std::ptrdiff_t>(removals), sim.removed.end()),
                  std::vector<std::uint32_t>{first.objectId})
            << "the late object is removed, once, and nothing else";
        if (!own) {
            EXPECT_FALSE(stateOf(r.hexId));
            continue;
        }
        // The new record keeps to its own creation: one object per aircraft.
        EXPECT_TRUE(log.contains(fmt::format("object {} of hex id {} answers an earlier creation, given up: removed",
                                             first.objectId, r.hexId)));
        if (c.comeback == Comeback::waiting) {
            ASSERT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
            EXPECT_EQ(live(r.hexId)->objectId, 0U) << "it waits for its own object";
            FakeSim::objectShown(*own);
            tick(202);
        }
        ASSERT_EQ(stateOf(r.hexId), AcLifeState::active);
        EXPECT_EQ(live(r.hexId)->objectId, own->objectId);
        EXPECT_EQ(sim.removed.size(), removals + 1) << "its own object stays";
    }
}

TEST_F(Removal, AnActiveAircraftWaitsInRemovingfromsimForItsObjectsRemoval) {
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    sim.answerRemovals = false;
    LiveAc& aircraft = *live(r.hexId);
    const std::uint32_t objectId = aircraft.objectId;
    removeAircraftFromSim(aircraft);
    EXPECT_EQ(aircraft.lifeState, AcLifeState::removingfromsim);
    removeAircraftFromSim(aircraft);  // a second removal sends nothing more
    tick(30);
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{objectId});
    EXPECT_EQ(sim.removedTicks.front() % 10, 0);
    ASSERT_EQ(stateOf(r.hexId), AcLifeState::removingfromsim);
    sim.objectRemoved(objectId);
    tick();
    EXPECT_FALSE(stateOf(r.hexId));
}

TEST_F(Removal, ARespawningAircraftIsNotRemovedTwice) {
    Rec r;
    ASSERT_NO_FATAL_FAILURE(makeActive(r, 1000));
    sim.answerRemovals = false;
    LiveAc& aircraft = *live(r.hexId);
    const std::uint32_t objectId = aircraft.objectId;
    liveryRespawn(aircraft);
    removeAircraftFromSim(aircraft);
    EXPECT_EQ(aircraft.lifeState, AcLifeState::removingfromsim);
    tick(30);
    EXPECT_EQ(sim.removed, std::vector<std::uint32_t>{objectId});
    sim.objectRemoved(objectId);
    tick();
    EXPECT_FALSE(stateOf(r.hexId)) << "not created again";
}

TEST_F(Removal, StaticNumbersRunFromOneTo9999AndNeverZero) {
    EXPECT_EQ(gf_nextStaticNumber(), 1U);
    EXPECT_EQ(gf_nextStaticNumber(), 2U);
    g_staticNumber = 9998;
    EXPECT_EQ(gf_nextStaticNumber(), 9999U);
    EXPECT_EQ(gf_nextStaticNumber(), 1U);
}

TEST_F(Removal, RespawnOnIdentityRouteAndLiveryChanges) {
    struct Case {
        const char* name;
        bool newCallsign;
        std::string registration0, registration, origin, destination;
        bool guidChanges;
        bool respawns;
        std::string newTitle;  // after the respawn
    };
    const Case cases[] = {
        {"nothing changed", false, "PH-BXA", "PH-BXA", "LHR", "AMS", true, false, ""},
        {"callsign changed", true, "PH-BXA", "PH-BXA", "LHR", "AMS", true, true, "Boeing 737-800 KLM"},
        {"callsign changed, GUID_CHANGES off", true, "PH-BXA", "PH-BXA", "LHR", "AMS", false, false, ""},
        {"route changed", false, "PH-BXA", "PH-BXA", "CDG", "FRA", true, true, "Boeing 737-800 KLM"},
        {"one end of the route changed", false, "PH-BXA", "PH-BXA", "LHR", "FRA", true, false, ""},
        {"destination filled in", false, "PH-BXA", "PH-BXA", "LHR", "", true, true, "Boeing 737-800 KLM"},
        {"first registration, with a livery of its own", false, "", "PH-BXC", "LHR", "AMS", true, true,
         "KLM Orange Pride"},
        {"first registration, GUID_CHANGES off", false, "", "PH-BXC", "LHR", "AMS", false, false, ""},
        {"registration of another airline's model", true, "PH-BXA", "D-AIZA", "LHR", "AMS", true, true,
         "Airbus A320 DLH"},
        {"another registration of the same kind", false, "PH-BXA", "PH-BXD", "LHR", "AMS", true, false, ""},
    };
    addRegistration("D-AIZA", "DLH", "A320");
    addRegistration("PH-BXD", "KLM", "B738");
    titlesByRegistration["PH-BXC"] = "KLM Orange Pride";
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GUID_CHANGES.value = c.guidChanges;
        Rec r;
        r.hexId = ++hexId;
        r.callsign = "KLM" + std::to_string(hexId);
        r.registration = c.registration0;
        r.origin = "LHR";
        r.destination = c.destination.empty() ? "" : "AMS";
        ASSERT_NO_FATAL_FAILURE(makeActive(r, g_tick.load() + 200));
        const std::uint32_t objectId = sim.objectOf(hexId);
        const std::size_t samples = live(hexId)->samples.size();
        const std::size_t creations = sim.created.size();
        Rec next = r;
        next.callsign = c.newCallsign ? "DLH" + std::to_string(hexId) : r.callsign;
        next.registration = c.registration;
        next.origin = c.origin;
        next.destination = c.destination.empty() ? "AMS" : c.destination;
        next.timestamp += 20;
        next.trackDeg += 10;
        next.dueTick = g_tick.load() + 3000;
        feed(next);
        tick();
        LiveAc* aircraft = live(hexId);
        ASSERT_NE(aircraft, nullptr);
        EXPECT_EQ(aircraft->callsign, next.callsign) << "the callsign is taken over in every case";
        if (!c.respawns) {
            EXPECT_EQ(aircraft->lifeState, AcLifeState::active);
            EXPECT_EQ(aircraft->objectId, objectId);
            EXPECT_EQ(aircraft->samples.size(), samples + 1) << "the record was decoded";
            continue;
        }
        EXPECT_TRUE(log.contains("          " + next.callsign + " "));
        EXPECT_TRUE(log.contains(" respawns"));
        ASSERT_FALSE(sim.removed.empty());
        EXPECT_EQ(sim.removed.back(), objectId) << "its object is removed at once";
        // The object is gone: the aircraft comes back through the buffer under a new object.
        tick(60);
        ASSERT_EQ(sim.created.size(), creations + 1);
        EXPECT_EQ(sim.created.back().request.callsign, next.callsign);
        EXPECT_EQ(sim.created.back().title, c.newTitle);
        EXPECT_EQ(live(hexId)->lifeState, AcLifeState::adding2sim);
        EXPECT_EQ(live(hexId)->objectId, 0U);
        sim.objectCreated(hexId);
        tick(202);
        EXPECT_EQ(stateOf(hexId), AcLifeState::active);
    }
}

TEST_F(Removal, ARecordUnderTheGhostCallsignOfAnotherLiveAircraftIsNotDecoded) {
    Rec real;
    real.callsign = "ABC";
    ASSERT_NO_FATAL_FAILURE(makeActive(real, 1000));
    Rec other;
    other.hexId = 30000;
    other.callsign = "XYZ1";
    other.type = "A320";
    ASSERT_NO_FATAL_FAILURE(makeActive(other, g_tick.load() + 200));
    const std::size_t samples = live(30000)->samples.size();
    other.callsign = "ABC_";
    other.timestamp += 30;
    other.trackDeg += 10;
    feed(other);
    tick();
    EXPECT_EQ(live(30000)->callsign, "XYZ1");
    EXPECT_EQ(live(30000)->samples.size(), samples);
    EXPECT_EQ(stateOf(30000), AcLifeState::active);
}

class ParkingLimits : public EngineTest {
protected:
    ParkingLimits() {
        makeAirport(5);
        clock100ns = 1000 * kSecond;
        INITIAL_LOAD_ONLY.value = false;
    }
    static constexpr std::int64_t kSecond = 10'000'000;

    // A live aircraft parked on stand `standId` since `since` (active, or created there).
    static void addParked(std::uint32_t hexId, std::int32_t standId, std::int64_t since,
                          AcLifeState state = AcLifeState::active) {
        AcBase base;
        base.hexId = hexId;
        base.callsign = "KLM" + std::to_string(hexId);
        base.objectId = 100 + hexId;
        base.standId = standId;
        PosSample sample;
        sample.lat = kFieldLat;
        sample.lon = standLon(standId - 1);
        sample.stationary = 1;
        sample.dueTick = 100000000;
        g_liveAcs.emplace_back(sample, std::move(base), 0.0);
        LiveAc& aircraft = g_liveAcs.back();
        aircraft.objectId = 100 + hexId;
        aircraft.standId = standId;
        aircraft.lifeState = state;
        aircraft.phase = AcPhase::parked;
        aircraft.parkedSince = since;
        aircraft.lat = sample.lat;
        aircraft.lon = sample.lon;
    }
    static void addStatic(std::uint32_t number, std::int32_t standId, std::uint64_t parkedAt,
                          AcLifeState state = AcLifeState::active) {
        AcBase base;
        base.hexId = number;
        base.callsign = "S" + std::to_string(number);
        base.objectId = state == AcLifeState::active ? 600 + number : 0;
        base.standId = standId;
        base.lifeState = state;
        base.parkedAt = parkedAt;
        g_staticAcs.push_back(base);
    }
};

TEST_F(ParkingLimits, TheLongestParkedGoesWhenANewcomerWouldExceedMaxPark) {
    g_maxPark = 3;
    addParked(20001, 1, 900 * kSecond);  // 100 s
    addParked(20002, 2, 700 * kSecond);  // 300 s: the longest
    addParked(20003, 3, 800 * kSecond);  // 200 s
    std::vector<std::pair<std::uint32_t, std::int64_t>> longest;
    lf_collectLongParked(longest);
    EXPECT_EQ(longest, (std::vector<std::pair<std::uint32_t, std::int64_t>>{
                           {20002, 300}, {20003, 200}, {20001, 100}}));
    lf_removeMaxParkExceeded(0);
    EXPECT_TRUE(g_removeQueue.empty()) << "three of three is not above the limit";
    lf_removeMaxParkExceeded(1);
    EXPECT_EQ(stateOf(20002), AcLifeState::removingfromsim);
    EXPECT_EQ(g_removeQueue, std::deque<std::uint32_t>{20102});
    EXPECT_TRUE(log.contains("A2      : KLM20002 live max park exceeded, removed"));

    INITIAL_LOAD_ONLY.value = true;
    lf_removeMaxParkExceeded(5);
    EXPECT_EQ(stateOf(20003), AcLifeState::active) << "INITIAL_LOAD_ONLY keeps the live ones";
}

TEST_F(ParkingLimits, StaticAircraftParkedEarliestInTheWeekGoFirst) {
    g_maxPark = 3;
    addParked(20001, 1, 900 * kSecond);
    addStatic(7, 4, gf_packDaySlot(2, 10));
    addStatic(8, 5, gf_packDaySlot(1, 40));  // Monday: earlier in the week
    addStatic(9, 3, gf_packDaySlot(1, 40));
    INITIAL_LOAD_ONLY.value = true;
    lf_removeMaxParkExceeded(0);
    EXPECT_EQ(g_staticAcs[1].lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(g_staticAcs[2].lifeState, AcLifeState::active) << "the first of equal slots goes";
    EXPECT_TRUE(log.contains("A5      : S8 static max park exceeded, removed"));
    g_maxPark = 0;
    lf_removeMaxParkExceeded(9);
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::active) << "no limit below 1";
}

TEST_F(ParkingLimits, AircraftBeingCreatedOnAStandCountTowardsMaxPark) {
    // Three of three parked, one of them still being created, and one more coming.
    struct Case {
        const char* name;
        bool staticInCreation;  // else a live one
    } cases[] = {{"a live one", false}, {"a static one", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_staticAcs.clear();
        g_removeQueue.clear();
        g_staticCreateQueue.clear();
        g_maxPark = 3;
        addParked(20001, 1, 900 * kSecond);
        addParked(20002, 2, 700 * kSecond);
        if (c.staticInCreation) {
            addStatic(7, 3, gf_packDaySlot(1, 10), AcLifeState::adding2sim);
            SpawnRequest request;
            request.hexId = 7;
            g_staticCreateQueue.push_back(request);
        } else {
            addParked(20003, 3, 1000 * kSecond, AcLifeState::adding2sim);
        }
        lf_removeMaxParkExceeded(1);
        if (c.staticInCreation) {
            EXPECT_TRUE(g_staticAcs.empty()) << "the earliest static is the one being created: it is withdrawn";
            EXPECT_TRUE(g_staticCreateQueue.empty());
            EXPECT_TRUE(log.contains("A3      : S7 static max park exceeded, removed"));
        } else {
            EXPECT_EQ(stateOf(20002), AcLifeState::removingfromsim) << "the one parked longest goes";
            EXPECT_EQ(stateOf(20003), AcLifeState::adding2sim);
        }
    }
}

TEST_F(ParkingLimits, TheLiveParkedLongestAreRemovedByCount) {
    addParked(20001, 1, 900 * kSecond);
    addParked(20002, 2, 700 * kSecond);
    addParked(20003, 3, 800 * kSecond);
    lf_removeLiveParked(2);
    EXPECT_EQ(stateOf(20001), AcLifeState::active);
    EXPECT_EQ(stateOf(20002), AcLifeState::removingfromsim);
    EXPECT_EQ(stateOf(20003), AcLifeState::removingfromsim);
    EXPECT_TRUE(log.contains("live parked KLM20002"));
}

TEST_F(Removal, WhenRealTrafficHasGoneItsAircraftLeaveTheSimulator) {
    Rec active;
    active.hexId = 20000;
    active.callsign = "KLM1";
    ASSERT_NO_FATAL_FAILURE(makeActive(active, 1000));
    Rec sent;
    sent.hexId = 20001;
    sent.callsign = "KLM2";
    feedPair(sent, g_tick.load() + 200);
    while (sim.creationOf(20001) == nullptr) tick();
    Rec queued;
    queued.hexId = 20002;
    queued.callsign = "KLM3";
    feedPair(queued, g_tick.load() + 200);
    while (g_liveCreateQueue.empty()) tick();
    ASSERT_EQ(stateOf(20002), AcLifeState::adding2sim);

    gf_removeLiveAcsForRtGone();
    EXPECT_FALSE(stateOf(20002)) << "its queued creation is withdrawn and the record erased at once";
    EXPECT_TRUE(g_liveCreateQueue.empty());
    EXPECT_EQ(stateOf(20000), AcLifeState::removingfromsim);
    EXPECT_EQ(live(20001)->removeWhenCreated, 1);
    sim.objectCreated(20001);
    tick(230);
    EXPECT_TRUE(g_liveAcs.empty());
    EXPECT_EQ(sim.removed, (std::vector<std::uint32_t>{sim.objectOf(20000), sim.objectOf(20001)}));
    EXPECT_EQ(sim.created.size(), 2U);
}

}  // namespace
