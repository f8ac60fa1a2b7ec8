// The UDP socket over BSD sockets. Errors are reported with the Winsock
// numbers of the same conditions, so callers and their texts don't differ
// from the Windows build.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sockets.h"

namespace platform {
namespace {

std::int32_t wsaErrorOf(int error) {
    switch (error) {
    case EINTR: return kWsaInterrupted;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EAGAIN: return kWsaWouldBlock;  // EWOULDBLOCK is the same number on Linux
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return kWsaMessageTooLong;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return kWsaAddressInUse;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return kWsaTimedOut;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return error;  // no Winsock counterpart: the number shows as unknown
    }
}

std::int32_t lastError() { return wsaErrorOf(errno); }

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
