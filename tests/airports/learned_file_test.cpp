#include "airports/learned_file.h"

#include <gtest/gtest.h>

#include "airport_fixture.h"
#include "app/services/status_line.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::readFile;
using testing_support::writeFile;

namespace {
struct LearnedFile : AirportTest {
    fs::path path = g_learnedStockFolder / "EHAM.xml";

    LearnedFile() {
        fs::create_directories(path.parent_path());
        addRegistration("PH-BXA", "KLM", "B738");
        gf_resetStatusLine();
    }
    ~LearnedFile() override { gf_resetStatusLine(); }

    void learn(const std::string& xml, const std::string& airportName = "Schiphol") {
        writeFile(path, xml);
        lf_readLearned(path, airportName);
    }
    static std::string file(const std::string& parkpositions, const std::string& version = "11.14.0",
                            std::vector<std::pair<std::string, std::string>> parameters = {{"airport_name", "Schiphol"}}) {
        return standFileXml(parameters, parkpositions, version, false);
    }
    // One stand A1 with one use of PH-BXA on Monday, slots 10 to 12.
    static void oneStandWithAUse() {
        Stand a1 = standAt("A1", 0, 0, 36.0, {use(key("KLM", "B738"), "PH-BXA", 1, slots(10, 12), 1, "KLM1")});
        a1.uses[0].fromAirportFile = 1;
        setStands({a1, standAt("A2", 0, 80, 36.0)});
    }
};

const std::string kTwoOpts = R"(<opt reg="PH-BXA" airl="KLM" type="B738" day="2" hh="3:4" cs="KLM2"/>
                                <opt reg="D-AIRA" airl="DLH" type="A321" soft="true" day="1" hh="10" cs="DLH4"/>)";
}  // namespace

TEST_F(LearnedFile, OlderFilesKeepTheirChangesButLoseTheirUses) {
    struct Case {
        const char* version;
        std::size_t uses;
    } cases[] = {{"11.9.5", 1}, {"", 1}, {"11.10.0", 3}, {"12.0.0", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        oneStandWithAUse();
        learn(file(R"(<parkpos id="A1" radius_change="true" radius="40.0" cargo_change="true" cargo="true">)" + kTwoOpts +
                       "</parkpos>",
                   c.version));
        const Stand& a1 = g_stands[0];
        EXPECT_DOUBLE_EQ(a1.radius, 40.0 / 1852.0);
        EXPECT_EQ(a1.radiusChanged, 1);
        EXPECT_EQ(a1.cargo, 1);
        EXPECT_EQ(a1.cargoChanged, 1);
        ASSERT_EQ(a1.uses.size(), c.uses);
        if (c.uses == 3) {
            // Learned uses are numbered on after the stand's last use.
            EXPECT_EQ(a1.uses[1].active, 2);
            EXPECT_EQ(a1.uses[2].active, 3);
            EXPECT_EQ(a1.uses[1].fromAirportFile, 0);
            EXPECT_EQ(a1.uses[1].hh, slots(3, 4));
            EXPECT_EQ(a1.uses[2].real, 0);
            EXPECT_EQ(a1.uses[2].key, key("DLH", "A321"));
        }
    }
    EXPECT_TRUE(logged("This learned file was created with and older VLNT version than 11.10.0,"));
}

TEST_F(LearnedFile, AUseAlreadyKnownIsNotLearnedTwice) {
    struct Case {
        const char* name;
        std::string opt;
        bool added;
    } cases[] = {
        {"same day, kind, reg and aircraft, one half-hour in common",
         R"(<opt reg="PH-BXA" airl="KLM" type="B738" day="1" hh="12:15" cs="OTHER"/>)", false},
        {"the cargo flag plays no part", R"(<opt reg="PH-BXA" day="1" hh="11" cs="KLM1"/>)", false},
        {"disjoint half-hours", R"(<opt reg="PH-BXA" day="1" hh="13:15" cs="KLM1"/>)", true},
        {"the other kind", R"(<opt reg="PH-BXA" soft="true" day="1" hh="10" cs="KLM1"/>)", true},
        {"another day", R"(<opt reg="PH-BXA" day="2" hh="10" cs="KLM1"/>)", true},
        {"empty half-hours", R"(<opt reg="PH-BXA" day="3" hh="9:3" cs="KLM1"/>)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        oneStandWithAUse();
        learn(file("<parkpos id=\"A1\">" + c.opt + "</parkpos>"));
        EXPECT_EQ(g_stands[0].uses.size(), c.added ? 2u : 1u);
    }
    EXPECT_TRUE(logged("==> learned A1: day:1 12,13,14,15 " + gf_modelKeyText(key("KLM", "B738")) +
                       " cs:OTHER reg:PH-BXA already in airport file"));
    EXPECT_TRUE(logged("==> empty bit set"));
}

TEST_F(LearnedFile, AHandmadeFileReplacesTheStandListWhateverItsValueAndVersion) {
    oneStandWithAUse();
    learn(file(parkposXml("H1", 0, 0, 30, "", R"(<opt reg="PH-BXA" day="1" hh="4" />)") + parkposXml("H2", 0, 90, 30),
               "11.9.5", {{"airport_name", "Schiphol"}, {"handmade", "false"}}));
    EXPECT_TRUE(g_handmade);
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[0].name, "H1");
    ASSERT_EQ(g_stands[0].uses.size(), 1u);
    EXPECT_TRUE(logged(fmt::format("{:24}: {}", "handmade", "false")));
}

TEST_F(LearnedFile, ManualStandsAreAddedWhenNewAndComplete) {
    oneStandWithAUse();
    learn(file(parkposXml("M1", 200, 0, 20, R"(manual="true")", R"(<opt reg="PH-BXA" day="1" hh="4" />)") +
               R"(<parkpos id="M2" manual="true" latitude="0.00005" longitude="0.00005" radius="20"/>
                  <parkpos id="M3" manual="true" latitude="52.3" longitude="4.7" radius="0"/>)" +
               parkposXml("A1", 0, 0, 20, R"(manual="true")") + R"(<parkpos id="Q9"/>)"));
    ASSERT_EQ(g_stands.size(), 3u);
    const Stand& m1 = g_stands[2];
    EXPECT_EQ(m1.name, "M1");
    EXPECT_EQ(m1.manual, 1);
    ASSERT_EQ(m1.uses.size(), 1u);
    EXPECT_EQ(m1.uses[0].fromAirportFile, 0);
    const std::string p = lf_pathText(path);
    EXPECT_TRUE(logged("==> manually created standid M2 misses correct attributes in " + p));
    EXPECT_TRUE(logged("==> manually created standid M3 misses correct attributes in " + p));
    EXPECT_TRUE(logged("==> manually created standid A1 already exists in " + p));
    EXPECT_TRUE(logged("learned stand Q9 in " + p + " not found?"));
}

