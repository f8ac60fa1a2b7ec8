#include "platform/folders.h"

#include "platform/win32/known_folder.h"

namespace platform {

std::filesystem::path roamingAppDataFolder() { return knownFolderPath(FOLDERID_RoamingAppData); }
std::filesystem::path publicDocumentsFolder() { return knownFolderPath(FOLDERID_PublicDocuments); }
std::filesystem::path documentsFolder() { return knownFolderPath(FOLDERID_Documents); }

}  // namespace platform
