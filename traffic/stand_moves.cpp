#include "traffic/stand_moves.h"

#include <fmt/format.h>

#include <numbers>

#include "airports/airport_services.h"
#include "airports/stands.h"
#include "app/services/state.h"
#include "foundation/log.h"
#include "simlink/request_queues.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/park_airport.h"
#include "traffic/removal.h"
#include "traffic/state.h"

namespace {
constexpr double kPushBackStandRadii = 2.5;
constexpr double kPullOutRadii = 2.0;
constexpr double kArrivedNm = 0.0010799136069114472;  // 2 m
constexpr int kUseArrived = 0;
// A tug's fastest push (2.5 m/s).
constexpr double kPushCeilingKt = 4.86;

std::int32_t now() { return g_tick.load(std::memory_order_relaxed); }

// Ticks to cover the distance at the aircraft's taxi speed.
std::int32_t taxiTicks(const LiveAc& aircraft, double distanceNm) {
    return gf_roundTicks(distanceNm / aircraft.taxiSpeedKt * kTicksPerHour);
}

std::int32_t dueIn(std::int64_t ticks) { return gsl::narrow<std::int32_t>(now() + ticks); }

// A ground sample of the aircraft's own at the point, moving at taxi speed.
PosSample taxiSample(const LiveAc& aircraft, const GeoPoint& point) {
    PosSample sample;
    sample.lat = point.lat;
    sample.lon = point.lon;
    sample.groundSpeedKt = aircraft.taxiSpeedKt;
    return sample;
}

void allLightsOn(const LiveAc& aircraft) { gf_queueLights(aircraft.objectId, 1, 1, 1, 1, 1, 1, 1); }

// The push's pace: the aircraft's taxi speed, or faster when its stream's
// reports put the stream this far back (up to the push's length) sooner than
// that has the aircraft there: a push hidden in a pause of the feed, or one
// borne out only by a later report, is made up at a tug's fastest at most.
double pushPaceKt(const LiveAc& aircraft, const GeoPoint& stand, double lengthNm) {
    double kt = aircraft.taxiSpeedKt;
    const std::deque<PosSample>& queue = aircraft.samples;
    for (std::size_t k = 1; k < queue.size(); ++k) {
        const double backNm = std::min(gf_distanceNm(stand, gf_samplePoint(queue[k])), lengthNm);
        const std::int64_t ticks = static_cast<std::int64_t>(queue[k].dueTick) - now();
        kt = std::max(kt, ticks <= 0 ? kPushCeilingKt : backNm * kTicksPerHour / static_cast<double>(ticks));
    }
    return std::min(kt, std::max(aircraft.taxiSpeedKt, kPushCeilingKt));
}
}  // namespace

void lf_startPushBack(LiveAc& aircraft) {
    aircraft.refillState = 0;
    const double back = gf_wrapHeading(aircraft.standHeading + std::numbers::pi);
    const Stand* stand = aircraft.standId >= 1 ? gf_standById(aircraft.standId) : nullptr;
    if (stand == nullptr || aircraft.samples.empty()) return;

    const GeoPoint here = gf_acPoint(aircraft);
    const double lengthFeet = kPushBackStandRadii * stand->radius * kFeetPerNm;
    const double paceKt = pushPaceKt(aircraft, here, lengthFeet / kFeetPerNm);
    const GeoPoint behind = gf_destinationPoint(here, back, lengthFeet);
    const auto pushTicks = [&](double distanceNm) { return gf_roundTicks(distanceNm / paceKt * kTicksPerHour); };
    const auto pushSample = [&](const GeoPoint& point) {
        PosSample sample = taxiSample(aircraft, point);
        sample.groundSpeedKt = paceKt;
        return sample;
    };
    PosSample straightEnd = pushSample(behind);
    aircraft.samples.front().groundSpeedKt = paceKt;
    // The tail leads now: no turn left over from the last taxi towards where the stream goes.
    aircraft.targetBearing = aircraft.heading;
    aircraft.turningToBearing = 0;
    const std::int32_t t = pushTicks(gf_distanceNm(here, behind));
    straightEnd.dueTick = dueIn(t);
    aircraft.samples.resize(1);
    aircraft.samples.push_back(straightEnd);
    lf_insertMidSample(aircraft);

    // The turn ends one aircraft radius to either side of the straight end.
    const double sideFeet = aircraft.radiusNm * kFeetPerNm;
    PosSample rightEnd = pushSample(gf_destinationPoint(behind, back + std::numbers::pi / 2, sideFeet));
    PosSample leftEnd = pushSample(gf_destinationPoint(behind, back - std::numbers::pi / 2, sideFeet));
    const PosSample mid = aircraft.samples[1];
    const std::int32_t endDue =
        dueIn(static_cast<std::int64_t>(t / 2) + pushTicks(gf_distanceNm(gf_samplePoint(mid), gf_samplePoint(rightEnd))));
    rightEnd.dueTick = leftEnd.dueTick = endDue;
    aircraft.samples.push_back(leftEnd);
    aircraft.pushBackAltEnd = rightEnd;

    allLightsOn(aircraft);
    gf_setPhase(aircraft, AcPhase::pushing_back);
    aircraft.pushBackCountdown = 2;
    aircraft.heardWhilePushing.reset();
}

