// Sockets: the socket library's start and clean-up, the overlapped TCP client
// stream of the SimConnect library, and blocking TCP server sockets (the test
// peers and stand-ins serve SimConnect clients with them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/async_stream.h"

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

// A listening TCP socket that serves one client at a time, with blocking
// calls that give up after a time-out.
class TcpServer {
public:
    // Listens on address (numeric, e.g. "127.0.0.1" or "::1") and port; port 0
    // lets the system choose one. ok() tells whether it worked.
    TcpServer(IpFamily family, const std::string& address, std::uint16_t port);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    bool ok() const;
    std::uint16_t port() const;
    // Waits up to timeoutMs for a client; an earlier client is dropped.
    bool accept(int timeoutMs);
    // Waits up to timeoutMs for bytes of the client: the count, 0 when the
    // client has closed, -1 on a failure or the time-out.
    std::ptrdiff_t receive(std::span<std::byte> buffer, int timeoutMs);
    bool send(std::span<const std::byte> data);
    // Closes the client's connection (shut down in both directions).
    void disconnect();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
