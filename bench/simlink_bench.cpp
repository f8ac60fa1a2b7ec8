// What the simulator link costs the program while it moves 300 AI aircraft:
// every 10 ms tick the traffic thread fills 300 position blocks and hands
// them over; on each of the simulator's 60 frames a second the client thread
// sends the newest ones to the stand-in simulator over loopback TCP. The
// stand-in runs as a separate process, so the process CPU time measured here
// (all threads: traffic, client, the connection's I/O) is the program's alone.
// "core_share_%" is CPU time over wall time: the share of one core.
// Targets: the idle link (no AI objects, no ticks) under 0.5 %; 300 position
// blocks sent on 60 frames a second under 3 %.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

#include "simlink/client_thread.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "simlink/simconnect/library_state.h"
#include "simlink/state.h"
#include "traffic/state.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kAircraft = 300;

std::filesystem::path g_folder;
std::vector<std::filesystem::path> benchCfgFolder() { return {g_folder}; }

template <typename Condition>
bool waitFor(Condition condition, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The stand-in in its own process, the link connected to it, and 300 AI
// objects created through the program's queues.
class LinkWithTraffic {
public:
    explicit LinkWithTraffic(std::size_t aircraft = kAircraft) {
        g_folder = std::filesystem::temp_directory_path() / fmt::format("vlnt-simlink-bench-{}", std::random_device{}());
        std::filesystem::create_directories(g_folder);
        const auto portsFile = g_folder / "ports.json";
        const std::string command = fmt::format(
            "\"{}\" --quiet --pipe off --tcp6 off --frame-rate 60 --clients 1 --duration 600 --ports-file \"{}\" "
            ">/dev/null 2>&1 &",
            VLNT_SIMULATOR_PATH, portsFile.string());
        if (std::system(command.c_str()) != 0) throw std::runtime_error("the stand-in did not start");
        if (!waitFor([&] { return std::filesystem::exists(portsFile) && std::filesystem::file_size(portsFile) > 0; },
                     std::chrono::seconds(10)))
            throw std::runtime_error("the stand-in does not listen");
        std::ifstream ports(portsFile);
        const auto port = nlohmann::json::parse(ports)["port4"].get<int>();
        std::ofstream(g_folder / "SimConnect.cfg")
            << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << port << "\n";
        gf_setSimConnectCfgFolders(benchCfgFolder);

        gf_initSimQueues(5);
        gf_startSimClient();
        if (!waitFor([] { return g_simRunning.load(); }, std::chrono::seconds(10)))
            throw std::runtime_error("no running flight");
        if (aircraft > 0) createAircraft(aircraft);
    }
    ~LinkWithTraffic() {
        gf_resetSimLink();
        gf_setSimConnectCfgFolders(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    }

    // One tick of the traffic thread: 300 new blocks, handed over.
    void tick(int number) {
        const double step = 0.00001 * (number % 100);
        std::vector<PosUpdate>& blocks = g_posUpdates.write();
        for (std::size_t k = 0; k < objects_.size(); ++k)
            blocks.push_back({47.40 + 0.001 * static_cast<double>(k) + step, 8.50, -0.03, 0.0, 1.2, 3000.0, 10.0,
                              180.0, objects_[k]});
        gf_swapPosUpdates();
    }

private:
    void createAircraft(std::size_t aircraft) {
        for (std::size_t k = 0; k < aircraft; ++k) {
            SpawnRequest r;
            r.position = {47.40 + 0.001 * static_cast<double>(k), 8.50, 3000.0, -2.0, 0.0, 70.0, 0, 0};
            r.callsign = fmt::format("BEN{}", k);
            r.liveryTitle = "Stand-in B738 Livery";
            r.hexId = static_cast<std::uint32_t>(100000 + k);
            gf_queueCreateAc(r);
        }
        const bool created = waitFor(
            [&] {
                gf_sendSimRequest("", [](SimConnectClient* handle) {
                    return SimConnect_RequestDataOnSimObjectType(handle, REQ_AI_IN_RANGE, DEF_AI_IN_RANGE, 200000,
                                                                 simconnect::kSimObjectTypeAircraft);
                });
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                const std::lock_guard lock(g_acEventsMutex);
                for (const AcEvent& e : g_acEvents)
                    if (e.kind == AcEventKind::liveCreated) objects_.push_back(e.objectId);
                g_acEvents.clear();
                return objects_.size() >= aircraft;
            },
            std::chrono::seconds(30));
        if (!created) throw std::runtime_error("the AI objects were not created");
    }

    std::vector<std::uint32_t> objects_;
};

// Runs the traffic thread's 100 ticks a second; each iteration is one second.
void runTicks(benchmark::State& state, bool withBlocks) {
    LinkWithTraffic link;
    double cpuSeconds = 0.0, wallSeconds = 0.0;
    int number = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        const auto wallStart = Clock::now();
        auto deadline = wallStart;
        for (int k = 0; k < 100; ++k, ++number) {
            if (withBlocks) link.tick(number);
            deadline += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(deadline);
        }
        cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        wallSeconds += std::chrono::duration<double>(Clock::now() - wallStart).count();
    }
    state.counters["core_share_%"] = 100.0 * cpuSeconds / wallSeconds;
}

// The link alone, connected to a running flight at 60 frames a second,
// without AI objects and without the traffic thread's ticks.
void BM_IdleLink(benchmark::State& state) {
    LinkWithTraffic link(0);
    double cpuSeconds = 0.0, wallSeconds = 0.0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        const auto wallStart = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        wallSeconds += std::chrono::duration<double>(Clock::now() - wallStart).count();
    }
    state.counters["core_share_%"] = 100.0 * cpuSeconds / wallSeconds;
}

void BM_PositionBlocks300At60Frames(benchmark::State& state) { runTicks(state, true); }
// The same link with its 300 objects but no blocks: the dispatch pump and the frames alone.
void BM_IdleLinkWith300Objects(benchmark::State& state) { runTicks(state, false); }

}  // namespace

BENCHMARK(BM_IdleLink)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PositionBlocks300At60Frames)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleLinkWith300Objects)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
