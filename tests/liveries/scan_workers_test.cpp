// The walk of a livery folder with its bounded workers: which files are read
// and by which reader, the order of the results, the bound on running
// workers, the bound on each wait, failing workers and the stop flags.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "liveries/scan_fixture.h"
#include "liveries/scan_workers.h"
#include "support/wait.h"

namespace {
namespace fs = std::filesystem;
using namespace livery_scan_testing;

LiveryData titled(const std::string& title) {
    LiveryData livery;
    livery.title = title;
    return livery;
}

struct ScanWorkersTest : ScanTest {
    ScanWorkersTest() {
        g_scanLimit = 4;
        g_runningScans = 0;
    }
    ~ScanWorkersTest() override {
        lf_awaitScanWorkers(testing_support::kSafety);
        g_scanLimit = 0;
        g_stopRequested = false;
    }
    // An empty cfg file at the path below the aircraft folder.
    fs::path touch(const fs::path& relative) const {
        fs::create_directories((aircraft / relative).parent_path());
        testing_support::writeFile(aircraft / relative, "[General]\n");
        return aircraft / relative;
    }
    std::string relative(const fs::path& path) const { return path.lexically_relative(aircraft.path()).generic_string(); }
};

TEST_F(ScanWorkersTest, WhichFilesAreReadAndByWhichReader) {
    for (const char* file : {"a/aircraft.cfg", "b/Aircraft.CFG", "c/SIM.cfg", "d/aircraft.cfg.bak", "e/aircraftx.cfg",
                             "f/simx.cfg", "g/aircraft.txt", "my_airport_pack/h/aircraft.cfg", "IVAO_MTL/IVAO_A320/aircraft.cfg",
                             "lower/ivao_mtl/IVAO_A320/aircraft.cfg", "x/ivao_x-csl/aircraft.cfg"})
        touch(file);
    const fs::path deep = aircraft / "deep" / std::string(250 - (aircraft / "deep").u8string().size() - 1, 'd');
    touch(deep.lexically_relative(aircraft.path()) / "aircraft.cfg");

    LiveryScanHooks hooks = patientHooks();
    hooks.fileWorker = [this](int, const fs::path& path) { return LiveryList{titled("file " + relative(path))}; };
    hooks.ivaoWorker = [this](int, const fs::path& path) { return LiveryList{titled("ivao " + relative(path))}; };
    LiveryList liveries;
    lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks);
    std::vector<std::string> titles;
    for (const auto& livery : liveries) titles.push_back(livery.title);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"file a/aircraft.cfg", "file b/Aircraft.CFG", "file c/SIM.cfg",
                                                "file lower/ivao_mtl/IVAO_A320/aircraft.cfg",
                                                "ivao IVAO_MTL/IVAO_A320/aircraft.cfg", "ivao x/ivao_x-csl/aircraft.cfg"}));
}

TEST_F(ScanWorkersTest, AFolderWithAirportInItsPathIsReadAtItsTopOnly) {
    testing_support::TempDir airportFolder;
    const fs::path top = airportFolder / "airport_liveries";
    for (const fs::path& file : {top / "aircraft.cfg", top / "sub" / "aircraft.cfg"}) {
        fs::create_directories(file.parent_path());
        testing_support::writeFile(file, "[General]\n");
    }
    LiveryScanHooks hooks = patientHooks();
    hooks.fileWorker = [&](int, const fs::path& path) { return LiveryList{titled(lf_scanPathText(path))}; };
    LiveryList liveries;
    lf_walkLiveryFolder(1, top, liveries, hooks);
    EXPECT_EQ(liveryTexts(liveries), std::vector<std::string>{",,,," + lf_scanPathText(top / "aircraft.cfg") + ","});
}

