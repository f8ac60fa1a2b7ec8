// The server end of one connection at a time (a listening TCP socket or a
// named-pipe instance) with blocking calls that give up after a time-out.
// Test peers and stand-ins serve SimConnect clients with it.
#pragma once

#include <cstddef>
#include <span>

namespace platform {

class ServerEnd {
public:
    virtual ~ServerEnd() = default;

    // The server end could be set up.
    virtual bool ok() const = 0;
    // Waits up to timeoutMs for a client; an earlier client is dropped.
    virtual bool accept(int timeoutMs) = 0;
    // Waits up to timeoutMs for bytes of the client: the count, 0 when the
    // client has closed, -1 on a failure or the time-out.
    virtual std::ptrdiff_t receive(std::span<std::byte> buffer, int timeoutMs) = 0;
    virtual bool send(std::span<const std::byte> data) = 0;
    // Ends the client's connection; what was sent before still reaches it.
    virtual void disconnect() = 0;
};

}  // namespace platform
