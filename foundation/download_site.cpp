#include "foundation/download_site.h"

#include <fmt/format.h>

#include <curl/curl.h>

#include <cstdlib>

#include "foundation/log.h"
#include "foundation/log_text.h"

#include "settings/program_version.h"

#ifndef VLNT_DOWNLOAD_SITE
#error "VLNT_DOWNLOAD_SITE must be defined by the build"
#endif

namespace {
constexpr std::string_view kBuiltInBase = VLNT_DOWNLOAD_SITE;
static_assert(!kBuiltInBase.empty(), "VLNT_DOWNLOAD_SITE must not be empty");

struct UrlHandle {
    CURLU* url = curl_url();
    ~UrlHandle() { curl_url_cleanup(url); }
    UrlHandle() = default;
    UrlHandle(const UrlHandle&) = delete;
    UrlHandle& operator=(const UrlHandle&) = delete;

    // One part of the parsed address, lower case; empty when it is missing.
    std::string part(CURLUPart which) const {
        char* text = nullptr;
        if (curl_url_get(url, which, &text, 0) != CURLUE_OK || text == nullptr) return {};
        std::string value(text);
        curl_free(text);
        for (char& c : value)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return value;
    }
};

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "[::1]") return true;
    // 127.0.0.0/8 as four decimal numbers (curl has already normalised the
    // address, so "127.1" arrives here as "127.0.0.1").
    if (!host.starts_with("127.")) return false;
    int dots = 0;
    for (const char c : host) {
        if (c == '.') ++dots;
        else if (c < '0' || c > '9') return false;
    }
    return dots == 3;
}
}  // namespace

bool gf_isAllowedDownloadUrl(std::string_view url) {
    UrlHandle handle;
    if (handle.url == nullptr) return false;
    const std::string text(url);
    // Only absolute addresses with a scheme of their own.
    if (curl_url_set(handle.url, CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return false;
    const std::string scheme = handle.part(CURLUPART_SCHEME);
    const std::string host = handle.part(CURLUPART_HOST);
    if (host.empty()) return false;
    if (scheme == "https") return true;
    return scheme == "http" && isLoopbackHost(host);
}

std::string gf_downloadBaseUrl() {
    const char* fromEnvironment = std::getenv(kDownloadSiteVariable);
    std::string base(kBuiltInBase);
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        if (gf_isAllowedDownloadUrl(fromEnvironment))
            base = fromEnvironment;
        else
            gf_logMarked(fmt::format("{} '{}' is neither an https address nor one of this PC: the built-in site is used",
                                     kDownloadSiteVariable, gf_textForLog(fromEnvironment)));
    }
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
