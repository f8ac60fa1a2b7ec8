#include "app/win32/main_window_win32.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "app/auto_radius.h"
#include "app/main_window.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/text_codec.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/settings.h"

std::atomic<HWND> g_hMainWnd{nullptr};
HWND g_lastWindowSeen = nullptr;

namespace {
constexpr COLORREF kControlsBackground = RGB(153, 204, 255);
constexpr COLORREF kLimeGreen = RGB(50, 205, 50);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

HWND controlWindow(const WindowControl& control) { return static_cast<HWND>(control.controlHandle.load()); }

// Other threads reach the window only by posted messages and by the calls
// Windows allows across threads (InvalidateRect, and the control messages
// below, which Windows hands to the window thread). None of them is made
// while holding a lock the window thread may wait for.
class Win32Window final : public platform::WindowHost, public ControlUpdates, public DesktopOps {
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

    // Controls that do not exist (yet) are left alone.
    void setCheck(const CheckBoxParam& param, bool checked) override {
        if (HWND control = controlWindow(param)) SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void showChoice(const ChoiceParam& param) override {
        HWND control = controlWindow(param);
        if (control == nullptr) return;
        // The first entry not less than the value.
        const auto entry = std::lower_bound(param.values.begin(), param.values.end(), param.value.load());
        if (entry != param.values.end())
            SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(entry - param.values.begin()), 0);
    }
    void fillChoice(const ChoiceParam& param) override {
        std::vector<std::string> texts;
        for (const std::int32_t value : param.values) texts.push_back(std::to_string(value));
        const auto entry = std::lower_bound(param.values.begin(), param.values.end(), param.value.load());
        fillList(param, texts, entry - param.values.begin());
    }
    void fillFloatChoice(const FloatChoiceParam& param) override {
        std::vector<std::string> texts;
        for (const float value : param.values) texts.push_back(fmt::format("{:.1f}", value));
        fillList(param, texts, -1);
    }
    void showText(const StringParam& param) override {
        const auto* control = dynamic_cast<const WindowControl*>(&param);
        HWND window = control != nullptr ? controlWindow(*control) : nullptr;
        if (window == nullptr) return;
        const std::u16string text = platform::utf8ToUtf16(param.value.get(), false).value_or(u"");
        SetWindowTextW(window, reinterpret_cast<const wchar_t*>(text.c_str()));
    }
    void enableControl(const WindowControl& control, bool enabled) override {
        if (HWND window = controlWindow(control)) EnableWindow(window, enabled ? TRUE : FALSE);
    }
    void syncMaxFitChoice() override {}  // its list comes with the window's controls
    void setRadius(std::int32_t nm) override { gf_setRadius(nm); }

    // Empties the drop-down list, adds the texts and selects one (none when out of range).
    static void fillList(const WindowControl& control, const std::vector<std::string>& texts, std::ptrdiff_t selected) {
        HWND list = controlWindow(control);
        if (list == nullptr) return;
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& text : texts) {
            const std::u16string wide = platform::utf8ToUtf16(text, false).value_or(u"");
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        if (selected >= 0 && selected < static_cast<std::ptrdiff_t>(texts.size()))
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
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

void fillBand(HDC dc, const platform::Band& band, COLORREF colour) {
    const RECT rect{band.left, band.top, band.right, band.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Draws one UTF-8 text; a text that is not valid UTF-8 is logged and skipped.
void lf_textOut(HDC dc, int x, int y, const std::string& text, COLORREF colour) {
    const COLORREF previous = SetTextColor(dc, colour);
    try {
        const std::u16string wide = utf8_to_wide(text);
        TextOutW(dc, x, y, reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()));
    } catch (const std::exception& e) {
        gf_logUnlessStopping(fmt::format("TextOut utf8  to wide failed for '{}': {}", text, e.what()));
    }
    SetTextColor(dc, previous);
}

// The status band: the error text on red, else the status text on lime green.
void lf_paintStatusLine(HDC dc) {
    std::string error, status;
    {
        const std::lock_guard lock(g_statusMutex);
        error = g_errorText;
        status = g_statusText;
    }
    const platform::Band band{kStatusBand.left, kStatusBand.top, kStatusBand.right + 1, kStatusBand.bottom + 1};
    fillBand(dc, band, error.empty() ? kLimeGreen : kRed);
    const std::string& text = error.empty() ? status : error;
    if (!text.empty()) lf_textOut(dc, 3, 455, text, kYellow);
}

// The bands' backgrounds and the status line; the counters, labels and
// indicators come with the window's full painting.
void paintWindow(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    fillBand(dc, platform::Band{0, 0, kMainWindowWidth, kMainWindowHeight}, RGB(0, 0, 0));
    fillBand(dc, kControlsBand, kControlsBackground);
    SetBkMode(dc, TRANSPARENT);
    lf_paintStatusLine(dc);
    EndPaint(window, &paint);
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
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

bool lf_registerMainWindowClass(HINSTANCE instance, const wchar_t* className) {
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
    gf_setControlUpdates(&g_window);
}

void lf_removeWindowSeams() {
    gf_setControlUpdates(nullptr);
    platform::setWindowHost(nullptr);
}
