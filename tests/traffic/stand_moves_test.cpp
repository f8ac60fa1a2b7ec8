// Leaving and reaching a stand: the samples of a push-back and of a
// pull-out, the arrival of an aircraft that drove onto its stand, and the
// cargo learning of the stand.
#include <gtest/gtest.h>

#include "app/services/state.h"
#include "ground_fixture.h"
#include "traffic/motion_math.h"
#include "traffic/stand_moves.h"

namespace {

using ground_test::GroundTest;
using ground_test::metresBetween;
using ground_test::moved;

class StandMoves : public GroundTest {
protected:
    StandMoves() { g_tick = 30000; }
    static GeoPoint pointOf(const PosSample& sample) { return gf_samplePoint(sample); }
    static std::int32_t taxiTicks(double metres) { return gf_roundTicks(metres / kMetersPerNm / 4.0 * 360000.0); }
};

TEST_F(StandMoves, APushBackGoesStraightBackTwoAndAHalfStandRadiiThenTurnsToEitherSide) {
    LiveAc& aircraft = parkedOn(3);  // stand radius 25 m, facing north
    aircraft.samples.front().dueTick = 30000;
    lf_startPushBack(aircraft);
    ASSERT_EQ(aircraft.samples.size(), 4U);
    const double radiusM = aircraft.radiusNm * kMetersPerNm;
    const GeoPoint straightEnd = moved(standPoint(3), 180.0, 62.5);
    const PosSample& mid = aircraft.samples[1];
    const PosSample& back = aircraft.samples[2];
    const PosSample& eastEnd = aircraft.samples[3];  // the b - 90 degree side (b = 180)
    EXPECT_LT(metresBetween(pointOf(back), straightEnd), 0.01);
    EXPECT_LT(metresBetween(pointOf(mid), moved(standPoint(3), 180.0, 31.25)), 0.01);
    EXPECT_LT(metresBetween(pointOf(eastEnd), moved(straightEnd, 90.0, radiusM)), 0.01);
    EXPECT_LT(metresBetween(pointOf(aircraft.pushBackAltEnd), moved(straightEnd, 270.0, radiusM)), 0.01);
    const std::int32_t t = taxiTicks(62.5);
    EXPECT_EQ(back.dueTick, 30000 + t);
    EXPECT_EQ(mid.dueTick, 30000 + (t + 1) / 2);
    const std::int32_t endDue = 30000 + t / 2 + taxiTicks(metresBetween(pointOf(mid), pointOf(aircraft.pushBackAltEnd)));
    EXPECT_EQ(eastEnd.dueTick, endDue);
    EXPECT_EQ(aircraft.pushBackAltEnd.dueTick, endDue);
    EXPECT_EQ(aircraft.samples.front().groundSpeedKt, 4.0);
    EXPECT_EQ(back.groundSpeedKt, 4.0);
    EXPECT_EQ(back.altitudeFt, 0.0);
    EXPECT_EQ(aircraft.phase, AcPhase::pushing_back);
    EXPECT_EQ(aircraft.pushBackCountdown, 2);

    // A stand that is not in the table: the aircraft stays parked.
    g_liveAcs.clear();
    LiveAc& lost = parkedOn(3);
    lost.standId = 42;
    lost.refillState = 1;
    lf_startPushBack(lost);
    EXPECT_EQ(lost.phase, AcPhase::parked);
    EXPECT_EQ(lost.samples.size(), 1U);
    EXPECT_EQ(lost.refillState, 0);
}

// A push the stream made before the aircraft could start it (hidden in a
// pause of the feed, or borne out only by the next report): the aircraft
// goes at the pace that has it where the stream's reports put it when they
// fall due, up to the push's length and a tug's fastest (2.5 m/s).
TEST_F(StandMoves, APushTheStreamAlreadyMadeIsMadeUpAtATugsFastestAtMost) {
    struct Row {
        const char* what;
        double backM;     // the stream's report, straight back off the stand
        double dueInS;    // when it falls due
        double expectKt;  // the push's pace
    };
    const Row rows[] = {
        {"on time: the aircraft's own taxi speed", 50.0, 60.0, 4.0},
        {"late: there when the report falls due", 50.0, 22.0, 50.0 / 22.0 * 3600.0 / kMetersPerNm},
        {"later still: a tug's fastest", 60.0, 10.0, 4.86},
        {"already due: a tug's fastest", 60.0, -5.0, 4.86},
        {"a taxi beyond the push counts as far as the push goes", 300.0, 40.0, 4.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3);  // stand radius 25 m: a push of 62.5 m
        aircraft.samples.front().dueTick = 30000;
        PosSample off = aircraft.samples.front();
        const GeoPoint at = moved(standPoint(3), 180.0, row.backM);
        off.lat = at.lat;
        off.lon = at.lon;
        off.stationary = 0;
        off.dueTick = 30000 + static_cast<std::int32_t>(row.dueInS * 100.0);
        aircraft.samples.push_back(off);
        lf_startPushBack(aircraft);
        ASSERT_EQ(aircraft.samples.size(), 4U);
        const PosSample& back = aircraft.samples[2];
        EXPECT_NEAR(back.groundSpeedKt, row.expectKt, 0.01);
        EXPECT_NEAR(back.dueTick, 30000 + 62.5 / kMetersPerNm / row.expectKt * 360000.0, 1.0);
    }
}

TEST_F(StandMoves, APullOutTargetsTwoRadiiAheadOfTheStandWhateverTheHeading) {
    LiveAc& aircraft = parkedOn(3, "B738", "KLM5");
    aircraft.heading = 200.0 * kDegToRad;
    aircraft.leavingStand = 1;
    aircraft.samples.push_back(aircraft.samples.front());
    lf_pullOut(aircraft);
    ASSERT_EQ(aircraft.samples.size(), 2U);
    const GeoPoint target = moved(standPoint(3), 0.0, 2.0 * aircraft.radiusNm * kMetersPerNm);
    EXPECT_LT(metresBetween(pointOf(aircraft.samples[1]), target), 0.01);
    EXPECT_EQ(aircraft.samples[1].dueTick, 30000 + taxiTicks(metresBetween(standPoint(3), target)));
    EXPECT_EQ(aircraft.samples[1].stationary, 0);
    EXPECT_EQ(aircraft.phase, AcPhase::taxi);
    EXPECT_EQ(aircraft.leavingStand, 0);
    EXPECT_EQ(aircraft.lastThrottle, 0U);
    EXPECT_EQ(aircraft.lastFlaps, 1U);
    EXPECT_TRUE(log.contains("S3      : KLM5     pulling out"));
}

TEST_F(StandMoves, AnArrivalParksWithinTwoMetresOfItsStandAndOnlyOnAFreeOne) {
    enum Outcome { parks, taxies, removed };
    struct Case {
        const char* name;
        double metres;
        bool heldByAnother;
        Outcome outcome;
    };
    const Case cases[] = {
        {"1.5 m from the stand", 1.5, false, parks},
        {"2.5 m from the stand", 2.5, false, taxies},
        {"on a stand another aircraft holds", 0.0, true, removed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        standOptions.clear();
        g_replaceCheckIds.clear();
        stand(5).occupied = c.heldByAnother ? 1 : 0;
        LiveAc& aircraft = parkedOn(5, "B738", "KLM8");
        aircraft.phase = AcPhase::parking;
        const GeoPoint at = moved(standPoint(5), 180.0, c.metres);
        aircraft.lat = at.lat;
        aircraft.lon = at.lon;
        aircraft.samples.front().stationary = 0;
        aircraft.standDistMax = 0.01;
        g_daySlot = (std::uint64_t{20} << 32) | 3;
        clock100ns = 5555;
        lf_towedParks(aircraft);
        switch (c.outcome) {
            case parks:
                EXPECT_EQ(aircraft.phase, AcPhase::parked);
                EXPECT_EQ(aircraft.parkedAt, g_daySlot.load());
                EXPECT_EQ(aircraft.parkedSince, 5555);
                EXPECT_EQ(aircraft.standDistMax, 0.0);
                EXPECT_EQ(aircraft.samples.front().stationary, 1);
                EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{5, 0}}));
                EXPECT_EQ(g_replaceCheckIds.back(), aircraft.hexId);
                EXPECT_TRUE(log.contains("S5      : KLM8     arrived at stand"));
                break;
            case taxies:
                EXPECT_EQ(aircraft.phase, AcPhase::taxi);
                EXPECT_TRUE(standOptions.empty());
                break;
            case removed:
                EXPECT_EQ(aircraft.lifeState, AcLifeState::removingfromsim);
                EXPECT_EQ(aircraft.refillState, 1);
                EXPECT_EQ(stand(5).occupied, 1) << "the holder keeps its stand";
                break;
        }
    }
}

