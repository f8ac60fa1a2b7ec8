// The POSIX form of an overlapped stream: a connected stream socket served by
// one I/O thread that performs the posted read and write and delivers their
// completions, as the system thread pool does on Windows. Also the socket
// work shared by the TCP and pipe server ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/async_stream.h"

namespace platform::posix_io {

// Takes over the connected socket fd and starts its I/O thread.
std::shared_ptr<AsyncStream> startFdStream(int fd);

// The Windows error number and completion status closest to an errno value.
std::uint32_t windowsErrorOf(int error);
std::uint32_t statusOf(int error);

// A listening socket and the one client it serves, for the server ends.
struct FdServer {
    int listener = -1;
    int client = -1;

    FdServer() = default;
    FdServer(const FdServer&) = delete;
    FdServer& operator=(const FdServer&) = delete;
    ~FdServer();

    // Binds the listener of the family to the address and listens.
    bool listenOn(int family, const void* address, unsigned addressSize);
    bool accept(int timeoutMs);
    std::ptrdiff_t receive(std::span<std::byte> buffer, int timeoutMs);
    bool send(std::span<const std::byte> data);
    void disconnect();
};

}  // namespace platform::posix_io
