#include "traffic/aircraft_records.h"

#include <gtest/gtest.h>

#include <cmath>

#include "traffic/state.h"

TEST(AircraftRecords, NameTablesAndUnknownValues) {
    EXPECT_EQ(gf_phaseName(AcPhase::pushing_back), "pushing_back");
    EXPECT_EQ(gf_phaseName(AcPhase::birth), "birth");
    EXPECT_EQ(gf_lifeStateName(AcLifeState::removingfromsim), "removingfromsim");
    EXPECT_EQ(gf_sizeCategoryName(SizeCategory::Buzjets), "Buzjets");
    for (auto lookUp : {+[] { gf_phaseName(static_cast<AcPhase>(8)); },
                        +[] { gf_lifeStateName(static_cast<AcLifeState>(5)); },
                        +[] { gf_sizeCategoryName(static_cast<SizeCategory>(6)); }}) {
        try {
            lookUp();
            FAIL() << "an unknown value must throw";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid unordered_map<K, T> key");
        }
    }
}

TEST(AircraftRecords, AFreshLiveAircraftStartsInBirth) {
    PosSample sample;
    sample.lat = 52.3;
    AcBase base;
    base.callsign = "KLM1234";
    base.lastThrottle = 0;
    base.objectId = 77;
    const LiveAc ac(sample, std::move(base), 1700000000.5);
    EXPECT_EQ(ac.samples.size(), 1u);
    EXPECT_EQ(ac.samples.front().lat, 52.3);
    EXPECT_EQ(ac.phase, AcPhase::birth);
    EXPECT_EQ(ac.prevPhase, AcPhase::birth);
    EXPECT_EQ(ac.lifeState, AcLifeState::buffer);
    EXPECT_EQ(ac.lastThrottle, 5u);
    EXPECT_EQ(ac.lastFlaps, 4u);
    EXPECT_EQ(ac.objectId, 0u);
    EXPECT_EQ(ac.callsign, "KLM1234");
    EXPECT_EQ(ac.lastRecordTime, 1700000000.5);
    EXPECT_EQ(ac.altAboveGround, 2500.0);
    EXPECT_EQ(ac.maxAdvance, 1000);
    EXPECT_EQ(ac.rotationCounter, 1);
    EXPECT_TRUE(std::isnan(ac.curve.controlEastM));
}

TEST(AircraftRecords, PhaseChangesKeepThePreviousPhase) {
    LiveAc ac(PosSample{}, AcBase{}, 0);
    gf_setPhase(ac, AcPhase::flying);
    gf_setPhase(ac, AcPhase::flying);
    EXPECT_EQ(ac.prevPhase, AcPhase::birth);
    gf_setPhase(ac, AcPhase::taxi);
    EXPECT_EQ(ac.prevPhase, AcPhase::flying);
}

TEST(AircraftRecords, MovingAnIdentityEmptiesTheSourceStrings) {
    AcIdent source;
    source.modelKey = ModelKey{3, 0, 17, 1};
    source.origin = ShortAirportCode("AMS");
    source.callsign = "DLH4AB";
    source.registration = "D-AIUA";
    AcIdent target;
    gf_moveAcIdent(target, source);
    EXPECT_EQ(target.modelKey, (ModelKey{3, 0, 17, 1}));
    EXPECT_EQ(target.origin.text(), "AMS");
    EXPECT_EQ(target.callsign, "DLH4AB");
    EXPECT_TRUE(source.callsign.empty());
    EXPECT_TRUE(source.registration.empty());
    EXPECT_EQ(ModelKey::fromPacked(target.modelKey.packed()), target.modelKey);
}

TEST(AircraftRecords, StaticBaseTakesTheStand) {
    AcBase base;
    base.registration = "PH-BXA";
    base.objectId = 9;
    base.eraseNow = 1;
    const AcBase parked = gf_newStaticAcBase(std::move(base), 12, 52.1, 4.7, 1.5, 1);
    EXPECT_EQ(parked.registration, "PH-BXA");
    EXPECT_EQ(parked.objectId, 0u);
    EXPECT_EQ(parked.standId, 12);
    EXPECT_EQ(parked.standHeading, 1.5);
    EXPECT_EQ(parked.standCargo, 1);
    EXPECT_EQ(parked.eraseNow, 0);
    EXPECT_EQ(parked.lastThrottle, 5u);
}

TEST(AircraftRecords, ErasingMovesTheLastRecordIntoTheGap) {
    g_liveAcs.clear();
    for (std::uint32_t id : {10001u, 10002u, 10003u}) {
        AcBase base;
        base.hexId = id;
        g_liveAcs.emplace_back(PosSample{}, std::move(base), 0);
    }
    lf_eraseLiveAc(g_liveAcs.begin());
    ASSERT_EQ(g_liveAcs.size(), 2u);
    EXPECT_EQ(g_liveAcs[0].hexId, 10003u);
    EXPECT_EQ(g_liveAcs[1].hexId, 10002u);
    lf_eraseLiveAc(std::prev(g_liveAcs.end()));
    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_EQ(g_liveAcs[0].hexId, 10003u);
    g_liveAcs.clear();
}
