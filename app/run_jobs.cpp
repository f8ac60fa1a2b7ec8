#include "app/run_jobs.h"

#include "airports/addon_scan.h"
#include "airports/airport_list.h"
#include "airports/airport_services.h"
#include "liveries/livery_services.h"
#include "refdata/dbase_reader.h"
#include "refdata/registrations.h"
#include "rtlink/link_jobs.h"
#include "rtlink/readers.h"
#include "simlink/client_thread.h"
#include "simlink/request_queues.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"
#include "updater/version_check.h"

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
    jobs.initSimQueues = gf_initSimQueues;
    jobs.startSimClient = gf_startSimClient;
    jobs.requestUserOnGround = gf_requestUserOnGround;
    jobs.isUserOnGroundKnown = [] { return g_userOnGroundKnown.load(); };
    jobs.requestUserPosition = [] { gf_requestUserPosition(); };
    jobs.requestUserTitleAndModel = gf_requestUserTitleAndModel;
    jobs.queueNavLights = gf_queueNavLights;

    jobs.checkReaders = gf_checkReaders;
    jobs.sendRtProRequest = gf_sendRtProRequest;
    jobs.sendRtAreaRequest = gf_sendRtAreaRequest;
    jobs.closeRtServer = gf_closeRtServer;
    jobs.stopReaders = gf_stopReaders;
    jobs.resetFeedState = gf_resetFeedState;
    jobs.startQnhReader = [] { gf_startQnhReader(g_readerPorts.qnh); };
    jobs.startTrafficReader = [](bool local) { gf_startTrafficReader(local, g_readerPorts.traffic); };
    jobs.openRtServer = gf_openRtServer;
    jobs.waitForRtClient = waitForClient;
    jobs.sendToRt = sendDataPacket;
    jobs.receiveFromRt = gf_receiveFromRt;

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
    jobs.reserveTrafficTables = gf_reserveTrafficTables;
    jobs.addParkAirport = gf_addParkAirport;
    jobs.removeFarthestAc = gf_removeFarthestAc;

    jobs.countParkedInWeek = gf_countParkedInWeek;
    jobs.parkFileLoaded = gf_parkFileLoaded;
    jobs.firstParkAirportPosition = gf_firstParkAirportPosition;
    jobs.readAirports = gf_readAirports;
    jobs.scanAddonAirports = gf_scanAddonAirports;
    jobs.readMyParkAirports = lf_readMyParkAirports;

    jobs.readDbase = gf_readDbase;
    jobs.checkVersions = gf_checkVersions;

    jobs.clearNoMatchList = gf_clearNoMatchList;
    jobs.logNoMatch = gf_logNoMatch;
    jobs.writeMatchingSummary = gf_writeMatchingSummary;
    jobs.scanLiveries = gf_scanLiveries;
    jobs.processScannedLiveries = gf_processScannedLiveries;
    jobs.resetLiveryProcessing = gf_resetLiveryProcessing;
    return jobs;
}

RunJobs g_runJobs = gf_subsystemJobs();
