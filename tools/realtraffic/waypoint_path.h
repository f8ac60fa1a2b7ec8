// Builds one track's waypoints leg by leg: each new waypoint's time follows
// from the leg's length and the mean of the speeds at its ends, so the
// generator takes the track as it is.
#pragma once

#include <optional>
#include <vector>

#include "foundation/geodesy.h"
#include "tools/realtraffic/scenario.h"

namespace realtraffic {

class WaypointPath {
public:
    WaypointPath(double start, const GeoPoint& at, std::optional<double> altitudeFt, double speedKt,
                 std::optional<double> headingDeg = std::nullopt) {
        points_.push_back({start, at.lat, at.lon, altitudeFt, speedKt, headingDeg});
    }

    WaypointPath& to(const GeoPoint& at, std::optional<double> altitudeFt, double speedKt,
                     std::optional<double> headingDeg = std::nullopt) {
        const Waypoint& last = points_.back();
        const double nm = gf_distanceNm(last.lat, last.lon, at.lat, at.lon);
        const double meanKt = (last.speedKt + speedKt) / 2;
        const double seconds = nm / meanKt * 3600.0;
        points_.push_back({last.time + seconds, at.lat, at.lon, altitudeFt, speedKt, headingDeg});
        return *this;
    }

    // Standing where the last waypoint is, for this long.
    WaypointPath& stand(double seconds, std::optional<double> headingDeg = std::nullopt) {
        Waypoint w = points_.back();
        w.time += seconds;
        w.speedKt = 0;
        w.headingDeg = headingDeg;
        points_.push_back(w);
        return *this;
    }

    GeoPoint here() const { return {points_.back().lat, points_.back().lon}; }
    std::vector<Waypoint> take() { return std::move(points_); }

private:
    std::vector<Waypoint> points_;
};

}  // namespace realtraffic