TEST_F(LearnedFile, ItsSettingsApplyForTheRun) {
    oneStandWithAUse();
    learn(file("", "11.14.0",
               {{"airport_name", "Schiphol"}, {"MAX_LIVE_SEL", "100000"}, {"RANGE", "25"}, {"AUTO_RANGE", "false"},
                {"WEEK", "true"}, {"PARK_SOFT", "true"}, {"MAX_FIT", "9"}, {"INITIAL_LOAD_ONLY", "true"}}));
    EXPECT_EQ(MAX_LIVE_SEL.value, MAX_LIVE_SEL.maximum);
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_EQ(g_rangeMeters, 25 * 1852);
    EXPECT_FALSE(AUTO_RANGE.value);
    EXPECT_TRUE(WEEK.value && PARK_SOFT.value && INITIAL_LOAD_ONLY.value);
    EXPECT_EQ(MAX_FIT.value, 9);
    EXPECT_EQ(parking_percentage.value, 30) << "absent, it becomes 30";
    const auto updates = recorder_.updates();
    for (const char* update : {"radius 25", "enable RANGE 1", "check AUTO_RANGE 0", "check WEEK 1", "check PARK_SOFT 1",
                               "maxfit", "check INITIAL_LOAD_ONLY 1", "enable Now 0", "choice parking_percentage"})
        EXPECT_NE(std::find(updates.begin(), updates.end(), update), updates.end()) << update;
    EXPECT_TRUE(logged(fmt::format("{:24}: {}", "RANGE", 25)));
    EXPECT_TRUE(logged(fmt::format("{:24}: {} (max number of half hours, is", "MAX_FIT", 9)));
    EXPECT_FALSE(logged("parking_percentage"));
    // Nothing of it is saved.
    EXPECT_FALSE(fs::exists("parameters.xml"));
}

