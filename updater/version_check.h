// The version check at start: the download site's version list
// ("versions.json") names the newest program version and the newest version
// of five data sets; newer data files are downloaded, the livery and add-on
// airport scans switched on when their data changed, and a newer program is
// downloaded and prepared for the user to install.
#pragma once

#include <filesystem>
#include <string>

#include "foundation/version.h"
#include "settings/file_names.h"

// The version list as it is stored in the working folder while it is read.
inline constexpr const char* kVersionListName = "versions.json";

// Downloads the version list and handles its items in the order "p3d",
// "airports", "aig", "liveries", "addons", "dbase"; the version settings are
// saved to the parameters file. False when a newer program version was
// downloaded and prepared: the stop has then been requested with NEW VERSION
// (unless a stop was requested before) and the run must end. True otherwise,
// also when the site cannot be reached or its list cannot be read. Throws
// vlt::UserErrorException 112 when the newer program could not be
// downloaded or unpacked.
bool gf_checkVersions(const std::filesystem::path& parametersPath = g_parametersPath);

// Web version W is newer than local version L (major, then minor, then patch).
bool lf_isNewer(const VersionData& web, const VersionData& local);

// "{} updated to {}", "{} version up-to-date", and the marked "{} version not found".
void lf_logUpdated(const std::string& item, const VersionData& version);
void lf_logUpToDate(const std::string& item);
void lf_logVersionNotFound(const std::string& item);
