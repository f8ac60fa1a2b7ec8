#include "app/start_up.h"

#include <fmt/format.h>

#include <exception>
#include <string>
#include <thread>

#include "app/closing_down.h"
#include "app/run_flags.h"
#include "app/run_loop.h"
#include "app/state.h"
#include "app/status_line.h"
#include "foundation/log.h"
#include "foundation/user_error.h"

namespace {
std::jthread g_startUpThread;  // window thread only

std::string textOf(const std::exception& e) {
    const std::string text = e.what();
    return text.empty() ? std::string("Unknown exception") : text;
}

// A failure of the data preparation or the run: the reason SYSTEM ERROR
// when it is the first stop trigger.
void stopAsSystemError(const std::string& text) {
    gf_setError(text);
    gf_requestStop(ExitReason::SystemError, 0);
}

// Shows the exception being handled on the error line and records the reason.
void lf_showCurrentException() {
    try {
        throw;
    } catch (const vlt::UserErrorException& e) {
        // What the user must fix ends the run as a SYSTEM ERROR whatever came
        // before, without touching the stop flag (a typed install path may
        // still restart the run).
        gf_setError(textOf(e));
        g_exitReason = ExitReason::SystemError;
    } catch (const fmt::format_error& e) {
        stopAsSystemError(std::string("std::format error: ") + e.what());
    } catch (const std::exception& e) {  // std::bad_alloc too
        stopAsSystemError(textOf(e));
    } catch (...) {
        gf_setError("Unknown exception");
        g_exitReason = ExitReason::SystemError;
    }
}
}  // namespace

void lf_startUpVLNT() {
    try {
        lf_runLoop();
    } catch (...) {
        lf_reportStartUpException();
    }
    gf_flushLog();
    lf_closingDown();
}

void lf_reportStartUpException() noexcept {
    try {
        lf_showCurrentException();
    } catch (...) {
        // Even showing it failed (no memory): the run still ends as a SYSTEM ERROR.
        g_exitReason = ExitReason::SystemError;
    }
    // A production run has nobody to read the error line: it fails at once.
    if (g_productionMode) g_exitCode = 1;
}

void lf_onAppStart() {
    if (g_startUpThread.joinable()) g_startUpThread.join();
    g_startUpThread = std::jthread(lf_startUpVLNT);
}

void lf_joinStartUpThread() {
    if (g_startUpThread.joinable()) g_startUpThread.join();
}
