// A whole session with the stand-in, in memory and frame by frame: every
// kind of reply the program reads, as bytes on the wire.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "foundation/geodesy.h"
#include "session_harness.h"
#include "tools/simulator/flight_plan_file.h"
#include "tools/simulator/scenario.h"
#include "support/temp_dir.h"

using namespace golden;

namespace {

constexpr std::uint32_t kSystemGroup = 0xFFFFFFFFu;

Harness registered(simulator::SimulatorConfig config = quietConfig()) {
    Harness h(std::move(config));
    h.registerLikeTheProgram();
    return h;
}

// Creates one AI object and lets the next frame announce it; returns its id.
std::uint32_t createObject(Harness& h, std::string_view tail, InitPos position = {}) {
    const auto immediate = h.send(createAi(h.next(), "Stand-in B738 Livery", tail, position));
    EXPECT_TRUE(immediate.empty());
    const auto announced = ofKind(h.frames(), kAssignedId);
    EXPECT_EQ(announced.size(), 1u);
    return announced.empty() ? 0 : announced[0].u32(16);
}

}  // namespace

TEST(StandInSession, ProgramRegistrationIsAnsweredWithOpenAndNothingElse) {
    Harness h;
    const auto replies = h.registerLikeTheProgram();
    ASSERT_EQ(replies.size(), 1u);
    const Message& open = replies[0];
    EXPECT_EQ(open.id(), kOpen);
    EXPECT_EQ(open.size(), 308u);
    EXPECT_EQ(open.u32(4), 35u);
    EXPECT_EQ(open.text(12, 256), "Lockheed Martin Prepar3D v5");
    EXPECT_EQ(open.u32(268), 5u);
    EXPECT_EQ(open.u32(272), 4u);
    EXPECT_EQ(open.u32(276), 9u);
    EXPECT_EQ(open.u32(280), 28482u);
    EXPECT_TRUE(h.sim.faults.empty());
    EXPECT_EQ(h.session.definitions.size(), 9u);
    EXPECT_EQ(h.session.definitions.at(403).datums.size(), 12u);
    EXPECT_EQ(h.session.mappedEvents.size(), 17u);
    EXPECT_EQ(h.session.groups.at(301).events.size(), 16u);
}

TEST(StandInSession, OpenNamesTheConfiguredSimulatorInTheClientsProtocol) {
    struct Case {
        std::string sim;
        std::uint32_t clientVersion;
        std::string name;
        std::uint32_t major;
    };
    for (const Case& c :
         {Case{"v5", 35, "Lockheed Martin Prepar3D v5", 5}, Case{"v6", 35, "Lockheed Martin Prepar3D v6", 6},
          Case{"v5", 2, "Lockheed Martin Prepar3D v5", 5}, Case{"v6", 30, "Lockheed Martin Prepar3D v6", 6}}) {
        SCOPED_TRACE(c.sim + " " + std::to_string(c.clientVersion));
        simulator::SimulatorConfig config = quietConfig();
        config.simName = c.name;
        config.simVersion = {c.major, 0, 0, 1};
        Harness h(config);
        const auto replies = h.send(open(0, "AnyClient", c.clientVersion));  // serials may start at 0
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].u32(4), c.clientVersion);
        EXPECT_EQ(replies[0].text(12, 256), c.name);
        EXPECT_EQ(replies[0].u32(268), c.major);
        EXPECT_TRUE(h.sim.faults.empty());
    }
}

TEST(StandInSession, SimRunningAndFrameEventsFollowTheSubscriptions) {
    Harness h = registered();
    const auto first = h.frames();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].id(), kEvent);
    EXPECT_EQ(first[0].size(), 24u);
    EXPECT_EQ(first[0].u32(12), kSystemGroup);
    EXPECT_EQ(first[0].u32(16), 201u);
    EXPECT_EQ(first[0].u32(20), 1u);
    EXPECT_EQ(first[1].id(), kFrame);
    EXPECT_EQ(first[1].size(), 32u);
    EXPECT_EQ(first[1].u32(16), 204u);
    EXPECT_FLOAT_EQ(first[1].f32(24), 30.0f);
    EXPECT_FLOAT_EQ(first[1].f32(28), 1.0f);
    const auto later = h.frames(29);
    EXPECT_EQ(ofKind(later, kFrame).size(), 29u);
    EXPECT_TRUE(ofKind(later, kEvent).empty());
}

