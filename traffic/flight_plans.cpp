#include "traffic/flight_plans.h"

#include <fmt/format.h>

#include <fstream>
#include <system_error>

#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/files.h"
#include "traffic/aircraft_records.h"
#include "traffic/ac_texts.h"
#include "traffic/flight_plan_folder.h"
#include "traffic/engine_services.h"

namespace fs = std::filesystem;

namespace {

// Airliners fly by instruments, the others by sight.
const char* flightRules(SizeCategory category) {
    return category == SizeCategory::Buzjets || category == SizeCategory::Large || category == SizeCategory::Heavy
               ? "IFR"
               : "VFR";
}

}  // namespace

fs::path gf_flightPlanPath(std::uint32_t objectId) { return g_flightPlanFolder / fmt::format("{}.pln", objectId); }

bool gf_writeFlightPlan(const fs::path& path, const AcBase& aircraft) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) return false;
    file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
         << "<FlightPlan.FlightPlan>\n"
         << "<FPType>" << flightRules(aircraft.sizeCategory) << "</FPType>\n"
         << "<DepartureID>" << aircraft.origin.text() << "</DepartureID>\n"
         << "<DestinationID>" << aircraft.destination.text() << "</DestinationID>\n"
         << "</FlightPlan.FlightPlan>\n"
         << "</SimBase.Document>\n"
         << "\n";
    return true;
}

std::string lf_simPathText(const fs::path& path, const std::function<fs::path(const fs::path&)>& shortPath) {
    const std::string text = gf_pathToUtf8(path);
    if (gf_utf8ToAnsi(text)) return text;
    const fs::path shortForm = shortPath(path);
    return shortForm.empty() ? text : gf_pathToUtf8(shortForm);
}

void lf_createFlightPlan(LiveAc& aircraft) {
    if (!aircraft.origin.isSet() || !aircraft.destination.isSet()) return;
    const fs::path path = gf_flightPlanPath(aircraft.objectId);
    if (gf_writeFlightPlan(path, aircraft)) {
        const std::string pathText = lf_simPathText(path, platform::shortPathName);
        if (g_engineServices.setFlightPlan(aircraft.objectId, pathText) == 0) {
            aircraft.hasFlightPlan = 1;
            return;
        }
    }
    gf_logMarked(fmt::format("{} creating a flight plan failed", gf_acRegText(aircraft)));
    aircraft.hasFlightPlan = 0;
}

void gf_removeFlightPlan(std::uint32_t objectId) {
    std::error_code error;
    if (fs::remove(gf_flightPlanPath(objectId), error)) return;
    if (!error) error = std::make_error_code(std::errc::no_such_file_or_directory);
    gf_log(fmt::format("gf_removeFlightPlan: {}", error.message()));
}
