#include "app/run_loop.h"

#include <fmt/format.h>

#include <mutex>
#include <string>

#include "app/auto_radius.h"
#include "app/live_counts.h"
#include "app/run_jobs.h"
#include "app/services/run_flags.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/tick_stats.h"
#include "app/window_requests.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/time_texts.h"
#include "platform/timer_resolution.h"
#include "rtlink/state.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "settings/control_updates.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "traffic/state.h"

namespace {
// The 1 ms timer resolution for as long as the loop runs, handed back also
// when a job throws.
class RaisedTimerResolution {
public:
    RaisedTimerResolution() : raised_(platform::raiseTimerResolution()) {}
    ~RaisedTimerResolution() {
        if (raised_) platform::restoreTimerResolution();
    }
    RaisedTimerResolution(const RaisedTimerResolution&) = delete;
    RaisedTimerResolution& operator=(const RaisedTimerResolution&) = delete;

private:
    bool raised_;
};

void setAcceptTraffic(bool accept) {
    const std::lock_guard lock(g_addingStackMutex);
    g_acceptTraffic = accept;
}

// First pass of a static-parking update: lock the settings and let the
// traffic reader collect the callsigns the static-parking bookkeeping takes over.
void lf_staticUpdateFirstPass() {
    g_staticUpdatePending = true;
    gf_lockSettings();
    g_trafficFeed.startCollecting();
}

// Second pass, 15 counted seconds later: reconcile the static aircraft.
void lf_staticUpdateSecondPass() {
    g_staticUpdatePending = false;
    gf_clearError();
    gf_clearStatus();
    if (g_runJobs.hasParkAirport() && g_runJobs.parkAirportHasStands()) g_runJobs.adjustParking();
    gf_flushLog();
    g_staticUpdateRequest = false;
}

bool readerReportsNoData() {
    return gf_readerStatus(ReaderId::traffic) == readerNoData || gf_readerStatus(ReaderId::qnh) == readerNoData;
}

// The per-second schedule of a counted sample s; the branches exclude each
// other, so a multiple of 5 never runs the 16, 59 or 61 jobs.
void lf_secondJobs(std::int32_t s) {
    RunJobs& jobs = g_runJobs;
    if (s % 5 != 0) {
        if (s % 16 == 0 && !g_staticUpdatePending) jobs.parkControl(false);
        if (s % 59 == 0) jobs.checkReaders();
        if (s % 61 == 0) jobs.matchLiveToStatics();
        return;
    }
    gf_setTrafficRefPos(jobs.userAircraft().position);
    if (g_rtLevel2) jobs.sendRtProRequest(jobs.simTimeEpoch());
    const std::string reservedStand = jobs.reservedStandName();
    if (!reservedStand.empty()) jobs.clearReservedStand(reservedStand);
    lf_reReadParkAirports();
    if (s % 15 != 0) return;
    if (g_staticUpdateRequest) {
        if (g_staticUpdatePending)
            lf_staticUpdateSecondPass();
        else
            lf_staticUpdateFirstPass();
    }
    if (readerReportsNoData()) jobs.checkReaders();
    if (s % 30 == 0) lf_halfMinuteJobs();
}

// The next hex id of g_replaceCheckIds against the learned stand use and the statics.
void lf_replaceCheck() {
    if (g_replaceCheckIds.empty()) return;
    const std::uint32_t hexId = g_replaceCheckIds.front();
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.hexId != hexId) continue;
        if (aircraft.standUseChecked == 0) {
            g_runJobs.findStandUseForFlight(g_daySlot, aircraft);
            aircraft.standUseChecked = 1;
        }
        g_runJobs.removeStaticsMatching(aircraft);
        break;
    }
    g_replaceCheckIds.pop_front();
}

// One tick, its duration counted for the counters file.
bool lf_timedTick() {
    const SteadyTime begin = g_runClock.now();
    const bool goOn = lf_tick();
    const SteadyTime end = g_runClock.now();
    lf_tickDone(end - begin, end);
    return goOn;
}

void lf_removeBlockedAircraft() {
    if (!g_blockingChanged.exchange(false)) return;
    const std::string blocked = BLOCK_CALLSIGN.value.get();
    if (blocked.empty()) return;
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.callsign == blocked && aircraft.lifeState == AcLifeState::active) {
            g_runJobs.removeAircraftFromSim(aircraft);
            return;
        }
    }
}
}  // namespace

void lf_runLoop() {
    RunJobs& jobs = g_runJobs;
    lf_runWindowRequests();
    jobs.parkControl(true);
    jobs.checkReaders();
    g_seconds = 0;
    const SteadyTime start = g_runClock.now();
    g_daySlot = gf_dayAndHalfHour();
    setAcceptTraffic(true);
    SteadyTime deadline = start + kTickPeriod;
    // The callsign list's fill belongs to the window's controls; the button is enabled here.
    ControlUpdateBatch batch;
    batch.enableControl(g_callsignToOidButton, true);
    batch.apply();

    const RaisedTimerResolution resolution;
    lf_startTickCounters(start);
    bool goOn = lf_timedTick();
    while (goOn) {
        const SteadyTime now = g_runClock.now();
        if (deadline + kResyncLag < now) deadline = now + kTickPeriod;
        if (std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() > 0) gf_sleepUntil(deadline);
        // A new user sample re-aligns the grid to its arrival.
        const SteadyTime base = jobs.isNewUserSampleWaiting() ? g_runClock.now() : deadline;
        deadline = base + kTickPeriod;
        goOn = lf_timedTick();
    }
}

