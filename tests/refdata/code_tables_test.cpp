#include "refdata/code_tables.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "dbase_fixture.h"
#include "foundation/random.h"

using refdata_testing::DbaseTest;
using testing::ElementsAre;
using testing::UnorderedElementsAre;

using CodeTables = DbaseTest;

TEST_F(CodeTables, InterningGivesOneIdPerCode) {
    EXPECT_EQ(gf_modelId(""), 0);
    EXPECT_EQ(gf_modelId("A320"), 1);
    EXPECT_EQ(gf_modelId("A320"), 1);
    EXPECT_EQ(gf_modelCodeCount(), 2u);
    EXPECT_EQ(gf_modelId(" a 320 long code with blanks "), 2);  // any text, unchanged
    EXPECT_EQ(gf_modelCodeText(2), " a 320 long code with blanks ");
    EXPECT_EQ(gf_modelCodeText(3), "");  // no text past the end
    EXPECT_EQ(gf_airlineId("DLH"), 0);   // the airline table is its own
    EXPECT_EQ(gf_airlineCodeText(0), "DLH");
}

TEST_F(CodeTables, FixesTakeEffectOnceActive) {
    gf_modelId("");
    gf_modelId("B738");
    g_modelFixes = {{"B737-800", "B738"}, {"A320-214", "A320"}};
    EXPECT_EQ(gf_modelId("B737-800"), 2);  // before the switch the wrong code is appended
    g_modelFixesActive = true;
    EXPECT_EQ(gf_modelId("B737-800"), 2);
    EXPECT_EQ(lf_fixedModelCode("A320-214"), "A320");
    EXPECT_EQ(gf_modelId("A320-214"), 3);  // its correct code is not in the table: the code itself
    EXPECT_EQ(gf_modelCodeText(3), "A320-214");
    EXPECT_EQ(lf_fixedModelCode("B738"), std::nullopt);
}

TEST_F(CodeTables, FixedCodeDoesNotEnterTheTable) {
    gf_modelId("");
    const auto known = gf_modelId("E75L");
    g_modelFixes = {{"E175", "E75L"}};
    g_modelFixesActive = true;
    EXPECT_EQ(gf_modelId("E175"), known);
    EXPECT_EQ(gf_modelCodeCount(), 2u);
}

TEST_F(CodeTables, InternerGivesTheIdsOfSingleCalls) {
    gf_modelId("");
    const std::uint16_t a320 = gf_modelId("A320");
    g_modelFixes = {{"A320-214", "A320"}};
    {
        CodeInterner models = CodeInterner::models();
        EXPECT_EQ(models.id("A320"), a320);
        EXPECT_EQ(models.id("A320-214"), 2);  // fixes not yet active: appended like gf_modelId
        g_modelFixesActive = true;
        EXPECT_EQ(models.id("A320-214"), 2);  // now in the table itself
        EXPECT_EQ(models.id("B738"), 3);
        g_modelFixes = {{"B737-800", "B738"}};
        EXPECT_EQ(models.id("B737-800"), 3);  // the fix, not appended
        CodeInterner airlines = CodeInterner::airlines();  // the other table's lock is its own
        EXPECT_EQ(airlines.id("DLH"), 0);
        EXPECT_EQ(airlines.id("DLH"), 0);
    }
    EXPECT_EQ(gf_modelCodeCount(), 4u);
    EXPECT_EQ(gf_modelId("B738"), 3);
    EXPECT_EQ(gf_modelCodeText(3), "B738");
    EXPECT_EQ(gf_airlineId("BAW"), 1);
}

