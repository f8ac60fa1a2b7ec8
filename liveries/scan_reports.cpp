#include "liveries/scan_reports.h"

#include <fmt/format.h>

#include <filesystem>
#include <system_error>
#include <type_traits>
#include <utility>

#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

ScanReport<ReportLines> g_invalidAirlineCodes;
ScanReport<ReportLines> g_invalidModelCodes;
ScanReport<std::vector<std::string>> g_fixesList;
ScanReport<ReportLines> g_invalidCfgFiles;
ScanReport<ReportLines> g_incompleteSections;
ScanReport<ReportLines> g_emptyCfgFiles;
ScanReport<TitleTextSet> g_seenTitles;
std::atomic<std::uint64_t> g_liveryScanNumber{1};
std::size_t g_unreadCfgFiles = 0;

namespace {
// The scan number a worker thread writes under; 0 on every other thread.
thread_local std::uint64_t t_workerScan = 0;
thread_local const TitleTextSet* t_dontUseTitles = nullptr;  // owned by the thread's LiveryWorkerScope

std::mutex g_dontUseSnapshotMutex;
std::shared_ptr<const TitleTextSet> g_dontUseSnapshot = std::make_shared<const TitleTextSet>();  // guarded by g_dontUseSnapshotMutex

// Asked under the list's mutex, so that sealing (which takes every list's
// mutex after raising the number) leaves no append of an old scan half done.
bool lf_writesCurrentScan() { return t_workerScan == 0 || t_workerScan == g_liveryScanNumber.load(); }

template <class Container>
void lf_append(ScanReport<Container>& report, std::string text) {
    const std::lock_guard lock(report.mutex);
    if (lf_writesCurrentScan()) report.entries.push_back(std::move(text));
}

template <class Container>
void lf_waitForAppends(ScanReport<Container>& report) {
    const std::lock_guard lock(report.mutex);
}

template <class Container>
void lf_empty(ScanReport<Container>& report) {
    const std::lock_guard lock(report.mutex);
    report.entries.clear();
}

// Creates the errors folder when its status says it does not exist; a
// failing status query or creation throws.
void lf_makeErrorsFolder() {
    std::error_code error;
    const fs::file_status status = fs::status(g_errorsFolder, error);
    if (status.type() == fs::file_type::not_found) {
        fs::create_directories(g_errorsFolder);
    } else if (error) {
        throw fs::filesystem_error("status", g_errorsFolder, error);
    }
}

// Sorts the list and writes it to the file (the summary line is logged even
// when the file cannot be written).
void lf_writeSortedList(ReportLines& lines, const fs::path& path, bool makeFolder) {
    lines.sort();
    if (makeFolder) lf_makeErrorsFolder();
    if (!gf_writeListLines(lines, path)) gf_logMarked(fmt::format("Error writing file {}", lf_scanPathText(path)));
}
}  // namespace

namespace {
// POSIX names are bytes already; Windows names are UTF-16. (A template, so
// that only the branch of the system's path type is compiled.)
template <class Path>
std::string lf_nativeText(const Path& path) {
    if constexpr (std::is_same_v<typename Path::value_type, char>) {
        return path.native();
    } else {
        return gf_wideToUtf8(path.u16string());
    }
}
}  // namespace

std::string lf_scanPathText(const fs::path& path) { return lf_nativeText(path); }

void lf_appendLiveryLog(std::string text) { lf_append(g_fixesList, std::move(text)); }
void lf_appendInvalidCfgFile(std::string text) { lf_append(g_invalidCfgFiles, std::move(text)); }
void lf_appendIncompleteSection(std::string text) { lf_append(g_incompleteSections, std::move(text)); }
void lf_appendEmptyCfgFile(std::string text) { lf_append(g_emptyCfgFiles, std::move(text)); }

void lf_appendInvalidAirlineCode(std::string_view code, std::string_view file, std::string_view further) {
    std::string entry = fmt::format("{:12} in {} ", code, file);
    entry += further;
    lf_append(g_invalidAirlineCodes, std::move(entry));
}

void lf_appendInvalidModelCode(std::string_view code, std::string_view file) {
    lf_append(g_invalidModelCodes, fmt::format("{:16} in {}", code, file));
}

LiveryData lf_makeLiveryOnce(int folderNumber, const RegCodes& codes, const std::string& title,
                             const std::string& regcode) {
    {
        const std::lock_guard lock(g_seenTitles.mutex);
        if (!lf_writesCurrentScan() || !g_seenTitles.entries.insert(title).second) return LiveryData{};
    }
    LiveryData livery;
    livery.title = title;
    livery.regcode = regcode;
    livery.airline = codes.airlineId;
    livery.airline2 = codes.secondAirlineId;
    livery.model = codes.modelId;
    livery.cargo = codes.cargo;
    livery.folderNumber = static_cast<std::int16_t>(folderNumber);
    return livery;
}

void lf_publishDontUseTitles(TitleTextSet titles) {
    auto snapshot = std::make_shared<const TitleTextSet>(std::move(titles));
    const std::lock_guard lock(g_dontUseSnapshotMutex);
    g_dontUseSnapshot = std::move(snapshot);
}

std::shared_ptr<const TitleTextSet> lf_dontUseTitlesSnapshot() {
    const std::lock_guard lock(g_dontUseSnapshotMutex);
    return g_dontUseSnapshot;
}

