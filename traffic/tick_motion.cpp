#include "traffic/tick_motion.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

#include "airports/airport_services.h"
#include "foundation/log.h"
#include "traffic/ai_controls.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/stand_parking.h"
#include "traffic/state.h"

namespace {

constexpr double kTurnDeadBandRad = 0.5 * kDegToRad;
constexpr double kFlarePitchRad = -4.0 * kDegToRad;

double wrapHeadingFast(double heading) {
    if (heading >= kTwoPi)
        heading -= kTwoPi;
    else if (heading < 0.0)
        heading += kTwoPi;
    return heading >= kTwoPi || heading < 0.0 ? gf_wrapHeading(heading) : heading;
}

bool hasCurve(const GroundCurve& curve) { return !std::isnan(curve.controlEastM) && !std::isnan(curve.controlNorthM); }

bool headingFollowsSteps(AcPhase phase) {
    return phase == AcPhase::take_off || phase == AcPhase::flying || phase == AcPhase::parked || phase == AcPhase::birth;
}

// On the ground an aircraft moves the way its nose points (its tail while
// pushed back): where the way to go lies more than kSteerFreeRad off, it
// slows, down to a creep round a small circle at kCreepRoundOffRad, and turns
// towards that way at no less than its category's rate. Real aircraft slow
// down in turns too; the time lost is made up on the rest of the way to the
// sample.
constexpr double kSteerFreeRad = 12.0 * kDegToRad;
constexpr double kSteerLeastStepM = 0.01;  // a tick's step at 1 m/s
constexpr double kCreepRoundM = 0.015;     // a tick's step at 1.5 m/s

// A helicopter may side-step close to the ground, slower than this a tick
// (2.5 m/s) or within the scatter of where it stands; hover-taxiing faster
// and farther it points its nose the way it goes, as aircraft always do,
// drifting that way while it comes round the last of its turn.
constexpr double kSideStepM = 0.025;
// Farther round than this it turns on the spot first (a pedal turn): drifting
// while its nose swings through a wide turn, it would slide sideways.
constexpr double kHoverDriftRad = 30.0 * kDegToRad;
// Faster than this a tick (5 m/s) it is hover-taxiing, however near its
// next sample (reports a few seconds apart lie within the scatter's reach).
constexpr double kHoverTaxiStepM = 0.05;
// Pushed or towed back, tail first: the stream's speed below a taxi's to
// start (an aircraft turning round by itself shows more; once going, the
// tug's pace is held whatever the reports' fields say), the way this far
// off the tail to start and to keep on, its sample within a push's length
// and no longer push, and a push's pace a tick (2.5 m/s) at most.
constexpr double kStartPushKt = 4.0;
constexpr double kPushReachNm = 60.0 / kMetersPerNm;  // its sample no farther off
constexpr double kPushLengthM = 60.0;                   // nor a longer push
constexpr double kStartReversingRad = 45.0 * kDegToRad;
constexpr double kKeepReversingRad = 90.0 * kDegToRad;
constexpr double kPushStepM = 0.025;

bool steersOnGround(const LiveAc& aircraft) {
    if (aircraft.groundMode == 0 || (aircraft.phase != AcPhase::taxi && aircraft.phase != AcPhase::parking &&
                                     aircraft.phase != AcPhase::pushing_back))
        return false;
    if (aircraft.sizeCategory != SizeCategory::Rotorcraft) return true;
    // Its step this tick: along its curve (a hover-taxi's turn, or the start
    // of a lift-off that leaves along the stream's way), or straight.
    double stepM = 0.0;
    if (const GroundCurve& curve = aircraft.curve; hasCurve(curve)) {
        stepM = gf_curveLengthM(curve, curve.t, std::clamp(gf_curveAdvance(curve, curve.t, curve.tStep), 0.0, 0.999999));
    } else {
        const double north = aircraft.latStep * kMetresPerDegreeLat;
        const double east = aircraft.lonStep * gf_metresPerDegreeLon(aircraft.lat);
        stepM = std::hypot(north, east);
    }
    return stepM > kSideStepM && !aircraft.samples.empty() &&
           (stepM > kHoverTaxiStepM ||
            gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(aircraft.samples.front())) > kScatterReachNm);
}

double facingOf(const LiveAc& aircraft, double heading) {
    return aircraft.phase == AcPhase::pushing_back || aircraft.reversing != 0 ? heading + kPi : heading;
}

