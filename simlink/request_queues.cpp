#include "simlink/request_queues.h"

#include <fmt/format.h>

#include <cstddef>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/time_texts.h"
#include "simlink/sim_ids.h"
#include "traffic/state.h"

static_assert(offsetof(PosUpdate, objectId) == 64, "the eight values of a position block are its 64-byte data");

namespace {

constexpr std::uint32_t kPosBlockSize = 64;

void queueEvents(std::initializer_list<SimEventRequest> events) {
    const std::lock_guard lock(g_simQueueMutex);
    g_simEventQueue.insert(g_simEventQueue.end(), events);
}

void emptyQueues() {
    g_posUpdates.send().clear();
    g_simEventQueue.clear();
    g_simCreateQueue.clear();
    g_simRemoveQueue.clear();
}

void sendPosUpdates(SimConnectClient* handle, std::uint32_t userId) {
    for (const PosUpdate& block : g_posUpdates.send())
        if (block.objectId > userId)
            SimConnect_SetDataOnSimObject(handle, DEF_SET_POSITION, block.objectId, 0, 0, kPosBlockSize, &block.lat);
    g_posUpdates.send().clear();
}

// FLAPS_SET goes between two releases of AI control, so the simulator's AI
// does not take the flaps back.
void sendClientEvents(SimConnectClient* handle, std::uint32_t userId) {
    for (const SimEventRequest& e : g_simEventQueue) {
        if (e.objectId <= userId) continue;
        const bool flaps = e.eventId == EVT_FLAPS_SET;
        if (flaps) SimConnect_AIReleaseControl(handle, e.objectId, REQ_AI_RELEASE);
        if (SimConnect_TransmitClientEvent(handle, e.objectId, e.eventId, e.value, GROUP_AI, 0) < 0) {
            gf_setStatus(fmt::format("SimConnect TransmitClientEvent: {} fails", e.eventId), true);
            continue;
        }
        if (flaps) SimConnect_AIReleaseControl(handle, e.objectId, REQ_AI_RELEASE);
    }
    g_simEventQueue.clear();
}

}  // namespace

void gf_queueCreateAc(const SpawnRequest& request) {
    const std::lock_guard lock(g_simQueueMutex);
    g_simCreateQueue.push_back(request);
}

void gf_queueRemoveAc(std::uint32_t objectId) {
    const std::lock_guard lock(g_simQueueMutex);
    g_simRemoveQueue.push_back(objectId);
}

void gf_queueSimEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value) {
    queueEvents({{objectId, eventId, value}});
}

void gf_queueEngineShutdown(std::uint32_t objectId) { queueEvents({{objectId, EVT_ENGINE_AUTO_SHUTDOWN, 0}}); }

void gf_queueEngineStart(std::uint32_t objectId) { queueEvents({{objectId, EVT_ENGINE_AUTO_START, 0}}); }

void gf_queueLights(std::uint32_t objectId, std::uint32_t nav, std::uint32_t beacon, std::uint32_t landing,
                    std::uint32_t taxi, std::uint32_t strobes, std::uint32_t logo, std::uint32_t cabin) {
    queueEvents({{objectId, EVT_NAV_LIGHTS_SET, nav},
                 {objectId, EVT_BEACON_LIGHTS_SET, beacon},
                 {objectId, EVT_LANDING_LIGHTS_SET, landing},
                 {objectId, EVT_TAXI_LIGHTS_SET, taxi},
                 {objectId, EVT_STROBES_SET, strobes},
                 {objectId, EVT_LOGO_LIGHTS_SET, logo},
                 {objectId, EVT_CABIN_LIGHTS_SET, cabin}});
}

void gf_queueNavLights(std::uint32_t objectId, std::uint32_t value) {
    queueEvents({{objectId, EVT_NAV_LIGHTS_SET, value}});
}

void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value) {
    queueEvents({{objectId, EVT_CABIN_LIGHTS_SET, value}});
}

bool gf_swapPosUpdates() {
    const std::unique_lock lock(g_simQueueMutex, std::try_to_lock);
    if (lock.owns_lock()) g_posUpdates.writeSide = 1 - g_posUpdates.writeSide;
    // After a swap this empties the old send side, else this tick's blocks.
    g_posUpdates.write().clear();
    return lock.owns_lock();
}

void gf_clearPosUpdates() {
    const std::lock_guard lock(g_simQueueMutex);
    g_posUpdates.sides[0].clear();
    g_posUpdates.sides[1].clear();
}

void gf_simRequestError() {
    gf_setStatus("SimConnect request error", true);
    g_simError.exchange(true);
    gf_requestStop(ExitReason::SimConnectError, 9);
}

