#include "traffic/static_decision.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "airports/stands.h"
#include "app/services/state.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "refdata/code_tables.h"
#include "traffic/engine_services.h"
#include "traffic/extended_record.h"
#include "traffic/park_airport.h"
#include "traffic/state.h"

namespace {
bool isAdjacent(const Stand* stand, std::int32_t standId) {
    return stand != nullptr &&
           std::find(stand->adjacentIds.begin(), stand->adjacentIds.end(), standId) != stand->adjacentIds.end();
}

// A live aircraft parking or parked on the record's stand or next to it
// keeps the static aircraft away; true when one does (and it was logged).
bool liveAircraftInTheWay(const StaticSlot& record, const Stand* stand, const std::string& standName) {
    const auto standId = static_cast<std::int32_t>(record.standId);
    for (const LiveAc& live : g_liveAcs) {
        if (live.phase != AcPhase::parking && live.phase != AcPhase::parked) continue;
        if (live.standId == standId) {
            gf_log(fmt::format("{:8}: no static parking for {}, live aircraft {} standing here", standName,
                               record.callsign, live.callsign));
            return true;
        }
        if (isAdjacent(stand, live.standId)) {
            gf_log(fmt::format("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding",
                               standName, record.callsign, live.callsign, lf_standNameById(live.standId)));
            return true;
        }
    }
    return false;
}

// Another static aircraft on the stand or next to it; one already being
// removed does not count, so that a static that must change its callsign
// can be placed again while its old object goes.
bool staticAircraftInTheWay(const StaticSlot& record, const Stand* stand, const std::string& standName) {
    const auto standId = static_cast<std::int32_t>(record.standId);
    for (const AcBase& parked : g_staticAcs) {
        if (parked.lifeState == AcLifeState::removingfromsim) continue;
        if (parked.standId != standId && !isAdjacent(stand, parked.standId)) continue;
        gf_log(fmt::format("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly colliding",
                           standName, record.callsign, parked.callsign, lf_standNameById(parked.standId)));
        return true;
    }
    return false;
}

std::string chooseCallsign(const StaticSlot& record, std::uint32_t number) {
    if (record.callsign.empty())
        return fmt::format("{}{}{}", gf_airlineCodeText(record.key.airlineId), number, "*");
    // An aircraft that stays beyond this half-hour shows the callsign it
    // arrived under, one that leaves the callsign it leaves under.
    const std::string& first = record.staysNext != 0 ? record.callsign : record.callsign2;
    const std::string& second = record.staysNext != 0 ? record.callsign2 : record.callsign;
    const std::string& chosen = !first.empty() ? first : second;
    if (chosen.empty()) {
        gf_log(fmt::format("{} callsign is empty..", "lf_detcs"));
        return {};
    }
    return lf_staticCallsign(chosen);
}

// Now minus the fit level in half-hours, one weekday back when it crosses midnight.
std::uint64_t parkedSince(std::uint64_t now, std::uint32_t fit) {
    std::uint32_t day = gf_weekdayOf(now);
    std::int64_t slot = static_cast<std::int64_t>(gf_slotOf(now)) - fit;
    while (slot < 0) {
        slot += 48;
        day = day <= 1 ? 7 : day - 1;
    }
    return gf_packDaySlot(day, static_cast<std::uint32_t>(slot));
}

double headingDegrees(double radians) {
    const double degrees = std::fmod(radians * kRadToDeg, 360.0);
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}
}  // namespace

std::uint32_t gf_nextStaticNumber() {
    g_staticNumber = g_staticNumber % 9999 + 1;
    return g_staticNumber;
}

std::string lf_staticCallsign(const std::string& callsign) {
    std::string result = callsign;
    while (result.ends_with('_')) result.pop_back();
    if (!result.ends_with('*')) result += '*';
    return result;
}

void lf_detcs() {
    if (g_staticSlots.empty() || g_stands.empty()) return;
    const StaticSlot record = std::move(g_staticSlots.back());
    g_staticSlots.pop_back();
    const auto standId = static_cast<std::int32_t>(record.standId);
    const Stand* stand = standId >= 1 ? gf_standById(standId) : nullptr;
    const std::string standName = lf_standNameById(standId);
    if (liveAircraftInTheWay(record, stand, standName) || staticAircraftInTheWay(record, stand, standName)) return;
    if (stand == nullptr) {
        gf_log(fmt::format("stand with id {} not found", standName));
        return;
    }

    const std::uint32_t number = gf_nextStaticNumber();
    AcIdent ident;
    ident.modelKey = record.key;
    ident.callsign = chooseCallsign(record, number);
    ident.prevCallsign = record.callsign;
    ident.spareText = record.callsign2;
    ident.registration = record.reg;
    AcBase base = gf_extendAcRecord(std::move(ident));
    base.hexId = number;
    g_staticAcs.push_back(
        gf_newStaticAcBase(std::move(base), standId, stand->latitude, stand->longitude, stand->heading, stand->cargo));
    AcBase& parked = g_staticAcs.back();
    if (!g_engineServices.matchLiveryParked(parked, *stand)) {
        g_staticAcs.pop_back();
        return;
    }
    parked.parkedAt = parkedSince(g_daySlot.load(), record.offset);
    parked.lifeState = AcLifeState::adding2sim;
    SpawnRequest request;
    request.position.lat = stand->latitude;
    request.position.lon = stand->longitude;
    request.position.headingDeg = headingDegrees(stand->heading);
    request.position.onGround = 1;
    request.callsign = parked.callsign;
    request.liveryTitle = parked.liveryTitle;
    request.hexId = number;
    g_staticCreateQueue.push_back(std::move(request));
}
