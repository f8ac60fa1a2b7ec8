// Removal of aircraft, live or static, and the parking limits. Traffic thread.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "traffic/aircraft_records.h"

// removeAircraftFromSim is declared in engine_jobs.h: it acts by life state
// (erased, create request withdrawn, or a removal request queued).

// Withdraws the queued create requests of this hex id; true when one was withdrawn.
bool gf_dropPendingCreates(std::deque<SpawnRequest>& queue, std::uint32_t hexId);
// Sets or clears the occupied mark of the stand (ids below 1: nothing).
void gf_setStandTaken(std::int32_t standId, std::uint8_t value);
// A live aircraft created on its stand: ground mode, parked time, the
// schedule of its stand dropped, a static aircraft there removed.
void lf_parks(LiveAc& aircraft);
// Removes the first active static aircraft that a live aircraft on the ground overlaps.
void lf_removeOverlappedStatic(LiveAc& aircraft);
// (hex id, seconds parked) of the active parked live aircraft, longest first.
void lf_collectLongParked(std::vector<std::pair<std::uint32_t, std::int64_t>>& list);
// Applies g_maxPark; extra is 1 when an aircraft is about to park.
void lf_removeMaxParkExceeded(std::int32_t extra);
// Removes the n live aircraft parked longest.
void lf_removeLiveParked(std::size_t count);
