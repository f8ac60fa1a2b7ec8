// Reconciling the static parked aircraft with a new schedule (gf_adjustParking
// is declared in traffic/engine_jobs.h): which statics stay, which go, which
// must show their second callsign, and what is still to be placed. Traffic thread.
#pragma once

#include <cstdint>

#include "airports/stands.h"
#include "traffic/aircraft_records.h"

// Matches every active static aircraft against the new schedule: kept
// statics go to g_staticPlacements (their schedule records are erased),
// the others to g_staticRemovals; then sets the leaves flag of kept statics
// whose use ends with the current half-hour.
void lf_chooseStaticStands(std::uint64_t daySlot);
// The static aircraft and a schedule record for its stand or a neighbour:
// it stays (true: the caller drops the record) unless the record's aircraft
// would have parked later in the week than it did.
bool lf_keepOrRemoveStatic(const AcBase& parked, const StaticSlot& record, std::uint64_t daySlot);
