// The file explorer and the installer's rights, as the shell offers them to
// the subsystems and to the window's commands.
#pragma once

#include <filesystem>
#include <string>

// Opens, in the file explorer, the folder that holds an existing file. False
// when the file does not exist, has no parent folder, or the shell refused.
bool gf_openFolderOf(const std::filesystem::path& file);

// How a downloaded installer must be run, for a program installed in the
// folder: as Administrator when the folder lies inside a Program Files folder,
// cannot be written and the process is not elevated; normally otherwise.
std::string gf_checkInstallRights(const std::filesystem::path& installFolder);

inline constexpr const char* kRunInstallerAsAdministrator =
    "A new version is available. Run the installer as Administrator";
inline constexpr const char* kRunInstallerNormally =
    "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";

// The decision of gf_checkInstallRights from what it found.
std::string lf_installRightsText(bool protectedFolder, bool writable, bool elevated);
// True when the folder is the parent or lies below it, comparing whole path
// components and ignoring the case of ASCII letters (Windows folder names);
// an empty parent contains nothing.
bool lf_isInsideFolder(const std::filesystem::path& folder, const std::filesystem::path& parent);
