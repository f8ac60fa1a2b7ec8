#include "traffic/static_schedule.h"

#include <fmt/format.h>

#include <gsl/narrow>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "airports/airport_services.h"
#include "airports/stand_search.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "rtlink/traffic_feed.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/state.h"

namespace {
constexpr std::size_t kScheduleReserve = 512;

double slotHours(std::uint32_t slot) { return slot / 2.0; }

std::int64_t takenStands() {
    return std::count_if(g_stands.begin(), g_stands.end(), [](const Stand& stand) { return stand.taken != 0; });
}

void repaintStatistics() { platform::invalidateBand(kStatisticsBand); }

void logKindLine(std::int64_t found, std::uint64_t daySlot, bool real, bool today, std::uint32_t fit) {
    const std::uint32_t slot = gf_slotOf(daySlot);
    gf_log(fmt::format("{} {} position{} found, Max fit={:.1F} hours{}{}", found, lf_kindName(real, today),
                       gf_plural(found), AMAX_FIT_FL.value.load(),
                       today ? fmt::format(", day {}", gf_weekdayOf(daySlot)) : std::string(),
                       fmt::format(", hh:{} or {:.1F} hrs, fit: {:.1F} hour", slot, slotHours(slot),
                                   gf_maxFitToFloat(static_cast<std::int32_t>(fit)))));
}

std::int64_t signedSize(std::size_t size) { return static_cast<std::int64_t>(size); }
}  // namespace

std::string_view lf_kindName(bool real, bool today) {
    if (real) return today ? "real" : "week/real";
    return today ? "soft" : "week/soft";
}

std::uint64_t lf_wantedStaticCount() {
    const std::int32_t most = MAX_PARK_SEL.value;
    const std::int32_t percentage =
        CUSTOM_PARKING_PERCENTAGE.value >= 0 ? CUSTOM_PARKING_PERCENTAGE.value.load() : parking_percentage.value.load();
    if (most <= 0) {
        g_maxPark = 0;
        g_maxParkPercent = parking_percentage.value.load();
        repaintStatistics();
        return 0;
    }
    const std::int64_t stands = signedSize(g_stands.size());
    std::int32_t share = 1;
    // One static aircraft at the smallest airports, whatever the percentage.
    if (stands > 1 && (stands > 3 || percentage >= 50))
        share = gsl::narrow<std::int32_t>(std::round(percentage * static_cast<double>(stands) / 100.0));
    const std::int32_t wanted = std::min(most, share);
    g_maxPark = wanted;
    g_maxParkPercent =
        stands < 1 ? 0 : static_cast<std::int32_t>(std::lround(wanted * 100.0 / static_cast<double>(stands)));
    repaintStatistics();
    return static_cast<std::uint64_t>(std::max(wanted, 0));
}

bool lf_scheduleLine(std::uint64_t daySlot, bool real, bool today, std::uint64_t wanted, std::vector<StaticSlot>& out) {
    const std::int64_t takenBefore = takenStands();
    const std::uint32_t maxFit = static_cast<std::uint32_t>(std::clamp(MAX_FIT.value.load(), 0, 47));
    bool reached = false;
    std::uint32_t fit = 0;
    for (;; ++fit) {
        lf_searchStands(daySlot, real ? 1 : 0, today ? 1 : 0, fit, out);
        if (takenStands() >= static_cast<std::int64_t>(wanted)) {
            reached = true;
            break;
        }
        g_staticSlots.insert(g_staticSlots.end(), std::make_move_iterator(out.begin()),
                             std::make_move_iterator(out.end()));
        out.clear();
        if (fit >= maxFit) break;
    }
    if (real) {
        g_maxFitHalfHours = {static_cast<std::int32_t>(fit), -1};
    } else {
        g_maxFitHalfHours[1] = static_cast<std::int32_t>(fit);
    }
    const std::int64_t found = takenStands() - takenBefore;
    if (found >= 1) {
        logKindLine(found, daySlot, real, today, fit);
        if (!real) g_staticPassShown = true;
        if (!today) g_weekPassShown = true;
        repaintStatistics();
    }
    return reached;
}

void lf_shuffleAndTrimSlots(std::int64_t excess, std::vector<StaticSlot>& records) {
    if (RANDOM.value) std::shuffle(records.begin(), records.end(), g_rng);
    records.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, signedSize(records.size()) - excess)));
}

