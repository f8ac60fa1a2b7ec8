#include "airports/park_airport_file.h"

#include <gtest/gtest.h>

#include "airport_fixture.h"
#include "foundation/download_site.h"
#include "settings/file_names.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/data_set.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
const std::vector<std::pair<std::string, std::string>> kParameters = {
    {"airport_name", "Schiphol"}, {"publisher", "Some Maker"}, {"altitude", "-11"}};

struct ParkAirportFile : AirportTest {
    ParkAirportInfo info;

    explicit ParkAirportFile(std::int32_t listStands = 2) {
        setAirports({airport("EHAM", 52.3086, 4.7639, listStands), airport("EDDF", 50.03, 8.57, 1)});
        g_parkAirport = g_airports[1];
        fs::create_directories(g_myOrbxFolder);
    }
    // Writes airports/my_ORBX/EHAM.xml and reads it.
    std::string read(const std::string& xml) {
        writeFile(g_myOrbxFolder / "EHAM.xml", xml);
        return gf_readApf(gf_locateAirportFile(AirportCode("EHAM")), info);
    }
    std::string readStands(const std::string& parkpositions,
                           std::vector<std::pair<std::string, std::string>> parameters = kParameters) {
        return read(standFileXml(parameters, parkpositions));
    }
    bool sawUpdate(const std::string& update) const {
        const auto updates = recorder_.updates();
        return std::find(updates.begin(), updates.end(), update) != updates.end();
    }
};

std::string located(const char* relative) { return lf_pathText(g_myOrbxFolder / relative); }
}  // namespace

TEST_F(ParkAirportFile, TheArchivedFileIsDownloadedReadNumberedAndAnnounced) {
    testing_support::HttpTestServer server;
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, server.url("/downloads/")};
    const std::string eham = readFile(testing_support::sourceFile("data/stands/EHAM.xml"));
    server.route("/downloads/P3D/archive/stock/EHAM.xml", {200, eham});
    RANGE.value = 33;

    EXPECT_EQ(gf_readApf(gf_locateAirportFile(AirportCode("EHAM")), info), "");

    EXPECT_TRUE(fs::exists(g_airportsFolder / "park_airport.xml"));
    EXPECT_EQ(info.airport_name, "Amsterdam Schiphol");
    EXPECT_EQ(info.publisher, "stock");
    EXPECT_EQ(info.altitude, -11);
    EXPECT_EQ(g_parkAirportElevation, -11.0F);
    EXPECT_GE(g_stands.size(), 100u);
    EXPECT_EQ(g_standCount.load(), static_cast<std::int64_t>(g_stands.size()));
    for (std::size_t i = 0; i < g_stands.size(); ++i) ASSERT_EQ(g_stands[i].standId, static_cast<std::int32_t>(i + 1));
    EXPECT_TRUE(g_airportFileRead);
    EXPECT_EQ(lf_pathText(g_learnedFilePath), lf_pathText(g_learnedStockFolder / "EHAM.xml"));
    EXPECT_EQ(gf_readerParkAirport().code, AirportCode("EHAM"));
    EXPECT_EQ(gf_readerParkAirport().elevationFt, -11.0);
    EXPECT_EQ(g_parkPublisherText.get(), "stock");
    // The user's own settings are kept for when the airport is left.
    EXPECT_TRUE(g_globalSettingsBackup.taken);
    EXPECT_EQ(g_globalSettingsBackup.range, 33);
    EXPECT_TRUE(sawUpdate("enable Flush static 1"));
    EXPECT_TRUE(logged("learned does not exist"));
    EXPECT_TRUE(logged("Airport file read from 'archive/stock/EHAM.xml' for Amsterdam Schiphol"));
    EXPECT_TRUE(logged(fmt::format("{:24}: {} ft", "altitude", -11)));
    EXPECT_TRUE(logged(fmt::format("{:24}: {}", "num_parkpos", g_stands.size())));
    EXPECT_TRUE(logged(fmt::format("{:24}: {}%", "parking_percentage", 50)));
    // The demo's aircraft find their stands.
    for (const char* name : {"D8", "D14", "E3", "H3"})
        EXPECT_TRUE(std::any_of(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.name == name; }))
            << name;
}

TEST_F(ParkAirportFile, FailuresComeBackAsText) {
    testing_support::HttpTestServer server;
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, server.url("/downloads/")};
    EXPECT_EQ(gf_readApf("", info), "gf_readApf: xml is empty");
    EXPECT_EQ(gf_readApf("archive/stock/EHAM.xml", info),
              "failed to download: '" + server.url("/downloads/P3D/archive/stock/EHAM.xml") + "'");

    const std::string p = located("EHAM.xml");
    struct Case {
        std::string xml;
        std::string result;
    } cases[] = {
        {"<root><parkpositions>", p + ": could not load file: Start-end tags mismatch"},
        {"<root><parameters/></root>", p + ": refused to load"},
        {standFileXml(kParameters, parkposXml("A1", 0, 0, 30), "11.14.0", false), p + ": refused to load"},
        {standFileXml({{"airport_name", "Schiphol"}}, parkposXml("A1", 0, 0, 30)),
         "gf_readApf: 65: Parameter altitude not found"},
        {standFileXml(kParameters, parkposXml("A1", 0, 0, 30) + parkposXml("A1", 0, 90, 30)),
         "gf_readApf: 94: Stand 'A1' appears more than once."},
        {standFileXml(kParameters, ""), "no stands found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        gf_clearStands();
        EXPECT_EQ(read(c.xml), c.result);
    }
    g_parkAirport = AirportRecord{};
    EXPECT_EQ(read(standFileXml(kParameters, parkposXml("A1", 0, 0, 30))), "gf_readApf: no park airport set");
}

