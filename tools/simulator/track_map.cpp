#include "tools/simulator/track_map.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/format.h>

#include "foundation/geodesy.h"
#include "tools/simulator/request_packets.h"

namespace simulator {

namespace {

constexpr double kPlotWidth = 1000;
constexpr double kMargin = 60;
constexpr std::array kPalette = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                 "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};

struct Bounds {
    double minLat = 1e9, maxLat = -1e9, minLon = 1e9, maxLon = -1e9;
    void add(double lat, double lon) {
        minLat = std::min(minLat, lat);
        maxLat = std::max(maxLat, lat);
        minLon = std::min(minLon, lon);
        maxLon = std::max(maxLon, lon);
    }
};

// An equirectangular projection around the middle latitude, which is true
// enough for the few miles around an airport.
struct Projection {
    Bounds b;
    double cosLat = 1, scale = 1, height = 0;
    double x(double lon) const { return kMargin + (lon - b.minLon) * cosLat * scale; }
    double y(double lat) const { return kMargin + (b.maxLat - lat) * scale; }
};

Projection makeProjection(Bounds b) {
    // At least about 200 m across, and never thinner than a fifth of the width.
    const double minSpan = 0.002;
    const auto widen = [](double& lo, double& hi, double span) {
        if (hi - lo >= span) return;
        const double mid = (lo + hi) / 2;
        lo = mid - span / 2;
        hi = mid + span / 2;
    };
    widen(b.minLat, b.maxLat, minSpan);
    Projection p;
    p.cosLat = std::max(0.05, std::cos((b.minLat + b.maxLat) / 2 * kDegToRad));
    widen(b.minLon, b.maxLon, std::max(minSpan, (b.maxLat - b.minLat) / 5 / p.cosLat));
    widen(b.minLat, b.maxLat, (b.maxLon - b.minLon) * p.cosLat / 5);
    // A little room around the tracks.
    const double padLat = (b.maxLat - b.minLat) * 0.05, padLon = (b.maxLon - b.minLon) * 0.05;
    b.minLat -= padLat;
    b.maxLat += padLat;
    b.minLon -= padLon;
    b.maxLon += padLon;
    p.b = b;
    p.scale = kPlotWidth / ((b.maxLon - b.minLon) * p.cosLat);
    p.height = (b.maxLat - b.minLat) * p.scale;
    return p;
}

// A round grid step giving about six lines over the span.
double niceStep(double span) {
    const double raw = span / 6;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * magnitude) return factor * magnitude;
    return 10 * magnitude;
}

void grid(std::string& svg, const Projection& p) {
    const double right = kMargin + kPlotWidth, bottom = kMargin + p.height;
    const double latStep = niceStep(p.b.maxLat - p.b.minLat), lonStep = niceStep(p.b.maxLon - p.b.minLon);
    for (double lat = std::ceil(p.b.minLat / latStep) * latStep; lat <= p.b.maxLat; lat += latStep)
        svg += fmt::format(
            "<line x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" class=\"grid\"/>"
            "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"axis\">{:.4f}</text>\n",
            kMargin, p.y(lat), right, p.y(lat), 4.0, p.y(lat) + 4, lat);
    for (double lon = std::ceil(p.b.minLon / lonStep) * lonStep; lon <= p.b.maxLon; lon += lonStep)
        svg += fmt::format(
            "<line x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" class=\"grid\"/>"
            "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"axis\" text-anchor=\"middle\">{:.4f}</text>\n",
            p.x(lon), kMargin, p.x(lon), bottom, p.x(lon), bottom + 16, lon);
}

void scaleBar(std::string& svg, const Projection& p) {
    const double metersPerPixel = kMetersPerNm * 60 / p.scale;  // one degree of latitude is 60 nm
    const double meters = niceStep(metersPerPixel * kPlotWidth / 2);
    const double pixels = meters / metersPerPixel;
    const double x = kMargin, y = kMargin + p.height + 40;
    svg += fmt::format(
        "<line x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" stroke=\"black\" stroke-width=\"3\"/>"
        "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"axis\">{}</text>\n",
        x, y, x + pixels, y, x + pixels + 8, y + 4,
        meters >= 1000 ? fmt::format("{:g} km", meters / 1000) : fmt::format("{:g} m", meters));
}

std::string polyline(const Projection& p, const std::vector<TrackPoint>& track) {
    std::string points;
    for (const TrackPoint& t : track) points += fmt::format("{:.1f},{:.1f} ", p.x(t.longitude), p.y(t.latitude));
    if (!points.empty()) points.pop_back();
    return points;
}

void userTrack(std::string& svg, const Projection& p, const UserAircraft& user) {
    svg += fmt::format("<g class=\"user\"><title>user aircraft {}: {}</title>\n", user.objectId,
                       xmlEscaped(ansiToUtf8(user.title)));
    if (user.track.size() > 1)
        svg += fmt::format(
            "<polyline points=\"{}\" fill=\"none\" stroke=\"black\" stroke-width=\"2\" "
            "stroke-dasharray=\"6 4\"/>\n",
            polyline(p, user.track));
    const double x = p.x(user.state.longitude), y = p.y(user.state.latitude);
    svg += fmt::format(
        "<rect x=\"{:.1f}\" y=\"{:.1f}\" width=\"10\" height=\"10\" fill=\"black\"/>"
        "<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"label\">user</text></g>\n",
        x - 5, y - 5, x + 8, y - 8);
}

// The positions that were replayed for the object's callsign: small rings
// along its track.
void replayedPositions(std::string& svg, const Projection& p, const std::vector<const ReferencePoint*>& points,
                       const char* colour) {
    if (points.empty()) return;
    svg += fmt::format("<g class=\"replayed\" fill=\"none\" stroke=\"{}\" stroke-width=\"1\" opacity=\"0.6\">", colour);
    for (const ReferencePoint* r : points)
        svg += fmt::format("<circle cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"2.5\"/>", p.x(r->longitude), p.y(r->latitude));
    svg += "</g>\n";
}

void objectTrack(std::string& svg, const Projection& p, const AiObject& o, std::size_t index,
                 const std::vector<ReferencePoint>& reference) {
    const char* colour = kPalette[index % kPalette.size()];
    const std::string tail = xmlEscaped(ansiToUtf8(o.tailNumber));
    svg += fmt::format("<g class=\"ai\" id=\"object-{}\"><title>{} {} ({}){}</title>\n", o.id, o.id, tail,
                       xmlEscaped(ansiToUtf8(o.title)), o.live() ? "" : ", removed");
    replayedPositions(svg, p, referenceOf(reference, o.tailNumber), colour);
    if (o.track.size() > 1)
        svg += fmt::format("<polyline points=\"{}\" fill=\"none\" stroke=\"{}\" stroke-width=\"2\"/>\n",
                           polyline(p, o.track), colour);
    const TrackPoint& first = o.track.front();
    svg +=
        fmt::format("<circle cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"4\" fill=\"white\" stroke=\"{}\" stroke-width=\"2\"/>\n",
                    p.x(first.longitude), p.y(first.latitude), colour);
    const double x = p.x(o.state.longitude), y = p.y(o.state.latitude);
    if (o.live())
        svg += fmt::format("<circle cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"5\" fill=\"{}\"/>\n", x, y, colour);
    else
        svg += fmt::format("<path d=\"M{:.1f} {:.1f} l10 10 m0 -10 l-10 10\" stroke=\"{}\" stroke-width=\"2\"/>\n",
                           x - 5, y - 5, colour);
    svg += fmt::format("<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"label\" fill=\"{}\">{}</text></g>\n", x + 8, y - 8,
                       colour, tail.empty() ? std::to_string(o.id) : tail);
}

}  // namespace

