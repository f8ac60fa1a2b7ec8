// Turns the tracks of a scenario into traffic datagrams at RealTraffic's
// cadence, spaced so that the program keeps every one of them.
#pragma once

#include <functional>
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

// The noise-free path of one track (a copy of it): its state at any time
// between its first and last waypoint, linear between waypoints.
class TrackPath {
public:
    // fieldElevationFt: the park airport's elevation, if known.
    TrackPath(const TrackSpec& track, std::optional<double> fieldElevationFt);

    const TrackSpec& track() const { return track_; }
    std::optional<double> fieldElevationFt() const { return field_; }
    double start() const { return track_.waypoints.front().time; }
    double end() const { return track_.waypoints.back().time; }
    // The state at offset t (clamped to the first and last waypoint).
    TrackSample at(double t) const;
    // On the ground as the program's reader judges the sample.
    bool onGround(const TrackSample& sample) const;
    // The generator's pace: the time from a sample at t to the next one, long
    // enough for this sample's speed and for that of the next.
    double intervalAfter(double t) const;

private:
    TrackSpec track_;
    std::optional<double> field_;
    struct Leg {
        std::optional<double> track, heading;  // degrees; no track while standing
    };
    std::vector<Leg> legs_;
};

// The samples of one track. Throws StandInError when the waypoints ask for
// what the program would refuse (speed jumps, ground and air mixed in the
// first 30 seconds, a start just above the field, a speed that does not fit
// the distance). fieldElevationFt: the park airport's elevation, if known.
std::vector<TrackSample> sampleTrack(const TrackSpec& track, std::optional<double> fieldElevationFt);

// The whole scenario's traffic datagrams, tracks expanded, by offset.
std::vector<TimedDatagram> expandScenario(const Scenario& scenario);
// The same with each track's samples made by `samples`.
std::vector<TimedDatagram> expandScenario(const Scenario& scenario,
                                          const std::function<std::vector<TrackSample>(const TrackSpec&)>& samples);

}  // namespace realtraffic
