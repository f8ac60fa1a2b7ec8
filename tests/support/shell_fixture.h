// The application shell without the other subsystems: every job the run loop,
// closing down and the reset call is a recording stand-in, the steady clock
// moves only when the code sleeps, and the main window is a recorder of
// posted messages, repainted bands and control updates. parameters.xml lives
// in a temporary folder and the log in a fresh current folder.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/run_clock.h"
#include "app/run_jobs.h"
#include "platform/window_host.h"
#include "support/store_fixture.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

namespace testing_support {

// Every application-shell global, the settings and the engine's tables back at
// their start values.
void resetShellState();

class ShellTest : public ::testing::Test, public platform::WindowHost {
protected:
    ShellTest();
    ~ShellTest() override;

    // What the stand-ins report; the test changes them at will.
    std::atomic<bool> simRunning{true};
    std::atomic<bool> simError{false};
    std::atomic<int> newSamples{0};  // samples waiting; each take consumes one
    UserAircraftFix user;
    std::string reservedStand;
    bool parkAirport = false;
    bool parkStands = false;
    bool parkFile = false;
    std::optional<GeoPoint> firstParkAirport;
    std::uint64_t parkedLive = 0;
    std::uint64_t statics = 0;
    bool parkAirportsChanged = false;  // checkParkAirports' answer
    std::string parkAirportsText;      // ... and the status it gives
    std::atomic<bool> userOnGroundKnown{true};
    bool versionsOk = true;     // checkVersions' answer
    bool dbaseOk = true;        // readDbase's answer
    bool airportsOk = true;     // readAirports' answer
    std::atomic<bool> rtClientConnects{true};  // waitForRtClient's answer
    std::string rtVersionReply = R"({"version":"9.0.0","level":2})";  // receiveFromRt's answer

    // Recorded calls in order: jobs by name ("parkControl 1",
    // "sendRtProRequest 1700000000"), control updates ("enable Re-read 1",
    // "check INITIAL_LOAD_ONLY 1", "choice RANGE"), posted messages ("post 2"),
    // the window kept on top or not ("topmost 1").
    std::vector<std::string> calls() const;
    void clearCalls();
    // The repainted bands by top edge (28 indicators, 112 controls, 392 statistics).
    std::vector<int> bandTops() const;
    // Posted application messages (WM_APP offsets).
    std::vector<std::uint32_t> posted() const;

    // The fake clock, in milliseconds since its start.
    std::int64_t nowMs() const;
    void advance(std::chrono::nanoseconds duration);
    // Called after every sleep with the number of sleeps so far.
    std::function<void(int)> onSleep;
    int sleeps() const { return sleeps_.load(); }
    // The status line's text at every sleep.
    std::vector<std::string> statusesAtSleeps() const;

    // removeFarthestAc's body (after the recording); none: nothing removed.
    std::function<bool(double)> removeFarthest;

    // Replaces one job with a body of the test's own (after the recording).
    std::function<void(const std::string&)> onCall;

    const std::filesystem::path& parametersPath() const { return parametersPath_; }
    // The program's folder under the roaming AppData folder (parameters.xml's
    // folder), and the roaming folder itself.
    std::filesystem::path programFolder() const { return parametersPath_.parent_path(); }
    const std::filesystem::path& roamingFolder() const { return appData_.path(); }
    std::string storedValue(const std::string& key) const;

    void record(std::string text);

    // platform::WindowHost
    void postAppMessage(std::uint32_t appOffset) override;
    void invalidateBand(const platform::Band& band) override;
    void setTopmost(bool topmost) override;

    LogCapture log;

private:
    RunJobs recordingJobs();

    TempDir appData_;
    std::filesystem::path parametersPath_;
    ControlRecorder controls_{[this](const std::string& text) { record(text); }};
    mutable std::mutex mutex_;  // guards the recordings
    std::vector<std::string> calls_;
    std::vector<int> bandTops_;
    std::vector<std::uint32_t> posted_;
    std::vector<std::string> statuses_;
    std::atomic<std::int64_t> nowNs_{0};
    std::atomic<int> sleeps_{0};
};

}  // namespace testing_support
