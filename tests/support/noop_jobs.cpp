#include "support/noop_jobs.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace testing_support {

namespace {

template <class R, class... A>
void bindToNoOp(std::function<R(A...)>& job) {
    job = [](A...) -> R { return R(); };
}

struct NoOpEntry {
    std::string_view name;
    void (*apply)(RunJobs&);
};

#define VLNT_NOOP(entry) NoOpEntry{#entry, [](RunJobs& jobs) { bindToNoOp(jobs.entry); }}

const NoOpEntry kEntries[] = {
    VLNT_NOOP(isSimRunning), VLNT_NOOP(hasSimError), VLNT_NOOP(isNewUserSampleWaiting),
    VLNT_NOOP(takeNewUserSample), VLNT_NOOP(userAircraft), VLNT_NOOP(simTimeEpoch),
    VLNT_NOOP(clearPosUpdates), VLNT_NOOP(requestSimClientStop), VLNT_NOOP(resetSimLink),
    VLNT_NOOP(initSimQueues), VLNT_NOOP(startSimClient), VLNT_NOOP(requestUserOnGround),
    VLNT_NOOP(isUserOnGroundKnown), VLNT_NOOP(requestUserPosition), VLNT_NOOP(requestUserTitleAndModel),
    VLNT_NOOP(queueNavLights),

    VLNT_NOOP(checkReaders), VLNT_NOOP(sendRtProRequest), VLNT_NOOP(sendRtAreaRequest),
    VLNT_NOOP(closeRtServer), VLNT_NOOP(stopReaders), VLNT_NOOP(resetFeedState),
    VLNT_NOOP(startQnhReader), VLNT_NOOP(startTrafficReader), VLNT_NOOP(openRtServer),
    VLNT_NOOP(waitForRtClient), VLNT_NOOP(sendToRt), VLNT_NOOP(receiveFromRt),

    VLNT_NOOP(handleAddingStack), VLNT_NOOP(handleAcEvents), VLNT_NOOP(parkControl),
    VLNT_NOOP(matchLiveToStatics), VLNT_NOOP(adjustParking), VLNT_NOOP(clearUserWayGround),
    VLNT_NOOP(clearUserWayAir), VLNT_NOOP(clearStaticsForMovingAcs), VLNT_NOOP(removeAllStatics),
    VLNT_NOOP(listMovingCallsigns), VLNT_NOOP(findStandUseForFlight), VLNT_NOOP(removeStaticsMatching),
    VLNT_NOOP(clearReservedStand), VLNT_NOOP(checkParkAirports), VLNT_NOOP(removeAircraftFromSim),
    VLNT_NOOP(countParkedLiveAcs), VLNT_NOOP(leaveParkAirport), VLNT_NOOP(resetTraffic),
    VLNT_NOOP(hasParkAirport), VLNT_NOOP(parkAirportHasStands), VLNT_NOOP(reservedStandName),
    VLNT_NOOP(staticScheduleSize), VLNT_NOOP(clearLiveryByHexId), VLNT_NOOP(clearGhostCallsigns),
    VLNT_NOOP(clearUserRef), VLNT_NOOP(reserveTrafficTables), VLNT_NOOP(addParkAirport),
    VLNT_NOOP(removeFarthestAc),

    VLNT_NOOP(countParkedInWeek), VLNT_NOOP(parkFileLoaded), VLNT_NOOP(firstParkAirportPosition),
    VLNT_NOOP(readAirports), VLNT_NOOP(scanAddonAirports), VLNT_NOOP(readMyParkAirports),
    VLNT_NOOP(readDbase), VLNT_NOOP(checkVersions),

    VLNT_NOOP(clearNoMatchList), VLNT_NOOP(logNoMatch), VLNT_NOOP(writeMatchingSummary),
    VLNT_NOOP(scanLiveries), VLNT_NOOP(processScannedLiveries), VLNT_NOOP(resetLiveryProcessing),
};

#undef VLNT_NOOP

}  // namespace

void applyNoOpJob(RunJobs& jobs) {
    const char* name = std::getenv("VLNT_NOOP_JOB");
    if (name == nullptr) return;
    for (const NoOpEntry& entry : kEntries)
        if (entry.name == name) return entry.apply(jobs);
    std::cerr << "The run's job table has no entry " << name << "\n";
    std::abort();
}

}  // namespace testing_support
