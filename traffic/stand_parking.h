// Whether a stand may take a live aircraft: its occupant and the aircraft on
// the adjacent stands.
#pragma once

#include <cstdint>
#include <string_view>

#include "airports/stands.h"
#include "traffic/aircraft_records.h"

// True when the stand may be used (its occupant, if any, was removed or does not count).
bool lf_standTaken(std::int32_t standId, std::string_view callsign);
// True when the live aircraft on the adjacent stand does not collide with the aircraft on the stand.
bool lf_standsAdjacent(std::int32_t adjacentId, const AcBase& aircraft, const Stand& stand);
