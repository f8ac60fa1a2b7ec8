#include "airports/airport_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "foundation/data_key.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "settings/file_names.h"
#include "support/data_set.h"
#include "support/log_capture.h"
#include "tools/encipher/encipher.h"

namespace fs = std::filesystem;

namespace {
struct AirportList : ::testing::Test {
    testing_support::LogCapture log;

    AirportList() {
        fs::create_directories(g_inputFolder);
        clear();
    }
    ~AirportList() override { clear(); }

    static void clear() {
        g_airports.clear();
        g_airportCodes.clear();
        g_airportsLoaded = false;
    }

    void writeList(const std::string& airports) {
        encipher::encipherBytes(gf_dataKey(), "<root><airports>" + airports + "</airports></root>", g_airportsEncPath);
    }

    std::string errorOfReading() {
        try {
            gf_readAirports();
        } catch (const vlt::UserErrorException& e) {
            return e.what();
        }
        return "no error";
    }

    const AirportRecord* find(const char* code) const {
        const auto found = std::find_if(g_airports.begin(), g_airports.end(),
                                        [&](const AirportRecord& r) { return r.code == AirportCode(code); });
        return found == g_airports.end() ? nullptr : &*found;
    }
};
}  // namespace

TEST_F(AirportList, ShippedListReadsSortedAndLabelled) {
    fs::copy_file(testing_support::dataSetFile("airports.enc"), g_airportsEncPath);
    ASSERT_TRUE(gf_readAirports());
    EXPECT_TRUE(log.contains("   80 airports read"));
    EXPECT_FALSE(log.contains("==> "));
    EXPECT_FALSE(fs::exists(g_airportsXmlPath));
    ASSERT_EQ(g_airports.size(), 80u);
    EXPECT_TRUE(std::is_sorted(g_airports.begin(), g_airports.end(),
                               [](const AirportRecord& a, const AirportRecord& b) { return a.code < b.code; }));
    EXPECT_EQ(g_airports.front().code.text(), "CYYZ");
    const AirportRecord* frankfurt = find("EDDF");
    ASSERT_NE(frankfurt, nullptr);
    EXPECT_EQ(gf_airportLabel(*frankfurt), "EDDF (FRA)");
    EXPECT_NEAR(frankfurt->latitude, 50.0333, 1e-9);
    EXPECT_NEAR(frankfurt->longitude, 8.5706, 1e-9);
    EXPECT_EQ(frankfurt->altitude, 364.0F);
    EXPECT_EQ(frankfurt->stands, 2);
    EXPECT_EQ(gf_airportLabel(*find("EHHV")), "EHHV");  // no 3-letter code
    EXPECT_EQ(find("EHAM")->altitude, -11.0F);
    for (const char* code : {"EHAM", "EBBR", "EDDL", "ELLX", "EGLL", "KJFK"})
        EXPECT_TRUE(gf_isSupportedAirport(AirportCode(code))) << code;
    EXPECT_FALSE(gf_isSupportedAirport(AirportCode("ZZZZ")));
    EXPECT_FALSE(gf_isSupportedAirport(AirportCode()));
}

TEST_F(AirportList, SecondCallReadsNothing) {
    writeList(R"(<ap c="EHAM" i="AMS" la="52.3" lo="4.76" a="-11" s="1"/>)");
    ASSERT_TRUE(gf_readAirports());
    fs::remove(g_airportsEncPath);
    const auto lines = log.lines().size();
    EXPECT_TRUE(gf_readAirports());
    EXPECT_EQ(log.lines().size(), lines);
    EXPECT_EQ(g_airports.size(), 1u);
}

