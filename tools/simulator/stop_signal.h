// Ctrl+C (and, natively, SIGTERM) asks a running stand-in to stop: it then
// writes its reports and ends with its usual exit code.
#pragma once

#include <atomic>

namespace simulator {

// The flag is set from the signal handler; it must live as long as the process.
void installStopHandler(std::atomic<bool>& stop);

}  // namespace simulator
