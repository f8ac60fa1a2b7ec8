// Cuts the byte stream of one connection into messages. Each message starts
// with its u32 size; reads go into the free part of a receive buffer that
// starts at 2048 bytes and grows in steps of 2048 while it is below 1 MiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace simconnect {

inline constexpr std::uint32_t kDefaultMaxMessageSize = 41088;
inline constexpr std::size_t kReceiveBufferStep = 2048;
inline constexpr std::size_t kReceiveBufferLimit = 0x100000;

class ReceiveCutter {
public:
    // Messages larger than maxMessageSize break the connection.
    explicit ReceiveCutter(std::uint32_t maxMessageSize);

    // Where the next read goes; never empty.
    std::span<std::byte> freeSpace();

    // `count` bytes have arrived at the start of freeSpace(). Hands every
    // complete message to deliver, in order, and returns 0 while the stream
    // can go on, else the code that breaks the connection: E_ABORT for a size
    // of 1 to 3 or above the maximum, E_OUTOFMEMORY when the buffer cannot
    // grow. Size 0 is filler: its first zero byte is skipped and the size is
    // read again one byte later.
    std::uint32_t received(std::size_t count, const std::function<void(std::span<const std::byte>)>& deliver);

    std::size_t bufferSize() const { return buffer_.size(); }

private:
    std::uint32_t makeRoom();

    std::uint32_t maxMessageSize_;
    std::vector<std::byte> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // end of the received bytes
    std::size_t skip_ = 0;   // bytes still to drop of a message too large for the buffer
};

}  // namespace simconnect
