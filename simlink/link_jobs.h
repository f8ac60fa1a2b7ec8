// What the application shell reads and asks of the simulator link. The
// simulator link owns the state behind these reads (g_simRunning, g_simError,
// g_newUserSample, g_userOnGround, the user aircraft's block, g_simTimeEpoch);
// the run loop reaches them through g_runJobs.
#pragma once

#include <cstdint>

#include "foundation/geodesy.h"

// The user aircraft as the shell needs it.
struct UserAircraftFix {
    GeoPoint position;        // degrees
    double altitudeFt = 0.0;  // the simulator's plane altitude
    bool onGround = false;    // g_userOnGround
};

bool gf_isSimRunning();            // g_simRunning
bool gf_hasSimError();             // g_simError
bool gf_isNewUserSampleWaiting();  // g_newUserSample, without taking it
bool gf_takeNewUserSample();       // g_newUserSample exchanged to false; its old value
UserAircraftFix gf_userAircraftFix();
std::int64_t gf_simTimeEpochNow();  // g_simTimeEpoch

// Empties both sides of the position-block double buffer under the
// simulator request mutex.
void gf_clearPosUpdates();
// Asks the simulator client thread to stop through its stop token (no join).
void gf_requestSimClientStop();
// The simulator link's part of a run's reset, g_newUserSample included.
void gf_resetSimLink();
