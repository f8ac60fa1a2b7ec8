// Whole ground operations through the engine, tick by tick, over the
// synthetic apron: an arrival that lands, rolls out, turns off, taxis to a
// stand and parks; departures born on a stand that push back or pull out,
// taxi and take off. Records come at RealTraffic's pace; the fake simulator creates
// the objects and reports their height above a flat terrain. On every tick
// on the ground the heading follows the track within the turn rate.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "ground_fixture.h"
#include "replayed_track.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"

namespace {

using engine_test::Fix;
using engine_test::kFieldElevationFt;
using engine_test::offTrackMetres;
using ground_test::GroundTest;
using ground_test::metresBetween;
using ground_test::moved;

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

GeoPoint pointAt(double northM, double eastM) {
    const GeoPoint s1{engine_test::kFieldLat, engine_test::kFieldLon};
    return moved(moved(s1, 0.0, northM), 90.0, eastM);
}

// The seconds to the next record: every 6 s in the air (no sooner than
// 450 m plus a second above 120 kt); on the ground every 3 s, up to 30 kt
// no sooner than 20 m of travel (at most 15 s) plus a second, 16 s standing.
double recordGap(bool airborne, double speedKt) {
    const double metresPerSecond = speedKt * kMetersPerNm / 3600.0;
    if (airborne) return speedKt > 120.0 ? std::max(6.0, 450.0 / metresPerSecond + 1.0) : 6.0;
    if (speedKt < 0.5) return 16.0;
    if (speedKt > 30.0) return 3.0;
    return std::max(3.0, std::min(20.0 / metresPerSecond, 15.0) + 1.0);
}

std::vector<Fix> fixesAlong(const std::vector<Waypoint>& route) {
    std::vector<Fix> fixes;
    for (double t = route.front().t; t <= route.back().t + 1e-9;) {
        std::size_t i = 0;
        while (i + 2 < route.size() && route[i + 1].t <= t) ++i;
        const Waypoint& a = route[i];
        const Waypoint& b = route[i + 1];
        const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
        const GeoPoint at = pointAt(a.northM + (b.northM - a.northM) * f, a.eastM + (b.eastM - a.eastM) * f);
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
        still.t += seconds;
        points_.push_back(still);
        return *this;
    }
    const std::vector<Waypoint>& points() const { return points_; }

private:
    std::vector<Waypoint> points_;
};

// What one aircraft did, tick by tick.
struct Watched {
    std::vector<AcPhase> phases;  // each phase once, in the order reached
    std::int32_t touchDownAt = -1, turnedOffAt = -1, takeOffSeenAt = -1;
    double largestOffTrackOnGround = 0.0;  // m, taxiing
    int groundTicks = 0, slidingTicks = 0;
    double largestOffHeadingDeg = 0.0;  // between the heading and the track while moving
    std::string firstSlide;
    GeoPoint last;
    std::int32_t standId = 0;
};

class GroundFlights : public GroundTest {
protected:
    GroundFlights() {
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
    }

    // Feeds the fixes at their times (due 30 s later) and watches the
    // aircraft until `lastTick` or until `done` says so.
    template <class Done>
    Watched run(engine_test::Rec identity, const std::vector<Fix>& fixes, std::int32_t lastTick, Done done) {
        Watched w;
        std::size_t next = 0;
        std::optional<LiveAc> before;
        while (g_tick.load() < lastTick) {
            const std::int32_t now = g_tick.load();
            while (next < fixes.size() && fixes[next].t * 100.0 <= now) {
                identity.timestamp = 1000.0 + fixes[next].t;
                StreamRecord record = engine_test::makeRecord(identity);
                record.sample = fixes[next].sample;
                record.sample.dueTick = now + 3000;
                const std::lock_guard lock(g_addingStackMutex);
                g_addingStack.push_back(std::move(record));
                ++next;
            }
            const std::size_t cgAsked = staticCgRequests.size();
            tick();
            for (std::size_t k = cgAsked; k < staticCgRequests.size(); ++k)
                gf_pushAcEvent({staticCgRequests[k], 0, 0, AcEventKind::staticCgAndPitch, 9.0, 0.0});
            const LiveAc* ac = live(identity.hexId);
            if (ac == nullptr || ac->lifeState != AcLifeState::active) continue;
            note(*ac, before ? &*before : nullptr, now, fixes, w);
            before = *ac;
            if (done(*ac)) break;
        }
        return w;
    }

