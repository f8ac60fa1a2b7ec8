// The start-up thread, the run loop and closing down through the real job
// table of app/run_jobs.cpp, against the stand-in simulator and the stand-in
// RealTraffic in this process, with the project's data set and the main
// window's controls as a model: every job is the subsystem's own function,
// so a job bound to the wrong function (or to nothing) shows here as a run
// that creates, removes or renews nothing, or ignores the window.
//
// Everything runs ten times as fast as in real life: the stand-in
// simulator's clock (the user-aircraft samples that count the run loop's
// seconds), the replay of the traffic and the run clock of the 10 ms ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "airports/airport_fixture.h"
#include "app/closing_down.h"
#include "app/commands.h"
#include "app/control_model.h"
#include "app/edit_fields.h"
#include "app/main_window.h"
#include "app/run_clock.h"
#include "app/run_jobs.h"
#include "app/service_wiring.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "app/window_controls.h"
#include "liveries/livery_services.h"
#include "platform/sockets.h"
#include "platform/window_host.h"
#include "rtlink/command_link.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "simlink/client_thread.h"
#include "simlink/state.h"
#include "simlink/stand_in_session.h"
#include "support/whole_run.h"
#include "support/data_set.h"
#include "support/shell_fixture.h"
#include "support/wait.h"
#include "tools/realtraffic/command_client.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/replay.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "updater/version_check.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kPace = 10;

// The replay's clock: Monday 7 July 2025, 12:29:00 UTC, so that the
// half-hour changes 30 seconds into the replay and the stand file's
// schedule is the same every time.
constexpr double kReplayStart = 1751891340.0;

// Prepar3D v6 with the user's A320 parked on the H-pier at Schiphol, a
// flight running.
constexpr const char* kSimulatorScenario = R"(sim v6
terrain -11
user-title Stand-in A320 Neutral
user-model A320
user-atc-id PH-SIM
user-at 0 52.31170 4.75010 -11 ground 180
)";

// An arrival on final that stays in the feed for the whole test (across a
// restart of the run); a departure that the feed loses after 20 seconds,
// so that the program removes it once its last sample has passed; an
// aircraft taxiing through the user's aircraft, which makes way for it; and
// an aircraft parked on stand D4.
constexpr const char* kTrafficScenario = R"(field EHAM -11
qnh 0 1008
track 4844322 KLM1234 B738 PH-BXA LHR AMS A3
  0       52.14794 4.39928 5000  210
  92.3    52.19470 4.51175 3200  180
  223.2   52.25067 4.64703 1300  150
  322.5   52.28790 4.73740 50    140
end
track 4844660 TRA6402 B738 PH-HSA AMS LHR A3
  0       52.33000 4.70000 3000  200
  20      52.31691 4.67859 3667  200
end
track 4851711 KLC1671 E190 PH-EZA AMS BRU A3
  0       52.31440 4.75010 gnd   8
  73      52.31170 4.75010 gnd   8
  149     52.30890 4.75010 gnd   8
end
track 4856789 RYR4AB B738 EI-DCL STN AMS A3
  0       52.308333 4.762337 gnd 0 hdg=34
  400     52.308333 4.762337 gnd 0 hdg=34
end
)";

// Counts the position lines ("Qs121=") in the command link's transcript as
// they come. Written by the link thread only.
class AreaLineCounter final : public std::streambuf {
public:
    int count() const { return count_.load(); }

private:
    int_type overflow(int_type c) override {
        if (c == traits_type::eof()) return c;
        if (c != '\n') {
            line_ += static_cast<char>(c);
            return c;
        }
        if (line_.find("< Qs121=") != std::string::npos) ++count_;
        line_.clear();
        return c;
    }
    std::string line_;
    std::atomic<int> count_{0};
};

