// The simulator's reports on AI objects that move the engine's aircraft:
// on-ground data and the touch-down it starts, the static centre of gravity
// and pitch, and the removal of a blocked aircraft.
#include "traffic/ac_events.h"

#include <fmt/format.h>

#include <algorithm>

#include "foundation/log.h"
#include "traffic/ac_texts.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/state.h"

namespace {

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
        g_engineServices.setControls(aircraft.objectId, 100.0, throttle, throttle);
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
