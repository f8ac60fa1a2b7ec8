// What a livery scan finds wrong or worth telling in the aircraft folders:
// the report lists its workers append to, the titles taken so far, the
// report files written at the scan's end and removed at the next scan's
// start, and the summary in the log.
//
// Every scan has a number. A worker writes under the number of the scan that
// started it; once the driver has sealed the tables (the scan is over, or it
// gave the worker up), the worker's late appends are dropped, so a worker
// that outlives its scan never writes into the next one.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "foundation/fnv.h"
#include "liveries/livery_record.h"
#include "liveries/state.h"

// A path as UTF-8 text for log lines and report entries; never throws.
std::string lf_scanPathText(const std::filesystem::path& path);

// Appenders, called from the workers; each takes its list's mutex for the one append.
void lf_appendLiveryLog(std::string text);
void lf_appendInvalidCfgFile(std::string text);
void lf_appendIncompleteSection(std::string text);
void lf_appendEmptyCfgFile(std::string text);
// "{:12} in {} " of the code and the file, then the further text (the section's header line).
void lf_appendInvalidAirlineCode(std::string_view code, std::string_view file, std::string_view further);
// "{:16} in {}" of the code and the file.
void lf_appendInvalidModelCode(std::string_view code, std::string_view file);

// The livery of the title, or an empty record (every id 0, which
// lf_liveryIncomplete rejects) when a livery of this scan has the title
// already: the first worker to reach a title gets it.
LiveryData lf_makeLiveryOnce(int folderNumber, const RegCodes& codes, const std::string& title,
                             const std::string& regcode);

// The don't-use titles the workers of the coming scan read: an immutable
// copy, so that emptying the titles after the scan never races with a worker
// that is still reading.
void lf_publishDontUseTitles(TitleTextSet titles);
std::shared_ptr<const TitleTextSet> lf_dontUseTitlesSnapshot();
// The title is one of the don't-use titles this thread's scan was given.
bool lf_isScanDontUseTitle(std::string_view title);

// Installed by a worker thread for its life: its appends carry the scan's
// number and it reads the scan's don't-use titles. A thread without one (the
// scan's own thread) writes to the current scan.
class LiveryWorkerScope {
public:
    LiveryWorkerScope(std::uint64_t scanNumber, std::shared_ptr<const TitleTextSet> dontUseTitles);
    ~LiveryWorkerScope();
    LiveryWorkerScope(const LiveryWorkerScope&) = delete;
    LiveryWorkerScope& operator=(const LiveryWorkerScope&) = delete;

private:
    // Held here, not in a thread-local object: the thread-local variables of
    // the scan stay trivially destructible, whose ends no thread library's
    // exit order can get wrong.
    std::shared_ptr<const TitleTextSet> dontUseTitles_;
};

// Ends the current scan's writing: afterwards the scan's thread alone owns
// the lists, and appends of the scan's workers are dropped.
void lf_sealScanTables();
// Empties every list, the titles seen and the don't-use titles.
void gf_clearLiveryTables();

// Removes the previous scan's report files and results file, and the errors
// folder when it is empty; the first failure stops it (logged).
void lf_removeScanResultFiles();
// Writes Fixes.txt in append order.
void lf_writeScanResultFile();
// Logs the summary and writes every list that has entries to its file.
// File-system errors of the errors folder throw.
void lf_writeScanSummary();
