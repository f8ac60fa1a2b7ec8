// State of the traffic engine shared with other threads, and its tables.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "airports/stands.h"
#include "foundation/fnv.h"
#include "simlink/state.h"
#include "traffic/aircraft_records.h"

// Hashes a hex id with 64-bit FNV-1a over its four bytes.
struct HexIdHash {
    std::size_t operator()(std::uint32_t hexId) const {
        const char bytes[4] = {static_cast<char>(hexId), static_cast<char>(hexId >> 8), static_cast<char>(hexId >> 16),
                               static_cast<char>(hexId >> 24)};
        return static_cast<std::size_t>(gf_fnv1a64(std::string_view(bytes, 4)));
    }
};

// The tick counter, incremented once per run-loop tick; written by the traffic
// thread, read by the traffic reader (due ticks of new samples).
extern std::atomic<std::int32_t> g_tick;
// The QNH (hPa) the engine uses; published by the QNH reader, read by the traffic thread.
extern std::atomic<std::int32_t> g_engineQnh;
// The live aircraft; traffic thread only.
extern std::vector<LiveAc> g_liveAcs;
// The static parked aircraft; traffic thread only.
extern std::vector<AcBase> g_staticAcs;
// The schedule of static parked aircraft still to be placed; traffic thread only.
extern std::vector<StaticSlot> g_staticSlots;
// The park airport's file as gf_readApf read it; traffic thread only.
extern ParkAirportInfo g_parkAirportInfo;
// The height reference at the park airport (feet), from its file; traffic thread only.
extern float g_parkAirportElevation;
// Changes of the park airport's stand data since its file was last saved
// (learned uses, changed radii and cargo flags); traffic thread only.
extern std::int32_t g_airportFileUpdates;
// The stand change counter: every change of the stand table raises it; the
// window shows it through g_standChangeShown. Written by the traffic thread.
extern std::atomic<std::uint32_t> g_standUseUpdates;
// The fit levels (half-hours) the static parking's real and soft passes
// reached (-1: the pass did not run); traffic thread only.
extern std::array<std::int32_t, 2> g_maxFitHalfHours;
// The callsigns the static parking collects while it builds its schedule:
// a set, the same texts as a list, and the flag set while it builds its
// figures; traffic thread only.
struct StaticCallsigns {
    std::unordered_set<std::string, FnvHash, std::equal_to<>> set;
    std::vector<std::string> texts;
    bool building = false;
};
extern StaticCallsigns g_staticCallsigns;
// A park airport was chosen: the next control cycle reads its stands; traffic thread only.
extern bool g_parkReadRequest;

// A static aircraft the parking adjustment keeps on its stand.
struct KeptStatic {
    std::string callsign;
    std::string prevCallsign;  // the first callsign of its use
    std::string spareText;     // the second callsign of its use
    std::string registration;
    ModelKey key;
    std::uint32_t parkedDay = 0;
    std::uint32_t parkedSlot = 0;
    std::uint32_t standId = 0;
    std::uint8_t leaves = 0;  // it shows its first callsign and its use ends now: it must show its second
};
// A static aircraft the parking adjustment removes.
struct StaticRemoval {
    std::string callsign;
    std::uint32_t standId = 0;
};
// A live aircraft parked at the park airport, as the parking adjustment counts it.
struct LiveParkedEntry {
    std::string callsign;
    std::uint64_t unused = 0;  // always 0
    std::int32_t standId = 0;
    std::int32_t minutes = 0;  // parked since its stream last showed it on the stand
};
// The parking adjustment's lists: kept statics, statics to remove and the
// parked live aircraft; traffic thread only.
extern std::vector<KeptStatic> g_staticPlacements;
extern std::vector<StaticRemoval> g_staticRemovals;
extern std::vector<LiveParkedEntry> g_liveParkedList;

// Hex ids of live aircraft to check against the learned stand use and the
// static aircraft, one per user sample; traffic thread only.
extern std::deque<std::uint32_t> g_replaceCheckIds;

// The AI-object events from the simulator link: the simulator client thread
// appends one at a time, the traffic thread drains them at the start of its
// next tick. g_acEventsMutex comes before g_simQueueMutex, the status-line
// mutex and the log mutex, and is never held with the adding-stack mutex.
extern std::mutex g_acEventsMutex;
extern std::vector<AcEvent> g_acEvents;  // under g_acEventsMutex

// The created-objects list: objects being configured before their aircraft
// becomes active; under g_acEventsMutex (traffic thread).
extern std::vector<CreatedEntry> g_createdAcs;

// Descriptions of live aircraft for which no livery matched; traffic thread only.
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_noMatchAcs;
// Airline and model texts of aircraft the simulator failed to create; traffic thread only.
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_failedCreations;
// The livery chosen for each hex id, so an aircraft created again keeps it; traffic thread only.
extern std::unordered_map<std::uint32_t, std::string_view, HexIdHash> g_liveryByHexId;
// Callsigns ending with '_' that were found to be ghosts; traffic thread only.
extern std::vector<std::string> g_ghostCallsigns;

// Hex ids of live aircraft moved to adding2sim, taken last first; traffic thread only.
extern std::vector<std::uint32_t> g_pendingSpawnHexIds;
// Create and remove requests waiting for the pacing; traffic thread only.
extern std::deque<SpawnRequest> g_liveCreateQueue;
extern std::deque<SpawnRequest> g_staticCreateQueue;
extern std::deque<std::uint32_t> g_removeQueue;  // object ids
// The aircraft-within-radius request goes out every 20 ticks instead of 100
// (from a take-off to the next touch-down); traffic thread only.
extern std::uint8_t g_fastRangeRequests;
// The user aircraft as the engine reads it, refreshed every 100 ticks; traffic thread only.
extern UserState g_userRef;
// The name of the park airport's stand kept free for the user; traffic thread only.
extern std::string g_reservedStand;
// The most aircraft parked at the park airport (static and live); 0 or less:
// no limit. Written by the traffic thread, painted by the window.
extern std::atomic<std::int32_t> g_maxPark;
// The number of the last static aircraft, 1 to 9999; traffic thread only.
extern std::uint32_t g_staticNumber;

// Appends one event under g_acEventsMutex (any thread).
void gf_pushAcEvent(const AcEvent& event);
// Erases one live aircraft in constant time: the last record moves into its place.
void lf_eraseLiveAc(std::vector<LiveAc>::iterator aircraft);