TEST(StandInSession, UserOnGroundArrivesOncePerSecond) {
    Harness h = registered();
    h.send(requestData(h.next(), 108, 409, 0, 4));
    const auto data = ofKind(h.frames(91), kData);  // a bit over three seconds
    ASSERT_EQ(data.size(), 4u);
    for (const Message& m : data) {
        EXPECT_EQ(m.size(), 48u);
        EXPECT_EQ(m.u32(12), 108u);
        EXPECT_EQ(m.u32(16), 1u);  // the user's object id
        EXPECT_EQ(m.u32(20), 409u);
        EXPECT_EQ(m.u32(36), 1u);
        EXPECT_EQ(m.i64(40), 1);  // standing on the ground
    }
}

TEST(StandInSession, UserStateBlockCarriesPositionTimeAndLights) {
    simulator::SimulatorConfig config = quietConfig();
    config.userLights = 0x205;
    Harness h = registered(config);
    h.send(requestData(h.next(), 109, 403, 0, 1));
    const auto data = ofKind(h.frames(3), kData);
    ASSERT_EQ(data.size(), 1u);  // once
    const Message& m = data[0];
    EXPECT_EQ(m.size(), 40u + 96u);
    EXPECT_EQ(m.u32(16), 1u);
    EXPECT_EQ(m.u32(36), 12u);
    EXPECT_DOUBLE_EQ(m.f64(40), 47.4581);
    EXPECT_DOUBLE_EQ(m.f64(48), 8.5480);
    EXPECT_NEAR(m.f64(72), 280 * kDegToRad, 1e-12);  // heading in radians
    EXPECT_DOUBLE_EQ(m.f64(80), 1422.0);             // altitude
    EXPECT_DOUBLE_EQ(m.f64(88), 6.0);                // above the 1416 ft terrain
    EXPECT_EQ(m.i64(104), 43200);                    // 12:00:00 UTC
    EXPECT_EQ(m.i64(112), 182);                      // 1 July
    EXPECT_EQ(m.i64(120), 2025);
    EXPECT_EQ(m.i64(128), 0x205);
}

TEST(StandInSession, TitleAndModelComeAsStringVAndString32) {
    Harness h = registered();
    h.send(requestData(h.next(), 106, 407, 0, 1));
    h.send(requestData(h.next(), 107, 408, 0, 1));
    const auto data = ofKind(h.frames(), kData);
    ASSERT_EQ(data.size(), 2u);
    const Message& title = data[0].u32(12) == 106 ? data[0] : data[1];
    const Message& model = data[0].u32(12) == 107 ? data[0] : data[1];
    EXPECT_EQ(title.text(40, 256), "Stand-in A320 Neutral");
    EXPECT_EQ(title.size(), 40u + 24u);  // 21 characters and the zero, padded to 4
    EXPECT_EQ(model.size(), 40u + 32u);
    EXPECT_EQ(model.text(40, 32), "A320");
}

