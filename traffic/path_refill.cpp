#include "traffic/path_refill.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "airports/airport_services.h"
#include "foundation/log.h"
#include "settings/settings.h"
#include "traffic/ac_texts.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/removal.h"
#include "traffic/stand_moves.h"
#include "traffic/state.h"

namespace {

constexpr std::int32_t kHoldTicks = 300;
constexpr std::int32_t kTicksPerMinute = 6000;
constexpr std::int32_t kWeekTicks = 60480000;
constexpr double kTaxiCollisionFactor = 1.2;

bool categoryAllowed(SizeCategory category) {
    switch (category) {
        case SizeCategory::Light:
            return LIGHT_AIRCRAFT.value.load();
        case SizeCategory::HighPerf:
            return HIGH_PERF_AIRCRAFT.value.load();
        case SizeCategory::Rotorcraft:
            return HELICOPTERS.value.load();
        default:
            return true;
    }
}

// Another active aircraft taxiing close enough to collide with. One that
// stands (in a queue at a holding point, say) runs into nothing while this
// one holds beside it.
const LiveAc* taxiNeighbourTooClose(const LiveAc& aircraft) {
    const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& other) {
        return &other != &aircraft && other.groundMode != 0 && other.phase == AcPhase::taxi &&
               other.lifeState == AcLifeState::active && other.objectId != aircraft.objectId &&
               !other.samples.empty() && other.samples.front().stationary == 0 &&
               gf_distanceNm(gf_acPoint(aircraft), gf_acPoint(other)) <=
                   (aircraft.radiusNm + other.radiusNm) * kTaxiCollisionFactor;
    });
    return found == g_liveAcs.end() ? nullptr : &*found;
}

// A taxiing or pushed-back aircraft waits for the stream: one more copy of
// the front sample, 300 ticks later, standing still. Where it cannot wait it
// goes, and the log says why: an aircraft vanishing on the ground is seen.
bool holdOnGround(LiveAc& aircraft) {
    // Only one caught on its way by the pause stands in another's: one that
    // stood when its stream went quiet (or its reports scatter about where
    // it stands) stands aside as a parked one does.
    if (aircraft.holding == 0) aircraft.heldMoving = aircraft.samples.front().stationary == 0 ? 1 : 0;
    const LiveAc* other = aircraft.heldMoving != 0 ? taxiNeighbourTooClose(aircraft) : nullptr;
    if (other != nullptr) {
        gf_log(fmt::format("{} removed: its stream paused with {} taxiing {:.0f} m away", gf_acText(aircraft),
                           other->callsign,
                           gf_distanceNm(gf_acPoint(aircraft), gf_acPoint(*other)) * kMetersPerNm));
        aircraft.holding = 0;
        aircraft.holdStartTick = 0;
        return false;
    }
    const std::int64_t now = g_tick.load();
    if (aircraft.holding != 0) {
        if (AIRBORNE_ONLY.value.load()) return false;
        const std::int64_t minutes = (now - static_cast<std::int64_t>(aircraft.holdStartTick)) / kTicksPerMinute;
        if (minutes > MAX_HOLDING_MINUTES.value.load()) {
            gf_log(fmt::format("{} removed: held {} min for its stream", gf_acText(aircraft), minutes));
            return false;
        }
    } else {
        aircraft.holdStartTick = static_cast<std::uint32_t>(now);
    }
    aircraft.holding = 1;
    PosSample hold = aircraft.samples.front();
    hold.dueTick += kHoldTicks;
    hold.groundSpeedKt = 0.0;
    hold.stationary = 1;
    aircraft.samples.push_back(hold);
    aircraft.refillState = 1;
    return true;
}

// The steps of a fresh extension, or none when the aircraft is to go.
int freshExtensionSteps(const LiveAc& aircraft) {
    if (!categoryAllowed(aircraft.sizeCategory)) return 0;
    if (aircraft.groundMode != 0) return aircraft.phase == AcPhase::parked ? 1 : 10;
    const UserState& user = g_userRef;
    const bool userKnown = std::fabs(user.lat) > 0.0001 || std::fabs(user.lon) > 0.0001;
    if (userKnown && gf_distanceNm(gf_acPoint(aircraft), {user.lat, user.lon}) >= g_rangeNm.load() - 0.5) return 0;
    if (AIRBORNE_ONLY.value.load()) {
        const double elevation = g_parkAirport.code.isSet() ? static_cast<double>(g_parkAirport.altitude) : 0.0;
        return std::fabs(aircraft.altitudeFt - elevation) >= 1000.0 ? 8 : 0;
    }
    return 8;
}