    // The heading follows the track: off it by no more than the taxi
    // tolerance (3 degrees, 0.5 more for the dead band), or turning towards
    // it at the turn rate; and never faster than the turn rate.
    static void note(const LiveAc& ac, const LiveAc* before, std::int32_t now, const std::vector<Fix>& fixes,
                     Watched& w) {
        if (w.phases.empty() || w.phases.back() != ac.phase) w.phases.push_back(ac.phase);
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
        EXPECT_LE(std::fabs(turned), ac.turnRate + 1e-9) << "tick " << now;
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

// Landing eastwards on a runway 600 m south of the stands, rolling out,
// turning off north onto the taxiway 100 m south of them, taxiing west and
// turning north onto stand S5, where the stream stops.
TEST_F(GroundFlights, AnArrivalLandsTaxisAndParksOnTheStandItsStreamEndsOn) {
    Route route(-600, -14000, 2200, 160);          // final
    route.to(-600, -300, 50, 140)                  // over the threshold
        .to(-600, 0, std::nullopt, 135)            // touch-down
        .to(-600, 1200, std::nullopt, 30)
        .to(-600, 1450, std::nullopt, 15)
        .arc(-550, 1450, 90, 15)                   // turning off north
        .to(-150, 1500, std::nullopt, 15)
        .arc(-150, 1450, 0, 15)                    // onto the taxiway, west
        .to(-100, 290, std::nullopt, 12)
        .arc(-50, 290, 270, 8)                     // turning north onto the stand
        .to(-20, 240, std::nullopt, 6)
        .to(0, 240, std::nullopt, 4)
        .stand(60);
    const std::vector<Fix> fixes = fixesAlong(route.points());
    engine_test::Rec r;
    r.callsign = "KLM1234";
    const Watched w = run(r, fixes, 90000, [](const LiveAc& ac) { return ac.phase == AcPhase::parked; });

    EXPECT_EQ(w.phases, (std::vector<AcPhase>{AcPhase::flying, AcPhase::taxi, AcPhase::parking, AcPhase::parked}));
    EXPECT_GT(w.touchDownAt, 0);
    EXPECT_GT(w.turnedOffAt, w.touchDownAt) << "the roll-out ends at the turn-off";
    EXPECT_EQ(w.standId, 5);
    EXPECT_LT(metresBetween(w.last, standPoint(5)), 2.0);
    EXPECT_TRUE(log.contains("S5      : KLM1234  arrived at stand"));
    EXPECT_LT(w.largestOffTrackOnGround, 8.0) << "metres from the replayed track while taxiing";
    EXPECT_GT(w.groundTicks, 20000);
    EXPECT_EQ(w.slidingTicks, 0) << w.firstSlide;
    EXPECT_LT(w.largestOffHeadingDeg, 40.0) << "the heading lags the track in turns, never by much";
    EXPECT_EQ(standOptions.back(), (std::pair<std::int32_t, int>{5, 0}));
}

// Born on stand S3 (facing north), pushed back south with the stream's nose
// turning east, then taxiing east and south to the runway and taking off
// eastwards.
TEST_F(GroundFlights, ADepartureBornOnAStandPushesBackTaxisAndTakesOff) {
    Route route(0, 120, std::nullopt, 0, 0.0);  // standing on S3, nose north
    route.stand(80, 0.0)
        .to(-40, 120, std::nullopt, 3, 30.0)       // the tail swings west, the nose east
        .to(-50, 110, std::nullopt, 0, 90.0)
        .stand(40, 90.0)                           // engines started
        .to(-50, 120, std::nullopt, 8)
        .arc(-75, 120, 90, 10)                     // south, then east onto the taxiway
        .arc(-75, 170, 180, 10)
        .to(-100, 650, std::nullopt, 15)
        .arc(-150, 650, 90, 12)                    // south to the runway
        .to(-550, 700, std::nullopt, 12)
        .arc(-550, 750, 180, 6)                    // lining up east
        .to(-600, 800, std::nullopt, 5)
        .to(-600, 2000, std::nullopt, 150)         // the take-off roll
        .to(-600, 2800, 300, 160)
        .to(-600, 5200, 1200, 170);
    const std::vector<Fix> fixes = fixesAlong(route.points());
    engine_test::Rec r;
    r.hexId = 4851711;
    r.callsign = "KLC1671";
    const Watched w = run(r, fixes, 90000, [](const LiveAc& ac) { return ac.phase == AcPhase::flying; });

    EXPECT_EQ(w.phases, (std::vector<AcPhase>{AcPhase::parked, AcPhase::pushing_back, AcPhase::pushed_back,
                                              AcPhase::taxi, AcPhase::take_off, AcPhase::flying}));
    EXPECT_GT(w.takeOffSeenAt, 0);
    EXPECT_EQ(stand(3).occupied, 0) << "the stand it left is free again";
    EXPECT_NE(std::find(standOptions.begin(), standOptions.end(), std::pair<std::int32_t, int>{3, 2}),
              standOptions.end())
        << "its leaving the stand is learned";
    // Pushed back 2.5 stand radii and turned where the stream went 45 m, it
    // joins the replayed track some metres off it.
    EXPECT_LT(w.largestOffTrackOnGround, 16.0) << "metres from the replayed track while taxiing";
    EXPECT_EQ(w.slidingTicks, 0) << w.firstSlide;
    EXPECT_LT(w.largestOffHeadingDeg, 40.0) << "the heading lags the track in turns, never by much";
}

// Born on stand S7 (facing north) with its stream rolling out forwards:
// pulled out north, turning east behind the stands, south to the runway
// and taking off eastwards.
TEST_F(GroundFlights, ADepartureBornOnAStandPullsOutTaxisAndTakesOff) {
    Route route(0, 360, std::nullopt, 0, 0.0);  // standing on S7, nose north
    route.stand(60, 0.0)
        .to(40, 360, std::nullopt, 5)
        .arc(40, 410, 0, 10)                       // right, east behind the stands
        .to(90, 900, std::nullopt, 15)
        .arc(40, 900, 90, 12)                      // right again, south
        .to(-550, 950, std::nullopt, 12)
        .arc(-550, 1000, 180, 6)                   // lining up east
        .to(-600, 1100, std::nullopt, 5)
        .to(-600, 2300, std::nullopt, 150)         // the take-off roll
        .to(-600, 3100, 300, 160)
        .to(-600, 5500, 1200, 170);
    const std::vector<Fix> fixes = fixesAlong(route.points());
    engine_test::Rec r;
    r.hexId = 4851712;
    r.callsign = "KLC1672";
    const Watched w = run(r, fixes, 90000, [](const LiveAc& ac) { return ac.phase == AcPhase::flying; });

    EXPECT_EQ(w.phases, (std::vector<AcPhase>{AcPhase::parked, AcPhase::taxi, AcPhase::take_off, AcPhase::flying}));
    EXPECT_TRUE(log.contains("S7      : KLC1672  pulling out"));
    EXPECT_GT(w.takeOffSeenAt, 0);
    EXPECT_EQ(stand(7).occupied, 0) << "the stand it left is free again";
    EXPECT_NE(std::find(standOptions.begin(), standOptions.end(), std::pair<std::int32_t, int>{7, 2}),
              standOptions.end())
        << "its leaving the stand is learned";
    EXPECT_LT(w.largestOffTrackOnGround, 16.0) << "metres from the replayed track while taxiing";
    EXPECT_EQ(w.slidingTicks, 0) << w.firstSlide;
    EXPECT_LT(w.largestOffHeadingDeg, 40.0) << "the heading lags the track in turns, never by much";
}

}  // namespace
