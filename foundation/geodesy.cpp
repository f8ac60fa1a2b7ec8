#include "foundation/geodesy.h"

#include <algorithm>
#include <cmath>

double gf_distanceNm(const GeoPoint& p1, const GeoPoint& p2) {
    const double phi1 = p1.lat * kDegToRad;
    const double phi2 = p2.lat * kDegToRad;
    const double dPhi = phi2 - phi1;
    const double dLambda = (p2.lon - p1.lon) * kDegToRad;
    const double sinHalfPhi = std::sin(dPhi / 2);
    const double sinHalfLambda = std::sin(dLambda / 2);
    double a = sinHalfPhi * sinHalfPhi + std::cos(phi2) * std::cos(phi1) * sinHalfLambda * sinHalfLambda;
    // Rounding can push a just outside [0, 1] near antipodes; sqrt(1 - a) would be NaN.
    a = std::clamp(a, 0.0, 1.0);
    return std::atan2(std::sqrt(a), std::sqrt(1 - a)) * kEarthDiameterNm;
}

double gf_distanceNm(double lat1, double lon1, double lat2, double lon2) {
    return gf_distanceNm(GeoPoint{lat1, lon1}, GeoPoint{lat2, lon2});
}

double gf_bearingRad(const GeoPoint& p1, const GeoPoint& p2) {
    const double phi1 = p1.lat * kDegToRad;
    const double phi2 = p2.lat * kDegToRad;
    const double dLambda = (p2.lon - p1.lon) * kDegToRad;
    double theta = std::atan2(std::sin(dLambda) * std::cos(phi2),
                              std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
    if (theta < 0) theta += kTwoPi;
    return theta;
}

GeoPoint gf_destinationPoint(const GeoPoint& start, double bearingRad, double distanceFeet) {
    const double delta = distanceFeet * kRadiansPerFoot;
    const double phi1 = start.lat * kDegToRad;
    const double lambda1 = start.lon * kDegToRad;
    const double phi2 =
        std::asin(std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(bearingRad));
    double lambda2 = lambda1 + std::atan2(std::sin(bearingRad) * std::sin(delta) * std::cos(phi1),
                                          std::cos(delta) - std::sin(phi1) * std::sin(phi2));
    lambda2 = std::remainder(lambda2, kTwoPi);
    return GeoPoint{phi2 * kRadToDeg, lambda2 * kRadToDeg};
}
