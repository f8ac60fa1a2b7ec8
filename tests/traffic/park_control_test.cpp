#include "traffic/park_airport.h"

#include <gtest/gtest.h>

#include "airports/park_airport_file.h"
#include "app/services/settings_lock.h"
#include "app/services/status_line.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "static_fixture.h"
#include "support/temp_dir.h"
#include "traffic/engine_jobs.h"

namespace fs = std::filesystem;
using namespace static_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
constexpr double kAmsLat = 52.3, kAmsLon = 4.76;
constexpr double kBruLat = 50.9, kBruLon = 4.48;

struct ParkControl : StaticTest {
    ParkControl() {
        fs::create_directories(g_myThirdpartyFolder);
        setAirports({airport("EHAM", kAmsLat, kAmsLon, 0), airport("EBBR", kBruLat, kBruLon, 0),
                     airport("EDDX", 50.0, 8.0, 0)});
        MAX_PARK_SEL.value = 500;
    }
    ~ParkControl() override {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirportList.clear();
    }
    static void listAirports(std::initializer_list<const char*> codes) {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirportList.clear();
        for (const char* code : codes) {
            const AirportRecord& a = *std::find_if(g_airports.begin(), g_airports.end(),
                                                   [&](const AirportRecord& r) { return r.code == AirportCode(code); });
            g_parkAirportList.push_back(ParkAirportEntry{"", a.latitude, a.longitude, 0.0, a.code});
        }
    }
    static void makeParkAirport(const char* code) { ASSERT_TRUE(lf_parkAirportText(AirportCode(code))); }
    // The point d nautical miles north of the place.
    static GeoPoint north(double lat, double lon, double nm) { return GeoPoint{lat + nm / 60.0, lon}; }
    static std::string statusShown() {
        const std::lock_guard lock(g_statusMutex);
        return g_statusText;
    }
    // Schiphol's stand file among the user's files: A1, A2, A3 100 m apart,
    // each used now (Monday 10:00) by its own flight.
    static void writeSchipholFile() {
        std::string parkpos;
        for (int k = 1; k <= 3; ++k)
            parkpos += parkposXml("A" + std::to_string(k), 0, 100.0 * (k - 1), 20, "",
                                  fmt::format(R"(<opt reg="PH-BX{}" airl="KLM" type="B738" day="1" hh="18:22" cs="KLM{}"/>)",
                                              k, k));
        writeFile(g_myThirdpartyFolder / "EHAM.xml",
                  standFileXml({{"airport_name", "Schiphol"}, {"publisher", "Maker"}, {"altitude", "-11"},
                                {"parking_percentage", "70"}},
                               parkpos));
    }
};
}  // namespace

TEST_F(ParkControl, ALandingUserChoosesTheFirstListedAirportInRangeAndLowEnough) {
    struct Case {
        double distanceNm, altitudeFt;
        bool chosen;
    } cases[] = {{19.9, 18000.0, true}, {19.9, 18001.0, false}, {20.1, 10000.0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.distanceNm << " nm, " << c.altitudeFt << " ft");
        g_parkAirport = AirportRecord{};
        g_parkReadRequest = false;
        gf_resetStatusLine();
        listAirports({"EBBR", "EHAM"});
        setUser(north(kAmsLat, kAmsLon, c.distanceNm), false, c.altitudeFt, c.altitudeFt);
        gf_parkControl(false);
        EXPECT_EQ(g_parkAirport.code.isSet(), c.chosen);
        EXPECT_EQ(g_parkReadRequest, c.chosen);
        if (!c.chosen) continue;
        EXPECT_EQ(g_parkAirport.code, AirportCode("EHAM")) << "the list is sorted by distance first";
        EXPECT_EQ(statusShown(), "EHAM in sight at 19.9 nm");
        EXPECT_TRUE(logged("The park airport is EHAM"));
        EXPECT_EQ(g_parkAirportText.get(), "EHAM");
        EXPECT_TRUE(g_settingsLocked);
        EXPECT_TRUE(g_trafficFeed.collectCallsigns.load()) << "callsigns are collected until the stands are read";
    }
}

