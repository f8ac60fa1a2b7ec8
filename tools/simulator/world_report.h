// What a person looks at after a run: the world as JSON (user aircraft, every
// AI object with its state and track, the clients served, the faults) and an
// SVG map of the tracks (track_map.h).
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/simulator/simulation.h"

namespace simulator {

nlohmann::ordered_json worldJson(const Simulation& sim);

// Writes a text file through a temporary file; false when that fails.
bool writeTextFile(const std::filesystem::path& path, const std::string& text);

// Writes the world file and the map file the configuration names (each
// through a temporary file); false when one could not be written.
bool writeReports(const Simulation& sim);

}  // namespace simulator
