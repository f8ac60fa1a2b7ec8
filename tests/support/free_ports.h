// Ports for tests that must not take the program's fixed ones.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/sockets.h"

namespace testing_support {

// Two different loopback UDP ports that were free a moment ago.
inline std::pair<std::uint16_t, std::uint16_t> freeUdpPorts() {
    platform::UdpSocket first, second;
    first.open();
    first.bind(0, true);
    second.open();
    second.bind(0, true);
    return {first.localPort(), second.localPort()};
}

}  // namespace testing_support
