// The version check against a download site on this machine: what it
// fetches, what it leaves on disk, what it stores in parameters.xml and what
// the log and the status line say.
#include "updater/version_check.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/download_site.h"
#include "foundation/file_helpers.h"
#include "foundation/text_convert.h"
#include "platform/window_host.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "support/http_test_server.h"
#include "site_test.h"

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class VersionCheckTest : public updater_testing::SiteTest {};

}  // namespace

TEST(VersionOrder, MajorThenMinorThenPatch) {
    const struct {
        VersionData web, local;
        bool newer;
    } cases[] = {
        {{11, 13, 9}, {11, 14, 0}, false}, {{12, 0, 0}, {11, 14, 0}, true}, {{11, 14, 0}, {11, 14, 0}, false},
        {{11, 14, 1}, {11, 14, 0}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lf_isNewer(c.web, c.local), c.newer) << c.web.toString() << " vs " << c.local.toString();
}

TEST_F(VersionCheckTest, FirstStartDownloadsEveryDataSetAndSwitchesBothScansOn) {
    SCAN_LIVERIES.value = false;
    SCAN_AIRPORTS.value = false;
    serveVersions({{"p3d", program()}, {"airports", "11.2.0"}, {"aig", "11.3.1"}, {"liveries", "11.4.0"},
                   {"addons", "11.5.0"}, {"dbase", "11.6.2"}});
    serveDataFiles();

    EXPECT_TRUE(gf_checkVersions(path()));

    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"/downloads/versions.json", "/downloads/11/airports.enc",
                                                          "/downloads/11/AIG-regcodes.enc", "/downloads/11/dbase.enc"}));
    for (const auto& [name, body] : dataFileBodies()) EXPECT_EQ(readFile(fs::path("input") / name), body) << name;
    EXPECT_FALSE(fs::exists("versions.json"));
    const std::map<std::string, std::string> stored = {{"AIRPORTS_VERSION", "11.2.0"}, {"AIG_VERSION", "11.3.1"},
                                                       {"LIV_SCAN_VERSION", "11.4.0"}, {"ADDONS_SCAN_VERSION", "11.5.0"},
                                                       {"DBASE_VERSION", "11.6.2"}, {"SCAN_LIVERIES", "true"},
                                                       {"SCAN_AIRPORTS", "true"}};
    for (const auto& [key, value] : stored) EXPECT_EQ(storedValue(key), value) << key;
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_EQ(recorder_.updates(), (std::vector<std::string>{"check SCAN_LIVERIES 1", "check SCAN_AIRPORTS 1"}));
    EXPECT_EQ(controlRepaints(), 2);
    const auto downloaded = [&](const std::string& name) {
        // Fetched next to the installed file, which it replaces once it deciphers.
        return fmt::format("Downloaded '{}' to '{}'", server.url("/downloads/11/" + name),
                           gf_pathToUtf8(fs::path("input") / (name + ".new")));
    };
    // Each setting is saved (the store logs it) before the item is reported.
    EXPECT_EQ(logLinesFrom("p3d program version at web"),
              (std::vector<std::string>{
                  "p3d program version at web = " + program(), "p3d version up-to-date",
                  downloaded("airports.enc"), R"(AIRPORTS_VERSION="11.2.0")", "airports updated to 11.2.0",
                  downloaded("AIG-regcodes.enc"), R"(AIG_VERSION="11.3.1")", "aig updated to 11.3.1",
                  "SCAN_LIVERIES=true", R"(LIV_SCAN_VERSION="11.4.0")", "liveries updated to 11.4.0",
                  "SCAN_AIRPORTS=true", R"(ADDONS_SCAN_VERSION="11.5.0")", "addons updated to 11.5.0",
                  downloaded("dbase.enc"), R"(DBASE_VERSION="11.6.2")", "dbase updated to 11.6.2"}));
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(VersionCheckTest, UpToDateDataIsLeftAlone) {
    installEverything({{"AIRPORTS_VERSION", "11.2.0"}, {"AIG_VERSION", "11.3.1"}, {"LIV_SCAN_VERSION", "11.4.0"},
                       {"ADDONS_SCAN_VERSION", "11.5.0"}, {"DBASE_VERSION", "11.6.2"}});
    SCAN_LIVERIES.value = false;
    SCAN_AIRPORTS.value = false;
    // Equal versions, and web versions older than the installed ones.
    serveVersions({{"p3d", "11.0.1"}, {"airports", "11.2.0"}, {"aig", "11.3.0"}, {"liveries", "11.4.0"},
                   {"addons", "10.9.9"}, {"dbase", "11.6.2"}});
    serveDataFiles();
    const std::string parametersBefore = readFile(path());

    EXPECT_TRUE(gf_checkVersions(path()));

    EXPECT_EQ(requestedPaths(), std::vector<std::string>{"/downloads/versions.json"});
    for (const char* name : {"airports.enc", "AIG-regcodes.enc", "dbase.enc"})
        EXPECT_EQ(readFile(fs::path("input") / name), "installed") << name;
    EXPECT_EQ(logLinesFrom("p3d program version at web"),
              (std::vector<std::string>{"p3d program version at web = 11.0.1", "p3d version up-to-date",
                                        "airports version up-to-date", "aig version up-to-date",
                                        "liveries version up-to-date", "addons version up-to-date",
                                        "dbase version up-to-date"}));
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_TRUE(recorder_.updates().empty());
    EXPECT_EQ(readFile(path()), parametersBefore) << "nothing was saved";
}

