// Half-hour sets: the 48 half-hour slots of one weekday (slot k begins k * 30
// minutes after midnight) as bits 0 to 47 of a 64-bit word, and their text
// forms in the stand files' "hh" attribute: "a:b" (a run), "a" (one slot) or
// "a,b,c" (a list).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using HalfHourSet = std::uint64_t;

inline constexpr int kHalfHoursPerDay = 48;

// The set holds the slot (a slot outside 0..47 is never held).
inline bool gf_hasSlot(HalfHourSet set, std::int64_t slot) {
    return slot >= 0 && slot < kHalfHoursPerDay && ((set >> slot) & 1U) != 0;
}

// Parses an "hh" text. Never throws: a bad piece is logged and skipped in a
// list; a bad range (bad piece, two colons, descending) is logged and gives
// the empty set.
HalfHourSet gf_hours2bitset(std::string_view text);
// "a:b" for one run of two or more slots, "a" for one slot; nothing for the
// empty set or a set that is not one run.
std::optional<std::string> lf_formatHourRange(HalfHourSet set);
// Every slot in ascending order joined by ","; nothing for the empty set.
std::optional<std::string> lf_bitset2hours(HalfHourSet set);
