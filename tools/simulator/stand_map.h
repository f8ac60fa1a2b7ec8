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

// How an AI object moved on the ground: the metres it covered and the
// largest angle between the way it moved and its nose (or its tail, when it
// moved backwards as in a push-back). An aircraft that slides sideways
// shows a large angle.
struct GroundMotion {
    std::uint32_t id = 0;
    std::string tail;  // UTF-8
    double metres = 0;
    double largestOffDeg = 0;
};
// Objects that moved on the ground only.
std::vector<GroundMotion> groundMotions(const World& world, double groundLimitFt);
// One line per object: "{tail} (object {id}): {m} m on the ground, heading at most {deg} degrees off the way it moved".
std::string groundMotionReport(const std::vector<GroundMotion>& motions);

// The stands near the objects' ground tracks, each a circle of its radius
// with its heading and name, and the tracks on the ground over them.
std::string groundMapSvg(const World& world, const std::vector<StandPlace>& stands, double groundLimitFt);

}  // namespace simulator