TEST_F(StandMoves, ACargoAircraftComingToRestTeachesTheStandItIsNoCargoStandOnlyOnce) {
    struct Case {
        const char* name;
        bool cargoAircraft, standCargoWhenChosen, standCargo;
        bool learns;
    };
    const Case cases[] = {
        {"cargo aircraft, the stand's flag set since it was chosen", true, false, true, true},
        {"cargo aircraft on a stand chosen as a cargo stand", true, true, true, false},
        {"passenger aircraft", false, false, true, false},
        {"cargo aircraft, no cargo stand", true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        Stand& cargoStand = stand(9);
        cargoStand.cargo = c.standCargo ? 1 : 0;
        cargoStand.cargoChanged = 0;
        const std::uint32_t updates = g_standUseUpdates.load();
        LiveAc& aircraft = parkedOn(9);
        aircraft.modelKey.cargo = c.cargoAircraft ? 1 : 0;
        aircraft.standCargo = c.standCargoWhenChosen ? 1 : 0;
        lf_placeAtStand(aircraft);
        EXPECT_EQ(cargoStand.cargo, c.standCargo && !c.learns ? 1 : 0);
        EXPECT_EQ(cargoStand.cargoChanged, c.learns ? 1 : 0);
        EXPECT_EQ(g_standUseUpdates.load(), updates + (c.learns ? 1 : 0));
    }
}

}  // namespace