TEST_F(ScanWorkersTest, ResultsComeInTheWalksOrderWhateverOrderTheWorkersEnd) {
    constexpr int kCount = 6;
    for (int i = 0; i < kCount; ++i) touch("f" + std::to_string(i) + "/aircraft.cfg");
    std::vector<std::string> walkOrder;
    for (const auto& entry : fs::recursive_directory_iterator(aircraft.path()))
        if (entry.is_regular_file()) walkOrder.push_back(relative(entry.path()));
    g_scanLimit = kCount;
    std::atomic<int> done{0};
    LiveryScanHooks hooks = patientHooks();
    // Each worker ends only after every worker of a later file has ended.
    hooks.fileWorker = [&](int folderNumber, const fs::path& path) {
        const auto at = std::find(walkOrder.begin(), walkOrder.end(), relative(path)) - walkOrder.begin();
        while (done.load() < kCount - 1 - at) std::this_thread::yield();
        LiveryData livery = titled(relative(path));
        livery.folderNumber = static_cast<std::int16_t>(folderNumber);
        ++done;
        return LiveryList{livery};
    };
    LiveryList liveries;
    lf_walkLiveryFolder(7, aircraft.path(), liveries, hooks);
    std::vector<std::string> titles;
    for (const auto& livery : liveries) {
        titles.push_back(livery.title);
        EXPECT_EQ(livery.folderNumber, 7);
    }
    EXPECT_EQ(titles, walkOrder);
}

TEST_F(ScanWorkersTest, NeverMoreWorkersRunThanTheLimit) {
    constexpr int kCount = 9;
    for (int i = 0; i < kCount; ++i) touch("f" + std::to_string(i) + "/aircraft.cfg");
    g_scanLimit = 2;
    std::mutex mutex;
    std::condition_variable gate;
    bool open = false;
    int inside = 0, mostInside = 0, entered = 0;
    std::vector<std::int32_t> runningWhenFull;
    LiveryScanHooks hooks = patientHooks();
    hooks.workersFull = [&](std::int32_t running) {
        std::unique_lock lock(mutex);
        runningWhenFull.push_back(running);
        if (open) return;
        // The walk waits now. Before the first worker passes the gate, every
        // worker started comes in; then the gate opens for good.
        gate.wait(lock, [&] { return inside == running; });
        open = true;
        gate.notify_all();
    };
    hooks.fileWorker = [&](int, const fs::path& path) {
        std::unique_lock lock(mutex);
        mostInside = std::max(mostInside, ++inside);
        if (++entered == kCount) open = true;  // a walk without a bound would let every worker in
        gate.notify_all();
        gate.wait(lock, [&] { return open; });
        --inside;
        return LiveryList{titled(path.filename().string())};
    };
    LiveryList liveries;
    lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks);
    EXPECT_EQ(liveries.size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(mostInside, 2);
    ASSERT_FALSE(runningWhenFull.empty());
    for (const std::int32_t running : runningWhenFull) EXPECT_EQ(running, 2);
}

TEST_F(ScanWorkersTest, AFailingOrHungWorkerLosesOnlyItsOwnLiveries) {
    for (const char* file : {"a/aircraft.cfg", "b/aircraft.cfg", "c/aircraft.cfg", "d/aircraft.cfg"}) touch(file);
    // The first two files of the walk fail: the files after them must still count.
    std::vector<std::string> walkOrder;
    for (const auto& entry : fs::recursive_directory_iterator(aircraft.path()))
        if (entry.is_regular_file()) walkOrder.push_back(relative(entry.path()));
    std::atomic<bool> release{false};
    LiveryScanHooks hooks = patientHooks();
    hooks.waitBound = [&](LiveryScanWait wait, const fs::path& path) {
        return wait == LiveryScanWait::Result && relative(path) == walkOrder[1] ? kGivingUp : testing_support::kSafety;
    };
    hooks.fileWorker = [&](int, const fs::path& path) {
        const std::string name = relative(path);
        if (name == walkOrder[0]) throw std::runtime_error("disk on fire");
        if (name == walkOrder[1])
            while (!release.load()) std::this_thread::yield();
        return LiveryList{titled(name)};
    };
    LiveryList liveries;
    // Only the hung worker's file counts as left unread: a failing file is the file's fault.
    EXPECT_EQ(lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks), 1U);
    release = true;
    std::vector<std::string> titles;
    for (const auto& livery : liveries) titles.push_back(livery.title);
    EXPECT_EQ(titles, (std::vector<std::string>{walkOrder[2], walkOrder[3]}));
    EXPECT_TRUE(log.contains("liveries search aborted, futs outer, disk on fire"));
    EXPECT_TRUE(log.contains("liveries search aborted, futs outer, Future wait timed out after 10 seconds"));
    EXPECT_TRUE(lf_awaitScanWorkers(testing_support::kSafety));
    EXPECT_EQ(g_runningScans.load(), 0);
}

