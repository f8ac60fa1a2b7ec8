#include "foundation/fixed_code.h"

#include <gtest/gtest.h>

#include <unordered_set>

TEST(FixedCode, FoldsCaseAndKeepsTextOrder) {
    const AirportCode lower("eham");
    EXPECT_EQ(lower, AirportCode("EHAM"));
    EXPECT_EQ(lower.text(), "EHAM");
    EXPECT_EQ(lower.packed(), 0x4D414845u);  // 'E' in the low byte
    EXPECT_EQ(AirportCode("0A12").text(), "0A12");
    EXPECT_EQ(ShortAirportCode("ams").text(), "AMS");
}

TEST(FixedCode, RejectsWrongLengthAndCharacters) {
    for (const char* bad : {"EHA", "EHAMX", "EH-M", "EH M", " EHA", "EH\xC3\x84", ""}) {
        try {
            AirportCode code(bad);
            FAIL() << bad;
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "FixedCode: invalid string (length/charset)");
        }
    }
    EXPECT_THROW(ShortAirportCode("AM"), std::invalid_argument);
}

TEST(FixedCode, EmptyCodeIsUnsetPrintsBlanksAndHashesAsFourBlanks) {
    const AirportCode empty;
    EXPECT_FALSE(empty.isSet());
    EXPECT_EQ(empty.packed(), 0u);
    EXPECT_EQ(empty.text(), "    ");
    EXPECT_EQ(ShortAirportCode().text(), "   ");
    EXPECT_EQ(empty.hash(), gf_fnv1a64("    "));
    EXPECT_EQ(AirportCode("EDDF").hash(), gf_fnv1a64("EDDF"));
}

TEST(FixedCode, FnvMatchesTheReferenceValues) {
    EXPECT_EQ(gf_fnv1a64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(gf_fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(gf_fnv1a64("foobar"), 0x85944171f73967e8ULL);
    std::unordered_set<AirportCode, FixedCodeHash> codes{AirportCode("EHAM"), AirportCode("eham"), AirportCode("KJFK")};
    EXPECT_EQ(codes.size(), 2u);
}
