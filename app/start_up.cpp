#include "app/start_up.h"

#include <fmt/format.h>

#include <exception>
#include <filesystem>
#include <string>
#include <thread>

#include "airports/state.h"
#include "app/closing_down.h"
#include "app/destination.h"
#include "app/run_jobs.h"
#include "app/run_loop.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "traffic/flight_plan_folder.h"

namespace fs = std::filesystem;

namespace {
std::jthread g_startUpThread;  // window thread only

// How the start-up's steps end: in closing down, or through the stop path first.
enum class StartUpEnd { closeDown, stopPath };

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

// The program must run from its install folder, which holds "docs".
void lf_requireDocsFolder() {
    if (!fs::is_directory(fs::status(g_docsFolderName)))
        throw vlt::UserErrorException(41, fmt::format("{} must be run from the {} folder!", kProgramName, kProgramName));
}

// The stop path: a stop or close came while the start-up waited. The run
// ends as the user closing it, unless another trigger stopped it first: a
// trigger that restarts the run (a scan box, a link error) still restarts
// it, and NEW FLIGHT still shows its notice.
void lf_stopPath() {
    if (!g_stopRequested || g_closeRequested) gf_requestEnd();
}

// The livery scan (when asked for, or when there is no scan result yet), the
// processing of the scanned liveries, and the add-on airport scan; what they
// switch off or record goes to the run's parameters file.
void lf_scans(const fs::path& parametersPath) {
    RunJobs& jobs = g_runJobs;
    const unsigned processors = std::thread::hardware_concurrency();
    g_scanLimit = processors == 0 ? 2 : static_cast<std::int32_t>(processors);
    g_runningScans = 0;
    if (SCAN_LIVERIES.value || !fs::exists(g_liveriesScannedPath)) jobs.scanLiveries(parametersPath);
    if (g_liveryReprocessRequest.exchange(false)) jobs.resetLiveryProcessing();
    // A stopped scan wrote no results: their processing would fail and turn
    // the stop (often a restart for new settings) into a SYSTEM ERROR.
    if (!gf_stopping()) jobs.processScannedLiveries(parametersPath);
    if (!gf_stopping() && SCAN_AIRPORTS.value) {
        g_simAddonAirportCount = 0;
        g_thirdPartyAirportCount = 0;
        platform::invalidateBand(kIndicatorsBand);
        jobs.scanAddonAirports(parametersPath);
    }
}

// The destination typed in an earlier run, when the airport list knows it.
void lf_restoreDestination(const fs::path& parametersPath) {
    const std::string destination = DESTINATION.value.get();
    if (destination.empty()) return;
    if (const AirportRecord* airport = lf_findAirport(destination))
        lf_showDestination(AirportCode(destination).text(), *airport, parametersPath);
}

StartUpEnd lf_startUpSteps(const fs::path& programFolder) {
    RunJobs& jobs = g_runJobs;
    const fs::path parametersPath = programFolder / g_parametersXmlName;
    lf_requireDocsFolder();
    if (!lf_readDataFiles(programFolder)) return StartUpEnd::closeDown;
    lf_checkSceneryPath();
    lf_scans(parametersPath);
    if (gf_stopping()) return StartUpEnd::stopPath;
    g_thirdPartyAirportCount = gf_countDirectoryEntries(g_myThirdpartyFolder);
    g_simAddonAirportCount = gf_countDirectoryEntries(g_myOrbxFolder);
    platform::invalidateBand(kIndicatorsBand);
    if (gf_stopping()) return StartUpEnd::stopPath;
    gf_createFlightPlanFolder(programFolder);
    jobs.readMyParkAirports();
    {
        ControlUpdateBatch batch;
        batch.enableControl(g_rereadButton, true);
        batch.apply();
    }
    lf_restoreDestination(parametersPath);
    platform::setTopmost(ALWAYS_ON_TOP.value);
    if (!lf_startWorkers()) return StartUpEnd::stopPath;
    lf_runLoop();
    return StartUpEnd::closeDown;
}
}  // namespace

void lf_startUpVLNT(const fs::path& programFolder) {
    try {
        if (lf_startUpSteps(programFolder) == StartUpEnd::stopPath) lf_stopPath();
    } catch (...) {
        lf_reportStartUpException();
    }
    gf_flushLog();
    lf_closingDown(programFolder / g_parametersXmlName);
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
    g_startUpThread = std::jthread([] { lf_startUpVLNT(); });
}

void lf_joinStartUpThread() {
    if (g_startUpThread.joinable()) g_startUpThread.join();
}
