// The start-up thread, the run loop and closing down through the real job
// table of app/run_jobs.cpp, against the stand-in simulator and the stand-in
// RealTraffic in this process, with the project's data set and the main
// window's controls as a model: every job is the subsystem's own function,
// so a job bound to the wrong function (or to nothing) shows here as a run
// that creates, removes or renews nothing, or ignores the window.
// scripts/noop-jobs.sh tries that for every entry of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/real_wiring_fixture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace real_wiring;

namespace {

// Prepar3D v6 with the user's A320 parked on the H-pier at Schiphol, a
// flight running.
constexpr const char* kSimulatorScenario = R"(sim v6
terrain -11
user-title Stand-in A320 Neutral
user-model A320
user-atc-id PH-SIM
user-at 0 52.31170 4.75010 -11 ground 180
)";

// An arrival on final; a departure that the feed loses after 20 seconds,
// so that the program removes it once its last sample has passed; an
// aircraft taxiing through the user's aircraft, which makes way for it; and,
// in the feed for far longer than any test (across a restart of the run), a
// flight crossing north of the field and an aircraft parked on stand D4, the
// airframe of a static aircraft that the renewal places (KLM9301*).
constexpr const char* kTrafficScenario = R"(field EHAM -11
qnh 0 1008
track 4844322 KLM1234 B738 PH-BXA LHR AMS A3
  0       52.14794 4.39928 5000  210
  92.3    52.19470 4.51175 3200  180
  223.2   52.25067 4.64703 1300  150
  322.5   52.28790 4.73740 50    140
end
track 4844660 TRA6402 B738 PH-HSA AMS LHR A3
  0       52.33000 4.70000 3000  200
  20      52.31691 4.67859 3667  200
end
track 4851711 KLC1671 E190 PH-EZA AMS BRU A3
  0       52.31440 4.75010 gnd   8
  73      52.31170 4.75010 gnd   8
  149     52.30890 4.75010 gnd   8
end
track 4856789 RYR4AB B738 PH-BGI STN AMS A3
  0       52.308333 4.762337 gnd 0 hdg=34
  2400    52.308333 4.762337 gnd 0 hdg=34
end
track 4844999 KLM1777 B738 PH-BXB AMS BRU A3
  0       52.40000  3.93000  4000  90
  2400    52.40000  5.57000  4000  90
end
)";

// The user flies 15 nm north of Schiphol at 3000 ft, in sight of the park
// airport.
constexpr const char* kAirborneScenario = R"(sim v6
terrain -11
user-title Stand-in A320 Neutral
user-model A320
user-atc-id PH-SIM
user-at 0 52.5586 4.7639 3000 air 180
)";

// Around the airborne user, without weather: an Austrian A321 parked on D4
// from the start, the airframe of one of the static aircraft to come; an
// easyJet overtaking the user, who then flies in its wake; a Cityhopper
// taxiing across stand D16; an Austrian flight whose learned stand use
// names the departure a static aircraft stands for; a Swiss A320 that only
// the generic livery fits, and a Turkish 757 that nothing fits.
constexpr const char* kAirborneTraffic = R"(field EHAM -11
track 4901001 AUA888 A321 OE-LBB VIE AMS A3
  0       52.308333 4.762337 gnd  0 hdg=34
  400     52.308333 4.762337 gnd  0 hdg=34
end
track 4901002 EZY21AB A320 G-EZAA LGW AMS A3
  0       52.6686   4.7653   3000 300
  240     52.3353   4.7653   3000 300
end
track 4901003 KLC1717 E190 PH-EZB AMS BRU A3
  40      52.310070 4.759297 gnd  10
  126     52.306750 4.755643 gnd  10
end
track 4901004 AUA555 A321 OE-LXX VIE AMS A3
  40      52.45     4.60     7000 137
  300     52.45     4.87     7000 137
end
track 4901005 SWR999 A320 HB-JZZ ZRH AMS A3
  0       52.60     4.95     8000 80
  300     52.70     5.03     8000 80
end
track 4901006 THY1 B752 TC-JJA IST AMS A3
  0       52.52     4.45     9000 112
  300     52.66     4.56     9000 112
