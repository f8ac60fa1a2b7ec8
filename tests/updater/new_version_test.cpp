// A newer program on the download site: the installer downloaded, unpacked
// and moved into "new_version", the run ended with NEW VERSION; and every
// way the release can fail, leaving no installer that could be taken for it.
#include "updater/new_version.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/shell_services.h"
#include "app/services/status_line.h"
#include "foundation/file_helpers.h"
#include "foundation/text_convert.h"
#include "foundation/zip_archive.h"
#include "settings/program_version.h"
#include "foundation/user_error.h"
#include "site_test.h"
#include "support/explorer_windows.h"
#include "support/shell_fixture.h"
#include "support/update_site.h"
#include "updater/version_check.h"

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;
using testing_support::zipBytesOf;

namespace {

constexpr const char* kReleasePath = "/downloads/release/Velantra_P3D/latest_version.zip";
constexpr const char* kNotesPath = "/downloads/docs/ReleaseNotes.pdf";
constexpr const char* kFailureText =
    "112: The downloading/unzipping of the new version failed? Try manually via the Trelvon website";

testing_support::HttpRoute answer(int status, std::string body,
                                  std::size_t closeAfter = testing_support::HttpRoute::kWhole) {
    testing_support::HttpRoute route;
    route.status = status;
    route.body = std::move(body);
    route.closeAfter = closeAfter;
    return route;
}

class NewVersionTest : public updater_testing::SiteTest {
protected:
    // The installer the release holds: more than one read chunk of bytes
    // that deflate cannot shrink, so they stand in the archive as they are.
    const std::string installer = [] {
        std::string bytes(3 * kZipReadChunk / 2, '\0');
        unsigned state = 12345;
        for (char& c : bytes) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 23);
        }
        return bytes;
    }();

    // The next patch of the running program.
    const std::string newer =
        VersionData(g_programVersion.major, g_programVersion.minor, g_programVersion.patch + 1).toString();

    NewVersionTest() {
        installEverything({});
        serveDataFiles();
        serveVersions({{"p3d", newer}, {"airports", "99.0.0"}});
        server.route(kNotesPath, {200, "%PDF release notes"});
    }
    ~NewVersionTest() override { testing_support::endExplorersStartedHere(); }

    // gf_checkVersions, which must fail with error 112.
    void expectFailure() {
        try {
            gf_checkVersions(path());
            ADD_FAILURE() << "the version check went on";
        } catch (const vlt::UserErrorException& e) {
            EXPECT_EQ(std::string(e.what()), kFailureText);
        }
    }
};

}  // namespace

TEST_F(NewVersionTest, TheInstallerIsMovedIntoPlaceAndTheRunEnds) {
    // An earlier attempt left an older installer and a part-moved one.
    fs::create_directory("new_version");
    writeFile("new_version/install_new_version.exe", "an older installer");
    writeFile("new_version/install_new_version.exe.part", "half of something");
    server.route(kReleasePath, {200, zipBytesOf({{"Velantra_P3D_setup.exe", installer}})});
    ::testing::internal::CaptureStdout();

    EXPECT_FALSE(gf_checkVersions(path()));

    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(readFile("new_version/install_new_version.exe") == installer);
    EXPECT_EQ(readFile("new_version/ReleaseNotes.pdf"), "%PDF release notes");
    // The working folder is no Program Files folder: no Administrator needed.
    EXPECT_EQ(readFile("new_version/README.txt"), std::string(kInstallNormally) + "\n");
    EXPECT_FALSE(fs::exists("new_version/install_new_version.exe.part"));
    EXPECT_FALSE(fs::exists("latest_version.zip"));
    EXPECT_FALSE(fs::exists("install_new_version.exe"));
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::NewVersion);
    EXPECT_EQ(g_restartDelay.load(), 0);
    // The data items after the program's are left for the new version.
    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"/downloads/versions.json", kReleasePath, kNotesPath}));
    EXPECT_EQ(readFile(g_airportsEncPath), "installed");
    EXPECT_EQ(logLinesFrom("p3d program version at web"),
              (std::vector<std::string>{"p3d program version at web = " + newer, "Downloaded latest_version.zip",
                                        "latest_version.zip unzipped to install_new_version.exe",
                                        "A new version is available.",
                                        "The installer can be executed normally (no Administrator rights required)."}));
