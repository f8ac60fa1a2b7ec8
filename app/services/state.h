// State of the application shell shared between threads: the run loop's
// counters and flags, the one-shot requests the window hands to the traffic
// thread, and the main window's counters as far as they are built.
// (The run flags are in app/run_flags.h, the status line in app/status_line.h.)
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>

#include <vector>

#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"
#include "settings/shared_text.h"

// Counted user-aircraft samples since the run loop started (about seconds);
// back to 0 after 86400. Written by the traffic thread; the window's "Now"
// button reads it.
extern std::atomic<std::int32_t> g_seconds;
// "Flight not running" was logged and traffic acceptance stopped; traffic thread only.
extern bool g_flightPaused;
// Ticks until the next once-per-second job while no flight runs; traffic thread only.
extern std::int32_t g_notRunningCountdown;
// A static-parking update was announced and is to run; traffic and window threads.
extern std::atomic<bool> g_staticUpdateRequest;
// The first of the update's two passes has run; traffic thread only.
extern bool g_staticUpdatePending;
// Minutes until the next automatic static-parking update (20 down to 1);
// traffic thread, and the window's "Now" button sets it back to 20.
extern std::atomic<std::int32_t> g_staticUpdateMinutes;
// "Now" as packed weekday and half-hour slot; written by the traffic thread, read by all.
extern std::atomic<std::uint64_t> g_daySlot;
// The park-airport settings controls are disabled; written by the traffic and window threads.
extern std::atomic<bool> g_settingsLocked;
// The command line asked for a production run; written by the main thread before the start-up thread starts.
extern std::atomic<bool> g_productionMode;
// The data base was read in this process; start-up thread only.
extern std::atomic<bool> g_dbaseRead;
// The simulator's stock scenery folder (its install path and "Scenery"),
// which the add-on airport scan keeps out. Start-up thread only.
extern std::filesystem::path g_stockSceneryPath;
// The most scan workers that run at once (the processor count, 2 when it is
// unknown), and how many run now; set by the start-up, read and counted by
// the livery and airport scans.
extern std::atomic<std::int32_t> g_scanLimit;
extern std::atomic<std::int32_t> g_runningScans;

// One-shot requests set by the window thread and taken with an exchange by
// the traffic thread.
extern std::atomic<bool> g_reReadRequest;            // "Re-read": read the park airports again
extern std::atomic<bool> g_removeAllStaticsRequest;  // "Flush static"
extern std::atomic<bool> g_callsignListRequest;      // "cs->oid:": rebuild the callsign list
extern std::atomic<bool> g_blockingChanged;          // BLOCK_CALLSIGN changed
extern std::atomic<bool> g_matchCacheClearRequest;   // MATCHING_DEPTH was raised
// SCAN_LIVERIES was switched on before RealTraffic connected: the next
// start-up empties the livery processing's tables before it runs it again
// (taken by the start-up thread).
extern std::atomic<bool> g_liveryReprocessRequest;

// Main window values written by the traffic thread and painted by the window thread.
extern std::atomic<std::uint64_t> g_liveCount;           // active live aircraft not parked
extern std::atomic<std::uint64_t> g_parkedLiveCount;     // live aircraft parked at the park airport
extern std::atomic<std::uint64_t> g_staticCount;         // static parked aircraft
extern std::atomic<std::uint64_t> g_staticScheduleShown; // entries of the static-parking schedule
extern std::atomic<std::int32_t> g_staticUpdateMinutesShown;  // display copy of g_staticUpdateMinutes
extern SharedText g_selectedCallsignText;       // emptied when the callsign list is rebuilt; not painted
extern std::atomic<std::uint64_t> g_simAddonAirportCount;    // entries of airports/my_ORBX ("# simaddon")
extern std::atomic<std::uint64_t> g_thirdPartyAirportCount;  // entries of airports/my_thirdparty ("# thirdp")
// The simulator number the program-info block of the files the program
// writes records: 1 at start, 3 once the window's lists are filled.
extern std::atomic<std::int32_t> g_infoSimNumber;
// The stand change counter (g_standUseUpdates) as the park-airport band last
// showed it; the traffic thread updates it and repaints the band.
extern std::atomic<std::uint32_t> g_standChangeShown;
// The mean time the static parked aircraft have stood, in hours; -1 until
// known. Written by the traffic thread.
extern std::atomic<float> g_meanParkedHours;
extern std::atomic<bool> g_rtDisplayBlocked;  // the RealTraffic box stays black until the workers passed the RealTraffic step
extern SharedText g_rtVersionText;            // "RT {} edition: {}" from RealTraffic's version reply

// Main window values written by the liveries, airports and traffic engine and
// painted by the window thread. Texts are copied whole under their own lock.
// (The park airport's file details, its stand count and traffic week are
// the airports subsystem's own: airports/state.h.)
extern std::atomic<std::uint64_t> g_liveryCount;     // scanned liveries ("# liveries: {}"); the livery scan and processing
extern std::atomic<std::uint64_t> g_tbloFileCount;   // off-line learned files zipped; the mail hint shows while above 0
extern SharedText g_parkAirportText;                 // the park airport's label; empty: no park-airport statistics
extern SharedText g_parkFileNameText;                // the park airport's file name (the second detail text)
extern SharedText g_reservedStandShown;              // the stand reserved by name; empty: none
extern std::atomic<bool> g_reservedStandConfirmed;   // the reservation is confirmed (lime, else red)
extern std::atomic<bool> g_staticPassShown;          // static-parking pass S ("*S*")
extern std::atomic<bool> g_weekPassShown;            // week pass W ("*W*")
extern std::atomic<std::uint64_t> g_staticReplacedCount;   // static aircraft replaced by live ones
extern std::atomic<float> g_liveMeanParkedHours;           // fit average of the parked live aircraft; -1: none
extern std::atomic<std::int32_t> g_maxParkPercent;         // ... as a percentage of the stands

// Commands of the window that act on the traffic thread's tables. The window
// thread only records them; the traffic thread carries them out at the start
// of its next tick (app/window_requests.h), so the window never waits for it.
extern std::atomic<bool> g_maxLiveCheckRequest;  // MAX_LIVE_SEL was chosen: remove the farthest active live aircraft above it
// NAV_LIGHTS_WHILE_PARKED changed: kNoNavLightsRequest, or the new state (0 or 1)
// for every active static aircraft and parked live aircraft.
extern std::atomic<std::int32_t> g_navLightsRequest;
inline constexpr std::int32_t kNoNavLightsRequest = -1;

// An airport the destination field puts at the head of the park-airport list.
struct ParkAirportAdd {
    AirportCode code;
    GeoPoint position;
};
// Any thread: queues the addition for the traffic thread.
void gf_requestParkAirportAdd(const AirportCode& code, const GeoPoint& position);
// Traffic thread: the queued additions in the order they came, and the queue emptied.
std::vector<ParkAirportAdd> gf_takeParkAirportAdds();

// Puts the window's counters, texts and reader indicators back to their start
// values and drops queued window requests (the reset before a restart).
void lf_resetWindowState();
