// Samples of traffic records for aircraft already in the table.
#pragma once

#include "traffic/aircraft_records.h"

// Queues (or changes, replaces or refuses) the new sample of a known aircraft.
void decodeExisting(LiveAc& aircraft, PosSample sample);
