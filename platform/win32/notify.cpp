#include "platform/notify.h"

#include <windows.h>

namespace platform {

void postWindowMessage(void* window, std::uint32_t message) {
    if (window != nullptr) PostMessageW(static_cast<HWND>(window), message, 0, 0);
}

void signalEvent(void* event) {
    if (event != nullptr) SetEvent(static_cast<HANDLE>(event));
}

void* createEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

void closeEvent(void* event) {
    if (event != nullptr) CloseHandle(static_cast<HANDLE>(event));
}

bool waitEvent(void* event, std::uint32_t timeoutMs) {
    if (event == nullptr) return false;
    return WaitForSingleObject(static_cast<HANDLE>(event), timeoutMs == kWaitForever ? INFINITE : timeoutMs) ==
           WAIT_OBJECT_0;
}

}  // namespace platform
