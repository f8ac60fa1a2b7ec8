// The demo's traffic through the engine, tick by tick, at Schiphol: each
// scenario of the stand-in RealTraffic made into the very datagrams its
// replay sends (for the real-feed demo, as its real feed reports them with
// the demo's seed), read by the traffic reader onto the adding stack and
// played by the engine with the data set's data base, the stands of
// data/stands/EHAM.xml and the user's A320 parked on H3, where the demo's
// simulator puts it. All aircraft of a scenario come side by side, as the
// demo sends them, and each is judged by what the demo should show of it.
// CI runs the demo for a minute only; the rest of it is seen here.
//   VLNT_DEMO_TRACKS_TRACE=CALLSIGN  prints that aircraft's log lines and its
//                                    path second by second beside its
//                                    delayed stream (VLNT_DEMO_TRACKS_EVERY=N:
//                                    every N ticks instead)
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "airports/park_airport_file.h"
#include "airports/stand_file.h"
#include "airports/stands.h"
#include "ground_runs.h"
#include "refdata/code_tables.h"
#include "refdata/dbase_reader.h"
#include "rtlink/qnh.h"
#include "rtlink/state.h"
#include "rtlink/traffic_datagram.h"
#include "rtlink/traffic_feed.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "support/data_set.h"
#include "support/eham_feed.h"
#include "tools/realtraffic/datagram.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/real_feed.h"
#include "tools/realtraffic/replay.h"
#include "tools/realtraffic/scenario.h"

