#include "airports/addon_scan.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cwctype>
#include <future>
#include <list>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "airports/bgl_reader.h"
#include "airports/offline_learning.h"
#include "airports/state.h"
#include "app/services/run_flags.h"
#include "app/services/scan_places.h"
#include "app/services/shell_services.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "foundation/user_error.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kScanLogLinesReserved = 2048;
constexpr std::size_t kFolderCount = 10;

std::string utf8(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

[[noreturn]] void throwFileSystemError(const char* what, const fs::path& path, std::error_code error) {
    throw fs::filesystem_error(what, path, error);
}

std::u16string lowered(std::u16string text) {
    for (char16_t& c : text) c = static_cast<char16_t>(std::towlower(static_cast<std::wint_t>(c)));
    return text;
}

bool hasBglExtension(const fs::path& path) {
    return lowered(path.extension().u16string()) == u".bgl";
}

// Scenery of statics and heliports holds no airports worth a stand file.
bool isExcludedScenery(const fs::path& path) {
    const std::u16string text = path.u16string();
    return text.find(u"statics") != std::u16string::npos || text.find(u"_heliports") != std::u16string::npos;
}

// A worker's place among the running ones: taken before its thread starts,
// given back when its body ends by any way, so that neither a failing file
// nor a worker that outlives a restart (which set the count back to 0) can
// leave the count wrong.
class WorkerSlot {
public:
    WorkerSlot() = default;
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;
    ~WorkerSlot() { gf_releaseScanPlace(); }
};

// (It looks every millisecond rather than waiting on the count: the
// standard library we build the Windows program with may lose an atomic's
// notify where the platform has no futex, and the scan would wait for good.)
void waitForFreeWorker() {
    const std::int32_t limit = std::max(1, g_scanLimit.load());
    while (g_runningScans.load() >= limit) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// A worker's result: the text of what went wrong, nothing when it went well.
// The worker hands over the text rather than its exception, so that no
// exception object is shared by the worker's thread and the scanning thread.
using WorkerResult = std::optional<std::string>;

WorkerResult runWorker(const BglScanWorker& worker, const fs::path& file) {
    const WorkerSlot slot;
    try {
        worker(file);
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        return std::string("unknown exception");
    }
}

// Waits for the oldest worker's result and takes it; the end of the wait is
// a failure of its own.
WorkerResult takeOldest(std::list<std::future<WorkerResult>>& futures, std::chrono::milliseconds wait) {
    if (futures.front().wait_for(wait) != std::future_status::ready)
        return std::string("Future wait timed out after 10 seconds");
    return futures.front().get();
}

void addScanLogLineLocked(const std::string& line) {
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.push_back(line);
}

void launchWorker(const fs::path& file, const BglScanWorker& worker,
                  std::list<std::future<WorkerResult>>& futures, std::chrono::milliseconds futureWait) {
    waitForFreeWorker();
    ++g_runningScans;  // before the thread starts: its end gives the place back
    std::packaged_task<WorkerResult()> task([worker, file] { return runWorker(worker, file); });
    futures.push_back(task.get_future());
    try {
        std::thread(std::move(task)).detach();
    } catch (...) {
        futures.pop_back();
        const WorkerSlot unused;  // no thread: give the place back here
        throw;
    }
    if (futures.size() <= static_cast<std::size_t>(std::max(1, g_scanLimit.load()))) return;
    if (const auto failure = takeOldest(futures, futureWait))
        gf_addScanLogLine(fmt::format("{} airports search aborted, futs inner,\n{}\n{}\n{}", "===> ", *failure,
                                      futures.size(), utf8(file)));
    futures.pop_front();
}
}  // namespace

bool gf_isInStockScenery(const fs::path& path) {
    const std::u16string stock = g_stockSceneryPath.u16string();
    const std::u16string text = path.u16string();
    if (stock.empty() || stock.size() > text.size()) return false;
    return lowered(text).find(lowered(stock)) != std::u16string::npos;
}

void lf_scanAirportFolder(const fs::path& folder, const BglScanWorker& worker, std::chrono::milliseconds futureWait) {
    addScanLogLineLocked(fmt::format("Scanning for {} airports in {}", "addon ", utf8(folder)));
    std::list<std::future<WorkerResult>> futures;
    std::error_code error;
    // A folder that cannot be read is passed over, and the walk goes on.
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, error), end; it != end; it.increment(error)) {
        if (error) {  // an entry the walk could not read is passed over
            error.clear();
            continue;
        }
        try {
            const fs::path& path = it->path();
            if (gf_isInStockScenery(path)) {
                it.disable_recursion_pending();
                continue;
            }
            std::error_code typeError;
            if (!it->is_regular_file(typeError) || !hasBglExtension(path) || isExcludedScenery(path)) continue;
            if (!lf_bglHasAirports(path)) continue;
            if (gf_stopping()) break;
            launchWorker(path, worker, futures, futureWait);
        } catch (const std::exception& e) {
            gf_addScanLogLine(
                fmt::format("{} airports search in folder {} aborted, cause: {}", "===> ", utf8(folder), e.what()));
        }
    }
    for (; !futures.empty(); futures.pop_front())
        if (const auto failure = takeOldest(futures, futureWait))
            gf_addScanLogLine(
                fmt::format("{} airports search in {} aborted, futs outer error: {}", "===> ", utf8(folder), *failure));
}

