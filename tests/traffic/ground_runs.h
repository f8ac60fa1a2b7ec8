// Whole ground movements through the engine, tick by tick, over the
// synthetic apron of ground_fixture.h: routes built leg by leg (the truth of
// where an aircraft is), the records a clean or a real feed makes of them,
// the run that feeds them at their times and watches the aircraft, and the
// judges of how faithfully it moved.
#pragma once

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ground_fixture.h"
#include "replayed_track.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/stand_parking.h"

namespace ground_test {

using engine_test::Fix;
using engine_test::kFieldElevationFt;
using engine_test::offTrackMetres;

// A point of a route: seconds from the first record, metres north and east
// of stand S1, height above the field (none: on the ground), ground speed,
// and the heading the stream reports (none: the track).
struct Waypoint {
    double t;
    double northM, eastM;
    std::optional<double> aboveFieldFt;
    double speedKt;
    std::optional<double> headingDeg = std::nullopt;
};

inline GeoPoint pointAt(double northM, double eastM) {
    const GeoPoint s1{engine_test::kFieldLat, engine_test::kFieldLon};
    return moved(moved(s1, 0.0, northM), 90.0, eastM);
}

// The seconds to the next record: every 6 s in the air (no sooner than
// 450 m plus a second above 120 kt); on the ground every 3 s, up to 30 kt
// no sooner than 20 m of travel (at most 15 s) plus a second, 16 s standing.
inline double recordGap(bool airborne, double speedKt) {
    const double metresPerSecond = speedKt * kMetersPerNm / 3600.0;
    if (airborne) return speedKt > 120.0 ? std::max(6.0, 450.0 / metresPerSecond + 1.0) : 6.0;
    if (speedKt < 0.5) return 16.0;
    if (speedKt > 30.0) return 3.0;
    return std::max(3.0, std::min(20.0 / metresPerSecond, 15.0) + 1.0);
}

// The aircraft on the route at a time: straight between the waypoints.
inline PosSample truthAt(const std::vector<Waypoint>& route, double t) {
    std::size_t i = 0;
    while (i + 2 < route.size() && route[i + 1].t <= t) ++i;
    const Waypoint& a = route[i];
    const Waypoint& b = route[i + 1];
    const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
    // The way covered as the speed changes evenly from a's to b's, as a real
    // stream's positions show it (its speed fields and positions agree).
    const double covered = a.speedKt + b.speedKt > 0.0
                               ? (a.speedKt * f + 0.5 * (b.speedKt - a.speedKt) * f * f) / (0.5 * (a.speedKt + b.speedKt))
                               : f;
    const GeoPoint at =
        pointAt(a.northM + (b.northM - a.northM) * covered, a.eastM + (b.eastM - a.eastM) * covered);
    PosSample s;
    s.lat = at.lat;
    s.lon = at.lon;
    s.groundSpeedKt = s.trueAirspeedKt = a.speedKt + (b.speedKt - a.speedKt) * f;
    const double above = a.aboveFieldFt ? *a.aboveFieldFt + (b.aboveFieldFt.value_or(0.0) - *a.aboveFieldFt) * f
                                        : b.aboveFieldFt.value_or(0.0) * f;
    if (above > 0.0) {
        s.altitudeFt = kFieldElevationFt + above;
        s.verticalSpeed = (b.aboveFieldFt.value_or(0.0) - a.aboveFieldFt.value_or(0.0)) / (b.t - a.t) * 60.0;
        s.airborne = 1;
    }
    const bool moving = a.northM != b.northM || a.eastM != b.eastM;
    const double trackDeg =
        moving ? gf_bearingRad(pointAt(a.northM, a.eastM), pointAt(b.northM, b.eastM)) * kRadToDeg : 0.0;
    s.trackDeg = a.headingDeg.value_or(trackDeg);
    if (a.headingDeg) s.trueHeading = *a.headingDeg * kDegToRad;
    return s;
}

inline std::vector<Fix> fixesAlong(const std::vector<Waypoint>& route) {
    std::vector<Fix> fixes;
    for (double t = route.front().t; t <= route.back().t + 1e-9;) {
        const PosSample s = truthAt(route, t);
        fixes.push_back({t, s});
        t += recordGap(s.airborne != 0, s.groundSpeedKt);
    }
    return fixes;
}

// Builds a route leg by leg, timing each leg by its length and the mean of
// its end speeds; taxi corners are arcs, as a real stream shows them.
class Route {
public:
    Route(double northM, double eastM, std::optional<double> aboveFieldFt, double speedKt,
          std::optional<double> headingDeg = std::nullopt) {
        points_.push_back({0.0, northM, eastM, aboveFieldFt, speedKt, headingDeg});
    }
    Route& to(double northM, double eastM, std::optional<double> aboveFieldFt, double speedKt,
              std::optional<double> headingDeg = std::nullopt) {
        const Waypoint& from = points_.back();
        const double metres = std::hypot(northM - from.northM, eastM - from.eastM);
        const double meanKt = std::max((from.speedKt + speedKt) / 2.0, 1.0);
        points_.push_back({from.t + metres / (meanKt * kMetersPerNm / 3600.0), northM, eastM, aboveFieldFt,
                           speedKt, headingDeg});
        return *this;
    }
    // Round a corner: along a circle about the centre, from where the route
    // stands to the bearing (degrees, from the centre), on the ground.
    Route& arc(double centreNorthM, double centreEastM, double toBearingDeg, double speedKt) {
        const Waypoint& from = points_.back();
        const double radius = std::hypot(from.northM - centreNorthM, from.eastM - centreEastM);
        const double startDeg = std::atan2(from.eastM - centreEastM, from.northM - centreNorthM) * kRadToDeg;
        const double sweep = gf_normaliseRad((toBearingDeg - startDeg) * kDegToRad) * kRadToDeg;
        for (int k = 1; k <= 6; ++k) {
            const double b = (startDeg + sweep * k / 6.0) * kDegToRad;
            to(centreNorthM + radius * std::cos(b), centreEastM + radius * std::sin(b), std::nullopt, speedKt);
        }
        return *this;
    }
    Route& stand(double seconds, std::optional<double> headingDeg = std::nullopt) {
        Waypoint still = points_.back();
        still.t += 0.1;
        still.speedKt = 0.0;
        still.headingDeg = headingDeg;
        points_.push_back(still);
        standing_.emplace_back(still.t, still.t + seconds);
        still.t += seconds;
        points_.push_back(still);
        return *this;
    }
    // The feed goes quiet `afterS` seconds after the last waypoint (before it
    // when negative), for `seconds`; its last report before may be flagged airborne.
    Route& pause(double afterS, double seconds, bool flippedBefore = false) {
        pauses_.emplace_back(points_.back().t + afterS, seconds);
        if (flippedBefore) flipsBefore_.push_back(points_.back().t + afterS);
        return *this;
    }
    const std::vector<Waypoint>& points() const { return points_; }
    // Where the aircraft stands still: from and to (s).
    const std::vector<std::pair<double, double>>& standing() const { return standing_; }
    const std::vector<std::pair<double, double>>& pauses() const { return pauses_; }
    const std::vector<double>& flipsBefore() const { return flipsBefore_; }

private:
    std::vector<Waypoint> points_;
    std::vector<std::pair<double, double>> standing_;
    std::vector<std::pair<double, double>> pauses_;
    std::vector<double> flipsBefore_;
};

// What one aircraft did, tick by tick.
struct Watched {
    std::vector<AcPhase> phases;  // each phase once, in the order reached
    std::vector<std::uint32_t> objects;  // each object the aircraft had, in order
    std::size_t creations = 0;           // every creation sent for it over the whole run
    std::int32_t touchDownAt = -1, turnedOffAt = -1, takeOffSeenAt = -1;
    double largestOffTrackOnGround = 0.0;  // m, taxiing
    int groundTicks = 0, slidingTicks = 0;
    double largestOffHeadingDeg = 0.0;  // between the heading and the track while moving
    std::string firstSlide;
    GeoPoint last;
    std::int32_t standId = 0;
    struct Place {
        std::int32_t tick;
        GeoPoint at;
        double heading;
        AcPhase phase;
        bool onGround;
        bool roll;  // on the runway's take-off or landing roll (or lifting off)
        double altitudeFt;
        bool reversing = false;  // taxiing tail first, pushed or towed back
        std::optional<GeoPoint> stand;  // the stand it drives onto or stands on, parking or parked
    };
    std::vector<Place> path;  // every tick while active
};

class GroundRuns : public GroundTest {
protected:
    // With VLNT_GROUND_TRACE set, the aircraft's life states before it is active.
    bool traceStates_ = std::getenv("VLNT_GROUND_TRACE") != nullptr;
    GroundRuns() {
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
    }