void takeOffLadder(PosSample& sample) {
    const double speed = sample.groundSpeedKt;
    if (speed <= 30.0) {
        sample.groundSpeedKt = 40.0;
    } else if (speed <= 60.0) {
        sample.groundSpeedKt = 80.0;
    } else if (speed <= 100.0) {
        sample.groundSpeedKt = 110.0;
    } else if (speed <= 140.0) {
        sample.groundSpeedKt = 150.0;
        sample.verticalSpeed = 600.0;
    } else if (speed <= 160.0) {
        sample.groundSpeedKt = 170.0;
        sample.verticalSpeed = 1200.0;
    } else {
        sample.groundSpeedKt = 180.0;
        sample.verticalSpeed = 2400.0;
    }
}

void rollOutLadder(PosSample& sample) {
    const double speed = sample.groundSpeedKt;
    sample.groundSpeedKt = speed >= 140.0 ? 100.0 : speed >= 100.0 ? 80.0 : speed >= 80.0 ? 60.0 : speed >= 60.0 ? 30.0 : 20.0;
    sample.verticalSpeed = 0.0;
}

void standStill(PosSample& sample) {
    sample.groundSpeedKt = 0.0;
    sample.stationary = 1;
}

// A taxiing aircraft whose stream runs dry waits for it where it is; so does
// one rolled out after its landing (its stream stopping on the runway, say),
// which rolls on only while it is still fast.
bool lf_waitsOnTheGround(const LiveAc& aircraft) {
    if (aircraft.phase != AcPhase::taxi || aircraft.takeOffSeen != 0) return false;
    if (aircraft.landed == 0) return true;
    const PosSample& front = aircraft.samples.front();
    return front.stationary != 0 || front.groundSpeedKt <= kRolledOutKt;
}

// A take-off run whose stream ends on the ground is given up: the aircraft
// rolls out as after a landing. Only a stream that left the ground climbs on.
void lf_giveUpTakeOff(LiveAc& aircraft) {
    aircraft.takeOffSeen = 0;
    aircraft.landed = 1;
    aircraft.touchdownHeading = aircraft.heading;
    gf_setSpoilers(aircraft, 1);
}

}  // namespace

bool lf_refillSamples(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return false;
    if (aircraft.phase == AcPhase::parking) {
        lf_towedParks(aircraft);
    } else if (aircraft.phase == AcPhase::pushed_back || lf_waitsOnTheGround(aircraft)) {
        return holdOnGround(aircraft);
    }
    if (aircraft.refillState < 0) return false;
    if (aircraft.refillState == 1) {
        aircraft.refillState = -1;
        return false;
    }
    if (aircraft.refillState > 1) {
        lf_extendPath(aircraft, aircraft.refillState - 1);
        return true;
    }
    const int steps = freshExtensionSteps(aircraft);
    if (steps == 0) return false;
    lf_extendPath(aircraft, steps);
    return true;
}

void lf_extendPath(LiveAc& aircraft, int steps) {
    aircraft.refillState = steps;
    const PosSample front = aircraft.samples.front();
    PosSample copy = front;
    const bool onGround = aircraft.groundMode != 0;
    const bool parked = aircraft.phase == AcPhase::parked;
    if (front.stationary != 0 || parked) {
        standStill(copy);
    } else if (!onGround) {
        if (aircraft.approach == 0)
            copy.groundSpeedKt = std::max(0.95 * copy.groundSpeedKt, 1.0);
        else if (steps >= 4)
            copy.groundSpeedKt = std::max(0.9 * copy.groundSpeedKt, 1.0);
    } else if (aircraft.landed == 0 && (aircraft.takeOffSeen == 0 || front.airborne != 0)) {
        if (aircraft.takeOffSeen == 0)
            standStill(copy);
        else
            takeOffLadder(copy);
    } else {
        if (aircraft.landed == 0) lf_giveUpTakeOff(aircraft);
        rollOutLadder(copy);
    }

    const int seconds = onGround ? 3 : 8;
    if (copy.groundSpeedKt > 0.0) {
        const double feet = copy.groundSpeedKt * 100.0 * seconds * kFeetPerNm / kTicksPerHour;
        const GeoPoint moved = gf_destinationPoint(gf_samplePoint(copy), aircraft.heading, feet);
        copy.lat = moved.lat;
        copy.lon = moved.lon;
        if (aircraft.approach != 0 && aircraft.flareStage == 0) {
            copy.altitudeFt -= 10.005 * seconds;
            copy.verticalSpeed = -667.0;
        } else if (aircraft.phase == AcPhase::take_off) {
            copy.altitudeFt += 25.0 * seconds;
            copy.verticalSpeed = 1500.0;
        }
        copy.stationary = gf_samePosition(copy, front) ? 1 : 0;
        copy.airborne = copy.altitudeFt > 0.0 ? 1 : 0;
        if (copy.altitudeFt <= 0.0) copy.altitudeFt = 0.0;
    }
    const std::int64_t later = parked ? kWeekTicks : static_cast<std::int64_t>(seconds) * 100;
    copy.dueTick = gsl::narrow<std::int32_t>(front.dueTick + later);
    if (parked) {
        aircraft.pathExtended = 0;
        gf_setStandTaken(aircraft.standId, 0);
    }
    aircraft.samples.push_back(copy);
}
