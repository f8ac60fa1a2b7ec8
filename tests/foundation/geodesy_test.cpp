#include "foundation/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Geodesy, EqualPointsAndMeridianDegree) {
    const GeoPoint p{52.3, 4.76};
    EXPECT_EQ(gf_distanceNm(p, p), 0.0);
    EXPECT_EQ(gf_bearingRad(p, p), 0.0);
    EXPECT_NEAR(gf_distanceNm(GeoPoint{10, 20}, GeoPoint{11, 20}), 60.0, 1e-9);
    EXPECT_DOUBLE_EQ(gf_distanceNm(10, 20, 11, 20), gf_distanceNm(GeoPoint{11, 20}, GeoPoint{10, 20}));
}

TEST(Geodesy, BearingsAreInZeroToTwoPi) {
    EXPECT_NEAR(gf_bearingRad(GeoPoint{0, 0}, GeoPoint{0, -1}), 4.71238898038469, 1e-12);
    EXPECT_NEAR(gf_bearingRad(GeoPoint{0, 0}, GeoPoint{1, 0}), 0.0, 1e-12);
    EXPECT_NEAR(gf_bearingRad(GeoPoint{0, 0}, GeoPoint{-1, 0}), 3.141592653589793, 1e-12);
    for (double lon = -179; lon < 180; lon += 7.3) {
        const double b = gf_bearingRad(GeoPoint{45, 10}, GeoPoint{-20, lon});
        EXPECT_GE(b, 0.0);
        EXPECT_LT(b, kTwoPi);
    }
}

TEST(Geodesy, DestinationCrossesTheAntimeridian) {
    const GeoPoint q = gf_destinationPoint(GeoPoint{0, 179.9}, kTwoPi / 4, 60 * kFeetPerNm);
    EXPECT_NEAR(q.lat, 0.0, 1e-9);
    EXPECT_NEAR(q.lon, -179.1, 1e-6);
}

TEST(Geodesy, OneNauticalMileOfFeetOnAnyBearing) {
    for (double lat = -80; lat <= 80; lat += 20)
        for (double bearing = 0; bearing < kTwoPi; bearing += 0.7) {
            const GeoPoint start{lat, 100.0 - lat};
            EXPECT_NEAR(gf_distanceNm(start, gf_destinationPoint(start, bearing, kFeetPerNm)), 1.0, 1e-9);
        }
}

TEST(Geodesy, AntipodesGiveHalfTheCircumferenceNotNaN) {
    const double d = gf_distanceNm(GeoPoint{0, 0}, GeoPoint{0, 180});
    EXPECT_FALSE(std::isnan(d));
    EXPECT_NEAR(d, 3.141592653589793 * kEarthRadiusNm, 1e-6);
    const double d2 = gf_distanceNm(GeoPoint{45, 30}, GeoPoint{-45, -150});
    EXPECT_FALSE(std::isnan(d2));
    EXPECT_NEAR(d2, 10800.0, 1e-6);
}
