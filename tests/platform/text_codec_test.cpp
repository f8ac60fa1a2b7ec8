// The same table runs natively and under Wine, where the real Windows
// converters answer.
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {
struct Utf8Case {
    const char* name;
    std::string bytes;
    std::optional<std::u16string> strict;
};

std::u16string units(std::initializer_list<char16_t> list) { return std::u16string(list); }
}  // namespace

TEST(TextCodec, StrictUtf8FollowsWindowsRules) {
    const Utf8Case cases[] = {
        {"ascii", "EHAM", u"EHAM"},
        {"two-byte", "\xC3\xA9", units({0x00E9})},
        {"three-byte", "\xE2\x82\xAC", units({0x20AC})},
        {"four-byte", "\xF0\x9F\x98\x80", units({0xD83D, 0xDE00})},
        {"largest", "\xF4\x8F\xBF\xBF", units({0xDBFF, 0xDFFF})},
        {"lone lead", "\xC3", std::nullopt},
        {"cut three-byte", "a\xE2\x82", std::nullopt},
        {"overlong slash", "\xC0\xAF", std::nullopt},
        {"overlong three-byte", "\xE0\x80\xAF", std::nullopt},
        {"encoded surrogate", "\xED\xA0\x80", std::nullopt},
        {"above U+10FFFF", "\xF4\x90\x80\x80", std::nullopt},
        {"lone continuation", "\x80", std::nullopt},
        {"F5 lead", "\xF5\x80\x80\x80", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::utf8ToUtf16(c.bytes, true), c.strict) << c.name;
    }
}

TEST(TextCodec, LenientUtf8ReplacesInvalidBytes) {
    EXPECT_EQ(platform::utf8ToUtf16("a\xFF" "b", false), units({u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(platform::utf8ToUtf16("ab\xC3", false), units({u'a', u'b', 0xFFFD}));
    EXPECT_EQ(platform::utf8ToUtf16("\xC3\xA9", false), units({0x00E9}));
}

TEST(TextCodec, Utf16ToUtf8StrictAndLenient) {
    EXPECT_EQ(platform::utf16ToUtf8(units({0xD83D, 0xDE00}), true), std::string("\xF0\x9F\x98\x80"));
    EXPECT_EQ(platform::utf16ToUtf8(units({u'x', 0xDC00}), true), std::nullopt);
    EXPECT_EQ(platform::utf16ToUtf8(units({0xD800, u'x'}), true), std::nullopt);
    EXPECT_EQ(platform::utf16ToUtf8(units({u'x', 0xDC00}), false), std::string("x\xEF\xBF\xBD"));
    EXPECT_EQ(platform::utf16ToUtf8(units({0x00E9, 0x20AC}), true), std::string("\xC3\xA9\xE2\x82\xAC"));
}

TEST(TextCodec, AnsiIsWindows1252) {
    EXPECT_EQ(platform::ansiToUtf16("K\xF6ln"), u"K\u00F6ln");
    EXPECT_EQ(platform::ansiToUtf16("\x80\x8A\x9F"), units({0x20AC, 0x0160, 0x0178}));
    EXPECT_EQ(platform::ansiToUtf16("\x81\x8D\x8F\x90\x9D"), units({0x81, 0x8D, 0x8F, 0x90, 0x9D}));
    EXPECT_EQ(platform::ansiToUtf16(""), u"");
}

TEST(TextCodec, Utf16ToAnsiHasNoLookAlikes) {
    EXPECT_EQ(platform::utf16ToAnsi(u"K\u00F6ln"), std::string("K\xF6ln"));
    EXPECT_EQ(platform::utf16ToAnsi(units({0x20AC, 0x0160, 0x0178})), std::string("\x80\x8A\x9F"));
    EXPECT_EQ(platform::utf16ToAnsi(units({0x81, 0x8D, 0x8F, 0x90, 0x9D})), std::string("\x81\x8D\x8F\x90\x9D"));
    EXPECT_EQ(platform::utf16ToAnsi(u""), std::string());
    EXPECT_EQ(platform::utf16ToAnsi(units({0x0080})), std::nullopt);        // a C1 control 1252 lacks
    EXPECT_EQ(platform::utf16ToAnsi(units({0x0100})), std::nullopt);        // A with macron, best fit would be "A"
    EXPECT_EQ(platform::utf16ToAnsi(units({0x65E5})), std::nullopt);
    EXPECT_EQ(platform::utf16ToAnsi(units({u'x', 0xD800})), std::nullopt);  // unpaired surrogate
}
