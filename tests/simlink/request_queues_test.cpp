// The request queues and the frame handler against a test peer that reads
// the packets as a simulator would: what goes out on a frame and in which
// order, what never goes out, the busy mutex, the latched request error and
// the direct requests.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <future>

#include "link_fixture.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

using namespace simlink_test;
using testing_support::LogCapture;
using testing_support::SimPeer;
using testing_support::TempDir;

namespace {

using testing_support::f64At;
using testing_support::textAt;
using testing_support::u32At;
std::uint32_t codeOf(const Bytes& p) { return testing_support::packetCode(p); }

constexpr std::uint32_t kTransmit = 0x05, kRequestData = 0x0E, kSetData = 0x10, kCreate = 0x29, kRelease = 0x2B,
                        kRemove = 0x2C;

SpawnRequest spawn(const char* callsign, std::uint32_t hexId, std::string_view title = "Stand-in B738 Livery") {
    SpawnRequest r;
    r.position = {47.46, 8.55, 1425.0, -1.5, 0.0, 280.0, 1, 0};
    r.callsign = callsign;
    r.liveryTitle = title;
    r.hexId = hexId;
    return r;
}

// An open client handle to a peer, installed as the link's handle; the test
// thread plays the client thread.
class FrameSending : public ::testing::Test {
protected:
    FrameSending() {
        resetLink();
        testing_support::setRegistryPorts("", "");
        peer_ = SimPeer::overTcp(platform::IpFamily::v4);
        handle_ = testing_support::openClientToPeer(*peer_, cfgDir_.path());
        EXPECT_NE(handle_, nullptr);
        g_simHandle = handle_;
        g_userObjectId = 1;
        gf_initSimQueues(5);
    }
    ~FrameSending() override {
        g_simHandle = nullptr;
        if (handle_ != nullptr) SimConnect_Close(handle_);
        resetLink();
    }

    // Every packet sent so far, in order. A marker request goes out last on
    // the same connection and the peer reads up to it: no quiet time to
    // guess, however slowly a loaded machine delivers.
    std::vector<Bytes> packets() {
        const std::uint32_t marker = kMarkerRequest + ++markers_;
        EXPECT_EQ(SimConnect_RequestDataOnSimObject(handle_, marker, kMarkerRequest, 0, 1), simconnect::kSOk);
        std::vector<Bytes> out;
        for (Bytes p = peer_->readPacket(); !p.empty(); p = peer_->readPacket()) {
            if (codeOf(p) == kRequestData && u32At(p, 16) == marker) return out;
            out.push_back(std::move(p));
        }
        ADD_FAILURE() << "the marker never came";
        return out;
    }
    static std::vector<std::uint32_t> codes(const std::vector<Bytes>& packets) {
        std::vector<std::uint32_t> out;
        for (const Bytes& p : packets) out.push_back(codeOf(p));
        return out;
    }
    // Holds g_simQueueMutex on another thread, as a producer would, until released.
    struct BusyMutex {
        std::promise<void> release;
        std::future<void> held;
        std::thread holder;
        BusyMutex() {
            std::promise<void> locked;
            held = locked.get_future();
            holder = std::thread([this, locked = std::move(locked)]() mutable {
                const std::lock_guard lock(g_simQueueMutex);
                locked.set_value();
                release.get_future().wait();
            });
            held.wait();
        }
        ~BusyMutex() {
            release.set_value();
            holder.join();
        }
    };

    LogCapture log_;
    TempDir cfgDir_;
    testing_support::ScopedCfgFolders folders_{{cfgDir_.path()}};
    std::unique_ptr<SimPeer> peer_;
    SimConnectClient* handle_ = nullptr;
    static constexpr std::uint32_t kMarkerRequest = 0x7E570000;  // request and definition id of no real request
    std::uint32_t markers_ = 0;
};

}  // namespace

