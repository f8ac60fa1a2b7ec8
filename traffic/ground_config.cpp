// The configuration of an aircraft on the ground per sample (throttle,
// roll-out, flaps, attitude) and its take-off.
#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "foundation/log.h"
#include "simlink/request_queues.h"
#include "traffic/ac_texts.h"
#include "traffic/ai_controls.h"
#include "traffic/air_motion.h"
#include "traffic/engine_services.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/state.h"

namespace {
constexpr double kTurnedOffDeg = 15.0;
// A report this fast on the ground shows a roll (as it arms a take-off).
constexpr double kTurnOffBelowKt = 43.0;
constexpr double kTurnOffOverTaxiKt = 1.0;
constexpr double kRollOutSlowKt = 90.0;
constexpr double kTakeOffDecisionKt = 43.0;
constexpr double kShallowClimbFpm = 256.0;
// A lift-off point this far ahead is waited for.
constexpr std::int64_t kLiftOffPointTicks = 300;

std::int32_t now() { return g_tick.load(std::memory_order_relaxed); }

bool isRotorcraft(const LiveAc& aircraft) { return aircraft.sizeCategory == SizeCategory::Rotorcraft; }

// Spoilers and both throttle levers to 0 %, straight on the object.
void lf_clearControls(const LiveAc& aircraft) {
    if (aircraft.sizeCategory != SizeCategory::Light) g_engineServices.setControls(aircraft.objectId, 0.0, 0.0, 0.0);
}

std::uint32_t takeOffThrottle(const LiveAc& aircraft, const PosSample& s0, const PosSample& s1) {
    if (isRotorcraft(aircraft)) return 4;
    if (s0.groundSpeedKt >= 25.0 || s1.groundSpeedKt >= 30.0) return 4;
    if (s0.groundSpeedKt >= 20.0 || s1.groundSpeedKt >= 25.0) return 2;
    if (s0.groundSpeedKt >= 15.0 || s1.groundSpeedKt >= 20.0) return 1;
    return 0;
}

// The roll-out after touch-down: slowing on the runway, then turned off it.
// No aircraft turns off at a roll's speed, its own or its stream's: its
// nose 15 degrees off the runway's then is the feed's scatter (a stretch of
// jumping reports it heads for) or its lining up behind a run given up
// ahead of it, and it rolls on.
// One that came to rest on the runway has rolled out too: when it moves
// again it taxis (a backtrack, the way to a stand made up after a pause).
void lf_rollOut(LiveAc& aircraft, const PosSample& s0, double arrivedKt) {
    const bool cameToRest = s0.stationary != 0 && arrivedKt < 1.0;
    const bool offTheWay = gf_headingDifferenceDeg(aircraft.touchdownHeading, aircraft.heading) >= kTurnedOffDeg;
    if (!offTheWay) aircraft.rolledOnTheWay = 1;
    // (Nor does one still faster than it taxis: it would taxi at that pace.)
    const double ownKt = gf_ownGroundSpeedKt(aircraft);
    if (((offTheWay && aircraft.rolledOnTheWay != 0) || cameToRest) &&
        std::max(s0.groundSpeedKt, ownKt) < kTurnOffBelowKt &&
        ownKt <= gf_taxiCeilingKt(aircraft.sizeCategory) + kTurnOffOverTaxiKt) {
        gf_setFlaps(aircraft, 0);
        aircraft.landed = 0;
        aircraft.touchdownHeading = 0.0;
        gf_setThrottle(aircraft, isRotorcraft(aircraft) ? 4 : 0);
        gf_setSpoilers(aircraft, 0);
        lf_clearControls(aircraft);
        gf_queueLights(aircraft.objectId, 1, 1, 0, 1, 0, 1, 1);
    } else if (s0.groundSpeedKt <= kRollOutSlowKt) {
        // The flaps stay at 1 until the turn-off.
        gf_setSpoilers(aircraft, 0);
        lf_clearControls(aircraft);
        gf_setFlaps(aircraft, 1);
    }
}

// The next sample is already in the air, far ahead: the stream left the
// ground on the way there, where its climb says. A sample on the ground at
// that point comes first, so that the aircraft rotates there, not seconds
// early at the start of the leg. True when it was put in.
bool lf_waitForTheLiftOffPoint(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    const PosSample s0 = queue[0];
    const PosSample s1 = queue[1];
    if (s1.airborne == 0 || s1.verticalSpeed <= 0.0) return false;
    const double climbTicks = std::max(s1.altitudeFt - aircraft.altitudeFt, 0.0) / (s1.verticalSpeed / 6000.0);
    const std::int64_t liftTick = static_cast<std::int64_t>(s1.dueTick) - gf_roundTicks(climbTicks);
    const std::int64_t legTicks = static_cast<std::int64_t>(s1.dueTick) - now();
    if (legTicks <= 0 || liftTick - now() < kLiftOffPointTicks) return false;
    const double share = static_cast<double>(liftTick - now()) / static_cast<double>(legTicks);
    PosSample lift = s0;
    lift.lat = aircraft.lat + (s1.lat - aircraft.lat) * share;
    lift.lon = aircraft.lon + gf_lonDifference(aircraft.lon, s1.lon) * share;
    lift.groundSpeedKt = s0.groundSpeedKt + (s1.groundSpeedKt - s0.groundSpeedKt) * share;
    lift.altitudeFt = 0.0;
    lift.airborne = 0;
    lift.stationary = 0;
    lift.dueTick = gsl::narrow<std::int32_t>(liftTick);
    queue.insert(queue.begin() + 1, lift);
    return true;
}

// Whether the stream shows the aircraft leaving the ground now. How fast it
// rolls is its own speed as much as the sample's field: one with a take-off
// given up while the feed was quiet, and taken up again when the stream
// climbed away, rolls at the stream's pace while its samples' fields show
// the roll-out's.
void lf_takeOffDecision(LiveAc& aircraft, const PosSample& s0, double arrivedKt) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (aircraft.takeOffSeen == 0 || aircraft.phase == AcPhase::take_off) return;
    // A helicopter lifts off where it stands, once its stream has.
    if (isRotorcraft(aircraft)) {
        if (queue[1].airborne == 0) return;
        aircraft.climbStep = std::min(std::max(queue[1].altitudeFt - aircraft.altitudeFt, 0.1) /
                                          gf_ticksTo(queue[1].dueTick, now()),
                                      aircraft.climbPerTick);
        lf_takeOff(aircraft);
        return;
    }
    if (std::max(s0.groundSpeedKt, arrivedKt) < kTakeOffDecisionKt) return;
    if (lf_waitForTheLiftOffPoint(aircraft)) return;
    const auto later = std::next(queue.begin());
    const bool shallow =
        std::any_of(later, queue.end(), [](const PosSample& s) { return s.verticalSpeed <= kShallowClimbFpm; });
    const bool allAirborne = std::all_of(later, queue.end(), [](const PosSample& s) { return s.airborne != 0; });
    if (shallow) {
        if (!lf_takeOffSpeedReached(aircraft) || !allAirborne) return;
        aircraft.climbStep = aircraft.climbPerTick;
    } else if (!allAirborne) {
        aircraft.climbStep = aircraft.climbPerTick;
    } else {
        const double rise = std::max(queue[1].altitudeFt - aircraft.altitudeFt, 0.1);
        aircraft.climbStep = rise / gf_ticksTo(queue[1].dueTick, now());
    }
    lf_takeOff(aircraft);
}
}  // namespace

