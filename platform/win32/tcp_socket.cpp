// The command link's TCP socket over Winsock. The caller has started
// Winsock (socketsStartupResult) for as long as its sockets live.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gsl/narrow>

#include "platform/sockets.h"

namespace platform {
namespace {

// 0 when the socket became readable within the time, else kWsaTimedOut or the error.
std::int32_t waitReadable(SOCKET socket, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &limit);
    if (ready == SOCKET_ERROR) return WSAGetLastError();
    return ready == 0 ? kWsaTimedOut : 0;
}

}  // namespace

struct TcpSocket::Impl {
    SOCKET socket = INVALID_SOCKET;
};

TcpSocket::TcpSocket(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TcpSocket::~TcpSocket() {
    if (impl_->socket != INVALID_SOCKET) closesocket(impl_->socket);
}

std::unique_ptr<TcpSocket> TcpSocket::listen(const std::string& port, Failure& failure) {
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int result = getaddrinfo(nullptr, port.c_str(), &hints, &found); result != 0 || found == nullptr) {
        failure = {Step::addressInfo, result != 0 ? result : WSAHOST_NOT_FOUND};
        return nullptr;
    }
    const auto fail = [&](Step step) {
        failure = {step, WSAGetLastError()};
        freeaddrinfo(found);
        return nullptr;
    };
    auto impl = std::make_unique<Impl>();
    impl->socket = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (impl->socket == INVALID_SOCKET) return fail(Step::socket);
    std::unique_ptr<TcpSocket> socket(new TcpSocket(std::move(impl)));
    const SOCKET s = socket->impl_->socket;
    u_long nonBlocking = 0;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) return fail(Step::blockingMode);
    const int on = 1;
    if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) == SOCKET_ERROR)
        return fail(Step::reuseAddress);
    if (bind(s, found->ai_addr, gsl::narrow<int>(found->ai_addrlen)) == SOCKET_ERROR) return fail(Step::bind);
    freeaddrinfo(found);
    if (::listen(s, SOMAXCONN) == SOCKET_ERROR) {
        failure = {Step::listen, WSAGetLastError()};
        return nullptr;
    }
    return socket;
}

std::uint16_t TcpSocket::localPort() const {
    sockaddr_in where{};
    int length = sizeof where;
    if (getsockname(impl_->socket, reinterpret_cast<sockaddr*>(&where), &length) == SOCKET_ERROR) return 0;
    return ntohs(where.sin_port);
}

std::int32_t TcpSocket::accept(int timeoutMs, std::unique_ptr<TcpSocket>& client) {
    if (const std::int32_t waited = waitReadable(impl_->socket, timeoutMs); waited != 0) return waited;
    const SOCKET accepted = ::accept(impl_->socket, nullptr, nullptr);
    if (accepted == INVALID_SOCKET) return WSAGetLastError();
    auto impl = std::make_unique<Impl>();
    impl->socket = accepted;
    client.reset(new TcpSocket(std::move(impl)));
    return 0;
}

std::int32_t TcpSocket::setNoDelay() {
    const char on = 1;
    return setsockopt(impl_->socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == SOCKET_ERROR ? WSAGetLastError()
                                                                                              : 0;
}

std::int32_t TcpSocket::send(std::string_view text) {
    return ::send(impl_->socket, text.data(), gsl::narrow<int>(text.size()), 0) == SOCKET_ERROR ? WSAGetLastError()
                                                                                               : 0;
}

std::int32_t TcpSocket::receive(std::span<char> buffer, int timeoutMs, std::size_t& count) {
    count = 0;
    if (const std::int32_t waited = waitReadable(impl_->socket, timeoutMs); waited != 0) return waited;
    const int n = recv(impl_->socket, buffer.data(), gsl::narrow<int>(buffer.size()), 0);
    if (n == SOCKET_ERROR) return WSAGetLastError();
    count = static_cast<std::size_t>(n);
    return 0;
}

void TcpSocket::shutdown() { ::shutdown(impl_->socket, SD_BOTH); }

}  // namespace platform