// RealTraffic: it connects to each run's command server in turn, answers
// the version request at level 2 and, at the first position line (the
// program's traffic reader listens by then), starts the replay, which goes
// on across a restart of the run.
class RealTrafficPeer {
public:
    RealTrafficPeer(std::uint16_t trafficPort, std::uint16_t qnhPort, double startTime)
        : scenario_(realtraffic::parseScenario(kTrafficScenario)) {
        replayOptions_.trafficPort = trafficPort;
        replayOptions_.qnhPort = qnhPort;
        replayOptions_.speed = kPace;
        replayOptions_.qnhInterval = 10;
        replayOptions_.startTime = startTime;
        link_ = std::thread([this] {
            std::uint16_t served = 0;
            while (!requests_.stop) {
                const std::uint16_t port = gf_rtServerPort();
                if (port == 0 || port == served) {
                    std::this_thread::sleep_for(5ms);
                    continue;
                }
                served = port;
                realtraffic::CommandClientOptions options;
                options.port = port;
                options.retryMs = 10;
                options.connectAttempts = 500;
                options.requests = &requests_;
                if (!replay_.joinable()) options.onFirstArea = [this] { startReplay(); };
                try {
                    const realtraffic::CommandClientReport session = realtraffic::runCommandClient(options, &transcript_);
                    report_.sessions += session.sessions;
                    report_.timeLines += session.timeLines;
                } catch (const std::exception& e) {
                    failures_ += std::string(e.what()) + "\n";
                }
            }
        });
    }
    ~RealTrafficPeer() { stop(); }

    // Ends the command link and the replay.
    void stop() {
        requests_.stop = true;
        if (link_.joinable()) link_.join();
        cancel_ = true;
        if (replay_.joinable()) replay_.join();
    }
    // After stop(): what the command link saw, and what went wrong.
    const realtraffic::CommandClientReport& report() const { return report_; }
    const std::string& failures() const { return failures_; }
    // The position lines the program has sent so far.
    int areaLines() const { return areaLines_.count(); }

private:
    void startReplay() {
        const std::vector<realtraffic::TimedDatagram> traffic = realtraffic::expandScenario(scenario_);
        const double last = traffic.empty() ? 0.0 : traffic.back().offset;
        replay_ = std::thread([this, traffic, qnh = realtraffic::qnhSchedule(scenario_, last, 10.0)] {
            realtraffic::replay(traffic, qnh, replayOptions_, nullptr, &cancel_);
        });
    }

    realtraffic::Scenario scenario_;
    realtraffic::ReplayOptions replayOptions_;
    realtraffic::LinkRequests requests_;
    std::atomic<bool> cancel_{false};
    // The link thread's; read after stop().
    realtraffic::CommandClientReport report_;
    std::string failures_;
    AreaLineCounter areaLines_;
    std::ostream transcript_{&areaLines_};
    std::thread replay_;  // started on the link thread, joined after it
    std::thread link_;
};

