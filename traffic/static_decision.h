// The static-parking decision for one schedule record.
#pragma once

// Turns the last static schedule record into one static parked aircraft.
void lf_detcs();
