#include "tools/realtraffic/command_client.h"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sockets.h"
#include "rtlink/wsa_errors.h"
#include "tools/realtraffic/scenario.h"

namespace realtraffic {
namespace {

using Clock = std::chrono::steady_clock;

// A TCP connection with blocking reads and writes over the platform's
// overlapped stream.
class Connection {
public:
    static std::unique_ptr<Connection> open(const std::string& host, std::uint16_t port, std::uint32_t& error) {
        const std::u16string wideHost(host.begin(), host.end());
        const std::string portText = std::to_string(port);
        const std::u16string widePort(portText.begin(), portText.end());
        auto stream = platform::connectTcpStream(platform::IpFamily::v4, wideHost, widePort, true, error);
        if (!stream) return nullptr;
        return std::unique_ptr<Connection>(new Connection(std::move(stream)));
    }

    ~Connection() { stream_->close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Appends what arrives within the time-out: the count, 0 when the
    // connection has ended, -1 when nothing came.
    std::ptrdiff_t read(std::string& into, std::chrono::milliseconds timeout) {
        std::unique_lock lock(state_->mutex);
        if (!state_->reading) {
            state_->reading = true;
            lock.unlock();
            if (stream_->postRead(state_->buffer, state_) != 0) return 0;
            lock.lock();
        }
        if (!state_->cv.wait_for(lock, timeout, [&] { return state_->readFinished; })) return -1;
        state_->reading = state_->readFinished = false;
        const platform::IoResult result = state_->readResult;
        if (result.status != platform::kStatusSuccess || result.bytes == 0) return 0;
        into.append(reinterpret_cast<const char*>(state_->buffer.data()), result.bytes);
        return static_cast<std::ptrdiff_t>(result.bytes);
    }

    bool write(std::string text) {
        std::unique_lock lock(state_->mutex);
        state_->writing = std::move(text);
        state_->writeFinished = false;
        const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(state_->writing.data()),
                                               state_->writing.size());
        lock.unlock();
        if (stream_->postWrite(bytes, state_) != 0) return false;
        lock.lock();
        if (!state_->cv.wait_for(lock, std::chrono::seconds(10), [&] { return state_->writeFinished; })) return false;
        return state_->writeResult.status == platform::kStatusSuccess;
    }

private:
    struct State final : platform::StreamEvents {
        std::mutex mutex;  // guards everything below
        std::condition_variable cv;
        std::array<std::byte, 4096> buffer{};
        bool reading = false, readFinished = false, writeFinished = false;
        platform::IoResult readResult, writeResult;
        std::string writing;

        void readDone(const platform::IoResult& result) override {
            const std::lock_guard lock(mutex);
            readResult = result;
            readFinished = true;
            cv.notify_all();
        }
        void writeDone(const platform::IoResult& result) override {
            const std::lock_guard lock(mutex);
            writeResult = result;
            writeFinished = true;
            cv.notify_all();
        }
    };

    explicit Connection(std::shared_ptr<platform::AsyncStream> stream)
        : stream_(std::move(stream)), state_(std::make_shared<State>()) {}

    std::shared_ptr<platform::AsyncStream> stream_;
    std::shared_ptr<State> state_;
};

struct SocketsInUse {
    SocketsInUse() : started(platform::socketsStartup()) {}
    ~SocketsInUse() {
        if (started) platform::socketsCleanup();
    }
    bool started;
};

bool isWholeNumber(std::string_view text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() && std::isfinite(value);
}

class Session {
public:
    Session(const CommandClientOptions& options, std::ostream* transcript)
        : options_(options), transcript_(transcript), start_(Clock::now()) {}

    CommandClientReport run() {
        if (!connect()) return report_;
        std::string pending;
        for (;;) {
            if (stopRequested()) return report_;
            if (const int ms = options_.requests ? options_.requests->dropMs.exchange(0) : 0; ms > 0) {
                pending.clear();
                ++report_.drops;
                if (!dropAndReconnect(ms)) return report_;
            }
            const std::ptrdiff_t n = connection_->read(pending, std::chrono::milliseconds(200));
            if (n == 0 && newSession_ && report_.sessions > 0) {
                // Connected to a program that was just closing (its server's
                // backlog): the next run of the program is still to come.
                note('=', "the connection ended before the program's first line; connecting again");
                connection_.reset();
                if (!connect()) return report_;
                continue;
            }
            if (n == 0) fail("the program closed the connection before it sent \"exit\"");
            if (n < 0) {
                checkDeadline();
                continue;
            }
            for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
                if (end == 0 || pending[end - 1] != '\r')
                    fail(fmt::format("a line does not end in CR LF: \"{}\"", pending.substr(0, end)));
                const std::string line = pending.substr(0, end - 1);
                pending.erase(0, end + 1);
                note('<', line);
                if (!handle(line)) continue;
                // "exit": the program's run is over; a later run connects anew.
                ++report_.sessions;
                if (options_.sessions > 0 && report_.sessions >= options_.sessions) return report_;
                pending.clear();
                connection_.reset();
                versionAsked_ = false;
                newSession_ = true;
                if (!connect()) return report_;
                break;
            }
            if (pending.size() > 4096) fail("more than 4096 bytes without a line end");
        }
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        note('!', what);
        throw StandInError(fmt::format("command link: {}", what));
    }

