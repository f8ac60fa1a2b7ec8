// The simulator client thread against the stand-in simulator: waiting for
// the simulator, the registration, a running flight with the user aircraft,
// AI objects created, matched, moved and removed on frames, the errors that
// end the link, and how the link ends when the simulator goes.
#include <gtest/gtest.h>

#include "stand_in_session.h"
#include "tools/session_harness.h"
#include "tools/simulator/request_packets.h"

using namespace simlink_test;

namespace {

SpawnRequest spawnAt(const char* callsign, std::uint32_t hexId, std::string_view title) {
    SpawnRequest r;
    r.position = {47.4590, 8.5490, 1425.0, 0.0, 0.0, 280.0, 1, 0};
    r.callsign = callsign;
    r.liveryTitle = title;
    r.hexId = hexId;
    return r;
}

std::optional<AcEvent> findEvent(std::vector<AcEvent>& seen, AcEventKind kind, std::uint32_t id) {
    for (const AcEvent& e : takeAcEvents()) seen.push_back(e);
    for (const AcEvent& e : seen)
        if (e.kind == kind && (e.id == id || e.objectId == id)) return e;
    return std::nullopt;
}

std::uint32_t u32(const nlohmann::json& line, const char* field) { return line["fields"][field].get<std::uint32_t>(); }

}  // namespace

TEST_F(SimLinkSession, RetriesUntilTheSimulatorStarts) {
    // A free port, for a stand-in that starts later; only that address is tried.
    startStandIn("");
    const std::uint16_t port = standIn_->endpoints().port4;
    stopStandIn();
    writeCfg("Protocol=IPv4\nAddress=localhost\nPort=" + std::to_string(port));

    startClient();
    ASSERT_TRUE(waitFor([] { return statusText() == "Waiting for Prepar3Dv5 ..."; }));
    // Several tries (one each 100 ms) that must neither connect nor say so again.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_FALSE(g_simConnected);
    EXPECT_EQ(statusText(), "Waiting for Prepar3Dv5 ...");
    EXPECT_EQ(errorText(), "");

    startStandIn("", Transport::tcp, port);
    // The flag is up a moment before the line is written and the status cleared.
    ASSERT_TRUE(waitFor([this] {
        return g_simConnected.load() && log_.contains("Lockheed Martin Prepar3D v5 (5.4.9.28482) connected") &&
               statusText().empty();
    }));

    const auto lines = log_.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Waiting for Prepar3Dv5 ..."), 1);
    const auto waiting = std::find(lines.begin(), lines.end(), "Waiting for Prepar3Dv5 ...");
    EXPECT_EQ(*(waiting - 1), " ");
    EXPECT_TRUE(log_.contains("Lockheed Martin Prepar3D v5 (5.4.9.28482) connected"));
    EXPECT_EQ(statusText(), "");
    gf_joinSimClient();
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
    EXPECT_EQ(standIn_->sim().clients.size(), 1u);
}

class FlightRuns : public SimLinkSession, public ::testing::WithParamInterface<Transport> {};

