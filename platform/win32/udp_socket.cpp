// The UDP socket over Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <gsl/narrow>
#include <vector>

#include "platform/sockets.h"

namespace platform {

std::int32_t socketsStartupResult() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
}

struct UdpSocket::Impl {
    SOCKET socket = INVALID_SOCKET;
    bool started = false;  // this socket's own WSAStartup, undone when it closes
    // Winsock refuses a datagram longer than the buffer (WSAEMSGSIZE) without
    // telling its length; a buffer as long as the longest IPv4 datagram
    // always takes it whole.
    std::vector<char> whole;
};

UdpSocket::UdpSocket() : impl_(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { close(); }

std::int32_t UdpSocket::open() {
    close();
    impl_->started = socketsStartupResult() == 0;
    impl_->socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return impl_->socket == INVALID_SOCKET ? WSAGetLastError() : 0;
}

bool UdpSocket::isOpen() const { return impl_->socket != INVALID_SOCKET; }

std::int32_t UdpSocket::bind(std::uint16_t port, bool loopbackOnly) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (loopbackOnly) inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
    else where.sin_addr.s_addr = htonl(INADDR_ANY);
    return ::bind(impl_->socket, reinterpret_cast<const sockaddr*>(&where), sizeof where) == SOCKET_ERROR
               ? WSAGetLastError()
               : 0;
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in where{};
    int length = sizeof where;
    if (!isOpen() || getsockname(impl_->socket, reinterpret_cast<sockaddr*>(&where), &length) == SOCKET_ERROR) return 0;
    return ntohs(where.sin_port);
}

std::int32_t UdpSocket::setReceiveTimeout(std::uint32_t milliseconds) {
    const DWORD limit = milliseconds;
    return setsockopt(impl_->socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit) ==
                   SOCKET_ERROR
               ? WSAGetLastError()
               : 0;
}

UdpSocket::Received UdpSocket::receive(std::span<char> buffer) {
    constexpr std::size_t kLongestDatagram = 65536;
    char* into = buffer.data();
    std::size_t room = buffer.size();
    if (room < kLongestDatagram) {
        impl_->whole.resize(kLongestDatagram);
        into = impl_->whole.data();
        room = kLongestDatagram;
    }
    const int n = recvfrom(impl_->socket, into, gsl::narrow<int>(room), 0, nullptr, nullptr);
    if (n == SOCKET_ERROR) return {WSAGetLastError(), 0};
    const auto size = static_cast<std::size_t>(n);
    if (into != buffer.data()) std::memcpy(buffer.data(), into, std::min(size, buffer.size()));
    return {0, size};
}

std::int32_t UdpSocket::sendTo(const std::string& address, std::uint16_t port, std::span<const char> data) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) return WSAEADDRNOTAVAIL;
    const int n = sendto(impl_->socket, data.data(), gsl::narrow<int>(data.size()), 0,
                         reinterpret_cast<const sockaddr*>(&where), sizeof where);
    return n == SOCKET_ERROR ? WSAGetLastError() : 0;
}

void UdpSocket::close() {
    if (impl_->socket != INVALID_SOCKET) {
        shutdown(impl_->socket, SD_BOTH);
        closesocket(impl_->socket);
        impl_->socket = INVALID_SOCKET;
    }
    if (impl_->started) {
        WSACleanup();
        impl_->started = false;
    }
}

}  // namespace platform
