// The real Win32 main window, as another program sees it: its 39 controls
// found by id, and a picture of the window started outside its install
// folder, checked region by region and kept beside the build
// (screenshots/main-window-start.png).
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "support/main_window_layout.h"
#include "support/program_process.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tools/window_check/capture_win32.h"

using namespace std::chrono_literals;
using testing_support::waitFor;
namespace fs = std::filesystem;

namespace {

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring wide(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// The control's rectangle in the client coordinates of its parent.
RECT rectInParent(HWND control, HWND parent) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
}  // namespace

TEST(MainWindowWin32, ControlsAndPictureAtStartWithoutDocs) {
    testing_support::TempDir work;
    testing_support::TempDir appData;
    testing_support::ProgramProcess program(work.path(), "program", {}, "APPDATA", appData.path().string());
    HWND window = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            window = static_cast<HWND>(program.mainWindow());
            return window != nullptr && IsWindowVisible(window);
        },
        testing_support::kSafety));
    // Started outside its install folder, the start-up ends at once with error
    // 41; the picture is judged once its last repaint has come (or the wait is over).
    HDC dc = GetDC(window);
    ASSERT_TRUE(waitFor([&] { return GetPixel(dc, 860, 460) == RGB(255, 0, 0); }, testing_support::kSafety));
    ReleaseDC(window, dc);
    std::optional<window_check::Image> picture;
    waitFor(
        [&] {
            picture = window_check::captureClientArea(window);
            return picture && window_check::failedChecks(*picture, window_check::startWithoutDocsChecks()).empty();
        },
        testing_support::kSafety);

    for (const auto& e : testing_support::expectedControlsAtStart()) {
        SCOPED_TRACE(e.id);
        HWND control = GetDlgItem(window, e.id);
        ASSERT_NE(control, nullptr);
        wchar_t className[32] = {};
        GetClassNameW(control, className, 32);
        EXPECT_EQ(lower(className), lower(wide(e.windowClass)));
        auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(control, GWL_STYLE)) & ~std::uint32_t{WS_DISABLED};
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, e.enabled);
        RECT rect = rectInParent(control, window);
        if (lower(className) == L"edit") {
            // The edit control takes the border over: Windows turns it into a
            // client edge, Wine draws it itself; either way the style loses it.
            style |= e.style & WS_BORDER;
        } else if (lower(className) == L"combobox") {
            // The combo box hands its scroll bar to its list, which shows it once it has items.
            style |= e.style & WS_VSCROLL;
            // The closed box is one line high; the height it was created with
            // reaches down to the bottom of the open list.
            RECT dropped{};
            SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&dropped), 2);
            // Windows reports the open box from its top, Wine the list's own height.
            const long closedHeight = rect.bottom - rect.top;
            const long open = dropped.bottom - dropped.top;
            rect.bottom = rect.top + (open + closedHeight == e.height ? e.height : open);
            EXPECT_EQ(SendMessageW(control, CB_GETCOUNT, 0, 0), 0) << "lists are filled by the start-up only";
        } else if (e.style == 0x50010002) {
            EXPECT_EQ(IsDlgButtonChecked(window, e.id) == BST_CHECKED, e.checked);
        }
        EXPECT_EQ(style, e.style);
        EXPECT_EQ(rect.left, e.x);
        EXPECT_EQ(rect.top, e.y);
        EXPECT_EQ(rect.right - rect.left, e.width);
        EXPECT_EQ(rect.bottom - rect.top, e.height);
    }
    EXPECT_EQ(GetDlgItem(window, 32803), nullptr) << "AFG_AUTOMATIC has no control";
    wchar_t label[32] = {};
    GetWindowTextW(GetDlgItem(window, 32857), label, 32);
    EXPECT_EQ(std::wstring(label), L"Flush static");

    ASSERT_TRUE(picture);
    const fs::path folder = fs::path("Z:" + testing_support::buildFolderUnixPath()) / "screenshots";
    fs::create_directories(folder);
    EXPECT_TRUE(window_check::writePng(folder / "main-window-start.png", *picture));
    for (const std::string& failed : window_check::failedChecks(*picture, window_check::startWithoutDocsChecks()))
        ADD_FAILURE() << failed;

    ASSERT_TRUE(program.close());
    EXPECT_EQ(program.waitForExit(testing_support::kSafety), 0);
}
#endif