TEST_P(FlightRuns, RegistersEverythingAndFollowsTheUserAircraft) {
    startStandIn("", GetParam());
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());
    // The model's line is the last thing its reply sets: the size flag comes before it.
    const std::string modelLine = "          SimConnect: User aircraft model: A320, half wing span: 17.9 meter, category: ";
    ASSERT_TRUE(waitFor([&] { return log_.contains(modelLine); }));
    EXPECT_TRUE(g_userSizeKnown);

    const UserState user = gf_copyUserState();
    EXPECT_NEAR(user.lat, 47.4581, 1e-9);
    EXPECT_NEAR(user.lon, 8.5480, 1e-9);
    EXPECT_EQ(user.zuluYear, 2025);
    EXPECT_EQ(g_userObjectId, 1u);
    EXPECT_TRUE(g_userOnGround);
    EXPECT_EQ(gf_copyUserText(g_userTitle), "Stand-in A320 Neutral");
    EXPECT_TRUE(log_.contains("          SimConnect: User aircraft title: Stand-in A320 Neutral"));
    EXPECT_EQ(gf_copyUserText(g_simNameText), "Lockheed Martin Prepar3D v5 (5.4.9.28482)");

    // The on-ground flag comes again and again (every second of the simulator's).
    for (int sample = 0; sample < 2; ++sample) {
        g_newUserSample = false;
        EXPECT_TRUE(waitFor([] { return g_newUserSample.load(); })) << sample;
    }

    gf_joinSimClient();
    EXPECT_FALSE(g_simConnected);
    EXPECT_EQ(g_simHandle.load(), nullptr);
    EXPECT_TRUE(log_.contains("SimConnect closed ok"));
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
    EXPECT_TRUE(standIn_->sim().faults.empty());

    // Serials 2 to 74: exactly the program's registration, in its order.
    const auto in = packetsIn();
    const auto golden = golden::programRegistration();
    ASSERT_GE(in.size(), 1 + golden.size());
    EXPECT_EQ(in[0]["kind"], "Open");
    EXPECT_EQ(in[0]["fields"]["appName"], "Velantra_P3D");
    for (std::size_t k = 0; k < golden.size(); ++k) {
        const auto expected = simulator::parseRequest(golden[k]);
        ASSERT_TRUE(expected.body.has_value());
        EXPECT_EQ(in[k + 1]["serial"], k + 2);
        EXPECT_EQ(in[k + 1]["kind"], simulator::requestName(expected.header.code()));
        EXPECT_EQ(in[k + 1]["fields"], nlohmann::json::parse(simulator::requestFields(*expected.body).dump())) << k + 2;
    }
    EXPECT_EQ(in[1 + golden.size()]["serial"], 75);
}

INSTANTIATE_TEST_SUITE_P(SimLinkSession, FlightRuns, ::testing::Values(Transport::tcp, Transport::pipe),
                         [](const ::testing::TestParamInfo<Transport>& p) { return p.param == Transport::tcp ? "Tcp" : "NamedPipe"; });

