#include "traffic/static_adjust.h"

#include <fmt/format.h>

#include <algorithm>
#include <numeric>
#include <span>
#include <vector>

#include "airports/airport_services.h"
#include "airports/half_hours.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/geodesy.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "refdata/code_tables.h"
#include "traffic/engine_jobs.h"
#include "traffic/parked_aircraft_jobs.h"
#include "traffic/removal.h"
#include "traffic/state.h"
#include "traffic/static_decision.h"
#include "traffic/static_schedule.h"

namespace {
std::uint32_t previousDay(std::uint32_t day) { return day <= 1 ? 7 : day - 1; }
std::uint32_t nextDay(std::uint32_t day) { return day >= 7 ? 1 : day + 1; }

std::int64_t weekIndex(std::uint32_t day, std::uint32_t slot) {
    return (static_cast<std::int64_t>(day) - 1) * kHalfHoursPerDay + slot;
}

bool sameAircraft(const ModelKey& a, const ModelKey& b) {
    return a.airlineId == b.airlineId && a.secondAirlineId == b.secondAirlineId && a.modelId == b.modelId;
}

// Positions in a table by stand id, equal ids in table order: one sort
// instead of a walk through the table for every stand asked about.
using StandPositions = std::vector<std::pair<std::uint32_t, std::size_t>>;

template <typename Record, typename StandOf>
StandPositions positionsByStand(const std::vector<Record>& table, StandOf standOf) {
    StandPositions positions;
    positions.reserve(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) positions.emplace_back(standOf(table[k]), k);
    std::sort(positions.begin(), positions.end());
    return positions;
}

std::span<const StandPositions::value_type> onStand(const StandPositions& positions, std::uint32_t standId) {
    const auto [first, last] = std::equal_range(positions.begin(), positions.end(), std::pair{standId, std::size_t{0}},
                                                [](const auto& a, const auto& b) { return a.first < b.first; });
    return {first, last};
}

// The schedule's records by stand id while the static aircraft are matched
// against them; a record a kept static takes over is marked and dropped once
// at the end, so that the schedule is not shifted for every one.
struct ScheduleIndex {
    StandPositions byStand = positionsByStand(g_staticSlots, [](const StaticSlot& r) { return r.standId; });
    std::vector<std::uint8_t> taken = std::vector<std::uint8_t>(g_staticSlots.size(), 0);

