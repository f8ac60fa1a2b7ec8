#include "tools/window_check/capture_win32.h"

#include <vector>

namespace window_check {
namespace {
struct Search {
    const wchar_t* className;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK visit(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if ((search->processId != 0 && owner != search->processId) || std::wstring(name) != search->className ||
        !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND findWindowOfClass(const wchar_t* className, DWORD processId) {
    Search search{className, processId, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<Image> captureClientArea(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return std::nullopt;
    Image image;
    image.width = client.right;
    image.height = client.bottom;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    if (copied) {
        const auto* pixels = static_cast<const std::uint8_t*>(bits);  // blue, green, red, unused
        image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
        for (std::size_t i = 0; i < image.rgb.size() / 3; ++i) {
            image.rgb[i * 3] = pixels[i * 4 + 2];
            image.rgb[i * 3 + 1] = pixels[i * 4 + 1];
            image.rgb[i * 3 + 2] = pixels[i * 4];
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    if (!copied) return std::nullopt;
    return image;
}

}  // namespace window_check
