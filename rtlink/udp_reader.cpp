#include "rtlink/udp_reader.h"

#include <fmt/format.h>

#include <stdexcept>

#include "app/services/run_flags.h"
#include "foundation/log.h"
#include "rtlink/wsa_errors.h"

namespace {

// Closes the socket at the loop's end and tells the reader it was stopped.
void lf_closeReaderSocket(UdpReader& reader) {
    reader.socket.close();
    reader.overrunLines.flushDropped();
    reader.onStopped();
}

bool lf_isQuietReceive(std::int32_t error) {
    return error == platform::kWsaInterrupted || error == platform::kWsaWouldBlock || error == platform::kWsaTimedOut;
}

void lf_handleDatagram(UdpReader& reader, std::size_t size, bool local) {
    reader.buffer[size] = 0;
    const std::string_view datagram(reader.buffer.data(), size);
    // A RealTraffic elsewhere in the network may deliver a datagram twice.
    if (!local) {
        if (datagram == reader.lastDatagram) return;
        reader.lastDatagram.assign(datagram);
    }
    reader.datagram = datagram;
    reader.received.fetch_add(1);
    reader.onData();
}

}  // namespace

void lf_readerWsaStartup(UdpReader&) {
    const std::int32_t result = platform::socketsStartupResult();
    if (result != 0) throw std::runtime_error(fmt::format("WSA startup error: {}", result));
}

void lf_createReaderSocket(UdpReader& reader) {
    const std::int32_t error = reader.socket.open();
    if (error != 0)
        throw std::runtime_error(fmt::format("failed to create the socket, error: {}", gf_wsaErrorText(error)));
}

void lf_bindReaderSocket(UdpReader& reader, std::uint16_t port, bool local) {
    const std::int32_t error = reader.socket.bind(port, local);
    if (error != 0)
        throw std::runtime_error(fmt::format("bind to stream socket failed, error: {}", gf_wsaErrorText(error)));
}

void lf_readerReceiveLoop(UdpReader& reader, bool local) {
    reader.socket.setReceiveTimeout(kReaderReceiveTimeoutMs);  // without it the loop only ends on a datagram
    if (reader.stop.load()) return lf_closeReaderSocket(reader);
    std::int32_t error = 0;
    for (;;) {
        const auto got = reader.socket.receive(reader.buffer);
        if (got.error != 0) {
            if (!lf_isQuietReceive(got.error)) {
                error = got.error;
                break;
            }
        } else if (got.size >= kReaderBufferSize) {
            if (!gf_stopping()) reader.overrunLines.log(fmt::format("buffer overrun: {} bytes", got.size));
        } else if (got.size > 0) {
            lf_handleDatagram(reader, got.size, local);
        }
        if (reader.stop.load()) return lf_closeReaderSocket(reader);
    }
    if (!reader.stop.load()) throw std::runtime_error(fmt::format("receive error: {}", gf_wsaErrorText(error)));
    lf_closeReaderSocket(reader);
}

void lf_logReaderConnected(std::string_view name) { gf_logContinued(fmt::format("{} connected", name)); }

void lf_logReaderDisconnected(std::string_view name) { gf_logContinued(fmt::format("{} disconnected", name)); }