    // One aircraft's stream the run feeds: its identity and its records.
    struct Stream {
        engine_test::Rec identity;
        const std::vector<Fix>* fixes;
    };

    // Feeds the fixes at their times (due 30 s later) and watches the
    // aircraft until `lastTick` or until `done` says so.
    template <class Done>
    Watched run(engine_test::Rec identity, const std::vector<Fix>& fixes, std::int32_t lastTick, Done done) {
        return runAll({Stream{std::move(identity), &fixes}}, lastTick, done).front();
    }

    // Feeds several aircraft's streams side by side and watches each, until
    // `lastTick` or until `done` says so of the first one.
    template <class Done>
    std::vector<Watched> runAll(std::vector<Stream> streams, std::int32_t lastTick, Done done) {
        std::vector<Watched> watched(streams.size());
        std::vector<std::size_t> next(streams.size(), 0);
        std::vector<std::optional<LiveAc>> before(streams.size());
        while (g_tick.load() < lastTick) {
            const std::int32_t now = g_tick.load();
            for (std::size_t k = 0; k < streams.size(); ++k) {
                Stream& stream = streams[k];
                const std::vector<Fix>& fixes = *stream.fixes;
                while (next[k] < fixes.size() && fixes[next[k]].t * 100.0 <= now) {
                    stream.identity.timestamp = 1000.0 + fixes[next[k]].t;
                    StreamRecord record = engine_test::makeRecord(stream.identity);
                    record.sample = fixes[next[k]].sample;
                    record.sample.dueTick = now + 3000;
                    const std::lock_guard lock(g_addingStackMutex);
                    g_addingStack.push_back(std::move(record));
                    ++next[k];
                }
            }
            const std::size_t cgAsked = staticCgRequests.size();
            tick();
            for (std::size_t k = cgAsked; k < staticCgRequests.size(); ++k)
                gf_pushAcEvent({staticCgRequests[k], 0, 0, AcEventKind::staticCgAndPitch, 9.0, 0.0});
            bool finished = false;
            for (std::size_t k = 0; k < streams.size(); ++k) {
                const LiveAc* ac = live(streams[k].identity.hexId);
                if (traceStates_ && ac != nullptr && ac->lifeState != AcLifeState::active && now % 50 == 0)
                    fmt::print("state t={:.1f} {} {} {} samples {} queued {} taken {}\n", now / 100.0,
                               streams[k].identity.callsign, gf_lifeStateName(ac->lifeState), gf_phaseName(ac->phase),
                               ac->samples.size(), ac->reportGate.queued.size(), ac->reportGate.taken.size());
                if (ac == nullptr || ac->lifeState != AcLifeState::active) continue;
                note(*ac, before[k] ? &*before[k] : nullptr, now, *streams[k].fixes, watched[k]);
                before[k] = *ac;
                if (k == 0 && done(*ac)) finished = true;
            }
            if (finished) break;
        }
        for (std::size_t k = 0; k < streams.size(); ++k) {
            const std::uint32_t hexId = streams[k].identity.hexId;
            watched[k].creations = static_cast<std::size_t>(std::count_if(
                sim.created.begin(), sim.created.end(), [&](const auto& c) { return c.request.hexId == hexId; }));
        }
        return watched;
    }

