#include "tools/realtraffic/busy.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>

#include "foundation/geodesy.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/waypoint_path.h"

namespace realtraffic {
namespace {

constexpr double kFeetPerNm = kMetersPerNm / 0.3048;
constexpr double kFeetPerMeter = 1.0 / 0.3048;
constexpr double kFieldElevationFt = -11.0;
constexpr double kRangeNm = 36.0;  // where traffic enters and leaves, inside the program's 40 nm
const GeoPoint kAirport{52.3086, 4.7639};

struct Identity {
    const char* airline;
    const char* type;
    const char* registration;
    bool heavy;
};

// Airlines, models and registrations of the data set that the demo's
// simulator has liveries for.
constexpr std::array<Identity, 25> kIdentities{{
    {"KLM", "B738", "PH-BXA", false}, {"KLM", "B77W", "PH-BVA", true},  {"KLM", "B789", "PH-BHA", true},
    {"KLC", "E190", "PH-EZA", false}, {"KLC", "E295", "PH-NXA", false}, {"TRA", "B738", "PH-HSA", false},
    {"TFL", "B38M", "PH-TFA", false}, {"BAW", "A320", "G-EUYA", false}, {"BAW", "A35K", "G-XWBA", true},
    {"DLH", "A20N", "D-AINA", false}, {"DLH", "A320", "D-AIZA", false}, {"DLH", "A388", "D-AIMA", true},
    {"RYR", "B738", "EI-DCL", false}, {"AFR", "A320", "F-GKXA", false}, {"AUA", "A321", "OE-LBA", false},
    {"BEL", "A320", "OO-SNA", false}, {"SWR", "B77W", "HB-JNA", true},  {"UAE", "A388", "A6-EDA", true},
    {"UPS", "B763", "N301UP", true},  {"FDX", "MD11", "N525FE", true},  {"BOX", "B77L", "D-AALA", true},
    {"CLX", "B748", "LX-VCA", true},  {"JAF", "B738", "OO-JAA", false}, {"CLH", "CRJ9", "D-ACNA", false},
    {"VJT", "CL35", "9H-VCA", false},
}};

constexpr std::array<const char*, 16> kOtherAirports{"LHR", "CDG", "FRA", "MUC", "BRU", "DUS", "ZRH", "VIE",
                                                     "CPH", "ARN", "DUB", "MAD", "BCN", "FCO", "IST", "DXB"};

// A runway end: its threshold and the direction aircraft land or take off.
struct RunwayEnd {
    GeoPoint threshold;
    double headingDeg;
};
constexpr std::array<RunwayEnd, 3> kLandingRunways{{
    {{52.28790, 4.73740}, 57.8},   // 06
    {{52.36200, 4.71150}, 183.0},  // 18R
    {{52.31680, 4.79680}, 267.0},  // 27
}};
constexpr std::array<RunwayEnd, 3> kDepartureRunways{{
    {{52.30450, 4.77780}, 237.8},  // 24, lined up at the demo's point
    {{52.32900, 4.70900}, 3.0},    // 36L
    {{52.31640, 4.74920}, 87.0},   // 09
}};

GeoPoint moved(const GeoPoint& from, double bearingDeg, double feet) {
    return gf_destinationPoint(from, bearingDeg * kDegToRad, feet);
}

class BusyBuilder {
public:
    explicit BusyBuilder(const BusyOptions& options) : options_(options), random_(options.seed) {}

    Scenario build() {
        const BusyMix mix = busyMix(options_.aircraft);
        scenario_.fieldCode = "EHAM";
        scenario_.fieldElevationFt = kFieldElevationFt;
        schedule(mix.overflights, [&](double t) { return overflight(t); });
        schedule(mix.arrivals, [&](double t) { return arrival(t); });
        schedule(mix.departures, [&](double t) { return departure(t); });
        schedule(mix.groundMoves, [&](double t) { return groundMove(t); });
        return std::move(scenario_);
    }

private:
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }
    const BusyStand& anyStand() { return options_.stands[pick(options_.stands.size())]; }
    GeoPoint standPoint(const BusyStand& s) const { return {s.lat, s.lon}; }

