#include "traffic/ground_movement.h"

#include <cmath>
#include <numbers>

#include "foundation/geodesy.h"
#include "traffic/engine_jobs.h"
#include "traffic/state.h"

namespace {
struct NearUserRow {
    double distanceNm;
    double altitudeFt;
    double lateralFt;
};
constexpr NearUserRow kNearUserRows[] = {{4.0, 1000.0, 700.0}, {6.0, 3000.0, 4000.0}};

double normalised(double angle) {
    while (angle > std::numbers::pi) angle -= kTwoPi;
    while (angle < -std::numbers::pi) angle += kTwoPi;
    return angle;
}
}  // namespace

bool lf_removeNearUser(LiveAc& aircraft, int row) {
    const NearUserRow& limits = kNearUserRows[row == 0 ? 0 : 1];
    const GeoPoint user{g_userRef.lat, g_userRef.lon};
    const GeoPoint position{aircraft.lat, aircraft.lon};
    const double d = gf_distanceNm(user, position);
    if (d > limits.distanceNm || std::abs(aircraft.altitudeFt - g_userRef.altitudeFt) >= limits.altitudeFt)
        return false;
    const double x = normalised(aircraft.heading - gf_bearingRad(user, position));
    const double along = std::cos(x) * d * kFeetPerNm;
    const double lateral = std::abs(std::sin(x)) * d * kFeetPerNm;
    if (along <= 0.0 || lateral > limits.lateralFt) return false;
    removeAircraftFromSim(aircraft);
    return true;
}
