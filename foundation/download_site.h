// Addresses on the maker's download site. Every one is built from the base
// address (ending in "/downloads/"), which the build sets (CMake cache variable
// VLNT_DOWNLOAD_SITE) and the environment variable of the same name replaces
// at run time (a mirror, or a test site on this PC). The program runs what it
// downloads from there, so the variable is taken only for an https address or
// a plain http address of this PC; any other is logged and the built-in one used.
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kDownloadSiteVariable = "VLNT_DOWNLOAD_SITE";

// The base address, always ending in "/".
std::string gf_downloadBaseUrl();
// True for an address the program may download from: https with a host, or
// http of the loopback interface (127.0.0.0/8, ::1, localhost).
bool gf_isAllowedDownloadUrl(std::string_view url);
// base + major version + "/" + file name: the data files of this program version.
std::string gf_siteFileUrl(std::string_view fileName);
// base + "versions.json": the version list.
std::string gf_versionListUrl();
// base + "docs/": release notes and other documents.
std::string gf_docsBaseUrl();
// base + "release/": the program's installer archives.
std::string gf_releaseBaseUrl();
// base + "P3D/": the archive of airport stand files.
std::string gf_airportArchiveBaseUrl();
