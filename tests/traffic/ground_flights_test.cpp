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

#include "ground_runs.h"

namespace {

using engine_test::Fix;
using engine_test::kFieldElevationFt;
using ground_test::Faithful;
using ground_test::fixesAlong;
using ground_test::judgeMotion;
using ground_test::judgeStops;
using ground_test::metresBetween;
using ground_test::pointAt;
using ground_test::Route;
using ground_test::truthAt;
using ground_test::Watched;

class GroundFlights : public ground_test::GroundRuns {};

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

// Born on stand S3: standing two and a half minutes (the feed quiet for one
// of them), pushed back, taxiing east (the feed quiet for 25 s at 15 kt)
// and south to the runway's holding point.
Route departureToTheHold() {
    Route route(0, 120, std::nullopt, 0, 0.0);
    route.stand(150, 0.0)
        .pause(-110, 60)
        .to(-40, 120, std::nullopt, 3, 30.0)
        .to(-50, 110, std::nullopt, 0, 90.0)
        .stand(40, 90.0)
        .to(-50, 120, std::nullopt, 8)
        .arc(-75, 120, 90, 10)
        .arc(-75, 170, 180, 10)
        .pause(10, 25)
        .to(-100, 650, std::nullopt, 15)
        .arc(-150, 650, 90, 12)
        .to(-520, 700, std::nullopt, 10)
        .to(-540, 700, std::nullopt, 0);
    return route;
}

// Lining up eastwards, waiting there, rolling and climbing out.
Route& lineUpAndTakeOff(Route& route, double waitS) {
    return route.to(-570, 700, std::nullopt, 8)
        .arc(-570, 730, 180, 8)
        .to(-600, 760, std::nullopt, 0)
        .stand(waitS)
        .to(-600, 800, std::nullopt, 40)
        .to(-600, 1100, std::nullopt, 80)
        .to(-600, 2000, std::nullopt, 150)
        .to(-600, 2800, 300, 160)
        .to(-600, 5200, 1200, 170);
}

// Holding short of the runway for a minute and a half (the feed quiet for
// 40 s), lining up, waiting two minutes and taking off eastwards.
Route departureWithHolds() {
    Route route = departureToTheHold();
    route.stand(90).pause(-70, 40);
    return lineUpAndTakeOff(route, 120);
}

// Holding short of the runway for two and a half minutes, its last report
// there flagged airborne, then lining up and waiting half a minute, all
// while the feed is quiet for 70 s: the stream resumes on the runway.
Route departureLiningUpUnheard() {
    Route route = departureToTheHold();
    route.stand(150).pause(0, 70, true);
    return lineUpAndTakeOff(route, 35);
}

// Landing eastwards, turning off onto the taxiway (the feed quiet for 30 s
// at 15 kt), north towards stand S5, whose stream ends 15 m short of it and
// 40 degrees off its axis; standing there two and a half minutes, then
// pushed back south with the nose coming round east, and taxiing away east.
Route arrivalOffTheStandsAxisAndOut() {
    Route route(-600, -14000, 2200, 160);
    route.to(-600, -300, 50, 140)
        .to(-600, 0, std::nullopt, 135)
        .to(-600, 1200, std::nullopt, 30)
        .to(-600, 1450, std::nullopt, 15)
        .arc(-550, 1450, 90, 15)
        .to(-150, 1500, std::nullopt, 15)
        .arc(-150, 1450, 0, 15)
        .pause(15, 30)
        .to(-100, 250, std::nullopt, 12)
        .arc(-70, 250, 270, 8)
        .to(-40, 220, std::nullopt, 8)
        .to(-11.5, 230.4, std::nullopt, 4)
        .stand(150, 20.0)
        .to(-50, 230, std::nullopt, 3, 20.0)
        .to(-60, 240, std::nullopt, 0, 90.0)
        .stand(30, 90.0)
        .to(-60, 260, std::nullopt, 8)
        .to(-60, 500, std::nullopt, 12);
    return route;
}

// Born on stand S7, a heavy standing two minutes, then pushed straight back:
// the feed's first report off the stand is also its last for 70 s.
// Meanwhile the tail swings east (the nose west), and the tug pulls it west
// along the lane behind the stands.
Route heavyPushedIntoAPause() {
    Route route(0, 360, std::nullopt, 0, 0.0);
    route.stand(120, 0.0)
        .to(-25, 360, std::nullopt, 3, 0.0)
        .pause(0, 70)
        .to(-45, 360, std::nullopt, 3, 0.0)
        .to(-65, 364, std::nullopt, 3, 330.0)
        .to(-76, 378, std::nullopt, 3, 300.0)
        .to(-78, 392, std::nullopt, 1, 270.0)
        .to(-78, 300, std::nullopt, 6)
        .to(-78, 100, std::nullopt, 6);
    return route;
}

// Whole ground movements under a real surface feed (positions on a 19 m
// grid with noise, pauses with jumps, stale speeds, tracks and headings,
// flipping on-ground flags): the nose (the tail when pushed) stays within
// 30 degrees of the way the aircraft moves, a standing aircraft does not
// follow the noise, the roll after a hold starts when the delayed stream's
// does, an arrival comes round onto its stand on the way in, and on the
// ground the aircraft keeps close to the delayed stream.
TEST_F(GroundFlights, UnderARealFeedTheyKeepToTheDelayedStreamWithoutSlidingJitterOrEarlyRolls) {
    enum class Kind { departure, arrival, pushedAway };
    struct Case {
        const char* name;
        Route route;
        Kind kind;
        GeoPoint gridOrigin;  // the arrival's last report on a node of the grid: 15 m out
        const char* type = "B738";
        // The push-back's own path (two and a half stand radii straight
        // back) lies up to 30 m off a shorter real one for half a minute.
        double p95M = 28.0;
        double medianM = 10.0;
        std::optional<GeoPoint> neighbour = std::nullopt;  // another aircraft standing there throughout
    };
    const Case cases[] = {
        {"a departure with holds", departureWithHolds(), Kind::departure, pointAt(0, 0)},
        {"an arrival off the stand's axis, pushed back later", arrivalOffTheStandsAxisAndOut(), Kind::arrival,
         pointAt(-11.5, 230.4)},
        {"a departure lining up unheard, another holding short 35 m beside it", departureLiningUpUnheard(),
         Kind::departure, pointAt(0, 0), "B738", 28.0, 10.0, pointAt(-540, 735)},
        // The heavy's push-back runs at its taxi speed from the start, and
        // straight: the pause hides the side its tail swings to.
        {"a heavy pushed back into a pause of the feed", heavyPushedIntoAPause(), Kind::pushedAway, pointAt(0, 360),
         "B744", 45.0, 15.0}};
    for (const Case& c : cases) {
        for (const std::uint64_t seed : {1, 2, 3}) {
            SCOPED_TRACE(fmt::format("{}, seed {}", c.name, seed));
            freshEngine();
            sim.answerCreations = true;
            sim.terrainFt = kFieldElevationFt;
            g_engineServices.findStandNear = gf_findStandNear;
            makeApron();
            engine_test::FeedFaults faults;
            faults.seed = seed;
            faults.fieldElevationFt = kFieldElevationFt;
            faults.pauses = c.route.pauses();
            faults.flipsBefore = c.route.flipsBefore();
            if (c.neighbour) {
                // Its stream standing there beyond the run's end.
                LiveAc& other = place("A320", AcPhase::taxi, *c.neighbour, 180.0, "DLH997");
                other.samples.front().stationary = 1;
                other.samples.push_back(other.samples.front());
                other.samples.back().dueTick = 1000000;
            }
            const double end = c.route.points().back().t;
            const std::vector<Fix> fixes = engine_test::realFeed(
                [&](double t) { return truthAt(c.route.points(), t); }, 0.0, end, c.gridOrigin, faults);
            engine_test::Rec r;
            r.hexId = c.kind == Kind::departure ? 4851713 : c.kind == Kind::arrival ? 4844322 : 4850001;
            r.callsign = c.kind == Kind::departure ? "KLC1673" : c.kind == Kind::arrival ? "KLM1235" : "PHBVA";
            r.type = c.type;
            const Watched w = run(r, fixes, static_cast<std::int32_t>((end + 40.0) * 100.0), [&](const LiveAc& ac) {
                return c.kind == Kind::departure && ac.phase == AcPhase::flying;
            });
            Faithful f;
            judgeMotion(w, fixes, f);
            judgeStops(w, c.route, standPoint(5), 0.0, f);
            ASSERT_FALSE(w.phases.empty());
            EXPECT_EQ(w.objects.size(), 1u) << "one object throughout, never removed and created again";
            if (c.kind == Kind::departure) {
                // Never flying before the roll, for all the reports flagged airborne.
                EXPECT_EQ(w.phases, (std::vector<AcPhase>{AcPhase::parked, AcPhase::pushing_back, AcPhase::pushed_back,
                                                          AcPhase::taxi, AcPhase::take_off, AcPhase::flying}));
                EXPECT_TRUE(f.rollLateS) << "it left its last hold";
                if (f.rollLateS) {
                    EXPECT_LE(std::fabs(*f.rollLateS), 5.0);
                }
            } else if (c.kind == Kind::pushedAway) {
                EXPECT_NE(std::find(w.phases.begin(), w.phases.end(), AcPhase::pushing_back), w.phases.end());
                // Its stand is its only hold: 20 m from it when the delayed
                // stream is, give or take the 10 m the feed's grid blurs.
                EXPECT_TRUE(f.rollLateS) << "it left its stand";
                if (f.rollLateS) {
                    EXPECT_LE(std::fabs(*f.rollLateS), 15.0) << "seconds after the delayed stream it left its stand";
                }
            } else {
                EXPECT_NE(std::find(standOptions.begin(), standOptions.end(), std::pair<std::int32_t, int>{5, 0}),
                          standOptions.end())
                    << "parked on S5";
                EXPECT_NE(std::find(w.phases.begin(), w.phases.end(), AcPhase::pushing_back), w.phases.end());
                EXPECT_TRUE(f.parkedOffDeg) << "parked";
                if (f.parkedOffDeg) {
                    EXPECT_LE(*f.parkedOffDeg, 1.0) << "its nose round onto the stand's heading";
                }
                EXPECT_LE(f.pivotOnStandDeg, 15.0) << "on the way in, not on the stand";
            }
            EXPECT_LE(f.largestSlideDeg, 30.0) << f.worstSlide;
            EXPECT_LE(f.largestStandingMoveM, 0.5) << f.worstStanding;
            EXPECT_LE(f.medianM, c.medianM);
            EXPECT_LE(f.p95M, c.p95M);
        }
    }
}

}  // namespace

