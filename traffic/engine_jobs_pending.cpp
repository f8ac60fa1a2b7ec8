// NOT BUILT YET: the traffic engine's side of the jobs the application shell
// calls, and the parts of the engine that other parts call. Each body does
// nothing (or reports "nothing there"), or the least that lets the motion in
// the air run, so that the program links and runs; the parts of the engine
// replace these bodies with their real functions. The two stand-use learning
// operations learn nothing yet; the model-key text already gives the text
// that log lines about stand uses show.
#include <fmt/format.h>

#include <algorithm>

#include "airports/stands.h"
#include "refdata/code_tables.h"
#include "simlink/request_queues.h"
#include "traffic/air_motion.h"
#include "traffic/engine_jobs.h"
#include "traffic/ground_motion.h"
#include "traffic/object_events.h"
#include "traffic/state.h"
#include "traffic/tick_motion.h"

UserState g_userRef;
std::uint8_t g_fastRangeRequests = 0;

void lf_handleAddingStack() {}
void gf_parkControl(bool) {}
void gf_matchLiveToStatics() {}
void gf_adjustParking() {}
void gf_clearUserWayGround() {}
void gf_clearUserWayAir() {}
void gf_clearStaticsForMovingAcs() {}
void gf_removeAllStatics() {}
void gf_listMovingCallsigns() {}
void gf_removeStaticsMatching(LiveAc&) {}
void gf_clearReservedStand(const std::string&) {}
bool gf_checkParkAirports(bool, std::string&) { return false; }
std::uint64_t gf_countParkedLiveAcs(bool) { return 0; }
void gf_leaveParkAirport() {}
void gf_resetTraffic() {}
void gf_reserveTrafficTables() {}
void gf_removeLiveAcsForRtGone() {}
void gf_addParkAirport(const AirportCode&, const GeoPoint&) {}

bool gf_hasParkAirport() { return false; }
bool gf_parkAirportHasStands() { return false; }
std::string gf_reservedStandName() { return {}; }
std::size_t gf_staticScheduleSize() { return 0; }
void gf_clearLiveryByHexId() {}
void gf_clearGhostCallsigns() {}
void gf_clearUserRef() { g_userRef = UserState{}; }

// Not built yet: only the kinds that move aircraft and the activation.
void gf_handleAcEvents() {
    const std::lock_guard lock(g_acEventsMutex);
    for (const AcEvent& event : g_acEvents) {
        switch (event.kind) {
            case AcEventKind::staticCreated:
                g_createdAcs.push_back({event.objectId, event.id, 0, event.kind, event.value1, event.value2});
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
            default:
                break;
        }
    }
    g_acEvents.clear();
    if (!g_createdAcs.empty()) lf_activateCreatedAcs();
}

// Not built yet: an active aircraft only.
bool updateLiveAc(LiveAc& aircraft) {
    if (aircraft.lifeState == AcLifeState::active) {
        if (aircraft.samples.empty()) {
            removeAircraftFromSim(aircraft);
        } else {
            if (g_tick.load() >= aircraft.samples.front().dueTick) {
                nextPosMain(aircraft);
                aircraft.verticalSpeedFts = aircraft.verticalSpeedFpm / 60.0;
                aircraft.trueAirspeedKt = aircraft.samples.front().stationary != 0 ? 0.0 : aircraft.targetTas;
            }
            if (aircraft.lifeState == AcLifeState::active) {
                if (aircraft.samples.front().stationary == 0) lf_followCurve(aircraft);
                g_posUpdates.write().push_back({aircraft.lat, aircraft.lon, aircraft.pitch, aircraft.bank,
                                                aircraft.heading, aircraft.altitudeFt, aircraft.verticalSpeedFts,
                                                aircraft.trueAirspeedKt, aircraft.objectId});
            }
        }
    }
    return aircraft.eraseNow != 0 || aircraft.eraseDropped != 0;
}

// Not built yet: buffered records go at once, others wait for the simulator.
void removeAircraftFromSim(AcBase& aircraft) {
    if (aircraft.lifeState == AcLifeState::buffer) {
        aircraft.eraseNow = 1;
        return;
    }
    aircraft.lifeState = AcLifeState::removingfromsim;
    if (aircraft.objectId != 0) gf_queueRemoveAc(aircraft.objectId);
}

std::string gf_acText(const AcBase& aircraft) { return aircraft.callsign; }
std::string gf_acRegText(const AcBase& aircraft) { return aircraft.callsign + " " + aircraft.registration; }

void gf_setStandTaken(std::int32_t standId, std::uint8_t value) {
    if (standId < 1) return;
    if (Stand* const stand = gf_standById(standId)) stand->occupied = value;
}

std::string lf_standNameById(std::int32_t standId) {
    const Stand* const stand = gf_standById(standId);
    return stand == nullptr ? std::string() : stand->name;
}

// Not built yet: movement on the ground.
void nextPosGround(LiveAc&) {}
void lf_configureOnGround(LiveAc&) {}
void lf_scheduleNextSample(LiveAc&) {}
bool gf_curvePoint(const GroundCurve&, GeoPoint&, double&, double) { return false; }
void lf_towedParks(LiveAc&) {}

std::string gf_modelKeyText(const ModelKey& key) {
    const std::string second =
        key.secondAirlineId != 0 ? fmt::format(",{}", gf_airlineCodeText(key.secondAirlineId)) : std::string();
    return fmt::format("{:3}{:4} {:4}{:3}", gf_airlineCodeText(key.airlineId), second, gf_modelCodeText(key.modelId),
                       key.cargo != 0 ? "(C)" : "");
}
bool gf_updateSlotTable(Stand&, const ModelKey&, std::uint64_t, const std::string&, const std::string&, bool) {
    return false;
}
bool gf_slotFits(std::uint64_t, Stand&, std::int32_t, std::uint64_t, AcBase&, const std::string&, bool) { return false; }
