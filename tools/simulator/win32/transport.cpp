// Winsock TCP listeners for IPv4 and IPv6 and the real named pipe, served
// with overlapped I/O so one thread can wait on all of them with a timeout.
#include "tools/simulator/transport.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <stdexcept>

#include <fmt/format.h>

#include "foundation/text_convert.h"
#include "tools/simulator/config.h"
#include "tools/simulator/transport_common.h"

namespace simulator {

namespace {

void ensureWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    });
}

std::string systemMessage(DWORD code) {
    return fmt::format("error {}", code);
}

std::wstring wide(const std::string& text) {
    const std::u16string u = utf8_to_wide(text);
    return std::wstring(u.begin(), u.end());
}

std::wstring pipePath(const std::string& name) {
    return L"\\\\.\\pipe\\" + wide(barePipeName(name));
}

class SocketConnection : public Connection {
public:
    SocketConnection(SOCKET s, std::string peer) : socket_(s), peer_(std::move(peer)) {}
    ~SocketConnection() override { close(false); }

    ReadStatus read(std::vector<std::uint8_t>& into, int timeoutMs) override {
        if (socket_ == INVALID_SOCKET) return ReadStatus::Closed;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
        if (ready == 0) return ReadStatus::Timeout;
        if (ready < 0) return ReadStatus::Closed;
        char buffer[65536];
        const int got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got <= 0) return ReadStatus::Closed;
        into.insert(into.end(), buffer, buffer + got);
        return ReadStatus::Data;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (socket_ != INVALID_SOCKET && done < bytes.size()) {
            const int sent = ::send(socket_, reinterpret_cast<const char*>(bytes.data()) + done,
                                    static_cast<int>(bytes.size() - done), 0);
            if (sent <= 0) return false;
            done += static_cast<std::size_t>(sent);
        }
        return socket_ != INVALID_SOCKET;
    }

    void close(bool graceful) override {
        if (socket_ == INVALID_SOCKET) return;
        if (graceful) {
            ::shutdown(socket_, SD_SEND);
            drainBeforeClose(*this);
        } else {
            const linger reset{1, 0};
            ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
        }
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

    std::string peer() const override { return peer_; }

private:
    SOCKET socket_;
    std::string peer_;
};

// One end of a named pipe opened for overlapped I/O. A read that times out
// stays posted and is picked up by the next call.
class PipeConnection : public Connection {
public:
    PipeConnection(HANDLE pipe, bool serverEnd, std::string peer)
        : pipe_(pipe), serverEnd_(serverEnd), peer_(std::move(peer)) {
        readEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        buffer_.resize(65536);
    }
    ~PipeConnection() override {
        close(false);
        ::CloseHandle(readEvent_);
        ::CloseHandle(writeEvent_);
    }

    ReadStatus read(std::vector<std::uint8_t>& into, int timeoutMs) override {
        if (pipe_ == INVALID_HANDLE_VALUE) return ReadStatus::Closed;
        if (!readPending_) {
            readOv_ = OVERLAPPED{};
            readOv_.hEvent = readEvent_;
            ::ResetEvent(readEvent_);
            if (!::ReadFile(pipe_, buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &readOv_)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) return ReadStatus::Closed;
            }
            readPending_ = true;
        }
        if (::WaitForSingleObject(readEvent_, static_cast<DWORD>(timeoutMs)) == WAIT_TIMEOUT)
            return ReadStatus::Timeout;
        readPending_ = false;
        DWORD got = 0;
        if (!::GetOverlappedResult(pipe_, &readOv_, &got, FALSE) && ::GetLastError() != ERROR_MORE_DATA)
            return ReadStatus::Closed;
        if (got == 0) return ReadStatus::Timeout;  // a zero-length message
        into.insert(into.end(), buffer_.begin(), buffer_.begin() + got);
        return ReadStatus::Data;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        if (pipe_ == INVALID_HANDLE_VALUE) return false;
        OVERLAPPED ov{};
        ov.hEvent = writeEvent_;
        ::ResetEvent(writeEvent_);
        if (!::WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov) &&
            ::GetLastError() != ERROR_IO_PENDING)
            return false;
        // A client that stops reading must not hang the stand-in for ever.
        if (::WaitForSingleObject(writeEvent_, 10000) == WAIT_TIMEOUT) {
            ::CancelIoEx(pipe_, &ov);
            DWORD ignored = 0;
            ::GetOverlappedResult(pipe_, &ov, &ignored, TRUE);
            return false;
        }
        DWORD written = 0;
        return ::GetOverlappedResult(pipe_, &ov, &written, FALSE) && written == bytes.size();
    }

    void close(bool graceful) override {
        if (pipe_ == INVALID_HANDLE_VALUE) return;
        if (readPending_) {
            ::CancelIoEx(pipe_, &readOv_);
            DWORD ignored = 0;
            ::GetOverlappedResult(pipe_, &readOv_, &ignored, TRUE);
            readPending_ = false;
        }
        if (serverEnd_) {
            // Flushing waits until the client has read everything we wrote;
            // disconnecting without it would throw the unread bytes away.
            if (graceful) ::FlushFileBuffers(pipe_);
            ::DisconnectNamedPipe(pipe_);
        }
        ::CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }

    std::string peer() const override { return peer_; }

