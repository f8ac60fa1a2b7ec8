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

using ground_test::secondsOf;

// How far an aircraft went from where its delayed stream stood, and how
// much it turned, a minute after the stream stopped (time to come to rest
// there) until it went on.
struct StandingJudged {
    double farthestM = 0.0, turnedDeg = 0.0;
    std::string worst;
};

StandingJudged judgeStanding(const Watched& w, const Route& route, bool afterAPush) {
    StandingJudged judged;
    for (const auto& [from, to] : route.standing()) {
        if (to - from < 60.0 || (!afterAPush && from > 1.0)) continue;
        const GeoPoint there = gf_samplePoint(truthAt(route.points(), from));
        const Watched::Place* settled = ground_test::placeAt(w, from + 30.0 + 60.0);
        if (settled == nullptr) continue;
        for (const Watched::Place* p = settled; p <= &w.path.back() && secondsOf(p->tick) <= to + 25.0; ++p) {
            if (!p->onGround) break;
            const double off = metresBetween(there, p->at);
            // Driving onto a stand beside it, it comes round onto the stand.
            const double turned = p->phase == AcPhase::parking || p->phase == AcPhase::parked
                                      ? 0.0
                                      : gf_headingDifferenceDeg(settled->heading, p->heading);
            if (off > judged.farthestM || turned > judged.turnedDeg)
                judged.worst = fmt::format("standing {:.0f} to {:.0f} s: at {:.1f} s {:.1f} m off, turned {:.0f} deg",
                                           from, to, secondsOf(p->tick), off, turned);
            judged.farthestM = std::max(judged.farthestM, off);
            judged.turnedDeg = std::max(judged.turnedDeg, turned);
        }
    }
    return judged;
}

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
    ASSERT_FALSE(standOptions.empty()) << "its use of the stand is learned";
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
Route& lineUpAndTakeOff(Route& route, double waitS, std::optional<double> lineUpHeadingDeg = std::nullopt) {
    return route.to(-570, 700, std::nullopt, 8)
        .arc(-570, 730, 180, 8)
        .to(-600, 760, std::nullopt, 0)
        .stand(waitS, lineUpHeadingDeg)
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

// Holding short, lining up unheard in a pause of 45 s and rolling some
// seconds after the feed is heard again; standing, its reports give its
// heading as their track.
Route departureLiningUpInAPauseRollingSoon() {
    Route route = departureToTheHold();
    route.stand(90, 180.0).pause(0, 45);
    return lineUpAndTakeOff(route, 12, 90.0);
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
        .to(-2, 360, std::nullopt, 3, 0.0)
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

// Born on stand S7, a heavy standing ten minutes; the feed sends one report
// a third of the way through off the stand (0 kt), the next on it again.
Route heavyStanding() {
    Route route(0, 360, std::nullopt, 0, 0.0);
    route.stand(600, 0.0);
    return route;
}

// A business jet born on stand S5, its stream standing 18 m short of it for
// ten minutes; its reports scatter up to 20 m about that point.
Route businessJetShortOfItsStand() {
    Route route(-18, 240, std::nullopt, 0, 0.0);
    route.stand(600, 0.0);
    return route;
}

// First heard rolling out eastwards on the runway at `firstKt`, slowing to
// 44 kt, turning off north at 15 kt onto the taxiway, where the stream ends.
Route rollOutFirstHeardAt(double firstKt) {
    Route route(-600, firstKt > 100.0 ? -3000 : -1500, std::nullopt, firstKt);
    route.to(-600, 300, std::nullopt, 44)
        .to(-600, 450, std::nullopt, 15)
        .arc(-550, 450, 90, 15)
        .to(-300, 500, std::nullopt, 15);
    return route;
}

// On final eastwards and touching down at `touchDownKt` on the runway 600 m
// south of the stands.
Route touchingDownEastwards(double touchDownKt) {
    Route route(-600, -14000, 2200, 160);
    route.to(-600, -300, 50, 140).to(-600, 0, std::nullopt, touchDownKt);
    return route;
}

// Landing eastwards at 138 kt, rolling out to 100 kt and on to 30 kt, and
// turning off north.
Route landingRollingOut() {
    Route route = touchingDownEastwards(138);
    route.to(-600, 1000, std::nullopt, 100)
        .to(-600, 2000, std::nullopt, 30)
        .to(-600, 2200, std::nullopt, 15)
        .arc(-550, 2200, 90, 15)
        .to(-150, 2250, std::nullopt, 15);
    return route;
}

// Touching down eastwards at 135 kt, rolling 1 km and taking off again.
Route touchAndGo() {
    Route route = touchingDownEastwards(135);
    route.to(-600, 1000, std::nullopt, 120)
        .to(-600, 1800, 300, 150)
        .to(-600, 5000, 1500, 170);
    return route;
}

// Taxiing east along the taxiway at `kt`, the feed quiet for `pauseS`
// after the first 500 m, then 3 km more.
Route taxiThroughAPause(double kt, double pauseS) {
    Route route(-100, 0, std::nullopt, kt);
    route.to(-100, 500, std::nullopt, kt).pause(0, pauseS).to(-100, 3500, std::nullopt, kt);
    return route;
}

// Born on stand S3: pushed back, standing 40 s where the push ended, then
// taxiing off east while the feed is quiet for 100 s, and on along the
// taxiway at 15 kt.
Route pushedBackAndTaxiingOffInAPause() {
    Route route(0, 120, std::nullopt, 0, 0.0);
    route.stand(60, 0.0)
        .to(-40, 120, std::nullopt, 3, 0.0)
        .to(-50, 130, std::nullopt, 0, 90.0)
        .stand(40, 90.0)
        .pause(-5, 100)
        .to(-50, 200, std::nullopt, 8)
        .arc(-75, 200, 90, 10)
        .to(-100, 2500, std::nullopt, 15);
    return route;
}

// Taxiing east along the taxiway at 15 kt for 1.5 km.
Route taxiingEast() {
    Route route(-100, 0, std::nullopt, 15);
    route.to(-100, 1500, std::nullopt, 15);
    return route;
}

// Lining up eastwards, rolling to 90 kt, braking to 15 kt and turning off
// north onto a taxiway, where the stream ends still moving at 12 kt.
Route rejectedTakeOff() {
    Route route(-600, 700, std::nullopt, 0, 90.0);
    route.stand(20, 90.0)
        .to(-600, 750, std::nullopt, 30)
        .to(-600, 1500, std::nullopt, 90)
        .to(-600, 2200, std::nullopt, 15)
        .arc(-550, 2200, 90, 15)
        .to(-400, 2250, std::nullopt, 12);
    return route;
}

// Landing eastwards, rolling out and stopping on the runway, where the
// stream stands `standS` seconds; with `backtrack` it then turns round on
// the runway, taxis back west and turns off north.
Route landingStoppingOnTheRunway(double standS, bool backtrack) {
    Route route = touchingDownEastwards(135);
    route.to(-600, 1200, std::nullopt, 30).to(-600, 1400, std::nullopt, 0).stand(standS, 90.0);
    if (backtrack)
        route.to(-597, 1412, std::nullopt, 5)
            .to(-588, 1420, std::nullopt, 5)
            .to(-576, 1418, std::nullopt, 5)
            .to(-570, 1405, std::nullopt, 5)
            .to(-570, 1000, std::nullopt, 15)
            .arc(-520, 1000, 0, 12)
            .to(-300, 950, std::nullopt, 12);
    return route;
}

// A helicopter flying in from the west, landing on a spot between the
// taxiway and the runway, standing there `standS` seconds; with `liftOff`
// it then lifts off eastwards and climbs away.
Route helicopterOnItsSpot(double standS, bool liftOff) {
    Route route(-250, -3000, 1000, 90);
    route.to(-220, 300, 150, 40).to(-200, 580, 15, 5).to(-200, 600, std::nullopt, 0).stand(standS, 90.0);
    if (liftOff) route.to(-200, 640, 30, 15).to(-200, 1400, 500, 60).to(-200, 4000, 1500, 90);
    return route;
}

// The same, standing 40 s on its spot while the feed is quiet from 4 s
// before it sets down to 6 s after it lifts off: the feed tells nothing of
// it on the ground, only of it coming down and climbing away.
Route helicopterOnItsSpotUnheard() {
    Route route(-250, -3000, 1000, 90);
    route.to(-220, 300, 150, 40).to(-200, 580, 15, 5).to(-200, 600, std::nullopt, 0).pause(-4.0, 50.0).stand(40, 90.0);
    route.to(-200, 640, 30, 15).to(-200, 1400, 500, 60).to(-200, 4000, 1500, 90);
    return route;
}

// Landing eastwards, taxiing in north towards stand S5 and standing 22 m
// short of it, 35 degrees off its axis, where its stream ends 40 s later.
Route arrivalStandingShortOfS5() {
    Route route = touchingDownEastwards(135);
    route.to(-600, 1200, std::nullopt, 30)
        .to(-600, 1450, std::nullopt, 15)
        .arc(-550, 1450, 90, 15)
        .to(-150, 1500, std::nullopt, 15)
        .arc(-150, 1450, 0, 15)
        .to(-100, 250, std::nullopt, 12)
        .arc(-70, 250, 270, 8)
        .to(-40, 225, std::nullopt, 6)
        .to(-18, 227.5, std::nullopt, 3)
        .stand(40, 35.0);
    return route;
}

// Born on stand S3: towed off backwards, along the lane behind the stands at
// 6 kt and forwards onto stand S5, where its stream ends 40 s later.
Route towedToS5() {
    Route route(0, 120, std::nullopt, 0, 0.0);
    route.stand(60, 0.0)
        .to(-40, 120, std::nullopt, 3, 0.0)
        .to(-50, 130, std::nullopt, 0, 90.0)
        .stand(20, 90.0)
        .to(-50, 200, std::nullopt, 6)
        .arc(-30, 200, 0, 6)
        .to(-20, 240, std::nullopt, 4)
        .to(0, 240, std::nullopt, 2)
        .stand(40, 0.0);
    return route;
}

// Born on stand S3: standing a minute and a half, pushed back while the feed
// is quiet for 35 s, standing 25 m out for `standOutS` seconds (the engines
// started), then taxiing away east.
Route pushBackHidden(double standOutS) {
    Route route(0, 120, std::nullopt, 0, 0.0);
    route.stand(90, 0.0)
        .to(-25, 120, std::nullopt, 3, 0.0)
        .pause(-25, 35)
        .stand(standOutS, 0.0)
        .to(-50, 130, std::nullopt, 8)
        .arc(-75, 130, 90, 10)
        .to(-100, 600, std::nullopt, 15);
    return route;
}

// Born on stand S3: standing a minute and a half, then pushed back, its
// engines started and taxiing away east along the taxiway at 15 kt, all
// while the feed is quiet for two and a half minutes: the stream resumes
// some 500 m off the stand.
Route pushedAndTaxiingAwayInAPause() {
    Route route(0, 120, std::nullopt, 0, 0.0);
    route.stand(90, 0.0)
        .pause(-20, 150)
        .to(-40, 120, std::nullopt, 3, 0.0)
        .to(-50, 130, std::nullopt, 0, 90.0)
        .stand(20, 90.0)
        .to(-50, 140, std::nullopt, 8)
        .arc(-75, 140, 90, 10)
        .to(-100, 1200, std::nullopt, 15);
    return route;
}

// Whole ground movements, most under a real surface feed (positions on a
// 19 m grid with noise, pauses with jumps, stale speeds, tracks and headings,
// flipping on-ground flags), some under a clean stream: the aircraft keeps
// one object throughout; the nose (the tail when pushed) stays within 30
// degrees of the way it moves; a standing aircraft does not follow the
// noise, and a stray report or reports scattering about it move nothing;
// each hold is left when the delayed stream leaves it; an arrival comes
// round onto its stand on the way in; off the runway it never goes faster
// than twice the stream's speed nor faster than it taxis, on the runway no
// faster than the stream; an aircraft whose stream ends on the ground never
// climbs; and on the ground it keeps close to the delayed stream.
TEST_F(GroundFlights, UnderARealFeedTheyKeepToTheDelayedStreamWithoutSlidingJitterOrEarlyRolls) {
    enum class Kind { departure, arrival, pushedAway, standing, rollOut, landing, touchAndGo, taxi, staysOnTheGround,
                      parksShort, helicopter };
    // One report moved off where the feed put it: this many seconds into the
    // route, this far north and east.
    struct Stray {
        double atS, northM, eastM;
    };
    struct Case {
        const char* name;
        Route route;
        Kind kind;
        GeoPoint gridOrigin;  // the arrival's last report on a node of the grid: 15 m out
        const char* type = "B738";
        bool clean = false;  // the route's own records rather than a real feed's (three seeds)
        double p95M = 35.0;
        double medianM = 8.0;
        // Each hold of a minute or more that the stream is heard leaving is
        // left this many seconds of the delayed stream at most: the take-off
        // roll within 5 s; a push-back, whose first report off the stand the
        // feed's grid may put 19 m out (12 s at 3 kt), within 12 s.
        double rollLimitS = 5.0, pushLimitS = 12.0;
        double fastestTaxiKt = 31.0;  // 30 kt, and half a second's measuring
        double fastestRollKt = 0.0;   // when set, on the runway
        std::optional<GeoPoint> neighbour = std::nullopt;  // another aircraft standing there throughout
        std::optional<double> strayM = std::nullopt;  // one report this far south of the stand, 0 kt
        double scatterM = 0.0;  // standing reports scatter up to about this far
        std::vector<Stray> strays = {};
        double speedNoiseKt = 0.0;  // every other report's speed field 1 kt to this much faster
        // The speed fields 0 this many seconds after the route's last pause.
        double zeroSpeedsAfterThePauseS = 0.0;
        // The farthest the aircraft may lie off the route itself on the ground (none: not judged).
        std::optional<double> offRouteM = std::nullopt;
        // A stretch of the feed's reports jumping 50 to 400 m about.
        std::optional<engine_test::FeedFaults::Jumps> jumps = std::nullopt;
        // Whether it stands where its stream stands after a push-back: the
        // push runs its own length (two and a half stand radii) when the feed
        // hid the stream's.
        bool standsAfterItsPush = true;
        // Whether it keeps up with the delayed stream as the random ground
        // runs judge it (behind after a pause, it makes the way up).
        bool keepsUp = false;
    };
    const Case cases[] = {
        {.name = "a departure with holds", .route = departureWithHolds(), .kind = Kind::departure,
         .gridOrigin = pointAt(0, 0)},
        // Its reports at the holding point flip between two nodes of the grid
        // 19 m apart: it stands, rather than circling the one close beside it.
        // (Its reports moving off with stale speed fields are taken as a run,
        // a little late.)
        {.name = "a departure with holds, its stand between the nodes of the feed's grid",
         .route = departureWithHolds(), .kind = Kind::departure, .gridOrigin = pointAt(9.5, 9.5), .p95M = 37.0},
        // Its push starts slowly: the first report off the stand, which the
        // grid puts 19 m out when the aircraft is 10 m out, comes early.
        {.name = "an arrival off the stand's axis, pushed back later", .route = arrivalOffTheStandsAxisAndOut(),
         .kind = Kind::arrival, .gridOrigin = pointAt(-11.5, 230.4), .pushLimitS = 18.0},
        {.name = "a departure lining up unheard, another holding short 35 m beside it",
         .route = departureLiningUpUnheard(), .kind = Kind::departure, .gridOrigin = pointAt(0, 0),
         .neighbour = pointAt(-540, 735)},
        // Lined up unheard, its roll's reports for half a minute with speed
        // fields 0: held back as a move they do not show the speed of, and
        // borne out by the first that does, it takes off behind the stream.
        {.name = "a departure lining up in a pause, its roll's speed fields 0 for 30 s",
         .route = departureLiningUpInAPauseRollingSoon(), .kind = Kind::departure, .gridOrigin = pointAt(0, 0),
         .p95M = 70.0, .zeroSpeedsAfterThePauseS = 30.0},
        // The heavy's push-back runs at its taxi speed from the start, and
        // straight: the pause hides the side its tail swings to.
        {.name = "a heavy pushed back into a pause of the feed", .route = heavyPushedIntoAPause(),
         .kind = Kind::pushedAway, .gridOrigin = pointAt(0, 360), .type = "B744", .p95M = 40.0, .medianM = 12.0,
         .pushLimitS = 15.0},
        {.name = "a parked heavy, one report 14 m off its stand", .route = heavyStanding(), .kind = Kind::standing,
         .gridOrigin = pointAt(0, 360), .type = "B744", .strayM = 14.0},
        {.name = "a parked heavy, one report 16 m off its stand", .route = heavyStanding(), .kind = Kind::standing,
         .gridOrigin = pointAt(0, 360), .type = "B744", .strayM = 16.0},
        {.name = "a parked heavy, one report 20 m off its stand", .route = heavyStanding(), .kind = Kind::standing,
         .gridOrigin = pointAt(0, 360), .type = "B744", .strayM = 20.0},
        {.name = "a business jet by its stand, its reports scattering up to 20 m",
         .route = businessJetShortOfItsStand(), .kind = Kind::standing, .gridOrigin = pointAt(-18, 240),
         .type = "C56X", .scatterM = 14.0},
        {.name = "first heard rolling out at 60 kt, its stream ending on the taxiway", .route = rollOutFirstHeardAt(60),
         .kind = Kind::rollOut, .gridOrigin = pointAt(0, 0)},
        {.name = "the same, a clean stream", .route = rollOutFirstHeardAt(60), .kind = Kind::rollOut,
         .gridOrigin = pointAt(0, 0), .clean = true},
        {.name = "first heard rolling out at 130 kt, its stream ending on the taxiway",
         .route = rollOutFirstHeardAt(130), .kind = Kind::rollOut, .gridOrigin = pointAt(0, 0)},
        {.name = "the same at 130 kt, a clean stream", .route = rollOutFirstHeardAt(130), .kind = Kind::rollOut,
         .gridOrigin = pointAt(0, 0), .clean = true},
        // On the runway no faster than the stream, 138 kt at the touch-down:
        // it stays the little it was behind in the air (about 80 m) until
        // the stream slows down.
        {.name = "a landing rolling out to 100 kt", .route = landingRollingOut(), .kind = Kind::landing,
         .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 120.0, .medianM = 100.0, .fastestRollKt = 141.0},
        // Behind its stream on final, it makes the way up on the roll, no
        // faster than the stream gets on the ground (150 kt).
        {.name = "a touch-and-go", .route = touchAndGo(), .kind = Kind::touchAndGo, .gridOrigin = pointAt(0, 0),
         .clean = true, .p95M = 120.0, .medianM = 100.0, .fastestRollKt = 151.0},
        // Behind the delayed stream after the pause, it makes the way up as a
        // taxi, one object: 30 kt at most, however slow the stream.
        {.name = "taxiing at 20 kt through a pause of 40 s", .route = taxiThroughAPause(20, 40), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "taxiing at 20 kt through a pause of 70 s", .route = taxiThroughAPause(20, 70), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "taxiing at 20 kt through a pause of 100 s", .route = taxiThroughAPause(20, 100),
         .kind = Kind::taxi, .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "taxiing at 20 kt through a pause of 120 s", .route = taxiThroughAPause(20, 120),
         .kind = Kind::taxi, .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "taxiing at 8 kt through a pause of 120 s", .route = taxiThroughAPause(8, 120), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        // One report far off the way moves nothing and raises no ceiling.
        {.name = "taxiing at 15 kt, one report 40 m ahead", .route = taxiingEast(), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .fastestTaxiKt = 20.0, .strays = {{60.0, 0.0, 40.0}},
         .offRouteM = 3.0},
        {.name = "taxiing at 15 kt, one report 60 m ahead", .route = taxiingEast(), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .fastestTaxiKt = 20.0, .strays = {{60.0, 0.0, 60.0}},
         .offRouteM = 3.0},
        {.name = "taxiing at 15 kt, one report 150 m ahead", .route = taxiingEast(), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .fastestTaxiKt = 20.0, .strays = {{60.0, 0.0, 150.0}},
         .offRouteM = 3.0},
        {.name = "taxiing at 15 kt, one report 150 m aside", .route = taxiingEast(), .kind = Kind::taxi,
         .gridOrigin = pointAt(0, 0), .clean = true, .fastestTaxiKt = 20.0, .strays = {{60.0, 150.0, 0.0}},
         .offRouteM = 3.0},
        // A take-off the stream gave up, and a roll-out whose speed fields
        // rise now and then, end on the ground.
        {.name = "a rejected take-off, its stream ending on the taxiway at 12 kt", .route = rejectedTakeOff(),
         .kind = Kind::staysOnTheGround, .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "first heard rolling out at 60 kt, its speed fields noisy", .route = rollOutFirstHeardAt(60),
         .kind = Kind::rollOut, .gridOrigin = pointAt(0, 0), .clean = true, .speedNoiseKt = 3.0},
        // A landed aircraft whose stream stands holds where it stands.
        {.name = "a landing stopping a minute on the runway and backtracking",
         .route = landingStoppingOnTheRunway(60, true), .kind = Kind::staysOnTheGround, .gridOrigin = pointAt(0, 0),
         .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        {.name = "a landing whose stream ends standing on the runway", .route = landingStoppingOnTheRunway(120, false),
         .kind = Kind::staysOnTheGround, .gridOrigin = pointAt(0, 0), .clean = true, .p95M = 1000.0, .medianM = 1000.0},
        // Its reports jump about for 20 s as it comes to rest: one that lies
        // within the reach of its speed before, with no report yet after it,
        // waits for the next one, which shows it a jump.
        {.name = "a landing whose stream stands on the runway, its reports jumping as it comes to rest",
         .route = landingStoppingOnTheRunway(120, false), .kind = Kind::staysOnTheGround, .gridOrigin = pointAt(0, 0),
         .p95M = 1000.0, .medianM = 1000.0, .jumps = engine_test::FeedFaults::Jumps{222.0, 20.0}},
        // One report 25 m aside just after it came to rest, the positions
        // before still showing its way in: the report waits for the next one,
        // 16 s on, which shows it a stray.
        {.name = "a landing whose stream stands on the runway, one report 25 m aside as it comes to rest",
         .route = landingStoppingOnTheRunway(120, false), .kind = Kind::staysOnTheGround, .gridOrigin = pointAt(0, 0),
         .clean = true, .p95M = 1000.0, .medianM = 1000.0, .strays = {{250.0, 25.0, 0.0}}, .offRouteM = 3.0},
        {.name = "a helicopter landing on its spot", .route = helicopterOnItsSpot(120, false), .kind = Kind::staysOnTheGround,
         .gridOrigin = pointAt(0, 0), .type = "EC35", .p95M = 1000.0, .medianM = 1000.0},
        {.name = "a helicopter landing on its spot and lifting off", .route = helicopterOnItsSpot(120, true),
         .kind = Kind::helicopter, .gridOrigin = pointAt(0, 0), .type = "EC35", .p95M = 1000.0, .medianM = 1000.0,
         .fastestTaxiKt = 41.0},
        // Its reports on the ground lost in a pause of the feed: the reports
        // climbing away from where it set down lift it off all the same.
        {.name = "a helicopter lifting off, the feed quiet while it stood on its spot",
         .route = helicopterOnItsSpotUnheard(), .kind = Kind::helicopter, .gridOrigin = pointAt(0, 0), .type = "EC35",
         .p95M = 1000.0, .medianM = 1000.0, .fastestTaxiKt = 41.0},
        // The feed's grid shifted against the stands: its stream ends 22 m
        // short of a free stand, which it drives onto.
        {.name = "an arrival whose stream ends 22 m short of a free stand", .route = arrivalStandingShortOfS5(),
         .kind = Kind::parksShort, .gridOrigin = pointAt(-18, 227.5)},
        // Towed onto another stand, its transponder then off: it parks there.
        {.name = "towed from S3 onto S5, its stream ending there", .route = towedToS5(), .kind = Kind::parksShort,
         .gridOrigin = pointAt(0, 0), .standsAfterItsPush = false},
        // Its push-back unheard, reports standing 25 m out confirm the leave.
        // The feed's first report after the pause is due 30 s after the stream
        // stood 25 m out: the push, its own 62 m long, starts some seconds
        // behind the unseen one.
        {.name = "a push-back in a pause of the feed, then standing 25 m out 30 s", .route = pushBackHidden(30),
         .kind = Kind::pushedAway, .gridOrigin = pointAt(0, 0), .p95M = 50.0, .medianM = 25.0, .pushLimitS = 20.0,
         .standsAfterItsPush = false},
        {.name = "a push-back in a pause of the feed, then standing 25 m out 90 s", .route = pushBackHidden(90),
         .kind = Kind::pushedAway, .gridOrigin = pointAt(0, 0), .p95M = 50.0, .medianM = 25.0, .pushLimitS = 20.0,
         .standsAfterItsPush = false},
        // The stream resumes far off the stand: the aircraft leaves it, one
        // object throughout, and makes the way up behind its stream (so far
        // off it for a while).
        {.name = "pushed and taxiing away in a pause of the feed", .route = pushedAndTaxiingAwayInAPause(),
         .kind = Kind::pushedAway, .gridOrigin = pointAt(0, 0), .p95M = 1000.0, .medianM = 1000.0,
         .standsAfterItsPush = false},
        // Held where its push ended, it finds its stream 500 m off after the
        // pause, the speed fields 0 for 20 s: it makes the way up at twice the
        // pace the reports' positions show since, not at the fields' 0 kt.
        {.name = "pushed back, then taxiing off in a pause of the feed, the speed fields 0 after it",
         .route = pushedBackAndTaxiingOffInAPause(), .kind = Kind::pushedAway, .gridOrigin = pointAt(0, 0),
         .p95M = 1000.0, .medianM = 1000.0, .zeroSpeedsAfterThePauseS = 20.0, .keepsUp = true},
    };
    for (const Case& c : cases) {
        if (getenv("CASE") && !strstr(c.name, getenv("CASE"))) continue;
        for (const std::uint64_t seed : c.clean ? std::vector<std::uint64_t>{1} : std::vector<std::uint64_t>{1, 2, 3}) {
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
            faults.jumps = c.jumps;
            if (c.scatterM > 0.0) {
                faults.noiseM = c.scatterM;
                faults.quantumM = 0.0;
                faults.flipShare = 0.0;
            }
            if (c.neighbour) {
                // Its stream standing there beyond the run's end.
                LiveAc& other = place("A320", AcPhase::taxi, *c.neighbour, 180.0, "DLH997");
                other.samples.front().stationary = 1;
                other.samples.push_back(other.samples.front());
                other.samples.back().dueTick = 1000000;
            }
            const double end = c.route.points().back().t;
            std::vector<Fix> fixes = c.clean ? ground_test::cleanFeed(c.route)
                                             : engine_test::realFeed([&](double t) { return truthAt(c.route.points(), t); },
                                                                     0.0, end, c.gridOrigin, faults);
            for (const Stray& stray : c.strays) {
                const auto at = std::find_if(fixes.begin(), fixes.end(), [&](const Fix& f) { return f.t >= stray.atS; });
                if (at == fixes.end()) continue;
                const GeoPoint off = ground_test::moved(ground_test::moved(gf_samplePoint(at->sample), 0.0, stray.northM),
                                                       90.0, stray.eastM);
                at->sample.lat = off.lat;
                at->sample.lon = off.lon;
            }
            if (c.speedNoiseKt > 0.0) {
                engine_test::FeedRandom random(seed);
                for (std::size_t k = 2; k < fixes.size(); k += 2)
                    if (fixes[k].sample.airborne == 0) fixes[k].sample.groundSpeedKt += random.uniform(1.0, c.speedNoiseKt);
            }
            if (c.zeroSpeedsAfterThePauseS > 0.0) {
                const double resumed = c.route.pauses().back().first + c.route.pauses().back().second;
                for (Fix& fix : fixes)
                    if (fix.t >= resumed && fix.t < resumed + c.zeroSpeedsAfterThePauseS && fix.sample.airborne == 0)
                        fix.sample.groundSpeedKt = 0.0;
            }
            if (c.strayM) {
                PosSample& stray = fixes[fixes.size() / 3].sample;
                const GeoPoint off = pointAt(-*c.strayM, 360);
                stray.lat = off.lat;
                stray.lon = off.lon;
                stray.groundSpeedKt = 0.0;
            }
            engine_test::Rec r;
            const bool leaves = c.kind == Kind::departure || c.kind == Kind::touchAndGo;
            r.hexId = leaves ? 4851713 : 4844322;
            r.callsign = leaves ? "KLC1673" : "KLM1235";
            r.type = c.type;
            bool wasOnTheGround = false;
            // Long enough for a stand to be taken (three minutes after the stream ends).
            const double runS = end + (c.kind == Kind::parksShort ? 240.0 : 40.0);
            const Watched w = run(r, fixes, static_cast<std::int32_t>(runS * 100.0), [&](const LiveAc& ac) {
                wasOnTheGround = wasOnTheGround || ac.groundMode != 0;
                return leaves && wasOnTheGround && ac.phase == AcPhase::flying &&
                       ac.altitudeFt > kFieldElevationFt + 1000.0;
            });
            Faithful f;
            judgeMotion(w, fixes, f);
            judgeStops(w, c.route, standPoint(5), 0.0, f);
            const ground_test::GroundPace pace = ground_test::groundPace(w);
            if (getenv("TRACE")) for (auto& p : w.path) if (p.tick % 100 == 0) { auto at = engine_test::streamAt(fixes, p.tick / 100.0 - 30); fmt::print("TRACE t={} {} roll {} ground {} alt {:.0f} off {:.0f} m  ac N {:.0f} E {:.0f}  stream N {:.0f} E {:.0f}\n", p.tick/100, gf_phaseName(p.phase), p.roll, p.onGround, p.altitudeFt, metresBetween(p.at, at), (p.at.lat-engine_test::kFieldLat)*111132.95, (p.at.lon-engine_test::kFieldLon)*71433.5, (at.lat-engine_test::kFieldLat)*111132.95, (at.lon-engine_test::kFieldLon)*71433.5); }
            if (getenv("FIXES")) for (const Fix& fx : fixes) fmt::print("FIX t={:.1f} {} N {:.1f} E {:.1f} gs {:.1f}\n", fx.t, fx.sample.airborne ? "air" : "gnd", (fx.sample.lat - engine_test::kFieldLat) * 111132.95, (fx.sample.lon - engine_test::kFieldLon) * 71433.5, fx.sample.groundSpeedKt);
            if (getenv("PHASES")) { AcPhase last = AcPhase::birth; bool first = true; for (auto& p : w.path) if (first || p.phase != last) { fmt::print("PHASE {} at {:.1f} s, {:.1f} m from S5\n", gf_phaseName(p.phase), p.tick / 100.0, metresBetween(p.at, standPoint(5))); last = p.phase; first = false; } }
            if (getenv("LOG")) for (const std::string& line : log.lines()) fmt::print("LOG {}\n", line);
            EXPECT_FALSE(w.phases.empty());
            if (w.phases.empty()) continue;
            EXPECT_EQ(w.creations, 1u) << "one object throughout, never removed and created again";
            EXPECT_EQ(w.objects.size(), 1u);
            const auto reached = [&](AcPhase phase) {
                return std::find(w.phases.begin(), w.phases.end(), phase) != w.phases.end();
            };
            // Each hold of a minute or more that the stream is heard leaving:
            // the take-off roll starts when the delayed stream's does; a push
            // (run at the aircraft's push speed from the start) or a pull-out
            // is 20 m on when the delayed stream is.
            for (const auto& [from, to] : c.route.standing()) {
                if (to - from < 60.0 || to >= end || !ground_test::heard(fixes, to)) continue;
                const bool roll = ground_test::onTheRunway(gf_samplePoint(truthAt(c.route.points(), to)));
                const bool fromStand = from < 1.0 || c.kind == Kind::arrival;
                if (!roll && !fromStand) continue;  // holding short: left when the line-up is heard
                const std::optional<ground_test::Leaving> left =
                    ground_test::leftAt(w, from + 30.0 + (to - from) / 2.0);
                EXPECT_TRUE(left) << "it left the hold that ends at " << to << " s";
                if (!left) continue;
                const double late = roll ? left->startS - (to + 30.0)
                                         : left->twentyMetresS - (ground_test::routeTwentyMetresOn(c.route, to) + 30.0);
                if (getenv("HOLDS")) fmt::print("HOLD {} seed {} to {:.0f} late {:.1f}\n", c.name, seed, to, late);
                EXPECT_LE(std::fabs(late), roll ? c.rollLimitS : c.pushLimitS)
                    << "seconds after the delayed stream it left the hold that ends at " << to << " s";
            }
            switch (c.kind) {
                case Kind::departure:
                    // Never flying before the roll, for all the reports flagged airborne.
                    EXPECT_EQ(w.phases,
                              (std::vector<AcPhase>{AcPhase::parked, AcPhase::pushing_back, AcPhase::pushed_back,
                                                    AcPhase::taxi, AcPhase::take_off, AcPhase::flying}));
                    break;
                case Kind::pushedAway:
                    EXPECT_TRUE(reached(AcPhase::pushing_back));
                    break;
                case Kind::arrival:
                    EXPECT_NE(std::find(standOptions.begin(), standOptions.end(), std::pair<std::int32_t, int>{5, 0}),
                              standOptions.end())
                        << "parked on S5";
                    EXPECT_TRUE(reached(AcPhase::pushing_back));
                    EXPECT_TRUE(f.parkedOffDeg) << "parked";
                    if (f.parkedOffDeg) {
                        EXPECT_LE(*f.parkedOffDeg, 1.0) << "its nose round onto the stand's heading";
                    }
                    EXPECT_LE(f.pivotOnStandDeg, 15.0) << "on the way in, not on the stand";
                    break;
                case Kind::standing: {
                    // Parked, it never leaves its stand, which it holds at the end.
                    const int standId = c.type == std::string("C56X") ? 5 : 7;
                    EXPECT_FALSE(reached(AcPhase::pushing_back));
                    EXPECT_FALSE(log.contains("pulling out"));
                    const auto parkedAt = std::find_if(w.path.begin(), w.path.end(), [](const Watched::Place& p) {
                        return p.phase == AcPhase::parked;
                    });
                    EXPECT_NE(parkedAt, w.path.end());
                    const auto off = std::find_if(parkedAt, w.path.end(), [&](const Watched::Place& p) {
                        return metresBetween(p.at, standPoint(standId)) > 1.0;
                    });
                    EXPECT_EQ(off, w.path.end()) << "off its stand at " << off->tick / 100.0 << " s";
                    EXPECT_EQ(stand(standId).occupied, 1);
                    break;
                }
                case Kind::rollOut:
                    EXPECT_FALSE(reached(AcPhase::take_off));
                    EXPECT_GT(w.touchDownAt, 0) << "rolling out as one that landed";
                    break;
                case Kind::landing:
                case Kind::taxi:
                    EXPECT_EQ(w.phases.back(), AcPhase::taxi);
                    break;
                case Kind::touchAndGo:
                    EXPECT_TRUE(reached(AcPhase::take_off));
                    break;
                case Kind::staysOnTheGround:
                    EXPECT_FALSE(reached(AcPhase::take_off));
                    break;
                case Kind::helicopter:
                    EXPECT_TRUE(reached(AcPhase::take_off));
                    break;
                case Kind::parksShort: {
                    // Parked on the stand within three minutes of the delayed
                    // stream's end, on it and along its axis.
                    const double stopS = fixes.back().t + 30.0;
                    // (A tow was born parked on the stand it left.)
                    const auto moved = std::find_if(w.path.begin(), w.path.end(), [](const Watched::Place& p) {
                        return p.phase != AcPhase::parked;
                    });
                    const auto parkedAt = std::find_if(moved, w.path.end(), [](const Watched::Place& p) {
                        return p.phase == AcPhase::parked;
                    });
                    EXPECT_NE(parkedAt, w.path.end()) << "never parked";
                    if (parkedAt == w.path.end()) break;
                    EXPECT_LE(secondsOf(parkedAt->tick), stopS + 180.0);
                    EXPECT_LE(metresBetween(parkedAt->at, standPoint(5)), 3.0);
                    EXPECT_LE(gf_headingDifferenceDeg(0.0, parkedAt->heading), 15.0);
                    break;
                }
            }
            // While the delayed stream stands (settled a minute on): near where
            // it stands, not turning round.
            const StandingJudged standing = judgeStanding(w, c.route, c.standsAfterItsPush);
            EXPECT_LE(standing.farthestM, 30.0) << standing.worst;
            EXPECT_LE(standing.turnedDeg, 45.0) << standing.worst;
            if (c.keepsUp) {
                const ground_test::Verdict behind =
                    ground_test::keepsUp(w, c.route, fixes, c.route.pauses(), 30.0, 100.0, 300.0, 20.0);
                EXPECT_FALSE(behind) << *behind;
            }
            if (c.offRouteM) {
                const std::vector<Fix> line = fixesAlong(c.route.points());
                double farthest = 0.0;
                for (const Watched::Place& p : w.path)
                    if (p.onGround) farthest = std::max(farthest, engine_test::offTrackMetres(p.at.lat, p.at.lon, line));
                EXPECT_LE(farthest, *c.offRouteM) << "metres off the route";
            }
            if (!c.route.points().back().aboveFieldFt) {
                EXPECT_LE(ground_test::heightAfterTheStream(w, fixes), 15.0) << "no climb after its stream ended";
            }
            EXPECT_LE(pace.taxiKt, c.fastestTaxiKt) << pace.whenTaxi;
            if (c.fastestRollKt > 0.0) {
                EXPECT_LE(pace.rollKt, c.fastestRollKt) << pace.whenRoll;
            }
            EXPECT_LE(f.largestSlideDeg, 30.0) << f.worstSlide;
            if (c.standsAfterItsPush) {
                EXPECT_LE(f.largestStandingMoveM, 0.5) << f.worstStanding;
            }
            EXPECT_LE(f.medianM, c.medianM);
            EXPECT_LE(f.p95M, c.p95M);
        }
    }
}

}  // namespace
