// The traffic engine driven tick by tick: a small data base of models and
// registrations, a synthetic airport of stands, recording stand-ins for the
// services of the other subsystems and a clock the test moves, and a
// portable fake simulator that drains the simulator link's queues after each
// tick and answers with AI-object events when the test says so.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "airports/airport_services.h"
#include "airports/stands.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "foundation/geodesy.h"
#include "foundation/random.h"
#include "liveries/livery_services.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "support/log_capture.h"
#include "support/store_fixture.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/state.h"

namespace engine_test {

// A place near which the tests fly: a park airport at 1400 ft, so the
// altitude rules bite.
inline constexpr double kFieldLat = 50.0;
inline constexpr double kFieldLon = 8.0;
inline constexpr float kFieldElevationFt = 1400.0F;

// Half wingspans in nautical miles.
inline constexpr double kHalfSpanB738 = 35.8 * 0.5 / 1852;
inline constexpr double kHalfSpanC172 = 11.0 * 0.5 / 1852;

// The simulator side of the link's queues: creations get object ids, removals
// answer with the object-removed event, and the test decides when an object
// is reported created or refused.
class FakeSim {
public:
    struct Creation {
        SpawnRequest request;
        std::string title;  // a copy: the request's view is the engine's
        std::uint32_t objectId = 0;
        std::int32_t tick = 0;  // the tick after which it was sent
    };

    std::vector<Creation> created;
    std::vector<std::uint32_t> removed;  // object ids, in order
    std::vector<std::int32_t> removedTicks;
    std::vector<SimEventRequest> events;
    std::vector<std::int32_t> eventTicks;  // the tick after which each event was sent
    std::vector<PosUpdate> positions;  // the blocks of the last frame
    bool answerRemovals = true;        // removed objects report kind 2 at once
    bool answerCreations = false;      // created objects report kind 0 at once
    // With a terrain, every reportEvery frames each object's height above it
    // comes back as on-ground data (on the ground within static CG + 2 ft),
    // as the answer to the request for the aircraft within the radius would.
    std::optional<double> terrainFt;
    double staticCgFt = 9.0;
    int reportEvery = 20;
    // The direct requests: the controls block (401) and the flight plans.
    struct Controls {
        std::uint32_t objectId = 0;
        double spoilers = 0.0, throttle1 = 0.0, throttle2 = 0.0;
    };
    std::vector<Controls> controls;
    std::vector<std::pair<std::uint32_t, std::string>> flightPlans;
    std::int32_t flightPlanResult = 0;  // the library's answer to a flight plan

    // One simulator frame after a tick.
    void frame() {
        std::vector<SpawnRequest> creations;
        std::vector<std::uint32_t> removals;
        const std::int32_t tick = g_tick.load() - 1;
        {
            const std::lock_guard lock(g_simQueueMutex);
            creations.swap(g_simCreateQueue);
            removals.swap(g_simRemoveQueue);
            events.insert(events.end(), g_simEventQueue.begin(), g_simEventQueue.end());
            eventTicks.resize(events.size(), tick);
            g_simEventQueue.clear();
            positions = g_posUpdates.send();
            g_posUpdates.send().clear();
        }
        for (SpawnRequest& request : creations) {
            Creation c{request, std::string(request.liveryTitle), nextObjectId_++, tick};
            created.push_back(c);
            if (answerCreations) objectCreated(request.hexId);
        }
        for (const std::uint32_t objectId : removals) {
            removed.push_back(objectId);
            removedTicks.push_back(tick);
            if (answerRemovals) gf_pushAcEvent({objectId, 0, 0, AcEventKind::removed, 0.0, 0.0});
        }
        if (!terrainFt || reportEvery <= 0 || tick % reportEvery != 0) return;
        for (const PosUpdate& block : positions) {
            const double above = block.altitudeFt - *terrainFt;
            const std::uint32_t onGround = above <= staticCgFt + 2.0 ? 1 : 0;
            gf_pushAcEvent({block.objectId, onGround, 0, AcEventKind::onGround, *terrainFt, above});
        }
    }

