#include "support/http_test_server.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include "support/wait.h"

namespace testing_support {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
constexpr int kSendFlags = 0;
void closeSocket(Socket s) { closesocket(s); }
void setTimeout(Socket s, int option, int ms) {
    const DWORD timeout = static_cast<DWORD>(ms);
    setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}
constexpr int kShutdownSend = SD_SEND;
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
constexpr int kSendFlags = MSG_NOSIGNAL;  // a client that hung up must not kill the test with SIGPIPE
void closeSocket(Socket s) { close(s); }
void setTimeout(Socket s, int option, int ms) {
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    setsockopt(s, SOL_SOCKET, option, &timeout, sizeof timeout);
}
constexpr int kShutdownSend = SHUT_WR;
#endif

Socket socketOf(std::uintptr_t s) { return static_cast<Socket>(s); }

// In pieces of 64 KiB: Wine's blocking send of a megabyte at once to a
// loopback reader could stall now and then on a loaded machine.
bool sendAll(Socket s, std::string_view bytes) {
    constexpr std::size_t kPiece = 64 * 1024;
    while (!bytes.empty()) {
        const auto sent = send(s, bytes.data(), static_cast<int>(std::min(bytes.size(), kPiece)), kSendFlags);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Reads until the client closes the connection, it fails, or the server stops.
void waitForClientToHangUp(Socket s, const std::atomic<bool>& stopping) {
    char buffer[512];
    while (!stopping) {
        const auto n = recv(s, buffer, sizeof buffer, 0);
        if (n == 0) return;
        if (n < 0) {
#ifdef _WIN32
            if (WSAGetLastError() != WSAETIMEDOUT) return;
#else
            if (errno != EAGAIN && errno != EWOULDBLOCK) return;
#endif
        }
    }
}

std::string reasonOf(int status) {
    switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

std::string headerValue(const std::string& head, std::string name) {
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto at = lower.find("\r\n" + name + ":");
    if (at == std::string::npos) return {};
    auto begin = at + name.size() + 3;
    while (begin < head.size() && head[begin] == ' ') ++begin;
    return head.substr(begin, head.find("\r\n", begin) - begin);
}
}  // namespace

HttpTestServer::HttpTestServer() {
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("HttpTestServer: WSAStartup failed");
#endif
    const Socket listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == kNoSocket) throw std::runtime_error("HttpTestServer: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // the system picks a free port
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closeSocket(listener);
        throw std::runtime_error("HttpTestServer: cannot listen on 127.0.0.1");
    }
    listener_ = static_cast<std::uintptr_t>(listener);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    // Wake the blocking accept with a connection of our own.
    const Socket wake = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port_);
    connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof address);
    thread_.join();
    closeSocket(wake);
    closeSocket(socketOf(listener_));
#ifdef _WIN32
    WSACleanup();
#endif
}

void HttpTestServer::route(const std::string& path, HttpRoute answer) {
    const std::lock_guard lock(mutex_);
    routes_[path] = std::move(answer);
}

std::string HttpTestServer::url(std::string_view path) const {
    return fmt::format("http://127.0.0.1:{}{}", port_, path);
}

std::vector<HttpRequest> HttpTestServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void HttpTestServer::serve() {
    while (!stopping_) {
        const Socket connection = accept(socketOf(listener_), nullptr, nullptr);
        if (connection == kNoSocket) continue;
        if (!stopping_) answer(static_cast<std::uintptr_t>(connection));
        closeSocket(connection);
    }
}

void HttpTestServer::answer(std::uintptr_t handle) {
    const Socket connection = socketOf(handle);
    setTimeout(connection, SO_RCVTIMEO, 50);
    // A client that stops reading without closing must not hold the server
    // (and the test's end, which joins it) for ever.
    setTimeout(connection, SO_SNDTIMEO, kSafetyMs);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !stopping_) {
        const auto n = recv(connection, buffer, sizeof buffer, 0);
        if (n == 0) return;
        if (n > 0) head.append(buffer, static_cast<std::size_t>(n));
#ifdef _WIN32
        else if (WSAGetLastError() != WSAETIMEDOUT) return;
#else
        else if (errno != EAGAIN && errno != EWOULDBLOCK) return;
#endif
    }
    HttpRequest request;
    const auto lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const auto firstBlank = line.find(' ');
    const auto secondBlank = line.find(' ', firstBlank + 1);
    request.method = line.substr(0, firstBlank);
    request.path = line.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    request.userAgent = headerValue(head, "User-Agent");

    HttpRoute route{404, "no such file", HttpRoute::kWhole, HttpRoute::kWhole};
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (const auto it = routes_.find(request.path); it != routes_.end()) route = it->second;
    }
    std::string header = fmt::format("HTTP/1.1 {} {}\r\nContent-Type: application/octet-stream\r\n", route.status,
                                     reasonOf(route.status));
    if (route.declareLength) header += fmt::format("Content-Length: {}\r\n", route.body.size());
    if (!route.location.empty()) header += fmt::format("Location: {}\r\n", route.location);
    header += "Connection: close\r\n\r\n";
    const std::size_t sendBytes = std::min({route.body.size(), route.closeAfter, route.stallAfter});
    if (!sendAll(connection, header) || !sendAll(connection, std::string_view(route.body).substr(0, sendBytes)))
        return;
    if (route.stallAfter < route.body.size()) {
        waitForClientToHangUp(connection, stopping_);
        return;
    }
    if (route.closeAfter < route.body.size()) return;  // closed part-way through the body
    // Let the client read everything before the socket closes.
    shutdown(connection, kShutdownSend);
    waitForClientToHangUp(connection, stopping_);
}

}  // namespace testing_support