    // The stand's first record, unless taken over already; nullptr when none.
    const StaticSlot* find(std::uint32_t standId) const {
        const auto records = onStand(byStand, standId);
        return records.empty() || taken[records.front().second] != 0 ? nullptr : &g_staticSlots[records.front().second];
    }
    void takeOver(const StaticSlot& record) { taken[static_cast<std::size_t>(&record - g_staticSlots.data())] = 1; }
    void dropTaken() {
        std::size_t k = 0;
        std::erase_if(g_staticSlots, [&](const StaticSlot&) { return taken[k++] != 0; });
    }
};

void keep(const AcBase& parked) {
    g_staticPlacements.push_back(KeptStatic{parked.callsign, parked.prevCallsign, parked.spareText,
                                            parked.registration, parked.modelKey, gf_weekdayOf(parked.parkedAt),
                                            gf_slotOf(parked.parkedAt), static_cast<std::uint32_t>(parked.standId), 0});
}

void removeLater(const AcBase& parked) {
    g_staticRemovals.push_back(StaticRemoval{parked.callsign, static_cast<std::uint32_t>(parked.standId)});
}

bool inLiveTraffic(const AcBase& parked) {
    const auto& snapshot = g_staticCallsigns.set;
    return (!parked.prevCallsign.empty() && snapshot.contains(parked.prevCallsign)) ||
           (!parked.spareText.empty() && snapshot.contains(parked.spareText));
}

// A static without a record of its own: a record on a neighbouring stand
// close enough to collide decides; else it stays when its aircraft has
// used the stand since it was placed (last night included).
void matchWithoutRecord(const AcBase& parked, std::uint64_t daySlot, ScheduleIndex& schedule) {
    const Stand* stand = gf_standById(parked.standId);
    if (stand != nullptr) {
        for (const std::int32_t neighbourId : stand->adjacentIds) {
            const StaticSlot* record = schedule.find(static_cast<std::uint32_t>(neighbourId));
            const Stand* neighbour = gf_standById(neighbourId);
            if (record == nullptr || neighbour == nullptr) continue;
            const double clearance = hwsp(record->key.modelId) + hwsp(parked.modelKey.modelId);
            if (clearance > gf_distanceNm(parked.standLat, parked.standLon, neighbour->latitude, neighbour->longitude)) {
                if (lf_keepOrRemoveStatic(parked, *record, daySlot)) schedule.takeOver(*record);
                return;
            }
        }
    }
    if (gf_usedStandOvernight(daySlot, parked.standId, parked))
        keep(parked);
    else
        removeLater(parked);
}

// The kept static shows its first callsign and its use ends with this
// half-hour: it must go and come again under its second callsign.
bool leavesNow(const KeptStatic& kept, std::uint64_t daySlot) {
    const Stand* stand = gf_standById(static_cast<std::int32_t>(kept.standId));
    if (stand == nullptr) return false;
    const std::uint32_t today = gf_weekdayOf(daySlot);
    const std::uint32_t next = gf_slotOf(daySlot) + 1;
    std::string shown = kept.callsign;
    if (shown.ends_with('*')) shown.pop_back();
    const auto use = std::find_if(stand->uses.begin(), stand->uses.end(), [&](const StandUse& u) {
        return u.active >= 1 && u.day == today && u.callsign == shown && sameAircraft(u.key, kept.key);
    });
    if (use == stand->uses.end()) return false;
    if (next < kHalfHoursPerDay) return !gf_hasSlot(use->hh, next);
    const std::uint32_t tomorrow = nextDay(today);
    return std::none_of(stand->uses.begin(), stand->uses.end(), [&](const StandUse& u) {
        return u.day == tomorrow && sameAircraft(u.key, kept.key) && gf_hasSlot(u.hh, 0);
    });
}

// Half-hours from the kept static's parking to now (at most 47): as the fit
// level of its new record it gives the new static the same parked time.
std::uint32_t halfHoursParked(const KeptStatic& kept, std::uint64_t daySlot) {
    const int since = gf_halfHoursBetween(kept.parkedDay, kept.parkedSlot, gf_weekdayOf(daySlot), gf_slotOf(daySlot));
    return static_cast<std::uint32_t>(std::clamp(since, 0, kHalfHoursPerDay - 1));
}

// Stable by parked weekday. An order of indexes is sorted, so that each
// record (four texts) moves once instead of at every step of a merge.
void sortKeptByParkedDay() {
    std::vector<KeptStatic>& kept = g_staticPlacements;
    const auto earlier = [](const KeptStatic& a, const KeptStatic& b) { return a.parkedDay < b.parkedDay; };
    if (std::is_sorted(kept.begin(), kept.end(), earlier)) return;
    std::vector<std::size_t> order(kept.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return earlier(kept[a], kept[b]); });
    std::vector<KeptStatic> sorted;
    sorted.reserve(kept.capacity());
    for (const std::size_t k : order) sorted.push_back(std::move(kept[k]));
    kept.swap(sorted);
}

void numberUses() {
    for (Stand& stand : g_stands) {
        std::int32_t number = 0;
        for (StandUse& use : stand.uses) {
            use.active = ++number;
            use.consumed = 0;
        }
    }
}

void removeLiveParkedEntry(const LiveParkedEntry& entry) {
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.callsign == entry.callsign && aircraft.standId == entry.standId) {
            removeAircraftFromSim(aircraft);
            return;
        }
    }
}

void sortBestFitLast() {
    std::sort(g_staticSlots.begin(), g_staticSlots.end(),
              [](const StaticSlot& a, const StaticSlot& b) { return a.offset > b.offset; });
}
}  // namespace

bool lf_keepOrRemoveStatic(const AcBase& parked, const StaticSlot& record, std::uint64_t daySlot) {
    std::uint32_t day = gf_weekdayOf(daySlot);
    std::int64_t slot = static_cast<std::int64_t>(gf_slotOf(daySlot)) - record.offset;
    if (slot < 0) {
        slot += kHalfHoursPerDay;
        day = previousDay(day);
    }
    const bool recordLater = weekIndex(day, static_cast<std::uint32_t>(slot)) >
                             weekIndex(gf_weekdayOf(parked.parkedAt), gf_slotOf(parked.parkedAt));
    if (recordLater) {
        removeLater(parked);
        return false;
    }
    keep(parked);
    return true;
}