class RealWiring : public simlink_test::SimLinkSession {
protected:
    RealWiring() {
        forgetEarlierRuns();
        gf_connectFoundation();
        // The program's install folder (the current folder): the data set's
        // files, its scanned liveries, and Schiphol's stand file as the
        // user's own.
        fs::create_directory("docs");
        fs::create_directories("input");
        for (const char* name : {"dbase.enc", "airports.enc", "AIG-regcodes.enc"})
            fs::copy_file(testing_support::dataSetFile(name), fs::path("input") / name);
        fs::create_directories("output");
        fs::copy_file(testing_support::sourceFile("data/LiveriesScanned.xml"), "output/LiveriesScanned.xml");
        fs::create_directories("airports/my_ORBX");
        fs::copy_file(testing_support::sourceFile("data/stands/EHAM.xml"), "airports/my_ORBX/EHAM.xml");

        fs::create_directories(places_.programFolder);
        fs::create_directories(places_.appData / "InsideSystems");
        testing_support::writeFile(places_.appData / "InsideSystems" / "RealTraffic.jar", "jar");
        // The install path does not name the version: the simulator's is
        // the one the settings ask for.
        SIM_INSTALL_PATH.value = "Prepar3D";
        P3D_VERSION.value = 6;
        PORT_NUMBER.value = "0";  // a free port
        SCAN_LIVERIES.value = false;
        SCAN_AIRPORTS.value = false;
        AUTO_RANGE.value = false;  // the whole replay lies within the 40 nm
        RANGE.value = 40;
        MAX_PARK_SEL.value = 10;
        RANDOM.value = false;  // the same statics and liveries every time
        gf_saveParameters(false, parametersPath());

        // The real job table. Four entries bind the real function to this
        // test's ports and settings file rather than the user's.
        g_runJobs = gf_subsystemJobs();
        g_runJobs.startQnhReader = [this] { gf_startQnhReader(places_.qnhPort); };
        g_runJobs.startTrafficReader = [this](bool local) { gf_startTrafficReader(local, places_.trafficPort); };
        g_runJobs.processScannedLiveries = [this] { gf_processScannedLiveries(parametersPath()); };
        g_runJobs.checkVersions = [this] { return gf_checkVersions(parametersPath()); };
        g_engineServices = gf_engineServices();
        g_engineServices.restoreUserSettings = [this] { gf_applyChangedParams(parametersPath()); };
        g_runClock = RunClock{[] { return SteadyTime(std::chrono::steady_clock::now().time_since_epoch() * kPace); },
                              [](SteadyTime duration) { std::this_thread::sleep_for(duration / kPace); }};
        platform::setWindowHost(&loop_);
        lf_createControls(controls_);
        gf_setControlUpdates(&controlUpdates_);

        tweak_ = [this](simulator::SimulatorConfig& config) {
            config.speed = kPace;
            config.frameRate = 30 * kPace;
            config.recordFrames = false;
            config.recordBulk = false;
            config.controlFile = controlFile_;
        };
    }
    ~RealWiring() override {
        gf_setControlUpdates(nullptr);
        platform::setWindowHost(nullptr);
        g_runJobs = gf_subsystemJobs();
        g_engineServices = gf_engineServices();
        g_runClock = gf_steadyRunClock();
        gf_closeRtServer();
        forgetEarlierRuns();
    }

    // The tables a run fills once per process (data base, airports, liveries,
    // traffic), emptied for the next test in this process.
    static void forgetEarlierRuns() {
        testing_support::resetShellState();
        airports_test::resetAirportState();
        gf_resetLiveryProcessing();
        gf_resetTraffic();
    }

    fs::path parametersPath() const { return places_.programFolder / "parameters.xml"; }

    // The user at the main window (this thread plays the window thread).
    void click(const WindowControl& control) { lf_HandleWMCOMMAND(window_, control.controlId, 0); }
    void select(const ChoiceParam& list, int index) {
        controls_.selectItem(list.controlId, index);
        lf_HandleWMCOMMAND(window_, list.controlId, kSelectionChanged);
    }
    void type(const EditParam& field, const std::string& text) {
        controls_.setText(field.controlId, text);
        lf_onEditEnter(window_, field);
    }
    bool listHolds(const WindowControl& list, const std::string& item) const {
        const std::vector<std::string> items = controls_.control(list.controlId).items;
        return std::find(items.begin(), items.end(), item) != items.end();
    }

    // An action for the stand-in simulator, taken at its next frame.
    void simulatorDoes(const std::string& action) const {
        const fs::path writing = controlFile_.string() + ".new";
        testing_support::writeFile(writing, action + "\n");
        fs::rename(writing, controlFile_);
    }

    // Wakes the readers, which would otherwise see their stop flags only at
    // their one-second receive time-out, and waits for their end.
    void endReaders() const {
        gf_stopReaders();
        platform::UdpSocket waker;
        waker.open();
        for (const std::uint16_t port : {places_.qnhPort, places_.trafficPort})
            waker.sendTo("127.0.0.1", port, std::span<const char>());
        gf_joinReaders();
    }

