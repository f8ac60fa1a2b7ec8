#include "airports/stand_search.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <string_view>
#include <unordered_set>

#include "airports/airport_services.h"
#include "airports/half_hours.h"
#include "airports/state.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "refdata/code_tables.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/state.h"

namespace {
constexpr double kNoDistance = 900.0;
constexpr double kSamePositionDegrees = 1e-8;

// gf_standNameAt's last answer; under g_standsMutex.
struct StandNameCache {
    GeoPoint position;
    bool valid = false;
    std::string name;
};
StandNameCache g_standNameCache;

StandSearchIndex* g_searchIndex = nullptr;  // traffic thread; the innermost live index

template <typename Operation>
auto catchingAll(const char* name, auto fallback, Operation&& operation) -> decltype(fallback) {
    try {
        return operation();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", name, e.what()));
    }
    return fallback;
}

double distanceTo(const GeoPoint& position, const Stand& stand) {
    return gf_distanceNm(position.lat, position.lon, stand.latitude, stand.longitude);
}

bool sameAircraft(const ModelKey& a, const ModelKey& b) {
    return a.airlineId == b.airlineId && a.secondAirlineId == b.secondAirlineId && a.modelId == b.modelId;
}


// The slots first..last (clamped to the day).
HalfHourSet slotRange(std::int64_t first, std::int64_t last) {
    HalfHourSet set = 0;
    for (std::int64_t slot = std::max<std::int64_t>(first, 0); slot <= std::min<std::int64_t>(last, 47); ++slot)
        set |= HalfHourSet{1} << slot;
    return set;
}

std::uint32_t previousDay(std::uint32_t day) { return day <= 1 ? 7 : day - 1; }
std::uint32_t nextDay(std::uint32_t day) { return day >= 7 ? 1 : day + 1; }

bool usedByCallsignOrModel(const Stand& stand, const AcBase& aircraft) {
    return std::any_of(stand.uses.begin(), stand.uses.end(), [&](const StandUse& use) {
        return gf_useCounts(use) && use.real != 0 &&
               (use.callsign == aircraft.callsign || use.callsign2 == aircraft.callsign ||
                sameAircraft(use.key, aircraft.modelKey));
    });
}

bool staysNext(const StandUse& use, const Stand& stand, std::uint32_t today, std::uint32_t slot) {
    if (use.callsign2.empty()) return true;
    const std::uint32_t next = slot + 1;
    if (next <= 47) return gf_hasSlot(use.hh, next);
    const std::uint32_t tomorrow = nextDay(today);
    return std::any_of(stand.uses.begin(), stand.uses.end(), [&](const StandUse& other) {
        return gf_useCounts(other) && other.day == tomorrow && sameAircraft(other.key, use.key) && gf_hasSlot(other.hh, 0);
    });
}

bool isParkedState(const AcBase& aircraft) {
    return aircraft.lifeState == AcLifeState::active || aircraft.lifeState == AcLifeState::removingfromsim;
}

// The aircraft and flights of the records this search has found: they join
// the schedule only after the search, so lf_isUseTaken does not see them.
// Only texts that name something count: uses without a registration or
// callsign do not take each other. The views point into g_stands, which
// does not change while the search runs.
class FoundInThisSearch {
public:
    bool holds(const StandUse& use) const {
        return (!use.reg.empty() && regs_.contains(use.reg)) || callsigns_.contains(use.callsign) ||
               callsigns_.contains(use.callsign2);
    }
    void add(const StandUse& use) {
        if (!use.reg.empty()) regs_.insert(use.reg);
        if (!use.callsign.empty()) callsigns_.insert(use.callsign);
    }

private:
    std::unordered_set<std::string_view> regs_, callsigns_;
};

int weekIndex(std::uint32_t day, std::uint32_t slot) {
    return static_cast<int>(day) * kHalfHoursPerDay - kHalfHoursPerDay + static_cast<int>(slot);
}

void searchStands(std::uint64_t daySlot, int realMode, int dayMode, std::uint32_t offset, std::vector<StaticSlot>& out) {
    const std::uint32_t today = gf_weekdayOf(daySlot);
    const std::uint32_t slot = gf_slotOf(daySlot);
    std::int64_t searchedSlot = static_cast<std::int64_t>(slot) - offset;
    std::uint32_t searchedDay = today;
    if (searchedSlot < 0) {
        searchedSlot += kHalfHoursPerDay;
        searchedDay = previousDay(today);
    }
    std::vector<std::int32_t> candidates;
    candidates.reserve(256);
    FoundInThisSearch found;
    StandSearchIndex* const index = g_searchIndex;
    for (Stand& stand : g_stands) {
        if (stand.excluded != 0 || stand.taken != 0) continue;
        if (index != nullptr &&
            !index->mayOffer(stand, realMode, dayMode, searchedDay, static_cast<std::uint32_t>(searchedSlot)))
            continue;
        candidates.clear();
        for (const StandUse& use : stand.uses)
            if (lf_searchStandsStep(use, realMode, dayMode, searchedDay, static_cast<std::uint32_t>(searchedSlot), stand))
                candidates.push_back(use.active);
        if (candidates.empty()) continue;
        if (candidates.size() >= 2) lf_orderCandidates(candidates, stand);
        const auto chosen = std::find_if(stand.uses.begin(), stand.uses.end(), [&](const StandUse& use) {
            return use.active >= 1 && use.active == candidates.front();
        });
        if (chosen == stand.uses.end()) continue;
        if (lf_isUseTaken(*chosen) || found.holds(*chosen)) {
            chosen->consumed = 1;  // it counts nowhere until the uses are numbered again
            if (index != nullptr) index->noteConsumed(stand);
            continue;
        }
        out.push_back(StaticSlot{static_cast<std::uint32_t>(stand.standId), offset, chosen->key, chosen->callsign,
                                 chosen->callsign2, chosen->reg,
                                 static_cast<std::uint8_t>(staysNext(*chosen, stand, today, slot) ? 1 : 0)});
        found.add(*chosen);
        gf_markStandsTaken(stand);
    }
}
}  // namespace

