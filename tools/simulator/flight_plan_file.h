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

// Where a client's path is on this machine: with a Wine prefix, a path with a
// drive letter ("C:\\a\\b.pln") lies under the prefix's dosdevices ("c:/a/b.pln");
// any other path is taken as it is.
std::filesystem::path hostPath(const std::string& clientPath, const std::filesystem::path& winePrefix);

}  // namespace simulator