    // What the stand-in's record shows so far of the AI objects: each
    // creation's tail number in the order received, each removal's, the
    // aircraft whose nav lights were switched off, and whether each object's
    // engines were started (a created live aircraft is made active when its
    // lights, engines and flaps are set). An object's id comes back in the
    // order of the creations.
    struct AiTraffic {
        std::vector<std::string> created;
        std::vector<std::string> removed;
        std::vector<std::string> navLightsOff;  // NAV_LIGHTS_SET 0
        std::vector<bool> started;               // per creation: its engines were started
        // A static aircraft (its tail number ends in '*') was removed and one
        // was created after it: the schedule was renewed.
        bool staticsRenewed() const { return renewed; }
        bool renewed = false;
        bool wasCreated(const std::string& tail) const { return std::count(created.begin(), created.end(), tail) > 0; }
        bool wasRemoved(const std::string& tail) const { return std::count(removed.begin(), removed.end(), tail) > 0; }
        // The tail's n-th creation (from 1) has been made active.
        bool activated(const std::string& tail, int n) const {
            for (std::size_t k = 0; k < created.size(); ++k)
                if (created[k] == tail && --n == 0) return started[k];
            return false;
        }
        // Every static aircraft that was created has been removed again.
        bool staticsGone() const {
            return std::all_of(created.begin(), created.end(),
                               [this](const std::string& tail) { return !tail.ends_with('*') || wasRemoved(tail); });
        }
    };
    AiTraffic aiTraffic() const {
        AiTraffic traffic;
        std::deque<std::size_t> awaitingId;              // creations by index
        std::map<std::uint32_t, std::size_t> creationById;
        const auto tailOf = [&](std::uint32_t objectId) {
            const auto found = creationById.find(objectId);
            return found == creationById.end() ? std::string() : traffic.created[found->second];
        };
        const auto isStatic = [](const std::string& tail) { return !tail.empty() && tail.back() == '*'; };
        bool staticRemoved = false;
        std::map<std::uint32_t, std::string> eventNames;
        for (const nlohmann::json& line : record()) {
            if (!line.is_object() || !line.contains("fields")) continue;
            const std::string kind = line.value("kind", "");
            const std::string dir = line.value("dir", "");
            const nlohmann::json& fields = line["fields"];
            if (dir == "in" && kind == "AICreateNonATCAircraft") {
                const std::string tail = fields.value("tailNumber", "");
                awaitingId.push_back(traffic.created.size());
                traffic.created.push_back(tail);
                traffic.started.push_back(false);
                if (staticRemoved && isStatic(tail)) traffic.renewed = true;
            } else if (dir == "out" && kind == "ASSIGNED_OBJECT_ID" && !awaitingId.empty()) {
                creationById[fields.value("objectId", 0U)] = awaitingId.front();
                awaitingId.pop_front();
            } else if (dir == "in" && kind == "MapClientEventToSimEvent") {
                eventNames[fields.value("eventId", 0U)] = fields.value("eventName", "");
            } else if (dir == "in" && kind == "TransmitClientEvent") {
                const std::uint32_t objectId = fields.value("objectId", 0U);
                const std::string& name = eventNames[fields.value("eventId", 0U)];
                const auto found = creationById.find(objectId);
                if (found != creationById.end() && name == "ENGINE_AUTO_START") traffic.started[found->second] = true;
                if (name == "NAV_LIGHTS_SET" && fields.value("data", 1U) == 0)
                    traffic.navLightsOff.push_back(tailOf(objectId));
            } else if (dir == "in" && kind == "AIRemoveObject") {
                const std::string tail = tailOf(fields.value("objectId", 0U));
                traffic.removed.push_back(tail);
                if (isStatic(tail)) staticRemoved = true;
            }
        }
        return traffic;
    }

    testing_support::RunPlaces places_;
    testing_support::AppMessageLoop loop_;
    ControlModel controls_;
    WindowControlUpdates controlUpdates_{controls_};
    WindowContext window_{controls_, places_.programFolder / "parameters.xml"};
    testing_support::TempDir controlDir_;
    fs::path controlFile_ = controlDir_ / "control.txt";
};

}  // namespace

