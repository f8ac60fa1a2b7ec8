// Turns the tracks of a scenario into traffic datagrams at RealTraffic's
// cadence, spaced so that the program keeps every one of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/realtraffic/scenario.h"

namespace realtraffic {

// One position of a track as it goes out.
struct TrackSample {
    double offset = 0.0;  // seconds from the start of the scenario
    double lat = 0.0, lon = 0.0;
    double altitudeFt = 0.0;  // 0 on the ground
    double speedKt = 0.0;
    double trackDeg = 0.0;    // direction of travel
    double headingDeg = 0.0;  // true heading: the track (no wind) but when pushed back
    double verticalSpeedFpm = 0.0;
    double rollDeg = 0.0;
};

// A datagram and when it goes out; field 14 holds the offset until the
// replay writes the real time there.
struct TimedDatagram {
    double offset = 0.0;
    std::string text;
};

// The time to the next sample after one at this speed, on the ground or in
// the air: long enough for the program's filters of repeated positions.
double sampleInterval(double speedKt, bool onGround);

// The samples of one track. Throws StandInError when the waypoints ask for
// what the program would refuse (speed jumps, ground and air mixed in the
// first 30 seconds, a start just above the field, a speed that does not fit
// the distance). fieldElevationFt: the park airport's elevation, if known.
std::vector<TrackSample> sampleTrack(const TrackSpec& track, std::optional<double> fieldElevationFt);

// The whole scenario's traffic datagrams, tracks expanded, by offset.
std::vector<TimedDatagram> expandScenario(const Scenario& scenario);

}  // namespace realtraffic