    // The creation sent for this hex id (the last one), if any.
    const Creation* creationOf(std::uint32_t hexId) const {
        for (auto c = created.rbegin(); c != created.rend(); ++c)
            if (c->request.hexId == hexId) return &*c;
        return nullptr;
    }
    std::uint32_t objectOf(std::uint32_t hexId) const {
        const Creation* c = creationOf(hexId);
        return c != nullptr ? c->objectId : 0;
    }
    // The simulator recognised the object of the creation sent for this hex id.
    void objectCreated(std::uint32_t hexId, double altAboveGround = 2500.0) {
        const Creation* c = creationOf(hexId);
        ASSERT_NE(c, nullptr) << "no creation was sent for " << hexId;
        objectShown(*c, altAboveGround);
    }
    // The object of this creation (an earlier one for its hex id too), as
    // the link reports it: with the serial of the creation it answers.
    static void objectShown(const Creation& c, double altAboveGround = 2500.0) {
        gf_pushAcEvent({c.objectId, c.request.hexId, c.request.createSerial, AcEventKind::liveCreated, 0.0,
                        altAboveGround});
    }
    void creationRefused(std::uint32_t hexId) { gf_pushAcEvent({0, hexId, 0, AcEventKind::createFailed, 0.0, 0.0}); }
    void objectRemoved(std::uint32_t objectId) {
        gf_pushAcEvent({objectId, 0, 0, AcEventKind::removed, 0.0, 0.0});
    }
    // The values of one client event, in the order sent.
    std::vector<std::uint32_t> valuesOf(std::uint32_t eventId) const {
        std::vector<std::uint32_t> out;
        for (const SimEventRequest& e : events)
            if (e.eventId == eventId) out.push_back(e.value);
        return out;
    }
    // The event ids and values sent after one tick (every tick with none).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sent(std::optional<std::int32_t> tick = std::nullopt) const {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
        for (std::size_t k = 0; k < events.size(); ++k)
            if (!tick || eventTicks[k] == *tick) out.emplace_back(events[k].eventId, events[k].value);
        return out;
    }
    // Client events of one kind sent to one object.
    std::vector<SimEventRequest> eventsFor(std::uint32_t objectId, std::uint32_t eventId) const {
        std::vector<SimEventRequest> out;
        for (const SimEventRequest& e : events)
            if (e.objectId == objectId && e.eventId == eventId) out.push_back(e);
        return out;
    }

private:
    std::uint32_t nextObjectId_ = 100;
};

// One traffic record as the traffic reader makes it.
struct Rec {
    std::uint32_t hexId = 4840394;
    std::string callsign = "KLM1234";
    std::string type = "B738";
    std::string registration = "PH-BXA";
    double lat = kFieldLat + 0.3;
    double lon = kFieldLon;
    double altitudeFt = 5000.0;  // 0 = on the ground
    double groundSpeedKt = 200.0;
    double trackDeg = 180.0;
    double verticalSpeedFpm = 0.0;
    double timestamp = 1000.0;
    std::int32_t dueTick = 3000;
    std::string origin;       // 3 characters or empty
    std::string destination;  // 3 characters or empty
};

inline StreamRecord makeRecord(const Rec& r) {
    StreamRecord record;
    record.hexId = r.hexId;
    record.timestamp = r.timestamp;
    record.ident.callsign = r.callsign;
    record.ident.registration = r.registration;
    record.ident.modelKey.modelId = gf_modelId(r.type);
    if (!r.origin.empty()) record.ident.origin = ShortAirportCode(r.origin);
    if (!r.destination.empty()) record.ident.destination = ShortAirportCode(r.destination);
    PosSample& s = record.sample;
    s.lat = r.lat;
    s.lon = r.lon;
    s.altitudeFt = r.altitudeFt;
    s.airborne = r.altitudeFt > 0.0 ? 1 : 0;
    s.groundSpeedKt = r.groundSpeedKt;
    s.trackDeg = r.trackDeg;
    s.verticalSpeed = r.verticalSpeedFpm;
    s.trueAirspeedKt = r.groundSpeedKt;
    s.dueTick = r.dueTick;
    return record;
}

class EngineTest : public ::testing::Test {
protected:
    EngineTest() { freshEngine(); }
    ~EngineTest() override {
        g_engineServices = gf_engineServices();
        resetEngine();
    }

    // The engine as at the start of a test: reset, with the models and the
    // scripted services (for the next case of a table, too).
    void freshEngine() {
        resetEngine();
        gf_seedRng(7);
        gf_airlineId("");
        gf_modelId("");
        addModel("B738", kLargeSet, kHalfSpanB738);
        addModel("A320", kLargeSet, 35.8 * 0.5 / 1852);
        addModel("B744", kHeavySet, 64.4 * 0.5 / 1852);
        addModel("C56X", kBuzjetSet, 15.9 * 0.5 / 1852);
        addModel("EC35", kRotorcraftSet, 10.2 * 0.5 / 1852);
        addModel("F16", kHighPerfSet, 9.96 * 0.5 / 1852);
        addModel("C172", std::nullopt, kHalfSpanC172);
        sim = FakeSim{};
        standOptions.clear();
        staticCgRequests.clear();
        installServices();
        user = UserState{};
        user.lat = kFieldLat - 1.0;  // far from everything, in the air
        user.lon = kFieldLon;
        user.altitudeFt = 30000.0;
        g_userRef = user;
        g_userOnGround = false;
        g_rangeMeters = 40 * 1852;
    }

