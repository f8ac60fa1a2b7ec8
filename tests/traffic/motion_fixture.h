// Drives the traffic engine's motion tick by tick against a fake simulator
// that records what the engine asks of it (client events, removals, position
// blocks, and the direct requests of g_simRequests) and, like a simulator,
// reports its objects' height above a flat terrain.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "airports/airport_services.h"
#include "airports/stands.h"
#include "foundation/geodesy.h"
#include "settings/category_tables.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"
#include "traffic/sim_requests.h"
#include "traffic/state.h"

namespace motion_test {

inline constexpr std::uint32_t kObjectId = 101;

struct SentEvent {
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t value = 0;
    std::int32_t tick = 0;
};

struct ControlsCall {
    std::uint32_t objectId = 0;
    double spoilers = 0.0, throttle1 = 0.0, throttle2 = 0.0;
};

class FakeSimulator {
public:
    std::vector<SentEvent> events;
    std::vector<std::uint32_t> removals;
    std::vector<ControlsCall> controls;
    std::vector<std::uint32_t> staticCgRequests;
    std::vector<std::pair<std::uint32_t, std::string>> flightPlans;
    std::int32_t flightPlanResult = 0;
    std::vector<PosUpdate> lastBlocks;  // the latest tick's position blocks

    // With a terrain, every reportEvery ticks each object's height above it
    // comes back as on-ground data (on the ground within static CG + 2 ft).
    std::optional<double> terrainFt;
    double staticCgFt = 9.0;
    int reportEvery = 20;

    void install() {
        SimRequests requests;
        requests.setControls = [this](std::uint32_t id, double s, double t1, double t2) {
            controls.push_back({id, s, t1, t2});
            return true;
        };
        requests.requestStaticCg = [this](std::uint32_t id) {
            staticCgRequests.push_back(id);
            return true;
        };
        requests.setFlightPlan = [this](std::uint32_t id, const std::string& path) {
            flightPlans.emplace_back(id, path);
            return flightPlanResult;
        };
        requests.requestAiInRange = [](std::uint32_t) { return true; };
        g_simRequests = requests;
    }

    // After a tick: takes what the engine queued, and answers.
    void drain(std::int32_t tick) {
        {
            const std::lock_guard lock(g_simQueueMutex);
            for (const SimEventRequest& e : g_simEventQueue) events.push_back({e.objectId, e.eventId, e.value, tick});
            g_simEventQueue.clear();
            removals.insert(removals.end(), g_simRemoveQueue.begin(), g_simRemoveQueue.end());
            g_simRemoveQueue.clear();
            g_simCreateQueue.clear();
        }
        lastBlocks = g_posUpdates.write();
        g_posUpdates.write().clear();
        if (!terrainFt || reportEvery <= 0 || tick % reportEvery != 0) return;
        for (const PosUpdate& block : lastBlocks) {
            const double above = block.altitudeFt - *terrainFt;
            const std::uint32_t onGround = above <= staticCgFt + 2.0 ? 1 : 0;
            gf_pushAcEvent({block.objectId, onGround, 0, AcEventKind::onGround, *terrainFt, above});
        }
    }

    // The values of one client event in the order sent.
    std::vector<std::uint32_t> valuesOf(std::uint32_t eventId) const {
        std::vector<std::uint32_t> values;
        for (const SentEvent& e : events)
            if (e.eventId == eventId) values.push_back(e.value);
        return values;
    }
    // The event ids and values sent, in order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sent() const {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> result;
        for (const SentEvent& e : events) result.emplace_back(e.eventId, e.value);
        return result;
    }
    // Forgets everything recorded.
    void forget() {
        events.clear();
        removals.clear();
        controls.clear();
        staticCgRequests.clear();
        flightPlans.clear();
        lastBlocks.clear();
    }
};

// One position sample; airborne when above 0 ft.
inline PosSample sampleAt(double lat, double lon, double altitudeFt, double speedKt, double verticalSpeed,
                          std::int32_t dueTick) {
    PosSample s;
    s.lat = lat;
    s.lon = lon;
    s.altitudeFt = altitudeFt;
    s.groundSpeedKt = speedKt;
    s.verticalSpeed = verticalSpeed;
    s.trueAirspeedKt = speedKt;
    s.dueTick = dueTick;
    s.airborne = altitudeFt > 0.0 ? 1 : 0;
    return s;
}

inline double deg(double rad) { return rad * kRadToDeg; }

// nm north or east of a point, on this program's sphere (1 nm = 1 arc minute).
inline double latPlusNm(double lat, double nm) { return lat + nm / 60.0; }

class MotionTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        saved_ = {AIRBORNE_ONLY.value.load(), RANDOM.value.load(), NAV_LIGHTS_WHILE_PARKED.value.load(),
                  LIGHT_AIRCRAFT.value.load(), HIGH_PERF_AIRCRAFT.value.load(), HELICOPTERS.value.load()};
        savedHolding_ = MAX_HOLDING_MINUTES.value.load();
        savedRange_ = g_rangeNm.load();
        AIRBORNE_ONLY.value = false;
        sim.install();
    }
    void TearDown() override {
        g_simRequests = gf_librarySimRequests();
        AIRBORNE_ONLY.value = saved_[0];
        RANDOM.value = saved_[1];
        NAV_LIGHTS_WHILE_PARKED.value = saved_[2];
        LIGHT_AIRCRAFT.value = saved_[3];
        HIGH_PERF_AIRCRAFT.value = saved_[4];
        HELICOPTERS.value = saved_[5];
        MAX_HOLDING_MINUTES.value = savedHolding_;
        g_rangeNm = savedRange_;
        resetEngine();
    }

    // A fresh engine and record for the next case of a table.
    void freshCase() {
        resetEngine();
        sim.forget();
    }

    static void resetEngine() {
        g_liveAcs.clear();
        g_liveAcs.reserve(64);  // references handed out by addActive stay valid
        g_staticAcs.clear();
        g_createdAcs.clear();
        {
            const std::lock_guard lock(g_acEventsMutex);
            g_acEvents.clear();
        }
        g_replaceCheckIds.clear();
        {
            const std::lock_guard lock(g_simQueueMutex);
            g_simEventQueue.clear();
            g_simRemoveQueue.clear();
            g_simCreateQueue.clear();
            g_posUpdates.sides[0].clear();
            g_posUpdates.sides[1].clear();
        }
        g_stands.clear();
        g_tick = 0;
        g_engineQnh = 1013;
        g_parkAirport = AirportRecord{};
        g_userRef = UserState{};
        g_fastRangeRequests = 0;
    }

    // An active live aircraft of the category at its first sample, heading
    // along its track, with the category's steps and limits.
    LiveAc& addActive(SizeCategory category, const std::vector<PosSample>& samples, double headingDeg = 0.0) {
        const auto c = static_cast<std::uint32_t>(category);
        AcBase base;
        base.callsign = "TST123";
        base.registration = "PH-TST";
        base.hexId = 4844322 + static_cast<std::uint32_t>(g_liveAcs.size());
        base.sizeCategory = category;
        base.radiusNm = 0.01;
        base.staticCgHeight = sim.staticCgFt;
        base.staticPitch = 0.7 * kDegToRad;
        base.takeOffPitch = g_categoryTables.takeOffPitchDeg.at(c) * kDegToRad;
        base.climbPitch = g_categoryTables.climbPitchDeg.at(c) * kDegToRad;
        base.turnRateBase = base.turnRate = g_categoryTables.turnRateBase.at(c);
        base.climbPerTick = category == SizeCategory::Large ? 0.6 : category == SizeCategory::Heavy ? 0.5 : 0.75;
        base.flareSteps = g_categoryTables.flareSteps.at(c);
        base.touchdownSteps = g_categoryTables.touchdownSteps.at(c);
        base.rotationSteps = g_categoryTables.rotationSteps.at(c);
        base.climbOutSteps = g_categoryTables.climbOutSteps.at(c);
        LiveAc& ac = g_liveAcs.emplace_back(samples.front(), std::move(base), 0.0);
        for (std::size_t i = 1; i < samples.size(); ++i) ac.samples.push_back(samples[i]);
        ac.objectId = kObjectId + static_cast<std::uint32_t>(g_liveAcs.size()) - 1;
        ac.lifeState = AcLifeState::active;
        ac.lat = samples.front().lat;
        ac.lon = samples.front().lon;
        ac.altitudeFt = samples.front().altitudeFt;
        ac.heading = headingDeg * kDegToRad;
        ac.phase = samples.front().airborne ? AcPhase::flying : AcPhase::taxi;
        ac.groundMode = samples.front().airborne ? 0 : 1;
        ac.lastThrottle = 3;
        ac.lastFlaps = 0;
        return ac;
    }

    // One tick of the engine's job as far as motion goes: the events, every
    // live aircraft's update, the erasure of flagged records; then the fake
    // simulator takes the queues.
    void tick() {
        gf_handleAcEvents();
        bool erase = false;
        for (LiveAc& ac : g_liveAcs) erase = updateLiveAc(ac) || erase;
        if (erase) std::erase_if(g_liveAcs, [](const LiveAc& ac) { return ac.eraseNow != 0 || ac.eraseDropped != 0; });
        sim.drain(g_tick.load());
        ++g_tick;
    }
    void runTicks(int n) {
        for (int i = 0; i < n; ++i) tick();
    }
    // Ticks until g_tick reaches the tick (the last one run is tick - 1).
    void runUntil(std::int32_t tickNumber) {
        while (g_tick.load() < tickNumber) tick();
    }

    static void setParkAirport(double lat, double lon, float elevationFt) {
        g_parkAirport = AirportRecord{};
        g_parkAirport.code = AirportCode("EHAM");
        g_parkAirport.latitude = lat;
        g_parkAirport.longitude = lon;
        g_parkAirport.altitude = elevationFt;
    }

    FakeSimulator sim;

private:
    std::array<bool, 6> saved_{};
    std::int32_t savedHolding_ = 0;
    double savedRange_ = 0.0;
};

}  // namespace motion_test