    // The heading follows the track: off it by no more than the taxi
    // tolerance (3 degrees, 0.5 more for the dead band), or turning towards
    // it at the turn rate; and never faster than the turn rate, or than
    // twice the category's rate while the nose is far off the way.
    static void note(const LiveAc& ac, const LiveAc* before, std::int32_t now, const std::vector<Fix>& fixes,
                     Watched& w) {
        if (w.phases.empty() || w.phases.back() != ac.phase) w.phases.push_back(ac.phase);
        if (w.objects.empty() || w.objects.back() != ac.objectId) w.objects.push_back(ac.objectId);
        const bool roll = ac.landed != 0 || ac.takeOffSeen != 0 || ac.phase == AcPhase::take_off;
        const bool onAStand = ac.phase == AcPhase::parking || ac.phase == AcPhase::parked;
        w.path.push_back({now, {ac.lat, ac.lon}, ac.heading, ac.phase, ac.groundMode != 0, roll, ac.altitudeFt,
                          ac.reversing != 0,
                          onAStand ? std::optional<GeoPoint>(GeoPoint{ac.standLat, ac.standLon}) : std::nullopt});
        if (ac.landed != 0 && w.touchDownAt < 0) w.touchDownAt = now;
        if (w.touchDownAt >= 0 && ac.landed == 0 && w.turnedOffAt < 0) w.turnedOffAt = now;
        if (ac.takeOffSeen != 0 && w.takeOffSeenAt < 0) w.takeOffSeenAt = now;
        w.last = {ac.lat, ac.lon};
        w.standId = ac.standId;
        if (before == nullptr || ac.groundMode == 0 || before->groundMode == 0) return;
        ++w.groundTicks;
        if (ac.phase == AcPhase::taxi)
            w.largestOffTrackOnGround = std::max(w.largestOffTrackOnGround, offTrackMetres(w.last.lat, w.last.lon, fixes));
        const double turned = gf_normaliseRad(ac.heading - before->heading);
        // A nose far off the way turns faster: at twice the category's rate
        // where the aircraft stands for it.
        const double rate = std::max(ac.turnRate, 2.0 * ac.turnRateBase);
        EXPECT_LE(std::fabs(turned), rate + 1e-9) << "tick " << now;
        const GeoPoint from{before->lat, before->lon};
        if (metresBetween(from, w.last) < 0.02) return;
        const double track = gf_bearingRad(from, w.last);
        const double facing = ac.phase == AcPhase::pushing_back ? gf_wrapHeading(ac.heading + kPi) : ac.heading;
        const double off = gf_normaliseRad(track - facing);
        w.largestOffHeadingDeg = std::max(w.largestOffHeadingDeg, std::fabs(off) * kRadToDeg);
        const bool following = std::fabs(off) <= 3.5 * kDegToRad;
        const bool turningTowards = std::fabs(turned) >= 0.99 * ac.turnRate && turned * off > 0.0;
        if (following || turningTowards) return;
        if (w.slidingTicks++ == 0)
            w.firstSlide = fmt::format("tick {} phase {} off {:.1f} deg turned {:.3f} deg", now,
                                       gf_phaseName(ac.phase), off * kRadToDeg, turned * kRadToDeg);
    }
};

// How an aircraft kept to a real feed of its route on the ground.
struct Faithful {
    double largestSlideDeg = 0.0;  // nose (tail when pushed) against the way it moved faster than 1 m/s
    std::string worstSlide;
    double medianM = 0.0, p95M = 0.0;  // from the delayed stream, off the stands
    double largestStandingMoveM = 0.0;  // while the delayed route stood still a minute or more
    std::string worstStanding;
    double pivotOnStandDeg = 0.0;       // turned in its last metre onto the stand it parked on
    std::optional<double> parkedOffDeg;  // its heading against the stand's when it parked
};

inline double secondsOf(std::int32_t tick) { return tick / 100.0; }

// A place of the path `seconds` into the run, the first one after it.
inline const Watched::Place* placeAt(const Watched& w, double seconds) {
    for (const Watched::Place& p : w.path)
        if (secondsOf(p.tick) >= seconds) return &p;
    return nullptr;
}

// Whether the stream said anything about the time: not inside a pause of
// more than a minute, over which a straight line is no one's position.
inline bool heard(const std::vector<Fix>& fixes, double t) {
    const auto after = std::upper_bound(fixes.begin(), fixes.end(), t, [](double v, const Fix& f) { return v < f.t; });
    return after == fixes.begin() || after == fixes.end() || after->t - std::prev(after)->t <= 60.0;
}

// The nose against the way it moves, tick by tick, and how far the aircraft
// lies from the delayed stream while it is not on a stand.
inline void judgeMotion(const Watched& w, const std::vector<Fix>& fixes, Faithful& f) {
    std::vector<double> offStream;
    for (std::size_t k = 0; k < w.path.size(); ++k) {
        const Watched::Place& p = w.path[k];
        if (!p.onGround) continue;
        const double delayed = secondsOf(p.tick) - 30.0;
        if (p.phase != AcPhase::parked && p.phase != AcPhase::parking && delayed >= fixes.front().t &&
            heard(fixes, delayed))
            offStream.push_back(metresBetween(p.at, engine_test::streamAt(fixes, delayed)));
        if (k == 0 || w.path[k - 1].tick + 1 != p.tick || !w.path[k - 1].onGround) continue;
        const Watched::Place& before = w.path[k - 1];
        if (metresBetween(before.at, p.at) <= 0.01) continue;  // 1 m/s
        const double facing = p.phase == AcPhase::pushing_back || p.reversing ? p.heading + kPi : p.heading;
        const double off = std::fabs(gf_normaliseRad(gf_bearingRad(before.at, p.at) - facing)) * kRadToDeg;
        if (off > f.largestSlideDeg) {
            f.largestSlideDeg = off;
            f.worstSlide = fmt::format("at {:.2f} s, {}", secondsOf(p.tick), gf_phaseName(p.phase));
        }
    }
    f.medianM = engine_test::percentile(offStream, 0.5);
    f.p95M = engine_test::percentile(offStream, 0.95);
}

// Standing still while the delayed route stands, and coming round onto the
// stand on the way in rather than on it.
inline void judgeStops(const Watched& w, const Route& route, const GeoPoint& stand, double standHeadingDeg,
                Faithful& f) {
    for (const auto& [from, to] : route.standing()) {
        if (to - from < 60.0) continue;
        // Settled a minute on (the stream's first standing report may come 15 s
        // after the stop, and is due 30 s later) or, for an arrival driving
        // onto its stand then, once parked.
        const Watched::Place* settled = placeAt(w, from + 60.0);
        for (const Watched::Place* p = settled; p != nullptr && p <= &w.path.back() && secondsOf(p->tick) <= to; ++p) {
            if (p->phase != AcPhase::parked) continue;
            if (p != settled && (p - 1)->phase != AcPhase::parked) settled = p;
            break;
        }
        for (const Watched::Place& p : w.path)
            if (settled != nullptr && p.tick >= settled->tick && secondsOf(p.tick) <= to + 15.0 &&
                metresBetween(settled->at, p.at) > f.largestStandingMoveM) {
                f.largestStandingMoveM = metresBetween(settled->at, p.at);
                f.worstStanding = fmt::format("standing {:.0f} to {:.0f} s, at {:.2f} s", from, to, secondsOf(p.tick));
            }
    }
    std::optional<double> onStandHeading;
    for (const Watched::Place& p : w.path) {
        if (p.phase == AcPhase::parking && metresBetween(p.at, stand) < 1.0) {
            if (!onStandHeading) onStandHeading = p.heading;
            f.pivotOnStandDeg = std::max(f.pivotOnStandDeg, gf_headingDifferenceDeg(*onStandHeading, p.heading));
        }
        if (p.phase == AcPhase::parked && onStandHeading && !f.parkedOffDeg)
            f.parkedOffDeg = gf_headingDifferenceDeg(standHeadingDeg * kDegToRad, p.heading);
    }
}


// The runway of the synthetic apron lies 600 m south of the stands: on it
// an aircraft rolls for its take-off or out after its landing.
inline constexpr double kRunwayNorthM = -600.0;

inline double metresOffTheRunway(const GeoPoint& at) {
    return std::max(std::fabs((at.lat - engine_test::kFieldLat) * kMetresPerDegreeLat - kRunwayNorthM) - 40.0, 0.0);
}
// Within this of the runway an aircraft enters it or leaves it.
inline constexpr double kRunwayApproachM = 60.0;

inline bool onTheRunway(const GeoPoint& at) {
    return std::fabs((at.lat - engine_test::kFieldLat) * kMetresPerDegreeLat - kRunwayNorthM) <= 40.0;
}

// The fastest the aircraft covered ground (kt), over each half second on the
// ground: on the runway's roll (rolling out or for a take-off, or on the
// runway at all) and elsewhere, and when.
struct GroundPace {
    double taxiKt = 0.0, rollKt = 0.0;
    std::string whenTaxi, whenRoll;
};

inline GroundPace groundPace(const Watched& w) {
    constexpr std::size_t kWindow = 50;
    GroundPace pace;
    for (std::size_t k = kWindow; k < w.path.size(); ++k) {
        const Watched::Place& from = w.path[k - kWindow];
        const Watched::Place& to = w.path[k];
        if (to.tick - from.tick != static_cast<std::int32_t>(kWindow)) continue;
        bool onGround = true, roll = false;
        for (std::size_t j = k - kWindow; j <= k; ++j) {
            onGround = onGround && w.path[j].onGround;
            roll = roll || w.path[j].roll || onTheRunway(w.path[j].at);
        }
        if (!onGround) continue;
        const double kt = metresBetween(from.at, to.at) / kMetersPerNm * 3600.0 / (kWindow / 100.0);
        double& fastest = roll ? pace.rollKt : pace.taxiKt;
        if (kt > fastest) {
            fastest = kt;
            (roll ? pace.whenRoll : pace.whenTaxi) =
                fmt::format("{:.0f} kt at {:.2f} s, {}", kt, secondsOf(to.tick), gf_phaseName(to.phase));
        }
    }
    return pace;
}

// How the aircraft left the place it stood at `standingS` seconds into the
// run: the last moment it stood (moved less than 0.25 m in half a second)
// before it lay 20 m from there, and when it did. None when it never did.
struct Leaving {
    double startS, twentyMetresS;
};

inline std::optional<Leaving> leftAt(const Watched& w, double standingS) {
    const Watched::Place* standing = placeAt(w, standingS);
    if (standing == nullptr) return std::nullopt;
    const auto first = w.path.begin() + (standing - w.path.data());
    const auto away = std::find_if(first, w.path.end(), [&](const Watched::Place& p) {
        return metresBetween(standing->at, p.at) >= 20.0;
    });
    if (away == w.path.end()) return std::nullopt;
    auto p = away;
    while (p - first >= 50 && metresBetween((p - 50)->at, p->at) >= 0.25) --p;
    return Leaving{secondsOf(p->tick), secondsOf(away->tick)};
}

// When the route is 20 m from where it stood until `standingToS`.
inline double routeTwentyMetresOn(const Route& route, double standingToS) {
    const GeoPoint hold = gf_samplePoint(truthAt(route.points(), standingToS));
    double t = standingToS;
    while (t < route.points().back().t && metresBetween(hold, gf_samplePoint(truthAt(route.points(), t))) < 20.0)
        t += 0.01;
    return t;
}

// The records of a clean stream along the route, none during its pauses.
inline std::vector<Fix> cleanFeed(const Route& route) {
    std::vector<Fix> fixes = fixesAlong(route.points());
    std::erase_if(fixes, [&](const Fix& f) {
        return std::any_of(route.pauses().begin(), route.pauses().end(),
                           [&](const auto& p) { return f.t >= p.first && f.t < p.first + p.second; });
    });
    return fixes;
}

// The highest the aircraft rose above the field once the delayed stream had
// ended (its last fix due 30 s after it came), in feet.
inline double heightAfterTheStream(const Watched& w, const std::vector<Fix>& fixes) {
    double highest = 0.0;
    for (const Watched::Place& p : w.path)
        if (secondsOf(p.tick) >= fixes.back().t + 30.0)
            highest = std::max(highest, p.altitudeFt - kFieldElevationFt);
    return highest;
}


// The judges of a whole run against properties every ground movement keeps,
// whatever its route and feed: each gives what it saw when broken (the
// worst value and when), nothing when kept.
using Verdict = std::optional<std::string>;

// One object for the aircraft over the whole run: created once, never
// removed and created again; none at all only where `noneDue` (a stream
// that never showed it long enough to be created, see createdInTime).
inline Verdict oneObject(const Watched& w, bool noneDue = false) {
    if (w.creations == 1 && w.objects.size() == 1) return std::nullopt;
    if (noneDue && w.creations == 0 && w.objects.empty()) return std::nullopt;
    return fmt::format("{} creations, {} objects", w.creations, w.objects.size());
}

// Whether the route rolls on the runway faster than `kt` within `slackS`
// seconds of the time (s): a take-off or landing roll, not a taxi.
inline bool routeRollsNear(const Route& route, double t, double kt, double slackS) {
    for (double u = std::max(t - slackS, 0.0); u <= std::min(t + slackS, route.points().back().t); u += 1.0) {
        const PosSample s = truthAt(route.points(), u);
        if (s.airborne == 0 && s.groundSpeedKt > kt && onTheRunway(gf_samplePoint(s))) return true;
    }
    return false;
}

// Whether the delayed feed reports the aircraft rolling on the runway
// faster than `kt` within `slackS` seconds of the time (s): its speed fields
// are all the engine knows of a roll (a stale one included).
inline bool feedRollsNear(const std::vector<Fix>& fixes, double t, double kt, double slackS) {
    return std::any_of(fixes.begin(), fixes.end(), [&](const Fix& f) {
        return std::fabs(f.t - t) <= slackS && f.sample.groundSpeedKt > kt && onTheRunway(gf_samplePoint(f.sample));
    });
}

// Off the runway's take-off and landing rolls, never faster over half a
// second than `ceilingKt`. A roll is the engine's own (rolling out, or
// taking off) or, near the runway, one the delayed route makes or the
// delayed feed reports within a minute: the aircraft lags or leads the
// delayed stream a little there, entering the runway behind a stream that
// already rolls, say.
inline Verdict taxiPace(const Watched& w, const Route& route, const std::vector<Fix>& fixes, double ceilingKt) {
    constexpr std::size_t kWindow = 50;
    double fastest = 0.0;
    std::string when;
    for (std::size_t k = kWindow; k < w.path.size(); ++k) {
        const Watched::Place& from = w.path[k - kWindow];
        const Watched::Place& to = w.path[k];
        if (to.tick - from.tick != static_cast<std::int32_t>(kWindow)) continue;
        const double kt = metresBetween(from.at, to.at) / kMetersPerNm * 3600.0 / (kWindow / 100.0);
        if (kt <= ceilingKt || kt <= fastest) continue;
        bool onGround = true, roll = false, runway = false, nearTheRunway = false;
        for (std::size_t j = k - kWindow; j <= k; ++j) {
            onGround = onGround && w.path[j].onGround;
            roll = roll || w.path[j].roll;
            runway = runway || onTheRunway(w.path[j].at);
            nearTheRunway = nearTheRunway || metresOffTheRunway(w.path[j].at) <= kRunwayApproachM;
        }
        if (!onGround || roll) continue;
        const double delayed = secondsOf(to.tick) - 30.0;
        if (runway && routeRollsNear(route, delayed, ceilingKt, 60.0)) continue;
        if (nearTheRunway && feedRollsNear(fixes, delayed, ceilingKt, 30.0)) continue;
        fastest = kt;
        when = fmt::format("{:.0f} kt at {:.1f} s, {}", kt, secondsOf(to.tick), gf_phaseName(to.phase));
    }
    if (fastest == 0.0) return std::nullopt;
    return when;
}

// After a stream that ended on the ground the aircraft stays there: never
// higher above the field than `mostFt` once the delayed stream has ended.
inline Verdict staysDown(const Watched& w, const std::vector<Fix>& fixes, double mostFt) {
    const double highest = heightAfterTheStream(w, fixes);
    if (highest <= mostFt) return std::nullopt;
    for (const Watched::Place& p : w.path)
        if (p.altitudeFt - kFieldElevationFt >= highest - 0.01 && secondsOf(p.tick) >= fixes.back().t + 30.0)
            return fmt::format("{:.0f} ft at {:.1f} s, {}", highest, secondsOf(p.tick), gf_phaseName(p.phase));
    return fmt::format("{:.0f} ft", highest);
}

// Moving faster than `leastKt` on the ground, the nose (the tail when
// pushed or towed back) within `mostDeg` of the way the aircraft moves,
// tick by tick.
inline Verdict noseAlong(const Watched& w, double leastKt, double mostDeg) {
    const double leastStepM = leastKt * kMetersPerNm / 3600.0 / 100.0;
    double worst = 0.0;
    std::string when;
    for (std::size_t k = 1; k < w.path.size(); ++k) {
        const Watched::Place& before = w.path[k - 1];
        const Watched::Place& p = w.path[k];
        if (p.tick != before.tick + 1 || !p.onGround || !before.onGround) continue;
        if (metresBetween(before.at, p.at) < leastStepM) continue;
        const double facing = p.phase == AcPhase::pushing_back || p.reversing ? p.heading + kPi : p.heading;
        const double off = std::fabs(gf_normaliseRad(gf_bearingRad(before.at, p.at) - facing)) * kRadToDeg;
        if (off > mostDeg && off > worst) {
            worst = off;
            when = fmt::format("{:.0f} deg off at {:.2f} s, {}", off, secondsOf(p.tick), gf_phaseName(p.phase));
        }
    }
    if (worst == 0.0) return std::nullopt;
    return when;
}

// Driving onto a stand: the curve round onto its axis bulges out this far.
constexpr double kOntoStandM = 10.0;

// While the stream stands (each stop of the route that the feed reports),
// the aircraft stays within `standingReachM` of where it stands (after its
// push-back, whose length and turn are the program's own, within
// `pushedReachM` of it) and turns no more
// than `mostTurnDeg` in any minute (driving onto a stand apart). It is
// judged from `settleS` after the delayed stream's first report there (not
// one of a stray or a jump),
// plus the time the aircraft then still needs to get there, up to 5 s
// before the delayed stream moves off.
inline Verdict standsWithTheStream(const Watched& w, const Route& route, const std::vector<Fix>& fixes,
                                   double ceilingKt, double settleS, double standingReachM, double mostTurnDeg,
                                   std::optional<double> pushedStandS = std::nullopt, double pushedReachM = 0.0) {
    const double end = route.points().back().t;
    for (const auto& [from, to] : route.standing()) {
        const double reachM = pushedStandS && from == *pushedStandS ? pushedReachM : standingReachM;
        // The first report there: a stray or a jump says nothing of it.
        const GeoPoint there = gf_samplePoint(truthAt(route.points(), from));
        const auto first = std::find_if(fixes.begin(), fixes.end(), [&](const Fix& f) {
            return f.t >= from && metresBetween(gf_samplePoint(f.sample), there) <= 30.0;
        });
        if (first == fixes.end() || first->t >= to) continue;
        const Watched::Place* heard = placeAt(w, first->t + 30.0);
        if (heard == nullptr) continue;
        // Behind then (after a pause, or slowed in a turn), it comes on at
        // the pace the route came (its ceiling at most, 5 kt at least).
        double cameKt = 5.0;
        for (double u = std::max(from - 120.0, 0.0); u < from; u += 1.0)
            cameKt = std::max(cameKt, std::min(truthAt(route.points(), u).groundSpeedKt, ceilingKt));
        const double catchUpS = std::min(metresBetween(heard->at, there) / (cameKt * kMetersPerNm / 3600.0), 200.0);
        const double judgedFrom = first->t + 30.0 + settleS + catchUpS;
        // It stands no longer than the last report before the move shows it
        // standing: when the move began between that one and the next, none
        // tells.
        double lastStandingT = from;
        for (const Fix& f : fixes)
            if (f.t <= to) lastStandingT = std::max(lastStandingT, f.t);
        const double judgedTo = to >= end ? 1e9 : lastStandingT + 30.0 - 5.0;
        const Watched::Place* p0 = placeAt(w, judgedFrom);
        if (p0 == nullptr || judgedTo <= judgedFrom) continue;
        const std::size_t k0 = static_cast<std::size_t>(p0 - w.path.data());
        std::size_t k1 = k0;
        while (k1 < w.path.size() && secondsOf(w.path[k1].tick) <= judgedTo) ++k1;
        // Driving onto a stand, or parked on it, the aircraft may stand as far
        // off as the stand is, when the stand lies within the program's wide
        // search of one of the stream's reports of the stop.
        std::optional<GeoPoint> lastStand;
        double lastStandReachM = reachM;
        const auto reachOf = [&](const Watched::Place& p) {
            if (!p.stand) return reachM;
            if (lastStand && metresBetween(*lastStand, *p.stand) < 0.1) return lastStandReachM;
            lastStand = p.stand;
            lastStandReachM = reachM;
            for (const Fix& f : fixes)
                if (f.t >= from && f.t < to && metresBetween(gf_samplePoint(f.sample), there) <= 30.0 &&
                    metresBetween(gf_samplePoint(f.sample), *p.stand) <= kParkWideSearchNm * kMetersPerNm + 0.5)
                    lastStandReachM = std::max(reachM, metresBetween(*p.stand, there) + kOntoStandM);
            return lastStandReachM;
        };
        double farthest = 0.0;
        std::string farWhen;
        for (std::size_t k = k0; k < k1; ++k) {
            const Watched::Place& p = w.path[k];
            const double d = metresBetween(p.at, there);
            if (d > reachOf(p) && d > farthest) {
                farthest = d;
                farWhen = fmt::format("{:.0f} m from where its stream stands ({:.0f} to {:.0f} s) at {:.1f} s, {}{}",
                                      d, from, to, secondsOf(p.tick), gf_phaseName(p.phase),
                                      p.stand ? fmt::format(" onto a stand {:.0f} m off", metresBetween(*p.stand, there))
                                              : std::string());
            }
        }
        if (!farWhen.empty()) return farWhen;
        // The turning in any minute: the sum of each tick's turn, over a
        // window that slides along the ticks judged.
        double turned = 0.0, most = 0.0;
        std::string turnWhen;
        std::size_t tail = k0;
        for (std::size_t k = k0 + 1; k < k1; ++k) {
            const bool counts = w.path[k].tick == w.path[k - 1].tick + 1 && w.path[k].phase != AcPhase::parking &&
                                w.path[k - 1].phase != AcPhase::parking;
            if (counts) turned += std::fabs(gf_normaliseRad(w.path[k].heading - w.path[k - 1].heading));
            while (w.path[k].tick - w.path[tail].tick > 6000) {
                ++tail;
                const bool dropped = w.path[tail].tick == w.path[tail - 1].tick + 1 &&
                                     w.path[tail].phase != AcPhase::parking &&
                                     w.path[tail - 1].phase != AcPhase::parking;
                if (dropped) turned -= std::fabs(gf_normaliseRad(w.path[tail].heading - w.path[tail - 1].heading));
            }
            if (turned * kRadToDeg > most) {
                most = turned * kRadToDeg;
                turnWhen = fmt::format("turned {:.0f} deg in the minute to {:.1f} s while its stream stands ({:.0f} to "
                                       "{:.0f} s), {}",
                                       most, secondsOf(w.path[k].tick), from, to, gf_phaseName(w.path[k].phase));
            }
        }
        if (most > mostTurnDeg) return turnWhen;
    }
    return std::nullopt;
}

// Parked on the stand (within 2 m of it, in the parked phase) no later than
// `withinS` after the delayed stream ended; or on one of the `alike` stands,
// which the stream's reports showed as near.
inline Verdict parksOn(const Watched& w, const std::vector<Fix>& fixes, const GeoPoint& stand, double withinS,
                       const std::vector<GeoPoint>& alike = {}) {
    const double due = fixes.back().t + 30.0 + withinS;
    for (const Watched::Place& p : w.path) {
        if (secondsOf(p.tick) > due) break;
        if (p.phase != AcPhase::parked) continue;
        if (metresBetween(p.at, stand) <= 2.0) return std::nullopt;
        for (const GeoPoint& other : alike)
            if (metresBetween(p.at, other) <= 2.0) return std::nullopt;
    }
    const Watched::Place* then = placeAt(w, due);
    if (then == nullptr) return fmt::format("gone before {:.0f} s", due);
    return fmt::format("at {:.0f} s {}, {:.0f} m from the stand, heading {:.0f} deg", due, gf_phaseName(then->phase),
                       metresBetween(then->at, stand), then->heading * kRadToDeg);
}

// No circle driven on the ground where the route goes straight: the
// heading never comes round by `circleDeg` (one way) within five minutes
// while the delayed route, a half minute either side, turns less than
// `straightDeg`.
inline Verdict noCircle(const Watched& w, const Route& route, double circleDeg, double straightDeg) {
    // The route's turning, second by second, summed.
    const double end = route.points().back().t;
    std::vector<double> routeTurned{0.0};
    std::optional<double> lastTrack;
    for (double t = 0.0; t < end; t += 1.0) {
        const GeoPoint a = gf_samplePoint(truthAt(route.points(), t));
        const GeoPoint b = gf_samplePoint(truthAt(route.points(), std::min(t + 1.0, end)));
        double step = 0.0;
        if (metresBetween(a, b) > 0.3) {
            const double track = gf_bearingRad(a, b);
            if (lastTrack) step = std::fabs(gf_normaliseRad(track - *lastTrack)) * kRadToDeg;
            lastTrack = track;
        }
        routeTurned.push_back(routeTurned.back() + step);
    }
    const auto turnedBy = [&](double t) {
        const auto k = static_cast<std::size_t>(std::clamp(t, 0.0, static_cast<double>(routeTurned.size() - 1)));
        return routeTurned[k];
    };
    // Every half second on the ground: the time and the heading, unwound.
    struct Sample {
        double t, heading;
    };
    std::vector<std::vector<Sample>> stretches;
    const Watched::Place* before = nullptr;
    for (const Watched::Place& p : w.path) {
        if (p.tick % 50 != 0) continue;
        if (!p.onGround) {
            before = nullptr;
            continue;
        }
        if (before == nullptr || p.tick != before->tick + 50) {
            stretches.push_back({{secondsOf(p.tick), p.heading}});
        } else {
            stretches.back().push_back(
                {secondsOf(p.tick), stretches.back().back().heading + gf_normaliseRad(p.heading - before->heading)});
        }
        before = &p;
    }
    for (const std::vector<Sample>& s : stretches) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            for (std::size_t j = i + 1; j < s.size() && s[j].t - s[i].t <= 300.0; ++j) {
                const double came = std::fabs(s[j].heading - s[i].heading) * kRadToDeg;
                if (came < circleDeg) continue;
                const double routeTurn = turnedBy(s[j].t - 30.0 + 30.0) - turnedBy(s[i].t - 30.0 - 30.0);
                if (routeTurn < straightDeg)
                    return fmt::format("came round {:.0f} deg from {:.1f} to {:.1f} s, the route {:.0f} deg", came,
                                       s[i].t, s[j].t, routeTurn);
            }
        }
    }
    return std::nullopt;
}

