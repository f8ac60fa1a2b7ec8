// Whole flights through the engine, tick by tick: traffic records fed to the
// adding stack at RealTraffic's pace, admitted, spawned, created by the fake
// simulator (which also reports the height above a flat terrain), flown
// sample by sample, landed and removed.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "engine_fixture.h"
#include "replayed_track.h"
#include "simlink/sim_ids.h"

using namespace engine_test;

namespace {

// A point of a flight: seconds from its first record, nm north and east of
// the field, height above the field (none: on the ground) and ground speed.
struct Waypoint {
    double t;
    double northNm, eastNm;
    std::optional<double> aboveFieldFt;
    double speedKt;
};

// A record every 6 s along straight legs between the waypoints.
std::vector<Fix> fixesAlong(const std::vector<Waypoint>& route) {
    std::vector<Fix> fixes;
    const double metresPerDegLon = std::cos(kFieldLat * kDegToRad);
    for (double t = route.front().t; t <= route.back().t + 1e-9; t += 6.0) {
        std::size_t i = 0;
        while (i + 2 < route.size() && route[i + 1].t <= t) ++i;
        const Waypoint& a = route[i];
        const Waypoint& b = route[i + 1];
        const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
        PosSample s;
        s.lat = kFieldLat + (a.northNm + (b.northNm - a.northNm) * f) / 60.0;
        s.lon = kFieldLon + (a.eastNm + (b.eastNm - a.eastNm) * f) / 60.0 / metresPerDegLon;
        s.groundSpeedKt = a.speedKt + (b.speedKt - a.speedKt) * f;
        s.trueAirspeedKt = s.groundSpeedKt;
        const double above =
            a.aboveFieldFt ? *a.aboveFieldFt + (b.aboveFieldFt.value_or(0.0) - *a.aboveFieldFt) * f : 0.0;
        if (above > 0.0) {
            s.altitudeFt = kFieldElevationFt + above;
            s.verticalSpeed = (b.aboveFieldFt.value_or(0.0) - *a.aboveFieldFt) / (b.t - a.t) * 60.0;
            s.airborne = 1;
        }
        s.trackDeg = gf_bearingRad({a.northNm / 60.0, a.eastNm / 60.0}, {b.northNm / 60.0, b.eastNm / 60.0}) * kRadToDeg;
        fixes.push_back({t, s});
    }
    return fixes;
}

// What one flight did, tick by tick.
struct Flown {
    std::int32_t createdAt = -1, activeAt = -1, approachAt = -1, flareAt = -1, touchDownAt = -1, removedAt = -1;
    std::int32_t highestFlareStage = 0;
    double lowestAboveField = 1e9;  // ft, while active
    double largestOffTrackAirborne = 0.0;  // m
    double lastLat = 0.0, lastLon = 0.0;   // while active
    std::uint32_t objectId = 0;
};

class Flights : public EngineTest {
protected:
    Flights() {
        makeAirport(2);
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
    }

    // Feeds the fixes at their times as the traffic reader would (due 30 s
    // later) and runs the engine until the aircraft is gone or time is up.
    Flown fly(Rec identity, const std::vector<Fix>& fixes, std::int32_t lastTick) {
        Flown flown;
        std::size_t next = 0;
        while (g_tick.load() < lastTick) {
            const std::int32_t now = g_tick.load();
            feedDue(identity, fixes, next);
            const std::size_t cgAsked = staticCgRequests.size();
            tick();
            // The simulator answers the static centre-of-gravity request.
            for (std::size_t k = cgAsked; k < staticCgRequests.size(); ++k)
                gf_pushAcEvent({staticCgRequests[k], 0, 0, AcEventKind::staticCgAndPitch, 9.0, 0.7 * kDegToRad});
            const LiveAc* ac = live(identity.hexId);
            if (ac == nullptr) {
                if (flown.activeAt >= 0) {
                    flown.removedAt = now;
                    break;
                }
                continue;
            }
            note(*ac, now, fixes, flown);
        }
        return flown;
    }

    // Puts the fixes whose time has come on the adding stack, due 30 s later.
    static void feedDue(Rec& identity, const std::vector<Fix>& fixes, std::size_t& next) {
        const std::int32_t now = g_tick.load();
        while (next < fixes.size() && fixes[next].t * 100.0 <= now) {
            identity.timestamp = 1000.0 + fixes[next].t;
            StreamRecord record = makeRecord(identity);
            record.sample = fixes[next].sample;
            record.sample.dueTick = now + 3000;
            const std::lock_guard lock(g_addingStackMutex);
            g_addingStack.push_back(std::move(record));
            ++next;
        }
    }

    static void note(const LiveAc& ac, std::int32_t now, const std::vector<Fix>& fixes, Flown& flown) {
        if (ac.objectId != 0 && flown.createdAt < 0) {
            flown.createdAt = now;
            flown.objectId = ac.objectId;
        }
        if (ac.lifeState != AcLifeState::active) return;
        if (flown.activeAt < 0) flown.activeAt = now;
        if (ac.approach != 0 && flown.approachAt < 0) flown.approachAt = now;
        if (ac.flareStage > 0 && flown.flareAt < 0) flown.flareAt = now;
        if (ac.landed != 0 && flown.touchDownAt < 0) flown.touchDownAt = now;
        flown.highestFlareStage = std::max(flown.highestFlareStage, ac.flareStage);
        flown.lowestAboveField = std::min(flown.lowestAboveField, ac.altitudeFt - kFieldElevationFt);
        flown.lastLat = ac.lat;
        flown.lastLon = ac.lon;
        if (ac.groundMode == 0)
            flown.largestOffTrackAirborne =
                std::max(flown.largestOffTrackAirborne, offTrackMetres(ac.lat, ac.lon, fixes));
    }
};

}  // namespace