    // Starts tracks of one kind so that `count` of them are under way at any
    // time: each next one after its own duration divided by the count (Little's
    // law), the first ones early enough to be half-way at offset 0.
    void schedule(int count, const std::function<std::vector<Waypoint>(double)>& make) {
        if (count <= 0) return;
        const std::vector<Waypoint> probe = make(0);
        double t = -(probe.back().time - probe.front().time);
        while (t < options_.seconds) {
            std::vector<Waypoint> waypoints = make(t);
            const double duration = waypoints.back().time - waypoints.front().time;
            addTrack(std::move(waypoints));
            t += duration / count * uniform(0.5, 1.5);
        }
    }

    void addTrack(std::vector<Waypoint> waypoints) {
        const Identity& who = kIdentities[pick(kIdentities.size())];
        TrackSpec track;
        track.hexId = 4200000 + next_;
        track.callsign = fmt::format("{}{}", who.airline, 100 + next_ % 9000);
        ++next_;
        track.type = who.type;
        track.registration = who.registration;
        track.category = who.heavy ? "A5" : "A3";
        track.origin = origin_;
        track.destination = destination_;
        track.waypoints = std::move(waypoints);
        if (track.waypoints.front().time < 0 && !startAtZero(track)) return;
        sampleTrack(track, scenario_.fieldElevationFt);  // a track the program would refuse is a fault here
        scenario_.tracks.push_back(std::move(track));
    }

    // A track under way at offset 0 starts where it is then, unless that is
    // too close to a touch-down or a lift-off for the program to take it.
    bool startAtZero(TrackSpec& track) const {
        auto& w = track.waypoints;
        std::size_t i = 0;
        while (i + 1 < w.size() && w[i + 1].time <= 0) ++i;
        if (i + 1 >= w.size() || w.back().time < 60) return false;
        const Waypoint& a = w[i];
        const Waypoint& b = w[i + 1];
        const double f = -a.time / (b.time - a.time);
        Waypoint cut = a;
        cut.time = 0;
        cut.lat = a.lat + f * (b.lat - a.lat);
        cut.lon = a.lon + f * (b.lon - a.lon);
        cut.speedKt = a.speedKt + f * (b.speedKt - a.speedKt);
        if (a.altitudeFt && b.altitudeFt) cut.altitudeFt = std::round(*a.altitudeFt + f * (*b.altitudeFt - *a.altitudeFt));
        else if (a.altitudeFt || b.altitudeFt) return false;  // mid touch-down or lift-off
        w.erase(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(i + 1));
        w.insert(w.begin(), cut);
        // Ground and air must not change within the first 40 seconds.
        for (const Waypoint& next : w) {
            if (next.time > 40) break;
            if (next.altitudeFt.has_value() != cut.altitudeFt.has_value()) return false;
        }
        try {
            sampleTrack(track, kFieldElevationFt);
        } catch (const StandInError&) {
            return false;
        }
        return true;
    }

    std::vector<Waypoint> overflight(double start) {
        origin_ = kOtherAirports[pick(kOtherAirports.size())];
        destination_ = kOtherAirports[pick(kOtherAirports.size())];
        const double in = uniform(0, 360);
        const double out = in + 180 + uniform(-50, 50);
        const double altitude = std::round(uniform(150, 390)) * 100;
        const double speed = std::round(uniform(300, 480));
        WaypointPath path(start, moved(kAirport, in, kRangeNm * kFeetPerNm), altitude, speed);
        path.to(moved(kAirport, out, kRangeNm * kFeetPerNm), altitude, speed);
        return path.take();
    }

