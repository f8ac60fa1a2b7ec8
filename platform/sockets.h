// Sockets: the socket library's start and clean-up, the overlapped TCP client
// stream of the SimConnect library, a blocking TCP server end, the blocking
// TCP socket of the RealTraffic command link, and a UDP socket for datagrams. Errors are Winsock error numbers on every platform
// (10060 for a time-out, 10048 for an address in use ...), so that the texts
// built from them read the same everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/async_stream.h"
#include "platform/server_end.h"

namespace platform {

// Address families as Windows numbers them (AF_INET, AF_INET6).
enum class IpFamily : int { v4 = 2, v6 = 23 };

// WSAStartup(2.0) and WSACleanup; nothing to do on POSIX.
bool socketsStartup();
void socketsCleanup();
// WSAStartup(2.2): its result, 0 when started; always 0 on POSIX.
std::int32_t socketsStartupResult();

// Winsock error numbers that callers act on.
inline constexpr std::int32_t kWsaInterrupted = 10004;      // WSAEINTR
inline constexpr std::int32_t kWsaWouldBlock = 10035;       // WSAEWOULDBLOCK
inline constexpr std::int32_t kWsaMessageTooLong = 10040;   // WSAEMSGSIZE
inline constexpr std::int32_t kWsaAddressInUse = 10048;     // WSAEADDRINUSE
inline constexpr std::int32_t kWsaTimedOut = 10060;         // WSAETIMEDOUT
inline constexpr std::int32_t kWsaNotSocket = 10038;        // WSAENOTSOCK

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

// A blocking TCP socket as the RealTraffic command link uses it: the
// listening socket or the client it accepted. It is closed when the object
// goes. Two threads may use one socket at once: shutdown() on one makes a
// call pending on the other return. Every call returns 0 or a Winsock error
// number (kWsaTimedOut when a wait ran out).
class TcpSocket {
public:
    // The step of listen() that failed, with its error: getaddrinfo's own
    // result for the address look-up, else the socket error.
    enum class Step { addressInfo, socket, blockingMode, reuseAddress, bind, listen };
    struct Failure {
        Step step = Step::addressInfo;
        std::int32_t error = 0;
    };

    // getaddrinfo(no host, port, AI_PASSIVE, AF_INET, SOCK_STREAM,
    // IPPROTO_TCP), a socket of the first result in blocking mode with
    // SO_REUSEADDR, bound to it and listening (backlog SOMAXCONN). Null, with
    // the failure, when a step fails; what was opened is closed again.
    static std::unique_ptr<TcpSocket> listen(const std::string& port, Failure& failure);

    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // The local port; 0 when it cannot be told.
    std::uint16_t localPort() const;
    // A listening socket: waits up to timeoutMs for a client and accepts it.
    std::int32_t accept(int timeoutMs, std::unique_ptr<TcpSocket>& client);
    // TCP_NODELAY on.
    std::int32_t setNoDelay();
    // The whole text in one send call; a partial send is not retried.
    std::int32_t send(std::string_view text);
    // Waits up to timeoutMs for bytes, then receives once into the buffer;
    // count 0 means the peer has closed the connection.
    std::int32_t receive(std::span<char> buffer, int timeoutMs, std::size_t& count);
    // Shuts both directions down; the socket stays open until the object goes.
    void shutdown();

    struct Impl;

private:
    explicit TcpSocket(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// An IPv4 UDP socket (socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)). One thread
// uses it at a time. Every call returns 0 or a Winsock error number.
class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();  // closes
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    std::int32_t open();
    bool isOpen() const;
    // Binds to 127.0.0.1 when loopbackOnly, else to any address; port 0 lets
    // the system choose one.
    std::int32_t bind(std::uint16_t port, bool loopbackOnly);
    // The port bound to; 0 when not bound.
    std::uint16_t localPort() const;
    // SO_RCVTIMEO: a receive gives up after this long with 10060.
    std::int32_t setReceiveTimeout(std::uint32_t milliseconds);

    struct Received {
        std::int32_t error = 0;  // 0, or the Winsock error (10060 at the time-out)
        std::size_t size = 0;    // the datagram's whole length, also when longer than the buffer
    };
    // Receives one datagram; of a datagram longer than the buffer only the
    // first buffer.size() bytes are stored, the rest is lost (size tells).
    Received receive(std::span<char> buffer);
    // Sends one datagram to a numeric IPv4 address (e.g. "127.0.0.1").
    std::int32_t sendTo(const std::string& address, std::uint16_t port, std::span<const char> data);
    // Shuts the socket down in both directions and closes it; nothing when closed.
    void close();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
