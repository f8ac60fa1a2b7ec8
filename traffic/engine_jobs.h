// What the application shell asks of the traffic engine: the per-tick job,
// the per-second jobs of the run loop, and the clean-up and reset of a run.
// The run loop reaches them through g_runJobs (app/run_jobs.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"
#include "traffic/model_key.h"

struct AcBase;
struct LiveAc;
struct Stand;

// The job of one 10 ms tick while a flight runs: AI-object events, every live
// aircraft's step, removals, creations, the adding stack.
void lf_handleAddingStack();
// The queued AI-object events (also handled while no flight runs).
void gf_handleAcEvents();
// One control cycle of the park airport; announce only on the run loop's first.
void gf_parkControl(bool announce);
// Removes one static aircraft that a live aircraft on the ground replaces.
void gf_matchLiveToStatics();
// The second pass of a static-parking update: reconciles the static aircraft.
void gf_adjustParking();
// Clears the user aircraft's way on the ground and in the air.
void gf_clearUserWayGround();
void gf_clearUserWayAir();
// Removes static aircraft in the way of moving live aircraft.
void gf_clearStaticsForMovingAcs();
// Removes every static parked aircraft ("Flush static").
void gf_removeAllStatics();
// Rebuilds the callsign list of the moving live aircraft for the window.
void gf_listMovingCallsigns();
// Removes the static aircraft that a live aircraft duplicates.
void gf_removeStaticsMatching(LiveAc& aircraft);
// Frees the stand reserved by name once the user has left it.
void gf_clearReservedStand(const std::string& standName);
// After my_park_airports.txt was read again; text receives the status to show.
bool gf_checkParkAirports(bool check, std::string& text);
// The one way to remove an aircraft, live or static.
void removeAircraftFromSim(AcBase& aircraft);
// The live aircraft parked at the park airport (with their mean parked time).
std::uint64_t gf_countParkedLiveAcs(bool withMeanTime);
// Leaves the park airport: removes its static aircraft and saves its file.
void gf_leaveParkAirport();
// Brings the traffic state back to the start of a run.
void gf_resetTraffic();
// Reserves room in the traffic tables; only the first call of the process does anything.
void gf_reserveTrafficTables();
// RealTraffic has gone: active live aircraft are removed from the simulator,
// creations still queued are withdrawn, those already sent are removed once
// created.
void gf_removeLiveAcsForRtGone();
// Puts the airport at the head of the park-airport list and writes the list.
void gf_addParkAirport(const AirportCode& code, const GeoPoint& position);
// Removes the active live aircraft farthest from the user: with a distance of
// 0 or more only one lying more than 0.1 nm beyond it; with a negative
// distance the farthest of all. True when none was removed.
bool gf_removeFarthestAc(double distanceNm);

// "{:3}{:4} {:4}{:3}": airline code, ",second airline" when set, model
// code, "(C)" for cargo.
std::string gf_modelKeyText(const ModelKey& key);
// Adds a real use of the stand for the current half-hour by the
// registration (its key from the registration list, else the fallback key),
// unless the stand has one of that registration, today and exactly this
// half-hour; true when one was added (the stand change counter then rises).
bool gf_updateSlotTable(Stand& stand, const ModelKey& fallbackKey, std::uint64_t daySlot, const std::string& callsign,
                        const std::string& registration, bool cpl);
// Extends the learned use (its number, and its day and last slot packed
// like daySlot) up to now when now follows closely enough; true when it did.
bool gf_slotFits(std::uint64_t daySlot, Stand& stand, std::int32_t useNumber, std::uint64_t useDaySlot,
                 AcBase& aircraft, const std::string& registration, bool cpl);

// Engine state the shell reads or empties.
bool gf_hasParkAirport();                  // g_parkAirport has a code
bool gf_parkAirportHasStands();            // ... and its stand table is not empty
std::string gf_reservedStandName();        // g_reservedStand
std::size_t gf_staticScheduleSize();       // entries of g_staticSlots
void gf_clearLiveryByHexId();              // the spawn's second livery bookkeeping map
void gf_clearGhostCallsigns();             // g_ghostCallsigns
void gf_clearUserRef();                    // g_userRef, the user aircraft as the engine reads it

