// The stand-in as a program: reads the command line and scenario files,
// opens the record, serves, and reports. main.cpp calls it; tests call it in
// the same process with their own stop flag.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tools/simulator/transport.h"

namespace simulator {

// Returns the exit code (server.h).
int simulatorMain(const std::vector<std::string>& arguments, const std::atomic<bool>& stop,
                  const std::function<void(const Endpoints&)>& onListening = {});

}  // namespace simulator
