// The command link's TCP socket over BSD sockets, with the Winsock numbers
// of the same conditions.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/wsa_errno.h"
#include "platform/sockets.h"

namespace platform {
namespace {

std::int32_t lastError() { return posix_io::wsaErrorOf(errno); }

// getaddrinfo's results as Winsock reports the same failures.
std::int32_t addressInfoError(int result) {
    switch (result) {
    case EAI_SERVICE: return 10109;  // WSATYPE_NOT_FOUND
    case EAI_NONAME: return 11001;   // WSAHOST_NOT_FOUND
    case EAI_AGAIN: return 11002;    // WSATRY_AGAIN
    case EAI_FAIL: return 11003;     // WSANO_RECOVERY
    case EAI_MEMORY: return 8;       // WSA_NOT_ENOUGH_MEMORY
    case EAI_FAMILY: return 10047;   // WSAEAFNOSUPPORT
    case EAI_SOCKTYPE: return 10044; // WSAESOCKTNOSUPPORT
    case EAI_BADFLAGS: return 10022; // WSAEINVAL
    case EAI_SYSTEM: return lastError();
    default: return 11003;
    }
}

// 0 when the socket became readable within the time, else kWsaTimedOut or the error.
std::int32_t waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return lastError();
    return ready == 0 ? kWsaTimedOut : 0;
}

}  // namespace

struct TcpSocket::Impl {
    int fd = -1;
};

TcpSocket::TcpSocket(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TcpSocket::~TcpSocket() {
    if (impl_->fd >= 0) ::close(impl_->fd);
}

std::unique_ptr<TcpSocket> TcpSocket::listen(const std::string& port, Failure& failure) {
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int result = ::getaddrinfo(nullptr, port.c_str(), &hints, &found); result != 0 || found == nullptr) {
        failure = {Step::addressInfo, result != 0 ? addressInfoError(result) : 11001};
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    const auto fail = [&](Step step) {
        failure = {step, lastError()};
        ::freeaddrinfo(found);
        return nullptr;
    };
    impl->fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    if (impl->fd < 0) return fail(Step::socket);
    std::unique_ptr<TcpSocket> socket(new TcpSocket(std::move(impl)));
    const int fd = socket->impl_->fd;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) return fail(Step::blockingMode);
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) return fail(Step::reuseAddress);
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0) return fail(Step::bind);
    ::freeaddrinfo(found);
    if (::listen(fd, SOMAXCONN) != 0) {
        failure = {Step::listen, lastError()};
        return nullptr;
    }
    return socket;
}

std::uint16_t TcpSocket::localPort() const {
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) return 0;
    return ntohs(where.sin_port);
}

std::int32_t TcpSocket::accept(int timeoutMs, std::unique_ptr<TcpSocket>& client) {
    if (const std::int32_t waited = waitReadable(impl_->fd, timeoutMs); waited != 0) return waited;
    int fd = -1;
    do {
        fd = ::accept4(impl_->fd, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return lastError();
    auto impl = std::make_unique<Impl>();
    impl->fd = fd;
    client.reset(new TcpSocket(std::move(impl)));
    return 0;
}

std::int32_t TcpSocket::setNoDelay() {
    const int on = 1;
    return ::setsockopt(impl_->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 ? 0 : lastError();
}

std::int32_t TcpSocket::send(std::string_view text) {
    ssize_t n = 0;
    do {
        n = ::send(impl_->fd, text.data(), text.size(), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? lastError() : 0;
}

std::int32_t TcpSocket::receive(std::span<char> buffer, int timeoutMs, std::size_t& count) {
    count = 0;
    if (const std::int32_t waited = waitReadable(impl_->fd, timeoutMs); waited != 0) return waited;
    ssize_t n = 0;
    do {
        n = ::recv(impl_->fd, buffer.data(), buffer.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return lastError();
    count = static_cast<std::size_t>(n);
    return 0;
}

void TcpSocket::shutdown() { ::shutdown(impl_->fd, SHUT_RDWR); }

}  // namespace platform
