// What a person reads after a run: the JSON-lines record of every packet and
// reply, the world dump, and the SVG map of the tracks.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "foundation/geodesy.h"
#include "session_harness.h"
#include "support/temp_dir.h"
#include "tools/simulator/position_log.h"
#include "tools/simulator/reference_tracks.h"
#include "tools/simulator/world_report.h"

using namespace golden;
using testing_support::TempDir;

namespace {

struct Recorded {
    TempDir dir;
    Harness h;
    explicit Recorded(simulator::SimulatorConfig config = quietConfig()) : h(withFiles(config)) {
        simulator::openRecorder(h.sim.recorder, h.sim.config.recordFile);
    }
    simulator::SimulatorConfig withFiles(simulator::SimulatorConfig config) {
        config.recordFile = dir / "record.jsonl";
        config.worldFile = dir / "world.json";
        config.mapFile = dir / "map.svg";
        return config;
    }
    std::vector<nlohmann::json> lines() {
        h.sim.recorder.file.flush();
        std::vector<nlohmann::json> out;
        std::istringstream in(testing_support::readFile(dir / "record.jsonl"));
        for (std::string line; std::getline(in, line);) out.push_back(nlohmann::json::parse(line));
        return out;
    }
};

// Creates two objects, flies the first 500 m north in five steps and removes
// it; the second stays where it was created.
void scriptedTraffic(Harness& h) {
    h.registerLikeTheProgram();
    h.send(createAi(h.next(), "Stand-in B738 Livery", "DLH4AB", InitPos{47.0, 8.0, 2000, 0, 0, 0}));
    h.send(createAi(h.next(), "Stand-in A320 Livery", "SWR12", InitPos{47.01, 8.01, 0, 0, 0, 90, 1}));
    h.frames();
    for (int step = 1; step <= 5; ++step) {
        h.send(setData(h.next(), 402, 100, positionBlock(47.0 + step * 0.0009, 8.0, 0, 0, 0, 2000 - step * 50), 64));
        h.frames(3);
    }
    h.send(transmitEvent(h.next(), 101, 212, 1));
    h.send(remove(h.next(), 100));
    h.frames();
}

}  // namespace

TEST(StandInReports, WorldDumpShowsTheScriptedCreateMoveAndRemove) {
    Recorded r;
    scriptedTraffic(r.h);
    ASSERT_TRUE(simulator::writeReports(r.h.sim));
    const auto world = nlohmann::json::parse(testing_support::readFile(r.dir / "world.json"));
    EXPECT_EQ(world["liveAiObjects"], 1);
    ASSERT_EQ(world["aiObjects"].size(), 2u);
    const auto& moved = world["aiObjects"][0];
    EXPECT_EQ(moved["id"], 100);
    EXPECT_EQ(moved["tailNumber"], "DLH4AB");
    EXPECT_EQ(moved["createSerial"], 75);
    EXPECT_FALSE(moved["live"].get<bool>());
    EXPECT_EQ(moved["removeReason"], "removed by client 1 (serial 83)");
    EXPECT_EQ(moved["positionUpdates"], 5);
    EXPECT_DOUBLE_EQ(moved["state"]["latitude"].get<double>(), 47.0045);
    EXPECT_DOUBLE_EQ(moved["state"]["altitudeFt"].get<double>(), 1750);
    EXPECT_EQ(moved["track"].size(), 7u);  // created, five moves of 100 m, removed
    const auto& parked = world["aiObjects"][1];
    EXPECT_TRUE(parked["live"].get<bool>());
    EXPECT_TRUE(parked["state"]["onGround"].get<bool>());
    EXPECT_TRUE(parked["state"]["lights"]["cabin"].get<bool>());
    EXPECT_DOUBLE_EQ(parked["state"]["altitudeFt"].get<double>(), 1416 + 9);
    EXPECT_EQ(world["user"]["title"], "Stand-in A320 Neutral");
    EXPECT_EQ(world["time"]["frames"], 17);
    EXPECT_EQ(world["time"]["zulu"], "2025-07-01T12:00:00Z");
    EXPECT_TRUE(world["faults"].empty());
}

