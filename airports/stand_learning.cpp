#include "airports/stand_learning.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <exception>

#include "airports/airport_services.h"
#include "airports/half_hours.h"
#include "airports/stand_file.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "platform/window_host.h"
#include "refdata/registrations.h"
#include "traffic/engine_jobs.h"
#include "traffic/state.h"

SlotTableOps g_slotTableOps{gf_updateSlotTable, gf_slotFits};

namespace {
// Modes 2 (a landed aircraft parks) and 3 (a parked aircraft's samples are
// checked) confirm the use they create or find.
bool confirms(int mode) { return mode == 2 || mode == 3; }


void addRealStandOption(std::int32_t standId, LiveAc& aircraft, int mode) {
    std::string registration = aircraft.registration;
    if (registration.empty()) return;
    if (registration.ends_with('_')) registration.pop_back();
    const std::optional<RegCodes> codes = gf_findRegistration(registration);
    if (!codes) return;
    aircraft.modelKey = lf_keyOf(*codes);
    Stand* stand = standId < 1 ? nullptr : gf_standById(standId);
    if (stand == nullptr) return;
    const std::uint64_t now = g_daySlot.load();
    const std::uint32_t today = gf_weekdayOf(now);
    const std::uint32_t slot = gf_slotOf(now);
    const bool cpl = confirms(mode);
    const auto addUse = [&] {
        g_slotTableOps.updateSlotTable(*stand, aircraft.modelKey, now, aircraft.callsign, registration, cpl);
    };
    const auto realUseOf = [&](const StandUse& use, std::int32_t fromAirportFile) {
        return gf_useCounts(use) && use.day == today && use.reg == registration && use.real == 1 &&
               use.fromAirportFile == fromAirportFile;
    };
    // The airport file knows this aircraft here today at other half-hours:
    // what it sees now is not its regular use.
    if (std::any_of(stand->uses.begin(), stand->uses.end(),
                    [&](const StandUse& use) { return realUseOf(use, 1) && !gf_hasSlot(use.hh, slot); }))
        return;
    const auto learned =
        std::find_if(stand->uses.begin(), stand->uses.end(), [&](const StandUse& use) { return realUseOf(use, 0); });
    if (learned == stand->uses.end()) return addUse();
    if (learned->cpl != 0 && !gf_hasSlot(learned->hh, slot)) return addUse();
    if (gf_hasSlot(learned->hh, slot)) {
        if (cpl) learned->cpl = 1;
        return;
    }
    if (learned->hh == 0) return;
    const std::uint32_t lastSlot = 63 - static_cast<std::uint32_t>(std::countl_zero(learned->hh));
    if (cpl) learned->cpl = 1;
    // The engine's calls may add uses to the stand and so move its elements:
    // nothing of the learned use is touched after them.
    const std::int32_t useNumber = learned->active;
    const std::uint64_t lastSeen = gf_packDaySlot(learned->day, lastSlot);
    if (!g_slotTableOps.slotFits(now, *stand, useNumber, lastSeen, aircraft, registration, cpl)) return addUse();
    gf_noteStandChange();
}
}  // namespace

void lf_addRealStandOption(std::int32_t standId, LiveAc& aircraft, int mode) {
    try {
        addRealStandOption(standId, aircraft, mode);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: hh_now: {}, {}", "lf_addRealStandOption", gf_slotOf(g_daySlot.load()), e.what()));
    }
}

void gf_noteStandChange() {
    ++g_airportFileUpdates;
    const std::uint32_t count = ++g_standUseUpdates;
    if (g_standChangeShown.exchange(count) != count) platform::invalidateBand(kStatisticsBand);
}
