#include "app/win32/main_window_win32.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/paint_state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "app/win32/controls_win32.h"
#include "app/win32/paint_gdi.h"
#include "app/window_controls.h"
#include "foundation/log.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/settings.h"

std::atomic<HWND> g_hMainWnd{nullptr};
HWND g_lastWindowSeen = nullptr;

namespace {
constexpr COLORREF kControlsBackground = RGB(153, 204, 255);

Win32Controls g_controls;
WindowControlUpdates g_controlUpdates{g_controls};

// Other threads reach the window only by posted messages and by the calls
// Windows allows across threads (InvalidateRect, and the control messages,
// which Windows hands to the window thread). None of them is made while
// holding a lock the window thread may wait for.
class Win32Window final : public platform::WindowHost, public DesktopOps {
public:
    void postAppMessage(std::uint32_t appOffset) override {
        if (HWND window = g_hMainWnd.load()) PostMessageW(window, WM_APP + appOffset, 0, 0);
    }
    void invalidateBand(const platform::Band& band) override {
        if (HWND window = g_hMainWnd.load()) {
            const RECT rect{band.left, band.top, band.right, band.bottom};
            InvalidateRect(window, &rect, FALSE);
        }
    }
    void setTopmost(bool topmost) override {
        if (HWND window = g_hMainWnd.load())
            SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    ScreenRect windowRect() override {
        RECT rect{};
        if (HWND window = g_hMainWnd.load()) GetWindowRect(window, &rect);
        return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
    }
    ScreenRect workAreaNear(const ScreenRect& rect) override {
        const RECT area{rect.left, rect.top, rect.right, rect.bottom};
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &info)) return rect;
        return ScreenRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    }
    void moveWindow(int x, int y) override {
        if (HWND window = g_hMainWnd.load())
            SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

Win32Window g_window;

// WM_APP_QUIT: the window's position, the restored one when it is minimised or maximised.
void storePositionAndQuit(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(window, &placement) &&
        (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_SHOWMAXIMIZED))
        rect = placement.rcNormalPosition;
    PostQuitMessage(lf_onAppQuit(rect.left, rect.top, g_window));
}

void paintWindow(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    lf_paintDisplayList(dc, lf_paintMainWindow(lf_capturePaintState(g_controls)));
    EndPaint(window, &paint);
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_controlsParent = window;
            lf_createControls(g_controls);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            paintWindow(window);
            return 0;
        case WM_CLOSE:
            // The window stays until the run has closed down and WM_APP_QUIT arrives.
            lf_onCloseButton();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_COMMAND:
            if (lf_HandleWMCOMMAND(lf_windowContext(), LOWORD(wParam), HIWORD(wParam))) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, kControlsBackground);
            return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
        }
        case WM_APP + WM_APP_START:
            lf_onAppStart();
            return 0;
        case WM_APP + WM_APP_QUIT:
            storePositionAndQuit(window);
            return 0;
        case WM_APP + WM_APP_STATUS: {
            const RECT band{kStatusBand.left, kStatusBand.top, kStatusBand.right, kStatusBand.bottom};
            InvalidateRect(window, &band, FALSE);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
}  // namespace

WindowContext& lf_windowContext() {
    static WindowContext context{g_controls};
    return context;
}

bool lf_registerMainWindowClass(HINSTANCE instance, const wchar_t* className) {
    g_moduleInstance = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = lf_WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(100));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

bool initInstance(HINSTANCE instance, const wchar_t* title) {
    lf_loadWindowPlacement(g_window);
    HWND window = CreateWindowExW(0, title, title, WS_CAPTION | WS_SYSMENU, MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value,
                                  kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    g_hMainWnd = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK lf_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_lastWindowSeen = window;
    try {
        return handleMessage(window, message, wParam, lParam);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception {}", "lf_WndProc", e.what()));
    } catch (...) {
        gf_logMarked(fmt::format("{} exception {}", "lf_WndProc", "Unknown exception"));
    }
    return 0;
}

void lf_installWindowSeams() {
    platform::setWindowHost(&g_window);
    gf_setControlUpdates(&g_controlUpdates);
}

void lf_removeWindowSeams() {
    gf_setControlUpdates(nullptr);
    platform::setWindowHost(nullptr);
}