namespace {

using engine_test::Fix;
using ground_test::metresBetween;
using ground_test::secondsOf;
using ground_test::Verdict;
using ground_test::Watched;

constexpr double kFieldElevationFt = -11.0;   // EHAM, as the scenarios' field line and the stand file give it
constexpr double kStartUnixS = 1767616135.0;  // 2026-01-05 12:28:55 UTC, the demo's replay clock
constexpr double kDelayS = 30.0;              // the program plays each stream back this much later
// Where the demo's simulator parks the user's A320 (tools/simulator/scenarios/eham_demo.txt): stand H3.
constexpr double kUserLat = 52.31170, kUserLon = 4.75010, kUserHeadingDeg = 180.0;

// What the demo should show of one aircraft; what is left unset is not its story.
struct Expected {
    const char* callsign = "";
    std::vector<AcPhase> phases;   // reached in this order (others between them allowed)
    double ceilingKt = 30.0;       // its category's taxi speed: never faster on the ground off the runway's rolls
    const char* bornOn = nullptr;  // created parked on this stand
    bool leaves = false;           // ... and pushed back off it with its delayed stream
    bool staysOn = false;          // ... and parked on it as long as it is shown
    const char* parksOn = nullptr; // parked on this stand soon after its delayed stream stood still there
    // ... this soon: an arrival creeping onto its stand drives the last
    // metres and comes round onto the stand's axis before it is parked.
    double parkedWithinS = 40.0;
    const char* restsOn = nullptr; // standing on this stand (unparked: its stream still reports) to the run's end
    bool lands = false;            // on the ground after its final, as its delayed stream touches down
    bool takesOff = false;         // off the ground as its delayed stream lifts off, and climbing away with it
    bool flies = false;            // in the air throughout, with its stream
    bool removedAfterItsStream = false;  // the stream stops in the air: removed once the delayed stream has passed
};

struct Scenario {
    const char* name;
    const char* file;                  // below tools/realtraffic/scenarios/
    std::optional<std::uint32_t> realFeedSeed;  // the real feed's seed; none: the clean replay
    double runS;                       // the replay's clock when the run ends
    std::vector<Expected> aircraft;
};

// One aircraft of a scenario: its track, the records the reader put on the
// adding stack (their time on the replay's clock) and what the engine did.
using Track = decltype(realtraffic::Scenario::tracks)::value_type;
struct Played {
    const Track* track = nullptr;
    std::optional<realtraffic::TrackPath> truth;  // where it really was, noise-free
    std::vector<Fix> fixes;
    Watched w;
    std::vector<double> removedAtS;  // its objects' removals, on the replay's clock
};

GeoPoint standPoint(const char* name) {
    for (const Stand& s : g_stands)
        if (s.name == name) return {s.latitude, s.longitude};
    ADD_FAILURE() << "data/stands/EHAM.xml has no stand " << name;
    return {};
}

double standRadiusM(const char* name) {
    for (const Stand& s : g_stands)
        if (s.name == name) return s.radius * kMetersPerNm;
    return 0.0;
}

// The stream's first record in the air after its noise-free track lifted
// off (or on the ground after it touched down): a real feed's on-ground
// flags flip now and then, but what the engine plays follows the change
// from that record on. None when the track never does.
std::optional<double> streamChangeS(const Played& p, bool ontoTheGround) {
    const realtraffic::TrackPath& truth = *p.truth;
    std::optional<double> changed;
    bool before = truth.onGround(truth.at(truth.start()));
    for (double t = truth.start(); t <= truth.end() && !changed; t += 0.1) {
        const bool now = truth.onGround(truth.at(t));
        if (now == ontoTheGround && before != ontoTheGround) changed = t;
        before = now;
    }
    if (!changed) return std::nullopt;
    for (const Fix& f : p.fixes)
        if (f.t >= *changed - 1e-6 && (f.sample.airborne == 0) == ontoTheGround) return f.t;
    return std::nullopt;
}

// The first time on the path it went from the air onto the ground (or the
// other way round), none when it never did.
std::optional<double> pathChangeS(const Watched& w, bool ontoTheGround) {
    for (std::size_t k = 1; k < w.path.size(); ++k)
        if (w.path[k].onGround == ontoTheGround && w.path[k - 1].onGround != ontoTheGround)
            return secondsOf(w.path[k].tick);
    return std::nullopt;
}

std::string phasesText(const Watched& w) {
    std::string text;
    for (const AcPhase phase : w.phases) text += (text.empty() ? "" : ", ") + std::string(gf_phaseName(phase));
    return text;
}

std::string placeText(const Watched::Place& p, const GeoPoint& from, const char* fromName) {
    return fmt::format("{} {:.0f} m from {}, {:.0f} ft", gf_phaseName(p.phase), metresBetween(p.at, from), fromName,
                       p.altitudeFt);
}

// --- the judges: each gives what it saw when broken (with times), nothing when kept ---

// Shown as an active object no later than `withinS` after its delayed stream's first record.
Verdict createdInTime(const Played& p, double withinS) {
    const double due = p.fixes.front().t + kDelayS + withinS;
    if (p.w.path.empty())
        return fmt::format("never created (its first record at {:.1f} s, due by {:.1f} s)", p.fixes.front().t, due);
    const double shown = secondsOf(p.w.path.front().tick);
    if (shown <= due) return std::nullopt;
    return fmt::format("created at {:.1f} s, due by {:.1f} s", shown, due);
}

Verdict bornOn(const Played& p, const char* stand) {
    if (p.w.path.empty()) return "never created";
    const Watched::Place& first = p.w.path.front();
    if (first.phase == AcPhase::parked && metresBetween(first.at, standPoint(stand)) <= 2.0) return std::nullopt;
    return fmt::format("created at {:.1f} s {}", secondsOf(first.tick), placeText(first, standPoint(stand), stand));
}

// Pushed back from the stand it was born on and beyond the stand's radius
// within 30 s of its delayed stream's first record there (a stray's or a
// jump's apart, 30 m or more off where the aircraft really was: a record
// that shows the move).
Verdict leaves(const Played& p, const char* stand) {
    const GeoPoint at = standPoint(stand);
    const double radius = standRadiusM(stand);
    const auto off = std::find_if(p.fixes.begin(), p.fixes.end(), [&](const Fix& f) {
        const realtraffic::TrackSample truth = p.truth->at(f.t);
        return metresBetween(gf_samplePoint(f.sample), at) > radius &&
               metresBetween(gf_samplePoint(f.sample), {truth.lat, truth.lon}) < 30.0;
    });
    if (off == p.fixes.end()) return fmt::format("its stream never left {}", stand);
    const double streamOff = off->t + kDelayS;
    const double due = streamOff + 30.0;
    if (std::find(p.w.phases.begin(), p.w.phases.end(), AcPhase::pushing_back) == p.w.phases.end())
        return fmt::format("never pushed back (phases {})", phasesText(p.w));
    for (const Watched::Place& place : p.w.path)
        if (metresBetween(place.at, at) > radius) {
            if (secondsOf(place.tick) <= due) return std::nullopt;
            return fmt::format("off {} ({:.0f} m) at {:.1f} s, its delayed stream at {:.1f} s", stand, radius,
                               secondsOf(place.tick), streamOff);
        }
    const Watched::Place& last = p.w.path.back();
    return fmt::format("never off {} ({:.0f} m), its delayed stream at {:.1f} s; at {:.1f} s {}", stand, radius,
                       streamOff, secondsOf(last.tick), placeText(last, at, stand));
}

// Parked on the stand as long as it is shown.
Verdict staysOn(const Played& p, const char* stand) {
    const GeoPoint at = standPoint(stand);
    for (const Watched::Place& place : p.w.path)
        if (metresBetween(place.at, at) > 2.0 || place.phase != AcPhase::parked)
            return fmt::format("at {:.1f} s {}", secondsOf(place.tick), placeText(place, at, stand));
    return std::nullopt;
}

// When the noise-free stream first stands still (10 s on the same metre)
// within `reachM` of the point, none when it never does.
std::optional<double> streamStoodAtS(const Played& p, const GeoPoint& at, double reachM) {
    const realtraffic::TrackPath& truth = *p.truth;
    for (double t = truth.start(); t <= truth.end(); t += 0.5) {
        const realtraffic::TrackSample s = truth.at(t), later = truth.at(t + 10.0);
        if (!truth.onGround(s) || metresBetween({s.lat, s.lon}, at) > reachM) continue;
        if (metresBetween({s.lat, s.lon}, {later.lat, later.lon}) < 1.0) return t;
    }
    return std::nullopt;
}

// In the parked phase within 2 m of the stand no later than `withinS` after
// its delayed stream stood still on it (or beside it, within the stand's
// radius and 20 m more), and there until the delayed stream's last record
// before it moves 2 m from where it stood (or the run ends).
Verdict parksOn(const Played& p, const char* stand, double withinS) {
    const GeoPoint at = standPoint(stand);
    const std::optional<double> stood = streamStoodAtS(p, at, standRadiusM(stand) + 20.0);
    if (!stood) return fmt::format("its stream never stands on {}", stand);
    const realtraffic::TrackSample there = p.truth->at(*stood);
    const double due = *stood + kDelayS + withinS;
    const auto parked = std::find_if(p.w.path.begin(), p.w.path.end(), [&](const Watched::Place& place) {
        return place.phase == AcPhase::parked && metresBetween(place.at, at) <= 2.0 &&
               secondsOf(place.tick) >= *stood + kDelayS - withinS;
    });
    if (parked == p.w.path.end() || secondsOf(parked->tick) > due) {
        const Watched::Place* then = ground_test::placeAt(p.w, due);
        const Watched::Place& shown = then != nullptr ? *then : p.w.path.back();
        return fmt::format("{}, its delayed stream standing there from {:.1f} s; at {:.1f} s {}",
                           parked == p.w.path.end() ? std::string("never parked there")
                                                    : fmt::format("parked there at {:.1f} s", secondsOf(parked->tick)),
                           *stood + kDelayS, secondsOf(shown.tick), placeText(shown, at, stand));
    }
    double movesOffS = 1e9;
    for (double t = *stood; t <= p.truth->end(); t += 0.5) {
        const realtraffic::TrackSample s = p.truth->at(t);
        if (metresBetween({s.lat, s.lon}, {there.lat, there.lon}) > 2.0) {
            movesOffS = t;
            break;
        }
    }
    // The program learns of the move from the first record after it: from
    // the last record that still showed it standing on, it may make its way
    // towards that one.
    double lastStoodS = *stood;
    for (const Fix& f : p.fixes)
        if (f.t <= movesOffS) lastStoodS = std::max(lastStoodS, f.t);
    movesOffS = std::min(movesOffS, lastStoodS) + kDelayS;
    for (auto place = parked; place != p.w.path.end() && secondsOf(place->tick) < movesOffS; ++place)
        if (metresBetween(place->at, at) > 2.0)
            return fmt::format("parked there at {:.1f} s, but at {:.1f} s {}", secondsOf(parked->tick),
                               secondsOf(place->tick), placeText(*place, at, stand));
    return std::nullopt;
}

// From a minute after its delayed stream stood still on the stand (or
// beside it) until the run's end, within 20 m of it: a real feed's reports
// of a standing aircraft lie on a grid of 19 m and wander 4 m about it.
Verdict restsOn(const Played& p, const char* stand) {
    const GeoPoint at = standPoint(stand);
    const std::optional<double> stood = streamStoodAtS(p, at, standRadiusM(stand) + 20.0);
    if (!stood) return fmt::format("its stream never stands on {}", stand);
    const double from = *stood + kDelayS + 60.0;
    const Watched::Place* first = ground_test::placeAt(p.w, from);
    if (first == nullptr) return fmt::format("gone by {:.1f} s", from);
    for (const Watched::Place* place = first; place <= &p.w.path.back(); ++place)
        if (metresBetween(place->at, at) > 20.0)
            return fmt::format("at {:.1f} s {}, its delayed stream standing there from {:.1f} s",
                               secondsOf(place->tick), placeText(*place, at, stand), *stood + kDelayS);
    return std::nullopt;
}

// The phases reached, in this order (others between them allowed).
Verdict phasesInOrder(const Played& p, const std::vector<AcPhase>& expected) {
    auto reached = p.w.phases.begin();
    for (const AcPhase phase : expected) {
        reached = std::find(reached, p.w.phases.end(), phase);
        if (reached == p.w.phases.end())
            return fmt::format("{} never reached in that order: its phases {}", gf_phaseName(phase), phasesText(p.w));
    }
    return std::nullopt;
}

// On the ground within `withinS` of its delayed stream's touch-down, rolling
// out as one that landed.
Verdict lands(const Played& p, double withinS) {
    const std::optional<double> stream = streamChangeS(p, true);
    if (!stream) return "its stream never touches down";
    const double delayed = *stream + kDelayS;
    const std::optional<double> down = pathChangeS(p.w, true);
    if (!down) {
        const Watched::Place* then = ground_test::placeAt(p.w, delayed + withinS);
        return fmt::format("never on the ground after its final, its delayed stream down at {:.1f} s{}", delayed,
                           then == nullptr ? std::string(" (gone by then)")
                                           : fmt::format(" ({}, {:.0f} ft then)", gf_phaseName(then->phase),
                                                         then->altitudeFt));
    }
    if (std::fabs(*down - delayed) > withinS)
        return fmt::format("on the ground at {:.1f} s, its delayed stream at {:.1f} s", *down, delayed);
    if (p.w.touchDownAt < 0) return fmt::format("on the ground at {:.1f} s but never rolling out as landed", *down);
    return std::nullopt;
}

// Off the ground within `withinS` of its delayed stream's lift-off.
Verdict liftsOff(const Played& p, double withinS) {
    const std::optional<double> stream = streamChangeS(p, false);
    if (!stream) return "its stream never lifts off";
    const double delayed = *stream + kDelayS;
    const std::optional<double> up = pathChangeS(p.w, false);
    if (!up) {
        const Watched::Place* then = ground_test::placeAt(p.w, delayed + withinS);
        return fmt::format("never off the ground, its delayed stream at {:.1f} s{}", delayed,
                           then == nullptr ? std::string(" (gone by then)")
                                           : fmt::format(" ({} then)", gf_phaseName(then->phase)));
    }
    if (std::fabs(*up - delayed) > withinS)
        return fmt::format("off the ground at {:.1f} s, its delayed stream at {:.1f} s", *up, delayed);
    return std::nullopt;
}

// In the air with its delayed stream, within `mostFt` of its height, at
// every airborne record from `settleS` after the stream took to the air
// (or after its first record) until the run's end.
Verdict fliesWithItsStream(const Played& p, double settleS, double mostFt, double runS) {
    const std::optional<double> lift = streamChangeS(p, false);
    const double from = (lift ? *lift : p.fixes.front().t) + settleS;
    for (const Fix& f : p.fixes) {
        if (f.t < from || f.sample.airborne == 0 || f.t + kDelayS > runS) continue;
        const Watched::Place* then = ground_test::placeAt(p.w, f.t + kDelayS);
        if (then == nullptr) return fmt::format("gone by {:.1f} s, its delayed stream still flying", f.t + kDelayS);
        if (then->onGround || std::fabs(then->altitudeFt - f.sample.altitudeFt) > mostFt)
            return fmt::format("at {:.1f} s {} at {:.0f} ft, its delayed stream at {:.0f} ft", f.t + kDelayS,
                               then->onGround ? "on the ground" : "flying", then->altitudeFt, f.sample.altitudeFt);
    }
    return std::nullopt;
}

Verdict neverOnTheGround(const Played& p) {
    for (const Watched::Place& place : p.w.path)
        if (place.onGround) return fmt::format("on the ground at {:.1f} s", secondsOf(place.tick));
    return std::nullopt;
}

// Removed once its delayed stream has ended, within `withinS` of that, and
// never before: in the air its path goes on for about a minute past the
// stream's end (in case the stream comes back), then it goes.
Verdict removedAfterItsStream(const Played& p, double withinS) {
    const double ended = p.fixes.back().t + kDelayS;
    if (p.removedAtS.empty()) return fmt::format("never removed, its delayed stream ended at {:.1f} s", ended);
    const double removed = p.removedAtS.front();
    if (removed < ended || removed > ended + withinS)
        return fmt::format("removed at {:.1f} s, its delayed stream ended at {:.1f} s", removed, ended);
    return std::nullopt;
}

// Never faster over a second on the ground than `ceilingKt` (and a knot for
// the window) while its delayed stream is on the ground, outside the minute
// around the stream's take-off and landing rolls (40 kt or more on the
// ground), as scripts/ground_fidelity.py judges it by the noise-free track;
// however fast the stream taxis, the aircraft keeps to its category's pace.
Verdict taxiPace(const Played& p, double ceilingKt) {
    const realtraffic::TrackPath& truth = *p.truth;
    const auto held = [&](double t) {
        realtraffic::TrackSample s = truth.at(t);
        if (t > truth.end()) s.speedKt = 0.0;  // nobody reports it any more: it stands where it ended
        return s;
    };
    std::vector<double> rolls;
    for (double t = truth.start(); t <= truth.end(); t += 1.0) {
        const realtraffic::TrackSample s = truth.at(t);
        if (truth.onGround(s) && s.speedKt >= 40.0) rolls.push_back(t);
    }
    constexpr std::size_t kWindow = 100;
    double fastest = 0.0;
    std::string when;
    for (std::size_t k = kWindow; k < p.w.path.size(); ++k) {
        const Watched::Place& from = p.w.path[k - kWindow];
        const Watched::Place& to = p.w.path[k];
        if (to.tick - from.tick != static_cast<std::int32_t>(kWindow)) continue;
        const double kt = metresBetween(from.at, to.at) / kMetersPerNm * 3600.0;
        if (kt <= ceilingKt + 1.0 || kt <= fastest) continue;
        bool onGround = true;
        for (std::size_t j = k - kWindow; j <= k; ++j) onGround = onGround && p.w.path[j].onGround;
        if (!onGround) continue;
        const double delayed = secondsOf(from.tick) / 2.0 + secondsOf(to.tick) / 2.0 - kDelayS;
        bool taxiing = true;
        for (const double d : {-1.0, 0.0, 1.0}) {
            const realtraffic::TrackSample s = held(delayed + d);
            taxiing = taxiing && truth.onGround(s);
        }
        const bool nearARoll =
            std::any_of(rolls.begin(), rolls.end(), [&](double t) { return std::fabs(t - delayed) <= 30.0; });
        if (!taxiing || nearARoll) continue;
        fastest = kt;
        when = fmt::format("{:.0f} kt at {:.1f} s, {}, its delayed stream at {:.0f} kt", kt, secondsOf(to.tick),
                           gf_phaseName(to.phase), held(delayed).speedKt);
    }
    if (fastest == 0.0) return std::nullopt;
    return when;
}

// On the ground its nose (its tail when pushed back) within `mostDeg` of
// the way it moves, over each stretch of 3 m it covers at 1 m/s or more:
// the heading half way against the chord, as the stand-in simulator judges
// a slide.
Verdict noSlide(const Played& p, double mostDeg) {
    const std::vector<Watched::Place>& path = p.w.path;
    const auto pushed = [](const Watched::Place& place) {
        return place.phase == AcPhase::pushing_back || place.reversing;
    };
    double worst = 0.0;
    std::string when;
    std::size_t i = 0;
    while (i < path.size()) {
        std::size_t j = i + 1;
        while (j < path.size() && path[j].tick == path[j - 1].tick + 1 && path[j].onGround &&
               metresBetween(path[i].at, path[j].at) < 3.0)
            ++j;
        if (j >= path.size()) break;
        // (Pushed or not, the same way along the whole stretch.)
        const bool stretch = path[i].onGround && path[j].onGround &&
                             path[j].tick - path[i].tick == static_cast<std::int32_t>(j - i) &&
                             metresBetween(path[i].at, path[j].at) >= 3.0 &&
                             pushed(path[i]) == pushed(path[j]);
        const double seconds = secondsOf(path[j].tick - path[i].tick);
        if (stretch && metresBetween(path[i].at, path[j].at) > seconds) {
            const auto facing = [&](const Watched::Place& place) {
                return pushed(place) ? place.heading + kPi : place.heading;
            };
            const double heading = facing(path[i]) + gf_normaliseRad(facing(path[j]) - facing(path[i])) / 2.0;
            const double off = std::fabs(gf_normaliseRad(gf_bearingRad(path[i].at, path[j].at) - heading)) * kRadToDeg;
            if (off > mostDeg && off > worst) {
                worst = off;
                when = fmt::format("{:.0f} deg off from {:.1f} to {:.1f} s, {}", off, secondsOf(path[i].tick),
                                   secondsOf(path[j].tick), gf_phaseName(path[j].phase));
            }
        }
        i = j;
    }
    if (worst == 0.0) return std::nullopt;
    return when;
}

// After a stream that ended on the ground, once the delayed clock has passed
// its end, never higher than 20 ft above the lowest it stood.
Verdict staysDown(const Played& p) {
    if (p.fixes.back().sample.airborne != 0 || p.w.path.empty()) return std::nullopt;
    const double end = p.fixes.back().t + kDelayS;
    double floor = 1e9;
    for (const Watched::Place& place : p.w.path)
        if (place.onGround) floor = std::min(floor, place.altitudeFt);
    for (const Watched::Place& place : p.w.path)
        if (secondsOf(place.tick) > end && place.altitudeFt > floor + 20.0)
            return fmt::format("{:.0f} ft above where it stood at {:.1f} s ({}), its delayed stream ended on the "
                               "ground at {:.1f} s",
                               place.altitudeFt - floor, secondsOf(place.tick), gf_phaseName(place.phase), end);
    return std::nullopt;
}

class DemoTracks : public ground_test::GroundTest {
protected:
    ~DemoTracks() override {
        testing_support::stopAcceptingTraffic();
        gf_setTrafficRefPos({0.0, 0.0});
        g_trafficTime = 0.0;
        g_shownQnh = kDefaultQnh;
        g_userOnGround = false;
        g_userHalfSpan = 0.0;
        g_userHalfSpanSet = false;
        gf_clearStands();
    }

