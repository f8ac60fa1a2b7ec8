// Linking scanned airports to archived files and generating airport files
// from scenery: pointer files, the generated files, the scan-log lines.
#include "airports/scanned_airports.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "airport_fixture.h"
#include "airports/bgl_reader.h"
#include "airports/park_airport_file.h"
#include "airports/state.h"
#include "foundation/file_helpers.h"
#include "refdata/state.h"
#include "settings/file_names.h"
#include "support/bgl_builder.h"
#include "support/data_set.h"
#include "support/log_capture.h"
#include "support/scan_log.h"

namespace fs = std::filesystem;
using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ScannedAirports : public ::testing::Test {
protected:
    ScannedAirports() {
        g_airportCodes = {AirportCode("EHAM"), AirportCode("EDDF"), AirportCode("EDDL"), AirportCode("EGLC")};
        g_publisherGroups = {{"Skyline Sceneries", "SkylineSim"}, {"Pixel Runways"}};
        g_thirdParties = {{"Pixel Runways", {"EHAM7"}},
                          {"Skyline Sceneries", {"EDDL3", "EHAM2", "EHAM9"}},
                          {"Skyline Sceneries", {"EGLCx"}}};
        g_simaddonAirports = {"EDDF"};
        fs::create_directories(g_myOrbxFolder);
        fs::create_directories(g_myThirdpartyFolder);
        clearScanLog();
    }
    ~ScannedAirports() override {
        g_airportCodes.clear();
        gf_clearReferenceData();
        clearScanLog();
    }
    // Folder entries of the two link folders, as "my_ORBX/EDDF.txt".
    static std::vector<std::string> linkFiles() {
        std::vector<std::string> files;
        for (const fs::path& folder : {g_myOrbxFolder, g_myThirdpartyFolder})
            for (const auto& entry : fs::directory_iterator(folder))
                files.push_back(folder.filename().string() + "/" + entry.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    LogCapture log_;
};

TEST_F(ScannedAirports, LinkingByThePublisherOfThePath) {
    struct Case {
        const char* what;
        std::string code;
        std::string path;
        bool linked;
        std::string publisher;
        std::int32_t archived;
        std::vector<std::string> scanLog;
        std::vector<std::string> pointerFiles;  // "folder/file: content"
    };
    const std::vector<Case> cases = {
        {"no publisher in the path", "EHAM", "/scenery/EHAM/ap.bgl", false, "", 0, {}, {}},
        {"a simaddon airport of the archive",
         "EDDF",
         "/scenery/orbx/EDDF/ap.bgl",
         true,
         "simaddon",
         0,
         {"from filename => publisher simaddon", "simaddon airport EDDF linked to archive/simaddon/EDDF.xml"},
         {"my_ORBX/EDDF.txt: archive/simaddon/EDDF.xml\n"}},
        {"a simaddon airport the archive lacks",
         "EHAM",
         "/scenery/ORBX/EHAM/ap.bgl",
         false,
         "simaddon",
         0,
         {"from filename => publisher simaddon", "EHAM does not exist as simaddon"},
         {}},
        {"a publisher with a blank: its first entry of the airport counts",
         "EHAM",
         "/scenery/SkylineSim EHAM/ap.bgl",
         true,
         "Skyline Sceneries",
         2,
         {"thirdparty airport EHAM linked to archive/thirdparty/Skyline%20Sceneries/EHAM.xml"},
         {"my_thirdparty/EHAM.txt: archive/thirdparty/Skyline%20Sceneries/EHAM.xml\n"}},
        {"an airport the publisher's archive lacks",
         "EDDF",
         "/scenery/Pixel Runways/EDDF/ap.bgl",
         false,
         "Pixel Runways",
         0,
         {"thirdparty Pixel Runways EDDF does not exist"},
         {}},
        {"a later record of the same publisher; an entry without a number",
         "EGLC",
         "/scenery/Skyline Sceneries/EGLC/ap.bgl",
         true,
         "Skyline Sceneries",
         0,
         {"thirdparty airport EGLC linked to archive/thirdparty/Skyline%20Sceneries/EGLC.xml"},
         {"my_thirdparty/EGLC.txt: archive/thirdparty/Skyline%20Sceneries/EGLC.xml\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearScanLog();
        for (const fs::path& folder : {g_myOrbxFolder, g_myThirdpartyFolder}) gf_removeFilesFromDirectory(folder);
        AirportFileData record;
        record.code = AirportCode(c.code);
        std::int32_t archived = -1;
        EXPECT_EQ(lf_linkScannedAirport(record, archived, c.path), c.linked);
        EXPECT_EQ(record.BGLpath, c.path);
        EXPECT_EQ(record.publisher, c.publisher);
        EXPECT_EQ(archived, c.archived);
        EXPECT_EQ(scanLogLines(), c.scanLog);
        std::vector<std::string> pointers;
        for (const std::string& file : linkFiles())
            pointers.push_back(file + ": " + readFile(g_airportsFolder / file));
        EXPECT_EQ(pointers, c.pointerFiles);
    }
}

// What the scan does with an airport of a scenery file: link it, generate it, or both.
TEST_F(ScannedAirports, GeneratedWhenNotLinkedOrWhenTheSceneryHasMoreStands) {
    auto airportFile = [](const std::string& ident, std::uint32_t stands) {
        std::vector<BglParkingSpec> entries;
        for (std::uint32_t k = 1; k <= stands; ++k) entries.push_back({1, 2, k, 15.0F, 10.0F, 52.3 + k * 1e-3, 4.7, {}});
        return bglAirportFile({ident, false, 0, {bglParkingList(entries, false)}, {}});
    };
    struct Case {
        const char* what;
        std::string path;
        Bytes file;
        std::vector<std::string> scanLog;
        std::vector<std::string> files;  // in the link folders afterwards
    };
    const std::vector<Case> cases = {
        {"not linked", "/s/EHAM/ap.bgl", airportFile("EHAM", 1),
         {"===> EHAM has 1 parkpos while archived one has 0", "Generated EHAM.xml: 1 position"},
         {"my_thirdparty/EHAM.xml"}},
        {"linked, as many stands as archived", "/s/SkylineSim/ap.bgl", airportFile("EHAM", 2),
         {"thirdparty airport EHAM linked to archive/thirdparty/Skyline%20Sceneries/EHAM.xml"},
         {"my_thirdparty/EHAM.txt"}},
        {"linked, more stands than archived", "/s/SkylineSim/ap.bgl", airportFile("EHAM", 3),
         {"thirdparty airport EHAM linked to archive/thirdparty/Skyline%20Sceneries/EHAM.xml",
          "===> EHAM has 3 parkpos while archived one has 2", "Generated EHAM.xml: 3 positions"},
         {"my_thirdparty/EHAM.txt", "my_thirdparty/EHAM.xml"}},
        {"linked simaddon, never generated", "/s/ORBX/ap.bgl", airportFile("EDDF", 3),
         {"from filename => publisher simaddon", "simaddon airport EDDF linked to archive/simaddon/EDDF.xml"},
         {"my_ORBX/EDDF.txt"}},
        {"not linked, no stands: nothing", "/s/EDDL/ap.bgl", airportFile("EDDL", 0), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearScanLog();
        for (const fs::path& folder : {g_myOrbxFolder, g_myThirdpartyFolder}) gf_removeFilesFromDirectory(folder);
        const BglImage image{Bytes(c.file)};
        lf_walkBglAirports(image, [&](const BglAirportRef& airport) { lf_processBglAirport(airport, image, c.path); });
        EXPECT_EQ(scanLogLines(), c.scanLog);
        EXPECT_EQ(linkFiles(), c.files);
    }
}

TEST_F(ScannedAirports, HelipadsCountedInTheGeneratedLine) {
    struct Case {
        std::size_t stands;
        std::int32_t helipadCounter;
        std::string line;
    };
    for (const Case& c : std::vector<Case>{{1, 1, "Generated EHAM.xml: 1 position"},
                                           {2, 2, "Generated EHAM.xml: 2 positions, of which 1 helipad"},
                                           {3, 4, "Generated EHAM.xml: 3 positions, of which 3 helipads"}}) {
        clearScanLog();
        AirportFileData record;
        record.code = AirportCode("EHAM");
        for (std::size_t k = 0; k < c.stands; ++k)
            record.stands.emplace_back(std::vector<StandUse>{}, "helipad" + std::to_string(k + 1), 52.0, 4.0, 0.0, 10.0,
                                       false, false, true);
        lf_generateAirportFile(record, c.helipadCounter);
        ASSERT_FALSE(scanLogLines().empty());
        EXPECT_EQ(scanLogLines().front(), c.line);
    }
}

}  // namespace

namespace {

TEST_F(ScannedAirports, GeneratedFileOfSimaddonSceneryAndWriteFailures) {
    AirportFileData record;
    record.code = AirportCode("EHAM");
    record.publisher = "simaddon";
    record.stands.emplace_back(std::vector<StandUse>{}, "B2", 52.1, 4.1, 0.5, 30.0, true, true, false);
    record.stands.emplace_back(std::vector<StandUse>{}, "A10", 52.2, 4.2, 1.0, 20.0, false, false, false);
    fs::remove_all(g_myOrbxFolder);  // created when missing
    lf_generateAirportFile(record, 1);
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file((g_myOrbxFolder / "EHAM.xml").c_str()));
    std::vector<std::string> ids;
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos"))
        ids.push_back(parkpos.attribute("id").value());
    EXPECT_EQ(ids, (std::vector<std::string>{"A10", "B2"}));
    EXPECT_EQ(std::string(document.child("root").child("parkpositions").first_child().attribute("radius").value()),
              "20.0");

    // A folder where the file should go: the file cannot be written.
    clearScanLog();
    fs::create_directories(g_myThirdpartyFolder / "EHAM.xml");
    record.publisher = "Skyline Sceneries";
    lf_generateAirportFile(record, 1);
    EXPECT_EQ(scanLogLines(),
              (std::vector<std::string>{"Generated EHAM.xml: 2 positions",
                                        "===> Generating " + (g_myThirdpartyFolder / "EHAM.xml").string() +
                                            " did not succeed"}));
}

}  // namespace

namespace {

// The scan's generated file is the one the park airport is then read from.
struct ScannedParkAirport : airports_test::AirportTest {};

TEST_F(ScannedParkAirport, GeneratedFileIsReadAsTheParkAirportsFile) {
    using airports_test::airport;
    airports_test::setAirports({airport("LEAB", 38.9485, -1.8635, 0)});
    g_parkAirport = g_airports[0];
    fs::create_directories(g_myThirdpartyFolder);
    lf_processBGLfile(sourceFile("tests/airports/data/bgl/LEAB_ADEP5_ARV187.bgl"));

    const std::string located = gf_locateAirportFile(AirportCode("LEAB"));
    EXPECT_EQ(located, lf_pathText(g_myThirdpartyFolder / "LEAB.xml"));
    ParkAirportInfo info;
    EXPECT_EQ(gf_readApf(located, info), "");
    EXPECT_EQ(info.airport_name, "Los Llanos");
    EXPECT_EQ(info.altitude, 2301);
    ASSERT_EQ(g_stands.size(), 69u);
    EXPECT_EQ(g_stands.front().name, "helipad1");
    EXPECT_EQ(g_stands.front().heli, 1);
    const auto r81 = std::find_if(g_stands.begin(), g_stands.end(), [](const Stand& s) { return s.name == "r81"; });
    ASSERT_NE(r81, g_stands.end());
    EXPECT_NEAR(r81->latitude, 38.953597, 1e-6);
    EXPECT_NEAR(r81->longitude, -1.873516, 1e-6);
    EXPECT_NEAR(r81->heading, 2 * 3.141592653589793, 1e-9);
    EXPECT_NEAR(r81->radius * 1852.0, 10.0, 1e-9);
    EXPECT_EQ(r81->ramp, 1);
}

}  // namespace
