#include "foundation/downloader.h"

#include <fmt/format.h>

#include <mutex>
#include <stdexcept>
#include <system_error>

#include "foundation/download_site.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {
std::mutex g_limitsMutex;
DownloadLimits g_limits;  // any thread; guarded by g_limitsMutex

std::string utf8(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

void setOption(CURL* handle, CURLoption option, auto value) {
    const CURLcode result = curl_easy_setopt(handle, option, value);
    if (result != CURLE_OK) throw std::runtime_error(curl_easy_strerror(result));
}
}  // namespace

CurlHandle gf_makeCurlHandle() {
    // curl_global_init is not thread-safe; the easy handles are made on several threads.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

DownloadLimits gf_downloadLimits() {
    const std::lock_guard lock(g_limitsMutex);
    return g_limits;
}

void gf_setDownloadLimits(const DownloadLimits& limits) {
    const std::lock_guard lock(g_limitsMutex);
    g_limits = limits;
}

bool lf_closeFile(std::FILE* file) { return file == nullptr || std::fclose(file) == 0; }

std::size_t Downloader::writeCallback(char* data, std::size_t size, std::size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

bool Downloader::download(const std::string& url, const fs::path& outputPath, bool raw) {
    if (handle_ == nullptr) return false;
    const fs::path partial = gf_temporarySibling(outputPath, ".part");
    StdioFile file;
    try {
        file = gf_openStdioFile(partial, raw ? "wb" : "w");
        if (!file) {
            gf_log(fmt::format("Could not open output file: {}", utf8(outputPath)));
            return false;
        }
        const DownloadLimits limits = gf_downloadLimits();
        setOption(handle_, CURLOPT_URL, url.c_str());
        setOption(handle_, CURLOPT_USERAGENT, "VLNT");
        setOption(handle_, CURLOPT_WRITEFUNCTION, &Downloader::writeCallback);
        setOption(handle_, CURLOPT_WRITEDATA, static_cast<void*>(file.get()));
        setOption(handle_, CURLOPT_FAILONERROR, 1L);
        setOption(handle_, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
        setOption(handle_, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
        setOption(handle_, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
        // Time-outs must not use signals: downloads run on a worker thread.
        setOption(handle_, CURLOPT_NOSIGNAL, 1L);

        const CURLcode result = curl_easy_perform(handle_);
        if (result != CURLE_OK) {
            gf_log(fmt::format("Download error: '{}' for {}", curl_easy_strerror(result), url));
            file.reset();
            gf_removeFileIfExists(partial);
            return false;
        }
        if (!lf_closeFile(file.release()))
            throw std::runtime_error("could not write " + utf8(partial));
        std::error_code error;
        if (!platform::replaceFile(partial, outputPath, error))
            throw std::runtime_error(fmt::format("could not replace the file: {}", error.message()));
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("Downloader exception: '{}', {} => {}", e.what(), url, utf8(outputPath)));
        file.reset();
        gf_removeFileIfExists(partial);
        return false;
    }
}

bool gf_downloadFromSite(std::string_view fileName, const fs::path& outputPath) {
    const CurlHandle handle = gf_makeCurlHandle();
    const std::string url = gf_siteFileUrl(fileName);
    const bool downloaded = Downloader(handle.get()).download(url, outputPath, true);
    if (downloaded)
        gf_log(fmt::format("Downloaded '{}' to '{}'", url, utf8(outputPath)));
    else
        gf_logMarked(fmt::format("Downloading '{}' failed !", url));
    return downloaded;
}
