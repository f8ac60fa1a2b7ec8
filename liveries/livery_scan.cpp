#include "liveries/livery_scan.h"

#include <fmt/format.h>

#include <system_error>
#include <unordered_map>

#include "app/services/run_flags.h"
#include "app/services/shell_services.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "liveries/dont_use_titles.h"
#include "liveries/livery_services.h"
#include "liveries/results_file.h"
#include "liveries/scan_reports.h"
#include "liveries/state.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kFolderSettings = 10;
constexpr int kHighestFolderNumber = 10;

// The key of the folder preference: airline, second airline and model.
std::uint64_t lf_preferenceKey(const LiveryData& livery) {
    return (std::uint64_t{livery.airline} << 32) | (std::uint64_t{livery.airline2} << 16) | livery.model;
}

// A new scan writes into empty tables that no worker of an earlier scan can reach.
void lf_beginScanTables() {
    lf_sealScanTables();
    gf_clearLiveryTables();
}

// The workers given up during the walk may still run: wait for them a while
// (not after a stop), then close the tables to whatever still runs.
void lf_endScanWorkers(const LiveryScanHooks& hooks) {
    if (!lf_awaitScanWorkers(lf_scanWaitBound(hooks, LiveryScanWait::LastWorkers)) && !gf_stopping())
        gf_logMarked(fmt::format("{} scan worker(s) still running, their findings are left out", g_runningScans.load()));
    lf_sealScanTables();
}

// Sorts, makes unique and writes the liveries, then the reports.
void lf_writeScanResults(std::size_t folderCount, std::size_t total) {
    if (folderCount > 1) gf_log(fmt::format("{} in total", total));
    if (LIG_PRIORITIZE.value) lf_pruneByFolderPreference(g_liveries);
    lf_sortLiveries(g_liveries);
    g_liveries.unique();
    gf_writeLiveriesXml();
    g_liveries.clear();
    lf_writeScanSummary();
}
}  // namespace

void lf_pruneByFolderPreference(std::list<LiveryData>& liveries) {
    std::unordered_map<std::uint64_t, std::int16_t> smallest;
    for (const LiveryData& livery : liveries) {
        const auto [at, added] = smallest.try_emplace(lf_preferenceKey(livery), livery.folderNumber);
        if (!added && livery.folderNumber < at->second) at->second = livery.folderNumber;
    }
    liveries.remove_if(
        [&smallest](const LiveryData& livery) { return livery.folderNumber > smallest.at(lf_preferenceKey(livery)); });
}

void lf_checkLfolderPath(std::vector<fs::path>& folders) {
    folders.clear();
    folders.reserve(kFolderSettings);
    for (const StringParam* setting : g_lfolderParams) {
        const std::string value = setting->value.get();
        if (value.empty()) continue;
        utf8_to_wide(value);  // invalid UTF-8 throws here
        fs::path folder = gf_utf8Path(value);
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error || !fs::exists(status)) {
            gf_logMarked(fmt::format("{}: '{}' does not exist", setting->key, value));
            throw vlt::UserErrorException(
                243, fmt::format("the path pointed to by parameter '{}' does not exist, see Log.txt!", setting->key));
        }
        folders.push_back(std::move(folder));
    }
}

void lf_searchLiveryFolder(int folderNumber, const fs::path& folder, const LiveryScanHooks& hooks) {
    g_unreadCfgFiles += lf_walkLiveryFolder(folderNumber, folder, g_liveries, hooks);
}

bool lf_scanLiveryFolders(const std::vector<fs::path>& folders, const LiveryScanHooks& hooks) {
    g_liveries.clear();
    lf_removeScanResultFiles();
    lf_beginScanTables();
    lf_readDontUseTitles();
    lf_publishDontUseTitles(g_dontUseTitles);
    g_unreadCfgFiles = 0;

    int folderNumber = 0;
    std::size_t total = 0, previousSize = 0;
    for (const fs::path& folder : folders) {
        if (folder.empty()) continue;
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error && status.type() != fs::file_type::not_found) throw fs::filesystem_error("exists", folder, error);
        const std::string text = lf_scanPathText(folder);
        if (!fs::exists(status)) {
            gf_log(text + " does not exist, skipped!");
            continue;
        }
        if (!fs::is_directory(status)) {
            gf_log(text + " is not a folder name, skipped!");
            continue;
        }
        if (folderNumber < kHighestFolderNumber) ++folderNumber;
        if (gf_stopping()) break;
        lf_searchLiveryFolder(folderNumber, folder, hooks);
        const std::size_t added = g_liveries.size() - previousSize;
        if (added < 1) {
            gf_log("No liveries found in " + text);
        } else {
            gf_log(fmt::format("{} liverie{} found in {}", added, gf_plural(std::uint64_t{added}), text));
            total += added;
            previousSize = g_liveries.size();
        }
    }
    lf_endScanWorkers(hooks);
    if (gf_stopping()) {  // a stopped scan writes nothing
        g_liveries.clear();
        g_unreadCfgFiles = 0;
        gf_clearLiveryTables();
        return true;
    }
    if (g_liveries.empty()) {
        g_liveryCount = 0;
        platform::invalidateBand(kIndicatorsBand);
        gf_clearLiveryTables();
        return false;
    }
    try {
        lf_writeScanResults(folders.size(), total);
    } catch (...) {
        gf_clearLiveryTables();
        throw;
    }
    gf_clearLiveryTables();
    gf_clearStatus();
    return true;
}

void lf_runLiveryScan(const fs::path& parametersPath, const LiveryScanHooks& hooks) {
    gf_setStatus(fmt::format("Scanning {}for liveries ...", LIG_PRIORITIZE.value ? "prioritized " : ""), false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++", "manual"));
    std::vector<fs::path> folders;
    lf_checkLfolderPath(folders);
    if (folders.empty()) {
        gf_openManual();
        gf_openParametersFolder(parametersPath);
        throw vlt::UserErrorException(
            48, fmt::format("Exit {} first!   Then set one or more lfolder parameters to your liveries, see Manual 5.3",
                            kProgramName));
    }
    if (!lf_scanLiveryFolders(folders, hooks)) throw vlt::UserErrorException(53, "no liveries found");
    // Liveries left unread (a slow drive, a virus scanner) stay missing until
    // the next scan: that one comes at the next start.
    const std::size_t unread = g_unreadCfgFiles;
    if (unread > 0)
        gf_setStatus(fmt::format("Livery scan incomplete: {} aircraft.cfg file{} skipped, the next start scans again",
                                 unread, gf_plural(std::uint64_t{unread})),
                     true);
    SCAN_LIVERIES.value = unread > 0;
    gf_saveBoolParam(SCAN_LIVERIES, parametersPath);
    ControlUpdateBatch controls;
    controls.setCheck(SCAN_LIVERIES, SCAN_LIVERIES.value);
    controls.apply();
    platform::invalidateBand(kIndicatorsBand);
    platform::invalidateBand(kStatisticsBand);
    gf_logAndFlush("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
}

void gf_scanLiveries(const fs::path& parametersPath) { lf_runLiveryScan(parametersPath, {}); }