    // The program at Schiphol as in the demo: the data set's data base, the
    // park airport's stands read as its stand file is read, the user's A320
    // on H3, the traffic reader taking traffic around it.
    void atSchiphol() {
        namespace fs = std::filesystem;
        fs::create_directories(g_inputFolder);
        fs::copy_file(testing_support::dataSetFile("dbase.enc"), g_dbaseEncPath, fs::copy_options::overwrite_existing);
        gf_clearReferenceData();
        ASSERT_TRUE(gf_readDbase());

        g_parkAirport.code = AirportCode("EHAM");
        g_parkAirport.code3 = ShortAirportCode("AMS");
        g_parkAirport.latitude = 52.3086;
        g_parkAirport.longitude = 4.7639;
        g_parkAirport.altitude = static_cast<float>(kFieldElevationFt);
        g_parkAirportElevation = static_cast<float>(kFieldElevationFt);
        gf_clearStands();
        pugi::xml_document document;
        ASSERT_TRUE(document.load_file(testing_support::sourceFile("data/stands/EHAM.xml").c_str()));
        lf_readStands(document);
        lf_numberAndLinkStands();
        ASSERT_GT(g_stands.size(), 100u);
        g_airportFileRead = true;
        g_engineServices.findStandNear = gf_findStandNear;
        g_engineServices.standNameAt = gf_standNameAt;
        // Any type gets a livery: which one is the livery tests' concern.
        g_engineServices.matchLiveryLive = [this](LiveAc& aircraft) {
            const std::string model(gf_modelCodeText(aircraft.modelKey.modelId));
            auto found = liveries.find(model);
            if (found == liveries.end()) found = liveries.emplace(model, model + " demo livery").first;
            aircraft.liveryTitle = found->second;
        };

        user = UserState{};
        user.lat = kUserLat;
        user.lon = kUserLon;
        user.altitudeFt = kFieldElevationFt;
        user.heading = kUserHeadingDeg * kDegToRad;
        g_userRef = user;
        g_userOnGround = true;
        g_userHalfSpan = hwsp(gf_modelId("A320"));
        g_userHalfSpanSet = true;

        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
        testing_support::acceptTrafficAtEham();
        gf_setTrafficRefPos({kUserLat, kUserLon});
    }

