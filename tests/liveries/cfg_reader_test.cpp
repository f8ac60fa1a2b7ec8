// Reading one aircraft.cfg: encodings, [fltsim.N] numbers, the file's model
// code and the cutting into sections, judged by the liveries the worker
// returns and the entries it leaves in the scan's report lists.
#include <gtest/gtest.h>

#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "liveries/scan_fixture.h"

namespace {
using namespace livery_scan_testing;
using testing_support::CfgEncoding;

const std::string kSection = "sim=S\nmodel=M\ntexture=T\natc_parking_codes=DLH\n";

std::string withSections(const std::string& general, const std::vector<std::string>& headersAndTitles) {
    std::string text = "[General]\n" + general;
    for (std::size_t i = 0; i + 1 < headersAndTitles.size(); i += 2)
        text += headersAndTitles[i] + "\ntitle=" + headersAndTitles[i + 1] + "\n" + kSection;
    return text;
}

struct CfgReaderTest : ScanTest {
    LiveryList read(const std::filesystem::path& cfg) { return lf_searchLiveriesinFile(3, cfg); }
};

TEST_F(CfgReaderTest, EveryEncodingGivesTheSameLivery) {
    const std::string text = withSections("atc_model=A320\n", {"[fltsim.0]", "A320 A\xC3\xA9roflot Caf\xC3\xA9"});
    const std::vector<std::pair<CfgEncoding, bool>> encodings = {
        {CfgEncoding::Utf8, false},       {CfgEncoding::Utf8Bom, false},    {CfgEncoding::Utf16LeBom, true},
        {CfgEncoding::Utf16BeBom, false}, {CfgEncoding::Utf16LeNoBom, true}, {CfgEncoding::Ansi, true},
    };
    int n = 0;
    for (const auto& [encoding, crlf] : encodings) {
        gf_clearLiveryTables();
        const std::string folder = "enc" + std::to_string(n++);
        testing_support::writeAircraftFolder(aircraft / folder, "aircraft.cfg", text, encoding, crlf);
        const LiveryList liveries = read(aircraft / folder / "aircraft.cfg");
        EXPECT_EQ(liveryTexts(liveries), std::vector<std::string>{"DLH,,A320,,A320 A\xC3\xA9roflot Caf\xC3\xA9,"})
            << folder;
        ASSERT_EQ(liveries.size(), 1u);
        EXPECT_EQ(liveries.front().folderNumber, 3);
    }
}

TEST_F(CfgReaderTest, SectionNumbersDecideWhetherTheFileIsRead) {
    struct Case {
        std::vector<std::string> sections;
        std::vector<std::string> titles;  // liveries expected
        bool invalidEntry;
    };
    const std::vector<Case> cases = {
        {{"[fltsim.0]", "Zero"}, {"Zero"}, false},
        {{"[fltsim.10000]", "Top"}, {"Top"}, false},
        {{"[fltsim.1]", "One", "[fltsim.10001]", "Over"}, {}, true},
        {{"[fltsim.-1]", "Minus"}, {"Minus"}, false},  // counts as 10000
        {{"[FltSim.3]", "Mixed"}, {"Mixed"}, false},
        {{"[fltsim.3] ; old", "Old"}, {"Old"}, false},  // counts as 10000
        {{"[FltSim.3] ; old", "NoHeader"}, {}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        gf_clearLiveryTables();
        const auto cfg = writeCfg("n" + std::to_string(n++), withSections("atc_model=A320\n", c.sections));
        std::vector<std::string> titles;
        for (const LiveryData& livery : read(cfg)) titles.push_back(livery.title);
        EXPECT_EQ(titles, c.titles) << c.sections.front();
        const std::vector<std::string> invalid =
            c.invalidEntry ? std::vector<std::string>{pathText(cfg) +
                                                      " contains a [fltsim.x] section with a number < 0 or > 10000"}
                           : std::vector<std::string>{};
        EXPECT_EQ(entriesOf(g_invalidCfgFiles), invalid) << c.sections.front();
    }
}

// A name the file system refuses (a component of 300 letters anywhere, "?"
// and "*" on Windows) is a missing path of its own section only.
TEST_F(CfgReaderTest, ASectionNamingAPathTheFileSystemRefusesLosesOnlyItself) {
    int n = 0;
    for (const std::string& name : {std::string(300, 'x'), std::string("a?b*c")}) {
        for (const std::string key : {"model", "texture", "sim"}) {
            SCOPED_TRACE(key + "=" + name);
            gf_clearLiveryTables();
            const std::string folder = "refused" + std::to_string(n++);
            const std::string first = "[fltsim.0]\ntitle=Refused\n" + key + "=" + name + "\n" + kSection;
            const auto cfg = writeCfg(folder, "[General]\natc_model=A320\n" + first + "[fltsim.1]\ntitle=Kept\n" + kSection,
                                      CfgEncoding::Utf8, {"model." + name, "texture." + name, name + ".air"});
            std::vector<std::string> titles;
            for (const LiveryData& livery : read(cfg)) titles.push_back(livery.title);
            EXPECT_EQ(titles, std::vector<std::string>{"Kept"});
            const std::string modelFolder = key == "model" ? "model." + name : "model.M";
            EXPECT_EQ(entriesOf(g_incompleteSections),
                      std::vector<std::string>{pathText(aircraft / folder / gf_utf8Path(modelFolder)) +
                                               " or related path does not exist: [fltsim.0]"});
        }
    }
}

TEST_F(CfgReaderTest, AHeaderNumberBeyondThirtyTwoBitsSkipsTheFileWithAMarkedLogLine) {
    const auto cfg = writeCfg("big", withSections("atc_model=A320\n", {"[fltsim.0]", "Zero", "[fltsim.2147483648]", "Big"}));
    EXPECT_TRUE(read(cfg).empty());
    EXPECT_TRUE(log.contains("==> fltsim num [fltsim.2147483648] incorrect"));
    EXPECT_TRUE(entriesOf(g_invalidCfgFiles).empty());
}

TEST_F(CfgReaderTest, ModelCodeOfTheFile) {
    struct Case {
        std::string general;      // [General] lines
        std::string sectionLine;  // one more line of the section
        std::string model;        // of the livery, "" for none
        std::vector<std::string> fixes, invalidModels, invalidCfgs;
    };
    const std::string path = pathText(aircraft / "m" / "aircraft.cfg");
    const std::vector<Case> cases = {
        {"atc_model=A320\n", "", "A320", {}, {}, {}},
        {"atc_model = B737-800 \n", "", "B738", {"Model fix: B737-800 found in " + path + " changed into B738"}, {}, {}},
        {"atc_model=XX99\n", "", "", {}, {"XX99             in " + path}, {}},
        {"atc_model=b738\n", "", "", {}, {"b738             in " + path}, {}},  // codes are exact
        {"atc_model=\n", "", "", {}, {}, {"Line atc_model= is missing in [General] section of " + path}},
        {"", "atc_model=E175\n", "E75L", {"Model fix: E175 found in " + path + " changed into E75L"}, {}, {}},
        {"atc_model=A321\natc_model=A320\n", "", "A321", {}, {}, {}},
    };
    for (const Case& c : cases) {
        gf_clearLiveryTables();
        std::filesystem::remove_all(aircraft / "m");
        const auto cfg = writeCfg("m", "[General]\n" + c.general + "[fltsim.0]\ntitle=T1\n" + kSection + c.sectionLine);
        const LiveryList liveries = read(cfg);
        EXPECT_EQ(liveries.empty() ? std::string() : std::string(gf_modelCodeText(liveries.front().model)), c.model)
            << c.general << c.sectionLine;
        EXPECT_EQ(entriesOf(g_fixesList), c.fixes);
        EXPECT_EQ(entriesOf(g_invalidModelCodes), c.invalidModels);
        EXPECT_EQ(entriesOf(g_invalidCfgFiles), c.invalidCfgs);
    }
}

TEST_F(CfgReaderTest, AFileWithoutSectionsIsListedAndStillCheckedForItsModel) {
    const auto empty = writeCfg("empty", "[General]\natc_model=A320\n");
    const auto bare = writeCfg("bare", "[General]\natc_type=X\n");
    const auto unknown = writeCfg("unknown", "[General]\natc_model=QQQQ\n");
    for (const auto& cfg : {empty, bare, unknown}) EXPECT_TRUE(read(cfg).empty());
    EXPECT_EQ(entriesOf(g_emptyCfgFiles), (std::vector<std::string>{pathText(empty), pathText(bare), pathText(unknown)}));
    EXPECT_EQ(entriesOf(g_invalidCfgFiles),
              std::vector<std::string>{"Line atc_model= is missing in [General] section of " + pathText(bare)});
    EXPECT_EQ(entriesOf(g_invalidModelCodes), std::vector<std::string>{"QQQQ             in " + pathText(unknown)});
}

TEST_F(CfgReaderTest, SectionsEndAtABracketNearTheLineStart) {
    const std::string text =
        "[General]\natc_model=A320\ntitle=Not A Section\n" + kSection +
        "[fltsim.0]\ntitle=Kept\natc_parking_codes=DLH\n      [x]\nsim=S\nmodel=M\ntexture=T\n"
        "[fltsim.1]\ntitle=Cut\natc_parking_codes=DLH\n  [General]\nsim=S\nmodel=M\ntexture=T\n"
        "[fltsim.2]\ntitle=Commented\natc_parking_codes=DLH\n//[fltsim.3]\nsim=S\nmodel=M\ntexture=T\n"
        "[fltsim.5]\ntitle=Cut At Five\natc_parking_codes=DLH\n     [x]\nsim=S\nmodel=M\ntexture=T\n"
        "[fltsim.4]\r\ntitle=Last\r\n" + kSection;
    const auto cfg = writeCfg("cut", text);
    std::vector<std::string> titles;
    for (const LiveryData& livery : read(cfg)) titles.push_back(livery.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Kept", "Last"}));
    const std::string folder = pathText(aircraft / "cut");
    const std::string missing = pathText(aircraft / "cut" / "model.") + " or related path does not exist: ";
    EXPECT_EQ(entriesOf(g_incompleteSections),
              (std::vector<std::string>{missing + "[fltsim.1]", missing + "[fltsim.2]", missing + "[fltsim.5]"}));
}

TEST_F(CfgReaderTest, AMissingOrUnreadableFileIsNoCrash) {
    EXPECT_TRUE(read(aircraft / "nowhere" / "aircraft.cfg").empty());
    EXPECT_TRUE(entriesOf(g_invalidCfgFiles).empty());
    // A folder by the file's name cannot be read as a file: the user finds it in the report.
    const auto folder = aircraft / "folder" / "aircraft.cfg";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(read(folder).empty());
    // (Windows opens no folder as a file, POSIX fails when reading it.)
    EXPECT_TRUE(log.contains("! Failed reading " + pathText(folder)) ||
                log.contains("! No text encoding detected for " + pathText(folder)));
    EXPECT_EQ(entriesOf(g_invalidCfgFiles), std::vector<std::string>{pathText(folder) + " could not be read"});
}

}  // namespace