TEST(StandInSession, CreationIsAnnouncedThenListedWithItsTailNumberAsAtcId) {
    Harness h = registered();
    const std::uint32_t createSerial = h.serial + 1;
    h.send(createAi(createSerial, "Stand-in B738 Livery", "DLH4AB", InitPos{47.46, 8.55, 2500, -2, 0, 270, 0, 0}));
    const auto announced = h.frames();
    const auto assigned = ofKind(announced, kAssignedId);
    const auto added = ofKind(announced, kAddRemove);
    ASSERT_EQ(assigned.size(), 1u);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(assigned[0].size(), 20u);
    EXPECT_EQ(assigned[0].u32(12), 104u);
    const std::uint32_t id = assigned[0].u32(16);
    EXPECT_EQ(id, 100u);
    EXPECT_EQ(added[0].size(), 28u);
    EXPECT_EQ(added[0].u32(16), 202u);
    EXPECT_EQ(added[0].u32(20), id);
    EXPECT_EQ(added[0].u32(24), 2u);

    h.send(requestDataByType(h.next(), 101, 404, 50000, 2));
    const auto listed = ofKind(h.frames(), kDataByType);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].u32(16), 1u);  // the user first
    EXPECT_EQ(listed[0].u32(28), 1u);
    EXPECT_EQ(listed[0].u32(32), 2u);
    const Message& ai = listed[1];
    EXPECT_EQ(ai.size(), 40u + 56u);
    EXPECT_EQ(ai.u32(16), id);
    EXPECT_EQ(ai.u32(28), 2u);
    EXPECT_EQ(ai.u32(32), 2u);
    EXPECT_DOUBLE_EQ(ai.f64(40), 2500.0 - 1416.0);  // above ground
    EXPECT_DOUBLE_EQ(ai.f64(48), 1416.0);           // ground altitude
    EXPECT_EQ(ai.i64(56), 0);                       // airborne
    EXPECT_EQ(ai.text(64, 32), "DLH4AB");
    EXPECT_EQ(h.sim.world.objects.at(0).createSerial, createSerial);
    EXPECT_NEAR(h.sim.world.objects.at(0).state.headingRad, 270 * kDegToRad, 1e-12);
}

TEST(StandInSession, ObjectsBeyondTheRadiusAreNotListed) {
    Harness h = registered();
    createObject(h, "NEAR1", InitPos{47.46, 8.55});
    createObject(h, "FAR1", InitPos{48.5, 8.55});  // about 115 km north
    h.send(requestDataByType(h.next(), 101, 404, 20000, 2));
    const auto listed = ofKind(h.frames(), kDataByType);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].text(64, 32), "NEAR1");
}

TEST(StandInSession, ScenarioRefusalsAnswerTheCreationsSerialWithoutAFault) {
    struct Case {
        const char* name;
        std::size_t maxObjects;
        std::uint32_t exception;
    };
    for (const Case& c : {Case{"refused title", 1000, 22}, Case{"too many objects", 1, 11}}) {
        SCOPED_TRACE(c.name);
        simulator::SimulatorConfig config = quietConfig();
        config.refusedTitles = {"stand-in b738 broken"};  // compared ignoring case
        config.maxObjects = c.maxObjects;
        Harness h = registered(config);
        if (c.maxObjects == 1) createObject(h, "FIRST");
        const std::uint32_t serial = h.next();
        const char* title = c.exception == 22 ? "Stand-in B738 BROKEN" : "Stand-in B738 Livery";
        const auto replies = h.send(createAi(serial, title, "DLH9XY", InitPos{}));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].id(), kException);
        EXPECT_EQ(replies[0].u32(12), c.exception);
        EXPECT_EQ(replies[0].u32(16), serial);
        EXPECT_TRUE(ofKind(h.frames(), kAssignedId).empty());
        EXPECT_TRUE(h.sim.faults.empty());
    }
}

TEST(StandInSession, OnlyInstalledTitlesCanBeCreated) {
    simulator::SimulatorConfig config = quietConfig();
    config.installedTitles = std::set<std::string>{"stand-in b738 livery"};
    Harness h = registered(config);
    createObject(h, "DLH4AB");  // "Stand-in B738 Livery": installed, whatever the letter case
    const std::uint32_t serial = h.next();
    const auto replies = h.send(createAi(serial, "Stand-in B738 Livery 2", "DLH9XY", InitPos{}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].id(), kException);
    EXPECT_EQ(replies[0].u32(12), 22u);  // CREATE_OBJECT_FAILED
    EXPECT_EQ(replies[0].u32(16), serial);
    EXPECT_EQ(h.sim.world.objects.size(), 1u);
    EXPECT_TRUE(h.sim.faults.empty());
}