TEST_F(SimLinkSession, CreatedObjectsAreMatchedMovedAndRemovedOnFrames) {
    startStandIn("refuse-title Broken Livery\nat 0.5 spawn HB-JVA 47.4600 8.5500 1425 Default traffic");
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());

    gf_queueCreateAc(spawnAt("DLH4AB", 4001234, "Stand-in B738 Livery"));
    gf_queueCreateAc(spawnAt("SWR12", 4005678, "Broken Livery"));
    std::vector<AcEvent> seen;
    // The refusal names the creation's serial, which picks the aircraft.
    ASSERT_TRUE(waitFor([&] { return findEvent(seen, AcEventKind::createFailed, 4005678).has_value(); }));
    EXPECT_FALSE(findEvent(seen, AcEventKind::createFailed, 4001234));

    std::optional<AcEvent> created;
    ASSERT_TRUE(waitFor([&] {
        requestAircraftInRange();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        created = findEvent(seen, AcEventKind::liveCreated, 4001234);
        return created && log_.contains("just spawned, but not by Velantra_P3D");
    }));
    const std::uint32_t objectId = created->objectId;
    EXPECT_GE(objectId, 100u);
    EXPECT_TRUE(log_.contains("callsign 'HB-JVA'"));

    // Released at once, frozen on the next frame.
    ASSERT_TRUE(waitFor([&] { return packetsIn("TransmitClientEvent").size() >= 3; }));
    const auto in = packetsIn();
    const auto release = std::find_if(in.begin(), in.end(), [&](const auto& p) {
        return p["kind"] == "AIReleaseControl" && u32(p, "objectId") == objectId;
    });
    ASSERT_NE(release, in.end());
    EXPECT_EQ(u32(*release, "requestId"), REQ_AI_RELEASE);
    std::vector<std::uint32_t> freezes;
    for (auto p = release + 1; p != in.end(); ++p) {
        if ((*p)["kind"] != "TransmitClientEvent") continue;
        EXPECT_EQ(u32(*p, "objectId"), objectId);
        EXPECT_EQ(u32(*p, "data"), 1u);
        EXPECT_EQ(u32(*p, "groupId"), GROUP_AI);
        freezes.push_back(u32(*p, "eventId"));
    }
    EXPECT_EQ(freezes, (std::vector<std::uint32_t>{EVT_FREEZE_LATITUDE_LONGITUDE_SET, EVT_FREEZE_ALTITUDE_SET,
                                                   EVT_FREEZE_ATTITUDE_SET}));

    // A known object reports whether it is on the ground and its height.
    std::optional<AcEvent> ground;
    ASSERT_TRUE(waitFor([&] {
        requestAircraftInRange();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ground = findEvent(seen, AcEventKind::onGround, objectId);
        return ground.has_value();
    }));
    EXPECT_EQ(ground->id, 1u);
    EXPECT_EQ(ground->value1, 1416.0);
    EXPECT_NEAR(ground->value2, 9.0, 0.5);

    // One frame: position blocks, client events, creations, removals.
    {
        const std::lock_guard lock(g_simQueueMutex);
        g_posUpdates.write().push_back({47.4591, 8.5491, 0.0, 0.0, 4.8, 1425.0, 0.0, 0.0, objectId});
        g_posUpdates.writeSide = 1 - g_posUpdates.writeSide;
        g_simRemoveQueue.push_back(objectId);
        g_simCreateQueue.push_back(spawnAt("EZY12", 4001111, "Stand-in B738 Livery"));
        g_simEventQueue.push_back({objectId, EVT_NAV_LIGHTS_SET, 1});
    }
    ASSERT_TRUE(waitFor([&] { return findEvent(seen, AcEventKind::removed, objectId).has_value(); }));
    const auto all = packetsIn();
    const auto block = std::find_if(all.begin(), all.end(), [](const auto& p) { return p["kind"] == "SetDataOnSimObject"; });
    ASSERT_GE(all.end() - block, 4);
    EXPECT_EQ(u32(*block, "objectId"), objectId);
    EXPECT_EQ((*(block + 1))["kind"], "TransmitClientEvent");
    EXPECT_EQ((*(block + 2))["kind"], "AICreateNonATCAircraft");
    EXPECT_EQ((*(block + 3))["kind"], "AIRemoveObject");
    for (int k = 1; k < 4; ++k) EXPECT_EQ((*(block + k))["serial"], (*block)["serial"].get<std::uint32_t>() + k);

    gf_joinSimClient();
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
}

TEST_F(SimLinkSession, ErrorsTheUserMustFixEndTheLinkButNotTheRun) {
    struct Case {
        const char* scenario;
        bool emptyModel;
        const char* error;
    };
    const Case cases[] = {
        {"sim v6", false, "78: wrong P3D version 'Lockheed Martin Prepar3D v6 (6.0.34.31011)' connects ... ?)"},
        {"sim-name KittyHawk", false, "78: KittyHawk, (MSFS) not being P3D connects ... ?"},
        {"version-mismatch on", false, "95: SimConnect Version Mismatch, dwIndex: "},
        {"", true, "71: atc_model= in [General] section of your aircraft.cfg is empty or missing"},
    };
    int closed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        resetLink();
        tweak_ = [&](simulator::SimulatorConfig& config) {
            if (c.emptyModel) config.userModel.clear();
        };
        startStandIn(c.scenario);
        startClient();
        if (c.emptyModel) knowTheUserAircraft();
        ASSERT_TRUE(waitFor([] { return !errorText().empty() && g_simHandle.load() == nullptr; }));
        EXPECT_EQ(errorText().rfind(c.error, 0), 0u) << errorText();
        gf_joinSimClient();
        const auto lines = log_.lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "SimConnect closed ok"), ++closed);
        // The run goes on without a link: no flight, no restart, nothing sent.
        EXPECT_FALSE(g_stopRequested);
        EXPECT_FALSE(g_simRunning);
        EXPECT_FALSE(g_simConnected);
        gf_requestUserPosition();
        EXPECT_FALSE(g_simError);
        EXPECT_FALSE(g_stopRequested);
        stopStandIn();
    }
}

