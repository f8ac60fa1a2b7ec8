// The replayed traffic a run is compared with: the positions the stand-in
// RealTraffic sent, by callsign (the tail number of the AI object the program
// made of it). The map draws them next to the AI tracks, and the summary
// tells per AI object which phases it reached and how far it strayed from its
// replayed track while airborne.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace simulator {

struct ReferencePoint {
    std::string tail;
    double latitude = 0, longitude = 0, altitudeFt = 0;
};

struct Simulation;
struct AiObject;
struct World;

// Lines "TAIL LAT LON ALT_FT"; empty lines and lines starting with '#' are
// skipped. Throws std::runtime_error naming the line that does not read.
std::vector<ReferencePoint> readReferenceText(const std::string& text);

// The replayed points of one tail number, in file order.
std::vector<const ReferencePoint*> referenceOf(const std::vector<ReferencePoint>& points, const std::string& tail);

struct ObjectSummary {
    bool airborne = false;  // some track point was off the ground
    bool landed = false;    // on the ground again after that
    bool removed = false;
    bool hasReference = false;
    double largestAirborneOffsetM = 0;  // from the replayed track's polyline
    double largestPastEndM = 0;         // points nearest to its end and beyond it (the path extended)
};

ObjectSummary summariseObject(const World& world, const AiObject& object, const std::vector<ReferencePoint>& points);
// One line per AI object the clients created.
std::string summaryText(const Simulation& sim);

}  // namespace simulator