    static void resetEngine() {
        testing_support::resetAllParameters();
        gf_resetTraffic();
        g_tick = 0;
        g_userRef = UserState{};
        g_userOnGround = false;
        g_reservedStand.clear();
        g_maxPark = 0;
        g_staticNumber = 0;
        g_failedCreations.clear();
        g_excludedTitles.clear();
        g_simError = false;
        g_stopRequested = false;
        g_closeRequested = false;
        g_exitReason = ExitReason::NotYetSet;
        gf_resetStatusLine();
        gf_clearReferenceData();
        {
            const std::lock_guard lock(g_simQueueMutex);
            g_simCreateQueue.clear();
            g_simRemoveQueue.clear();
            g_simEventQueue.clear();
            g_posUpdates.sides[0].clear();
            g_posUpdates.sides[1].clear();
        }
    }

    static void addModel(const std::string& code, std::optional<CategorySet> set, double halfSpanNm) {
        const std::uint16_t id = gf_modelId(code);
        g_icaoModelCodes.insert(code);
        if (set) g_modelCategorySets[*set].insert(id);
        g_wingspans[id] = halfSpanNm;
    }
    // A registration of the data base with its airline and model.
    static void addRegistration(const std::string& registration, const std::string& airline,
                                const std::string& model) {
        g_registrations.push_back({registration, RegCodes{gf_airlineId(airline), 0, gf_modelId(model), 0}});
        std::sort(g_registrations.begin(), g_registrations.end(),
                  [](const auto& a, const auto& b) { return a.registration < b.registration; });
    }

    // The services of the other subsystems as this test scripts them.
    void installServices() {
        EngineServices& s = g_engineServices;
        s.matchLiveryLive = [this](LiveAc& aircraft) {
            ++matchCalls;
            // A livery painted for this very aircraft first, then one of its model.
            const auto own = titlesByRegistration.find(aircraft.registration);
            if (own != titlesByRegistration.end() && !g_excludedTitles.contains(own->second)) {
                aircraft.liveryTitle = own->second;
                return;
            }
            const std::string model(gf_modelCodeText(aircraft.modelKey.modelId));
            const auto found = liveries.find(model);
            if (found == liveries.end() || g_excludedTitles.contains(found->second)) return;
            aircraft.liveryTitle = found->second;
        };
        s.liveryTitleForRegistration = [this](std::string_view registration) -> std::string_view {
            const auto found = titlesByRegistration.find(std::string(registration));
            return found == titlesByRegistration.end() ? std::string_view() : std::string_view(found->second);
        };
        s.findStandNear = [this](const GeoPoint& position, const AcBase&, double maxNm, bool) -> Stand* {
            ++standSearches;
            Stand* best = nullptr;
            double bestNm = maxNm;
            for (Stand& stand : g_stands) {
                const double d = gf_distanceNm(position, GeoPoint{stand.latitude, stand.longitude});
                if (stand.occupied == 0 && d <= bestNm) {
                    best = &stand;
                    bestNm = d;
                }
            }
            return best;
        };
        s.standNameAt = [this](const GeoPoint&) { return userStandName; };
        s.addRealStandOption = [this](std::int32_t standId, LiveAc&, int kind) {
            standOptions.push_back({standId, kind});
        };
        s.requestAcWithinRange = [this](std::uint32_t radius) {
            rangeRequestTicks.push_back(g_tick.load());
            lastRadius = radius;
        };
        s.requestStaticCg = [this](std::uint32_t objectId) { staticCgRequests.push_back(objectId); };
        s.requestUserPosition = [this] { return user; };
        s.setControls = [this](std::uint32_t objectId, double spoilers, double throttle1, double throttle2) {
            sim.controls.push_back({objectId, spoilers, throttle1, throttle2});
        };
        s.setFlightPlan = [this](std::uint32_t objectId, const std::string& path) {
            sim.flightPlans.emplace_back(objectId, path);
            return sim.flightPlanResult;
        };
        s.sendRtAreaRequest = [this] { areaRequestTicks.push_back(g_tick.load()); };
        s.systemTime100ns = [this] { return clock100ns; };
    }