void lf_configureOnGround(LiveAc& aircraft, double arrivedKt) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample s0 = queue[0];
    const PosSample s1 = queue[1];
    if (aircraft.phase == AcPhase::flying || aircraft.phase == AcPhase::parked) {
        gf_setPhase(aircraft, AcPhase::taxi);
    } else if (aircraft.takeOffSeen != 0) {
        gf_setThrottle(aircraft, takeOffThrottle(aircraft, s0, s1));
    } else if (aircraft.landed != 0) {
        lf_rollOut(aircraft, s0, arrivedKt);
    } else {
        gf_setThrottle(aircraft, isRotorcraft(aircraft) ? 4 : 0);
    }
    if (aircraft.landed == 0 && aircraft.takeOffSeen == 0) gf_decayDelayWindow(aircraft);
    if (aircraft.flareStage == 0 && aircraft.phase != AcPhase::take_off) {
        aircraft.pitch = aircraft.staticPitch;
        aircraft.pitchStep = 0.0;
        aircraft.bank = 0.0;
        aircraft.bankStep = 0.0;
    }
    if (gf_hasCurve(aircraft.curve)) aircraft.curve.tStep = 1.0 / gf_ticksTo(s1.dueTick, now());
    aircraft.targetTas = aircraft.phase == AcPhase::pushing_back ? -s1.groundSpeedKt : s1.groundSpeedKt;
    lf_takeOffDecision(aircraft, s0, arrivedKt);
}

