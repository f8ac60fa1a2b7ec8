// NOT BUILT YET: the park airports and the stand table that the simulator
// link reads. The list and the park airport exist (empty, so "no park
// airport"); the stand-name search finds no stand and the list file is not
// written. The airport and parking data replace this file.
#include "airports/airport_services.h"

std::mutex g_parkAirportsMutex;
std::list<ParkAirportEntry> g_parkAirportList;
AirportRecord g_parkAirport;
std::mutex g_standsMutex;

void gf_addMyParkAirport() {}
std::string gf_standNameAt(const GeoPoint&) { return {}; }
