#include "airports/stand_learning.h"

#include <gtest/gtest.h>

#include <bit>

#include "airport_fixture.h"
#include "airports/park_airport_file.h"
#include "app/services/status_line.h"
#include "settings/file_names.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::writeFile;

namespace {
std::int64_t fixedClock() { return 1767618249; }  // Mon Jan 05 13:04:09 2026

// A stand-in for the traffic engine's operations on learned uses: add a use
// for now, or extend a use up to now.
struct FakeSlotTable {
    static inline std::vector<std::string> calls;
    static inline bool fits = true;

    static bool update(Stand& stand, const ModelKey& fallback, std::uint64_t now, const std::string& callsign,
                       const std::string& registration, bool cpl) {
        calls.push_back(fmt::format("update {} {} {} {}", stand.name, registration, callsign, cpl));
        const std::uint32_t day = gf_weekdayOf(now);
        const std::uint64_t hh = std::uint64_t{1} << gf_slotOf(now);
        for (const StandUse& u : stand.uses)
            if (u.reg == registration && u.day == day && u.hh == hh) return false;
        const auto codes = gf_findRegistration(registration);
        StandUse u = use(codes ? lf_keyOf(*codes) : fallback, registration, day, hh,
                         static_cast<std::int32_t>(stand.uses.size()) + 1, callsign);
        u.cpl = cpl;
        stand.uses.push_back(u);
        gf_noteStandChange();
        return true;
    }
    static bool slotFits(std::uint64_t now, Stand& stand, std::int32_t number, std::uint64_t useDaySlot, AcBase&,
                         const std::string&, bool cpl) {
        calls.push_back(fmt::format("fits {} {} {}:{} {}", stand.name, number, gf_weekdayOf(useDaySlot),
                                    gf_slotOf(useDaySlot), cpl));
        if (!fits) return false;
        for (StandUse& u : stand.uses)
            if (u.active == number)
                for (std::uint32_t slot = gf_slotOf(useDaySlot) + 1; slot <= gf_slotOf(now); ++slot)
                    u.hh |= std::uint64_t{1} << slot;
        return true;
    }
};

struct StandLearning : AirportTest {
    SlotTableOps saved = g_slotTableOps;
    ModelKey klm = key("KLM", "B738");

    StandLearning() {
        g_slotTableOps = {&FakeSlotTable::update, &FakeSlotTable::slotFits};
        FakeSlotTable::calls.clear();
        FakeSlotTable::fits = true;
        addRegistration("PH-BXA", "KLM", "B738");
        addRegistration("XX-ABC", "DLH", "A320");
        gf_setClockSource(&fixedClock);
    }
    ~StandLearning() override {
        g_slotTableOps = saved;
        gf_setClockSource(nullptr);
    }
    static LiveAc aircraft(std::string registration, std::string callsign = "KLM1234") {
        AcBase base;
        base.registration = std::move(registration);
        base.callsign = std::move(callsign);
        return LiveAc(PosSample{}, std::move(base), 0.0);
    }
    void seen(std::uint32_t day, std::uint32_t slot, LiveAc& a, int mode, std::int32_t standId = 1) {
        g_daySlot = gf_packDaySlot(day, slot);
        lf_addRealStandOption(standId, a, mode);
    }
};
}  // namespace

TEST_F(StandLearning, OnlyKnownRegistrationsOnKnownStandsAreLearned) {
    setStands({standAt("A1", 0, 0, 20)});
    LiveAc unknown = aircraft("PH-ZZZ");
    seen(2, 20, unknown, 2);
    LiveAc blank = aircraft("");
    seen(2, 20, blank, 2);
    LiveAc lost = aircraft("PH-BXA");
    seen(2, 20, lost, 2, 0);
    seen(2, 20, lost, 2, 7);
    EXPECT_TRUE(FakeSlotTable::calls.empty());
    EXPECT_EQ(lost.modelKey, klm) << "the registration's key is taken even so";

    LiveAc ghost = aircraft("XX-ABC_", "DLH4AB_");
    seen(2, 20, ghost, 1);
    EXPECT_EQ(FakeSlotTable::calls, std::vector<std::string>{"update A1 XX-ABC DLH4AB_ false"});
    EXPECT_EQ(ghost.modelKey, key("DLH", "A320"));
}

TEST_F(StandLearning, TheAirportFilesOwnUseOfTheAircraftTodayWins) {
    StandUse filed = use(klm, "PH-BXA", 2, slots(10, 12), 1, "KLM1");
    filed.fromAirportFile = 1;
    setStands({standAt("A1", 0, 0, 20, {filed})});
    LiveAc a = aircraft("PH-BXA");
    seen(2, 20, a, 2);
    EXPECT_TRUE(FakeSlotTable::calls.empty());
    // Within its half-hours, or on another day, it is learned.
    seen(2, 11, a, 2);
    seen(3, 20, a, 2);
    EXPECT_EQ(FakeSlotTable::calls.size(), 2u);
}