TEST_F(FrameSending, BlocksThenEventsThenCreationsThenRemovals) {
    gf_queueRemoveAc(150);
    SpawnRequest creation = spawn("DLH4AB", 4001234);
    creation.createSerial = 17;
    gf_queueCreateAc(creation);
    gf_queueNavLights(100, 1);
    g_posUpdates.write().push_back({47.1, 8.1, -0.02, 0.01, 4.5, 1500.0, 12.0, 140.0, 100});
    g_posUpdates.write().push_back({47.2, 8.2, 0.0, 0.0, 1.0, 1400.0, 0.0, 0.0, 1});  // the user aircraft
    g_posUpdates.write().push_back({47.3, 8.3, 0.0, 0.0, 1.0, 1400.0, 0.0, 0.0, 0});
    ASSERT_TRUE(gf_swapPosUpdates());
    lf_onFrame();

    const auto got = packets();
    ASSERT_EQ(codes(got), (std::vector<std::uint32_t>{kSetData, kTransmit, kCreate, kRemove}));
    const Bytes& block = got[0];
    EXPECT_EQ(block.size(), 100u);
    EXPECT_EQ(u32At(block, 16), DEF_SET_POSITION);
    EXPECT_EQ(u32At(block, 20), 100u);
    EXPECT_EQ(u32At(block, 28), 1u);   // one unit
    EXPECT_EQ(u32At(block, 32), 64u);  // of 64 bytes
    const double values[] = {47.1, 8.1, -0.02, 0.01, 4.5, 1500.0, 12.0, 140.0};
    for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(f64At(block, 36 + 8 * k), values[k]) << k;

    const Bytes& event = got[1];
    EXPECT_EQ(u32At(event, 16), 100u);
    EXPECT_EQ(u32At(event, 20), EVT_NAV_LIGHTS_SET);
    EXPECT_EQ(u32At(event, 24), 1u);
    EXPECT_EQ(u32At(event, 28), GROUP_AI);
    EXPECT_EQ(u32At(event, 32), 0u);

    const Bytes& create = got[2];
    EXPECT_EQ(textAt(create, 16), "Stand-in B738 Livery");
    EXPECT_EQ(textAt(create, 272), "DLH4AB");
    EXPECT_EQ(f64At(create, 284), 47.46);
    EXPECT_EQ(f64At(create, 284 + 24), -1.5);  // pitch in degrees
    EXPECT_EQ(f64At(create, 284 + 40), 280.0);  // heading in degrees
    EXPECT_EQ(u32At(create, 284 + 48), 1u);
    EXPECT_EQ(u32At(create, 340), REQ_AI_CREATE);
    // The creation is remembered with its serial, for a refusal naming it,
    // and with the engine's serial, reported with its object.
    ASSERT_EQ(g_sentCreates.size(), 1u);
    EXPECT_EQ(g_sentCreates[0].packetId, u32At(create, 12));
    EXPECT_EQ(g_sentCreates[0].hexId, 4001234u);
    EXPECT_EQ(g_sentCreates[0].callsign, "DLH4AB");
    EXPECT_EQ(g_sentCreates[0].createSerial, 17u);

    EXPECT_EQ(u32At(got[3], 16), 150u);
    EXPECT_EQ(u32At(got[3], 20), REQ_AI_REMOVE);
    EXPECT_TRUE(g_posUpdates.send().empty());
    EXPECT_TRUE(g_simEventQueue.empty());
    EXPECT_TRUE(g_simCreateQueue.empty());
    EXPECT_TRUE(g_simRemoveQueue.empty());
}

TEST_F(FrameSending, FlapsGoBetweenTwoReleasesOfAiControl) {
    gf_queueSimEvent(100, EVT_FLAPS_SET, 10240);
    gf_queueSimEvent(100, EVT_GEAR_SET, 1);
    lf_onFrame();
    const auto got = packets();
    ASSERT_EQ(codes(got), (std::vector<std::uint32_t>{kRelease, kTransmit, kRelease, kTransmit}));
    EXPECT_EQ(u32At(got[0], 16), 100u);
    EXPECT_EQ(u32At(got[0], 20), REQ_AI_RELEASE);
    EXPECT_EQ(u32At(got[1], 20), EVT_FLAPS_SET);
    EXPECT_EQ(u32At(got[1], 24), 10240u);
    EXPECT_EQ(u32At(got[3], 20), EVT_GEAR_SET);
}

TEST_F(FrameSending, NothingIsSentForTheUserAircraftOrNoObject) {
    g_userObjectId = 5;
    gf_queueLights(5, 1, 1, 1, 1, 1, 1, 1);
    gf_queueEngineStart(0);
    gf_queueRemoveAc(5);
    gf_queueRemoveAc(0);
    g_posUpdates.write().push_back({47.1, 8.1, 0, 0, 1, 1500, 0, 0, 5});
    gf_swapPosUpdates();
    lf_onFrame();
    EXPECT_TRUE(packets().empty());
    EXPECT_TRUE(log_.contains("==> SimConnect call to remove ac with objectid 5"));
    EXPECT_TRUE(log_.contains("==> SimConnect call to remove ac with objectid 0"));
}

