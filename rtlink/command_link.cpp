#include "rtlink/command_link.h"

#include <fmt/format.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <stdexcept>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "platform/sockets.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "rtlink/wsa_errors.h"
#include "simlink/state.h"
#include "traffic/engine_jobs.h"

namespace {

constexpr std::size_t kReceiveBufferSize = 16384;

// Winsock as one open of the server started it; released when the last
// socket of that open has been closed, so every start is cleaned up once.
struct WinsockUse {
    WinsockUse() = default;
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;
    ~WinsockUse() { platform::socketsCleanup(); }
};

// One socket of the link. It is closed when the last holder lets go: the
// traffic thread may still be inside a call on it when the window thread
// closes the server, and a handle is never closed twice or while in use.
struct RtSocket {
    std::shared_ptr<WinsockUse> winsock;
    std::unique_ptr<platform::TcpSocket> socket;  // closed before winsock is released
};

std::mutex g_rtSocketsMutex;                  // any thread; held only to take or swap the two below
std::shared_ptr<RtSocket> g_rtListenSocket;  // under g_rtSocketsMutex; null when closed
std::shared_ptr<RtSocket> g_rtClientSocket;  // under g_rtSocketsMutex; null when no client

std::shared_ptr<RtSocket> current(const std::shared_ptr<RtSocket>& slot) {
    const std::lock_guard lock(g_rtSocketsMutex);
    return slot;
}

[[noreturn]] void throwOpenFailure(const platform::TcpSocket::Failure& failure, const std::string& port) {
    using Step = platform::TcpSocket::Step;
    const std::string error = gf_wsaErrorText(failure.error);
    switch (failure.step) {
    case Step::addressInfo: throw std::runtime_error(fmt::format("getaddrinfo failed with error {}", failure.error));
    case Step::socket: throw std::runtime_error("socket failed with error " + error);
    case Step::blockingMode: throw std::runtime_error("ioctlsocket failed with error " + error);
    case Step::reuseAddress: throw std::runtime_error("setsockopt(SO_REUSEADDR) failed");
    case Step::bind: throw std::runtime_error("Bind failed at port " + port + " with error " + error);
    case Step::listen: break;
    }
    throw std::runtime_error("listen failed with error " + error);
}

// Keeps a client accepted from the listener, unless the server was closed meanwhile.
bool takeClient(const std::shared_ptr<RtSocket>& listener, std::unique_ptr<platform::TcpSocket> accepted) {
    auto client = std::make_shared<RtSocket>(RtSocket{listener->winsock, std::move(accepted)});
    const std::lock_guard lock(g_rtSocketsMutex);
    if (g_rtListenSocket != listener) return false;
    g_rtClientSocket = std::move(client);
    return true;
}

void dropClient(const std::shared_ptr<RtSocket>& client) {
    const std::lock_guard lock(g_rtSocketsMutex);
    if (g_rtClientSocket == client) g_rtClientSocket.reset();
}

bool userPositionKnown(const UserState& user) { return std::fabs(user.lat) > 0.0001 || std::fabs(user.lon) > 0.0001; }

// RealTraffic has gone: its aircraft go too, and the feed starts afresh for
// its return.
void lf_onRealTrafficGone() {
    g_rtActive = false;
    gf_repaintIndicators();
    if (!g_closeRequested) gf_removeLiveAcsForRtGone();
    gf_resetReaders();
    gf_setStatus(fmt::format("{} RealTraffic gone? Wait for RealTraffic to re-connect ...", gf_utcClockText()), true);
}

}  // namespace

void gf_openRtServer(const std::string& port) {
    if (const std::int32_t result = platform::socketsStartupResult(); result != 0)
        throw std::runtime_error(fmt::format("WSAStartup failed with error {}", result));
    auto winsock = std::make_shared<WinsockUse>();
    platform::TcpSocket::Failure failure;
    std::unique_ptr<platform::TcpSocket> socket = platform::TcpSocket::listen(port, failure);
    if (!socket) throwOpenFailure(failure, port);
    auto listener = std::make_shared<RtSocket>(RtSocket{std::move(winsock), std::move(socket)});
    const std::lock_guard lock(g_rtSocketsMutex);
    g_rtListenSocket = std::move(listener);
}