UserState gf_requestUserPosition() {
    if (!g_simError.load())
        gf_sendSimRequest("SimConnect request user ac position fails", [](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObject(handle, REQ_USER_STATE, DEF_USER_STATE,
                                                     simconnect::kObjectIdUser, simconnect::kPeriodOnce);
        });
    return gf_copyUserState();
}

void gf_requestUserTitleAndModel() {
    gf_sendSimRequest("SimConnect request user ac title fails", [](SimConnectClient* handle) {
        return SimConnect_RequestDataOnSimObject(handle, REQ_USER_TITLE, DEF_TITLE, simconnect::kObjectIdUser,
                                                 simconnect::kPeriodOnce);
    });
    gf_sendSimRequest("SimConnect reques user ac model fails", [](SimConnectClient* handle) {
        return SimConnect_RequestDataOnSimObject(handle, REQ_USER_MODEL, DEF_ATC_MODEL, simconnect::kObjectIdUser,
                                                 simconnect::kPeriodOnce);
    });
}

void gf_requestUserOnGround() {
    gf_sendSimRequest("SimConnect request ac gnd/air fails", [](SimConnectClient* handle) {
        return SimConnect_RequestDataOnSimObject(handle, REQ_USER_ON_GROUND, DEF_SIM_ON_GROUND,
                                                 simconnect::kObjectIdUser, simconnect::kPeriodSecond);
    });
}

void lf_onFrame() {
    std::vector<std::uint32_t> refused;
    {
        const std::unique_lock lock(g_simQueueMutex, std::try_to_lock);
        if (!lock.owns_lock()) return;  // everything waits for the next frame
        if (g_simError.load()) {
            emptyQueues();
            return;
        }
        SimConnectClient* const handle = g_simHandle.load();
        const std::uint32_t userId = g_userObjectId.load();
        sendPosUpdates(handle, userId);
        sendClientEvents(handle, userId);
        for (const SpawnRequest& request : g_simCreateQueue)
            if (lf_createAcInSim(request) == CreateOutcome::refused) refused.push_back(request.hexId);
        g_simCreateQueue.clear();
        for (const std::uint32_t objectId : g_simRemoveQueue) lf_removeAcFromSim(objectId);
        g_simRemoveQueue.clear();
    }
    // Told to the engine like the simulator's own refusal, once the request
    // mutex is released: the traffic thread takes the two the other way round.
    for (const std::uint32_t hexId : refused)
        if (hexId != 0) gf_pushAcEvent({0, hexId, 0, AcEventKind::createFailed, 0.0, 0.0});
}

CreateOutcome lf_createAcInSim(const SpawnRequest& request) {
    SimConnectClient* const handle = g_simHandle.load();
    const InitPosition& p = request.position;
    const simconnect::InitPosition position{p.lat,    p.lon,       p.altitudeFt, p.pitchDeg,
                                            p.bankDeg, p.headingDeg, p.onGround,   p.airspeed};
    const std::string title(request.liveryTitle);
    const SimConnectResult result =
        SimConnect_AICreateNonATCAircraft(handle, title.c_str(), request.callsign.c_str(), position, REQ_AI_CREATE);
    if (result < 0) {
        gf_logMarked(fmt::format("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})",
                                 request.hexId, title, request.callsign));
        // A title or callsign that the simulator's code page cannot hold, or
        // that is too long for its field, fails this one aircraft only.
        if (result == simconnect::kEInvalidArg || result == simconnect::kETextTooLong) {
            gf_logContinued("its title or callsign cannot be sent to the simulator: the aircraft is dropped");
            return CreateOutcome::refused;
        }
        gf_simRequestError();
        return CreateOutcome::failed;
    }
    std::uint32_t packetId = 0;
    if (SimConnect_GetLastSentPacketID(handle, &packetId) < 0) {
        gf_logMarked("GetLastSentPacketID");
        packetId = 0;
    }
    g_sentCreates.push_back({packetId, request.hexId, request.callsign, request.createSerial});
    return CreateOutcome::sent;
}

void lf_removeAcFromSim(std::uint32_t objectId) {
    if (objectId <= g_userObjectId.load()) {
        gf_logMarked(fmt::format("SimConnect call to remove ac with objectid {}", objectId));
        return;
    }
    if (SimConnect_AIRemoveObject(g_simHandle.load(), objectId, REQ_AI_REMOVE) < 0) {
        gf_logMarked(
            fmt::format("{} !SimConnect call to remove AI ac from sim failed, id {}?", gf_utcClockText(), objectId));
        gf_simRequestError();
    }
}
