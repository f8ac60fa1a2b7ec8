// The start-up's second half: the simulator client thread, the wait for the
// simulator and the user aircraft, the RealTraffic command link, the two
// readers and the wait for the first traffic.
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>

#include "app/auto_radius.h"
#include "app/run_jobs.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/start_up.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "rtlink/state.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "simlink/state.h"

namespace {

void repaintIndicators() { platform::invalidateBand(kIndicatorsBand); }

bool positionKnown(const GeoPoint& position) {
    return std::fabs(position.lat) > 0.0001 || std::fabs(position.lon) > 0.0001;
}

bool userPositionKnown() { return positionKnown(g_runJobs.userAircraft().position); }

// Sleeps one poll step unless a stop or close was requested; false then.
bool pollStep(SteadyTime step) {
    if (gf_stopping()) return false;
    g_runClock.sleepFor(step);
    return true;
}

// Sleeps until the time in poll steps of 100 ms; false as soon as a stop or close is requested.
bool sleepUntilUnlessStopping(SteadyTime until) {
    for (SteadyTime now = g_runClock.now(); now < until; now = g_runClock.now())
        if (!pollStep(std::min(kTrafficPollStep, until - now))) return false;
    return !gf_stopping();
}

// The latest traffic timestamp's whole seconds are not 0 any more. The value
// came in a datagram, so it is compared, never converted: a huge one would
// not fit an integer.
bool trafficCame() { return std::fabs(g_trafficTime.load()) >= 1.0; }

// Up to 150 polls of 100 ms for the first traffic datagram; false when a stop or close came first.
bool lf_waitForFirstTraffic() {
    for (int poll = 0; !trafficCame(); ++poll) {
        if (poll == kTrafficPolls) {
            gf_log("No traffic in this region?");
            return !gf_stopping();
        }
        if (!pollStep(kTrafficPollStep)) return false;
    }
    gf_log(fmt::format("{} First traffic received", gf_utcClockText()));
    return !gf_stopping();
}

// The simulator's UTC time: the simulator link keeps it only once level 2 is
// known, which is after the user aircraft's first block came; a fresh block
// brings it. 0 when none came within a second or a stop came first.
std::int64_t lf_freshSimTime() {
    RunJobs& jobs = g_runJobs;
    jobs.requestUserPosition();
    for (int poll = 0; jobs.simTimeEpoch() < 1 && poll < kSimTimePolls; ++poll)
        if (!pollStep(kSimPollStep)) break;
    return jobs.simTimeEpoch();
}

// The command link's part of the workers; RealTraffic counts as up at once
// when it runs elsewhere or AEROWINX is on.
void lf_startRealTraffic() {
    if (AEROWINX.value) {
        g_rtLevel2 = false;
        return;
    }
    if (g_rtLocal) lf_waitForRealTraffic();
    if (g_rtLevel2) g_runJobs.sendRtProRequest(lf_freshSimTime());
}

}  // namespace

bool lf_startWorkers() {
    RunJobs& jobs = g_runJobs;
    g_rtActive = false;
    repaintIndicators();
    g_simConnected = false;
    repaintIndicators();
    jobs.reserveTrafficTables();
    jobs.initSimQueues(P3D_VERSION.value);
    repaintIndicators();
    jobs.startSimClient();
    if (!lf_requestUserAcState()) return false;
    if (AUTO_RANGE.value) lf_autoRadius();

    const bool commandLink = g_rtLocal && !AEROWINX.value;
    if (commandLink) {
        jobs.openRtServer(PORT_NUMBER.value.get());
    } else {
        g_rtActive = true;
        repaintIndicators();
    }
    if (gf_stopping()) return false;
    g_rtDisplayBlocked = false;
    repaintIndicators();
    lf_startRealTraffic();
    // Without the command link there is nothing to wait for: the run has its RealTraffic.
    if (!commandLink) g_awaitingRealTraffic = false;
    if (gf_stopping()) return false;

    {
        const std::lock_guard lock(g_addingStackMutex);
        g_acceptTraffic = false;
    }
    jobs.startQnhReader();
    if (!sleepUntilUnlessStopping(g_runClock.now() + kReaderStartGap)) return false;
    jobs.startTrafficReader(g_rtLocal);
    jobs.sendRtAreaRequest();
    gf_setTrafficRefPos(jobs.userAircraft().position);
    if (!lf_waitForFirstTraffic()) return false;
    g_daySlot = gf_dayAndHalfHour();
    return true;
}

bool lf_requestUserAcState() {
    RunJobs& jobs = g_runJobs;
    while (!jobs.isSimRunning() || jobs.hasSimError())
        if (!pollStep(kSimPollStep)) return false;
    jobs.requestUserOnGround();
    while (!jobs.isUserOnGroundKnown() || !userPositionKnown()) {
        jobs.requestUserPosition();
        if (!pollStep(kUserStatePollStep)) return false;
    }
    jobs.requestUserTitleAndModel();
    while (!userPositionKnown()) {
        jobs.requestUserPosition();
        if (!pollStep(kUserPositionPollStep)) return false;
    }
    return true;
}

void lf_waitForRealTraffic() {
    RunJobs& jobs = g_runJobs;
    gf_setStatus(fmt::format("Waiting for RealTraffic to connect to {} ...", kProgramName), true);
    gf_flushLog();
    jobs.resetFeedState();
    if (jobs.waitForRtClient()) {
        jobs.sendToRt("Qs999=version\r\n");
        lf_processRTVersion(jobs.receiveFromRt());
        g_rtActive = true;
        repaintIndicators();
        g_awaitingRealTraffic = false;
        gf_log("RealTraffic connected");
        const std::string edition = g_rtVersionText.get();
        if (!edition.empty()) gf_log(edition);
    }
    gf_clearStatus();
}

void lf_processRTVersion(const std::string& reply) {
    if (reply.empty()) {
        gf_setStatus("No RealTraffic version received?", true);
        g_rtLevel2 = false;
        return;
    }
    std::string text;
    try {
        const nlohmann::json version = nlohmann::json::parse(reply);
        if (version.is_object()) {
            const auto level = version.find("level");
            g_rtLevel2 = level != version.end() && *level == 2;
            const nlohmann::json name = version.value("version", nlohmann::json());
            text = fmt::format("RT {} edition: {}", name.is_string() ? name.get<std::string>() : name.dump(),
                               g_rtLevel2 ? "prof" : "stnd");
        } else {
            g_rtLevel2 = false;
        }
    } catch (const nlohmann::json::parse_error& e) {
        g_rtLevel2 = false;
        gf_log(fmt::format("{}: JSON parse failed: {}", "lf_processRTVersion", e.what()));
    }
    g_rtVersionText = text;
    repaintIndicators();
}
