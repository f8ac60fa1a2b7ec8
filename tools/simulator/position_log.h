// Where each AI object is, twice a second by this PC's clock. The stand-in's
// own clock stops while paused and falls behind after a stall; this one lets
// a run be laid beside what a replayed feed sent at the same moment.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/simulator/world.h"

namespace simulator {

inline constexpr const char* kPositionLogHeader = "unix_s,object_id,tail,lat,lon,altitude_ft,heading_deg,on_ground";
inline constexpr double kPositionLogInterval = 0.5;  // seconds

struct PositionLog {
    std::ofstream file;
    double nextAt = 0;  // Unix seconds of the next lines
};

// Creates the file with its header line; throws std::runtime_error when it cannot.
void openPositionLog(PositionLog& log, const std::filesystem::path& path);
// One line per live AI object a client created (kPositionLogHeader):
// on_ground 1 when it stands on the terrain.
std::string positionLines(const World& world, double unixSeconds);
// Writes the lines when the interval has passed since the last ones; does
// nothing while no file is open.
void notePositions(PositionLog& log, const World& world, double unixSeconds);

}  // namespace simulator
