// The start-up's preparation of the run's data: settings, controls, folders,
// version check, data base, airport list and the simulator's install path,
// the end of a production run, and whether RealTraffic runs on this PC.
#include <fmt/format.h>

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/closing_down.h"
#include "app/run_jobs.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/start_up.h"
#include "foundation/log.h"
#include "foundation/sim_registry.h"
#include "foundation/text_convert.h"
#include "foundation/time_texts.h"
#include "foundation/user_error.h"
#include "rtlink/state.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

bool anyFolderSet(const std::array<StringParam*, 10>& folders) {
    for (const StringParam* folder : folders)
        if (!folder->value.get().empty()) return true;
    return false;
}

// ALL_INSTALL_PATH emptied and shown: the user is to type the path there.
[[noreturn]] void throwNoInstallPath() {
    ALL_INSTALL_PATH.value = std::string();
    gf_showParamText(ALL_INSTALL_PATH);
    throw vlt::UserErrorException(151, "No P3D install path detected. Type the full Install Path above, then press Enter");
}

}  // namespace

bool lf_readDataFiles(const fs::path& programFolder) {
    RunJobs& jobs = g_runJobs;
    const fs::path parametersPath = programFolder / g_parametersXmlName;
    gf_initParameters(parametersPath);
    platform::invalidateBand(kIndicatorsBand);
    gf_flushLog();
    lf_fillRadiusCombo();
    lf_createDataFolders();
    // A restart uses what the first start of the process fetched.
    if (!g_restartPending && !jobs.checkVersions(parametersPath)) return false;
    g_daySlot = gf_dayAndHalfHour();
    if (!g_dbaseRead) {
        if (!jobs.readDbase()) throw std::runtime_error("reading data files failed!");
        g_dbaseRead = true;
    }
    if (!jobs.readAirports()) throw std::runtime_error(fmt::format("reading '{}' failed!", gf_pathToUtf8(g_airportsEncPath)));

    ALL_INSTALL_PATH.value = SIM_INSTALL_PATH.value.get();
    {
        ControlUpdateBatch batch;
        batch.enableControl(ALL_INSTALL_PATH, true);
        batch.showText(ALL_INSTALL_PATH);
        batch.apply();
    }
    if (ALL_INSTALL_PATH.value.get().empty()) lf_detectP3D(parametersPath);
    platform::invalidateBand(kControlsBand);

    if (g_productionMode) {
        lf_endProductionRun();
        return false;
    }
    g_rtLocal = lf_detectRealTraffic(programFolder.parent_path());
    gf_flushLog();
    return true;
}

void lf_createDataFolders() {
    for (const fs::path* folder : {&g_outputFolder, &g_infoFolder, &g_errorsFolder, &g_airportsFolder, &g_learnedFolder,
                                   &g_learnedStockFolder, &g_learnedSimaddonFolder, &g_learnedThirdpartyFolder,
                                   &g_myOrbxFolder, &g_myThirdpartyFolder, &g_myRegcodesFolder})
        if (!fs::is_directory(*folder)) fs::create_directories(*folder);
    if (fs::exists(g_objectIdListPath)) fs::remove(g_objectIdListPath);
}

void lf_detectP3D(const fs::path& parametersPath) {
    const int k = (g_p3dV6Installed ? 6 : 0) + (g_p3dV5Installed ? 5 : 0);
    if (k == 11)
        throw vlt::UserErrorException(
            153, "More than one P3D version detected. Type the full Install Path to the wanted version above, then press Enter");
    if (k == 0) {
        gf_setStatus("P3D not detected?", true);
        // Add-on folders alone are enough to run on.
        if (anyFolderSet(g_afolderParams) || anyFolderSet(g_lfolderParams)) return;
        throwNoInstallPath();
    }
    const std::string path = wide_to_utf8(gf_simInstallPath(k));
    gf_log(fmt::format("P3Dv{} detected", k));
    if (path.empty()) throwNoInstallPath();
    ALL_INSTALL_PATH.value = path;
    gf_showParamText(ALL_INSTALL_PATH);
    gf_setStringParam(SIM_INSTALL_PATH, path, parametersPath);
}

void lf_endProductionRun() {
    try {
        g_exitCode = 0;
        gf_requestEnd();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception {}", e.what()));
        g_exitCode = 1;
    }
}

void lf_checkSceneryPath() {
    const std::string installPath = SIM_INSTALL_PATH.value.get();
    const fs::path scenery = gf_utf8Path(installPath) / "Scenery";
    // Without an install path there is no stock scenery to keep out of the
    // add-on scan (a bare "Scenery" would match every add-on folder so named).
    g_stockSceneryPath = installPath.empty() ? fs::path() : scenery;
    if (!fs::exists(scenery))
        gf_setStatus(fmt::format("Stock airports path does not exist: {}", gf_pathToUtf8(scenery)), true);
}

void lf_fillRadiusCombo() {
    ControlUpdateBatch batch;
    // The boxes of the aircraft categories are the livery processing's: it
    // disables one whose kind has no livery, and runs once per process, so
    // a restart must leave them as it left them.
    for (CheckBoxParam* box : g_checkBoxParams)
        if (box != &LIGHT_AIRCRAFT && box != &HELICOPTERS && box != &HIGH_PERF_AIRCRAFT) batch.enableControl(*box, true);
    for (ChoiceParam* choice : {&MATCHING_DEPTH, &RANGE, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE,
                                &AIRP_HEIGHT, &parking_percentage}) {
        batch.fillChoice(*choice);
        batch.enableControl(*choice, true);
    }
    batch.fillFloatChoice(AMAX_FIT_FL);
    batch.syncMaxFitChoice();
    batch.enableControl(AMAX_FIT_FL, true);
    batch.enableControl(BLOCK_CALLSIGN, true);
    // The radius is the user's choice only while the automatic radius is off.
    batch.enableControl(RANGE, !AUTO_RANGE.value);
    batch.enableControl(AR_ABOVE_HEIGHT, AUTO_RANGE.value);
    batch.apply();
    g_infoSimNumber = 3;
}

bool lf_detectRealTraffic(const fs::path& roamingFolder) {
    const bool local = fs::exists(roamingFolder / g_insideSystemsName / kRealTrafficMarker);
    gf_setStatus(fmt::format("RealTraffic {}detected at this PC", local ? "" : "not "), true);
    return local;
}
