// Reaching and leaving a stand.
#pragma once

#include "traffic/aircraft_records.h"

// The aircraft stands on its stand (cargo learning of the stand).
void lf_placeAtStand(LiveAc& aircraft);
