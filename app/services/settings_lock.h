// The lock of the park-airport settings while the static-parking logic works.
#pragma once

#include <atomic>

// The "Now" button may be enabled (the INITIAL_LOAD_ONLY check box reads it);
// written by the traffic and window threads.
extern std::atomic<bool> g_nowAllowed;

// Sets g_settingsLocked and disables the park-airport settings controls.
void gf_lockSettings();
// Clears g_settingsLocked and enables them again; the renewal shows 20 minutes.
void gf_unlockSettings();
