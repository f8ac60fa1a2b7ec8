// Waiting for what another process or thread does, without a fixed sleep.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

// How long a test waits for something that must come (a reply, a packet, a
// log line, a state): the bound only ends a test whose peer is broken, so it
// lies far beyond any delay of a loaded machine, and further still under the
// sanitizers, which slow every thread several times over. A wait for
// something that must NOT come stays short; it can never fail a sound test.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSafetyMs = 120000;
#else
inline constexpr int kSafetyMs = 60000;
#endif
inline constexpr std::chrono::milliseconds kSafety{kSafetyMs};

// Polls the condition every 50 ms; false when it did not hold within the limit.
inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Whether a step that times itself (a wait that must end soon) kept its
// bound in one of three runs. A loaded machine may hold up any one run; a
// wait that is slow by its nature is slow every time, so the bound stays as
// tight as it was.
template <typename TimedStep>
bool keptItsTimeOnce(TimedStep step) {
    for (int run = 0; run < 3; ++run)
        if (step()) return true;
    return false;
}

}  // namespace testing_support
