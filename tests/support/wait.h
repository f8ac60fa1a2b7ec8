// Waiting for what another process or thread does, without a fixed sleep.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

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