TEST_F(StandLearning, AUseIsAddedThenConfirmedThenExtended) {
    setStands({standAt("A1", 0, 0, 20)});
    LiveAc a = aircraft("PH-BXA");
    seen(2, 20, a, 0);
    ASSERT_EQ(g_stands[0].uses.size(), 1u);
    const StandUse& learned = g_stands[0].uses[0];
    EXPECT_EQ(learned.hh, slots(20, 20));
    EXPECT_EQ(learned.real, 1);
    EXPECT_EQ(learned.fromAirportFile, 0);
    EXPECT_EQ(learned.cpl, 0);
    // Seen again in the same half-hour: nothing new, but a landing confirms it.
    seen(2, 20, a, 3);
    EXPECT_EQ(g_stands[0].uses.size(), 1u);
    EXPECT_EQ(g_stands[0].uses[0].cpl, 1);
    EXPECT_EQ(FakeSlotTable::calls.size(), 1u);
}

TEST_F(StandLearning, ALaterHalfHourExtendsTheUseOrAddsOne) {
    setStands({standAt("A1", 0, 0, 20)});
    LiveAc a = aircraft("PH-BXA");
    seen(2, 20, a, 0);
    seen(2, 22, a, 0);
    EXPECT_EQ(FakeSlotTable::calls.back(), "fits A1 1 2:20 false");
    EXPECT_EQ(g_stands[0].uses[0].hh, slots(20, 22));
    EXPECT_EQ(g_airportFileUpdates, 2) << "the added use and the extension";
    EXPECT_EQ(g_standChangeShown.load(), 2u);

    // When the use cannot be extended, a new one is added.
    FakeSlotTable::fits = false;
    seen(2, 40, a, 0);
    EXPECT_EQ(FakeSlotTable::calls.back(), "update A1 PH-BXA KLM1234 false");
    EXPECT_EQ(g_stands[0].uses.size(), 2u);

    // A confirmed use that lacks the half-hour is not extended: a new one is added.
    setStands({standAt("A1", 0, 0, 20)});
    FakeSlotTable::calls.clear();
    FakeSlotTable::fits = true;
    seen(3, 20, a, 2);
    EXPECT_EQ(g_stands[0].uses[0].cpl, 1);
    seen(3, 21, a, 0);
    EXPECT_EQ(FakeSlotTable::calls,
              (std::vector<std::string>{"update A1 PH-BXA KLM1234 true", "update A1 PH-BXA KLM1234 false"}));
}

TEST_F(StandLearning, WhatIsLearnedIsSavedAndReadBack) {
    setAirports({airport("EHAM", 52.3086, 4.7639, 2)});
    g_parkAirport = g_airports[0];
    fs::create_directories(g_myThirdpartyFolder);
    const std::string located = lf_pathText(g_myThirdpartyFolder / "EHAM.xml");
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> parameters;
        fs::path learned;
    } cases[] = {
        {"by its publisher",
         {{"airport_name", "Schiphol"}, {"publisher", " Some/Maker "}, {"altitude", "-11"}},
         g_learnedThirdpartyFolder / "Some Maker" / "EHAM.xml"},
        {"generated from scenery of no known publisher: by its add-on's folder",
         {{"airport_name", "Schiphol"}, {"publisher", ""}, {"altitude", "-11"},
          {"BGLpath", "D:\\Addon Scenery\\My Field EHAM\\scenery\\EHAM_AP.bgl"}},
         g_learnedThirdpartyFolder / "My Field EHAM" / "EHAM.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(g_learnedFolder);
        gf_clearStands();
        g_parkAirportInfo = ParkAirportInfo{};
        writeFile(located, standFileXml(c.parameters, parkposXml("A1", 0, 0, 20, "",
                                                                 R"(<opt reg="PH-BXB" day="2" hh="3:5" cs="KLM9"/>)") +
                                                          parkposXml("A2", 0, 100, 20) + parkposXml("A3", 0, 200, 20)));
        ASSERT_EQ(gf_readApf(located, g_parkAirportInfo), "");
        EXPECT_EQ(lf_pathText(g_learnedFilePath), lf_pathText(c.learned));

        LiveAc a = aircraft("PH-BXA", "KLM1234");
        seen(2, 20, a, 0, 1);
        seen(2, 21, a, 3, 1);
        LiveAc b = aircraft("XX-ABC", "DLH4AB");
        seen(5, 47, b, 1, 2);
        const AcBase wide = [] {
            AcBase w;
            w.radiusNm = 23.0 / 1852.0;
            return w;
        }();
        ASSERT_NE(gf_findStandNear(pointAt(0, 205), wide, 20.0 / 1852.0, false), nullptr);
        EXPECT_EQ(g_airportFileUpdates, 4);

        gf_saveAirportFile();
        EXPECT_TRUE(logged("13:04:09 '" + lf_pathText(c.learned) + "' saved with 4 updates"));
        EXPECT_EQ(g_airportFileUpdates, 0);
        // The airport file's own uses left the table; the learned ones stay.
        ASSERT_EQ(g_stands[0].uses.size(), 1u);

        gf_clearStands();
        g_parkAirportInfo = ParkAirportInfo{};
        ASSERT_EQ(gf_readApf(located, g_parkAirportInfo), "");
        EXPECT_TRUE(logged("Read from learned airport file: '" + lf_pathText(c.learned) + "'"));
        ASSERT_EQ(g_stands.size(), 3u);
        const std::vector<StandUse>& a1 = g_stands[0].uses;
        ASSERT_EQ(a1.size(), 2u);
        EXPECT_EQ(a1[0].reg, "PH-BXB");
        EXPECT_EQ(a1[1].reg, "PH-BXA");
        EXPECT_EQ(a1[1].hh, slots(20, 21));
        EXPECT_EQ(a1[1].day, 2u);
        EXPECT_EQ(a1[1].cpl, 1);
        EXPECT_EQ(a1[1].callsign, "KLM1234");
        EXPECT_EQ(a1[1].key, klm);
        EXPECT_EQ(a1[1].fromAirportFile, 0);
        EXPECT_EQ(a1[1].active, 2);
        ASSERT_EQ(g_stands[1].uses.size(), 1u);
        EXPECT_EQ(g_stands[1].uses[0].key, key("DLH", "A320"));
        EXPECT_EQ(g_stands[1].uses[0].hh, slots(47, 47));
        EXPECT_EQ(g_stands[2].radiusChanged, 1);
        EXPECT_DOUBLE_EQ(g_stands[2].radius, 22.0 / 1852.0);
        EXPECT_EQ(g_qualityFactors.real, 42) << "0.3 x ((40 + 10000 + 100 + 10) + (20 + 10000 + 100 + 2)) / 0.9";
    }
}

