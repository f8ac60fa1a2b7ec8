// The stand-in's connections: TCP over IPv4 and IPv6 and, as the program's
// client library expects it, the named pipe (on Windows the real one; in the
// native build a Unix-domain socket whose path is the pipe name mapped into
// a folder). One implementation per platform lives in posix/ and win32/.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace simulator {

struct SimulatorConfig;

enum class ReadStatus { Data, Timeout, Closed };

class Connection {
public:
    virtual ~Connection() = default;
    // Waits up to timeoutMs for bytes and appends what arrived.
    virtual ReadStatus read(std::vector<std::uint8_t>& into, int timeoutMs) = 0;
    // Writes all bytes; false when the peer is gone.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Graceful: what was written reaches the peer before the connection ends.
    // Otherwise the connection is cut at once (a reset where the OS can).
    virtual void close(bool graceful) = 0;
    virtual std::string peer() const = 0;
};

struct Endpoints {
    std::uint16_t port4 = 0;  // 0 when not listening
    std::uint16_t port6 = 0;
    std::string pipe;                   // the pipe's full name, or the Unix socket's path; empty when not listening
    std::vector<std::string> warnings;  // listeners that could not be opened
};

class Listeners {
public:
    // Opens what the configuration asks for; throws std::runtime_error when
    // nothing at all could be opened or an explicitly set port is taken.
    explicit Listeners(const SimulatorConfig& config);
    ~Listeners();
    Listeners(const Listeners&) = delete;
    Listeners& operator=(const Listeners&) = delete;

    const Endpoints& endpoints() const;
    // The next client, or null after timeoutMs.
    std::unique_ptr<Connection> accept(int timeoutMs);

    struct State;

private:
    std::unique_ptr<State> state_;
};

// The pipe name without a leading "\\.\pipe\".
std::string barePipeName(const std::string& name);
// Native build: where the Unix socket of a pipe lives: the folder given, else
// $VLNT_PIPE_DIR, else $XDG_RUNTIME_DIR, else the temporary folder; the name
// with '\' and '/' turned into '_'.
std::filesystem::path pipeSocketPath(const std::string& pipeName, const std::filesystem::path& folder);

// The client side, for tests and tools that talk to a stand-in; throw
// std::runtime_error when the connection cannot be made.
std::unique_ptr<Connection> connectTcp(const std::string& address, std::uint16_t port);
std::unique_ptr<Connection> connectPipe(const std::string& pipeName, const std::filesystem::path& folder);

}  // namespace simulator
