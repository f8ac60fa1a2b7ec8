#include <cstdlib>

#include "tools/simulator/transport.h"

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

}  // namespace simulator
