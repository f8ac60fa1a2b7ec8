// Small rules of aircraft motion shared by the per-sample and per-tick code:
// angle and longitude differences, the same-position test of two samples,
// and the ticks left to a sample.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include <gsl/narrow>

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"

inline constexpr double kPi = 3.141592653589793;
// Two positions closer than this in both latitude and longitude are the same.
inline constexpr double kSamePositionDeg = 1e-8;
// Fewest ticks between two samples.
inline constexpr std::int32_t kMinSampleTicks = 25;
// Ticks per hour (d nm at v kt take d * kTicksPerHour / v ticks).
inline constexpr double kTicksPerHour = 360000.0;
// A standing aircraft's reports wander this far about where it stands.
inline constexpr double kStandingNoiseNm = 10.0 / kMetersPerNm;
// Two reports of a standing aircraft may lie this far apart: the feed's
// coarse grid and its noise. So far a report may also lie from where the
// aircraft is without moving it.
inline constexpr double kScatterReachNm = 30.0 / kMetersPerNm;
// How far (nm) the last report lay from a pushed-back aircraft while none
// has come since its push ended.
inline constexpr double kNoReportSinceThePushNm = 900.0;
// The feed quiet this long (s) may have hidden a move.
inline constexpr double kFeedPauseS = 20.0;
// Slower than this on the ground a landed aircraft has rolled out: its
// stream may stand, wander or turn back as a taxiing one's does.
inline constexpr double kRolledOutKt = 30.0;
// This far off the nose (the tail when pushed) the way on the ground lies
// where an aircraft creeps round a small circle to turn onto it.
inline constexpr double kCreepRoundOffRad = 27.0 * (kPi / 180.0);

// An angle difference in radians put into [-pi, pi].
inline double gf_normaliseRad(double angle) {
    angle = std::remainder(angle, kTwoPi);
    return angle;
}

// The east-west step in degrees from one longitude to another, the short way
// round: in [-180, 180), so a track over the antimeridian never sweeps round
// the globe.
inline double gf_lonDifference(double fromLon, double toLon) {
    double d = std::fmod(toLon - fromLon, 360.0);
    if (d < -180.0) d += 360.0;
    if (d >= 180.0) d -= 360.0;
    return d;
}

// A heading put into [0, 2*pi).
inline double gf_wrapHeading(double heading) {
    heading = std::fmod(heading, kTwoPi);
    if (heading < 0.0) heading += kTwoPi;
    if (heading >= kTwoPi) heading = 0.0;
    return heading;
}

inline bool gf_samePosition(double lat1, double lon1, double lat2, double lon2) {
    return std::fabs(lat1 - lat2) < kSamePositionDeg && std::fabs(gf_lonDifference(lon1, lon2)) < kSamePositionDeg;
}
inline bool gf_samePosition(const PosSample& a, const PosSample& b) {
    return gf_samePosition(a.lat, a.lon, b.lat, b.lon);
}

// The flat metre frame of the ground curves and steering: metres per degree
// of latitude, and of longitude at a latitude (one above 180 is taken - 360).
inline constexpr double kMetresPerDegreeLat = 111132.95;
inline double gf_metresPerDegreeLon(double lat) {
    return kMetresPerDegreeLat * std::cos((lat > 180.0 ? lat - 360.0 : lat) * kDegToRad);
}

inline GeoPoint gf_samplePoint(const PosSample& sample) { return {sample.lat, sample.lon}; }

inline GeoPoint gf_acPoint(const LiveAc& aircraft) { return {aircraft.lat, aircraft.lon}; }

// max(due - now, 25): the ticks the aircraft has to reach a sample due then.
inline std::int32_t gf_ticksTo(std::int32_t dueTick, std::int32_t now) {
    const std::int64_t left = static_cast<std::int64_t>(dueTick) - now;
    return left < kMinSampleTicks ? kMinSampleTicks : static_cast<std::int32_t>(left);
}

// A tick count rounded half away from zero; one that does not fit a 32-bit
// integer (or is not a number) throws gsl::narrowing_error.
inline std::int32_t gf_roundTicks(double ticks) {
    const double rounded = std::round(ticks);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error{};
    return static_cast<std::int32_t>(rounded);
}
