#include "app/auto_radius.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "app/run_jobs.h"
#include "app/services/status_line.h"
#include "settings/control_updates.h"
#include "settings/settings.h"

namespace {
// The radius for a distance to the park airport between 7 and 37 nautical
// miles, by the distance rounded to whole miles (halves away from zero).
std::int32_t radiusForDistance(double distanceNm) {
    struct Step {
        double atLeast;
        std::int32_t radius;
    };
    static constexpr Step kSteps[] = {{33, 35}, {28, 30}, {23, 25}, {19, 20}, {17, 18},
                                      {15, 16}, {13, 14}, {11, 12}, {9, 10}};
    const double rounded = std::round(distanceNm);
    for (const Step& step : kSteps)
        if (rounded >= step.atLeast) return step.radius;
    return 8;
}
}  // namespace

std::int32_t gf_autoRadiusNm(bool onGround, double altitudeFt, double distance) {
    if (onGround) return 10;
    if (altitudeFt > AR_ABOVE_HEIGHT.value.load()) return 100;
    if (altitudeFt > AIRP_HEIGHT.value.load()) return 40;
    if (distance <= 7.0) return 10;
    if (distance >= 37.0 || std::isnan(distance)) return 40;
    return radiusForDistance(distance);
}

std::int32_t lf_autoRadius() {
    // Each read copies under its owner's lock and releases it before the
    // radius reaches the window (a control update may wait for the window thread).
    const UserAircraftFix user = g_runJobs.userAircraft();
    const std::optional<GeoPoint> parkAirport = g_runJobs.firstParkAirportPosition();
    const double distance = parkAirport ? gf_distanceNm(user.position, *parkAirport) : kNoParkAirportNm;
    return gf_setRadius(gf_autoRadiusNm(user.onGround, user.altitudeFt, distance));
}

void gf_applyAutoRadius() {
    static std::atomic<std::int32_t> manualRadius{RANGE.defaultValue};
    const bool automatic = AUTO_RANGE.value.load();
    if (automatic) {
        manualRadius = RANGE.value.load();
        lf_autoRadius();
    } else {
        gf_setRadius(manualRadius.load());
        gf_clearStatus();
    }
    ControlUpdateBatch batch;
    batch.enableControl(RANGE, !automatic);
    batch.apply();
}

std::int32_t gf_setRadius(std::int32_t nm) {
    const std::int32_t value = std::clamp(nm, RANGE.minimum, RANGE.maximum);
    RANGE.value = value;
    ControlUpdateBatch batch;
    batch.selectChoiceAtLeast(RANGE);
    batch.apply();
    const std::int32_t metres = static_cast<std::int32_t>(value * kMetersPerNm);
    g_rangeNm = static_cast<double>(value);
    g_rangeMeters = metres;
    return metres;
}
