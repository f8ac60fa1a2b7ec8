#include "foundation/time_texts.h"

#include <fmt/format.h>

#include <array>
#include <atomic>

#include "platform/clock.h"

namespace {
std::atomic<ClockSource> g_clockSource{nullptr};
std::atomic<TrafficTimeSource> g_trafficTimeSource{nullptr};

constexpr const char* kInvalidTime = "Invalid time";

constexpr std::array<const char*, 8> kWeekdayNames = {"???", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<const char*, 13> kMonthNames = {"???", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};

int isoWeekday(int cWeekday) { return cWeekday == 0 ? 7 : cWeekday; }

// The clock texts cut "hh:mm:ss" out of the full text; a failed conversion
// gives the whole "Invalid time" instead of a cut of it.
std::string clockPart(std::int64_t time) {
    const std::string text = gf_timeText(time);
    if (text == kInvalidTime) return text;
    return text.substr(text.size() - 13, 8);
}
}  // namespace

std::int64_t gf_pcClockSeconds() {
    const ClockSource source = g_clockSource.load();
    return source != nullptr ? source() : platform::systemTimeSeconds();
}

void gf_setClockSource(ClockSource source) { g_clockSource.store(source); }

void gf_setTrafficTimeSource(TrafficTimeSource source) { g_trafficTimeSource.store(source); }

std::int64_t gf_currentTime() {
    const TrafficTimeSource traffic = g_trafficTimeSource.load();
    if (traffic != nullptr) {
        const std::int64_t time = traffic();
        if (time != 0) return time;
    }
    return gf_pcClockSeconds();
}

const char* gf_weekdayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? kWeekdayNames[static_cast<std::size_t>(weekday)] : kWeekdayNames[0];
}

const char* gf_monthName(int month) {
    return month >= 1 && month <= 12 ? kMonthNames[static_cast<std::size_t>(month)] : kMonthNames[0];
}

std::string gf_timeText(std::int64_t time) {
    platform::UtcCalendar c;
    if (!platform::utcCalendar(time, c)) return kInvalidTime;
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", gf_weekdayName(isoWeekday(c.weekday)),
                       gf_monthName(c.month), c.day, c.hour, c.minute, c.second, c.year);
}

std::string gf_utcClockText() { return clockPart(gf_pcClockSeconds()); }
std::string gf_simClockText() { return clockPart(gf_currentTime()); }

std::string gf_dateText() {
    const std::string text = gf_timeText(gf_pcClockSeconds());
    if (text == kInvalidTime) return text;
    return fmt::format("{}, {}", text.substr(4, 6), text.substr(20, 4));
}

std::uint32_t gf_halfHourSlot(int hour, int minute, int second) {
    const int c = (minute > 29 || (minute == 29 && second >= 30)) ? 1 : 0;
    return static_cast<std::uint32_t>((2 * hour + c) % 48);
}

std::uint64_t gf_dayAndHalfHourAt(std::int64_t time) {
    platform::UtcCalendar c;
    if (!platform::utcCalendar(time, c)) return gf_packDaySlot(0xFFFFFFFFu, 0xFFFFFFFFu);
    return gf_packDaySlot(static_cast<std::uint32_t>(isoWeekday(c.weekday)),
                          gf_halfHourSlot(c.hour, c.minute, c.second));
}

std::uint64_t gf_dayAndHalfHour() { return gf_dayAndHalfHourAt(gf_currentTime()); }

int gf_halfHoursBetween(std::uint32_t weekdayA, std::uint32_t slotA, std::uint32_t weekdayB, std::uint32_t slotB) {
    int distance = (static_cast<int>(weekdayB) - static_cast<int>(weekdayA)) * 48 + static_cast<int>(slotB) -
                   static_cast<int>(slotA);
    if (distance < 0) distance += 336;
    return distance;
}
