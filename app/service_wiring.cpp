#include "app/service_wiring.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/text_files.h"
#include "foundation/time_texts.h"
#include "rtlink/state.h"

namespace {
// The latest traffic timestamp while RealTraffic reports level 2. The value
// came from a datagram: anything that is not a plausible time (before 1970 or
// after the year 9999) counts as no time at all.
std::int64_t level2TrafficTime() {
    if (!g_rtLevel2.load()) return 0;
    const double time = g_trafficTime.load();
    constexpr double kLastSecond = 253402300799.0;  // 9999-12-31 23:59:59
    if (!std::isfinite(time) || time < 0.0 || time > kLastSecond) return 0;
    return static_cast<std::int64_t>(time);
}

void reportReadFailure(const std::string& text) { gf_setStatus(text, true); }
}  // namespace

void gf_connectFoundation() {
    gf_setLogStopCheck(&gf_stopping);
    gf_setReadFailureReport(&reportReadFailure);
    gf_setTrafficTimeSource(&level2TrafficTime);
}
