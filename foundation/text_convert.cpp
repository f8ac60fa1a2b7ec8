#include "foundation/text_convert.h"

#include <stdexcept>

#include "platform/text_codec.h"

std::u16string utf8_to_wide(std::string_view text) {
    if (text.empty()) return {};
    auto wide = platform::utf8ToUtf16(text, true);
    if (!wide) throw std::runtime_error("utf8_to_wide: invalid UTF-8");
    return std::move(*wide);
}

std::string wide_to_utf8(std::u16string_view text) {
    if (text.empty()) return {};
    auto narrow = platform::utf16ToUtf8(text, true);
    if (!narrow) throw std::runtime_error("wide_to_utf8: invalid UTF-16");
    return std::move(*narrow);
}

std::string gf_wideToUtf8(std::u16string_view text) {
    return platform::utf16ToUtf8(text, false).value_or(std::string());
}

std::string gf_pathToUtf8(const std::filesystem::path& path) { return wide_to_utf8(path.u16string()); }

std::filesystem::path gf_utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::optional<std::string> gf_utf8ToAnsi(std::string_view text) {
    const auto wide = platform::utf8ToUtf16(text, true);
    if (!wide) return std::nullopt;
    return platform::utf16ToAnsi(*wide);
}

std::string gf_ansiToUtf8(std::string_view text) { return gf_wideToUtf8(platform::ansiToUtf16(text)); }