bool waitForClient() {
    if (g_rtConnected) return false;
    std::shared_ptr<RtSocket> listener;
    std::unique_ptr<platform::TcpSocket> accepted;
    for (;;) {
        listener = current(g_rtListenSocket);
        if (!listener) return false;
        const std::int32_t result = listener->socket->accept(kRtWaitSliceMs, accepted);
        if (result == 0) break;
        // Any other failure: the server was closed under the wait.
        if (result != platform::kWsaTimedOut || gf_stopping()) return false;
    }
    if (const std::int32_t error = accepted->setNoDelay(); error != 0) {
        gf_logUnlessStopping(fmt::format("waitForClient interrupted: {} setsockopt failed with error {}",
                                         gf_utcClockText(), gf_wsaErrorText(error)));
        return false;  // the accepted socket closes here
    }
    if (!takeClient(listener, std::move(accepted))) return false;
    g_rtConnected.exchange(true);
    return true;
}

bool sendDataPacket(const std::string& text) {
    std::shared_ptr<RtSocket> client = current(g_rtClientSocket);
    const std::int32_t error = client ? client->socket->send(text) : platform::kWsaNotSocket;
    if (error == 0) return true;
    gf_logUnlessStopping(fmt::format("sendDataPacket to RealTraffic failed: {}", gf_wsaErrorText(error)));
    g_rtConnected.exchange(false);
    if (client) {
        dropClient(client);
        client.reset();
        gf_logUnlessStopping("RealTraffic client socket closed");
    }
    return false;
}

std::string gf_receiveFromRt() {
    const std::shared_ptr<RtSocket> client = current(g_rtClientSocket);
    if (!client) return {};
    std::string buffer(kReceiveBufferSize, '\0');
    for (int waited = 0;; waited += kRtWaitSliceMs) {
        std::size_t count = 0;
        const std::int32_t error = client->socket->receive(buffer, kRtWaitSliceMs, count);
        if (error == platform::kWsaTimedOut) {
            if (gf_stopping() || waited + kRtWaitSliceMs >= kRtReplyWaitMs) return {};
            continue;
        }
        if (error != 0) {
            gf_logUnlessStopping(fmt::format("receive: {}", gf_wsaErrorText(error)));
            return {};
        }
        if (count == kReceiveBufferSize) {
            gf_logUnlessStopping(fmt::format("receive: buffer overrun: {}", count));
            return {};
        }
        buffer.resize(count);
        return buffer;
    }
}

void gf_sendRtProRequest(std::int64_t simTime) {
    if (g_rtConnected && simTime >= 1) sendDataPacket(fmt::format("Qs123={}\r\n", simTime * 1000));
}

void gf_sendRtAreaRequest() {
    if (!g_rtLocal) return;
    const UserState user = gf_copyUserState();
    if (!userPositionKnown(user)) return;
    if (!g_rtConnected) {
        // Waits for RealTraffic's return; nothing is sent in this call.
        if (g_exitReason != ExitReason::NotYetSet || !waitForClient()) return;
        g_rtActive = true;
        gf_repaintIndicators();
        gf_setStatus(fmt::format("{} RealTraffic re-connected", gf_utcClockText()), true);
        gf_clearStatus();
        return;
    }
    if (!sendDataPacket(lf_rtAreaLine(user))) lf_onRealTrafficGone();
}

void gf_closeRtServer() {
    if (g_rtConnected) sendDataPacket("exit\r\n");
    std::shared_ptr<RtSocket> listener;
    std::shared_ptr<RtSocket> client;
    {
        const std::lock_guard lock(g_rtSocketsMutex);
        listener.swap(g_rtListenSocket);
        client.swap(g_rtClientSocket);
    }
    // Wakes a wait of the traffic thread; whoever lets go last closes.
    for (const std::shared_ptr<RtSocket>& socket : {listener, client})
        if (socket) socket->socket->shutdown();
    g_rtConnected.exchange(false);
}

std::uint16_t gf_rtServerPort() {
    const std::shared_ptr<RtSocket> listener = current(g_rtListenSocket);
    return listener ? listener->socket->localPort() : 0;
}

std::string lf_rtAreaLine(const UserState& user) {
    // Whole numbers in fixed notation: a general format with no digits after
    // the point would send 35000 ft as "4e+07".
    constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
    return fmt::format("Qs121={:.0f};{:.0f};{:.6f};{:.0f};{:.0f};{:.6f};{:.6f}\r\n", user.pitch * 100000.0,
                       user.bank * 100000.0, user.heading, user.altitudeFt * 1000.0, user.groundVelocityKt * 1000.0,
                       user.lat * kRadiansPerDegree, user.lon * kRadiansPerDegree);
}