std::string xmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
    return out;
}

std::string trackMapSvg(const Simulation& sim) {
    const World& world = sim.world;
    Bounds bounds;
    for (const TrackPoint& t : world.user.track) bounds.add(t.latitude, t.longitude);
    bounds.add(world.user.state.latitude, world.user.state.longitude);
    for (const AiObject& o : world.objects) {
        for (const TrackPoint& t : o.track) bounds.add(t.latitude, t.longitude);
        bounds.add(o.state.latitude, o.state.longitude);
        for (const ReferencePoint* r : referenceOf(sim.config.referencePoints, o.tailNumber))
            bounds.add(r->latitude, r->longitude);
    }
    const Projection p = makeProjection(bounds);
    const double width = kPlotWidth + 2 * kMargin, height = p.height + 2 * kMargin + 40;

    std::string svg = fmt::format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0:.0f}\" height=\"{1:.0f}\" viewBox=\"0 0 {0:.0f} "
        "{1:.0f}\">\n"
        "<style>.grid{{stroke:#ddd;stroke-width:1}} .axis{{font:11px sans-serif;fill:#666}} "
        ".label{{font:bold 12px sans-serif}} .caption{{font:14px sans-serif}}</style>\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n",
        width, height);
    svg += fmt::format(
        "<text x=\"{:.0f}\" y=\"24\" class=\"caption\">{}: {} AI object{} ({} live), "
        "simulator time {:.1f} s; circle: created, cross: removed, dot: live, rings: replayed positions</text>\n",
        kMargin, xmlEscaped(ansiToUtf8(sim.config.simName)), world.objects.size(), world.objects.size() == 1 ? "" : "s",
        liveObjectCount(world), world.simTime);
    grid(svg, p);
    scaleBar(svg, p);
    userTrack(svg, p, world.user);
    for (std::size_t i = 0; i < world.objects.size(); ++i) objectTrack(svg, p, world.objects[i], i, sim.config.referencePoints);
    svg += "</svg>\n";
    return svg;
}

}  // namespace simulator
