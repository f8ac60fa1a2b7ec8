#include "platform/message_box.h"

#include <windows.h>

#include "platform/text_codec.h"

namespace platform {

void showWarning(const std::string& title, const std::string& text) {
    // Lenient: a warning is shown even when its text holds a broken byte.
    const std::u16string wideTitle = utf8ToUtf16(title, false).value_or(u"");
    const std::u16string wideText = utf8ToUtf16(text, false).value_or(u"");
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(wideText.c_str()),
                reinterpret_cast<const wchar_t*>(wideTitle.c_str()), MB_OK | MB_ICONWARNING);
}

}  // namespace platform
