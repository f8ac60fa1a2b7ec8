// The airports subsystem's shared state.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "foundation/fixed_code.h"
#include "settings/shared_text.h"

// One supported airport of the airport list.
struct AirportRecord {
    AirportCode code;
    ShortAirportCode code3{std::string_view("XXX")};  // "XXX" when the list gives none
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    float altitude = 0.0F;   // elevation as the list gives it
    std::int32_t stands = 0;  // stand-file class: 0 none delivered, 1 or more one in the archive
};

// One entry of the park-airport list (airports/my_park_airports.txt).
struct ParkAirportEntry {
    std::string stand;        // the reserved stand's name as the file gives it; may be empty
    double lat = 0.0;         // degrees, from the airport list
    double lon = 0.0;         // degrees
    double distanceNm = 0.0;  // from the user aircraft; 0 when the entry is made
    AirportCode code;
};

// How much is known of the park airport's real and soft stand uses: 0..100
// each, both -1 when nothing is known.
struct QualityFactors {
    std::int32_t real = -1;
    std::int32_t soft = -1;
    bool operator==(const QualityFactors&) const = default;
};

// The airport list, sorted by code (duplicates kept). Written once by the start-up thread, then read-only.
extern std::vector<AirportRecord> g_airports;
// The codes of g_airports. Written once by the start-up thread, then read-only.
extern std::unordered_set<AirportCode, FixedCodeHash> g_airportCodes;
// The list has been read. Start-up thread only.
extern bool g_airportsLoaded;

// The park airports (nearest first once sorted) and the park airport itself
// belong to the traffic thread, which changes them, and writes the list's
// file, under g_parkAirportsMutex; other threads read them under it.
extern std::mutex g_parkAirportsMutex;
extern std::list<ParkAirportEntry> g_parkAirportList;  // under g_parkAirportsMutex
extern AirportRecord g_parkAirport;                    // code not set = none; written under g_parkAirportsMutex

// The stand table of the park airport (g_stands) grows, shrinks and is
// emptied only under g_standsMutex, and gf_standNameAt's cache lives under
// it; the traffic thread reads the table and changes its stands' fields
// without it.
extern std::mutex g_standsMutex;

// What the park airport's file and its learned file gave. Written by the
// traffic thread (start-up thread before it) when the park airport is read;
// the window paints the atomics and texts.
extern std::atomic<bool> g_airportFileRead;        // a park airport's file has been read
extern std::atomic<bool> g_handmade;               // the learned file is handmade and overrules the airport file
extern std::atomic<std::int32_t> g_rtTrafficWeek;  // the file's "RT_traffic_week", 0 when absent
extern std::atomic<std::int64_t> g_standCount;     // stands read
extern QualityFactors g_qualityFactors;            // traffic thread only
extern SharedText g_parkPublisherText;             // the file's publisher
extern SharedText g_qualityText;                   // lf_qualityFactorText of g_qualityFactors
// Where the park airport's learned data is read from and saved to; empty
// when the located file has no learned file. Traffic thread only.
extern std::filesystem::path g_learnedFilePath;
// Why the park airport's learned file could not be read whole; empty when it
// was. Such a file is never written over. Traffic thread only.
extern std::string g_learnedFileFault;
