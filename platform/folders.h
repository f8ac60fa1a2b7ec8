// Well-known folders of the user.
#pragma once

#include <filesystem>

namespace platform {

// The roaming application-data folder, or an empty path when it is unknown.
// Windows: FOLDERID_RoamingAppData. POSIX: $APPDATA, else $XDG_CONFIG_HOME,
// else $HOME/.config.
std::filesystem::path roamingAppDataFolder();

// The Public Documents folder, or an empty path when it is unknown.
// Windows: FOLDERID_PublicDocuments. POSIX: $PUBLIC/Documents (Windows names
// the public profile folder PUBLIC), else none.
std::filesystem::path publicDocumentsFolder();

// The user's Documents folder, or an empty path when it is unknown.
// Windows: FOLDERID_Documents. POSIX: $XDG_DOCUMENTS_DIR, else $HOME/Documents.
std::filesystem::path documentsFolder();

}  // namespace platform
