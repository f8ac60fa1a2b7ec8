#include "tools/realtraffic/generator.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "foundation/geodesy.h"
#include "tools/realtraffic/datagram.h"

namespace realtraffic {
namespace {

constexpr double kMetersPerSecondPerKnot = 1852.0 / 3600.0;
constexpr double kBufferedSeconds = 30.0;  // how long a new aircraft waits before it appears

// The altitude the program's reader makes of a datagram: 0 means on the
// ground. Without a known field the reader compares with -1000 ft.
double readerAltitude(double altitudeFt, double speedKt, std::optional<double> fieldElevationFt) {
    double a = altitudeFt;
    if (!(a > 0)) return 0;
    if (a < 14000) {
        const double d = a - fieldElevationFt.value_or(-1000.0);
        if (d <= 0 || (d <= 42 && speedKt <= 120) || (d <= 84 && speedKt <= 80) || (d <= 108 && speedKt <= 43)) a = 0;
    }
    return speedKt <= 35 ? 0 : a;
}

// Seconds the program needs between two records of an aircraft moving
// straight on, below which it takes the second for a repeat: 450 m in the air
// above 120 kt, 20 m (at most 15 s) on the ground up to 30 kt.
double repeatWindow(double speedKt, bool onGround) {
    const double metersPerSecond = speedKt * kMetersPerSecondPerKnot;
    if (onGround) return speedKt <= 30 ? (speedKt > 0 ? std::min(20.0 / metersPerSecond, 15.0) : 15.0) : 0.0;
    return speedKt > 120 ? 450.0 / metersPerSecond : 0.0;
}

double turnDegrees(double from, double to) {
    double d = std::fmod(to - from, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

class TrackSampler {
public:
    TrackSampler(const TrackSpec& track, std::optional<double> field) : path_(track, field) {}

    std::vector<TrackSample> run() {
        checkSegments();
        std::vector<TrackSample> out;
        for (double t = path_.start(); t <= path_.end() + 1e-9;) {
            out.push_back(path_.at(t));
            t += path_.intervalAfter(t);
        }
        setRoll(out);
        checkRecords(out);
        return out;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        const TrackSpec& track = path_.track();
        throw StandInError(fmt::format("track {} (scenario line {}): {}", track.callsign, track.line, what));
    }

    // The implied speed of each leg must fit the speeds given at its ends.
    void checkSegments() const {
        const auto& w = path_.track().waypoints;
        for (std::size_t i = 0; i + 1 < w.size(); ++i) {
            const double hours = (w[i + 1].time - w[i].time) / 3600.0;
            const double implied = gf_distanceNm(w[i].lat, w[i].lon, w[i + 1].lat, w[i + 1].lon) / hours;
            const double given = (w[i].speedKt + w[i + 1].speedKt) / 2;
            if (std::fabs(implied - given) > 0.25 * given + 5.0)
                fail(fmt::format("the leg from {} s to {} s covers its distance at {:.0f} kt, its speeds say {:.0f} kt",
                                 w[i].time, w[i + 1].time, implied, given));
        }
    }

    static void setRoll(std::vector<TrackSample>& samples) {
        for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
            TrackSample& s = samples[i];
            if (s.altitudeFt <= 0) continue;
            const double rate = turnDegrees(s.trackDeg, samples[i + 1].trackDeg) * kDegToRad /
                                (samples[i + 1].offset - s.offset);
            const double roll = std::atan(s.speedKt * kMetersPerSecondPerKnot * rate / 9.80665) * kRadToDeg;
            s.rollDeg = std::round(std::clamp(roll, -30.0, 30.0) * 10) / 10;
        }
    }

    // What the program checks of consecutive records of one aircraft.
    void checkRecords(const std::vector<TrackSample>& samples) const {
        if (samples.size() < 2) fail("too short for two datagrams");
        const std::optional<double> field = path_.fieldElevationFt();
        const TrackSample& first = samples.front();
        const auto onGround = [&](const TrackSample& s) { return path_.onGround(s); };
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const TrackSample& c = samples[i];
            const double altitude = readerAltitude(c.altitudeFt, c.speedKt, field);
            if (c.offset < first.offset + kBufferedSeconds) {
                if (onGround(c) != onGround(first))
                    fail(fmt::format("ground and air mixed in its first {} s (at {:.1f} s)", kBufferedSeconds, c.offset));
                if (field && altitude > 0 && altitude < 10000 && std::fabs(altitude - *field) <= 108)
                    fail(fmt::format("starts within 108 ft of the field elevation (at {:.1f} s)", c.offset));
            }
            if (i == 0) continue;
            const TrackSample& p = samples[i - 1];
            const double dt = c.offset - p.offset;
            const double g0 = p.speedKt, g = c.speedKt;
            if ((g0 > 5 && g >= 10 * g0) || (g > 5 && g0 >= 10 * g) || (g0 <= 5 && g >= 80) || (g <= 5 && g0 >= 80))
                fail(fmt::format("speed jumps from {:.1f} to {:.1f} kt between {:.1f} s and {:.1f} s; add a waypoint",
                                 g0, g, p.offset, c.offset));
            const double turn = std::fabs(c.trackDeg - p.trackDeg);
            const bool straight = onGround(c) ? turn <= 2.0 : turn <= 1.0;
            if (dt <= 1.0 || (straight && dt <= repeatWindow(g, onGround(c))))
                fail(fmt::format("records at {:.1f} s and {:.1f} s are too close", p.offset, c.offset));
        }
        if (samples[1].offset - first.offset > (onGround(first) && first.speedKt > 0 ? 27.0 : 29.0))
            fail("its second record comes too late to bring the aircraft in");
    }

    TrackPath path_;
};

}  // namespace

double sampleInterval(double speedKt, bool onGround) {
    return std::max(onGround ? 3.0 : 6.0, repeatWindow(speedKt, onGround) + 1.0);
}

TrackPath::TrackPath(const TrackSpec& track, std::optional<double> field) : track_(track), field_(field) {
    // Each leg's direction of travel and heading. A moving leg goes along its
    // bearing, nose first unless its first waypoint gives a heading (a
    // push-back). A standing leg keeps the heading given at its ends, else
    // that of the leg before (the next leg's for a track that starts
    // standing).
    const auto& w = track.waypoints;
    std::optional<double> previous;
    for (std::size_t i = 0; i + 1 < w.size(); ++i) {
        Leg leg;
        if (gf_distanceNm(w[i].lat, w[i].lon, w[i + 1].lat, w[i + 1].lon) * kMetersPerNm > 1.0) {
            leg.track = gf_bearingRad(GeoPoint{w[i].lat, w[i].lon}, GeoPoint{w[i + 1].lat, w[i + 1].lon}) * kRadToDeg;
            leg.heading = w[i].headingDeg.value_or(*leg.track);
        } else {
            leg.heading = w[i].headingDeg ? w[i].headingDeg : w[i + 1].headingDeg ? w[i + 1].headingDeg : previous;
        }
        if (leg.heading) previous = leg.heading;
        legs_.push_back(leg);
    }
    std::optional<double> next;
    for (auto it = legs_.rbegin(); it != legs_.rend(); ++it) {
        if (it->heading) next = it->heading;
        else it->heading = next;
    }
}

TrackSample TrackPath::at(double t) const {
    const auto& w = track_.waypoints;
    std::size_t i = 0;
    while (i + 2 < w.size() && t > w[i + 1].time) ++i;
    const Waypoint& a = w[i];
    const Waypoint& b = w[i + 1];
    const double f = std::clamp((t - a.time) / (b.time - a.time), 0.0, 1.0);
    TrackSample s;
    s.offset = t;
    s.lat = a.lat + f * (b.lat - a.lat);
    s.lon = a.lon + f * (b.lon - a.lon);
    s.speedKt = a.speedKt + f * (b.speedKt - a.speedKt);
    const double altA = a.altitudeFt.value_or(0.0);
    const double altB = b.altitudeFt.value_or(0.0);
    if (a.altitudeFt || b.altitudeFt) {
        s.altitudeFt = std::round(altA + f * (altB - altA));
        s.verticalSpeedFpm = (altB - altA) / (b.time - a.time) * 60.0;
    }
    s.headingDeg = legs_[i].heading.value_or(0.0);
    s.trackDeg = legs_[i].track.value_or(s.headingDeg);
    return s;
}

bool TrackPath::onGround(const TrackSample& s) const { return readerAltitude(s.altitudeFt, s.speedKt, field_) == 0; }

double TrackPath::intervalAfter(double t) const {
    const TrackSample now = at(t);
    double interval = sampleInterval(now.speedKt, onGround(now));
    // Until it no longer grows: an aircraft slowing down to a stop needs
    // more rounds than one that keeps its pace.
    for (int round = 0; round < 100; ++round) {
        const TrackSample next = at(t + interval);
        const double needed = sampleInterval(next.speedKt, onGround(next));
        if (needed <= interval) break;
        interval = needed;
    }
    return interval;
}

std::vector<TrackSample> sampleTrack(const TrackSpec& track, std::optional<double> fieldElevationFt) {
    return TrackSampler(track, fieldElevationFt).run();
}

std::vector<TimedDatagram> expandScenario(const Scenario& scenario) {
    return expandScenario(scenario,
                          [&](const TrackSpec& track) { return sampleTrack(track, scenario.fieldElevationFt); });
}

std::vector<TimedDatagram> expandScenario(const Scenario& scenario,
                                          const std::function<std::vector<TrackSample>(const TrackSpec&)>& samples) {
    std::vector<TimedDatagram> out;
    for (const TrackSpec& track : scenario.tracks)
        for (const TrackSample& s : samples(track))
            out.push_back({s.offset, trafficDatagram(track, s, s.offset)});
    for (const RawDatagram& raw : scenario.raw) out.push_back({raw.offset, raw.text});
    std::stable_sort(out.begin(), out.end(),
                     [](const TimedDatagram& a, const TimedDatagram& b) { return a.offset < b.offset; });
    return out;
}

}  // namespace realtraffic
