#include "airports/park_airport_list.h"

#include <gtest/gtest.h>

#include "airport_fixture.h"
#include "app/services/status_line.h"
#include "settings/file_names.h"
#include "simlink/user_aircraft.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
struct ParkAirportList : AirportTest {
    ParkAirportList() {
        fs::create_directories(g_airportsFolder);
        setAirports({airport("EHAM", 52.3086, 4.7639, 2), airport("EBBR", 50.9014, 4.4844, 1),
                     airport("EDDL", 51.2895, 6.7668, 1)});
        gf_resetStatusLine();
    }
    ~ParkAirportList() override {
        gf_resetStatusLine();
        g_userOnGroundKnown = false;
        const std::lock_guard lock(g_userStateMutex);
        g_userState = UserState{};
    }
    // "CODE,stand" of every entry in list order.
    static std::vector<std::string> entries() {
        std::vector<std::string> texts;
        for (const ParkAirportEntry& e : g_parkAirportList) texts.push_back(e.code.text() + "," + e.stand);
        return texts;
    }
    bool readList(const std::string& text) {
        writeFile(g_myParkAirportsPath, text);
        return lf_readMyParkAirports();
    }
    void addFirst(const char* code, const char* stand) {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirportList = {ParkAirportEntry{stand, 0.0, 0.0, 0.0, AirportCode(code)}};
        gf_addMyParkAirport();
    }
};
}  // namespace

TEST_F(ParkAirportList, LinesNameAirportsAndTheirReservedStands) {
    EXPECT_TRUE(readList("\xEF\xBB\xBF" "EHAM,D4\r\n\r\neham\nEBBR\nEHAM,B2\nEDDL,C1,X\nEBBR,\n"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"EHAM,D4", "EHAM,", "EBBR,"}));
    EXPECT_EQ(g_parkAirportList.front().lat, 52.3086);
    EXPECT_EQ(g_parkAirportList.front().distanceNm, 0.0);
    EXPECT_TRUE(logged("my_park_airports.txt:EHAM double, skipped"));
    EXPECT_TRUE(logged("my_park_airports.txt:EBBR double, skipped"));
    EXPECT_TRUE(logged("==> my_park_airports.txt:EDDL,C1,X wrong syntax, skipped"));
    EXPECT_TRUE(logged("    3 park airports read from 'my_park_airports.txt'"));
    EXPECT_EQ(gf_firstParkAirportPosition()->lat, 52.3086);
}

TEST_F(ParkAirportList, UnknownAirportsAreReportedAndBadCodesEndTheReading) {
    fs::create_directories(g_myThirdpartyFolder);
    writeFile(g_myThirdpartyFolder / "EDDL.xml", "<root/>");
    EXPECT_FALSE(readList("LFPG\nEHAM\nLFPG,A1\n"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"EHAM,", "EDDL,"}));
    EXPECT_EQ(gf_statusLineText(), "airport LFPG is unknown");
    EXPECT_TRUE(logged("airport LFPG is unknown"));

    EXPECT_TRUE(readList("EHAM\nAMS\nEBBR\n"));
    EXPECT_EQ(entries(), std::vector<std::string>{"EHAM,"}) << "no my_thirdparty airports after a bad code";
    EXPECT_TRUE(logged("==> lf_readMyParkAirports: FixedCode: invalid string (length/charset)"));
}

TEST_F(ParkAirportList, ThirdPartyAirportsJoinTheListOnce) {
    fs::create_directories(g_myThirdpartyFolder);
    for (const char* name : {"EDDL.xml", "EBBR.txt", "EHAM.xml", "LFPG.xml", "notes.xml", "EDDL.txt"})
        writeFile(g_myThirdpartyFolder / name, "x");
    fs::create_directories(g_myThirdpartyFolder / "EDDF.xml");
    EXPECT_TRUE(readList("EHAM,D4\n"));
    std::vector<std::string> listed = entries();
    EXPECT_EQ(listed.front(), "EHAM,D4");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"EBBR,", "EDDL,", "EHAM,D4"}));
    // Without the file the list holds the my_thirdparty airports alone.
    fs::remove(g_myParkAirportsPath);
    EXPECT_TRUE(lf_readMyParkAirports());
    EXPECT_EQ(g_parkAirportList.size(), 3u);
    EXPECT_TRUE(logged(lf_pathText(g_myParkAirportsPath) + " not found"));
}

TEST_F(ParkAirportList, TheFirstEntryIsWrittenSortedAndWithoutRepeats) {
    addFirst("EHAM", "D4");
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EHAM,D4\n");
    EXPECT_TRUE(logged("my_park_airports.txt created with EHAM,D4"));

    writeFile(g_myParkAirportsPath, "\xEF\xBB\xBF" "EDDL\r\nEHAM,B2\r\neham\nEBBR\nEBBR\n");
    addFirst("EHAM", "D4");
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EBBR\nEDDL\nEHAM,D4\neham\n");
    EXPECT_TRUE(logged("my_park_airports.txt:EHAM,D4 updated stand"));

    writeFile(g_myParkAirportsPath, "eham\n");
    addFirst("EHAM", "D4");
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EHAM,D4\neham\n");
    EXPECT_TRUE(logged("my_park_airports.txt:EHAM,D4 new entry"));

    addFirst("EBBR", "");
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EBBR\nEHAM,D4\neham\n");
}

TEST_F(ParkAirportList, TheUsersStandIsSavedInTheListWhenTheSimulatorGoes) {
    setStands({standAt("B34", 0, 0, 20)});
    g_parkAirport = g_airports[2];  // EHAM (the list is sorted by code)
    ASSERT_EQ(g_parkAirport.code, AirportCode("EHAM"));
    EXPECT_TRUE(readList("EHAM,D4\n"));
    g_userOnGround = true;
    g_userOnGroundKnown = true;
    {
        const std::lock_guard lock(g_userStateMutex);
        g_userState.lat = pointAt(0, 5).lat;
        g_userState.lon = pointAt(0, 5).lon;
        g_userState.groundVelocityKt = 0.5;
    }
    gf_saveUserParkStand();
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EHAM,B34\n");
    EXPECT_EQ(g_parkAirportList.front().stand, "B34");
}
