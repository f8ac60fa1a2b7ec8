// The transport of a client handle: the send queue written in flush order,
// the received bytes cut into queued messages, and the break.
#include <iterator>
#include <new>

#include "platform/notify.h"
#include "simlink/simconnect/client.h"
#include "simlink/simconnect/library_state.h"

namespace simconnect {
namespace {

// The next connection number; 0 is skipped when the counter wraps.
std::uint32_t nextConnectionNumber() {
    std::uint32_t number = ++g_connectionCounter;
    while (number == 0) number = ++g_connectionCounter;
    return number;
}

// HRESULT_FROM_WIN32.
std::uint32_t failureOfOsError(std::uint32_t error) { return error == 0 ? 0 : 0x80070000u | (error & 0xFFFFu); }

}  // namespace

Transport::Transport(TransportKind kind, std::shared_ptr<platform::AsyncStream> stream, std::uint32_t maxMessageSize,
                     NotifyTargets targets)
    : kind_(kind), stream_(std::move(stream)), targets_(targets), connection_(nextConnectionNumber()),
      cutter_(maxMessageSize) {
    ++g_liveTransports;
}

Transport::~Transport() {
    stream_->close();
    --g_liveTransports;
}

void Transport::start() { postRead(); }

void Transport::postRead() {
    const std::uint32_t error = stream_->postRead(cutter_.freeSpace(), shared_from_this());
    if (error != 0) breakConnection(error, failureOfOsError(error));
}

void Transport::send(std::vector<std::byte> block) {
    const std::lock_guard lock(mutex_);
    if (closed_) return;
    sendQueue_.push_back(std::move(block));
    if (!writeUnderWay_) writeHeadLocked();
}

void Transport::writeHeadLocked() {
    writeUnderWay_ = true;
    const std::uint32_t error = stream_->postWrite(sendQueue_.front(), shared_from_this());
    if (error != 0) {
        writeUnderWay_ = false;
        breakLocked(error, failureOfOsError(error));
    }
}

void Transport::writeDone(const platform::IoResult& result) {
    const std::lock_guard lock(mutex_);
    writeUnderWay_ = false;
    if (closed_) return;
    if (result.status != platform::kStatusSuccess) {
        breakLocked(result.osError, result.status);
        return;
    }
    sendQueue_.pop_front();
    if (sendQueue_.empty()) return;
    // A socket is a byte stream: what queued up while the last write was
    // under way (a frame's position blocks) goes out in one write, in order.
    // A pipe keeps one write per packet, since a message pipe makes each
    // write a message of its own.
    if (kind_ == TransportKind::socket && sendQueue_.size() > 1) {
        std::vector<std::byte>& head = sendQueue_.front();
        for (auto block = std::next(sendQueue_.begin()); block != sendQueue_.end(); ++block)
            head.insert(head.end(), block->begin(), block->end());
        sendQueue_.erase(std::next(sendQueue_.begin()), sendQueue_.end());
    }
    writeHeadLocked();
}

void Transport::readDone(const platform::IoResult& result) {
    {
        const std::lock_guard lock(mutex_);
        if (closed_) return;
    }
    const bool partialPipeMessage = kind_ == TransportKind::pipe && result.status == platform::kStatusBufferOverflow;
    if (result.status != platform::kStatusSuccess && !partialPipeMessage) {
        breakConnection(result.osError, result.status);
        return;
    }
    if (result.bytes == 0) {
        breakConnection(result.osError, platform::kStatusConnectionDisconnected);
        return;
    }
    bool queued = false;
    std::uint32_t failure = 0;
    try {
        failure = cutter_.received(result.bytes, [&](std::span<const std::byte> message) {
            auto block = std::make_shared<const ReceivedMessage>(
                ReceivedMessage{std::vector<std::byte>(message.begin(), message.end()), connection_});
            const std::lock_guard lock(queueMutex_);
            received_.push_back(std::move(block));
            queued = true;
        });
    } catch (const std::bad_alloc&) {
        failure = static_cast<std::uint32_t>(kEOutOfMemory);
    }
    if (queued) notifyTargets();
    if (failure != 0) {
        breakConnection(0, failure);
        return;
    }
    postRead();
}

void Transport::notifyTargets() {
    // Under the lock: once the handle has closed the transport, no late
    // completion touches the caller's window or event any more.
    const std::lock_guard lock(mutex_);
    if (closed_) return;
    if (targets_.window != nullptr && targets_.userMessage != 0)
        platform::postWindowMessage(targets_.window, targets_.userMessage);
    platform::signalEvent(targets_.event);
}

void Transport::breakConnection(std::uint32_t osError, std::uint32_t failureCode) {
    const std::lock_guard lock(mutex_);
    breakLocked(osError, failureCode);
}

void Transport::breakLocked(std::uint32_t osError, std::uint32_t failureCode) {
    if (closed_) return;
    closed_ = true;
    breakOsError_ = osError;
    breakFailure_ = failureCode != 0 ? failureCode : static_cast<std::uint32_t>(kEFail);
    broken_.store(true);
    stream_->close();
    // A caller that sleeps until the event must also learn of the break.
    platform::signalEvent(targets_.event);
}

SimConnectResult Transport::breakCode() const {
    const std::lock_guard lock(mutex_);
    return static_cast<SimConnectResult>(breakFailure_);
}

void Transport::close() {
    const std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    stream_->close();
}

std::shared_ptr<const ReceivedMessage> Transport::takeMessage() {
    const std::lock_guard lock(queueMutex_);
    if (received_.empty()) return nullptr;
    auto message = std::move(received_.front());
    received_.pop_front();
    return message;
}

void Transport::discardMessages() {
    const std::lock_guard lock(queueMutex_);
    received_.clear();
}

}  // namespace simconnect
