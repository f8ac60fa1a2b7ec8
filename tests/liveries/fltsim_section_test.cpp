// From one [fltsim.N] section to a livery: every key rule and every rule
// applied after the last line, one table row a section, judged by the
// livery made (as the results file would show it) and the report entries.
#include <gtest/gtest.h>

#include <thread>

#include "liveries/fltsim_section.h"
#include "liveries/scan_fixture.h"

namespace {
using namespace livery_scan_testing;

struct SectionCase {
    std::string name;
    std::string model;                 // atc_model of the file
    std::string keys;                  // the section's key lines
    std::string livery;                // liveryText of the result, "" for none
    std::vector<std::string> incomplete;  // {F} folder, {P} cfg path, {H} header line
    std::vector<std::string> airlines = {};
    std::vector<std::string> omitted = {};
};

std::string filled(std::string text, const std::filesystem::path& folder, const std::filesystem::path& cfg) {
    for (const auto& [mark, value] :
         {std::pair{std::string("{F}"), lf_scanPathText(folder)}, std::pair{std::string("{P}"), lf_scanPathText(cfg)},
          std::pair{std::string("{M}"), lf_scanPathText(folder / "model.M")},
          std::pair{std::string("{H}"), std::string("[fltsim.0]")}})
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) text.replace(at, mark.size(), value);
    return text;
}

const std::string kFiles = "sim=S\nmodel=M\ntexture=T\n";
const std::string kNoAirline = "{P} {H} icao_airline is missing, or it has invalid info ";

struct FltsimSectionTest : ScanTest {
    TitleTextSet dontUse;  // the scan's don't-use titles

    void check(const SectionCase& c, int index) {
        gf_clearLiveryTables();
        lf_publishDontUseTitles(dontUse);
        const std::string folderName = "s" + std::to_string(index);
        const auto cfg = writeCfg(folderName, "[General]\natc_model=" + c.model + "\n[fltsim.0]\n" + c.keys + kFiles,
                                  testing_support::CfgEncoding::Utf8, c.omitted);
        const std::filesystem::path folder = aircraft / folderName;
        const LiveryList liveries = lf_searchLiveriesinFile(1, cfg);
        EXPECT_EQ(liveries.empty() ? std::string() : liveryText(liveries.front()), c.livery) << c.name;
        std::vector<std::string> incomplete, airlines;
        for (const auto& entry : c.incomplete) incomplete.push_back(filled(entry, folder, cfg));
        for (const auto& entry : c.airlines) airlines.push_back(filled(entry, folder, cfg));
        EXPECT_EQ(entriesOf(g_incompleteSections), incomplete) << c.name;
        EXPECT_EQ(entriesOf(g_invalidAirlineCodes), airlines) << c.name;
    }
};

