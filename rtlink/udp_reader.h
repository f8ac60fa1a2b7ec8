// The common part of the two RealTraffic readers: one UDP socket, received
// datagrams handed to the reader's data handler one at a time, repeats of a
// remote RealTraffic suppressed, counts for the watchdog.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/log_text.h"
#include "platform/sockets.h"

inline constexpr std::size_t kReaderBufferSize = 16384;
inline constexpr std::uint32_t kReaderReceiveTimeoutMs = 1000;

class UdpReader {
public:
    UdpReader() = default;
    virtual ~UdpReader() = default;
    UdpReader(const UdpReader&) = delete;
    UdpReader& operator=(const UdpReader&) = delete;

    // Handles `datagram`.
    virtual void onData() = 0;
    // Called once when the receive loop ends because `stop` was set.
    virtual void onStopped() = 0;

    std::string_view datagram;                     // the current datagram; valid during onData only
    std::atomic<bool> stop{false};                 // set to end the loop; cleared by the reset
    std::atomic<std::int32_t> received{0};         // datagrams handed to onData since the reset
    std::atomic<std::int32_t> receivedBefore{0};   // `received` at the watchdog's previous look
    std::array<char, kReaderBufferSize> buffer{};  // a zero byte follows each datagram
    std::string lastDatagram;                      // the previous datagram, for the repeat rule
    platform::UdpSocket socket;                    // used by the reader's own thread only
    std::atomic<bool> receivingMark{true};         // the watchdog's memory; set by every reset
    LogLineLimiter overrunLines{"buffer overrun"};  // at most 10 a second
};

// The set-up steps of a reader thread; each throws std::runtime_error.
void lf_readerWsaStartup(UdpReader& reader);
void lf_createReaderSocket(UdpReader& reader);
// Binds to 127.0.0.1 when RealTraffic runs on this PC (local), else to any address.
void lf_bindReaderSocket(UdpReader& reader, std::uint16_t port, bool local);
// Receives until `stop` is seen (within the one-second receive time-out);
// throws "receive error: {}" on a socket error while not stopping.
void lf_readerReceiveLoop(UdpReader& reader, bool local);

void lf_logReaderConnected(std::string_view name);
void lf_logReaderDisconnected(std::string_view name);
