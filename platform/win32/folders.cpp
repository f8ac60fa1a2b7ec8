#include "platform/folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace platform {

std::filesystem::path roamingAppDataFolder() {
    PWSTR raw = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &raw)) && raw != nullptr)
        result = std::filesystem::path(raw);
    CoTaskMemFree(raw);
    return result;
}

}  // namespace platform
