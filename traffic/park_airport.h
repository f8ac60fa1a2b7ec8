// What the rest of the engine reads of the park airport's control.
#pragma once

#include <cstdint>
#include <string>

// The stand's name; "sid==0?" for id 0, "sid==?" for a negative id or one not in the table.
std::string lf_standNameById(std::int32_t standId);
// Removes the active live aircraft farthest from the user. With a distance
// of 0 or more it must lie more than 0.1 nm beyond it (and each later
// candidate more than 0.1 nm beyond the best so far). True when none was removed.
bool gf_removeFarthestAc(double distanceNm);
