// The POSIX form of an overlapped stream: a connected stream socket served by
// one I/O thread that performs the posted read and write and delivers their
// completions, as the system thread pool does on Windows.
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

// Waits up to timeoutMs until fd is readable (or has hung up).
bool waitReadable(int fd, int timeoutMs);
// Waits up to timeoutMs for bytes of a blocking socket: the count, 0 at its
// end, -1 on a failure or the time-out.
std::ptrdiff_t receiveWithin(int fd, std::span<std::byte> buffer, int timeoutMs);
// Writes all of data to a blocking socket; false on a failure.
bool sendAllBlocking(int fd, const void* data, std::size_t size);

}  // namespace platform::posix_io
