#include "rtlink/traffic_datagram.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>

#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/log_text.h"
#include "refdata/code_tables.h"
#include "rtlink/state.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "traffic/state.h"

namespace {
constexpr std::size_t kFieldCount = 29;
constexpr double kPi = std::numbers::pi;

enum Field : std::size_t {
    hexIdField = 1,
    latField = 2,
    lonField = 3,
    altitudeField = 4,
    verticalSpeedField = 5,
    trackField = 7,
    groundSpeedField = 8,
    callsignField = 9,
    typeField = 10,
    registrationField = 11,
    originField = 12,
    destinationField = 13,
    timestampField = 14,
    sourceField = 17,
    tasField = 20,
    rollField = 23,
    trueHeadingField = 25,
    categoryField = 28,
};

// std::from_chars rules: a leading "-" but no blank or "+", the rest of the
// field ignored. NaN and infinity are refused as well: such a position must
// never reach the simulator.
bool parseNumber(std::string_view text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end != text.data() && std::isfinite(value);
}

double namedNumber(std::string_view text, const char* name) {
    double value = 0.0;
    if (!parseNumber(text, value)) throw std::runtime_error(fmt::format("{}:{}", name, gf_textForLog(text)));
    return value;
}

double numberOr(std::string_view text, std::string_view errorPrefix) {
    double value = 0.0;
    if (!parseNumber(text, value)) throw std::runtime_error(fmt::format("{}{}", errorPrefix, gf_textForLog(text)));
    return value;
}

std::uint32_t parseHexId(std::string_view text) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFULL) break;
        ++i;
    }
    if (i == 0 || value > 0xFFFFFFFFULL)
        throw std::runtime_error(fmt::format("hexid incorrect{}", gf_textForLog(text)));
    return static_cast<std::uint32_t>(value);
}

// "adsb_icao", also with the provider letter newer RealTraffic versions put
// in front ("X_adsb_icao").
bool isAdsbSource(std::string_view source) {
    constexpr std::string_view kAdsb = "adsb_icao";
    if (source == kAdsb) return true;
    return source.size() == kAdsb.size() + 2 && source[1] == '_' && source.substr(2) == kAdsb &&
           ((source[0] >= 'A' && source[0] <= 'Z') || (source[0] >= 'a' && source[0] <= 'z'));
}

ShortAirportCode airportCode(std::string_view text) {
    if (text == "null") return {};
    return ShortAirportCode(text);
}

// Field 4 into the sample's altitude; near the ground slow aircraft count as
// on the ground. False when AIRBORNE_ONLY drops the record.
bool lf_getFieldAltitude(const std::vector<std::string_view>& fields, std::string_view datagram,
                         const ReaderParkAirport& park, PosSample& sample) {
    double a = 0.0;
    if (!parseNumber(fields[altitudeField], a))
        throw std::runtime_error(fmt::format("altitude {} incorrect, from: {}", gf_textForLog(fields[altitudeField]),
                                             gf_textForLog(datagram)));
    const double gs = sample.groundSpeedKt;
    if (!(a > 0)) {
        a = 0;
    } else if (a < 14000) {
        const double d = a - (park.code.isSet() ? park.elevationFt : -1000.0);
        if (d <= 0 || (d <= 42 && gs <= 120) || (d <= 84 && gs <= 80) || (d <= 108 && gs <= 43)) a = 0;
    }
    if (gs <= 35 && a > 0) a = 0;
    sample.altitudeFt = a;
    if (!AIRBORNE_ONLY.value) return true;
    const double f = park.code.isSet() ? park.elevationFt : 0.0;
    return std::fabs(a - f) > 300;
}

bool lf_getFieldCallsign(std::string_view field, std::string& callsign) {
    callsign = field == "null" ? std::string() : std::string(field);
    if (callsign.find('@') != std::string::npos) {
        callsign.clear();
        return true;
    }
    return callsign != "ERARMTR1" && callsign != "AIRPORT1" && callsign != "00000000";
}

