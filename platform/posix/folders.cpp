#include "platform/folders.h"

#include <cstdlib>

namespace platform {
namespace {
std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::filesystem::path(value) : std::filesystem::path();
}
}  // namespace

std::filesystem::path roamingAppDataFolder() {
    for (const char* name : {"APPDATA", "XDG_CONFIG_HOME"})
        if (auto folder = environmentPath(name); !folder.empty()) return folder;
    const auto home = environmentPath("HOME");
    return home.empty() ? home : home / ".config";
}

std::filesystem::path publicDocumentsFolder() {
    const auto publicProfile = environmentPath("PUBLIC");
    return publicProfile.empty() ? publicProfile : publicProfile / "Documents";
}

std::filesystem::path documentsFolder() {
    if (auto documents = environmentPath("XDG_DOCUMENTS_DIR"); !documents.empty()) return documents;
    const auto home = environmentPath("HOME");
    return home.empty() ? home : home / "Documents";
}

}  // namespace platform
