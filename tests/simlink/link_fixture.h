// What the simulator link's tests share: messages as the simulator sends
// them, built byte by byte, and a fresh start of the link's state (the test
// programs run many tests in one process under Wine).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "airports/airport_services.h"
#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "rtlink/state.h"
#include "settings/settings.h"
#include "simlink/client_thread.h"
#include "simlink/dispatch.h"
#include "simlink/state.h"
#include "support/simconnect_peer.h"
#include "traffic/state.h"

namespace simlink_test {

using testing_support::appendF64;
using testing_support::appendText;
using testing_support::appendU32;
using testing_support::Bytes;

inline void setSize(Bytes& message) {
    const auto size = static_cast<std::uint32_t>(message.size());
    for (int k = 0; k < 4; ++k) message[static_cast<std::size_t>(k)] = static_cast<std::byte>(size >> (8 * k));
}

// A message with its id and u32 fields, the size set.
inline Bytes message(std::uint32_t id, std::initializer_list<std::uint32_t> fields) {
    return testing_support::recvMessage(id, fields);
}

inline Bytes exceptionMessage(std::uint32_t code, std::uint32_t sendId, std::uint32_t index = 0) {
    return message(1, {code, sendId, index});
}
inline Bytes eventMessage(std::uint32_t eventId, std::uint32_t data) { return message(4, {0xFFFFFFFFu, eventId, data}); }
inline Bytes addRemoveMessage(std::uint32_t eventId, std::uint32_t objectId, std::uint32_t type = 2) {
    return message(5, {0xFFFFFFFFu, eventId, objectId, type});
}

// SIMOBJECT_DATA (8) or SIMOBJECT_DATA_BYTYPE (9) with its data block.
inline Bytes dataMessage(std::uint32_t id, std::uint32_t request, std::uint32_t object, std::uint32_t definition,
                         const Bytes& block) {
    Bytes m = message(id, {request, object, definition, 0, 1, 1, 1});
    m.insert(m.end(), block.begin(), block.end());
    setSize(m);
    return m;
}

struct UserBlock {
    double lat = 47.4581, lon = 8.5480;
    double altitudeFt = 1422.0;
    double groundVelocityKt = 0.0;
    std::int64_t zuluTime = 43200, zuluDayOfYear = 182, zuluYear = 2025;
};

inline Bytes userStateBlock(const UserBlock& u) {
    Bytes b;
    for (const double v : {u.lat, u.lon, -0.01, 0.0, 4.9, u.altitudeFt, 6.0, u.groundVelocityKt}) appendF64(b, v);
    for (const std::int64_t v : {u.zuluTime, u.zuluDayOfYear, u.zuluYear, std::int64_t{5}}) {
        appendU32(b, static_cast<std::uint32_t>(v));
        appendU32(b, static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) >> 32));
    }
    return b;
}

inline Bytes int64Block(std::int64_t value) {
    Bytes b;
    appendU32(b, static_cast<std::uint32_t>(value));
    appendU32(b, static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) >> 32));
    return b;
}

inline Bytes inRangeBlock(double altAboveGround, double groundAltitude, std::int64_t onGround, const std::string& atcId) {
    Bytes b;
    appendF64(b, altAboveGround);
    appendF64(b, groundAltitude);
    const Bytes flag = int64Block(onGround);
    b.insert(b.end(), flag.begin(), flag.end());
    appendText(b, atcId, 32);
    return b;
}

inline Bytes textBlock(const std::string& text, std::size_t field) {
    Bytes b;
    appendText(b, text, field);
    return b;
}

inline void dispatch(const Bytes& m) { lf_dispatchProc(m.data(), static_cast<std::uint32_t>(m.size()), nullptr); }

inline std::vector<AcEvent> takeAcEvents() {
    const std::lock_guard lock(g_acEventsMutex);
    std::vector<AcEvent> events;
    events.swap(g_acEvents);
    return events;
}

inline std::string errorText() {
    const std::lock_guard lock(g_statusMutex);
    return g_errorText;
}
inline std::string statusText() {
    const std::lock_guard lock(g_statusMutex);
    return g_statusText;
}

// Everything the link touches back to a fresh start (the client thread is joined).
inline void resetLink() {
    gf_resetSimLink();
    g_stopRequested = false;
    g_closeRequested = false;
    g_exitReason = ExitReason::NotYetSet;
    g_restartDelay = 0;
    gf_resetStatusLine();
    takeAcEvents();
    g_simConnected = false;
    g_simTimeEpoch = 0;
    g_rtLevel2 = false;
    g_userSizeKnown = false;
    g_userHalfSpan = 0.0;
    P3D_VERSION.value = 5;
    SIM_INSTALL_PATH.value = std::string();
    const std::lock_guard lock(g_parkAirportsMutex);
    g_parkAirportList.clear();
    g_parkAirport = AirportRecord{};
}

// Polls until the condition holds; the condition's last value. The limit
// only ends a test whose condition never comes true, however loaded the machine.
template <typename Condition>
bool waitFor(Condition condition,
             std::chrono::milliseconds limit = std::chrono::milliseconds(testing_support::kSafetyMs)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace simlink_test
