// The schedule of static parked aircraft at the park airport: how many are
// wanted, and which stands get one at this weekday and half-hour, searched
// kind by kind (real uses of today, of any day, then soft ones) with a
// widening look back in half-hours. Traffic thread.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "airports/stands.h"

// The number of static aircraft wanted (MAX_PARK_SEL at most, a share of the
// stands); also sets and shows g_maxPark and its percentage. Throws
// gsl::narrowing_error when the share does not fit a 32-bit integer.
std::uint64_t lf_wantedStaticCount();
// The full computation after the park airport's stands were read.
void lf_computeStatics();
// Fills g_staticSlots kind by kind while fewer than `wanted` stands are
// scheduled or already placed.
void lf_buildAllStaticSlots(std::uint64_t daySlot, std::uint64_t wanted, std::uint64_t placed);
// One kind: real or soft uses, of today or of any day.
void lf_buildStaticSlots(std::uint64_t daySlot, std::uint64_t wanted, std::uint64_t placed, bool real, bool today);
// The widening search of one kind: earlier batches go to g_staticSlots, the
// batch that reached the wanted number of taken stands stays in `out`; false
// when MAX_FIT was passed first.
bool lf_scheduleLine(std::uint64_t daySlot, bool real, bool today, std::uint64_t wanted, std::vector<StaticSlot>& out);
// Shuffles the records (RANDOM on) and drops `excess` of them from the end.
void lf_shuffleAndTrimSlots(std::int64_t excess, std::vector<StaticSlot>& records);
// Marks the reserved stand and the stand under the user aircraft.
void lf_reserveStands();
// Logs the day line and gives g_daySlot.
std::uint64_t lf_dayLine();
// Takes the callsigns the traffic reader collected as the identity snapshot.
void lf_staticsBookkeeping();
// Clears the taken and reserved marks of every stand.
void lf_clearStandMarks();
// "real", "week/real", "soft", "week/soft".
std::string_view lf_kindName(bool real, bool today);
