// UTF-8/UTF-16 conversion through the Windows code-page converters.
#include "platform/text_codec.h"

#include <windows.h>

#include <climits>

namespace platform {

std::optional<std::u16string> utf8ToUtf16(std::string_view text, bool strict) {
    if (text.empty()) return std::u16string();
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
    if (length < 1) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    if (MultiByteToWideChar(CP_UTF8, flags, text.data(), size, reinterpret_cast<wchar_t*>(out.data()),
                            length) != length)
        return std::nullopt;
    return out;
}

std::optional<std::string> utf16ToUtf8(std::u16string_view text, bool strict) {
    if (text.empty()) return std::string();
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const DWORD flags = strict ? WC_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = WideCharToMultiByte(CP_UTF8, flags, wide, size, nullptr, 0, nullptr, nullptr);
    if (length < 1) return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_UTF8, flags, wide, size, out.data(), length, nullptr, nullptr) != length)
        return std::nullopt;
    return out;
}

std::u16string ansiToUtf16(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return std::u16string();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length < 1) return std::u16string();
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), length);
    return out;
}

std::optional<std::string> utf16ToAnsi(std::u16string_view text) {
    if (text.empty()) return std::string();
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const int size = static_cast<int>(text.size());
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    // A UTF-8 ANSI code page takes no best-fit flag and reports no default
    // character; it can only fail on unpaired surrogates.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(CP_ACP, flags, wide, size, nullptr, 0, nullptr, usedDefaultOut);
    if (length < 1 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, wide, size, out.data(), length, nullptr, usedDefaultOut) != length ||
        usedDefault)
        return std::nullopt;
    return out;
}

}  // namespace platform
