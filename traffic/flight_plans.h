// Flight plans of AI aircraft with a known origin and destination.
#pragma once

#include <cstdint>
#include <filesystem>

#include "traffic/aircraft_records.h"

// The object's flight-plan file in the flight-plan folder ("{id}.pln").
std::filesystem::path gf_flightPlanPath(std::uint32_t objectId);
// Writes the file and hands it to the simulator; sets hasFlightPlan on success.
void lf_createFlightPlan(LiveAc& aircraft);