#ifdef _WIN32
    EXPECT_EQ(testing_support::endExplorersStartedHere(), 1) << "the explorer shows the new version's folder";
#else
    EXPECT_EQ(printed, "[open] " + (fs::current_path() / "new_version").string() + "\n");
#endif
}

TEST_F(NewVersionTest, AStopRequestedBeforeKeepsItsReasonAndMissingNotesAreOnlyLogged) {
    server.route(kReleasePath, {200, zipBytesOf({{"setup.exe", installer}})});
    server.route(kNotesPath, {404, "gone"});
    gf_requestStop(ExitReason::NewSettings, 2);
    ::testing::internal::CaptureStdout();

    EXPECT_FALSE(gf_checkVersions(path()));

    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(readFile("new_version/install_new_version.exe") == installer);
    EXPECT_FALSE(fs::exists("new_version/ReleaseNotes.pdf"));
    EXPECT_TRUE(log_.contains("==> could not download ReleaseNotes.pdf to new_version"));
    EXPECT_TRUE(fs::exists("new_version/README.txt"));
    EXPECT_EQ(g_exitReason.load(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelay.load(), 2);
}

TEST_F(NewVersionTest, ABrokenReleaseLeavesNoInstallerAndFailsWith112) {
    // One byte of the installer changed in transit.
    std::string damaged = zipBytesOf({{"setup.exe", installer}});
    damaged[damaged.find(installer.substr(400000, 32))] ^= 0x01;
    const std::string downloadFailed = "Downloading program installer file version " + newer + " failed";
    struct Case {
        const char* name;
        testing_support::HttpRoute release;
        std::vector<std::string> logLines;
        std::string status;
    };
    const std::vector<Case> cases = {
        {"a 404",
         answer(404, "Not Found"),
         {downloadFailed},
         downloadFailed},
        {"a cut-off download",
         answer(200, zipBytesOf({{"setup.exe", installer}}), 5000),
         {downloadFailed},
         downloadFailed},
        {"a page that is no zip",
         answer(200, "<html>Please log in</html>"),
         {"Downloaded latest_version.zip", "==> Could not open latest_version.zip"},
         ""},
        {"a damaged installer", answer(200, damaged), {"Downloaded latest_version.zip", "==> Unzipping error code: 7"}, ""},
        {"an empty archive",
         answer(200, zipBytesOf({})),
         {"Downloaded latest_version.zip", "==> install_new_version.exe does not exists?"},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::resetShellState();
        gf_removeFileIfExists("new_version/install_new_version.exe");
        // An installer left in the working folder by an earlier attempt.
        writeFile("install_new_version.exe", "a stale installer");
        server.route(kReleasePath, c.release);
        const std::size_t linesBefore = log_.lines().size();

        expectFailure();

        EXPECT_FALSE(fs::exists("install_new_version.exe"));
        EXPECT_FALSE(fs::exists("latest_version.zip"));
        EXPECT_FALSE(fs::exists("latest_version.zip.part"));
        EXPECT_FALSE(fs::exists("new_version/install_new_version.exe"));
        EXPECT_FALSE(g_stopRequested.load());
        EXPECT_EQ(gf_statusLineText(), c.status);
        const std::vector<std::string> lines = log_.lines();
        std::vector<std::string> logged;
        for (std::size_t i = linesBefore; i < lines.size(); ++i)
            for (const std::string& expected : c.logLines)
                if (lines[i] == expected) logged.push_back(lines[i]);
        EXPECT_EQ(logged, c.logLines);
    }
}
