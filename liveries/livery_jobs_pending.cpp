// NOT BUILT YET: the livery scan, its processing and the matching's reports.
// Empty bodies so that the program links and starts without liveries; the
// reference data and liveries replace this file.
#include <string>
#include <unordered_set>

#include "liveries/livery_services.h"
#include "refdata/code_tables.h"
#include "traffic/aircraft_records.h"

bool g_liveriesProcessed = false;
std::unordered_set<std::string, FnvHash, std::equal_to<>> g_excludedTitles;

void gf_scanLiveries() {}
void gf_processScannedLiveries() {}
// The tables come with the processing; until then only the flag is there.
void gf_resetLiveryProcessing() { g_liveriesProcessed = false; }
void gf_writeMatchingSummary() {}

// Until the matching exists every live aircraft gets one fixed title per
// model: "Velantra demo livery " followed by its model code (for example
// "Velantra demo livery B738"). The stand-in simulator creates any title; a
// real simulator refuses these, and the refused titles are excluded.
void gf_matchLiveryLive(LiveAc& aircraft) {
    static std::unordered_set<std::string> titles;  // traffic thread only; views into it stay valid
    const std::string title = "Velantra demo livery " + std::string(gf_modelCodeText(aircraft.modelKey.modelId));
    if (g_excludedTitles.contains(title)) {
        aircraft.liveryTitle = {};
        return;
    }
    aircraft.liveryTitle = *titles.insert(title).first;
    aircraft.fsltlTitle = 0;
}

std::string_view gf_liveryTitleForRegistration(std::string_view) { return {}; }
