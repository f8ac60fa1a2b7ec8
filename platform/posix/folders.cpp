#include "platform/folders.h"

#include <cstdlib>

namespace platform {

std::filesystem::path roamingAppDataFolder() {
    for (const char* name : {"APPDATA", "XDG_CONFIG_HOME"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return std::filesystem::path(value);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::filesystem::path(home) / ".config";
    return {};
}

}  // namespace platform
