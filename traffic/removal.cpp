#include "traffic/removal.h"

#include <fmt/format.h>

#include <algorithm>

#include "airports/stands.h"
#include "app/services/state.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "settings/settings.h"
#include "traffic/ac_texts.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/park_airport.h"
#include "traffic/state.h"

namespace {
constexpr std::uint32_t kHighestStaticNumber = 10000;

bool isLive(const AcBase& aircraft) { return aircraft.hexId > kHighestStaticNumber; }

// A creation that has not left the engine yet is taken back: from the stack
// of pending spawns (live aircraft only) or from either create queue.
bool lf_withdrawCreate(const AcBase& aircraft) {
    if (isLive(aircraft)) {
        const auto pending = std::find(g_pendingSpawnHexIds.begin(), g_pendingSpawnHexIds.end(), aircraft.hexId);
        if (pending != g_pendingSpawnHexIds.end()) {
            g_pendingSpawnHexIds.erase(pending);
            return true;
        }
    }
    return gf_dropPendingCreates(g_liveCreateQueue, aircraft.hexId) ||
           gf_dropPendingCreates(g_staticCreateQueue, aircraft.hexId);
}

std::int64_t slotIndex(std::uint64_t daySlot) {
    return static_cast<std::int64_t>(gf_weekdayOf(daySlot)) * 48 + gf_slotOf(daySlot);
}

// Its object is being created and is to stay: it takes a place as much as
// one in the simulator already.
bool inCreation(const AcBase& aircraft) {
    return aircraft.lifeState == AcLifeState::adding2sim && aircraft.removeWhenCreated == 0 &&
           aircraft.eraseDropped == 0;
}

std::size_t countParkedLive() {
    return static_cast<std::size_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return (ac.lifeState == AcLifeState::active || inCreation(ac)) && ac.phase == AcPhase::parked;
    }));
}

LiveAc* liveByHexId(std::uint32_t hexId) {
    for (LiveAc& aircraft : g_liveAcs)
        if (aircraft.hexId == hexId) return &aircraft;
    return nullptr;
}
}  // namespace

void removeAircraftFromSim(AcBase& aircraft) {
    switch (aircraft.lifeState) {
        case AcLifeState::buffer:
            aircraft.eraseNow = 1;
            return;
        case AcLifeState::removingfromsim:
            return;  // its removal is under way
        default:
            break;
    }
    if (aircraft.removeWhenCreated != 0) return;
    if (aircraft.lifeState == AcLifeState::adding2sim) {
        if (lf_withdrawCreate(aircraft))
            aircraft.eraseDropped = 1;
        else
            aircraft.removeWhenCreated = 1;  // removed as soon as the object exists
        return;
    }
    if (isLive(aircraft)) gf_setStandTaken(aircraft.standId, 0);
    if (aircraft.lifeState == AcLifeState::liveryrespawn) {
        // The object's removal was queued by the respawn; it is not sent twice.
        aircraft.lifeState = AcLifeState::removingfromsim;
        return;
    }
    aircraft.lifeState = AcLifeState::removingfromsim;
    if (aircraft.objectId == 0) {
        gf_logMarked(fmt::format("{} removing act {}, with objectid=0 ?", "removeAircraftFromSim", gf_acText(aircraft)));
        // No object will ever report its removal: the record goes at the next compaction.
        aircraft.eraseNow = 1;
        return;
    }
    g_removeQueue.push_back(aircraft.objectId);
}

bool gf_dropPendingCreates(std::deque<SpawnRequest>& queue, std::uint32_t hexId) {
    if (hexId == 0) return false;
    const auto kept = std::remove_if(queue.begin(), queue.end(),
                                     [hexId](const SpawnRequest& request) { return request.hexId == hexId; });
    const bool removed = kept != queue.end();
    queue.erase(kept, queue.end());
    return removed;
}

void gf_setStandTaken(std::int32_t standId, std::uint8_t value) {
    if (standId < 1) return;
    if (Stand* stand = gf_standById(standId)) stand->occupied = value;
}

void gf_removeLiveAcsForRtGone() {
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.lifeState == AcLifeState::active) {
            removeAircraftFromSim(aircraft);
        } else if (aircraft.lifeState == AcLifeState::adding2sim && aircraft.removeWhenCreated == 0) {
            if (lf_withdrawCreate(aircraft))
                aircraft.eraseDropped = 1;
            else
                aircraft.removeWhenCreated = 1;
        }
    }
    std::erase_if(g_liveAcs, [](const LiveAc& ac) { return ac.eraseDropped != 0; });
}

