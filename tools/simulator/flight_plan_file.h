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

// Where the stand-in finds a file the client names. A client under Wine
// names it by its Windows path ("C:\users\...\108.pln"), which the native
// stand-in reads through the prefix's drive links (<prefix>/dosdevices/c:/...);
// without a prefix, or for a path without a drive letter, the path as given.
std::filesystem::path clientFilePath(const std::string& utf8Path, const std::filesystem::path& winePrefix);

}  // namespace simulator