end
)";

}  // namespace


TEST_F(RealWiring, ARunCreatesRemovesAndRenewsThroughTheRealJobs) {
    startStandIn(kSimulatorScenario);
    startRealTraffic(kTrafficScenario);
    startRun();
    // Once the park airport's statics stand, the 20-minute renewal is put in
    // its last minute: it comes at the next whole minute of counted samples,
    // after the half-hour changed at 12:29:30.
    const bool placed = waitUntil([] { return g_staticCount.load() > 0; });
    const std::string parkAirportShown = g_parkAirportText.get();
    g_staticUpdateMinutes = 1;
    const bool renewed = placed && waitUntil([this] { return aiTraffic().staticsRenewed(); });
    // While the settings were locked and statics still to be placed, the
    // window showed the schedule's size.
    const std::uint64_t scheduleShown = mostScheduleShown_.load();
    // The parked aircraft on D4 is there in person: its static twin goes.
    const bool twinReplaced = renewed && waitUntil([this] { return aiTraffic().wasRemoved("KLM9301*"); });
    const bool departureRemoved = waitUntil([this] { return aiTraffic().wasRemoved("TRA6402"); });
    const bool madeWay = waitUntil([this] { return aiTraffic().wasRemoved("KLC1671"); });
    const bool parkedLive = waitUntil([] { return g_parkedLiveCount.load() > 0; });

    // The window's commands that the traffic thread carries out.
    click(g_callsignToOidButton);
    const bool callsignsListed = waitUntil([this] { return listHolds(CALLSIGN_2_OBJECTID, "KLM1234"); });
    type(DESTINATION, "eddf");
    const bool destinationListed = waitUntil([] {
        return fs::exists(g_myParkAirportsPath) &&
               testing_support::readFile(g_myParkAirportsPath).find("EDDF") != std::string::npos;
    });
    click(g_rereadButton);
    const bool reRead = waitUntil([this] { return log_.contains("park airports and stands are okay"); });
    click(NAV_LIGHTS_WHILE_PARKED);
    const bool lightsSwitched = waitUntil([this] {
        const AiTraffic traffic = aiTraffic();
        return std::any_of(traffic.navLightsOff.begin(), traffic.navLightsOff.end(),
                           [](const std::string& tail) { return tail.ends_with('*'); });
    });
    click(g_flushStaticButton);
    const bool flushed = waitUntil([this] { return aiTraffic().staticsGone(); });

    // The flight stops for a while: RealTraffic still hears where the user is.
    simulatorDoes("sim off");
    const bool paused = waitUntil([this] { return log_.contains("Flight not running"); });
    const int areaLinesBefore = realTraffic_->areaLines();
    const bool heardWhilePaused = paused && waitUntil([&] { return realTraffic_->areaLines() >= areaLinesBefore + 2; });
    simulatorDoes("sim on");
    const bool resumed = waitUntil([this] { return log_.contains("Flight resumed"); });

    // A typed install path restarts the run; the new run creates the
    // crossing flight again.
    type(ALL_INSTALL_PATH, places_.appData.path().string());
    const bool restarted = runEnded() == WM_APP_START;
    if (restarted) startRun();
    const bool recreated = restarted && waitUntil([this] { return aiTraffic().activated("KLM1777", 2); });
    // Blocking its callsign removes it, long before the feed would lose it.
    type(BLOCK_CALLSIGN, "klm1777");
    const bool blocked = waitUntil([this] { return aiTraffic().wasRemoved("KLM1777"); });
    // No live aircraft at all: the one parked on D4 goes too.
    const bool parkedAgain = waitUntil([] { return g_parkedLiveCount.load() > 0; });
    select(MAX_LIVE_SEL, 0);
    const bool noLive = waitUntil([this] { return aiTraffic().wasRemoved("RYR4AB"); });

    // The close button: closing down ends the simulator link, the readers
    // and the command link itself.
    lf_onCloseButton();
    const bool quit = restarted && runEnded() == WM_APP_QUIT;
    const bool simLinkEnded = testing_support::waitFor([] { return !g_simConnected.load(); }, testing_support::kSafety);
    const bool readersEnded = testing_support::waitFor(
        [] {
            return gf_readerStatus(ReaderId::traffic) == readerStopped && gf_readerStatus(ReaderId::qnh) == readerStopped;
        },
        testing_support::kSafety);
    realTraffic_->stop();
    gf_joinSimClient();
    endReaders();
    const AiTraffic traffic = aiTraffic();
    EXPECT_EQ(stopStandIn(), 0) << simlink_test::faultsText(standIn_->sim());
    EXPECT_EQ(realTraffic_->failures(), "");

    // A creation: both live aircraft, with the liveries their registrations have.
    const auto titleOf = [this](const std::string& tail) {
        for (const simulator::AiObject& object : standIn_->sim().world.objects)
            if (object.tailNumber == tail) return object.title;
        return std::string("not created");
    };
    EXPECT_EQ(titleOf("KLM1234"), "Boeing 737-800 KLM PH-BXA");
    EXPECT_EQ(titleOf("TRA6402"), "Boeing 737-800 Transavia PH-HSA");
    EXPECT_TRUE(log_.contains("SimConnect: User aircraft model: A320, half wing span: 17.9 meter"));
    EXPECT_EQ(g_shownQnh.load(), 1008) << "the QNH reader's value";
    // A removal: the departure the feed lost, the aircraft in the user's
    // way; the crossing flight stayed until its callsign was blocked.
    EXPECT_TRUE(departureRemoved) << "the departure was not removed";
    EXPECT_TRUE(madeWay) << "the aircraft taxiing through the user's was not removed";
    EXPECT_TRUE(parkedLive) << "no live aircraft parked";
    EXPECT_EQ(std::count(traffic.removed.begin(), traffic.removed.end(), "KLM1777"), 1);
    // A static renewal: the schedule of the new half-hour removed some
    // static aircraft and placed others.
    EXPECT_TRUE(placed) << "no static aircraft";
    EXPECT_EQ(parkAirportShown, "EHAM (AMS)");
    EXPECT_TRUE(renewed) << "the static parking was not renewed";
    EXPECT_TRUE(twinReplaced) << "the static aircraft of the parked aircraft's airframe stayed";
    EXPECT_GT(scheduleShown, 0u) << "the schedule's size while the settings were locked";
    EXPECT_TRUE(log_.contains("Parking adjustments: 4 to be removed, 4 to be added"));

    // The window's commands.
    EXPECT_TRUE(callsignsListed) << "cs->oid: no list of the moving callsigns";
    EXPECT_TRUE(destinationListed) << "the destination did not join the park airports";
    EXPECT_TRUE(reRead) << "Re-read did not check the park airports";
    EXPECT_TRUE(lightsSwitched) << "the static aircraft's nav lights were not switched";
    EXPECT_TRUE(flushed) << "Flush static left static aircraft";
    EXPECT_TRUE(paused && heardWhilePaused) << "no position to RealTraffic while the flight stood";
    EXPECT_TRUE(resumed);
    EXPECT_TRUE(restarted) << "the typed install path did not restart the run";
    EXPECT_TRUE(recreated) << "the restarted run did not create the crossing flight again";
    EXPECT_TRUE(blocked) << "the blocked callsign's aircraft was not removed";
    EXPECT_TRUE(parkedAgain && noLive) << "a maximum of 0 live aircraft left one";

    // The end of the run as the user sees it.
    EXPECT_TRUE(quit) << "the close button did not end the program";
    EXPECT_TRUE(log_.contains("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(simLinkEnded) << "closing down left the simulator link running";
    EXPECT_TRUE(readersEnded) << "closing down left the readers running";
    EXPECT_EQ(realTraffic_->report().sessions, 2) << "RealTraffic was told \"exit\" at the end of each run";
    EXPECT_GT(realTraffic_->report().timeLines, 0) << "level 2: the simulator's time went to RealTraffic";
    EXPECT_EQ(g_parkAirportText.get(), "") << "the park airport was left";
    EXPECT_TRUE(log_.contains("Matches at step: ")) << "the livery matching summary";
}

// The version check of the first start; ticking the scan boxes while the run
// still waits (for the simulator here) restarts it at once; the new run scans
// the user's liveries and add-on airports and works with what it found, not
// with the scan of before.
TEST_F(RealWiring, ScanBoxesRestartTheRunWhichScansAndUsesWhatItFound) {
    // A livery folder with one aircraft of two liveries, and one add-on
    // airport of an unknown publisher; the earlier scan (the data set's) had 43.
    const fs::path liveries = fs::current_path() / "my liveries";
    testing_support::writeAircraftFolder(
        liveries / "A320", "aircraft.cfg",
        "[General]\natc_type=AIRBUS\natc_model=A320\neditable=1\n"
        "[fltsim.0]\ntitle=A320 KLM Scanned\nsim=A320\nmodel=main\ntexture=KLM\natc_parking_codes=KLM\n"
        "ui_variation=KLM\n"
        "[fltsim.1]\ntitle=A320 Swiss HB-JLP\nsim=A320\nmodel=main\ntexture=SWR\natc_parking_codes=SWR\n"
        "atc_id=HB-JLP\nui_variation=Swiss\n");
    const fs::path addons = fs::current_path() / "my addons";
    fs::create_directories(addons / "Polder Sceneries EHLE" / "scenery");
    std::vector<testing_support::BglParkingSpec> stands;
    for (std::uint32_t k = 1; k <= 3; ++k) stands.push_back({10, 8, k, 20.0F, 90.0F, 52.46 + k * 0.001, 5.52, {}});
    testing_support::writeBytes(
        addons / "Polder Sceneries EHLE" / "scenery" / "EHLE.bgl",
        testing_support::bglAirportFile({"EHLE", false, 0,
                                         {testing_support::bglNameRecord("Lelystad"),
                                          testing_support::bglParkingList(stands, false)},
                                         {}}));
    lfolder0.value = liveries.string();
    afolder0.value = addons.string();
    gf_saveParameters(false, parametersPath());

    // No simulator is running: the first run waits for it.
    startRun();
    const auto waitsForTheSimulator = [this](std::size_t runs) {
        const std::vector<std::string> lines = log_.lines();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
                   return line.find("Waiting for Prepar3Dv6") != std::string::npos;
               })) >= runs;
    };
    ASSERT_TRUE(waitUntil([&] { return waitsForTheSimulator(1); }));
    EXPECT_EQ(g_liveryCount.load(), 43u);
    click(SCAN_LIVERIES);
    click(SCAN_AIRPORTS);
    const bool restarted = runEnded() == WM_APP_START;
    if (restarted) startRun();
    const bool scanned = restarted && waitUntil([&] { return waitsForTheSimulator(2); });

    lf_onCloseButton();
    const bool quit = restarted && runEnded() == WM_APP_QUIT;
    gf_joinSimClient();

    // The first start's version check fetched the site's newer data base and
    // recorded its version in the run's own parameters file.
    EXPECT_TRUE(log_.contains("dbase updated to 3.2.0"));
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath(), "DBASE_VERSION"), kSiteDbase);
    EXPECT_TRUE(restarted) << "the scan boxes did not restart the run";
    EXPECT_TRUE(scanned) << "the restarted run did not come as far as the simulator";
    EXPECT_TRUE(quit);
    // The liveries found are the ones in use, and the window counts them.
    // (output\LiveriesScanned.xml on Windows)
    const std::vector<std::string> lines = log_.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("    2 liveries read from output") && line.ends_with("LiveriesScanned.xml");
    }));
    EXPECT_FALSE(log_.contains("Processing scanned liveries skipped"));
    EXPECT_EQ(g_liveryCount.load(), 2u);
    // The add-on airport is the only one of its kind now.
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "EHLE.xml"));
    EXPECT_EQ(g_thirdPartyAirportCount.load(), 1u);
    EXPECT_EQ(g_simAddonAirportCount.load(), 0u);
    // Both scans are done with.
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath(), "SCAN_LIVERIES"), "false");
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath(), "SCAN_AIRPORTS"), "false");
    // The scan found no light aircraft and no helicopter (the earlier one
    // had both): the processing switched their traffic off in the run's own
    // parameters file, not in the user's.
    EXPECT_TRUE(log_.contains("LIGHT_AIRCRAFT temporarily switched off"));
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath(), "LIGHT_AIRCRAFT"), "false");
    EXPECT_EQ(testing_support::storedParameterValue(parametersPath(), "HELICOPTERS"), "false");
}

