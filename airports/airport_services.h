// What the core needs of the park airport's stand files, the stand searches
// and the park-airport list (the airport list is in airports/airport_list.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "airports/airport_list.h"
#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"

struct AcBase;
struct AirportFileData;
struct LiveAc;
struct Stand;
struct StaticSlot;

// An airport's file names: the code's four characters and ".xml" (as text
// and as a path without folder), or ".txt" for the pointer to its file.
std::string gf_airportFileName(const AirportCode& code);
std::filesystem::path gf_airportXmlPath(const AirportCode& code);
std::filesystem::path gf_airportTxtPath(const AirportCode& code);
// Writes an airport file: kind 0 the park airport's own file with its
// learned uses, kind 1 a file generated from scenery; sim is the information
// block's "sim" entry. False when it was not saved.
bool gf_writeAirportFile(const AirportFileData& data, const std::filesystem::path& path, std::int32_t kind,
                         std::int32_t sim);

// One entry of the park-airport list (airports/my_park_airports.txt).
struct ParkAirportEntry {
    std::string stand;        // the reserved stand's name; may be empty
    double lat = 0.0;         // degrees
    double lon = 0.0;         // degrees
    double distanceNm = 0.0;  // from the user aircraft
    AirportCode code;
};

// The park airports (nearest first once sorted) and the park airport itself
// belong to the traffic thread, which changes them, and writes the list's
// file, under g_parkAirportsMutex; other threads read them under it.
extern std::mutex g_parkAirportsMutex;
extern std::list<ParkAirportEntry> g_parkAirportList;  // under g_parkAirportsMutex
extern AirportRecord g_parkAirport;                    // code not set = none; written under g_parkAirportsMutex

// The stand table of the park airport, and the stand-name answer that
// gf_standNameAt keeps, change only under g_standsMutex (traffic thread).
extern std::mutex g_standsMutex;

// Reads airports/my_park_airports.txt; true when the list is usable.
bool lf_readMyParkAirports();
// Writes the park-airport list with its stand texts; called with
// g_parkAirportsMutex held.
void gf_addMyParkAirport();
bool gf_hasAirportFile(const AirportCode& code);
// The path of the airport's file, empty when none is found.
std::string gf_locateAirportFile(const AirportCode& code);
// Saves the park airport's learned data to its airport file.
void gf_saveAirportFile();
void gf_clearStands();
// The name of the stand within 55 m of the position, else "" (also while
// the user aircraft is not on the ground). Any thread: it takes g_standsMutex.
std::string gf_standNameAt(const GeoPoint& position);
// The supported airport closest to the position within 5 nautical miles.
std::optional<AirportCode> gf_closestAirportStand(const GeoPoint& position);
// The stand chosen for an aircraft at the position: the nearest free stand
// within maxDistanceNm whose radius suits the aircraft, else (with
// secondChoice) one that the aircraft's airline or callsign used; nullptr
// when none. Traffic thread.
Stand* gf_findStandNear(const GeoPoint& position, const AcBase& aircraft, double maxDistanceNm, bool secondChoice);
// The aircraft (same model key and registration) used the stand on the
// previous weekday from the given half-hour to the end of that day.
bool gf_usedStandOvernight(std::uint64_t daySlot, std::int32_t standId, const AcBase& aircraft);
// Appends one schedule record per stand that is neither taken nor reserved
// and has a use fitting the weekday (any weekday unless day) and the
// half-hour within offset half-hours; marks each chosen stand taken.
void lf_searchStands(std::uint64_t daySlot, bool real, bool day, std::uint32_t offset, std::vector<StaticSlot>& out);
// Records the learned use of a stand by a live aircraft (kinds 0 to 3).
void lf_addRealStandOption(std::int32_t standId, LiveAc& aircraft, int kind);
// Counts the static parked aircraft in life states active or removingfromsim
// (and their mean parked time) for the window; returns the count.
std::uint64_t gf_countParkedInWeek(bool withMeanTime);
// The park airport's stand file is loaded (g_parkFileLoaded).
bool gf_parkFileLoaded();
// The position of the first (nearest) entry of the park-airport list, none
// when the list is empty.
std::optional<GeoPoint> gf_firstParkAirportPosition();
