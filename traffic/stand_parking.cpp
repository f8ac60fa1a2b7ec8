#include "traffic/stand_parking.h"

#include <fmt/format.h>

#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "refdata/code_tables.h"
#include "traffic/engine_jobs.h"
#include "traffic/park_airport.h"
#include "traffic/state.h"

namespace {
LiveAc* firstOnStand(std::int32_t standId) {
    for (LiveAc& aircraft : g_liveAcs)
        if (aircraft.standId == standId) return &aircraft;
    return nullptr;
}

std::string_view withoutLast(std::string_view text) { return text.empty() ? text : text.substr(0, text.size() - 1); }
bool endsWithGhostMark(std::string_view text) { return !text.empty() && text.back() == '_'; }
}  // namespace

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
    const LiveAc* occupant = firstOnStand(adjacentId);
    if (occupant == nullptr) return true;
    if (occupant->phase != AcPhase::parked && occupant->phase != AcPhase::pushing_back) return true;
    if (occupant->lifeState != AcLifeState::active || occupant->callsign == aircraft.callsign) return true;
    const Stand* adjacent = adjacentId >= 1 ? gf_standById(adjacentId) : nullptr;
    if (adjacent == nullptr || (adjacent->latitude == 0.0 && adjacent->longitude == 0.0)) return true;
    const double d = gf_distanceNm(adjacent->latitude, adjacent->longitude, stand.latitude, stand.longitude);
    return (hwsp(occupant->modelKey.modelId) + hwsp(aircraft.modelKey.modelId)) * 1.1 < d;
}
