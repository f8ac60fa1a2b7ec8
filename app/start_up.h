// The start-up thread: started by the main window on WM_APP_START, once
// after the window exists and again after every restart. It prepares the
// run (settings, folders, version check, data files, simulator detection,
// liveries, add-on airports, park airports), brings up the traffic side
// (simulator client thread, RealTraffic command link, QNH and traffic
// readers), runs the run loop on itself and ends in lf_closingDown.
//
// Every wait polls the two run flags and gives up as soon as one is set;
// waits and delays go by the run clock (app/run_clock.h).
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "app/run_clock.h"
#include "settings/file_names.h"

// The waits of the start-up.
inline constexpr SteadyTime kSimPollStep = std::chrono::milliseconds(100);         // the simulator's running flight and time
inline constexpr int kSimTimePolls = 10;                                           // the simulator's time for "Qs123="
inline constexpr SteadyTime kUserStatePollStep = std::chrono::milliseconds(500);   // on-ground flag and position
inline constexpr SteadyTime kUserPositionPollStep = std::chrono::milliseconds(200);  // position after title and model
inline constexpr SteadyTime kReaderStartGap = std::chrono::seconds(2);             // QNH reader, then traffic reader
inline constexpr SteadyTime kTrafficPollStep = std::chrono::milliseconds(100);     // the first traffic
inline constexpr int kTrafficPolls = 150;                                          // 15 seconds of them
// RealTraffic is installed on this PC when this file exists in the folder
// g_insideSystemsName of the roaming AppData folder.
inline constexpr const char* kRealTrafficMarker = "RealTraffic.jar";

// The thread's body; catches every exception itself. programFolder is the
// program's folder under the roaming AppData folder: parameters.xml and the
// flight-plan folder live in it, RealTraffic's folder beside it.
void lf_startUpVLNT(const std::filesystem::path& programFolder = g_appDataFolder);
// The top of the start-up thread for an exception that reached it (call it
// inside a catch block): the error line shows it and the run ends as a
// SYSTEM ERROR; a production run ends with exit code 1.
void lf_reportStartUpException() noexcept;

// The run's data: settings, controls, folders, version check (first start
// of the process only), data base (once per process), airport list, the
// simulator's install path; the end of a production run; RealTraffic on this
// PC. False when the start-up is to end here.
bool lf_readDataFiles(const std::filesystem::path& programFolder);
// Creates the data folders below the current folder and removes output/info/ObjectIdList.txt.
void lf_createDataFolders();
// Settles SIM_INSTALL_PATH from the registry when it is empty. Throws
// vlt::UserErrorException 153 (both versions installed) or 151 (no path).
void lf_detectP3D(const std::filesystem::path& parametersPath);
// The production run is over: exit code 0 (1 when ending it fails) and the end requested.
void lf_endProductionRun();
// Status when the simulator's stock scenery folder does not exist.
void lf_checkSceneryPath();
// Enables the setting controls and fills the drop-down lists with their values.
void lf_fillRadiusCombo();
// RealTraffic is installed on this PC (its marker file under the roaming
// AppData folder); shows and logs the answer.
bool lf_detectRealTraffic(const std::filesystem::path& roamingFolder);

// Brings the traffic side up; false when a stop or close came while it waited.
bool lf_startWorkers();
// Waits for a running flight, then for the user aircraft's on-ground flag and
// position; false when a stop or close came first.
bool lf_requestUserAcState();
// Waits for RealTraffic to connect to the command server and asks for its version.
void lf_waitForRealTraffic();
// RealTraffic's version reply: level 2 and the edition text.
void lf_processRTVersion(const std::string& reply);

// WM_APP_START on the window thread: starts a new start-up thread. The
// previous one posted this message as its very last act, so waiting for its
// end takes no time and never waits for anything the window must do.
void lf_onAppStart();
// At program end, after WM_APP_QUIT (the thread's last act): waits for the
// last start-up thread to end, so nothing of it runs while the process exits.
void lf_joinStartUpThread();