TEST_F(CodeTables, InternerRunAndOtherThreadsGetOneIdPerCode) {
    constexpr int kCodes = 2000;
    std::vector<std::string> codes;
    for (int i = 0; i < kCodes; ++i) codes.push_back(fmt::format("R{:04}", i));
    std::vector<std::uint16_t> byThread(kCodes);
    std::atomic<bool> go{false};
    std::thread other([&] {
        while (!go) std::this_thread::yield();
        for (int i = kCodes - 1; i >= 0; --i) byThread[i] = gf_airlineId(codes[i]);
    });
    std::vector<std::uint16_t> byRun(kCodes);
    {
        CodeInterner airlines = CodeInterner::airlines();
        go = true;
        for (int i = 0; i < kCodes; ++i) byRun[i] = airlines.id(codes[i]);
    }
    other.join();
    EXPECT_EQ(byThread, byRun);
    EXPECT_EQ(gf_airlineCodeCount(), static_cast<std::size_t>(kCodes));
    for (int i = 0; i < kCodes; ++i) EXPECT_EQ(gf_airlineCodeText(byRun[i]), codes[i]);
}

TEST_F(CodeTables, CategoryFollowsTheSetOrder) {
    const struct {
        std::vector<CategorySet> sets;
        SizeCategory expected;
    } cases[] = {
        {{}, SizeCategory::Light},
        {{kHeavySet}, SizeCategory::Heavy},
        {{kLargeSet, kHeavySet}, SizeCategory::Large},
        {{kHeavySet, kBuzjetSet}, SizeCategory::Heavy},
        {{kBuzjetSet, kRotorcraftSet}, SizeCategory::Buzjets},
        {{kRotorcraftSet, kHighPerfSet}, SizeCategory::Rotorcraft},
        {{kHighPerfSet}, SizeCategory::HighPerf},
    };
    std::uint16_t id = 10;
    for (const auto& c : cases) {
        for (const auto set : c.sets) g_modelCategorySets[set].insert(id);
        EXPECT_EQ(gf_modelCategory(id), c.expected) << id;
        ++id;
    }
}

TEST_F(CodeTables, KnownCodesAreTheDataBaseSections) {
    g_icaoModelCodes = {"A320"};
    g_icaoAirlineCodes = {"DLH"};
    EXPECT_TRUE(gf_isKnownModelCode("A320"));
    EXPECT_FALSE(gf_isKnownModelCode(""));
    EXPECT_FALSE(gf_isKnownModelCode("B738"));
    EXPECT_TRUE(gf_isKnownAirlineCode("DLH"));
    EXPECT_FALSE(gf_isKnownAirlineCode("UPS"));
    EXPECT_FALSE(gf_isKnownAirlineCode(""));
}

TEST_F(CodeTables, HalfSpanAtTheEdgeOfTheTable) {
    for (int i = 0; i <= 2700; ++i) gf_modelId(fmt::format("M{}", i));
    lf_fillWingspan("M2699", 0.0123);
    EXPECT_EQ(hwsp(2699), 0.0123);
    EXPECT_EQ(hwsp(5), 0.0);
    EXPECT_EQ(hwsp(2700), 35.0);
    EXPECT_TRUE(log.contains("hwsp: 2700 what: invalid array<T, N> subscript"));
    EXPECT_FALSE(log.contains("==> hwsp"));
    lf_fillWingspan("M2700", 0.02);
    EXPECT_TRUE(log.contains("==> wsp fill what: invalid array<T, N> subscript"));
    EXPECT_EQ(hwsp(2700), 35.0);
}

TEST_F(CodeTables, FullTableAnswersZeroAndSaysSoOnce) {
    for (std::uint32_t i = 0; i < 65536; ++i) ASSERT_EQ(gf_airlineId(fmt::format("C{}", i)), i);
    EXPECT_EQ(gf_airlineId("NEW1"), 0);
    EXPECT_EQ(gf_airlineId("NEW2"), 0);
    EXPECT_EQ(gf_airlineId("C65535"), 65535);  // known codes keep their ids
    EXPECT_EQ(gf_airlineCodeCount(), 65536u);
    EXPECT_EQ(gf_airlineCodeText(65535), "C65535");
    int lines = 0;
    for (const auto& line : log.lines()) lines += line.find("airline code table is full") != std::string::npos;
    EXPECT_EQ(lines, 1);
    EXPECT_TRUE(log.contains("==> The airline code table is full (65536 codes): 'NEW1' and every later new code get id 0"));
}