    // From the edge of the radius to the runway, then to a stand.
    std::vector<Waypoint> arrival(double start) {
        origin_ = kOtherAirports[pick(kOtherAirports.size())];
        destination_ = "AMS";
        const RunwayEnd& runway = kLandingRunways[pick(kLandingRunways.size())];
        const double h = runway.headingDeg;
        const GeoPoint& t = runway.threshold;
        const double entryBearing = h + 180 + uniform(-60, 60);
        WaypointPath path(start, moved(kAirport, entryBearing, kRangeNm * kFeetPerNm),
                          std::round(uniform(90, 110)) * 100, 260);
        path.to(moved(t, h + 180, 14 * kFeetPerNm), 4500, 210)
            .to(moved(t, h + 180, 7 * kFeetPerNm), 2300, 170)
            .to(moved(t, h + 180, 0.2 * kFeetPerNm), 70, 140)
            .to(moved(t, h, 0.3 * kFeetPerNm), std::nullopt, 130)
            .to(moved(t, h, 1.3 * kFeetPerNm), std::nullopt, 40);
        path.to(moved(path.here(), h + 90, 150 * kFeetPerMeter), std::nullopt, 20);
        const BusyStand& stand = anyStand();
        path.to(moved(standPoint(stand), stand.headingDeg + 180, 80 * kFeetPerMeter), std::nullopt, 15)
            .to(standPoint(stand), std::nullopt, 3)
            .stand(20, stand.headingDeg)
            .stand(uniform(60, 180), stand.headingDeg);
        return path.take();
    }

    // From a stand: pushed back, taxied to the runway, off and out of the radius.
    std::vector<Waypoint> departure(double start) {
        origin_ = "AMS";
        destination_ = kOtherAirports[pick(kOtherAirports.size())];
        const BusyStand& stand = anyStand();
        const double h = stand.headingDeg;
        const RunwayEnd& runway = kDepartureRunways[pick(kDepartureRunways.size())];
        WaypointPath path(start, standPoint(stand), std::nullopt, 0, h);
        path.stand(uniform(40, 90), h);
        pushBack(path, h);
        path.to(runway.threshold, std::nullopt, 10)
            .to(moved(runway.threshold, runway.headingDeg, 0.8 * kFeetPerNm), std::nullopt, 150)
            .to(moved(runway.threshold, runway.headingDeg, 1.3 * kFeetPerNm), 500, 165)
            .to(moved(runway.threshold, runway.headingDeg, 6 * kFeetPerNm), 3000, 200);
        const double outBearing = runway.headingDeg + uniform(-40, 40);
        path.to(moved(kAirport, outBearing, kRangeNm * kFeetPerNm), std::round(uniform(110, 150)) * 100, 300);
        return path.take();
    }

    // From one stand to another: pushed back, taxied, parked.
    std::vector<Waypoint> groundMove(double start) {
        origin_ = "null";
        destination_ = "null";
        const BusyStand& from = anyStand();
        const BusyStand& to = anyStand();
        WaypointPath path(start, standPoint(from), std::nullopt, 0, from.headingDeg);
        path.stand(uniform(30, 60), from.headingDeg);
        pushBack(path, from.headingDeg);
        path.to(moved(standPoint(to), to.headingDeg + 180, 80 * kFeetPerMeter), std::nullopt, 12)
            .to(standPoint(to), std::nullopt, 3)
            .stand(20, to.headingDeg)
            .stand(uniform(60, 120), to.headingDeg);
        return path.take();
    }

    // Tail first out of the stand, a pause, then taxi speed (15 kt) from here.
    static void pushBack(WaypointPath& path, double headingDeg) {
        const GeoPoint back = moved(path.here(), headingDeg + 180, 20 * kFeetPerMeter);
        path.to(back, std::nullopt, 3, headingDeg);
        path.to(moved(back, headingDeg + 180, 20 * kFeetPerMeter), std::nullopt, 0, headingDeg);
        path.stand(40);
        const GeoPoint away = moved(path.here(), headingDeg + 180 + 90, 60 * kFeetPerMeter);
        path.to(away, std::nullopt, 15);
    }

