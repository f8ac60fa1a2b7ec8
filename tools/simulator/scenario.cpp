#include "tools/simulator/scenario.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "foundation/text_convert.h"

namespace simulator {

namespace {

const char* const kDefaultFlightFile = "C:\\Users\\Pilot\\Documents\\Prepar3D v5 Files\\Stand-in flight.fxml";

struct Statement {
    std::string key;
    std::vector<std::string> args;
    std::string where;             // "file:line" or "--key"
    std::filesystem::path folder;  // the folder of the file it came from, for nested scenarios
};

[[noreturn]] void fail(const Statement& s, const std::string& text) {
    throw ScenarioError(fmt::format("{}: {}", s.where, text));
}

void needArgs(const Statement& s, std::size_t min, std::size_t max) {
    if (s.args.size() < min || s.args.size() > max)
        fail(s, min == max ? fmt::format("'{}' takes {} value{}", s.key, min, min == 1 ? "" : "s")
                           : fmt::format("'{}' takes {} to {} values", s.key, min, max));
}

double number(const Statement& s, const std::string& text, const char* what) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        fail(s, fmt::format("{} '{}' is not a number", what, text));
    return value;
}

std::uint64_t whole(const Statement& s, const std::string& text, const char* what, std::uint64_t max) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    int base = 10;
    const char* begin = text.data();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    const auto [ptr, ec] = std::from_chars(begin, end, value, base);
    if (ec != std::errc() || ptr != end || value > max)
        fail(s, fmt::format("{} '{}' is not a whole number up to {}", what, text, max));
    return value;
}

bool onOff(const Statement& s, const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "on" || lower == "yes" || lower == "true" || lower == "1") return true;
    if (lower == "off" || lower == "no" || lower == "false" || lower == "0") return false;
    fail(s, fmt::format("'{}' is neither on nor off", text));
}

std::string joined(const std::vector<std::string>& args, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (i > from) text += ' ';
        text += args[i];
    }
    return text;
}

std::array<std::uint32_t, 4> version(const Statement& s, const std::string& text) {
    std::array<std::uint32_t, 4> parts{};
    std::size_t part = 0;
    std::string piece;
    std::istringstream in(text);
    while (std::getline(in, piece, '.')) {
        if (part == 4) fail(s, fmt::format("version '{}' has more than four parts", text));
        parts[part++] = static_cast<std::uint32_t>(whole(s, piece, "version part", 0xFFFFFFFFu));
    }
    if (part == 0) fail(s, "empty version");
    return parts;
}

std::int64_t zuluTime(const Statement& s, const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char z = 0;
    const int read =
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &z);
    if (read < 6 || (read == 7 && z != 'Z') || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
        minute > 59 || second > 59)
        fail(s, fmt::format("'{}' is not a UTC time like 2025-07-01T12:00:00Z", text));
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

// [TIME] LAT LON ALT [ground|air] [HEADING] from args[from].
UserWaypoint waypoint(const Statement& s, std::size_t from, bool timed) {
    const std::size_t fixed = timed ? 4 : 3;
    if (s.args.size() < from + fixed || s.args.size() > from + fixed + 2)
        fail(s, fmt::format("'{}' takes {}latitude, longitude, altitude in feet, then optionally ground|air and a "
                            "heading in degrees",
                            s.key, timed ? "a time, " : ""));
    UserWaypoint w;
    std::size_t i = from;
    if (timed) w.time = number(s, s.args[i++], "time");
    w.latitude = number(s, s.args[i++], "latitude");
    w.longitude = number(s, s.args[i++], "longitude");
    w.altitudeFt = number(s, s.args[i++], "altitude");
    if (std::abs(w.latitude) > 90 || std::abs(w.longitude) > 180) fail(s, "the position is not on the earth");
    w.onGround = false;
    if (i < s.args.size()) {
        if (s.args[i] == "ground")
            w.onGround = true;
        else if (s.args[i] != "air")
            fail(s, fmt::format("'{}' is neither ground nor air", s.args[i]));
        ++i;
    }
    if (i < s.args.size()) w.headingDeg = number(s, s.args[i], "heading");
    return w;
}

