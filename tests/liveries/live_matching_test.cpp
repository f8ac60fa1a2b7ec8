#include "liveries/live_matching.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "foundation/random.h"
#include "livery_fixture.h"
#include "traffic/ac_texts.h"

using livery_testing::aircraft;
using livery_testing::LiveryTest;
using testing::ElementsAre;

namespace {
// One live aircraft and what the matching gives it: the step and the title,
// or step -1 and no title.
struct LiveCase {
    AcBase aircraft;
    int step;
    std::string title;
};

struct LiveMatching : LiveryTest {
    LiveMatching() { processFixture(); }

    // Matches the aircraft and checks the title and the "={step}=" line.
    void expectMatch(const LiveCase& c, const std::string& label) {
        AcBase ac = c.aircraft;
        const std::size_t before = log.lines().size();
        gf_matchLiveryLive(ac);
        EXPECT_EQ(std::string(ac.liveryTitle), c.title) << label;
        const auto lines = log.lines();
        if (c.step < 0) {
            EXPECT_EQ(lines.size(), before) << label;
            return;
        }
        ASSERT_EQ(lines.size(), before + 1) << label;
        EXPECT_EQ(lines.back(), fmt::format("          {} ={}= {}", gf_acText(ac), c.step, c.title)) << label;
    }
};
}  // namespace

TEST_F(LiveMatching, EveryStepIsReachedByItsAircraft) {
    const LiveCase cases[] = {
        {aircraft("DLH1", "D-AIZR", "DLH", "A320"), 0, "A320 Lufthansa Retro D-AIZR"},
        {aircraft("BAW1", "G-EUYA", "BAW", "A320"), 0, "A320 British Airways G-EUYA"},
        {aircraft("DLH2", "D-AIZA", "DLH", "A320"), 1, "A320 Lufthansa D-AIZA"},
        {aircraft("DLH3", "D-AIZQ", "DLH", "A320"), 1, "A320 Lufthansa D-AIZA"},
        {aircraft("KLM1", "EI-DCM", "KLM", "B744"), 1, "B738 Ryanair EI-DCL"},  // whatever airline and model
        // Own airline and model; the special D-AIZA is passed over.
        {aircraft("DLH4", "D-AIZX", "DLH", "A320"), 2, "A320 Lufthansa D-AIZB"},
        // When every candidate is special, one stays.
        {aircraft("BAW2", "G-EUZZ", "BAW", "A320"), 2, "A320 British Airways G-EUYA"},
        {aircraft("UPS1", "N302UP", "UPS", "B763", true), 2, "B763F UPS N301UP"},
        {aircraft("DAL1", "N123DL", "DAL", "B763", true), 2, "B763 Delta"},  // cargo takes pax when it must
        {aircraft("UPS2", "N303UP", "UPS", "B763"), -1, ""},                  // pax never takes cargo
        {aircraft("PVT1", "D-EXYZ", "PVT", "C172"), 2, "C172 D-EABC"},        // own prefix
        {aircraft("PVT2", "OE-ABC", "PVT", "C172"), 2, "C172 D-EABC"},        // similar prefix
        {aircraft("PVT3", "N12345", "PVT", "C172"), 2, "C172 N172SP"},
        {aircraft("PVT4", "G-XYZW", "PVT", "C172"), 2, "C172 D-EABC"},  // no prefix fits: any of the model
        {aircraft("SKW1", "N265SY", "DAL", "E75L", false, "SKW"), 2, "E175 SkyWest Delta Connection N264SY"},
        // The operator's list searched for the brand's name before the brand's list for the operator's.
        {aircraft("SKW2", "N107SY", "UAL", "E75L", false, "SKW"), 2, "E175 SkyWest United Express"},
        {aircraft("QXE1", "N651QX", "ASA", "E75L", false, "QXE"), 2, "E175 Horizon"},
        {aircraft("AAL1", "N201UU", "AAL", "A319"), 3, "A321 American Airlines N101NN"},
        // The similar models the operator has, not the brand.
        {aircraft("EWG3", "D-ABGQ", "EWG", "A319", false, "DLH"), 3, "A320 Lufthansa D-AIZB"},
        // UPS has a B763, similar to the B752, but of another category.
        {aircraft("UPS3", "N401UP", "UPS", "B752", true), -1, ""},
        {aircraft("PVT5", "D-AXYZ", "PVT", "A320"), 4, "A320 Generic White"},  // before PVT's own A320
        {aircraft("EWG1", "D-AEWM", "EWG", "A320"), 4, "A320 Generic White"},
        {aircraft("EWG2", "D-AEWN", "EWG", "A320", true), 4, "A320 Generic Freighter"},
        {aircraft("N555AB", "N555AB", "", "C172"), 5, "C172 N172SP"},
        {aircraft("N802FE", "N802FE", "", "C208", true), 5, "C208 FedEx Feeder N801FE"},  // the cargo list
        {aircraft("N208AB", "N208AB", "", "C208"), 5, "C208 Private N208PV"},
        {aircraft("DEFGH", "D-EFGH", "", "PA28"), 6, "C172 D-EABC"},   // similar model
        {aircraft("N22SR", "N22SR", "", "SR22"), 6, "C172 N172SP"},    // random model of the category
        {aircraft("DHABC", "D-HABC", "", "EC45"), 6, "EC135 Police D-HXYZ"},
        {aircraft("N60CL", "N60CL", "", "CL60"), 6, "C56X VistaJet 9H-VJA"},
        {aircraft("KLM2", "PH-BFA", "KLM", "B744"), -1, ""},  // Heavy ends after the generic try
        {aircraft("C172", "", "", "C172"), -1, ""},           // the last steps need a registration
    };
    for (const LiveCase& c : cases) expectMatch(c, c.aircraft.callsign);
    EXPECT_THAT(g_matchStepCounts, ElementsAre(2, 3, 11, 2, 3, 3, 4));
}