TEST(StandInSession, RefusingEveryTitleForAWhileFailsTheCreationsOfThatTimeOnly) {
    simulator::SimulatorConfig config = quietConfig();
    config.actions = simulator::parseControlText("refuse-titles on\n", "test");
    Harness h = registered(config);
    h.frames();  // the action runs
    const auto creation = [&](const char* tail) {
        const std::uint32_t serial = h.next();
        const auto replies = h.send(createAi(serial, "Stand-in B738 Livery", tail, InitPos{}));
        return replies.size() == 1 && replies[0].id() == kException && replies[0].u32(12) == 22u &&
               replies[0].u32(16) == serial;
    };
    EXPECT_TRUE(creation("DLH1AB"));
    h.sim.controlActions = simulator::parseControlText("refuse-titles off\n", "control");
    h.frames();
    EXPECT_FALSE(creation("DLH2AB"));
    EXPECT_EQ(ofKind(h.frames(), kAssignedId).size(), 1u);
    EXPECT_EQ(h.sim.world.objects.size(), 1u);
    EXPECT_TRUE(h.sim.faults.empty());
}

TEST(StandInSession, ControlActionsRunAtTheNextFrameAndQuitEndsTheConnection) {
    Harness h = registered();
    h.sim.controlActions = simulator::parseControlText("frames off\n\nquit\n", "control");
    const auto got = h.frames();
    EXPECT_FALSE(h.sim.framesOn);
    EXPECT_EQ(ofKind(got, kQuit).size(), 1u);
    EXPECT_TRUE(h.session.closeAfterSend);
    EXPECT_TRUE(h.sim.controlActions.empty());
}

TEST(StandInSession, ABusyRecordLeavesPositionBlocksAndObjectDataOut) {
    for (const bool bulk : {true, false}) {
        testing_support::TempDir dir;
        simulator::SimulatorConfig config = quietConfig();
        config.recordBulk = bulk;
        Harness h = registered(config);
        simulator::openRecorder(h.sim.recorder, dir / "record.jsonl");
        createObject(h, "DLH4AB");
        h.send(setData(h.next(), 402, 100, positionBlock(47.46, 8.55, 0, 0, 1, 2500), 64));
        h.send(requestDataByType(h.next(), 101, 404, 50000, 2));
        h.frames();
        h.sim.recorder.file.close();
        const std::string record = testing_support::readFile(dir / "record.jsonl");
        EXPECT_EQ(record.find("\"SetDataOnSimObject\"") != std::string::npos, bulk);
        EXPECT_EQ(record.find("\"SIMOBJECT_DATA_BYTYPE\"") != std::string::npos, bulk);
        EXPECT_NE(record.find("\"AICreateNonATCAircraft\""), std::string::npos);
        EXPECT_NE(record.find("\"RequestDataOnSimObjectType\""), std::string::npos);
    }
}

TEST(StandInSession, RemovalIsAnnouncedAndLaterBlocksForTheObjectAreRefused) {
    Harness h = registered();
    const std::uint32_t id = createObject(h, "DLH4AB");
    h.send(remove(h.next(), id));
    const auto removed = ofKind(h.frames(), kAddRemove);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].u32(16), 203u);
    EXPECT_EQ(removed[0].u32(20), id);
    const std::uint32_t serial = h.next();
    const auto replies = h.send(setData(serial, 402, id, positionBlock(47.46, 8.55, 0, 0, 1, 2000), 64));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].u32(12), 3u);  // UNRECOGNIZED_ID
    EXPECT_EQ(replies[0].u32(16), serial);
    ASSERT_EQ(h.sim.faults.size(), 1u);
    EXPECT_EQ(h.sim.faults[0].reason, "object id 100 unknown");
}