    struct Timed {
        double offset;
        std::string text;
        bool qnh;
    };

    // The datagrams the stand-in RealTraffic sends for the scenario, in its
    // order: the QNH every 10 s, the traffic (as a real feed reports it with
    // the seed, if given) stamped with the replay's clock.
    static std::vector<Timed> datagramsOf(const realtraffic::Scenario& scenario, std::optional<std::uint32_t> seed) {
        std::vector<realtraffic::TimedDatagram> traffic;
        if (seed) {
            realtraffic::RealFeedOptions options;
            options.seed = *seed;
            traffic = realtraffic::expandRealFeed(scenario, options);
        } else {
            traffic = realtraffic::expandScenario(scenario);
        }
        std::vector<Timed> out;
        out.push_back({0.0, realtraffic::primerDatagram(kStartUnixS), false});
        for (const auto& q : realtraffic::qnhSchedule(scenario, traffic.back().offset, 10.0))
            out.push_back({q.offset, q.text, true});
        for (const auto& d : traffic)
            out.push_back({d.offset, realtraffic::withTimestamp(d.text, kStartUnixS + d.offset), false});
        std::stable_sort(out.begin(), out.end(), [](const Timed& a, const Timed& b) {
            return a.offset < b.offset || (a.offset == b.offset && a.qnh && !b.qnh);
        });
        return out;
    }

