// An overlapped byte stream (the client end of a named pipe or a TCP
// connection): reads and writes are posted and complete later on another
// thread, the system thread pool on Windows, the stream's own I/O thread on
// POSIX. The owner posts at most one read and one write at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace platform {

// Completion status values, as Windows reports them (NTSTATUS).
inline constexpr std::uint32_t kStatusSuccess = 0;
inline constexpr std::uint32_t kStatusBufferOverflow = 0x80000005;         // a pipe message goes on in the next read
inline constexpr std::uint32_t kStatusUnsuccessful = 0xC0000001;
inline constexpr std::uint32_t kStatusCancelled = 0xC0000120;              // the stream was closed
inline constexpr std::uint32_t kStatusConnectionDisconnected = 0xC000013E;
inline constexpr std::uint32_t kStatusPipeBroken = 0xC000014B;
inline constexpr std::uint32_t kStatusConnectionReset = 0xC000020D;

// Windows error numbers that the seams report.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorBadNetPath = 53;
inline constexpr std::uint32_t kErrorBusy = 170;
inline constexpr std::uint32_t kErrorFilenameTooLong = 206;
inline constexpr std::uint32_t kErrorPipeBusy = 231;
inline constexpr std::uint32_t kErrorOperationAborted = 995;

struct IoResult {
    std::uint32_t status = kStatusSuccess;  // NTSTATUS of the operation
    std::uint32_t osError = 0;              // the Windows error number that goes with it
    std::size_t bytes = 0;                  // bytes moved
};

// What the owner of a stream is told. A posted operation keeps the object it
// was posted with alive until its completion has been delivered.
class StreamEvents {
public:
    virtual ~StreamEvents() = default;
    virtual void readDone(const IoResult& result) = 0;
    virtual void writeDone(const IoResult& result) = 0;
};

class AsyncStream {
public:
    virtual ~AsyncStream() = default;
    // Posts a read into buffer, which must stay valid until readDone. Returns
    // 0 when the read is under way, else the error of an immediate failure
    // (then no completion follows).
    virtual std::uint32_t postRead(std::span<std::byte> buffer, std::shared_ptr<StreamEvents> events) = 0;
    // Posts a write of all of data, which must stay valid until writeDone.
    virtual std::uint32_t postWrite(std::span<const std::byte> data, std::shared_ptr<StreamEvents> events) = 0;
    // Shuts the stream down in both directions and closes it; operations
    // still under way complete with a failure status. Later posts fail.
    virtual void close() = 0;
};

}  // namespace platform
