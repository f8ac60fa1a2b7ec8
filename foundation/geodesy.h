// Distances and directions on a spherical earth whose radius is 180*60/pi
// nautical miles (one nautical mile is one arc minute).
#pragma once

struct GeoPoint {
    double lat = 0.0;  // degrees, north positive
    double lon = 0.0;  // degrees, east positive
};

inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;
inline constexpr double kEarthRadiusNm = 3437.746770784939;
inline constexpr double kEarthDiameterNm = 6875.493541569878;
inline constexpr double kRadiansPerFoot = 4.787404208238998e-8;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kFeetPerNm = 6076.11549;
inline constexpr double kMetersPerNm = 1852.0;

// Great-circle distance in nautical miles (haversine).
double gf_distanceNm(const GeoPoint& p1, const GeoPoint& p2);
double gf_distanceNm(double lat1, double lon1, double lat2, double lon2);
// Initial bearing from p1 towards p2 in radians, in [0, 2*pi), clockwise from true north.
double gf_bearingRad(const GeoPoint& p1, const GeoPoint& p2);
// The point reached from start along a bearing (radians) after a distance in feet;
// its longitude within [-180, 180].
GeoPoint gf_destinationPoint(const GeoPoint& start, double bearingRad, double distanceFeet);
