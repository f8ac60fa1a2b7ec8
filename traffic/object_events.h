// The simulator's reports on AI objects that move the engine's aircraft:
// on-ground data and the touch-down it starts, the static centre of gravity
// and pitch, the removal of a blocked aircraft, and the activation of created
// objects over 200 ticks. Traffic thread, with g_acEventsMutex held.
#pragma once

#include <cstdint>

struct AcEvent;

// Kind 3: on-ground flag (id), ground altitude (value1), height above ground (value2).
void lf_onGroundData(const AcEvent& event);
// Kind 4: static CG height (value1, ft) and static pitch (value2, rad).
void lf_onStaticCgAndPitch(const AcEvent& event);
// Kind 5.
void lf_removeWhileBlocked(std::uint32_t hexId);
// Counts every created object's entry up by one per tick; at 200 its
// aircraft is configured and made active.
void lf_activateCreatedAcs();