// A tug pushes or tows an aircraft back from where it stood, off a stand's
// centre or on the apron: its way lies behind it at a push's pace (its
// stream shows no more) as it moves off. It goes tail first, as the
// push-back off a stand does, rather than coming round on the spot; once
// going it keeps on while the way lies on its tail's side.
bool pushedTailFirst(const LiveAc& aircraft, double way) {
    const bool going = aircraft.reversing != 0;
    if (going ? aircraft.reversedM > kPushLengthM : aircraft.stood == 0) return false;
    if (aircraft.phase != AcPhase::taxi || aircraft.sizeCategory == SizeCategory::Rotorcraft ||
        aircraft.samples.empty() || (!going && aircraft.samples.front().groundSpeedKt >= kStartPushKt) ||
        gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(aircraft.samples.front())) > kPushReachNm)
        return false;
    const double offTail = std::fabs(gf_normaliseRad(way - aircraft.heading - kPi));
    return offTail <= (going ? kKeepReversingRad : kStartReversingRad);
}

// The share (0 to 1) of its step an aircraft on the ground makes when its
// nose (or tail) lies `off` radians off the way.
double steerShare(double off) {
    const double a = std::fabs(off);
    if (a <= kSteerFreeRad) return 1.0;
    if (a >= kCreepRoundOffRad) return 0.0;
    return (kCreepRoundOffRad - a) / (kCreepRoundOffRad - kSteerFreeRad);
}

void turnTowards(LiveAc& aircraft, double wanted, double rate) {
    const double difference = gf_normaliseRad(wanted - aircraft.heading);
    if (std::fabs(difference) > kTurnDeadBandRad) aircraft.heading += std::copysign(rate, difference);
    aircraft.heading = wrapHeadingFast(aircraft.heading);
}

// The speed (kt) the aircraft may make up lost time at: the ground's
// ceiling for the front sample's speed, or for the one the stream shows from
// it to the next (a speed field may be stale); a late aircraft arrives late
// rather than darting.
double catchUpKt(const LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    double kt = queue[0].groundSpeedKt;
    if (queue.size() >= 2 && queue[1].dueTick > queue[0].dueTick) {
        const double nm = gf_distanceNm(gf_samplePoint(queue[0]), gf_samplePoint(queue[1]));
        const double dueKt = nm * kTicksPerHour /
                             static_cast<double>(static_cast<std::int64_t>(queue[1].dueTick) - queue[0].dueTick);
        // Due ticks drawn together to make up lost time show the lateness,
        // made up at taxi speed at most; faster than that, only as fast as
        // the stream's own times show it went.
        double shownKt = dueKt;
        if (queue[0].streamTick != 0 && queue[1].streamTick > queue[0].streamTick)
            shownKt = nm * kTicksPerHour /
                      static_cast<double>(static_cast<std::int64_t>(queue[1].streamTick) - queue[0].streamTick);
        kt = std::max({gf_fieldsBorneOutKt(aircraft, queue[0], queue[1], kt, shownKt),
                       std::min(dueKt, gf_taxiCeilingKt(aircraft.sizeCategory)),
                       gf_positionsSpeedKt(aircraft, std::max(kt, queue[1].groundSpeedKt), std::min(shownKt, dueKt))});
    }
    if (queue.size() >= 2) kt = std::max(kt, gf_streamSpeedKt(aircraft, queue[0], queue[1]));
    // Making up a pause of the feed, it goes at taxi speed at most (a take-off
    // seen since ends that where the aircraft lines up for it); so does a leg
    // that turns it well off its nose, however late it is, till a roll of its
    // own starts.
    if (aircraft.makingUpAPause != 0 || (aircraft.turnsAtTaxi != 0 && !gf_onItsOwnRoll(aircraft)))
        return gf_groundCeilingKt(aircraft, gf_taxiCeilingKt(aircraft.sizeCategory));
    return gf_groundCeilingKt(aircraft, std::max(kt, gf_streamSpeedOnKt(aircraft, 0)));
}

