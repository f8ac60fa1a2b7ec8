// BSD sockets: TCP listeners for IPv4 and IPv6 and a Unix-domain socket in
// place of the named pipe.
#include "tools/simulator/transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fmt/format.h>

#include "tools/simulator/config.h"
#include "tools/simulator/transport_common.h"

namespace simulator {

namespace {

std::string lastError() {
    return std::strerror(errno);
}

class SocketConnection : public Connection {
public:
    SocketConnection(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) {}
    ~SocketConnection() override { close(false); }

    ReadStatus read(std::vector<std::uint8_t>& into, int timeoutMs) override {
        if (fd_ < 0) return ReadStatus::Closed;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) return ReadStatus::Timeout;
        if (ready < 0) return ReadStatus::Closed;
        std::uint8_t buffer[65536];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) return ReadStatus::Timeout;
        if (got <= 0) return ReadStatus::Closed;
        into.insert(into.end(), buffer, buffer + got);
        return ReadStatus::Data;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (fd_ >= 0 && done < bytes.size()) {
            const ssize_t sent = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) return false;
            done += static_cast<std::size_t>(sent);
        }
        return fd_ >= 0;
    }

    void close(bool graceful) override {
        if (fd_ < 0) return;
        if (graceful) {
            ::shutdown(fd_, SHUT_WR);
            drainBeforeClose(*this);
        } else {
            const linger reset{1, 0};
            ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        }
        ::close(fd_);
        fd_ = -1;
    }

    std::string peer() const override { return peer_; }

private:
    int fd_;
    std::string peer_;
};

std::string peerName(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
        return fmt::format("tcp {}:{}", host, ntohs(a.sin_port));
    }
    if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &a.sin6_addr, host, sizeof host);
        return fmt::format("tcp [{}]:{}", host, ntohs(a.sin6_port));
    }
    return "pipe";
}

void noDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A listening TCP socket on the address and port; returns the port bound.
int listenTcp(const std::string& address, std::uint16_t port, int family, std::uint16_t& bound) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(address.c_str(), service.c_str(), &hints, &found); rc != 0)
        throw std::runtime_error(fmt::format("address {}: {}", address, ::gai_strerror(rc)));
    const int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (fd < 0) {
        ::freeaddrinfo(found);
        throw std::runtime_error(fmt::format("socket for {}: {}", address, lastError()));
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (family == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    const bool ok = ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 8) == 0;
    ::freeaddrinfo(found);
    if (!ok) {
        const std::string error = lastError();
        ::close(fd);
        throw std::runtime_error(fmt::format("listening on {} port {}: {}", address, port, error));
    }
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    bound = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in&>(local).sin_port
                                    : reinterpret_cast<sockaddr_in6&>(local).sin6_port);
    return fd;
}

sockaddr_un unixAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path)
        throw std::runtime_error(fmt::format("the pipe's socket path {} is too long", text));
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

int listenUnix(const std::filesystem::path& path) {
    const sockaddr_un address = unixAddress(path);
    // A socket file left by a stand-in that died is taken over; one that a
    // running stand-in answers on is not.
    if (std::filesystem::exists(path)) {
        const int probe = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool answered = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(probe);
        if (answered) throw std::runtime_error(fmt::format("another server answers on {}", path.string()));
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error(fmt::format("socket for {}: {}", path.string(), lastError()));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
        const std::string error = lastError();
        ::close(fd);
        throw std::runtime_error(fmt::format("listening on {}: {}", path.string(), error));
    }
    return fd;
}

}  // namespace

struct Listeners::State {
    Endpoints endpoints;
    int tcp4 = -1, tcp6 = -1, local = -1;
    std::filesystem::path socketPath;
};

Listeners::Listeners(const SimulatorConfig& config) : state_(std::make_unique<State>()) {
    State& s = *state_;
    openConfiguredListeners(
        config, s.endpoints, [&] { s.tcp4 = listenTcp(config.address4, config.port4, AF_INET, s.endpoints.port4); },
        [&] { s.tcp6 = listenTcp(config.address6, config.port6, AF_INET6, s.endpoints.port6); },
        [&] {
            s.socketPath = pipeSocketPath(config.pipeName, config.pipeDir);
            s.local = listenUnix(s.socketPath);
            s.endpoints.pipe = s.socketPath.string();
        },
        [&] { return s.tcp4 >= 0 || s.tcp6 >= 0 || s.local >= 0; });
}

Listeners::~Listeners() {
    for (int fd : {state_->tcp4, state_->tcp6, state_->local})
        if (fd >= 0) ::close(fd);
    if (!state_->socketPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove(state_->socketPath, ignored);
    }
}

const Endpoints& Listeners::endpoints() const {
    return state_->endpoints;
}

std::unique_ptr<Connection> Listeners::accept(int timeoutMs) {
    std::vector<pollfd> fds;
    for (int fd : {state_->tcp4, state_->tcp6, state_->local})
        if (fd >= 0) fds.push_back(pollfd{fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return nullptr;
    for (const pollfd& p : fds) {
        if ((p.revents & POLLIN) == 0) continue;
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = ::accept(p.fd, reinterpret_cast<sockaddr*>(&address), &length);
        if (fd < 0) continue;
        if (p.fd == state_->local) return std::make_unique<SocketConnection>(fd, "pipe " + state_->socketPath.string());
        noDelay(fd);
        return std::make_unique<SocketConnection>(fd, peerName(address));
    }
    return nullptr;
}

std::unique_ptr<Connection> connectTcp(const std::string& address, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(address.c_str(), service.c_str(), &hints, &found); rc != 0)
        throw std::runtime_error(fmt::format("address {}: {}", address, ::gai_strerror(rc)));
    const int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const bool ok = fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) == 0;
    ::freeaddrinfo(found);
    if (!ok) {
        const std::string error = lastError();
        if (fd >= 0) ::close(fd);
        throw std::runtime_error(fmt::format("connecting to {} port {}: {}", address, port, error));
    }
    noDelay(fd);
    return std::make_unique<SocketConnection>(fd, fmt::format("tcp {}:{}", address, port));
}

std::unique_ptr<Connection> connectPipe(const std::string& pipeName, const std::filesystem::path& folder) {
    const std::filesystem::path path = pipeSocketPath(pipeName, folder);
    const sockaddr_un address = unixAddress(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string error = lastError();
        if (fd >= 0) ::close(fd);
        throw std::runtime_error(fmt::format("connecting to {}: {}", path.string(), error));
    }
    return std::make_unique<SocketConnection>(fd, "pipe " + path.string());
}

}  // namespace simulator
