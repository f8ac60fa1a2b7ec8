// NOT BUILT YET: the park-airport data the application shell reads. These
// bodies report "no park airport" so that the program links; the airport and
// parking data replace this file.
#include "airports/airport_services.h"

std::uint64_t gf_countParkedInWeek(bool) { return 0; }
bool gf_parkFileLoaded() { return false; }
std::optional<GeoPoint> gf_firstParkAirportPosition() { return std::nullopt; }