// The user in the air, with the park airport in sight: the automatic radius,
// the aircraft in the user's way in the air and the parked ones in the way of
// taxiing traffic, the static aircraft that a live one takes the place of,
// the matching of liveries with a deeper search, and a reader without data.
TEST_F(RealWiring, AnAirborneRunClearsTheWayReplacesStaticsAndMatchesDeeper) {
    AUTO_RANGE.value = true;
    COLLISION_LIVE_PARKED_GND.value = true;
    MATCHING_DEPTH.value = 3;
    gf_saveParameters(false, parametersPath());
    testing_support::writeFile(g_myParkAirportsPath, "EHAM\n");
    // The learned use of stand D3: the Austrian arrival's aircraft leaves
    // again as AUA949.
    std::string standFile = testing_support::readFile("airports/my_ORBX/EHAM.xml");
    const std::size_t d3 = standFile.find('\n', standFile.find("<parkpos id=\"D3\"")) + 1;
    standFile.insert(d3, "      <opt reg=\"OE-LBX\" airl=\"AUA\" type=\"A321\" day=\"1\" hh=\"20:21\" cs=\"AUA555:AUA949\" />\n");
    testing_support::writeFile("airports/my_ORBX/EHAM.xml", standFile);

    startStandIn(kAirborneScenario);
    startRealTraffic(kAirborneTraffic, false);
    startRun();
    const bool placed = waitUntil([] { return g_staticCount.load() > 0; });
    const std::int32_t radius = RANGE.value;
    const bool overtakerGone = waitUntil([this] { return aiTraffic().wasRemoved("EZY21AB"); });
    const bool standCleared = waitUntil([this] { return aiTraffic().wasRemoved("BAW1060*"); });
    const bool twinGone = waitUntil([this] { return aiTraffic().wasRemoved("AUA810*"); });
    const bool replaced = waitUntil([this] { return aiTraffic().wasRemoved("AUA934*"); });
    const bool noWeather = waitUntil([] { return gf_readerStatus(ReaderId::qnh) == readerNoData; });
    // A deeper search forgets the aircraft nothing fitted: the Swiss A320
    // gets the generic livery at the next half minute.
    select(MATCHING_DEPTH, 3);
    const bool matchedDeeper = waitUntil([this] { return aiTraffic().wasCreated("SWR999"); });

    lf_onCloseButton();
    const bool quit = runEnded() == WM_APP_QUIT;
    realTraffic_->stop();
    gf_joinSimClient();
    endReaders();
    EXPECT_EQ(stopStandIn(), 0) << simlink_test::faultsText(standIn_->sim());
    EXPECT_EQ(realTraffic_->failures(), "");

    EXPECT_TRUE(placed) << "no static aircraft";
    EXPECT_TRUE(log_.contains("    1 park airport read from 'my_park_airports.txt'"));
    EXPECT_EQ(radius, 16) << "the radius reaches just past the park airport, 15 nm away";
    EXPECT_TRUE(overtakerGone) << "the aircraft ahead of the user in the air was not removed";
    EXPECT_TRUE(standCleared) << "the static aircraft on D16 stayed in the way of the taxiing Cityhopper";
    EXPECT_TRUE(twinGone) << "the static aircraft of the parked Austrian's airframe stayed";
    EXPECT_TRUE(replaced) << "the static aircraft standing for AUA555's departure stayed";
    EXPECT_TRUE(noWeather) << "the QNH reader, which received nothing, was not reported without data";
    EXPECT_TRUE(matchedDeeper) << "the deeper search did not match the Swiss A320";
    EXPECT_TRUE(quit);
    // Closing down lists what nothing fitted.
    EXPECT_TRUE(log_.contains("THY     B752    TC-JJA"));
    EXPECT_FALSE(log_.contains("SWR     A320    HB-JZZ"));
}