void lf_buildStaticSlots(std::uint64_t daySlot, std::uint64_t wanted, std::uint64_t placed, bool real, bool today) {
    std::vector<StaticSlot> batch;
    batch.reserve(kScheduleReserve);
    const auto surplus = [&](std::size_t more) {
        return signedSize(g_staticSlots.size() + more) - static_cast<std::int64_t>(wanted) +
               static_cast<std::int64_t>(placed);
    };
    if (lf_scheduleLine(daySlot, real, today, wanted, batch)) {
        // The last widening step may find more stands than wanted: which of
        // them stay is left to chance (with RANDOM on), not to the stand order.
        const std::int64_t excess = surplus(batch.size());
        if (excess >= 1 && !batch.empty()) lf_shuffleAndTrimSlots(excess, batch);
        g_staticSlots.insert(g_staticSlots.end(), std::make_move_iterator(batch.begin()),
                             std::make_move_iterator(batch.end()));
    }
    // With more aircraft already placed than wanted the excess can pass the
    // schedule's size: only what is there is dropped.
    const std::int64_t excess = std::min(surplus(0), signedSize(g_staticSlots.size()));
    if (excess >= 1) g_staticSlots.resize(g_staticSlots.size() - static_cast<std::size_t>(excess));
}

void lf_buildAllStaticSlots(std::uint64_t daySlot, std::uint64_t wanted, std::uint64_t placed) {
    g_maxFitHalfHours = {0, -1};
    // The static aircraft and the callsign snapshot stay as they are meanwhile.
    const StandSearchIndex taken;
    const auto stillWanted = [&] { return wanted > g_staticSlots.size() + placed; };
    lf_buildStaticSlots(daySlot, wanted, placed, true, true);
    if (WEEK.value && stillWanted()) lf_buildStaticSlots(daySlot, wanted, placed, true, false);
    if (PARK_SOFT.value && stillWanted()) lf_buildStaticSlots(daySlot, wanted, placed, false, true);
    if (WEEK.value && PARK_SOFT.value && stillWanted()) lf_buildStaticSlots(daySlot, wanted, placed, false, false);
}

std::uint64_t lf_dayLine() {
    const std::uint64_t daySlot = g_daySlot.load();
    const std::uint32_t day = gf_weekdayOf(daySlot);
    gf_log(fmt::format("\n{} (utc) It is day {} ({}), {:.1F} hours", gf_simClockText(), day,
                       gf_weekdayName(static_cast<int>(day)), slotHours(gf_slotOf(daySlot))));
    return daySlot;
}

void lf_staticsBookkeeping() {
    StaticCallsigns& snapshot = g_staticCallsigns;
    snapshot.set.clear();
    snapshot.texts.clear();
    for (const std::string& callsign : g_trafficFeed.takeCallsigns()) {
        snapshot.set.insert(callsign);
        snapshot.texts.push_back(callsign);
    }
}

void lf_clearStandMarks() {
    for (Stand& stand : g_stands) {
        stand.taken = 0;
        stand.adjacentTaken = 0;
        stand.excluded = 0;
    }
}

void lf_reserveStands() {
    const std::string& reserved = g_reservedStand;
    const auto reserve = [](const std::string& name) {
        const auto stand =
            std::find_if(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.name == name; });
        if (stand != g_stands.end()) stand->excluded = 1;
    };
    if (!reserved.empty()) reserve(reserved);
    const UserState user = gf_copyUserState();
    const std::string userStand = gf_standNameAt(GeoPoint{user.lat, user.lon});
    if (!userStand.empty() && userStand != reserved) reserve(userStand);
}

void lf_computeStatics() {
    const std::uint64_t daySlot = lf_dayLine();
    gf_lockSettings();
    g_staticSlots.clear();
    g_staticPlacements.clear();
    g_liveParkedList.clear();
    g_meanParkedHours = -1.0F;
    g_liveMeanParkedHours = -1.0F;
    g_staticPassShown = false;
    g_weekPassShown = false;
    repaintStatistics();

    lf_staticsBookkeeping();
    g_staticCallsigns.building = true;
    lf_clearStandMarks();
    lf_reserveStands();
    const std::uint64_t wanted = lf_wantedStaticCount();
    if (wanted > 0) lf_buildAllStaticSlots(daySlot, wanted, 0);

    std::sort(g_staticSlots.begin(), g_staticSlots.end(),
              [](const StaticSlot& a, const StaticSlot& b) { return a.offset < b.offset; });
    if (g_staticSlots.size() > wanted) g_staticSlots.resize(static_cast<std::size_t>(wanted));
    if (g_staticSlots.empty()) {
        gf_log("no parking positions found");
        gf_unlockSettings();
        return;
    }
    const std::size_t count = g_staticSlots.size();
    gf_log(fmt::format("{} positions ({}% vs wanted {}%, with Max fit={:.1F} hours)\n", count,
                       std::lround(static_cast<double>(count) * 100.0 / static_cast<double>(g_stands.size())),
                       parking_percentage.value.load(), AMAX_FIT_FL.value.load()));
    // The best fit is taken first, from the back.
    std::sort(g_staticSlots.begin(), g_staticSlots.end(),
              [](const StaticSlot& a, const StaticSlot& b) { return a.offset > b.offset; });
}
