#include "tools/simulator/stand_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "foundation/geodesy.h"
#include "foundation/text_convert.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/track_map.h"

namespace simulator {

namespace {

constexpr double kRestWithinM = 5.0;     // a last position this close to a stand's centre is on it
constexpr double kStandsAroundM = 400.0; // stands this close to a ground track are drawn
// A step on the ground shorter than this says too little about its direction;
// one longer than this is a jump (a new position set), not a move.
constexpr double kShortestStepM = 3.0;
constexpr double kLongestStepM = 100.0;
// Slower steps (a parked aircraft nudged onto its spot) say nothing of a
// slide: they count for the distance, not for the angle.
constexpr double kSlowestMovingMps = 1.0;
constexpr double kPlotWidth = 1000;
constexpr double kMargin = 40;
constexpr std::array kColours = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                 "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};

double metresBetween(double lat1, double lon1, double lat2, double lon2) {
    return gf_distanceNm(lat1, lon1, lat2, lon2) * kMetersPerNm;
}

// An angle put into [-pi, pi].
double normalised(double angle) { return std::remainder(angle, 2 * std::numbers::pi); }

bool onGround(const TrackPoint& point, double groundLimitFt) { return point.altitudeFt <= groundLimitFt; }

// A flat frame in metres east and north of an origin, scaled to the plot.
struct Frame {
    double originLat = 0, originLon = 0, cosLat = 1;
    double minEast = 0, maxNorth = 0, scale = 1, height = 0;
    double east(double lon) const { return (lon - originLon) * 60 * kMetersPerNm * cosLat; }
    double north(double lat) const { return (lat - originLat) * 60 * kMetersPerNm; }
    double x(double lon) const { return kMargin + (east(lon) - minEast) * scale; }
    double y(double lat) const { return kMargin + (maxNorth - north(lat)) * scale; }
};

}  // namespace

std::vector<StandPlace> readStandFile(const std::filesystem::path& file) {
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        throw std::runtime_error(fmt::format("cannot read the stand file {}", gf_pathToUtf8(file)));
    std::vector<StandPlace> stands;
    for (const pugi::xml_node stand : document.child("root").child("parkpositions").children("parkpos")) {
        StandPlace place;
        place.name = stand.attribute("id").value();
        place.latitude = stand.attribute("latitude").as_double();
        place.longitude = stand.attribute("longitude").as_double();
        place.headingDeg = stand.attribute("heading").as_double();
        place.radiusM = stand.attribute("radius").as_double();
        stands.push_back(std::move(place));
    }
    if (stands.empty()) throw std::runtime_error(fmt::format("the stand file {} holds no stand", gf_pathToUtf8(file)));
    return stands;
}

const StandPlace* standAt(const std::vector<StandPlace>& stands, double latitude, double longitude) {
    const StandPlace* best = nullptr;
    double bestM = 0;
    for (const StandPlace& stand : stands) {
        const double m = metresBetween(latitude, longitude, stand.latitude, stand.longitude);
        if (m <= stand.radiusM && (best == nullptr || m < bestM)) {
            best = &stand;
            bestM = m;
        }
    }
    return best;
}

std::vector<StandVisit> standVisits(const World& world, const std::vector<StandPlace>& stands, double groundLimitFt) {
    std::vector<StandVisit> visits;
    for (const AiObject& o : world.objects) {
        if (o.client == 0 || o.track.empty()) continue;
        StandVisit visit;
        visit.id = o.id;
        visit.tail = ansiToUtf8(o.tailNumber);
        const TrackPoint& first = o.track.front();
        if (const StandPlace* born = onGround(first, groundLimitFt) ? standAt(stands, first.latitude, first.longitude)
                                                                     : nullptr) {
            visit.createdOn = born->name;
            visit.leftIt = std::any_of(o.track.begin(), o.track.end(), [&](const TrackPoint& t) {
                return metresBetween(t.latitude, t.longitude, born->latitude, born->longitude) > born->radiusM;
            });
        }
        const TrackPoint& last = o.track.back();
        if (const StandPlace* rest = onGround(last, groundLimitFt) ? standAt(stands, last.latitude, last.longitude)
                                                                    : nullptr;
            rest != nullptr && metresBetween(last.latitude, last.longitude, rest->latitude, rest->longitude) <=
                                   kRestWithinM)
            visit.cameToRest = rest->name;
        if (!visit.createdOn.empty() || !visit.cameToRest.empty()) visits.push_back(std::move(visit));
    }
    return visits;
}

std::string standReport(const std::vector<StandVisit>& visits) {
    std::string text;
    for (const StandVisit& v : visits) {
        text += fmt::format("{} (object {}):", v.tail, v.id);
        if (!v.createdOn.empty()) text += fmt::format(" created on stand {}{}", v.createdOn, v.leftIt ? " and left it" : "");
        if (!v.createdOn.empty() && !v.cameToRest.empty()) text += ",";
        if (!v.cameToRest.empty()) text += fmt::format(" came to rest on stand {}", v.cameToRest);
        text += "\n";
    }
    return text;
}

std::vector<GroundMotion> groundMotions(const World& world, double groundLimitFt) {
    std::vector<GroundMotion> motions;
    for (const AiObject& o : world.objects) {
        if (o.client == 0) continue;
        GroundMotion motion;
        motion.id = o.id;
        motion.tail = ansiToUtf8(o.tailNumber);
        for (std::size_t k = 1; k < o.track.size(); ++k) {
            const TrackPoint& a = o.track[k - 1];
            const TrackPoint& b = o.track[k];
            if (!onGround(a, groundLimitFt) || !onGround(b, groundLimitFt)) continue;
            const double metres = metresBetween(a.latitude, a.longitude, b.latitude, b.longitude);
            if (metres < kShortestStepM || metres > kLongestStepM) continue;
            motion.metres += metres;
            if (metres <= kSlowestMovingMps * (b.time - a.time)) continue;
            // The heading half way, against the chord: on a curve they agree.
            const double heading = a.headingRad + normalised(b.headingRad - a.headingRad) / 2.0;
            const double way = gf_bearingRad(GeoPoint{a.latitude, a.longitude}, GeoPoint{b.latitude, b.longitude});
            const double off = std::fabs(normalised(way - heading));
            motion.largestOffDeg = std::max(motion.largestOffDeg, std::min(off, std::numbers::pi - off) * kRadToDeg);
        }
        if (motion.metres > 0) motions.push_back(std::move(motion));
    }
    return motions;
}

std::string groundMotionReport(const std::vector<GroundMotion>& motions) {
    std::string text;
    for (const GroundMotion& m : motions)
        text += fmt::format("{} (object {}): {:.0f} m on the ground, heading at most {:.1f} degrees off the way it moved\n",
                            m.tail, m.id, m.metres, m.largestOffDeg);
    return text;
}

std::string groundMapSvg(const World& world, const std::vector<StandPlace>& stands, double groundLimitFt) {
    // The ground tracks, one polyline per stretch on the ground.
    struct Stretch {
        std::size_t object;
        std::vector<const TrackPoint*> points;
    };
    std::vector<Stretch> stretches;
    for (std::size_t i = 0; i < world.objects.size(); ++i) {
        bool open = false;
        for (const TrackPoint& t : world.objects[i].track) {
            if (!onGround(t, groundLimitFt)) {
                open = false;
                continue;
            }
            if (!open) stretches.push_back({i, {}});
            open = true;
            stretches.back().points.push_back(&t);
        }
    }
    std::vector<const StandPlace*> shown;
    for (const StandPlace& s : stands) {
        const bool near = stretches.empty() || std::any_of(stretches.begin(), stretches.end(), [&](const Stretch& st) {
            return std::any_of(st.points.begin(), st.points.end(), [&](const TrackPoint* t) {
                return metresBetween(t->latitude, t->longitude, s.latitude, s.longitude) <= kStandsAroundM;
            });
        });
        if (near) shown.push_back(&s);
    }

    Frame f;
    const StandPlace* anchor = shown.empty() ? nullptr : shown.front();
    f.originLat = anchor != nullptr ? anchor->latitude : world.user.state.latitude;
    f.originLon = anchor != nullptr ? anchor->longitude : world.user.state.longitude;
    f.cosLat = std::cos(f.originLat * kDegToRad);
    double minEast = 1e12, maxEast = -1e12, minNorth = 1e12, maxNorth = -1e12;
    const auto add = [&](double lat, double lon, double pad) {
        minEast = std::min(minEast, f.east(lon) - pad);
        maxEast = std::max(maxEast, f.east(lon) + pad);
        minNorth = std::min(minNorth, f.north(lat) - pad);
        maxNorth = std::max(maxNorth, f.north(lat) + pad);
    };
    for (const StandPlace* s : shown) add(s->latitude, s->longitude, s->radiusM);
    for (const Stretch& st : stretches)
        for (const TrackPoint* t : st.points) add(t->latitude, t->longitude, 10);
    add(world.user.state.latitude, world.user.state.longitude, 10);
    const double span = std::max({maxEast - minEast, maxNorth - minNorth, 100.0});
    f.scale = kPlotWidth / std::max(maxEast - minEast, span / 2);
    f.minEast = minEast;
    f.maxNorth = maxNorth;
    f.height = (maxNorth - minNorth) * f.scale;

    std::string svg = fmt::format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0:.0f}\" height=\"{1:.0f}\" viewBox=\"0 0 {0:.0f} "
        "{1:.0f}\">\n"
        "<style>.stand{{fill:#eee;stroke:#999;stroke-width:1}} .name{{font:9px sans-serif;fill:#555}} "
        ".label{{font:bold 11px sans-serif}} .caption{{font:14px sans-serif}}</style>\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        "<text x=\"{2:.0f}\" y=\"24\" class=\"caption\">{3} stands and the AI objects' tracks on the ground "
        "(circle: a stand's radius, line: its heading)</text>\n",
        kPlotWidth + 2 * kMargin, f.height + 2 * kMargin, kMargin, shown.size());
    for (const StandPlace* s : shown) {
        const double x = f.x(s->longitude), y = f.y(s->latitude), r = s->radiusM * f.scale;
        const double h = s->headingDeg * kDegToRad;
        svg += fmt::format(
            "<g class=\"standplace\"><title>stand {0}</title><circle cx=\"{1:.1f}\" cy=\"{2:.1f}\" r=\"{3:.1f}\" "
            "class=\"stand\"/><line x1=\"{1:.1f}\" y1=\"{2:.1f}\" x2=\"{4:.1f}\" y2=\"{5:.1f}\" stroke=\"#999\"/>"
            "<text x=\"{1:.1f}\" y=\"{2:.1f}\" class=\"name\" text-anchor=\"middle\">{0}</text></g>\n",
            xmlEscaped(s->name), x, y, r, x + std::sin(h) * r, y - std::cos(h) * r);
    }
    for (const Stretch& st : stretches) {
        const AiObject& o = world.objects[st.object];
        std::string points;
        for (const TrackPoint* t : st.points) points += fmt::format("{:.1f},{:.1f} ", f.x(t->longitude), f.y(t->latitude));
        const char* colour = kColours[st.object % kColours.size()];
        const TrackPoint& end = *st.points.back();
        svg += fmt::format(
            "<g class=\"groundtrack\"><title>{0} {1}</title><polyline points=\"{2}\" fill=\"none\" stroke=\"{3}\" "
            "stroke-width=\"2\"/><circle cx=\"{4:.1f}\" cy=\"{5:.1f}\" r=\"3\" fill=\"{3}\"/>"
            "<text x=\"{6:.1f}\" y=\"{7:.1f}\" class=\"label\" fill=\"{3}\">{1}</text></g>\n",
            o.id, xmlEscaped(ansiToUtf8(o.tailNumber)), points, colour, f.x(end.longitude), f.y(end.latitude),
            f.x(end.longitude) + 6, f.y(end.latitude) - 6);
    }
    const double ux = f.x(world.user.state.longitude), uy = f.y(world.user.state.latitude);
    svg += fmt::format(
        "<rect x=\"{:.1f}\" y=\"{:.1f}\" width=\"8\" height=\"8\" fill=\"black\"/>"
        "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"label\">user</text>\n</svg>\n",
        ux - 4, uy - 4, ux + 6, uy - 6);
    return svg;
}

}  // namespace simulator
