// What the core needs of the park airport's stand files, the stand searches
// and the park-airport list (the airport list is in airports/airport_list.h,
// the shared state in airports/state.h).
#pragma once

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "airports/airport_list.h"
#include "airports/stands.h"
#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"

struct AcBase;
struct LiveAc;

// Reads airports/my_park_airports.txt and the airports of
// airports/my_thirdparty into g_parkAirportList (under g_parkAirportsMutex);
// false when a line names an airport that is not in the airport list.
bool lf_readMyParkAirports();
// Writes the first entry of the park-airport list into the list's file
// (adding its line or replacing the airport's line), sorted and without
// repeated lines; called with g_parkAirportsMutex held and a non-empty list.
void gf_addMyParkAirport();
// The airport has stands: a file or pointer of the user's, or the archive.
bool gf_hasAirportFile(const AirportCode& code);
// The airport's file: a user file, a pointer's line or an archive path;
// empty when none is found.
std::string gf_locateAirportFile(const AirportCode& code);
// Reads the park airport's file (downloading an archived one) and its
// learned file into g_stands; empty text on success, else what went wrong.
std::string gf_readApf(const std::string& located, ParkAirportInfo& info);
// Saves the park airport's learned data where its learned file was read.
void gf_saveAirportFile();
// The name of the stand within 55 m of the position, else "" (also while
// the user aircraft is not on the ground). Any thread: it takes g_standsMutex.
std::string gf_standNameAt(const GeoPoint& position);
// The supported airport closest to the position within 5 nautical miles,
// or its neighbour when one of the neighbour's stands is closer.
std::optional<AirportCode> gf_closestAirportStand(const GeoPoint& position);
// The distance (nm) from the position to the closest stand of the airport's
// file, 100.0 when there is none; standName receives that stand's name.
double gf_readDestApfForClosestStand(const AirportCode& code, const GeoPoint& position, std::string& standName);
// The stand chosen for an aircraft at the position: the nearest free stand
// within maxDistanceNm whose radius suits the aircraft (one at most 1.8 m too
// small is enlarged when within 20 m), else (with secondChoice) the nearest
// within 85 m that the aircraft's callsign or model used; nullptr when none.
// Traffic thread.
Stand* gf_findStandNear(const GeoPoint& position, const AcBase& aircraft, double maxDistanceNm, bool secondChoice);
// Fills the aircraft's two flight callsigns from the learned use of its
// flight around the current half-hour. Traffic thread.
void gf_findStandUseForFlight(std::uint64_t daySlot, LiveAc& aircraft);
// The aircraft (same model key and registration) used the stand today up to
// now within the static parking's fit, or late on the previous weekday.
bool gf_usedStandOvernight(std::uint64_t daySlot, std::int32_t standId, const AcBase& aircraft);
// Appends one schedule record per stand that is neither taken nor reserved
// and has a use fitting the half-hour offset half-hours back (real mode 1
// real uses, 0 soft, else both; day mode 1 only today's, else any day);
// marks each chosen stand taken.
void lf_searchStands(std::uint64_t daySlot, int realMode, int dayMode, std::uint32_t offset,
                     std::vector<StaticSlot>& out);
// Records the learned use of a stand by a live aircraft (modes 0 to 3).
void lf_addRealStandOption(std::int32_t standId, LiveAc& aircraft, int mode);
// Raises the stand change counter and the park airport's update count, and
// repaints the park-airport band when the shown counter differs.
void gf_noteStandChange();
// Counts the static parked aircraft in life states active or removingfromsim
// (and, with the flag, their mean parked time) for the window; returns the count.
std::uint64_t gf_countParkedInWeek(bool withMeanTime);
// The park airport's stand file is loaded (g_airportFileRead).
bool gf_parkFileLoaded();
// The position of the first (nearest) entry of the park-airport list, none
// when the list is empty.
std::optional<GeoPoint> gf_firstParkAirportPosition();
