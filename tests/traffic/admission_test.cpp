// Records from the adding stack: admission of new aircraft, the twin of a
// listed aircraft, and the plausibility filters for known ones.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine_fixture.h"
#include "traffic/adding_stack.h"
#include "traffic/report_gate.h"

namespace {

using engine_test::EngineTest;
using engine_test::Rec;

class Admission : public EngineTest {};

TEST_F(Admission, NewAircraftByModelCategoryAndAltitudeAtTheParkAirport) {
    struct Case {
        const char* name;
        std::string type;
        double altitudeFt;
        bool parkAirport;
        bool admitted;
    };
    LIGHT_AIRCRAFT.value = false;
    HIGH_PERF_AIRCRAFT.value = false;
    HELICOPTERS.value = false;
    const Case cases[] = {
        {"unknown model", "ZZZ9", 5000, false, false},
        {"Light with LIGHT_AIRCRAFT off", "C172", 5000, false, false},
        {"HighPerf with HIGH_PERF_AIRCRAFT off", "F16", 5000, false, false},
        {"Rotorcraft with HELICOPTERS off", "EC35", 5000, false, false},
        {"Buzjets always", "C56X", 5000, false, true},
        {"Heavy always", "B744", 5000, false, true},
        {"100 ft below the park elevation", "B738", 1300, true, false},
        {"100 ft above it", "B738", 1500, true, false},
        {"108 ft above it", "B738", 1508, true, false},
        {"109 ft above it", "B738", 1509, true, true},
        {"at 10000 ft", "B738", 10000, true, true},
        {"on the ground at the park airport", "B738", 0, true, true},
        {"1500 ft without a park airport", "B738", 1500, false, true},
    };
    std::uint32_t hexId = 20000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.parkAirport)
            makeAirport(0);
        else
            g_parkAirport = AirportRecord{};
        Rec r;
        r.hexId = ++hexId;
        r.callsign = "T" + std::to_string(hexId);
        r.type = c.type;
        r.altitudeFt = c.altitudeFt;
        feed(r);
        tick();
        EXPECT_EQ(live(hexId) != nullptr, c.admitted);
    }
    LIGHT_AIRCRAFT.value = true;
    Rec light;
    light.hexId = 30000;
    light.type = "C172";
    feed(light);
    tick();
    ASSERT_NE(live(30000), nullptr) << "LIGHT_AIRCRAFT on admits a Light aircraft";
    EXPECT_EQ(live(30000)->lifeState, AcLifeState::buffer);
    EXPECT_EQ(live(30000)->phase, AcPhase::birth);
    EXPECT_EQ(live(30000)->sizeCategory, SizeCategory::Light);
    EXPECT_DOUBLE_EQ(live(30000)->taxiSpeedKt, 5.0);
    EXPECT_DOUBLE_EQ(live(30000)->climbPerTick, 0.5);
    EXPECT_EQ(live(30000)->prevCallsign, "KLM1234");
}

TEST_F(Admission, ARegistrationOfTheDataBaseGivesTheModel) {
    addRegistration("PH-BXA", "KLM", "B738");
    Rec r;
    r.type = "ZZZ9";  // unknown, but the registration is a B738
    feed(r);
    tick();
    ASSERT_NE(live(r.hexId), nullptr);
    EXPECT_EQ(live(r.hexId)->modelKey.modelId, gf_modelId("B738"));
}