TEST(StandInSession, PositionBlocksAndClientEventsShapeTheObject) {
    Harness h = registered();
    const std::uint32_t id = createObject(h, "DLH4AB");
    h.send(release(h.next(), id));
    for (std::uint32_t freeze : {215u, 216u, 217u}) h.send(transmitEvent(h.next(), id, freeze, 1));
    h.send(setData(h.next(), 402, id, positionBlock(47.47, 8.56, -0.05, 0.1, 3.0, 3000, 12.5, 160), 64));
    h.send(release(h.next(), id));
    h.send(transmitEvent(h.next(), id, 218, 10240));
    h.send(release(h.next(), id));
    for (std::uint32_t light : {208u, 207u, 211u, 213u}) h.send(transmitEvent(h.next(), id, light, 1));
    h.send(transmitEvent(h.next(), id, 220, 0));
    h.send(transmitEvent(h.next(), id, 223, 8191));
    h.send(transmitEvent(h.next(), id, 221, 0));  // not in the group, sent with it all the same
    Bytes controls(24, 0);
    putF64(controls, 0, 100);
    putF64(controls, 8, -100);
    putF64(controls, 16, -100);
    h.send(setData(h.next(), 401, id, controls, 24));
    EXPECT_TRUE(h.sim.faults.empty());

    const simulator::AiObject& o = h.sim.world.objects.at(0);
    EXPECT_TRUE(o.released && o.frozenLatLon && o.frozenAltitude && o.frozenAttitude);
    EXPECT_DOUBLE_EQ(o.state.latitude, 47.47);
    EXPECT_DOUBLE_EQ(o.state.headingRad, 3.0);
    EXPECT_DOUBLE_EQ(o.state.pitchRad, -0.05);
    EXPECT_DOUBLE_EQ(o.state.altitudeFt, 3000);
    EXPECT_NEAR(o.state.verticalSpeedFps, 12.5, 1e-9);
    EXPECT_EQ(o.state.flaps, 10240u);
    EXPECT_EQ(o.state.lights, 0x1u | 0x2u | 0x4u | 0x100u);
    EXPECT_FALSE(o.state.gearDown);
    EXPECT_EQ(o.state.throttle, 8191u);
    EXPECT_TRUE(o.state.enginesRunning);
    EXPECT_DOUBLE_EQ(o.state.spoilersHandlePercent, 100);
    EXPECT_DOUBLE_EQ(o.state.throttleLeverPercent[1], -100);
    EXPECT_EQ(o.eventsReceived, 11u);
}

TEST(StandInSession, OnGroundFollowsTheStaticCentreOfGravity) {
    simulator::SimulatorConfig config = quietConfig();
    config.staticCgFt = 8.5;
    config.staticPitchDeg = 1.5;
    Harness h = registered(config);
    const std::uint32_t id = createObject(h, "DLH4AB", InitPos{47.46, 8.55, 0, 0, 0, 90, 1, 0});
    h.send(requestData(h.next(), 102, 405, id, 1));
    const auto cg = ofKind(h.frames(), kData);
    ASSERT_EQ(cg.size(), 1u);
    EXPECT_EQ(cg[0].u32(16), id);
    EXPECT_DOUBLE_EQ(cg[0].f64(40), 8.5);
    EXPECT_NEAR(cg[0].f64(48), 1.5 * kDegToRad, 1e-12);

    // Placed on the ground, then lifted 10.6 ft (CG + 2 is the limit) and 10.4 ft above the terrain.
    for (const auto& [height, onGround] : {std::pair{8.5, 1}, std::pair{10.6, 0}, std::pair{10.4, 1}}) {
        if (height != 8.5) h.send(setData(h.next(), 402, id, positionBlock(47.46, 8.55, 0, 0, 1, 1416 + height), 64));
        h.send(requestDataByType(h.next(), 101, 404, 50000, 2));
        const auto listed = ofKind(h.frames(), kDataByType);
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_EQ(listed[1].i64(56), onGround) << height;
    }
}

