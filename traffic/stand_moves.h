// Reaching and leaving a stand: the samples of a push-back and of a
// pull-out, the arrival of an aircraft that drove onto its stand, and the
// cargo learning of the stand it stands on. Traffic thread.
#pragma once

#include "traffic/aircraft_records.h"

// The aircraft stands on its stand (cargo learning of the stand).
void lf_placeAtStand(LiveAc& aircraft);
// An aircraft driving to its stand has run out of samples.
void lf_towedParks(LiveAc& aircraft);
// A parked aircraft leaves backwards: straight back 2.5 stand radii, then
// (when the stream tells the side) a quarter turn.
void lf_startPushBack(LiveAc& aircraft);
// A parked aircraft leaves forwards: two of its radii ahead of the stand.
void lf_pullOut(LiveAc& aircraft);
