#include "app/auto_radius.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/run_jobs.h"
#include "foundation/geodesy.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"

using testing_support::ShellTest;

namespace {
// A point the given distance north of the park airport.
GeoPoint northOf(const GeoPoint& airport, double nm) { return GeoPoint{airport.lat + nm / 60.0, airport.lon}; }

class AutoRadiusTest : public ShellTest {};
}  // namespace

TEST_F(AutoRadiusTest, RadiusBySituation) {
    const struct {
        const char* name;
        bool onGround;
        double altitudeFt;
        double distanceNm;
        std::int32_t radius;
    } cases[] = {
        {"on the ground, high", true, 60000, 100, 10},
        {"above AR_ABOVE_HEIGHT", false, 48001, 5, 100},
        {"at AR_ABOVE_HEIGHT", false, 48000, 5, 40},
        {"20000 ft", false, 20000, 5, 40},
        {"at AIRP_HEIGHT", false, 18000, 20, 20},
        {"7.0 nm", false, 3000, 7.0, 10},
        {"7.4 nm", false, 3000, 7.4, 8},
        {"7.5 nm", false, 3000, 7.5, 8},
        {"8.5 nm", false, 3000, 8.5, 10},
        {"8.6 nm", false, 3000, 8.6, 10},
        {"10.5 nm", false, 3000, 10.5, 12},
        {"12.6 nm", false, 3000, 12.6, 14},
        {"15 nm", false, 3000, 15.0, 16},
        {"17.2 nm", false, 3000, 17.2, 18},
        {"19 nm", false, 3000, 19.0, 20},
        {"24 nm", false, 3000, 24.0, 25},
        {"28.4 nm", false, 3000, 28.4, 30},
        {"32.5 nm", false, 3000, 32.5, 35},
        {"36.9 nm", false, 3000, 36.9, 35},
        {"37.0 nm", false, 3000, 37.0, 40},
        {"no park airport", false, 3000, kNoParkAirportNm, 40},
        {"unknown distance", false, 3000, std::numeric_limits<double>::quiet_NaN(), 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(gf_autoRadiusNm(c.onGround, c.altitudeFt, c.distanceNm), c.radius);
    }
}

TEST_F(AutoRadiusTest, SetRadiusClampsShowsAndDerivesMetres) {
    EXPECT_EQ(gf_setRadius(25), 25 * 1852);
    EXPECT_EQ(RANGE.value.load(), 25);
    EXPECT_EQ(g_rangeNm.load(), 25.0);
    EXPECT_EQ(g_rangeMeters.load(), 46300);
    EXPECT_EQ(calls(), std::vector<std::string>{"choice>= RANGE"});
    EXPECT_EQ(gf_setRadius(1), 2 * 1852);
    EXPECT_EQ(gf_setRadius(500), 100 * 1852);
    EXPECT_EQ(storedValue("RANGE"), "<no file>") << "the radius is not saved";
}

TEST_F(AutoRadiusTest, AutoRadiusReadsTheUserAndTheFirstParkAirport) {
    firstParkAirport = GeoPoint{50.0, 8.0};
    user.position = northOf(*firstParkAirport, 20.0);
    user.altitudeFt = 5000;
    EXPECT_EQ(lf_autoRadius(), 20 * 1852);
    EXPECT_EQ(RANGE.value.load(), 20);
    firstParkAirport.reset();
    EXPECT_EQ(lf_autoRadius(), 40 * 1852) << "no park airport";
}

TEST_F(AutoRadiusTest, SwitchingAutoRangeOffRestoresTheManualRadius) {
    user.onGround = true;
    RANGE.value = 25;
    AUTO_RANGE.value = true;
    gf_applyAutoRadius();
    EXPECT_EQ(RANGE.value.load(), 10);
    AUTO_RANGE.value = false;
    gf_applyAutoRadius();
    EXPECT_EQ(RANGE.value.load(), 25);
    EXPECT_EQ(g_rangeNm.load(), 25.0);
    const auto all = calls();
    EXPECT_EQ(std::count(all.begin(), all.end(), "enable RANGE 0"), 1);
    EXPECT_EQ(all.back(), "enable RANGE 1");
}

TEST_F(AutoRadiusTest, StoreTakingOverAStoredRangeSetsTheRadiusThroughTheWindow) {
    // The parameter store hands a put-back RANGE to the window's setRadius,
    // which the window passes to gf_setRadius.
    gf_backupGlobalSettings();
    RANGE.value = 65;
    gf_applyChangedParams(parametersPath());
    const auto all = calls();
    EXPECT_NE(std::find(all.begin(), all.end(), "radius 40"), all.end());
}
