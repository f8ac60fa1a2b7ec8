// The engine's tables at the start of a run, and the small reads and clears
// the application shell asks of them.
#include <mutex>
#include <string>

#include "airports/airport_services.h"
#include "airports/stands.h"
#include "airports/state.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "platform/window_host.h"
#include "rtlink/traffic_record.h"
#include "traffic/engine_jobs.h"
#include "traffic/state.h"

void gf_reserveTrafficTables() {
    static bool reserved = false;
    if (reserved) return;
    reserved = true;
    g_liveAcs.reserve(512);
    g_staticAcs.reserve(256);
    {
        const std::lock_guard lock(g_standsMutex);
        g_stands.reserve(512);
    }
    {
        const std::lock_guard lock(g_acEventsMutex);
        g_acEvents.reserve(256);
        g_createdAcs.reserve(128);
    }
    g_pendingSpawnHexIds.reserve(64);
    g_staticSlots.reserve(512);
    g_ghostCallsigns.reserve(64);
}

void gf_resetTraffic() {
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = AirportRecord{};
    }
    const bool liveShown = g_liveCount.exchange(0) != 0;
    const bool statisticsShown = (g_parkedLiveCount.exchange(0) | g_staticCount.exchange(0)) != 0;
    if (liveShown) platform::invalidateBand(kIndicatorsBand);
    if (statisticsShown) platform::invalidateBand(kStatisticsBand);
    {
        const std::lock_guard lock(g_acEventsMutex);
        g_acEvents.clear();
        g_createdAcs.clear();
    }
    g_ghostCallsigns.clear();
    g_staticSlots.clear();
    g_liveryByHexId.clear();
    g_pendingSpawnHexIds.clear();
    g_replaceCheckIds.clear();
    g_removeQueue = {};
    g_liveCreateQueue = {};
    g_staticCreateQueue = {};
    g_staticRemovals.clear();
    g_staticPlacements.clear();
    g_liveParkedList.clear();
    g_staticAcs.clear();
    {
        // The readers were stopped before the reset; the lock keeps it so.
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack = {};
    }
    g_fastRangeRequests = 0;
    g_settingsLocked = false;
    platform::invalidateBand(kControlsBand);
    g_parkReadRequest = false;
    g_liveAcs.clear();
    {
        const std::lock_guard lock(g_standsMutex);
        g_stands.clear();
    }
    g_engineQnh = 1013;
    // No park airport's file is in use any more.
    g_parkAirportText = std::string();
    g_parkFileNameText = std::string();
    g_airportFileRead = false;
    g_standUseUpdates = 0;
    g_daySlot = 0;
    g_noMatchAcs.clear();
}

bool gf_hasParkAirport() { return g_parkAirport.code.isSet(); }
bool gf_parkAirportHasStands() { return gf_hasParkAirport() && !g_stands.empty(); }
std::string gf_reservedStandName() { return g_reservedStand; }
std::size_t gf_staticScheduleSize() { return g_staticSlots.size(); }
void gf_clearLiveryByHexId() { g_liveryByHexId.clear(); }
void gf_clearGhostCallsigns() { g_ghostCallsigns.clear(); }
void gf_clearUserRef() { g_userRef = UserState{}; }
