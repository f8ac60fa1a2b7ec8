#include "traffic/ac_events.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "liveries/livery_services.h"
#include "refdata/code_tables.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/flight_plans.h"
#include "traffic/known_samples.h"
#include "traffic/park_airport.h"
#include "traffic/removal.h"
#include "traffic/state.h"

namespace {
constexpr std::uint32_t kHighestStaticNumber = 10000;
constexpr std::int32_t kActivationTicks = 200;
constexpr std::size_t kExcludedTitlesLimit = 20;
constexpr std::uint32_t kFirstAiObjectId = 3;

template <typename Record>
typename std::vector<Record>::iterator findByHexId(std::vector<Record>& table, std::uint32_t hexId) {
    return std::find_if(table.begin(), table.end(), [hexId](const Record& r) { return r.hexId == hexId; });
}

template <typename Record>
typename std::vector<Record>::iterator findByObjectId(std::vector<Record>& table, std::uint32_t objectId) {
    return std::find_if(table.begin(), table.end(), [objectId](const Record& r) { return r.objectId == objectId; });
}

void eraseStatic(std::vector<AcBase>::iterator parked) {
    const auto last = std::prev(g_staticAcs.end());
    if (parked != last) *parked = std::move(*last);
    g_staticAcs.pop_back();
}

// The object of a creation whose record has gone (given up while the
// simulator did not show it) would stay frozen in the simulator.
void removeOrphanObject(const AcEvent& event) {
    if (event.objectId < kFirstAiObjectId) return;
    gf_log(fmt::format("object {} of hex id {} turned up after its creation was given up: removed", event.objectId,
                       event.id));
    g_removeQueue.push_back(event.objectId);
}

// The object answers the creation this record waits for (the request it
// sent last, known by its serial), and the record has no object yet.
bool answersOwnCreation(const LiveAc& aircraft, const AcEvent& event) {
    return aircraft.lifeState == AcLifeState::adding2sim && aircraft.objectId == 0 && aircraft.createSerial != 0 &&
           event.createSerial == aircraft.createSerial;
}

// A late object of an earlier creation for the same hex id, given up while
// the simulator did not show it: the record that came after waits for its
// own object or has it. One object per aircraft; this one would stay frozen.
void removeStaleObject(const LiveAc& aircraft, const AcEvent& event) {
    if (event.objectId < kFirstAiObjectId || event.objectId == aircraft.objectId) return;
    gf_log(fmt::format("object {} of hex id {} answers an earlier creation, given up: removed, {} keeps {}",
                       event.objectId, event.id, aircraft.callsign,
                       aircraft.objectId != 0 ? fmt::format("its object {}", aircraft.objectId)
                                              : std::string("waiting for its own")));
    g_removeQueue.push_back(event.objectId);
}

bool onGround(const LiveAc& aircraft) { return !aircraft.samples.empty() && !aircraft.samples.front().airborne; }

void onCreationFailed(std::uint32_t id) {
    if (id > kHighestStaticNumber) {
        const auto aircraft = findByHexId(g_liveAcs, id);
        if (aircraft == g_liveAcs.end()) return;
        gf_noteLiveryCreateFailure(*aircraft);
        lf_eraseLiveAc(aircraft);
        return;
    }
    const auto parked = findByHexId(g_staticAcs, id);
    if (parked == g_staticAcs.end()) return;
    gf_noteLiveryCreateFailure(*parked);
    eraseStatic(parked);
}

// The configuration of a live aircraft whose object has been set up.
void configureCreatedLive(LiveAc& aircraft) {
    const std::uint32_t id = aircraft.objectId;
    if (!onGround(aircraft)) {
        gf_queueEngineStart(id);
        gf_setSpoilers(aircraft, 0);
        const std::uint32_t low = aircraft.altitudeFt <= 10000.0 ? 1 : 0;
        gf_queueLights(id, 1, 1, low, 0, 1, low, aircraft.altAboveGround >= 2000.0 ? 1 : 0);
        return;
    }
    gf_setSpoilers(aircraft, 0);
    const bool parked = aircraft.phase == AcPhase::parked;
    std::uint32_t nav = 1;
    if (parked) {
        gf_queueEngineShutdown(id);
        nav = NAV_LIGHTS_WHILE_PARKED.value ? 1 : 0;
    } else {
        gf_queueEngineStart(id);
    }
    gf_queueLights(id, nav, parked ? 0 : 1, 0, aircraft.phase == AcPhase::taxi ? 1 : 0, 0, 1, 1);
    gf_setThrottle(aircraft, aircraft.sizeCategory == SizeCategory::Rotorcraft ? 4 : 0);
    gf_setFlaps(aircraft, aircraft.phase == AcPhase::taxi ? 1 : 0);
}

// A removal asked for while the creation was under way happens now; the
// mark is cleared first, since a marked aircraft is otherwise left alone.
void removeIfAsked(AcBase& aircraft) {
    if (aircraft.removeWhenCreated == 0) return;
    aircraft.removeWhenCreated = 0;
    removeAircraftFromSim(aircraft);
}

// One created entry at its 200th tick: its aircraft becomes active. An
// entry whose aircraft is gone (or is another object's by now) is done too.
void completeEntry(const CreatedEntry& entry) {
    if (entry.kind == AcEventKind::staticCreated) {
        const auto parked = findByHexId(g_staticAcs, entry.id);
        if (parked == g_staticAcs.end() || parked->lifeState != AcLifeState::adding2sim) return;
        parked->lifeState = AcLifeState::active;
        parked->objectId = entry.objectId;
        lf_resetAcConfig(*parked);
        gf_log(fmt::format("{:8}: {:8} parked", lf_standNameById(parked->standId), parked->callsign));
        removeIfAsked(*parked);
        return;
    }
    const auto aircraft = findByHexId(g_liveAcs, entry.id);
    if (aircraft == g_liveAcs.end() || aircraft->objectId != entry.objectId) return;
    configureCreatedLive(*aircraft);
    lf_rollOutFromTheQueue(*aircraft);
    aircraft->lifeState = AcLifeState::active;
    removeIfAsked(*aircraft);
}
}  // namespace

