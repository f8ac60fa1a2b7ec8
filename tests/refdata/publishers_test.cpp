#include "refdata/publishers.h"

#include <gtest/gtest.h>

#include "dbase_fixture.h"
#include "foundation/file_helpers.h"
#include "foundation/text_convert.h"

using refdata_testing::DbaseTest;

struct Publishers : DbaseTest {
    Publishers() {
        g_publisherGroups = {{"Skyline Sceneries", "SkylineSim"}, {"Aerofields"}, {}, {"Pixel Runways", "PixelRwy"}};
        const std::lock_guard lock(g_scanLogMutex);
        g_scanLogLines.clear();
    }
};

namespace {
const std::u16string kBrokenText = {u'a', static_cast<char16_t>(0xD800), u'b'};  // a lone surrogate
}

TEST_F(Publishers, ContainsNoCaseComparesLowerCasedBytes) {
    const struct {
        std::u16string text;
        const char* needle;
        bool expected;
    } cases[] = {
        {u"C:\\Scenery\\SKYLINESIM\\EHAM", "skylinesim", true},
        {u"C:\\Scenery\\skylinesim", "SkylineSim", true},
        {u"Sky", "Skyline", false},
        {u"", "", true},
        {u"anything", "", true},
        {u"Z\u00FCrich LSZH", "z\u00FCrich", true},  // the same UTF-8 bytes
        {u"abc", "abd", false},
    };
    for (const auto& c : cases) EXPECT_EQ(gf_containsNoCase(c.text, c.needle), c.expected) << c.needle;
    EXPECT_FALSE(gf_containsNoCase(kBrokenText, "a"));
    EXPECT_TRUE(log.contains("==> gf_containsNoCase: wide_to_utf8: invalid UTF-16"));
}

TEST_F(Publishers, PathNamesTheFirstGroupWithAMatchingName) {
    EXPECT_EQ(gf_publisherInPath(u"D:/P3D/addons/pixelrwy/EBLG/scenery"), "Pixel Runways");
    EXPECT_EQ(gf_publisherInPath(u"D:/P3D/SkylineSim/EHAM"), "Skyline Sceneries");
    EXPECT_EQ(gf_publisherInPath(u"D:/P3D/Unknown/EHAM"), std::nullopt);
    EXPECT_EQ(gf_publisherInPath(kBrokenText), std::nullopt);
    EXPECT_TRUE(log.contains("==> gf_publisherInPath: wide_to_utf8: invalid UTF-16"));
    // A group with an empty name matches every text; the groups after it are never reached.
    g_publisherGroups = {{"Aerofields"}, {"Catch All", ""}, {"Pixel Runways"}};
    EXPECT_EQ(gf_publisherInPath(u"D:/P3D/Pixel Runways/EBLG"), "Catch All");
}

TEST_F(Publishers, FileNameWithOrbxIsSimaddon) {
    EXPECT_EQ(gf_publisherFromFilename(gf_utf8Path("D:/addons/orbx/EHRD/scenery/EHRD.bgl")), "simaddon");
    EXPECT_EQ(gf_publisherFromFilename(gf_utf8Path("D:/addons/ORBX_Aerofields/x.bgl")), "simaddon");
    EXPECT_EQ(gf_publisherFromFilename(gf_utf8Path("D:/addons/Aerofields/EDLW/x.bgl")), "Aerofields");
    EXPECT_EQ(gf_publisherFromFilename(gf_utf8Path("D:/addons/Other/EDLW/x.bgl")), "");
    const std::lock_guard lock(g_scanLogMutex);
    EXPECT_EQ(g_scanLogLines, (std::vector<std::string>{"from filename => publisher simaddon",
                                                        "from filename => publisher simaddon"}));
}

TEST_F(Publishers, FourNumbersFollowTheAirportCode) {
    const AirportCode egll("EGLL");
    const struct {
        const char* entry;
        bool belongs;
        std::int32_t number;
        bool logged;
    } cases[] = {
        {"EGLL12", true, 12, false},   {"EGKK12", false, -1, false}, {"EGLL", true, -1, true},
        {"EGLL-3", true, -3, false},   {"EGLL7x", true, 7, false},   {"EGL", false, -1, false},
        {"EGLLx1", true, -1, true},    {"EGLL99999999999", true, -1, true},
        {"egll12", false, -1, false},
    };
    for (const auto& c : cases) {
        std::int32_t number = -1;
        EXPECT_EQ(gf_parseFourNumbers("Skyline Sceneries", egll, number, c.entry), c.belongs) << c.entry;
        EXPECT_EQ(number, c.number) << c.entry;
        EXPECT_EQ(log.contains(std::string("==> Skyline Sceneries EGLL ") + c.entry + " invalid number"), c.logged)
            << c.entry;
    }
    std::int32_t number = 0;
    EXPECT_FALSE(gf_parseFourNumbers("P", AirportCode(), number, "EGLL1"));
    EXPECT_TRUE(gf_parseFourNumbers("P", AirportCode(), number, "    "));
    const std::string blanks(4, ' ');  // the empty code, and the entry
    EXPECT_TRUE(log.contains("==> P " + blanks + " " + blanks + " invalid number"));
}
