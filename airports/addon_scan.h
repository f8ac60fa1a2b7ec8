// The add-on airport scan: the folders of the afolder settings are walked for
// scenery files (.bgl), each file with an airport section is read on a scan
// worker of its own, and the scan ends with its log file, the off-line
// learning collection and SCAN_AIRPORTS switched off. Runs on the start-up
// thread; the workers are detached threads, at most g_scanLimit at once.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "settings/file_names.h"

// How long the scan waits for a worker's result before it gives the worker up.
inline constexpr std::chrono::milliseconds kScanFutureWait{10000};

// The body a scan worker runs for one file (lf_processBGLfile in the program).
using BglScanWorker = std::function<void(const std::filesystem::path&)>;

// The whole scan; parametersPath is where SCAN_AIRPORTS is saved. Throws
// vlt::UserErrorException 49 when no folder is set, 42 for a folder inside
// the stock scenery.
void gf_scanAddonAirports(const std::filesystem::path& parametersPath = g_parametersPath);
// The non-empty afolder settings as paths, in setting order.
void lf_readAfolderParameters(std::vector<std::filesystem::path>& folders);
void lf_runAirportScan(const std::vector<std::filesystem::path>& folders, const std::filesystem::path& parametersPath);
// Scans the folders, writes the scan log, collects the off-line learning
// files; true when a link folder holds an airport afterwards.
bool lf_scanFoldersAndReport(const std::vector<std::filesystem::path>& folders);
void lf_scanAirportFolders(const std::vector<std::filesystem::path>& folders);
// Walks the folder and hands each scenery file with an airport section to a
// worker; returns when every worker's result has come or was given up.
void lf_scanAirportFolder(const std::filesystem::path& folder, const BglScanWorker& worker,
                          std::chrono::milliseconds futureWait = kScanFutureWait);
// Whether the path lies in the simulator's stock scenery (letter case ignored).
bool gf_isInStockScenery(const std::filesystem::path& path);
