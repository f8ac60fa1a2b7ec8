// Everything a stand-in run is told: which simulator it plays, where it
// listens, how its world starts and moves, what goes wrong on purpose, and
// where it writes what it saw. Filled from the command line and scenario
// files (scenario.h); README.md documents every key.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/simulator/reference_tracks.h"
#include "tools/simulator/stand_map.h"
#include "tools/simulator/world.h"

namespace simulator {

enum class ActionKind {
    Sim,           // a flight runs (on) or not (off): "Sim", "SimStart", "SimStop"
    Pause,         // pause on/off: "Pause", "Paused", "Unpaused"; the simulator clock stops
    Jump,          // the user aircraft is suddenly elsewhere
    Reposition,    // a jump the simulator announces with "PositionChanged"
    FlightLoaded,  // "FlightLoaded" as EVENT_FILENAME
    Quit,          // QUIT, then the connection is closed
    Drop,          // the connection is cut without a word
    Frames,        // "Frame" events on/off
    Spawn,         // the simulator's own aircraft appears ("ObjectAdded")
    Despawn,       // it disappears again ("ObjectRemoved")
    Dump,          // the world dump and map are written now
    RefuseTitles,  // on: every creation fails (CREATE_OBJECT_FAILED), as when models cannot be loaded
};

struct ScriptAction {
    double at = 0;  // stand-in seconds (they run on while paused)
    ActionKind kind = ActionKind::Dump;
    bool on = true;         // Sim, Pause, Frames, RefuseTitles
    UserWaypoint waypoint;  // Jump, Reposition, Spawn (position)
    std::string text;       // FlightLoaded file, Spawn/Despawn tail number
    std::string title;      // Spawn title
};

struct SimulatorConfig {
    // The simulator it plays.
    std::string simName = "Lockheed Martin Prepar3D v5";
    std::array<std::uint32_t, 4> simVersion{5, 4, 9, 28482};
    std::array<std::uint32_t, 4> simConnectVersion{5, 4, 0, 0};
    std::uint32_t protocolMax = 35;  // newer clients get VERSION_MISMATCH
    bool versionMismatch = false;    // every Open gets VERSION_MISMATCH

    // Where it listens.
    bool tcp4 = true, tcp6 = true, pipe = true;
    std::string address4 = "127.0.0.1", address6 = "::1";
    std::uint16_t port4 = 0, port6 = 0;  // 0: a free port, printed at start
    std::string pipeName = "Lockheed Martin Prepar3D v5\\SimConnect";
    std::filesystem::path pipeDir;  // native: the folder of the pipe's Unix socket
    bool pipeMessageMode = true;    // Windows: message-type pipe (else byte-type)
    int clients = 0;                // stop after serving this many clients (0: never)
    double duration = 0;            // stop after this many real seconds (0: never)

    // Time.
    double frameRate = 30;  // frames per real second
    double speed = 1;       // simulator seconds per real second

    // The world.
    double terrainFt = 1416;
    std::int64_t zuluStart = 1751371200;  // 2025-07-01 12:00:00 UTC
    bool simRunning = true;
    std::uint32_t userId = 1;
    std::string userTitle = "Stand-in A320 Neutral";
    std::string userModel = "A320";
    std::string userAtcId = "N320SI";
    std::uint32_t userLights = 0;
    std::vector<UserWaypoint> userPath;  // empty: standing at the default place
    std::uint32_t aiIdBase = 100;
    double staticCgFt = 9.0;
    double staticPitchDeg = 0.0;

    // Deliberate faults.
    std::size_t maxObjects = 1000;              // more live AI objects: TOO_MANY_OBJECTS
    std::vector<std::string> refusedTitles;     // CREATE_OBJECT_FAILED (compared ignoring case)
    std::vector<std::string> helicopterTitles;  // titles holding one of these are helicopters (type 3)
    // Set: only these titles are installed (foldedTitle); creations of any
    // other title get CREATE_OBJECT_FAILED.
    std::optional<std::set<std::string>> installedTitles;
    // The client's Wine prefix: its drive paths (flight plans) are read there.
    std::filesystem::path winePrefix;
    std::vector<ScriptAction> actions;          // sorted by time after loading

    // What it writes.
    bool strict = true;                 // client faults make the exit code non-zero
    std::filesystem::path recordFile;   // JSON lines of every packet and reply
    std::filesystem::path worldFile;    // the world as JSON, on request and at exit
    std::filesystem::path mapFile;      // SVG map of the tracks, with the world file
    std::filesystem::path dumpTrigger;  // when this file appears, dump and delete it
    std::filesystem::path controlFile;  // when this file appears, run its actions now and delete it
    std::filesystem::path portsFile;    // the endpoints as JSON, once listening
    std::filesystem::path summaryFile;  // per AI object: phases reached, distance from the replayed track
    std::vector<ReferencePoint> referencePoints;  // the replayed traffic to compare with
    // The stands of the airport the user is parked at (an airport's stand
    // file), for the map of the ground and the report of the AI objects' stands.
    std::vector<StandPlace> stands;
    std::filesystem::path groundMapFile;    // SVG map of the stands and the tracks on the ground
    std::filesystem::path standReportFile;  // per AI object: the stand it was created on, left, came to rest on
    std::filesystem::path positionsFile;    // every AI object's position twice a second by this PC's clock (CSV)
    bool recordFrames = true;           // EVENT_FRAME lines in the record
    bool recordBulk = true;             // position blocks in, object data out (the bulk of a busy run)
    bool quiet = false;                 // no progress lines on stdout
};

// A title as the simulator compares it: ASCII letters folded to lower case.
inline std::string foldedTitle(std::string title) {
    for (char& c : title)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return title;
}

// The default user position: standing at an airport at the terrain height.
UserWaypoint defaultUserWaypoint(const SimulatorConfig& config);

// A fresh world as the configuration describes it.
World makeWorld(const SimulatorConfig& config);

}  // namespace simulator
