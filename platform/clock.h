// The PC's clock and the runtime's UTC calendar conversion.
#pragma once

#include <cstdint>

namespace platform {

// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t systemTimeSeconds();

struct UtcCalendar {
    int year = 0;      // e.g. 2026
    int month = 0;     // 1-12
    int day = 0;       // 1-31
    int weekday = 0;   // 0 Sunday .. 6 Saturday, as the C runtime counts
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The largest time the Windows runtime's 64-bit UTC conversion promises to
// convert: 3000-12-31 23:59:59 UTC.
inline constexpr std::int64_t kMaxConvertibleTime = 32535215999LL;

// Converts like the Windows runtime's _gmtime64_s: false for a negative time
// or one after kMaxConvertibleTime, on every platform (runtimes differ by a
// few hours beyond it, so both builds refuse the same times).
bool utcCalendar(std::int64_t secondsSinceEpoch, UtcCalendar& out);

}  // namespace platform
