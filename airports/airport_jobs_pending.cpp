// NOT BUILT YET: the park-airport data that the application shell and the
// simulator link read. These bodies report "no park airport" so that the
// program links: the park-airport list and the park airport exist but stay
// empty, the stand-name search finds no stand, the list file is not written
// and the add-on airport scan finds nothing. The airport and parking data
// replace this file.
#include "airports/airport_services.h"

#include "airports/offline_learning.h"
#include "airports/stands.h"

std::mutex g_parkAirportsMutex;
std::list<ParkAirportEntry> g_parkAirportList;
AirportRecord g_parkAirport;
std::mutex g_standsMutex;

bool lf_readMyParkAirports() { return false; }
std::uint64_t gf_countParkedInWeek(bool) { return 0; }
bool gf_parkFileLoaded() { return false; }
std::optional<GeoPoint> gf_firstParkAirportPosition() { return std::nullopt; }
void gf_addMyParkAirport() {}
std::string gf_standNameAt(const GeoPoint&) { return {}; }

// NOT BUILT YET: the stand-file writer and the file names of the park
// airport's file. The names are the code and ".xml" or ".txt"; the writer
// reports that nothing was saved.
std::string gf_airportFileName(const AirportCode& code) { return code.text() + ".xml"; }
std::filesystem::path gf_airportXmlPath(const AirportCode& code) { return gf_airportFileName(code); }
std::filesystem::path gf_airportTxtPath(const AirportCode& code) { return code.text() + ".txt"; }
// NOT BUILT YET: zipping "tblo" waits for the project's zip archive.
bool gf_zipFolder(const std::filesystem::path&) { return false; }
bool gf_writeAirportFile(const AirportFileData&, const std::filesystem::path&, std::int32_t, std::int32_t) {
    return false;
}