    void note(char direction, std::string_view text) {
        if (!transcript_) return;
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        *transcript_ << fmt::format("[{:9.3f}] {} {}\n", seconds, direction, text) << std::flush;
    }

    void checkDeadline() {
        if (options_.timeoutSeconds > 0 &&
            std::chrono::duration<double>(Clock::now() - start_).count() > options_.timeoutSeconds)
            fail(fmt::format("no \"exit\" within {} s", options_.timeoutSeconds));
    }

    bool stopRequested() {
        if (!options_.requests || !options_.requests->stop.load()) return false;
        report_.stopped = true;
        note('=', "stopped");
        return true;
    }

    // False when a stop came first.
    bool connect() {
        std::uint32_t error = 0;
        for (int attempt = 1; attempt <= options_.connectAttempts; ++attempt) {
            if (stopRequested()) return false;
            connection_ = Connection::open(options_.host, options_.port, error);
            if (connection_) {
                ++report_.connections;
                note('=', fmt::format("connected to {}:{}", options_.host, options_.port));
                return true;
            }
            checkDeadline();
            std::this_thread::sleep_for(std::chrono::milliseconds(options_.retryMs));
        }
        fail(fmt::format("could not connect to {}:{} in {} attempts: {}", options_.host, options_.port,
                         options_.connectAttempts, gf_wsaErrorText(static_cast<std::int32_t>(error))));
    }

    void send(const std::string& text) {
        note('>', text);
        if (!connection_->write(text)) fail(fmt::format("sending \"{}\" failed", text));
    }

    // True at "exit".
    bool handle(const std::string& line) {
        const bool first = std::exchange(newSession_, false);
        if (line == "Qs999=version") {
            if (versionAsked_) fail("the version was asked for a second time");
            versionAsked_ = true;
            if (options_.version)
                send(fmt::format(R"({{"version":"{}","level":{}}})", *options_.version, options_.level));
            return false;
        }
        if (first) fail(fmt::format("the first line must be \"Qs999=version\", not \"{}\"", line));
        if (line == "exit") return true;
        if (line.starts_with("Qs121=")) {
            if (const std::string wrong = checkAreaLine(std::string_view(line).substr(6)); !wrong.empty())
                fail(fmt::format("{}: \"{}\"", wrong, line));
            if (++report_.areaLines == 1 && options_.onFirstArea) options_.onFirstArea();
            if (options_.dropAfterArea > 0 && report_.areaLines == options_.dropAfterArea)
                dropAndReconnect(options_.reconnectMs);
            return false;
        }
        if (line.starts_with("Qs123=")) {
            if (const std::string wrong = checkTimeLine(std::string_view(line).substr(6)); !wrong.empty())
                fail(fmt::format("{}: \"{}\"", wrong, line));
            if (!options_.version || options_.level != 2)
                fail(fmt::format("\"Qs123=\" came although the version reply did not report level 2: \"{}\"", line));
            ++report_.timeLines;
            return false;
        }
        fail(fmt::format("unexpected line \"{}\"", line));
    }

    // Hangs up, stays away (sending no datagrams meanwhile) and connects
    // again; false when a stop came first.
    bool dropAndReconnect(int awayMs) {
        note('=', "dropping the connection");
        connection_.reset();
        if (options_.requests) options_.requests->away = true;
        const auto back = Clock::now() + std::chrono::milliseconds(awayMs);
        while (Clock::now() < back && !(options_.requests && options_.requests->stop.load()))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(awayMs, 100)));
        if (options_.requests) options_.requests->away = false;
        return connect();
    }

    const CommandClientOptions& options_;
    std::ostream* transcript_;
    const Clock::time_point start_;
    std::unique_ptr<Connection> connection_;
    CommandClientReport report_;
    bool versionAsked_ = false;
    bool newSession_ = true;  // the next line is the first of a program run: it must ask for the version
};

}  // namespace

std::string checkAreaLine(std::string_view fields) {
    std::vector<double> values;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = std::min(fields.find(';', at), fields.size());
        double value = 0.0;
        if (!isWholeNumber(fields.substr(at, end - at), value))
            return fmt::format("field {} of \"Qs121=\" is not a number", values.size() + 1);
        values.push_back(value);
        if (end == fields.size()) break;
        at = end + 1;
    }
    if (values.size() != 7) return fmt::format("\"Qs121=\" carries {} numbers, not 7", values.size());
    // Latitude and longitude go in radians: degrees would show here.
    if (std::fabs(values[5]) > 1.5708 || std::fabs(values[6]) > 3.1416)
        return "the position of \"Qs121=\" is not in radians";
    if (values[2] < 0 || values[2] > 6.2832) return "the heading of \"Qs121=\" is not in radians";
    return {};
}

std::string checkTimeLine(std::string_view value) {
    std::int64_t ms = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        return "\"Qs123=\" does not carry an integer";
    if (ms < 1000 || ms % 1000 != 0) return "\"Qs123=\" is not a time in whole seconds times 1000";
    return {};
}

CommandClientReport runCommandClient(const CommandClientOptions& options, std::ostream* transcript) {
    const SocketsInUse sockets;
    return Session(options, transcript).run();
}

}  // namespace realtraffic
