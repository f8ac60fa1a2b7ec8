// The functions of other subsystems that the start-up, the run loop, the
// automatic radius, closing down and the reset of a run call, gathered in one
// table. Every entry is the subsystem's own function; a test replaces entries
// with recording stand-ins and steps the start-up and the schedule without a
// simulator, RealTraffic or traffic.
//
// The table is filled before any thread starts and only read afterwards (the
// window thread reads closeRtServer for a close request); tests replace
// entries only while no run is going.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"
#include "simlink/link_jobs.h"

struct AcBase;
struct LiveAc;

struct RunJobs {
    // Simulator link.
    std::function<bool()> isSimRunning;
    std::function<bool()> hasSimError;
    std::function<bool()> isNewUserSampleWaiting;
    std::function<bool()> takeNewUserSample;
    std::function<UserAircraftFix()> userAircraft;
    std::function<std::int64_t()> simTimeEpoch;
    std::function<void()> clearPosUpdates;
    std::function<void()> requestSimClientStop;
    std::function<void()> resetSimLink;
    std::function<void(std::int32_t)> initSimQueues;
    std::function<void()> startSimClient;
    std::function<void()> requestUserOnGround;       // every second from now on
    std::function<bool()> isUserOnGroundKnown;       // g_userOnGroundKnown
    std::function<void()> requestUserPosition;       // once; userAircraft() shows it when it came
    std::function<void()> requestUserTitleAndModel;  // once each
    std::function<void(std::uint32_t, std::uint32_t)> queueNavLights;  // object id, 0 or 1

    // RealTraffic link.
    std::function<void()> checkReaders;
    std::function<void(std::int64_t)> sendRtProRequest;
    std::function<void()> sendRtAreaRequest;
    std::function<void()> closeRtServer;
    std::function<void()> stopReaders;
    std::function<void()> resetFeedState;
    std::function<void()> startQnhReader;          // on g_readerPorts.qnh
    std::function<void(bool)> startTrafficReader;  // on g_readerPorts.traffic; 127.0.0.1 only when RealTraffic is local
    std::function<void(const std::string&)> openRtServer;
    std::function<bool()> waitForRtClient;
    std::function<bool(const std::string&)> sendToRt;
    std::function<std::string()> receiveFromRt;

    // Traffic engine.
    std::function<void()> handleAddingStack;
    std::function<void()> handleAcEvents;
    std::function<void(bool)> parkControl;
    std::function<void()> matchLiveToStatics;
    std::function<void()> adjustParking;
    std::function<void()> clearUserWayGround;
    std::function<void()> clearUserWayAir;
    std::function<void()> clearStaticsForMovingAcs;
    std::function<void()> removeAllStatics;
    std::function<void()> listMovingCallsigns;
    std::function<void(std::uint64_t, LiveAc&)> findStandUseForFlight;
    std::function<void(LiveAc&)> removeStaticsMatching;
    std::function<void(const std::string&)> clearReservedStand;
    std::function<bool(bool, std::string&)> checkParkAirports;
    std::function<void(AcBase&)> removeAircraftFromSim;
    std::function<std::uint64_t(bool)> countParkedLiveAcs;
    std::function<void()> leaveParkAirport;
    std::function<void()> resetTraffic;
    std::function<bool()> hasParkAirport;
    std::function<bool()> parkAirportHasStands;
    std::function<std::string()> reservedStandName;
    std::function<std::size_t()> staticScheduleSize;
    std::function<void()> clearLiveryByHexId;
    std::function<void()> clearGhostCallsigns;
    std::function<void()> clearUserRef;
    std::function<void()> reserveTrafficTables;
    std::function<void(const AirportCode&, const GeoPoint&)> addParkAirport;
    std::function<bool(double)> removeFarthestAc;  // true when none was removed

    // Airport and parking data.
    std::function<std::uint64_t(bool)> countParkedInWeek;
    std::function<bool()> parkFileLoaded;
    std::function<std::optional<GeoPoint>()> firstParkAirportPosition;
    std::function<bool()> readAirports;
    std::function<void(const std::filesystem::path&)> scanAddonAirports;  // the run's parameters file
    std::function<bool()> readMyParkAirports;

    // Reference data.
    std::function<bool()> readDbase;

    // Updater.
    std::function<bool(const std::filesystem::path&)> checkVersions;  // the run's parameters file

    // Liveries.
    std::function<void()> clearNoMatchList;
    std::function<void()> logNoMatch;
    std::function<void()> writeMatchingSummary;
    std::function<void(const std::filesystem::path&)> scanLiveries;            // the run's parameters file
    std::function<void(const std::filesystem::path&)> processScannedLiveries;  // the run's parameters file
    std::function<void()> resetLiveryProcessing;
};

// Every entry bound to its subsystem's function.
RunJobs gf_subsystemJobs();

extern RunJobs g_runJobs;  // see above: filled before threads start, read by the traffic and window threads
