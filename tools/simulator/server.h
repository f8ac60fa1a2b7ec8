// The stand-in's serving loop: it listens, serves one client after another
// in frames at the configured rate, and at the end writes its reports.
#pragma once

#include <atomic>
#include <functional>

#include "tools/simulator/simulation.h"
#include "tools/simulator/transport.h"

namespace simulator {

inline constexpr int kExitClean = 0;
inline constexpr int kExitFaults = 1;   // strict mode and a client committed a fault
inline constexpr int kExitUsage = 2;    // the command line or a scenario file is wrong
inline constexpr int kExitFailure = 3;  // it could not listen or write its files

// Serves until `stop` is set, the configured number of clients was served or
// the configured duration has passed. `onListening` learns the endpoints
// (ports chosen by the system included) once they are open. Returns one of
// the exit codes above.
int serve(Simulation& sim, const std::atomic<bool>& stop,
          const std::function<void(const Endpoints&)>& onListening = {});

}  // namespace simulator
