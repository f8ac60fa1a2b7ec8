// The command line of the stand-in RealTraffic (see README.md).
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace realtraffic {

// Runs one command: 0 when it succeeded, 1 when it failed (the reason on
// err, beginning "realtraffic: FAILED: "), 2 for a wrong command line.
int runMain(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace realtraffic
