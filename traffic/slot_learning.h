// Learning which half-hours of which weekday a live aircraft stands on a stand
// of the park airport: new uses and the extension of a use up to now
// (gf_updateSlotTable and gf_slotFits are declared in traffic/engine_jobs.h,
// where the airports' learning finds them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "airports/stands.h"

// Completes the callsigns of the use with that number: the callsign (without
// one trailing "_") becomes its first callsign when it has none, else its
// second callsign unless it is one of the two already.
void lf_setUseIdentity(Stand& stand, std::int32_t useNumber, const std::string& callsign);
// Sets the half-hours of the list, taken from the back, in the use with that
// number; false when there is none or a slot lies beyond the day (logged; the
// slots set before it stay set).
bool updateOptions(std::vector<StandUse>& uses, std::vector<std::uint32_t> slots, std::int32_t useNumber);
// Splits the half-hours of the list over a day change: from the back into the
// old day's use up to slot 47, the rest (all but the list's first entry) into
// the new day's use; false when the new day's use is missing or a slot lies
// beyond the day (logged).
bool updateOptionsWrapped(Stand& stand, std::vector<std::uint32_t> slots, std::int32_t oldDayUse,
                          std::int32_t newDayUse);
// The n half-hours up to now, the current one first (slot 0 wraps to 47):
// taken from the back they give the oldest first.
std::vector<std::uint32_t> gf_lastHalfHours(std::uint64_t daySlot, std::uint32_t n);
