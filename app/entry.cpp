#include "app/entry.h"

#include <fmt/format.h>

#include <exception>
#include <optional>

#include "app/command_line.h"
#include "app/service_wiring.h"
#include "app/services/state.h"
#include "app/services/window_messages.h"
#include "app/tick_stats.h"
#include "foundation/log.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/single_instance.h"
#include "platform/window_host.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
std::optional<bool> g_productionSwitch;  // main thread only, between the two steps below
}

int gf_runEntry(const std::function<int()>& body, const std::string& mutexName) {
    if (!platform::claimSingleInstance(mutexName)) return -1;
    gf_connectFoundation();
    try {
        gf_openLog();
    } catch (const std::exception& e) {
        platform::showWarning(kMessageBoxTitle, e.what());
        return 1;
    }
    return body();
}

fs::path gf_appDataPath() {
    fs::path folder = platform::roamingAppDataFolder();
    if (folder.empty()) gf_logMarked("Could not find the AppData path");
    return folder;
}

void lf_prepareMainBody(const std::vector<std::string>& arguments) {
    g_productionSwitch = lf_productionSwitch(arguments);
    lf_readCountersFileName();
    gf_appDataPath();
    try {
        if (!fs::exists(g_appDataFolder)) fs::create_directories(g_appDataFolder);
    } catch (const fs::filesystem_error& e) {
        gf_log(fmt::format("Failed to create directory: {}", e.what()));
    }
}

void lf_startMainBody() {
    if (g_productionSwitch.value_or(false)) g_productionMode = true;
    platform::postAppMessage(WM_APP_START);
}
