// Clearing the user aircraft's way: live and static aircraft that stand
// where the user aircraft is on the ground, and live aircraft on the ground
// or in the air straight ahead of it near the ground (gf_clearUserWayGround
// and gf_clearUserWayAir are declared in traffic/engine_jobs.h).
#include <cmath>
#include <numbers>

#include "foundation/geodesy.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"
#include "traffic/ground_movement.h"
#include "traffic/state.h"

namespace {
constexpr double kSamePositionDegrees = 1e-8;
constexpr double kLiveMargin = 1.15;
constexpr double kStaticMargin = 1.1;
constexpr double kLowFt = 500.0;
constexpr double kAheadNm = 1.0;
constexpr double kAheadOffsetFt = 50.0;

// Where the user aircraft stood at the last ground pass: static aircraft are
// looked at only when it has moved. Traffic thread only.
GeoPoint g_lastGroundPassPosition{1000.0, 1000.0};

GeoPoint userPosition() { return GeoPoint{g_userRef.lat, g_userRef.lon}; }

double normalised(double angle) {
    while (angle > std::numbers::pi) angle -= kTwoPi;
    while (angle < -std::numbers::pi) angle += kTwoPi;
    return angle;
}

// One removal per pass; a removal that fails ends the pass as well.
template <typename Aircraft>
void removeQuietly(Aircraft& aircraft) {
    try {
        removeAircraftFromSim(aircraft);
    } catch (...) {
    }
}

bool aheadOnTheGround(const LiveAc& aircraft, const GeoPoint& user, double heightFt) {
    if (heightFt > kLowFt || aircraft.groundMode == 0) return false;
    const GeoPoint position{aircraft.lat, aircraft.lon};
    const double d = gf_distanceNm(user, position);
    if (d > kAheadNm || heightFt >= kLowFt) return false;
    const double theta = normalised(gf_bearingRad(user, position) - g_userRef.heading);
    return std::sin(std::abs(theta)) * d * kFeetPerNm <= kAheadOffsetFt;
}
}  // namespace

void gf_clearUserWayGround() {
    const double userRadius = g_userHalfSpan.load();
    const GeoPoint user = userPosition();
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.groundMode == 0 || aircraft.lifeState != AcLifeState::active) continue;
        if ((userRadius + aircraft.radiusNm) * kLiveMargin >= gf_distanceNm(user, GeoPoint{aircraft.lat, aircraft.lon}))
            return removeQuietly(aircraft);
    }
    if (std::abs(user.lat - g_lastGroundPassPosition.lat) <= kSamePositionDegrees &&
        std::abs(user.lon - g_lastGroundPassPosition.lon) <= kSamePositionDegrees)
        return;
    g_lastGroundPassPosition = user;
    for (AcBase& parked : g_staticAcs) {
        if (parked.lifeState != AcLifeState::active) continue;
        if (parked.radiusNm * kStaticMargin + userRadius * kStaticMargin >=
            gf_distanceNm(user, GeoPoint{parked.standLat, parked.standLon}))
            return removeQuietly(parked);
    }
}

void gf_clearUserWayAir() {
    // Height above the ground, not above the sea: at an airport high up the
    // rule must bite as it does at sea level.
    const double heightFt = g_userRef.altAboveGroundFt;
    const GeoPoint user = userPosition();
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.lifeState != AcLifeState::active) continue;
        if (aheadOnTheGround(aircraft, user, heightFt)) return removeQuietly(aircraft);
    }
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.lifeState != AcLifeState::active) continue;
        try {
            if (lf_removeNearUser(aircraft, 0)) return;
        } catch (...) {
            return;
        }
    }
}
