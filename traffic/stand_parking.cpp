#include "traffic/stand_parking.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "refdata/code_tables.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/ground_movement.h"
#include "traffic/known_samples.h"
#include "traffic/motion_math.h"
#include "traffic/park_airport.h"
#include "traffic/spawn.h"
#include "traffic/state.h"

namespace {
constexpr std::int32_t kFewestDriveTicks = 100;
constexpr std::int32_t kStopAfterTicks = 50;
constexpr double kNeighbourMargin = 1.1;
// Closer to the stand than this, or this close to its axis, the aircraft drives straight in.
constexpr double kStraightInM = 2.0;
constexpr double kOnAxisM = 1.0;

LiveAc* firstOnStand(std::int32_t standId) {
    for (LiveAc& aircraft : g_liveAcs)
        if (aircraft.standId == standId) return &aircraft;
    return nullptr;
}

std::string_view withoutLast(std::string_view text) { return text.empty() ? text : text.substr(0, text.size() - 1); }
bool endsWithGhostMark(std::string_view text) { return !text.empty() && text.back() == '_'; }

// The live aircraft standing on (or pushing back from) the adjacent stand
// together with the distance between the two stands, when its wings could
// reach the other stand at all; none when nothing stands there, the
// occupant is not active, or the adjacent stand has no position.
struct Neighbour {
    LiveAc* occupant;
    double distanceNm;
};
std::optional<Neighbour> activeNeighbour(std::int32_t adjacentId, const Stand& stand) {
    LiveAc* occupant = firstOnStand(adjacentId);
    if (occupant == nullptr) return std::nullopt;
    if (occupant->phase != AcPhase::parked && occupant->phase != AcPhase::pushing_back) return std::nullopt;
    if (occupant->lifeState != AcLifeState::active) return std::nullopt;
    const Stand* adjacent = adjacentId >= 1 ? gf_standById(adjacentId) : nullptr;
    if (adjacent == nullptr || (adjacent->latitude == 0.0 && adjacent->longitude == 0.0)) return std::nullopt;
    return Neighbour{occupant, gf_distanceNm(adjacent->latitude, adjacent->longitude, stand.latitude, stand.longitude)};
}

bool collides(const Neighbour& neighbour, const AcBase& aircraft) {
    return (hwsp(neighbour.occupant->modelKey.modelId) + hwsp(aircraft.modelKey.modelId)) * kNeighbourMargin >=
           neighbour.distanceNm;
}
}  // namespace

void gf_takeStand(LiveAc& aircraft, const Stand& stand) {
    aircraft.standLat = stand.latitude;
    aircraft.standLon = stand.longitude;
    aircraft.standHeading = stand.heading;
    aircraft.standId = stand.standId;
    aircraft.standCargo = stand.cargo;
}

void try2Park(LiveAc& aircraft, bool wide) {
    if (aircraft.samples.empty()) {
        gf_logMarked(fmt::format("{} empty sz?", "try2Park"));
        return;
    }
    const PosSample last = aircraft.samples.back();
    // Searched here already, as widely or more: no stand has come free since
    // that the search would find (a narrow search first, as the aircraft
    // creeps to the end of its stream, leaves the wide one to do).
    if (gf_samePosition(last.lat, last.lon, aircraft.lastSearchLat, aircraft.lastSearchLon) &&
        (!wide || aircraft.lastSearchWide != 0))
        return;
    aircraft.lastSearchLat = last.lat;
    aircraft.lastSearchLon = last.lon;
    aircraft.lastSearchWide = wide ? 1 : 0;
    const Stand* found = g_engineServices.findStandNear(gf_samplePoint(last), aircraft,
                                                        wide ? kParkWideSearchNm : kParkNarrowSearchNm, wide);
    if (found == nullptr) return;
    const Stand stand = *found;
    if (!g_reservedStand.empty() && g_reservedStand == stand.name) return;
    if (stand.name == g_engineServices.standNameAt(GeoPoint{g_userRef.lat, g_userRef.lon})) return;
    if (LiveAc* occupant = firstOnStand(stand.standId);
        occupant != nullptr && occupant != &aircraft && occupant->phase == AcPhase::parked &&
        occupant->lifeState == AcLifeState::active) {
        gf_log(fmt::format("{:8}: {:8} removed, {} wants to park there", stand.name, occupant->callsign,
                           aircraft.callsign));
        removeAircraftFromSim(*occupant);
    }
    for (const std::int32_t adjacentId : stand.adjacentIds) lf_removeAdjacentColliding(adjacentId, aircraft, stand);
    lf_makeWay(aircraft, stand);
    gf_takeStand(aircraft, stand);
    aircraft.samples.resize(1);
    gf_setPhase(aircraft, AcPhase::parking);
    drive2Stand(aircraft, stand.latitude, stand.longitude, stand.heading);
}

