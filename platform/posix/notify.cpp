#include "platform/notify.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {
namespace {
struct PosixEvent {
    std::mutex mutex;
    std::condition_variable signalled;
    bool set = false;  // guarded by mutex
};
}  // namespace

// There are no windows to notify on POSIX.
void postWindowMessage(void*, std::uint32_t) {}

void signalEvent(void* event) {
    if (event == nullptr) return;
    auto& e = *static_cast<PosixEvent*>(event);
    {
        const std::lock_guard lock(e.mutex);
        e.set = true;
    }
    e.signalled.notify_one();
}

void* createEvent() { return new PosixEvent; }

void closeEvent(void* event) { delete static_cast<PosixEvent*>(event); }

bool waitEvent(void* event, std::uint32_t timeoutMs) {
    if (event == nullptr) return false;
    auto& e = *static_cast<PosixEvent*>(event);
    std::unique_lock lock(e.mutex);
    const auto isSet = [&e] { return e.set; };
    if (timeoutMs == kWaitForever)
        e.signalled.wait(lock, isSet);
    else if (!e.signalled.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
        return false;
    e.set = false;  // auto-reset
    return true;
}

}  // namespace platform
