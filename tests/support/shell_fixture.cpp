#include "support/shell_fixture.h"

#include <fmt/format.h>

#include "app/service_wiring.h"
#include "app/services/run_flags.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/flight_plan_folder.h"
#include "traffic/state.h"

namespace testing_support {

void resetShellState() {
    resetAllParameters();
    g_stopRequested = false;
    g_closeRequested = false;
    g_exitReason = ExitReason::NotYetSet;
    g_restartDelay = 0;
    g_exitCode = 0;
    g_restartPending = false;
    g_seconds = 0;
    g_flightPaused = false;
    g_notRunningCountdown = 100;
    g_staticUpdateRequest = false;
    g_staticUpdatePending = false;
    g_staticUpdateMinutes = 20;
    g_daySlot = 0;
    g_settingsLocked = false;
    g_nowAllowed = false;
    g_productionMode = false;
    for (std::atomic<bool>* flag : {&g_reReadRequest, &g_removeAllStaticsRequest, &g_callsignListRequest,
                                    &g_blockingChanged, &g_matchCacheClearRequest, &g_liveryReprocessRequest})
        *flag = false;
    lf_resetWindowState();
    g_staticUpdateMinutesShown = 20;
    gf_resetStatusLine();
    g_rtLevel2 = false;
    g_rtLocal = false;
    g_rtConnected = false;
    g_readerPorts = ReaderPorts{};
    g_awaitingRealTraffic = true;
    g_trafficTime = 0.0;
    g_dbaseRead = false;
    g_simConnected = false;
    g_acceptTraffic = false;
    g_trafficFeed.takeCallsigns();
    gf_setTrafficRefPos(GeoPoint{});
    g_liveAcs.clear();
    g_staticAcs.clear();
    g_replaceCheckIds.clear();
    g_flightPlanFolder.clear();
}

ShellTest::ShellTest() : parametersPath_(appData_ / "Velantra_P3D" / "parameters.xml") {
    std::filesystem::create_directories(programFolder());
    gf_connectFoundation();
    resetShellState();
    g_runJobs = recordingJobs();
    g_runClock = RunClock{[this] { return SteadyTime(nowNs_.load()); },
                          [this](SteadyTime duration) {
                              nowNs_ += duration.count();
                              {
                                  const std::lock_guard lock(mutex_);
                                  statuses_.push_back(gf_statusLineText());
                              }
                              const int count = ++sleeps_;
                              if (onSleep) onSleep(count);
                          }};
    platform::setWindowHost(this);
    gf_setControlUpdates(&controls_);
}

ShellTest::~ShellTest() {
    gf_setControlUpdates(nullptr);
    EXPECT_FALSE(controls_.sawStoreLocked()) << "a control was updated while the store held its lock";
    platform::setWindowHost(nullptr);
    g_runJobs = gf_subsystemJobs();
    g_runClock = gf_steadyRunClock();
    resetShellState();
}

void ShellTest::record(std::string text) {
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(text);
    }
    if (onCall) onCall(text);
}