void lf_forgetStandName() { g_standNameCache = StandNameCache{}; }

std::string gf_standNameAt(const GeoPoint& position) {
    const std::lock_guard lock(g_standsMutex);
    if (g_stands.empty() || !g_userOnGround.load()) return {};
    StandNameCache& cache = g_standNameCache;
    if (cache.valid && std::abs(position.lat - cache.position.lat) < kSamePositionDegrees &&
        std::abs(position.lon - cache.position.lon) < kSamePositionDegrees)
        return cache.name;
    double best = kNoDistance;
    std::string name;
    for (const Stand& stand : g_stands) {
        const double distance = distanceTo(position, stand);
        if (distance <= kStandNameReachNm && distance < best) {
            best = distance;
            name = stand.name;
        }
    }
    cache = StandNameCache{position, true, name};
    return name;
}

Stand* gf_findStandNear(const GeoPoint& position, const AcBase& aircraft, double maxDistanceNm, bool secondChoice) {
    return catchingAll("gf_findStandNear", static_cast<Stand*>(nullptr), [&]() -> Stand* {
        Stand* first = nullptr;
        Stand* second = nullptr;
        Stand* enlarged = nullptr;
        double bestFirst = kNoDistance, bestSecond = kNoDistance;
        for (Stand& stand : g_stands) {
            if (stand.occupied != 0) continue;
            const double distance = distanceTo(position, stand);
            const double over = aircraft.radiusNm - stand.radius;
            if (distance <= maxDistanceNm && distance < bestFirst) {
                // A stand too small by more than the tolerance is taken only
                // when the aircraft stands right on it; it is then enlarged.
                if (over > kOversizeToleranceNm) {
                    if (distance > kOversizeReachNm) continue;
                    enlarged = &stand;
                }
                first = &stand;
                bestFirst = distance;
                secondChoice = false;
            } else if (secondChoice && distance <= kSecondChoiceReachNm && distance < bestSecond &&
                       over <= kOversizeToleranceNm && !aircraft.callsign.empty() &&
                       usedByCallsignOrModel(stand, aircraft)) {
                second = &stand;
                bestSecond = distance;
            }
        }
        Stand* result = first != nullptr ? first : second;
        if (result == nullptr) return nullptr;
        // A helicopter stand is for a helicopter alone, and a helicopter parks only there.
        if ((result->heli != 0) != (aircraft.sizeCategory == SizeCategory::Rotorcraft)) return nullptr;
        if (result == enlarged) {
            result->radius = aircraft.radiusNm - kNmPerMetre;
            result->radiusChanged = 1;
            gf_noteStandChange();
        }
        return result;
    });
}

