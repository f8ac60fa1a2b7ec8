#include "foundation/version.h"

#include <gtest/gtest.h>

#include "support/log_capture.h"

TEST(Version, ReadsDottedTextAndJson) {
    const VersionData dotted("11.14.0");
    EXPECT_EQ(dotted, VersionData(11, 14, 0));
    EXPECT_EQ(dotted.toString(), "11.14.0");
    EXPECT_EQ(VersionData(" \t{\"major\": 11, \"minor\": 10, \"patch\": 0}\n "), VersionData(11, 10, 0));
    EXPECT_EQ(VersionData(""), VersionData(0, 0, 0));
}

TEST(Version, BadTextsLogAndGiveZero) {
    testing_support::LogCapture log;
    struct Case {
        const char* text;
        const char* logged;
    } cases[] = {
        {"11.a", "VersionData exception: invalid version format"},
        {"v11.0.2", "VersionData exception: invalid version format"},
        {"11.0.2 ", "VersionData exception: invalid version format"},
        {"99999999999.0.1", "VersionData exception: parse error in version string"},
        {"{\"major\": 11}", "VersionData exception: "},
        {"{not json", "VersionData exception: "},
        // A member that is no whole number in the field's range is no version
        // at all, never a narrowed one.
        {R"({"major": 3000000000, "minor": 0, "patch": 0})", "version field major is not a whole number"},
        {R"({"major": 11, "minor": 9.5, "patch": 0})", "version field minor is not a whole number"},
        {R"({"major": 11, "minor": 0, "patch": -2})", "version field patch is not a whole number"},
        {R"({"major": true, "minor": 0, "patch": 0})", "version field major is not a whole number"},
        {R"({"major": "11", "minor": 0, "patch": 0})", "version field major is not a whole number"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionData(c.text), VersionData()) << c.text;
        EXPECT_NE(log.lines().back().find(c.logged), std::string::npos) << c.text;
    }
}

TEST(Version, OrdersLexicographically) {
    EXPECT_LT(VersionData("11.0.1"), VersionData("11.0.2"));
    EXPECT_FALSE(VersionData("11.1.0") < VersionData("11.0.2"));
    EXPECT_LT(VersionData("10.99.99"), VersionData("11.0.0"));
    EXPECT_EQ(VersionData("11.0.2"), VersionData(11, 0, 2));
}
