// A scenario for the stand-in RealTraffic: what it sends and when. The file
// format is described in tools/realtraffic/README.md.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace realtraffic {

// Everything the stand-in refuses: a scenario it cannot read, a track that
// would break the program's rules, a check of the command link that failed.
class StandInError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Waypoint {
    double time = 0.0;                 // seconds from the start of the scenario
    double lat = 0.0, lon = 0.0;       // degrees
    std::optional<double> altitudeFt;  // empty: on the ground ("gnd")
    double speedKt = 0.0;
    std::optional<double> headingDeg;  // "hdg=": the heading on the leg from here (push-back, standing)
};

// One aircraft whose datagrams the generator makes from its waypoints.
struct TrackSpec {
    int line = 0;  // where the track starts in the file, for messages
    std::uint32_t hexId = 0;
    std::string callsign, type, registration, origin, destination;  // "null" allowed but for the type
    std::string category = "A3";
    std::vector<Waypoint> waypoints;
};

// A datagram given as it is (only its timestamp field is rewritten).
struct RawDatagram {
    int line = 0;
    double offset = 0.0;
    std::string text;
};

struct QnhChange {
    double offset = 0.0;
    std::string value;  // the JSON number as written, e.g. "1008" or "1008.6"
};

struct Scenario {
    std::string fieldCode = "EHAM";                // the ICAO code put into the QNH datagrams
    std::optional<double> fieldElevationFt;        // the park airport's elevation, for the ground rules
    std::vector<QnhChange> qnh;                    // in the order of the file, offsets rising
    std::vector<TrackSpec> tracks;
    std::vector<RawDatagram> raw;
};

// Throws StandInError "scenario line {}: {}" for the first error met.
Scenario parseScenario(std::string_view text);
Scenario loadScenario(const std::filesystem::path& path);

}  // namespace realtraffic
