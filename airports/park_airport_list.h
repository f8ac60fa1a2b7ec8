// The park-airport list: airports/my_park_airports.txt ("CODE" or
// "CODE,stand" a line) and the airports of airports/my_thirdparty, read into
// g_parkAirportList; lf_readMyParkAirports and gf_addMyParkAirport are
// declared in airports/airport_services.h.
#pragma once

#include <string>

#include "airports/state.h"

inline constexpr const char* kParkAirportsFileName = "my_park_airports.txt";

// Appends the airports of the my_thirdparty folder (their .xml and .txt
// files) that the list lacks; g_parkAirportsMutex held. Throws nothing.
void lf_buildParkAirportList();
// Replaces the file's line by newLine when the line is the entry's airport
// (its first field is the code, byte for byte); true when it did.
bool lf_updateMyParkAirportStand(const ParkAirportEntry& entry, const std::string& newLine, std::string& line);