    // A park airport with stands in a row 60 m apart along the parallel,
    // each a neighbour of the next; stand ids 1..n, names "A1".."An".
    void makeAirport(int standCount) {
        g_parkAirport.code = AirportCode("EDDX");
        g_parkAirport.code3 = ShortAirportCode("DDX");
        g_parkAirport.latitude = kFieldLat;
        g_parkAirport.longitude = kFieldLon;
        g_parkAirport.altitude = kFieldElevationFt;
        g_stands.clear();
        for (int k = 0; k < standCount; ++k) {
            Stand stand({}, "A" + std::to_string(k + 1), kFieldLat, standLon(k), 1.5, 25.0, false, false, false);
            stand.standId = k + 1;
            if (k > 0) stand.adjacentIds.push_back(k);
            if (k + 1 < standCount) stand.adjacentIds.push_back(k + 2);
            g_stands.push_back(std::move(stand));
        }
    }
    static double standLon(int index) { return kFieldLon + index * 60.0 / 1852.0 / 60.0 / std::cos(kFieldLat * kDegToRad); }

    // Pushes a record on the adding stack as the traffic reader does.
    static void feed(const Rec& r) {
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack.push_back(makeRecord(r));
    }
    // One tick and one simulator frame after it.
    void tick(int count = 1) {
        for (int k = 0; k < count; ++k) {
            lf_handleAddingStack();
            sim.frame();
        }
    }
    // Ticks until g_tick is `target` (the tick about to run).
    void tickTo(std::int32_t target) {
        while (g_tick.load() < target) tick();
    }

    static LiveAc* live(std::uint32_t hexId) {
        for (LiveAc& aircraft : g_liveAcs)
            if (aircraft.hexId == hexId) return &aircraft;
        return nullptr;
    }
    static std::optional<AcLifeState> stateOf(std::uint32_t hexId) {
        const LiveAc* aircraft = live(hexId);
        return aircraft != nullptr ? std::optional<AcLifeState>(aircraft->lifeState) : std::nullopt;
    }

    // Two records of one aircraft ten seconds apart, the second turned by 5
    // degrees (no filter holds it back) and `latStep` farther north; the
    // first due at `due`, the second `secondDelay` ticks later.
    static void feedPair(Rec r, std::int32_t due, double latStep = 0.01, std::int32_t secondDelay = 1000) {
        r.dueTick = due;
        feed(r);
        r.timestamp += 10.0;
        r.dueTick = due + secondDelay;
        r.lat += latStep;
        r.trackDeg += 5.0;
        feed(r);
    }
    // An airborne aircraft fed two records (the second due far later, so it
    // stays while the test runs), spawned, created and active after its 200 ticks.
    // Call it inside ASSERT_NO_FATAL_FAILURE: its assertions end only itself,
    // and a caller going on would use a record that may be gone.
    void makeActive(Rec r, std::int32_t due = 3000) {
        feedPair(r, due, 0.01, 100000);
        tickTo(due - 100 + 1);
        ASSERT_EQ(stateOf(r.hexId), AcLifeState::adding2sim);
        while (sim.creationOf(r.hexId) == nullptr && g_tick.load() < due + 200) tick();
        sim.objectCreated(r.hexId);
        tick(202);
        ASSERT_EQ(stateOf(r.hexId), AcLifeState::active);
    }

    testing_support::LogCapture log;
    FakeSim sim;
    UserState user;
    std::string userStandName;
    std::int64_t clock100ns = 0;
    std::map<std::string, std::string> liveries = {{"B738", "Boeing 737-800 KLM"}, {"A320", "Airbus A320 DLH"},
                                                   {"B744", "Boeing 747-400 BAW"}, {"C56X", "Citation Excel"},
                                                   {"EC35", "EC135 Police"},       {"F16", "F-16 Viper"},
                                                   {"C172", "Cessna 172"}};
    std::map<std::string, std::string> titlesByRegistration;
    int matchCalls = 0;
    int standSearches = 0;
    std::vector<std::pair<std::int32_t, int>> standOptions;
    std::vector<std::int32_t> rangeRequestTicks;
    std::vector<std::int32_t> areaRequestTicks;
    std::vector<std::uint32_t> staticCgRequests;
    std::uint32_t lastRadius = 0;
};

}  // namespace engine_test
