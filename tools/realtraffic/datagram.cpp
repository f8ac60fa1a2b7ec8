#include "tools/realtraffic/datagram.h"

#include <fmt/format.h>

#include <cmath>
#include <vector>

namespace realtraffic {
namespace {

// Field `index` of a datagram as [begin, end) offsets; none when it has fewer fields.
bool fieldBounds(std::string_view datagram, std::size_t index, std::size_t& begin, std::size_t& end) {
    begin = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = datagram.find(',', begin);
        if (comma == std::string_view::npos) return false;
        begin = comma + 1;
    }
    end = std::min(datagram.find(',', begin), datagram.size());
    return true;
}

std::string withField(std::string_view datagram, std::size_t index, std::string_view value) {
    std::size_t begin = 0, end = 0;
    if (!fieldBounds(datagram, index, begin, end)) return std::string(datagram);
    std::string out(datagram.substr(0, begin));
    out += value;
    out += datagram.substr(end);
    return out;
}

double wrapDegrees(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

}  // namespace

std::string trafficDatagram(const TrackSpec& track, const TrackSample& s, double timestamp) {
    const bool airborne = s.altitudeFt > 0;
    const std::vector<std::string> fields = {
        "TFC",                                          // 0 record kind
        fmt::format("{}", track.hexId),                 // 1 hex id, in decimal
        fmt::format("{:.6f}", s.lat),                   // 2
        fmt::format("{:.6f}", s.lon),                   // 3
        fmt::format("{:.0f}", s.altitudeFt),            // 4 feet
        fmt::format("{:.0f}", s.verticalSpeedFpm),      // 5 feet per minute
        airborne ? "1" : "0",                           // 6 airborne
        fmt::format("{:.1f}", s.trackDeg),              // 7
        fmt::format("{:.1f}", s.speedKt),               // 8 ground speed
        track.callsign,                                 // 9
        track.type,                                     // 10
        track.registration,                             // 11
        track.origin,                                   // 12
        track.destination,                              // 13
        fmt::format("{:.2f}", timestamp),               // 14 Unix seconds
        "rt",                                           // 15 data source
        track.callsign,                                 // 16 flight number
        "X_adsb_icao",                                  // 17 message type
        fmt::format("{:.0f}", airborne ? s.altitudeFt + 75 : 0.0),  // 18 geometric altitude
        fmt::format("{:.0f}", s.speedKt),               // 19 indicated airspeed
        fmt::format("{:.0f}", s.speedKt),               // 20 true airspeed (no wind)
        fmt::format("{:.3f}", s.speedKt / 661.47),      // 21 Mach
        "0.00",                                         // 22 track rate
        fmt::format("{:.1f}", s.rollDeg),               // 23 roll
        fmt::format("{:.1f}", wrapDegrees(s.headingDeg - 2.0)),  // 24 magnetic heading
        fmt::format("{:.1f}", s.headingDeg),            // 25 true heading
        fmt::format("{:.0f}", s.verticalSpeedFpm),      // 26 geometric vertical speed
        "2000",                                         // 27 squawk
        track.category,                                 // 28 emitter category
    };
    return fmt::format("{}", fmt::join(fields, ","));
}

std::string withTimestamp(std::string_view datagram, double unixSeconds) {
    return withField(datagram, kTimestampField, fmt::format("{:.2f}", unixSeconds));
}

std::string qnhDatagram(std::string_view fieldCode, std::string_view value) {
    return fmt::format(R"({{"ICAO":"{}","QNH":{}}})", fieldCode, value);
}

std::string primerDatagram(double unixSeconds) {
    TrackSpec primer;
    primer.hexId = 16777214;
    primer.callsign = "PRIMER1";
    primer.type = "B738";
    primer.registration = "null";
    primer.origin = "null";
    primer.destination = "null";
    TrackSample s;
    s.lat = -45.0;
    s.lon = -120.0;
    s.altitudeFt = 35000;
    s.speedKt = 450;
    s.trackDeg = s.headingDeg = 90;
    return trafficDatagram(primer, s, unixSeconds);
}

std::string malformedDatagram(std::string_view valid, std::size_t k) {
    switch (k % 3) {
    case 0: {
        std::size_t begin = 0, end = 0;
        return std::string(fieldBounds(valid, 5, begin, end) ? valid.substr(0, begin - 1) : valid.substr(0, 1));
    }
    case 1: return withField(valid, 2, "nan");
    default: return withField(valid, 1, "hexid");
    }
}

std::string oversizeDatagram() {
    std::string text = "TFC,99999999,";
    text.resize(kOversizeBytes, 'x');
    return text;
}

}  // namespace realtraffic
