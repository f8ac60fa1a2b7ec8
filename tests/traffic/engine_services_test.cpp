// The engine's direct requests as the simulator receives them: a test peer
// reads the packets the client library sends for each entry of the table.
#include "traffic/engine_services.h"

#include <gtest/gtest.h>

#include "simlink/sim_ids.h"
#include "simlink/state.h"
#include "support/simconnect_peer.h"
#include "support/temp_dir.h"

using testing_support::Bytes;
using testing_support::SimPeer;

namespace {

using testing_support::f64At;
using testing_support::packetCode;
using testing_support::textAt;
using testing_support::u32At;

class DirectRequests : public ::testing::Test {
protected:
    DirectRequests() {
        testing_support::setRegistryPorts("", "");
        peer_ = SimPeer::overTcp(platform::IpFamily::v4);
        handle_ = testing_support::openClientToPeer(*peer_, cfgDir_.path());
        EXPECT_NE(handle_, nullptr);
        g_simHandle = handle_;
    }
    ~DirectRequests() override {
        g_simHandle = nullptr;
        if (handle_ != nullptr) SimConnect_Close(handle_);
    }

    testing_support::TempDir cfgDir_;
    testing_support::ScopedCfgFolders folders_{{cfgDir_.path()}};
    std::unique_ptr<SimPeer> peer_;
    SimConnectClient* handle_ = nullptr;
    const EngineServices requests_ = gf_engineServices();
};

}  // namespace

TEST_F(DirectRequests, EachRequestIsOnePacketOfItsKind) {
    requests_.setControls(150, 100.0, -100.0, -100.0);
    const Bytes controls = peer_->readPacket();
    ASSERT_EQ(controls.size(), 60u);
    EXPECT_EQ(packetCode(controls), 0x10u);
    EXPECT_EQ(u32At(controls, 16), DEF_SET_CONTROLS);
    EXPECT_EQ(u32At(controls, 20), 150u);
    EXPECT_EQ(u32At(controls, 28), 1u);
    EXPECT_EQ(u32At(controls, 32), 24u);
    EXPECT_EQ(f64At(controls, 36), 100.0);
    EXPECT_EQ(f64At(controls, 44), -100.0);
    EXPECT_EQ(f64At(controls, 52), -100.0);

    requests_.requestStaticCg(150);
    const Bytes cg = peer_->readPacket();
    EXPECT_EQ(packetCode(cg), 0x0Eu);
    EXPECT_EQ(u32At(cg, 16), REQ_STATIC_CG);
    EXPECT_EQ(u32At(cg, 20), DEF_STATIC_CG);
    EXPECT_EQ(u32At(cg, 24), 150u);
    EXPECT_EQ(u32At(cg, 28), simconnect::kPeriodOnce);

    EXPECT_EQ(requests_.setFlightPlan(150, "C:\\Users\\Pilot\\orig_dest\\150.pln"), 0);
    const Bytes plan = peer_->readPacket();
    ASSERT_EQ(plan.size(), 284u);
    EXPECT_EQ(packetCode(plan), 0x2Du);
    EXPECT_EQ(u32At(plan, 16), 150u);
    EXPECT_EQ(textAt(plan, 20), "C:\\Users\\Pilot\\orig_dest\\150.pln");
    EXPECT_EQ(u32At(plan, 280), REQ_FLIGHT_PLAN);

    requests_.requestAcWithinRange(74080);
    const Bytes range = peer_->readPacket();
    EXPECT_EQ(packetCode(range), 0x0Fu);
    EXPECT_EQ(u32At(range, 16), REQ_AI_IN_RANGE);
    EXPECT_EQ(u32At(range, 20), DEF_AI_IN_RANGE);
    EXPECT_EQ(u32At(range, 24), 74080u);
    EXPECT_EQ(u32At(range, 28), simconnect::kSimObjectTypeAircraft);
}

// A path the ANSI code page cannot hold is refused by the library and sent
// nowhere; without a link nothing is sent and a plan counts as refused.
TEST_F(DirectRequests, RefusedFlightPlans) {
    EXPECT_LT(requests_.setFlightPlan(151, "C:\\Users\\\xCE\xA9\\orig_dest\\151.pln"), 0);
    g_simHandle = nullptr;
    EXPECT_NE(requests_.setFlightPlan(151, "C:\\plan.pln"), 0);
    requests_.requestStaticCg(151);
    EXPECT_TRUE(peer_->quietFor(300));
}