void gf_findStandUseForFlight(std::uint64_t daySlot, LiveAc& aircraft) {
    catchingAll("gf_findStandUseForFlight", 0, [&] {
        const std::uint32_t today = gf_weekdayOf(daySlot);
        const std::int64_t slot = gf_slotOf(daySlot);
        const std::int64_t reach = aircraft.sizeCategory == SizeCategory::Heavy ? 14 : 10;
        const HalfHourSet window = slotRange(slot - reach, slot + reach);
        const std::string& callsign = aircraft.callsign;
        const std::string bare = callsign.ends_with('_') ? callsign.substr(0, callsign.size() - 1) : callsign;
        if (bare.empty()) return 0;
        for (const Stand& stand : g_stands) {
            for (const StandUse& use : stand.uses) {
                if (!gf_useCounts(use) || use.day != today || use.key.airlineId != aircraft.modelKey.airlineId ||
                    use.callsign2.empty() || (use.hh & window) == 0)
                    continue;
                if (use.callsign == callsign || use.callsign == bare || use.callsign2 == callsign ||
                    use.callsign2 == bare) {
                    aircraft.prevCallsign = use.callsign;
                    aircraft.spareText = use.callsign2;
                    return 0;
                }
            }
        }
        return 0;
    });
}

bool gf_usedStandOvernight(std::uint64_t daySlot, std::int32_t standId, const AcBase& aircraft) {
    return catchingAll("gf_usedStandOvernight", false, [&] {
        const std::int64_t fit = std::clamp(std::max(g_maxFitHalfHours[0], g_maxFitHalfHours[1]), 0, 47);
        const Stand* stand = standId < 1 ? nullptr : gf_standById(standId);
        if (stand == nullptr) return false;
        const std::uint32_t today = gf_weekdayOf(daySlot);
        const std::int64_t slot = gf_slotOf(daySlot);
        const auto matches = [&](const StandUse& use, std::uint32_t day) {
            return use.day == day && use.reg == aircraft.registration && sameAircraft(use.key, aircraft.modelKey);
        };
        bool matched = false;
        for (const StandUse& use : stand->uses) {
            if (!matches(use, today)) continue;
            matched = true;
            if ((use.hh & slotRange(slot - fit, slot)) != 0) return true;
        }
        if (!matched || slot - fit >= 0) return false;
        const std::int64_t lateSlots = std::min<std::int64_t>(fit - slot, 46);
        const HalfHourSet lateYesterday = slotRange(47 - lateSlots, 47);
        const std::uint32_t yesterday = previousDay(today);
        return std::any_of(stand->uses.begin(), stand->uses.end(),
                           [&](const StandUse& use) { return matches(use, yesterday) && (use.hh & lateYesterday) != 0; });
    });
}

void lf_searchStands(std::uint64_t daySlot, int realMode, int dayMode, std::uint32_t offset,
                     std::vector<StaticSlot>& out) {
    try {
        searchStands(daySlot, realMode, dayMode, offset, out);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: day: {}, offset {}: {}", "lf_searchStands",
                                 fmt::format("[{},{}]", gf_weekdayOf(daySlot), gf_slotOf(daySlot)), offset, e.what()));
    }
}

bool lf_searchStandsStep(const StandUse& use, int realMode, int dayMode, std::uint32_t day, std::uint32_t slot,
                         const Stand& stand) {
    if (!gf_useCounts(use)) return false;
    if (dayMode == 1 && use.day != day) return false;
    if (realMode == 1 && use.real == 0) return false;
    if (realMode == 0 && use.real != 0) return false;
    if (!gf_hasSlot(use.hh, slot)) return false;
    if (stand.heli != 0 && !HELICOPTERS.value) return false;
    if (stand.adjacentTaken != 0) return false;
    for (const std::int32_t neighbourId : stand.adjacentIds) {
        const auto neighbour = std::find_if(g_staticAcs.begin(), g_staticAcs.end(), [&](const AcBase& aircraft) {
            return aircraft.standId == neighbourId && aircraft.lifeState == AcLifeState::active;
        });
        if (neighbour == g_staticAcs.end()) continue;
        const double clearance = hwsp(neighbour->modelKey.modelId) + hwsp(use.key.modelId);
        if (clearance > gf_distanceNm(neighbour->standLat, neighbour->standLon, stand.latitude, stand.longitude))
            return false;
    }
    return true;
}

