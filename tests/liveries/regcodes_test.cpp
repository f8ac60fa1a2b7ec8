#include "liveries/regcodes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "app/services/status_line.h"
#include "foundation/text_convert.h"
#include "liveries/dont_use_titles.h"
#include "livery_fixture.h"

using livery_testing::LiveryTest;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using livery_testing::kFixtureAig;
using livery_testing::kFixtureList;

namespace {
std::vector<std::string> fileLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(testing_support::readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The title the traffic engine finds for a registration.
std::string titleOf(const std::string& regcode) {
    const std::string_view title = gf_liveryTitleForRegistration(regcode);
    return title.empty() ? "<none>" : std::string(title);
}

// "title|code,code|special" of each entry.
std::vector<std::string> described(const std::vector<RegcodeEntry>& entries) {
    std::vector<std::string> texts;
    for (const RegcodeEntry& e : entries) {
        std::string codes;
        for (const std::string& r : e.regcodes) codes += (codes.empty() ? "" : ",") + r;
        texts.push_back(e.title + "|" + codes + "|" + (e.special ? "#" : ""));
    }
    return texts;
}

const char* const kAigHeader =
    R"(<root><meta><info name="copyright" value="c"/><info name="P3D" value="5"/></meta><aig>)";
}  // namespace

using Regcodes = LiveryTest;

TEST_F(Regcodes, FixtureGivesCodesSpecialsAndTheReport) {
    processFixture();
    const struct {
        const char* regcode;
        const char* title;
    } cases[] = {
        {"D-AIZA", "A320 Lufthansa D-AIZA"},       // in-line
        {"EI-DCM", "B738 Ryanair EI-DCL"},         // a second code from the AIG file
        {"D-AIZQ", "A320 Lufthansa D-AIZA"},       // from the user's list
        {"G-ABCD", "C172 G-ABCD"},                 // the first of a title given twice in a row
        {"G-ABCE", "<none>"},                      // the second is dropped
        {"A6-XXX", "<none>"},                      // the title is not installed
        {"N1", "<none>"},                          // wrong length
    };
    for (const auto& c : cases) EXPECT_EQ(titleOf(c.regcode), c.title) << c.regcode;
    EXPECT_THAT(g_singleSpecialRegcodes, ElementsAre("D-AIZR", "G-EUYA"));
    EXPECT_THAT(g_specialLiveries, ElementsAre("A320 British Airways G-EUYA", "A320 Lufthansa Retro D-AIZR",
                                               "A320 Lufthansa D-AIZA"));
    EXPECT_EQ(g_regcodeByTitle.at("B738 Ryanair EI-DCL"), "EI-DCL");  // in-line codes only
    const std::string aig = gf_pathToUtf8(g_aigRegcodesXmlPath);
    EXPECT_THAT(fileLines(g_infoFolder / "OfflineRegcodes.txt"),
                ElementsAre("Processing file " + aig,
                            "There were errors processing the AIG-regcode file '" + aig + "', see Log.txt",
                            "2 new regcodes added, 1 regcode defined as special",
                            "Processing files in " + gf_pathToUtf8(g_myRegcodesFolder),
                            "1 new regcode added, 2 regcodes defined as special"));
    EXPECT_FALSE(std::filesystem::exists(g_aigRegcodesXmlPath));
    EXPECT_FALSE(std::filesystem::exists(g_inlineRegcodesPath));
    EXPECT_EQ(gf_statusLineText(), "There were errors processing the regcode files in folder '" +
                                       gf_pathToUtf8(g_myRegcodesFolder) + "', see Log.txt");
}

TEST_F(Regcodes, UserListsReplaceTheAigFilesPairing) {
    writeResults(R"(<root><liveries><l a="KLM" m="B738" t="KLM A"/><l a="KLM" m="B738" t="KLM B"/></liveries></root>)");
    writeAig(std::string(kAigHeader) + R"(<l t="KLM A" r="PH-BXA"/></aig></root>)");
    writeList("b.txt", "KLM B;PH-BXA\n");
    gf_processScannedLiveries(parametersPath);
    EXPECT_EQ(titleOf("PH-BXA"), "KLM B");
    EXPECT_THAT(fileLines(g_infoFolder / "OfflineRegcodes.txt"),
                testing::Contains("   regcode PH-BXA for 'KLM B', instead of the same for 'KLM A'"));
    EXPECT_THAT(fileLines(g_infoFolder / "OfflineRegcodes.txt"),
                testing::Contains("0 new regcodes added, 1 regcode replaced, 1 regcode defined as special"));
}

TEST_F(Regcodes, ListLineRules) {
    const struct {
        const char* line;
        std::vector<std::string> entries;
        bool ok;
    } cases[] = {
        {"Title Only", {"Title Only||"}, true},
        {"Title One;PH-BXA", {"Title One|PH-BXA|#"}, true},
        {"Title One;PH-BXA;", {"Title One|PH-BXA|#"}, true},
        {"Title Two;PH-BXB,PH-BXA", {"Title Two|PH-BXA,PH-BXB|"}, true},
        {"Title Two;PH-BXB,PH-BXA;#", {"Title Two|PH-BXA,PH-BXB|#"}, true},
        {"Title Two;PH-BXB,PH-BXA;x", {"Title Two|PH-BXA,PH-BXB|"}, true},
        {"Title Two;PH,PH-BXA;#", {"Title Two|PH-BXA|#"}, false},
        {"Title Two;PH,NL;#", {"Title Two||"}, false},
        {"Title Empty;", {"Title Empty||"}, true},
        {"Title Long;PH-ABCDEFGHIJ", {}, false},
        {"Title Short;PH", {}, false},
        {"Title Four;PH-BXA;#;x", {}, true},
        {"T;A;B", {}, true},  // shorter than 6
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(g_myRegcodesFolder);
        std::filesystem::create_directories(g_myRegcodesFolder);
        writeList("list.Txt", std::string(c.line) + "\r\n");
        writeList("ignored.csv", "Ignored Title\n");
        std::vector<RegcodeEntry> entries;
        EXPECT_EQ(lf_readRegcodeFiles(g_myRegcodesFolder, entries), c.ok) << c.line;
        EXPECT_EQ(described(entries), c.entries) << c.line;
    }
    EXPECT_TRUE(log.contains("==> wrong regcode length 'PH-ABCDEFGHIJ' in list.Txt"));
    EXPECT_TRUE(log.contains("    1 livery read from list.Txt"));
    EXPECT_TRUE(log.contains("    0 liveries read from list.Txt"));
}

TEST_F(Regcodes, AigFileProblems) {
    const struct {
        std::string xml;
        bool ok;
        std::vector<std::string> entries;
        std::string logged;
    } cases[] = {
        {R"(<root><aig><l t="A" r="PH-BXA"/></aig></root>)", false, {}, "has no information block"},
        {R"(<root><meta><info name="copyright" value="c"/></meta><aig><l t="A"/></aig></root>)", false, {},
         "has no information block"},
        {std::string(kAigHeader) + "</aig><other/></root>", true, {}, "    0 liveries read from AIG-regcodes.xml"},
        {R"(<root><meta><info name="copyright" value="c"/><info name="sim" value="3"/></meta></root>)", false, {},
         "==> No <aig> node found in XML."},
        {"<root><aig>", false, {}, "==> Failed to load " + gf_pathToUtf8(g_aigRegcodesXmlPath)},
        {std::string(kAigHeader) + R"(<l t=""/><l r="X"/><l t="A" r="PH-BXB,PH-BXA" s="yes"/></aig></root>)", true,
         {"A|PH-BXA,PH-BXB|#"}, "    1 livery read from AIG-regcodes.xml"},
    };
    for (const auto& c : cases) {
        testing_support::writeFile(g_aigRegcodesXmlPath, c.xml);
        std::vector<RegcodeEntry> entries;
        EXPECT_EQ(lf_readAigRegcodeXml(entries), c.ok) << c.xml;
        EXPECT_EQ(described(entries), c.entries) << c.xml;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
        // Only the file that does not load is removed by the reader.
        EXPECT_EQ(std::filesystem::exists(g_aigRegcodesXmlPath), c.xml != "<root><aig>") << c.xml;
    }
}

TEST_F(Regcodes, UserListsCountWithoutTheAigFile) {
    writeResults(R"(<root><liveries><l a="KLM" m="B738" t="KLM A"/></liveries></root>)");
    writeList("mine.TXT", "KLM A;PH-BXA\n");
    gf_processScannedLiveries(parametersPath);  // no AIG-regcodes.enc at all
    EXPECT_EQ(titleOf("PH-BXA"), "KLM A");
    EXPECT_THAT(g_singleSpecialRegcodes, ElementsAre("PH-BXA"));
}

TEST_F(Regcodes, InlineClashesGoToTheirFile) {
    writeResults(R"(<root><liveries>
        <l a="KLM" m="B738" t="KLM A" r="PH-BXA"/>
        <l a="KLM" m="B738" t="KLM B" r="PH-BXA"/>
        <l a="KLM" m="B739" t="KLM B" r="PH-BXB"/>
    </liveries></root>)");
    gf_processScannedLiveries(parametersPath);
    EXPECT_EQ(titleOf("PH-BXA"), "KLM A");
    EXPECT_EQ(titleOf("PH-BXB"), "KLM B");
    EXPECT_EQ(g_regcodeByTitle.at("KLM B"), "PH-BXA");
    EXPECT_THAT(fileLines(g_inlineRegcodesPath),
                ElementsAre("PH-BXA 'KLM B' => already in use by 'KLM A'", "KLM B 'PH-BXB' => already in use by 'PH-BXA'"));
    EXPECT_TRUE(log.contains("    2 in-line regcode clashes, see '" + gf_pathToUtf8(g_inlineRegcodesPath) + "'"));
}

using DontUseTitles = LiveryTest;

TEST_F(DontUseTitles, TitlesWithoutCodesFromBothSources) {
    writeAig(kFixtureAig);
    writeList("mine.TXT", std::string(kFixtureList) + "A320 Do Not Use\nA320 Empty Codes;\nA320 Bad Codes;P,Q\n");
    lf_readDontUseTitles();
    EXPECT_THAT(g_dontUseTitles, UnorderedElementsAre("A320 Fictional Air", "A320 Do Not Use", "A320 Empty Codes",
                                                      "A320 Bad Codes"));
    EXPECT_TRUE(lf_isDontUseTitle("A320 Do Not Use"));
    EXPECT_FALSE(lf_isDontUseTitle("A320 do not use"));
    EXPECT_FALSE(lf_isDontUseTitle("A320 Lufthansa Retro D-AIZR"));
    EXPECT_TRUE(log.contains("    1 don't use title read"));
    EXPECT_TRUE(log.contains("    3 don't use titles read from files in " + gf_pathToUtf8(g_myRegcodesFolder)));
    // The lost error lines reach the log.
    EXPECT_TRUE(log.contains("==> There were errors in processing the file '" + gf_pathToUtf8(g_aigRegcodesXmlPath) +
                             "', see the Log.txt"));
    EXPECT_FALSE(std::filesystem::exists(g_aigRegcodesXmlPath));
}

TEST_F(DontUseTitles, FolderIsReadWhenTheAigFileIsMissingAndSkippedWhenEmpty) {
    writeList("notes.doc", "Not A List Title\n");
    lf_readDontUseTitles();
    EXPECT_THAT(g_dontUseTitles, IsEmpty());
    EXPECT_TRUE(log.contains("    0 don't use titles read from files in"));

    std::filesystem::remove_all(g_myRegcodesFolder);
    std::filesystem::create_directories(g_myRegcodesFolder);
    const std::size_t before = log.lines().size();
    lf_readDontUseTitles();
    const auto lines = log.lines();
    for (std::size_t i = before; i < lines.size(); ++i) EXPECT_EQ(lines[i].find("don't use"), std::string::npos);
}