ScriptAction action(const Statement& s) {
    if (s.args.size() < 2) fail(s, "'at' takes a time and an action");
    ScriptAction a;
    a.at = number(s, s.args[0], "time");
    if (a.at < 0) fail(s, "the time of an action cannot be negative");
    const std::string& what = s.args[1];
    const auto onOffArg = [&] {
        if (s.args.size() != 3) fail(s, fmt::format("'at {}' takes on or off", what));
        return onOff(s, s.args[2]);
    };
    const auto noArg = [&] {
        if (s.args.size() != 2) fail(s, fmt::format("'at {}' takes no value", what));
    };
    if (what == "sim") {
        a.kind = ActionKind::Sim;
        a.on = onOffArg();
    } else if (what == "pause") {
        a.kind = ActionKind::Pause;
        a.on = onOffArg();
    } else if (what == "frames") {
        a.kind = ActionKind::Frames;
        a.on = onOffArg();
    } else if (what == "jump" || what == "reposition") {
        a.kind = what == "jump" ? ActionKind::Jump : ActionKind::Reposition;
        a.waypoint = waypoint(s, 2, false);
    } else if (what == "flight-loaded") {
        a.kind = ActionKind::FlightLoaded;
        a.text = s.args.size() > 2 ? joined(s.args, 2) : kDefaultFlightFile;
    } else if (what == "quit") {
        a.kind = ActionKind::Quit;
        noArg();
    } else if (what == "drop") {
        a.kind = ActionKind::Drop;
        noArg();
    } else if (what == "dump") {
        a.kind = ActionKind::Dump;
        noArg();
    } else if (what == "refuse-titles") {
        a.kind = ActionKind::RefuseTitles;
        a.on = onOffArg();
    } else if (what == "spawn") {
        if (s.args.size() < 6) fail(s, "'at spawn' takes a tail number, latitude, longitude, altitude and a title");
        a.kind = ActionKind::Spawn;
        a.text = s.args[2];
        Statement position = s;
        position.args.assign(s.args.begin() + 3, s.args.begin() + 6);
        a.waypoint = waypoint(position, 0, false);
        a.title = s.args.size() > 6 ? joined(s.args, 6) : "Stand-in traffic";
    } else if (what == "despawn") {
        if (s.args.size() != 3) fail(s, "'at despawn' takes a tail number");
        a.kind = ActionKind::Despawn;
        a.text = s.args[2];
    } else {
        fail(s, fmt::format("unknown action '{}'", what));
    }
    return a;
}

// One statement being applied, with the readers of its values.
struct Apply {
    CommandLine& line;
    const Statement& s;
    SimulatorConfig& c = line.config;

    std::string one() const {
        needArgs(s, 1, 1);
        return s.args[0];
    }
    std::string text() const {
        if (s.args.empty()) fail(s, fmt::format("'{}' takes a text", s.key));
        return joined(s.args, 0);
    }
    bool flag() const {
        needArgs(s, 0, 1);
        return s.args.empty() || onOff(s, s.args[0]);
    }
    bool onOffValue() const { return onOff(s, one()); }
    double number(const char* what) const { return simulator::number(s, one(), what); }
    std::uint64_t whole(const char* what, std::uint64_t max) const { return simulator::whole(s, one(), what, max); }
    std::uint32_t id(const char* what, std::uint32_t max) const { return static_cast<std::uint32_t>(whole(what, max)); }
    std::uint16_t port() const { return static_cast<std::uint16_t>(whole("port", 65535)); }
    std::filesystem::path path() const { return gf_utf8Path(one()); }
};

void applyScenarioFile(Apply& x) {
    const std::filesystem::path file = x.path();
    const std::filesystem::path path = file.is_absolute() ? file : x.s.folder / file;
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(x.s, fmt::format("cannot read the scenario file {}", gf_pathToUtf8(path)));
    std::ostringstream text;
    text << in.rdbuf();
    applyScenarioText(x.c, text.str(), gf_pathToUtf8(path));
}

// The titles of a livery scan's results file (root/liveries/*, attribute t):
// what the simulator has installed.
void applyInstalledTitles(Apply& x) {
    const std::filesystem::path file = x.path();
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        fail(x.s, fmt::format("cannot read the liveries file {}", gf_pathToUtf8(file)));
    std::set<std::string> titles;
    for (const pugi::xml_node livery : document.child("root").child("liveries").children()) {
        const std::string title = livery.attribute("t").value();
        if (!title.empty()) titles.insert(foldedTitle(title));
    }
    if (titles.empty()) fail(x.s, fmt::format("the liveries file {} lists no title", gf_pathToUtf8(file)));
    x.c.installedTitles = std::move(titles);
}

