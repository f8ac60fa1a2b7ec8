// The static parking and the park airport's control in one test: the
// airports' test state (log, settings, stand table, registrations), a few
// aircraft models, the engine's tables emptied, scripted services (the
// parked livery matching, the clock, the user's settings put back into a
// parameters file of the test's own), and helpers for aircraft on stands.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "airports/airport_fixture.h"
#include "app/services/status_line.h"
#include "refdata/state.h"
#include "rtlink/traffic_feed.h"
#include "settings/parameter_store.h"
#include "simlink/state.h"
#include "traffic/engine_services.h"
#include "traffic/state.h"

namespace static_test {

using namespace airports_test;

inline constexpr std::int64_t kHundredNsPerMinute = 600'000'000;

class StaticTest : public AirportTest {
public:
    StaticTest() {
        resetEngineState();
        // References to added aircraft stay valid while a test adds more.
        g_liveAcs.reserve(64);
        g_staticAcs.reserve(64);
        // Id 0 means "none" in a model key.
        gf_airlineId("");
        gf_modelId("");
        addModel("B738", kLargeSet, 35.8 * 0.5 / 1852);
        addModel("A320", kLargeSet, 35.8 * 0.5 / 1852);
        addModel("B744", kHeavySet, 64.4 * 0.5 / 1852);
        EngineServices& s = g_engineServices;
        s.matchLiveryParked = [this](AcBase& aircraft, const Stand&) {
            const auto title = liveries.find(std::string(gf_modelCodeText(aircraft.modelKey.modelId)));
            if (title == liveries.end()) return false;
            aircraft.liveryTitle = title->second;
            return true;
        };
        s.systemTime100ns = [this] { return clock100ns; };
        s.restoreUserSettings = [this] { gf_applyChangedParams(log_.dir() / "parameters.xml"); };
    }
    ~StaticTest() override {
        g_engineServices = gf_engineServices();
        resetEngineState();
    }

    static void resetEngineState() {
        g_liveAcs.clear();
        g_staticPlacements.clear();
        g_staticRemovals.clear();
        g_liveParkedList.clear();
        g_staticCreateQueue.clear();
        g_liveCreateQueue.clear();
        g_removeQueue.clear();
        g_pendingSpawnHexIds.clear();
        g_staticNumber = 0;
        g_parkReadRequest = false;
        g_reservedStand.clear();
        g_reservedStandShown = std::string();
        g_reservedStandConfirmed = false;
        g_settingsLocked = false;
        g_staticPassShown = false;
        g_weekPassShown = false;
        g_maxPark = 0;
        g_maxParkPercent = 0;
        g_staticReplacedCount = 0;
        g_liveMeanParkedHours = -1.0F;
        g_parkAirportText = std::string();
        g_parkFileNameText = std::string();
        g_staticUpdateMinutes = 1;
        {
            const std::lock_guard lock(g_userStateMutex);
            g_userState = UserState{};
            g_userStandText.clear();
        }
        g_userRef = UserState{};
        g_userOnGroundKnown = false;
        g_userHalfSpan = 0.0;
        g_trafficFeed.takeCallsigns();
        gf_resetStatusLine();
    }

    static void addModel(const std::string& code, CategorySet set, double halfSpanNm) {
        const std::uint16_t id = gf_modelId(code);
        g_icaoModelCodes.insert(code);
        g_modelCategorySets[set].insert(id);
        g_wingspans[id] = halfSpanNm;
    }

    // The user aircraft as the simulator link and the engine see it.
    static void setUser(const GeoPoint& position, bool onGround, double altitudeFt = 0.0, double aboveGroundFt = 0.0,
                        double headingRad = 0.0) {
        UserState user;
        user.lat = position.lat;
        user.lon = position.lon;
        user.altitudeFt = altitudeFt;
        user.altAboveGroundFt = aboveGroundFt;
        user.heading = headingRad;
        {
            const std::lock_guard lock(g_userStateMutex);
            g_userState = user;
        }
        g_userRef = user;
        g_userOnGround = onGround;
        g_userOnGroundKnown = true;
    }

    // An active static aircraft on the stand, standing for the flight of its use.
    static AcBase& addStatic(const Stand& stand, const ModelKey& k, const std::string& first,
                             const std::string& second, const std::string& reg, std::uint64_t parkedAt,
                             AcLifeState state = AcLifeState::active, std::string callsign = {}) {
        AcBase a;
        a.modelKey = k;
        a.callsign = callsign.empty() ? first + "*" : std::move(callsign);
        a.prevCallsign = first;
        a.spareText = second;
        a.registration = reg;
        a.radiusNm = hwsp(k.modelId);
        a.standId = stand.standId;
        a.standLat = stand.latitude;
        a.standLon = stand.longitude;
        a.parkedAt = parkedAt;
        a.lifeState = state;
        a.hexId = static_cast<std::uint32_t>(g_staticAcs.size()) + 1;
        a.objectId = state == AcLifeState::active ? 500 + a.hexId : 0;
        g_staticAcs.push_back(std::move(a));
        return g_staticAcs.back();
    }

    // A live aircraft parked (active) on the stand.
    LiveAc& addLiveParked(const Stand& stand, const ModelKey& k, const std::string& callsign, const std::string& reg,
                          SizeCategory category = SizeCategory::Large, std::int64_t minutesParked = 10) {
        AcBase base;
        base.modelKey = k;
        base.callsign = callsign;
        base.registration = reg;
        base.sizeCategory = category;
        base.radiusNm = hwsp(k.modelId);
        base.hexId = 4840000 + static_cast<std::uint32_t>(g_liveAcs.size());
        PosSample sample;
        sample.lat = stand.latitude;
        sample.lon = stand.longitude;
        LiveAc& a = g_liveAcs.emplace_back(sample, std::move(base), 0.0);
        a.objectId = 900 + static_cast<std::uint32_t>(g_liveAcs.size());
        a.standId = stand.standId;
        a.standLat = stand.latitude;
        a.standLon = stand.longitude;
        a.lifeState = AcLifeState::active;
        a.lat = stand.latitude;
        a.lon = stand.longitude;
        a.phase = AcPhase::parked;
        a.groundMode = 1;
        a.parkedSince = clock100ns - minutesParked * kHundredNsPerMinute;
        return a;
    }

    // Stands A1, A2 ... 100 m apart (no neighbours), each with the given uses.
    static void standsWith(std::vector<std::vector<StandUse>> uses) {
        std::vector<Stand> stands;
        for (std::size_t k = 0; k < uses.size(); ++k)
            stands.push_back(standAt(("A" + std::to_string(k + 1)).c_str(), 0, 100.0 * k, 20, std::move(uses[k])));
        setStands(std::move(stands));
    }

    // The object ids queued for removal.
    static std::set<std::uint32_t> removalsQueued() { return {g_removeQueue.begin(), g_removeQueue.end()}; }
    static std::set<std::uint32_t> scheduledStands() {
        std::set<std::uint32_t> ids;
        for (const StaticSlot& record : g_staticSlots) ids.insert(record.standId);
        return ids;
    }

    std::map<std::string, std::string> liveries = {{"B738", "Boeing 737-800 KLM"}, {"A320", "Airbus A320 DLH"},
                                                   {"B744", "Boeing 747-400 KLM"}};
    std::int64_t clock100ns = 1'000'000 * kHundredNsPerMinute;
};

}  // namespace static_test
