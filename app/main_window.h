// The main window's logic that does not depend on the window system: its
// placement on a monitor, the close button and the quit message. The Win32
// window (app/win32/) and the headless host (app/headless/) call it.
#pragma once

#include <cstdint>
#include <filesystem>

#include "settings/file_names.h"

inline constexpr int kMainWindowWidth = 880;
inline constexpr int kMainWindowHeight = 516;
// So much of the window stays on a monitor's work area at least.
inline constexpr int kMinVisiblePixels = 48;
inline constexpr int kDefaultWindowX = 400;
inline constexpr int kDefaultWindowY = 20;

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What the placement needs of the desktop.
class DesktopOps {
public:
    virtual ~DesktopOps() = default;
    // The window's outer rectangle; all zero while the window does not exist.
    virtual ScreenRect windowRect() = 0;
    // The work area of the monitor nearest to the rectangle.
    virtual ScreenRect workAreaNear(const ScreenRect& rect) = 0;
    // Moves the window without resizing, changing the z-order or activating it.
    virtual void moveWindow(int x, int y) = 0;
};

// The rectangle moved so that at least 48 pixels of it lie on the work area
// in each direction (a rectangle larger than the area starts at its edge).
ScreenRect gf_keepOnWorkArea(ScreenRect rect, const ScreenRect& workArea);

// Keeps MAIN_WINDOW_X/Y on a monitor: a position at a limit becomes the
// fallback; a window off every work area is moved onto the nearest one. A
// changed position is saved.
void lf_placeWindowOnMonitor(int fallbackX, int fallbackY, DesktopOps& desktop,
                             const std::filesystem::path& parametersPath = g_parametersPath);
// initInstance's part before the window exists: the stored position, checked
// against the monitors when parameters.xml was read.
void lf_loadWindowPlacement(DesktopOps& desktop, const std::filesystem::path& parametersPath = g_parametersPath);

// WM_CLOSE: the end request; the window stays until the run has closed down.
void lf_onCloseButton();
// WM_APP_QUIT: stores the window's position (x, y: its normal rectangle's
// corner), keeps it on a monitor, logs the time; returns the exit code.
std::int32_t lf_onAppQuit(int x, int y, DesktopOps& desktop,
                          const std::filesystem::path& parametersPath = g_parametersPath);
