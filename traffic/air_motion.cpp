#include "traffic/air_motion.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>

#include "airports/airport_services.h"
#include "foundation/log.h"
#include "simlink/request_queues.h"
#include "traffic/ac_texts.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/motion_tables.h"
#include "traffic/path_refill.h"
#include "traffic/state.h"

namespace {

// A queue that keeps refilling with samples that are dropped again would
// never let the tick end; after this many refills in one step the aircraft goes.
constexpr int kMaxRefillsPerStep = 32;
// Rolling on the ground, the nose leads the way to the next sample by no
// more than this towards the leg after it.
constexpr double kGroundLeadRad = 10.0 * kDegToRad;
// So does an aircraft on its final this low, about to touch down.
constexpr double kShortFinalFt = 100.0;
// A way to the next sample shorter than this has no bearing to keep along.
constexpr double kLeastWayNm = 1.0 / kMetersPerNm;

bool isRotorcraft(const LiveAc& aircraft) { return aircraft.sizeCategory == SizeCategory::Rotorcraft; }

bool parkAirportSet() { return g_parkAirport.code.isSet(); }

std::int32_t ticksToNext(const LiveAc& aircraft) { return gf_ticksTo(aircraft.samples[1].dueTick, g_tick.load()); }

// s1's and the aircraft's vertical speed become v, and the climb step follows it.
void takeVerticalSpeed(LiveAc& aircraft, double v) {
    aircraft.samples[1].verticalSpeed = v;
    aircraft.verticalSpeedFpm = v;
    aircraft.climbStep = v / 6000.0;
}

void approachDescent(LiveAc& aircraft) { takeVerticalSpeed(aircraft, lf_approachVs(aircraft)); }

double queuedVerticalSpeeds(const LiveAc& aircraft) {
    double sum = 0.0;
    for (const PosSample& sample : aircraft.samples) sum += sample.verticalSpeed;
    return sum;
}

// The climb step and the gear towards s1, by whether s0 and s1 are
// airborne (the flare sets its own).
void altitudeStepAndGear(LiveAc& aircraft, const PosSample& s0) {
    const PosSample s1 = aircraft.samples[1];
    const double dt = ticksToNext(aircraft);
    if (!s0.airborne && s1.airborne) {
        lf_climbStepFromNext(aircraft);
        return;
    }
    if (s0.airborne && s1.airborne) {
        const double r = (s1.altitudeFt - aircraft.altitudeFt) / dt;
        if (!aircraft.approach) {
            // Low down, away from the park airport's approach, it never sinks.
            const double wanted = aircraft.altAboveGround > 1000.0 || r > 0.2 ? r : 0.2;
            aircraft.climbStep = std::min(wanted, aircraft.climbPerTick);
        } else if (s0.altitudeFt != s1.altitudeFt || aircraft.altAboveGround > 1000.0 ||
                   s0.verticalSpeed + s1.verticalSpeed > 100.0) {
            aircraft.climbStep = r;
        } else {
            approachDescent(aircraft);
        }
        return;
    }
    if (s0.airborne) {  // touch-down ahead
        const std::int32_t qnh = g_engineQnh.load();
        if (qnh >= 1014 || !parkAirportSet())
            takeVerticalSpeed(aircraft, qnh <= 1013 ? -601.0 : lf_approachVs(aircraft));
        else
            aircraft.climbStep = (static_cast<double>(g_parkAirport.altitude) - aircraft.altitudeFt) / dt;
        gf_setGear(aircraft, 1);
        return;
    }
    // Both on the ground while still in the air.
    if (!aircraft.approach && queuedVerticalSpeeds(aircraft) > 100.0) {
        const std::size_t last = std::min<std::size_t>(aircraft.samples.size() - 1, 10);
        for (std::size_t k = 3; k <= last; ++k) {
            if (lf_cutToAirborne(aircraft, k)) {
                gf_setGear(aircraft, 1);
                return;
            }
        }
        takeVerticalSpeed(aircraft, std::max(aircraft.samples[1].verticalSpeed, 601.0));
    } else {
        approachDescent(aircraft);
    }
    gf_setGear(aircraft, 1);
}

// Nose up for a climb, down for a descent: -3 deg - (c / 600) * 2.2 deg.
void pitchStepTowardsNext(LiveAc& aircraft, double dt) {
    const double v = aircraft.samples[1].verticalSpeed;
    const double c = v >= 0.0 ? std::min(v, 2400.0) : std::max(v, -3000.0) / 2.0;
    const double target = (-3.0 - c / 600.0 * 2.2) * kDegToRad;
    const double limit = gf_maxPitchChangeRad(aircraft.sizeCategory);
    aircraft.pitchStep = std::clamp((target - aircraft.pitch) / dt, -limit, limit);
}

void configureAbove10000(LiveAc& aircraft) {
    if (aircraft.lightsHigh[0] != 0) return;
    aircraft.lightsHigh[0] = 1;
    aircraft.lightsHigh[1] = 0;
    gf_queueLights(aircraft.objectId, 1, 1, 0, 0, 0, 0, 1);
    gf_setThrottle(aircraft, isRotorcraft(aircraft) ? 4 : 3);
    gf_setGear(aircraft, 0);
    gf_setFlaps(aircraft, 0);
}

}  // namespace

