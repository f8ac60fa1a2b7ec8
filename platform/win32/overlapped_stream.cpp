#include "platform/win32/overlapped_stream.h"

#include <winsock2.h>

#include <mutex>

#include <gsl/narrow>

namespace platform::win32_io {
namespace {

// One posted operation; it keeps its stream and its owner alive until the
// completion has been delivered.
struct Operation {
    OVERLAPPED overlapped{};
    bool read = true;
    std::shared_ptr<StreamEvents> events;
    std::shared_ptr<AsyncStream> stream;
};

VOID CALLBACK operationCompleted(DWORD error, DWORD bytes, LPOVERLAPPED overlapped) {
    std::unique_ptr<Operation> op(CONTAINING_RECORD(overlapped, Operation, overlapped));
    // The status word of the OVERLAPPED holds the NTSTATUS of the operation.
    const IoResult result{static_cast<std::uint32_t>(overlapped->Internal), error, bytes};
    if (op->read)
        op->events->readDone(result);
    else
        op->events->writeDone(result);
}

void closeHandleOf(HANDLE handle, StreamKind kind) {
    if (kind == StreamKind::socket) {
        const auto socket = reinterpret_cast<SOCKET>(handle);
        shutdown(socket, SD_BOTH);
        closesocket(socket);
    } else {
        CancelIoEx(handle, nullptr);
        CloseHandle(handle);
    }
}

class OverlappedStream final : public AsyncStream, public std::enable_shared_from_this<OverlappedStream> {
public:
    OverlappedStream(HANDLE handle, StreamKind kind) : handle_(handle), kind_(kind) {}
    ~OverlappedStream() override { close(); }

    std::uint32_t postRead(std::span<std::byte> buffer, std::shared_ptr<StreamEvents> events) override {
        return post(true, buffer.data(), buffer.size(), std::move(events));
    }

    std::uint32_t postWrite(std::span<const std::byte> data, std::shared_ptr<StreamEvents> events) override {
        return post(false, const_cast<std::byte*>(data.data()), data.size(), std::move(events));
    }

    void close() override {
        const std::lock_guard lock(mutex_);
        if (closed_) return;
        closed_ = true;
        closeHandleOf(handle_, kind_);
    }

private:
    std::uint32_t post(bool read, std::byte* data, std::size_t size, std::shared_ptr<StreamEvents> events) {
        // Posting under the lock keeps a post from meeting a handle that
        // close() has just given back to the system.
        const std::lock_guard lock(mutex_);
        if (closed_) return ERROR_INVALID_HANDLE;
        auto op = std::make_unique<Operation>();
        op->read = read;
        op->events = std::move(events);
        op->stream = shared_from_this();
        DWORD error = 0;
        if (kind_ == StreamKind::pipe) {
            const auto count = gsl::narrow<DWORD>(size);
            const BOOL done = read ? ReadFile(handle_, data, count, nullptr, &op->overlapped)
                                   : WriteFile(handle_, data, count, nullptr, &op->overlapped);
            if (!done) error = GetLastError();
        } else {
            WSABUF buffer{gsl::narrow<ULONG>(size), reinterpret_cast<CHAR*>(data)};
            DWORD flags = 0;
            const auto socket = reinterpret_cast<SOCKET>(handle_);
            const int done = read ? WSARecv(socket, &buffer, 1, nullptr, &flags, &op->overlapped, nullptr)
                                  : WSASend(socket, &buffer, 1, nullptr, 0, &op->overlapped, nullptr);
            if (done == SOCKET_ERROR) error = static_cast<DWORD>(WSAGetLastError());
        }
        // Success and ERROR_IO_PENDING both end in a completion on the pool.
        if (error != 0 && error != ERROR_IO_PENDING) return error;
        op.release();
        return 0;
    }

    const HANDLE handle_;
    const StreamKind kind_;
    std::mutex mutex_;  // guards closed_ and the use of handle_
    bool closed_ = false;
};

}  // namespace

std::shared_ptr<AsyncStream> bindOverlappedStream(HANDLE handle, StreamKind kind, std::uint32_t& osError) {
    if (!BindIoCompletionCallback(handle, operationCompleted, 0)) {
        osError = GetLastError();
        closeHandleOf(handle, kind);
        return nullptr;
    }
    return std::make_shared<OverlappedStream>(handle, kind);
}

}  // namespace platform::win32_io
