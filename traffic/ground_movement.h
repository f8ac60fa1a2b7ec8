// Ground movement rules that the spawn and the user clearance share.
#pragma once

#include "traffic/aircraft_records.h"

// Removes the aircraft when it lies ahead of the user aircraft within the
// row's distance, altitude difference and lateral offset (row 0: 4 nm,
// 1000 ft, 700 ft; row 1: 6 nm, 3000 ft, 4000 ft). True when removed.
bool lf_removeNearUser(LiveAc& aircraft, int row);