void gf_decayDelayWindow(LiveAc& aircraft) {
    if (aircraft.maxAdvance > 1000) aircraft.maxAdvance = std::max(aircraft.maxAdvance - 100, 1000);
    if (aircraft.maxDelay > 1000) aircraft.maxDelay = std::max(aircraft.maxDelay - 100, 1000);
}

void nextPosMain(LiveAc& aircraft) {
    try {
        for (int refills = 0;; ++refills) {
            while (aircraft.samples.size() >= 2 && aircraft.groundMode == 0 && !isRotorcraft(aircraft) &&
                   aircraft.samples[1].stationary != 0)
                aircraft.samples.erase(aircraft.samples.begin() + 1);
            if (aircraft.samples.size() >= 2) break;
            if (refills == kMaxRefillsPerStep || !lf_refillSamples(aircraft)) {
                // The arrival at a stand may already have removed it.
                if (aircraft.lifeState == AcLifeState::active) removeAircraftFromSim(aircraft);
                return;
            }
        }
        lf_stepSample(aircraft);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "nextPosMain", e.what(), gf_acText(aircraft),
                                 aircraft.samples.size(), gf_phaseName(aircraft.phase),
                                 gf_lifeStateName(aircraft.lifeState)));
        throw;
    }
}

void lf_stepSample(LiveAc& aircraft) {
    // How fast the aircraft came to the sample it reaches now, on the ground.
    const double arrivedKt = aircraft.groundMode != 0 ? gf_ownGroundSpeedKt(aircraft) : 0.0;
    aircraft.curve = GroundCurve{};
    aircraft.curve.xStart = aircraft.curve.xEnd = std::numeric_limits<double>::quiet_NaN();
    {
        const PosSample& s0 = aircraft.samples[0];
        PosSample& s1 = aircraft.samples[1];
        if (s1.stationary == 0 && gf_samePosition(s0, s1)) s1.stationary = 1;
        if (s1.stationary == 0) aircraft.targetBearing = gf_bearingRad(gf_samplePoint(s0), gf_samplePoint(s1));
    }
    if (aircraft.groundMode != 0)
        nextPosGround(aircraft);
    else
        lf_nextPosAir(aircraft);
    // The ground branch may have reshaped the queue: read it afresh.
    if (aircraft.samples.size() < 2) {
        aircraft.latStep = aircraft.lonStep = 0.0;
        return;
    }
    const PosSample s1 = aircraft.samples[1];
    if (s1.stationary != 0) {
        aircraft.latStep = aircraft.lonStep = 0.0;
        if (aircraft.landed == 0 && aircraft.takeOffSeen == 0) gf_decayDelayWindow(aircraft);
    } else {
        const double dt = ticksToNext(aircraft);
        aircraft.latStep = (s1.lat - aircraft.lat) / dt;
        aircraft.lonStep = gf_lonDifference(aircraft.lon, s1.lon) / dt;
        if (aircraft.groundMode != 0)
            lf_configureOnGround(aircraft, arrivedKt);
        else
            lf_configureInAir(aircraft);
    }
    aircraft.samples.pop_front();
}

double gf_sampleSpeed(const LiveAc& aircraft) {
    const PosSample& s0 = aircraft.samples[0];
    const PosSample& s1 = aircraft.samples[1];
    if (s0.groundSpeedKt == 0.0 && s1.groundSpeedKt == 0.0) {
        const std::int64_t gap = static_cast<std::int64_t>(s1.dueTick) - s0.dueTick;
        const double ticks = static_cast<double>(std::max<std::int64_t>(gap, kMinSampleTicks));
        const double speed = gf_distanceNm(gf_samplePoint(s0), gf_samplePoint(s1)) * kTicksPerHour / ticks;
        return std::max(speed, 1.0);
    }
    return (s0.groundSpeedKt + s1.groundSpeedKt) / 2.0;
}

