// The JSON-lines record of a run: one line per packet received, per message
// sent, per client fault and per notable event, written and flushed as it
// happens so a crashed or killed run still leaves its trail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

namespace simulator {

struct Recorder {
    std::ofstream file;
    std::uint64_t lines = 0;
};

// Throws std::runtime_error when the file cannot be created.
void openRecorder(Recorder& recorder, const std::filesystem::path& path);
// Writes the line after its sequence number "seq"; does nothing while no
// file is open.
void recordLine(Recorder& recorder, const nlohmann::ordered_json& line);

}  // namespace simulator
