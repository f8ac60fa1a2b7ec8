#include "tools/simulator/reference_tracks.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>
#include <stdexcept>

#include "foundation/geodesy.h"
#include "tools/simulator/simulation.h"

namespace simulator {

namespace {

constexpr double kMetersPerDegree = 60.0 * kMetersPerNm;

struct Nearest {
    double metres = 0;
    bool pastEnd = false;  // nearest to the replayed track's last point, beyond it
};

// Metres from p to the segment a-b in a flat frame around p (true enough for
// the few kilometres between two replayed positions), and where on it (0..1).
std::pair<double, double> segmentDistance(const TrackPoint& p, const ReferencePoint& a, const ReferencePoint& b) {
    const double cosLat = std::cos(p.latitude * kDegToRad);
    const auto east = [&](double lon) {
        double d = lon - p.longitude;
        if (d > 180) d -= 360;
        if (d < -180) d += 360;
        return d * cosLat * kMetersPerDegree;
    };
    const double ax = east(a.longitude), ay = (a.latitude - p.latitude) * kMetersPerDegree;
    const double bx = east(b.longitude), by = (b.latitude - p.latitude) * kMetersPerDegree;
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? -(ax * dx + ay * dy) / length2 : 0.0;
    const double u = std::clamp(t, 0.0, 1.0);
    return {std::hypot(ax + u * dx, ay + u * dy), t};
}

Nearest nearestOnPolyline(const TrackPoint& p, const std::vector<const ReferencePoint*>& line) {
    Nearest best{std::numeric_limits<double>::infinity(), false};
    const std::size_t segments = std::max<std::size_t>(line.size() - 1, 1);
    for (std::size_t i = 0; i < segments; ++i) {
        const ReferencePoint& a = *line[i];
        const ReferencePoint& b = *line[std::min(i + 1, line.size() - 1)];
        const auto [metres, t] = segmentDistance(p, a, b);
        if (metres < best.metres) best = {metres, i + 1 == segments && t > 1.0};
    }
    return best;
}

}  // namespace

std::vector<ReferencePoint> readReferenceText(const std::string& text) {
    std::vector<ReferencePoint> points;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        ReferencePoint point;
        if (!(words >> point.tail) || point.tail.front() == '#') continue;
        std::string rest;
        if (!(words >> point.latitude >> point.longitude >> point.altitudeFt) || (words >> rest) ||
            std::abs(point.latitude) > 90 || std::abs(point.longitude) > 180)
            throw std::runtime_error(fmt::format("reference line {} is not TAIL LAT LON ALT: {}", number, line));
        points.push_back(std::move(point));
    }
    return points;
}

std::vector<const ReferencePoint*> referenceOf(const std::vector<ReferencePoint>& points, const std::string& tail) {
    std::vector<const ReferencePoint*> out;
    for (const ReferencePoint& p : points)
        if (p.tail == tail) out.push_back(&p);
    return out;
}

ObjectSummary summariseObject(const World& world, const AiObject& object, const std::vector<ReferencePoint>& points) {
    ObjectSummary summary;
    summary.removed = !object.live();
    const auto line = referenceOf(points, object.tailNumber);
    summary.hasReference = !line.empty();
    for (const TrackPoint& p : object.track) {
        const bool onGround = p.altitudeFt - world.terrainFt <= world.staticCgFt + 2.0;
        if (onGround) {
            summary.landed = summary.landed || summary.airborne;
            continue;
        }
        summary.airborne = true;
        if (!summary.hasReference) continue;
        const Nearest nearest = nearestOnPolyline(p, line);
        double& largest = nearest.pastEnd ? summary.largestPastEndM : summary.largestAirborneOffsetM;
        largest = std::max(largest, nearest.metres);
    }
    return summary;
}

std::string summaryText(const Simulation& sim) {
    std::string text;
    for (const AiObject& o : sim.world.objects) {
        if (o.client == 0) continue;
        const ObjectSummary s = summariseObject(sim.world, o, sim.config.referencePoints);
        std::string phases = "created";
        if (s.airborne) phases += ", airborne";
        if (s.landed) phases += ", landed";
        if (s.removed) phases += ", removed";
        std::string offset = "no replayed track";
        if (s.hasReference && s.airborne)
            offset = fmt::format("largest distance from the replayed track while airborne {:.0f} m{}",
                                 s.largestAirborneOffsetM,
                                 s.largestPastEndM > 0 ? fmt::format(" (flew on {:.0f} m past its end)",
                                                                     s.largestPastEndM)
                                                       : std::string());
        else if (s.hasReference)
            offset = "never airborne";
        text += fmt::format("{:<8} object {:<5} {:<36} {}\n", o.tailNumber, o.id, phases, offset);
    }
    return text;
}

}  // namespace simulator
