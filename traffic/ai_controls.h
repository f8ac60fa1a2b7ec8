// Client events that configure an AI object (flaps, throttle, spoilers, gear).
#pragma once

#include <cstdint>

#include "traffic/aircraft_records.h"

void gf_setFlaps(AcBase& aircraft, std::uint32_t index);
void gf_setThrottle(AcBase& aircraft, std::uint32_t index);
void gf_setSpoilers(AcBase& aircraft, std::uint32_t value);
void gf_setGear(AcBase& aircraft, std::uint32_t value);
// The parked configuration of a static aircraft.
void lf_resetAcConfig(AcBase& aircraft);
