// Motion in the air: from sample to sample.
#pragma once

#include "traffic/aircraft_records.h"

// Called when g_tick reaches the front sample's due tick: steps to the next
// sample (refilling or removing when the stream ran dry).
void nextPosMain(LiveAc& aircraft);
