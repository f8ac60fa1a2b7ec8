// The per-tick motion between two samples.
#pragma once

#include "traffic/aircraft_records.h"

// One tick of motion along the steps (and the curve) towards the next sample.
void lf_followCurve(LiveAc& aircraft);
