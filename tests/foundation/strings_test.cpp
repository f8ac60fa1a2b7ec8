#include "foundation/strings.h"

#include <gtest/gtest.h>

TEST(Strings, TrimUsesBlankTabCrLf) {
    EXPECT_EQ(gf_trimmed(" \tword\r\n"), "word");
    EXPECT_EQ(gf_trimmed("\t\t"), "");
    EXPECT_EQ(gf_trimmed(""), "");
    EXPECT_EQ(gf_trimmed("\va b\f"), "\va b\f");  // only the four characters
    std::string text = "\n in place \r";
    gf_trim(text);
    EXPECT_EQ(text, "in place");
    text = " \t ";
    gf_trim(text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(gf_trimmedCopy("  x "), "x");
}

TEST(Strings, UpperCaseLeavesBytesAbove127) {
    std::string text = "klm123 \xC3\xA9";
    gf_toUpper(text);
    EXPECT_EQ(text, "KLM123 \xC3\xA9");
    EXPECT_EQ(gf_toUpperChar('q'), 'Q');
    EXPECT_EQ(gf_toUpperChar('\xE9'), '\xE9');
}

TEST(Strings, CommaSplitting) {
    EXPECT_TRUE(gf_splitCommaViews("").empty());
    EXPECT_EQ(gf_splitCommaViews("a,,b,"), (std::vector<std::string_view>{"a", "", "b", ""}));
    EXPECT_TRUE(gf_splitCommaList("").empty());
    EXPECT_EQ(gf_splitCommaList("b, a,b,"), (std::vector<std::string>{"", " a", "b"}));
    EXPECT_EQ(gf_splitTrimmed(" KLM , DLH,"), (std::vector<std::string>{"KLM", "DLH", ""}));
}

TEST(Strings, EqualsWithStar) {
    EXPECT_TRUE(gf_equalsWithStar("B738", "B738*"));
    EXPECT_FALSE(gf_equalsWithStar("B738", "B738"));
    EXPECT_FALSE(gf_equalsWithStar("B738", "B7380"));
    EXPECT_TRUE(gf_equalsWithStar("", "*"));
}

TEST(Strings, OneDecimalAndPlural) {
    EXPECT_EQ(gf_formatOneDecimal(3.0f), "3");
    EXPECT_EQ(gf_formatOneDecimal(2.5f), "2.5");
    EXPECT_EQ(gf_formatOneDecimal(0.5f), "0.5");
    EXPECT_EQ(gf_plural(std::int64_t{1}), "");
    EXPECT_EQ(gf_plural(std::int32_t{-3}), "");
    EXPECT_EQ(gf_plural(std::int64_t{0}), "s");
    EXPECT_EQ(gf_plural(std::int32_t{2}), "s");
    EXPECT_EQ(gf_plural(std::uint64_t{0}), "s");
    EXPECT_EQ(gf_plural(std::uint64_t{1}), "");
}

TEST(Strings, Banners) {
    std::string out = "old";
    gf_makeBanner(out, kBannerWidth1, kBannerWidth2, false, false, "12345678");
    EXPECT_EQ(out, std::string(39, '*') + " 12345678 " + std::string(39, '*'));
    gf_makeBanner(out, 70, 0, true, true, "parameters");
    EXPECT_EQ(out, "\n" + std::string(34, '*') + " parameters " + std::string(34, '*') + "\n");
    gf_makeBanner(out, 70, 10, false, true, "");
    EXPECT_EQ(out, std::string(80, '*') + "\n");
    gf_makeBanner(out, 3, 2, false, false, "");
    EXPECT_EQ(out, "******");  // an odd sum is rounded up to even
    gf_makeBanner(out, 2, 2, false, false, "abc");
    EXPECT_EQ(out, "abc");     // too long for the stars
}
