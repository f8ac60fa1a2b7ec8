#include "traffic/state.h"

#include <utility>

std::atomic<std::int32_t> g_tick{0};
std::atomic<std::int32_t> g_engineQnh{1013};
std::vector<LiveAc> g_liveAcs;
std::vector<AcBase> g_staticAcs;
std::vector<StaticSlot> g_staticSlots;
std::unordered_set<std::string, FnvHash, std::equal_to<>> g_noMatchAcs;
std::unordered_set<std::string, FnvHash, std::equal_to<>> g_failedCreations;
std::unordered_map<std::uint32_t, std::string_view, HexIdHash> g_liveryByHexId;
std::vector<std::string> g_ghostCallsigns;
std::vector<std::uint32_t> g_pendingSpawnHexIds;
std::deque<SpawnRequest> g_liveCreateQueue;
std::deque<SpawnRequest> g_staticCreateQueue;
std::deque<std::uint32_t> g_removeQueue;
std::uint8_t g_fastRangeRequests = 0;
UserState g_userRef;
std::string g_reservedStand;
std::atomic<std::int32_t> g_maxPark{0};
std::uint32_t g_staticNumber = 0;
std::vector<CreatedEntry> g_createdAcs;
std::deque<std::uint32_t> g_replaceCheckIds;
ParkAirportInfo g_parkAirportInfo;
float g_parkAirportElevation = 0.0F;
std::int32_t g_airportFileUpdates = 0;
std::atomic<std::uint32_t> g_standUseUpdates{0};
std::array<std::int32_t, 2> g_maxFitHalfHours{0, -1};
StaticCallsigns g_staticCallsigns;
std::vector<KeptStatic> g_staticPlacements = [] {
    std::vector<KeptStatic> kept;
    kept.reserve(256);
    return kept;
}();
std::vector<StaticRemoval> g_staticRemovals;
bool g_parkReadRequest = false;
std::vector<LiveParkedEntry> g_liveParkedList;
std::mutex g_acEventsMutex;
std::vector<AcEvent> g_acEvents = [] {
    std::vector<AcEvent> events;
    events.reserve(256);
    return events;
}();

void gf_pushAcEvent(const AcEvent& event) {
    const std::lock_guard lock(g_acEventsMutex);
    g_acEvents.push_back(event);
}

void lf_eraseLiveAc(std::vector<LiveAc>::iterator aircraft) {
    auto last = std::prev(g_liveAcs.end());
    if (aircraft != last) *aircraft = std::move(*last);
    g_liveAcs.pop_back();
}