void applySimulator(Apply& x) {
    const std::string which = x.one();
    if (which == "v5") {
        x.c.simName = "Lockheed Martin Prepar3D v5";
        x.c.simVersion = {5, 4, 9, 28482};
        x.c.simConnectVersion = {5, 4, 0, 0};
    } else if (which == "v6") {
        x.c.simName = "Lockheed Martin Prepar3D v6";
        x.c.simVersion = {6, 0, 34, 31011};
        x.c.simConnectVersion = {6, 0, 0, 0};
    } else {
        fail(x.s, fmt::format("'{}' is neither v5 nor v6 (use sim-name and sim-version for others)", which));
    }
}

void applyReference(Apply& x) {
    const std::filesystem::path file = x.path();
    std::ifstream in(file, std::ios::binary);
    if (!in) fail(x.s, fmt::format("cannot read the reference file {}", gf_pathToUtf8(file)));
    std::ostringstream text;
    text << in.rdbuf();
    try {
        auto points = readReferenceText(text.str());
        x.c.referencePoints.insert(x.c.referencePoints.end(), points.begin(), points.end());
    } catch (const std::runtime_error& e) {
        fail(x.s, e.what());
    }
}

void applyStands(Apply& x) {
    try {
        x.c.stands = readStandFile(x.path());
    } catch (const std::runtime_error& e) {
        fail(x.s, e.what());
    }
}

void applyOutputFolder(Apply& x) {
    const std::filesystem::path dir = x.path();
    x.c.recordFile = dir / "simulator-record.jsonl";
    x.c.worldFile = dir / "simulator-world.json";
    x.c.mapFile = dir / "simulator-map.svg";
    x.c.dumpTrigger = dir / "simulator-dump.request";
    x.c.summaryFile = dir / "simulator-summary.txt";
    x.c.groundMapFile = dir / "simulator-ground-map.svg";
    x.c.standReportFile = dir / "simulator-stands.txt";
}

using KeyAction = void (*)(Apply&);

