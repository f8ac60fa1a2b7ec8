#include "tools/simulator/simulator_main.h"

#include <cstdio>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "foundation/text_convert.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/scenario.h"
#include "tools/simulator/server.h"
#include "tools/simulator/world_report.h"

namespace simulator {

namespace {

void makeParentFolder(const std::filesystem::path& file) {
    if (file.empty() || !file.has_parent_path()) return;
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
}

nlohmann::ordered_json endpointsJson(const Endpoints& e) {
    return {{"port4", e.port4}, {"port6", e.port6}, {"pipe", e.pipe}};
}

nlohmann::ordered_json configJson(const SimulatorConfig& c) {
    return {{"simName", ansiToUtf8(c.simName)},
            {"simVersion", c.simVersion},
            {"protocolMax", c.protocolMax},
            {"frameRate", c.frameRate},
            {"speed", c.speed},
            {"terrainFt", c.terrainFt},
            {"userId", c.userId},
            {"aiIdBase", c.aiIdBase},
            {"maxObjects", c.maxObjects},
            {"refusedTitles", c.refusedTitles.size()},
            {"installedTitles", c.installedTitles ? c.installedTitles->size() : 0},
            {"actions", c.actions.size()},
            {"strict", c.strict}};
}

}  // namespace

int simulatorMain(const std::vector<std::string>& arguments, const std::atomic<bool>& stop,
                  const std::function<void(const Endpoints&)>& onListening) {
    CommandLine line;
    try {
        line = parseCommandLine(arguments);
    } catch (const ScenarioError& e) {
        fmt::print(stderr, "simulator: {}\n(simulator --help lists the options)\n", e.what());
        return kExitUsage;
    }
    if (line.help) {
        fmt::print("{}", usageText());
        return kExitClean;
    }
    SimulatorConfig& config = line.config;
    for (const auto* file : {&config.recordFile, &config.worldFile, &config.mapFile, &config.portsFile,
                              &config.groundMapFile, &config.standReportFile, &config.positionsFile})
        makeParentFolder(*file);

    Simulation sim = makeSimulation(std::move(config));
    if (!sim.config.quiet)
        sim.say = [](const std::string& text) {
            fmt::print("simulator: {}\n", text);
            std::fflush(stdout);
        };
    try {
        if (!sim.config.recordFile.empty()) openRecorder(sim.recorder, sim.config.recordFile);
        if (!sim.config.positionsFile.empty()) openPositionLog(sim.positions, sim.config.positionsFile);
    } catch (const std::exception& e) {
        fmt::print(stderr, "simulator: {}\n", e.what());
        return kExitFailure;
    }
    recordLine(sim.recorder,
               {{"time", 0}, {"dir", "note"}, {"text", "stand-in started"}, {"config", configJson(sim.config)}});

    const auto listening = [&](const Endpoints& endpoints) {
        recordLine(sim.recorder,
                   {{"time", 0}, {"dir", "note"}, {"text", "listening"}, {"endpoints", endpointsJson(endpoints)}});
        if (!sim.config.portsFile.empty() &&
            !writeTextFile(sim.config.portsFile, endpointsJson(endpoints).dump() + "\n"))
            fmt::print(stderr, "simulator: cannot write {}\n", gf_pathToUtf8(sim.config.portsFile));
        if (onListening) onListening(endpoints);
    };
    const int code = serve(sim, stop, listening);
    if (!sim.faults.empty()) {
        fmt::print(stderr, "simulator: {} client fault{}{}\n", sim.faults.size(), sim.faults.size() == 1 ? "" : "s",
                   sim.config.strict ? "" : " (lenient: exit code unaffected)");
        for (const Fault& f : sim.faults)
            fmt::print(stderr, "  client {} serial {} {}: {}\n", f.client, f.serial, f.request, f.reason);
    }
    return code;
}

}  // namespace simulator