// Twice a second by the wall clock, a line per live object a client created,
// however the frames fall between.
TEST(StandInReports, ThePositionLogHasEachLiveObjectTwiceASecond) {
    Recorded r;
    scriptedTraffic(r.h);
    simulator::AiObject own;  // the simulator's own traffic is no client's
    own.id = 7;
    own.tailNumber = "N1,2";
    r.h.sim.world.objects.push_back(own);
    EXPECT_EQ(simulator::positionLines(r.h.sim.world, 1767600000.25),
              "1767600000.250,101,SWR12,47.0100000,8.0100000,1425.0,90.0,1\n");
    r.h.sim.world.objects.back().client = 1;
    EXPECT_NE(simulator::positionLines(r.h.sim.world, 0).find(",7,N1 2,"), std::string::npos);

    simulator::PositionLog log;
    simulator::notePositions(log, r.h.sim.world, 100.0);  // no file: nothing
    simulator::openPositionLog(log, r.dir / "positions.csv");
    for (const double t : {100.1, 100.3, 100.5, 100.9, 102.7, 102.9}) simulator::notePositions(log, r.h.sim.world, t);
    log.file.close();
    const std::string text = testing_support::readFile(r.dir / "positions.csv");
    EXPECT_EQ(text.substr(0, text.find('\n')), simulator::kPositionLogHeader);
    std::vector<std::string> times;
    std::istringstream in(text.substr(text.find('\n') + 1));
    for (std::string line; std::getline(in, line);) times.push_back(line.substr(0, line.find(',')));
    EXPECT_EQ(times, (std::vector<std::string>{"100.100", "100.100", "100.500", "100.500", "102.700", "102.700"}));
    EXPECT_THROW(simulator::openPositionLog(log, r.dir / "missing" / "positions.csv"), std::runtime_error);
}

TEST(StandInReports, MapDrawsEachTrackWithItsEnd) {
    Recorded r;
    scriptedTraffic(r.h);
    ASSERT_TRUE(simulator::writeReports(r.h.sim));
    pugi::xml_document svg;
    ASSERT_TRUE(svg.load_file((r.dir / "map.svg").c_str()));
    const pugi::xml_node root = svg.child("svg");
    ASSERT_TRUE(root);
    const pugi::xml_node moved = root.find_child_by_attribute("g", "id", "object-100");
    const pugi::xml_node parked = root.find_child_by_attribute("g", "id", "object-101");
    ASSERT_TRUE(moved && parked);
    const std::string points = moved.child("polyline").attribute("points").value();
    EXPECT_EQ(std::count(points.begin(), points.end(), ','), 7);
    EXPECT_TRUE(moved.child("path"));    // removed: a cross
    EXPECT_FALSE(parked.child("path"));  // live: a dot
    EXPECT_EQ(std::string(moved.child_value("title")), "100 DLH4AB (Stand-in B738 Livery), removed");
    EXPECT_EQ(std::string(moved.last_child().child_value()), "DLH4AB");
    EXPECT_TRUE(root.find_child_by_attribute("g", "class", "user"));
    EXPECT_NE(std::string(root.find_child_by_attribute("text", "class", "caption").child_value())
                  .find("2 AI objects (1 live)"),
              std::string::npos);
}

TEST(StandInReports, RecordHoldsEveryPacketReplyAndFault) {
    Recorded r;
    r.h.registerLikeTheProgram();
    r.h.send(createAi(75, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
    r.h.send(addToDefinition(76, 410, "Plane Latitudee", "degree", 4));
    r.h.frames(2);
    const auto lines = r.lines();
    std::map<std::string, int> byDirection;
    for (const auto& line : lines) ++byDirection[line["dir"].get<std::string>()];
    EXPECT_EQ(byDirection["in"], 76);
    EXPECT_EQ(byDirection["fault"], 1);
    // OPEN, EXCEPTION, then per frame: Sim event (first only), ASSIGNED_OBJECT_ID and ADDREMOVE (first only), FRAME.
    EXPECT_EQ(byDirection["out"], 2 + 1 + 2 + 2);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i]["seq"], i + 1);

    const auto create = std::find_if(lines.begin(), lines.end(),
                                     [](const auto& l) { return l.value("kind", "") == "AICreateNonATCAircraft"; });
    ASSERT_NE(create, lines.end());
    EXPECT_EQ((*create)["serial"], 75);
    EXPECT_EQ((*create)["fields"]["tailNumber"], "DLH4AB");
    EXPECT_EQ((*create)["fields"]["position"]["heading"], 90.0);
    const auto fault = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l["dir"] == "fault"; });
    ASSERT_NE(fault, lines.end());
    EXPECT_EQ((*fault)["serial"], 76);
    EXPECT_EQ((*fault)["request"], "AddToDataDefinition");
    EXPECT_EQ((*std::next(fault))["kind"], "EXCEPTION");
    EXPECT_EQ((*std::next(fault))["fields"]["sendId"], 76);
    const auto assigned = std::find_if(lines.begin(), lines.end(),
                                       [](const auto& l) { return l.value("kind", "") == "ASSIGNED_OBJECT_ID"; });
    ASSERT_NE(assigned, lines.end());
    EXPECT_EQ((*assigned)["fields"]["objectId"], 100);
    EXPECT_EQ((*assigned)["frame"], 1);
}

