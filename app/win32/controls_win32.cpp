#include "app/win32/controls_win32.h"

#include <fmt/format.h>

#include <exception>
#include <vector>

#include "app/edit_fields.h"
#include "app/services/status_line.h"
#include "app/win32/main_window_win32.h"
#include "foundation/log.h"
#include "platform/text_codec.h"
#include "settings/settings.h"

std::atomic<HWND> g_controlsParent{nullptr};
HINSTANCE g_moduleInstance = nullptr;

namespace {
// The longest text a list item yields.
constexpr int kItemTextLimit = 255;

HWND control(std::uint16_t id) {
    HWND parent = g_controlsParent.load();
    return parent == nullptr ? nullptr : GetDlgItem(parent, id);
}

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text, false).value_or(u""); }
const wchar_t* raw(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::optional<int> result(LRESULT value) {
    if (value == CB_ERR) return std::nullopt;
    return static_cast<int>(value);
}

WNDPROC subclassProcedure(const ControlSpec& spec) {
    if (spec.control == &ALL_INSTALL_PATH) return lf_installPathEditProc;
    if (spec.control == &BLOCK_CALLSIGN) return lf_blockCallsignEditProc;
    return lf_destinationEditProc;
}

LRESULT lf_editSubclassProc(EditParam& field, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR && wParam == 13) {
        try {
            lf_onEditEnter(lf_windowContext(), field);
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("{} exception {}", "lf_editSubclassProc", e.what()));
        } catch (...) {
            gf_logMarked(fmt::format("{} exception {}", "lf_editSubclassProc", "Unknown exception"));
        }
        return 0;
    }
    return CallWindowProcW(reinterpret_cast<WNDPROC>(field.previousWindowProc.load()), window, message, wParam, lParam);
}
}  // namespace

LRESULT CALLBACK lf_installPathEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return lf_editSubclassProc(ALL_INSTALL_PATH, window, message, wParam, lParam);
}
LRESULT CALLBACK lf_blockCallsignEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return lf_editSubclassProc(BLOCK_CALLSIGN, window, message, wParam, lParam);
}
LRESULT CALLBACK lf_destinationEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return lf_editSubclassProc(DESTINATION, window, message, wParam, lParam);
}

void Win32Controls::create(const ControlSpec& spec) {
    const std::u16string className = wide(gf_controlClass(spec.kind));
    const std::u16string label = wide(gf_controlLabel(spec));
    HWND handle = CreateWindowExW(0, raw(className), raw(label), gf_controlStyle(spec.kind), spec.x, gf_controlY(spec),
                                  spec.width, spec.height, g_controlsParent.load(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.control->controlId)),
                                  g_moduleInstance, nullptr);
    spec.control->controlHandle = handle;
    if (handle == nullptr) return;  // the functions that use it do nothing visible
    if (spec.kind == ControlKind::edit) {
        const LONG_PTR previous =
            SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProcedure(spec)));
        spec.control->previousWindowProc = previous;
    }
    if (!gf_controlStartsEnabled(spec.kind)) EnableWindow(handle, FALSE);
}

bool Win32Controls::exists(std::uint16_t id) { return control(id) != nullptr; }

void Win32Controls::setEnabled(std::uint16_t id, bool enabled) {
    if (HWND c = control(id)) EnableWindow(c, enabled ? TRUE : FALSE);
}

bool Win32Controls::isEnabled(std::uint16_t id) {
    HWND c = control(id);
    return c != nullptr && IsWindowEnabled(c);
}

void Win32Controls::setChecked(std::uint16_t id, bool checked) {
    if (HWND c = control(id)) SendMessageW(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Controls::isChecked(std::uint16_t id) {
    HWND c = control(id);
    return c != nullptr && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Controls::setText(std::uint16_t id, const std::string& text) {
    if (HWND c = control(id)) SetWindowTextW(c, raw(wide(text)));
}

std::optional<std::string> Win32Controls::text(std::uint16_t id) {
    HWND c = control(id);
    if (c == nullptr) return std::nullopt;
    const int length = GetWindowTextLengthW(c);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(c, buffer.data(), length + 1);
    return platform::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()),
                                                     static_cast<std::size_t>(copied)),
                                 true);
}

void Win32Controls::clearItems(std::uint16_t id) {
    if (HWND c = control(id)) SendMessageW(c, CB_RESETCONTENT, 0, 0);
}

void Win32Controls::addItem(std::uint16_t id, const std::string& text) {
    const std::u16string item = wide(text);
    if (HWND c = control(id)) SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(raw(item)));
}

void Win32Controls::selectItem(std::uint16_t id, int index) {
    if (HWND c = control(id)) SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::optional<int> Win32Controls::selectedItem(std::uint16_t id) {
    HWND c = control(id);
    return c == nullptr ? std::nullopt : result(SendMessageW(c, CB_GETCURSEL, 0, 0));
}

int Win32Controls::itemCount(std::uint16_t id) {
    HWND c = control(id);
    return c == nullptr ? 0 : result(SendMessageW(c, CB_GETCOUNT, 0, 0)).value_or(0);
}

std::optional<std::string> Win32Controls::itemText(std::uint16_t id, int index) {
    HWND c = control(id);
    if (c == nullptr) return std::nullopt;
    const std::optional<int> length = result(SendMessageW(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    if (!length) return std::nullopt;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(*length) + 1, L'\0');
    const std::optional<int> copied =
        result(SendMessageW(c, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())));
    if (!copied) return std::nullopt;
    const std::size_t size = static_cast<std::size_t>(std::min(*copied, kItemTextLimit));
    return platform::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), size), true);
}

std::optional<int> Win32Controls::findItemExact(std::uint16_t id, const std::string& text) {
    HWND c = control(id);
    const std::u16string item = wide(text);
    return c == nullptr ? std::nullopt
                        : result(SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(raw(item))));
}

std::optional<int> Win32Controls::selectItemWithPrefix(std::uint16_t id, const std::string& prefix) {
    HWND c = control(id);
    const std::u16string item = wide(prefix);
    return c == nullptr ? std::nullopt
                        : result(SendMessageW(c, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(raw(item))));
}
