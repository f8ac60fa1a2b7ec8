// The QNH datagram: a JSON object whose member "QNH" holds the sea-level
// pressure in hPa, or in inches of mercury times 100.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "foundation/log_text.h"

inline constexpr std::int32_t kDefaultQnh = 1013;

struct QnhState {
    // The last value published; 1013 after each reset. The QNH reader thread
    // reads and writes it, the reset code sets it while the reader runs.
    std::atomic<std::int32_t> lastQnh{0};
    // The QNH reader's error lines, at most 10 a second.
    LogLineLimiter errorLines{"QNH datagram error"};
};

enum class QnhVerdict { published, unchanged, rejected };

// Reads one QNH datagram and publishes a new value to the traffic engine and
// the window; never throws.
QnhVerdict lf_onQnhData(QnhState& state, std::string_view datagram);