TEST_F(FltsimSectionTest, AirlineCodeRules) {
    const std::vector<SectionCase> cases = {
        {"first piece of the list", "A320", "title=T\natc_parking_codes= AALX , DAL\n", "AAL,,A320,,T,", {}},
        {"C suffix", "A320", "title=T\natc_parking_codes=DLHC\n", "DLH,,A320,,T,", {}},
        {"unknown four letters", "A320", "title=T\natc_parking_codes=ABCD\n", "PVT,,A320,,T,", {kNoAirline},
         {"ABCD         in {P} {H}"}},
        {"cargo operator only", "A320", "title=T\natc_parking_codes=FDX\n", "PVT,,A320,,T,", {kNoAirline},
         {"FDX          in {P} {H}"}},
        {"empty first piece", "A320", "title=T\natc_parking_codes=,DLH\n", "PVT,,A320,,T,", {kNoAirline},
         {"             in {P} {H}"}},
        {"invalid, then valid", "A320", "title=T\natc_parking_codes=XYZ\natc_parking_codes=DLH\n", "DLH,,A320,,T,", {},
         {"XYZ          in {P} {H}"}},
        {"second key", "A320", "title=T\natc_parking_codes=DLH\natc_parking_codes=BAW\n", "",
         {"{F} {H} has more than one atc_parking_codes key"}},
        {"RFO drops silently", "A320", "title=T\natc_parking_codes=RFO\n", "", {kNoAirline}},
        {"Generic is ZZZ without registration", "A320", "title=A320 Generic White\natc_parking_codes=DLH\natc_id=D-AXYZ\n",
         "ZZZ,,A320,,A320 Generic White,", {}},
        {"Fictional is left out", "A320", "title=A320 Fictional Air\natc_parking_codes=DLH\n", "", {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) check(cases[i], static_cast<int>(i));
}

TEST_F(FltsimSectionTest, RegistrationRules) {
    const std::vector<SectionCase> cases = {
        {"comment after the registration", "A320", "title=T\natc_parking_codes=DLH\natc_id=N123AB ; spare\n",
         "DLH,,A320,,T,N123AB", {}},
        {"two registrations", "A320", "title=T\natc_parking_codes=DLH\natc_id=D-ABCD,D-EFGH\n", "DLH,,A320,,T,", {}},
        {"star", "A320", "title=T\natc_parking_codes=DLH\natc_id=ABC*\n", "DLH,,A320,,T,", {"invalid atc_id=ABC* in: T"}},
        {"thirteen characters", "A320", "title=T\natc_parking_codes=DLH\natc_id=ABCDEFGHIJKLM\n", "DLH,,A320,,T,",
         {"invalid atc_id=ABCDEFGHIJKLM in: T"}},
        {"twelve characters", "A320", "title=T\natc_parking_codes=DLH\natc_id=ABCDEFGHIJKL\n", "DLH,,A320,,T,ABCDEFGHIJKL", {}},
        {"empty piece", "A320", "title=T\natc_parking_codes=DLH\natc_id=D-ABCD,,D-EFGH\n", "DLH,,A320,,T,",
         {"invalid atc_id=D-ABCD,,D-EFGH in: T"}},
        {"blank piece", "A320", "title=T\natc_parking_codes=DLH\natc_id=D-ABCD, ,D-X\n", "DLH,,A320,,T,",
         {"invalid atc_id=D-ABCD, ,D-X in: T"}},
        {"only a comment", "A320", "title=T\natc_parking_codes=DLH\natc_id=;x\n", "DLH,,A320,,T,", {"invalid atc_id= in: T"}},
        {"before the title", "A320", "atc_id=A*\ntitle=T\natc_parking_codes=DLH\n", "DLH,,A320,,T,", {"invalid atc_id=A* in: "}},
        {"invalid, then valid", "A320", "title=T\natc_parking_codes=DLH\natc_id=A*\natc_id=D-ABCD\n", "DLH,,A320,,T,D-ABCD",
         {"invalid atc_id=A* in: T"}},
        {"second key", "A320", "title=T\natc_parking_codes=DLH\natc_id=D-ABCD\natc_id=D-EFGH\n", "",
         {"{F}, {H}, has more than one atc_id key"}},
        {"capitals are no repeat", "A320", "title=T\natc_parking_codes=DLH\natc_id=D-ABCD\nATC_ID=D-EFGH\n",
         "DLH,,A320,,T,D-ABCD", {}},
        {"registration decides every code", "B738", "title=T\natc_parking_codes=KLM\natc_parking_types=CARGO\natc_id=D-AIZA\n",
         "DLH,,A320,,T,D-AIZA", {}},
        {"registration with a second airline", "B738", "title=T\natc_parking_codes=KLM\natc_id=N264SY\n",
         "DAL,SKW,E75L,,T,N264SY", {}},
        {"cargo flag of the registration", "A320", "title=T\natc_parking_types=GATE\natc_id=N301UP\n",
         "UPS,,B763,c,T,N301UP", {kNoAirline}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) check(cases[i], static_cast<int>(i));
}

TEST_F(FltsimSectionTest, TitleTypesAndFilesRules) {
    const std::vector<SectionCase> cases = {
        {"blanks around the title", "A320", "TITLE = Foo Bar  \natc_parking_codes=DLH\n", "DLH,,A320,,Foo Bar,", {}},
        {"title without value", "A320", "title=\natc_parking_codes=DLH\n", "", {"{F} {H} misses title"}},
        {"second title", "A320", "title=A\natc_parking_codes=DLH\ntitle=B\n", "", {"{F} {H} has more than one title key"}},
        {"second title before the airline", "A320", "title=A\ntitle=B\natc_parking_codes=DLH\n", "",
         {"{F} {H} has more than one title key", kNoAirline}},
        {"cargo parking", "A320", "title=T\natc_parking_codes=DLH\natc_parking_types= ramp,cargo \n", "DLH,,A320,c,T,", {}},
        {"second parking types", "A320", "title=T\natc_parking_codes=DLH\natc_parking_types=GATE\natc_parking_types=CARGO\n",
         "", {"{F} {H} has more than one atc_parking_types key"}},
        {"missing texture", "A320", "title=T\natc_parking_codes=DLH\n", "",
         {"{M} or related path does not exist: {H}"}, {}, {"texture.T"}},
        {"missing flight model", "A320", "title=T\natc_parking_codes=DLH\n", "",
         {"{M} or related path does not exist: {H}"}, {}, {"S.air"}},
        {"missing model", "A320", "title=T\natc_parking_codes=DLH\n", "",
         {"{M} or related path does not exist: {H}"}, {}, {"model.M"}},
        {"first model value counts", "A320", "title=T\natc_parking_codes=DLH\nmodel=M\nmodel=Other\n", "DLH,,A320,,T,", {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) check(cases[i], static_cast<int>(i));
}

TEST_F(FltsimSectionTest, AircraftWithoutAirline) {
    const std::vector<SectionCase> cases = {
        {"light, nothing known", "C172", "title=C172 Club\n", "PVT,,C172,,C172 Club,", {kNoAirline}},
        {"light, prefix in the title", "C172", "title=C172 G-ABCD\n", "PVT,,C172,,C172 G-ABCD,G-", {kNoAirline}},
        {"light, unknown registration", "C172", "title=C172 Club\natc_id=D-EXYZ\n", "PVT,,C172,,C172 Club,D-EXYZ", {kNoAirline}},
        {"light, known registration", "C172", "title=C172 Club\natc_id=G-EUYA\n", "BAW,,A320,,C172 Club,G-EUYA",
         {kNoAirline}},
        {"heavy, nothing known", "B77W", "title=B77W White\n", "",
         {kNoAirline, "'{F}' '{H}' has no airline and no regcode info"}},
        {"heavy, unknown registration", "B77W", "title=B77W White\natc_id=F-XXXX\n", "",
         {kNoAirline, "'{F}' '{H}' has no airline and regcode not in dbase"}},
        {"heavy, known registration", "B77W", "title=B77W White\natc_id=N301UP\n", "UPS,,B763,c,B77W White,N301UP",
         {kNoAirline}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) check(cases[i], static_cast<int>(i));
}

TEST_F(FltsimSectionTest, DontUseTitlesAreLeftOutByExactTitle) {
    dontUse = {"A320 Hidden"};
    check({"listed", "A320", "title=A320 Hidden\natc_parking_codes=DLH\n", "", {}}, 0);
    check({"other case", "A320", "title=A320 HIDDEN\natc_parking_codes=DLH\n", "DLH,,A320,,A320 HIDDEN,", {}}, 1);
}

TEST_F(FltsimSectionTest, ATitleGivesOneLiveryPerScanWhicheverWorkerComesFirst) {
    const std::string text = "[General]\natc_model=A320\n[fltsim.0]\ntitle=Same\natc_parking_codes=DLH\n" + kFiles +
                             "[fltsim.1]\ntitle=Same\natc_parking_codes=BAW\n" + kFiles;
    constexpr int kCopies = 8;
    std::vector<std::filesystem::path> cfgs;
    for (int i = 0; i < kCopies; ++i) cfgs.push_back(writeCfg("f" + std::to_string(i), text));
    std::vector<LiveryList> results(kCopies);
    std::vector<std::thread> threads;
    for (int i = 0; i < kCopies; ++i) threads.emplace_back([&, i] { results[i] = lf_searchLiveriesinFile(1, cfgs[i]); });
    for (auto& thread : threads) thread.join();
    std::size_t liveries = 0;
    for (const auto& result : results) liveries += result.size();
    EXPECT_EQ(liveries, 1u);
    EXPECT_EQ(entriesOf(g_incompleteSections).size(), 2u * kCopies - 1);
    for (const auto& entry : entriesOf(g_incompleteSections)) EXPECT_NE(entry.find(" title 'Same' already exists"), std::string::npos);
}

}  // namespace