TEST_F(SimLinkSession, ANewFlightOrAJumpStopsTheRun) {
    struct Case {
        const char* scenario;
        const char* line;
    };
    const Case cases[] = {
        {"at 1.0 flight-loaded Flights\\Other.fxml", "==> SimConnect: New file event"},
        {"at 2.5 jump 48.0 9.0 1500 ground", "Teleport"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        resetLink();
        startStandIn(c.scenario);
        startClient();
        ASSERT_TRUE(knowTheUserAircraft());
        EXPECT_NEAR(gf_copyUserState().lat, 47.4581, 1e-9);  // where the flight began
        ASSERT_TRUE(waitFor([] {
            gf_requestUserPosition();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return g_stopRequested.load();
        }));
        EXPECT_EQ(g_exitReason, ExitReason::NewFlight);
        EXPECT_EQ(g_restartDelay, 30);
        EXPECT_TRUE(log_.contains(c.line));
        gf_joinSimClient();
        EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
    }
}

TEST_F(SimLinkSession, TheSimulatorGoingAwayEndsTheRun) {
    for (const char* scenario : {"at 1.0 quit", "at 1.0 drop"}) {
        SCOPED_TRACE(scenario);
        resetLink();
        startStandIn(scenario);
        startClient();
        ASSERT_TRUE(waitFor([] { return g_simRunning.load(); }));
        ASSERT_TRUE(waitFor([] { return g_stopRequested.load(); }));
        EXPECT_EQ(g_exitReason, ExitReason::SimWasClosed);
        EXPECT_EQ(g_restartDelay, 0);
        EXPECT_FALSE(g_simRunning);
        EXPECT_TRUE(log_.contains("Flight Simulator no longer connected, Velantra_P3D will stop ..."));
        // A request on the broken link after that does not change the reason.
        gf_requestUserPosition();
        EXPECT_EQ(g_exitReason, ExitReason::SimWasClosed);
        gf_joinSimClient();
        stopStandIn();
    }
}

TEST_F(SimLinkSession, OnlyTheStopTokenEndsThePump) {
    startStandIn("");
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());
    g_stopRequested = true;
    g_newUserSample = false;
    EXPECT_TRUE(waitFor([] { return g_newUserSample.load(); }));
    EXPECT_TRUE(g_simConnected);
    gf_requestSimClientStop();
    EXPECT_TRUE(waitFor([] { return !g_simConnected.load(); }));
    gf_joinSimClient();
    EXPECT_TRUE(log_.contains("SimConnect closed ok"));
    EXPECT_EQ(g_simHandle.load(), nullptr);
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
}

TEST_F(SimLinkSession, WaitingEndsQuietlyOnTheCloseFlag) {
    writeCfg("Protocol=IPv4\nAddress=localhost\nPort=1");
    startClient();
    ASSERT_TRUE(waitFor([] { return statusText() == "Waiting for Prepar3Dv5 ..."; }));
    g_closeRequested = true;
    gf_joinSimClient();
    EXPECT_EQ(errorText(), "");
    EXPECT_FALSE(g_stopRequested);
    EXPECT_FALSE(log_.contains("SimConnect closed ok"));
}

TEST_F(SimLinkSession, ARestartJoinsTheOldThreadAndStartsClean) {
    startStandIn("");
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());
    g_simError = true;
    gf_queueCreateAc(spawnAt("DLH4AB", 4001234, "Stand-in B738 Livery"));
    gf_queueEngineStart(100);

    gf_resetSimLink();
    EXPECT_FALSE(g_simClientThread.joinable());
    EXPECT_FALSE(g_simError);
    EXPECT_EQ(g_simHandle.load(), nullptr);
    EXPECT_EQ(g_userObjectId, 2u);
    EXPECT_TRUE(g_simCreateQueue.empty());
    EXPECT_TRUE(g_simEventQueue.empty());
    EXPECT_EQ(gf_copyUserText(g_userTitle), "");
    EXPECT_EQ(gf_copyUserState().lat, 0.0);

    startClient();
    ASSERT_TRUE(knowTheUserAircraft());
    gf_joinSimClient();
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
    EXPECT_EQ(standIn_->sim().clients.size(), 2u);
}