TEST_F(StandLearning, ALearnedFileNotReadWholeIsNeverWrittenOver) {
    setAirports({airport("EHAM", 52.3086, 4.7639, 2)});
    g_parkAirport = g_airports[0];
    fs::create_directories(g_myThirdpartyFolder);
    const std::string located = lf_pathText(g_myThirdpartyFolder / "EHAM.xml");
    writeFile(located, standFileXml({{"airport_name", "Schiphol"}, {"publisher", "Some Maker"}, {"altitude", "-11"}},
                                    parkposXml("A1", 0, 0, 20) + parkposXml("A2", 0, 100, 20)));
    const fs::path learned = g_learnedThirdpartyFolder / "Some Maker" / "EHAM.xml";
    const fs::path aside = g_learnedThirdpartyFolder / "Some Maker" / "EHAM0.xml";
    const std::vector<std::pair<std::string, std::string>> handmade = {{"airport_name", "Schiphol"},
                                                                       {"handmade", "true"}};
    const std::string opt = R"(<opt reg="PH-BXA" day="1" hh="4" />)";
    struct Case {
        const char* name;
        std::string xml;
        std::string error;
    } cases[] = {
        {"a handmade file with a stand twice",
         standFileXml(handmade, parkposXml("H1", 0, 0, 30, "", opt) + parkposXml("H2", 0, 100, 30) +
                                    parkposXml("H1", 0, 200, 30) + parkposXml("H3", 0, 300, 30) +
                                    parkposXml("H4", 0, 400, 30)),
         "94: Stand 'H1' appears more than once."},
        {"a handmade file with a stand without id",
         standFileXml(handmade, parkposXml("H1", 0, 0, 30) + R"(<parkpos latitude="52.3" longitude="4.7"/>)" +
                                    parkposXml("H3", 0, 300, 30)),
         "93: Parking position #2 has no 'id' attribute."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gf_resetStatusLine();
        fs::remove_all(g_learnedFolder);
        fs::create_directories(learned.parent_path());
        writeFile(learned, c.xml);
        gf_clearStands();
        g_parkAirportInfo = ParkAirportInfo{};
        ASSERT_EQ(gf_readApf(located, g_parkAirportInfo), "");
        EXPECT_TRUE(logged("==> " + lf_pathText(learned) + " found, but could not be loaded, saved as *.0.xml: " +
                           c.error));
        LiveAc a = aircraft("PH-BXA", "KLM1234");
        seen(2, 20, a, 0, 1);
        ASSERT_GE(g_airportFileUpdates, 1);

        gf_saveAirportFile();
        EXPECT_EQ(testing_support::readFile(learned), c.xml) << "the user's file stays as it is";
        EXPECT_EQ(testing_support::readFile(aside), c.xml);
        const std::string refusal =
            "learned file '" + lf_pathText(learned) + "' not saved, it could not be read whole: " + c.error;
        EXPECT_TRUE(logged("==> 13:04:09 " + refusal));
        EXPECT_EQ(gf_statusLineText(), refusal);
        EXPECT_EQ(g_airportFileUpdates, 0);
    }
    gf_resetStatusLine();

    // Mended, the file is read and saved again.
    writeFile(learned, standFileXml(handmade, parkposXml("H1", 0, 0, 30) + parkposXml("H2", 0, 100, 30)));
    gf_clearStands();
    ASSERT_EQ(gf_readApf(located, g_parkAirportInfo), "");
    g_airportFileUpdates = 1;
    gf_saveAirportFile();
    EXPECT_TRUE(logged("13:04:09 handmade '" + lf_pathText(learned) + "' saved with 1 update"));
}
