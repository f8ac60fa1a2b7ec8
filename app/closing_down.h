// The end of every run of the start-up thread: stop the traffic side, clean
// up, and then restart the run after a countdown or end the program.
#pragma once

#include <filesystem>

#include "app/run_clock.h"
#include "app/services/run_flags.h"
#include "settings/file_names.h"

// How long closing down gives the readers to see their stop flags.
inline constexpr SteadyTime kReadersStopWait = std::chrono::milliseconds(500);
// The poll step of the waits of closing down (close after a SYSTEM ERROR,
// the restart countdown, the NEW FLIGHT notice).
inline constexpr SteadyTime kClosePollStep = std::chrono::milliseconds(100);

// NEW SETTINGS, SIMCONNECT ERROR and READER ERROR restart the run.
bool gf_isRestartReason(ExitReason reason);

// The end request (close button, production run over, start-up stop path):
// close flag, RealTraffic command link closed at once, stop flag, and the
// reason USER CLOSED SIM when none was recorded yet. Any thread.
void gf_requestEnd();

// Stops and cleans up the run, then posts WM_APP_START (restart) or
// WM_APP_QUIT to the main window. Settings it clears are saved to parametersPath.
void lf_closingDown(const std::filesystem::path& parametersPath = g_parametersPath);
// Counts g_restartDelay down in one-second steps on the status line; false
// when the window was closed meanwhile (the program then ends instead).
bool lf_restartCountdown();
// Brings the state of the run back to its start for the next start-up; false
// when the window was closed while it ran (the program then ends instead).
bool lf_resetRun();
