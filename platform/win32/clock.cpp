#include <time.h>

#include <chrono>

#include "platform/clock.h"

namespace platform {

std::int64_t systemTimeSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

bool utcCalendar(std::int64_t secondsSinceEpoch, UtcCalendar& out) {
    if (secondsSinceEpoch < 0 || secondsSinceEpoch > kMaxConvertibleTime) return false;
    struct tm fields {};
    const __time64_t t = secondsSinceEpoch;
    if (_gmtime64_s(&fields, &t) != 0) return false;
    out.year = fields.tm_year + 1900;
    out.month = fields.tm_mon + 1;
    out.day = fields.tm_mday;
    out.weekday = fields.tm_wday;
    out.hour = fields.tm_hour;
    out.minute = fields.tm_min;
    out.second = fields.tm_sec;
    return true;
}

}  // namespace platform
