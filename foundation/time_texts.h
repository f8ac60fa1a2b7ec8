// The clock rule, weekdays and half-hour slots, and the time texts. All UTC.
#pragma once

#include <cstdint>
#include <string>

// The PC's clock in seconds since the epoch; tests replace it.
std::int64_t gf_pcClockSeconds();
using ClockSource = std::int64_t (*)();
// Replaces the PC's clock (nullptr restores the real one).
void gf_setClockSource(ClockSource source);
// The time of the latest traffic datagram (UTC seconds) while RealTraffic
// reports level 2, else 0; set once at start by the program.
using TrafficTimeSource = std::int64_t (*)();
void gf_setTrafficTimeSource(TrafficTimeSource source);

// The current time: the latest traffic timestamp (truncated) when RealTraffic
// reported level 2 and a timestamp has come, else the PC's clock.
std::int64_t gf_currentTime();

// "Mon Jan 05 13:04:09 2026", or "Invalid time" when the time cannot be converted.
std::string gf_timeText(std::int64_t time);
// "hh:mm:ss" of the PC's clock; "Invalid time" when it cannot be converted.
std::string gf_utcClockText();
// "hh:mm:ss" of the current time; "Invalid time" when it cannot be converted.
std::string gf_simClockText();
// "Jan 05, 2026" of the PC's clock; "Invalid time" when it cannot be converted.
std::string gf_dateText();

// Packed weekday (low 32 bits, 1 Monday .. 7 Sunday) and half-hour slot (high
// 32 bits, 0..47) of the current time; a field that cannot be converted is 0xFFFFFFFF.
std::uint64_t gf_dayAndHalfHour();
std::uint64_t gf_dayAndHalfHourAt(std::int64_t time);
inline std::uint32_t gf_weekdayOf(std::uint64_t packed) { return static_cast<std::uint32_t>(packed); }
inline std::uint32_t gf_slotOf(std::uint64_t packed) { return static_cast<std::uint32_t>(packed >> 32); }
inline std::uint64_t gf_packDaySlot(std::uint32_t weekday, std::uint32_t slot) {
    return (static_cast<std::uint64_t>(slot) << 32) | weekday;
}

// The half-hour slot of a time of day: the second slot of an hour begins at hh:29:30.
std::uint32_t gf_halfHourSlot(int hour, int minute, int second);
// Half-hours from (weekday a, slot a) to (weekday b, slot b) on a ring of one week (0..335).
int gf_halfHoursBetween(std::uint32_t weekdayA, std::uint32_t slotA, std::uint32_t weekdayB, std::uint32_t slotB);

// "Mon".."Sun" for 1..7, "Jan".."Dec" for 1..12 (October is "Okt"); "???" otherwise.
const char* gf_weekdayName(int weekday);
const char* gf_monthName(int month);
