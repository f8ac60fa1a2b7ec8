// Routes of whole movements over the synthetic apron of ground_fixture.h,
// built from pieces: the final approach and the roll-out of a landing
// eastwards on the runway 600 m south of the stands, turning off it, the
// taxiway 100 m south of the stands, driving onto a stand (or stopping
// beside it), a push-back, lining up and the take-off roll in either
// direction, a helicopter's spot. Metres are north and east of stand S1;
// the stands lie 60 m apart along the parallel, facing north.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "ground_runs.h"

namespace ground_test {

inline constexpr double kTaxiwayNorthM = -kTaxiwaySouthM;
inline constexpr double kApronNorthM = -50.0;  // where an aircraft turns off the taxiway towards a stand

// The east of a stand (1 to 9; 9 is the cargo stand C9).
inline double standEastM(int standId) { return (standId - 1) * kStandSpacingM; }

// How fast a category moves: taxiing (least and most), over the threshold,
// touching down, rotating and climbing out, and the roll-out's length.
struct Performance {
    double taxiLeastKt, taxiMostKt;
    double thresholdKt, touchDownKt, rotateKt, climbKt;
    double rollOutM;
};

inline Performance performanceOf(SizeCategory category) {
    switch (category) {
        case SizeCategory::Light:
            return {6.0, 16.0, 70.0, 60.0, 60.0, 70.0, 500.0};
        case SizeCategory::Buzjets:
            return {8.0, 24.0, 120.0, 110.0, 110.0, 125.0, 900.0};
        case SizeCategory::Heavy:
            return {8.0, 22.0, 150.0, 145.0, 155.0, 170.0, 1500.0};
        default:
            return {8.0, 25.0, 140.0, 135.0, 145.0, 160.0, 1200.0};
    }
}

// On final eastwards, over the threshold and touching down at east 0.
inline Route finalEastwards(const Performance& p) {
    Route route(kRunwayNorthM, -12000, 2000, p.thresholdKt + 20.0);
    route.to(kRunwayNorthM, -300, 50, p.thresholdKt).to(kRunwayNorthM, 0, std::nullopt, p.touchDownKt);
    return route;
}

// First heard on the runway rolling out eastwards at `kt`, slowing to 30 kt
// over the `metres` to the end of the roll-out.
inline Route firstHeardRollingOut(const Performance& p, double kt, double metres) {
    return Route(kRunwayNorthM, p.rollOutM - metres, std::nullopt, kt);
}

// The roll-out eastwards down to 30 kt at the end of the roll-out, and on
// at the turn-off speed to the turn-off at `turnOffEastM`.
inline Route& rollOutTo(Route& route, const Performance& p, double turnOffEastM, double turnOffKt) {
    const double slowed = std::max(p.rollOutM, route.points().back().eastM + 50.0);
    route.to(kRunwayNorthM, slowed, std::nullopt, std::min(30.0, p.touchDownKt));
    return route.to(kRunwayNorthM, std::max(turnOffEastM - 60.0, slowed + 20.0), std::nullopt, turnOffKt)
        .to(kRunwayNorthM, std::max(turnOffEastM, slowed + 80.0), std::nullopt, turnOffKt);
}

// Off the runway, rolling along it the way `dir` says (+1 east, -1 west):
// round to the north, up to the taxiway and onto it, heading `taxiDir`.
inline Route& turnOffToTaxiway(Route& route, int dir, int taxiDir, double kt) {
    const Waypoint& at = route.points().back();
    const double north = at.northM, east = at.eastM;
    route.arc(north + 50.0, east, dir > 0 ? 90.0 : 270.0, kt);
    const double up = east + dir * 50.0;
    route.to(kTaxiwayNorthM - 50.0, up, std::nullopt, kt);
    return route.arc(kTaxiwayNorthM - 50.0, up + taxiDir * 50.0, 0.0, kt);
}

// Along the taxiway to the east, at the speed.
inline Route& taxiTo(Route& route, double eastM, double kt) {
    return route.to(kTaxiwayNorthM, eastM, std::nullopt, kt);
}

// Where a stream stops by a stand: metres north and east of its centre,
// coming the last 15 m at `approachDeg` off the stand's axis (towards the
// east when positive).
struct StandStop {
    int standId;
    double northM = 0.0, eastM = 0.0, approachDeg = 0.0;
};

// From a lane running east-west (the taxiway, or one behind a push-back)
// heading `dir`, round to the north and up to the stop by the stand.
inline Route& ontoStand(Route& route, const StandStop& stop, int dir, double kt) {
    const double laneNorth = route.points().back().northM;
    const double radius = kApronNorthM - laneNorth;
    const double endEast = standEastM(stop.standId) + stop.eastM;
    const double a = stop.approachDeg * kDegToRad;
    const double preNorth = stop.northM - 15.0 * std::cos(a), preEast = endEast - 15.0 * std::sin(a);
    route.to(laneNorth, preEast - dir * radius, std::nullopt, kt);
    route.arc(laneNorth + radius, preEast - dir * radius, dir > 0 ? 90.0 : 270.0, std::min(kt, 8.0));
    return route.to(preNorth, preEast, std::nullopt, 5).to(stop.northM, endEast, std::nullopt, 3);
}

// Standing by a stand (at the stop), pushed back south `metres` (two of
// the stand's radii, say) while the tail swings away from `dir`, so that
// the nose points that way; engines started for `startS`, then forward
// along the lane and round onto the taxiway, or along a lane 70 m south of
// the stands when `keepToLane`.
inline Route& pushBack(Route& route, int dir, double metres, double startS, bool keepToLane = false) {
    const Waypoint at = route.points().back();
    const double nose = dir > 0 ? 90.0 : 270.0;
    const double laneNorth = keepToLane ? -70.0 : std::max(at.northM - metres, -80.0);
    route.to(laneNorth + 15.0, at.eastM, std::nullopt, 3, 0.0)
        .to(laneNorth, at.eastM - dir * 10.0, std::nullopt, 0, nose)
        .stand(startS, nose);
    if (keepToLane) return route;
    // Two quarter circles from the lane down to the taxiway.
    const double radius = (laneNorth - kTaxiwayNorthM) / 2.0;
    route.to(laneNorth, at.eastM, std::nullopt, 8).arc(laneNorth - radius, at.eastM, nose, 10);
    return route.arc(laneNorth - radius, at.eastM + dir * 2.0 * radius, 180.0, 10);
}

// From the taxiway (heading `dir`) south at `entryEastM` to the holding
// point, holding there for `holdS` (none: through), and lining up on the
// runway the same way.
inline Route& lineUp(Route& route, int dir, double entryEastM, double kt, double holdS) {
    route.to(kTaxiwayNorthM, entryEastM - dir * 50.0, std::nullopt, kt)
        .arc(kTaxiwayNorthM - 50.0, entryEastM - dir * 50.0, dir > 0 ? 90.0 : 270.0, std::min(kt, 12.0))
        .to(kRunwayNorthM + 60.0, entryEastM, std::nullopt, 10);
    if (holdS > 0.0) route.to(kRunwayNorthM + 55.0, entryEastM, std::nullopt, 0).stand(holdS);
    route.to(kRunwayNorthM + 30.0, entryEastM, std::nullopt, 8)
        .arc(kRunwayNorthM + 30.0, entryEastM + dir * 30.0, 180.0, 8);
    return route.to(kRunwayNorthM, entryEastM + dir * 50.0, std::nullopt, 0);
}

// The take-off roll from where the route stands lined up, and the climb-out.
inline Route& takeOff(Route& route, int dir, const Performance& p) {
    const double east = route.points().back().eastM;
    const double roll = p.rollOutM * 1.2;
    route.to(kRunwayNorthM, east + dir * 80.0, std::nullopt, std::min(30.0, p.rotateKt / 2.0))
        .to(kRunwayNorthM, east + dir * roll * 0.4, std::nullopt, p.rotateKt * 0.7)
        .to(kRunwayNorthM, east + dir * roll, std::nullopt, p.rotateKt);
    return route.to(kRunwayNorthM, east + dir * (roll + 800.0), 300, p.climbKt)
        .to(kRunwayNorthM, east + dir * (roll + 3500.0), 1200, p.climbKt + 10.0);
}

// A take-off rejected at `topKt`: braking to 15 kt, rolling on to the end
// of the runway's stretch.
inline Route& rejectedTakeOff(Route& route, int dir, const Performance& p, double topKt) {
    const double east = route.points().back().eastM;
    const double roll = p.rollOutM * 0.6;
    return route.to(kRunwayNorthM, east + dir * 80.0, std::nullopt, std::min(30.0, topKt / 2.0))
        .to(kRunwayNorthM, east + dir * roll, std::nullopt, topKt)
        .to(kRunwayNorthM, east + dir * (roll + 2.5 * topKt + 200.0), std::nullopt, 15)
        .to(kRunwayNorthM, east + dir * (roll + 2.5 * topKt + 300.0), std::nullopt, 15);
}

// Rolled out eastwards to a stop at `stopEastM`, standing there, then
// turning round on the runway and backtracking west at `kt` to `offEastM`,
// where it turns off north.
inline Route& stopAndBacktrack(Route& route, double stopEastM, double standS, double offEastM, double kt) {
    route.to(kRunwayNorthM, stopEastM - 150.0, std::nullopt, 15).to(kRunwayNorthM, stopEastM, std::nullopt, 0).stand(standS);
    route.arc(kRunwayNorthM + 15.0, stopEastM, 90.0, 5).arc(kRunwayNorthM + 15.0, stopEastM, 0.0, 5);
    return route.to(kRunwayNorthM + 30.0, offEastM, std::nullopt, kt);
}

// A go-around: down the final eastwards to `lowestFt` over the runway, and away.
inline Route goAround(const Performance& p, double lowestFt) {
    Route route(kRunwayNorthM, -12000, 2000, p.thresholdKt + 20.0);
    return route.to(kRunwayNorthM, -300, 50.0 + lowestFt, p.thresholdKt)
        .to(kRunwayNorthM, 400, lowestFt, p.thresholdKt)
        .to(kRunwayNorthM, 2500, 500, p.thresholdKt + 10.0)
        .to(kRunwayNorthM, 8000, 2000, p.climbKt + 20.0);
}

// A helicopter coming in from the west to its spot, landing there facing
// east, standing for `standS` and, when `liftOff`, lifting off eastwards.
inline Route helicopterToSpot(double northM, double eastM, double standS, bool liftOff) {
    Route route(northM, eastM - 3000, 1000, 90);
    route.to(northM, eastM - 400, 200, 50).to(northM, eastM - 60, 30, 15).to(northM, eastM, std::nullopt, 0, 90.0);
    route.stand(standS, 90.0);
    if (liftOff) route.to(northM, eastM + 40, 60, 20).to(northM, eastM + 600, 500, 70).to(northM, eastM + 4000, 1500, 100);
    return route;
}

// A helicopter landing on its spot facing east and standing for `standS`,
// then hover-taxiing along the parallel to `toEastM` at `kt`, `heightFt`
// above the ground (0: on it), standing `secondS` there and, when
// `liftOff`, lifting off the same way.
inline Route helicopterHoverTaxiing(double northM, double eastM, double standS, double toEastM, double heightFt,
                                    double kt, double secondS, bool liftOff) {
    Route route(northM, eastM - 3000, 1000, 90);
    route.to(northM, eastM - 400, 200, 50).to(northM, eastM - 60, 30, 15).to(northM, eastM, std::nullopt, 0, 90.0);
    route.stand(standS, 90.0);
    const int dir = toEastM > eastM ? 1 : -1;
    const double headingDeg = dir > 0 ? 90.0 : 270.0;
    const std::optional<double> up = heightFt > 0.0 ? std::optional<double>(heightFt) : std::nullopt;
    route.to(northM, eastM + dir * 10.0, up, kt, headingDeg)
        .to(northM, toEastM - dir * 10.0, up, kt, headingDeg)
        .to(northM, toEastM, std::nullopt, 0, headingDeg)
        .stand(secondS, headingDeg);
    if (liftOff)
        route.to(northM, toEastM + dir * 40, 60, 20).to(northM, toEastM + dir * 600, 500, 70).to(northM, toEastM + dir * 4000, 1500, 100);
    return route;
}

}  // namespace ground_test
