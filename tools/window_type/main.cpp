// window_type: types a text into an edit field of the program's main window
// and presses Enter, as the user does, for the soak under Wine (natively the
// headless host takes the same command on standard input).
//
//   window_type <control id> <text>
//
// Exit codes: 0 typed, 1 no main window or no such control, 2 usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/proc_sample/wide_text.h"

namespace {

struct Search {
    HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM parameter) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"Velantra_P3D" || !IsWindowVisible(window)) return TRUE;
    reinterpret_cast<Search*>(parameter)->found = window;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_type <control id> <text>\n");
        return 2;
    }
    Search search;
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        std::fprintf(stderr, "window_type: the program's main window is not there\n");
        return 1;
    }
    const HWND edit = GetDlgItem(search.found, std::atoi(argv[1]));
    if (edit == nullptr) {
        std::fprintf(stderr, "window_type: the main window has no control %s\n", argv[1]);
        return 1;
    }
    const std::wstring text = gf_wideArgument(argv[2]);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, WM_CHAR, 13, 0);
    return 0;
}