TEST_F(FrameSending, ABusyMutexSendsNothingAndLosesNothing) {
    gf_queueEngineShutdown(100);
    gf_queueCreateAc(spawn("SWR12", 4005678));
    gf_queueRemoveAc(101);
    {
        const BusyMutex busy;
        lf_onFrame();
        lf_onFrame();
        EXPECT_TRUE(packets().empty());
    }
    EXPECT_EQ(g_simEventQueue.size(), 1u);
    lf_onFrame();
    EXPECT_EQ(codes(packets()), (std::vector<std::uint32_t>{kTransmit, kCreate, kRemove}));
}

TEST_F(FrameSending, TheTicksBlocksAreDroppedWhenTheMutexIsBusy) {
    g_posUpdates.write().push_back({47.1, 8.1, 0, 0, 1, 1500, 0, 0, 100});
    ASSERT_TRUE(gf_swapPosUpdates());
    // A newer tick replaces blocks that no frame has sent yet.
    g_posUpdates.write().push_back({47.2, 8.2, 0, 0, 1, 1500, 0, 0, 101});
    ASSERT_TRUE(gf_swapPosUpdates());
    ASSERT_EQ(g_posUpdates.send().size(), 1u);
    EXPECT_EQ(g_posUpdates.send()[0].objectId, 101u);
    EXPECT_TRUE(g_posUpdates.write().empty());
    {
        const BusyMutex busy;
        g_posUpdates.write().push_back({47.3, 8.3, 0, 0, 1, 1500, 0, 0, 102});
        EXPECT_FALSE(gf_swapPosUpdates());
        EXPECT_TRUE(g_posUpdates.write().empty());
    }
    lf_onFrame();
    const auto got = packets();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(u32At(got[0], 20), 101u);
}

TEST_F(FrameSending, ARequestErrorEmptiesTheQueuesWithoutSending) {
    g_simError = true;
    gf_queueCabinLights(100, 1);
    gf_queueCreateAc(spawn("SWR12", 4005678));
    gf_queueRemoveAc(101);
    g_posUpdates.write().push_back({47.1, 8.1, 0, 0, 1, 1500, 0, 0, 100});
    gf_swapPosUpdates();
    lf_onFrame();
    EXPECT_TRUE(packets().empty());
    EXPECT_TRUE(g_simEventQueue.empty());
    EXPECT_TRUE(g_simCreateQueue.empty());
    EXPECT_TRUE(g_simRemoveQueue.empty());
    EXPECT_TRUE(g_posUpdates.send().empty());
    // And the user's position is not asked for either, but its last block comes back.
    g_userState.lat = 47.25;
    EXPECT_EQ(gf_requestUserPosition().lat, 47.25);
    EXPECT_TRUE(packets().empty());
}

TEST_F(FrameSending, ACreationWhoseTextsCannotBeSentDropsOnlyThatAircraft) {
    const struct {
        const char* callsign;
        std::uint32_t hexId;
        const char* title;
    } refused[] = {
        {"DLH4AB", 4001234, "Stand-in A320 \xE6\x97\xA5\xE6\x9C\xAC Livery"},  // no form in the ANSI code page
        {"ABCDEFGHIJKL", 4005678, "Stand-in B738 Livery"},                       // no room as a tail number
    };
    for (const auto& r : refused) gf_queueCreateAc(spawn(r.callsign, r.hexId, r.title));
    gf_queueCreateAc(spawn("SWR12", 4009999));
    lf_onFrame();

    // The link goes on: the next creation of the frame is sent.
    const auto got = packets();
    ASSERT_EQ(codes(got), std::vector<std::uint32_t>{kCreate});
    EXPECT_EQ(textAt(got[0], 272), "SWR12");
    ASSERT_EQ(g_sentCreates.size(), 1u);
    EXPECT_EQ(g_sentCreates[0].hexId, 4009999u);
    EXPECT_FALSE(g_simError);
    EXPECT_EQ(g_exitReason, ExitReason::NotYetSet);
    EXPECT_EQ(statusText(), "");
    // Each refused aircraft reaches the engine as a refused creation.
    const std::vector<AcEvent> events = takeAcEvents();
    ASSERT_EQ(events.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(events[k].kind, AcEventKind::createFailed);
        EXPECT_EQ(events[k].id, refused[k].hexId);
        EXPECT_EQ(events[k].objectId, 0u);
        EXPECT_TRUE(log_.contains(fmt::format("==> ! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', "
                                              "callsign: {})",
                                              refused[k].hexId, refused[k].title, refused[k].callsign)));
    }
}