TEST_F(Admission, ANewHexIdWithTheCallsignAndModelOfAListedAircraftIsDropped) {
    Rec first;
    feed(first);
    Rec twin = first;
    twin.hexId = first.hexId + 1;
    Rec otherModel = first;
    otherModel.hexId = first.hexId + 2;
    otherModel.type = "A320";
    feed(twin);
    tick();
    feed(otherModel);
    Rec noCallsign = first;
    noCallsign.hexId = first.hexId + 3;
    noCallsign.callsign.clear();
    Rec noCallsign2 = noCallsign;
    noCallsign2.hexId = first.hexId + 4;
    tick();
    feed(noCallsign);
    feed(noCallsign2);
    tick();
    EXPECT_NE(live(first.hexId), nullptr);
    EXPECT_EQ(live(twin.hexId), nullptr);
    EXPECT_NE(live(otherModel.hexId), nullptr);
    EXPECT_NE(live(noCallsign.hexId), nullptr);
    EXPECT_NE(live(noCallsign2.hexId), nullptr);
}

TEST_F(Admission, AtMostTwoRecordsATickAndTheSecondOfANewIdIsAKnownOnesSample) {
    for (std::uint32_t k = 0; k < 5; ++k) {
        Rec r;
        r.hexId = 40000 + k;
        r.callsign = "KLM" + std::to_string(k + 10);
        feed(r);
    }
    const std::size_t expected[] = {2, 4, 5};
    for (const std::size_t count : expected) {
        tick();
        EXPECT_EQ(g_liveAcs.size(), count);
    }
    Rec r;
    r.hexId = 50000;
    feed(r);
    r.timestamp += 1.0;  // within a second: dropped
    feed(r);
    tick();
    ASSERT_NE(live(50000), nullptr);
    EXPECT_EQ(live(50000)->samples.size(), 1U);
    r.hexId = 50001;
    r.callsign = "KLM9";
    feed(r);
    r.timestamp += 1.5;
    r.trackDeg += 5.0;  // turning: the straight-track rule does not hold it back
    r.lat += 0.0002;    // moved: a repeated position in the air is refused
    feed(r);
    tick();
    ASSERT_NE(live(50001), nullptr);
    EXPECT_EQ(live(50001)->samples.size(), 2U);
    EXPECT_DOUBLE_EQ(live(50001)->lastRecordTime, r.timestamp);
}