TEST_F(ParkAirportFile, WithoutLearnedDataTheSettingsFollowWhatIsKnown) {
    // In this order: a file without quality factors follows one with them,
    // and nothing of the one before is carried over.
    struct Case {
        const char* qfReal;  // nullptr: the file has none
        const char* qfSoft;
        bool parkSoft, week;
        std::int32_t maxFit;
        const char* text;
    } cases[] = {
        {"2", "10", true, true, 47, " 2/10"},
        {"2", "0", true, false, 9, " 2/ 0"},
        {"46", "10", false, false, 9, "46"},
        {nullptr, nullptr, true, false, 9, "  "},
        {"2", nullptr, true, false, 9, "  "},
        {"45", "10", true, false, 9, "45"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.qfReal ? c.qfReal : "none") + "/" + (c.qfSoft ? c.qfSoft : "none"));
        gf_clearStands();
        PARK_SOFT.value = true;
        WEEK.value = false;
        MAX_FIT.value = 9;
        auto parameters = kParameters;
        if (c.qfReal) parameters.push_back({"Qf_real", c.qfReal});
        if (c.qfSoft) parameters.push_back({"Qf_soft", c.qfSoft});
        EXPECT_EQ(readStands(parkposXml("A1", 0, 0, 30), parameters), "");
        EXPECT_EQ(PARK_SOFT.value, c.parkSoft);
        EXPECT_EQ(WEEK.value, c.week);
        EXPECT_EQ(MAX_FIT.value, c.maxFit);
        EXPECT_EQ(g_qualityText.get(), c.text);
    }
    EXPECT_TRUE(sawUpdate("check PARK_SOFT 1"));
    EXPECT_TRUE(sawUpdate("maxfit"));
}

TEST_F(ParkAirportFile, TheParkingPercentageFollowsTheListsStandClass) {
    for (const auto& [listStands, percentage] : {std::pair{1, 100}, {2, 50}, {3, 30}, {0, 30}}) {
        SCOPED_TRACE(listStands);
        setAirports({airport("EHAM", 52.3086, 4.7639, listStands)});
        gf_clearStands();
        EXPECT_EQ(readStands(parkposXml("A1", 0, 0, 30)), "");
        EXPECT_EQ(parking_percentage.value, percentage);
    }
    EXPECT_TRUE(sawUpdate("enable parking_percentage 1"));
}

TEST_F(ParkAirportFile, NeighboursAreStandsCloserThanTheirRadiiAllowFor) {
    // 50 m x 1.1 = 55 < 60: neighbours; 55 m x 1.1 = 60.5: not.
    EXPECT_EQ(readStands(parkposXml("A", 0, 0, 30) + parkposXml("B", 0, 50, 30) + parkposXml("C", 0, 105, 30)), "");
    ASSERT_EQ(g_stands.size(), 3u);
    EXPECT_EQ(g_stands[0].adjacentIds, std::vector<std::int32_t>{2});
    EXPECT_EQ(g_stands[1].adjacentIds, std::vector<std::int32_t>{1});
    EXPECT_TRUE(g_stands[2].adjacentIds.empty());
}

TEST_F(ParkAirportFile, TheQualityTextShowsWhatIsKnown) {
    for (const auto& [quality, text] :
         {std::pair{QualityFactors{44, 7}, "44/ 7"}, {QualityFactors{80, 3}, "80"}, {QualityFactors{-1, -1}, "  "},
          {QualityFactors{0, -1}, " 0/-1"}}) {
        g_qualityFactors = quality;
        EXPECT_EQ(lf_qualityFactorText(), text);
    }
}

TEST_F(ParkAirportFile, TheLearnedFileIsMergedAndRated) {
    fs::create_directories(g_learnedFolder / "my_ORBX");
    writeFile(g_learnedFolder / "my_ORBX" / "EHAM.xml",
              standFileXml({{"airport_name", "Schiphol"}, {"RANGE", "20"}},
                           parkposXml("A1", 0, 0, 30, "", R"(<opt reg="PH-BXA" airl="KLM" type="B738" day="1" hh="3:6"/>)"),
                           "11.14.0", false));
    EXPECT_EQ(readStands(parkposXml("A1", 0, 0, 20) + parkposXml("A2", 0, 90, 20)), "");
    ASSERT_EQ(g_stands[0].uses.size(), 1u);
    EXPECT_EQ(g_qualityFactors, (QualityFactors{32, 0}));
    EXPECT_EQ(g_qualityText.get(), "32/ 0");
    EXPECT_EQ(RANGE.value, 20);
    EXPECT_EQ(parking_percentage.value, 30);
    EXPECT_TRUE(logged("Airport file read from '" + located("EHAM.xml") + "' for Schiphol"));
    EXPECT_FALSE(logged("learned does not exist"));
}

TEST_F(ParkAirportFile, AHandmadeLearnedFileOverrulesTheAirportFile) {
    const fs::path learned = g_learnedFolder / "my_ORBX" / "EHAM.xml";
    fs::create_directories(learned.parent_path());
    writeFile(learned, standFileXml({{"airport_name", "Schiphol"}, {"handmade", "true"}},
                                    parkposXml("X1", 0, 0, 30) + parkposXml("X2", 0, 200, 30), "11.0.0", false));
    EXPECT_EQ(readStands(parkposXml("A1", 0, 0, 20)), "");
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[1].standId, 2);
    EXPECT_TRUE(g_handmade);
    EXPECT_TRUE(logged("A handmade airport file overruled the archived file!"));
    EXPECT_TRUE(logged("Airport file read from '" + lf_pathText(learned) + "' for Schiphol"));
}
