#include "tools/simulator/transport_common.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "tools/simulator/config.h"

namespace simulator {

std::string barePipeName(const std::string& name) {
    static const std::string prefix = "\\\\.\\pipe\\";
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) return name.substr(prefix.size());
    return name;
}

std::filesystem::path pipeSocketPath(const std::string& pipeName, const std::filesystem::path& folder) {
    std::filesystem::path dir = folder;
    for (const char* variable : {"VLNT_PIPE_DIR", "XDG_RUNTIME_DIR"}) {
        if (!dir.empty()) break;
        if (const char* value = std::getenv(variable); value != nullptr && *value != 0) dir = value;
    }
    if (dir.empty()) dir = std::filesystem::temp_directory_path();
    std::string file = barePipeName(pipeName);
    for (char& c : file)
        if (c == '\\' || c == '/') c = '_';
    return dir / file;
}

void openConfiguredListeners(const SimulatorConfig& config, Endpoints& endpoints, const std::function<void()>& tcp4,
                             const std::function<void()>& tcp6, const std::function<void()>& pipe,
                             const std::function<bool()>& opened) {
    const auto attempt = [&](bool explicitly, const std::function<void()>& open) {
        try {
            open();
        } catch (const std::runtime_error& e) {
            if (explicitly) throw;
            endpoints.warnings.push_back(e.what());
        }
    };
    if (config.tcp4) attempt(config.port4 != 0, tcp4);
    if (config.tcp6) attempt(config.port6 != 0, tcp6);
    if (config.pipe) attempt(true, pipe);
    if (opened()) return;
    std::string why;
    for (const std::string& w : endpoints.warnings) why += "; " + w;
    throw std::runtime_error("nothing to listen on" + why);
}

void drainBeforeClose(Connection& connection) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    std::vector<std::uint8_t> discard;
    while (std::chrono::steady_clock::now() < deadline) {
        discard.clear();
        if (connection.read(discard, 50) == ReadStatus::Closed) return;
    }
}

}  // namespace simulator
