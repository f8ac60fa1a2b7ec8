#include "liveries/scan_workers.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "app/services/run_flags.h"
#include "app/services/scan_places.h"
#include "app/services/state.h"
#include "foundation/log.h"
#include "liveries/ivao_reader.h"
#include "liveries/scan_reports.h"

namespace fs = std::filesystem;

namespace {
using Clock = std::chrono::steady_clock;
// What a worker hands over: its liveries, or what it threw, set once under
// the slot's own mutex. (Not a std::future: that hand-over, a one-time call
// inside the thread library, once ended the Windows build under load with a
// std::future_error thrown in a worker, which no one can catch there.)
struct LiverySlot {
    std::mutex mutex;
    std::condition_variable filled;
    bool ready = false;
    LiveryList liveries;
    std::exception_ptr failure;
};

// A started worker: its file and the slot of its liveries, which the worker
// keeps too while it runs.
struct LiveryFuture {
    fs::path file;
    std::shared_ptr<LiverySlot> slot;
};
using LiveryFutures = std::list<LiveryFuture>;

constexpr std::size_t kLongestFolderPath = 250;
// How often a waiting walk looks at the stop flags.
constexpr std::chrono::milliseconds kStopCheckInterval{50};

// Signalled whenever a worker gives its place back: the walk sleeps on it
// rather than spinning, which would take a processor from the workers.
std::mutex g_workerEndMutex;
std::condition_variable g_workerEnded;

// A worker's place among the running ones: taken before its thread starts,
// given back when its body ends by any way. The count never goes below 0: a
// worker that outlives a restart (which set the count back to 0) gives back
// nothing.
class WorkerPlace {
public:
    WorkerPlace() = default;
    WorkerPlace(const WorkerPlace&) = delete;
    WorkerPlace& operator=(const WorkerPlace&) = delete;
    // The place is given back under the lock a waiter reads the count under:
    // one that sees the last place back (a scan ending, and then the process)
    // finds this worker done with the mutex and the condition.
    ~WorkerPlace() {
        const std::lock_guard lock(g_workerEndMutex);
        gf_releaseScanPlace();  // also wakes the airport scan, which shares the count
        g_workerEnded.notify_all();
    }
};

std::int32_t lf_workerLimit() { return std::max<std::int32_t>(1, g_scanLimit.load()); }

// How long the walk yields before it sleeps for a worker place: a small
// aircraft.cfg is read in about that time, and waking from a sleep each time
// costs the scan of a large library several per cent; a worker that takes
// longer is waited for asleep.
constexpr std::chrono::microseconds kYieldBeforeSleep{200};

// Waits until fewer than `limit` workers run; false when a stop was asked
// for or the deadline passed first.
bool lf_waitForRunningBelow(std::int32_t limit, Clock::time_point deadline) {
    const Clock::time_point spinEnd = Clock::now() + kYieldBeforeSleep;
    while (g_runningScans.load() >= limit && Clock::now() < spinEnd) std::this_thread::yield();
    std::unique_lock lock(g_workerEndMutex);
    while (g_runningScans.load() >= limit) {
        if (gf_stopping() || Clock::now() >= deadline) return false;
        g_workerEnded.wait_until(lock, std::min(deadline, Clock::now() + kStopCheckInterval));
    }
    return true;
}

bool lf_equalsNoCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

// Waits until a worker place is free; false when a stop was asked for or no
// place came free within the wait.
bool lf_waitForWorkerPlace(const fs::path& file, const LiveryScanHooks& hooks) {
    const std::int32_t limit = lf_workerLimit();
    const std::int32_t running = g_runningScans.load();
    if (running < limit) return true;
    if (hooks.workersFull) hooks.workersFull(running);
    return lf_waitForRunningBelow(limit, Clock::now() + lf_scanWaitBound(hooks, LiveryScanWait::Place, file));
}

void lf_startWorker(const LiveryWorker& worker, int folderNumber, const fs::path& file, LiveryFutures& futures) {
    auto slot = std::make_shared<LiverySlot>();
    futures.push_back({file, slot});
    ++g_runningScans;  // before the thread starts: its end gives the place back
    try {
        std::thread([worker, folderNumber, file, slot, scan = g_liveryScanNumber.load(),
                     titles = lf_dontUseTitlesSnapshot()] {
            // The place goes back last: a waiter that sees the last one back
            // finds every slot filled.
            const WorkerPlace place;
            LiveryList found;
            std::exception_ptr failure;
            try {
                const LiveryWorkerScope scope(scan, titles);
                found = worker(folderNumber, file);
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(slot->mutex);
            slot->liveries = std::move(found);
            slot->failure = failure;
            slot->ready = true;
            slot->filled.notify_all();
        }).detach();
    } catch (...) {
        futures.pop_back();
        const WorkerPlace unused;  // no thread: give the place back here
        throw;
    }
}

// Moves the oldest worker's liveries to the list; throws when it is not
// ready within the wait (its file counts as unread), or rethrows the
// worker's exception.
void lf_takeOldest(LiveryFutures& futures, LiveryList& liveries, const LiveryScanHooks& hooks, std::size_t& unread) {
    LiveryFuture& oldest = futures.front();
    LiverySlot& slot = *oldest.slot;
    std::unique_lock lock(slot.mutex);
    if (!slot.filled.wait_for(lock, lf_scanWaitBound(hooks, LiveryScanWait::Result, oldest.file),
                              [&slot] { return slot.ready; })) {
        ++unread;
        throw std::runtime_error("Future wait timed out after 10 seconds");
    }
    if (slot.failure) std::rethrow_exception(slot.failure);
    liveries.splice(liveries.end(), slot.liveries);
}

const LiveryWorker& lf_workerFor(std::string_view pathText, const LiveryScanHooks& hooks) {
    static const LiveryWorker fileWorker = lf_searchLiveriesinFile;
    static const LiveryWorker ivaoWorker = lf_searchLiveriesinIVAOFile;
    if (lf_isIvaoPath(pathText)) return hooks.ivaoWorker ? hooks.ivaoWorker : ivaoWorker;
    return hooks.fileWorker ? hooks.fileWorker : fileWorker;
}

// Walks the folder and starts the workers; every failure ends the walk with
// its log line, the futures stay to be collected. When no worker place comes
// free within the wait, the walk goes on only to count the files it leaves
// unread, so that the scan can say so.
void lf_startFolderWorkers(int folderNumber, const fs::path& folder, LiveryFutures& futures, LiveryList& liveries,
                           const LiveryScanHooks& hooks, std::size_t& unread) {
    fs::path reached = folder;
    bool stalled = false;
    try {
        std::error_code error;
        fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
        for (const fs::recursive_directory_iterator end; !error && entries != end; entries.increment(error)) {
            if (gf_stopping()) return;
            const fs::directory_entry& entry = *entries;
            reached = entry.path();
            std::error_code typeError;
            if (entry.is_directory(typeError)) {
                if (lf_skipsFolder(lf_scanPathText(reached))) entries.disable_recursion_pending();
                continue;
            }
            if (!entry.is_regular_file(typeError) || !lf_isLiveryCfgFile(reached)) continue;
            if (!stalled && !lf_waitForWorkerPlace(reached, hooks) && !gf_stopping()) {
                stalled = true;
                gf_logMarked(fmt::format(
                    "liveries search in {} stalled: no scan worker came free within the wait, its further files are skipped",
                    lf_scanPathText(folder)));
            }
            if (gf_stopping()) return;
            if (stalled) {
                ++unread;
                continue;
            }
            lf_startWorker(lf_workerFor(lf_scanPathText(reached), hooks), folderNumber, reached, futures);
            if (futures.size() <= static_cast<std::size_t>(lf_workerLimit())) continue;
            try {
                lf_takeOldest(futures, liveries, hooks, unread);
            } catch (const std::exception& e) {
                gf_logMarked(fmt::format("liveries inner search aborted: {}", e.what()));
            }
            futures.pop_front();
        }
        if (error) throw fs::filesystem_error("recursive_directory_iterator", reached, error);
    } catch (const std::exception& e) {
        gf_log(fmt::format("liveries search in {} aborted, cause: {}", lf_scanPathText(reached), e.what()));
    }
}
}  // namespace

bool lf_isLiveryCfgFile(const fs::path& path) {
    const std::string name = lf_scanPathText(path.filename());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;  // no extension, or a name that is all extension
    const std::string_view stem = std::string_view(name).substr(0, dot);
    return lf_equalsNoCase(std::string_view(name).substr(dot), ".cfg") &&
           (lf_equalsNoCase(stem, "aircraft") || lf_equalsNoCase(stem, "sim"));
}

bool lf_isIvaoPath(std::string_view pathText) {
    return pathText.find("ivao_x-csl") != std::string_view::npos || pathText.find("IVAO_MTL") != std::string_view::npos;
}

bool lf_skipsFolder(std::string_view pathText) {
    return pathText.find("airport") != std::string_view::npos || pathText.size() >= kLongestFolderPath;
}

std::size_t lf_walkLiveryFolder(int folderNumber, const fs::path& folder, LiveryList& liveries,
                                const LiveryScanHooks& hooks) {
    LiveryFutures futures;
    std::size_t unread = 0;
    lf_startFolderWorkers(folderNumber, folder, futures, liveries, hooks, unread);
    // One failed or hung worker loses its own liveries only: the rest are
    // still collected.
    for (; !futures.empty(); futures.pop_front()) {
        if (gf_stopping()) return unread;  // a stopped scan writes nothing: its workers' liveries are not needed
        try {
            lf_takeOldest(futures, liveries, hooks, unread);
        } catch (const std::exception& e) {
            gf_log(fmt::format("liveries search aborted, futs outer, {}", e.what()));
        }
    }
    return unread;
}

std::chrono::milliseconds lf_scanWaitBound(const LiveryScanHooks& hooks, LiveryScanWait wait, const fs::path& file) {
    return hooks.waitBound ? hooks.waitBound(wait, file) : kLiveryFutureWait;
}

bool lf_awaitScanWorkers(std::chrono::milliseconds bound) { return lf_waitForRunningBelow(1, Clock::now() + bound); }
