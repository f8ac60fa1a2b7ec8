// A known folder of the Windows shell (SHGetKnownFolderPath); the win32 seams share it.
#pragma once

#include <windows.h>
#include <knownfolders.h>

#include <filesystem>

namespace platform {

// The folder's path, or an empty path when the shell does not know it.
std::filesystem::path knownFolderPath(const GUID& id);

}  // namespace platform
