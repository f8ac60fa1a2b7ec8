// The livery scan and the matching of aircraft to installed liveries.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "foundation/fnv.h"

struct LiveAc;
struct AcBase;
struct Stand;

// Scans the simulator's and the lfolder settings' aircraft folders and writes
// output/LiveriesScanned.xml. May throw vlt::UserErrorException 48 or 53.
void gf_scanLiveries();
// Builds the livery tables from the scan result once per process.
void gf_processScannedLiveries();
extern bool g_liveriesProcessed;
// Empties the tables the processing built and clears g_liveriesProcessed, so
// that the next gf_processScannedLiveries builds them again from a new scan.
// Start-up thread, while no aircraft is being matched.
void gf_resetLiveryProcessing();

// Sets the aircraft's livery title, or leaves it empty when nothing matches.
void gf_matchLiveryLive(LiveAc& aircraft);
// The livery title painted for one particular aircraft, looked up by its
// registration in the registration-code title map; empty when there is none.
std::string_view gf_liveryTitleForRegistration(std::string_view registration);
// Chooses a livery for a static parked aircraft; false when none matches.
bool gf_matchLiveryParked(AcBase& aircraft, const Stand& stand);

// Titles the matching must not choose (the simulator failed to create them).
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_excludedTitles;

// Logs the matches per level and the failed creations.
void gf_writeMatchingSummary();