TEST(StandInSession, FlightPlanFilesAreReadAndBadOnesRefused) {
    testing_support::TempDir dir;
    const std::string good = (dir / "100.pln").string();
    testing_support::writeFile(dir / "100.pln",
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SimBase.Document Type=\"AceXML\" "
                               "version=\"4,3\">\n<FlightPlan.FlightPlan>\n<FPType>IFR</FPType>\n<DepartureID>ZRH"
                               "</DepartureID>\n<DestinationID>FRA</DestinationID>\n</FlightPlan.FlightPlan>\n"
                               "</SimBase.Document>\n\n");
    testing_support::writeFile(dir / "bad.pln",
                               "<SimBase.Document Type=\"AceXML\"><FlightPlan.FlightPlan>"
                               "<FPType>IRF</FPType></FlightPlan.FlightPlan></SimBase.Document>");
    Harness h = registered();
    const std::uint32_t id = createObject(h, "DLH4AB");
    EXPECT_TRUE(h.send(flightPlan(h.next(), id, good)).empty());
    const simulator::AiObject& o = h.sim.world.objects.at(0);
    EXPECT_EQ(o.flightPlanType, "IFR");
    EXPECT_EQ(o.flightPlanFrom, "ZRH");
    EXPECT_EQ(o.flightPlanTo, "FRA");

    for (const std::string& path : {(dir / "bad.pln").string(), (dir / "missing.pln").string()}) {
        const std::uint32_t serial = h.next();
        const auto replies = h.send(flightPlan(serial, id, path));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].u32(12), 23u);
        EXPECT_EQ(replies[0].u32(16), serial);
    }
    ASSERT_EQ(h.sim.faults.size(), 2u);
    EXPECT_NE(h.sim.faults[0].reason.find("FPType 'IRF' is neither IFR nor VFR"), std::string::npos);
    EXPECT_NE(h.sim.faults[1].reason.find("does not exist"), std::string::npos);
}

