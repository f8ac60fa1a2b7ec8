// What portable code may ask of the main window from any thread: a posted
// message, the repaint of a band, or keeping the window above others. The main window installs the real host;
// until then (and in tests without a window) requests go to the installed
// host or nowhere.
#pragma once

#include <cstdint>

namespace platform {

struct Band {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // PostMessageW(window, WM_APP + appOffset, 0, 0).
    virtual void postAppMessage(std::uint32_t appOffset) = 0;
    // InvalidateRect of a band of the client area.
    virtual void invalidateBand(const Band& band) = 0;
    // SetWindowPos(HWND_TOPMOST or HWND_NOTOPMOST) without moving or sizing;
    // a host without a window on a desktop has nothing to place.
    virtual void setTopmost(bool /*topmost*/) {}
};

// Installs the host (nullptr removes it). The caller keeps it alive while installed.
void setWindowHost(WindowHost* host);
void postAppMessage(std::uint32_t appOffset);
void invalidateBand(const Band& band);
void setTopmost(bool topmost);

}  // namespace platform