void drive2Stand(LiveAc& aircraft, double standLat, double standLon, double standHeading) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.empty()) {
        gf_logMarked(fmt::format("{} empty sz?", "drive2Stand"));
        return;
    }
    const PosSample front = queue.front();
    PosSample& last = queue.back();
    const bool alreadyThere = gf_samePosition(last.lat, last.lon, standLat, standLon);
    const double distance = gf_distanceNm(gf_samplePoint(last), GeoPoint{standLat, standLon});
    gf_clearCurve(aircraft.curve);
    const double turnRad = alreadyThere ? 0.0 : lf_curveOntoStand(aircraft, GeoPoint{standLat, standLon}, standHeading);
    // At taxi speed, and with the time the nose needs to come round at the category's rate.
    std::int32_t ticks = std::max(gf_roundTicks(distance * kTicksPerHour / aircraft.taxiSpeedKt), kFewestDriveTicks);
    if (aircraft.turnRateBase > 0.0) ticks = std::max(ticks, gf_roundTicks(turnRad / aircraft.turnRateBase));
    last.groundSpeedKt = aircraft.taxiSpeedKt;

    PosSample onStand;
    onStand.lat = standLat;
    onStand.lon = standLon;
    onStand.altitudeFt = aircraft.altitudeFt;
    onStand.groundSpeedKt = onStand.trueAirspeedKt = aircraft.taxiSpeedKt;
    onStand.trackDeg = standHeading * kRadToDeg;
    onStand.verticalSpeed = 0.0;
    onStand.dueTick = gsl::narrow<std::int32_t>(static_cast<std::int64_t>(front.dueTick) + ticks);
    onStand.airborne = 0;
    onStand.stationary = alreadyThere ? 1 : 0;
    onStand.adsbHeading = front.adsbHeading;
    onStand.bank = aircraft.bank;
    queue.push_back(onStand);

    PosSample stopped = onStand;
    stopped.groundSpeedKt = stopped.trueAirspeedKt = 0.0;
    stopped.stationary = 1;
    stopped.dueTick = gsl::narrow<std::int32_t>(static_cast<std::int64_t>(onStand.dueTick) + kStopAfterTicks);
    queue.push_back(stopped);

    aircraft.targetBearing = standHeading;
    gf_restoreDelayWindow(aircraft);
}

double lf_curveOntoStand(LiveAc& aircraft, const GeoPoint& stand, double standHeading) {
    // The stand as seen from the aircraft, in metres, and along and across its axis.
    const double north = (stand.lat - aircraft.lat) * kMetresPerDegreeLat;
    const double east = gf_lonDifference(aircraft.lon, stand.lon) * gf_metresPerDegreeLon(aircraft.lat);
    const double axisNorth = std::cos(standHeading), axisEast = std::sin(standHeading);
    const double ahead = north * axisNorth + east * axisEast;
    const double aside = north * axisEast - east * axisNorth;
    if (ahead < kStraightInM || std::fabs(aside) < kOnAxisM) {
        const double way = std::atan2(east, north);
        return std::fabs(gf_normaliseRad(way - aircraft.heading)) + std::fabs(gf_normaliseRad(standHeading - way));
    }
    // Where the aircraft's heading meets the axis, kept between half and
    // all of the way back to level with the aircraft.
    double back = ahead / 2.0;
    const double headingNorth = std::cos(aircraft.heading), headingEast = std::sin(aircraft.heading);
    const double det = headingNorth * axisEast - headingEast * axisNorth;
    if (std::fabs(det) > 1e-6 && (north * axisEast - east * axisNorth) / det > 0.0)
        back = std::clamp((headingNorth * east - headingEast * north) / det, ahead / 2.0, ahead);
    const double controlNorth = north - back * axisNorth, controlEast = east - back * axisEast;
    const GeoPoint control{aircraft.lat + controlNorth / kMetresPerDegreeLat,
                           aircraft.lon + controlEast / gf_metresPerDegreeLon(aircraft.lat)};
    gf_setCurve(aircraft, control, stand);
    const double leaving = std::atan2(controlEast, controlNorth);
    aircraft.curve.angleDeg = gf_headingDifferenceDeg(leaving, standHeading);
    return std::fabs(gf_normaliseRad(leaving - aircraft.heading)) + aircraft.curve.angleDeg * kDegToRad;
}

bool lf_standTaken(std::int32_t standId, std::string_view callsign) {
    LiveAc* occupant = firstOnStand(standId);
    if (occupant == nullptr) return true;
    const bool counts = (occupant->phase == AcPhase::parked || occupant->phase == AcPhase::pushing_back ||
                         occupant->phase == AcPhase::pushed_back) &&
                        occupant->lifeState == AcLifeState::active;
    if (!counts) return true;
    const std::string standName = lf_standNameById(standId);
    const auto removeOccupant = [&](const std::string& line) {
        gf_log(line);
        removeAircraftFromSim(*occupant);
        return true;
    };
    if (occupant->callsign == callsign)
        return removeOccupant(fmt::format("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ",
                                          standName, occupant->callsign, callsign));
    if (withoutLast(callsign) == occupant->callsign) return false;  // the newcomer is the occupant's ghost
    const std::string ghostLine = fmt::format("{:8}: {:8} ghost, replace by {}", standName, occupant->callsign, callsign);
    if (callsign == withoutLast(occupant->callsign)) return removeOccupant(ghostLine);
    if (endsWithGhostMark(occupant->callsign) && !endsWithGhostMark(callsign)) return removeOccupant(ghostLine);
    if (!endsWithGhostMark(occupant->callsign) && endsWithGhostMark(callsign)) return false;
    if (occupant->pathExtended != 0) return false;
    return removeOccupant(fmt::format("{:8}: {:8} removed because another live {} wants the stand ...", standName,
                                      occupant->callsign, callsign));
}

bool lf_standsAdjacent(std::int32_t adjacentId, const AcBase& aircraft, const Stand& stand) {
    const std::optional<Neighbour> neighbour = activeNeighbour(adjacentId, stand);
    if (!neighbour || neighbour->occupant->callsign == aircraft.callsign) return true;
    return !collides(*neighbour, aircraft);
}

void lf_removeAdjacentColliding(std::int32_t adjacentId, const LiveAc& aircraft, const Stand& stand) {
    const std::optional<Neighbour> neighbour = activeNeighbour(adjacentId, stand);
    if (!neighbour || !collides(*neighbour, aircraft)) return;
    gf_log(fmt::format("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}",
                       lf_standNameById(adjacentId), neighbour->occupant->callsign, aircraft.callsign, stand.name));
    removeAircraftFromSim(*neighbour->occupant);
}