    // Sends each datagram through the traffic reader at its time and runs
    // the engine tick by tick until `runS` on the replay's clock, with the
    // user-clearance job of the run loop once a second; watches every
    // aircraft of the scenario.
    std::vector<Played> play(const realtraffic::Scenario& scenario, const std::vector<Timed>& datagrams, double runS) {
        std::vector<Played> played(scenario.tracks.size());
        std::map<std::uint32_t, std::size_t> byHexId;
        for (std::size_t k = 0; k < scenario.tracks.size(); ++k) {
            played[k].track = &scenario.tracks[k];
            played[k].truth.emplace(scenario.tracks[k], scenario.fieldElevationFt);
            byHexId[scenario.tracks[k].hexId] = k;
        }
        QnhState qnh;
        std::size_t next = 0;
        const auto lastTick = static_cast<std::int32_t>(runS * 100.0);
        while (g_tick.load() < lastTick) {
            const std::int32_t now = g_tick.load();
            for (; next < datagrams.size() && datagrams[next].offset * 100.0 <= now; ++next) {
                const Timed& d = datagrams[next];
                if (d.qnh) {
                    lf_onQnhData(qnh, d.text);
                    continue;
                }
                if (lf_onTrafficData(g_trafficFeed, d.text) != LineVerdict::queued) continue;
                const std::lock_guard lock(g_addingStackMutex);
                const StreamRecord& record = g_addingStack.back();
                const auto k = byHexId.find(record.hexId);
                if (k != byHexId.end()) played[k->second].fixes.push_back({d.offset, record.sample});
            }
            clock100ns = static_cast<std::int64_t>(kStartUnixS * 1e7) + static_cast<std::int64_t>(now) * 100000;
            const std::size_t cgAsked = staticCgRequests.size();
            tick();
            for (std::size_t k = cgAsked; k < staticCgRequests.size(); ++k)
                gf_pushAcEvent({staticCgRequests[k], 0, 0, AcEventKind::staticCgAndPitch, 9.0, 0.0});
            if (now % 100 == 0 && COLLISION_USER_GND.value) gf_clearUserWayGround();
            for (Played& p : played) {
                const LiveAc* ac = live(p.track->hexId);
                if (ac != nullptr && ac->lifeState == AcLifeState::active) watch(*ac, now, p.w);
            }
        }
        for (Played& p : played) {
            const std::uint32_t hexId = p.track->hexId;
            p.w.creations = static_cast<std::size_t>(std::count_if(
                sim.created.begin(), sim.created.end(), [&](const auto& c) { return c.request.hexId == hexId; }));
            for (const auto& c : sim.created) {
                if (c.request.hexId != hexId) continue;
                for (std::size_t r = 0; r < sim.removed.size(); ++r)
                    if (sim.removed[r] == c.objectId) p.removedAtS.push_back(secondsOf(sim.removedTicks[r]));
            }
        }
        return played;
    }

