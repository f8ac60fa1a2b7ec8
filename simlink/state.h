// State of the simulator link shared between threads: the SimConnect handle
// and the link's flags, the request queues that the client thread sends on
// simulator frames, and the user aircraft as the simulator reports it.
//
// Lock order: g_simQueueMutex before the status-line mutex and the log
// mutex; g_userStateMutex is held only to copy values in or out, never while
// another lock is taken.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/geodesy.h"
#include "platform/notify.h"
#include "simlink/simconnect/simconnect.h"
#include "traffic/aircraft_records.h"
#include "traffic/size_category.h"

// One client event waiting to be transmitted.
struct SimEventRequest {
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;  // 207 to 223
    std::uint32_t value = 0;
};

// A creation that was sent and whose object has not been matched yet.
struct SentCreate {
    std::uint32_t packetId = 0;  // the serial of the creation's packet
    std::uint32_t hexId = 0;
    std::string callsign;
    std::uint32_t createSerial = 0;  // the engine's serial of a live creation (SpawnRequest)
};

// The position blocks: the traffic thread fills the write side during a tick
// and swaps the sides; the frame handler sends and empties the other side.
struct PosUpdateBuffers {
    std::vector<PosUpdate> sides[2];
    int writeSide = 0;

    std::vector<PosUpdate>& write() { return sides[writeSide]; }
    std::vector<PosUpdate>& send() { return sides[1 - writeSide]; }
};

// The user aircraft's block of definition 403 (96 bytes).
struct UserState {
    double lat = 0.0, lon = 0.0;                  // degrees
    double pitch = 0.0, bank = 0.0, heading = 0.0;  // radians
    double altitudeFt = 0.0;
    double altAboveGroundFt = 0.0;
    double groundVelocityKt = 0.0;
    std::int64_t zuluTime = 0;  // seconds since 00:00 UTC
    std::int64_t zuluDayOfYear = 0;
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;
};

// The handle and the link's flags.
extern std::atomic<SimConnectClient*> g_simHandle;  // written by the client thread under g_simQueueMutex; other threads use it under g_simQueueMutex
extern std::atomic<bool> g_simRunning;              // a flight runs; written by the client thread, read by all
extern std::atomic<bool> g_simRunningShown;         // painting copy of g_simRunning; client thread writes, window reads
extern std::atomic<bool> g_simError;                // a request failed (latched); any thread
extern std::atomic<bool> g_simConnected;            // the simulator's open reply came; client thread writes, window reads
extern std::atomic<std::int32_t> g_requiredSimVersion;  // 5 or 6; start-up thread writes before the client thread starts

// The request queues; all under g_simQueueMutex except where said.
extern std::mutex g_simQueueMutex;
extern PosUpdateBuffers g_posUpdates;                 // write side: traffic thread without the lock; swap and send side under g_simQueueMutex
extern std::vector<SimEventRequest> g_simEventQueue;  // under g_simQueueMutex
extern std::vector<SpawnRequest> g_simCreateQueue;    // under g_simQueueMutex
extern std::vector<std::uint32_t> g_simRemoveQueue;   // under g_simQueueMutex
extern std::vector<SentCreate> g_sentCreates;         // client thread only (reset after it was joined)
extern std::vector<std::uint32_t> g_addedObjects;     // client thread only: announced AI objects not matched yet
extern std::atomic<std::uint32_t> g_userObjectId;     // the user aircraft's object id; client thread writes

// The user aircraft.
extern std::mutex g_userStateMutex;          // guards g_userState, g_userTitle, g_simNameText, g_userStandText
extern UserState g_userState;                // client thread writes; others copy under g_userStateMutex
extern GeoPoint g_prevUserPos;               // client thread only: the previous block's position
extern std::atomic<bool> g_userOnGround;     // client thread writes
extern std::atomic<bool> g_userOnGroundKnown;  // client thread writes
extern std::atomic<bool> g_newUserSample;    // set by the client thread each second, taken by the run loop
extern std::atomic<std::int64_t> g_simTimeEpoch;  // the simulator's UTC time in Unix seconds; client thread writes
extern std::string g_userTitle;              // at most 48 characters; under g_userStateMutex
extern std::atomic<double> g_userHalfSpan;   // nautical miles; client thread writes
extern std::atomic<bool> g_userHalfSpanSet;  // g_userHalfSpan was set; client thread writes
extern std::atomic<bool> g_userSizeKnown;    // for painting; client thread writes
extern std::atomic<SizeCategory> g_userCategory;  // client thread writes
extern std::string g_simNameText;            // painted "name (a.b.c.d)"; under g_userStateMutex
extern std::string g_userStandText;          // painted stand name; under g_userStateMutex
extern std::string g_lastUserStand;          // client thread only

// The simulator client thread; start-up thread only (see client_thread.h).
extern std::jthread g_simClientThread;
// What the client thread sleeps on: signalled by its connection when messages
// arrive or the connection breaks, and after its stop was requested. Any thread.
extern platform::Event g_simClientWake;

// A copy of the user aircraft's block.
UserState gf_copyUserState();
// A copy of a painted text (g_userTitle, g_simNameText, g_userStandText).
std::string gf_copyUserText(const std::string& text);
// Asks the main window to repaint its status band, where the link's state shows.
void lf_repaintStatusBand();