TEST_F(FrameSending, ACreationOnABrokenLinkStopsTheRun) {
    peer_->disconnect();
    ASSERT_TRUE(waitFor([&] { return SimConnect_CallDispatch(handle_, nullptr, nullptr) < 0; }));
    gf_queueCreateAc(spawn("DLH4AB", 4001234));
    lf_onFrame();
    EXPECT_TRUE(g_sentCreates.empty());
    EXPECT_TRUE(takeAcEvents().empty());
    EXPECT_TRUE(g_simError);
    EXPECT_EQ(g_exitReason, ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelay, 9);
    EXPECT_EQ(statusText(), "SimConnect request error");
}

TEST_F(FrameSending, DirectRequestsForTheUserAircraft) {
    gf_requestUserOnGround();
    gf_requestUserPosition();
    gf_requestUserTitleAndModel();
    const auto got = packets();
    ASSERT_EQ(codes(got), std::vector<std::uint32_t>(4, kRequestData));
    const std::uint32_t expected[4][4] = {{REQ_USER_ON_GROUND, DEF_SIM_ON_GROUND, 0, 4},
                                          {REQ_USER_STATE, DEF_USER_STATE, 0, 1},
                                          {REQ_USER_TITLE, DEF_TITLE, 0, 1},
                                          {REQ_USER_MODEL, DEF_ATC_MODEL, 0, 1}};
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t f = 0; f < 4; ++f) EXPECT_EQ(u32At(got[k], 16 + 4 * f), expected[k][f]) << k << f;
        for (std::size_t f = 32; f < 48; f += 4) EXPECT_EQ(u32At(got[k], f), 0u);  // flags, origin, interval, limit
    }
}

TEST_F(FrameSending, ARequestOnABrokenLinkStopsTheRunWithSimConnectError) {
    peer_->disconnect();
    ASSERT_TRUE(waitFor([&] { return SimConnect_CallDispatch(handle_, nullptr, nullptr) < 0; }));
    gf_requestUserPosition();
    EXPECT_TRUE(log_.contains("==> SimConnect request user ac position fails"));
    EXPECT_TRUE(log_.contains("SimConnect request error"));
    EXPECT_TRUE(g_simError);
    EXPECT_EQ(g_exitReason, ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelay, 9);
    // The latch: later requests are not even tried.
    gf_requestUserPosition();
    const auto lines = log_.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "==> SimConnect request user ac position fails"), 1);
}

TEST_F(FrameSending, WithoutAHandleNothingIsSentAndNothingFails) {
    g_simHandle = nullptr;
    gf_requestUserOnGround();
    gf_requestUserTitleAndModel();
    gf_requestUserPosition();
    EXPECT_TRUE(packets().empty());
    EXPECT_FALSE(g_simError);
    EXPECT_FALSE(g_stopRequested);
}

TEST(RequestQueues, ProducersQueueTheirEventsInOrder) {
    resetLink();
    gf_queueLights(100, 1, 0, 1, 0, 1, 0, 1);
    gf_queueEngineStart(100);
    gf_queueEngineShutdown(101);
    gf_queueNavLights(102, 0);
    gf_queueCabinLights(103, 1);
    const std::vector<std::array<std::uint32_t, 3>> expected = {
        {100, EVT_NAV_LIGHTS_SET, 1},     {100, EVT_BEACON_LIGHTS_SET, 0}, {100, EVT_LANDING_LIGHTS_SET, 1},
        {100, EVT_TAXI_LIGHTS_SET, 0},    {100, EVT_STROBES_SET, 1},       {100, EVT_LOGO_LIGHTS_SET, 0},
        {100, EVT_CABIN_LIGHTS_SET, 1},   {100, EVT_ENGINE_AUTO_START, 0}, {101, EVT_ENGINE_AUTO_SHUTDOWN, 0},
        {102, EVT_NAV_LIGHTS_SET, 0},     {103, EVT_CABIN_LIGHTS_SET, 1},
    };
    ASSERT_EQ(g_simEventQueue.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(g_simEventQueue[k].objectId, expected[k][0]) << k;
        EXPECT_EQ(g_simEventQueue[k].eventId, expected[k][1]) << k;
        EXPECT_EQ(g_simEventQueue[k].value, expected[k][2]) << k;
    }
    resetLink();
    EXPECT_TRUE(g_simEventQueue.empty());
}
