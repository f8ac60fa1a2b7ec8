#include "traffic/object_events.h"

#include <fmt/format.h>

#include <algorithm>

#include "foundation/log.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/sim_requests.h"
#include "traffic/state.h"

namespace {

constexpr std::int32_t kActivationTicks = 200;
constexpr double kDefaultStaticPitchRad = 0.012217304763960306;  // 0.7 deg

LiveAc* liveByObjectId(std::uint32_t objectId) {
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                 [&](const LiveAc& aircraft) { return aircraft.objectId == objectId; });
    return it == g_liveAcs.end() ? nullptr : &*it;
}

LiveAc* liveByHexId(std::uint32_t hexId) {
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                 [&](const LiveAc& aircraft) { return aircraft.hexId == hexId; });
    return it == g_liveAcs.end() ? nullptr : &*it;
}

AcBase* staticByNumber(std::uint32_t number) {
    const auto it = std::find_if(g_staticAcs.begin(), g_staticAcs.end(),
                                 [&](const AcBase& aircraft) { return aircraft.hexId == number; });
    return it == g_staticAcs.end() ? nullptr : &*it;
}

std::uint32_t flag(bool on) { return on ? 1 : 0; }

// A landing aircraft's wheels are down: spoilers and reversers out, the nose
// and the wings come down to their ground values over touchdownSteps ticks.
void touchDown(LiveAc& aircraft) {
    aircraft.noseDown = 1;
    aircraft.landed = 1;
    g_fastRangeRequests = 0;
    aircraft.touchdownHeading = aircraft.heading;
    aircraft.approach = 0;
    aircraft.wantsStand = 1;
    gf_setSpoilers(aircraft, 1);
    if (aircraft.sizeCategory != SizeCategory::Light) {
        const double throttle = aircraft.fsltlTitle != 0 ? -100.0 : 100.0;
        g_simRequests.setControls(aircraft.objectId, 100.0, throttle, throttle);
    }
    const std::int32_t steps = aircraft.touchdownSteps;
    if (steps > 0) {
        aircraft.pitchStep = (aircraft.staticPitch - aircraft.pitch) / steps;
        aircraft.bankStep = (0.0 - aircraft.bank) / steps;
    } else {
        gf_log(fmt::format("{} ! onGround slots {:.1f}", aircraft.callsign, static_cast<double>(steps)));
        aircraft.pitchStep = aircraft.staticPitch;
        aircraft.bankStep = 0.0;
    }
    g_replaceCheckIds.push_back(aircraft.hexId);
}

// The configuration of a live aircraft whose object has just become ours.
void configureCreatedLive(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return;
    const std::uint32_t objectId = aircraft.objectId;
    if (aircraft.samples.front().airborne != 0) {
        const std::uint32_t low = flag(aircraft.altitudeFt <= 10000.0);
        gf_queueEngineStart(objectId);
        gf_setSpoilers(aircraft, 0);
        gf_queueLights(objectId, 1, 1, low, 0, 1, low, flag(aircraft.altAboveGround >= 2000.0));
        return;
    }
    const bool parked = aircraft.phase == AcPhase::parked;
    gf_setSpoilers(aircraft, 0);
    std::uint32_t nav = 1;
    if (parked) {
        gf_queueEngineShutdown(objectId);
        nav = flag(NAV_LIGHTS_WHILE_PARKED.value.load());
    } else {
        gf_queueEngineStart(objectId);
    }
    gf_queueLights(objectId, nav, flag(!parked), 0, flag(aircraft.phase == AcPhase::taxi), 0, 1, 1);
    gf_setThrottle(aircraft, aircraft.sizeCategory == SizeCategory::Rotorcraft ? 4 : 0);
    gf_setFlaps(aircraft, aircraft.phase == AcPhase::taxi ? 1 : 0);
}

// One entry at 200 ticks; the aircraft it names, when it is still there.
AcBase* completeEntry(const CreatedEntry& entry) {
    if (entry.kind == AcEventKind::staticCreated) {
        AcBase* const aircraft = staticByNumber(entry.id);
        if (aircraft == nullptr) return nullptr;
        aircraft->lifeState = AcLifeState::active;
        aircraft->objectId = entry.objectId;
        lf_resetAcConfig(*aircraft);
        gf_log(fmt::format("{:8}: {:8} parked", lf_standNameById(aircraft->standId), aircraft->callsign));
        return aircraft;
    }
    LiveAc* const aircraft = liveByHexId(entry.id);
    if (aircraft == nullptr) return nullptr;
    configureCreatedLive(*aircraft);
    aircraft->lifeState = AcLifeState::active;
    return aircraft;
}

}  // namespace

void lf_onGroundData(const AcEvent& event) {
    LiveAc* const found = liveByObjectId(event.objectId);
    if (found == nullptr) return;
    LiveAc& aircraft = *found;
    if (event.id == 1 && aircraft.groundMode == 0 && aircraft.rotationCounter <= 1 &&
        aircraft.lifeState != AcLifeState::removingfromsim && aircraft.phase != AcPhase::take_off) {
        if (aircraft.flareStage != 0 || aircraft.approach != 0) touchDown(aircraft);
        aircraft.groundMode = 1;
        aircraft.climbStep = 0.0;
        aircraft.rotationCounter = 1;
    }
    aircraft.altAboveGround = event.value2;
    if (aircraft.groundMode != 0 || aircraft.rotationCounter >= 2)
        aircraft.altitudeFt = event.value1 + aircraft.staticCgHeight;
}

void lf_onStaticCgAndPitch(const AcEvent& event) {
    LiveAc* const found = liveByObjectId(event.objectId);
    if (found == nullptr) return;
    if (event.value1 >= 1.0 && event.value1 <= 35.0) found->staticCgHeight = event.value1;
    const bool plausible = event.value2 > -0.017453292519943295 && event.value2 <= 0.04363323129985824;
    found->staticPitch = plausible ? event.value2 : kDefaultStaticPitchRad;
}

void lf_removeWhileBlocked(std::uint32_t hexId) {
    LiveAc* const aircraft = liveByHexId(hexId);
    if (aircraft == nullptr) return;
    if (aircraft->lifeState == AcLifeState::buffer) {
        gf_log(fmt::format("{} will be removed from buffer while blocked", gf_acText(*aircraft)));
        aircraft->eraseNow = 1;
    } else if (aircraft->lifeState == AcLifeState::active) {
        gf_log(fmt::format("{} removed from simulator immediately while blocked", gf_acText(*aircraft)));
        removeAircraftFromSim(*aircraft);
    }
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
        // Done either way: an entry whose aircraft has gone must not wait on
        // and later stand for another aircraft with the same id.
        entry.counter = -1;
        completed = true;
        AcBase* const aircraft = completeEntry(entry);
        if (aircraft != nullptr && aircraft->removeWhenCreated != 0) removeAircraftFromSim(*aircraft);
    }
    if (completed)
        std::erase_if(g_createdAcs, [](const CreatedEntry& entry) { return entry.counter < 0; });
}