RunJobs ShellTest::recordingJobs() {
    RunJobs jobs;
    const auto job = [this](const char* name) { return [this, name](auto&&...) { record(name); }; };
    jobs.isSimRunning = [this] { return simRunning.load(); };
    jobs.hasSimError = [this] { return simError.load(); };
    jobs.isNewUserSampleWaiting = [this] { return newSamples.load() > 0; };
    jobs.takeNewUserSample = [this] {
        int waiting = newSamples.load();
        while (waiting > 0 && !newSamples.compare_exchange_weak(waiting, waiting - 1)) {
        }
        return waiting > 0;
    };
    jobs.userAircraft = [this] { return user; };
    jobs.simTimeEpoch = [] { return std::int64_t{1700000000}; };
    jobs.clearPosUpdates = job("clearPosUpdates");
    jobs.requestSimClientStop = job("requestSimClientStop");
    jobs.resetSimLink = job("resetSimLink");
    jobs.initSimQueues = [this](std::int32_t version) { record("initSimQueues " + std::to_string(version)); };
    jobs.startSimClient = job("startSimClient");
    jobs.requestUserOnGround = job("requestUserOnGround");
    jobs.isUserOnGroundKnown = [this] { return userOnGroundKnown.load(); };
    jobs.requestUserPosition = job("requestUserPosition");
    jobs.requestUserTitleAndModel = job("requestUserTitleAndModel");
    jobs.queueNavLights = [this](std::uint32_t objectId, std::uint32_t state) {
        record(fmt::format("queueNavLights {} {}", objectId, state));
    };

    jobs.checkReaders = job("checkReaders");
    jobs.sendRtProRequest = [this](std::int64_t t) { record("sendRtProRequest " + std::to_string(t)); };
    jobs.sendRtAreaRequest = job("sendRtAreaRequest");
    jobs.closeRtServer = job("closeRtServer");
    jobs.stopReaders = job("stopReaders");
    jobs.resetFeedState = job("resetFeedState");
    jobs.startQnhReader = job("startQnhReader");
    jobs.startTrafficReader = [this](bool local) { record(local ? "startTrafficReader 1" : "startTrafficReader 0"); };
    jobs.openRtServer = [this](const std::string& port) { record("openRtServer " + port); };
    jobs.waitForRtClient = [this] {
        record("waitForRtClient");
        return rtClientConnects.load();
    };
    jobs.sendToRt = [this](const std::string& text) {
        record("sendToRt " + text.substr(0, text.find('\r')));
        return true;
    };
    jobs.receiveFromRt = [this] { return rtVersionReply; };

    jobs.handleAddingStack = job("handleAddingStack");
    jobs.handleAcEvents = job("handleAcEvents");
    jobs.parkControl = [this](bool announce) { record(announce ? "parkControl 1" : "parkControl 0"); };
    jobs.matchLiveToStatics = job("matchLiveToStatics");
    jobs.adjustParking = job("adjustParking");
    jobs.clearUserWayGround = job("clearUserWayGround");
    jobs.clearUserWayAir = job("clearUserWayAir");
    jobs.clearStaticsForMovingAcs = job("clearStaticsForMovingAcs");
    jobs.removeAllStatics = job("removeAllStatics");
    jobs.listMovingCallsigns = job("listMovingCallsigns");
    jobs.findStandUseForFlight = [this](std::uint64_t, LiveAc& aircraft) {
        record("findStandUseForFlight " + std::to_string(aircraft.hexId));
    };
    jobs.removeStaticsMatching = [this](LiveAc& aircraft) {
        record("removeStaticsMatching " + std::to_string(aircraft.hexId));
    };
    jobs.clearReservedStand = [this](const std::string& stand) { record("clearReservedStand " + stand); };
    jobs.checkParkAirports = [this](bool check, std::string& text) {
        record(check ? "checkParkAirports 1" : "checkParkAirports 0");
        text = parkAirportsText;
        return parkAirportsChanged;
    };
    jobs.removeAircraftFromSim = [this](AcBase& aircraft) {
        record("removeAircraftFromSim " + std::to_string(aircraft.hexId));
    };
    jobs.countParkedLiveAcs = [this](bool) { return parkedLive; };
    jobs.leaveParkAirport = job("leaveParkAirport");
    jobs.resetTraffic = job("resetTraffic");
    jobs.hasParkAirport = [this] { return parkAirport; };
    jobs.parkAirportHasStands = [this] { return parkStands; };
    jobs.reservedStandName = [this] { return reservedStand; };
    jobs.staticScheduleSize = [] { return std::size_t{12}; };
    jobs.clearLiveryByHexId = job("clearLiveryByHexId");
    jobs.clearGhostCallsigns = job("clearGhostCallsigns");
    jobs.clearUserRef = job("clearUserRef");
    jobs.reserveTrafficTables = job("reserveTrafficTables");
    jobs.addParkAirport = [this](const AirportCode& code, const GeoPoint&) { record("addParkAirport " + code.text()); };
    jobs.removeFarthestAc = [this](double distance) {
        record(fmt::format("removeFarthestAc {}", distance));
        return removeFarthest ? removeFarthest(distance) : true;
    };

    jobs.countParkedInWeek = [this](bool) { return statics; };
    jobs.parkFileLoaded = [this] { return parkFile; };
    jobs.firstParkAirportPosition = [this] { return firstParkAirport; };
    jobs.readAirports = [this] {
        record("readAirports");
        return airportsOk;
    };
    jobs.scanAddonAirports = job("scanAddonAirports");
    jobs.readMyParkAirports = [this] {
        record("readMyParkAirports");
        return true;
    };
    jobs.readDbase = [this] {
        record("readDbase");
        return dbaseOk;
    };
    jobs.checkVersions = [this](const std::filesystem::path&) {
        record("checkVersions");
        return versionsOk;
    };

    jobs.clearNoMatchList = job("clearNoMatchList");
    jobs.logNoMatch = job("logNoMatch");
    jobs.writeMatchingSummary = job("writeMatchingSummary");
    jobs.scanLiveries = job("scanLiveries");
    jobs.processScannedLiveries = job("processScannedLiveries");
    jobs.resetLiveryProcessing = job("resetLiveryProcessing");
    return jobs;
}

std::vector<std::string> ShellTest::calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

void ShellTest::clearCalls() {
    const std::lock_guard lock(mutex_);
    calls_.clear();
    bandTops_.clear();
    posted_.clear();
    statuses_.clear();
}

std::vector<int> ShellTest::bandTops() const {
    const std::lock_guard lock(mutex_);
    return bandTops_;
}

std::vector<std::uint32_t> ShellTest::posted() const {
    const std::lock_guard lock(mutex_);
    return posted_;
}

std::int64_t ShellTest::nowMs() const { return nowNs_.load() / 1000000; }

void ShellTest::advance(std::chrono::nanoseconds duration) { nowNs_ += duration.count(); }

std::vector<std::string> ShellTest::statusesAtSleeps() const {
    const std::lock_guard lock(mutex_);
    return statuses_;
}

std::string ShellTest::storedValue(const std::string& key) const {
    return storedParameterValue(parametersPath_, key);
}

void ShellTest::postAppMessage(std::uint32_t appOffset) {
    {
        const std::lock_guard lock(mutex_);
        posted_.push_back(appOffset);
    }
    record("post " + std::to_string(appOffset));
}

void ShellTest::setTopmost(bool topmost) { record(topmost ? "topmost 1" : "topmost 0"); }

void ShellTest::invalidateBand(const platform::Band& band) {
    const std::lock_guard lock(mutex_);
    bandTops_.push_back(band.top);
}

}  // namespace testing_support