void lf_pullOut(LiveAc& aircraft) {
    aircraft.leavingStand = 0;
    aircraft.refillState = 0;
    if (aircraft.samples.empty()) return;
    const GeoPoint target = gf_destinationPoint(GeoPoint{aircraft.standLat, aircraft.standLon},
                                                aircraft.standHeading, kPullOutRadii * aircraft.radiusNm * kFeetPerNm);
    aircraft.samples.front().groundSpeedKt = aircraft.taxiSpeedKt;
    PosSample ahead = taxiSample(aircraft, target);
    ahead.trackDeg = aircraft.standHeading * kRadToDeg;
    ahead.dueTick = dueIn(taxiTicks(aircraft, gf_distanceNm(gf_acPoint(aircraft), target)));
    aircraft.samples.resize(1);
    aircraft.samples.push_back(ahead);
    gf_setPhase(aircraft, AcPhase::taxi);
    aircraft.targetBearing = aircraft.heading;
    allLightsOn(aircraft);
    gf_queueEngineStart(aircraft.objectId);
    gf_setThrottle(aircraft, 0);
    gf_setFlaps(aircraft, 1);
    gf_log(fmt::format("{:8}: {:8} pulling out", lf_standNameById(aircraft.standId), aircraft.callsign));
}

void lf_towedParks(LiveAc& aircraft) {
    const Stand* stand = aircraft.standId >= 1 ? gf_standById(aircraft.standId) : nullptr;
    if (stand != nullptr && stand->occupied != 0) {
        // Another aircraft holds the stand: this one goes, the holder keeps it.
        aircraft.refillState = 1;
        removeAircraftFromSim(aircraft);
        gf_setStandTaken(aircraft.standId, 1);
        return;
    }
    if (gf_distanceNm(gf_acPoint(aircraft), GeoPoint{aircraft.standLat, aircraft.standLon}) > kArrivedNm) {
        gf_setPhase(aircraft, AcPhase::taxi);
        return;
    }
    gf_setPhase(aircraft, AcPhase::parked);
    aircraft.parkedAt = g_daySlot.load();
    if (aircraft.towed != 0) gf_log(fmt::format("          towed aircraft {} parks", aircraft.callsign));
    if (!aircraft.samples.empty()) aircraft.samples.front().stationary = 1;
    aircraft.parkedSince = g_engineServices.systemTime100ns();
    aircraft.standDistMax = 0.0;
    aircraft.standReportsSeen = 0;
    aircraft.standWanderNm = 0.0;
    aircraft.awayCount = 0;
    lf_placeAtStand(aircraft);
    lf_resetAcConfig(aircraft);
    gf_log(fmt::format("{:8}: {:8} arrived at stand", lf_standNameById(aircraft.standId), aircraft.callsign));
    g_replaceCheckIds.push_back(aircraft.hexId);
    g_engineServices.addRealStandOption(aircraft.standId, aircraft, kUseArrived);
    lf_removeMaxParkExceeded(0);
}

void lf_placeAtStand(LiveAc& aircraft) {
    if (aircraft.modelKey.cargo == 0 || aircraft.standCargo != 0) return;
    Stand* stand = aircraft.standId >= 1 ? gf_standById(aircraft.standId) : nullptr;
    if (stand == nullptr || stand->cargo == 0) return;
    // A cargo aircraft whose stand was not for cargo when it chose it: the
    // stand's flag goes, and the changed stand is written with the airport's file.
    stand->cargo = 0;
    stand->cargoChanged = 1;
    gf_noteStandChange();
}