LineVerdict parse(TrafficFeed& feed, std::string_view datagram) {
    const auto& fields = feed.fields;
    // A short datagram would make us read past its end.
    if (fields.size() < kFieldCount)
        throw std::runtime_error(fmt::format("{} fields, at least {} expected", fields.size(), kFieldCount));
    StreamRecord record;
    PosSample& sample = record.sample;

    record.timestamp = namedNumber(fields[timestampField], "timestamp");
    g_trafficTime.store(record.timestamp);

    sample.lat = namedNumber(fields[latField], "lat");
    sample.lon = namedNumber(fields[lonField], "lon");
    if (sample.lat < -90 || sample.lat > 90 || sample.lon < -180 || sample.lon > 180 ||
        (std::fabs(sample.lat) <= 0.0001 && std::fabs(sample.lon) <= 0.0001))
        throw std::runtime_error(fmt::format("invalid lalo: {:.6f},{:.6f}", sample.lat, sample.lon));
    const GeoPoint position{sample.lat, sample.lon};
    if (gf_distanceNm(gf_trafficRefPos(), position) > g_rangeNm.load()) return LineVerdict::dropped;

    const std::string_view registration = fields[registrationField];
    if (registration.size() > 12) return LineVerdict::dropped;
    if (registration != "null") record.ident.registration = registration;

    const std::string_view callsignField9 = fields[callsignField];
    if (feed.collectCallsigns.load() && callsignField9 != "null" && !callsignField9.empty() &&
        callsignField9.find('@') == std::string_view::npos) {
        const std::lock_guard lock(feed.callsignMutex);
        feed.seenCallsigns.emplace(callsignField9);
    }

    if (!gf_keepTrafficType(fields[typeField], fields[categoryField])) return LineVerdict::dropped;
    record.ident.modelKey.modelId = gf_modelId(fields[typeField]);

    if (isAdsbSource(fields[sourceField])) {
        const double heading = namedNumber(fields[trueHeadingField], "trueheading");
        if (heading > 360) throw std::runtime_error(fmt::format("trueheading: {:.2f}", heading));
        if (heading == 0) {
            sample.trueHeading = 2 * kPi;
        } else if (heading > 0) {
            sample.trueHeading = heading * kPi / 180;
        }
        if (sample.trueHeading) sample.adsbHeading = 1;
    }

    record.hexId = parseHexId(fields[hexIdField]);
    if (record.hexId <= 10000) return LineVerdict::dropped;

    sample.groundSpeedKt = namedNumber(fields[groundSpeedField], "gs");
    const ReaderParkAirport park = gf_readerParkAirport();
    if (!lf_getFieldAltitude(fields, datagram, park, sample)) return LineVerdict::dropped;
    sample.airborne = sample.altitudeFt > 0 ? 1 : 0;
    if (!lf_getFieldCallsign(fields[callsignField], record.ident.callsign)) return LineVerdict::dropped;
    if (record.ident.callsign.empty() && record.ident.registration.empty()) return LineVerdict::dropped;
    // Ground traffic is taken only around the park airport.
    if (!sample.airborne && !(park.code.isSet() && gf_distanceNm(park.position, position) <= 5.0))
        return LineVerdict::dropped;

    if (!fields[trackField].empty()) sample.trackDeg = numberOr(fields[trackField], "track incorrect ");
    if (sample.trackDeg == 0.0 && sample.trueHeading) sample.trackDeg = *sample.trueHeading * 180 / kPi;

    sample.verticalSpeed = namedNumber(fields[verticalSpeedField], "vs");
    record.ident.origin = airportCode(fields[originField]);
    record.ident.destination = airportCode(fields[destinationField]);

    if (sample.airborne) {
        const double roll = namedNumber(fields[rollField], "roll");
        if (roll != -1.0 && roll != 0.0) sample.bank = -roll * kPi / 180;
    }

    sample.trueAirspeedKt = numberOr(fields[tasField], "TAS incorrect");
    if (sample.trueAirspeedKt == -1.0) sample.trueAirspeedKt = gf_defaultTrueAirspeed(sample.altitudeFt);

    sample.stationary = 0;
    sample.dueTick = g_tick.load() + 3000;

    return lf_pushOnAddingStack(std::move(record)) ? LineVerdict::queued : LineVerdict::discarded;
}
}  // namespace

bool gf_isNonAircraftType(std::string_view typeCode) {
    static const std::set<std::string_view> nonAircraft = {"BALL", "EMER", "GLID", "GRND", "GND",
                                                           "PARA", "SERV", "SHIP", "VENT", "TWR"};
    return typeCode.size() > 4 || nonAircraft.count(typeCode) != 0;
}

bool gf_keepTrafficType(std::string_view typeCode, std::string_view category) {
    if (typeCode.empty() || typeCode == "null") return false;
    for (const std::string_view dropped : {"B1", "B2", "B4", "C1", "C2"})
        if (category == dropped) return false;
    return !gf_isNonAircraftType(typeCode);
}

double gf_defaultTrueAirspeed(double altitudeFt) {
    if (altitudeFt <= 2000) return 180;
    if (altitudeFt <= 5000) return 220;
    if (altitudeFt <= 10000) return 250;
    if (altitudeFt <= 20000) return 350;
    return 430;
}

LineVerdict processLineSub(TrafficFeed& feed, std::string_view datagram) {
    try {
        return parse(feed, datagram);
    } catch (const std::exception& e) {
        // The texts quoted from the datagram are already cut; the rest of a
        // message is the program's own, but a library's may quote input too.
        feed.errorLines.log(fmt::format("exception in processLineSub: {}", gf_textForLog(e.what(), kLogErrorCharacters)));
        return LineVerdict::failed;
    }
}

LineVerdict lf_onTrafficData(TrafficFeed& feed, std::string_view datagram) {
    if (datagram.find(" VEH") != std::string_view::npos) return LineVerdict::dropped;
    feed.fields.clear();
    std::size_t start = 0;
    while (true) {
        const auto comma = datagram.find(',', start);
        if (comma == std::string_view::npos) {
            feed.fields.push_back(datagram.substr(start));
            break;
        }
        feed.fields.push_back(datagram.substr(start, comma - start));
        start = comma + 1;
    }
    return processLineSub(feed, datagram);
}
