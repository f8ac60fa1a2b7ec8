// Parsing one RealTraffic traffic datagram (comma-separated fields) into a
// traffic record and pushing it on the adding stack.
#pragma once

#include <string_view>

#include "rtlink/traffic_feed.h"

enum class LineVerdict {
    queued,     // the record went on the adding stack
    discarded,  // valid, but traffic is not being accepted
    dropped,    // filtered out silently
    failed,     // a parse error, logged
};

// The reader's data handler: ignores ground vehicles (" VEH"), splits the
// datagram into field views and parses it.
LineVerdict lf_onTrafficData(TrafficFeed& feed, std::string_view datagram);
// Parses the field views of the current datagram; never throws.
LineVerdict processLineSub(TrafficFeed& feed, std::string_view datagram);

// True when the type code and emitter category describe an aircraft to accept.
bool gf_keepTrafficType(std::string_view typeCode, std::string_view category);
// Longer than 4 characters, or a balloon, glider, ground vehicle, tower ...
bool gf_isNonAircraftType(std::string_view typeCode);
// The true airspeed assumed when the datagram has none (-1).
double gf_defaultTrueAirspeed(double altitudeFt);
