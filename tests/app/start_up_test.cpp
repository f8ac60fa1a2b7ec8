// The start-up thread with every other subsystem a recording stand-in and a
// clock that moves only when the start-up sleeps: the steps in their order,
// the production run, the simulator detection, the RealTraffic modes, the
// first-traffic wait and a close during every wait.
#include "app/start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "airports/state.h"
#include "app/main_window.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_messages.h"
#include "foundation/data_key.h"
#include "foundation/sim_registry.h"
#include "foundation/text_convert.h"
#include "liveries/cfg_reader.h"
#include "liveries/livery_scan.h"
#include "liveries/livery_services.h"
#include "liveries/scan_reports.h"
#include "platform/registry.h"
#include "refdata/dbase_reader.h"
#include "refdata/state.h"
#include "rtlink/state.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/livery_tree.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"
#include "tools/encipher/encipher.h"

namespace fs = std::filesystem;
using testing_support::ShellTest;

namespace {
using Calls = std::vector<std::string>;

constexpr const char* kError41 = "41: Velantra_P3D must be run from the Velantra_P3D folder!";

class StartUpTest : public ShellTest {
protected:
    StartUpTest() {
        fs::create_directory("docs");
        onCall = [this](const std::string& call) {
            times.emplace(call, nowMs());
            if (const auto action = at.find(call); action != at.end()) action->second();
        };
        freshStart();
    }
    ~StartUpTest() override {
        g_p3dV5Installed = false;
        g_p3dV6Installed = false;
        g_airports.clear();
    }

    // Everything back to a first start with an install path, a running
    // flight and the user aircraft parked at EHAM; settings saved.
    void freshStart() {
        testing_support::resetShellState();
        fs::remove_all(roamingFolder() / "InsideSystems");
        SIM_INSTALL_PATH.value = "P3D v5";
        saveSettings();
        simRunning = true;
        simError = false;
        userOnGroundKnown = true;
        user.position = {52.3086, 4.7639};
        user.onGround = true;
        rtClientConnects = true;
        at.clear();
        times.clear();
        // The run loop's first job: the run has come up; end it as the user would.
        at["parkControl 1"] = [this] { closeWindow(); };
        clearCalls();
    }
    void saveSettings() { gf_saveParameters(false, parametersPath()); }

    void closeWindow() {
        simRunning = false;  // so the run loop looks at the flags on its next tick
        lf_onCloseButton();
    }
    void installRealTraffic() {
        fs::create_directories(roamingFolder() / "InsideSystems");
        testing_support::writeFile(roamingFolder() / "InsideSystems" / "RealTraffic.jar", "jar");
    }
    void runStartUp() { lf_startUpVLNT(programFolder()); }

