// The stands of the airport the user is parked at, as an airport's stand
// file gives them, and what the AI objects did there: the stand each one
// was created on and left, the stand it came to rest on, and an SVG map of
// the stands with the objects' tracks on the ground.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/simulator/world.h"

namespace simulator {

struct StandPlace {
    std::string name;
    double latitude = 0, longitude = 0;  // degrees
    double headingDeg = 0;
    double radiusM = 0;
};

// The parkpos elements of an airport stand file; throws std::runtime_error
// when the file cannot be read or holds no stand.
std::vector<StandPlace> readStandFile(const std::filesystem::path& file);

// The stand whose circle holds the position, the nearest of several; null when none does.
const StandPlace* standAt(const std::vector<StandPlace>& stands, double latitude, double longitude);

// One AI object at the stands: where it was created (and whether it left
// that stand) and where it came to rest.
struct StandVisit {
    std::uint32_t id = 0;
    std::string tail;         // UTF-8
    std::string createdOn;    // empty: not created on a stand
    bool leftIt = false;      // it moved out of that stand's circle
    std::string cameToRest;   // empty: its last position is on no stand
};
// groundLimitFt: the highest altitude of a point on the ground.
std::vector<StandVisit> standVisits(const World& world, const std::vector<StandPlace>& stands, double groundLimitFt);
// One line per AI object that was created on a stand or came to rest on one.
std::string standReport(const std::vector<StandVisit>& visits);

// The stands near the objects' ground tracks, each a circle of its radius
// with its heading and name, and the tracks on the ground over them.
std::string groundMapSvg(const World& world, const std::vector<StandPlace>& stands, double groundLimitFt);

}  // namespace simulator