// An arrival on final: it descends with the stream, takes the landing
// configuration within 10 nm of the park airport, flares, is set down by the
// simulator's on-ground report and rolls out along the runway; where its
// stream ends, slowly rolling out, it waits for it as a taxiing aircraft does.
TEST_F(Flights, ArrivalDescendsLandsAndRollsOut) {
    const std::vector<Waypoint> route = {
        {0, -12.0, -2.0, 3800, 170},            // base leg
        {89.4, -8.0, 0.0, 2540, 160},           // turning final
        {257.4, -0.3, 0.0, 95, 150},            // over the threshold
        {264.8, 0.0, 0.0, std::nullopt, 140},   // touch-down
        {307.2, 1.0, 0.0, std::nullopt, 30},    // roll-out
        {319.2, 1.05, 0.0, std::nullopt, 10},
    };
    const std::vector<Fix> fixes = fixesAlong(route);
    Rec r;
    r.callsign = "KLM1234";
    const Flown flown = fly(r, fixes, 60000);

    ASSERT_GE(flown.activeAt, 0) << "created and made active";
    EXPECT_GT(flown.approachAt, flown.activeAt) << "landing configuration on final";
    // Landing flaps on final; on the runway at 90 kt or less they go to 1.
    const auto flaps = sim.eventsFor(flown.objectId, EVT_FLAPS_SET);
    ASSERT_GE(flaps.size(), 2U);
    EXPECT_EQ(flaps[flaps.size() - 2].value, 16383U);
    EXPECT_EQ(flaps.back().value, 3072U);
    EXPECT_FALSE(sim.eventsFor(flown.objectId, EVT_GEAR_SET).empty());
    EXPECT_GT(flown.flareAt, flown.approachAt);
    EXPECT_EQ(flown.highestFlareStage, 4);
    EXPECT_GT(flown.touchDownAt, flown.flareAt);
    EXPECT_GE(flown.lowestAboveField, 9.0 - 1e-9) << "never below its wheels";
    EXPECT_LT(flown.largestOffTrackAirborne, 5.0) << "metres from the replayed track while airborne";
    ASSERT_GE(sim.controls.size(), 2U) << "spoilers and reversers at touch-down, then in again";
    EXPECT_EQ(sim.controls[0].objectId, flown.objectId);
    EXPECT_EQ(sim.controls[0].throttle1, 100.0);
    for (std::size_t k = 1; k < sim.controls.size(); ++k)
        EXPECT_EQ(sim.controls[k].spoilers + sim.controls[k].throttle1 + sim.controls[k].throttle2, 0.0);
    EXPECT_FALSE(sim.eventsFor(flown.objectId, EVT_SPOILERS_SET).empty());
    EXPECT_EQ(flown.removedAt, -1) << "waiting for its stream, not gone";
    // It rolled out along the runway to its last fix, and no farther.
    EXPECT_NEAR(flown.lastLon, kFieldLon, 1e-9);
    EXPECT_LT(gf_distanceNm({flown.lastLat, flown.lastLon}, {fixes.back().sample.lat, kFieldLon}) * kMetersPerNm, 5.0);
}

// An overflight at FL240 crosses the field's longitude, keeps its level and
// is removed when its stream ends outside the radius around the user.
TEST_F(Flights, OverflightCrossesAndLeaves) {
    const std::vector<Waypoint> route = {{0, 3.0, -20.0, 22600, 440}, {327.3, 3.0, 20.0, 22600, 440}};
    const std::vector<Fix> fixes = fixesAlong(route);
    Rec r;
    r.hexId = 3946503;
    r.callsign = "DLH9AB";
    r.type = "A320";
    double westmost = 180.0, eastmost = -180.0;
    Flown flown;
    std::size_t fed = 0;
    while (g_tick.load() < 60000) {
        const std::int32_t now = g_tick.load();
        feedDue(r, fixes, fed);
        tick();
        const LiveAc* ac = live(r.hexId);
        if (ac == nullptr && flown.activeAt >= 0) {
            flown.removedAt = now;
            break;
        }
        if (ac == nullptr || ac->lifeState != AcLifeState::active) continue;
        if (flown.activeAt < 0) flown.activeAt = now;
        westmost = std::min(westmost, ac->lon);
        eastmost = std::max(eastmost, ac->lon);
        EXPECT_NEAR(ac->altitudeFt, kFieldElevationFt + 22600, 1e-6);
    }
    ASSERT_GE(flown.activeAt, 0);
    EXPECT_LT(westmost, kFieldLon);
    EXPECT_GT(eastmost, kFieldLon);
    EXPECT_GT(flown.removedAt, 0) << "removed after its last sample";
    const std::uint32_t objectId = sim.objectOf(r.hexId);
    EXPECT_EQ(sim.eventsFor(objectId, EVT_CABIN_LIGHTS_SET).size(), 2U) << "activation and the lights above 10000 ft, once";
}