void lf_scanAirportFolders(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        if (folder.empty()) continue;
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error && error != std::errc::no_such_file_or_directory) throwFileSystemError("exists", folder, error);
        if (!fs::exists(status))
            gf_setStatus(utf8(folder) + " does not exist, skipped!", true);
        else if (!fs::is_directory(status))
            gf_setStatus(utf8(folder) + " is not a folder name, skipped!", true);
        else if (!gf_isInStockScenery(folder))
            lf_scanAirportFolder(folder, lf_processBGLfile);
    }
}

bool lf_scanFoldersAndReport(const std::vector<fs::path>& folders) {
    gf_log(fmt::format("The scan will search {} folder{}", folders.size(),
                       gf_plural(static_cast<std::uint64_t>(folders.size()))));
    std::error_code error;
    fs::remove(g_airportsScanLogPath, error);
    if (error && error != std::errc::no_such_file_or_directory)
        gf_log("problems with removing previous files (maybe still open?): " + error.message());
    g_tbloFileCount = 0;
    {
        const std::lock_guard lock(g_scanLogMutex);
        if (g_scanLogLines.capacity() < kScanLogLinesReserved) g_scanLogLines.reserve(kScanLogLinesReserved);
    }
    lf_scanAirportFolders(folders);
    std::vector<std::string> lines;
    {
        // Workers given up may still add lines: take what is there now.
        const std::lock_guard lock(g_scanLogMutex);
        lines.swap(g_scanLogLines);
    }
    if (gf_writeLines(lines, g_airportsScanLogPath))
        gf_log(utf8(g_airportsScanLogPath) + " written");
    else
        gf_logMarked(utf8(g_airportsScanLogPath) + " could not be written");
    gf_clearStatus();
    lf_afterAirportScan(gf_listXmlFiles());
    // Airports of either publisher kind count as found.
    return gf_countDirectoryEntries(g_myThirdpartyFolder) + gf_countDirectoryEntries(g_myOrbxFolder) > 0;
}

void lf_runAirportScan(const std::vector<fs::path>& folders, const fs::path& parametersPath) {
    gf_removeFilesFromDirectory(g_myOrbxFolder);
    gf_removeFilesFromDirectory(g_myThirdpartyFolder);
    if (!lf_scanFoldersAndReport(folders)) gf_setStatus("Warning: Scan has not found any add-on airports", true);
    SCAN_AIRPORTS.value = false;
    gf_saveBoolParam(SCAN_AIRPORTS, parametersPath);
    ControlUpdateBatch batch;
    batch.setCheck(SCAN_AIRPORTS, false);
    batch.apply();
    platform::invalidateBand(kWholeWindowBand);
}

void lf_readAfolderParameters(std::vector<fs::path>& folders) {
    folders.clear();
    folders.reserve(kFolderCount);
    const std::string stock = wide_to_utf8(g_stockSceneryPath.u16string());
    for (const StringParam* setting : g_afolderParams) {
        const std::string value = setting->value.get();
        if (value.empty()) continue;
        // Without a known stock scenery there is nothing to keep out.
        if (!stock.empty() && value.find(stock) != std::string::npos)
            throw vlt::UserErrorException(
                42, fmt::format("parameter {} points to stock airports instead of add-on airports!", setting->key));
        fs::path folder = gf_utf8Path(value);
        gf_log(fmt::format("From parameter {}: {}", setting->key, utf8(folder)));
        folders.push_back(std::move(folder));
    }
}

void gf_scanAddonAirports(const fs::path& parametersPath) {
    gf_setStatus("Scanning for addon airports ...", false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++", "manual "));
    const fs::path tblo = g_tbloName;
    std::error_code error;
    if (fs::exists(tblo, error)) {
        gf_removeFilesFromDirectory(tblo);
    } else if (!fs::create_directory(tblo, error) && error) {
        throwFileSystemError("create_directory", tblo, error);
    }
    std::vector<fs::path> folders;
    lf_readAfolderParameters(folders);
    if (folders.empty()) {
        gf_openManual();
        gf_openParametersFolder(parametersPath);
        throw vlt::UserErrorException(
            49, fmt::format("Exit {} first!   Then set one or more afolder parameters to your add-on airports, see "
                            "Manual 6.2",
                            kProgramName));
    }
    lf_runAirportScan(folders, parametersPath);
    if (g_tbloFileCount == 0) fs::remove_all(tblo, error);
    platform::invalidateBand(kWholeWindowBand);
    gf_log("-------------------------- airports scan ends    ----------------------------\n");
}
