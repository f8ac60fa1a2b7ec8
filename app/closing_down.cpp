#include "app/closing_down.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>

#include "app/run_jobs.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_messages.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "platform/window_host.h"
#include "rtlink/state.h"
#include "rtlink/traffic_record.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "traffic/flight_plan_folder.h"

namespace {
constexpr SteadyTime kOneSecond = std::chrono::seconds(1);
constexpr SteadyTime kSystemErrorPollStep = std::chrono::milliseconds(500);
constexpr SteadyTime kNewFlightNotice = std::chrono::seconds(10);

// One clean-up step: a failure is shown and logged, and closing down goes on,
// so the run always ends with the message that restarts or quits.
template <class Step>
void closingStep(Step&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        gf_setStatus(fmt::format("{} exception {}", "lf_closingDown", e.what()), true);
    } catch (...) {
        gf_setStatus(fmt::format("{} exception {}", "lf_closingDown", "Unknown exception"), true);
    }
}

// Sleeps for the duration in short steps; false as soon as the window is closed.
bool sleepUnlessClosed(SteadyTime duration) {
    const SteadyTime end = g_runClock.now() + duration;
    for (SteadyTime now = g_runClock.now(); now < end; now = g_runClock.now()) {
        if (g_closeRequested) return false;
        g_runClock.sleepFor(std::min(kClosePollStep, end - now));
    }
    return !g_closeRequested;
}

// After a SYSTEM ERROR the error line stays until the user closes the window,
// or until a typed install path turns the end into a NEW SETTINGS restart.
void lf_waitForUserClose() {
    if (g_productionMode) return;  // nobody is there to close the window
    while (!g_closeRequested && g_exitReason == ExitReason::SystemError) g_runClock.sleepFor(kSystemErrorPollStep);
    if (!g_closeRequested) return;
    // The error has been read; the line must now say why the program ends
    // (a status is dropped, unlogged, while an error is shown).
    gf_clearError();
    gf_setStatus(fmt::format("User closed {}", kProgramName), true);
}

// The restart path; false when the program is to end after all.
bool lf_prepareRestart(ExitReason reason, const std::filesystem::path& parametersPath) {
    g_restartPending = true;
    gf_clearError();
    gf_clearStatus();
    gf_setStatus("Prepare for a restart ...", true);
    if (reason != ExitReason::NewSettings) {
        // The restart must not scan again after a link error.
        for (CheckBoxParam* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS}) {
            scan->value = false;
            gf_saveBoolParam(*scan, parametersPath);
        }
    }
    return lf_restartCountdown() && lf_resetRun();
}
}  // namespace

bool gf_isRestartReason(ExitReason reason) {
    return reason == ExitReason::NewSettings || reason == ExitReason::SimConnectError ||
           reason == ExitReason::ReaderError;
}

void gf_requestEnd() {
    // The reason before the flags: the traffic thread may end the run, and
    // closing down log the reason, as soon as one of them is set. A trigger
    // that set the stop flag before keeps its own reason.
    if (!g_stopRequested) {
        ExitReason unset = ExitReason::NotYetSet;
        g_exitReason.compare_exchange_strong(unset, ExitReason::UserClosedSim);
    }
    g_closeRequested = true;
    g_runJobs.closeRtServer();
    g_stopRequested = true;
}

void lf_closingDown(const std::filesystem::path& parametersPath) {
    RunJobs& jobs = g_runJobs;
    closingStep([] { gf_log(fmt::format("Exiting: {}", gf_exitReasonText(g_exitReason))); });
    closingStep([] {
        const std::lock_guard lock(g_addingStackMutex);
        g_acceptTraffic = false;
    });
    closingStep([&] { jobs.requestSimClientStop(); });
    closingStep([&] { jobs.stopReaders(); });
    closingStep([] { g_runClock.sleepFor(kReadersStopWait); });
    closingStep([&] { jobs.closeRtServer(); });
    if (g_exitReason == ExitReason::SystemError) closingStep(lf_waitForUserClose);
    closingStep([&] {
        if (jobs.hasParkAirport()) jobs.leaveParkAirport();
    });
    closingStep([&] { jobs.clearLiveryByHexId(); });
    closingStep(gf_removeFlightPlanFolder);
    closingStep([&] {
        gf_setStringParam(DESTINATION, std::string(), parametersPath);
        gf_setStringParam(BLOCK_CALLSIGN, std::string(), parametersPath);
    });
    // Loading the settings at the next start-up fills no edit field: the
    // fields show the emptied values now, and nothing is left to unblock.
    closingStep([] {
        ControlUpdateBatch batch;
        batch.showText(DESTINATION);
        batch.showText(BLOCK_CALLSIGN);
        batch.enableControl(g_unblockButton, false);
        batch.apply();
    });
    closingStep([&] { jobs.clearGhostCallsigns(); });
    closingStep([&] {
        jobs.writeMatchingSummary();
        jobs.logNoMatch();
    });

    // Read again: a typed install path may have turned a SYSTEM ERROR into NEW SETTINGS.
    const ExitReason reason = g_exitReason;
    bool restart = false;
    if (gf_isRestartReason(reason) && !g_closeRequested) {
        closingStep([&] { restart = lf_prepareRestart(reason, parametersPath); });
    }
    if (!restart) {
        g_restartPending = false;
        if (reason == ExitReason::NewFlight) {
            closingStep([] {
                gf_setStatus(fmt::format("New flight detected, {} will close, please restart manually ...", kProgramName),
                             true);
                sleepUnlessClosed(kNewFlightNotice);
            });
        }
    }
    // Flushed before the message: after it the main thread may end the process.
    gf_flushLog();
    platform::postAppMessage(restart ? WM_APP_START : WM_APP_QUIT);
}

bool lf_restartCountdown() {
    const std::int32_t delay = g_restartDelay;
    if (delay < 1) return !g_closeRequested;
    gf_log(fmt::format("Restarting after {} seconds", delay));
    gf_log(std::string(48, '-'));
    for (std::int32_t k = delay; k >= 1; --k) {
        gf_setStatus(fmt::format("Restarting after {} second{}", k, gf_plural(k)), false);
        if (!sleepUnlessClosed(kOneSecond)) {
            gf_log("Restart cancelled: the window was closed");
            return false;
        }
    }
    gf_log("Restart countdown finished");
    return true;
}

bool lf_resetRun() {
    RunJobs& jobs = g_runJobs;
    jobs.resetFeedState();
    jobs.resetSimLink();
    jobs.resetTraffic();
    gf_resetStatusLine();
    lf_resetWindowState();
    const bool closed = g_closeRequested.exchange(false);
    g_stopRequested = false;
    g_exitReason = ExitReason::NotYetSet;
    g_flightPaused = false;
    jobs.clearUserRef();
    g_rtLevel2 = false;
    g_staticUpdateRequest = false;
    g_seconds = 0;
    g_staticUpdatePending = false;
    g_blockingChanged = false;
    if (closed) {
        // The close came while the run was being reset: end as the close asked.
        g_closeRequested = true;
        g_stopRequested = true;
        g_exitReason = ExitReason::UserClosedSim;
    }
    return !closed;
}
