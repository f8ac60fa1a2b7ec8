#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "airports/stands.h"
#include "livery_fixture.h"

using livery_testing::aircraft;
using livery_testing::LiveryTest;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {
Stand stand(const char* name, bool cargo) { return Stand({}, name, 52.3, 4.76, 0.0, 0.02, cargo, false, false); }

struct ParkedMatching : LiveryTest {
    ParkedMatching() { processFixture(); }

    // Matches and returns the result, the title and the one line logged.
    std::string match(AcBase ac, const Stand& at) {
        const std::size_t before = log.lines().size();
        const bool found = gf_matchLiveryParked(ac, at);
        const auto lines = log.lines();
        EXPECT_EQ(lines.size(), before + 1);
        EXPECT_EQ(found, !ac.liveryTitle.empty());
        return lines.back();
    }
};

struct MatchingSummary : LiveryTest {
    std::vector<std::string> summary() {
        const std::size_t before = log.lines().size();
        gf_writeMatchingSummary();
        const auto lines = log.lines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()};
    }
};
}  // namespace

TEST_F(ParkedMatching, StepsMarksAndMisses) {
    const Stand gate = stand("D4", false);
    const Stand freight = stand("R80", true);
    AcBase preset = aircraft("STATIC1", "D-AIZA", "DLH", "A320");
    preset.liveryTitle = "A320 Lufthansa D-AIZA";
    g_excludedTitles = {"A320 Lufthansa D-AIZA"};
    const struct {
        AcBase aircraft;
        const Stand* at;
        int depth;
        std::string line;
    } cases[] = {
        // A title given with the aircraft is taken unchecked.
        {preset, &gate, 4,
         "          STATIC1  D-AIZA                DLH     A320    =s= A320 Lufthansa D-AIZA"},
        {aircraft("STATIC2", "D-AIZR", "DLH", "A320"), &gate, 1,
         "          STATIC2  D-AIZR                DLH     A320    =0= A320 Lufthansa Retro D-AIZR"},
        // The excluded registration livery is passed over.
        {aircraft("STATIC3", "D-AIZA", "DLH", "A320"), &gate, 4,
         "          STATIC3  D-AIZA                DLH     A320    =2= A320 Lufthansa D-AIZB"},
        {aircraft("STATIC4", "D-AIZX", "DLH", "A320"), &gate, 1, "D4      : STATIC4  D-AIZX DLH     A320    no livery match ..."},
        // The stand's cargo flag counts for the generic livery of "PVT" ...
        {aircraft("STATIC5", "D-AXYZ", "PVT", "A320"), &freight, 4,
         "          STATIC5  D-AXYZ                PVT     A320    =4= A320 Generic Freighter"},
        {aircraft("STATIC6", "D-AXYZ", "PVT", "A320"), &gate, 4,
         "          STATIC6  D-AXYZ                PVT     A320    =4= A320 Generic White"},
        // ... and for the last step, but not for the own airline's liveries.
        {aircraft("STATIC7", "D-AEWM", "EWG", "A320"), &freight, 4,
         "          STATIC7  D-AEWM                EWG     A320    =4= A320 Generic Freighter"},
        {aircraft("STATIC8", "D-AIZX", "DLH", "A320"), &freight, 4,
         "          STATIC8  D-AIZX                DLH     A320    =2= A320 Lufthansa D-AIZB"},
        {aircraft("STATIC9", "N201UU", "AAL", "A319"), &gate, 3,
         "          STATIC9  N201UU                AAL     A319    =3= A321 American Airlines N101NN"},
        {aircraft("STATIC10", "PH-BFA", "KLM", "B744"), &gate, 4,
         "D4      : STATIC10 PH-BFA KLM     B744    no livery match ..."},
    };
    for (const auto& c : cases) {
        MATCHING_DEPTH.value = c.depth;
        EXPECT_EQ(match(c.aircraft, *c.at), c.line);
    }
    EXPECT_THAT(g_matchStepCounts, ElementsAre(0, 0, 0, 0, 0, 0, 0));
    EXPECT_THAT(g_noMatchAcs, IsEmpty());
}

TEST_F(MatchingSummary, SilentWithoutLiveMatches) {
    g_failedCreations = {"KLM B744"};
    EXPECT_THAT(summary(), IsEmpty());
}

TEST_F(MatchingSummary, CountsPerStepAndTheLiveriesThatCouldNotBeCreated) {
    g_matchStepCounts[2] = 3;
    EXPECT_THAT(summary(),
                ElementsAre("", std::string(31, '*') + " live traffic livery matching summary " + std::string(31, '*'),
                            "Matches at step: ", "  0: 0", "  1: 0", "  2: 3", "  3: 0", "  4: 0", "  5: 0", "  6: 0",
                            std::string(100, '*'), ""));
    g_failedCreations = {"KLM B744"};
    const auto lines = summary();
    ASSERT_EQ(lines.size(), 15U);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 10, lines.end()),
                ElementsAre("", "Could not be created", "  KLM B744", std::string(100, '*'), ""));
}
