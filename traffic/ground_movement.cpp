#include "traffic/ground_movement.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "airports/airport_services.h"
#include "foundation/geodesy.h"
#include "simlink/request_queues.h"
#include "traffic/ai_controls.h"
#include "traffic/air_motion.h"
#include "traffic/engine_jobs.h"
#include "traffic/motion_math.h"
#include "traffic/stand_moves.h"
#include "traffic/stand_parking.h"
#include "traffic/state.h"

namespace {
struct NearUserRow {
    double distanceNm;
    double altitudeFt;
    double lateralFt;
};
constexpr NearUserRow kNearUserRows[] = {{4.0, 1000.0, 700.0}, {6.0, 3000.0, 4000.0}};

constexpr double kMetresPerDegreeLat = 111132.95;
constexpr double kFiftyMetresNm = 0.02699784017278618;
constexpr double kHundredMetresNm = 100.0 / kMetersPerNm;
constexpr double kThirtyMetresNm = 0.01619870410367171;
constexpr double kCreepNm = 0.018898488120950324;  // 35 m
constexpr double kNoTurnDeg = 3.0;
constexpr double kMidSampleTurnDeg = 45.0;
constexpr double kCurveTurnDeg = 160.0;
constexpr double kMidSampleMostKt = 43.0;
constexpr std::int32_t kMidSampleGapTicks = 600;
constexpr double kSpeedChangeKt = 5.0;
constexpr double kCreepKt = 5.0;

std::int32_t now() { return g_tick.load(std::memory_order_relaxed); }

double metresPerDegreeLon(double originLat) {
    const double lat = originLat > 180.0 ? originLat - 360.0 : originLat;
    return kMetresPerDegreeLat * std::cos(lat * kDegToRad);
}

double distanceNm(const PosSample& a, const PosSample& b) {
    return gf_distanceNm(gf_samplePoint(a), gf_samplePoint(b));
}

// The curve's turn in ticks: 90 degrees at the turn rate (radians per tick,
// so "a / turnRate / 100" is the count the motion tables were tuned for).
std::int32_t turnTicks(double angleDeg, double turnRate) {
    return gf_roundTicks(angleDeg / turnRate / 100.0);
}

// A parked aircraft whose stream leaves the stand: forwards when the stream
// lies ahead of the stand, backwards otherwise.
void lf_leaveParked(LiveAc& aircraft) {
    const PosSample& last = aircraft.samples.back();
    const double bearing = gf_bearingRad(GeoPoint{aircraft.standLat, aircraft.standLon}, gf_samplePoint(last));
    const double offDeg = std::round(gf_normaliseRad(bearing - aircraft.standHeading) * kRadToDeg);
    if (std::fabs(offDeg) < 90.0)
        lf_pullOut(aircraft);
    else
        lf_startPushBack(aircraft);
}

void lf_pushBackStep(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    --aircraft.pushBackCountdown;
    if (aircraft.pushBackCountdown == 1) {
        if (aircraft.turnSide[1] != 0 && queue.size() >= 3) {
            if (aircraft.turnSide[0] != 0) queue.back() = aircraft.pushBackAltEnd;
            lf_buildCurve(aircraft);
            aircraft.curve.tStep = 1.0 / std::max(turnTicks(90.0, aircraft.turnRate), 1);
            aircraft.curve.angleDeg = 90.0;
        } else if (queue.size() >= 3) {
            queue.pop_back();  // a straight push-back
        }
        return;
    }
    if (aircraft.pushBackCountdown >= 1) return;
    aircraft.targetBearing = aircraft.heading;
    gf_queueEngineStart(aircraft.objectId);
    gf_setThrottle(aircraft, 0);
    gf_setFlaps(aircraft, 1);
    gf_setPhase(aircraft, AcPhase::pushed_back);
    aircraft.pushBackCountdown = 1;
    aircraft.lastPushBackDist = 900.0;
    aircraft.refillState = 0;
    aircraft.leavingStand = 0;
}

// Taxi turns: a curve through s1, a mid sample before a sharp turn, or a
// mid sample where the speed changes much.
void lf_taxiTurn(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue[1].stationary != 0) return;
    if (queue.size() >= 3 && queue[2].stationary == 0) {
        const double turnDeg = std::fabs(gf_turnAngle(aircraft) * kRadToDeg);
        if (turnDeg <= kNoTurnDeg) {
            lf_checkSpeedChange(aircraft);
        } else if (turnDeg > kMidSampleTurnDeg && distanceNm(queue[0], queue[1]) > kFiftyMetresNm &&
                   queue[0].groundSpeedKt <= kMidSampleMostKt &&
                   static_cast<std::int64_t>(queue[1].dueTick) - queue[0].dueTick >= kMidSampleGapTicks) {
            lf_insertMidSample(aircraft);
        } else if (turnDeg <= kCurveTurnDeg && !gf_samePosition(queue[0], queue[2])) {
            lf_buildCurve(aircraft);
            aircraft.curve.angleDeg = turnDeg;
        } else {
            lf_checkSpeedChange(aircraft);
        }
    } else if (queue.size() >= 3) {
        lf_checkSpeedChange(aircraft);
    } else if (aircraft.refillState < 1) {
        lf_checkSpeedChange(aircraft);
    }
    if (gf_hasCurve(aircraft.curve)) {
        aircraft.turningToBearing = 0;
    } else {
        // The shorter way round: 359 and 1 degrees are 2 degrees apart.
        aircraft.turnToBearingDeg = gf_headingDifferenceDeg(aircraft.heading, aircraft.targetBearing);
        aircraft.turningToBearing = aircraft.turnToBearingDeg > kNoTurnDeg ? 1 : 0;
    }
}

