// What the traffic engine asks of other subsystems and of the clock, gathered
// in one table. Every entry is bound to the subsystem's own function; a test
// replaces entries with recording or scripted stand-ins (a synthetic airport's
// stand search, a fixed livery, a clock it moves) and steps the engine tick
// by tick.
//
// The table is filled before the traffic thread starts and only read by it;
// tests replace entries only while no traffic thread runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/geodesy.h"
#include "simlink/state.h"

struct AcBase;
struct LiveAc;
struct Stand;

struct EngineServices {
    // Liveries.
    std::function<void(LiveAc&)> matchLiveryLive;
    std::function<std::string_view(std::string_view)> liveryTitleForRegistration;
    std::function<bool(AcBase&, const Stand&)> matchLiveryParked;

    // Airports: the park airport's stands.
    std::function<Stand*(const GeoPoint&, const AcBase&, double, bool)> findStandNear;
    std::function<std::string(const GeoPoint&)> standNameAt;
    std::function<void(std::int32_t, LiveAc&, int)> addRealStandOption;

    // Simulator link: the requests sent straight to the client library.
    std::function<void(std::uint32_t radiusMeters)> requestAcWithinRange;  // request 101, definition 404
    std::function<void(std::uint32_t objectId)> requestStaticCg;           // request 102, definition 405
    std::function<UserState()> requestUserPosition;                        // asks again, returns the last block
    // Definition 401 on the object: spoilers handle and both throttle levers, in percent.
    std::function<void(std::uint32_t objectId, double spoilersPercent, double throttle1Percent,
                       double throttle2Percent)>
        setControls;
    // The flight-plan file (path text in UTF-8; the library sends it in the
    // ANSI code page) for the object, request 110; the library's result code,
    // 0 = accepted.
    std::function<std::int32_t(std::uint32_t objectId, const std::string& pathText)> setFlightPlan;

    // RealTraffic link: the user aircraft's position to RealTraffic.
    std::function<void()> sendRtAreaRequest;

    // Settings: the user's own values of the per-airport settings put back
    // (and saved) when the park airport is left.
    std::function<void()> restoreUserSettings;

    // The system clock in 100 ns units (only differences are used).
    std::function<std::int64_t()> systemTime100ns;
};

// Every entry bound to its subsystem's function.
EngineServices gf_engineServices();

extern EngineServices g_engineServices;  // see above: filled before the traffic thread starts