void lf_parks(LiveAc& aircraft) {
    aircraft.groundMode = 1;
    aircraft.climbStep = 0.0;
    if (aircraft.phase != AcPhase::parked) {
        aircraft.rotationCounter = 1;
        return;
    }
    aircraft.parkedAt = g_daySlot.load();
    const std::string standName = lf_standNameById(aircraft.standId);
    gf_log(fmt::format("{:8}: {:8} parks", standName, aircraft.callsign));
    std::erase_if(g_staticSlots, [&](const StaticSlot& slot) {
        return static_cast<std::int32_t>(slot.standId) == aircraft.standId;
    });
    for (AcBase& parked : g_staticAcs) {
        if (parked.standId != aircraft.standId || parked.lifeState != AcLifeState::active) continue;
        gf_log(fmt::format("{:8}: {:8} parks over static {} \x97 static will be removed", standName, aircraft.callsign,
                           parked.callsign));
        removeAircraftFromSim(parked);
        break;
    }
    aircraft.rotationCounter = 1;
}

void lf_removeOverlappedStatic(LiveAc& aircraft) {
    if (aircraft.groundMode == 0 || aircraft.landed != 0 || aircraft.takeOffSeen != 0) return;
    aircraft.lastCheckedLat = aircraft.lat;
    aircraft.lastCheckedLon = aircraft.lon;
    for (AcBase& parked : g_staticAcs) {
        if (parked.lifeState != AcLifeState::active || parked.callsign == aircraft.callsign) continue;
        const double d = gf_distanceNm(aircraft.lat, aircraft.lon, parked.standLat, parked.standLon);
        if (d > (aircraft.radiusNm + parked.radiusNm) * 1.1) continue;
        try {
            removeAircraftFromSim(parked);
        } catch (...) {
            // The check runs again for the aircraft's next position.
        }
        return;
    }
}

void lf_collectLongParked(std::vector<std::pair<std::uint32_t, std::int64_t>>& list) {
    list.clear();
    const std::int64_t now = g_engineServices.systemTime100ns();
    for (const LiveAc& aircraft : g_liveAcs)
        if (aircraft.lifeState == AcLifeState::active && aircraft.phase == AcPhase::parked)
            list.emplace_back(aircraft.hexId, (now - aircraft.parkedSince) / 10'000'000);
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
}

void lf_removeMaxParkExceeded(std::int32_t extra) {
    const auto parkedLive = static_cast<std::int64_t>(countParkedLive());
    if (g_maxPark < 1) return;
    if (!INITIAL_LOAD_ONLY.value && parkedLive + extra > g_maxPark) {
        std::vector<std::pair<std::uint32_t, std::int64_t>> longest;
        lf_collectLongParked(longest);
        if (!longest.empty()) {
            LiveAc* aircraft = liveByHexId(longest.front().first);
            if (aircraft != nullptr && aircraft->lifeState == AcLifeState::active) {
                gf_log(fmt::format("{:8}: {} live max park exceeded, removed", lf_standNameById(aircraft->standId),
                                   aircraft->callsign));
                removeAircraftFromSim(*aircraft);
            }
        }
    }
    const auto statics = std::count_if(g_staticAcs.begin(), g_staticAcs.end(), [](const AcBase& ac) {
        return ac.lifeState == AcLifeState::active || ac.lifeState == AcLifeState::removingfromsim || inCreation(ac);
    });
    if (g_staticAcs.empty() || statics + parkedLive + extra <= g_maxPark) return;
    const auto oldest = std::min_element(g_staticAcs.begin(), g_staticAcs.end(), [](const AcBase& a, const AcBase& b) {
        return slotIndex(a.parkedAt) < slotIndex(b.parkedAt);
    });
    if (oldest->lifeState != AcLifeState::active && !inCreation(*oldest)) return;
    gf_log(fmt::format("{:8}: {} static max park exceeded, removed", lf_standNameById(oldest->standId),
                       oldest->callsign));
    removeAircraftFromSim(*oldest);
    // A creation taken back before it was sent leaves no object to wait for.
    std::erase_if(g_staticAcs, [](const AcBase& parked) { return parked.eraseDropped != 0; });
}

void lf_removeLiveParked(std::size_t count) {
    std::vector<std::pair<std::uint32_t, std::int64_t>> longest;
    lf_collectLongParked(longest);
    if (longest.size() > count) longest.resize(count);
    for (LiveAc& aircraft : g_liveAcs) {
        const bool chosen = std::any_of(longest.begin(), longest.end(),
                                        [&](const auto& entry) { return entry.first == aircraft.hexId; });
        if (!chosen) continue;
        gf_log(fmt::format("live parked {} at {} removed", gf_acText(aircraft), lf_standNameById(aircraft.standId)));
        removeAircraftFromSim(aircraft);
    }
}