    const BusyOptions& options_;
    std::mt19937 random_;
    Scenario scenario_;
    std::uint32_t next_ = 0;
    std::string origin_, destination_;
};

std::string number(double value, int decimals) { return fmt::format("{:.{}f}", value, decimals); }

}  // namespace

BusyMix busyMix(int aircraft) {
    BusyMix mix;
    mix.arrivals = aircraft * 18 / 100;
    mix.departures = aircraft * 10 / 100;
    mix.groundMoves = aircraft * 6 / 100;
    mix.overflights = aircraft - mix.arrivals - mix.departures - mix.groundMoves;
    return mix;
}

std::vector<BusyStand> loadStands(const std::filesystem::path& path) {
    pugi::xml_document document;
    if (!document.load_file(path.c_str()))
        throw StandInError(fmt::format("cannot read the stand file {}", path.string()));
    std::vector<BusyStand> stands;
    for (const pugi::xml_node stand : document.child("root").child("parkpositions").children("parkpos"))
        stands.push_back({stand.attribute("id").value(), stand.attribute("latitude").as_double(),
                          stand.attribute("longitude").as_double(), stand.attribute("heading").as_double()});
    if (stands.empty()) throw StandInError(fmt::format("the stand file {} holds no stand", path.string()));
    return stands;
}

Scenario busyScenario(const BusyOptions& options) {
    if (options.stands.empty()) throw StandInError("a busy scenario needs the airport's stands");
    if (options.aircraft < 1) throw StandInError("a busy scenario needs at least one aircraft");
    return BusyBuilder(options).build();
}

std::string scenarioText(const Scenario& scenario) {
    std::string text = fmt::format("field {}", scenario.fieldCode);
    if (scenario.fieldElevationFt) text += " " + number(*scenario.fieldElevationFt, 0);
    text += "\n";
    for (const QnhChange& q : scenario.qnh) text += fmt::format("qnh {} {}\n", number(q.offset, 2), q.value);
    for (const RawDatagram& raw : scenario.raw) text += fmt::format("{} {}\n", number(raw.offset, 2), raw.text);
    for (const TrackSpec& t : scenario.tracks) {
        text += fmt::format("track {} {} {} {} {} {} {}\n", t.hexId, t.callsign, t.type, t.registration, t.origin,
                            t.destination, t.category);
        for (const Waypoint& w : t.waypoints) {
            text += fmt::format("  {} {} {} {} {}", number(w.time, 2), number(w.lat, 7), number(w.lon, 7),
                                w.altitudeFt ? number(*w.altitudeFt, 0) : std::string("gnd"), number(w.speedKt, 1));
            if (w.headingDeg) text += " hdg=" + number(std::fmod(*w.headingDeg + 360.0, 360.0), 1);
            text += "\n";
        }
        for (const StrayReport& s : t.strays) text += fmt::format("  stray {} {}\n", number(s.time, 2), number(s.metres, 1));
        for (const JumpingStretch& j : t.jumps)
            text += fmt::format("  jumps {} {} {} {}\n", number(j.from, 2), number(j.seconds, 2), number(j.minM, 1),
                                number(j.maxM, 1));
        for (const DwellingStretch& d : t.dwells) {
            text += fmt::format("  dwells {} {}", number(d.from, 2), number(d.seconds, 2));
            for (const Spot& spot : d.spots) text += fmt::format(" {} {}", number(spot.lat, 7), number(spot.lon, 7));
            text += "\n";
        }
        for (const ReportPause& q : t.pauses)
            text += fmt::format("  pause {} {}\n", number(q.from, 2), number(q.seconds, 2));
        text += "end\n";
    }
    return text;
}

}  // namespace realtraffic