// Every worker place taken by a worker that hangs: the walk waits for a place
// only until a stop is asked for or the wait is over, never for ever. When
// the wait is over, the folder's further files are counted, not read.
TEST_F(ScanWorkersTest, AWalkWaitingForAPlaceEndsAtAStopOrAfterTheWait) {
    for (const char* file : {"a/aircraft.cfg", "b/aircraft.cfg", "c/aircraft.cfg", "c/readme.txt"}) touch(file);
    g_scanLimit = 1;
    struct Case {
        const char* name;
        bool stopWhenFull;
        // Every wait of the walk is for the hung worker, which ends only after
        // the walk: it can only give up. A walk that missed the stop would hang
        // for the hour.
        std::chrono::milliseconds wait;
        std::string logged;              // by the walk, "" for nothing
        std::size_t unread;              // the hung worker's file and the two never started
    };
    // The stop case runs first, so that its walk is seen to log nothing.
    for (const Case& c : {Case{"stop", true, std::chrono::hours(1), "", 0},
                          Case{"wait over", false, kGivingUp,
                               "==> liveries search in " + lf_scanPathText(aircraft.path()) +
                                   " stalled: no scan worker came free within the wait, its further files are skipped",
                               3}}) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> release{false};
        std::atomic<int> started{0}, fullCalls{0};
        LiveryScanHooks hooks;
        hooks.waitBound = [&c](LiveryScanWait, const fs::path&) { return c.wait; };
        hooks.workersFull = [&](std::int32_t) {
            ++fullCalls;
            if (c.stopWhenFull) g_stopRequested = true;
        };
        hooks.fileWorker = [&](int, const fs::path&) {
            ++started;
            while (!release.load()) std::this_thread::yield();
            return LiveryList{};
        };
        LiveryList liveries;
        EXPECT_EQ(lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks), c.unread);
        release = true;
        g_stopRequested = false;
        EXPECT_TRUE(lf_awaitScanWorkers(testing_support::kSafety));
        EXPECT_EQ(started.load(), 1);  // the hung worker holds the only place
        EXPECT_EQ(fullCalls.load(), 1);
        EXPECT_TRUE(liveries.empty());
        if (!c.logged.empty()) {
            EXPECT_TRUE(log.contains(c.logged));
            EXPECT_TRUE(log.contains("liveries search aborted, futs outer, Future wait timed out after 10 seconds"));
        } else {
            EXPECT_FALSE(log.contains("aborted") || log.contains("stalled"));
        }
    }
}

TEST_F(ScanWorkersTest, TheReadersRunOnEveryFileOfAFolderLargerThanTheLimit) {
    constexpr int kCount = 12;
    for (int i = 0; i < kCount; ++i) touch("f" + std::to_string(i) + "/aircraft.cfg");
    g_scanLimit = 2;
    LiveryList liveries;
    lf_walkLiveryFolder(1, aircraft.path(), liveries, patientHooks());
    EXPECT_TRUE(liveries.empty());
    EXPECT_EQ(entriesOf(g_emptyCfgFiles).size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(entriesOf(g_invalidCfgFiles).size(), static_cast<std::size_t>(kCount));
}

TEST_F(ScanWorkersTest, AStopStartsNoFurtherWorker) {
    for (int i = 0; i < 6; ++i) touch("f" + std::to_string(i) + "/aircraft.cfg");
    g_scanLimit = 1;
    std::atomic<int> ran{0};
    LiveryScanHooks hooks = patientHooks();
    hooks.fileWorker = [&](int, const fs::path& path) {
        if (++ran == 2) g_stopRequested = true;
        return LiveryList{titled(relative(path))};
    };
    LiveryList liveries;
    lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks);
    EXPECT_EQ(ran.load(), 2);
    g_stopRequested = false;
    g_closeRequested = true;
    lf_walkLiveryFolder(1, aircraft.path(), liveries, hooks);
    g_closeRequested = false;
    EXPECT_EQ(ran.load(), 2);
}

}  // namespace