TEST_F(VersionCheckTest, ADataFileIsFetchedWhenNewerOrMissing) {
    const struct {
        const char* installedVersion;
        const char* webVersion;
        bool filePresent;
        bool fetched;
    } cases[] = {
        {"11.2.0", "11.2.0", true, false}, {"11.2.0", "11.2.0", false, true}, {"11.2.0", "11.1.9", true, false},
        {"11.2.0", "11.2.1", true, true},  {"11.2.0", "12.0.0", true, true},  {"", "0.0.1", true, true},
        {"not a version", "11.2.0", true, true},
    };
    serveDataFiles();
    for (const auto& c : cases) {
        SCOPED_TRACE(fmt::format("{} -> {}, file {}", c.installedVersion, c.webVersion, c.filePresent));
        markRequests();
        AIRPORTS_VERSION.value = c.installedVersion;
        gf_removeFileIfExists(g_airportsEncPath);
        if (c.filePresent) writeFile(g_airportsEncPath, "installed");
        serveVersions({{"airports", c.webVersion}});

        EXPECT_TRUE(gf_checkVersions(path()));

        EXPECT_EQ(requestedPaths().size(), c.fetched ? 2u : 1u);
        EXPECT_EQ(readFile(g_airportsEncPath), c.fetched ? dataFileBodies().at("airports.enc") : "installed");
        EXPECT_EQ(AIRPORTS_VERSION.value.get(), c.fetched ? std::string(c.webVersion) : std::string(c.installedVersion));
        EXPECT_EQ(log_.contains(fmt::format("airports updated to {}", c.webVersion)), c.fetched);
    }
}

