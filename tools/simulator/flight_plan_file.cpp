#include "tools/simulator/flight_plan_file.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>

#include "foundation/text_convert.h"

namespace simulator {

FlightPlanSummary readFlightPlanFile(const std::filesystem::path& path) {
    FlightPlanSummary plan;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        plan.error = "the file does not exist";
        return plan;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) {
        plan.error = fmt::format("not well-formed XML: {} at byte {}", parsed.description(), parsed.offset);
        return plan;
    }
    const pugi::xml_node root = document.child("SimBase.Document");
    if (!root || std::string(root.attribute("Type").value()) != "AceXML") {
        plan.error = "no SimBase.Document element of Type \"AceXML\"";
        return plan;
    }
    const pugi::xml_node flightPlan = root.child("FlightPlan.FlightPlan");
    if (!flightPlan) {
        plan.error = "no FlightPlan.FlightPlan element";
        return plan;
    }
    plan.type = flightPlan.child_value("FPType");
    if (plan.type != "IFR" && plan.type != "VFR") {
        plan.error = fmt::format("FPType '{}' is neither IFR nor VFR", plan.type);
        return plan;
    }
    plan.departure = flightPlan.child_value("DepartureID");
    plan.destination = flightPlan.child_value("DestinationID");
    plan.ok = true;
    return plan;
}

std::filesystem::path hostPath(const std::string& clientPath, const std::filesystem::path& winePrefix) {
    const bool drive = clientPath.size() > 2 && std::isalpha(static_cast<unsigned char>(clientPath[0])) &&
                       clientPath[1] == ':' && (clientPath[2] == '\\' || clientPath[2] == '/');
    if (winePrefix.empty() || !drive) return gf_utf8Path(clientPath);
    std::string rest = clientPath.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(clientPath[0])));
    return winePrefix / "dosdevices" / (std::string(1, letter) + ":") / gf_utf8Path(rest);
}

}  // namespace simulator