// A client under Wine names its flight plans by drive paths: the stand-in
// reads them through the prefix's drive links.
TEST(StandInSession, FlightPlansOfAClientUnderWineAreReadInItsPrefix) {
#ifdef _WIN32
    GTEST_SKIP() << "only the native stand-in serves a client under Wine";
#endif
    testing_support::TempDir prefix;
    std::filesystem::create_directories(prefix / "drive_c" / "users" / "root" / "orig_dest");
    std::filesystem::create_directories(prefix / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    testing_support::writeFile(prefix / "drive_c" / "users" / "root" / "orig_dest" / "108.pln",
                               "<SimBase.Document Type=\"AceXML\"><FlightPlan.FlightPlan><FPType>VFR</FPType>"
                               "<DepartureID>EHAM</DepartureID><DestinationID>EGLL</DestinationID>"
                               "</FlightPlan.FlightPlan></SimBase.Document>");
    simulator::SimulatorConfig config = quietConfig();
    config.winePrefix = prefix.path();
    Harness h = registered(config);
    const std::uint32_t id = createObject(h, "KLM12");
    for (const char* path : {"C:\\users\\root\\orig_dest\\108.pln", "c:/users/root/orig_dest/108.pln"}) {
        EXPECT_TRUE(h.send(flightPlan(h.next(), id, path)).empty()) << path;
        EXPECT_EQ(h.sim.world.objects.at(0).flightPlanTo, "EGLL") << path;
    }
    // Another drive has no link in this prefix.
    EXPECT_EQ(h.send(flightPlan(h.next(), id, "D:\\users\\root\\orig_dest\\108.pln")).size(), 1u);
    ASSERT_EQ(h.sim.faults.size(), 1u);
    EXPECT_NE(h.sim.faults[0].reason.find("does not exist"), std::string::npos);

    EXPECT_EQ(simulator::clientFilePath("C:\\a\\b.pln", {}), std::filesystem::path("C:\\a\\b.pln"));
    EXPECT_EQ(simulator::clientFilePath("/tmp/b.pln", prefix.path()), std::filesystem::path("/tmp/b.pln"));
}

TEST(StandInSession, VersionMismatchAnswersTheOpenAndIgnoresTheRest) {
    simulator::SimulatorConfig config = quietConfig();
    config.versionMismatch = true;
    Harness h(config);
    const auto replies = h.send(open(1, "Velantra_P3D"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].id(), kException);
    EXPECT_EQ(replies[0].u32(12), 5u);
    EXPECT_EQ(replies[0].u32(16), 1u);
    EXPECT_EQ(replies[0].u32(20), 35u);
    EXPECT_TRUE(h.send(subscribe(2, 201, "Sim")).empty());
    EXPECT_TRUE(h.frames(3).empty());
    EXPECT_TRUE(h.sim.faults.empty());

    simulator::SimulatorConfig older = quietConfig();
    older.protocolMax = 30;  // an older simulator meets a newer client
    Harness o(older);
    EXPECT_EQ(o.send(open(1, "Velantra_P3D")).at(0).u32(12), 5u);
    EXPECT_EQ(o.send(open(1, "Old", 30)).size(), 0u);  // the connection is settled either way
}

TEST(StandInSession, DataRequestPeriodsOriginIntervalLimitAndChanges) {
    Harness h = registered();
    h.send(requestData(h.next(), 120, 409, 0, 2, 0, 2, 1, 3));  // every frame: skip 2, then every 2nd, 3 times
    EXPECT_EQ(ofKind(h.frames(12), kData).size(), 3u);
    h.send(requestData(h.next(), 121, 409, 0, 2, 1));  // every frame, only when changed
    EXPECT_EQ(ofKind(h.frames(5), kData).size(), 1u);
    h.send(requestData(h.next(), 122, 409, 0, 4));
    h.send(requestData(h.next(), 122, 409, 0, 0));  // NEVER ends it
    EXPECT_TRUE(ofKind(h.frames(40), kData).empty());
    h.send(requestData(h.next(), 123, 403, 0, 1, 2));  // tagged: each value after its datum id
    const auto tagged = ofKind(h.frames(), kData);
    ASSERT_EQ(tagged.size(), 1u);
    EXPECT_EQ(tagged[0].size(), 40u + 96u + 12 * 4u);
    EXPECT_EQ(tagged[0].u32(40), 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(tagged[0].f64(44), 47.4581);
}

TEST(StandInSession, ScriptedPauseFramesFlightLoadedAndQuit) {
    simulator::SimulatorConfig config = quietConfig();
    const auto at = [&](double t, simulator::ActionKind kind, bool on = true, std::string text = {}) {
        simulator::ScriptAction a;
        a.at = t;
        a.kind = kind;
        a.on = on;
        a.text = std::move(text);
        config.actions.push_back(a);
    };
    at(0.5, simulator::ActionKind::Pause);
    at(1.0, simulator::ActionKind::Pause, false);
    at(1.5, simulator::ActionKind::Frames, false);
    at(2.0, simulator::ActionKind::FlightLoaded, true, "C:\\flights\\next.fxml");
    at(2.5, simulator::ActionKind::Quit);
    Harness h = registered(config);
    h.send(subscribe(h.next(), 230, "Pause"));
    h.frames(14);
    const auto paused = h.frames();  // 0.5 s: pause
    ASSERT_EQ(paused.size(), 2u);
    EXPECT_EQ(paused[0].u32(16), 230u);
    EXPECT_EQ(paused[0].u32(20), 1u);
    EXPECT_FLOAT_EQ(paused[1].f32(28), 0.0f);  // simulation speed 0 while paused
    const double frozenAt = h.sim.world.simTime;
    h.frames(14);
    EXPECT_DOUBLE_EQ(h.sim.world.simTime, frozenAt);
    EXPECT_EQ(h.frames().at(0).u32(20), 0u);  // 1.0 s: unpaused
    h.frames(14);
    EXPECT_TRUE(h.frames(15).empty());  // 1.5 s: no more frame events
    const auto loaded = h.frames();     // 2.0 s
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].id(), kFilename);
    EXPECT_EQ(loaded[0].size(), 288u);
    EXPECT_EQ(loaded[0].u32(16), 206u);
    EXPECT_EQ(loaded[0].text(24, 260), "C:\\flights\\next.fxml");
    const auto quit = h.frames(15);  // 2.5 s
    ASSERT_EQ(quit.size(), 1u);
    EXPECT_EQ(quit[0].id(), kQuit);
    EXPECT_EQ(quit[0].size(), 12u);
    EXPECT_TRUE(h.session.closeAfterSend);
    EXPECT_TRUE(h.frames(5).empty());
}

