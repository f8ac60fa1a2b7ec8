// A replayed track as the tests feed it (each record's time and sample), how
// far a position lies from it, and the same track as a real surface feed
// delivers it: late, coarse, noisy and now and then wrong.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"
#include "traffic/motion_math.h"

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

// Where the replayed stream puts the aircraft at a time: straight between
// its fixes, at the first before them and at the last after them.
inline GeoPoint streamAt(const std::vector<Fix>& fixes, double t) {
    const auto after = std::upper_bound(fixes.begin(), fixes.end(), t, [](double v, const Fix& f) { return v < f.t; });
    if (after == fixes.begin()) return gf_samplePoint(fixes.front().sample);
    if (after == fixes.end()) return gf_samplePoint(fixes.back().sample);
    const Fix& a = *std::prev(after);
    const double f = (t - a.t) / (after->t - a.t);
    return {a.sample.lat + (after->sample.lat - a.sample.lat) * f,
            a.sample.lon + (after->sample.lon - a.sample.lon) * f};
}

// The value below which the share p (0 to 1) of the values lie.
inline double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

// What a real surface feed does that a clean track never does.
struct FeedFaults {
    std::uint64_t seed = 1;
    double noiseM = 3.0;      // each ground report off by up to this, north and east
    double quantumM = 19.0;   // ground positions on a grid of this step (0: none)
    double staleShare = 0.2;  // ground reports whose speed, track and heading are the last report's
    double flipShare = 0.03;  // ground reports flagged airborne, at the field's elevation
    double fieldElevationFt = 0.0;
    std::vector<std::pair<double, double>> pauses;  // (from s, for s): no report at all
    std::vector<double> flipsBefore;  // the last report before each of these times: flagged airborne, 35 ft up
    // The faults below are off by default; they draw from a generator of
    // their own, so the reports above stay the same when they are off.
    double zeroSpeedShare = 0.0;  // ground reports whose speed field is 0
    double speedNoiseKt = 0.0;    // each ground report's speed field off by up to this (never below 0)
    // One ground report (the first at or after the time) this far off the
    // aircraft, along the bearing: its speed field is the aircraft's.
    struct Stray {
        double at, metres, bearingDeg;
    };
    std::optional<Stray> stray;
    // From a time for some seconds, every ground report lies 50 to 400 m
    // (or within the given range) off the aircraft, each its own way.
    struct Jumps {
        double from, seconds, nearestM = 50.0, farthestM = 400.0;
    };
    std::optional<Jumps> jumps;
};

// A small deterministic generator, the same on every platform.
class FeedRandom {
public:
    explicit FeedRandom(std::uint64_t seed) : state_(seed) {}
    double uniform(double low, double high) {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return low + (high - low) * static_cast<double>(z >> 11) / 9007199254740992.0;
    }
    bool chance(double share) { return uniform(0.0, 1.0) < share; }

private:
    std::uint64_t state_;
};

// The reports of a real feed of the track that `truth` (seconds -> sample)
// gives from `from` to `to`: airborne every 6 s, on the ground every 2 to 5 s
// while moving and 5 to 15 s while standing, none during the pauses; on the
// ground the position lies on a coarse grid around `origin` with noise on
// top, some reports repeat the last speed, track and heading, and some are
// flagged airborne; and, where the faults say so, speed fields that are 0
// or off by some knots, one stray report and a stretch of jumping ones.
template <class Truth>
std::vector<Fix> realFeed(Truth truth, double from, double to, const GeoPoint& origin, const FeedFaults& faults) {
    FeedRandom random(faults.seed);
    constexpr double kMetresPerDegree = 111132.95;
    const double eastPerDegree = kMetresPerDegree * std::cos(origin.lat * kDegToRad);
    const auto onGrid = [&](double metres) {
        return faults.quantumM > 0.0 ? std::round(metres / faults.quantumM) * faults.quantumM : metres;
    };
    FeedRandom wrong(faults.seed ^ 0xA5A5A5A55A5A5A5AULL);
    bool strayed = false;
    // A position the given metres off along the bearing (degrees).
    const auto displace = [&](PosSample& s, double metres, double bearingDeg) {
        s.lat += metres * std::cos(bearingDeg * kDegToRad) / kMetresPerDegree;
        s.lon += metres * std::sin(bearingDeg * kDegToRad) / eastPerDegree;
    };
    std::vector<Fix> fixes;
    std::optional<PosSample> last;
    for (double t = from; t <= to;) {
        const auto pause = std::find_if(faults.pauses.begin(), faults.pauses.end(),
                                        [t](const auto& p) { return t >= p.first && t < p.first + p.second; });
        if (pause != faults.pauses.end()) {
            t = pause->first + pause->second;
            continue;
        }
        PosSample s = truth(t);
        double gap = 6.0;
        if (s.airborne == 0) {
            const bool moving = s.groundSpeedKt >= 1.0;
            gap = moving ? random.uniform(2.0, 5.0) : random.uniform(5.0, 15.0);
            const double north = onGrid((s.lat - origin.lat) * kMetresPerDegree) + random.uniform(-1, 1) * faults.noiseM;
            const double east = onGrid((s.lon - origin.lon) * eastPerDegree) + random.uniform(-1, 1) * faults.noiseM;
            s.lat = origin.lat + north / kMetresPerDegree;
            s.lon = origin.lon + east / eastPerDegree;
            if (last && random.chance(faults.staleShare)) {
                s.groundSpeedKt = s.trueAirspeedKt = last->groundSpeedKt;
                s.trackDeg = last->trackDeg;
                s.trueHeading = last->trueHeading;
            }
            last = s;
            if (faults.zeroSpeedShare > 0.0 && wrong.chance(faults.zeroSpeedShare)) {
                s.groundSpeedKt = s.trueAirspeedKt = 0.0;
            } else if (faults.speedNoiseKt > 0.0) {
                s.groundSpeedKt = s.trueAirspeedKt =
                    std::max(s.groundSpeedKt + wrong.uniform(-1.0, 1.0) * faults.speedNoiseKt, 0.0);
            }
            if (faults.stray && !strayed && t >= faults.stray->at) {
                displace(s, faults.stray->metres, faults.stray->bearingDeg);
                strayed = true;
            } else if (faults.jumps && t >= faults.jumps->from && t < faults.jumps->from + faults.jumps->seconds) {
                displace(s, wrong.uniform(faults.jumps->nearestM, faults.jumps->farthestM), wrong.uniform(0.0, 360.0));
            }
            if (random.chance(faults.flipShare)) {
                s.altitudeFt = faults.fieldElevationFt + random.uniform(0.0, 30.0);
                s.airborne = 1;
            }
        }
        fixes.push_back({t, s});
        t += gap;
    }
    for (const double at : faults.flipsBefore) {
        const auto after =
            std::lower_bound(fixes.begin(), fixes.end(), at, [](const Fix& f, double v) { return f.t < v; });
        if (after == fixes.begin()) continue;
        PosSample& s = std::prev(after)->sample;
        s.altitudeFt = faults.fieldElevationFt + 35.0;
        s.airborne = 1;
    }
    return fixes;
}

}  // namespace engine_test
