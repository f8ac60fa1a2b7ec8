// The UDP socket over BSD sockets. Errors are reported with the Winsock
// numbers of the same conditions, so callers and their texts don't differ
// from the Windows build.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/wsa_errno.h"
#include "platform/sockets.h"

namespace platform {
namespace {

std::int32_t lastError() { return posix_io::wsaErrorOf(errno); }

}  // namespace

std::int32_t socketsStartupResult() { return 0; }

struct UdpSocket::Impl {
    int fd = -1;
};

UdpSocket::UdpSocket() : impl_(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { close(); }

std::int32_t UdpSocket::open() {
    close();
    impl_->fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return impl_->fd < 0 ? lastError() : 0;
}

bool UdpSocket::isOpen() const { return impl_->fd >= 0; }

std::int32_t UdpSocket::bind(std::uint16_t port, bool loopbackOnly) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (loopbackOnly) ::inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
    else where.sin_addr.s_addr = htonl(INADDR_ANY);
    return ::bind(impl_->fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 ? 0 : lastError();
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (impl_->fd < 0 || ::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) return 0;
    return ntohs(where.sin_port);
}

std::int32_t UdpSocket::setReceiveTimeout(std::uint32_t milliseconds) {
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(milliseconds / 1000);
    limit.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    return ::setsockopt(impl_->fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0 ? 0 : lastError();
}

UdpSocket::Received UdpSocket::receive(std::span<char> buffer) {
    // MSG_TRUNC makes the call return the datagram's whole length.
    const auto n = ::recvfrom(impl_->fd, buffer.data(), buffer.size(), MSG_TRUNC, nullptr, nullptr);
    if (n >= 0) return {0, static_cast<std::size_t>(n)};
    // Winsock reports the end of the receive time-out as WSAETIMEDOUT.
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {kWsaTimedOut, 0};
    return {lastError(), 0};
}

std::int32_t UdpSocket::sendTo(const std::string& address, std::uint16_t port, std::span<const char> data) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) return 10049;  // WSAEADDRNOTAVAIL
    ssize_t n = 0;
    do {
        n = ::sendto(impl_->fd, data.data(), data.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&where),
                     sizeof where);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? lastError() : 0;
}

void UdpSocket::close() {
    if (impl_->fd < 0) return;
    ::shutdown(impl_->fd, SHUT_RDWR);
    ::close(impl_->fd);
    impl_->fd = -1;
}

}  // namespace platform
