// Single-file HTTP(S) downloads with libcurl's easy interface, synchronous on
// the calling thread. A download goes to a temporary "<target>.<n>.part" of
// its own and replaces the target only when it is complete, so a broken
// transfer never destroys the file that was there before.
#pragma once

#include <curl/curl.h>

#include <cstddef>
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

class Downloader {
public:
    // Works on a handle that the caller owns.
    explicit Downloader(CURL* handle) : handle_(handle) {}
    // Fetches the URL into the file, opened "wb" when raw is set, else "w"
    // (text mode). True when the whole body was written; every failure is
    // logged once and gives false, leaving the target as it was.
    bool download(const std::string& url, const std::filesystem::path& outputPath, bool raw);
    // CURLOPT_WRITEFUNCTION: fwrite to the FILE* given as CURLOPT_WRITEDATA; a
    // short write makes libcurl end the transfer with an error.
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* file);

private:
    CURL* handle_;
};

// fclose when not null; false when closing failed (buffered bytes were lost).
bool lf_closeFile(std::FILE* file);

// Fetches gf_siteFileUrl(fileName) into the output path in binary mode and
// logs the outcome ("Downloaded ..." or a marked "Downloading ... failed !").
bool gf_downloadFromSite(std::string_view fileName, const std::filesystem::path& outputPath);