void lf_orderCandidates(std::vector<std::int32_t>& candidates, const Stand& stand) {
    if (candidates.size() < 2 || !RANDOM.value) return;
    for (const AcBase& aircraft : g_staticAcs) {
        if (aircraft.standId != stand.standId) continue;
        for (const StandUse& use : stand.uses) {
            if (!sameAircraft(use.key, aircraft.modelKey)) continue;
            if (use.callsign + "*" != aircraft.callsign && use.callsign2 + "*" != aircraft.callsign) continue;
            std::erase(candidates, use.active);
            candidates.insert(candidates.begin(), use.active);
            return;
        }
    }
    gf_shuffle(candidates);
}

StandSearchIndex::StandSearchIndex() : outer_(g_searchIndex) {
    staticFirstCallsigns_.reserve(g_staticAcs.size());
    staticRegs_.reserve(g_staticAcs.size());
    for (const AcBase& aircraft : g_staticAcs) {
        staticFirstCallsigns_.insert(aircraft.prevCallsign);
        staticRegs_.insert(aircraft.registration);
    }
    texts_.insert(g_staticCallsigns.texts.begin(), g_staticCallsigns.texts.end());
    g_searchIndex = this;
}

StandSearchIndex::~StandSearchIndex() { g_searchIndex = outer_; }

void StandSearchIndex::followSchedule() {
    const auto& slots = g_staticSlots;
    // Moved or shrunk: the texts are taken anew (the views would be stale).
    if (slots.data() != slotsData_ || slots.size() < slotsIndexed_) {
        slotCallsigns_.clear();
        slotRegs_.clear();
        slotsIndexed_ = 0;
        slotsData_ = slots.data();
    }
    for (; slotsIndexed_ < slots.size(); ++slotsIndexed_) {
        slotCallsigns_.insert(slots[slotsIndexed_].callsign);
        slotRegs_.insert(slots[slotsIndexed_].reg);
    }
}

bool StandSearchIndex::taken(const StandUse& use) {
    followSchedule();
    // Texts compare exactly: two empty texts are equal. The static aircraft
    // come first: a use is most often taken by the static standing for it.
    if (holds(staticFirstCallsigns_, use) || staticRegs_.contains(use.reg)) return true;
    for (const std::string* callsign : {&use.callsign, &use.callsign2})
        if (!callsign->empty() && lf_callsignInSet(g_staticCallsigns.set, *callsign)) return true;
    return holds(slotCallsigns_, use) || slotRegs_.contains(use.reg) || holds(texts_, use);
}

StandSearchIndex::StandHours StandSearchIndex::hoursOf(const Stand& stand) {
    StandHours hours{};
    for (const StandUse& use : stand.uses) {
        if (!gf_useCounts(use)) continue;
        const std::size_t kind = use.real != 0 ? 1 : 0;
        hours[std::min<std::size_t>(use.day, kOtherDays) * 2 + kind] |= use.hh;
        hours[kAllDays * 2 + kind] |= use.hh;
    }
    return hours;
}

StandSearchIndex::StandEntry& StandSearchIndex::entryOf(const Stand& stand) {
    if (g_stands.data() != standsData_ || g_stands.size() != standEntries_.size()) {
        standEntries_.assign(g_stands.size(), StandEntry{});  // a new stand table
        standHours_.clear();
        standHours_.reserve(g_stands.size());
        standsData_ = g_stands.data();
    }
    return standEntries_[static_cast<std::size_t>(&stand - g_stands.data())];
}

