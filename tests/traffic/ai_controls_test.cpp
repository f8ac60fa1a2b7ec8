#include "traffic/ai_controls.h"

#include <gtest/gtest.h>

#include "foundation/random.h"
#include "simlink/sim_ids.h"
#include "traffic/motion_fixture.h"

using namespace motion_test;

using AiControls = MotionTest;

namespace {

using Sent = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

AcBase aircraftOf(SizeCategory category) {
    AcBase aircraft;
    aircraft.objectId = 77;
    aircraft.sizeCategory = category;
    return aircraft;  // lastFlaps 4, lastThrottle 5 as at creation
}

}  // namespace

// Flaps and throttle go out only when their index changes; an index past the
// table is remembered but sends nothing.
TEST_F(AiControls, FlapsAndThrottleAreSentOnlyWhenChanged) {
    AcBase ac = aircraftOf(SizeCategory::Large);
    gf_setFlaps(ac, 4);  // a new aircraft's flaps are at 4 already
    gf_setFlaps(ac, 1);
    gf_setFlaps(ac, 1);
    gf_setFlaps(ac, 4);
    gf_setFlaps(ac, 2);
    gf_setFlaps(ac, 3);
    gf_setFlaps(ac, 0);
    gf_setFlaps(ac, 7);
    gf_setFlaps(ac, 7);
    gf_setThrottle(ac, 0);  // the first one always goes: none was sent yet
    gf_setThrottle(ac, 0);
    for (std::uint32_t i = 1; i <= 4; ++i) gf_setThrottle(ac, i);
    gf_setThrottle(ac, 9);
    gf_setThrottle(ac, 4);
    sim.frame();
    const Sent expected = {{EVT_FLAPS_SET, 3072},     {EVT_FLAPS_SET, 0},        {EVT_FLAPS_SET, 10240},
                           {EVT_FLAPS_SET, 16383},    {EVT_FLAPS_SET, 0},        {EVT_THROTTLE_SET, 0},
                           {EVT_THROTTLE_SET, 4914},  {EVT_THROTTLE_SET, 8191},  {EVT_THROTTLE_SET, 11468},
                           {EVT_THROTTLE_SET, 16383}, {EVT_THROTTLE_SET, 16383}};
    EXPECT_EQ(sim.sent(), expected);
    EXPECT_EQ(ac.lastFlaps, 7u);
    EXPECT_EQ(ac.lastThrottle, 4u);
    int invalid = 0;
    for (const std::string& line : log.lines())
        if (line.find("gf_setFlaps: invalid flaps index") != std::string::npos) ++invalid;
    EXPECT_EQ(invalid, 1);
    for (const SimEventRequest& e : sim.events) EXPECT_EQ(e.objectId, 77u);
}

TEST_F(AiControls, SpoilersAndGearGoOutOnEveryCallButNotToRotorcraft) {
    AcBase plane = aircraftOf(SizeCategory::Light);
    AcBase helicopter = aircraftOf(SizeCategory::Rotorcraft);
    for (AcBase* ac : {&plane, &helicopter}) {
        gf_setSpoilers(*ac, 1);
        gf_setSpoilers(*ac, 1);
        gf_setSpoilers(*ac, 0);
        gf_setGear(*ac, 1);
        gf_setGear(*ac, 1);
        gf_setFlaps(*ac, 2);
        gf_setThrottle(*ac, 4);
        sim.frame();
        if (ac == &plane) {
            EXPECT_EQ(sim.sent(), (Sent{{EVT_SPOILERS_SET, 16383},
                                        {EVT_SPOILERS_SET, 16383},
                                        {EVT_SPOILERS_SET, 0},
                                        {EVT_GEAR_SET, 1},
                                        {EVT_GEAR_SET, 1},
                                        {EVT_FLAPS_SET, 10240},
                                        {EVT_THROTTLE_SET, 16383}}));
        } else {
            EXPECT_EQ(sim.sent(), (Sent{{EVT_THROTTLE_SET, 16383}})) << "a helicopter only gets the throttle";
            EXPECT_EQ(ac->lastFlaps, 4u);
        }
        sim.events.clear();
        sim.eventTicks.clear();
    }
}

TEST_F(AiControls, ParkedConfigurationOfAStaticAircraft) {
    struct Case {
        const char* name;
        bool navWhileParked;
        bool random;
        std::uint8_t cargoStand;
        std::uint32_t nav;
        std::uint32_t cabin;
    };
    const Case cases[] = {
        {"defaults", false, false, 0, 0, 1},
        {"nav lights while parked", true, false, 0, 1, 1},
        {"cargo stand", false, false, 1, 0, 0},
    };
    for (const Case& c : cases) {
        freshCase();
        NAV_LIGHTS_WHILE_PARKED.value = c.navWhileParked;
        RANDOM.value = c.random;
        AcBase ac = aircraftOf(SizeCategory::Heavy);
        ac.standCargo = c.cargoStand;
        lf_resetAcConfig(ac);
        sim.frame();
        const Sent expected = {{EVT_THROTTLE_SET, 0},   {EVT_FLAPS_SET, 0},           {EVT_ENGINE_AUTO_SHUTDOWN, 0},
                               {EVT_NAV_LIGHTS_SET, c.nav}, {EVT_BEACON_LIGHTS_SET, 0}, {EVT_LANDING_LIGHTS_SET, 0},
                               {EVT_TAXI_LIGHTS_SET, 0}, {EVT_STROBES_SET, 0},       {EVT_LOGO_LIGHTS_SET, 1},
                               {EVT_CABIN_LIGHTS_SET, c.cabin}};
        EXPECT_EQ(sim.sent(), expected) << c.name;
    }
}

// With RANDOM on, one parked aircraft in ten (a draw of 9 from 0..9) has
// its cabin dark.
TEST_F(AiControls, RandomCabinLightsAreDarkInOneCaseOfTen) {
    RANDOM.value = true;
    gf_seedRng(20240611);
    int dark = 0;
    const int n = 2000;
    for (int i = 0; i < n; ++i) {
        AcBase ac = aircraftOf(SizeCategory::Large);
        lf_resetAcConfig(ac);
    }
    sim.frame();
    for (const std::uint32_t cabin : sim.valuesOf(EVT_CABIN_LIGHTS_SET)) dark += cabin == 0 ? 1 : 0;
    EXPECT_GT(dark, n / 10 - 60);
    EXPECT_LT(dark, n / 10 + 60);
}
