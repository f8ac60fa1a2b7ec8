#include "platform/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/text_convert.h"
#include "platform/posix/fd_stream.h"

namespace platform {
namespace {

int nativeFamily(IpFamily family) { return family == IpFamily::v6 ? AF_INET6 : AF_INET; }

// Closes a socket descriptor unless it is -1.
void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

bool socketsStartup() { return true; }
void socketsCleanup() {}

std::shared_ptr<AsyncStream> connectTcpStream(IpFamily family, const std::u16string& host, const std::u16string& port,
                                              bool noDelay, std::uint32_t& osError) {
    const std::string node = gf_wideToUtf8(host);
    const std::string service = gf_wideToUtf8(port);
    addrinfo hints{};
    hints.ai_family = nativeFamily(family);
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(node.empty() ? nullptr : node.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        osError = 11001;  // WSAHOST_NOT_FOUND
        return nullptr;
    }
    int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    int result = fd < 0 ? -1 : ::connect(fd, found->ai_addr, found->ai_addrlen);
    while (result < 0 && errno == EINTR) result = ::connect(fd, found->ai_addr, found->ai_addrlen);
    const int error = errno;
    ::freeaddrinfo(found);
    if (result < 0) {
        closeFd(fd);
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

struct TcpServer::Impl {
    int listener = -1;
    int client = -1;
};

TcpServer::TcpServer(IpFamily family, const std::string& address, std::uint16_t port) : impl_(std::make_unique<Impl>()) {
    sockaddr_storage where{};
    socklen_t length = 0;
    if (family == IpFamily::v6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(where);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        if (::inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) != 1) return;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(where);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        if (::inet_pton(AF_INET, address.c_str(), &v4.sin_addr) != 1) return;
        length = sizeof v4;
    }
    impl_->listener = ::socket(nativeFamily(family), SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (impl_->listener < 0) return;
    const int on = 1;
    ::setsockopt(impl_->listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(impl_->listener, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
        ::listen(impl_->listener, 4) != 0)
        closeFd(impl_->listener);
}

TcpServer::~TcpServer() {
    disconnect();
    closeFd(impl_->listener);
}

bool TcpServer::ok() const { return impl_->listener >= 0; }

std::uint16_t TcpServer::port() const {
    sockaddr_storage where{};
    socklen_t length = sizeof where;
    if (!ok() || ::getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&where), &length) != 0) return 0;
    return ntohs(where.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(where).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(where).sin_port);
}

bool TcpServer::accept(int timeoutMs) {
    disconnect();
    if (!ok() || !posix_io::waitReadable(impl_->listener, timeoutMs)) return false;
    impl_->client = ::accept4(impl_->listener, nullptr, nullptr, SOCK_CLOEXEC);
    return impl_->client >= 0;
}

std::ptrdiff_t TcpServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    return posix_io::receiveWithin(impl_->client, buffer, timeoutMs);
}

bool TcpServer::send(std::span<const std::byte> data) {
    return impl_->client >= 0 && posix_io::sendAllBlocking(impl_->client, data.data(), data.size());
}

void TcpServer::disconnect() {
    if (impl_->client >= 0) ::shutdown(impl_->client, SHUT_RDWR);
    closeFd(impl_->client);
}

}  // namespace platform
