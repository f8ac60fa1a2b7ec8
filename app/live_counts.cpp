#include "app/live_counts.h"

#include <algorithm>
#include <cstdint>

#include "app/run_jobs.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "platform/window_host.h"
#include "traffic/state.h"

void lf_refreshLiveCounts() {
    const std::uint64_t parked = g_runJobs.countParkedLiveAcs(true);
    const auto live = static_cast<std::uint64_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.lifeState == AcLifeState::active && ac.phase != AcPhase::parked;
    }));
    if (g_liveCount.exchange(live) != live) platform::invalidateBand(kIndicatorsBand);
    const std::uint64_t statics = g_runJobs.countParkedInWeek(true);
    if (statics != g_staticCount.load() || parked != g_parkedLiveCount.load()) {
        g_staticCount = statics;
        g_parkedLiveCount = parked;
        platform::invalidateBand(kStatisticsBand);
    }
}
