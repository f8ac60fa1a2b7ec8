// Well-known folders of the user.
#pragma once

#include <filesystem>

namespace platform {

// The roaming application-data folder, or an empty path when it is unknown.
// Windows: FOLDERID_RoamingAppData. POSIX: $APPDATA, else $XDG_CONFIG_HOME,
// else $HOME/.config.
std::filesystem::path roamingAppDataFolder();

}  // namespace platform