// Every key, as README.md lists them.
const std::map<std::string_view, KeyAction>& keyActions() {
    static const std::map<std::string_view, KeyAction> keys = {
        {"help", [](Apply& x) { x.line.help = true; }},
        {"scenario", applyScenarioFile},
        {"sim", applySimulator},
        {"sim-name", [](Apply& x) { x.c.simName = x.text(); }},
        {"sim-version", [](Apply& x) { x.c.simVersion = version(x.s, x.one()); }},
        {"simconnect-version", [](Apply& x) { x.c.simConnectVersion = version(x.s, x.one()); }},
        {"protocol-max", [](Apply& x) { x.c.protocolMax = x.id("protocol version", 1000); }},
        {"version-mismatch", [](Apply& x) { x.c.versionMismatch = x.flag(); }},
        {"tcp4", [](Apply& x) { x.c.tcp4 = x.onOffValue(); }},
        {"tcp6", [](Apply& x) { x.c.tcp6 = x.onOffValue(); }},
        {"pipe", [](Apply& x) { x.c.pipe = x.onOffValue(); }},
        {"address4", [](Apply& x) { x.c.address4 = x.one(); }},
        {"address6", [](Apply& x) { x.c.address6 = x.one(); }},
        {"port4", [](Apply& x) { x.c.port4 = x.port(); }},
        {"port6", [](Apply& x) { x.c.port6 = x.port(); }},
        {"port", [](Apply& x) { x.c.port4 = x.c.port6 = x.port(); }},
        {"pipe-name", [](Apply& x) { x.c.pipeName = x.text(); }},
        {"pipe-dir", [](Apply& x) { x.c.pipeDir = x.path(); }},
        {"pipe-mode",
         [](Apply& x) {
             const std::string mode = x.one();
             if (mode != "byte" && mode != "message") fail(x.s, "pipe-mode is byte or message");
             x.c.pipeMessageMode = mode == "message";
         }},
        {"ports-file", [](Apply& x) { x.c.portsFile = x.path(); }},
        {"clients", [](Apply& x) { x.c.clients = static_cast<int>(x.whole("client count", 1000000)); }},
        {"duration", [](Apply& x) { x.c.duration = x.number("duration"); }},
        {"frame-rate",
         [](Apply& x) {
             x.c.frameRate = x.number("frame rate");
             if (x.c.frameRate < 1 || x.c.frameRate > 1000) fail(x.s, "the frame rate must lie between 1 and 1000");
         }},
        {"speed",
         [](Apply& x) {
             x.c.speed = x.number("speed");
             if (x.c.speed <= 0 || x.c.speed > 1000) fail(x.s, "the speed must lie above 0 and up to 1000");
         }},
        {"terrain", [](Apply& x) { x.c.terrainFt = x.number("terrain elevation"); }},
        {"zulu", [](Apply& x) { x.c.zuluStart = zuluTime(x.s, x.one()); }},
        {"sim-running", [](Apply& x) { x.c.simRunning = x.onOffValue(); }},
        {"user-id",
         [](Apply& x) {
             x.c.userId = x.id("object id", 0xFFFFFFFEu);
             if (x.c.userId == 0) fail(x.s, "the user aircraft's object id cannot be 0");
         }},
        {"user-title", [](Apply& x) { x.c.userTitle = x.text(); }},
        {"user-model", [](Apply& x) { x.c.userModel = x.s.args.empty() ? std::string() : x.text(); }},
        {"user-atc-id", [](Apply& x) { x.c.userAtcId = x.text(); }},
        {"user-lights", [](Apply& x) { x.c.userLights = x.id("light mask", 0xFFFFFFFFu); }},
        {"user-at", [](Apply& x) { x.c.userPath.push_back(waypoint(x.s, 0, true)); }},
        {"ai-id-base", [](Apply& x) { x.c.aiIdBase = x.id("object id", 0xFFFF0000u); }},
        {"static-cg", [](Apply& x) { x.c.staticCgFt = x.number("height"); }},
        {"static-pitch", [](Apply& x) { x.c.staticPitchDeg = x.number("pitch"); }},
        {"max-objects", [](Apply& x) { x.c.maxObjects = x.whole("object count", 1000000); }},
        {"refuse-title", [](Apply& x) { x.c.refusedTitles.push_back(x.text()); }},
        {"helicopter-title", [](Apply& x) { x.c.helicopterTitles.push_back(x.text()); }},
        {"installed-titles", applyInstalledTitles},
        {"wine-prefix", [](Apply& x) { x.c.winePrefix = x.path(); }},
        {"at", [](Apply& x) { x.c.actions.push_back(action(x.s)); }},
        {"strict", [](Apply& x) { x.c.strict = x.flag(); }},
        {"lenient", [](Apply& x) { x.c.strict = !x.flag(); }},
        {"record", [](Apply& x) { x.c.recordFile = x.path(); }},
        {"world", [](Apply& x) { x.c.worldFile = x.path(); }},
        {"map", [](Apply& x) { x.c.mapFile = x.path(); }},
        {"dump-trigger", [](Apply& x) { x.c.dumpTrigger = x.path(); }},
        {"control", [](Apply& x) { x.c.controlFile = x.path(); }},
        {"record-bulk", [](Apply& x) { x.c.recordBulk = x.onOffValue(); }},
        {"reference", applyReference},
        {"summary", [](Apply& x) { x.c.summaryFile = x.path(); }},
        {"stands", applyStands},
        {"ground-map", [](Apply& x) { x.c.groundMapFile = x.path(); }},
        {"stand-report", [](Apply& x) { x.c.standReportFile = x.path(); }},
        {"positions", [](Apply& x) { x.c.positionsFile = x.path(); }},
        {"out", applyOutputFolder},
        {"record-frames", [](Apply& x) { x.c.recordFrames = x.onOffValue(); }},
        {"quiet", [](Apply& x) { x.c.quiet = x.flag(); }},
    };
    return keys;
}

// One statement of a scenario line or of the command line.
void applyStatement(CommandLine& line, const Statement& s) {
    const auto key = keyActions().find(s.key);
    if (key == keyActions().end()) fail(s, fmt::format("unknown key '{}'", s.key));
    Apply apply{line, s};
    key->second(apply);
}