TEST(StandInSession, JumpsMoveTheUserAndRepositionsAreAnnounced) {
    simulator::SimulatorConfig config = quietConfig();
    simulator::ScriptAction jump;
    jump.at = 0.5;
    jump.kind = simulator::ActionKind::Jump;
    jump.waypoint.latitude = 50.03;
    jump.waypoint.longitude = 8.57;
    jump.waypoint.altitudeFt = 400;
    simulator::ScriptAction reposition = jump;
    reposition.at = 1.0;
    reposition.kind = simulator::ActionKind::Reposition;
    reposition.waypoint.latitude = 51.0;
    config.actions = {jump, reposition};
    Harness h = registered(config);
    h.frames(15);
    h.send(requestData(h.next(), 109, 403, 0, 1));
    const auto jumped = ofKind(h.frames(), kData);
    ASSERT_EQ(jumped.size(), 1u);
    EXPECT_DOUBLE_EQ(jumped[0].f64(40), 50.03);
    const auto announced = ofKind(h.frames(15), kEvent);
    ASSERT_EQ(announced.size(), 1u);
    EXPECT_EQ(announced[0].u32(16), 205u);
    EXPECT_DOUBLE_EQ(h.sim.world.user.state.latitude, 51.0);
}

TEST(StandInSession, UserFlightPathIsFollowedInSimulatorTime) {
    simulator::SimulatorConfig config = quietConfig();
    simulator::UserWaypoint a, b;
    a.latitude = 47.0;
    a.longitude = 8.0;
    a.altitudeFt = 1000;
    b = a;
    b.time = 10;
    b.latitude = 47.1;
    b.altitudeFt = 2000;
    b.onGround = false;
    config.userPath = {a, b};
    Harness h = registered(config);
    h.frames(150);  // 5 s
    const auto& s = h.sim.world.user.state;
    EXPECT_NEAR(s.latitude, 47.05, 1e-9);
    EXPECT_NEAR(s.altitudeFt, 1500, 1e-6);
    EXPECT_NEAR(s.groundSpeedKnots, 6.0 / (10.0 / 3600), 1e-6);  // 0.1 degree is 6 nm
    EXPECT_NEAR(s.headingRad, 0.0, 1e-9);
    EXPECT_NEAR(s.verticalSpeedFps, 100, 1e-9);
}

TEST(StandInSession, HelicoptersAndTheSimulatorsOwnTrafficAreAnnouncedAsSuch) {
    simulator::SimulatorConfig config = quietConfig();
    config.helicopterTitles = {"Bell"};
    simulator::ScriptAction spawn;
    spawn.at = 0.1;
    spawn.kind = simulator::ActionKind::Spawn;
    spawn.text = "HB-ZZZ";
    spawn.title = "Default traffic";
    spawn.waypoint.latitude = 47.459;
    spawn.waypoint.longitude = 8.549;
    spawn.waypoint.altitudeFt = 1425;
    config.actions = {spawn};
    Harness h = registered(config);
    h.send(createAi(h.next(), "Stand-in Bell 407", "HBZHE", InitPos{}));
    const auto added = ofKind(h.frames(3), kAddRemove);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].u32(24), 3u);  // helicopter
    EXPECT_EQ(added[1].u32(24), 2u);
    h.send(requestDataByType(h.next(), 101, 404, 50000, 2));
    h.send(requestDataByType(h.next(), 130, 404, 50000, 3));
    const auto listed = ofKind(h.frames(), kDataByType);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1].text(64, 32), "HB-ZZZ");
    EXPECT_EQ(listed[2].u32(12), 130u);
    EXPECT_EQ(listed[2].text(64, 32), "HBZHE");
}

TEST(StandInSession, ClientsObjectsGoWhenItDisconnects) {
    Harness h = registered();
    createObject(h, "DLH4AB");
    simulator::endSession(h.sim, h.session, "the client closed the connection");
    ASSERT_EQ(h.sim.world.objects.size(), 1u);
    EXPECT_FALSE(h.sim.world.objects[0].live());
    EXPECT_EQ(h.sim.world.objects[0].removeReason, "client 1 disconnected");
    ASSERT_EQ(h.sim.clients.size(), 1u);
    EXPECT_EQ(h.sim.clients[0].appName, "Velantra_P3D");
    EXPECT_EQ(h.sim.clients[0].packets, 75u);
}
