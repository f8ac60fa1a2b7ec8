// The run flags and the exit protocol shared by every thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

enum class ExitReason : std::int32_t {
    NotYetSet = 0,
    SimWasClosed = 1,
    NewFlight = 2,
    NewSettings = 3,
    UserClosedSim = 4,
    SimConnectError = 5,
    ReaderError = 6,
    SystemError = 7,
    NewVersion = 8,
};

// The reason's text ("NOT YET SET", "SIM WAS CLOSED", ...); an unknown value
// throws std::out_of_range.
const std::string& gf_exitReasonText(ExitReason reason);

extern std::atomic<bool> g_stopRequested;        // any thread; stop the run
extern std::atomic<bool> g_closeRequested;       // any thread; end the program
extern std::atomic<ExitReason> g_exitReason;     // written by the thread that won g_stopRequested
extern std::atomic<std::int32_t> g_restartDelay; // seconds; written with g_exitReason
extern std::atomic<std::int32_t> g_exitCode;     // the quit message's code, initially 0
extern std::atomic<bool> g_restartPending;       // start-up thread; the next start-up is a restart

// The stop rule: the first trigger decides the reason and the delay; later
// triggers change nothing. True when this call was the first trigger.
bool gf_requestStop(ExitReason reason, std::int32_t restartDelay);
// True while a stop or the end of the program has been requested.
inline bool gf_stopping() { return g_stopRequested.load() || g_closeRequested.load(); }
