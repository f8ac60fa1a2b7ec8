// The folder of the AI aircraft's flight plans ("orig_dest" in the program's
// AppData folder): created at start, removed with its content when the run ends.
#pragma once

#include <filesystem>
#include <string>

// The folder's full path; empty until gf_createFlightPlanFolder ran. Written
// by the start-up thread, read by the traffic thread afterwards.
extern std::filesystem::path g_flightPlanFolder;

// Sets g_flightPlanFolder and creates the folder with its parents; a failure
// logs "gf_createFlightPlanFolder: {}". True when the folder exists
// afterwards (a failing status query throws "exists").
bool gf_createFlightPlanFolder(const std::filesystem::path& appDataFolder);
// Removes the folder with all its content; a failure logs
// "gf_removeFlightPlanFolder: {}" (a failing status query throws "exists").
void gf_removeFlightPlanFolder();
