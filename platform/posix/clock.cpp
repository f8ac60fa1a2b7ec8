#include <chrono>

#include "platform/clock.h"

namespace platform {

std::int64_t systemTimeSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

bool utcCalendar(std::int64_t secondsSinceEpoch, UtcCalendar& out) {
    if (secondsSinceEpoch < 0 || secondsSinceEpoch > kMaxConvertibleTime) return false;
    using namespace std::chrono;
    const sys_seconds t{seconds{secondsSinceEpoch}};
    const auto dayPoint = floor<days>(t);
    const year_month_day ymd{dayPoint};
    const hh_mm_ss hms{t - dayPoint};
    out.year = static_cast<int>(ymd.year());
    out.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    out.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    out.weekday = static_cast<int>(weekday{dayPoint}.c_encoding());
    out.hour = static_cast<int>(hms.hours().count());
    out.minute = static_cast<int>(hms.minutes().count());
    out.second = static_cast<int>(hms.seconds().count());
    return true;
}

}  // namespace platform
