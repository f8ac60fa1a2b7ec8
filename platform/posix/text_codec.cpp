// UTF-8/UTF-16 conversion with the rules of Windows' CP_UTF8 converters, and
// Windows-1252 as the ANSI code page.
#include "platform/text_codec.h"

#include <array>
#include <cstdint>

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one sequence at text[i]. Returns the code point and advances i past
// the longest valid prefix; returns -1 for an invalid sequence (i then moves
// past the maximal subpart, so a lenient caller emits one U+FFFD for it).
long decodeOne(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    long cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2; cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3; cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;       // no overlong forms
        if (b0 == 0xED) hi = 0x9F;       // no encoded surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4; cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;       // no overlong forms
        if (b0 == 0xF4) hi = 0x8F;       // nothing above U+10FFFF
    } else {
        ++i;                              // 80-C1 and F5-FF never start a sequence
        return -1;
    }
    ++i;
    for (int k = 1; k < length; ++k) {
        if (i >= text.size()) return -1;
        const auto b = static_cast<unsigned char>(text[i]);
        const unsigned char low = k == 1 ? lo : 0x80;
        const unsigned char high = k == 1 ? hi : 0xBF;
        if (b < low || b > high) return -1;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

void appendUtf16(std::u16string& out, long cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows-1252 bytes 0x80-0x9F; the unassigned ones keep their C1 value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view text, bool strict) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const long cp = decodeOne(text, i);
        if (cp < 0) {
            if (strict) return std::nullopt;
            out.push_back(kReplacement);
        } else {
            appendUtf16(out, cp);
        }
    }
    return out;
}

std::optional<std::string> utf16ToUtf8(std::u16string_view text, bool strict) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (strict) return std::nullopt;
            cp = kReplacement;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::u16string ansiToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::optional<std::string> utf16ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        std::size_t k = 0;
        while (k < kCp1252High.size() && kCp1252High[k] != c) ++k;
        if (k == kCp1252High.size()) return std::nullopt;
        out.push_back(static_cast<char>(0x80 + k));
    }
    return out;
}

}  // namespace platform
