// Collecting the generated files of other publishers' scenery after a scan
// and zipping them for the user to mail: what lands in tblo/tblo.zip, what
// stays in airports/my_thirdparty, the log and the window's button.
#include "airports/offline_learning.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "airports/state.h"
#include "app/services/state.h"
#include "foundation/zip_archive.h"
#include "settings/file_names.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace testing_support;
using ::testing::Contains;

namespace {

class OfflineLearning : public StoreTest {
protected:
    OfflineLearning() {
        g_airportCodes = {AirportCode("EHAM"), AirportCode("EDDF"), AirportCode("EBBR")};
        fs::create_directories(g_myThirdpartyFolder);
        fs::create_directories(g_tbloName);
    }
    ~OfflineLearning() override {
        g_airportCodes.clear();
        g_tbloFileCount = 0;
    }
    static fs::path zip() { return fs::path(g_tbloName) / g_tbloZipName; }
    // Entry names and contents of the zip, read back.
    static std::map<std::string, std::string> zipContent() {
        std::map<std::string, std::string> content;
        const ZipArchive archive(zip(), ZipMode::ReadOnly);
        for (const ZipEntry& entry : archive.entries()) {
            std::ostringstream bytes;
            EXPECT_EQ(archive.readContent(entry, bytes), 0);
            content[entry.name] = bytes.str();
        }
        return content;
    }
};

TEST_F(OfflineLearning, GeneratedFilesAreZippedAndLinkedOnesLeaveTheUsersFolder) {
    writeFile(g_myThirdpartyFolder / "EHAM.xml", "<root>EHAM generated</root>");
    writeFile(g_myThirdpartyFolder / "EHAM.txt", "archive/thirdparty/Skyline%20Sceneries/EHAM.xml\n");
    writeFile(g_myThirdpartyFolder / "EDDF.xml", "<root>EDDF generated</root>");
    writeFile(g_myThirdpartyFolder / "ZZZZ.xml", "<root>not an airport of the list</root>");

    lf_afterAirportScan({AirportCode("EHAM"), AirportCode("EDDF"), AirportCode("ZZZZ"), AirportCode("EBBR")});

    EXPECT_EQ(zipContent(), (std::map<std::string, std::string>{{"EDDF.xml", "<root>EDDF generated</root>"},
                                                                {"EHAM.xml", "<root>EHAM generated</root>"}}));
    // Only the zip stays in tblo; the linked airport's generated file goes,
    // so that its archived file stays the one in use.
    std::vector<std::string> tblo;
    for (const auto& entry : fs::directory_iterator(g_tbloName)) tblo.push_back(entry.path().filename().string());
    EXPECT_EQ(tblo, std::vector<std::string>{"tblo.zip"});
    EXPECT_FALSE(fs::exists(g_myThirdpartyFolder / "EHAM.xml"));
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "EHAM.txt"));
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "EDDF.xml"));
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "ZZZZ.xml"));
    EXPECT_EQ(g_tbloFileCount, 2u);
    EXPECT_THAT(recorder_.updates(), Contains("enable tblo.zip 1"));
    const std::string target = fs::absolute(zip()).string();
    for (const std::string& line :
         {"EHAM copied to " + (fs::path(g_tbloName) / "EHAM.xml").string(),
          "EDDF copied to " + (fs::path(g_tbloName) / "EDDF.xml").string(),
          "==> '" + (g_myThirdpartyFolder / "EBBR.xml").string() + "' failed to copy '" +
              (fs::path(g_tbloName) / "EBBR.xml").string() + "': ",
          "[zip] Target file: " + target, "[zip] Source dir : " + fs::absolute(g_tbloName).string(),
          std::string("[zip] Added 2 files, ok_close=true, exists=true, size="),
          "! Mail " + target + " to support@velantra-p3d.example"})
        EXPECT_TRUE(log_.contains(line)) << line;
    EXPECT_FALSE(log_.contains("Zippen TBLO folder failed"));
}

TEST_F(OfflineLearning, NothingToCollectNeedsNoZip) {
    writeFile(g_myThirdpartyFolder / "EHAM.xml", "<root />");
    lf_afterAirportScan({});
    EXPECT_TRUE(log_.contains("All your third party airports are recognised, no off line learning needed."));
    EXPECT_EQ(g_tbloFileCount, 0u);
    EXPECT_FALSE(fs::exists(zip()));
    EXPECT_THAT(recorder_.updates(), testing::IsEmpty());
}

TEST_F(OfflineLearning, OldZipIsReplacedAndNeverZippedItself) {
    writeFile(zip(), "an old zip");
    writeFile(fs::path(g_tbloName) / "EHAM.xml", "<root />");
    EXPECT_TRUE(gf_zipFolder(zip()));
    EXPECT_EQ(zipContent(), (std::map<std::string, std::string>{{"EHAM.xml", "<root />"}}));
    EXPECT_TRUE(log_.contains("[zip] Removing old zip " + fs::absolute(zip()).string()));
    EXPECT_TRUE(log_.contains("[zip] Adding (data) " + (fs::absolute(g_tbloName) / "EHAM.xml").string() +
                              " -> EHAM.xml (8 bytes)"));
}

TEST_F(OfflineLearning, ZipWithoutFilesFails) {
    // An entry that is no file: counted as collected, but nothing to zip.
    fs::create_directories(fs::path(g_tbloName) / "sub");
    lf_afterAirportScan({});
    EXPECT_TRUE(log_.contains("[zip] Added 0 files, ok_close=true, exists=false, size=0 bytes"));
    EXPECT_TRUE(log_.contains("==> Zippen TBLO folder failed"));
    EXPECT_EQ(g_tbloFileCount, 1u);  // the request still shows
    EXPECT_FALSE(fs::exists(zip()));

    fs::remove_all(g_tbloName);
    EXPECT_FALSE(gf_zipFolder(zip()));
    EXPECT_TRUE(log_.contains("[zip] Not a directory: tblo"));
}

TEST_F(OfflineLearning, FileBytesReadWhole) {
    writeFile("bytes.bin", std::string("a\0b\r\n", 5));
    EXPECT_EQ(lf_readFileBytes("bytes.bin"), std::string("a\0b\r\n", 5));
    writeFile("empty.bin", "");
    EXPECT_EQ(lf_readFileBytes("empty.bin"), std::string());
    EXPECT_FALSE(lf_readFileBytes("missing.bin"));
}

}  // namespace
