#include "liveries/livery_indexes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <map>

#include "app/services/state.h"
#include "foundation/text_convert.h"
#include "foundation/random.h"
#include "liveries/categories.h"
#include "liveries/live_matching.h"
#include "livery_fixture.h"

using livery_testing::LiveryTest;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {
std::uint16_t airline(const char* code) { return gf_airlineId(code); }
std::uint16_t model(const char* code) { return gf_modelId(code); }

std::vector<std::string> texts(const TitleList& titles) { return {titles.begin(), titles.end()}; }

std::vector<std::string> codes(const ModelIds& ids) {
    std::vector<std::string> result;
    for (const std::uint16_t id : ids) result.emplace_back(gf_modelCodeText(id));
    return result;
}

// The titles under airline and model in a per-airline map; "<none>" when absent.
std::vector<std::string> titlesOf(const IdMap<IdMap<TitleList>>& map, const char* airlineCode, const char* modelCode) {
    const auto a = map.find(airline(airlineCode));
    if (a == map.end()) return {"<none>"};
    const auto m = a->second.find(model(modelCode));
    if (m == a->second.end()) return {"<none>"};
    return texts(m->second);
}
}  // namespace

using LiveryProcessing = LiveryTest;

TEST_F(LiveryProcessing, LogsCountsCategoriesAndGenericModels) {
    processFixture();
    const std::string list = gf_pathToUtf8(g_myRegcodesFolder);
    const std::string report = gf_pathToUtf8(g_infoFolder / "OfflineRegcodes.txt");
    EXPECT_THAT(logFrom("liveries read from"),
                ElementsAre("   25 liveries read from " + gf_pathToUtf8(g_liveriesScannedPath),
                            "==> Duplicate title 'C172 G-ABCD' (same as previous)",
                            "    5 liveries read from AIG-regcodes.xml",
                            "==> wrong regcode length 'N1' in mine.TXT",
                            "    2 liveries read from mine.TXT",
                            "There were errors processing the regcode files in folder '" + list + "', see Log.txt",
                            "Offline regcode files processed, results can be found in '" + report + "'",
                            "    3 special liveries",
                            "    2 unique liveries",
                            "   18 registration codes",
                            "   15 airlines, 9 pax aircraft models and 3 cargo aircraft models",
                            "    7 similar model definitions",
                            " ",
                            "Category Light: 4 pax liveries and 1 cargo liverie",
                            "  C172,C208",
                            "Category Buzjets: 1 pax liverie",
                            "  C56X",
                            "Category Large: 15 pax liveries and 1 cargo liverie",
                            "  A320,A321,B738,E75L",
                            "Category Heavy: 1 pax liverie and 1 cargo liverie",
                            "  B763",
                            "Category HighPerf: No livery found",
                            "HIGH_PERF_AIRCRAFT=false",
                            "HIGH_PERF_AIRCRAFT temporarily switched off because you do not have High Perf aircraft "
                            "installed",
                            "Category Rotorcraft: 1 pax liverie",
                            "  EC35",
                            "1 model have a generic livery",
                            "  A320"));
    EXPECT_EQ(g_liveryCount, 25U);
    EXPECT_TRUE(g_liveries.empty());
    EXPECT_TRUE(g_liveriesProcessed);
}

