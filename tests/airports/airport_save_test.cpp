#include <gtest/gtest.h>

#include "airport_fixture.h"
#include "settings/file_names.h"
#include "settings/xml_params.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;

namespace {
std::int64_t fixedClock() { return 1767618249; }  // Mon Jan 05 13:04:09 2026

struct AirportSave : AirportTest {
    ModelKey klm = key("KLM", "B738");

    AirportSave() {
        gf_setClockSource(&fixedClock);
        g_parkAirport.code = AirportCode("EHAM");
        g_parkAirportInfo = ParkAirportInfo{"Schiphol", "stock", -11};
    }
    ~AirportSave() override { gf_setClockSource(nullptr); }

    static StandUse fromFile(StandUse u) {
        u.fromAirportFile = 1;
        return u;
    }
    // The saved file's stands: "name:uses".
    static std::vector<std::string> savedStands(const fs::path& path) {
        pugi::xml_document file;
        EXPECT_TRUE(file.load_file(path.c_str())) << lf_pathText(path);
        std::vector<std::string> stands;
        for (const pugi::xml_node parkpos : lf_parkPositionsNode(file).children("parkpos"))
            stands.push_back(std::string(parkpos.attribute("id").value()) + ":" +
                             std::to_string(std::distance(parkpos.children("opt").begin(), parkpos.children("opt").end())));
        return stands;
    }
};
}  // namespace

TEST_F(AirportSave, OnlyWhatWasLearnedOrChangedIsSaved) {
    Stand learned = standAt("L", 0, 0, 20, {fromFile(use(klm, "PH-BXB", 1, slots(3, 4), 1)),
                                           use(klm, "PH-BXA", 1, slots(5, 6), 2), use(klm, "PH-BXC", 1, slots(7, 8), 0)});
    Stand bigger = standAt("R", 0, 100, 20, {fromFile(use(klm, "PH-BXB", 2, slots(3, 4), 1))});
    bigger.radiusChanged = 1;
    Stand cargo = standAt("C", 0, 200, 20);
    cargo.cargoChanged = 1;
    Stand manual = standAt("M", 0, 300, 20);
    manual.manual = 1;
    Stand plain = standAt("P", 0, 400, 20, {fromFile(use(klm, "PH-BXB", 3, slots(3, 4), 1))});
    setStands({learned, bigger, cargo, manual, plain});
    g_airportFileUpdates = 1;

    gf_saveAirportFile();
    const fs::path path = g_learnedStockFolder / "EHAM.xml";
    EXPECT_EQ(savedStands(path), (std::vector<std::string>{"L:1", "R:0", "C:0", "M:0"}));
    EXPECT_TRUE(logged("13:04:09 '" + lf_pathText(path) + "' saved with 1 update"));
    EXPECT_FALSE(logged("1 updates"));
    EXPECT_EQ(g_airportFileUpdates, 0);
    // The stand table keeps only the learned, active uses.
    ASSERT_EQ(g_stands[0].uses.size(), 1u);
    EXPECT_EQ(g_stands[0].uses[0].reg, "PH-BXA");
    EXPECT_TRUE(g_stands[4].uses.empty());
}

TEST_F(AirportSave, AStockAirportWithNothingLearnedSavesNoStands) {
    setStands({standAt("P", 0, 0, 20, {fromFile(use(klm, "PH-BXB", 3, slots(3, 4), 1))})});
    gf_saveAirportFile();
    EXPECT_TRUE(savedStands(g_learnedStockFolder / "EHAM.xml").empty());
    EXPECT_TRUE(logged("saved with 0 updates"));
}

TEST_F(AirportSave, AHandmadeFileIsSavedWholeWithItsQuality) {
    g_handmade = true;
    setStands({standAt("A", 0, 0, 20, {fromFile(use(klm, "PH-BXB", 1, slots(3, 6), 1))}), standAt("B", 0, 100, 20)});
    g_airportFileUpdates = 2;
    gf_saveAirportFile();
    const fs::path path = g_learnedStockFolder / "EHAM.xml";
    EXPECT_EQ(savedStands(path), (std::vector<std::string>{"A:1", "B:0"}));
    pugi::xml_document file;
    ASSERT_TRUE(file.load_file(path.c_str()));
    EXPECT_EQ(gf_readXmlIntParam(file, "Qf_real"), 32);
    EXPECT_EQ(gf_readXmlIntParam(file, "Qf_soft"), 0);
    EXPECT_EQ(gf_readXmlStringParam(file, "handmade"), "true");
    EXPECT_TRUE(logged("13:04:09 handmade '" + lf_pathText(path) + "' saved with 2 updates"));
    EXPECT_EQ(g_stands[0].uses.size(), 1u);
}

TEST_F(AirportSave, TheLearnedFileGoesWhereItWasReadOrByThePublisher) {
    struct Case {
        fs::path learnedPath;
        std::string publisher;
        fs::path target;  // empty: nothing saved
    } cases[] = {
        {g_learnedFolder / "my_ORBX" / "EHAM.xml", "simaddon", g_learnedFolder / "my_ORBX" / "EHAM.xml"},
        {{}, "stock", g_learnedStockFolder / "EHAM.xml"},
        {{}, "simaddon", g_learnedSimaddonFolder / "EHAM.xml"},
        {{}, "Some Maker", g_learnedThirdpartyFolder / "Some Maker" / "EHAM.xml"},
        {{}, "..\\..", {}},
        {{}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.publisher);
        fs::remove_all(g_airportsFolder);
        Stand manual = standAt("M", 0, 0, 20);
        manual.manual = 1;
        setStands({manual});
        g_learnedFilePath = c.learnedPath;
        g_parkAirportInfo.publisher = c.publisher;
        g_airportFileUpdates = 3;
        gf_saveAirportFile();
        EXPECT_EQ(g_airportFileUpdates, 0);
        if (c.target.empty()) {
            EXPECT_FALSE(fs::exists(g_airportsFolder));
            EXPECT_TRUE(logged("did not succeed: publisher '" + c.publisher + "' names no folder"));
        } else {
            EXPECT_EQ(savedStands(c.target), std::vector<std::string>{"M:0"});
        }
    }
}

TEST_F(AirportSave, AFailedWriteIsLoggedAndTheCountStillReset) {
    fs::create_directories(g_airportsFolder);
    testing_support::writeFile(g_airportsFolder / "learned", "a file where the folder should be");
    Stand manual = standAt("M", 0, 0, 20);
    manual.manual = 1;
    setStands({manual});
    g_airportFileUpdates = 5;
    gf_saveAirportFile();
    EXPECT_TRUE(logged("13:04:09 saving '" + lf_pathText(g_learnedStockFolder / "EHAM.xml") + "' did not succeed"));
    EXPECT_EQ(g_airportFileUpdates, 0);
}