void lf_chooseStaticStands(std::uint64_t daySlot) {
    ScheduleIndex schedule;
    for (const AcBase& parked : g_staticAcs) {
        if (parked.lifeState != AcLifeState::active) continue;
        if (inLiveTraffic(parked)) {
            removeLater(parked);
            continue;
        }
        const StaticSlot* record = schedule.find(static_cast<std::uint32_t>(parked.standId));
        if (record == nullptr) {
            matchWithoutRecord(parked, daySlot, schedule);
            continue;
        }
        const bool sameFlight =
            sameAircraft(record->key, parked.modelKey) &&
            (parked.callsign == lf_staticCallsign(record->callsign) ||
             (!record->callsign2.empty() && parked.callsign == lf_staticCallsign(record->callsign2)));
        if (sameFlight) {
            keep(parked);
            schedule.takeOver(*record);
        } else if (lf_keepOrRemoveStatic(parked, *record, daySlot)) {
            schedule.takeOver(*record);
        }
    }
    schedule.dropTaken();
    sortKeptByParkedDay();
    for (KeptStatic& kept : g_staticPlacements) {
        if (kept.spareText.empty() || kept.prevCallsign.empty() ||
            kept.callsign.find(kept.prevCallsign) == std::string::npos)
            continue;
        kept.leaves = leavesNow(kept, daySlot) ? 1 : 0;
    }
}

void gf_adjustParking() {
    const std::uint64_t daySlot = lf_dayLine();
    lf_staticsBookkeeping();
    g_staticPassShown = false;
    g_weekPassShown = false;
    platform::invalidateBand(kStatisticsBand);
    g_staticRemovals.clear();
    g_staticPlacements.clear();
    g_liveParkedList.clear();
    g_staticSlots.clear();

    lf_clearStandMarks();
    numberUses();
    lf_reserveStands();
    const std::uint64_t wanted = lf_wantedStaticCount();
    g_staticCallsigns.building = true;
    lf_reparkAll();
    if (wanted > 0 && g_liveParkedList.size() > wanted) {
        const std::size_t surplus = g_liveParkedList.size() - wanted;
        gf_setStatus(fmt::format("Parking adjustments: {} more live ac than wanted", surplus), true);
        lf_removeLiveParked(surplus);
        g_liveParkedList.clear();
        lf_reparkAll();
    }
    for (const LiveParkedEntry& entry : g_liveParkedList)
        if (Stand* stand = gf_standById(entry.standId)) gf_markStandsTaken(*stand);

    const std::uint64_t placed = g_liveParkedList.size();
    // Nothing wanted: no search; the surplus below removes what stands there.
    if (wanted > 0 && wanted - g_staticSlots.size() != placed) lf_buildAllStaticSlots(daySlot, wanted, placed);
    lf_chooseStaticStands(daySlot);

    // A leaving static comes back under its second callsign.
    for (const KeptStatic& kept : g_staticPlacements) {
        if (kept.leaves == 0) continue;
        g_staticSlots.push_back(StaticSlot{kept.standId, halfHoursParked(kept, daySlot), kept.key, kept.prevCallsign,
                                           kept.spareText, kept.registration, 0});
        g_staticRemovals.push_back(StaticRemoval{kept.callsign, kept.standId});
    }
    std::erase_if(g_staticPlacements, [](const KeptStatic& kept) { return kept.leaves != 0; });

    std::int64_t surplus = static_cast<std::int64_t>(g_liveParkedList.size() + g_staticPlacements.size() +
                                                     g_staticSlots.size()) -
                           static_cast<std::int64_t>(wanted);
    for (; surplus > 0; --surplus) {
        if (!g_staticSlots.empty()) {
            g_staticSlots.pop_back();
        } else if (!g_staticPlacements.empty()) {
            const KeptStatic& last = g_staticPlacements.back();
            g_staticRemovals.push_back(StaticRemoval{last.callsign, last.standId});
            g_staticPlacements.pop_back();
        } else if (!g_liveParkedList.empty()) {
            removeLiveParkedEntry(g_liveParkedList.back());
            g_liveParkedList.pop_back();
        }
    }
    sortBestFitLast();
    gf_setStatus(fmt::format("Parking adjustments: {} to be removed, {} to be added\n", g_staticRemovals.size(),
                             g_staticSlots.size()),
                 true);
    const StandPositions statics =
        positionsByStand(g_staticAcs, [](const AcBase& parked) { return static_cast<std::uint32_t>(parked.standId); });
    for (const StaticRemoval& removal : g_staticRemovals) {
        for (const auto& [standId, position] : onStand(statics, removal.standId)) {
            AcBase& parked = g_staticAcs[position];
            if (parked.callsign != removal.callsign) continue;
            if (parked.lifeState == AcLifeState::active || parked.lifeState == AcLifeState::removingfromsim) {
                removeAircraftFromSim(parked);
                break;
            }
        }
    }
    g_staticRemovals.clear();
}