TEST_F(LiveryProcessing, IndexesSplitPaxAndCargoAndFileSecondAirlinesUnderTheCombinedCode) {
    processFixture();
    const struct {
        const IdMap<IdMap<TitleList>>* map;
        const char* airline;
        const char* model;
        std::vector<std::string> titles;
    } cases[] = {
        {&g_paxByAirline, "DLH", "A320", {"A320 Lufthansa D-AIZA", "A320 Lufthansa D-AIZB", "A320 Lufthansa Retro D-AIZR"}},
        {&g_cargoByAirline, "UPS", "B763", {"B763F UPS N301UP"}},
        {&g_paxByAirline, "UPS", "B763", {"<none>"}},  // an airline with only cargo liveries
        {&g_paxByAirline, "DAL", "B763", {"B763 Delta"}},
        {&g_cargoByAirline, "DAL", "B763", {"<none>"}},
        {&g_paxByAirline, "DALSKW", "E75L", {"E175 SkyWest Delta Connection N264SY"}},
        {&g_paxByAirline, "DAL", "E75L", {"<none>"}},
        {&g_paxByAirline, "SKW", "E75L", {"E175 SkyWest Alaska", "E175 SkyWest United Express"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(titlesOf(*c.map, c.airline, c.model), c.titles) << c.airline << " " << c.model;

    // Over all airlines, in airline code order, each airline's in title order.
    EXPECT_THAT(texts(g_paxByModel.at(model("A320"))),
                ElementsAre("FSLTL_A320_AFR", "A320 British Airways G-EUYA", "A320 Lufthansa D-AIZA",
                            "A320 Lufthansa D-AIZB", "A320 Lufthansa Retro D-AIZR", "A320 Private D-APVT",
                            "A320 Generic White"));
    EXPECT_THAT(texts(g_cargoByModel.at(model("B763"))), ElementsAre("B763F UPS N301UP"));
    EXPECT_EQ(g_cargoByModel.size(), 3U);
}

// The offer is a second way to one livery, not a second livery: the lists
// over all airlines, the counts and the random picks hold it once.
TEST_F(LiveryProcessing, SecondAirlineWithoutLiveriesOfItsOwnIsOfferedTheFirstGroupFlownForIt) {
    writeResults(R"(<root><liveries>
        <l a="UAL" o="SKW" m="E75L" t="E175 United Express"/>
        <l a="DAL" o="SKW" m="E75L" t="E175 Delta Connection"/>
    </liveries></root>)");
    gf_processScannedLiveries(parametersPath);
    EXPECT_EQ(titlesOf(g_paxByAirline, "DALSKW", "E75L"), std::vector<std::string>{"E175 Delta Connection"});
    EXPECT_EQ(titlesOf(g_paxByAirline, "UALSKW", "E75L"), std::vector<std::string>{"E175 United Express"});
    EXPECT_EQ(titlesOf(g_paxByAirline, "SKW", "E75L"), std::vector<std::string>{"E175 Delta Connection"});
    EXPECT_EQ(titlesOf(g_paxByAirline, "DAL", "E75L"), std::vector<std::string>{"<none>"});
    EXPECT_TRUE(lf_hasAirlineModel(airline("SKW"), model("E75L")));

    EXPECT_THAT(texts(g_paxByModel.at(model("E75L"))), ElementsAre("E175 Delta Connection", "E175 United Express"));
    EXPECT_TRUE(log.contains("    2 airlines, 1 pax aircraft models and 0 cargo aircraft models"));
    EXPECT_TRUE(log.contains("Category Large: 2 pax liveries"));
    RANDOM.value = true;
    gf_seedRng(11);
    std::map<std::string, int> picks;
    for (int i = 0; i < 400; ++i) {
        AcBase ac = livery_testing::aircraft("N1", "N101XY", "", "E75L");
        ASSERT_TRUE(lf_matchByModel(ac, model("E75L")));
        ++picks[std::string(ac.liveryTitle)];
    }
    ASSERT_EQ(picks.size(), 2U);
    for (const auto& [title, count] : picks) {
        EXPECT_GT(count, 170) << title;  // a title filed twice would take two thirds
        EXPECT_LT(count, 230) << title;
    }
}

TEST_F(LiveryProcessing, SimilarModelsOnlyNameModelsWithLiveries) {
    processFixture();
    EXPECT_THAT(codes(g_similarModelsWithLiveries.at(model("A319"))), ElementsAre("A320", "A321"));
    EXPECT_THAT(codes(g_similarModelsWithLiveries.at(model("PA28"))), ElementsAre("C172"));
    // C172's group partners and the B744/A388 group have no liveries.
    EXPECT_FALSE(g_similarModelsWithLiveries.contains(model("C172")));
    EXPECT_FALSE(g_similarModelsWithLiveries.contains(model("B744")));

    const auto similarOf = [](const char* airlineCode, const char* modelCode) {
        const ModelIds* ids = lf_airlineSimilarModels(airline(airlineCode), model(modelCode));
        return ids == nullptr ? std::vector<std::string>{"<none>"} : codes(*ids);
    };
    EXPECT_THAT(similarOf("AAL", "A319"), ElementsAre("A321"));
    EXPECT_THAT(similarOf("AAL", "A320"), ElementsAre("A321"));
    EXPECT_THAT(similarOf("AAL", "A321"), ElementsAre("<none>"));  // AAL has that one itself
    EXPECT_THAT(similarOf("DLH", "A319"), ElementsAre("A320"));
    EXPECT_THAT(similarOf("VJT", "C56X"), ElementsAre("<none>"));
    EXPECT_THAT(similarOf("KLM", "A319"), ElementsAre("<none>"));  // no liveries at all
    // The entry is kept: the matching reorders it in place.
    EXPECT_EQ(lf_airlineSimilarModels(airline("AAL"), model("A319")),
              lf_airlineSimilarModels(airline("AAL"), model("A319")));
    EXPECT_TRUE(lf_hasAirlineModel(airline("AAL"), model("A321")));
    EXPECT_FALSE(lf_hasAirlineModel(airline("AAL"), model("A319")));
}

TEST_F(LiveryProcessing, FindsScannedTitlesByExactBytes) {
    processFixture();
    const std::string_view stored = lf_findScannedTitle("B738 Delta");
    EXPECT_EQ(stored, "B738 Delta");
    EXPECT_EQ(stored.data(), lf_findScannedTitle(std::string("B738 Delta")).data());
    EXPECT_TRUE(lf_findScannedTitle("b738 delta").empty());
    EXPECT_TRUE(lf_findScannedTitle("B738").empty());
}

TEST_F(LiveryProcessing, SecondRunInTheProcessIsSkippedUnlessTheProcessingWasReset) {
    processFixture();
    const std::size_t airlines = g_liveriesByAirline.size();
    writeResults(R"(<root><liveries><l a="KLM" m="B738" t="B738 KLM"/></liveries></root>)");

    gf_processScannedLiveries(parametersPath);
    EXPECT_TRUE(log.contains("Processing scanned liveries skipped; already done in previous start-up"));
    EXPECT_EQ(g_liveriesByAirline.size(), airlines);

    gf_resetLiveryProcessing();
    EXPECT_FALSE(g_liveriesProcessed);
    EXPECT_TRUE(g_titleByRegcode.empty());
    gf_processScannedLiveries(parametersPath);
    EXPECT_EQ(g_liveriesByAirline.size(), 1U);
    EXPECT_EQ(titlesOf(g_paxByAirline, "KLM", "B738"), std::vector<std::string>{"B738 KLM"});
    EXPECT_TRUE(g_titleByRegcode.empty());
    EXPECT_THAT(codes(g_lightModels), IsEmpty());
}

TEST_F(LiveryProcessing, CategoryWithoutLiveriesSwitchesItsOptionOffOnceAndDisablesItsBox) {
    const struct {
        SizeCategory category;
        CheckBoxParam* setting;
        bool on;
        std::vector<std::string> lines;
        std::vector<std::string> updates;
    } cases[] = {
        {SizeCategory::Light, &LIGHT_AIRCRAFT, true,
         {"Category Light: No livery found", "LIGHT_AIRCRAFT=false",
          "LIGHT_AIRCRAFT temporarily switched off because you do not have light aircraft installed"},
         {"check LIGHT_AIRCRAFT 0", "enable LIGHT_AIRCRAFT 0"}},
        {SizeCategory::Rotorcraft, &HELICOPTERS, true,
         {"Category Rotorcraft: No livery found", "HELICOPTERS=false",
          "HELICOPTERS temporarily switched off because you do not have Helicopters installed"},
         {"check HELICOPTERS 0", "enable HELICOPTERS 0"}},
        {SizeCategory::HighPerf, &HIGH_PERF_AIRCRAFT, false, {"Category HighPerf: No livery found"},
         {"enable HIGH_PERF_AIRCRAFT 0"}},
        {SizeCategory::Heavy, nullptr, false, {"Category Heavy: No livery found"}, {}},
    };
    for (const auto& c : cases) {
        if (c.setting != nullptr) {
            c.setting->value = c.on;
            gf_saveBoolParam(*c.setting, parametersPath);
        }
        controls.clear();
        const std::size_t before = log.lines().size();
        lf_categorySummary(c.category, parametersPath);
        const auto lines = log.lines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()), c.lines);
        EXPECT_EQ(controls.updates(), c.updates);
        if (c.setting != nullptr) {
            EXPECT_FALSE(c.setting->value);
            EXPECT_EQ(testing_support::storedParameterValue(parametersPath, c.setting->key), "false");
        }
    }
}

TEST_F(LiveryProcessing, CategoryListsLogTwentyCodesALine) {
    ModelIds ids;
    for (int i = 0; i < 45; ++i) ids.push_back(gf_modelId(fmt::format("M{:02}", i)));
    lf_writeCategoryList(false, false, true, ids);
    const auto lines = log.lines();
    ASSERT_GE(lines.size(), 3U);
    EXPECT_EQ(lines[lines.size() - 3],
              "  M00,M01,M02,M03,M04,M05,M06,M07,M08,M09,M10,M11,M12,M13,M14,M15,M16,M17,M18,M19");
    EXPECT_EQ(lines[lines.size() - 2],
              "  M20,M21,M22,M23,M24,M25,M26,M27,M28,M29,M30,M31,M32,M33,M34,M35,M36,M37,M38,M39");
    EXPECT_EQ(lines.back(), "  M40,M41,M42,M43,M44");
    EXPECT_EQ(g_rotorcraftModels, ids);
    EXPECT_THAT(g_lightModels, IsEmpty());
}

TEST_F(LiveryProcessing, RandomCategoryModels) {
    EXPECT_EQ(lf_randomRotorcraftModel(), 0);
    g_rotorcraftModels = {model("EC45")};
    RANDOM.value = true;
    EXPECT_EQ(lf_randomRotorcraftModel(), model("EC45"));
    g_lightModels = {model("C152"), model("C172")};
    RANDOM.value = false;
    EXPECT_EQ(lf_randomLightModel(), model("C152"));
}

TEST_F(LiveryProcessing, NoGenericLiveries) {
    writeResults(R"(<root><liveries><l a="KLM" m="B738" t="B738 KLM"/></liveries></root>)");
    gf_processScannedLiveries(parametersPath);
    EXPECT_TRUE(log.contains("No generic liveries"));
    EXPECT_TRUE(log.contains("Category Light: No livery found"));
}
