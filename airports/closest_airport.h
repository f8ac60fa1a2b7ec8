// Which supported airport serves a position: the closest within 5 nautical
// miles, unless a stand of its neighbour lies closer (gf_closestAirportStand
// and gf_readDestApfForClosestStand are declared in
// airports/airport_services.h).
#pragma once

#include <filesystem>

#include "foundation/log_text.h"

// An airport serves the positions up to 5.0 nautical miles away, that distance included.
bool lf_airportServes(double distanceNm);
// The copy of a downloaded file whose stands are measured: ./airport.xml.
std::filesystem::path lf_destinationCopyPath();
// Forgets the stands read so far (they are read once per airport and run; a
// file that could not be had is asked for again after 10 minutes of the
// clock, which tests replace).
void lf_forgetClosestStands(MillisecondClock clock = &gf_steadyMilliseconds);
