// The program's simulator link against the stand-in simulator running in
// this process: the stand-in serves on its own thread (TCP, or the named
// pipe: natively its Unix-socket form, under Wine the real Windows pipe), the
// link finds it through a SimConnect.cfg in a test folder, and the test
// plays the start-up and traffic threads.
#pragma once

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <future>
#include <random>
#include <sstream>
#include <thread>

#include "link_fixture.h"
#include "platform/pipes.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tools/simulator/scenario.h"
#include "tools/simulator/server.h"
#include "tools/simulator/simulation.h"

namespace simlink_test {

enum class Transport { tcp, pipe };

class StandIn {
public:
    StandIn(simulator::SimulatorConfig config, const std::filesystem::path& recordFile) {
        config.quiet = true;
        config.recordFile = recordFile;
        sim_ = simulator::makeSimulation(std::move(config));
        simulator::openRecorder(sim_.recorder, recordFile);
        std::future<simulator::Endpoints> ready = ready_.get_future();
        thread_ = std::thread([this] {
            bool announced = false;
            exitCode_ = simulator::serve(sim_, stop_, [&](const simulator::Endpoints& e) {
                ready_.set_value(e);
                announced = true;
            });
            if (!announced) ready_.set_value({});
        });
        if (ready.wait_for(testing_support::kSafety) == std::future_status::ready) endpoints_ = ready.get();
    }
    ~StandIn() { stop(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    const simulator::Endpoints& endpoints() const { return endpoints_; }
    // Ends the stand-in; its exit code (0 clean, 1 client faults in strict mode).
    int stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return exitCode_;
    }
    // After stop(): the faults the clients committed and the clients served.
    const simulator::Simulation& sim() const { return sim_; }

private:
    simulator::Simulation sim_;
    std::promise<simulator::Endpoints> ready_;
    std::atomic<bool> stop_{false};
    int exitCode_ = -1;
    simulator::Endpoints endpoints_;
    std::thread thread_;
};

inline std::string faultsText(const simulator::Simulation& sim) {
    std::string text;
    for (const auto& f : sim.faults) text += fmt::format("serial {} {}: {}\n", f.serial, f.request, f.reason);
    return text;
}

class SimLinkSession : public ::testing::Test {
protected:
    static constexpr double kA320HalfSpan = 35.8 * 0.5 / 1852;

    SimLinkSession() {
        resetLink();
        testing_support::setRegistryPorts("", "");
        platform::setLocalPipeFolder(pipeDir_.path());
        lf_fillWingspan("A320", kA320HalfSpan);
        g_maxHalfSpan = 79.75 * 0.5 / 1852;
    }
    ~SimLinkSession() override {
        gf_joinSimClient();
        if (standIn_) standIn_->stop();
        resetLink();
        platform::setLocalPipeFolder({});
    }

    // Starts the stand-in with the scenario lines; the link's SimConnect.cfg names it.
    void startStandIn(const std::string& scenario, Transport transport = Transport::tcp,
                      std::uint16_t port = 0) {
        simulator::SimulatorConfig config;
        config.frameRate = 60;
        config.tcp6 = false;
        config.tcp4 = transport == Transport::tcp;
        config.port4 = port;
        config.pipe = transport == Transport::pipe;
        config.pipeName = pipeName();
        config.pipeDir = pipeDir_.path();
        simulator::applyScenarioText(config, scenario, "test scenario");
        if (tweak_) tweak_(config);
        standIn_ = std::make_unique<StandIn>(std::move(config), recordFile());
        const auto& e = standIn_->endpoints();
        ASSERT_TRUE(transport == Transport::tcp ? e.port4 != 0 : !e.pipe.empty()) << "the stand-in does not listen";
        if (transport == Transport::tcp)
            writeCfg("Protocol=IPv4\nAddress=127.0.0.1\nPort=" + std::to_string(e.port4));
        else
            writeCfg("Protocol=Pipe\nPort=" + pipeName());
    }
    void writeCfg(const std::string& lines) {
        testing_support::writeSimConnectCfg(cfgDir_.path(), "[SimConnect]\n" + lines + "\n");
    }
    int stopStandIn() { return standIn_->stop(); }

    static void startClient() {
        gf_initSimQueues(P3D_VERSION.value);
        gf_startSimClient();
    }
    // What the start-up thread does until the user aircraft is known.
    static bool knowTheUserAircraft() {
        if (!waitFor([] { return g_simRunning.load(); })) return false;
        gf_requestUserOnGround();
        const bool known = waitFor([] {
            const UserState user = gf_requestUserPosition();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return g_userOnGroundKnown && (user.lat != 0.0 || user.lon != 0.0);
        });
        gf_requestUserTitleAndModel();
        return known;
    }
    static void requestAircraftInRange() {
        gf_sendSimRequest("SimConnect request ac within range fails", [](SimConnectClient* handle) {
            return SimConnect_RequestDataOnSimObjectType(handle, REQ_AI_IN_RANGE, DEF_AI_IN_RANGE, 20000,
                                                         simconnect::kSimObjectTypeAircraft);
        });
    }

    // The stand-in's record so far: a line per packet, reply and fault.
    std::vector<nlohmann::json> record() const {
        std::vector<nlohmann::json> lines;
        std::istringstream in(testing_support::readFile(recordFile()));
        for (std::string line; std::getline(in, line);) {
            auto parsed = nlohmann::json::parse(line, nullptr, false);
            if (!parsed.is_discarded()) lines.push_back(std::move(parsed));
        }
        return lines;
    }
    // The packets the stand-in received, of one kind (all when empty).
    std::vector<nlohmann::json> packetsIn(const std::string& kind = {}) const {
        std::vector<nlohmann::json> out;
        for (auto& line : record())
            if (line["dir"] == "in" && (kind.empty() || line["kind"] == kind)) out.push_back(std::move(line));
        return out;
    }

    std::filesystem::path recordFile() const { return recordDir_.path() / "record.jsonl"; }
    std::string pipeName() const { return pipeName_; }

    testing_support::LogCapture log_;
    testing_support::TempDir cfgDir_;
    testing_support::TempDir pipeDir_;
    testing_support::TempDir recordDir_;
    testing_support::ScopedCfgFolders folders_{{cfgDir_.path()}};
    std::function<void(simulator::SimulatorConfig&)> tweak_;
    std::unique_ptr<StandIn> standIn_;

private:
    std::string pipeName_ = fmt::format("VLNT simlink test {}", std::random_device{}());
};

}  // namespace simlink_test
