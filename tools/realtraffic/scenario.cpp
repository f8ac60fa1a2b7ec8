#include "tools/realtraffic/scenario.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace realtraffic {
namespace {

std::vector<std::string_view> splitBlanks(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        const std::size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '\t') ++at;
        if (at > start) tokens.push_back(text.substr(start, at - start));
    }
    return tokens;
}

class LineParser {
public:
    explicit LineParser(int line) : line_(line) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw StandInError(fmt::format("scenario line {}: {}", line_, what));
    }

    double number(std::string_view token, const char* what) const {
        double value = 0.0;
        const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value))
            fail(fmt::format("{} '{}' is not a number", what, token));
        return value;
    }

    double number(std::string_view token, const char* what, double low, double high) const {
        const double value = number(token, what);
        if (value < low || value > high) fail(fmt::format("{} {} is outside {} to {}", what, token, low, high));
        return value;
    }

private:
    int line_;
};

bool isCodeText(std::string_view text, std::size_t minSize, std::size_t maxSize) {
    if (text.size() < minSize || text.size() > maxSize) return false;
    for (const char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

TrackSpec parseTrackLine(const LineParser& p, int line, const std::vector<std::string_view>& t) {
    if (t.size() != 7 && t.size() != 8)
        p.fail("a track line is: track <hex id> <callsign> <type> <registration> <origin> <destination> [<category>]");
    TrackSpec track;
    track.line = line;
    const double hexId = p.number(t[1], "hex id", 10001, 4294967295.0);
    if (hexId != std::floor(hexId)) p.fail("the hex id must be a whole number");
    track.hexId = static_cast<std::uint32_t>(hexId);
    track.callsign = t[2];
    track.type = t[3];
    track.registration = t[4];
    track.origin = t[5];
    track.destination = t[6];
    if (t.size() == 8) track.category = t[7];
    // The program would drop or refuse anything else; a scenario that fails
    // quietly there is worth nothing.
    if (track.callsign != "null" && (track.callsign.size() > 8 || track.callsign.find_first_of("@,") != std::string::npos))
        p.fail(fmt::format("callsign '{}' must be at most 8 characters without '@' or ','", track.callsign));
    if (!isCodeText(track.type, 2, 4)) p.fail(fmt::format("type '{}' must be 2 to 4 letters or digits", track.type));
    if (track.registration.size() > 12 || track.registration.find(',') != std::string::npos)
        p.fail(fmt::format("registration '{}' must be at most 12 characters without ','", track.registration));
    if (track.callsign == "null" && track.registration == "null")
        p.fail("a track needs a callsign or a registration");
    for (const std::string* code : {&track.origin, &track.destination})
        if (*code != "null" && !isCodeText(*code, 3, 3))
            p.fail(fmt::format("airport code '{}' must be 3 upper-case letters or digits, or null", *code));
    return track;
}

Waypoint parseWaypoint(const LineParser& p, const std::vector<std::string_view>& t) {
    if (t.size() != 5 && t.size() != 6)
        p.fail("a waypoint line is: <time s> <lat> <lon> <altitude ft | gnd> <speed kt> [hdg=<deg>]");
    Waypoint w;
    w.time = p.number(t[0], "time", 0, 1e7);
    w.lat = p.number(t[1], "latitude", -90, 90);
    w.lon = p.number(t[2], "longitude", -180, 180);
    if (t[3] != "gnd") w.altitudeFt = p.number(t[3], "altitude", 1, 60000);
    w.speedKt = p.number(t[4], "speed", 0, 800);
    if (t.size() == 6) {
        if (t[5].substr(0, 4) != "hdg=") p.fail(fmt::format("unknown waypoint option '{}'", t[5]));
        w.headingDeg = p.number(t[5].substr(4), "heading", 0, 360);
    }
    return w;
}

StrayReport parseStray(const LineParser& p, int line, const std::vector<std::string_view>& t) {
    if (t.size() != 3) p.fail("a stray line is: stray <time s> <metres>");
    return {line, p.number(t[1], "time", 0, 1e7), p.number(t[2], "distance", 1, 10000)};
}

JumpingStretch parseJumps(const LineParser& p, int line, const std::vector<std::string_view>& t) {
    if (t.size() != 3 && t.size() != 5) p.fail("a jumps line is: jumps <from s> <for s> [<least m> <greatest m>]");
    JumpingStretch j;
    j.line = line;
    j.from = p.number(t[1], "time", 0, 1e7);
    j.seconds = p.number(t[2], "duration", 1, 1e7);
    if (t.size() == 5) {
        j.minM = p.number(t[3], "least distance", 1, 10000);
        j.maxM = p.number(t[4], "greatest distance", 1, 10000);
        if (j.minM > j.maxM) p.fail(fmt::format("the least distance {} exceeds the greatest {}", t[3], t[4]));
    }
    return j;
}

DwellingStretch parseDwells(const LineParser& p, int line, const std::vector<std::string_view>& t) {
    if (t.size() < 7 || t.size() % 2 == 0)
        p.fail("a dwells line is: dwells <from s> <for s> <lat> <lon> <lat> <lon> [<lat> <lon> ...] "
               "(two spots or more)");
    DwellingStretch d;
    d.line = line;
    d.from = p.number(t[1], "time", 0, 1e7);
    d.seconds = p.number(t[2], "duration", 1, 1e7);
    for (std::size_t k = 3; k + 1 < t.size(); k += 2) {
        const Spot spot{p.number(t[k], "latitude", -90, 90), p.number(t[k + 1], "longitude", -180, 180)};
        for (const Spot& other : d.spots)
            if (other.lat == spot.lat && other.lon == spot.lon)
                p.fail(fmt::format("the spot {} {} is named twice", t[k], t[k + 1]));
        d.spots.push_back(spot);
    }
    return d;
}

ReportPause parsePause(const LineParser& p, int line, const std::vector<std::string_view>& t) {
    if (t.size() != 3) p.fail("a pause line is: pause <from s> <for s>");
    return {line, p.number(t[1], "time", 0, 1e7), p.number(t[2], "duration", 1, 1e7)};
}

// A stretch of a track's reports that a real feed makes its own way: none
// may overlap another, and a stray is not lost in one.
struct FaultSpan {
    int line = 0;
    const char* kind = "";  // "jumping stretch", "dwelling stretch", "pause"
    double from = 0.0, to = 0.0;
};

// The feed's faults lie after the reports that bring the aircraft in and
// within the track, a jumping or dwelling stretch or a pause overlaps no
// other, and a stray is not lost in a stretch.
void checkFaultTimes(TrackSpec& track) {
    const double settled = track.waypoints.front().time + kRealFeedSettleSeconds;
    const double end = track.waypoints.back().time;
    const auto check = [&](int line, const std::string& what, double from, double to) {
        const LineParser p(line);
        if (from < settled)
            p.fail(fmt::format("{} within the track's first {:g} s (to {} s), which go out as from a good feed", what,
                               kRealFeedSettleSeconds, settled));
        if (to > end) p.fail(fmt::format("{} past the track's last waypoint at {} s", what, end));
    };
    const auto byTime = [](const auto& a, const auto& b) { return a.from < b.from; };
    std::stable_sort(track.strays.begin(), track.strays.end(),
                     [](const StrayReport& a, const StrayReport& b) { return a.time < b.time; });
    std::stable_sort(track.jumps.begin(), track.jumps.end(), byTime);
    std::stable_sort(track.dwells.begin(), track.dwells.end(), byTime);
    std::stable_sort(track.pauses.begin(), track.pauses.end(), byTime);
    std::vector<FaultSpan> spans;
    for (const JumpingStretch& j : track.jumps)
        spans.push_back({j.line, "jumping stretch", j.from, j.from + j.seconds});
    for (const DwellingStretch& d : track.dwells)
        spans.push_back({d.line, "dwelling stretch", d.from, d.from + d.seconds});
    for (const ReportPause& q : track.pauses) spans.push_back({q.line, "pause", q.from, q.from + q.seconds});
    std::stable_sort(spans.begin(), spans.end(), byTime);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const FaultSpan& f = spans[i];
        check(f.line, fmt::format("the {} from {} s to {} s lies", f.kind, f.from, f.to), f.from, f.to);
        if (i == 0 || f.from >= spans[i - 1].to) continue;
        const FaultSpan& before = spans[i - 1];
        const std::string other =
            std::string_view(before.kind) == f.kind ? "the one" : fmt::format("the {}", before.kind);
        LineParser(f.line).fail(
            fmt::format("the {} from {} s overlaps {} from {} s", f.kind, f.from, other, before.from));
    }
    for (const StrayReport& s : track.strays) {
        check(s.line, fmt::format("the stray at {} s lies", s.time), s.time, s.time);
        for (const FaultSpan& f : spans)
            if (std::string_view(f.kind) != "pause" && s.time >= f.from && s.time <= f.to)
                LineParser(s.line).fail(
                    fmt::format("the stray at {} s lies in the {} from {} s", s.time, f.kind, f.from));
    }
}

}  // namespace

