#include "traffic/ai_controls.h"

#include <array>
#include <random>

#include "foundation/log.h"
#include "foundation/random.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "traffic/aircraft_records.h"

namespace {

constexpr std::array<std::uint32_t, 5> kFlapsValues = {0, 3072, 10240, 16383, 0};
constexpr std::array<std::uint32_t, 5> kThrottleValues = {0, 4914, 8191, 11468, 16383};
constexpr std::uint32_t kSpoilersExtended = 16383;

bool isRotorcraft(const AcBase& aircraft) { return aircraft.sizeCategory == SizeCategory::Rotorcraft; }

// Nine cases in ten with RANDOM on; always without it.
std::uint32_t parkedCabinLights(const AcBase& aircraft) {
    if (aircraft.standCargo != 0) return 0;
    if (!RANDOM.value.load()) return 1;
    std::uniform_int_distribution<int> tenth(0, 9);
    return tenth(g_rng) <= 8 ? 1 : 0;
}

}  // namespace

void gf_setFlaps(AcBase& aircraft, std::uint32_t index) {
    if (index == aircraft.lastFlaps || isRotorcraft(aircraft)) return;
    if (index < kFlapsValues.size())
        gf_queueSimEvent(aircraft.objectId, EVT_FLAPS_SET, kFlapsValues[index]);
    else
        gf_logMarked("gf_setFlaps: invalid flaps index");
    aircraft.lastFlaps = index;
}

void gf_setThrottle(AcBase& aircraft, std::uint32_t index) {
    if (index == aircraft.lastThrottle) return;
    if (index < kThrottleValues.size()) gf_queueSimEvent(aircraft.objectId, EVT_THROTTLE_SET, kThrottleValues[index]);
    aircraft.lastThrottle = index;
}

void gf_setSpoilers(AcBase& aircraft, std::uint32_t value) {
    if (isRotorcraft(aircraft)) return;
    gf_queueSimEvent(aircraft.objectId, EVT_SPOILERS_SET, value > 0 ? kSpoilersExtended : 0);
}

void gf_setGear(AcBase& aircraft, std::uint32_t value) {
    if (isRotorcraft(aircraft)) return;
    gf_queueSimEvent(aircraft.objectId, EVT_GEAR_SET, value);
}

void lf_resetAcConfig(AcBase& aircraft) {
    gf_setThrottle(aircraft, 0);
    gf_setFlaps(aircraft, 0);
    gf_queueEngineShutdown(aircraft.objectId);
    gf_queueLights(aircraft.objectId, NAV_LIGHTS_WHILE_PARKED.value.load() ? 1 : 0, 0, 0, 0, 0, 1,
                   parkedCabinLights(aircraft));
}
