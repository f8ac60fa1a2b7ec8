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

// The first reports of a track keep the generator's pace and fields, so the
// program takes the aircraft in as it would from a good feed; a real feed's
// faults come after them.
inline constexpr double kRealFeedSettleSeconds = 30.0;

// A real feed's faults asked for by a track (the real feed makes them; a
// clean replay ignores them). A stray: the first report at or after `time`
// lands `metres` off the true position. A jumping stretch: from `from` for
// `seconds` the reports come every few seconds, each minM to maxM off the
// true position, as a feed reports an aircraft by a maintenance area. A
// dwelling stretch: from `from` for `seconds` the reports dwell a few
// seconds at one of its spots and jump to another, without speed or track,
// as a recorded feed showed an aircraft standing by a maintenance area for
// half an hour. A pause: after the first report at or after `from` none
// comes for `seconds`, wherever the aircraft is (behind a hangar, say).
struct StrayReport {
    int line = 0;
    double time = 0.0, metres = 0.0;
};
struct JumpingStretch {
    int line = 0;
    double from = 0.0, seconds = 0.0;
    double minM = 50.0, maxM = 400.0;
};
struct Spot {
    double lat = 0.0, lon = 0.0;  // degrees
};
struct DwellingStretch {
    int line = 0;
    double from = 0.0, seconds = 0.0;
    std::vector<Spot> spots;  // two or more
};
struct ReportPause {
    int line = 0;
    double from = 0.0, seconds = 0.0;
};

// One aircraft whose datagrams the generator makes from its waypoints.
struct TrackSpec {
    int line = 0;  // where the track starts in the file, for messages
    std::uint32_t hexId = 0;
    std::string callsign, type, registration, origin, destination;  // "null" allowed but for the type
    std::string category = "A3";
    std::vector<Waypoint> waypoints;
    std::vector<StrayReport> strays;       // by time
    std::vector<JumpingStretch> jumps;     // by time; the stretches and pauses apart
    std::vector<DwellingStretch> dwells;   // by time
    std::vector<ReportPause> pauses;       // by time
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
