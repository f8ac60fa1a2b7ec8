// Waiting for what another process or thread does, without a fixed sleep.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

// How long a test waits for something that must come (a reply, a packet, a
// state): the bound only ends a test whose peer is broken, so it lies far
// beyond any delay of a loaded machine. A wait for something that must NOT
// come stays short; it can never fail a sound test.
inline constexpr int kSafetyMs = 60000;

// Polls the condition every 50 ms; false when it did not hold within the limit.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace testing_support
