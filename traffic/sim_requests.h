// The traffic engine's direct requests to the simulator: the calls into the
// client library that do not wait in the link's queues (the controls block
// at touch-down and on the runway, the static centre-of-gravity request, the
// flight plan of an object, the request for the aircraft within the radius).
// Every entry is the engine's own request; tests replace entries with
// recording stand-ins and drive the engine without a simulator.
//
// The table is filled at static initialisation and replaced only by tests
// while no run is going; the traffic thread calls it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct SimRequests {
    // Definition 401 on the object: spoilers handle and both throttle levers,
    // in percent. False when it could not be sent.
    std::function<bool(std::uint32_t objectId, double spoilersPercent, double throttle1Percent,
                       double throttle2Percent)>
        setControls;
    // Definition 405 (static CG height, static pitch) of the object once,
    // request id 102. A refused call stops the run.
    std::function<bool(std::uint32_t objectId)> requestStaticCg;
    // The flight-plan file (path text in UTF-8; the library sends it in the
    // ANSI code page) for the object, request id 110. The library's result
    // code: 0 = accepted.
    std::function<std::int32_t(std::uint32_t objectId, const std::string& pathText)> setFlightPlan;
    // Definition 404 of every aircraft within the radius, request id 101.
    // A refused call stops the run.
    std::function<bool(std::uint32_t radiusMeters)> requestAiInRange;
};

// The client library's requests, each under g_simQueueMutex.
SimRequests gf_librarySimRequests();

extern SimRequests g_simRequests;