TEST_F(Admission, PlausibilityFiltersOfAKnownAircraft) {
    struct Case {
        const char* name;
        double altitudeFt;      // both records
        double speed0, speed1;  // kt
        double track0, track1;
        double elapsed;  // s
        bool refilling;
        bool accepted;
        double latStep = 0.0002;  // degrees north of the first record (22 m)
        // A record half way, with this speed field, still at the gate when
        // the second comes (none: no record between).
        std::optional<double> waitingKt = std::nullopt;
    };
    const Case cases[] = {
        {"exactly a second later", 5000, 100, 100, 90, 90, 1.0, false, false},
        {"just over a second", 5000, 100, 100, 90, 100, 1.01, false, true},
        {"ten times faster", 5000, 10, 100, 90, 100, 20, false, false},
        {"a tenth of the speed", 5000, 100, 10, 90, 100, 20, false, false},
        {"from 5 kt to 80 kt", 5000, 5, 80, 90, 100, 20, false, false},
        {"from 80 kt to 5 kt", 5000, 80, 5, 90, 100, 20, false, false},
        {"from 4 kt to 39 kt", 5000, 4, 39, 90, 100, 20, false, true},
        {"airborne straight, 450 m not yet flown", 5000, 200, 200, 90, 90.5, 4.0, false, false},
        {"airborne straight, 450 m flown", 5000, 200, 200, 90, 90.5, 4.5, false, true},
        {"airborne turning", 5000, 200, 200, 90, 91.5, 4.0, false, true},
        {"airborne at 120 kt", 5000, 120, 120, 90, 90, 2.0, false, true},
        {"airborne straight while refilling", 5000, 200, 200, 90, 90.5, 4.0, true, true},
        {"ground straight, 20 m not yet covered", 0, 10, 10, 90, 91, 3.5, false, false},
        {"ground straight, 20 m covered", 0, 10, 10, 90, 91, 4.0, false, true},
        // (Standing, its reports wander a few metres.)
        {"ground standing, within 15 s", 0, 0, 0, 90, 90, 14.9, false, false, 0.00005},
        {"ground standing, after 15 s", 0, 0, 0, 90, 90, 15.1, false, true, 0.00005},
        // A slow push starting: the first record that moves is no repeat.
        {"ground standing, then moving off at 1.1 kt, 5 m on in 8.6 s", 0, 0, 1.1, 90, 90, 8.6, false, true, 0.000045},
        {"ground standing, then a field of 0.9 kt, 5 m on in 8.6 s", 0, 0, 0.9, 90, 90, 8.6, false, false, 0.000045},
        {"ground at 1.1 kt straight, 5 m on in 8.6 s", 0, 1.1, 1.1, 90, 90, 8.6, false, false, 0.000045},
        // Nor is one going on from a report that waits at the gate reading a
        // stale 0: the aircraft would stop there.
        {"ground straight at 10 kt, a stale 0 at the gate, 22 m on in 4 s", 0, 10, 10, 90, 90, 4.0, false, true,
         0.0002, 0.0},
        {"ground straight at 10 kt, 10 kt at the gate, then 5 kt 11 m on in 4 s", 0, 10, 5, 90, 90, 8.0, false, false,
         0.0002, 10.0},
        // Nor is a record at 0 kt farther from the last one heard (the first
        // record is heard too) than a standing stream wanders, however slow
        // its position shows it (22 m in 10 s: 4.3 kt): a push on the feed's
        // coarse grid, one step, its field still 0.
        {"ground standing, then a field of 0 kt 22 m on in 10 s", 0, 0, 0, 90, 90, 10.0, false, true, 0.0002},
        {"ground standing, then a field of 0 kt 9 m on in 10 s", 0, 0, 0, 90, 90, 10.0, false, false, 0.00008},
        {"ground turning", 0, 10, 10, 90, 93, 2.0, false, true},
        {"ground at 31 kt", 0, 31, 31, 90, 90, 2.0, false, true},
        // A speed field stale at 0 kt in a take-off roll: the position shows the speed.
        {"from a stale 0 kt to 90 kt, 185 m on in 4 s", 0, 0, 90, 90, 90, 4.0, false, true, 0.00166},
        {"from a stale 0 kt to 90 kt, 22 m on in 4 s", 0, 0, 90, 90, 90, 4.0, false, false},
        {"ground straight at a stale 2 kt, 25 m on in 4 s", 0, 2, 2, 90, 90, 4.0, false, true, 0.000225},
        // Farther than any aircraft on the ground gets at its speed: judged
        // with the records after it, none of which bears the move out.
        {"ground straight at a stale 2 kt, 150 m on in 4 s", 0, 2, 2, 90, 90, 4.0, false, false, 0.00135},
        // The feed quiet a minute, the aircraft found far into its take-off
        // run: it had the time to get so fast.
        {"on the ground from 0 kt to 140 kt after a minute", 0, 0, 140, 90, 90, 60.0, false, true, 0.009},
        {"on the ground from 0 kt to 140 kt after 10 s", 0, 0, 140, 90, 90, 10.0, false, false},
    };
    std::uint32_t hexId = 60000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rec r;
        r.hexId = ++hexId;
        r.callsign = "T" + std::to_string(hexId);
        r.altitudeFt = c.altitudeFt;
        r.groundSpeedKt = c.speed0;
        r.trackDeg = c.track0;
        r.dueTick = 100000;
        feed(r);
        tick();
        LiveAc* aircraft = live(hexId);
        ASSERT_NE(aircraft, nullptr);
        aircraft->refillState = c.refilling ? 1 : 0;
        // It has the samples it needs to be created (until then every
        // record counts): a copy of the first, due just before it.
        aircraft->samples.push_front(aircraft->samples.front());
        --aircraft->samples.front().dueTick;
        if (c.waitingKt) {
            Rec half = r;
            half.groundSpeedKt = *c.waitingKt;
            half.trackDeg = c.track1;
            half.timestamp += c.elapsed / 2.0;
            half.dueTick += static_cast<std::int32_t>(c.elapsed * 50.0);
            half.lat += c.latStep / 2.0;
            feed(half);
            tick();
            ASSERT_NE(gf_newestQueuedReport(*live(hexId)), nullptr) << "it waits at the gate";
        }
        r.groundSpeedKt = c.speed1;
        r.trackDeg = c.track1;
        r.timestamp += c.elapsed;
        r.dueTick += static_cast<std::int32_t>(c.elapsed * 100.0);  // received as long after
        r.lat += c.latStep;  // moved: a repeated position in the air is refused
        feed(r);
        // A report on the ground waits for the reports after it: one off a
        // standing aircraft until shortly before it falls due.
        tick(c.altitudeFt > 0.0 ? 1 : 2600);
        EXPECT_EQ(live(hexId)->samples.size(), (c.accepted ? 3U : 2U) + (c.waitingKt ? 1U : 0U));
    }
}

