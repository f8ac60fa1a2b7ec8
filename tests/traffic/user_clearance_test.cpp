// Clearing the user aircraft's way on the ground and near it in the air.
#include <gtest/gtest.h>

#include "static_fixture.h"
#include "traffic/engine_jobs.h"

using namespace static_test;

namespace {
constexpr double kFeetPerNmTest = 6076.11549;

struct UserClearance : StaticTest {
    ModelKey klm = key("KLM", "B738");
    GeoPoint user = pointAt(0, 0);

    UserClearance() {
        setStands({standAt("A1", 0, 0, 20), standAt("A2", 0, 200, 20)});
        g_userHalfSpan = 17.9 / 1852.0;
    }
    // A live aircraft on the ground (active) at metres north and east of the user.
    LiveAc& groundAircraftAt(double northM, double eastM) {
        LiveAc& a = addLiveParked(g_stands[1], klm, "KLM" + std::to_string(g_liveAcs.size() + 1), "");
        a.phase = AcPhase::taxi;
        const GeoPoint p = pointAt(northM, eastM);
        a.lat = p.lat;
        a.lon = p.lon;
        return a;
    }
};
}  // namespace

TEST_F(UserClearance, OnTheGroundALiveAircraftTooCloseGoesOnePerPass) {
    setUser(user, true);
    const double reach = (17.9 + 17.9) * 1.15;  // both half spans, in metres
    LiveAc& near = groundAircraftAt(0, reach - 0.5);
    LiveAc& alsoNear = groundAircraftAt(reach - 1.0, 0);
    LiveAc& clear = groundAircraftAt(0, -(reach + 0.5));
    gf_clearUserWayGround();
    EXPECT_EQ(near.lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(alsoNear.lifeState, AcLifeState::active) << "one removal per pass";
    gf_clearUserWayGround();
    EXPECT_EQ(alsoNear.lifeState, AcLifeState::removingfromsim);
    gf_clearUserWayGround();
    EXPECT_EQ(clear.lifeState, AcLifeState::active);
}

TEST_F(UserClearance, OnTheGroundAStaticUnderTheUserGoesOnceTheUserMoves) {
    AcBase& parked = addStatic(g_stands[0], klm, "KLM1", "", "PH-BXA", 0);
    setUser(pointAt(0, 200), true);  // on A2, far from A1
    gf_clearUserWayGround();
    EXPECT_EQ(parked.lifeState, AcLifeState::active);
    // Within (its half span + the user's) x 1.1 of its stand: it goes.
    const double reach = (17.9 + 17.9) * 1.1;
    setUser(pointAt(0, reach - 0.5), true);
    gf_clearUserWayGround();
    EXPECT_EQ(parked.lifeState, AcLifeState::removingfromsim);

    // Standing still, the user does not make the statics be looked at again.
    g_staticAcs.clear();
    AcBase& second = addStatic(g_stands[0], klm, "KLM2", "", "PH-BXB", 0);
    gf_clearUserWayGround();
    EXPECT_EQ(second.lifeState, AcLifeState::active);
    setUser(pointAt(0, reach - 0.4), true);
    gf_clearUserWayGround();
    EXPECT_EQ(second.lifeState, AcLifeState::removingfromsim);
}

TEST_F(UserClearance, InTheAirAGroundAircraftStraightAheadBelowTheUserGoes) {
    struct Case {
        const char* name;
        double aboveGroundFt;
        double aheadNm;
        double offsetFt;
        bool removed;
    } cases[] = {
        {"straight ahead at 400 ft", 400.0, 0.5, 0.0, true},
        {"60 ft off the track", 400.0, 0.5, 60.0, false},
        {"45 ft off the track", 400.0, 0.5, 45.0, true},
        {"straight behind (the rule looks at the sine only)", 400.0, -0.5, 0.0, true},
        {"beyond 1 nm", 400.0, 1.05, 0.0, false},
        {"at 500 ft above the ground", 500.0, 0.5, 0.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        // At an airport 1400 ft above the sea: the height above the ground counts.
        setUser(user, false, 1400.0 + c.aboveGroundFt, c.aboveGroundFt, 0.0);
        LiveAc& ground = groundAircraftAt(c.aheadNm * 1852.0, c.offsetFt / kFeetPerNmTest * 1852.0);
        ground.groundMode = 1;
        ground.altitudeFt = 1400.0;
        ground.heading = 3.0;  // towards the user: the near-user rule leaves it alone
        gf_clearUserWayAir();
        EXPECT_EQ(ground.lifeState, c.removed ? AcLifeState::removingfromsim : AcLifeState::active);
    }
}

TEST_F(UserClearance, InTheAirAnAircraftAheadOfTheUserAtItsHeightGoes) {
    setUser(user, false, 3000.0, 1600.0, 0.0);
    LiveAc& ahead = groundAircraftAt(2.0 * 1852.0, 0.0);
    ahead.groundMode = 0;
    ahead.altitudeFt = 3200.0;
    ahead.heading = 0.0;  // flying away ahead of the user
    LiveAc& below = groundAircraftAt(1.0 * 1852.0, 0.0);
    below.groundMode = 0;
    below.altitudeFt = 1500.0;
    gf_clearUserWayAir();
    EXPECT_EQ(ahead.lifeState, AcLifeState::removingfromsim);
    EXPECT_EQ(below.lifeState, AcLifeState::active) << "1500 ft below";
}
