// A small blocking HTTP/1.1 server on 127.0.0.1 for download tests: it serves
// one connection at a time on its own thread, answers each path as configured
// (status, body, a connection closed or stalled part-way through the body)
// and records the requests it saw. Unknown paths answer 404.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

struct HttpRoute {
    static constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
    int status = 200;
    std::string body;
    // Body bytes sent before the server closes the connection.
    std::size_t closeAfter = kWhole;
    // Body bytes sent before the server falls silent, keeping the connection
    // open until the client gives up.
    std::size_t stallAfter = kWhole;
    // A "Location" header, for redirects.
    std::string location = {};
    // Without it the body's end is the connection's end (no Content-Length).
    bool declareLength = true;
};

struct HttpRequest {
    std::string method;
    std::string path;
    std::string userAgent;
};

class HttpTestServer {
public:
    HttpTestServer();  // listens on a free port and starts serving
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    void route(const std::string& path, HttpRoute answer);
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string url(std::string_view path) const;
    std::vector<HttpRequest> requests() const;

private:
    void serve();
    void answer(std::uintptr_t connection);

    std::uintptr_t listener_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, HttpRoute> routes_;  // guarded by mutex_
    std::vector<HttpRequest> requests_;        // guarded by mutex_
    std::thread thread_;
};

}  // namespace testing_support
