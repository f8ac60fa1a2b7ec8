// The stand-in's command line and scenario files: the same keys in both,
// mistakes reported with their place, and the exit codes of the program.
#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "foundation/geodesy.h"
#include "support/temp_dir.h"
#include "tools/simulator/scenario.h"
#include "tools/simulator/simulator_main.h"
#include "tools/simulator/transport.h"

using simulator::ActionKind;
using simulator::parseCommandLine;
using simulator::ScenarioError;
using simulator::SimulatorConfig;

TEST(StandInCommandLine, KeysSetTheConfiguration) {
    const auto line = parseCommandLine({"--sim",
                                        "v6",
                                        "--port4",
                                        "5001",
                                        "--port6",
                                        "5002",
                                        "--pipe",
                                        "off",
                                        "--frame-rate",
                                        "50",
                                        "--speed",
                                        "4",
                                        "--terrain",
                                        "420",
                                        "--zulu",
                                        "2024-02-29T23:59:30Z",
                                        "--user-title",
                                        "My Jet",
                                        "--user-model",
                                        "B738",
                                        "--refuse-title",
                                        "Broken Livery",
                                        "--refuse-title",
                                        "Other",
                                        "--max-objects",
                                        "3",
                                        "--helicopter-title",
                                        "EC135",
                                        "--ai-id-base",
                                        "0x1000",
                                        "--lenient",
                                        "--version-mismatch",
                                        "--clients",
                                        "2",
                                        "--user-at",
                                        "0",
                                        "47",
                                        "8",
                                        "1500",
                                        "ground",
                                        "90",
                                        "--at",
                                        "3",
                                        "pause",
                                        "on"});
    const SimulatorConfig& c = line.config;
    EXPECT_EQ(c.simName, "Lockheed Martin Prepar3D v6");
    EXPECT_EQ(c.simVersion[0], 6u);
    EXPECT_EQ(c.port4, 5001);
    EXPECT_EQ(c.port6, 5002);
    EXPECT_FALSE(c.pipe);
    EXPECT_DOUBLE_EQ(c.frameRate, 50);
    EXPECT_DOUBLE_EQ(c.speed, 4);
    EXPECT_DOUBLE_EQ(c.terrainFt, 420);
    EXPECT_EQ(c.zuluStart, 1709251170);
    EXPECT_EQ(c.userTitle, "My Jet");
    EXPECT_EQ(c.userModel, "B738");
    EXPECT_EQ(c.refusedTitles, (std::vector<std::string>{"Broken Livery", "Other"}));
    EXPECT_EQ(c.maxObjects, 3u);
    EXPECT_EQ(c.helicopterTitles, std::vector<std::string>{"EC135"});
    EXPECT_EQ(c.aiIdBase, 0x1000u);
    EXPECT_FALSE(c.strict);
    EXPECT_TRUE(c.versionMismatch);
    EXPECT_EQ(c.clients, 2);
    ASSERT_EQ(c.userPath.size(), 1u);
    EXPECT_TRUE(c.userPath[0].onGround);
    EXPECT_EQ(c.userPath[0].headingDeg, 90.0);
    ASSERT_EQ(c.actions.size(), 1u);
    EXPECT_EQ(c.actions[0].kind, ActionKind::Pause);
    EXPECT_DOUBLE_EQ(c.actions[0].at, 3);
}

TEST(StandInCommandLine, ScenarioFilesSpeakTheSameKeysAndIncludeEachOther) {
    testing_support::TempDir dir;
    testing_support::writeFile(dir / "more.txt", "terrain 12\r\n");
    testing_support::writeFile(dir / "main.txt",
                               "# a departure from a stand, then a jump\n"
                               "sim-name \"Lockheed Martin Prepar3D v5\"   # quoted text\n"
                               "user-title Stand-in  Dash 8   Q400\n"
                               "user-at 0 47.45 8.56 1422 ground 280\n"
                               "user-at 60 47.46 8.55 1422 ground\n"
                               "\n"
                               "at 120 jump 50.03 8.57 400 air 70\n"
                               "at 130 spawn HB-ABC 47.45 8.55 1420 Default traffic A320\n"
                               "at 140 flight-loaded C:\\flights\\evening.fxml\n"
                               "at 150 despawn HB-ABC\n"
                               "at 160 quit\n"
                               "scenario more.txt\n");
    const auto line = parseCommandLine({"--scenario", (dir / "main.txt").string(), "--frame-rate", "20"});
    const SimulatorConfig& c = line.config;
    EXPECT_EQ(c.userTitle, "Stand-in Dash 8 Q400");
    EXPECT_DOUBLE_EQ(c.terrainFt, 12);
    EXPECT_DOUBLE_EQ(c.frameRate, 20);
    ASSERT_EQ(c.userPath.size(), 2u);
    EXPECT_FALSE(c.userPath[1].headingDeg.has_value());
    ASSERT_EQ(c.actions.size(), 5u);
    EXPECT_EQ(c.actions[0].kind, ActionKind::Jump);
    EXPECT_FALSE(c.actions[0].waypoint.onGround);
    EXPECT_EQ(c.actions[1].kind, ActionKind::Spawn);
    EXPECT_EQ(c.actions[1].text, "HB-ABC");
    EXPECT_EQ(c.actions[1].title, "Default traffic A320");
    EXPECT_EQ(c.actions[2].text, "C:\\flights\\evening.fxml");
    EXPECT_EQ(c.actions[3].kind, ActionKind::Despawn);
    EXPECT_EQ(c.actions[4].kind, ActionKind::Quit);
}