// The rest of the way to the front sample spread over the ticks left to its
// due tick, after a tick that made only part of its step: never slower than
// planned, and no faster than catchUpKt.
void catchUp(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return;
    const PosSample& target = aircraft.samples.front();
    double left = std::max(static_cast<double>(target.dueTick) - g_tick.load(), 1.0);
    const double fastestNm = catchUpKt(aircraft) / kTicksPerHour;
    GroundCurve& curve = aircraft.curve;
    if (hasCurve(curve)) {
        // The step is a share of the curve's whole length.
        const double wholeM = gf_curveLengthM(curve, 0.0, 1.0);
        const double restM = gf_curveLengthM(curve, curve.t, 1.0);
        left = std::max(left, restM / kMetersPerNm / fastestNm);
        if (wholeM > 0.0) curve.tStep = std::max(curve.tStep, restM / wholeM / left);
    } else {
        const double restNm = gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(target));
        const double plannedNm = gf_distanceNm(gf_acPoint(aircraft), GeoPoint{aircraft.lat + aircraft.latStep,
                                                                              aircraft.lon + aircraft.lonStep});
        left = std::max(left, restNm / fastestNm);
        // The planned step, re-aimed each tick while the aircraft steers
        // round, stays within taxi speed off a roll of its own.
        const double mostNm =
            gf_onItsOwnRoll(aircraft)
                ? plannedNm
                : std::min(plannedNm, std::max(fastestNm, gf_taxiCeilingKt(aircraft.sizeCategory) / kTicksPerHour));
        if (mostNm > 0.0 && restNm > 0.0) left = std::min(left, restNm / mostNm);
        aircraft.latStep = (target.lat - aircraft.lat) / std::max(left, 1.0);
        aircraft.lonStep = gf_lonDifference(aircraft.lon, target.lon) / std::max(left, 1.0);
    }
}

// Far off the way (its sample beside or behind it) the aircraft does not
// turn on the spot: it rolls slowly the way its nose (tail) points while it
// turns, so it comes round on a small circle; then it aims straight at the
// sample (a curve it was on is left), or, driving onto its stand, takes the
// way onto the stand's axis anew from where it is.
void creepRound(LiveAc& aircraft, double stepM) {
    GroundCurve& curve = aircraft.curve;
    if (hasCurve(curve)) gf_clearCurve(curve);
    const double metres = std::min(stepM, kCreepRoundM);
    const double facing = facingOf(aircraft, aircraft.heading);
    aircraft.lat += metres * std::cos(facing) / kMetresPerDegreeLat;
    aircraft.lon += metres * std::sin(facing) / gf_metresPerDegreeLon(aircraft.lat);
    if (aircraft.phase == AcPhase::parking)
        lf_curveOntoStand(aircraft, GeoPoint{aircraft.standLat, aircraft.standLon}, aircraft.standHeading);
}

void moveAndTurnOnGround(LiveAc& aircraft) {
    if (aircraft.phase != AcPhase::taxi) aircraft.reversing = 0;
    GroundCurve& curve = aircraft.curve;
    const bool onCurve = hasCurve(curve);
    GeoPoint to{aircraft.lat + aircraft.latStep, aircraft.lon + aircraft.lonStep};
    std::optional<double> wanted;
    double nextT = curve.t;
    if (onCurve) {
        nextT = std::clamp(gf_curveAdvance(curve, curve.t, curve.tStep), 0.0, 0.999999);
        double tangent = 0.0;
        if (!gf_curvePoint(curve, to, tangent, nextT)) {
            gf_log(fmt::format("{} error in curve at index: {:.2F}", aircraft.callsign, nextT));
            curve.t = nextT;
            return;
        }
        wanted = facingOf(aircraft, tangent);
    }
    const double north = (to.lat - aircraft.lat) * kMetresPerDegreeLat;
    const double east = gf_lonDifference(aircraft.lon, to.lon) * gf_metresPerDegreeLon(aircraft.lat);
    // Creeping into place (slower than 1 m/s) it keeps its nose, as on a
    // stream's last few noisy metres.
    const bool moving = std::hypot(north, east) >= kSteerLeastStepM;
    const double way = moving ? std::atan2(east, north) : 0.0;
    if (moving) {
        const bool going = aircraft.reversing != 0;
        aircraft.reversing = pushedTailFirst(aircraft, way) ? 1 : 0;
        if (!going) aircraft.reversedM = 0.0;
        if (aircraft.reversing != 0) aircraft.reversedM += std::min(std::hypot(north, east), kPushStepM);
        aircraft.stood = 0;
    }
    if (!wanted) {
        if (moving)
            wanted = facingOf(aircraft, way);
        else if (aircraft.phase == AcPhase::parking)
            wanted = aircraft.targetBearing;
    }
    if (!moving) {
        if (wanted) turnTowards(aircraft, *wanted, aircraft.turnRate);
        aircraft.lat = to.lat;
        aircraft.lon = to.lon;
        curve.t = nextT;
        return;
    }
    const double offBefore = gf_normaliseRad(way - facingOf(aircraft, aircraft.heading));
    // Slowed, it turns at its category's rate at least; standing, at twice that.
    const double least = std::fabs(offBefore) >= kCreepRoundOffRad   ? 2.0 * aircraft.turnRateBase
                         : std::fabs(offBefore) > kSteerFreeRad ? aircraft.turnRateBase
                                                                 : 0.0;
    const double rate = std::max(aircraft.turnRate, least);
    if (wanted) turnTowards(aircraft, *wanted, rate);
    const double offAfter = gf_normaliseRad(way - facingOf(aircraft, aircraft.heading));
    // A helicopter coming round drifts the way it goes at a side-step's pace
    // once its nose is nearly there, and turns on the spot before.
    // Pushed back, it goes no faster than a push.
    const double stepM = std::hypot(north, east);
    const bool helicopter = aircraft.sizeCategory == SizeCategory::Rotorcraft;
    const double share = helicopter ? (std::fabs(offAfter) <= kSteerFreeRad     ? 1.0
                                       : std::fabs(offAfter) <= kHoverDriftRad ? std::min(1.0, kSideStepM / stepM)
                                                                               : 0.0)
                         : aircraft.reversing != 0 ? std::min(steerShare(offAfter), kPushStepM / stepM)
                                                   : steerShare(offAfter);
    if (share >= 1.0) {
        aircraft.lat = to.lat;
        aircraft.lon = to.lon;
        curve.t = nextT;
        return;
    }
    if (share > 0.0) {
        if (onCurve) {
            double tangent = 0.0;
            if (gf_curvePoint(curve, to, tangent, curve.t + share * (nextT - curve.t))) {
                curve.t += share * (nextT - curve.t);
                aircraft.lat = to.lat;
                aircraft.lon = to.lon;
            }
        } else {
            aircraft.lat += share * aircraft.latStep;
            aircraft.lon += share * aircraft.lonStep;
        }
    } else if (!helicopter) {
        creepRound(aircraft, std::hypot(north, east));
    }
    catchUp(aircraft);
}

