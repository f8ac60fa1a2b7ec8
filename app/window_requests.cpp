#include "app/window_requests.h"

#include <algorithm>
#include <cstdint>

#include "app/run_jobs.h"
#include "app/services/state.h"
#include "settings/settings.h"
#include "traffic/state.h"

namespace {
// Any larger distance wins: the farthest active aircraft goes.
constexpr double kNoMinimumDistance = -1.0;

std::int64_t activeLiveCount() {
    return std::count_if(g_liveAcs.begin(), g_liveAcs.end(),
                         [](const LiveAc& ac) { return ac.lifeState == AcLifeState::active; });
}

void lf_setParkedNavLights(std::uint32_t state) {
    for (const AcBase& aircraft : g_staticAcs)
        if (aircraft.lifeState == AcLifeState::active) g_runJobs.queueNavLights(aircraft.objectId, state);
    for (const LiveAc& aircraft : g_liveAcs)
        if (aircraft.lifeState == AcLifeState::active && aircraft.phase == AcPhase::parked)
            g_runJobs.queueNavLights(aircraft.objectId, state);
}

void lf_meetMaxLive() {
    const std::int64_t excess = activeLiveCount() - MAX_LIVE_SEL.value.load();
    for (std::int64_t i = 0; i < excess; ++i)
        if (g_runJobs.removeFarthestAc(kNoMinimumDistance)) break;  // none was left to remove
}
}  // namespace

void lf_runWindowRequests() {
    for (const ParkAirportAdd& add : gf_takeParkAirportAdds()) g_runJobs.addParkAirport(add.code, add.position);
    const std::int32_t lights = g_navLightsRequest.exchange(kNoNavLightsRequest);
    if (lights != kNoNavLightsRequest) lf_setParkedNavLights(static_cast<std::uint32_t>(lights));
    if (g_maxLiveCheckRequest.exchange(false)) lf_meetMaxLive();
}
