#include "platform/posix/fd_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <mutex>
#include <thread>

namespace platform::posix_io {
namespace {

struct PendingRead {
    std::span<std::byte> buffer;
    std::shared_ptr<StreamEvents> events;
};

struct PendingWrite {
    std::span<const std::byte> data;
    std::size_t done = 0;
    std::shared_ptr<StreamEvents> events;
};

class FdStream final : public AsyncStream, public std::enable_shared_from_this<FdStream> {
public:
    explicit FdStream(int fd) : fd_(fd) {
        if (::pipe2(wake_.data(), O_CLOEXEC | O_NONBLOCK) != 0) wake_ = {-1, -1};
    }
    ~FdStream() override {
        ::close(fd_);
        for (const int end : wake_)
            if (end >= 0) ::close(end);
    }

    bool start() {
        if (wake_[0] < 0) return false;
        std::thread([self = shared_from_this()] { self->run(); }).detach();
        return true;
    }

    std::uint32_t postRead(std::span<std::byte> buffer, std::shared_ptr<StreamEvents> events) override {
        const std::lock_guard lock(mutex_);
        if (closed_) return kErrorInvalidHandle;
        if (read_.events) return kErrorBusy;
        read_ = {buffer, std::move(events)};
        wake();
        return 0;
    }

    std::uint32_t postWrite(std::span<const std::byte> data, std::shared_ptr<StreamEvents> events) override {
        const std::lock_guard lock(mutex_);
        if (closed_) return kErrorInvalidHandle;
        if (write_.events) return kErrorBusy;
        write_ = {data, 0, std::move(events)};
        wake();
        return 0;
    }

    void close() override {
        const std::lock_guard lock(mutex_);
        if (closed_) return;
        closed_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        wake();
    }

private:
    void wake() const {
        const char one = 1;
        [[maybe_unused]] const auto written = ::write(wake_[1], &one, 1);
    }

    void drainWake() const {
        std::array<char, 64> sink{};
        while (::read(wake_[0], sink.data(), sink.size()) > 0) {
        }
    }

    // Runs until the stream is closed and no operation is left under way.
    void run() {
        for (;;) {
            std::array<pollfd, 2> fds{};
            {
                const std::lock_guard lock(mutex_);
                if (closed_) break;
                // With nothing under way the socket is left out, so that a
                // hang-up does not wake the thread again and again.
                const auto wanted = static_cast<short>((read_.events ? POLLIN : 0) | (write_.events ? POLLOUT : 0));
                fds[0] = {wanted != 0 ? fd_ : -1, wanted, 0};
            }
            fds[1] = {wake_[0], POLLIN, 0};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
            if (fds[1].revents != 0) drainWake();
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) performRead();
            if (fds[0].revents & (POLLOUT | POLLHUP | POLLERR)) performWrite();
        }
        cancelPending();
    }

    void performRead() {
        PendingRead op;
        IoResult result;
        {
            const std::lock_guard lock(mutex_);
            if (!read_.events || closed_) return;
            const auto n = ::recv(fd_, read_.buffer.data(), read_.buffer.size(), MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
            if (n < 0) result = {statusOf(errno), windowsErrorOf(errno), 0};
            else result.bytes = static_cast<std::size_t>(n);
            op = std::move(read_);
            read_ = {};
        }
        op.events->readDone(result);
    }

    void performWrite() {
        PendingWrite op;
        IoResult result;
        {
            const std::lock_guard lock(mutex_);
            if (!write_.events || closed_) return;
            const auto rest = write_.data.subspan(write_.done);
            const auto n = ::send(fd_, rest.data(), rest.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
            if (n >= 0) {
                write_.done += static_cast<std::size_t>(n);
                if (write_.done < write_.data.size()) return;
                result.bytes = write_.done;
            } else {
                result = {statusOf(errno), windowsErrorOf(errno), write_.done};
            }
            op = std::move(write_);
            write_ = {};
        }
        op.events->writeDone(result);
    }

    // Completes what is still under way after the stream was closed.
    void cancelPending() {
        PendingRead readOp;
        PendingWrite writeOp;
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
            readOp = std::move(read_);
            writeOp = std::move(write_);
            read_ = {};
            write_ = {};
        }
        const IoResult cancelled{kStatusCancelled, kErrorOperationAborted, 0};
        if (readOp.events) readOp.events->readDone(cancelled);
        if (writeOp.events) writeOp.events->writeDone(cancelled);
    }

    const int fd_;
    std::array<int, 2> wake_{-1, -1};
    std::mutex mutex_;  // guards closed_, read_, write_
    bool closed_ = false;
    PendingRead read_;
    PendingWrite write_;
};

}  // namespace

std::shared_ptr<AsyncStream> startFdStream(int fd) {
    auto stream = std::make_shared<FdStream>(fd);
    if (!stream->start()) return nullptr;
    return stream;
}

std::uint32_t windowsErrorOf(int error) {
    switch (error) {
    case ECONNRESET: return 10054;    // WSAECONNRESET
    case ECONNREFUSED: return 10061;  // WSAECONNREFUSED
    case ECONNABORTED: return 10053;  // WSAECONNABORTED
    case ETIMEDOUT: return 10060;     // WSAETIMEDOUT
    case ENETUNREACH: return 10051;   // WSAENETUNREACH
    case EHOSTUNREACH: return 10065;  // WSAEHOSTUNREACH
    case EADDRNOTAVAIL: return 10049; // WSAEADDRNOTAVAIL
    case EAFNOSUPPORT: return 10047;  // WSAEAFNOSUPPORT
    case EPIPE: return 109;           // ERROR_BROKEN_PIPE
    case ENOENT: return kErrorFileNotFound;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    default: return 31;               // ERROR_GEN_FAILURE
    }
}

std::uint32_t statusOf(int error) {
    switch (error) {
    case ECONNRESET: return kStatusConnectionReset;
    case EPIPE: return kStatusPipeBroken;
    case ECONNABORTED: return 0xC0000241;  // STATUS_CONNECTION_ABORTED
    default: return kStatusUnsuccessful;
    }
}

namespace {
bool waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}
}  // namespace

FdServer::~FdServer() {
    disconnect();
    if (listener >= 0) ::close(listener);
}

bool FdServer::listenOn(int family, const void* address, unsigned addressSize) {
    listener = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return false;
    const int on = 1;
    if (family != AF_UNIX) ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener, static_cast<const sockaddr*>(address), addressSize) == 0 && ::listen(listener, 4) == 0)
        return true;
    ::close(listener);
    listener = -1;
    return false;
}

bool FdServer::accept(int timeoutMs) {
    disconnect();
    if (listener < 0 || !waitReadable(listener, timeoutMs)) return false;
    client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    return client >= 0;
}

std::ptrdiff_t FdServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    if (client < 0 || !waitReadable(client, timeoutMs)) return -1;
    ssize_t n = 0;
    do {
        n = ::recv(client, buffer.data(), buffer.size(), 0);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool FdServer::send(std::span<const std::byte> data) {
    while (client >= 0 && !data.empty()) {
        const auto n = ::send(client, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return client >= 0;
}

void FdServer::disconnect() {
    if (client < 0) return;
    ::shutdown(client, SHUT_RDWR);
    ::close(client);
    client = -1;
}

}  // namespace platform::posix_io
