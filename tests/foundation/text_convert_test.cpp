#include "foundation/text_convert.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "foundation/user_error.h"

TEST(UserError, MessageCarriesTheCodeExceptFor99) {
    EXPECT_STREQ(vlt::UserErrorException(151, "x").what(), "151: x");
    EXPECT_STREQ(vlt::UserErrorException(99, "x").what(), "x");
    try {
        throw vlt::UserErrorException(41, "wrong folder");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "41: wrong folder");
    }
}

TEST(TextConvert, StrictConversionsThrowTheirOwnTexts) {
    EXPECT_EQ(utf8_to_wide(""), u"");
    EXPECT_EQ(utf8_to_wide("K\xC3\xB6ln"), u"K\u00F6ln");
    try {
        utf8_to_wide("\xC3");
        FAIL() << "a lone lead byte must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "utf8_to_wide: invalid UTF-8");
    }
    const std::u16string lone{u'a', static_cast<char16_t>(0xD800), u'b'};
    try {
        wide_to_utf8(lone);
        FAIL() << "an unpaired surrogate must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "wide_to_utf8: invalid UTF-16");
    }
    EXPECT_EQ(gf_wideToUtf8(lone), "a\xEF\xBF\xBD" "b");
}

TEST(TextConvert, PathsRoundTripNonAsciiNames) {
    const std::string name = "Jos\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC/parameters.xml";
    const auto path = gf_utf8Path(name);
    EXPECT_EQ(gf_pathToUtf8(path), name);
    EXPECT_EQ(gf_pathToUtf8(path.filename()), "parameters.xml");
    EXPECT_EQ(gf_pathToUtf8(path.parent_path().parent_path()), "Jos\xC3\xA9");
}

TEST(TextConvert, AnsiCodePageBothWays) {
    // Windows-1252 natively, and the code page that Wine runs under.
    EXPECT_EQ(gf_utf8ToAnsi("K\xC3\xB6ln \xE2\x82\xAC"), std::string("K\xF6ln \x80"));
    EXPECT_EQ(gf_utf8ToAnsi(""), std::string());
    EXPECT_EQ(gf_utf8ToAnsi("\xE6\x97\xA5"), std::nullopt);  // no such character in the code page
    EXPECT_EQ(gf_utf8ToAnsi("\xC4\x8C"), std::nullopt);      // no look-alike "C" either
    EXPECT_EQ(gf_utf8ToAnsi("ab\xC3"), std::nullopt);        // not UTF-8
    EXPECT_EQ(gf_ansiToUtf8("K\xF6ln \x80"), "K\xC3\xB6ln \xE2\x82\xAC");
    EXPECT_EQ(gf_ansiToUtf8(""), "");
}