TEST(StandInReports, FrameLinesCanBeLeftOutOfTheRecord) {
    simulator::SimulatorConfig config = quietConfig();
    config.recordFrames = false;
    Recorded r(config);
    r.h.registerLikeTheProgram();
    EXPECT_EQ(ofKind(r.h.frames(10), kFrame).size(), 10u);
    const auto lines = r.lines();
    EXPECT_TRUE(
        std::none_of(lines.begin(), lines.end(), [](const auto& l) { return l.value("kind", "") == "EVENT_FRAME"; }));
}

// With the replayed traffic given, the map rings the replayed positions along
// each track and the summary tells the phases each object reached and how
// far it strayed from its replayed track while airborne.
TEST(StandInReports, ReplayedPositionsOnTheMapAndInTheSummary) {
    simulator::SimulatorConfig config = quietConfig();
    // DLH4AB's replay runs 0.001 deg east of where the program flies it.
    config.referencePoints = simulator::readReferenceText(
        "# tail lat lon alt\n"
        "DLH4AB 47.0 8.001 2000\n"
        "DLH4AB 47.0045 8.001 1750\r\n"
        "OTHER1 40.0 2.0 0\n");
    Recorded r(config);
    r.h.sim.config.summaryFile = r.dir / "summary.txt";
    scriptedTraffic(r.h);
    ASSERT_TRUE(simulator::writeReports(r.h.sim));
    const std::string summary = testing_support::readFile(r.dir / "summary.txt");
    const double offsetM = 0.001 * std::cos(47.0 * kDegToRad) * 60 * 1852;  // 75.8 m
    EXPECT_EQ(summary, fmt::format("DLH4AB   object 100   created, airborne, removed           largest distance from "
                                   "the replayed track while airborne {:.0f} m\n"
                                   "SWR12    object 101   created                              no replayed track\n",
                                   offsetM));

    pugi::xml_document svg;
    ASSERT_TRUE(svg.load_file((r.dir / "map.svg").c_str()));
    const pugi::xml_node moved = svg.child("svg").find_child_by_attribute("g", "id", "object-100");
    const pugi::xml_node rings = moved.find_child_by_attribute("g", "class", "replayed");
    EXPECT_EQ(std::distance(rings.children("circle").begin(), rings.children("circle").end()), 2);
    EXPECT_FALSE(svg.child("svg").find_child_by_attribute("g", "id", "object-101").find_child_by_attribute(
        "g", "class", "replayed"));
}

TEST(StandInReports, LandingIsAGroundPointAfterAnAirborneOne) {
    simulator::World world;
    world.terrainFt = 100;
    world.staticCgFt = 9;
    simulator::AiObject o;
    o.tailNumber = "KLM1";
    o.track = {{0, 52.0, 4.0, 109}, {1, 52.001, 4.0, 111}, {2, 52.002, 4.0, 112}, {3, 52.003, 4.0, 109}};
    const auto landed = simulator::summariseObject(world, o, {});
    EXPECT_TRUE(landed.airborne) << "112 ft is 3 ft above a 9 ft stance";
    EXPECT_TRUE(landed.landed);
    EXPECT_FALSE(landed.removed);
    EXPECT_FALSE(landed.hasReference);
    o.track.pop_back();
    EXPECT_FALSE(simulator::summariseObject(world, o, {}).landed);
}

// A path extended after its stream stopped runs on past the replayed track:
// that part is counted apart from the distance along the track.
TEST(StandInReports, FlyingOnPastTheReplayedEndIsCountedApart) {
    simulator::World world;
    world.terrainFt = 0;
    const auto reference = simulator::readReferenceText("KLM1 52.0 4.0 3000\nKLM1 52.01 4.0 3000\n");
    simulator::AiObject o;
    o.tailNumber = "KLM1";
    o.track = {{0, 52.0, 4.0003, 3000}, {1, 52.005, 4.0, 3000}, {2, 52.02, 4.0, 3000}};
    const auto s = simulator::summariseObject(world, o, reference);
    EXPECT_NEAR(s.largestAirborneOffsetM, 0.0003 * std::cos(52.0 * kDegToRad) * 60 * 1852, 0.01);
    EXPECT_NEAR(s.largestPastEndM, 0.01 * 60 * 1852, 0.01);
}
