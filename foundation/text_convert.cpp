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

Utf8Sequence gf_utf8SequenceAt(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {1, false};
    std::size_t continuation = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuation = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuation = 2;
        if (lead == 0xE0) low = 0xA0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuation = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {};  // C0, C1, F5..FF and stray continuation bytes
    }
    for (std::size_t k = 1; k <= continuation; ++k) {
        if (at + k >= bytes.size()) return {0, true};
        const unsigned char b = byte(at + k);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return {};
    }
    return {continuation + 1, false};
}
