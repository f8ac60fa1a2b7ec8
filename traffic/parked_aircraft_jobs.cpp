#include "traffic/parked_aircraft_jobs.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "airports/stands.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "settings/settings.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/removal.h"
#include "traffic/state.h"

namespace {
constexpr double kSamePositionDegrees = 1e-8;
constexpr std::int64_t kHundredNsPerMinute = 600'000'000;
constexpr std::int64_t kHeavyParkedMinutes = 180;
constexpr std::int64_t kParkedMinutes = 90;

bool isActive(const AcBase& aircraft) { return aircraft.lifeState == AcLifeState::active; }
bool isParkedLive(const LiveAc& aircraft) { return isActive(aircraft) && aircraft.phase == AcPhase::parked; }

// Removes a static aircraft that a live one replaces; a failing removal
// ends the job quietly (it runs again soon).
void replaceStatic(AcBase& parked) {
    try {
        removeAircraftFromSim(parked);
    } catch (...) {
        return;
    }
    ++g_staticReplacedCount;
    platform::invalidateBand(kStatisticsBand);
}

std::int64_t weekIndex(std::uint64_t daySlot) {
    return (static_cast<std::int64_t>(gf_weekdayOf(daySlot)) - 1) * 48 + gf_slotOf(daySlot);
}

bool movedSinceLastCheck(const LiveAc& aircraft) {
    return std::abs(aircraft.lat - aircraft.lastCheckedLat) > kSamePositionDegrees ||
           std::abs(aircraft.lon - aircraft.lastCheckedLon) > kSamePositionDegrees;
}
}  // namespace

void gf_removeStaticsMatching(LiveAc& aircraft) {
    const std::string& callsign = aircraft.callsign;
    if (callsign.empty()) return;
    // A ghost ("ABC_") stands for the flight "ABC".
    const std::string ghostOf = callsign.ends_with('_') ? callsign.substr(0, callsign.size() - 1) : std::string();
    const auto standsFor = [](const AcBase& parked, const std::string& text) {
        return text == parked.prevCallsign || text == parked.spareText;
    };
    for (AcBase& parked : g_staticAcs) {
        if (!isActive(parked)) continue;
        const bool same = (!aircraft.registration.empty() && aircraft.registration == parked.registration) ||
                          standsFor(parked, callsign) ||
                          (!aircraft.spareText.empty() && standsFor(parked, aircraft.spareText)) ||
                          (!ghostOf.empty() && standsFor(parked, ghostOf));
        if (!same) continue;
        replaceStatic(parked);
        return;
    }
}

void gf_removeAllStatics() {
    // Nothing more is placed either.
    g_staticSlots.clear();
    for (AcBase& parked : g_staticAcs) {
        const bool pending = parked.lifeState == AcLifeState::adding2sim && parked.removeWhenCreated == 0;
        if (isActive(parked) || pending) removeAircraftFromSim(parked);
    }
    std::erase_if(g_staticAcs, [](const AcBase& parked) { return parked.eraseDropped != 0; });
}

void gf_clearReservedStand(const std::string& standName) {
    const auto stand =
        std::find_if(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.name == standName; });
    if (stand == g_stands.end()) return;
    const std::int32_t standId = stand->standId;
    try {
        for (AcBase& parked : g_staticAcs) {
            if (parked.standId == standId && isActive(parked)) return removeAircraftFromSim(parked);
        }
        for (LiveAc& aircraft : g_liveAcs) {
            if (aircraft.standId == standId && isParkedLive(aircraft)) return removeAircraftFromSim(aircraft);
        }
    } catch (...) {
        // The stand is looked at again in five seconds.
    }
}

std::uint64_t gf_countParkedLiveAcs(bool withMeanTime) {
    std::uint64_t count = 0;
    std::int64_t halfHours = 0;
    const std::int64_t now = weekIndex(g_daySlot.load());
    for (const LiveAc& aircraft : g_liveAcs) {
        if (!isParkedLive(aircraft)) continue;
        ++count;
        // Parked later in the week than now (counted from Monday): no time.
        if (gf_weekdayOf(aircraft.parkedAt) >= 1) halfHours += std::max<std::int64_t>(0, now - weekIndex(aircraft.parkedAt));
    }
    if (!withMeanTime) return count;
    const float mean = count == 0 ? 0.0F : static_cast<float>(static_cast<double>(halfHours) / (2.0 * count) + 0.5);
    if (g_liveMeanParkedHours.exchange(mean) != mean) platform::invalidateBand(kStatisticsBand);
    return count;
}

void gf_clearStaticsForMovingAcs() {
    if (g_staticAcs.empty()) return;
    for (LiveAc& aircraft : g_liveAcs) {
        if (!isActive(aircraft) || aircraft.groundMode == 0) continue;
        if (aircraft.phase != AcPhase::taxi && aircraft.phase != AcPhase::parking) continue;
        if (movedSinceLastCheck(aircraft)) lf_removeOverlappedStatic(aircraft);
    }
}

void gf_matchLiveToStatics() {
    if (g_staticAcs.empty()) return;
    for (const LiveAc& aircraft : g_liveAcs) {
        if (!isActive(aircraft) || aircraft.groundMode == 0) continue;
        const std::string twin = aircraft.callsign + "*";
        for (AcBase& parked : g_staticAcs) {
            if (!isActive(parked)) continue;
            if ((!aircraft.registration.empty() && aircraft.registration == parked.registration) ||
                parked.callsign == twin)
                return replaceStatic(parked);
        }
    }
}

void lf_reparkAll() {
    const std::int64_t now = g_engineServices.systemTime100ns();
    for (LiveAc& aircraft : g_liveAcs) {
        if (!isParkedLive(aircraft)) continue;
        if (aircraft.pathExtended != 0) {
            g_liveParkedList.push_back({aircraft.callsign, 0, aircraft.standId, 0});
            continue;
        }
        const std::int64_t minutes = (now - aircraft.parkedSince) / kHundredNsPerMinute;
        const std::int64_t limit = aircraft.sizeCategory == SizeCategory::Heavy ? kHeavyParkedMinutes : kParkedMinutes;
        if (INITIAL_LOAD_ONLY.value || minutes <= limit)
            g_liveParkedList.push_back({aircraft.callsign, 0, aircraft.standId, static_cast<std::int32_t>(minutes)});
        else
            removeAircraftFromSim(aircraft);
    }
    std::stable_sort(g_liveParkedList.begin(), g_liveParkedList.end(),
                     [](const LiveParkedEntry& a, const LiveParkedEntry& b) { return a.minutes < b.minutes; });
}

void gf_listMovingCallsigns() {
    std::vector<std::string> callsigns;
    for (const LiveAc& aircraft : g_liveAcs)
        if (isActive(aircraft) && aircraft.phase != AcPhase::parked) callsigns.push_back(aircraft.callsign);
    std::sort(callsigns.begin(), callsigns.end());
    CALLSIGN_2_OBJECTID.setCallsigns(std::move(callsigns));
}