void lf_nextPosAir(LiveAc& aircraft) {
    const PosSample& s0 = aircraft.samples[0];
    const PosSample& s1 = aircraft.samples[1];
    if (s1.stationary != 0) {
        if (isRotorcraft(aircraft)) lf_scheduleNextSample(aircraft);
        return;
    }
    double speed = 0.0;
    if (aircraft.approach != 0 && s1.airborne == 0)
        speed = s0.groundSpeedKt > 0.0 ? s0.groundSpeedKt : 100.0;
    else
        speed = gf_sampleSpeed(aircraft);
    const double distance = gf_distanceNm(gf_samplePoint(s0), gf_samplePoint(s1));
    const std::int32_t ticks = gf_roundTicks(distance * kTicksPerHour / speed);
    lf_setNextDue(aircraft, std::max(ticks, kMinSampleTicks));
}

void lf_setNextDue(LiveAc& aircraft, std::int32_t ticks) {
    const std::int64_t now = g_tick.load();
    std::int64_t target = now + ticks;
    PosSample& s1 = aircraft.samples[1];
    if (aircraft.refillState < 1) {
        target = std::max<std::int64_t>(target, static_cast<std::int64_t>(s1.dueTick) - aircraft.maxAdvance);
        target = std::min<std::int64_t>(target, static_cast<std::int64_t>(s1.dueTick) + aircraft.maxDelay);
    }
    s1.dueTick = gsl::narrow<std::int32_t>(std::max(target, now));
}

void lf_configureInAir(LiveAc& aircraft) {
    const PosSample s0 = aircraft.samples[0];
    if (aircraft.phase != AcPhase::take_off && aircraft.phase != AcPhase::flying) gf_setPhase(aircraft, AcPhase::flying);
    aircraft.verticalSpeedFpm = aircraft.samples[1].verticalSpeed;
    aircraft.targetTas = aircraft.samples[1].trueAirspeedKt;
    if (aircraft.flareStage == 0) altitudeStepAndGear(aircraft, s0);

    // s1 may be another sample now (cut to the first airborne one).
    const PosSample s1 = aircraft.samples[1];
    const double dt = ticksToNext(aircraft);
    if (aircraft.phase != AcPhase::take_off) pitchStepTowardsNext(aircraft, dt);

    double turn = 0.0;
    const double headingUpTo = aircraft.approach != 0 ? 2000.0 : 1000.0;
    if (s1.adsbHeading != 0 && s1.bank && s1.trueHeading && aircraft.altAboveGround < headingUpTo)
        turn = gf_normaliseRad(*s1.trueHeading - aircraft.heading);
    else
        turn = gf_turnAngle(aircraft);
    // On the ground (touched down, rolling out), or flaring to touch down,
    // the nose keeps along the way it goes: a leg after s1 that turns off (a
    // report astray beside the runway, say) is led into by a few degrees at
    // most. (A helicopter's nose goes where it likes.)
    const bool landing =
        aircraft.flareStage != 0 || (aircraft.approach != 0 && aircraft.altAboveGround < kShortFinalFt);
    if ((aircraft.groundMode != 0 || landing) && aircraft.phase != AcPhase::take_off && !isRotorcraft(aircraft) &&
        gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(s1)) > kLeastWayNm) {
        const double way = gf_bearingRad(gf_acPoint(aircraft), gf_samplePoint(s1));
        const double lead = std::clamp(gf_normaliseRad(aircraft.heading + turn - way), -kGroundLeadRad, kGroundLeadRad);
        turn = gf_normaliseRad(way + lead - aircraft.heading);
    }
    aircraft.headingStep = turn / dt;
    if (s1.bank)
        aircraft.bankStep = (*s1.bank - aircraft.bank) / dt;
    else
        lf_bankStep(aircraft, turn, static_cast<std::int32_t>(dt));

    if (s0.altitudeFt < 10000.0)
        lf_configureBelow10000(aircraft, s0);
    else
        configureAbove10000(aircraft);
}

double gf_turnAngle(const LiveAc& aircraft) {
    if (aircraft.samples.size() < 3) return 0.0;
    const double bearing = gf_bearingRad(gf_samplePoint(aircraft.samples[1]), gf_samplePoint(aircraft.samples[2]));
    return gf_normaliseRad(bearing - aircraft.heading);
}

void lf_bankStep(LiveAc& aircraft, double turnRad, std::int32_t ticks) {
    const double maxBank = gf_maxBankRad(aircraft.sizeCategory);
    const double maxChange = gf_maxBankChangeRad(aircraft.sizeCategory);
    const double target = -std::clamp(turnRad, -maxBank, maxBank);
    aircraft.bankStep = std::clamp((target - aircraft.bank) / ticks, -maxChange, maxChange);
}

