#include "airports/airport_files.h"

#include <gtest/gtest.h>

#include "airport_fixture.h"
#include "foundation/download_site.h"
#include "settings/file_names.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
const AirportCode kEham("EHAM");

struct AirportFiles : AirportTest {
    AirportFiles() {
        fs::create_directories(g_myThirdpartyFolder);
        fs::create_directories(g_myOrbxFolder);
    }
};

std::string under(const fs::path& folder, const std::string& relative) {
    fs::path path = folder;
    for (std::size_t start = 0;;) {
        const auto slash = relative.find('/', start);
        path /= relative.substr(start, slash - start);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return lf_pathText(path);
}
}  // namespace

TEST_F(AirportFiles, TheUsersFilesComeFirstThenTheArchive) {
    struct Case {
        const char* name;
        std::vector<std::pair<fs::path, std::string>> files;  // relative to "airports"
        std::int32_t listStands;
        std::string located;
    } cases[] = {
        {"thirdparty pointer before its xml",
         {{"my_thirdparty/EHAM.txt", "archive/thirdparty/Some%20Maker/EHAM.xml\n"}, {"my_thirdparty/EHAM.xml", "<root/>"}},
         1, "archive/thirdparty/Some%20Maker/EHAM.xml"},
        {"a pointer's extension in any case",
         {{"my_thirdparty/EHAM.txt", "D:\\Scenery\\EHAM.XML"}}, 0, "D:\\Scenery\\EHAM.XML"},
        {"trailing blanks and CR dropped, leading blanks kept",
         {{"my_thirdparty/EHAM.txt", "  archive/simaddon/EHAM.xml \t\r\nsecond line\n"}}, 0,
         "  archive/simaddon/EHAM.xml"},
        {"a pointer to a .txt is skipped",
         {{"my_thirdparty/EHAM.txt", "archive/EHAM.txt"}, {"my_thirdparty/EHAM.xml", "<root/>"}}, 1,
         under(g_myThirdpartyFolder, "EHAM.xml")},
        {"an empty pointer is skipped", {{"my_thirdparty/EHAM.txt", ""}}, 1, "archive/stock/EHAM.xml"},
        {"my_ORBX pointer", {{"my_ORBX/EHAM.txt", "archive/simaddon/EHAM.xml"}, {"my_ORBX/EHAM.xml", "<root/>"}}, 1,
         "archive/simaddon/EHAM.xml"},
        {"my_ORBX xml", {{"my_ORBX/EHAM.xml", "<root/>"}}, 1, under(g_myOrbxFolder, "EHAM.xml")},
        {"the archive for a listed airport with stands", {}, 1, "archive/stock/EHAM.xml"},
        {"no file for a listed airport without stands", {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
        for (const auto& [relative, text] : c.files) writeFile(g_airportsFolder / relative, text);
        setAirports({airport("EDDF", 50.03, 8.57, 1), airport("EHAM", 52.3086, 4.7639, c.listStands)});
        EXPECT_EQ(gf_locateAirportFile(kEham), c.located);
        EXPECT_EQ(gf_hasAirportFile(kEham), !c.files.empty() || c.listStands >= 1);
    }
}

TEST_F(AirportFiles, LearnedFilesLieBelowTheLearnedFolderOnly) {
    struct Case {
        std::string located;
        std::string publisher;
        std::string learned;  // below airports/learned; "" for none
        std::string bglPath = "";  // the scenery file a generated file was made from
    } cases[] = {
        {"archive/stock/EHAM.xml", "", "stock/EHAM.xml"},
        {"archive/stock/EHAM.XML", "", "stock/EHAM.XML"},
        {"archive/stock/EHAM.txt", "", ""},
        {"archive/simaddon/EHAM.xml", "", "simaddon/EHAM.xml"},
        {"archive/thirdparty/Some%20Maker/EHAM.xml", "Other", "thirdparty/Some Maker/EHAM.xml"},
        {"archive/thirdparty/EHAM.xml", "", ""},
        {"archive/thirdparty/%20/EHAM.xml", "", ""},
        {"archive/thirdparty/../EHAM.xml", "", ""},
        {"archive/thirdparty/C:/EHAM.xml", "", "thirdparty/C/EHAM.xml"},  // no drive: the colon becomes a blank
        {"airports/stock/EHAM.xml", "", "stock/EHAM.xml"},
        {"airports\\my_simaddon\\EHAM.xml", "", "my_simaddon/EHAM.xml"},
        {"airports/my_ORBX/EHAM.xml", "", "my_ORBX/EHAM.xml"},
        {"airports/my_thirdparty/EHAM.xml", "  Some Maker ", "thirdparty/Some Maker/EHAM.xml"},
        {"airports/my_thirdparty2024/EHAM.xml", "Some/Maker", "thirdparty/Some Maker/EHAM.xml"},
        {"airports/my_thirdparty/EHAM.xml", "   ", ""},
        {"airports/my_thirdparty/EHAM.xml", "..", ""},
        {"airports/my_thirdparty/EHAM.xml", "..\\..", ""},
        // A file generated from scenery of no known publisher: its add-on's folder.
        {"airports/my_thirdparty/EHAM.xml", "", "thirdparty/My Field EHAM/EHAM.xml",
         "D:\\Addon Scenery\\My Field EHAM\\scenery\\EHAM_AP.bgl"},
        {"airports/my_thirdparty/EHAM.xml", " ", "thirdparty/My Field/EHAM.xml", "/addons/My Field/Scenery/EHAM.bgl"},
        {"airports/my_thirdparty/EHAM.xml", "", "thirdparty/Airport Pack/EHAM.xml", "D:\\Airport Pack\\EHAM.bgl"},
        {"airports/my_thirdparty/EHAM.xml", "Some Maker", "thirdparty/Some Maker/EHAM.xml",
         "D:\\My Field\\scenery\\EHAM.bgl"},
        {"airports/my_thirdparty/EHAM.xml", "", "", "EHAM.bgl"},
        {"airports/my_thirdparty/EHAM.xml", "", "", "scenery/EHAM.bgl"},
        {"airports/my_thirdparty/EHAM.xml", "", "", "D:\\..\\scenery\\EHAM.bgl"},
        {"airports/my_ORBX/EHAM.xml", "", "my_ORBX/EHAM.xml", "D:\\My Field\\scenery\\EHAM.bgl"},
        {"archive/thirdparty/EHAM.xml", "", "", "D:\\My Field\\scenery\\EHAM.bgl"},
        {"airports/../../EHAM.xml", "", ""},
        {"airports/my_ORBX//EHAM.xml", "", ""},
        {"/somewhere/else/EHAM.xml", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.located + " / " + c.publisher);
        const std::string expected = c.learned.empty() ? "" : under(g_learnedFolder, c.learned);
        EXPECT_EQ(lf_pathText(lf_learnedFilePath(c.located, c.publisher, c.bglPath)), expected);
    }
}

TEST_F(AirportFiles, ArchivedFilesAreDownloadedFromTheSite) {
    testing_support::HttpTestServer server;
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, server.url("/downloads/")};
    server.route("/downloads/P3D/archive/stock/EHAM.xml", {200, "<root>stands</root>\n"});
    const fs::path target = g_airportsFolder / "park_airport.xml";

    EXPECT_EQ(lf_downloadAirportFile("archive/stock/EHAM.xml", target), "");
    std::string text = readFile(target);
    std::erase(text, '\r');  // a text-mode file: CR LF line ends on Windows
    EXPECT_EQ(text, "<root>stands</root>\n");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].userAgent, "VLNT");

    const std::string url = server.url("/downloads/P3D/archive/stock/EDDF.xml");
    EXPECT_EQ(lf_downloadAirportFile("archive/stock/EDDF.xml", target), "failed to download: '" + url + "'");
    EXPECT_FALSE(fs::exists(target)) << "a failed download leaves no park airport's file";
    EXPECT_FALSE(fs::exists(fs::path(target) += ".part"));
    EXPECT_TRUE(logged("failed to download: '" + url + "'"));
}