namespace {
TEST_F(GroundFlights, ZZExplore) {
    struct Ex { const char* name; Route route; const char* type; };
    std::vector<Ex> exs;
    for (double firstKt : {60.0, 130.0}) {
        Route route(-600, firstKt > 100 ? -3000 : -1500, std::nullopt, firstKt);
        route.to(-600, 300, std::nullopt, 44).to(-600, 450, std::nullopt, 15).arc(-550, 450, 90, 15).to(-300, 500, std::nullopt, 15);
        exs.push_back({firstKt > 100 ? "rollout130" : "rollout60", route, "B738"});
    }
    {
        Route route(-600, -14000, 2200, 160);
        route.to(-600, -300, 50, 140).to(-600, 0, std::nullopt, 135).to(-600, 1200, std::nullopt, 30).to(-600, 1450, std::nullopt, 15)
            .arc(-550, 1450, 90, 15).to(-150, 1500, std::nullopt, 15);
        exs.push_back({"landing", route, "B738"});
    }
    {
        Route route(-600, -14000, 2200, 160);
        route.to(-600, -300, 50, 140).to(-600, 0, std::nullopt, 138).to(-600, 1000, std::nullopt, 100).to(-600, 2000, std::nullopt, 30).to(-600, 2200, std::nullopt, 15)
            .arc(-550, 2200, 90, 15).to(-150, 2250, std::nullopt, 15);
        exs.push_back({"landing100", route, "B738"});
    }
    {
        Route route(-600, -14000, 2200, 160);
        route.to(-600, -300, 50, 140).to(-600, 0, std::nullopt, 135).to(-600, 1000, std::nullopt, 120).to(-600, 1800, 300, 150).to(-600, 5000, 1500, 170);
        exs.push_back({"touchandgo", route, "B738"});
    }
    for (double pause : {40.0, 70.0, 100.0, 120.0}) {
        Route route(-100, 0, std::nullopt, 20);
        route.to(-100, 500, std::nullopt, 20).pause(0, pause).to(-100, 3500, std::nullopt, 20);
        exs.push_back({"pause", route, "B738"});
    }
    for (auto& ex : exs) {
        freshEngine();
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
        g_engineServices.findStandNear = gf_findStandNear;
        makeApron();
        std::vector<Fix> fixes = fixesAlong(ex.route.points());
        std::vector<Fix> kept;
        for (auto& f : fixes) {
            bool paused = false;
            for (auto& [from, len] : ex.route.pauses()) if (f.t >= from && f.t < from + len) paused = true;
            if (!paused) kept.push_back(f);
        }
        engine_test::Rec r;
        r.callsign = "KLM99";
        r.type = ex.type;
        const Watched w = run(r, kept, static_cast<std::int32_t>((ex.route.points().back().t + 150) * 100), [](const LiveAc&) { return false; });
        const auto pace = ground_test::groundPace(w);
        fmt::print("{}: phases", ex.name);
        for (auto p : w.phases) fmt::print(" {}", gf_phaseName(p));
        fmt::print(" | creations {} | taxi {} | roll {} | after stream {:.0f} ft\n", w.creations, pace.whenTaxi, pace.whenRoll, ground_test::heightAfterTheStream(w, kept));
    }
}
}  // namespace
namespace {
TEST_F(GroundFlights, ZZDeparture) {
    const Route route = getenv("UNHEARD") ? departureLiningUpUnheard() : departureWithHolds();
    for (std::uint64_t seed : {std::uint64_t(atoi(getenv("SEED") ? getenv("SEED") : "1"))}) {
        freshEngine();
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
        g_engineServices.findStandNear = gf_findStandNear;
        makeApron();
        if (getenv("UNHEARD")) {
            LiveAc& other = place("A320", AcPhase::taxi, pointAt(-540, 735), 180.0, "DLH997");
            other.samples.front().stationary = 1;
            other.samples.push_back(other.samples.front());
            other.samples.back().dueTick = 1000000;
        }
        engine_test::FeedFaults faults;
        faults.seed = seed;
        faults.fieldElevationFt = kFieldElevationFt;
        faults.pauses = route.pauses();
        faults.flipsBefore = route.flipsBefore();
        const double end = route.points().back().t;
        const std::vector<Fix> fixes = engine_test::realFeed([&](double t) { return truthAt(route.points(), t); }, 0.0, end, pointAt(0, 0), faults);
        for (auto& f : fixes) if (f.t > 600) fmt::print("fix t={:.1f} N {:.0f} E {:.0f} kt {:.0f} air {} alt {:.0f} vs {:.0f}\n", f.t, (f.sample.lat-engine_test::kFieldLat)*111132.95, (f.sample.lon-engine_test::kFieldLon)*111132.95*std::cos(50*kDegToRad), f.sample.groundSpeedKt, f.sample.airborne, f.sample.altitudeFt, f.sample.verticalSpeed);
        engine_test::Rec r;
        r.hexId = 4851713; r.callsign = "KLC1673";
        const Watched w = run(r, fixes, static_cast<std::int32_t>((end + 40.0) * 100.0), [&](const LiveAc& ac) { return ac.phase == AcPhase::flying; });
        for (auto& p : w.path) if (p.tick % 200 == 0 && p.tick > 60000) fmt::print("  t={:.0f} {} ground {} roll {} at {:.0f} N {:.0f} E alt {:.0f}\n", p.tick/100.0, gf_phaseName(p.phase), p.onGround, p.roll, (p.at.lat-engine_test::kFieldLat)*111132.95, (p.at.lon-engine_test::kFieldLon)*111132.95*std::cos(50*kDegToRad), p.altitudeFt);
    }
}
}  // namespace
namespace {
TEST_F(GroundFlights, ZZStray) {
    for (double off : {14.0, 16.0, 20.0, 0.0}) {
        freshEngine();
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
        g_engineServices.findStandNear = gf_findStandNear;
        makeApron();
        Route route(0, 360, std::nullopt, 0, 0.0);
        route.stand(600, 0.0);
        std::vector<Fix> fixes;
        if (off > 0) {
            engine_test::FeedFaults faults;
            faults.seed = 1; faults.flipShare = 0;
            fixes = engine_test::realFeed([&](double t) { return truthAt(route.points(), t); }, 0.0, route.points().back().t, pointAt(0, 360), faults);
            // one stray report off the stand, 0 kt
            Fix& f = fixes[fixes.size() / 3];
            const GeoPoint p = pointAt(-off, 360);
            f.sample.lat = p.lat; f.sample.lon = p.lon;
        } else {
            engine_test::FeedFaults faults;
            faults.seed = 1; faults.noiseM = 14; faults.quantumM = 0; faults.flipShare = 0;
            fixes = engine_test::realFeed([&](double t) { return truthAt(route.points(), t); }, 0.0, route.points().back().t, pointAt(0, 360), faults);
        }
        engine_test::Rec r;
        r.hexId = 4850001; r.callsign = "PHBVA"; r.type = off > 0 ? "B744" : "C56X";
        const Watched w = run(r, fixes, static_cast<std::int32_t>((route.points().back().t + 40) * 100), [](const LiveAc&) { return false; });
        fmt::print("off {}: phases", off);
        for (auto p : w.phases) fmt::print(" {}", gf_phaseName(p));
        double far = 0; for (auto& p : w.path) far = std::max(far, metresBetween(p.at, standPoint(7)));
        fmt::print(" | farthest from stand {:.1f} m | stand taken {} | creations {}\n", far, stand(7).occupied, w.creations);
        for (auto& l : log.lines()) if (l.find("PHBVA") != std::string::npos) fmt::print("   {}\n", l);
    }
}
}  // namespace
namespace {
TEST_F(GroundFlights, ZZScatter) {
    for (std::uint64_t seed : {1, 2, 3, 4, 5, 6}) {
        freshEngine();
        sim.answerCreations = true;
        sim.terrainFt = kFieldElevationFt;
        g_engineServices.findStandNear = gf_findStandNear;
        makeApron();
        Route route(-100, 500, std::nullopt, 12);
        route.to(-100, 280, std::nullopt, 12).arc(-70, 280, 270, 8).to(-40, 240, std::nullopt, 6).to(-18, 240, std::nullopt, 3).stand(600);
        engine_test::FeedFaults faults;
        faults.seed = seed; faults.noiseM = 14; faults.quantumM = 0; faults.flipShare = 0;
        const auto fixes = engine_test::realFeed([&](double t) { return truthAt(route.points(), t); }, 0.0, route.points().back().t, pointAt(-18, 240), faults);
        engine_test::Rec r;
        r.hexId = 4850002; r.callsign = "NJE35"; r.type = "C56X";
        const Watched w = run(r, fixes, static_cast<std::int32_t>((route.points().back().t + 40) * 100), [](const LiveAc&) { return false; });
        fmt::print("seed {}: phases", seed);
        for (auto p : w.phases) fmt::print(" {}", gf_phaseName(p));
        double far = 0; for (auto& p : w.path) if (p.tick > 9000) far = std::max(far, metresBetween(p.at, standPoint(5)));
        Faithful f; judgeMotion(w, fixes, f);
        fmt::print(" | farthest from stand later {:.1f} m | stand taken {} | creations {} | slide {:.0f} {}\n", far, stand(5).occupied, w.creations, f.largestSlideDeg, f.worstSlide);
    }
    for (auto& l : log.lines()) if (l.find("NJE35") != std::string::npos) fmt::print("   {}\n", l);
}
}  // namespace
