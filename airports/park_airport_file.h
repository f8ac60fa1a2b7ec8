// Reading the park airport's file: the stand file (downloaded from the
// archive when it is not a local file), its learned file, the quality
// factors, the airport's settings, and the numbering and neighbours of the
// stands. gf_readApf itself is declared in airports/airport_services.h.
#pragma once

#include <string>

#include "airports/state.h"

// The copy of a downloaded park airport's file: airports/park_airport.xml.
std::filesystem::path lf_parkAirportCopyPath();
// Numbers the stands 1, 2, 3 ... in table order and lists as neighbours
// every two stands closer (times 1.1) than their radii together.
void lf_numberAndLinkStands();
// "  " when nothing is known, "44/ 7" while real uses are few (below 45),
// else the real factor alone ("80").
std::string lf_qualityFactorText();