bool lf_tick() {
    RunJobs& jobs = g_runJobs;
    lf_runWindowRequests();
    if (!jobs.isSimRunning() || jobs.hasSimError()) {
        lf_onFlightNotRunning();
        return !gf_stopping();
    }
    jobs.handleAddingStack();
    // Stop flags are looked at only with a new sample: without one the flight
    // runs on and the traffic job keeps ticking.
    if (!jobs.takeNewUserSample()) return true;
    lf_onUserSample();
    if (gf_stopping()) return false;
    lf_secondJobs(g_seconds);
    return true;
}

void lf_onUserSample() {
    RunJobs& jobs = g_runJobs;
    if (g_flightPaused) {
        g_flightPaused = false;
        gf_log(fmt::format("{} Flight resumed", gf_utcClockText()));
        setAcceptTraffic(true);
    }
    lf_advanceStatusClock();
    lf_refreshLiveCounts();
    g_daySlot = gf_dayAndHalfHour();
    ++g_seconds;
    lf_replaceCheck();
    if (g_removeAllStaticsRequest.exchange(false)) {
        jobs.removeAllStatics();
        if (!INITIAL_LOAD_ONLY.value) {
            INITIAL_LOAD_ONLY.value = true;
            ControlUpdateBatch batch;
            batch.setCheck(INITIAL_LOAD_ONLY, true);
            batch.apply();
        }
    }
    if (g_callsignListRequest.exchange(false)) {
        g_selectedCallsignText = std::string();
        platform::invalidateBand(kControlsBand);
        jobs.listMovingCallsigns();
        ControlUpdateBatch batch;
        batch.fillCallsignChoice(CALLSIGN_2_OBJECTID);
        batch.enableControl(CALLSIGN_2_OBJECTID, true);
        batch.apply();
    }
    if (jobs.userAircraft().onGround) {
        if (COLLISION_USER_GND.value) jobs.clearUserWayGround();
    } else if (COLLISION_USER_AIR.value) {
        jobs.clearUserWayAir();
    }
    if (COLLISION_LIVE_PARKED_GND.value) jobs.clearStaticsForMovingAcs();
    lf_removeBlockedAircraft();
    if (g_settingsLocked) {
        g_staticScheduleShown = jobs.staticScheduleSize();
        platform::invalidateBand(kStatisticsBand);
    }
}

void lf_onFlightNotRunning() {
    RunJobs& jobs = g_runJobs;
    if (!g_flightPaused) {
        setAcceptTraffic(false);
        g_flightPaused = true;
        g_notRunningCountdown = 100;
        jobs.clearPosUpdates();
        gf_log(fmt::format("{} Flight not running", gf_utcClockText()));
    }
    jobs.handleAcEvents();
    if (--g_notRunningCountdown % 100 == 0) {
        lf_reReadParkAirports();
        jobs.sendRtAreaRequest();
    }
    if (g_notRunningCountdown < 1) {
        g_notRunningCountdown = 100;
        lf_refreshLiveCounts();
        g_daySlot = gf_dayAndHalfHour();
    }
}

void lf_halfMinuteJobs() {
    RunJobs& jobs = g_runJobs;
    const std::int32_t s = g_seconds;
    if (g_matchCacheClearRequest.exchange(false)) jobs.clearNoMatchList();
    if (AUTO_RANGE.value) lf_autoRadius();
    if (s % 60 == 0) {
        if (--g_staticUpdateMinutes < 1) {
            g_staticUpdateMinutes = 20;
            if (jobs.parkFileLoaded() && !INITIAL_LOAD_ONLY.value && !g_settingsLocked && !g_staticUpdateRequest)
                lf_announceStaticUpdate();
        }
        g_staticUpdateMinutesShown = g_staticUpdateMinutes.load();
        platform::invalidateBand(kControlsBand);
        if (s % 1200 == 0) {
            jobs.logNoMatch();
            if (s % 86400 == 0) {
                g_seconds = 0;
                jobs.writeMatchingSummary();
                jobs.clearLiveryByHexId();
            }
        }
    }
    gf_flushLog();
}

void lf_announceStaticUpdate() {
    gf_lockSettings();
    const std::int32_t n = 15 - g_seconds % 15;
    gf_setStatus(fmt::format("{} will update static parking in {} second{} ...", kProgramName, n, gf_plural(n)),
                 false);
    g_staticUpdateRequest = true;
}

void lf_reReadParkAirports() {
    if (!g_reReadRequest || g_settingsLocked) return;
    std::string text;
    if (g_runJobs.checkParkAirports(true, text)) gf_setStatus(text, true);
    ControlUpdateBatch batch;
    batch.enableControl(g_rereadButton, true);
    batch.enableControl(DESTINATION, true);
    batch.apply();
    g_reReadRequest = false;
}
