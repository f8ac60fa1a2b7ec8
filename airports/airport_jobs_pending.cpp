// NOT BUILT YET: the park-airport data that the application shell and the
// simulator link read. These bodies report "no park airport" so that the
// program links: the park-airport list and the park airport exist but stay
// empty, the stand-name search finds no stand, the list file is not written
// and the add-on airport scan finds nothing. The airport and parking data
// replace this file.
#include "airports/airport_services.h"

std::mutex g_parkAirportsMutex;
std::list<ParkAirportEntry> g_parkAirportList;
AirportRecord g_parkAirport;
std::mutex g_standsMutex;

void gf_scanAddonAirports() {}
bool lf_readMyParkAirports() { return false; }
std::uint64_t gf_countParkedInWeek(bool) { return 0; }
bool gf_parkFileLoaded() { return false; }
std::optional<GeoPoint> gf_firstParkAirportPosition() { return std::nullopt; }
void gf_addMyParkAirport() {}
std::string gf_standNameAt(const GeoPoint&) { return {}; }
// No stand file is read yet, so no stand is ever found or learned.
Stand* gf_findStandNear(const GeoPoint&, const AcBase&, double, bool) { return nullptr; }
void lf_addRealStandOption(std::int32_t, LiveAc&, int) {}
