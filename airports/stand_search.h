// The stand search over the park airport's stand table: the stand at a
// position, a stand for an arriving aircraft, the learned use of a flight,
// the schedule of static parked aircraft and their count. The operations
// the traffic engine calls are declared in airports/airport_services.h; these
// are their steps. Traffic thread, no lock (gf_standNameAt apart).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "airports/half_hours.h"
#include "airports/stands.h"
#include "foundation/fnv.h"

// Distances of the search, in nautical miles.
inline constexpr double kStandNameReachNm = 55.0 * kNmPerMetre;
inline constexpr double kOversizeToleranceNm = 1.8 * kNmPerMetre;
inline constexpr double kOversizeReachNm = 20.0 * kNmPerMetre;
inline constexpr double kSecondChoiceReachNm = 85.0 * kNmPerMetre;

// The use fits the searched day and half-hour, the modes, the helicopter
// setting, and no neighbouring static aircraft is in its way.
bool lf_searchStandsStep(const StandUse& use, int realMode, int dayMode, std::uint32_t day, std::uint32_t slot,
                         const Stand& stand);
// With RANDOM on and two or more candidates: the use of the static aircraft
// already on the stand comes first, else the candidates are shuffled.
void lf_orderCandidates(std::vector<std::int32_t>& candidates, const Stand& stand);
// An aircraft of this use is scheduled, collected or parked already.
bool lf_isUseTaken(const StandUse& use);

// What the stand search asks again and again while one schedule is built,
// answered from indexes made once. While one lives:
// - lf_isUseTaken answers from sets instead of walking the static aircraft,
//   the schedule and the collected callsigns for every use: the static
//   aircraft and the callsigns are taken when it is made (they must not
//   change while it lives), the schedule is followed as it grows or shrinks;
// - a widening step passes over a stand none of whose countable uses has the
//   searched half-hour for the searched weekday and kind (a use's day, kind
//   and half-hours must not change while it lives; the search tells it when
//   it consumes one).
// The traffic thread makes one around each schedule build.
class StandSearchIndex {
public:
    StandSearchIndex();
    ~StandSearchIndex();
    StandSearchIndex(const StandSearchIndex&) = delete;
    StandSearchIndex& operator=(const StandSearchIndex&) = delete;

    bool taken(const StandUse& use);
    // False when no countable use of the stand passes lf_searchStandsStep's
    // tests of day, kind and half-hour.
    bool mayOffer(const Stand& stand, int realMode, int dayMode, std::uint32_t day, std::uint32_t slot);
    // One of the stand's uses was consumed.
    void noteConsumed(const Stand& stand);

private:
    using TextSet = std::unordered_set<std::string_view>;
    static bool holds(const TextSet& set, const StandUse& use) {
        return set.contains(use.callsign) || set.contains(use.callsign2);
    }
    void followSchedule();
    // The half-hours of a stand's countable uses by weekday 0..7 (8: any
    // other; 9: all days together) and kind (soft 0, real 1).
    static constexpr std::size_t kOtherDays = 8, kAllDays = 9;
    using StandHours = std::array<HalfHourSet, (kAllDays + 1) * 2>;
    static StandHours hoursOf(const Stand& stand);
    struct StandEntry {
        enum State : std::uint8_t { unseen, seen, summed } state = unseen;
        std::uint32_t hours = 0;  // its place in standHours_ once summed
    };
    StandEntry& entryOf(const Stand& stand);
    void sum(StandEntry& entry, const Stand& stand);

    TextSet staticFirstCallsigns_, staticRegs_, texts_;
    TextSet slotCallsigns_, slotRegs_;
    const StaticSlot* slotsData_ = nullptr;
    std::size_t slotsIndexed_ = 0;
    std::vector<StandEntry> standEntries_;  // by position in g_stands
    std::vector<StandHours> standHours_;    // of the stands summed so far
    const Stand* standsData_ = nullptr;
    StandSearchIndex* outer_ = nullptr;
};
// The callsign, or the callsign with "_" appended, is in the set.
bool lf_callsignInSet(const std::unordered_set<std::string, FnvHash, std::equal_to<>>& set, const std::string& callsign);
// Forgets gf_standNameAt's last answer (the table changed); g_standsMutex held.
void lf_forgetStandName();
