// NOT BUILT YET: the traffic engine's parts that later work builds. The jobs
// the application shell calls do nothing (or report "nothing there"); the
// motion, controls and flight plans the tick job calls have stand-in bodies
// that move an aircraft straight from sample to sample and remove it when its
// stream has run dry, so that aircraft appear, move and leave. Each real
// part replaces its bodies here.
#include <algorithm>
#include <cmath>

#include "foundation/geodesy.h"
#include "traffic/ac_events.h"
#include "traffic/ai_controls.h"
#include "traffic/air_motion.h"
#include "traffic/engine_jobs.h"
#include "traffic/flight_plan_folder.h"
#include "traffic/flight_plans.h"
#include "traffic/known_samples.h"
#include "traffic/stand_moves.h"
#include "traffic/state.h"
#include "traffic/static_decision.h"
#include "traffic/tick_motion.h"

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
void gf_addParkAirport(const AirportCode&, const GeoPoint&) {}

// Stand-in: the aircraft reaches the front sample and heads straight for the
// next one, due at its own due tick; with no next sample a parked aircraft
// stands on for a week, any other is removed.
void nextPosMain(LiveAc& aircraft) {
    if (aircraft.samples.size() < 2 && aircraft.phase == AcPhase::parked) {
        aircraft.samples.front().dueTick = g_tick.load() + 60480000;
        return;
    }
    if (aircraft.samples.size() < 2) {
        removeAircraftFromSim(aircraft);
        return;
    }
    const PosSample reached = aircraft.samples.front();
    aircraft.samples.pop_front();
    const PosSample& next = aircraft.samples.front();
    aircraft.lat = reached.lat;
    aircraft.lon = reached.lon;
    aircraft.altitudeFt = reached.altitudeFt;
    const double ticks = std::max(next.dueTick - g_tick.load(), 25);
    aircraft.latStep = (next.lat - aircraft.lat) / ticks;
    aircraft.lonStep = (next.lon - aircraft.lon) / ticks;
    aircraft.climbStep = (next.altitudeFt - aircraft.altitudeFt) / ticks;
    if (next.lat != reached.lat || next.lon != reached.lon)
        aircraft.heading = gf_bearingRad(GeoPoint{reached.lat, reached.lon}, GeoPoint{next.lat, next.lon});
    aircraft.verticalSpeedFpm = next.verticalSpeed;
    aircraft.targetTas = next.trueAirspeedKt > 0.0 ? next.trueAirspeedKt : next.groundSpeedKt;
    if (next.airborne) gf_setPhase(aircraft, AcPhase::flying);
}

// Stand-in: one tick along the straight steps.
void lf_followCurve(LiveAc& aircraft) {
    aircraft.lat += aircraft.latStep;
    aircraft.lon += aircraft.lonStep;
    aircraft.altitudeFt += aircraft.climbStep;
}

// Stand-in: the sample is queued behind the others, never due before them,
// and marked stationary when it repeats the last position.
void decodeExisting(LiveAc& aircraft, PosSample sample) {
    if (aircraft.samples.size() > 200) {
        removeAircraftFromSim(aircraft);
        return;
    }
    if (!aircraft.samples.empty()) {
        const PosSample& last = aircraft.samples.back();
        sample.stationary = std::abs(sample.lat - last.lat) < 1e-8 && std::abs(sample.lon - last.lon) < 1e-8;
        if (last.dueTick >= sample.dueTick) sample.dueTick = last.dueTick + 1;
    }
    aircraft.samples.push_back(sample);
}

void gf_setFlaps(AcBase& aircraft, std::uint32_t index) { aircraft.lastFlaps = index; }
void gf_setThrottle(AcBase& aircraft, std::uint32_t index) { aircraft.lastThrottle = index; }
void gf_setSpoilers(AcBase&, std::uint32_t) {}
void gf_setGear(AcBase&, std::uint32_t) {}
void lf_resetAcConfig(AcBase&) {}

std::filesystem::path gf_flightPlanPath(std::uint32_t objectId) {
    return g_flightPlanFolder / (std::to_string(objectId) + ".pln");
}
void lf_createFlightPlan(LiveAc&) {}

void lf_onGroundData(const AcEvent&) {}
void lf_onStaticCgAndPitch(const AcEvent&) {}
void lf_removeWhileBlocked(std::uint32_t) {}

void lf_placeAtStand(LiveAc&) {}
void lf_detcs() {}

// The stand-use learning learns nothing yet.
bool gf_updateSlotTable(Stand&, const ModelKey&, std::uint64_t, const std::string&, const std::string&, bool) {
    return false;
}
bool gf_slotFits(std::uint64_t, Stand&, std::int32_t, std::uint64_t, AcBase&, const std::string&, bool) { return false; }
