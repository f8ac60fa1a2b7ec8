// What the rest of the engine reads of the park airport's control.
#pragma once

#include <cstdint>
#include <string>

#include "airports/state.h"
#include "foundation/geodesy.h"

// The stand's name; "sid==0?" for id 0, "sid==?" for a negative id or one not in the table.
std::string lf_standNameById(std::int32_t standId);
// Removes the active live aircraft farthest from the user. With a distance
// of 0 or more it must lie more than 0.1 nm beyond it (and each later
// candidate more than 0.1 nm beyond the best so far). True when none was removed.
bool gf_removeFarthestAc(double distanceNm);

// The steps of the control cycle gf_parkControl (traffic/engine_jobs.h).
// Reads the park airport's stands and settles the reserved stand; empty on
// success, else what went wrong ("lf_readParkedFile EHAM not found").
std::string lf_readParkedFile();
// No park airport yet: on the ground the closest supported airport with a
// file, in the air the first listed airport in range and below AIRP_HEIGHT.
void lf_userOnGround(const GeoPoint& user, double altitudeFt, bool announce);
// In the air: leaves the park airport when it is out of range or too far
// below, or when another listed airport in range is nearer.
void lf_parkAirportInSight(const GeoPoint& user, double altitudeFt);
// Makes the airport of the list with that code the park airport; false when
// the list does not know it.
bool lf_parkAirportText(const AirportCode& code);
// Locks the settings and lets the traffic reader collect callsigns for the
// static parking; with the flag the status says so.
void lf_announceStaticCalculation(bool status);
// The second half of leaving: the learned file saved, the user's settings
// back, the park airport and its stand table cleared.
void lf_saveAirportOnLeave();
// Refreshes the park-airport list's distances and sorts it (unless a
// destination is set); at an unchanged position only the first entry's distance.
void lf_sortParkAirports(const GeoPoint& user);