void moveAndTurn(LiveAc& aircraft) {
    if (steersOnGround(aircraft)) {
        moveAndTurnOnGround(aircraft);
        return;
    }
    std::optional<double> wanted;
    if (hasCurve(aircraft.curve)) {
        GroundCurve& curve = aircraft.curve;
        curve.t = std::clamp(gf_curveAdvance(curve, curve.t, curve.tStep), 0.0, 0.999999);
        GeoPoint point;
        double tangent = 0.0;
        if (gf_curvePoint(curve, point, tangent, curve.t)) {
            aircraft.lat = point.lat;
            aircraft.lon = point.lon;
            wanted = aircraft.phase == AcPhase::pushing_back ? tangent + kPi : tangent;
        } else {
            gf_log(fmt::format("{} error in curve at index: {:.2F}", aircraft.callsign, curve.t));
        }
    } else {
        if (headingFollowsSteps(aircraft.phase)) aircraft.heading += aircraft.headingStep;
        if (aircraft.phase == AcPhase::parking || aircraft.turningToBearing != 0) wanted = aircraft.targetBearing;
        if (aircraft.phase != AcPhase::pushed_back) {
            aircraft.lat += aircraft.latStep;
            aircraft.lon += aircraft.lonStep;
        }
    }
    if (wanted) {
        const double difference = gf_normaliseRad(*wanted - aircraft.heading);
        if (std::fabs(difference) > kTurnDeadBandRad) aircraft.heading += std::copysign(aircraft.turnRate, difference);
    }
    aircraft.heading = wrapHeadingFast(aircraft.heading);
}

// The lower of the height above ground and above the park airport; the
// airport's elevation is taken when it is not known yet.
double flareHeight(LiveAc& aircraft) {
    if (!g_parkAirport.code.isSet()) {
        aircraft.heightAboveAirport = aircraft.altAboveGround;
    } else {
        if (aircraft.flareElevationKnown == 0) {
            aircraft.flareElevation = static_cast<double>(g_parkAirport.altitude);
            aircraft.flareElevationKnown = 1;
        }
        aircraft.heightAboveAirport = aircraft.altitudeFt - aircraft.flareElevation;
    }
    return std::min(aircraft.altAboveGround, aircraft.heightAboveAirport);
}

void nextFlareStage(LiveAc& aircraft, double climbStep, double verticalSpeed) {
    aircraft.climbStep = climbStep;
    aircraft.samples.front().verticalSpeed = verticalSpeed;
    ++aircraft.flareStage;
    aircraft.flareElevationKnown = 0;
}

// Short final: the descent flattens in four stages as the wheels near the ground.
void flare(LiveAc& aircraft) {
    const double height = flareHeight(aircraft);
    const double cg = aircraft.staticCgHeight;
    switch (aircraft.flareStage) {
        case 0:
            if (height <= cg + 30.0) {
                aircraft.pitchStep = (kFlarePitchRad - aircraft.pitch) / std::max(aircraft.flareSteps, 1);
                nextFlareStage(aircraft, -0.1, -601.0);
                g_fastRangeRequests = 1;
            }
            break;
        case 1:
            if (height <= cg + 20.0) nextFlareStage(aircraft, -0.075, -450.0);
            break;
        case 2:
            if (height <= cg + 10.0) {
                gf_setThrottle(aircraft, 0);
                nextFlareStage(aircraft, -0.05, -300.0);
            }
            break;
        case 3:
            if (height <= cg + 3.0) nextFlareStage(aircraft, -0.025, -150.0);
            break;
        default:
            break;
    }
}

