#include "platform/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/fd_stream.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

int nativeFamily(IpFamily family) { return family == IpFamily::v6 ? AF_INET6 : AF_INET; }

}  // namespace

bool socketsStartup() { return true; }
void socketsCleanup() {}

std::shared_ptr<AsyncStream> connectTcpStream(IpFamily family, const std::u16string& host, const std::u16string& port,
                                              bool noDelay, std::uint32_t& osError) {
    const std::string node = utf16ToUtf8(host, false).value_or(std::string());
    const std::string service = utf16ToUtf8(port, false).value_or(std::string());
    addrinfo hints{};
    hints.ai_family = nativeFamily(family);
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(node.empty() ? nullptr : node.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        osError = 11001;  // WSAHOST_NOT_FOUND
        return nullptr;
    }
    const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    int result = fd < 0 ? -1 : ::connect(fd, found->ai_addr, found->ai_addrlen);
    while (result < 0 && errno == EINTR) result = ::connect(fd, found->ai_addr, found->ai_addrlen);
    const int error = errno;
    ::freeaddrinfo(found);
    if (result < 0) {
        if (fd >= 0) ::close(fd);
        osError = posix_io::windowsErrorOf(error);
        return nullptr;
    }
    if (noDelay) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    auto stream = posix_io::startFdStream(fd);
    if (!stream) osError = posix_io::windowsErrorOf(EMFILE);
    return stream;
}

struct TcpServer::Impl : posix_io::FdServer {};

TcpServer::TcpServer(IpFamily family, const std::string& address, std::uint16_t port) : impl_(std::make_unique<Impl>()) {
    if (family == IpFamily::v6) {
        sockaddr_in6 where{};
        where.sin6_family = AF_INET6;
        where.sin6_port = htons(port);
        if (::inet_pton(AF_INET6, address.c_str(), &where.sin6_addr) == 1)
            impl_->listenOn(AF_INET6, &where, sizeof where);
    } else {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(port);
        if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) == 1) impl_->listenOn(AF_INET, &where, sizeof where);
    }
}

TcpServer::~TcpServer() = default;

std::uint16_t TcpServer::port() const {
    sockaddr_storage where{};
    socklen_t length = sizeof where;
    if (!ok() || ::getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&where), &length) != 0) return 0;
    return ntohs(where.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(where).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(where).sin_port);
}

bool TcpServer::ok() const { return impl_->listener >= 0; }
bool TcpServer::accept(int timeoutMs) { return impl_->accept(timeoutMs); }
std::ptrdiff_t TcpServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    return impl_->receive(buffer, timeoutMs);
}
bool TcpServer::send(std::span<const std::byte> data) { return impl_->send(data); }
void TcpServer::disconnect() { impl_->disconnect(); }

}  // namespace platform
