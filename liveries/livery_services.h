// The livery scan and the matching of aircraft to installed liveries: what
// the application shell and the traffic engine call.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>

#include "foundation/fnv.h"
#include "settings/file_names.h"

struct AcBase;
struct Stand;

// Scans the aircraft folders of the lfolder settings, writes
// output/LiveriesScanned.xml and the scan's reports, and switches
// SCAN_LIVERIES off in the parameters file (on, when files were left unread
// because a wait for a worker ran out: the next start scans again). Throws vlt::UserErrorException
// 48 (no livery folder set), 53 (no livery found) or 243 (a livery folder
// that does not exist). Start-up thread.
void gf_scanLiveries(const std::filesystem::path& parametersPath = g_parametersPath);
// Reads LiveriesScanned.xml and builds the livery indexes, the registration
// codes and the category lists once per process (start-up thread); a later
// start-up of the same process only logs that it was done. Category
// switch-offs are saved to the parameters file. Throws what the results
// file's reader throws (vlt::UserErrorException 51, 52, 533, 999).
void gf_processScannedLiveries(const std::filesystem::path& parametersPath = g_parametersPath);
// The processing ran in this process; start-up thread.
extern bool g_liveriesProcessed;
// Empties the tables the processing built and clears g_liveriesProcessed, so
// that the next gf_processScannedLiveries builds them again from a new scan.
// Start-up thread, while no aircraft is being matched.
void gf_resetLiveryProcessing();

// Sets the aircraft's livery title (a view into the indexes) and its FSLTL
// flag, or leaves the title empty when nothing matches. Traffic thread.
void gf_matchLiveryLive(AcBase& aircraft);
// The livery title painted for one particular aircraft, looked up by its
// registration in the registration-code title map; empty when there is none.
std::string_view gf_liveryTitleForRegistration(std::string_view registration);
// Chooses a livery for a static parked aircraft; false when none matches
// (the miss is logged). Traffic thread.
bool gf_matchLiveryParked(AcBase& aircraft, const Stand& stand);

// Titles the matching must not choose (the simulator failed to create them);
// the traffic thread inserts and reads.
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_excludedTitles;

// Logs the live matches per step and the liveries that could not be created;
// nothing while no live aircraft was matched. Traffic thread, or at closing
// down after the traffic stopped.
void gf_writeMatchingSummary();