double gf_takeOffSpeedKt(SizeCategory category) {
    static const std::unordered_map<std::uint32_t, double> speeds = [] {
        constexpr std::pair<SizeCategory, double> table[] = {
            {SizeCategory::Light, 90.0},     {SizeCategory::Buzjets, 110.0}, {SizeCategory::Large, 140.0},
            {SizeCategory::Heavy, 150.0},    {SizeCategory::HighPerf, 220.0}, {SizeCategory::Rotorcraft, 0.0}};
        std::unordered_map<std::uint32_t, double> map;
        for (const auto& [c, kt] : table) map.emplace(static_cast<std::uint32_t>(c), kt);
        return map;
    }();
    const auto found = speeds.find(static_cast<std::uint32_t>(category));
    if (found == speeds.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

bool lf_takeOffSpeedReached(const LiveAc& aircraft) {
    const double needed = gf_takeOffSpeedKt(aircraft.sizeCategory);
    return std::all_of(std::next(aircraft.samples.begin()), aircraft.samples.end(),
                       [needed](const PosSample& s) { return s.groundSpeedKt >= needed; });
}

void lf_takeOff(LiveAc& aircraft) {
    const std::int32_t steps = std::max(aircraft.rotationSteps, 1);
    aircraft.bank = 0.0;
    aircraft.bankStep = 0.0;
    aircraft.rotationCounter = steps;
    aircraft.pitchStep = (aircraft.takeOffPitch - aircraft.pitch) / steps;
    if (aircraft.takeOffSeen == 0) lf_towedTakeOff(aircraft);
    gf_setPhase(aircraft, AcPhase::take_off);
    aircraft.headingStep = 0.0;
    gf_clearCurve(aircraft.curve);
    if (aircraft.landed == 0) return;
    // A touch-and-go.
    aircraft.landed = aircraft.approach = aircraft.wantsStand = 0;
    gf_setThrottle(aircraft, 4);
    gf_setSpoilers(aircraft, 1);
    gf_setFlaps(aircraft, 1);
}

void lf_towedTakeOff(LiveAc& aircraft) {
    if (aircraft.towed != 0) gf_logMarked(fmt::format("towed aircraft takes-off? {}", gf_acText(aircraft)));
    gf_armForTakeOff(aircraft, 0, 0);
}

void gf_armForTakeOff(LiveAc& aircraft, std::uint32_t throttle, std::uint32_t spoilers) {
    aircraft.takeOffSeen = 1;
    gf_setThrottle(aircraft, throttle);
    gf_setSpoilers(aircraft, spoilers);
    gf_setFlaps(aircraft, 1);
    aircraft.approach = aircraft.wantsStand = aircraft.climbConfigured = 0;
    gf_queueLights(aircraft.objectId, 1, 1, 1, 1, 1, 1, 0);
    aircraft.maxDelay = 5000;
    aircraft.maxAdvance = 3000;
    gf_retimeLegForARoll(aircraft);
}