TEST_F(LiveMatching, LogLinesShowTheAircraftAndTheStep) {
    AcBase dlh = aircraft("DLH4AB", "D-AIZX", "DLH", "A320");
    gf_matchLiveryLive(dlh);
    AcBase skw = aircraft("SKW3345", "N265SY", "DAL", "E75L", false, "SKW");
    gf_matchLiveryLive(skw);
    AcBase ups = aircraft("UPS24", "N302UP", "UPS", "B763", true);
    gf_matchLiveryLive(ups);
    const auto lines = log.lines();
    EXPECT_THAT(std::vector<std::string>(lines.end() - 3, lines.end()),
                ElementsAre("          DLH4AB   D-AIZX                DLH     A320    =2= A320 Lufthansa D-AIZB",
                            "          SKW3345  N265SY                DAL,SKW E75L    =2= "
                            "E175 SkyWest Delta Connection N264SY",
                            "          UPS24    N302UP                UPS     B763(C) =2= B763F UPS N301UP"));
}

TEST_F(LiveMatching, DepthLimitsTheSteps) {
    const struct {
        AcBase aircraft;
        int depth;
        int step;
        const char* title;
    } cases[] = {
        {aircraft("DLH1", "D-AIZR", "DLH", "A320"), 1, 0, "A320 Lufthansa Retro D-AIZR"},
        {aircraft("DLH4", "D-AIZX", "DLH", "A320"), 1, -1, ""},
        {aircraft("DLH4", "D-AIZX", "DLH", "A320"), 2, 2, "A320 Lufthansa D-AIZB"},
        {aircraft("PVT5", "D-AXYZ", "PVT", "A320"), 2, 4, "A320 Generic White"},
        {aircraft("AAL1", "N201UU", "AAL", "A319"), 2, -1, ""},
        {aircraft("AAL1", "N201UU", "AAL", "A319"), 3, 3, "A321 American Airlines N101NN"},
        {aircraft("EWG1", "D-AEWM", "EWG", "A320"), 3, -1, ""},
        {aircraft("EWG1", "D-AEWM", "EWG", "A320"), 4, 4, "A320 Generic White"},
    };
    for (const auto& c : cases) {
        MATCHING_DEPTH.value = c.depth;
        expectMatch({c.aircraft, c.step, c.title}, fmt::format("{} depth {}", c.aircraft.callsign, c.depth));
    }
}

