#include "traffic/adding_stack.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <mutex>

#include "foundation/log.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "traffic/ac_texts.h"
#include "traffic/air_motion.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/park_airport.h"
#include "traffic/removal.h"
#include "traffic/spawn.h"
#include "traffic/state.h"
#include "traffic/static_decision.h"
#include "traffic/tick_motion.h"

namespace {
constexpr int kRecordsPerTick = 2;
// A created object normally shows up in an answer about the aircraft within
// the radius in a second or two; one created at the edge of the range may
// never do.
constexpr std::int32_t kUnmatchedCreationTicks = 6000;
constexpr double kRadToDegree = 57.29577951308232;

std::int32_t currentTick() { return g_tick.load(std::memory_order_relaxed); }

SpawnRequest spawnRequestOf(const LiveAc& aircraft) {
    SpawnRequest request;
    request.position.lat = aircraft.lat;
    request.position.lon = aircraft.lon;
    request.position.altitudeFt = aircraft.altitudeFt;
    request.position.pitchDeg = aircraft.pitch * kRadToDegree;
    request.position.bankDeg = aircraft.bank * kRadToDegree;
    request.position.headingDeg = aircraft.heading * kRadToDegree;
    request.position.onGround = !aircraft.samples.empty() && !aircraft.samples.front().airborne ? 1 : 0;
    request.position.airspeed = 0;
    request.callsign = aircraft.callsign;
    request.liveryTitle = aircraft.liveryTitle;
    request.hexId = aircraft.hexId;
    return request;
}

// Turns the last pending spawn into a create request.
void lf_queueNextSpawn() {
    if (g_pendingSpawnHexIds.empty()) return;
    const std::uint32_t hexId = g_pendingSpawnHexIds.back();
    g_pendingSpawnHexIds.pop_back();
    const auto aircraft = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                       [hexId](const LiveAc& ac) { return ac.hexId == hexId; });
    if (aircraft == g_liveAcs.end()) return;
    if (aircraft->callsign.empty()) {
        gf_logMarked(fmt::format("{} {} objectid = 0?", "lf_handleAddingStack", gf_acText(*aircraft)));
        return;
    }
    g_liveCreateQueue.push_back(spawnRequestOf(*aircraft));
}

// The serials of the live creations, in the order they leave the engine; 0 is none.
std::uint32_t nextCreateSerial() {
    static std::uint32_t last = 0;
    if (++last == 0) ++last;
    return last;
}

// From now on the aircraft waits for the simulator's object: the answer to
// this very request, known by its serial.
void noteCreateSent(SpawnRequest& request, std::int32_t tick) {
    request.createSerial = nextCreateSerial();
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.hexId != request.hexId || aircraft.lifeState != AcLifeState::adding2sim) continue;
        aircraft.createSentTick = tick;
        aircraft.createSerial = request.createSerial;
    }
}

void lf_takeAddingStack() {
    const std::lock_guard lock(g_addingStackMutex);
    for (int k = 0; k < kRecordsPerTick && !g_addingStack.empty(); ++k) {
        lf_dispatchStreamRecord(g_addingStack.front());
        g_addingStack.pop_front();
    }
}

void lf_updateLiveAcs() {
    bool erase = false;
    for (std::size_t k = 0; k < g_liveAcs.size(); ++k)
        if (updateLiveAc(g_liveAcs[k])) erase = true;
    if (erase) std::erase_if(g_liveAcs, [](const LiveAc& ac) { return ac.eraseNow != 0 || ac.eraseDropped != 0; });
}

bool eraseFlags(const LiveAc& aircraft) { return aircraft.eraseNow != 0 || aircraft.eraseDropped != 0; }

void lf_logStreamEmpty(const LiveAc& aircraft) {
    gf_logMarked(fmt::format("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{}, TAS:{:.0f}",
                             "updateLiveAc", gf_acText(aircraft), aircraft.hexId, aircraft.objectId,
                             aircraft.altitudeFt, fmt::format("{:.6f},{:.6f}", aircraft.lat, aircraft.lon),
                             aircraft.trueAirspeedKt));
}

// A creation the simulator has not shown within the limit is given up: the
// record goes and frees its place; should the object turn up later, the
// event handling removes it.
void lf_giveUpUnmatchedCreation(LiveAc& aircraft) {
    if (aircraft.createSentTick < 0 || aircraft.objectId != 0) return;
    const std::int32_t waited = currentTick() - aircraft.createSentTick;
    if (waited < kUnmatchedCreationTicks) return;
    gf_log(fmt::format("{} not seen in the simulator {} s after its creation: given up", gf_acText(aircraft),
                       waited / 100));
    aircraft.eraseNow = 1;
}

