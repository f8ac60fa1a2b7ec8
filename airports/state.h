// The airports subsystem's shared state.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "foundation/fixed_code.h"

// One supported airport of the airport list.
struct AirportRecord {
    AirportCode code;
    ShortAirportCode code3{std::string_view("XXX")};  // "XXX" when the list gives none
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    float altitude = 0.0F;   // elevation as the list gives it
    std::int32_t stands = 0;  // stand-file class: 0 none delivered, 1 or more one in the archive
};

// The airport list, sorted by code (duplicates kept). Written once by the start-up thread, then read-only.
extern std::vector<AirportRecord> g_airports;
// The codes of g_airports. Written once by the start-up thread, then read-only.
extern std::unordered_set<AirportCode, FixedCodeHash> g_airportCodes;
// The list has been read. Start-up thread only.
extern bool g_airportsLoaded;
