#include "traffic/respawn.h"

#include <fmt/format.h>

#include <cmath>
#include <exception>
#include <optional>

#include "airports/airport_services.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "traffic/ac_texts.h"
#include "traffic/engine_services.h"
#include "traffic/spawn.h"
#include "traffic/state.h"

namespace {
constexpr double kSamePlaceDeg = 1e-8;

ModelKey keyOf(const RegCodes& codes) {
    return ModelKey{codes.airlineId, codes.secondAirlineId, codes.modelId, codes.cargo, 0};
}

bool sameAircraftKind(const ModelKey& key, const RegCodes& codes) {
    return key.airlineId == codes.airlineId && key.secondAirlineId == codes.secondAirlineId &&
           key.modelId == codes.modelId;
}

bool endsWithGhostMark(std::string_view callsign) { return !callsign.empty() && callsign.back() == '_'; }

// The airline a callsign names (three letters and a digit), if any.
std::optional<std::uint16_t> callsignAirline(std::string_view callsign) {
    const std::optional<std::string> code = gf_normaliseCode(callsign);
    if (!code) return std::nullopt;
    return gf_airlineId(*code);
}
}  // namespace

bool lf_respawn(LiveAc& aircraft, const StreamRecord& record) {
    if (aircraft.takeOffSeen != 0 || aircraft.approach != 0) return true;
    if (aircraft.lifeState == AcLifeState::buffer) {
        lf_mergeBufferedIdent(aircraft, record);
        return true;
    }
    if (aircraft.lifeState != AcLifeState::active || aircraft.phase == AcPhase::pushing_back ||
        aircraft.refillState >= 1)
        return true;
    const bool routeUpdated = lf_routeChanged(aircraft, record);
    const bool liveryStays = lf_identityUnchanged(aircraft, record);
    const std::string& callsign = record.ident.callsign;
    if (!callsign.empty() && callsign != aircraft.callsign && callsign != aircraft.registration) {
        if (!endsWithGhostMark(callsign))
            lf_checkGhost(callsign);
        else if (lf_stripGhostSuffix(callsign))
            return false;  // the record belongs to a ghost of a live aircraft
        aircraft.callsign = callsign;
        aircraft.prevCallsign = callsign;
        aircraft.spareText.clear();
    } else if (liveryStays && !routeUpdated) {
        return true;
    }
    if (!GUID_CHANGES.value) return true;
    gf_log(fmt::format("          {} respawns", gf_acIdentText(aircraft)));
    liveryRespawn(aircraft);
    return false;
}

void lf_mergeBufferedIdent(LiveAc& aircraft, const StreamRecord& record) {
    const AcIdent& ident = record.ident;
    if (ident.origin.isSet() && ident.origin != aircraft.origin) aircraft.origin = ident.origin;
    if (ident.destination.isSet() && ident.destination != aircraft.destination)
        aircraft.destination = ident.destination;
    if (!ident.callsign.empty() && ident.callsign != aircraft.callsign) aircraft.callsign = ident.callsign;
    if (!ident.registration.empty() && ident.registration != aircraft.registration)
        aircraft.registration = ident.registration;
}

bool lf_routeChanged(LiveAc& aircraft, const StreamRecord& record) {
    const AcIdent& ident = record.ident;
    bool updated = false;
    if (!aircraft.origin.isSet() && ident.origin.isSet()) {
        aircraft.origin = ident.origin;
        updated = true;
    }
    if (!aircraft.destination.isSet() && ident.destination.isSet()) {
        aircraft.destination = ident.destination;
        updated = true;
    }
    const bool allSet =
        aircraft.origin.isSet() && ident.origin.isSet() && aircraft.destination.isSet() && ident.destination.isSet();
    if (!allSet || aircraft.origin == ident.origin || aircraft.destination == ident.destination) return updated;
    // An arrival at the park airport that is reported as leaving it again keeps its route.
    if (aircraft.origin == g_parkAirport.code3 && ident.destination == aircraft.origin) return updated;
    aircraft.origin = ident.origin;
    aircraft.destination = ident.destination;
    if (aircraft.groundMode != 0 && aircraft.phase != AcPhase::parking && aircraft.phase != AcPhase::parked) {
        gf_setPhase(aircraft, AcPhase::taxi);
        aircraft.targetBearing = aircraft.heading;
    }
    return true;
}