// When the aircraft is due to be created: by the time the delayed stream
// has shown it for `withinS` (none where it never does). The time between
// its reports counts where they come within 20 s of each other (a pause of
// the feed shows nothing, one at the stream's start included). Reports flagged airborne at the field's height
// before the first one on the ground are not the aircraft's to be shown
// by: admission takes no new aircraft from them (the feed's reader makes
// most of them reports on the ground).
inline std::optional<double> creationDueS(const std::vector<Fix>& fixes, double withinS) {
    const auto flaggedAtTheField = [](const Fix& f) {
        return f.sample.airborne != 0 && std::fabs(f.sample.altitudeFt - kFieldElevationFt) <= 108.0;
    };
    auto from = fixes.begin();
    while (from != fixes.end() && flaggedAtTheField(*from)) ++from;
    if (from == fixes.end()) return std::nullopt;
    // (Nor is such a report the first after a pause of the feed, where the
    // one lone report before the pause left no aircraft to take it.)
    double shownS = 0.0;
    std::optional<double> shownLongEnough;
    for (auto f = std::next(from); f != fixes.end() && !shownLongEnough; ++f) {
        const double gap = f->t - std::prev(f)->t;
        if (gap > 20.0) continue;
        const auto before = std::prev(f);
        if (shownS == 0.0 && before != from && before->t - std::prev(before)->t > 20.0 && flaggedAtTheField(*before))
            continue;
        if (shownS + gap >= withinS) shownLongEnough = std::prev(f)->t + (withinS - shownS) + 30.0;
        shownS += gap;
    }
    return shownLongEnough;  // none: a stream that never showed it that long
}

