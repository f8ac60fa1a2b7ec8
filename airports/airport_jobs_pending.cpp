// NOT BUILT YET: the scan of add-on scenery for airports and parking
// positions. It finds nothing, so that the program links; the scan replaces
// this file (it writes its generated files through gf_writeAirportFile).
#include "airports/airport_services.h"

void gf_scanAddonAirports() {}