private:
    HANDLE pipe_;
    bool serverEnd_;
    std::string peer_;
    HANDLE readEvent_ = nullptr, writeEvent_ = nullptr;
    OVERLAPPED readOv_{};
    bool readPending_ = false;
    std::vector<std::uint8_t> buffer_;
};

std::string peerName(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
        return fmt::format("tcp {}:{}", host, ntohs(a.sin_port));
    }
    const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
    ::inet_ntop(AF_INET6, &a.sin6_addr, host, sizeof host);
    return fmt::format("tcp [{}]:{}", host, ntohs(a.sin6_port));
}

void noDelay(SOCKET s) {
    const BOOL on = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

SOCKET listenTcp(const std::string& address, std::uint16_t port, int family, std::uint16_t& bound) {
    ensureWinsock();
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0)
        throw std::runtime_error(fmt::format("address {}: {}", address, systemMessage(::WSAGetLastError())));
    const SOCKET s = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s == INVALID_SOCKET) {
        ::freeaddrinfo(found);
        throw std::runtime_error(fmt::format("socket for {}: {}", address, systemMessage(::WSAGetLastError())));
    }
    // Refuse a port another server holds, as a simulator would.
    const BOOL exclusive = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (family == AF_INET6) {
        const DWORD only = 1;
        ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only), sizeof only);
    }
    const bool ok = ::bind(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 && ::listen(s, 8) == 0;
    ::freeaddrinfo(found);
    if (!ok) {
        const int error = ::WSAGetLastError();
        ::closesocket(s);
        throw std::runtime_error(fmt::format("listening on {} port {}: {}", address, port, systemMessage(error)));
    }
    sockaddr_storage local{};
    int length = sizeof local;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length);
    bound = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in&>(local).sin_port
                                    : reinterpret_cast<sockaddr_in6&>(local).sin6_port);
    return s;
}

}  // namespace

struct Listeners::State {
    Endpoints endpoints;
    SOCKET tcp4 = INVALID_SOCKET, tcp6 = INVALID_SOCKET;
    WSAEVENT event4 = WSA_INVALID_EVENT, event6 = WSA_INVALID_EVENT;
    std::wstring pipeName;
    bool messageMode = true;
    bool firstInstance = true;
    HANDLE pipe = INVALID_HANDLE_VALUE;  // the instance waiting for the next client
    HANDLE connectEvent = nullptr;
    OVERLAPPED connectOv{};

    // Creates a fresh pipe instance and starts waiting for a client on it;
    // the error text when that fails (the pipe then serves no more clients).
    std::string postPipeInstance() {
        const DWORD type = messageMode ? PIPE_TYPE_MESSAGE : PIPE_TYPE_BYTE;
        pipe = ::CreateNamedPipeW(
            pipeName.c_str(),
            PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (firstInstance ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
            type | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE)
            return fmt::format("creating the pipe {}: {}", endpoints.pipe, systemMessage(::GetLastError()));
        firstInstance = false;
        connectOv = OVERLAPPED{};
        connectOv.hEvent = connectEvent;
        ::ResetEvent(connectEvent);
        if (!::ConnectNamedPipe(pipe, &connectOv)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_PIPE_CONNECTED) {
                ::SetEvent(connectEvent);
            } else if (error != ERROR_IO_PENDING) {
                ::CloseHandle(pipe);
                pipe = INVALID_HANDLE_VALUE;
                return fmt::format("waiting on the pipe {}: {}", endpoints.pipe, systemMessage(error));
            }
        }
        return {};
    }
};

