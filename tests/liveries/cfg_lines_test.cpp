// The aircraft.cfg line reader against the regular expressions whose meaning
// it keeps: every combination of blanks, key spellings and values is matched
// by both, and the answers must agree.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "liveries/cfg_lines.h"

namespace {

std::string regexValue(const std::string& line, const std::regex& pattern) {
    std::smatch match;
    return std::regex_match(line, match, pattern) ? match[2].str() : std::string();
}

std::vector<std::string> keyLines(const std::string& key) {
    const std::vector<std::string> leads = {"", " ", "\t ", "\r", "\v\f", "x", "//"};
    std::vector<std::string> spellings = {key, "X" + key, key + "s", key.substr(0, key.size() - 1)};
    std::string upper = key, mixed = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (std::size_t i = 0; i < mixed.size(); i += 2) mixed[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[i])));
    spellings.push_back(upper);
    spellings.push_back(mixed);
    const std::vector<std::string> equals = {"=", " = ", "\t=\t", " :", "==", ""};
    const std::vector<std::string> values = {"",          " ",           "A",         "Foo Bar  ",  " a=b ",
                                             "a\rb",      "a\r",          "\r\ra",     "a\nb",      "x\v",
                                             "\xC3\xA9t\xC3\xA9", "a ; b",  "\t \t",     "N123AB ; spare", "\x01\x7F"};
    std::vector<std::string> lines;
    for (const auto& lead : leads)
        for (const auto& spelling : spellings)
            for (const auto& eq : equals)
                for (const auto& value : values) lines.push_back(lead + spelling + eq + value);
    return lines;
}

TEST(CfgLines, KeyMatcherAgreesWithTheKeyPatternOnEveryCombination) {
    for (const std::string key : {"title", "atc_id", "atc_parking_types", "sim", "model"}) {
        const std::regex pattern("\\s*(" + key + ")\\s*=\\s*(.*\\S)\\s*",
                                 std::regex::ECMAScript | std::regex::icase);
        for (const std::string& line : keyLines(key))
            ASSERT_EQ(std::string(lf_matchKey(line, key)), regexValue(line, pattern))
                << "key " << key << " line '" << line << "'";
    }
}

TEST(CfgLines, HeaderReaderAgreesWithTheHeaderPattern) {
    const std::regex pattern("\\s*(\\[fltsim\\.)(\\d+)\\]\\s*", std::regex::ECMAScript | std::regex::icase);
    const std::vector<std::string> leads = {"", "  ", "\t", "x", "//", "/"};
    const std::vector<std::string> openings = {"[fltsim.", "[FltSim.", "[FLTSIM.", "[fltsim", "fltsim.", "[flt sim."};
    const std::vector<std::string> numbers = {"0", "3", "10000", "10001", "-1", "", "1a", "007", "99999999999"};
    const std::vector<std::string> tails = {"]", "] ", "]\r", "] ; old", "", "]]"};
    for (const auto& lead : leads)
        for (const auto& opening : openings)
            for (const auto& number : numbers)
                for (const auto& tail : tails) {
                    const std::string line = lead + opening + number + tail;
                    std::string expected = line.starts_with("//") ? "" : regexValue(line, pattern);
                    if (expected.empty() && !line.starts_with("//") &&
                        (line.find("[fltsim.") != std::string::npos || line.find("[FLTSIM.") != std::string::npos))
                        expected = "10000";
                    ASSERT_EQ(lf_fltsimHeader(line), expected) << "line '" << line << "'";
                }
}

TEST(CfgLines, HeaderExamplesOfTheFileFormat) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[fltsim.0]", "0"},
        {"[FltSim.3]", "3"},
        {"  [fltsim.12]  ", "12"},
        {"[fltsim.-1]", "10000"},          // no number, but a header is there
        {"[fltsim.3] ; old", "10000"},
        {"[FltSim.3] ; old", ""},          // neither a header nor the exact texts
        {"//[fltsim.2]", ""},
        {"[General]", ""},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(lf_fltsimHeader(line), expected) << line;
}

TEST(CfgLines, ExactCaseTestsFindRepeatedKeysOnly) {
    EXPECT_TRUE(lf_hasAtcIdKey("  atc_id=D-ABCD"));
    EXPECT_FALSE(lf_hasAtcIdKey("ATC_ID=D-ABCD"));
    EXPECT_FALSE(lf_hasAtcIdKey("atc_id = D-ABCD"));
    EXPECT_TRUE(lf_hasAtcParkingTypesKey("atc_parking_types ="));
    EXPECT_FALSE(lf_hasAtcParkingTypesKey("ATC_PARKING_TYPES=RAMP"));
}

TEST(CfgLines, VeryLongLinesAreReadWithoutRecursion) {
    const std::string value(4 << 20, 'x');
    const std::string line = "title = " + value + " \t";
    EXPECT_EQ(lf_matchKey(line, "title").size(), value.size());
    EXPECT_EQ(lf_fltsimHeader("[fltsim." + std::string(1 << 20, '7') + "]").size(), std::size_t{1} << 20);
}

}  // namespace
