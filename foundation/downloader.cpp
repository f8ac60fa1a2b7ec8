#include "foundation/downloader.h"

#include <fmt/format.h>

#include <mutex>
#include <stdexcept>
#include <system_error>

#include "foundation/download_site.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/log_text.h"
#include "foundation/strings.h"
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

std::size_t Downloader::writeCallback(char* data, std::size_t size, std::size_t count, void* sink) {
    auto& into = *static_cast<DownloadSink*>(sink);
    const std::uint64_t bytes = static_cast<std::uint64_t>(size) * count;
    if (into.written + bytes > into.cap) {
        into.tooLarge = true;
        return 0;  // libcurl ends the transfer
    }
    const std::size_t items = std::fwrite(data, size, count, into.file);
    into.written += static_cast<std::uint64_t>(items) * size;
    return items;
}

std::uint64_t gf_downloadSizeCap(const fs::path& target) {
    std::string extension = utf8(target.extension());
    gf_toUpper(extension);
    constexpr std::uint64_t kMiB = 1024 * 1024;
    if (extension == ".JSON") return kMiB;                         // the version list
    if (extension == ".XML" || extension == ".TXT") return 64 * kMiB;  // airport files
    if (extension == ".ENC" || extension == ".PDF") return 256 * kMiB;  // data files, documents
    return 1024 * kMiB;                                              // installer archives
}

namespace {
constexpr int kMaxRedirects = 5;

// One transfer of the handle into the sink; what came back.
struct Reply {
    CURLcode result = CURLE_OK;
    long status = 0;
    std::string location;  // the next address of a redirect
};

Reply perform(CURL* handle, const std::string& url, DownloadSink& sink) {
    const DownloadLimits limits = gf_downloadLimits();
    setOption(handle, CURLOPT_URL, url.c_str());
    setOption(handle, CURLOPT_USERAGENT, "VLNT");
    setOption(handle, CURLOPT_WRITEFUNCTION, &Downloader::writeCallback);
    setOption(handle, CURLOPT_WRITEDATA, static_cast<void*>(&sink));
    setOption(handle, CURLOPT_FAILONERROR, 1L);
    setOption(handle, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    setOption(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    setOption(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    // Time-outs must not use signals: downloads run on a worker thread.
    setOption(handle, CURLOPT_NOSIGNAL, 1L);
    // Redirects are followed here, each new address checked like the first;
    // libcurl itself speaks nothing but HTTP(S).
    setOption(handle, CURLOPT_FOLLOWLOCATION, 0L);
    setOption(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    setOption(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.cap));
    Reply reply;
    reply.result = curl_easy_perform(handle);
    if (reply.result != CURLE_OK) return reply;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
    char* location = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location != nullptr)
        reply.location = location;
    return reply;
}

// Why a transfer that libcurl finished is no download; empty when it is one.
std::string refusal(const Reply& reply, const DownloadSink& sink) {
    if (reply.status != 200) return fmt::format("HTTP status {}", reply.status);
    if (sink.written == 0) return "empty reply";
    return {};
}
}  // namespace

bool Downloader::download(const std::string& url, const fs::path& outputPath, bool raw) {
    if (handle_ == nullptr) return false;
    const fs::path partial = gf_temporarySibling(outputPath, ".part");
    const auto fail = [&](std::string_view reason) {
        gf_log(fmt::format("Download error: '{}' for {}", reason, url));
        gf_removeFileIfExists(partial);
        return false;
    };
    try {
        std::string address = url;
        for (int redirects = 0;; ++redirects) {
            if (!gf_isAllowedDownloadUrl(address))
                return fail(fmt::format("not an https address nor one of this PC: {}", gf_textForLog(address)));
            // Each answer starts the file afresh: a redirect's body is not the file.
            StdioFile file = gf_openStdioFile(partial, raw ? "wb" : "w");
            if (!file) {
                gf_log(fmt::format("Could not open output file: {}", utf8(outputPath)));
                gf_removeFileIfExists(partial);  // an earlier answer's
                return false;
            }
            DownloadSink sink{file.get(), 0, gf_downloadSizeCap(outputPath), false};
            const Reply reply = perform(handle_, address, sink);
            if (sink.tooLarge || reply.result == CURLE_FILESIZE_EXCEEDED) {
                file.reset();
                return fail(fmt::format("the reply is larger than {} bytes", sink.cap));
            }
            if (reply.result != CURLE_OK) {
                file.reset();
                return fail(curl_easy_strerror(reply.result));
            }
            if (reply.status >= 300 && reply.status < 400 && !reply.location.empty()) {
                file.reset();
                if (redirects == kMaxRedirects) return fail(fmt::format("more than {} redirects", kMaxRedirects));
                address = reply.location;
                continue;
            }
            if (const std::string reason = refusal(reply, sink); !reason.empty()) {
                file.reset();
                return fail(reason);
            }
            if (!lf_closeFile(file.release())) throw std::runtime_error("could not write " + utf8(partial));
            std::error_code error;
            if (!platform::replaceFile(partial, outputPath, error))
                throw std::runtime_error(fmt::format("could not replace the file: {}", error.message()));
            return true;
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("Downloader exception: '{}', {} => {}", e.what(), url, utf8(outputPath)));
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
