// A newer program version: the release archive is downloaded, its installer
// unpacked and moved, size-checked, into the folder "new_version", where the
// user is sent to run it.
#pragma once

#include "foundation/version.h"

inline constexpr const char* kReleaseArchiveName = "latest_version.zip";
inline constexpr const char* kReadmeName = "README.txt";

// Downloads and unpacks the installer into "new_version" (paths relative to
// the working folder). True when the installer stands there. On any failure
// of the download or the archive, the archive and the unpacked installer are
// removed, so no stale or truncated installer is ever moved into place.
bool lf_downloadNewProgram(const VersionData& webVersion);

// The whole new-program sequence: lf_downloadNewProgram (its failure throws
// vlt::UserErrorException 112), the release notes, README.txt with the
// installer's rights, the folder opened in the explorer, and the stop
// requested with NEW VERSION. Returns false: the run ends.
bool lf_prepareNewVersion(const VersionData& webVersion);
