// The traffic record handed from the traffic reader to the traffic engine,
// and the adding stack it travels through.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "traffic/aircraft_records.h"

struct StreamRecord {
    AcIdent ident;
    PosSample sample;
    double timestamp = 0.0;  // Unix seconds, as sent
    std::uint32_t hexId = 0; // always above 10000
};

// The first lock of the program's lock order: adding stack, simulator request
// queues, status line, log.
extern std::mutex g_addingStackMutex;
// Records waiting for the traffic thread; guarded by g_addingStackMutex.
// The traffic thread takes two a tick; a burst, or traffic accepted while
// nothing takes it, must not grow it without bound: the reader keeps at most
// kAddingStackLimit records and drops the oldest beyond them.
extern std::deque<StreamRecord> g_addingStack;
inline constexpr std::size_t kAddingStackLimit = 4000;  // 20 s of the engine's intake
// Records are accepted only while set; written under g_addingStackMutex by the
// start-up, the run loop and closing down.
extern std::atomic<bool> g_acceptTraffic;
