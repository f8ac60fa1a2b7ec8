// Single-file HTTP(S) downloads with libcurl's easy interface, synchronous on
// the calling thread. A download goes to a temporary "<target>.<n>.part" of
// its own and replaces the target only when it is complete, so a broken
// transfer never destroys the file that was there before.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct CurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;
// curl_easy_init after libcurl's one-time global set-up; null when it fails.
CurlHandle gf_makeCurlHandle();

// Limits that keep a stalled site from hanging the start-up for ever.
struct DownloadLimits {
    long connectTimeoutMs = 15000;
    long lowSpeedBytesPerSecond = 1;  // slower than this ...
    long lowSpeedSeconds = 30;        // ... for this long ends the transfer
};
DownloadLimits gf_downloadLimits();
// Tests shorten the limits; the program keeps the defaults.
void gf_setDownloadLimits(const DownloadLimits& limits);

// The most bytes a download into the target may bring, by the kind of file
// (its extension): generous, yet a broken or hostile site cannot fill the disk.
std::uint64_t gf_downloadSizeCap(const std::filesystem::path& target);

// Where Downloader::writeCallback writes: the open file and the bytes so far.
struct DownloadSink {
    std::FILE* file = nullptr;
    std::uint64_t written = 0;
    std::uint64_t cap = 0;
    bool tooLarge = false;  // the reply went past the cap
};

class Downloader {
public:
    // Works on a handle that the caller owns.
    explicit Downloader(CURL* handle) : handle_(handle) {}
    // Fetches the URL into the file, opened "wb" when raw is set, else "w"
    // (text mode). Only a final status of 200 with a body is a download;
    // redirects are followed (at most 5), every address must be https or
    // http of this PC, and the body must stay within the cap of its kind.
    // True when the whole body was written; every failure is logged once
    // and gives false, leaving the target as it was.
    bool download(const std::string& url, const std::filesystem::path& outputPath, bool raw);
    // CURLOPT_WRITEFUNCTION: fwrite to the sink (a DownloadSink) given as
    // CURLOPT_WRITEDATA; a short write or one past the cap makes libcurl end
    // the transfer with an error.
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* sink);

private:
    CURL* handle_;
};

// fclose when not null; false when closing failed (buffered bytes were lost).
bool lf_closeFile(std::FILE* file);

// Fetches gf_siteFileUrl(fileName) into the output path in binary mode and
// logs the outcome ("Downloaded ..." or a marked "Downloading ... failed !").
bool gf_downloadFromSite(std::string_view fileName, const std::filesystem::path& outputPath);