void attitudeStep(LiveAc& aircraft) {
    if (aircraft.noseDown != 0) {
        aircraft.pitch += aircraft.pitchStep;
        const bool passed = aircraft.pitchStep >= 0.0 ? aircraft.pitch >= aircraft.staticPitch
                                                      : aircraft.pitch <= aircraft.staticPitch;
        if (passed) {
            aircraft.pitch = aircraft.staticPitch;
            aircraft.pitchStep = aircraft.bank = aircraft.bankStep = 0.0;
            aircraft.noseDown = 0;
            aircraft.flareStage = 0;
        }
        aircraft.bank += aircraft.bankStep;
    } else if (aircraft.flareStage >= 1 && aircraft.flareStage <= 4) {
        aircraft.bank = std::clamp(aircraft.bank + aircraft.bankStep, -kPi, kPi);
        aircraft.pitch = std::max(aircraft.pitch + aircraft.pitchStep, kFlarePitchRad);
        aircraft.altitudeFt += aircraft.climbStep;
    } else if (aircraft.groundMode != 0) {
        aircraft.pitch = aircraft.staticPitch;
        aircraft.bank = 0.0;
    } else {
        aircraft.bank += aircraft.bankStep;
        aircraft.pitch += aircraft.pitchStep;
        aircraft.altitudeFt += aircraft.climbStep;
    }
}

// Rotation on the ground while the counter is 1 or more, then the climb-out,
// gentle at first: a tenth, a fifth, a half and then the whole climb step.
void rotationAndClimbOut(LiveAc& aircraft) {
    aircraft.rotationCounter = std::max(aircraft.rotationCounter - 1, -1000);
    const std::int32_t counter = aircraft.rotationCounter;
    if (counter >= 1) {
        aircraft.groundMode = 0;
        if (aircraft.pitch > aircraft.takeOffPitch) aircraft.pitch += aircraft.pitchStep;
        return;
    }
    aircraft.bank = std::clamp(aircraft.bank + aircraft.bankStep, -kPi, kPi);
    if (aircraft.pitch > aircraft.climbPitch)
        aircraft.pitch += (aircraft.climbPitch - aircraft.takeOffPitch) / std::max(aircraft.climbOutSteps, 1);
    if (counter == 0) return;
    if (counter >= -99) {
        aircraft.altitudeFt += aircraft.climbStep / 10.0;
    } else if (counter >= -199) {
        aircraft.altitudeFt += aircraft.climbStep / 5.0;
    } else if (counter >= -299) {
        aircraft.altitudeFt += aircraft.climbStep * 0.5;
    } else if (counter == -300) {
        gf_setGear(aircraft, 0);
        aircraft.altitudeFt += aircraft.climbStep;
    } else {
        aircraft.altitudeFt += aircraft.climbStep;
        if (aircraft.pitch <= aircraft.climbPitch) {
            aircraft.pitchStep = 0.0;
            if (aircraft.altAboveGround >= 800.0) {
                gf_setThrottle(aircraft, aircraft.sizeCategory == SizeCategory::Rotorcraft ? 4 : 3);
                gf_setPhase(aircraft, AcPhase::flying);
                aircraft.rotationCounter = 1;
            }
        }
    }
}

}  // namespace

void gf_wrapPosition(double& lat, double& lon) {
    if (lat > 90.0) {
        lat = 180.0 - lat;
        lon += 180.0;
    } else if (lat < -90.0) {
        lat = -180.0 - lat;
        lon += 180.0;
    }
    if (lon >= 180.0 || lon < -180.0) {
        lon = std::fmod(lon + 180.0, 360.0);
        if (lon < 0.0) lon += 360.0;
        lon -= 180.0;
    }
}

void lf_followCurve(LiveAc& aircraft) {
    moveAndTurn(aircraft);
    if (aircraft.phase != AcPhase::take_off) {
        if (aircraft.altAboveGround <= 400.0 && aircraft.approach != 0 && aircraft.groundMode == 0) flare(aircraft);
        attitudeStep(aircraft);
    } else {
        rotationAndClimbOut(aircraft);
    }
    gf_wrapPosition(aircraft.lat, aircraft.lon);
}
