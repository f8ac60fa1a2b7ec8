#include "platform/folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace platform {

namespace {
std::filesystem::path knownFolder(const KNOWNFOLDERID& id) {
    PWSTR raw = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw)) && raw != nullptr) result = std::filesystem::path(raw);
    CoTaskMemFree(raw);
    return result;
}
}  // namespace

std::filesystem::path roamingAppDataFolder() { return knownFolder(FOLDERID_RoamingAppData); }
std::filesystem::path publicDocumentsFolder() { return knownFolder(FOLDERID_PublicDocuments); }
std::filesystem::path documentsFolder() { return knownFolder(FOLDERID_Documents); }
std::filesystem::path programFilesFolder() { return knownFolder(FOLDERID_ProgramFiles); }
std::filesystem::path programFilesX86Folder() { return knownFolder(FOLDERID_ProgramFilesX86); }

}  // namespace platform
