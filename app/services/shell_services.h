// Small services of the desktop shell that the window's commands, the scans
// and the updater use: showing a file's folder, the folder of parameters.xml
// or of the manual, and the message about the rights a new version's
// installer needs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/file_names.h"

// The title of the program's message boxes.
inline constexpr const char* kMessageBoxTitle = "VLNT";

// Opens the folder that holds the path in the file manager; false when the
// path does not exist, has no parent folder, or the shell failed.
bool gf_openFolderOf(const std::filesystem::path& path);
// The same for parameters.xml and for docs/Manual.pdf of the current folder;
// a failure is shown in a warning message box.
bool gf_openParametersFolder(const std::filesystem::path& parametersPath = g_parametersPath);
bool gf_openManual();

// What decides the installer-rights message.
struct InstallRightsProbes {
    std::vector<std::filesystem::path> protectedFolders;          // Program Files and Program Files (x86)
    std::function<bool(const std::filesystem::path&)> writable;   // a test file can be written there
    std::function<bool()> elevated;                               // the process runs elevated
};
inline constexpr const char* kInstallNeedsAdmin = "A new version is available. Run the installer as Administrator";
inline constexpr const char* kInstallNormally =
    "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";
// kInstallNeedsAdmin when the folder lies in a protected folder (whole path
// components, letter case ignored), cannot be written to and the process is
// not elevated; kInstallNormally otherwise.
std::string gf_installRightsText(const std::filesystem::path& installFolder, const InstallRightsProbes& probes);
// The same with this system's folders, write test and token.
std::string gf_checkInstallRights(const std::filesystem::path& installFolder);
