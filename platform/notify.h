// Notifications that a library sends to targets its caller named: a window
// message or an event object. Null targets are skipped. The POSIX build has
// neither windows nor event objects, so its callers name none.
#pragma once

#include <cstdint>

namespace platform {

// PostMessageW(window, message, 0, 0).
void postWindowMessage(void* window, std::uint32_t message);
// SetEvent(event).
void signalEvent(void* event);

}  // namespace platform