// Created by then.
inline Verdict createdInTime(const Watched& w, const std::vector<Fix>& fixes, double withinS) {
    const std::optional<double> dueS = creationDueS(fixes, withinS);
    if (!dueS) return std::nullopt;
    const double due = *dueS;
    if (w.path.empty()) return fmt::format("never created (due by {:.1f} s)", due);
    if (secondsOf(w.path.front().tick) <= due + 0.01) return std::nullopt;
    return fmt::format("created at {:.1f} s, due by {:.1f} s", secondsOf(w.path.front().tick), due);
}

// Never farther than `mostM` from where it was first seen active.
inline Verdict staysWithin(const Watched& w, double mostM) {
    if (w.path.empty()) return std::nullopt;
    for (const Watched::Place& p : w.path)
        if (metresBetween(p.at, w.path.front().at) > mostM)
            return fmt::format("{:.0f} m from where it was created at {:.1f} s, {}", metresBetween(p.at, w.path.front().at),
                               secondsOf(p.tick), gf_phaseName(p.phase));
    return std::nullopt;
}

// When the route leaves the ground after a stretch on it, climbing 30 ft
// or more (a helicopter hover-taxiing a few feet up moves on the ground as
// far as the program goes): none when it never does.
inline std::optional<double> routeLiftOffS(const Route& route) {
    bool onGround = false;
    for (double t = 0.0; t <= route.points().back().t; t += 0.1) {
        const PosSample s = truthAt(route.points(), t);
        if (s.airborne == 0) onGround = true;
        if (onGround && s.airborne != 0 && s.altitudeFt >= kFieldElevationFt + 30.0) return t;
    }
    return std::nullopt;
}

