// Reading the flight-plan file a client hands to AISetAircraftFlightPlan:
// an AceXML document with a FlightPlan.FlightPlan element.
#pragma once

#include <filesystem>
#include <string>

namespace simulator {

struct FlightPlanSummary {
    bool ok = false;
    std::string error;  // why the file cannot be loaded, when not ok
    std::string type;   // "IFR" or "VFR"
    std::string departure, destination;
};

FlightPlanSummary readFlightPlanFile(const std::filesystem::path& path);

}  // namespace simulator
