// A replayed track as the tests feed it (each record's time and sample) and
// how far a position lies from it.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"

namespace engine_test {

struct Fix {
    double t;  // seconds from the first record
    PosSample sample;
};

// The shortest distance (m) from a position to the polyline through the fixes.
inline double offTrackMetres(double lat, double lon, const std::vector<Fix>& fixes) {
    const double cosLat = std::cos(lat * kDegToRad);
    double best = 1e12;
    for (std::size_t k = 1; k < fixes.size(); ++k) {
        const double ax = (fixes[k - 1].sample.lon - lon) * cosLat, ay = fixes[k - 1].sample.lat - lat;
        const double bx = (fixes[k].sample.lon - lon) * cosLat, by = fixes[k].sample.lat - lat;
        const double dx = bx - ax, dy = by - ay;
        const double length2 = dx * dx + dy * dy;
        const double u = length2 > 0 ? std::clamp(-(ax * dx + ay * dy) / length2, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(ax + u * dx, ay + u * dy) * 60.0 * kMetersPerNm);
    }
    return best;
}

}  // namespace engine_test