void gf_handleAcEvents() {
    const std::lock_guard lock(g_acEventsMutex);
    for (const AcEvent& event : g_acEvents) {
        switch (event.kind) {
            case AcEventKind::liveCreated: {
                const auto aircraft = findByHexId(g_liveAcs, event.id);
                if (aircraft == g_liveAcs.end()) {
                    removeOrphanObject(event);
                } else if (!answersOwnCreation(*aircraft, event)) {
                    removeStaleObject(*aircraft, event);
                } else if (lf_onObjectCreated(*aircraft, event)) {
                    g_createdAcs.push_back({event.objectId, event.id, 0, event.kind, event.value1, event.value2});
                }
                break;
            }
            case AcEventKind::staticCreated:
                g_createdAcs.push_back({event.objectId, event.id, 0, event.kind, event.value1, event.value2});
                break;
            case AcEventKind::removed:
                lf_onObjectRemoved(event.objectId);
                break;
            case AcEventKind::onGround:
                lf_onGroundData(event);
                break;
            case AcEventKind::staticCgAndPitch:
                lf_onStaticCgAndPitch(event);
                break;
            case AcEventKind::removeBlocked:
                lf_removeWhileBlocked(event.id);
                break;
            case AcEventKind::createFailed:
                onCreationFailed(event.id);
                break;
            default:
                break;
        }
    }
    g_acEvents.clear();
    if (!g_createdAcs.empty()) lf_activateCreatedAcs();
}

bool lf_onObjectCreated(LiveAc& aircraft, const AcEvent& event) {
    if (event.objectId < kFirstAiObjectId) return false;
    aircraft.objectId = event.objectId;
    aircraft.altAboveGround = event.value2;
    if (onGround(aircraft)) lf_parks(aircraft);
    lf_createFlightPlan(aircraft);
    g_engineServices.requestStaticCg(aircraft.objectId);
    return true;
}

void lf_activateCreatedAcs() {
    bool completed = false;
    for (CreatedEntry& entry : g_createdAcs) {
        if (entry.counter < 0) continue;
        if (entry.counter < kActivationTicks) {
            ++entry.counter;
            if (entry.kind == AcEventKind::liveCreated && (entry.counter == 50 || entry.counter == 100))
                gf_queueSimEvent(entry.objectId, EVT_ALL_LIGHTS_TOGGLE, 0);
            continue;
        }
        completeEntry(entry);
        entry.counter = -1;
        completed = true;
    }
    if (completed) std::erase_if(g_createdAcs, [](const CreatedEntry& entry) { return entry.counter < 0; });
}

void lf_onObjectRemoved(std::uint32_t objectId) {
    if (objectId == 0) return;
    if (const auto aircraft = findByObjectId(g_liveAcs, objectId); aircraft != g_liveAcs.end()) {
        if (aircraft->lifeState == AcLifeState::liveryrespawn) {
            aircraft->lifeState = AcLifeState::buffer;
            aircraft->lastThrottle = 5;
            aircraft->lastFlaps = 4;
            aircraft->objectId = 0;
            return;
        }
        if (aircraft->hasFlightPlan != 0) gf_removeFlightPlan(objectId);
        // Removed by the simulator itself: its stand is free now. A removal
        // the engine asked for freed it then, and it may be another's by now.
        if (aircraft->lifeState != AcLifeState::removingfromsim) gf_setStandTaken(aircraft->standId, 0);
        lf_eraseLiveAc(aircraft);
        return;
    }
    if (const auto parked = findByObjectId(g_staticAcs, objectId); parked != g_staticAcs.end()) eraseStatic(parked);
}

void gf_noteLiveryCreateFailure(const AcBase& aircraft) {
    if (!gf_stopping())
        gf_setStatus(fmt::format("{} '{}' could not be created by your Sim!", aircraft.callsign, aircraft.liveryTitle),
                     true);
    g_excludedTitles.insert(std::string(aircraft.liveryTitle));
    g_failedCreations.insert(fmt::format("{} {}", gf_airlineCodeText(aircraft.modelKey.airlineId),
                                         gf_modelCodeText(aircraft.modelKey.modelId)));
    if (g_excludedTitles.size() < kExcludedTitlesLimit) return;
    const std::string sentence = "There are too many liveries that could not be created!";
    gf_logMarked(fmt::format("\n{}Error 81, {}\n", "===> ", sentence));
    throw vlt::UserErrorException(81, fmt::format("{}, see Log.txt", sentence));
}
