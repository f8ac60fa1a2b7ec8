#include "tools/simulator/simulation.h"

#include <algorithm>

namespace simulator {

Simulation makeSimulation(SimulatorConfig config) {
    std::stable_sort(config.actions.begin(), config.actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.at < b.at; });
    Simulation sim;
    sim.world = makeWorld(config);
    sim.config = std::move(config);
    return sim;
}

double simSecondsPerFrame(const SimulatorConfig& config) {
    return config.speed / config.frameRate;
}

}  // namespace simulator
