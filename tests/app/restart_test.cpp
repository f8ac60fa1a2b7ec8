// Whole runs against the stand-in simulator and the stand-in RealTraffic in
// this process: the start-up brings the simulator link, the command link and
// both readers up; ten restarts in a row and the final close leave no
// thread, socket or file handle behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "app/closing_down.h"
#include "app/main_window.h"
#include "app/run_clock.h"
#include "app/run_jobs.h"
#include "app/services/run_flags.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "platform/sockets.h"
#include "platform/window_host.h"
#include "rtlink/command_link.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "simlink/client_thread.h"
#include "simlink/stand_in_session.h"
#include "support/whole_run.h"
#include "support/shell_fixture.h"
#include "support/store_fixture.h"
#include "tools/realtraffic/command_client.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Resources {
    int threads = 0;
    int handles = 0;  // file descriptors (natively) or handles (Windows)
    bool operator==(const Resources&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Resources& r) {
    return out << r.threads << " threads, " << r.handles << " handles";
}

Resources countResources() {
    Resources r;
#ifdef _WIN32
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    r.handles = static_cast<int>(handles);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++r.threads;
    CloseHandle(snapshot);
#else
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++r.threads;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++r.handles;
#endif
    return r;
}

// RealTraffic connecting to every run's command server in turn, until told to stop.
class RealTrafficStandIn {
public:
    RealTrafficStandIn()
        : thread_([this] {
              while (!stop_) {
                  const std::uint16_t port = gf_rtServerPort();
                  if (port == 0) {
                      std::this_thread::sleep_for(5ms);
                      continue;
                  }
                  realtraffic::CommandClientOptions options;
                  options.port = port;
                  options.retryMs = 10;
                  options.connectAttempts = 200;
                  options.timeoutSeconds = 60;
                  try {
                      realtraffic::runCommandClient(options);
                      ++sessions_;
                  } catch (const std::exception& e) {
                      const std::lock_guard lock(mutex_);
                      failures_ += std::string(e.what()) + "\n";
                  }
                  // The next session belongs to the next run's server.
                  while (!stop_ && gf_rtServerPort() == port) std::this_thread::sleep_for(5ms);
              }
          }) {}
    ~RealTrafficStandIn() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int sessions() const { return sessions_; }
    std::string failures() const {
        const std::lock_guard lock(mutex_);
        return failures_;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> sessions_{0};
    mutable std::mutex mutex_;
    std::string failures_;
    std::thread thread_;
};

class RestartTest : public simlink_test::SimLinkSession {
protected:
    RestartTest() {
        testing_support::resetShellState();
        fs::create_directory("docs");
        fs::create_directories(places_.programFolder);
        fs::create_directories(places_.appData / "InsideSystems");
        testing_support::writeFile(places_.appData / "InsideSystems" / "RealTraffic.jar", "jar");
        SIM_INSTALL_PATH.value = "P3D v5";
        PORT_NUMBER.value = "0";  // a free port each run
        SCAN_LIVERIES.value = false;
        SCAN_AIRPORTS.value = false;
        gf_saveParameters(false, places_.programFolder / "parameters.xml");

        g_runJobs = gf_subsystemJobs();
        g_runJobs.readDbase = [] { return true; };
        g_runJobs.readAirports = [] { return true; };
        g_runJobs.scanLiveries = [](const fs::path&) {};
        g_runJobs.processScannedLiveries = [](const fs::path&) {};
        g_readerPorts = ReaderPorts{places_.trafficPort, places_.qnhPort};
        // Ten times as fast: the start-up's and closing down's waits pass quickly.
        g_runClock = RunClock{[] { return SteadyTime(std::chrono::steady_clock::now().time_since_epoch() * 10); },
                              [](SteadyTime duration) { std::this_thread::sleep_for(duration / 10); }};
        platform::setWindowHost(&loop_);
    }
    ~RestartTest() override {
        platform::setWindowHost(nullptr);
        g_runJobs = gf_subsystemJobs();
        g_runClock = gf_steadyRunClock();
        gf_closeRtServer();
        testing_support::resetShellState();
    }

    // Ends the run once the command link is up and the traffic reader receives:
    // a restart, or the close button. Then wakes the readers, which would
    // otherwise see their stop flags only at their one-second receive time-out.
    void endRunWhenUp(bool restart) const {
        const auto end = std::chrono::steady_clock::now() + testing_support::kSafety;
        while (std::chrono::steady_clock::now() < end &&
               !(gf_readerStatus(ReaderId::traffic) == readerReceiving && g_rtConnected))
            std::this_thread::sleep_for(5ms);
        if (restart)
            gf_requestStop(ExitReason::NewSettings, 0);
        else
            lf_onCloseButton();
        platform::UdpSocket waker;
        waker.open();
        while (std::chrono::steady_clock::now() < end && (gf_readerStatus(ReaderId::traffic) != readerStopped ||
                                                          gf_readerStatus(ReaderId::qnh) != readerStopped)) {
            for (const std::uint16_t port : {places_.qnhPort, places_.trafficPort})
                waker.sendTo("127.0.0.1", port, std::span<const char>());
            std::this_thread::sleep_for(10ms);
        }
    }

    testing_support::RunPlaces places_;
    testing_support::AppMessageLoop loop_;
};

}  // namespace

TEST_F(RestartTest, TenRestartsLeaveNoThreadSocketOrFileBehind) {
    startStandIn("");
    RealTrafficStandIn realTraffic;

    // Counted between two runs, when the run that ended has joined its
    // threads: after the first run (the system's own thread pool then
    // exists on Windows), and after the last.
    Resources afterFirstRun;
    std::thread startUp;
    std::thread user;
    int runs = 0;
    std::uint32_t message = WM_APP_START;
    while (message == WM_APP_START && runs < 12) {
        for (std::thread* thread : {&startUp, &user})
            if (thread->joinable()) thread->join();
        if (runs == 1) afterFirstRun = countResources();
        ++runs;
        user = std::thread([this, restart = runs <= 10] { endRunWhenUp(restart); });
        startUp = std::thread([this] { lf_startUpVLNT(places_.programFolder); });
        message = loop_.next(testing_support::kSafety);
    }
    EXPECT_EQ(message, WM_APP_QUIT);
    for (std::thread* thread : {&startUp, &user})
        if (thread->joinable()) thread->join();
    EXPECT_EQ(runs, 11);
    EXPECT_EQ(g_exitReason.load(), ExitReason::UserClosedSim);

    // What the program's end does: the last simulator client thread and the
    // readers are joined.
    gf_joinSimClient();
    gf_stopReaders();
    gf_joinReaders();
    // The stand-in notices the last client's end on its own thread.
    Resources afterLastRun;
    simlink_test::waitFor([&] {
        afterLastRun = countResources();
        return afterLastRun == afterFirstRun;
    });
    // (Under Wine the process's handle count reads 0: there the threads tell.)
    EXPECT_EQ(afterLastRun, afterFirstRun);
    realTraffic.stop();
    EXPECT_EQ(realTraffic.failures(), "");
    EXPECT_EQ(realTraffic.sessions(), 11) << "each run asked for the version and said exit";
    EXPECT_EQ(stopStandIn(), 0) << simlink_test::faultsText(standIn_->sim());
    EXPECT_EQ(standIn_->sim().clients.size(), 11u);
    const auto lines = log_.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Exiting: NEW SETTINGS"), 10);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RealTraffic connected"), 11);
}
