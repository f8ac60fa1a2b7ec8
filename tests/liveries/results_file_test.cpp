#include "liveries/results_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "settings/program_version.h"
#include "livery_fixture.h"

using livery_testing::LiveryTest;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {
LiveryData livery(const std::string& title, const std::string& airline, const std::string& model,
                  const std::string& regcode = "", const std::string& second = "", bool cargo = false) {
    return LiveryData{title, regcode, gf_airlineId(airline), second.empty() ? std::uint16_t{0} : gf_airlineId(second),
                      gf_modelId(model), static_cast<std::uint8_t>(cargo ? 1 : 0), 3};
}

// "airline,second,model,cargo,title,regcode,folder" of each livery in list order.
std::vector<std::string> listed() {
    std::vector<std::string> texts;
    for (const LiveryData& l : g_liveries)
        texts.push_back(fmt::format("{},{},{},{},{},{},{}", gf_airlineCodeText(l.airline), gf_airlineCodeText(l.airline2),
                                    gf_modelCodeText(l.model), l.cargo, l.title, l.regcode, l.folderNumber));
    return texts;
}

// The results file's path as the log and the errors show it.
std::string resultsPath() { return gf_pathToUtf8(g_liveriesScannedPath); }

std::string withLiveries(const std::string& body) {
    return R"(<?xml version="1.0"?><root><meta><info name="copyright" value="c"/></meta>)" + body + "</root>";
}
}  // namespace

using ResultsFile = LiveryTest;

TEST_F(ResultsFile, RoundTripWritesOptionalAttributesOnlyWhenSet) {
    const std::list<LiveryData> written = {
        livery("E175 Delta Connection", "DAL", "E75L", "N264SY", "SKW"),
        livery("B763F UPS", "UPS", "B763", "", "", true),
        livery("A320 Lufthansa", "DLH", "A320"),
    };
    ASSERT_TRUE(gf_writeLiveriesXml(written));
    const std::string file = testing_support::readFile(g_liveriesScannedPath);
    EXPECT_THAT(file, HasSubstr(R"(<l a="DAL" o="SKW" m="E75L" t="E175 Delta Connection" r="N264SY" />)"));
    EXPECT_THAT(file, HasSubstr(R"(<l a="UPS" m="B763" c="true" t="B763F UPS" />)"));
    EXPECT_THAT(file, HasSubstr(R"(<l a="DLH" m="A320" t="A320 Lufthansa" />)"));
    EXPECT_THAT(file, HasSubstr(R"(<info name="version" value=")" + g_programVersion.toString() + R"(" />)"));
    EXPECT_TRUE(log.contains("3 liveries in " + resultsPath()));

    gf_readLiveriesXml();
    EXPECT_THAT(listed(), ElementsAre("DAL,SKW,E75L,0,E175 Delta Connection,N264SY,0", "DLH,,A320,0,A320 Lufthansa,,0",
                                      "UPS,,B763,1,B763F UPS,,0"));
    EXPECT_TRUE(log.contains("    3 liveries read from " + resultsPath()));
}

TEST_F(ResultsFile, EmptyListLeavesTheFileAlone) {
    writeResults("keep");
    EXPECT_TRUE(gf_writeLiveriesXml({}));
    EXPECT_EQ(testing_support::readFile(g_liveriesScannedPath), "keep");
}

TEST_F(ResultsFile, FailedSaveIsLoggedAsAFailure) {
    std::filesystem::create_directories(g_liveriesScannedPath);  // a folder where the file should go
    EXPECT_FALSE(gf_writeLiveriesXml({livery("A320 Lufthansa", "DLH", "A320")}));
    EXPECT_TRUE(log.contains("==> 1 liveries could not be written to " + resultsPath()));
    EXPECT_FALSE(log.contains("1 liveries in"));
}

TEST_F(ResultsFile, OrderFollowsCodeTextsNotIdsAndKeepsEqualRecordsInFileOrder) {
    // ZZA is interned before AAA, so its id is lower.
    gf_airlineId("ZZA");
    writeResults(withLiveries(R"(<liveries>
        <l a="ZZA" m="A320" t="b"/>
        <l a="AAA" m="A321" t="z"/>
        <l a="AAA" m="A320" t="y" r="first"/>
        <l a="AAA" m="A320" t="x"/>
        <l a="AAA" m="A320" t="y" r="second"/>
        <l a="AAA" o="BBB" m="A319" t="w"/>
        <other a="" m="A320" t="empty airline"/>
    </liveries>)"));
    gf_readLiveriesXml();
    EXPECT_THAT(listed(), ElementsAre(",,A320,0,empty airline,,0", "AAA,,A320,0,x,,0", "AAA,,A320,0,y,first,0",
                                      "AAA,,A320,0,y,second,0", "AAA,,A321,0,z,,0", "AAA,BBB,A319,0,w,,0",
                                      "ZZA,,A320,0,b,,0"));
}

TEST_F(ResultsFile, ReaderErrors) {
    const struct {
        const char* file;  // nullptr: no file
        std::string error;
    } cases[] = {
        {nullptr, "51: File " + resultsPath() + " not found"},
        {"<root><liveries>", "51: File " + resultsPath() + " not found"},
        {"<root><meta/></root>", "52: " + resultsPath() + " does not contain a <liveries> section"},
        {R"(<root><liveries><l a="DLH" t="x"/></liveries></root>)", "999: Missing required attribute 'm' in <l>"},
        {R"(<root><liveries><l m="A320" t="x"/></liveries></root>)", "999: Missing required attribute 'a' in <l>"},
        {R"(<root><liveries><z a="" m=""/></liveries></root>)", "999: Missing required attribute 't' in <z>"},
        {"<root><meta/><liveries/></root>", "533: " + resultsPath() + " does not contain liveries"},
        {"<other><liveries><l a=\"\" m=\"\" t=\"\"/></liveries></other>",
         "533: " + resultsPath() + " does not contain liveries"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(g_liveriesScannedPath);
        if (c.file != nullptr) writeResults(c.file);
        try {
            gf_readLiveriesXml();
            ADD_FAILURE() << "no error for " << (c.file ? c.file : "no file");
        } catch (const vlt::UserErrorException& e) {
            EXPECT_EQ(std::string(e.what()), c.error);
        }
    }
}

TEST_F(ResultsFile, LiveriesBeforeAMissingAttributeStay) {
    writeResults(R"(<root><liveries><l a="DLH" m="A320" t="kept"/><l a="DLH" t="broken"/></liveries></root>)");
    EXPECT_THROW(gf_readLiveriesXml(), vlt::UserErrorException);
    EXPECT_THAT(listed(), ElementsAre("DLH,,A320,0,kept,,0"));
}
