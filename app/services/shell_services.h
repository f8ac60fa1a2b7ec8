// Small services of the desktop shell that the scans use: showing the folder
// of parameters.xml or of the manual.
#pragma once

#include <filesystem>

#include "settings/file_names.h"

// Open the folder of parameters.xml, or of docs/Manual.pdf in the current
// folder, in the file manager; a failure is shown in a warning message box.
bool gf_openParametersFolder(const std::filesystem::path& parametersPath = g_parametersPath);
bool gf_openManual();