TEST_F(LiveMatching, ExcludedTitleSkipsToTheNextStep) {
    g_excludedTitles = {"A320 Lufthansa D-AIZA", "A320 Lufthansa D-AIZB"};
    // The registration's livery is refused, and so is the only other
    // non-special one of the airline: the generic livery is next.
    expectMatch({aircraft("DLH2", "D-AIZA", "DLH", "A320"), 4, "A320 Generic White"}, "DLH2");
    g_excludedTitles.insert("A320 Generic White");
    expectMatch({aircraft("DLH2", "D-AIZA", "DLH", "A320"), -1, ""}, "all excluded");
    EXPECT_THAT(g_matchStepCounts, ElementsAre(0, 0, 0, 0, 1, 0, 0));
}

TEST_F(LiveMatching, FsltlTitlesSetTheFlag) {
    AcBase afr = aircraft("AFR1", "F-HBNA", "AFR", "A320");
    gf_matchLiveryLive(afr);
    EXPECT_EQ(afr.liveryTitle, "FSLTL_A320_AFR");
    EXPECT_EQ(afr.fsltlTitle, 1);
    AcBase dlh = aircraft("DLH2", "D-AIZA", "DLH", "A320");
    dlh.fsltlTitle = 1;
    gf_matchLiveryLive(dlh);
    EXPECT_EQ(dlh.fsltlTitle, 0);
}

TEST_F(LiveMatching, RandomPicksStayWithinTheStepsCandidates) {
    RANDOM.value = true;
    gf_seedRng(7);
    const struct {
        AcBase aircraft;
        std::set<std::string> allowed;
        std::size_t seen;  // how many of them a hundred matches show
    } cases[] = {
        // Specials are avoided even when picked at random.
        {aircraft("DLH4", "D-AIZX", "DLH", "A320"), {"A320 Lufthansa D-AIZB"}, 1},
        {aircraft("PVT4", "G-XYZW", "PVT", "C172"), {"C172 D-EABC", "C172 G-ABCD", "C172 N172SP"}, 3},
        {aircraft("C9A", "9A-ABC", "", "C172"), {"C172 D-EABC", "C172 G-ABCD", "C172 N172SP"}, 3},
        {aircraft("PVT2", "OE-ABC", "PVT", "C172"), {"C172 D-EABC"}, 1},
    };
    for (const auto& c : cases) {
        std::set<std::string> seen;
        for (int i = 0; i < 100; ++i) {
            AcBase ac = c.aircraft;
            gf_matchLiveryLive(ac);
            EXPECT_TRUE(c.allowed.contains(std::string(ac.liveryTitle))) << ac.liveryTitle;
            seen.emplace(ac.liveryTitle);
        }
        EXPECT_EQ(seen.size(), c.seen) << c.aircraft.callsign;
    }
}

TEST_F(LiveMatching, SpecialAvoidanceInThePick) {
    g_specialTitles = {"s1", "s2"};
    const TitleList mixed = {"s1", "p1", "s2", "p2"};
    const TitleList allSpecial = {"s1", "s2"};
    AcBase ac;
    lf_pickRandomCandidate(ac, mixed);
    EXPECT_EQ(ac.liveryTitle, "p1");
    ac.liveryTitle = {};
    lf_pickRandomCandidate(ac, allSpecial);
    EXPECT_EQ(ac.liveryTitle, "s1");
    ac.liveryTitle = "kept";
    lf_pickRandomCandidate(ac, {});
    EXPECT_EQ(ac.liveryTitle, "kept");
}

TEST_F(LiveMatching, RegistrationPrefixesAndNameWords) {
    const std::pair<const char*, const char*> prefixes[] = {
        {"D-ABCD", "D-"}, {"9H-ABC", "9H-"}, {"N123AB", "N"}, {"-ABC", "-"}, {"", ""},
    };
    for (const auto& [registration, prefix] : prefixes) EXPECT_EQ(lf_registrationPrefix(registration), prefix);
    EXPECT_EQ(lf_airlineNameWords("DAL"), "Delta");
    EXPECT_EQ(lf_airlineNameWords("JIA"), "PSA Airlines");
    EXPECT_EQ(lf_airlineNameWords("KLM"), "not found");
}
