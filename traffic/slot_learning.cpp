#include "traffic/slot_learning.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "airports/airport_services.h"
#include "airports/half_hours.h"
#include "airports/stand_file.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "refdata/registrations.h"
#include "traffic/aircraft_records.h"
#include "traffic/engine_jobs.h"

namespace {
// Half-hours a parked aircraft may go unseen before its use is no longer
// extended but a new one begins.
constexpr int kCargoWindow = 12;
constexpr int kHeavyWindow = 8;
constexpr int kWindow = 6;

HalfHourSet slotBit(std::uint32_t slot) {
    if (slot >= kHalfHoursPerDay) throw std::out_of_range(fmt::format("half-hour {} beyond the day", slot));
    return HalfHourSet{1} << slot;
}

std::string withoutGhostMark(const std::string& callsign) {
    return callsign.ends_with('_') ? callsign.substr(0, callsign.size() - 1) : callsign;
}

StandUse* useByNumber(std::vector<StandUse>& uses, std::int32_t number) {
    const auto it = std::find_if(uses.begin(), uses.end(), [number](const StandUse& use) { return use.active == number; });
    return it == uses.end() ? nullptr : &*it;
}

// Moves slots from the back of the list into the use until the list is down
// to `keep` entries or, with stopAtDayEnd, slot 47 was set.
void takeSlots(StandUse& use, std::vector<std::uint32_t>& slots, std::size_t keep, bool stopAtDayEnd) {
    while (slots.size() > keep) {
        const std::uint32_t slot = slots.back();
        slots.pop_back();
        use.hh |= slotBit(slot);
        if (stopAtDayEnd && slot == kHalfHoursPerDay - 1) return;
    }
}
}  // namespace

bool gf_updateSlotTable(Stand& stand, const ModelKey& fallbackKey, std::uint64_t daySlot, const std::string& callsign,
                        const std::string& registration, bool cpl) {
    if (registration.empty()) return false;
    const std::uint32_t day = gf_weekdayOf(daySlot);
    const HalfHourSet now = slotBit(gf_slotOf(daySlot));
    const bool known = std::any_of(stand.uses.begin(), stand.uses.end(), [&](const StandUse& use) {
        return use.reg == registration && use.day == day && use.hh == now;
    });
    if (known) return false;
    StandUse use;
    const std::optional<RegCodes> codes = gf_findRegistration(registration);
    use.key = codes ? lf_keyOf(*codes) : fallbackKey;
    use.regOnly = codes ? 1 : 0;
    use.reg = registration;
    use.callsign = withoutGhostMark(callsign);
    use.hh = now;
    use.active = static_cast<std::int32_t>(stand.uses.size()) + 1;
    use.day = day;
    use.fromAirportFile = 0;
    use.real = 1;
    use.cpl = cpl ? 1 : 0;
    stand.uses.push_back(std::move(use));
    gf_noteStandChange();
    return true;
}

void lf_setUseIdentity(Stand& stand, std::int32_t useNumber, const std::string& callsign) {
    const std::string name = withoutGhostMark(callsign);
    if (name.empty() || useNumber == 0) return;
    StandUse* use = useByNumber(stand.uses, useNumber);
    if (use == nullptr) return;
    if (use->callsign.empty())
        use->callsign = name;
    else if (name != use->callsign && name != use->callsign2)
        use->callsign2 = name;
}

bool updateOptions(std::vector<StandUse>& uses, std::vector<std::uint32_t> slots, std::int32_t useNumber) {
    StandUse* use = useByNumber(uses, useNumber);
    if (use == nullptr) return false;
    try {
        takeSlots(*use, slots, 0, false);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception:{}", "updateOptions", e.what()));
        return false;
    }
    return true;
}

bool updateOptionsWrapped(Stand& stand, std::vector<std::uint32_t> slots, std::int32_t oldDayUse,
                          std::int32_t newDayUse) {
    try {
        StandUse* oldUse = useByNumber(stand.uses, oldDayUse);
        if (oldUse != nullptr && !slots.empty() && slots.back() != 0) takeSlots(*oldUse, slots, 0, true);
        StandUse* newUse = useByNumber(stand.uses, newDayUse);
        if (newUse == nullptr) return false;
        // The list's first entry is now, which the new use already holds.
        takeSlots(*newUse, slots, 1, false);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception:{}", "updateOptionsWrapped", e.what()));
        return false;
    }
    return true;
}

std::vector<std::uint32_t> gf_lastHalfHours(std::uint64_t daySlot, std::uint32_t n) {
    std::vector<std::uint32_t> slots;
    slots.reserve(kHalfHoursPerDay);
    std::int64_t slot = gf_slotOf(daySlot);
    for (std::uint32_t i = 0; i < n; ++i, --slot) {
        if (slot < 0) slot += kHalfHoursPerDay;
        slots.push_back(static_cast<std::uint32_t>(slot));
    }
    return slots;
}

bool gf_slotFits(std::uint64_t daySlot, Stand& stand, std::int32_t useNumber, std::uint64_t useDaySlot,
                 AcBase& aircraft, const std::string& registration, bool cpl) {
    if (useNumber == 0 || useDaySlot == daySlot) return true;
    const int window = aircraft.modelKey.cargo != 0                      ? kCargoWindow
                       : aircraft.sizeCategory == SizeCategory::Heavy ? kHeavyWindow
                                                                       : kWindow;
    const int gap = gf_halfHoursBetween(gf_weekdayOf(useDaySlot), gf_slotOf(useDaySlot), gf_weekdayOf(daySlot),
                                        gf_slotOf(daySlot));
    if (gap < 1 || gap >= window) return false;
    const std::vector<std::uint32_t> slots = gf_lastHalfHours(daySlot, static_cast<std::uint32_t>(gap));
    if (gf_weekdayOf(useDaySlot) == gf_weekdayOf(daySlot)) {
        if (updateOptions(stand.uses, slots, useNumber)) lf_setUseIdentity(stand, useNumber, aircraft.callsign);
        return true;
    }
    if (!gf_updateSlotTable(stand, aircraft.modelKey, daySlot, aircraft.callsign, registration, cpl)) return false;
    const std::int32_t newUse = stand.uses.back().active;
    updateOptionsWrapped(stand, slots, useNumber, newUse);
    lf_setUseIdentity(stand, useNumber, aircraft.callsign);
    lf_setUseIdentity(stand, newUse, aircraft.callsign);
    return true;
}
