#include "platform/win32/known_folder.h"

#include <shlobj.h>

namespace platform {

std::filesystem::path knownFolderPath(const GUID& id) {
    PWSTR raw = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw)) && raw != nullptr) result = std::filesystem::path(raw);
    CoTaskMemFree(raw);
    return result;
}

}  // namespace platform
