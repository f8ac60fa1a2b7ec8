// What happens when an aircraft has fewer than two samples left: it holds on
// the ground, its path is extended by copies of its front sample, or it is
// to be removed. Traffic thread.
#pragma once

struct LiveAc;

// False when the aircraft is to be removed.
bool lf_refillSamples(LiveAc& aircraft);
// Appends one copy of the front sample moved on along the heading (3 s on
// the ground, 8 s in the air); refillState becomes steps.
void lf_extendPath(LiveAc& aircraft, int steps);