// The record of an aircraft whose update failed goes now; its object must
// not stay frozen in the simulator, nor its stand blocked, for the session.
void lf_dropFailedAc(LiveAc& aircraft) {
    try {
        removeAircraftFromSim(aircraft);
        gf_setStandTaken(aircraft.standId, 0);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {} {}", "updateLiveAc", e.what(), gf_acText(aircraft)));
    }
    aircraft.eraseNow = 1;
}

void lf_updateActiveAc(LiveAc& aircraft) {
    if (aircraft.samples.empty()) {
        lf_logStreamEmpty(aircraft);
        removeAircraftFromSim(aircraft);
        return;
    }
    if (currentTick() >= aircraft.samples.front().dueTick) {
        nextPosMain(aircraft);
        aircraft.verticalSpeedFts = aircraft.verticalSpeedFpm / 60.0;
        const bool stationary = !aircraft.samples.empty() && aircraft.samples.front().stationary;
        aircraft.trueAirspeedKt = stationary ? 0.0 : aircraft.targetTas;
    }
    if (aircraft.lifeState != AcLifeState::active) return;
    // Standing, it stays put; on its stand it still brings its nose round.
    if (!aircraft.samples.empty() && (!aircraft.samples.front().stationary || aircraft.phase == AcPhase::parking))
        lf_followCurve(aircraft);
    else
        aircraft.stood = 1;
    if (aircraft.objectId != 0) {
        g_posUpdates.write().push_back({aircraft.lat, aircraft.lon, aircraft.pitch, aircraft.bank, aircraft.heading,
                                        aircraft.altitudeFt, aircraft.verticalSpeedFts, aircraft.trueAirspeedKt,
                                        aircraft.objectId});
        return;
    }
    gf_logMarked(fmt::format("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", aircraft.hexId,
                             aircraft.callsign, aircraft.registration, gf_modelKeyText(aircraft.modelKey),
                             aircraft.samples.size()));
    removeAircraftFromSim(aircraft);
}
}  // namespace

void lf_handleAddingStack() {
    gf_handleAcEvents();
    lf_updateLiveAcs();
    gf_swapPosUpdates();
    lf_paceSimRequests();
    lf_takeAddingStack();
    lf_queueNextSpawn();
    lf_requestAcWithinRange();
    g_tick.fetch_add(1, std::memory_order_relaxed);
}

bool updateLiveAc(LiveAc& aircraft) {
    if (eraseFlags(aircraft)) return true;  // flagged since its last update: it goes now
    try {
        switch (aircraft.lifeState) {
            case AcLifeState::buffer:
                lf_passSettledReports(aircraft);
                lf_stepBufferedAc(aircraft);
                break;
            case AcLifeState::active:
                lf_passSettledReports(aircraft);
                if (aircraft.lifeState == AcLifeState::active) lf_updateActiveAc(aircraft);
                break;
            case AcLifeState::adding2sim:
                lf_passSettledReports(aircraft);
                lf_giveUpUnmatchedCreation(aircraft);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "updateLiveAc", e.what(), gf_acText(aircraft),
                                 aircraft.samples.size(), gf_phaseName(aircraft.phase),
                                 gf_lifeStateName(aircraft.lifeState)));
        lf_dropFailedAc(aircraft);
    }
    return eraseFlags(aircraft);
}

void lf_paceSimRequests() {
    const std::int32_t tick = currentTick();
    if (tick % 10 == 0 && !g_removeQueue.empty()) {
        gf_queueRemoveAc(g_removeQueue.front());
        g_removeQueue.pop_front();
    }
    if (tick % 50 != 0) return;
    if (!g_liveCreateQueue.empty()) {
        noteCreateSent(g_liveCreateQueue.front(), tick);
        gf_queueCreateAc(g_liveCreateQueue.front());
        g_liveCreateQueue.pop_front();
        return;
    }
    if (!g_staticCreateQueue.empty()) {
        gf_queueCreateAc(g_staticCreateQueue.front());
        g_staticCreateQueue.pop_front();
    }
    if (!g_staticSlots.empty()) lf_detcs();
}

void lf_requestAcWithinRange() {
    const std::int32_t tick = currentTick();
    const std::int32_t period = g_fastRangeRequests != 0 ? 20 : 100;
    if (tick % period == 0 && !g_simError.load())
        g_engineServices.requestAcWithinRange(static_cast<std::uint32_t>(g_rangeMeters.load()));
    if (tick % 100 != 0) return;
    g_engineServices.sendRtAreaRequest();
    g_userRef = g_engineServices.requestUserPosition();
}