void lf_climbStepFromNext(LiveAc& aircraft) {
    const PosSample& s1 = aircraft.samples[1];
    const double rise = s1.altitudeFt - aircraft.altitudeFt;
    aircraft.climbStep = rise > 0.0 ? std::min(rise / ticksToNext(aircraft), aircraft.climbPerTick) : 0.0;
}

bool lf_cutToAirborne(LiveAc& aircraft, std::size_t k) {
    if (k < 2 || aircraft.samples.size() < k || aircraft.samples[k - 1].airborne == 0) return false;
    aircraft.samples.erase(aircraft.samples.begin() + 1, aircraft.samples.begin() + static_cast<std::ptrdiff_t>(k - 1));
    const double distance = gf_distanceNm(gf_samplePoint(aircraft.samples[0]), gf_samplePoint(aircraft.samples[1]));
    const std::int32_t ticks = gf_roundTicks(distance * kTicksPerHour / gf_sampleSpeed(aircraft));
    lf_setNextDue(aircraft, std::max(ticks, kMinSampleTicks));
    lf_climbStepFromNext(aircraft);
    return true;
}

double lf_approachVs(const LiveAc& aircraft) {
    if (aircraft.altAboveGround <= 100.0) return -600.0;
    const double mean = (aircraft.samples[0].verticalSpeed + aircraft.samples[1].verticalSpeed) / 2.0;
    return std::min(mean - (g_engineQnh.load() - 1013.25) * 6.0, -601.0);
}

void lf_configureBelow10000(LiveAc& aircraft, const PosSample& front) {
    if (aircraft.lightsHigh[1] == 0) {
        aircraft.lightsHigh[1] = 1;
        aircraft.lightsHigh[0] = 0;
        gf_queueLights(aircraft.objectId, 1, 1, 1, 1, 1, 1, 1);
    }
    const SizeCategory category = aircraft.sizeCategory;
    const bool airliner =
        category == SizeCategory::Buzjets || category == SizeCategory::Large || category == SizeCategory::Heavy;
    const double lowLimit = airliner ? 2050.0 : 625.0;
    const double agl = aircraft.altAboveGround;
    if (agl <= lowLimit) {
        lf_configureApproach(aircraft, front);
        return;
    }
    gf_decayDelayWindow(aircraft);
    gf_queueCabinLights(aircraft.objectId, 1);
    aircraft.takeOffSeen = 0;
    aircraft.approach = 0;
    const double vs = front.verticalSpeed;
    if (isRotorcraft(aircraft)) {
        gf_setThrottle(aircraft, 4);
    } else {
        if (vs <= -250.0 && aircraft.lastThrottle == 3) gf_setThrottle(aircraft, 2);
        if (vs > 400.0 && aircraft.lastThrottle == 4) gf_setThrottle(aircraft, 3);
    }
    if (agl >= 2400.0) {
        gf_setGear(aircraft, 0);
        gf_setFlaps(aircraft, 0);
    } else if (vs <= 100.0) {
        if (aircraft.lastFlaps == 0)
            gf_setFlaps(aircraft, 1);
        else if (aircraft.lastFlaps == 1 && agl < 2000.0)
            gf_setFlaps(aircraft, 2);
    }
}

void lf_configureApproach(LiveAc& aircraft, const PosSample& front) {
    gf_queueCabinLights(aircraft.objectId, 0);
    const bool near = parkAirportSet() &&
                      gf_distanceNm(gf_acPoint(aircraft), {g_parkAirport.latitude, g_parkAirport.longitude}) <= 10.0;
    const double vs = front.verticalSpeed;
    if (vs <= -250.0 && aircraft.approach == 0 && near) {
        gf_setThrottle(aircraft, isRotorcraft(aircraft) ? 4 : 1);
        gf_setFlaps(aircraft, 3);
        gf_setGear(aircraft, 1);
        g_replaceCheckIds.push_back(aircraft.hexId);
        aircraft.approach = 1;
        aircraft.climbConfigured = 0;
        aircraft.standLat = aircraft.standLon = aircraft.standHeading = 0.0;
        aircraft.standId = 0;
        aircraft.standCargo = 0;
        aircraft.rotationCounter = 1;
        aircraft.maxDelay = aircraft.takeOffSeen != 0 ? 5000 : 3000;
        aircraft.maxAdvance = 3000;
    } else if ((vs > 600.0 || (aircraft.approach != 0 && !near)) && aircraft.climbConfigured == 0) {
        gf_decayDelayWindow(aircraft);
        gf_setThrottle(aircraft, 4);
        gf_setGear(aircraft, 0);
        gf_setFlaps(aircraft, 0);
        aircraft.climbConfigured = 1;
        aircraft.flareStage = 0;
        aircraft.approach = 0;
    }
}
