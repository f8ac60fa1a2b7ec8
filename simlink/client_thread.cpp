#include "simlink/client_thread.h"

#include <fmt/format.h>

#include <chrono>
#include <exception>
#include <string>
#include <thread>

#include "app/services/install_path_check.h"
#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "foundation/user_error.h"
#include "platform/timer_resolution.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "simlink/dispatch.h"
#include "simlink/request_queues.h"
#include "simlink/state.h"
#include "simlink/user_aircraft.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kQueueRoom = 256;

// The client handle of one thread run; closed when the thread ends.
struct SimConnectHandle {
    SimConnectClient* handle = nullptr;

    SimConnectHandle() = default;
    SimConnectHandle(const SimConnectHandle&) = delete;
    SimConnectHandle& operator=(const SimConnectHandle&) = delete;
    ~SimConnectHandle() { lf_closeSimConnect(handle); }
};

// The raised timer resolution of a connection, handed back at its end.
struct TimerPeriodGuard {
    bool armed = false;

    explicit TimerPeriodGuard(bool armed) : armed(armed) {}
    TimerPeriodGuard(const TimerPeriodGuard&) = delete;
    TimerPeriodGuard& operator=(const TimerPeriodGuard&) = delete;
    ~TimerPeriodGuard() {
        if (armed) platform::restoreTimerResolution();
    }
};

void publishHandle(SimConnectClient* handle) {
    const std::lock_guard lock(g_simQueueMutex);
    g_simHandle.store(handle);
}

std::string textOf(const std::exception& e) {
    const std::string text = e.what();
    return text.empty() ? std::string("Unknown exception") : text;
}

// Opens the connection, trying every 100 ms; false when a stop came first.
// g_simClientWake is signalled whenever messages arrive or the connection breaks.
bool openConnection(const std::stop_token& stop, SimConnectHandle& local) {
    for (bool first = true;; first = false) {
        if (gf_stopping() || stop.stop_requested()) return false;
        if (first) {
            gf_log(" ");
            gf_setStatus(fmt::format("Waiting for Prepar3Dv{} ...", gf_checkP3DInstallPath()), true);
            gf_flushLog();
        }
        lf_closeSimConnect(local.handle);
        if (SimConnect_Open(&local.handle, kProgramName, nullptr, 0, g_simClientWake.handle(), 0) >= 0) return true;
        local.handle = nullptr;
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + 100ms);
    }
}

// Hands every message to the dispatch, in order, as soon as it has arrived,
// and sleeps in between until messages arrive, the connection breaks or a
// stop is requested (which also signals g_simClientWake): an idle link costs
// no wake-ups. A broken connection (the simulator closed or dropped it) is
// the link lost.
void pumpDispatch(const std::stop_token& stop, SimConnectClient* handle, bool& disconnected) {
    while (!stop.stop_requested()) {
        if (SimConnect_CallDispatch(handle, lf_dispatchProc, nullptr) < 0) lf_simDisconnected(disconnected);
        // Without an event (the system could not make one) the old pace of a
        // look every millisecond is kept.
        if (!g_simClientWake.wait()) std::this_thread::sleep_for(1ms);
    }
}

// The stop token alone would leave the thread asleep in its wait.
void requestStopAndWake() {
    g_simClientThread.request_stop();
    g_simClientWake.signal();
}

}  // namespace

void gf_initSimQueues(std::int32_t version) {
    gf_joinSimClient();  // an earlier thread's own lists are touched below
    g_requiredSimVersion.store(version);
    {
        const std::lock_guard lock(g_simQueueMutex);
        g_posUpdates.sides[0].reserve(kQueueRoom);
        g_posUpdates.sides[1].reserve(kQueueRoom);
        g_simCreateQueue.reserve(kQueueRoom);
        g_simRemoveQueue.reserve(kQueueRoom);
    }
    g_sentCreates.reserve(kQueueRoom);
    g_addedObjects.reserve(kQueueRoom);
    g_simError.exchange(false);
}

void SimClient(std::stop_token stop) {
    publishHandle(nullptr);
    bool disconnected = false;
    SimConnectHandle local;
    try {
        if (openConnection(stop, local)) {
            publishHandle(local.handle);
            lf_setupSimConnect();
            const TimerPeriodGuard timer(platform::raiseTimerResolution());
            pumpDispatch(stop, local.handle, disconnected);
        }
    } catch (const vlt::UserErrorException& e) {
        // The user must fix something: the run goes on, the error stays shown.
        gf_setError(textOf(e));
    } catch (const std::exception& e) {
        gf_setError(textOf(e));
        lf_simDisconnected(disconnected);
    } catch (...) {
        gf_setError(fmt::format("Exception in {}", "SimClient"));
        lf_simDisconnected(disconnected);
    }
    lf_simClientExitTask();
}

void lf_simDisconnected(bool& once) {
    if (once) return;
    g_simRunning.store(false);
    g_simRunningShown.store(false);
    if (!g_stopRequested.load()) {
        gf_log(fmt::format("{} Flight Simulator no longer connected, {} will stop ...", gf_utcClockText(),
                           kProgramName));
        gf_requestStop(ExitReason::SimWasClosed, 0);
    }
    once = true;
}

void lf_simClientExitTask() {
    try {
        gf_saveUserParkStand();
    } catch (...) {
        // The exit task must not fail; the stand is saved again next time.
    }
    g_simConnected.store(false);
    // Without a link no flight runs: the run idles instead of sending requests.
    g_simRunning.store(false);
    g_simRunningShown.store(false);
    lf_repaintStatusBand();
    publishHandle(nullptr);
}

void lf_closeSimConnect(SimConnectClient*& handle) {
    if (handle == nullptr) return;
    const bool closed = SimConnect_Close(handle) >= 0;
    handle = nullptr;
    try {
        if (closed)
            gf_log("SimConnect closed ok");
        else
            gf_logMarked("Closing SimConnect failed?!");
    } catch (...) {
        // Logging can only fail for want of memory; the handle is closed anyway.
    }
}

void gf_startSimClient() {
    gf_joinSimClient();
    g_simClientThread = std::jthread(SimClient);
}

void gf_requestSimClientStop() {
    if (g_simClientThread.joinable()) requestStopAndWake();
}

void gf_joinSimClient() {
    if (!g_simClientThread.joinable()) return;
    requestStopAndWake();
    g_simClientThread.join();
}

void gf_resetSimLink() {
    gf_joinSimClient();
    g_requiredSimVersion.store(P3D_VERSION.value.load());
    g_userOnGroundKnown.store(false);
    g_userOnGround.store(false);
    g_sentCreates.clear();
    g_addedObjects.clear();
    g_simRunning.store(false);
    g_simRunningShown.store(false);
    g_userObjectId.store(2);
    g_newUserSample.store(false);
    {
        const std::lock_guard lock(g_simQueueMutex);
        g_simHandle.store(nullptr);
        g_simError.store(false);
        g_posUpdates.sides[0].clear();
        g_posUpdates.sides[1].clear();
        g_posUpdates.writeSide = 0;
        g_simCreateQueue.clear();
        g_simRemoveQueue.clear();
        g_simEventQueue.clear();
    }
    g_lastUserStand.clear();
    g_userHalfSpanSet.store(false);
    g_prevUserPos = GeoPoint{};
    const std::lock_guard lock(g_userStateMutex);
    g_userTitle.clear();
    g_userStandText.clear();
    g_simNameText.clear();
    g_userState = UserState{};
}
