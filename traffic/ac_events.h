// The simulator's events about AI objects, applied by the traffic thread at
// the start of each tick: created objects are configured over 200 ticks and
// become active, removed ones leave the tables, refused creations exclude
// their livery.
#pragma once

#include <cstdint>

#include "traffic/aircraft_records.h"

// gf_handleAcEvents (engine_jobs.h) drains g_acEvents under g_acEventsMutex.

// A live aircraft's object was created; false drops the event.
bool lf_onObjectCreated(LiveAc& aircraft, const AcEvent& event);
// Counts the created entries up; lights at 50 and 100, active at 200.
void lf_activateCreatedAcs();
// The object is gone: a respawning aircraft goes back to the buffer, any other record is erased.
void lf_onObjectRemoved(std::uint32_t objectId);
// The simulator refused the creation: the title is excluded; the 20th
// excluded title ends the run with error 81.
void gf_noteLiveryCreateFailure(const AcBase& aircraft);

// The kinds handled by the air motion: on-ground data (3), the static
// centre of gravity and pitch (4), a blocked aircraft (5).
void lf_onGroundData(const AcEvent& event);
void lf_onStaticCgAndPitch(const AcEvent& event);
void lf_removeWhileBlocked(std::uint32_t hexId);
