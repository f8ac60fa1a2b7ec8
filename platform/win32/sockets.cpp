#include "platform/sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gsl/narrow>

#include "platform/win32/overlapped_stream.h"

namespace platform {
namespace {

int nativeFamily(IpFamily family) { return family == IpFamily::v6 ? AF_INET6 : AF_INET; }

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

void closeSocket(SOCKET& socket) {
    if (socket == INVALID_SOCKET) return;
    shutdown(socket, SD_BOTH);
    closesocket(socket);
    socket = INVALID_SOCKET;
}

// Waits up to timeoutMs until the socket is readable.
bool waitReadable(SOCKET socket, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &limit) > 0;
}

}  // namespace

bool socketsStartup() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

void socketsCleanup() { WSACleanup(); }

std::shared_ptr<AsyncStream> connectTcpStream(IpFamily family, const std::u16string& host, const std::u16string& port,
                                              bool noDelay, std::uint32_t& osError) {
    ADDRINFOW hints{};
    hints.ai_family = nativeFamily(family);
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    const int lookup = GetAddrInfoW(host.empty() ? nullptr : wide(host), wide(port), &hints, &found);
    if (lookup != 0 || found == nullptr) {
        osError = lookup != 0 ? static_cast<std::uint32_t>(lookup) : WSAHOST_NOT_FOUND;
        return nullptr;
    }
    SOCKET socket = WSASocketW(found->ai_family, found->ai_socktype, found->ai_protocol, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (socket == INVALID_SOCKET ||
        connect(socket, found->ai_addr, gsl::narrow<int>(found->ai_addrlen)) == SOCKET_ERROR) {
        osError = static_cast<std::uint32_t>(WSAGetLastError());
        FreeAddrInfoW(found);
        closeSocket(socket);
        return nullptr;
    }
    FreeAddrInfoW(found);
    if (noDelay) {
        const BOOL on = TRUE;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    }
    return win32_io::bindOverlappedStream(reinterpret_cast<HANDLE>(socket), win32_io::StreamKind::socket, osError);
}

struct TcpServer::Impl {
    bool started = false;
    SOCKET listener = INVALID_SOCKET;
    SOCKET client = INVALID_SOCKET;
};

TcpServer::TcpServer(IpFamily family, const std::string& address, std::uint16_t port) : impl_(std::make_unique<Impl>()) {
    impl_->started = socketsStartup();
    if (!impl_->started) return;
    sockaddr_storage where{};
    int length = 0;
    if (family == IpFamily::v6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(where);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) != 1) return;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(where);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        if (inet_pton(AF_INET, address.c_str(), &v4.sin_addr) != 1) return;
        length = sizeof v4;
    }
    impl_->listener = socket(nativeFamily(family), SOCK_STREAM, IPPROTO_TCP);
    if (impl_->listener == INVALID_SOCKET) return;
    if (bind(impl_->listener, reinterpret_cast<const sockaddr*>(&where), length) == SOCKET_ERROR ||
        listen(impl_->listener, 4) == SOCKET_ERROR) {
        closesocket(impl_->listener);
        impl_->listener = INVALID_SOCKET;
    }
}

TcpServer::~TcpServer() {
    disconnect();
    if (impl_->listener != INVALID_SOCKET) closesocket(impl_->listener);
    if (impl_->started) socketsCleanup();
}

bool TcpServer::ok() const { return impl_->listener != INVALID_SOCKET; }

std::uint16_t TcpServer::port() const {
    sockaddr_storage where{};
    int length = sizeof where;
    if (!ok() || getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&where), &length) == SOCKET_ERROR) return 0;
    return ntohs(where.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(where).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(where).sin_port);
}

bool TcpServer::accept(int timeoutMs) {
    disconnect();
    if (!ok() || !waitReadable(impl_->listener, timeoutMs)) return false;
    impl_->client = ::accept(impl_->listener, nullptr, nullptr);
    return impl_->client != INVALID_SOCKET;
}

std::ptrdiff_t TcpServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    if (impl_->client == INVALID_SOCKET || !waitReadable(impl_->client, timeoutMs)) return -1;
    const int n = recv(impl_->client, reinterpret_cast<char*>(buffer.data()), gsl::narrow<int>(buffer.size()), 0);
    return n == SOCKET_ERROR ? -1 : n;
}

bool TcpServer::send(std::span<const std::byte> data) {
    if (impl_->client == INVALID_SOCKET) return false;
    while (!data.empty()) {
        const int n = ::send(impl_->client, reinterpret_cast<const char*>(data.data()), gsl::narrow<int>(data.size()), 0);
        if (n == SOCKET_ERROR || n == 0) return false;
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

void TcpServer::disconnect() { closeSocket(impl_->client); }

}  // namespace platform
