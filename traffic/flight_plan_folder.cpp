#include "traffic/flight_plan_folder.h"

#include <fmt/format.h>

#include <system_error>

#include "foundation/log.h"

namespace fs = std::filesystem;

fs::path g_flightPlanFolder;

bool gf_createFlightPlanFolder(const fs::path& appDataFolder) {
    g_flightPlanFolder = appDataFolder / "orig_dest";
    std::error_code ec;
    fs::create_directories(g_flightPlanFolder, ec);
    if (ec) gf_log(fmt::format("gf_createFlightPlanFolder: {}", ec.message()));
    return fs::exists(g_flightPlanFolder);
}

void gf_removeFlightPlanFolder() {
    if (g_flightPlanFolder.empty() || !fs::exists(g_flightPlanFolder)) return;
    std::error_code ec;
    fs::remove_all(g_flightPlanFolder, ec);
    if (ec) gf_log(fmt::format("gf_removeFlightPlanFolder: {}", ec.message()));
}