Scenario parseScenario(std::string_view text) {
    Scenario scenario;
    std::optional<TrackSpec> track;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto tokens = splitBlanks(line);
        if (tokens.empty() || tokens[0].front() == '#') continue;
        const LineParser p(lineNumber);
        if (track) {
            if (tokens[0] == "end") {
                if (tokens.size() != 1) p.fail("'end' stands alone");
                if (track->waypoints.size() < 2) p.fail("a track needs at least two waypoints");
                checkFaultTimes(*track);
                scenario.tracks.push_back(std::move(*track));
                track.reset();
                continue;
            }
            if (tokens[0] == "stray") {
                track->strays.push_back(parseStray(p, lineNumber, tokens));
                continue;
            }
            if (tokens[0] == "jumps") {
                track->jumps.push_back(parseJumps(p, lineNumber, tokens));
                continue;
            }
            if (tokens[0] == "dwells") {
                track->dwells.push_back(parseDwells(p, lineNumber, tokens));
                continue;
            }
            if (tokens[0] == "pause") {
                track->pauses.push_back(parsePause(p, lineNumber, tokens));
                continue;
            }
            Waypoint w = parseWaypoint(p, tokens);
            if (!track->waypoints.empty() && w.time <= track->waypoints.back().time)
                p.fail("waypoint times must rise");
            track->waypoints.push_back(w);
        } else if (tokens[0] == "track") {
            track = parseTrackLine(p, lineNumber, tokens);
        } else if (tokens[0] == "field") {
            if (tokens.size() != 3 || !isCodeText(tokens[1], 4, 4))
                p.fail("a field line is: field <ICAO code> <elevation ft>");
            scenario.fieldCode = tokens[1];
            scenario.fieldElevationFt = p.number(tokens[2], "elevation", -1500, 15000);
        } else if (tokens[0] == "qnh") {
            if (tokens.size() != 3) p.fail("a qnh line is: qnh <offset s> <hPa or inHg x 100>");
            const double offset = p.number(tokens[1], "offset", 0, 1e7);
            if (!scenario.qnh.empty() && offset <= scenario.qnh.back().offset) p.fail("qnh offsets must rise");
            p.number(tokens[2], "QNH");
            scenario.qnh.push_back({offset, std::string(tokens[2])});
        } else {
            // "<offset> <datagram>": the datagram is the rest of the line, blanks included.
            const double offset = p.number(tokens[0], "offset (or keyword)", 0, 1e7);
            if (tokens.size() < 2) p.fail("a datagram line is: <offset s> <datagram>");
            const std::size_t start = static_cast<std::size_t>(tokens[1].data() - line.data());
            scenario.raw.push_back({lineNumber, offset, std::string(line.substr(start))});
        }
    }
    if (track) throw StandInError(fmt::format("scenario line {}: track without 'end'", track->line));
    return scenario;
}

Scenario loadScenario(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw StandInError(fmt::format("cannot read the scenario {}", path.string()));
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return parseScenario(text.str());
    } catch (const StandInError& e) {
        throw StandInError(fmt::format("{}: {}", path.string(), e.what()));
    }
}

}  // namespace realtraffic
