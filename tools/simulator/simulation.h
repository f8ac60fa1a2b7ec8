// One stand-in run: its configuration, its world, the record, the faults the
// clients committed and a line per client served. Everything here belongs to
// the one server thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/simulator/config.h"
#include "tools/simulator/position_log.h"
#include "tools/simulator/recorder.h"
#include "tools/simulator/world.h"

namespace simulator {

// A client fault: a packet that a real simulator would refuse (exception
// set, answered with that EXCEPTION) or that breaks the protocol's rules in a
// way no simulator answers (exception empty).
struct Fault {
    int client = 0;
    std::uint32_t serial = 0;
    std::string request;
    std::string reason;
    std::optional<std::uint32_t> exception;
    std::uint32_t index = 0;
};

struct ClientSummary {
    int number = 0;
    std::string peer;
    std::string appName;
    std::uint32_t protocol = 0;
    std::uint64_t packets = 0;
    std::uint64_t replies = 0;
    std::size_t faults = 0;
    std::string end;  // how the connection ended
};

struct Simulation {
    SimulatorConfig config;
    World world;
    Recorder recorder;
    PositionLog positions;
    std::vector<Fault> faults;
    std::vector<ClientSummary> clients;
    std::uint64_t frame = 0;
    std::size_t nextAction = 0;  // index into config.actions
    bool framesOn = true;
    bool refuseAllTitles = false;  // every creation fails while set
    bool dumpRequested = false;
    std::vector<ScriptAction> controlActions;  // from the control file, run at the next frame
    bool controlFailed = false;                // a control file could not be read: the run ends failed
    std::function<void(const std::string&)> say;  // progress lines for a person watching
};

// Sorts the configuration's actions and builds the world.
Simulation makeSimulation(SimulatorConfig config);

// Seconds of simulator time one frame moves the world on.
double simSecondsPerFrame(const SimulatorConfig& config);

}  // namespace simulator