TEST_F(LearnedFile, ABrokenFileIsKeptAsideAndChangesNothing) {
    struct Case {
        const char* name;
        std::string xml;
        std::string line;
    } cases[] = {
        {"not XML", "<root><parkpositions>", "found, but could not be loaded, saved as *.0.xml: "},
        {"no program-info block",
         "<root><parameters><parameter name=\"parking_percentage\" value=\"80\"/></parameters>"
         "<parkpositions><parkpos id=\"A1\" radius_change=\"true\" radius=\"99\"/></parkpositions></root>",
         "has no program-info block, not used, saved as *.0.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        oneStandWithAUse();
        parking_percentage.value = 55;
        fs::remove(g_learnedStockFolder / "EHAM0.xml");
        learn(c.xml);
        EXPECT_EQ(readFile(g_learnedStockFolder / "EHAM0.xml"), c.xml);
        EXPECT_EQ(readFile(path), c.xml);
        EXPECT_TRUE(logged(c.line));
        EXPECT_EQ(parking_percentage.value, 55);
        EXPECT_DOUBLE_EQ(g_stands[0].radius, 36.0 / 1852.0);
    }
}

TEST_F(LearnedFile, ADifferentAirportNameIsShownAsAWarning) {
    oneStandWithAUse();
    learn(file(""), "Amsterdam Schiphol");
    EXPECT_EQ(gf_statusLineText(),
              "Warning: learned file airport name: 'Schiphol' differs from archived file airport name: 'Amsterdam "
              "Schiphol'");
    EXPECT_TRUE(logged("Read from learned airport file: '" + lf_pathText(path) + "'"));
}

TEST_F(LearnedFile, QualityFactorsWeighEveryStandAndCountTheActiveUses) {
    EXPECT_EQ(lf_qualityFactors(), (QualityFactors{-1, -1}));
    // Uses of PH-BXA on the given days, each with the given half-hours and activity.
    const auto uses = [&](std::vector<std::uint32_t> days, std::uint64_t hh, std::int32_t active = 1, bool real = true) {
        std::vector<StandUse> list;
        for (const std::uint32_t day : days) {
            list.push_back(use(key("KLM", "B738"), "PH-BXA", day, hh, active));
            list.back().real = real ? 1 : 0;
        }
        return list;
    };
    const auto join = [](std::vector<StandUse> a, const std::vector<StandUse>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<std::uint32_t> monday(1, 1);
    // Each case's sum over F = 0.3 per stand, times 0.00625, rounded; a
    // comment gives the value without the term the case pins.
    struct Case {
        const char* name;
        std::vector<Stand> stands;
        QualityFactors expected;
    } cases[] = {
        {"no stand has a use", {standAt("A", 0, 0, 20), standAt("B", 0, 80, 20)}, {-1, -1}},
        // (20 + 10000 + 100 + 8) x 0.00625 = 63.3
        {"one real use on one day with 4 half-hours", {standAt("A", 0, 0, 20, uses(monday, slots(3, 6)))}, {63, 0}},
        // F = 0.6 halves it: 31.65; counting the inactive ones too would give 32.05
        {"a stand without uses still weighs",
         {standAt("A", 0, 0, 20, join(uses(monday, slots(3, 6)), uses({2}, slots(3, 6), 0))), standAt("B", 0, 80, 20)},
         {32, 0}},
        // 63.3; counted, the inactive uses would give (80 + 10000 + 400 + 296) x 0.00625 = 67.35
        {"inactive uses count nowhere",
         {standAt("A", 0, 0, 20, join(uses(monday, slots(3, 6)), uses({2, 3, 4}, slots(0, 47), 0)))},
         {63, 0}},
        // (80 + 10000 + 100 + 8) x 0.00625 = 63.675; without 20n: 63.175
        {"the number of uses", {standAt("A", 0, 0, 20, uses({1, 1, 1, 1}, slots(3, 3)))}, {64, 0}},
        // (4000 + 10000 + 100 + 420) x 0.00625 = 90.75; with 20n uncapped (4200): 92
        {"the number of uses counts up to 200",
         {standAt("A", 0, 0, 20, uses(std::vector<std::uint32_t>(210, 1), slots(3, 3)))},
         {91, 0}},
        // (20 + 10000 + 100 + 96) x 0.00625 = 63.85; without 2b: 63.25
        {"the half-hours", {standAt("A", 0, 0, 20, uses(monday, slots(0, 47)))}, {64, 0}},
        // (260 + 10000 + 100 + 1200) x 0.00625 = 72.25; with b uncapped (624): 72.55
        {"the half-hours count up to 600",
         {standAt("A", 0, 0, 20, uses(std::vector<std::uint32_t>(13, 1), slots(0, 47)))},
         {72, 0}},
        // (40 + 10000 + 200 + 20) x 0.00625 = 64.125
        {"two soft uses on two days", {standAt("A", 0, 0, 20, uses({1, 2}, slots(0, 4), 1, false))}, {0, 64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStands(c.stands);
        EXPECT_EQ(lf_qualityFactors(), c.expected);
    }
}