Listeners::Listeners(const SimulatorConfig& config) : state_(std::make_unique<State>()) {
    State& s = *state_;
    openConfiguredListeners(
        config, s.endpoints,
        [&] {
            s.tcp4 = listenTcp(config.address4, config.port4, AF_INET, s.endpoints.port4);
            s.event4 = ::WSACreateEvent();
            ::WSAEventSelect(s.tcp4, s.event4, FD_ACCEPT);
        },
        [&] {
            s.tcp6 = listenTcp(config.address6, config.port6, AF_INET6, s.endpoints.port6);
            s.event6 = ::WSACreateEvent();
            ::WSAEventSelect(s.tcp6, s.event6, FD_ACCEPT);
        },
        [&] {
            s.pipeName = pipePath(config.pipeName);
            s.endpoints.pipe = "\\\\.\\pipe\\" + barePipeName(config.pipeName);
            s.messageMode = config.pipeMessageMode;
            s.connectEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (const std::string error = s.postPipeInstance(); !error.empty()) throw std::runtime_error(error);
        },
        [&] { return s.tcp4 != INVALID_SOCKET || s.tcp6 != INVALID_SOCKET || s.pipe != INVALID_HANDLE_VALUE; });
}

Listeners::~Listeners() {
    State& s = *state_;
    for (SOCKET socket : {s.tcp4, s.tcp6})
        if (socket != INVALID_SOCKET) ::closesocket(socket);
    for (WSAEVENT event : {s.event4, s.event6})
        if (event != WSA_INVALID_EVENT) ::WSACloseEvent(event);
    if (s.pipe != INVALID_HANDLE_VALUE) {
        ::CancelIoEx(s.pipe, &s.connectOv);
        DWORD ignored = 0;
        ::GetOverlappedResult(s.pipe, &s.connectOv, &ignored, TRUE);
        ::CloseHandle(s.pipe);
    }
    if (s.connectEvent) ::CloseHandle(s.connectEvent);
}

const Endpoints& Listeners::endpoints() const {
    return state_->endpoints;
}

std::unique_ptr<Connection> Listeners::accept(int timeoutMs) {
    State& s = *state_;
    HANDLE handles[3];
    DWORD count = 0;
    if (s.tcp4 != INVALID_SOCKET) handles[count++] = s.event4;
    if (s.tcp6 != INVALID_SOCKET) handles[count++] = s.event6;
    if (s.pipe != INVALID_HANDLE_VALUE) handles[count++] = s.connectEvent;
    const DWORD which = ::WaitForMultipleObjects(count, handles, FALSE, static_cast<DWORD>(timeoutMs));
    if (which >= WAIT_OBJECT_0 + count) return nullptr;
    const HANDLE signalled = handles[which - WAIT_OBJECT_0];

    if (signalled == s.connectEvent) {
        DWORD ignored = 0;
        if (!::GetOverlappedResult(s.pipe, &s.connectOv, &ignored, FALSE) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
            ::CloseHandle(s.pipe);
            s.postPipeInstance();
            return nullptr;
        }
        auto connection = std::make_unique<PipeConnection>(s.pipe, true, "pipe " + s.endpoints.pipe);
        s.postPipeInstance();  // the next client can connect and wait its turn
        return connection;
    }
    const SOCKET listening = signalled == s.event4 ? s.tcp4 : s.tcp6;
    WSANETWORKEVENTS events;
    ::WSAEnumNetworkEvents(listening, signalled, &events);
    sockaddr_storage address{};
    int length = sizeof address;
    const SOCKET client = ::accept(listening, reinterpret_cast<sockaddr*>(&address), &length);
    if (client == INVALID_SOCKET) return nullptr;
    // The accepted socket inherits the event selection; it is used blocking.
    ::WSAEventSelect(client, nullptr, 0);
    u_long blocking = 0;
    ::ioctlsocket(client, FIONBIO, &blocking);
    noDelay(client);
    return std::make_unique<SocketConnection>(client, peerName(address));
}

std::unique_ptr<Connection> connectTcp(const std::string& address, std::uint16_t port) {
    ensureWinsock();
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0)
        throw std::runtime_error(fmt::format("address {}: {}", address, systemMessage(::WSAGetLastError())));
    const SOCKET s = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const bool ok = s != INVALID_SOCKET && ::connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0;
    ::freeaddrinfo(found);
    if (!ok) {
        const int error = ::WSAGetLastError();
        if (s != INVALID_SOCKET) ::closesocket(s);
        throw std::runtime_error(fmt::format("connecting to {} port {}: {}", address, port, systemMessage(error)));
    }
    noDelay(s);
    return std::make_unique<SocketConnection>(s, fmt::format("tcp {}:{}", address, port));
}

std::unique_ptr<Connection> connectPipe(const std::string& pipeName, const std::filesystem::path&) {
    const std::wstring name = pipePath(pipeName);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const HANDLE pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) return std::make_unique<PipeConnection>(pipe, false, "pipe " + pipeName);
        if (::GetLastError() != ERROR_PIPE_BUSY || !::WaitNamedPipeW(name.c_str(), 5000)) break;
    }
    throw std::runtime_error(fmt::format("connecting to the pipe {}: {}", pipeName, systemMessage(::GetLastError())));
}

}  // namespace simulator
