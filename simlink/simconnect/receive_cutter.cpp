#include "simlink/simconnect/receive_cutter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <gsl/assert>

#include "foundation/binary_reader.h"
#include "simlink/simconnect/simconnect.h"

namespace simconnect {

ReceiveCutter::ReceiveCutter(std::uint32_t maxMessageSize)
    : maxMessageSize_(maxMessageSize), buffer_(kReceiveBufferStep) {}

std::span<std::byte> ReceiveCutter::freeSpace() { return std::span(buffer_).subspan(end_); }

std::uint32_t ReceiveCutter::received(std::size_t count,
                                      const std::function<void(std::span<const std::byte>)>& deliver) {
    Expects(count <= buffer_.size() - end_);
    end_ += count;
    for (;;) {
        if (skip_ > 0) {
            const std::size_t dropped = std::min(skip_, end_ - begin_);
            begin_ += dropped;
            skip_ -= dropped;
            if (skip_ > 0) break;
        }
        const BinaryReader unread(std::span<const std::byte>(buffer_).subspan(begin_, end_ - begin_));
        const auto size = unread.u32(0);
        if (!size) break;
        if (*size == 0) {
            ++begin_;
            continue;
        }
        if (*size < 4 || *size > maxMessageSize_) return static_cast<std::uint32_t>(kEAbort);
        if (!unread.holds(*size)) break;
        deliver(unread.tail(0).first(*size));
        begin_ += *size;
    }
    if (begin_ == end_) begin_ = end_ = 0;
    return makeRoom();
}

// Makes free space for the next read when the buffer is full: the unread part
// moves to the front, or the buffer grows, or, at its limit, the message that
// fills it is dropped.
std::uint32_t ReceiveCutter::makeRoom() {
    if (end_ < buffer_.size()) return 0;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        return 0;
    }
    if (buffer_.size() < kReceiveBufferLimit) {
        try {
            buffer_.resize(buffer_.size() + kReceiveBufferStep);
        } catch (const std::bad_alloc&) {
            return static_cast<std::uint32_t>(kEOutOfMemory);
        }
        return 0;
    }
    // Only a message larger than the buffer fills it from the front.
    skip_ = BinaryReader(buffer_).u32(0).value_or(0) - end_;
    begin_ = end_ = 0;
    return 0;
}

}  // namespace simconnect
