// Learning the real use of the park airport's stands from the live aircraft
// that stand on them (lf_addRealStandOption and gf_noteStandChange are
// declared in airports/airport_services.h).
#pragma once

#include <cstdint>
#include <string>

#include "airports/stands.h"

struct AcBase;

// The traffic engine's two operations on a stand's learned uses that the
// learning calls: the program binds the engine's own, tests bind fakes.
struct SlotTableOps {
    bool (*updateSlotTable)(Stand& stand, const ModelKey& fallbackKey, std::uint64_t daySlot, const std::string& callsign,
                            const std::string& registration, bool cpl);
    bool (*slotFits)(std::uint64_t daySlot, Stand& stand, std::int32_t useNumber, std::uint64_t useDaySlot,
                     AcBase& aircraft, const std::string& registration, bool cpl);
};
extern SlotTableOps g_slotTableOps;  // traffic thread; replaced by tests only while no run goes