TEST_F(CodeTables, EightThreadsInterningTheSameCodesGetOneIdPerCode) {
    constexpr int kThreads = 8;
    constexpr int kCodes = 10000;
    std::vector<std::string> codes;
    for (int i = 0; i < kCodes; ++i) codes.push_back(fmt::format("T{:05}", i));
    std::vector<std::vector<std::uint16_t>> ids(kThreads, std::vector<std::uint16_t>(kCodes));
    std::atomic<bool> go{false};
    std::atomic<bool> textsChanged{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<int> order(kCodes);
            for (int i = 0; i < kCodes; ++i) order[i] = i;
            std::shuffle(order.begin(), order.end(), std::mt19937(static_cast<unsigned>(t)));
            while (!go) std::this_thread::yield();
            for (const int i : order) {
                ids[t][i] = gf_modelId(codes[i]);
                // A text handed out earlier stays what it was while others append.
                if (gf_modelCodeText(ids[t][i]) != codes[i]) textsChanged = true;
            }
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_FALSE(textsChanged);
    EXPECT_EQ(gf_modelCodeCount(), static_cast<std::size_t>(kCodes));
    std::vector<std::uint16_t> sorted = ids[0];
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());  // distinct ids
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(ids[t], ids[0]) << t;
    for (int i = 0; i < kCodes; ++i) EXPECT_EQ(gf_modelCodeText(ids[0][i]), codes[i]);
}

TEST_F(CodeTables, SimilarPrefixesComeFromGroupsOfTwoOrMore) {
    g_prefixGroups = {{"D-", "HB-", "OE-"}, {"G-"}, {"EI-", "G-"}, {"F-", "OO-"}, {"LX-", "OO-", "PH-"}};
    lf_buildSimilarPrefixes();
    EXPECT_THAT(lf_similarPrefixes("D-"), ElementsAre("HB-", "OE-"));
    EXPECT_THAT(lf_similarPrefixes("HB-"), ElementsAre("D-", "OE-"));
    EXPECT_THAT(lf_similarPrefixes("OE-"), ElementsAre("D-", "HB-"));
    EXPECT_THAT(lf_similarPrefixes("G-"), ElementsAre("EI-"));  // the single group adds nothing
    // OO- stands in two groups: "OO-,F-" sorts before "OO-,LX-,PH-".
    EXPECT_THAT(lf_similarPrefixes("OO-"), ElementsAre("F-"));
    EXPECT_TRUE(lf_similarPrefixes("N").empty());
    EXPECT_EQ(g_similarPrefixes.size(), 9u);
}

TEST_F(CodeTables, SimilarPrefixesAreShuffledInPlaceWithRandomOn) {
    g_prefixGroups = {{"A-", "B-", "C-", "D-", "E-", "F-"}};
    lf_buildSimilarPrefixes();
    RANDOM.value = true;
    gf_seedRng(7);
    bool changed = false;
    std::vector<std::string> previous = lf_similarPrefixes("A-");
    for (int i = 0; i < 20; ++i) {
        const auto& current = lf_similarPrefixes("A-");
        EXPECT_THAT(current, UnorderedElementsAre("B-", "C-", "D-", "E-", "F-"));
        EXPECT_EQ(&current, &g_similarPrefixes.at("A-"));  // the stored list keeps the order
        changed = changed || current != previous;
        previous = current;
    }
    EXPECT_TRUE(changed);
    RANDOM.value = false;
    const std::vector<std::string> kept = lf_similarPrefixes("A-");
    EXPECT_EQ(lf_similarPrefixes("A-"), kept);
}