bool lf_isScanDontUseTitle(std::string_view title) {
    if (t_dontUseTitles != nullptr) return t_dontUseTitles->contains(title);
    return lf_dontUseTitlesSnapshot()->contains(title);
}

LiveryWorkerScope::LiveryWorkerScope(std::uint64_t scanNumber, std::shared_ptr<const TitleTextSet> dontUseTitles)
    : dontUseTitles_(std::move(dontUseTitles)) {
    t_workerScan = scanNumber;
    t_dontUseTitles = dontUseTitles_.get();
}

LiveryWorkerScope::~LiveryWorkerScope() {
    t_workerScan = 0;
    t_dontUseTitles = nullptr;
}

void lf_sealScanTables() {
    ++g_liveryScanNumber;
    lf_waitForAppends(g_invalidAirlineCodes);
    lf_waitForAppends(g_invalidModelCodes);
    lf_waitForAppends(g_fixesList);
    lf_waitForAppends(g_invalidCfgFiles);
    lf_waitForAppends(g_incompleteSections);
    lf_waitForAppends(g_emptyCfgFiles);
    lf_waitForAppends(g_seenTitles);
}

void gf_clearLiveryTables() {
    lf_empty(g_invalidAirlineCodes);
    lf_empty(g_invalidModelCodes);
    lf_empty(g_fixesList);
    lf_empty(g_invalidCfgFiles);
    lf_empty(g_incompleteSections);
    lf_empty(g_emptyCfgFiles);
    lf_empty(g_seenTitles);
    g_dontUseTitles.clear();
    lf_publishDontUseTitles({});
}

void lf_removeScanResultFiles() {
    const fs::path files[] = {g_noFltsimSectionPath,      g_liveriesScannedPath,  g_inlineRegcodesPath,
                              g_invalidAirlineCodesPath,  g_invalidAircraftCodesPath, g_fixesPath,
                              g_invalidAircraftCfgPath,   g_incompleteFltsimPath, g_errorsFolder};
    try {
        for (const fs::path& file : files) fs::remove(file);
    } catch (const std::exception& e) {
        gf_log(fmt::format("problems with removing previous files: {}", e.what()));
    }
}

void lf_writeScanResultFile() {
    try {
        fs::create_directories(g_fixesPath.parent_path());
        if (!gf_writeLines(g_fixesList.entries, g_fixesPath))
            gf_log(fmt::format("Error writing file {}: {}", lf_scanPathText(g_fixesPath), "the file cannot be written"));
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error writing file {}: {}", lf_scanPathText(g_fixesPath), e.what()));
    }
}

void lf_writeScanSummary() {
    ReportLines& airlines = g_invalidAirlineCodes.entries;
    ReportLines& models = g_invalidModelCodes.entries;
    ReportLines& cfgFiles = g_invalidCfgFiles.entries;
    ReportLines& sections = g_incompleteSections.entries;
    ReportLines& empties = g_emptyCfgFiles.entries;
    const std::vector<std::string>& fixes = g_fixesList.entries;

    const bool none = airlines.empty() && models.empty() && fixes.empty() && cfgFiles.empty() && sections.empty() &&
                      g_unreadCfgFiles == 0;
    gf_log(none ? "\nNo errors" : "\nErrors:");
    if (!airlines.empty()) {
        lf_writeSortedList(airlines, g_invalidAirlineCodesPath, true);
        gf_log(fmt::format("{:5} invalid airline code{}, see {}", airlines.size(), gf_plural(std::uint64_t{airlines.size()}),
                           lf_scanPathText(g_invalidAirlineCodesPath)));
    }
    if (!models.empty()) {
        lf_writeSortedList(models, g_invalidAircraftCodesPath, true);
        gf_log(fmt::format("{:5} invalid model code{}, see {}", models.size(), gf_plural(std::uint64_t{models.size()}),
                           lf_scanPathText(g_invalidAircraftCodesPath)));
    }
    if (!fixes.empty()) {
        lf_writeScanResultFile();
        gf_log(fmt::format("{:5} fixes, see {}", fixes.size(), lf_scanPathText(g_fixesPath)));
    }
    if (!cfgFiles.empty()) {
        lf_writeSortedList(cfgFiles, g_invalidAircraftCfgPath, true);
        gf_log(fmt::format("{:5} invalid aircraft.cfg files, see {}", cfgFiles.size(),
                           lf_scanPathText(g_invalidAircraftCfgPath)));
    }
    if (!sections.empty()) {
        const std::size_t collected = sections.size();
        sections.sort();
        sections.unique();
        lf_writeSortedList(sections, g_incompleteFltsimPath, true);
        gf_log(fmt::format("{:5} incomplete [fltsim.x] sections, see {}", collected, lf_scanPathText(g_incompleteFltsimPath)));
    }
    if (g_unreadCfgFiles > 0)
        gf_log(fmt::format("{:5} aircraft.cfg file{} skipped: not read in time, the next start scans again",
                           g_unreadCfgFiles, gf_plural(std::uint64_t{g_unreadCfgFiles})));
    gf_log("\nInformation:");
    if (!empties.empty()) {
        lf_writeSortedList(empties, g_noFltsimSectionPath, false);
        gf_log(fmt::format("{:5} empty aircraft.cfg files, see {}", empties.size(), lf_scanPathText(g_noFltsimSectionPath)));
    }
}
