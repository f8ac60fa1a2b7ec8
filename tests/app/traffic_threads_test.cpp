// The traffic engine's three threads together: the traffic reader takes the
// demo scenario's datagrams from the stand-in RealTraffic, the traffic thread
// ticks the engine, and the simulator link's client thread creates and removes
// the AI objects in the stand-in simulator. The sanitizer builds run it too,
// so it is the engine's check for data races across those threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "simlink/request_queues.h"
#include "simlink/stand_in_session.h"
#include "support/eham_feed.h"
#include "support/free_ports.h"
#include "support/wait.h"
#include "support/data_set.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/replay.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"

namespace {

using namespace std::chrono_literals;

class TrafficThreads : public simlink_test::SimLinkSession {
protected:
    TrafficThreads() {
        std::tie(trafficPort_, qnhPort_) = testing_support::freeUdpPorts();
        gf_clearReferenceData();
        gf_airlineId("");
        gf_modelId("");
        for (const char* model : {"B738", "A320", "E190"}) {
            g_icaoModelCodes.insert(model);
            g_modelCategorySets[kLargeSet].insert(gf_modelId(model));
            g_wingspans[gf_modelId(model)] = 17.9 / 1852;
        }
        gf_resetTraffic();
        g_tick = 0;
        g_engineServices = gf_engineServices();
        // One livery per model: the threads are under test here, not the matching.
        g_engineServices.matchLiveryLive = [](LiveAc& aircraft) {
            static std::set<std::string> titles;  // the traffic thread's; views into it stay valid
            aircraft.liveryTitle =
                *titles.insert("Stand-in livery " + std::string(gf_modelCodeText(aircraft.modelKey.modelId))).first;
        };
        gf_resetReaders();
        g_rtLocal = true;
        testing_support::acceptTrafficAtEham();
    }
    ~TrafficThreads() override {
        gf_stopReaders();
        for (const std::uint16_t port : {trafficPort_, qnhPort_}) {
            platform::UdpSocket waker;
            waker.open();
            waker.sendTo("127.0.0.1", port, std::string());
        }
        gf_joinReaders();
        testing_support::stopAcceptingTraffic();
        g_rtLocal = false;
        gf_setReaderStatus(ReaderId::traffic, readerStopped);
        gf_resetTraffic();
        g_tick = 0;
        g_userRef = UserState{};
        gf_clearReferenceData();
    }

    // Creations and removals the stand-in received so far.
    std::size_t count(const std::string& kind) const { return packetsIn(kind).size(); }

    std::uint16_t trafficPort_ = 0;
    std::uint16_t qnhPort_ = 0;
};

TEST_F(TrafficThreads, TheDemoScenarioIsCreatedAndRemovedInTheStandInSimulator) {
    startStandIn("terrain -11\nuser-model A320\nuser-at 0 52.31170 4.75010 -11 ground 180\n");
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());
    gf_startTrafficReader(true, trafficPort_);
    ASSERT_TRUE(simlink_test::waitFor([] { return gf_readerStatus(ReaderId::traffic) != readerStopped; }));

    // Ten times the real pace, and the engine ticks about ten times as fast too.
    const realtraffic::Scenario scenario =
        realtraffic::loadScenario(testing_support::sourceFile("tools/realtraffic/scenarios/eham_demo.txt"));
    realtraffic::ReplayOptions options;
    options.trafficPort = trafficPort_;
    options.qnhPort = qnhPort_;
    options.speed = 10;
    std::atomic<bool> cancel{false};
    std::thread replay([&] { realtraffic::replay(realtraffic::expandScenario(scenario), {}, options, nullptr, &cancel); });

    // The engine ticks by the wall clock: on a loaded machine, and under the
    // sanitizers, it gets through the scenario more slowly than the replay.
    const auto deadline = std::chrono::steady_clock::now() + 2 * testing_support::kSafety;
    bool removed = false;
    while (!removed && std::chrono::steady_clock::now() < deadline) {
        lf_handleAddingStack();
        std::this_thread::sleep_for(1ms);
        if (g_tick.load() % 500 == 0) removed = count("AIRemoveObject") > 0;
    }
    cancel = true;
    replay.join();
    gf_joinSimClient();
    EXPECT_TRUE(removed) << "no AI object was removed in time";
    const auto creations = packetsIn("AICreateNonATCAircraft");
    ASSERT_FALSE(creations.empty());
    const auto& fields = creations.front()["fields"];
    EXPECT_EQ(fields["title"].get<std::string>().rfind("Stand-in livery ", 0), 0U) << fields.dump();
    EXPECT_FALSE(fields["tailNumber"].get<std::string>().empty());
    EXPECT_EQ(stopStandIn(), 0) << simlink_test::faultsText(standIn_->sim());
}

}  // namespace