TEST_F(VersionCheckTest, AFailedDataDownloadKeepsTheOldFileAndVersion) {
    installEverything({{"AIRPORTS_VERSION", "11.2.0"}, {"AIG_VERSION", "11.3.0"}});
    serveVersions({{"airports", "11.2.1"}, {"aig", "11.3.1"}});
    serveDataFiles();
    server.route("/downloads/11/airports.enc", {404, "not here"});
    server.route("/downloads/11/AIG-regcodes.enc", {200, "new regcodes", 5});  // cut off after 5 bytes

    EXPECT_TRUE(gf_checkVersions(path()));

    EXPECT_EQ(readFile(g_airportsEncPath), "installed");
    EXPECT_EQ(readFile(g_aigRegcodesEncPath), "installed");
    EXPECT_EQ(AIRPORTS_VERSION.value.get(), "11.2.0");
    EXPECT_EQ(AIG_VERSION.value.get(), "11.3.0");
    EXPECT_EQ(storedValue("AIRPORTS_VERSION"), "");
    EXPECT_TRUE(log_.contains("==> Downloading '" + server.url("/downloads/11/airports.enc") + "' failed !"));
    EXPECT_TRUE(log_.contains("==> Downloading '" + server.url("/downloads/11/AIG-regcodes.enc") + "' failed !"));
    EXPECT_FALSE(log_.contains("updated to"));
    for (const auto& entry : fs::directory_iterator("input"))
        EXPECT_EQ(entry.path().extension(), ".enc") << "no partial download left: " << entry.path();
}

TEST_F(VersionCheckTest, ADataFileThatDoesNotDecipherNeverReplacesTheInstalledOne) {
    // Whole replies (200) whose body is no data file of this program: the
    // installed file and its version stay, so the next start fetches it again.
    const struct {
        const char* name;
        std::string body;
    } cases[] = {
        {"plain text", "<html>sign in to the hotel network</html>"},
        {"no final chunk", encipheredBody("airports of the site", encipher::FinalChunk::Missing)},
        {"one byte changed",
         [] {
             std::string body = encipheredBody("airports of the site");
             body[body.size() / 2] ^= 0x20;
             return body;
         }()},
    };
    const std::string refused = "==> 'airports.enc' from the download site does not decipher: the installed file is kept";
    std::size_t refusals = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installEverything({{"AIRPORTS_VERSION", "11.2.0"}});
        serveVersions({{"airports", "11.2.1"}});
        server.route("/downloads/11/airports.enc", {200, c.body});

        EXPECT_TRUE(gf_checkVersions(path()));

        EXPECT_EQ(readFile(g_airportsEncPath), "installed");
        EXPECT_EQ(AIRPORTS_VERSION.value.get(), "11.2.0");
        EXPECT_EQ(storedValue("AIRPORTS_VERSION"), "");
        const auto lines = log_.lines();
        EXPECT_EQ(static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(),
                                                         [&](const std::string& line) {
                                                             return line.find(refused) != std::string::npos;
                                                         })),
                  ++refusals);
        EXPECT_EQ(gf_statusLineText(), "airports.enc from the download site is damaged; the installed one is kept");
        EXPECT_FALSE(log_.contains("updated to"));
        for (const auto& entry : fs::directory_iterator("input"))
            EXPECT_EQ(entry.path().extension(), ".enc") << "nothing left of the check: " << entry.path();
    }
    // The site's file mended: the next start takes it.
    serveDataFiles();
    EXPECT_TRUE(gf_checkVersions(path()));
    EXPECT_EQ(readFile(g_airportsEncPath), dataFileBodies().at("airports.enc"));
    EXPECT_EQ(AIRPORTS_VERSION.value.get(), "11.2.1");
}

TEST_F(VersionCheckTest, AVersionListThatCannotBeHadLetsTheStartGoOn) {
    installEverything({});
    const struct {
        const char* name;
        testing_support::HttpRoute route;
        const char* logLine;
    } cases[] = {
        {"404", {404, "Not Found"}, "==> Downloading version info from my web site failed!"},
        {"server error", {500, "oops"}, "==> Downloading version info from my web site failed!"},
        {"a proxy's page", {200, "<html><body>Please log in</body></html>"}, "==> versions.json is not valid JSON: "},
        {"cut-off JSON", {200, R"({"p3d": {"major": 11, "minor")"}, "==> versions.json is not valid JSON: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        markRequests();
        server.route("/downloads/versions.json", c.route);
        const std::size_t linesBefore = log_.lines().size();

        EXPECT_TRUE(gf_checkVersions(path()));

        EXPECT_EQ(requestedPaths(), std::vector<std::string>{"/downloads/versions.json"});
        const std::vector<std::string> lines = log_.lines();
        EXPECT_TRUE(std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end(),
                                [&](const std::string& line) { return line.rfind(c.logLine, 0) == 0; }));
        EXPECT_FALSE(fs::exists("versions.json"));
        EXPECT_FALSE(fs::exists("versions.json.part"));
        EXPECT_FALSE(g_stopRequested.load());
    }
}

