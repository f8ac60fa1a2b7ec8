#include "foundation/downloader.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <chrono>

#include "foundation/download_site.h"
#include "foundation/file_helpers.h"
#include "foundation/text_convert.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

using testing_support::HttpRoute;
using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {
struct DownloaderTest : ::testing::Test {
    testing_support::LogCapture log;
    testing_support::HttpTestServer server;
    // Loopback requests must never go through a proxy the machine may name.
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, server.url("/downloads/")};
    testing_support::TempDir input;
    fs::path target = input / "dbase.enc";
    CurlHandle curl = gf_makeCurlHandle();

    bool download(const std::string& path, bool raw = true) {
        return Downloader(curl.get()).download(server.url(path), target, raw);
    }
    std::string downloadError(CURLcode code, const std::string& path) const {
        return fmt::format("Download error: '{}' for {}", curl_easy_strerror(code), server.url(path));
    }
    // Only the target (when there is one) stands in its folder.
    bool noPartialFileLeft() const {
        return gf_countDirectoryEntries(target.parent_path()) == (fs::exists(target) ? 1u : 0u);
    }
};

std::string bodyOf(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return body;
}
}  // namespace

TEST_F(DownloaderTest, FetchesTheWholeBodyAsTheUserAgentVlnt) {
    const std::string body = bodyOf(300000);
    server.route("/downloads/11/dbase.enc", {200, body});
    writeFile(target, "an older data file");
    ASSERT_TRUE(download("/downloads/11/dbase.enc"));
    EXPECT_EQ(readFile(target), body);
    EXPECT_TRUE(noPartialFileLeft());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(server.requests()[0].userAgent, "VLNT");
}

TEST_F(DownloaderTest, FailuresKeepTheOldTargetAndLogCurlsError) {
    const std::string body = bodyOf(200000);
    struct Case {
        const char* path;
        HttpRoute route;
        CURLcode error;
    } cases[] = {
        {"/missing", {404, "no such file"}, CURLE_HTTP_RETURNED_ERROR},
        {"/server-error", {500, "oops"}, CURLE_HTTP_RETURNED_ERROR},
        {"/cut", {200, body, 70000}, CURLE_PARTIAL_FILE},
    };
    for (const auto& c : cases) {
        server.route(c.path, c.route);
        writeFile(target, "the installed data file");
        EXPECT_FALSE(download(c.path)) << c.path;
        EXPECT_TRUE(log.contains(downloadError(c.error, c.path))) << c.path;
        EXPECT_EQ(readFile(target), "the installed data file") << c.path;
        EXPECT_TRUE(noPartialFileLeft()) << c.path;
    }
}

TEST_F(DownloaderTest, AFailedFirstDownloadLeavesNoFileBehind) {
    EXPECT_FALSE(download("/not-there"));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(noPartialFileLeft());
}

TEST_F(DownloaderTest, AStalledSiteIsGivenUpAfterTheLowSpeedTime) {
    const DownloadLimits defaults = gf_downloadLimits();
    EXPECT_EQ(defaults.connectTimeoutMs, 15000);
    EXPECT_EQ(defaults.lowSpeedBytesPerSecond, 1);
    EXPECT_EQ(defaults.lowSpeedSeconds, 30);
    gf_setDownloadLimits({2000, 1, 1});
    // The server sends its headers, then falls silent.
    server.route("/stall", {200, bodyOf(100000), HttpRoute::kWhole, 0});
    writeFile(target, "the installed data file");
    const auto start = std::chrono::steady_clock::now();
    const bool downloaded = download("/stall");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    gf_setDownloadLimits(defaults);
    EXPECT_FALSE(downloaded);
    // One second of silence ends it (curl checks about once a second), far
    // short of the 30 s a user's download would wait.
    EXPECT_LT(seconds, 10.0);
    EXPECT_TRUE(log.contains(downloadError(CURLE_OPERATION_TIMEDOUT, "/stall")));
    EXPECT_EQ(readFile(target), "the installed data file");
    EXPECT_TRUE(noPartialFileLeft());
}

