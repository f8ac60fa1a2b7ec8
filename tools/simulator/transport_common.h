// What the two platforms' transports share: which listeners to open and how
// to treat one that cannot be opened, and the wait before a graceful close.
#pragma once

#include <functional>

#include "tools/simulator/transport.h"

namespace simulator {

// Runs the opener of every transport the configuration asks for. An opener
// throws std::runtime_error when its listener cannot be opened: for an
// explicitly given port, or the pipe, that ends the attempt; for a default
// port it becomes a warning. `opened` tells whether any listener is open;
// when none is, std::runtime_error says why.
void openConfiguredListeners(const SimulatorConfig& config, Endpoints& endpoints, const std::function<void()>& tcp4,
                             const std::function<void()>& tcp6, const std::function<void()>& pipe,
                             const std::function<bool()>& opened);

// After our side has stopped sending: reads and discards until the peer ends
// too, for at most a quarter second, so that unread bytes do not turn the
// close into a reset that could swallow what we sent last.
void drainBeforeClose(Connection& connection);

}  // namespace simulator
