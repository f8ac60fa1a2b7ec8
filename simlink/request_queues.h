// The requests other threads want sent to the simulator: queues that the
// client thread flushes on each simulator frame, and the direct requests
// that any thread other than the client thread sends at once.
//
// Every call into the client library from another thread holds
// g_simQueueMutex, so that a creation's packet serial, read right after it
// was sent, is never taken by another call in between.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/log.h"
#include "simlink/state.h"

// Producers, any thread: each locks g_simQueueMutex, appends and unlocks.
void gf_queueCreateAc(const SpawnRequest& request);
void gf_queueRemoveAc(std::uint32_t objectId);
void gf_queueSimEvent(std::uint32_t objectId, std::uint32_t eventId, std::uint32_t value);
void gf_queueEngineShutdown(std::uint32_t objectId);
void gf_queueEngineStart(std::uint32_t objectId);
// Navigation, beacon, landing, taxi, strobe, logo and cabin lights, in this order.
void gf_queueLights(std::uint32_t objectId, std::uint32_t nav, std::uint32_t beacon, std::uint32_t landing,
                    std::uint32_t taxi, std::uint32_t strobes, std::uint32_t logo, std::uint32_t cabin);
void gf_queueNavLights(std::uint32_t objectId, std::uint32_t value);
void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value);

// Traffic thread, once per tick after filling g_posUpdates.write(): try-locks
// g_simQueueMutex and swaps the sides (blocks of the old send side not yet
// sent are dropped); when the mutex is busy the tick's blocks are dropped.
// True when the blocks were handed over.
bool gf_swapPosUpdates();
// Empties both sides under g_simQueueMutex.
void gf_clearPosUpdates();

// Shows "SimConnect request error" (logged), latches g_simError and stops the
// run with SIMCONNECT ERROR and a 9-second restart (the first trigger wins).
void gf_simRequestError();

// One direct request: under g_simQueueMutex, `call` gets the open handle and
// returns the library's result; a failure logs failText (marked) and calls
// gf_simRequestError. Without a handle (no link yet, or the link ended on a
// user error) nothing is sent and nothing fails. True when it was sent.
template <typename Call>
bool gf_sendSimRequest(std::string_view failText, Call&& call) {
    const std::lock_guard lock(g_simQueueMutex);
    SimConnectClient* const handle = g_simHandle.load();
    if (handle == nullptr) return false;
    if (call(handle) >= 0) return true;
    gf_logMarked(failText);
    gf_simRequestError();
    return false;
}

// The user aircraft's block once (request 109), unless g_simError is set;
// returns the last block received, so the caller polls until it has come.
UserState gf_requestUserPosition();
// The user aircraft's title (106) and model (107), once each.
void gf_requestUserTitleAndModel();
// The user aircraft's on-ground flag every second (108).
void gf_requestUserOnGround();

// Client thread, for every "Frame" event: sends the position blocks, the
// client events, the creations and the removals, in that order, and empties
// the queues; sends nothing when g_simQueueMutex is busy; only empties them
// while g_simError is set. Refused creations become AcEvent kind 6
// (createFailed) once the mutex is released.
void lf_onFrame();
// One creation; a sent one is remembered in g_sentCreates with its serial.
// One whose texts the library refuses (no form in the code page, too long)
// is refused: lf_onFrame tells the engine as for a refusal by the simulator.
// Any other failure stops the run (gf_simRequestError).
enum class CreateOutcome { sent, refused, failed };
CreateOutcome lf_createAcInSim(const SpawnRequest& request);
// One removal, never of the user aircraft or below.
void lf_removeAcFromSim(std::uint32_t objectId);
