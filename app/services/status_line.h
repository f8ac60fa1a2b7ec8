// The status line at the bottom of the main window: a status text that
// expires after 25 user-aircraft samples, or an error text that takes
// precedence and stays. Set from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

extern std::mutex g_statusMutex;               // guards the two texts and the set time
extern std::string g_statusText;               // under g_statusMutex; empty = none
extern std::string g_errorText;                // under g_statusMutex; empty = none
extern std::int32_t g_statusSetAt;             // under g_statusMutex; clock when set (>= 1), 0 = none
extern std::atomic<std::int32_t> g_statusClock;  // written by the traffic thread only

inline constexpr std::int32_t kStatusLifetime = 25;

// Called, when set, by a sample that found the status text expired, before it
// clears the text; lets a test set a new text at exactly that moment. Set
// before the threads start and left null by the program.
extern void (*g_statusExpiryHook)();

// Shows a status text (ignored while an error is shown); logs it when asked.
void gf_setStatus(const std::string& text, bool log);
void gf_clearStatus();
// Shows an error text, which stays until the run is reset; logs "Error {}".
void gf_setError(const std::string& text);
// One user-aircraft sample: advances the clock and lets an old status expire.
void lf_advanceStatusClock();
// Empties the error text, so status texts show again.
void gf_clearError();
// Empties both texts and the clock (run reset).
void gf_resetStatusLine();
// What the status band shows: the error text, else the status text.
std::string gf_statusLineText();
