#include "platform/notify.h"

#include <windows.h>

namespace platform {

void postWindowMessage(void* window, std::uint32_t message) {
    if (window != nullptr) PostMessageW(static_cast<HWND>(window), message, 0, 0);
}

void signalEvent(void* event) {
    if (event != nullptr) SetEvent(static_cast<HANDLE>(event));
}

}  // namespace platform
