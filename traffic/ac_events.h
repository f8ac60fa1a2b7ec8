// The queue of AI-object events from the simulator link to the traffic
// engine: the simulator client thread appends, the traffic thread drains it
// at the start of its next tick.
//
// Lock order: g_acEventsMutex before g_simQueueMutex, the status-line mutex
// and the log mutex; never held together with the adding-stack mutex. The
// client thread holds it only to append one event.
#pragma once

#include <mutex>
#include <vector>

#include "traffic/aircraft_records.h"

extern std::mutex g_acEventsMutex;      // guards g_acEvents
extern std::vector<AcEvent> g_acEvents;  // client thread appends, traffic thread drains; under g_acEventsMutex

// Appends one event under g_acEventsMutex (any thread).
void gf_pushAcEvent(const AcEvent& event);