// Off the ground (after it was on it) within `withinS` of the delayed
// stream's first report after the route lifted off. Where a pause of the
// feed hid the taxi onto the runway (the report before it off the runway),
// the aircraft learns of the run only when the feed resumes: it may be
// later by the time its taxi from where it then was to the runway takes
// at `taxiKt` (0: a helicopter, which lifts off where it stands), and by a
// heavy's take-off roll of its own from there.
inline constexpr double kHiddenRollS = 45.0;
inline Verdict liftsOffInTime(const Watched& w, const Route& route, const std::vector<Fix>& fixes, double withinS,
                              double taxiKt = 0.0) {
    const std::optional<double> lift = routeLiftOffS(route);
    if (!lift) return std::nullopt;
    const auto first = std::find_if(fixes.begin(), fixes.end(), [&](const Fix& f) { return f.t >= *lift; });
    if (first == fixes.end()) return std::nullopt;
    double hiddenTaxiS = 0.0;
    for (auto it = fixes.begin(); taxiKt > 0.0 && it != first; ++it) {
        const auto after = std::next(it);
        if (after->t - it->t < 20.0 || onTheRunway(gf_samplePoint(it->sample)) ||
            truthAt(route.points(), it->t).airborne != 0)
            continue;
        if (const Watched::Place* then = placeAt(w, after->t))
            hiddenTaxiS = metresOffTheRunway(then->at) / (taxiKt * kMetersPerNm / 3600.0) + kHiddenRollS;
    }
    const double due = first->t + 30.0 + withinS + hiddenTaxiS;
    // (One first created in the air, its stream's reports on the ground
    // before it lost to a pause of the feed, is off the ground as soon.)
    bool wasOnGround = false;
    for (const Watched::Place& p : w.path) {
        if (p.onGround) {
            wasOnGround = true;
            continue;
        }
        if (wasOnGround || &p == &w.path.front()) {
            if (secondsOf(p.tick) <= due + 0.01) return std::nullopt;
            return fmt::format("off the ground at {:.1f} s, its delayed stream at {:.1f} s", secondsOf(p.tick),
                               first->t + 30.0);
        }
    }
    const Watched::Place* then = placeAt(w, due);
    return fmt::format("never off the ground, its delayed stream at {:.1f} s{}", first->t + 30.0,
                       then == nullptr ? " (gone by then)"
                                       : fmt::format(" ({} then)", gf_phaseName(then->phase)));
}