    static void watch(const LiveAc& ac, std::int32_t now, Watched& w) {
        if (w.phases.empty() || w.phases.back() != ac.phase) w.phases.push_back(ac.phase);
        if (w.objects.empty() || w.objects.back() != ac.objectId) w.objects.push_back(ac.objectId);
        const bool roll = ac.landed != 0 || ac.takeOffSeen != 0 || ac.phase == AcPhase::take_off;
        w.path.push_back({now, {ac.lat, ac.lon}, ac.heading, ac.phase, ac.groundMode != 0, roll, ac.altitudeFt,
                          ac.reversing != 0});
        if (ac.landed != 0 && w.touchDownAt < 0) w.touchDownAt = now;
        if (ac.takeOffSeen != 0 && w.takeOffSeenAt < 0) w.takeOffSeenAt = now;
        w.last = {ac.lat, ac.lon};
        w.standId = ac.standId;
    }

    void trace(const Played& p) const {
        const char* wanted = std::getenv("VLNT_DEMO_TRACKS_TRACE");
        if (wanted == nullptr || p.track->callsign != wanted) return;
        for (const std::string& line : log.lines())
            if (line.find(p.track->callsign) != std::string::npos) fmt::print("{} log: {}\n", p.track->callsign, line);
        const char* every = std::getenv("VLNT_DEMO_TRACKS_EVERY");
        const int ticks = every != nullptr ? std::max(std::atoi(every), 1) : 100;
        for (const Watched::Place& place : p.w.path) {
            if (place.tick % ticks != 0) continue;
            const double delayed = secondsOf(place.tick) - kDelayS;
            const realtraffic::TrackSample s = p.truth->at(delayed);
            fmt::print("{} {:6.1f} s {:<12} ground {} roll {} {:7.0f} ft  {:.6f} {:.6f} hdg {:5.1f}  "
                       "stream {:.6f} {:.6f} {:5.0f} ft {:5.1f} kt, {:.0f} m off\n",
                       p.track->callsign, secondsOf(place.tick), gf_phaseName(place.phase), place.onGround, place.roll,
                       place.altitudeFt, place.at.lat, place.at.lon, place.heading * kRadToDeg, s.lat, s.lon,
                       s.altitudeFt, s.speedKt, metresBetween(place.at, {s.lat, s.lon}));
        }
    }
};

// Each scenario of the demo, every aircraft in it judged by what the demo
// shows of it (tools/realtraffic/scenarios/*.txt and README.md): created in
// time, one object throughout, never faster on the ground than its category
// taxis off the runway's rolls, no climb after a stream that ended on the
// ground, and its own story: landing and parking, leaving its stand and
// taking off, standing, flying over.
TEST_F(DemoTracks, EveryAircraftOfTheDemoDoesWhatTheDemoShows) {
    using enum AcPhase;
    const std::vector<AcPhase> arrival{flying, taxi, parked};
    const std::vector<AcPhase> departure{parked, pushing_back, taxi, take_off, flying};
    const Scenario scenarios[] = {
        // A run of 830 s (VLNT_DEMO_SECONDS=830) lands KLM1234 and BAW432,
        // taxis them onto D8 and D14, and pushes KLC1671 back from E3 and
        // flies it out; within the first two minutes RYR4AB parks on D4
        // (its stream standing there from 47 s) and BEL7PA is pushed back
        // from D5; DLH9AB flies over at FL240; TRA6402's feed stops at 75 s.
        {.name = "eham_demo", .file = "eham_demo.txt", .runS = 830.0,
         .aircraft = {
             {.callsign = "KLM1234", .phases = arrival, .parksOn = "D8", .lands = true},
             {.callsign = "BAW432", .phases = arrival, .parksOn = "D14", .lands = true},
             {.callsign = "KLC1671", .phases = departure, .bornOn = "E3", .leaves = true, .takesOff = true},
             {.callsign = "DLH9AB", .flies = true},
             {.callsign = "TRA6402", .flies = true, .removedAfterItsStream = true},
             {.callsign = "RYR4AB", .phases = {taxi, parked}, .parksOn = "D4"},
             {.callsign = "BEL7PA", .phases = {parked, pushing_back, taxi}, .bornOn = "D5", .leaves = true},
         }},
        // make demo-real-feed: 820 s of the real feed with the demo's seed 1.
        // An arrival whose stream stops off its stand parks once its stream
        // has ended and it holds there: a minute after the stream stood.
        {.name = "eham_real_feed", .file = "eham_real_feed.txt", .realFeedSeed = 1, .runS = 820.0,
         .aircraft = {
             {.callsign = "AFR1240", .phases = arrival, .parksOn = "D10", .parkedWithinS = 60.0, .lands = true},
             {.callsign = "KLM642", .phases = arrival, .parksOn = "E6", .parkedWithinS = 60.0, .lands = true},
             {.callsign = "BAW431", .phases = departure, .bornOn = "D7", .leaves = true, .takesOff = true},
             {.callsign = "DLH997", .phases = departure, .bornOn = "E5", .leaves = true, .takesOff = true},
             // Towed onto E2, its stream standing there beyond the run's end.
             {.callsign = "PHBVA", .phases = {parked, pushing_back, taxi}, .bornOn = "E10", .leaves = true,
              .restsOn = "E2"},
             {.callsign = "TRA5821", .bornOn = "D12", .staysOn = true},
             {.callsign = "RYR3TK", .bornOn = "F4", .staysOn = true},
             // Its reports jumping 50 to 400 m for five minutes, one stray.
             {.callsign = "PHBXA", .bornOn = "M9", .staysOn = true},
             // The helicopter on its pad, lifting off again.
             {.callsign = "PHMAA", .phases = {flying, parked, take_off, flying}, .ceilingKt = 40.0, .parksOn = "HEL1",
              .parkedWithinS = 60.0, .lands = true},
             {.callsign = "VJT611", .phases = arrival, .parksOn = "O3", .parkedWithinS = 60.0, .lands = true},
             // Its reports dwelling at four spots by the maintenance area:
             // it stays on its stand, and the one whose stream pauses as it
             // taxis by holds there, one object each.
             {.callsign = "PHNXA", .bornOn = "J3", .staysOn = true},
             {.callsign = "TFL605", .phases = {parked, taxi}, .bornOn = "J6"},
             // The helicopter hover-taxiing a few feet up, then lifting off.
             {.callsign = "PHMAB", .phases = {taxi, take_off, flying}, .ceilingKt = 40.0, .takesOff = true},
         }},
    };
    for (const Scenario& c : scenarios) {
        SCOPED_TRACE(c.name);
        freshEngine();
        ASSERT_NO_FATAL_FAILURE(atSchiphol());
        const realtraffic::Scenario scenario = realtraffic::loadScenario(
            testing_support::sourceFile(std::string("tools/realtraffic/scenarios/") + c.file));
        const std::vector<Played> played = play(scenario, datagramsOf(scenario, c.realFeedSeed), c.runS);
        ASSERT_EQ(played.size(), c.aircraft.size()) << "an expectation for every aircraft of the scenario";
        for (const Expected& e : c.aircraft) {
            const auto found = std::find_if(played.begin(), played.end(),
                                            [&](const Played& p) { return p.track->callsign == e.callsign; });
            ASSERT_NE(found, played.end()) << e.callsign << " is no aircraft of " << c.file;
            const Played& p = *found;
            trace(p);
            const auto judge = [&](const char* rule, const Verdict& broken) {
                if (broken) ADD_FAILURE() << c.name << ": " << e.callsign << ": " << rule << ": " << *broken;
            };
            ASSERT_FALSE(p.fixes.empty()) << e.callsign << ": the reader took none of its records";
            judge("created", createdInTime(p, 10.0));
            if (p.w.path.empty()) continue;
            judge("one object throughout", ground_test::oneObject(p.w));
            judge(fmt::format("never faster on the ground than {:.0f} kt off the runway's rolls", e.ceilingKt).c_str(),
                  taxiPace(p, e.ceilingKt));
            judge("no climb after its stream ended on the ground", staysDown(p));
            // (A helicopter hover-taxies sideways as it likes.)
            if (e.ceilingKt <= 30.0)
                judge("no slide: its nose (its tail when pushed) within 30 degrees of the way it moves",
                      noSlide(p, 30.0));
            if (!e.phases.empty()) judge("its phases", phasesInOrder(p, e.phases));
            if (e.bornOn) judge(fmt::format("created parked on {}", e.bornOn).c_str(), bornOn(p, e.bornOn));
            if (e.bornOn && e.leaves) judge(fmt::format("pushed back from {}", e.bornOn).c_str(), leaves(p, e.bornOn));
            if (e.bornOn && e.staysOn) judge(fmt::format("stays on {}", e.bornOn).c_str(), staysOn(p, e.bornOn));
            if (e.lands) judge("landed after its final", lands(p, 10.0));
            if (e.parksOn)
                judge(fmt::format("parked on {}", e.parksOn).c_str(), parksOn(p, e.parksOn, e.parkedWithinS));
            if (e.restsOn) judge(fmt::format("standing on {}", e.restsOn).c_str(), restsOn(p, e.restsOn));
            if (e.takesOff) {
                judge("took off with its delayed stream", liftsOff(p, 10.0));
                judge("climbing away with its stream", fliesWithItsStream(p, 30.0, 1000.0, c.runS));
            }
            if (e.flies) {
                judge("in the air throughout", neverOnTheGround(p));
                judge("flying with its stream", fliesWithItsStream(p, 30.0, 1000.0, c.runS));
            }
            if (e.removedAfterItsStream) judge("removed after its stream stopped", removedAfterItsStream(p, 75.0));
        }
    }
}

}  // namespace
