#include "app/win32/paint_gdi.h"

#include "app/main_window.h"
#include "platform/text_codec.h"

namespace {
COLORREF colourRef(Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

void draw(HDC dc, const DrawItem& item) {
    switch (item.kind) {
        case DrawKind::fill: {
            const RECT rect{item.left, item.top, item.right, item.bottom};
            HBRUSH brush = CreateSolidBrush(colourRef(item.colour));
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
            break;
        }
        case DrawKind::line: {
            HPEN pen = CreatePen(PS_SOLID, 1, colourRef(item.colour));
            HGDIOBJ previous = SelectObject(dc, pen);
            const POINT points[2] = {{item.left, item.top}, {item.right, item.bottom}};
            Polyline(dc, points, 2);
            SelectObject(dc, previous);
            DeleteObject(pen);
            break;
        }
        case DrawKind::text: {
            // The list holds only valid UTF-8.
            const std::u16string text = platform::utf8ToUtf16(item.text, false).value_or(u"");
            const COLORREF previous = SetTextColor(dc, colourRef(item.colour));
            TextOutW(dc, item.left, item.top, reinterpret_cast<const wchar_t*>(text.c_str()),
                     static_cast<int>(text.size()));
            SetTextColor(dc, previous);
            break;
        }
    }
}
}  // namespace

void lf_paintDisplayList(HDC target, const DisplayList& list) {
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, kMainWindowWidth, kMainWindowHeight);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    const int saved = SaveDC(memory);
    SetBkMode(memory, TRANSPARENT);
    for (const DrawItem& item : list) draw(memory, item);
    RestoreDC(memory, saved);
    BitBlt(target, 0, 0, kMainWindowWidth, kMainWindowHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}