    // The calls of other subsystems and the posted messages, without the
    // control updates and the repeated position requests.
    Calls jobCalls() const {
        Calls jobs;
        for (const std::string& call : calls()) {
            static const char* const skipped[] = {"enable ", "fill ", "choice", "maxfit", "check ",
                                                  "text ",   "radius ", "post 96"};
            if (std::any_of(std::begin(skipped), std::end(skipped),
                            [&](const char* prefix) { return call.rfind(prefix, 0) == 0; }))
                continue;
            if (call == "requestUserPosition" && !jobs.empty() && jobs.back() == call) continue;
            jobs.push_back(call);
        }
        return jobs;
    }
    bool called(const std::string& call) const {
        const Calls all = calls();
        return std::find(all.begin(), all.end(), call) != all.end();
    }
    bool logHas(const std::string& line) const {
        const auto lines = log.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::uint32_t> endMessages() const {
        std::vector<std::uint32_t> messages = posted();
        std::erase(messages, WM_APP_STATUS);
        return messages;
    }

    std::map<std::string, std::function<void()>> at;  // reactions to a call, on the start-up's own thread
    std::multimap<std::string, std::int64_t> times;   // the clock at each call
};
}  // namespace

TEST_F(StartUpTest, WithoutDocsFolderShowsError41AndWaitsForTheClose) {
    fs::remove("docs");
    onSleep = [](int count) {
        if (count == 40) lf_onCloseButton();  // 20 s after the error
    };
    runStartUp();
    EXPECT_TRUE(logHas(std::string("Error ") + kError41));
    EXPECT_TRUE(logHas("Exiting: SYSTEM ERROR"));
    EXPECT_TRUE(logHas("User closed Velantra_P3D"));
    EXPECT_EQ(nowMs(), 500 + 39 * 500) << "the error stayed until the window was closed";
    for (const std::string& shown : statusesAtSleeps()) EXPECT_EQ(shown, kError41);
    EXPECT_FALSE(called("checkVersions")) << "nothing was prepared";
    EXPECT_FALSE(fs::exists(g_outputFolder)) << "not even the data folders";
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    EXPECT_EQ(g_exitCode.load(), 0);
}

TEST_F(StartUpTest, ProductionRunReadsItsDataAndEndsWithItsExitCode) {
    const struct {
        bool dbaseOk, airportsOk;
        int exitCode;
        std::string error;
    } cases[] = {
        {true, true, 0, ""},
        {false, true, 1, "reading data files failed!"},
        {true, false, 1, "reading '" + gf_pathToUtf8(g_airportsEncPath) + "' failed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        freshStart();
        g_productionMode = true;
        dbaseOk = c.dbaseOk;
        airportsOk = c.airportsOk;
        const std::int64_t start = nowMs();
        runStartUp();
        EXPECT_EQ(g_exitCode.load(), c.exitCode);
        EXPECT_EQ(nowMs() - start, 500) << "only the readers' 500 ms: no wait for a close";
        EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
        EXPECT_FALSE(called("startSimClient"));
        EXPECT_FALSE(called("scanLiveries"));
        const std::lock_guard lock(g_statusMutex);
        EXPECT_EQ(g_errorText, c.error);
    }
    EXPECT_TRUE(logHas("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(logHas("Exiting: SYSTEM ERROR"));
    EXPECT_FALSE(logHas("User closed Velantra_P3D")) << "a production run has nobody to close it";
}

TEST_F(StartUpTest, LocalRealTrafficAtLevel2RunsEveryStepInOrder) {
    installRealTraffic();
    at["sendRtAreaRequest"] = [] { g_trafficTime = 1700000000.5; };  // the first traffic comes
    runStartUp();
    const Calls expected = {
        "checkVersions", "readDbase", "readAirports", "scanLiveries", "processScannedLiveries", "scanAddonAirports",
        "readMyParkAirports", "topmost 0", "reserveTrafficTables", "initSimQueues 5", "startSimClient",
        "requestUserOnGround", "requestUserTitleAndModel", "openRtServer 10747",
        "resetFeedState", "waitForRtClient", "sendToRt Qs999=version", "requestUserPosition",
        "sendRtProRequest 1700000000",
        "startQnhReader", "startTrafficReader 1", "sendRtAreaRequest", "parkControl 1"};
    const Calls jobs = jobCalls();
    ASSERT_GE(jobs.size(), expected.size());
    EXPECT_EQ(Calls(jobs.begin(), jobs.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
    EXPECT_EQ(times.find("startTrafficReader 1")->second - times.find("startQnhReader")->second, 2000);
    EXPECT_TRUE(g_rtLocal.load());
    EXPECT_TRUE(g_rtLevel2.load());
    EXPECT_TRUE(g_rtActive.load());
    EXPECT_FALSE(g_awaitingRealTraffic.load());
    EXPECT_EQ(g_rtVersionText.get(), "RT 9.0.0 edition: prof");
    for (const char* line : {"RealTraffic detected at this PC", "Waiting for RealTraffic to connect to Velantra_P3D ...",
                             "RealTraffic connected", "RT 9.0.0 edition: prof", "Exiting: USER CLOSED SIM"})
        EXPECT_TRUE(logHas(line)) << line;
    EXPECT_TRUE(log.contains(" First traffic received"));
    EXPECT_FALSE(log.contains("No traffic in this region?"));
    EXPECT_TRUE(called("enable Re-read 1"));
    EXPECT_TRUE(called("enable ALL_INSTALL_PATH 1"));
    EXPECT_TRUE(called("fill RANGE"));
    EXPECT_TRUE(called("fill AMAX_FIT_FL"));
    EXPECT_TRUE(called("enable RANGE 0")) << "AUTO_RANGE is on";
    EXPECT_TRUE(fs::is_directory("airports/learned/thirdparty"));
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
}

TEST_F(StartUpTest, Level2TimeComesFromAFreshUserBlock) {
    // The simulator link keeps the time only once level 2 is known.
    for (const int comesAfterPolls : {3, 1000}) {
        SCOPED_TRACE(comesAfterPolls);
        freshStart();
        installRealTraffic();
        int polls = -1;
        at["requestUserPosition"] = [&] { polls = 0; };
        onSleep = [&](int) {
            if (polls >= 0) ++polls;
        };
        g_runJobs.simTimeEpoch = [&] { return polls >= comesAfterPolls ? std::int64_t{1700000123} : 0; };
        runStartUp();
        const bool came = comesAfterPolls < 10;
        EXPECT_TRUE(called(came ? "sendRtProRequest 1700000123" : "sendRtProRequest 0"));
        EXPECT_EQ(times.find("startQnhReader")->second - times.find("requestUserPosition")->second,
                  came ? 300 : 1000);
    }
    onSleep = nullptr;
}

TEST_F(StartUpTest, RemoteRealTrafficOrAerowinxOpenNoServer) {
    const struct {
        bool local, aerowinx;
        std::string reply;
        bool server, level2;
        std::string edition;
    } cases[] = {
        {false, false, "", false, false, ""},
        {true, true, "", false, false, ""},
        {true, false, R"({"version":"9.0.0","level":1})", true, false, "RT 9.0.0 edition: stnd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.local ? "local" : "remote") + (c.aerowinx ? " aerowinx" : ""));
        freshStart();
        if (c.local) installRealTraffic();
        AEROWINX.value = c.aerowinx;
        saveSettings();
        rtVersionReply = c.reply;
        runStartUp();
        EXPECT_EQ(called("openRtServer 10747"), c.server);
        EXPECT_EQ(called("sendToRt Qs999=version"), c.server);
        EXPECT_FALSE(called("sendRtProRequest 1700000000")) << "no level 2";
        EXPECT_TRUE(called(c.local ? "startTrafficReader 1" : "startTrafficReader 0"));
        EXPECT_TRUE(called("parkControl 1"));
        EXPECT_EQ(g_rtLevel2.load(), c.level2);
        EXPECT_TRUE(g_rtActive.load());
        EXPECT_FALSE(g_awaitingRealTraffic.load());
        EXPECT_EQ(g_rtVersionText.get(), c.edition);
    }
}

TEST_F(StartUpTest, NoTrafficWithin15SecondsIsLoggedAndTheRunGoesOn) {
    runStartUp();
    EXPECT_TRUE(logHas("No traffic in this region?"));
    EXPECT_EQ(times.find("parkControl 1")->second - times.find("sendRtAreaRequest")->second, 15000);
    EXPECT_TRUE(called("parkControl 1"));
}

// The timestamp came in a datagram: any finite number may stand there.
TEST_F(StartUpTest, TheFirstTrafficIsATimestampOfAtLeastOneWholeSecond) {
    const struct {
        double timestamp;
        bool came;
    } cases[] = {{0.5, false}, {-0.9, false}, {1.0, true}, {-5.0, true}, {1e300, true}, {-1e300, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timestamp);
        freshStart();
        at["sendRtAreaRequest"] = [&c] { g_trafficTime = c.timestamp; };
        const auto before = log.lines().size();
        runStartUp();
        const auto lines = log.lines();
        const bool noTraffic = std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end(),
                                           [](const std::string& line) { return line == "No traffic in this region?"; });
        EXPECT_EQ(noTraffic, !c.came);
    }
}

TEST_F(StartUpTest, CloseDuringAnyWaitEndsTheRunAsUserClosedSim) {
    struct Case {
        const char* wait;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"the simulator", [this] { simRunning = false; }},
        {"a SimConnect error", [this] { simError = true; }},
        {"the on-ground flag", [this] { userOnGroundKnown = false; }},
        {"the user position", [this] { user.position = {}; }},
        {"RealTraffic",
         [this] {
             installRealTraffic();
             at["waitForRtClient"] = [this] { closeWindow(); };
             rtClientConnects = false;
         }},
        {"the traffic reader", [] {}},
        {"the first traffic", [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wait);
        freshStart();
        c.arrange();
        int sleepsAtStart = -1;
        const std::string trigger = c.wait == std::string("the traffic reader") ? "startQnhReader"
                                    : c.wait == std::string("the first traffic") ? "sendRtAreaRequest"
                                                                                 : "startSimClient";
        at[trigger] = [&] { sleepsAtStart = sleeps(); };
        onSleep = [&](int count) {
            if (sleepsAtStart >= 0 && count == sleepsAtStart + 3 && !g_closeRequested) lf_onCloseButton();
        };
        runStartUp();
        onSleep = nullptr;
        EXPECT_EQ(g_exitReason.load(), ExitReason::UserClosedSim);
        EXPECT_TRUE(logHas("Exiting: USER CLOSED SIM"));
        EXPECT_FALSE(called("parkControl 1")) << "the run loop never started";
        EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    }
}

TEST_F(StartUpTest, RestartSkipsTheVersionCheckAndTheDataBase) {
    g_restartPending = true;
    g_dbaseRead = true;
    runStartUp();
    EXPECT_FALSE(called("checkVersions"));
    EXPECT_FALSE(called("readDbase"));
    EXPECT_TRUE(called("readAirports"));
    EXPECT_TRUE(called("parkControl 1"));
}

TEST_F(StartUpTest, AVersionCheckThatEndsTheRunEndsItBeforeTheData) {
    versionsOk = false;
    at["checkVersions"] = [] { gf_requestStop(ExitReason::NewVersion, 0); };
    runStartUp();
    EXPECT_FALSE(called("readDbase"));
    EXPECT_TRUE(logHas("Exiting: NEW VERSION"));
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
}

TEST_F(StartUpTest, ARestartRequestedWhileWaitingStillRestarts) {
    simRunning = false;
    at["startSimClient"] = [] { gf_requestStop(ExitReason::NewSettings, 2); };  // a scan box clicked meanwhile
    runStartUp();
    EXPECT_FALSE(g_closeRequested.load());
    EXPECT_TRUE(logHas("Exiting: NEW SETTINGS"));
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_START});
}

TEST_F(StartUpTest, SimulatorDetection) {
    const std::string noPath = "151: No P3D install path detected. Type the full Install Path above, then press Enter";
    struct Case {
        const char* what;
        bool v5, v6;
        bool addonFolder;
        std::string error;
        std::string status;
    };
    std::vector<Case> cases = {
        {"both", true, true, false,
         "153: More than one P3D version detected. Type the full Install Path to the wanted version above, then press "
         "Enter",
         ""},
        {"none", false, false, false, noPath, "P3D not detected?"},
        {"none with add-on folders", false, false, true, "", "P3D not detected?"},
    };
#ifndef _WIN32
    // (The Windows registry is shared with the other test programs running meanwhile.)
    cases.push_back({"v5 without a path", true, false, false, noPath, ""});
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshStart();
        g_p3dV5Installed = c.v5;
        g_p3dV6Installed = c.v6;
        if (c.addonFolder) afolder3.value = "D:/Scenery Addons";
        ALL_INSTALL_PATH.value = "C:/old";
        try {
            lf_detectP3D(parametersPath());
            EXPECT_EQ(c.error, "");
        } catch (const std::exception& e) {
            EXPECT_EQ(e.what(), c.error);
            if (c.error.rfind("151", 0) == 0) {
                EXPECT_EQ(ALL_INSTALL_PATH.value.get(), "") << "the field waits for the typed path";
            }
        }
        EXPECT_EQ(gf_statusLineText(), c.status);
    }
#ifndef _WIN32
    EXPECT_TRUE(log.contains("P3Dv5 detected"));
#endif
}

#ifndef _WIN32
TEST_F(StartUpTest, TheInstalledVersionsPathIsSaved) {
    platform::fake_registry::setString(gf_simRegistryKey(6), u"SetupPath", u"D:\\Prepar3D v6\\");
    g_p3dV6Installed = true;
    lf_detectP3D(parametersPath());
    platform::fake_registry::clear();
    EXPECT_EQ(ALL_INSTALL_PATH.value.get(), "D:\\Prepar3D v6\\");
    EXPECT_EQ(storedValue("SIM_INSTALL_PATH"), "D:\\Prepar3D v6\\");
    EXPECT_TRUE(logHas("P3Dv6 detected"));
}
#endif

TEST_F(StartUpTest, RealTrafficVersionReplies) {
    const struct {
        std::string reply;
        bool level2;
        std::string edition;
        std::string status;
    } cases[] = {
        {"", false, "", "No RealTraffic version received?"},
        {R"({"version":"9.0.1","level":2})", true, "RT 9.0.1 edition: prof", ""},
        {R"({"version":"8.2","level":1})", false, "RT 8.2 edition: stnd", ""},
        {R"({"version":9,"level":"2"})", false, "RT 9 edition: stnd", ""},
        {"[1,2]", false, "", ""},
        {"not json", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        gf_resetStatusLine();
        g_rtLevel2 = !c.level2;
        g_rtVersionText = std::string("old");
        lf_processRTVersion(c.reply);
        EXPECT_EQ(g_rtLevel2.load(), c.level2);
        EXPECT_EQ(gf_statusLineText(), c.status);
        if (!c.reply.empty()) {
            EXPECT_EQ(g_rtVersionText.get(), c.edition);
        }
    }
    EXPECT_TRUE(log.contains("lf_processRTVersion: JSON parse failed: "));
}

TEST_F(StartUpTest, DestinationOfAnEarlierRunBecomesTheFirstParkAirport) {
    AirportRecord eddf;
    eddf.code = AirportCode("EDDF");
    eddf.latitude = 50.0333;
    eddf.longitude = 8.5706;
    g_airports = {eddf};
    DESTINATION.value = "eddf";
    saveSettings();
    runStartUp();
    EXPECT_TRUE(called("addParkAirport EDDF"));
    EXPECT_TRUE(called("enable Re-read 0"));
    EXPECT_TRUE(logHas("Exiting: USER CLOSED SIM"));
    EXPECT_EQ(DESTINATION.value.get(), "") << "closing down empties it";
}

TEST_F(StartUpTest, ABadDestinationIsASystemError) {
    DESTINATION.value = "ED!F";
    saveSettings();
    onSleep = [](int count) {
        if (count == 3) lf_onCloseButton();
    };
    runStartUp();
    EXPECT_TRUE(logHas("Error FixedCode: invalid string (length/charset)"));
    EXPECT_TRUE(logHas("Exiting: SYSTEM ERROR"));
    EXPECT_FALSE(called("startSimClient"));
}

TEST_F(StartUpTest, ScansFoldersAndTheWindowOnTop) {
    SCAN_LIVERIES.value = false;
    SCAN_AIRPORTS.value = false;
    ALWAYS_ON_TOP.value = true;
    saveSettings();
    fs::create_directories(g_myThirdpartyFolder);
    testing_support::writeFile(g_myThirdpartyFolder / "EDDF.xml", "x");
    testing_support::writeFile(g_myThirdpartyFolder / "EGLL.txt", "x");
    fs::create_directories(g_infoFolder);
    testing_support::writeFile(g_objectIdListPath, "old ids");
    runStartUp();
    EXPECT_TRUE(called("scanLiveries")) << "no scan result yet: scanned anyway";
    EXPECT_FALSE(called("scanAddonAirports"));
    EXPECT_TRUE(called("topmost 1"));
    EXPECT_EQ(g_thirdPartyAirportCount.load(), 2u);
    EXPECT_EQ(g_simAddonAirportCount.load(), 0u);
    EXPECT_FALSE(fs::exists(g_objectIdListPath));

    freshStart();
    SCAN_LIVERIES.value = false;
    saveSettings();
    testing_support::writeFile(g_liveriesScannedPath, "<scan/>");
    runStartUp();
    EXPECT_FALSE(called("scanLiveries")) << "a scan result exists and no scan was asked for";
    EXPECT_TRUE(called("processScannedLiveries"));
}

TEST_F(StartUpTest, ARequestedLiveryScanEmptiesTheLiveryProcessingBeforeItRunsAgain) {
    g_liveryReprocessRequest = true;
    runStartUp();
    const Calls jobs = jobCalls();
    const auto reset = std::find(jobs.begin(), jobs.end(), "resetLiveryProcessing");
    ASSERT_NE(reset, jobs.end());
    EXPECT_EQ(*(reset + 1), "processScannedLiveries");
    EXPECT_FALSE(g_liveryReprocessRequest.load());
    freshStart();
    runStartUp();
    EXPECT_FALSE(called("resetLiveryProcessing")) << "only once per request";
}

// A scan box ticked while the first start scans a livery library: the real
// scan stops early and writes nothing, and the processing of its results must
// not turn the restart into a SYSTEM ERROR.
TEST_F(StartUpTest, AStopDuringTheLiveryScanStillRestarts) {
    testing_support::TempDir aircraft;
    lfolder0.value = gf_pathToUtf8(testing_support::writeLiveryTree(aircraft.path()).main);
    saveSettings();
    fs::create_directories(g_inputFolder);
    encipher::encipherBytes(gf_dataKey(), testing_support::liveryTreeDbase(), g_dbaseEncPath);
    ASSERT_TRUE(gf_readDbase());
    LiveryScanHooks hooks;
    hooks.fileWorker = [](int folderNumber, const fs::path& path) {
        gf_requestStop(ExitReason::NewSettings, 2);
        return lf_searchLiveriesinFile(folderNumber, path);
    };
    g_runJobs.scanLiveries = [&](const fs::path& path) { lf_runLiveryScan(path, hooks); };
    g_runJobs.processScannedLiveries = gf_processScannedLiveries;
    onSleep = [](int count) {
        if (count == 100 && !g_closeRequested) lf_onCloseButton();  // unless the run waits for ever
    };
    runStartUp();
    onSleep = nullptr;
    lf_awaitScanWorkers(std::chrono::seconds(30));
    EXPECT_TRUE(logHas("Exiting: NEW SETTINGS"));
    EXPECT_FALSE(log.contains("Error ")) << "no error line";
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_START});
    EXPECT_FALSE(fs::exists(g_liveriesScannedPath)) << "the restart scans again";
    EXPECT_FALSE(g_liveriesProcessed);
    gf_resetLiveryProcessing();
    gf_clearLiveryTables();
    gf_clearReferenceData();
}
