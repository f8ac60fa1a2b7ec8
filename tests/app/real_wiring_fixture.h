// The fixture of the whole runs through the real job table: the stand-in
// RealTraffic as a peer of the command link and the readers, the download site
// on this machine, the main window's controls as a model, and what the
// stand-in simulator's record shows of the AI objects. Everything runs ten times as fast as in real life: the stand-in
// simulator's clock (the user-aircraft samples that count the run loop's
// seconds), the replay of the traffic and the run clock of the 10 ms ticks.
#pragma once

#include <fmt/format.h>
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
#include <optional>
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
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "app/window_controls.h"
#include "foundation/download_site.h"
#include "liveries/livery_services.h"
#include "platform/sockets.h"
#include "platform/window_host.h"
#include "rtlink/command_link.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "simlink/client_thread.h"
#include "simlink/state.h"
#include "simlink/stand_in_session.h"
#include "support/bgl_builder.h"
#include "support/data_set.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/livery_tree.h"
#include "support/noop_jobs.h"
#include "support/shell_fixture.h"
#include "support/store_fixture.h"
#include "support/update_site.h"
#include "support/wait.h"
#include "support/whole_run.h"
#include "tools/realtraffic/command_client.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/replay.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"

namespace real_wiring {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kPace = 10;

// The replay's clock: Monday 7 July 2025, 12:29:00 UTC, so that the
// half-hour changes 30 seconds into the replay and the stand file's
// schedule is the same every time.
constexpr double kReplayStart = 1751891340.0;

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
    // Without weather it sends no QNH datagram at all.
    RealTrafficPeer(const testing_support::RunPlaces& places, const char* scenario, bool weather)
        : scenario_(realtraffic::parseScenario(scenario)), weather_(weather) {
        replayOptions_.trafficPort = places.trafficPort;
        replayOptions_.qnhPort = places.qnhPort;
        replayOptions_.speed = kPace;
        replayOptions_.qnhInterval = 10;
        replayOptions_.startTime = kReplayStart;
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
        std::vector<realtraffic::TimedDatagram> qnh;
        if (weather_) qnh = realtraffic::qnhSchedule(scenario_, last, 10.0);
        replay_ = std::thread([this, traffic, qnh] {
            realtraffic::replay(traffic, qnh, replayOptions_, nullptr, &cancel_);
        });
    }

    realtraffic::Scenario scenario_;
    bool weather_;
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
        for (StringParam* installed :
             {&AIRPORTS_VERSION, &AIG_VERSION, &DBASE_VERSION, &LIV_SCAN_VERSION, &ADDONS_SCAN_VERSION})
            installed->value = std::string(kInstalledData);
        gf_saveParameters(false, parametersPath());

        // The download site: the program and the installed data are up to
        // date, but for a newer data base (the data set's own file again).
        site_.route("/downloads/versions.json",
                    {200, testing_support::versionsJsonOf({{"p3d", g_programVersion.toString()},
                                                           {"airports", kInstalledData},
                                                           {"aig", kInstalledData},
                                                           {"liveries", kInstalledData},
                                                           {"addons", kInstalledData},
                                                           {"dbase", kSiteDbase}})});
        site_.route(fmt::format("/downloads/{}/dbase.enc", g_programVersion.major),
                    {200, testing_support::readFile(testing_support::dataSetFile("dbase.enc"))});

        // The real job table; the readers listen on this test's free ports.
        g_runJobs = gf_subsystemJobs();
        testing_support::applyNoOpJob(g_runJobs);
        g_readerPorts = ReaderPorts{places_.trafficPort, places_.qnhPort};
        g_engineServices = gf_engineServices();
        g_engineServices.restoreUserSettings = [this] { gf_applyChangedParams(parametersPath()); };
        g_runClock = RunClock{[] { return SteadyTime(std::chrono::steady_clock::now().time_since_epoch() * kPace); },
                              [](SteadyTime duration) { std::this_thread::sleep_for(duration / kPace); }};
        // The schedule's size as each repaint of the statistics shows it: a
        // round may show it only for a moment, while the statics are placed.
        loop_.onRepaint = [this](const platform::Band& band) {
            if (band.top != kStatisticsBand.top) return;
            const std::uint64_t shown = g_staticScheduleShown.load();
            std::uint64_t most = mostScheduleShown_.load();
            while (shown > most && !mostScheduleShown_.compare_exchange_weak(most, shown)) {
            }
        };
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
        // Should the test fail on the way, the run still ends first.
        if (startUp_.joinable()) {
            gf_requestEnd();
            startUp_.join();
        }
        realTraffic_.reset();
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

    // A run of the start-up thread, as the main window starts it.
    void startRun() {
        startUp_ = std::thread([this] { lf_startUpVLNT(places_.programFolder); });
    }
    // RealTraffic with the scenario's traffic, from the run's first position line.
    void startRealTraffic(const char* scenario, bool weather = true) {
        realTraffic_.emplace(places_, scenario, weather);
    }
    // A run's last message, after which its thread ends.
    std::uint32_t runEnded() {
        const std::uint32_t message = loop_.next(testing_support::kSafety);
        if (message == 0) {
            std::cerr << "The run did not end; its thread cannot be joined.\n";
            std::abort();
        }
        startUp_.join();
        return message;
    }
    // Waits for what the run must bring about, all waits of a test within
    // one generous bound from its first.
    bool waitUntil(const std::function<bool()>& condition) {
        if (!deadline_) deadline_ = std::chrono::steady_clock::now() + 2 * testing_support::kSafety;
        return testing_support::waitFor(condition, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       *deadline_ - std::chrono::steady_clock::now()));
    }

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

    // The version of the installed data, and the site's newer data base.
    static constexpr const char* kInstalledData = "3.1.0";
    static constexpr const char* kSiteDbase = "3.2.0";

    testing_support::HttpTestServer site_;
    // Loopback requests must never go through a proxy the machine may name.
    testing_support::ScopedEnvironment noProxy_{"no_proxy", "*"};
    testing_support::ScopedEnvironment siteAddress_{kDownloadSiteVariable, site_.url("/downloads/")};
    testing_support::RunPlaces places_;
    testing_support::AppMessageLoop loop_;
    std::atomic<std::uint64_t> mostScheduleShown_{0};
    ControlModel controls_;
    WindowControlUpdates controlUpdates_{controls_};
    WindowContext window_{controls_, places_.programFolder / "parameters.xml"};
    testing_support::TempDir controlDir_;
    fs::path controlFile_ = controlDir_ / "control.txt";
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::optional<RealTrafficPeer> realTraffic_;
    std::thread startUp_;
};


}  // namespace real_wiring