TEST_F(Admission, RecordsOfAircraftOnTheirWayOutAndBufferedOnesNearTheFieldAreDropped) {
    makeAirport(0);
    Rec r;
    r.dueTick = 100000;
    feed(r);
    tick();
    r.timestamp += 10;
    r.altitudeFt = 1450;  // within 108 ft of 1400 ft
    feed(r);
    tick();
    EXPECT_EQ(live(r.hexId)->samples.size(), 1U);
    for (const AcLifeState state : {AcLifeState::liveryrespawn, AcLifeState::removingfromsim}) {
        live(r.hexId)->lifeState = state;
        r.timestamp += 10;
        r.altitudeFt = 6000;
        feed(r);
        tick();
        EXPECT_EQ(live(r.hexId)->samples.size(), 1U) << gf_lifeStateName(state);
    }
    // Heard on the ground first, a record flagged airborne at the field's
    // height slower than anything flies is a flipped flag: the gate has it.
    // At a flying speed it is one in the air near the field.
    for (const double kt : {0.0, 60.0}) {
        SCOPED_TRACE(fmt::format("flagged airborne at {} kt after a report on the ground", kt));
        Rec g;
        g.hexId = kt == 0.0 ? 5000001 : 5000002;
        g.callsign = kt == 0.0 ? "KLM71" : "KLM72";
        g.lat = engine_test::kFieldLat;
        g.altitudeFt = 0.0;
        g.groundSpeedKt = 0.0;
        g.dueTick = 100000;
        feed(g);
        tick();
        g.timestamp += 10;
        g.dueTick += 1000;
        g.altitudeFt = 1410;
        g.groundSpeedKt = kt;
        feed(g);
        tick();
        const LiveAc* aircraft = live(g.hexId);
        ASSERT_NE(aircraft, nullptr);
        EXPECT_EQ(aircraft->samples.size() + aircraft->reportGate.queued.size(), kt == 0.0 ? 2U : 1U);
    }
}

TEST_F(Admission, ABufferedAircraftTakesTheIdentityOfItsLatestRecord) {
    Rec r;
    r.dueTick = 100000;
    r.destination = "AMS";
    feed(r);
    tick();
    r.timestamp += 10;
    r.callsign = "KLM77";
    r.registration = "PH-BXB";
    r.origin = "LHR";
    r.destination = "";  // a missing code keeps the known one
    r.lat += 0.0002;
    feed(r);
    tick();
    const LiveAc* aircraft = live(r.hexId);
    EXPECT_EQ(aircraft->callsign, "KLM77");
    EXPECT_EQ(aircraft->registration, "PH-BXB");
    EXPECT_EQ(aircraft->origin.text(), "LHR");
    EXPECT_EQ(aircraft->destination.text(), "AMS");
    EXPECT_EQ(aircraft->samples.size(), 2U);
}

}  // namespace
