// The livery scan: every aircraft.cfg and sim.cfg below the livery folders
// of the settings lfolder0 to lfolder9 read into the scanned-livery list,
// optionally only the most preferred folder kept for each airline and model,
// sorted, made unique and written to LiveriesScanned.xml with the report
// files beside it. Runs on the start-up thread.
#pragma once

#include <filesystem>
#include <list>
#include <vector>

#include "liveries/livery_record.h"
#include "liveries/scan_workers.h"
#include "settings/file_names.h"

// The whole scan with the given workers and waits (gf_scanLiveries takes the
// program's). Throws vlt::UserErrorException 48 (no livery folder set), 53
// (no livery found) or 243 (a livery folder that does not exist).
void lf_runLiveryScan(const std::filesystem::path& parametersPath, const LiveryScanHooks& hooks);
// The set livery folders in setting order; throws 243 for one that does not exist.
void lf_checkLfolderPath(std::vector<std::filesystem::path>& folders);
// Scans the folders and writes the results and reports; false when no livery
// was found, true otherwise (also when a stop ended the scan, which then
// writes nothing). g_unreadCfgFiles tells afterwards how many files it left
// unread.
bool lf_scanLiveryFolders(const std::vector<std::filesystem::path>& folders, const LiveryScanHooks& hooks = {});
// Walks one folder and appends its liveries to g_liveries; the files it
// left unread are added to g_unreadCfgFiles.
void lf_searchLiveryFolder(int folderNumber, const std::filesystem::path& folder, const LiveryScanHooks& hooks = {});
// Keeps, for each airline, second airline and model, only the liveries of the
// smallest folder number.
void lf_pruneByFolderPreference(std::list<LiveryData>& liveries);