// For a stream that starts standing: `metres` off where it stood within
// `withinS` of the delayed stream's first report `metres` or more off where
// the stream stood (a stray's or a jump's apart: a report of a move).
inline Verdict leavesInTime(const Watched& w, const Route& route, const std::vector<Fix>& fixes, double metres,
                            double withinS) {
    if (route.standing().empty() || route.standing().front().first > 1.0 || fixes.empty() || w.path.empty())
        return std::nullopt;
    // The first report from `from` on `metres` or more off `spot` (the route
    // then off where it was at `spotS`), no stray's or jump's.
    const auto firstOff = [&](std::vector<Fix>::const_iterator from, const GeoPoint& spot, double spotS) {
        const GeoPoint truthThere = gf_samplePoint(truthAt(route.points(), spotS));
        return std::find_if(from, fixes.end(), [&](const Fix& f) {
            const GeoPoint at = gf_samplePoint(f.sample);
            const GeoPoint truth = gf_samplePoint(truthAt(route.points(), f.t));
            return metresBetween(at, spot) >= metres && metresBetween(truth, truthThere) >= 3.0 &&
                   metresBetween(at, truth) <= 30.0;
        });
    };
    const GeoPoint stood = gf_samplePoint(fixes.front().sample);
    const auto off = firstOff(fixes.begin(), stood, 0.0);
    if (off == fixes.end()) return std::nullopt;
    auto leave = off;
    const GeoPoint start = w.path.front().at;
    // Created only after the delayed stream's last report where it stood
    // (the feed quiet from shortly after its start), where the stream was
    // by then: it never stood where the stream stood, and left with it. Or
    // parked then on a stand within the wide search of where the stream was
    // (it is created at a report shortly before that falls due): it leaves
    // when the stream leaves that spot.
    if (off != fixes.begin() && secondsOf(w.path.front().tick) > std::prev(off)->t + 30.0) {
        if (metresBetween(start, stood) >= metres) return std::nullopt;
        const auto shown = std::find_if(fixes.rbegin(), fixes.rend(), [&](const Fix& f) {
            return f.t + 30.0 <= secondsOf(w.path.front().tick) + 3.0;
        });
        const GeoPoint there = shown != fixes.rend() ? gf_samplePoint(shown->sample) : stood;
        if (metresBetween(there, stood) >= metres &&
            metresBetween(start, there) <= kParkWideSearchNm * kMetersPerNm + 0.5) {
            leave = firstOff(shown.base(), there, shown->t);
            if (leave == fixes.end()) return std::nullopt;
        }
    }
    const double due = leave->t + 30.0 + withinS;
    for (const Watched::Place& p : w.path) {
        if (secondsOf(p.tick) > due + 0.01) break;
        if (metresBetween(p.at, start) >= metres) return std::nullopt;
    }
    const Watched::Place* then = placeAt(w, due);
    return fmt::format("{:.0f} m off where it stood at {:.1f} s, its delayed stream {:.0f} m off at {:.1f} s",
                       then == nullptr ? 0.0 : metresBetween(then->at, start), due, metres, leave->t + 30.0);
}