TEST_F(ParkControl, OnTheGroundTheClosestSupportedAirportWithAFileIsChosen) {
    setUser(north(50.0, 8.0, 1.0), true);
    gf_parkControl(true);
    EXPECT_FALSE(g_parkAirport.code.isSet());
    EXPECT_EQ(statusShown(), "User aircraft on the ground at EDDX, no airport file found");
    EXPECT_TRUE(logged("User aircraft on the ground at EDDX, no airport file found"));

    setUser(north(10.0, 10.0, 0.0), true);
    gf_parkControl(true);
    EXPECT_EQ(statusShown(), "User aircraft on the ground, no RT supported airport in sight");
    EXPECT_FALSE(g_parkAirport.code.isSet());

    writeSchipholFile();
    setUser(north(kAmsLat, kAmsLon, 0.5), true);
    gf_parkControl(true);
    EXPECT_EQ(g_parkAirport.code, AirportCode("EHAM"));
    EXPECT_TRUE(logged("User aircraft on the ground at EHAM"));
    EXPECT_EQ(statusShown(), "Calculating static parked aircraft ...") << "announced on the loop's first cycle";
    EXPECT_TRUE(g_parkReadRequest);

    // A position of (0, 0) is no position: the cycle does nothing.
    g_parkAirport = AirportRecord{};
    g_parkReadRequest = false;
    setUser(GeoPoint{0.00005, -0.00005}, true);
    gf_parkControl(true);
    EXPECT_FALSE(g_parkReadRequest);
}

TEST_F(ParkControl, TheNextCycleReadsTheStandsKeepsTheUsersStandFreeAndPlacesStatics) {
    writeSchipholFile();
    CUSTOM_PARKING_PERCENTAGE.value = 70;
    RANDOM.value = false;
    g_daySlot = gf_packDaySlot(1, 20);
    setUser(pointAt(0, 100), true);  // on A2
    gf_parkControl(true);
    ASSERT_TRUE(g_parkReadRequest);
    gf_parkControl(false);
    EXPECT_FALSE(g_parkReadRequest);
    ASSERT_EQ(g_stands.size(), 3u);
    EXPECT_EQ(g_parkFileNameText.get(), "EHAM.xml");
    EXPECT_EQ(g_reservedStand, "A2") << "the user's stand is remembered for the airport";
    EXPECT_EQ(g_reservedStandShown.get(), "A2");
    EXPECT_TRUE(g_reservedStandConfirmed);
    EXPECT_EQ(readFile(g_myParkAirportsPath), "EHAM,A2\n");
    EXPECT_EQ(g_staticUpdateMinutes.load(), 20);
    // 70 % of three stands: two, the user's left out.
    EXPECT_EQ(scheduledStands(), (std::set<std::uint32_t>{1, 3}));
    EXPECT_TRUE(g_settingsLocked);

    // Placed one by one; once the schedule is empty the settings are free again.
    g_staticSlots.clear();
    gf_parkControl(false);
    EXPECT_FALSE(g_settingsLocked);
    EXPECT_FALSE(g_staticCallsigns.building);
}

TEST_F(ParkControl, AnAirportWithoutAFileIsLeftAgainAtOnce) {
    makeParkAirport("EDDX");
    g_parkReadRequest = true;
    gf_lockSettings();
    gf_parkControl(false);
    EXPECT_EQ(statusShown(), "lf_readParkedFile EDDX not found");
    EXPECT_TRUE(logged("lf_readParkedFile EDDX not found"));
    EXPECT_FALSE(g_parkAirport.code.isSet());
    EXPECT_FALSE(g_settingsLocked);
    EXPECT_EQ(g_parkAirportText.get(), "");
}

TEST_F(ParkControl, AirportAIsLeftBeforeANearerListedAirportBIsEntered) {
    makeParkAirport("EHAM");
    setStands({standAt("A1", 0, 0, 20)});
    addStatic(g_stands[0], key("KLM", "B738"), "KLM1", "", "PH-BXA", 0);
    listAirports({"EHAM", "EBBR"});
    // Between the two, nearer to Brussels, low: both in range.
    const GeoPoint between{(kAmsLat * 0.4 + kBruLat * 0.6), (kAmsLon * 0.4 + kBruLon * 0.6)};
    AIRP_RANGE.value = 100;
    setUser(between, false, 5000.0, 5000.0);
    gf_parkControl(false);
    EXPECT_TRUE(logged("EBBR is in sight ("));
    EXPECT_TRUE(logged("parked aircraft at EHAM will be removed first"));
    EXPECT_FALSE(g_parkAirport.code.isSet()) << "A was left";
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_TRUE(g_stands.empty());
    EXPECT_FALSE(g_parkReadRequest) << "B is not entered in the same cycle";
    gf_parkControl(false);
    EXPECT_EQ(g_parkAirport.code, AirportCode("EBBR"));
    EXPECT_TRUE(g_parkReadRequest);

    // Climbing away (its stands not read yet), the park airport goes out of sight.
    g_parkReadRequest = false;
    setUser(between, false, 18500.0, 18500.0);
    gf_parkControl(false);
    EXPECT_TRUE(logged("EBBR is out of sight ("));
    EXPECT_FALSE(g_parkAirport.code.isSet());
}

