#include "app/run_jobs.h"

#include "airports/airport_services.h"
#include "liveries/livery_services.h"
#include "refdata/registrations.h"
#include "rtlink/link_jobs.h"
#include "traffic/engine_jobs.h"

RunJobs gf_subsystemJobs() {
    RunJobs jobs;
    jobs.isSimRunning = gf_isSimRunning;
    jobs.hasSimError = gf_hasSimError;
    jobs.isNewUserSampleWaiting = gf_isNewUserSampleWaiting;
    jobs.takeNewUserSample = gf_takeNewUserSample;
    jobs.userAircraft = gf_userAircraftFix;
    jobs.simTimeEpoch = gf_simTimeEpochNow;
    jobs.clearPosUpdates = gf_clearPosUpdates;
    jobs.requestSimClientStop = gf_requestSimClientStop;
    jobs.resetSimLink = gf_resetSimLink;

    jobs.checkReaders = gf_checkReaders;
    jobs.sendRtProRequest = gf_sendRtProRequest;
    jobs.sendRtAreaRequest = gf_sendRtAreaRequest;
    jobs.closeRtServer = gf_closeRtServer;
    jobs.stopReaders = gf_stopReaders;
    jobs.resetFeedState = gf_resetFeedState;

    jobs.handleAddingStack = lf_handleAddingStack;
    jobs.handleAcEvents = gf_handleAcEvents;
    jobs.parkControl = gf_parkControl;
    jobs.matchLiveToStatics = gf_matchLiveToStatics;
    jobs.adjustParking = gf_adjustParking;
    jobs.clearUserWayGround = gf_clearUserWayGround;
    jobs.clearUserWayAir = gf_clearUserWayAir;
    jobs.clearStaticsForMovingAcs = gf_clearStaticsForMovingAcs;
    jobs.removeAllStatics = gf_removeAllStatics;
    jobs.listMovingCallsigns = gf_listMovingCallsigns;
    jobs.findStandUseForFlight = gf_findStandUseForFlight;
    jobs.removeStaticsMatching = gf_removeStaticsMatching;
    jobs.clearReservedStand = gf_clearReservedStand;
    jobs.checkParkAirports = gf_checkParkAirports;
    jobs.removeAircraftFromSim = removeAircraftFromSim;
    jobs.countParkedLiveAcs = gf_countParkedLiveAcs;
    jobs.leaveParkAirport = gf_leaveParkAirport;
    jobs.resetTraffic = gf_resetTraffic;
    jobs.hasParkAirport = gf_hasParkAirport;
    jobs.parkAirportHasStands = gf_parkAirportHasStands;
    jobs.reservedStandName = gf_reservedStandName;
    jobs.staticScheduleSize = gf_staticScheduleSize;
    jobs.clearLiveryByHexId = gf_clearLiveryByHexId;
    jobs.clearGhostCallsigns = gf_clearGhostCallsigns;
    jobs.clearUserRef = gf_clearUserRef;

    jobs.countParkedInWeek = gf_countParkedInWeek;
    jobs.parkFileLoaded = gf_parkFileLoaded;
    jobs.firstParkAirportPosition = gf_firstParkAirportPosition;

    jobs.clearNoMatchList = gf_clearNoMatchList;
    jobs.logNoMatch = gf_logNoMatch;
    jobs.writeMatchingSummary = gf_writeMatchingSummary;
    return jobs;
}

RunJobs g_runJobs = gf_subsystemJobs();
