#include "foundation/download_site.h"

#include <fmt/format.h>

#include <cstdlib>

#include "settings/program_version.h"

#ifndef VLNT_DOWNLOAD_SITE
#error "VLNT_DOWNLOAD_SITE must be defined by the build"
#endif

namespace {
constexpr std::string_view kBuiltInBase = VLNT_DOWNLOAD_SITE;
static_assert(!kBuiltInBase.empty(), "VLNT_DOWNLOAD_SITE must not be empty");
}  // namespace

std::string gf_downloadBaseUrl() {
    const char* fromEnvironment = std::getenv(kDownloadSiteVariable);
    std::string base(kBuiltInBase);
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') base = fromEnvironment;
    if (base.back() != '/') base += '/';
    return base;
}

std::string gf_siteFileUrl(std::string_view fileName) {
    return fmt::format("{}{}/{}", gf_downloadBaseUrl(), g_programVersion.major, fileName);
}

std::string gf_versionListUrl() { return gf_downloadBaseUrl() + "versions.json"; }

std::string gf_docsBaseUrl() { return gf_downloadBaseUrl() + "docs/"; }

std::string gf_releaseBaseUrl() { return gf_downloadBaseUrl() + "release/"; }

std::string gf_airportArchiveBaseUrl() { return gf_downloadBaseUrl() + "P3D/"; }
