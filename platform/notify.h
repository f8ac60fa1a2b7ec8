// Notifications that a library sends to targets its caller named: a window
// message or an event object. Null targets are skipped. The POSIX build has
// no windows; its event objects are the ones createEvent makes.
#pragma once

#include <cstdint>

namespace platform {

// PostMessageW(window, message, 0, 0).
void postWindowMessage(void* window, std::uint32_t message);
// SetEvent(event).
void signalEvent(void* event);

inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

// An auto-reset event (CreateEventW without manual reset): a signal wakes one
// wait, or the next one when nobody waits; signals before a wait coalesce.
// Null when it cannot be made.
void* createEvent();
void closeEvent(void* event);
// True when the event was signalled, false when timeoutMs passed first.
bool waitEvent(void* event, std::uint32_t timeoutMs);

// An event that lives as long as its owner.
class Event {
public:
    Event() : handle_(createEvent()) {}
    ~Event() { closeEvent(handle_); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void* handle() const { return handle_; }
    void signal() { signalEvent(handle_); }
    bool wait(std::uint32_t timeoutMs = kWaitForever) { return waitEvent(handle_, timeoutMs); }

private:
    void* handle_;
};

}  // namespace platform
