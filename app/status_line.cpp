#include "app/status_line.h"

#include <fmt/format.h>

#include <algorithm>

#include "app/run_jobs.h"
#include "app/state.h"
#include "app/window_bands.h"
#include "app/window_messages.h"
#include "foundation/log.h"
#include "platform/window_host.h"
#include "traffic/state.h"

std::mutex g_statusMutex;
std::string g_statusText;
std::string g_errorText;
std::int32_t g_statusSetAt = 0;
std::atomic<std::int32_t> g_statusClock{0};

void gf_setStatus(const std::string& text, bool log) {
    {
        const std::lock_guard lock(g_statusMutex);
        if (!g_errorText.empty()) return;
        g_statusText = text;
        g_statusSetAt = text.empty() ? 0 : std::max(1, g_statusClock.load());
    }
    if (log && !text.empty()) gf_log(text);
    platform::postAppMessage(WM_APP_STATUS);
}

void gf_clearStatus() { gf_setStatus(std::string(), false); }

void gf_setError(const std::string& text) {
    {
        const std::lock_guard lock(g_statusMutex);
        g_statusText.clear();
        g_statusSetAt = 0;
        g_errorText = text;
        // Logged under the status mutex: the lock order is status before log.
        gf_log(fmt::format("Error {}", text));
    }
    platform::postAppMessage(WM_APP_STATUS);
}

void lf_advanceStatusClock() {
    const std::int32_t clock = g_statusClock.fetch_add(1) + 1;
    bool expired = false;
    {
        const std::lock_guard lock(g_statusMutex);
        expired = g_statusSetAt >= 1 && clock - g_statusSetAt >= kStatusLifetime;
    }
    if (expired) gf_clearStatus();
}

void gf_clearError() {
    {
        const std::lock_guard lock(g_statusMutex);
        g_errorText.clear();
    }
    platform::postAppMessage(WM_APP_STATUS);
}

void gf_resetStatusLine() {
    {
        const std::lock_guard lock(g_statusMutex);
        g_statusText.clear();
        g_errorText.clear();
        g_statusSetAt = 0;
    }
    g_statusClock.store(0);
}

std::string gf_statusLineText() {
    const std::lock_guard lock(g_statusMutex);
    return g_errorText.empty() ? g_statusText : g_errorText;
}

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
