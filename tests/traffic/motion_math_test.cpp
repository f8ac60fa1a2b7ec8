#include "traffic/motion_math.h"

#include <gtest/gtest.h>

#include "traffic/ac_texts.h"
#include "traffic/air_motion.h"
#include "traffic/motion_fixture.h"

using namespace motion_test;

TEST(MotionMath, DifferencesTakeTheShortWayRound) {
    const double lonCases[][3] = {{179.8, -179.8, 0.4}, {-179.8, 179.8, -0.4}, {170.0, -10.0, -180.0}, {0.0, 540.0, -180.0}};
    for (const auto& c : lonCases) EXPECT_NEAR(gf_lonDifference(c[0], c[1]), c[2], 1e-9) << c[0] << " -> " << c[1];
    EXPECT_NEAR(gf_normaliseRad(358.0 * kDegToRad), -2.0 * kDegToRad, 1e-12);
    EXPECT_NEAR(gf_wrapHeading(-0.1), kTwoPi - 0.1, 1e-12);
    EXPECT_EQ(gf_wrapHeading(kTwoPi), 0.0);
}

TEST(MotionMath, TickCountsRoundHalfAwayFromZeroAndMustFit) {
    EXPECT_EQ(gf_roundTicks(779.5), 780);
    EXPECT_EQ(gf_roundTicks(779.49), 779);
    EXPECT_EQ(gf_roundTicks(-2.5), -3);
    EXPECT_EQ(gf_roundTicks(2147483647.0), 2147483647);
    EXPECT_THROW(gf_roundTicks(2147483648.0), gsl::narrowing_error);
    EXPECT_THROW(gf_roundTicks(std::nan("")), gsl::narrowing_error);
    EXPECT_EQ(gf_ticksTo(100, 90), 25) << "at least 25 ticks to a sample";
    EXPECT_EQ(gf_ticksTo(100, 200), 25) << "also to one already overdue";
    EXPECT_EQ(gf_ticksTo(1000, 100), 900);
}

using MotionErrors = MotionTest;

// A sample so slow that its ticks do not fit 32 bits: the step logs the
// aircraft and throws on, so the tick job can take the aircraft out.
TEST_F(MotionErrors, ATickCountTooLargeIsLoggedAndThrownOn) {
    LiveAc& ac = addActive(SizeCategory::Large,
                           {sampleAt(52.0, 4.0, 5000, 1e-9, 0, 0), sampleAt(52.1, 4.0, 5000, 1e-9, 0, 600)});
    EXPECT_THROW(nextPosMain(ac), gsl::narrowing_error);
    EXPECT_TRUE(log.contains("==> nextPosMain: narrowing_error " + gf_acText(ac) + ", sz:2, fs:flying, st:active"));
}
