// Sockets: the socket library's start and clean-up, the overlapped TCP client
// stream of the SimConnect library, and a blocking TCP server end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/async_stream.h"
#include "platform/server_end.h"

namespace platform {

// Address families as Windows numbers them (AF_INET, AF_INET6).
enum class IpFamily : int { v4 = 2, v6 = 23 };

// WSAStartup(2.0) and WSACleanup; nothing to do on POSIX.
bool socketsStartup();
void socketsCleanup();

// Connects over TCP: getaddrinfo(host, port) with the family, SOCK_STREAM and
// IPPROTO_TCP (an empty host is the loopback), a socket connected to the first
// result, TCP_NODELAY when noDelay, ready for overlapped I/O. Null with the
// socket error in osError on failure.
std::shared_ptr<AsyncStream> connectTcpStream(IpFamily family, const std::u16string& host, const std::u16string& port,
                                              bool noDelay, std::uint32_t& osError);

// A listening TCP socket that serves one client at a time.
class TcpServer final : public ServerEnd {
public:
    // Listens on address (numeric, e.g. "127.0.0.1" or "::1") and port; port 0
    // lets the system choose one.
    TcpServer(IpFamily family, const std::string& address, std::uint16_t port);
    ~TcpServer() override;
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // The port listened on.
    std::uint16_t port() const;

    bool ok() const override;
    bool accept(int timeoutMs) override;
    std::ptrdiff_t receive(std::span<std::byte> buffer, int timeoutMs) override;
    bool send(std::span<const std::byte> data) override;
    void disconnect() override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