TEST_F(DownloaderTest, AMissingFolderFailsWithoutARequest) {
    server.route("/downloads/11/dbase.enc", {200, "data"});
    const fs::path missing = log.dir() / "no-such-folder" / "dbase.enc";
    EXPECT_FALSE(Downloader(curl.get()).download(server.url("/downloads/11/dbase.enc"), missing, true));
    EXPECT_TRUE(log.contains("Could not open output file: " + gf_pathToUtf8(missing)));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(DownloaderTest, WithoutAHandleNothingHappens) {
    EXPECT_FALSE(Downloader(nullptr).download(server.url("/x"), target, true));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(DownloaderTest, TextModeWritesTheLineEndsOfThePlatform) {
    server.route("/versions.json", {200, "{\n\"p3d\": 1\n}\n"});
    ASSERT_TRUE(download("/versions.json", false));
#ifdef _WIN32
    EXPECT_EQ(readFile(target), "{\r\n\"p3d\": 1\r\n}\r\n");
#else
    EXPECT_EQ(readFile(target), "{\n\"p3d\": 1\n}\n");
#endif
}

TEST_F(DownloaderTest, ATargetWithNonAsciiCharactersIsWritten) {
    // A user's folder named with characters outside the ANSI code page.
    const fs::path folder = log.dir() / gf_utf8Path("Jos\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    fs::create_directory(folder);
    target = folder / "dbase.enc";
    server.route("/data", {200, "bytes"});
    ASSERT_TRUE(download("/data"));
    EXPECT_EQ(readFile(target), "bytes");
}

TEST_F(DownloaderTest, SiteDownloadsComeFromTheMajorVersionsFolder) {
    const std::string body = bodyOf(5000);
    server.route("/downloads/11/dbase.enc", {200, body});
    ASSERT_TRUE(gf_downloadFromSite("dbase.enc", target));
    EXPECT_EQ(readFile(target), body);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].path, "/downloads/11/dbase.enc");
    EXPECT_TRUE(log.contains(fmt::format("Downloaded '{}' to '{}'", server.url("/downloads/11/dbase.enc"),
                                         gf_pathToUtf8(target))));
}

TEST_F(DownloaderTest, AFailedSiteDownloadIsAMarkedLine) {
    writeFile(target, "the installed data file");
    EXPECT_FALSE(gf_downloadFromSite("airports.enc", target));
    const std::string url = server.url("/downloads/11/airports.enc");
    EXPECT_TRUE(log.contains(downloadError(CURLE_HTTP_RETURNED_ERROR, "/downloads/11/airports.enc")));
    EXPECT_TRUE(log.contains(fmt::format("==> Downloading '{}' failed !", url)));
    EXPECT_EQ(readFile(target), "the installed data file");
}

TEST_F(DownloaderTest, OnlyAFinalOkWithABodyIsADownload) {
    const struct {
        const char* path;
        HttpRoute route;
        const char* error;
    } cases[] = {
        {"/no-content", {204, ""}, "HTTP status 204"},
        {"/empty", {200, ""}, "empty reply"},
        {"/moved-nowhere", {302, "see elsewhere"}, "HTTP status 302"},
        {"/partial", {206, "some bytes"}, "HTTP status 206"},
    };
    for (const auto& c : cases) {
        server.route(c.path, c.route);
        writeFile(target, "the installed data file");
        EXPECT_FALSE(download(c.path)) << c.path;
        EXPECT_TRUE(log.contains(fmt::format("Download error: '{}' for {}", c.error, server.url(c.path)))) << c.path;
        EXPECT_EQ(readFile(target), "the installed data file") << c.path;
        EXPECT_TRUE(noPartialFileLeft()) << c.path;
    }
}

TEST_F(DownloaderTest, RedirectsAreFollowedUpToFive) {
    const std::string body = bodyOf(40000);
    // /hop0 -> /hop1 -> ... -> /hop6, which holds the file.
    for (int i = 0; i < 6; ++i) {
        HttpRoute moved{i % 2 ? 301 : 302, "moved"};
        moved.location = i == 2 ? server.url(fmt::format("/hop{}", i + 1)) : fmt::format("/hop{}", i + 1);
        server.route(fmt::format("/hop{}", i), moved);
    }
    server.route("/hop6", {200, body});
    ASSERT_TRUE(download("/hop1"));  // five redirects
    EXPECT_EQ(readFile(target), body);
    EXPECT_EQ(server.requests().back().path, "/hop6");
    EXPECT_EQ(server.requests().back().userAgent, "VLNT");

    writeFile(target, "the installed data file");
    EXPECT_FALSE(download("/hop0"));  // six
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'more than 5 redirects' for {}", server.url("/hop0"))));
    EXPECT_EQ(readFile(target), "the installed data file");
    EXPECT_TRUE(noPartialFileLeft());
}

TEST_F(DownloaderTest, AddressesOtherThanHttpsOrThisPcAreNeverFetched) {
    for (const char* elsewhere : {"file:///etc/hostname", "http://downloads.example/11/dbase.enc",
                                  "ftp://127.0.0.1/dbase.enc", "http://127.0.0.1.example/x"}) {
        HttpRoute moved{302, "moved"};
        moved.location = elsewhere;
        server.route("/moved", moved);
        writeFile(target, "the installed data file");
        const std::size_t requests = server.requests().size();
        EXPECT_FALSE(download("/moved")) << elsewhere;
        EXPECT_EQ(server.requests().size(), requests + 1) << elsewhere;
        EXPECT_TRUE(log.contains(fmt::format("Download error: 'not an https address nor one of this PC: {}' for {}",
                                             elsewhere, server.url("/moved"))))
            << elsewhere;
        EXPECT_EQ(readFile(target), "the installed data file") << elsewhere;

        EXPECT_FALSE(Downloader(curl.get()).download(elsewhere, target, true)) << elsewhere;
        EXPECT_EQ(readFile(target), "the installed data file") << elsewhere;
    }
}

TEST_F(DownloaderTest, RepliesPastTheCapOfTheirKindAreRefused) {
    EXPECT_EQ(gf_downloadSizeCap("versions.json"), 1u << 20);
    EXPECT_EQ(gf_downloadSizeCap("airports/park_airport.xml"), 64u << 20);
    EXPECT_EQ(gf_downloadSizeCap("input/dbase.enc"), 256u << 20);
    EXPECT_EQ(gf_downloadSizeCap("latest_version.zip"), 1024u << 20);

    target = input / "versions.json";
    const std::string fits(1u << 20, '{');
    const std::string tooLarge = fits + "}";
    HttpRoute undeclared{200, tooLarge};
    undeclared.declareLength = false;  // known only once it has come
    const struct {
        const char* path;
        HttpRoute route;
        bool downloaded;
    } cases[] = {
        {"/fits", {200, fits}, true},
        {"/declared", {200, tooLarge}, false},
        {"/undeclared", undeclared, false},
    };
    for (const auto& c : cases) {
        server.route(c.path, c.route);
        writeFile(target, "{}");
        EXPECT_EQ(download(c.path), c.downloaded) << c.path;
        EXPECT_EQ(readFile(target).size(), c.downloaded ? fits.size() : 2u) << c.path;
        EXPECT_EQ(log.contains(fmt::format("Download error: 'the reply is larger than 1048576 bytes' for {}",
                                           server.url(c.path))),
                  !c.downloaded)
            << c.path << ": " << log.lines().back();
        EXPECT_TRUE(noPartialFileLeft()) << c.path;
    }
}

TEST(DownloadSite, EveryAddressIsBuiltFromTheOneBase) {
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, "http://127.0.0.1:8080/downloads"};
    EXPECT_EQ(gf_downloadBaseUrl(), "http://127.0.0.1:8080/downloads/");
    EXPECT_EQ(gf_siteFileUrl("AIG-regcodes.enc"), "http://127.0.0.1:8080/downloads/11/AIG-regcodes.enc");
    EXPECT_EQ(gf_versionListUrl(), "http://127.0.0.1:8080/downloads/versions.json");
    EXPECT_EQ(gf_docsBaseUrl(), "http://127.0.0.1:8080/downloads/docs/");
    EXPECT_EQ(gf_releaseBaseUrl(), "http://127.0.0.1:8080/downloads/release/");
    EXPECT_EQ(gf_airportArchiveBaseUrl(), "http://127.0.0.1:8080/downloads/P3D/");
}