// Splits a line at blanks; "double quotes" keep blanks; '#' starts a comment.
std::vector<std::string> tokens(const std::string& text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i == text.size() || text[i] == '#') break;
        std::string token;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            token = text.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? text.size() : close + 1;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) token += text[i++];
        }
        out.push_back(std::move(token));
    }
    return out;
}

}  // namespace

void applyScenarioText(SimulatorConfig& config, const std::string& text, const std::string& where) {
    CommandLine line;
    line.config = std::move(config);
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    const std::filesystem::path folder = gf_utf8Path(where).parent_path();
    try {
        while (std::getline(in, raw)) {
            ++number;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            std::vector<std::string> words = tokens(raw);
            if (words.empty()) continue;
            Statement s{words.front(), {words.begin() + 1, words.end()}, fmt::format("{}:{}", where, number), folder};
            if (s.key == "help") fail(s, "'help' belongs on the command line");
            applyStatement(line, s);
        }
    } catch (...) {
        config = std::move(line.config);
        throw;
    }
    config = std::move(line.config);
}

std::vector<ScriptAction> parseControlText(const std::string& text, const std::string& where) {
    std::vector<ScriptAction> actions;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::vector<std::string> words = tokens(raw);
        if (words.empty()) continue;
        words.insert(words.begin(), "0");
        actions.push_back(action(Statement{"at", std::move(words), fmt::format("{}:{}", where, number), {}}));
    }
    return actions;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::size_t i = 0;
    while (i < arguments.size()) {
        const std::string& option = arguments[i];
        if (option == "-h" || option == "/?") {
            line.help = true;
            ++i;
            continue;
        }
        if (option.size() < 3 || option.compare(0, 2, "--") != 0)
            throw ScenarioError(fmt::format("'{}' is not an option (options begin with --)", option));
        Statement s{option.substr(2), {}, option, std::filesystem::current_path()};
        for (++i; i < arguments.size() && arguments[i].compare(0, 2, "--") != 0; ++i) s.args.push_back(arguments[i]);
        applyStatement(line, s);
    }
    // AI objects must never take the user aircraft's id.
    if (line.config.aiIdBase <= line.config.userId)
        throw ScenarioError(fmt::format("ai-id-base {} must lie above the user aircraft's id {}", line.config.aiIdBase,
                                        line.config.userId));
    return line;
}

std::string usageText() {
    return R"(simulator - a stand-in Prepar3D that serves the SimConnect wire protocol

usage: simulator [--key value...] [--scenario FILE...]

Every key also works as a line "key value" in a scenario file. The main ones:
  --sim v5|v6                 the simulator to play (name and version in OPEN)
  --port4 N --port6 N         TCP ports (0: a free one; printed at start)
  --pipe-name NAME            the pipe (default Lockheed Martin Prepar3D v5\SimConnect)
  --pipe-dir DIR              native build: the folder of the pipe's Unix socket
  --frame-rate HZ --speed X   frames per second; simulator seconds per second
  --user-at T LAT LON ALT [ground|air] [HEADING]   a waypoint of the user aircraft
  --at T ACTION ...           sim on|off, pause on|off, frames on|off, refuse-titles on|off,
                              jump, reposition, flight-loaded, quit, drop, spawn, despawn, dump
  --control FILE              when FILE appears, run its actions (one a line, no time) and delete it
  --record-bulk off           leave position blocks and object data out of the record
  --refuse-title TITLE        creations of this title fail (CREATE_OBJECT_FAILED)
  --installed-titles FILE     only the titles of this LiveriesScanned.xml can be created
  --wine-prefix DIR           a client under Wine: its drive paths (C:\...) are read in DIR
  --max-objects N             more live AI objects fail (TOO_MANY_OBJECTS)
  --version-mismatch          every Open gets VERSION_MISMATCH
  --clients N --duration S    stop after N clients or S real seconds
  --out DIR                   write the record, world dump, maps, summary and stand report into DIR
  --reference FILE            replayed positions (TAIL LAT LON ALT) to compare the AI tracks with
  --stands FILE               an airport's stand file: map the ground, report the stands used
  --positions FILE            every AI object's position twice a second by this PC's clock (CSV)
  --lenient                   client faults do not make the exit code non-zero

Exit codes: 0 clean, 1 client faults (strict mode), 2 usage, 3 listening or writing failed.
See tools/simulator/README.md for every key and the scenario file format.
)";
}

}  // namespace simulator