bool lf_identityUnchanged(LiveAc& aircraft, const StreamRecord& record) {
    const std::string& registration = record.ident.registration;
    if (registration.empty()) return true;
    bool stays = true;
    if (!aircraft.registration.empty() && aircraft.registration != registration) {
        if (aircraft.registration == aircraft.callsign) {
            stays = !lf_liveryByRegistration(aircraft, record);
        } else if (const std::optional<RegCodes> found = gf_findRegistration(registration);
                   found && !sameAircraftKind(aircraft.modelKey, *found)) {
            const std::optional<std::uint16_t> airline = callsignAirline(record.ident.callsign);
            if (airline && (*airline == found->airlineId || *airline == found->secondAirlineId)) {
                aircraft.modelKey = keyOf(*found);
                if (aircraft.phase == AcPhase::parked && aircraft.standId > 0)
                    g_engineServices.addRealStandOption(aircraft.standId, aircraft, 0);
                lf_resetLivery(aircraft);
                stays = false;
            }
        }
    } else if (aircraft.registration.empty()) {
        stays = !lf_liveryByRegistration(aircraft, record);
    }
    aircraft.registration = registration;
    return stays;
}

bool lf_liveryByRegistration(LiveAc& aircraft, const StreamRecord& record) {
    const std::string& registration = record.ident.registration;
    const std::optional<RegCodes> found = gf_findRegistration(registration);
    const std::string_view title = g_engineServices.liveryTitleForRegistration(registration);
    if (!title.empty()) {
        if (title == aircraft.liveryTitle) return false;
        if (found) aircraft.modelKey = keyOf(*found);
        lf_resetLivery(aircraft);
        return true;
    }
    if (registration == aircraft.registration || !found || sameAircraftKind(aircraft.modelKey, *found)) return false;
    aircraft.modelKey = keyOf(*found);
    lf_resetLivery(aircraft);
    return true;
}

void lf_resetLivery(LiveAc& aircraft) {
    g_liveryByHexId.erase(aircraft.hexId);
    aircraft.liveryTitle = {};
    gf_setPhase(aircraft, AcPhase::birth);
}

void liveryRespawn(LiveAc& aircraft) {
    try {
        PosSample copy = aircraft.samples.empty() ? PosSample{} : aircraft.samples.front();
        if (aircraft.phase == AcPhase::parked) {
            if (aircraft.samples.size() > 1) aircraft.samples.resize(1);
            if (!aircraft.samples.empty()) {
                aircraft.samples.front().stationary = 1;
                aircraft.samples.front().trackDeg = aircraft.heading * kRadToDeg;
            }
            copy.stationary = 1;
        } else {
            copy.lat = aircraft.lat;
            copy.lon = aircraft.lon;
            copy.altitudeFt = aircraft.altitudeFt;
            copy.bank = aircraft.bank;
            if (!aircraft.samples.empty()) {
                PosSample& front = aircraft.samples.front();
                front.stationary = std::abs(front.lat - aircraft.lat) < kSamePlaceDeg &&
                                   std::abs(front.lon - aircraft.lon) < kSamePlaceDeg;
            }
        }
        copy.dueTick = g_tick.load(std::memory_order_relaxed) + 1;
        aircraft.samples.push_front(copy);
        aircraft.lifeState = AcLifeState::liveryrespawn;
        aircraft.respawnHeading = aircraft.heading;
        aircraft.respawnHeadingValid = 1;
        aircraft.respawnAirborne = copy.airborne;
        aircraft.respawnStationary = copy.stationary;
        aircraft.respawnAdsbHeading = copy.adsbHeading;
        if (aircraft.objectId != 0)
            gf_queueRemoveAc(aircraft.objectId);
        else
            gf_logMarked(fmt::format("{} removing act {} with objectid=0 ?", "liveryRespawn", gf_acText(aircraft)));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "liveryRespawn", e.what()));
    }
}
