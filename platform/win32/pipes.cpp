#include "platform/pipes.h"

#include <windows.h>

#include <gsl/narrow>

#include "platform/win32/overlapped_stream.h"

namespace platform {
namespace {

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

std::shared_ptr<AsyncStream> openPipeStream(const std::u16string& name, std::uint32_t& osError) {
    for (;;) {
        const HANDLE pipe = CreateFileW(wide(name), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) return win32_io::bindOverlappedStream(pipe, win32_io::StreamKind::pipe, osError);
        osError = GetLastError();
        if (osError != ERROR_PIPE_BUSY) return nullptr;
        if (!WaitNamedPipeW(wide(name), 5000)) {
            osError = GetLastError();
            return nullptr;
        }
    }
}

void setLocalPipeFolder(const std::filesystem::path&) {}

struct PipeServer::Impl {
    std::u16string name;
    bool messageMode = false;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;  // signals the end of the overlapped call under way

    void createInstance() {
        const DWORD mode = messageMode ? PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE : PIPE_TYPE_BYTE | PIPE_READMODE_BYTE;
        pipe = CreateNamedPipeW(wide(name), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, mode | PIPE_WAIT,
                                PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
    }

    // Finishes an overlapped call that returned `done`: waits up to timeoutMs
    // (forever when negative) and cancels it at the time-out.
    bool finish(BOOL done, OVERLAPPED& overlapped, DWORD& bytes, int timeoutMs) {
        if (!done) {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_PENDING) {
                const DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
                if (WaitForSingleObject(event, wait) != WAIT_OBJECT_0) {
                    CancelIoEx(pipe, &overlapped);
                    GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
                    return false;
                }
            } else if (error != ERROR_MORE_DATA) {
                return false;
            }
        }
        if (GetOverlappedResult(pipe, &overlapped, &bytes, TRUE)) return true;
        return GetLastError() == ERROR_MORE_DATA;  // a message pipe: the rest follows in the next read
    }
};

PipeServer::PipeServer(const std::u16string& name, bool messageMode) : impl_(std::make_unique<Impl>()) {
    impl_->name = name;
    impl_->messageMode = messageMode;
    impl_->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl_->createInstance();
}

PipeServer::~PipeServer() {
    disconnect();
    if (impl_->event != nullptr) CloseHandle(impl_->event);
}

bool PipeServer::ok() const { return impl_->pipe != INVALID_HANDLE_VALUE && impl_->event != nullptr; }

bool PipeServer::accept(int timeoutMs) {
    if (impl_->pipe == INVALID_HANDLE_VALUE) impl_->createInstance();
    if (!ok()) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = impl_->event;
    ResetEvent(impl_->event);
    const BOOL done = ConnectNamedPipe(impl_->pipe, &overlapped);
    if (!done && GetLastError() == ERROR_PIPE_CONNECTED) return true;
    DWORD bytes = 0;
    return impl_->finish(done, overlapped, bytes, timeoutMs);
}

std::ptrdiff_t PipeServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    if (!ok()) return -1;
    OVERLAPPED overlapped{};
    overlapped.hEvent = impl_->event;
    ResetEvent(impl_->event);
    DWORD bytes = 0;
    const BOOL done = ReadFile(impl_->pipe, buffer.data(), gsl::narrow<DWORD>(buffer.size()), nullptr, &overlapped);
    if (impl_->finish(done, overlapped, bytes, timeoutMs)) return static_cast<std::ptrdiff_t>(bytes);
    const DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ? 0 : -1;
}

bool PipeServer::send(std::span<const std::byte> data) {
    if (!ok()) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = impl_->event;
    ResetEvent(impl_->event);
    DWORD bytes = 0;
    const BOOL done = WriteFile(impl_->pipe, data.data(), gsl::narrow<DWORD>(data.size()), nullptr, &overlapped);
    return impl_->finish(done, overlapped, bytes, -1) && bytes == data.size();
}

void PipeServer::disconnect() {
    // Closing the instance (rather than DisconnectNamedPipe) lets the client
    // still read what was written before; accept() makes a new instance.
    if (impl_->pipe == INVALID_HANDLE_VALUE) return;
    CloseHandle(impl_->pipe);
    impl_->pipe = INVALID_HANDLE_VALUE;
}

}  // namespace platform
