// The controls of an AI object: flaps, throttle, spoilers and gear as client
// events on the simulator link's queue, and the parked configuration of a
// static aircraft. Flaps and throttle are indexes into fixed value tables and
// are queued only when the index changed; rotorcraft get no flaps, spoiler or
// gear events. Traffic thread.
#pragma once

#include <cstdint>

struct AcBase;

// Index 0..4 of the flaps table (0, 3072, 10240, 16383, 0).
void gf_setFlaps(AcBase& aircraft, std::uint32_t index);
// Index 0..4 of the throttle table (0, 4914, 8191, 11468, 16383).
void gf_setThrottle(AcBase& aircraft, std::uint32_t index);
// value above 0 = extended.
void gf_setSpoilers(AcBase& aircraft, std::uint32_t value);
// 1 = down.
void gf_setGear(AcBase& aircraft, std::uint32_t value);
// Throttle and flaps 0, engines off, parked lights.
void lf_resetAcConfig(AcBase& aircraft);