TEST_F(AirportList, BadAirportsAreLoggedAndLeftOut) {
    writeList(R"(
        <ap c="EHRD" i="RTM" la="51.9" lo="4.4" a="-15" s="1"/>
        <ap c="EBBR" i="BRU" lo="4.48" a="184" s="1"/>
        <ap c="EBLG" i="LGG" la="50.6" lo="5.4" s="1"/>
        <ap c="EDDL" i="DUS" la="51.3" lo="6.8" a="147"/>
        <ap c="EDDF" i="FR" la="50.0" lo="8.6" a="364" s="1"/>
        <ap c="EDDK" i="C-N" la="50.9" lo="7.1" a="302" s="1"/>
        <ap c="eddm" i="muc" la="48.4" lo="11.8" a="1487" s="2"/>
        <ap c="EHHV" la="52.2" lo="5.1" a="3" s="0"/>
        <ap c="EHAM" i="AMS" la="52.3" lo="4.76" a="-11" s="2"/>
        <ap c="EHAM" i="AMS" la="52.3" lo="4.76" a="-11" s="2"/>)");
    ASSERT_TRUE(gf_readAirports());
    EXPECT_TRUE(log.contains("==> Missing latLons for airport 'EBBR'"));
    EXPECT_TRUE(log.contains("==> Missing alt for airport 'EBLG'"));
    EXPECT_TRUE(log.contains("==> Missing stands for airport 'EDDL'"));
    EXPECT_TRUE(log.contains("Error storing airport 'EDDF' 'FR': FixedCode: invalid string (length/charset)"));
    EXPECT_TRUE(log.contains("Error storing airport 'EDDK' 'C-N': FixedCode: invalid string (length/charset)"));
    EXPECT_TRUE(log.contains("    6 airports read"));
    std::vector<std::string> codes;
    for (const auto& airport : g_airports) codes.push_back(gf_airportLabel(airport));
    EXPECT_THAT(codes, testing::ElementsAre("EDDL (DUS)", "EDDM (MUC)", "EHAM (AMS)", "EHAM (AMS)", "EHHV", "EHRD (RTM)"));
    EXPECT_EQ(find("EDDL")->stands, 0);
    EXPECT_TRUE(gf_isSupportedAirport(AirportCode("EDDM")));
    EXPECT_FALSE(gf_isSupportedAirport(AirportCode("EDDF")));
}

TEST_F(AirportList, BrokenListStopsWithError88) {
    const std::string path = gf_pathToUtf8(g_airportsXmlPath);
    const std::string badCode = "88: FixedCode: invalid string (length/charset)";
    const struct {
        std::string plain;
        std::string message;
    } cases[] = {
        {R"(<root><airports><ap c="EHAM" la="1" lo="1" a="1" s="1"/><ap c="EHA" la="1" lo="1" a="1"/></airports></root>)",
         badCode},
        {R"(<root><airports><ap c="EHAMS" la="1" lo="1" a="1"/></airports></root>)", badCode},
        {R"(<root><airports><ap c="EH-M" la="1" lo="1" a="1"/></airports></root>)", badCode},
        {R"(<root><airports><ap la="1" lo="1" a="1"/></airports></root>)", badCode},
        {R"(<root><airport/></root>)", "88: Missing <airports> root in: " + path},
        {R"(<root><airports>)", "88: " + path + " not loaded: Start-end tags mismatch"},
    };
    for (const auto& c : cases) {
        encipher::encipherBytes(gf_dataKey(), c.plain, g_airportsEncPath);
        EXPECT_EQ(errorOfReading(), c.message) << c.plain;
        EXPECT_FALSE(fs::exists(g_airportsXmlPath)) << c.plain;
        EXPECT_TRUE(g_airports.empty()) << c.plain;  // nothing of a broken list stays
        EXPECT_TRUE(g_airportCodes.empty()) << c.plain;
        EXPECT_FALSE(g_airportsLoaded);
    }
    fs::remove(g_airportsEncPath);
    EXPECT_EQ(errorOfReading(), "88: " + path + " not loaded: File was not found");
    EXPECT_TRUE(log.contains("gf_streamDecrypt exception: "));
}

TEST_F(AirportList, LabelOfAnEmptyCodeIsAQuestionMark) {
    AirportRecord record;
    EXPECT_EQ(gf_airportLabel(record), "?");
    record.code = AirportCode("eddf");
    record.code3 = ShortAirportCode("fra");
    EXPECT_EQ(gf_airportLabel(record), "EDDF (FRA)");
}
