// NOT BUILT YET: the traffic engine's parts that later work builds. The
// samples of known aircraft are queued as they come, and the movement on the
// ground does nothing of its own, so that aircraft appear, fly, touch down
// and leave. Each real part replaces its bodies here.
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
#include "traffic/tick_motion.h"

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

void lf_placeAtStand(LiveAc&) {}

// Movement on the ground: the aircraft keeps to its straight steps, with no
// curve, no ground configuration and no take-off; an arrival at a stand
// changes nothing.
void nextPosGround(LiveAc&) {}
void lf_configureOnGround(LiveAc&) {}
void lf_scheduleNextSample(LiveAc&) {}
bool gf_curvePoint(const GroundCurve&, GeoPoint&, double&, double) { return false; }
void lf_towedParks(LiveAc&) {}
