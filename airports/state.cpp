#include "airports/state.h"

std::vector<AirportRecord> g_airports;
std::unordered_set<AirportCode, FixedCodeHash> g_airportCodes;
bool g_airportsLoaded = false;