// The program runs the installer it downloads: the variable may name a
// mirror or a test site on this PC, never a file or a plain remote host.
TEST(DownloadSite, TheVariableIsTakenOnlyForHttpsOrThisPc) {
    testing_support::LogCapture log;
    std::string builtIn;
    {
        testing_support::ScopedEnvironment none{kDownloadSiteVariable, ""};
        builtIn = gf_downloadBaseUrl();
    }
    const struct {
        const char* value;
        bool taken;
    } cases[] = {
        {"https://mirror.example/downloads/", true},
        {"HTTPS://Mirror.Example/downloads/", true},
        {"http://127.0.0.1:8080/downloads/", true},
        {"http://127.3.2.1/downloads/", true},
        {"http://localhost:81/downloads/", true},
        {"http://[::1]:81/downloads/", true},
        {"file:///tmp/downloads/", false},
        {"http://mirror.example/downloads/", false},
        {"ftp://127.0.0.1/downloads/", false},
        {"http://127.0.0.1@mirror.example/downloads/", false},
        {"http://127.0.0.1.mirror.example/downloads/", false},
        {"127.0.0.1/downloads/", false},
    };
    for (const auto& c : cases) {
        testing_support::ScopedEnvironment site{kDownloadSiteVariable, c.value};
        std::string expected = c.taken ? c.value : builtIn;
        if (expected.back() != '/') expected += '/';
        EXPECT_EQ(gf_downloadBaseUrl(), expected) << c.value;
        EXPECT_EQ(log.lines().back().starts_with(fmt::format("==> {} '{}' is neither", kDownloadSiteVariable, c.value)),
                  !c.taken)
            << c.value;
    }
}

TEST(DownloadSite, WithoutTheVariableTheBuiltInHttpsSiteIsUsed) {
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, ""};
    const std::string base = gf_downloadBaseUrl();
    EXPECT_EQ(base.rfind("https://", 0), 0u) << base;
    EXPECT_TRUE(base.ends_with("/downloads/")) << base;
}