TEST_F(RealWiring, ARunCreatesRemovesAndRenewsThroughTheRealJobs) {
    startStandIn(kSimulatorScenario);
    RealTrafficPeer realTraffic(places_.trafficPort, places_.qnhPort, kReplayStart);
    std::thread startUp([this] { lf_startUpVLNT(places_.programFolder); });
    // Should the test itself fail on the way, the run still ends before the
    // fixture goes.
    const auto endTheRun = [](std::thread* thread) {
        if (!thread->joinable()) return;
        gf_requestEnd();
        thread->join();
    };
    const std::unique_ptr<std::thread, decltype(endTheRun)> runGuard(&startUp, endTheRun);

    // Waits for what the run must bring about, all within one generous bound.
    const auto deadline = std::chrono::steady_clock::now() + 2 * testing_support::kSafety;
    const auto waitUntil = [&deadline](const std::function<bool()>& condition) {
        return testing_support::waitFor(condition, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       deadline - std::chrono::steady_clock::now()));
    };
    // Once the park airport's statics stand, the 20-minute renewal is put in
    // its last minute: it comes at the next whole minute of counted samples,
    // after the half-hour changed at 12:29:30.
    const bool placed = waitUntil([] { return g_staticCount.load() > 0; });
    const std::string parkAirportShown = g_parkAirportText.get();
    g_staticUpdateMinutes = 1;
    // While the settings are locked, the window shows the schedule's size.
    std::uint64_t scheduleShown = 0;
    const bool renewed = placed && waitUntil([&] {
        scheduleShown = std::max(scheduleShown, g_staticScheduleShown.load());
        return aiTraffic().staticsRenewed();
    });
    const bool departureRemoved = waitUntil([this] { return aiTraffic().wasRemoved("TRA6402"); });
    const bool madeWay = waitUntil([this] { return aiTraffic().wasRemoved("KLC1671"); });
    const bool parkedLive = waitUntil([] { return g_parkedLiveCount.load() > 0; });

    // The window's commands that the traffic thread carries out.
    click(g_callsignToOidButton);
    const bool callsignsListed = waitUntil([this] { return listHolds(CALLSIGN_2_OBJECTID, "KLM1234"); });
    type(DESTINATION, "eddf");
    const bool destinationListed = waitUntil([] {
        return fs::exists(g_myParkAirportsPath) &&
               testing_support::readFile(g_myParkAirportsPath).find("EDDF") != std::string::npos;
    });
    click(g_rereadButton);
    const bool reRead = waitUntil([this] { return log_.contains("park airports and stands are okay"); });
    click(NAV_LIGHTS_WHILE_PARKED);
    const bool lightsSwitched = waitUntil([this] {
        const AiTraffic traffic = aiTraffic();
        return std::any_of(traffic.navLightsOff.begin(), traffic.navLightsOff.end(),
                           [](const std::string& tail) { return tail.ends_with('*'); });
    });
    click(g_flushStaticButton);
    const bool flushed = waitUntil([this] { return aiTraffic().staticsGone(); });

    // The flight stops for a while: RealTraffic still hears where the user is.
    simulatorDoes("sim off");
    const bool paused = waitUntil([this] { return log_.contains("Flight not running"); });
    const int areaLinesBefore = realTraffic.areaLines();
    const bool heardWhilePaused = paused && waitUntil([&] { return realTraffic.areaLines() >= areaLinesBefore + 2; });
    simulatorDoes("sim on");
    const bool resumed = waitUntil([this] { return log_.contains("Flight resumed"); });

    // A run's last message, after which its thread ends.
    const auto runEnded = [this, &startUp] {
        const std::uint32_t message = loop_.next(testing_support::kSafety);
        if (message == 0) {
            std::cerr << "The run did not end; its thread cannot be joined.\n";
            std::abort();
        }
        startUp.join();
        return message;
    };

    // A typed install path restarts the run; the new run creates the
    // arrival again.
    type(ALL_INSTALL_PATH, places_.appData.path().string());
    const bool restarted = runEnded() == WM_APP_START;
    if (restarted) startUp = std::thread([this] { lf_startUpVLNT(places_.programFolder); });
    const bool recreated = restarted && waitUntil([this] { return aiTraffic().activated("KLM1234", 2); });
    // Blocking its callsign removes it at once (its stream runs on for
    // more than a minute).
    type(BLOCK_CALLSIGN, "klm1234");
    const bool blocked = testing_support::waitFor([this] { return aiTraffic().wasRemoved("KLM1234"); }, testing_support::kSafety);
    // No live aircraft at all: the one parked on D4 goes too.
    const bool parkedAgain = waitUntil([] { return g_parkedLiveCount.load() > 0; });
    select(MAX_LIVE_SEL, 0);
    const bool noLive = waitUntil([this] { return aiTraffic().wasRemoved("RYR4AB"); });

    // The close button: closing down ends the simulator link, the readers
    // and the command link itself.
    lf_onCloseButton();
    const bool quit = restarted && runEnded() == WM_APP_QUIT;
    const bool simLinkEnded = testing_support::waitFor([] { return !g_simConnected.load(); }, testing_support::kSafety);
    const bool readersEnded = testing_support::waitFor(
        [] {
            return gf_readerStatus(ReaderId::traffic) == readerStopped && gf_readerStatus(ReaderId::qnh) == readerStopped;
        },
        testing_support::kSafety);
    realTraffic.stop();
    gf_joinSimClient();
    endReaders();
    const AiTraffic traffic = aiTraffic();
    EXPECT_EQ(stopStandIn(), 0) << simlink_test::faultsText(standIn_->sim());
    EXPECT_EQ(realTraffic.failures(), "");

    // A creation: both live aircraft, with the liveries their registrations have.
    const auto titleOf = [this](const std::string& tail) {
        for (const simulator::AiObject& object : standIn_->sim().world.objects)
            if (object.tailNumber == tail) return object.title;
        return std::string("not created");
    };
    EXPECT_EQ(titleOf("KLM1234"), "Boeing 737-800 KLM PH-BXA");
    EXPECT_EQ(titleOf("TRA6402"), "Boeing 737-800 Transavia PH-HSA");
    EXPECT_TRUE(log_.contains("SimConnect: User aircraft model: A320, half wing span: 17.9 meter"));
    EXPECT_EQ(g_shownQnh.load(), 1008) << "the QNH reader's value";
    // A removal: the departure the feed lost, the aircraft in the user's
    // way; the arrival stayed until its callsign was blocked.
    EXPECT_TRUE(departureRemoved) << "the departure was not removed";
    EXPECT_TRUE(madeWay) << "the aircraft taxiing through the user's was not removed";
    EXPECT_TRUE(parkedLive) << "no live aircraft parked";
    EXPECT_EQ(std::count(traffic.removed.begin(), traffic.removed.end(), "KLM1234"), 1);
    // A static renewal: the schedule of the new half-hour removed some
    // static aircraft and placed others.
    EXPECT_TRUE(placed) << "no static aircraft";
    EXPECT_EQ(parkAirportShown, "EHAM (AMS)");
    EXPECT_TRUE(renewed) << "the static parking was not renewed";
    EXPECT_GT(scheduleShown, 0u) << "the schedule's size while the settings were locked";
    EXPECT_TRUE(log_.contains("Parking adjustments: 4 to be removed, 4 to be added"));

    // The window's commands.
    EXPECT_TRUE(callsignsListed) << "cs->oid: no list of the moving callsigns";
    EXPECT_TRUE(destinationListed) << "the destination did not join the park airports";
    EXPECT_TRUE(reRead) << "Re-read did not check the park airports";
    EXPECT_TRUE(lightsSwitched) << "the static aircraft's nav lights were not switched";
    EXPECT_TRUE(flushed) << "Flush static left static aircraft";
    EXPECT_TRUE(paused && heardWhilePaused) << "no position to RealTraffic while the flight stood";
    EXPECT_TRUE(resumed);
    EXPECT_TRUE(restarted) << "the typed install path did not restart the run";
    EXPECT_TRUE(recreated) << "the restarted run did not create the arrival again";
    EXPECT_TRUE(blocked) << "the blocked callsign's aircraft was not removed";
    EXPECT_TRUE(parkedAgain && noLive) << "a maximum of 0 live aircraft left one";

    // The end of the run as the user sees it.
    EXPECT_TRUE(quit) << "the close button did not end the program";
    EXPECT_TRUE(log_.contains("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(simLinkEnded) << "closing down left the simulator link running";
    EXPECT_TRUE(readersEnded) << "closing down left the readers running";
    EXPECT_EQ(realTraffic.report().sessions, 2) << "RealTraffic was told \"exit\" at the end of each run";
    EXPECT_GT(realTraffic.report().timeLines, 0) << "level 2: the simulator's time went to RealTraffic";
    EXPECT_EQ(g_parkAirportText.get(), "") << "the park airport was left";
    EXPECT_TRUE(log_.contains("Matches at step: ")) << "the livery matching summary";
}