// An arrival creeping to the end of its stream looks for a stand there.
void lf_lookForStand(LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (queue.back().stationary == 0 || !gf_parkFileLoaded()) return;
    const AcPhase before = aircraft.prevPhase;
    if (aircraft.towed == 0 &&
        (before == AcPhase::parked || before == AcPhase::pushing_back || before == AcPhase::pushed_back))
        return;  // a departure that stops on its way out only waits
    if (aircraft.refillState < 1) {
        if (queue.size() >= 2 && queue[1].groundSpeedKt <= kCreepKt &&
            gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(queue.back())) <= kCreepNm)
            try2Park(aircraft, false);
    } else {
        try2Park(aircraft, aircraft.wantsStand != 0);
    }
}

double normalised(double angle) { return gf_normaliseRad(angle); }
}  // namespace

void nextPosGround(LiveAc& aircraft) {
    if (aircraft.samples.size() < 2) return;
    switch (aircraft.phase) {
        case AcPhase::pushing_back:
            lf_pushBackStep(aircraft);
            break;
        case AcPhase::parked:
            aircraft.maxDelay = aircraft.takeOffSeen != 0 ? 5000 : 3000;
            aircraft.maxAdvance = 3000;
            if (aircraft.leavingStand != 0) lf_leaveParked(aircraft);
            break;
        default:
            lf_taxiTurn(aircraft);
            if (aircraft.phase == AcPhase::taxi) lf_lookForStand(aircraft);
            break;
    }
    if (aircraft.samples.size() >= 2) lf_scheduleNextSample(aircraft);
}

void lf_scheduleNextSample(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample& s0 = queue[0];
    const PosSample& s1 = queue[1];
    if (s1.stationary != 0) {
        const std::int64_t gap = std::max<std::int64_t>(static_cast<std::int64_t>(s1.dueTick) - s0.dueTick, 25);
        const std::int64_t ticks = std::max<std::int64_t>(static_cast<std::int64_t>(s0.dueTick) - now() + gap, 25);
        lf_setNextDue(aircraft, gsl::narrow<std::int32_t>(ticks));
        return;
    }
    aircraft.turnRate = aircraft.turnRateBase;
    const double d = distanceNm(s0, s1);
    const std::int32_t n = std::max(gf_roundTicks(d * kTicksPerHour / gf_sampleSpeed(aircraft)), kMinSampleTicks);
    const bool curve = gf_hasCurve(aircraft.curve);
    if (curve || aircraft.turningToBearing != 0) {
        const double a = curve ? aircraft.curve.angleDeg : aircraft.turnToBearingDeg;
        const std::int32_t k = turnTicks(a, aircraft.turnRate);
        if (a > 0.0 && d > 0.0) {
            // r: the time there is for the turn against the time the turn rate needs.
            const double r = static_cast<double>(n) / std::max(k, 1);
            if (a <= 45.0) {
                if (r >= 1.2) {
                    const double m = std::min(r * 10.0 / a, r * kThirtyMetresNm / d);
                    if (m > 0.0) aircraft.turnRate *= 1.0 / m;
                } else if (r > 0.0) {
                    aircraft.turnRate *= 1.0 / r;
                }
            } else {
                aircraft.turnRate *= std::min(r, std::min(a, 90.0) / 30.0);
                if (a >= 90.0) {
                    aircraft.maxAdvance = std::max(aircraft.maxAdvance, 2000);
                    aircraft.maxDelay = std::max(aircraft.maxDelay, 2000);
                }
            }
        }
    }
    lf_setNextDue(aircraft, n);
}