TEST_F(ParkControl, LeavingTakesTheAirportsGroundTrafficAndPutsTheUsersSettingsBack) {
    makeParkAirport("EHAM");
    setStands({standAt("A1", 0, 0, 20), standAt("A2", 0, 100, 20), standAt("A3", 0, 200, 20)});
    const ModelKey klm = key("KLM", "B738");
    LiveAc& parked = addLiveParked(g_stands[0], klm, "KLM1", "PH-BXA");
    LiveAc& parking = addLiveParked(g_stands[1], klm, "KLM2", "PH-BXB");
    parking.phase = AcPhase::parking;
    LiveAc& flying = addLiveParked(g_stands[2], klm, "KLM3", "PH-BXC");
    flying.phase = AcPhase::flying;
    addStatic(g_stands[2], klm, "KLM4", "", "PH-BXD", 0);
    g_staticSlots.push_back(StaticSlot{3, 0, klm, "KLM5", "", "PH-BXE", 1});
    // The airport's own radius replaced the user's; nothing was learned there.
    RANGE.value = 40;
    gf_backupGlobalSettings();
    RANGE.value = 12;
    g_airportFileUpdates = 0;
    recorder_.clear();

    gf_leaveParkAirport();
    EXPECT_EQ(parked.lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(parking.lifeState, AcLifeState::removingfromsim) << "parking belongs to the airport's ground too";
    EXPECT_EQ(parking.standId, 0);
    EXPECT_EQ(flying.lifeState, AcLifeState::active);
    EXPECT_EQ(flying.standId, 3) << "an aircraft in the air keeps what it has";
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    EXPECT_TRUE(g_staticSlots.empty());
    EXPECT_TRUE(g_stands.empty());
    EXPECT_FALSE(g_parkAirport.code.isSet());
    EXPECT_EQ(RANGE.value.load(), 40) << "the user's radius is back";
    EXPECT_FALSE(logged("saved with")) << "nothing learned, nothing saved";
    const auto updates = recorder_.updates();
    EXPECT_NE(std::find(updates.begin(), updates.end(), "enable " + g_flushStaticButton.key + " 0"), updates.end());
    EXPECT_NE(std::find(updates.begin(), updates.end(), "enable " + g_nowButton.key + " 0"), updates.end());
}

TEST_F(ParkControl, ANewReservedStandFromTheListIsTakenOverAndCleared) {
    makeParkAirport("EHAM");
    setStands({standAt("A1", 0, 0, 20), standAt("A2", 0, 100, 20), standAt("A3", 0, 200, 20)});
    g_reservedStand = "A1";
    g_stands[0].excluded = 1;
    addStatic(g_stands[2], key("KLM", "B738"), "KLM1", "", "PH-BXA", 0);
    setUser(pointAt(0, 500), true);
    writeFile(g_myParkAirportsPath, "EHAM,A3\n");
    std::string text;
    ASSERT_TRUE(gf_checkParkAirports(true, text));
    EXPECT_EQ(text, "reserved stand changed from 'A1' to 'A3'");
    EXPECT_EQ(g_reservedStand, "A3");
    EXPECT_EQ(g_stands[0].excluded, 0);
    EXPECT_EQ(g_stands[2].excluded, 1);
    EXPECT_EQ(g_staticAcs[0].lifeState, AcLifeState::removingfromsim);
    // Read again unchanged: all is well.
    ASSERT_TRUE(gf_checkParkAirports(true, text));
    EXPECT_EQ(text, "park airports and stands are okay");
}

TEST_F(ParkControl, ADestinationGoesToTheHeadOfTheList) {
    listAirports({"EHAM", "EBBR"});
    gf_addParkAirport(AirportCode("EBBR"), GeoPoint{kBruLat, kBruLon});
    EXPECT_EQ(g_parkAirportList.front().code, AirportCode("EBBR"));
    EXPECT_EQ(g_parkAirportList.size(), 2u);
    gf_addParkAirport(AirportCode("EDDX"), GeoPoint{50.0, 8.0});
    EXPECT_EQ(g_parkAirportList.front().code, AirportCode("EDDX"));
    EXPECT_EQ(g_parkAirportList.size(), 3u);
    EXPECT_NE(readFile(g_myParkAirportsPath).find("EDDX"), std::string::npos);
    // With a destination set the list keeps its order as the user flies.
    DESTINATION.value = "EDDX";
    setUser(north(kAmsLat, kAmsLon, 1.0), false, 30000.0, 30000.0);
    lf_sortParkAirports(north(kAmsLat, kAmsLon, 1.0));
    EXPECT_EQ(g_parkAirportList.front().code, AirportCode("EDDX"));
    DESTINATION.value = "";
    lf_sortParkAirports(north(kAmsLat, kAmsLon, 2.0));
    EXPECT_EQ(g_parkAirportList.front().code, AirportCode("EHAM"));
}
