// Reaching and leaving a stand.
#pragma once

#include "traffic/aircraft_records.h"

// The aircraft stands on its stand (cargo learning of the stand).
void lf_placeAtStand(LiveAc& aircraft);
// An aircraft driving to its stand has run out of samples.
void lf_towedParks(LiveAc& aircraft);