bool gf_hasCurve(const GroundCurve& curve) {
    return !std::isnan(curve.controlEastM) && !std::isnan(curve.controlNorthM);
}

void gf_clearCurve(GroundCurve& curve) {
    curve = GroundCurve{};
    curve.xStart = curve.xEnd = std::numeric_limits<double>::quiet_NaN();
}

void lf_buildCurve(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 3) return;
    const PosSample s1 = queue[1];
    PosSample& s2 = queue[2];
    if (s2.groundSpeedKt == 0.0) s2.groundSpeedKt = (queue[0].groundSpeedKt + s1.groundSpeedKt) / 2.0;
    GroundCurve& curve = aircraft.curve;
    curve.originLat = aircraft.lat;
    curve.originLon = aircraft.lon;
    curve.xStart = 0.0;
    curve.xEnd = 1.0;
    curve.t = 0.0;
    const double eastScale = metresPerDegreeLon(curve.originLat);
    curve.controlNorthM = (s1.lat - curve.originLat) * kMetresPerDegreeLat;
    curve.controlEastM = gf_lonDifference(curve.originLon, s1.lon) * eastScale;
    curve.endNorthM = (s2.lat - curve.originLat) * kMetresPerDegreeLat;
    curve.endEastM = gf_lonDifference(curve.originLon, s2.lon) * eastScale;
    queue.erase(queue.begin() + 1);  // s1 is only the control point
}

bool gf_curvePoint(const GroundCurve& curve, GeoPoint& position, double& heading, double x) {
    if (!gf_hasCurve(curve) || !(x >= curve.xStart && x <= curve.xEnd)) return false;
    const double t = (x - curve.xStart) / (curve.xEnd - curve.xStart);
    if (!(t >= 0.0 && t <= 1.0)) return false;
    const double u = 1.0 - t;
    const double north = 2.0 * u * t * curve.controlNorthM + t * t * curve.endNorthM;
    const double east = 2.0 * u * t * curve.controlEastM + t * t * curve.endEastM;
    position.lat = curve.originLat + north / kMetresPerDegreeLat;
    double lon = curve.originLon + east / metresPerDegreeLon(curve.originLat);
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    position.lon = lon;
    const double dNorth = 2.0 * t * (curve.endNorthM - curve.controlNorthM) + 2.0 * u * curve.controlNorthM;
    const double dEast = 2.0 * t * (curve.endEastM - curve.controlEastM) + 2.0 * u * curve.controlEastM;
    heading = gf_wrapHeading(std::atan2(dEast, dNorth));
    return true;
}

void lf_insertMidSample(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample s0 = queue[0];
    const PosSample s1 = queue[1];
    PosSample mid = s0;
    mid.lat = (s0.lat + s1.lat) / 2.0;
    double lon = s0.lon + gf_lonDifference(s0.lon, s1.lon) / 2.0;
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    mid.lon = lon;
    mid.groundSpeedKt = (s0.groundSpeedKt + s1.groundSpeedKt) / 2.0;
    mid.altitudeFt = (s0.altitudeFt + s1.altitudeFt) / 2.0;
    mid.dueTick = gf_roundTicks((static_cast<double>(s0.dueTick) + s1.dueTick) / 2.0);
    mid.airborne = mid.altitudeFt > 0.0 ? 1 : 0;
    if (mid.altitudeFt <= 0.0) mid.altitudeFt = 0.0;
    mid.stationary = 0;
    queue.insert(queue.begin() + 1, mid);
}

void lf_checkSpeedChange(LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample& s0 = queue[0];
    const PosSample& s1 = queue[1];
    const bool moving = s0.groundSpeedKt > 0.0 || s1.groundSpeedKt > 0.0;
    if (moving && std::fabs(s0.groundSpeedKt - s1.groundSpeedKt) > kSpeedChangeKt &&
        distanceNm(s0, s1) >= kHundredMetresNm)
        lf_insertMidSample(aircraft);
}

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