void StandSearchIndex::sum(StandEntry& entry, const Stand& stand) {
    if (entry.state != StandEntry::summed) {
        entry.hours = static_cast<std::uint32_t>(standHours_.size());
        standHours_.emplace_back();
        entry.state = StandEntry::summed;
    }
    standHours_[entry.hours] = hoursOf(stand);
}

bool StandSearchIndex::mayOffer(const Stand& stand, int realMode, int dayMode, std::uint32_t day, std::uint32_t slot) {
    StandEntry& entry = entryOf(stand);
    // A stand is summed only when the search comes back to it: most stands
    // are searched once.
    if (entry.state == StandEntry::unseen) {
        entry.state = StandEntry::seen;
        return true;
    }
    if (entry.state == StandEntry::seen) sum(entry, stand);
    const StandHours& hours = standHours_[entry.hours];
    // Days past 7 share a bucket: it is asked whenever any of them is.
    const std::size_t days = (dayMode == 1 ? std::min<std::size_t>(day, kOtherDays) : kAllDays) * 2;
    HalfHourSet set = 0;
    if (realMode != 1) set |= hours[days];
    if (realMode != 0) set |= hours[days + 1];
    return gf_hasSlot(set, slot);
}

// Its uses were just read: summing them now costs little.
void StandSearchIndex::noteConsumed(const Stand& stand) { sum(entryOf(stand), stand); }

bool lf_isUseTaken(const StandUse& use) {
    if (g_searchIndex != nullptr) return g_searchIndex->taken(use);
    const auto& slots = g_staticSlots;
    if (!use.reg.empty() &&
        std::any_of(slots.begin(), slots.end(), [&](const StaticSlot& slot) { return slot.reg == use.reg; }))
        return true;
    for (const std::string* callsign : {&use.callsign, &use.callsign2})
        if (!callsign->empty() && lf_callsignInSet(g_staticCallsigns.set, *callsign)) return true;
    // From here on texts compare exactly: two empty texts are equal.
    const auto isUsesCallsign = [&use](const std::string& text) { return text == use.callsign || text == use.callsign2; };
    if (std::any_of(g_staticAcs.begin(), g_staticAcs.end(), [&](const AcBase& aircraft) {
            return isUsesCallsign(aircraft.prevCallsign) || aircraft.registration == use.reg;
        }))
        return true;
    if (std::any_of(slots.begin(), slots.end(),
                    [&](const StaticSlot& slot) { return isUsesCallsign(slot.callsign) || slot.reg == use.reg; }))
        return true;
    const auto& texts = g_staticCallsigns.texts;
    return std::any_of(texts.begin(), texts.end(), isUsesCallsign);
}

bool lf_callsignInSet(const std::unordered_set<std::string, FnvHash, std::equal_to<>>& set, const std::string& callsign) {
    return set.contains(callsign) || set.contains(callsign + "_");
}

std::uint64_t gf_countParkedInWeek(bool withMeanTime) {
    return catchingAll("gf_countParkedInWeek", std::uint64_t{0}, [&] {
        const std::uint64_t now = g_daySlot.load();
        const std::uint32_t nowDay = gf_weekdayOf(now);
        const std::uint32_t nowSlot = gf_slotOf(now);
        std::uint64_t count = 0;
        std::int64_t halfHours = 0;
        for (const AcBase& aircraft : g_staticAcs) {
            if (!isParkedState(aircraft)) continue;
            ++count;
            const std::uint32_t day = gf_weekdayOf(aircraft.parkedAt);
            const std::uint32_t slot = gf_slotOf(aircraft.parkedAt);
            // An aircraft parked late in the previous week counts, but adds no time.
            if (weekIndex(day, slot) <= weekIndex(nowDay, nowSlot) || aircraft.parkedAt == now)
                halfHours += (static_cast<std::int64_t>(nowDay) - day) * kHalfHoursPerDay - slot + nowSlot;
        }
        if (!withMeanTime || g_staticCallsigns.building) return count;
        const float mean =
            count == 0 ? 0.0F : static_cast<float>(static_cast<double>(halfHours) / (2.0 * count) + 0.5);
        const float shown = g_meanParkedHours.load();
        if (mean != shown || std::isnan(mean) || std::isnan(shown)) {
            g_meanParkedHours = mean;
            platform::invalidateBand(kStatisticsBand);
        }
        return count;
    });
}