// Outside the pauses of the feed and the 30 s after each, on the ground
// (the aircraft's or the delayed route's), never farther than `mostM` from
// the delayed route (`rollM` on the runway's rolls and once it lifted off)
// for more than `longestS` in a row. After a pause it may have fallen far
// behind a stream that moved unheard: it is judged again once it is close,
// or once it no longer makes up the way at its ceiling.
inline Verdict keepsUp(const Watched& w, const Route& route, const std::vector<Fix>& fixes,
                       const std::vector<std::pair<double, double>>& pauses, double ceilingKt, double mostM,
                       double rollM, double longestS) {
    if (fixes.empty()) return std::nullopt;
    const double first = fixes.front().t, last = fixes.back().t;
    double beyondSince = -1.0;  // since when it lies beyond (none: -1)
    double farthest = 0.0;
    bool makingUp = false;  // behind after a pause
    for (std::size_t k = 0; k < w.path.size(); ++k) {
        const Watched::Place& p = w.path[k];
        if (p.tick % 10 != 0) continue;
        const double now = secondsOf(p.tick);
        const double delayed = now - 30.0;
        const bool inAPause = std::any_of(pauses.begin(), pauses.end(), [&](const auto& pause) {
            return delayed >= pause.first && delayed < pause.first + pause.second + 30.0;
        });
        const PosSample truth = truthAt(route.points(), delayed);
        const bool roll = p.roll || truth.airborne != 0 || (truth.groundSpeedKt >= 40.0 && onTheRunway(gf_samplePoint(truth)));
        const double d = metresBetween(p.at, gf_samplePoint(truth));
        const bool close = d <= (roll ? rollM : mostM);
        // (Making the way up ends once it is as close as a taxi keeps: near
        // enough for a roll, it may still be closing in on a stream that
        // slows to a taxi, a rejected take-off's.)
        makingUp = inAPause || (makingUp && d > mostM);
        const Watched::Place* before = k >= 100 && w.path[k - 100].tick == p.tick - 100 ? &w.path[k - 100] : nullptr;
        const double kt = before == nullptr ? 0.0 : metresBetween(before->at, p.at) / kMetersPerNm * 3600.0;
        // Making up the way: closing in on the delayed route, 1 m/s or more
        // over the last 5 s (it slows in the turns), or at its ceiling.
        const Watched::Place* earlier = k >= 500 && w.path[k - 500].tick == p.tick - 500 ? &w.path[k - 500] : nullptr;
        const bool closingIn =
            earlier != nullptr &&
            d < metresBetween(earlier->at, gf_samplePoint(truthAt(route.points(), delayed - 5.0))) - 5.0;
        const bool excused = delayed < first || delayed > last || inAPause ||
                             (makingUp && (closingIn || kt >= 0.9 * ceilingKt));
        const bool judged = !excused && (truth.airborne == 0 || p.onGround);
        if (!judged || close) {
            beyondSince = -1.0;
            farthest = 0.0;
            continue;
        }
        if (beyondSince < 0.0) beyondSince = now;
        farthest = std::max(farthest, d);
        if (now - beyondSince > longestS) {
            return fmt::format("{:.0f} m from its delayed route from {:.1f} to {:.1f} s, {} at {:.0f} kt, the route at "
                               "{:.0f} kt",
                               farthest, beyondSince, now, gf_phaseName(p.phase), kt, truth.groundSpeedKt);
        }
    }
    return std::nullopt;
}


}  // namespace ground_test