TEST(StandInCommandLine, MistakesNameTheirPlace) {
    struct Case {
        std::vector<std::string> arguments;
        std::string fileText;  // written to bad.txt and given with --scenario when not empty
        std::string message;
    };
    const Case cases[] = {
        {{"--frame-rat", "30"}, "", "--frame-rat: unknown key 'frame-rat'"},
        {{"--port4", "70000"}, "", "--port4: port '70000' is not a whole number up to 65535"},
        {{"--frame-rate", "fast"}, "", "--frame-rate: frame rate 'fast' is not a number"},
        {{"--frame-rate", "0"}, "", "the frame rate must lie between 1 and 1000"},
        {{"--sim", "v4"}, "", "'v4' is neither v5 nor v6"},
        {{"--user-at", "0", "47"}, "", "'user-at' takes a time, latitude"},
        {{"--user-at", "0", "95", "8", "0"}, "", "the position is not on the earth"},
        {{"--at", "1", "explode"}, "", "unknown action 'explode'"},
        {{"--at", "1", "pause", "maybe"}, "", "'maybe' is neither on nor off"},
        {{"--zulu", "yesterday"}, "", "is not a UTC time"},
        {{"--user-id", "0"}, "", "cannot be 0"},
        {{"--user-id", "200"}, "", "ai-id-base 100 must lie above the user aircraft's id 200"},
        {{"frame-rate"}, "", "'frame-rate' is not an option"},
        {{}, "speed 2\n\nframe-rate 30 40\n", "bad.txt:3: 'frame-rate' takes 1 value"},
        {{}, "at -1 quit\n", "bad.txt:1: the time of an action cannot be negative"},
        {{}, "scenario missing.txt\n", "cannot read the scenario file"},
        {{"--reference", "missing.txt"}, "", "cannot read the reference file"},
        {{"--installed-titles", "missing.xml"}, "", "cannot read the liveries file missing.xml"},
        {{}, "installed-titles bad.txt\n", "cannot read the liveries file bad.txt"},
    };
    testing_support::TempDir dir;
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        if (!c.fileText.empty()) {
            testing_support::writeFile(dir / "bad.txt", c.fileText);
            arguments = {"--scenario", (dir / "bad.txt").string()};
        }
        try {
            parseCommandLine(arguments);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const ScenarioError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(StandInCommandLine, InstalledTitlesComeFromALiveriesFile) {
    testing_support::TempDir dir;
    testing_support::writeFile(dir / "LiveriesScanned.xml", R"(<root><meta/><liveries>
        <l a="KLM" m="B738" t="Boeing 737-800 KLM"/><l a="ZZZ" m="A320" t=""/><x t="Other Title"/>
        </liveries></root>)");
    const auto line = parseCommandLine({"--installed-titles", (dir / "LiveriesScanned.xml").string()});
    ASSERT_TRUE(line.config.installedTitles.has_value());
    EXPECT_EQ(*line.config.installedTitles, (std::set<std::string>{"boeing 737-800 klm", "other title"}));
    EXPECT_FALSE(parseCommandLine({}).config.installedTitles.has_value());

    testing_support::writeFile(dir / "empty.xml", "<root><liveries/></root>");
    try {
        parseCommandLine({"--installed-titles", (dir / "empty.xml").string()});
        ADD_FAILURE() << "no error for a file without titles";
    } catch (const ScenarioError& e) {
        EXPECT_NE(std::string(e.what()).find("lists no title"), std::string::npos) << e.what();
    }
}

TEST(StandInCommandLine, HelpAndUsageErrorsGiveTheirExitCodes) {
    const std::atomic<bool> stop{true};
    EXPECT_EQ(simulator::simulatorMain({"--help"}, stop), 0);
    EXPECT_EQ(simulator::simulatorMain({"--bogus"}, stop), 2);
    EXPECT_EQ(simulator::simulatorMain({"--tcp4", "off", "--tcp6", "off", "--pipe", "off", "--quiet"}, stop), 3);
    EXPECT_NE(simulator::usageText().find("--refuse-title"), std::string::npos);
}

TEST(StandInCommandLine, PipeNamesMapIntoTheSocketFolder) {
    EXPECT_EQ(simulator::barePipeName("\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect"),
              "Lockheed Martin Prepar3D v5\\SimConnect");
    EXPECT_EQ(simulator::barePipeName("MyPipe"), "MyPipe");
    EXPECT_EQ(simulator::pipeSocketPath("\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect", "/run/x"),
              std::filesystem::path("/run/x") / "Lockheed Martin Prepar3D v5_SimConnect");
    EXPECT_EQ(simulator::pipeSocketPath("a/b\\c", "/run/x"), std::filesystem::path("/run/x") / "a_b_c");
}