TEST_F(VersionCheckTest, MalformedItemsAreSkippedAndTheRestHandled) {
    installEverything({{"AIG_VERSION", "11.3.0"}});
    serveDataFiles();
    const std::string goodAig = R"("aig": {"major": 11, "minor": 3, "patch": 1})";
    const struct {
        const char* airports;
        const char* complaint;
    } cases[] = {
        {R"({"major": "11", "minor": 3, "patch": 0})", R"("major" is not a 32-bit integer: "11")"},
        {R"({"major": 11, "minor": 3.5, "patch": 0})", R"("minor" is not a 32-bit integer: 3.5)"},
        {R"({"major": 11, "minor": 3})", R"("patch" is missing)"},
        {R"({"major": 11, "minor": 3, "patch": 4294967296})", R"("patch" is not a 32-bit integer: 4294967296)"},
        {R"({"major": 11, "minor": null, "patch": 0})", R"("minor" is not a 32-bit integer: null)"},
        {R"("11.3.0")", "not an object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.airports);
        markRequests();
        AIG_VERSION.value = "11.3.0";
        server.route("/downloads/versions.json", {200, fmt::format(R"({{"airports": {}, {}}})", c.airports, goodAig)});

        EXPECT_TRUE(gf_checkVersions(path()));

        EXPECT_TRUE(log_.contains(fmt::format("==> airports version unreadable in versions.json: {}", c.complaint)));
        EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"/downloads/versions.json", "/downloads/11/AIG-regcodes.enc"}));
        EXPECT_EQ(readFile(g_airportsEncPath), "installed");
        EXPECT_EQ(AIG_VERSION.value.get(), "11.3.1");
    }
}

TEST_F(VersionCheckTest, MissingItemsAreLoggedAndTheNextOnesHandled) {
    installEverything({});
    SCAN_LIVERIES.value = false;
    serveVersions({{"p3d", program()}, {"liveries", "11.4.0"}, {"extra", "1.0.0"}});

    EXPECT_TRUE(gf_checkVersions(path()));

    for (const char* item : {"airports", "aig", "addons", "dbase"})
        EXPECT_TRUE(log_.contains(fmt::format("==> {} version not found", item))) << item;
    EXPECT_TRUE(log_.contains("liveries updated to 11.4.0"));
    EXPECT_TRUE(SCAN_LIVERIES.value);

    // A list whose root is no object names no item at all.
    server.route("/downloads/versions.json", {200, "[1, 2, 3]"});
    const std::size_t linesBefore = log_.lines().size();
    EXPECT_TRUE(gf_checkVersions(path()));
    const std::vector<std::string> lines = log_.lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end()),
              (std::vector<std::string>{"==> p3d version not found", "==> airports version not found",
                                        "==> aig version not found", "==> liveries version not found",
                                        "==> addons version not found", "==> dbase version not found"}));
}

TEST_F(VersionCheckTest, TheLiveryScanIsSwitchedOnWhenTheScanResultIsMissing) {
    installEverything({{"LIV_SCAN_VERSION", "11.4.0"}});
    SCAN_LIVERIES.value = false;
    fs::remove(g_liveriesScannedPath);
    serveVersions({{"liveries", "11.4.0"}});

    EXPECT_TRUE(gf_checkVersions(path()));

    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(storedValue("SCAN_LIVERIES"), "true");
    EXPECT_TRUE(log_.contains("liveries updated to 11.4.0"));
}
