// The inside of a client handle and of its transport, shared by the files of
// the library (and by tests that set up a state, such as a serial about to
// wrap).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/async_stream.h"
#include "simlink/simconnect/receive_cutter.h"
#include "simlink/simconnect/simconnect.h"

namespace simconnect {

inline constexpr std::size_t kSendBufferSize = 41088;
inline constexpr std::size_t kPacketHeaderSize = 16;
inline constexpr std::uint32_t kProtocolVersion = 35;
inline constexpr std::uint32_t kPacketTypeBase = 0xF0000000u;

// One received message as queued for SimConnect_CallDispatch.
struct ReceivedMessage {
    std::vector<std::byte> bytes;
    std::uint32_t connection = 0;  // the connection counter value of its transport
};

// Whom to tell that messages have arrived (SimConnect_Open's targets).
struct NotifyTargets {
    void* window = nullptr;
    std::uint32_t userMessage = 0;
    void* event = nullptr;
};

enum class TransportKind { socket = 0, pipe = 1 };

// One connection: it writes the flushed packets in order, cuts the received
// bytes into messages and queues them, and keeps the words stored at a break.
// Reference-counted: posted reads and writes hold it, so a completion that
// arrives while the handle closes finds it alive.
class Transport final : public platform::StreamEvents, public std::enable_shared_from_this<Transport> {
public:
    Transport(TransportKind kind, std::shared_ptr<platform::AsyncStream> stream, std::uint32_t maxMessageSize,
              NotifyTargets targets);
    ~Transport() override;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Becomes connected and posts the first read; an immediate failure breaks
    // the connection.
    void start();
    // Queues a block of packets and writes it when no write is under way.
    void send(std::vector<std::byte> block);
    // Closes the stream without storing a break (the handle is closing).
    void close();

    bool broken() const { return broken_.load(); }
    // The failure code stored at the break.
    SimConnectResult breakCode() const;

    // The oldest queued message, or null.
    std::shared_ptr<const ReceivedMessage> takeMessage();
    void discardMessages();

    void readDone(const platform::IoResult& result) override;
    void writeDone(const platform::IoResult& result) override;

private:
    void notifyTargets();
    void breakConnection(std::uint32_t osError, std::uint32_t failureCode);
    void breakLocked(std::uint32_t osError, std::uint32_t failureCode);
    void writeHeadLocked();
    void postRead();

    const TransportKind kind_;
    const std::shared_ptr<platform::AsyncStream> stream_;
    const NotifyTargets targets_;
    const std::uint32_t connection_;  // this connection's counter value

    // Read completions come one at a time, so the cutter needs no lock.
    ReceiveCutter cutter_;

    mutable std::mutex mutex_;  // the transport's lock: the send queue, the write flag, the break words
    std::deque<std::vector<std::byte>> sendQueue_;
    bool writeUnderWay_ = false;
    bool closed_ = false;
    std::uint32_t breakOsError_ = 0;
    std::uint32_t breakFailure_ = 0;
    std::atomic<bool> broken_{false};  // set after the break words

    std::mutex queueMutex_;  // the handle's lock over the received messages
    std::deque<std::shared_ptr<const ReceivedMessage>> received_;
};

}  // namespace simconnect

struct SimConnectClient {
    std::shared_ptr<simconnect::Transport> transport;
    // Under the library lock: the packets being built and the serial counter.
    std::array<std::byte, simconnect::kSendBufferSize> sendBuffer{};
    std::size_t sendFill = 0;
    std::uint32_t packetSerial = 0;
};

namespace simconnect {

// The build-and-send steps, each called with the library lock held.
// Reserves a zeroed packet of `size` bytes with the next serial in bytes 12-15.
SimConnectResult lf_allocPacket(SimConnectClient& client, std::size_t size, std::span<std::byte>& packet);
// Gives back the last packet reserved (zeroed); its serial stays used.
void lf_releasePacket(SimConnectClient& client, std::span<std::byte> packet);
// Hands the whole send buffer to the transport as one write.
SimConnectResult lf_flushSendBuffer(SimConnectClient& client);

// Builds and sends the open packet with the application name.
SimConnectResult lf_sendOpenPacket(SimConnectClient* handle, const char* name);

}  // namespace simconnect
