// The walk of one livery folder: every aircraft.cfg or sim.cfg found is read
// on a detached worker thread of its own, at most g_scanLimit at once, and
// the workers' liveries come back through futures, oldest first, each wait
// bounded, so that a hung file neither stops the scan nor starts threads
// without end.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "liveries/cfg_reader.h"

// The body a worker runs for one file (folder number, path).
using LiveryWorker = std::function<LiveryList(int, const std::filesystem::path&)>;

inline constexpr std::chrono::milliseconds kLiveryFutureWait{10000};

// What a wait of the scan is for: a free worker place for the file the walk
// is to read, the result of a file's worker, the workers still running when
// every folder is walked.
enum class LiveryScanWait { Place, Result, LastWorkers };

// What the walk runs and how long it waits; the program takes the defaults.
struct LiveryScanHooks {
    // The bound of each wait, by what it is for and its file (empty for the
    // last workers); kLiveryFutureWait for every wait when empty. A test waits
    // for what must come as long as it takes and gives up on a worker it
    // holds hung soon.
    std::function<std::chrono::milliseconds(LiveryScanWait, const std::filesystem::path& file)> waitBound;
    LiveryWorker fileWorker;  // ordinary aircraft folders (lf_searchLiveriesinFile when empty)
    LiveryWorker ivaoWorker;  // the IVAO MTL model set (lf_searchLiveriesinIVAOFile when empty)
    // Called on the walk's thread each time it finds every worker place
    // taken, with the number running; lets a test watch the bound.
    std::function<void(std::int32_t running)> workersFull;
};

// A file the scan reads: extension ".cfg" and stem "aircraft" or "sim",
// letters in any case.
bool lf_isLiveryCfgFile(const std::filesystem::path& path);
// A file of the IVAO MTL model set, by its path (exact case).
bool lf_isIvaoPath(std::string_view pathText);
// The walk does not enter a folder whose path holds "airport" or is 250
// bytes or longer.
bool lf_skipsFolder(std::string_view pathText);

// Walks the folder, runs a worker per file and appends the liveries to the
// list in the order the walk met their files. Failures are logged; a worker
// that is not ready within the wait is given up with its result, and when no
// worker place comes free within the wait the folder's further files are
// skipped. Returns the number of files left unread so (given up or skipped).
std::size_t lf_walkLiveryFolder(int folderNumber, const std::filesystem::path& folder, LiveryList& liveries,
                                const LiveryScanHooks& hooks = {});
// The bound of the wait, from the hooks or the program's default.
std::chrono::milliseconds lf_scanWaitBound(const LiveryScanHooks& hooks, LiveryScanWait wait,
                                           const std::filesystem::path& file = {});
// Waits until no scan worker runs, at most the given time and not after a
// stop was asked for; true when none runs.
bool lf_awaitScanWorkers(std::chrono::milliseconds bound);
