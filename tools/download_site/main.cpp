// download_site: a stand-in for the maker's download site on 127.0.0.1, for
// the demo. It serves a folder read-only below "/downloads/", one connection
// at a time, logs every request, and ends at SIGINT or SIGTERM with exit code
// 0, or 1 when a request broke the protocol (see site.h).
//
//   download_site --root <folder> [--port <n>] [--ports-file <file>]
//
// With port 0 (the default) the system chooses the port; --ports-file then
// receives {"port": <n>} once the site listens.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/download_site/site.h"

namespace {
std::atomic<bool> g_stop{false};
extern "C" void onStopSignal(int) { g_stop.store(true); }

int usage() {
    std::cerr << "usage: download_site --root <folder> [--port <n>] [--ports-file <file>]\n";
    return 2;
}

bool sendAll(int s, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(s, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The request head up to the empty line; empty when the client sent none in time.
std::string readHead(int s) {
    timeval timeout{5, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const ssize_t n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const auto end = head.find("\r\n\r\n");
    return end == std::string::npos ? head : head.substr(0, end + 2);
}
}  // namespace

int main(int argc, char** argv) {
    std::string root, portsFile;
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return usage();
        if (arg == "--root") root = argv[++i];
        else if (arg == "--port") port = std::stoi(argv[++i]);
        else if (arg == "--ports-file") portsFile = argv[++i];
        else return usage();
    }
    if (root.empty()) return usage();

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::cerr << "download_site: FAILED: cannot listen: " << std::strerror(errno) << "\n";
        return 1;
    }
    if (!portsFile.empty()) std::ofstream(portsFile) << "{\"port\": " << ntohs(address.sin_port) << "}\n";
    std::cout << "download_site: serving " << root << " on 127.0.0.1:" << ntohs(address.sin_port) << std::endl;

    int faults = 0;
    while (!g_stop.load()) {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, 200) <= 0) continue;
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        const download_site::Answer answer = download_site::answer(root, readHead(connection));
        faults += answer.fault ? 1 : 0;
        sendAll(connection, download_site::responseBytes(answer));
        shutdown(connection, SHUT_WR);
        close(connection);
        std::cout << answer.logLine << std::endl;
    }
    close(listener);
    if (faults > 0) std::cerr << "download_site: FAILED: " << faults << " request(s) broke the protocol\n";
    return faults > 0 ? 1 : 0;
}
