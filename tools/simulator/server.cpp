#include "tools/simulator/server.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "foundation/text_convert.h"
#include "tools/simulator/packet_stream.h"
#include "tools/simulator/scenario.h"
#include "tools/simulator/session.h"
#include "tools/simulator/world_report.h"

namespace simulator {

namespace {

using Clock = std::chrono::steady_clock;

void say(const Simulation& sim, const std::string& text) {
    if (sim.say) sim.say(text);
}

// The run's limit in real seconds, counted from the start of serving.
struct Deadline {
    Clock::time_point start = Clock::now();
    double seconds = 0;
    bool over() const { return seconds > 0 && std::chrono::duration<double>(Clock::now() - start).count() >= seconds; }
};

// A soak run steers the stand-in with its control file: the actions run at
// the next frame of the client served; between clients only the ones that
// change the stand-in itself take effect.
void takeControlFile(Simulation& sim, bool serving) {
    std::error_code error;
    if (sim.config.controlFile.empty() || !std::filesystem::exists(sim.config.controlFile, error)) return;
    std::ifstream in(sim.config.controlFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::filesystem::remove(sim.config.controlFile, error);
    std::vector<ScriptAction> actions;
    try {
        actions = parseControlText(text.str(), gf_pathToUtf8(sim.config.controlFile));
    } catch (const ScenarioError& e) {
        say(sim, fmt::format("FAILED: control file: {}", e.what()));
        sim.controlFailed = true;
        return;
    }
    for (ScriptAction& action : actions) {
        if (serving) {
            sim.controlActions.push_back(std::move(action));
        } else if (action.kind == ActionKind::Frames) {
            sim.framesOn = action.on;
        } else if (action.kind == ActionKind::RefuseTitles) {
            sim.refuseAllTitles = action.on;
        } else if (action.kind == ActionKind::Dump) {
            sim.dumpRequested = true;
        } else {
            say(sim, "control file: no client connected; an action for the client is ignored");
        }
    }
}

// A person (or a test) asks for a dump by creating the trigger file. The
// trigger goes only once the files are written: whoever waits for it to
// vanish may read them at once.
void dumpIfAsked(Simulation& sim, bool serving) {
    takeControlFile(sim, serving);
    std::error_code error;
    const bool triggered =
        !sim.config.dumpTrigger.empty() && std::filesystem::exists(sim.config.dumpTrigger, error);
    if (!triggered && !sim.dumpRequested) return;
    sim.dumpRequested = false;
    if (!writeReports(sim)) say(sim, "the world file or the map could not be written");
    if (triggered) std::filesystem::remove(sim.config.dumpTrigger, error);
}

bool flush(Connection& connection, Session& session) {
    for (const auto& bytes : session.outbox)
        if (!connection.write(bytes)) {
            session.outbox.clear();
            return false;
        }
    session.outbox.clear();
    return true;
}

// Handles the bytes that arrived; false when the stream cannot be followed.
bool takePackets(Simulation& sim, Session& session, std::vector<std::uint8_t>& pending) {
    CutPackets cut = cutPackets(pending);
    for (const auto& packet : cut.packets) {
        receivePacket(sim, session, packet);
        if (session.dropNow) return true;
    }
    if (cut.broken) {
        streamBroken(sim, session, *cut.broken, pending);
        return false;
    }
    return true;
}

void serveClient(Simulation& sim, Connection& connection, const std::atomic<bool>& stop, const Deadline& deadline) {
    Session session = beginSession(sim, connection.peer());
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / sim.config.frameRate));
    // The dump trigger is looked for four times a second.
    const auto framesPerCheck =
        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::lround(sim.config.frameRate / 4)));
    auto nextFrame = Clock::now() + period;
    std::vector<std::uint8_t> pending;
    std::string how;
    bool graceful = true;
    while (how.empty()) {
        if (stop) {
            how = "the stand-in was stopped";
            break;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextFrame - Clock::now()).count();
        const ReadStatus status = connection.read(pending, static_cast<int>(std::max<long long>(0, wait)));
        if (!takePackets(sim, session, pending)) {
            how = "dropped: the byte stream broke";
            graceful = false;
        }
        if (status == ReadStatus::Closed && how.empty()) how = "the client closed the connection";
        if (session.dropNow) {
            how = "dropped as the scenario asks";
            graceful = false;
        }
        if (!how.empty()) break;
        if (!flush(connection, session)) {
            how = "the client is gone";
            break;
        }
        const auto now = Clock::now();
        if (now < nextFrame) continue;
        runFrame(sim, session);
        notePositions(sim.positions, sim.world,
                      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
        nextFrame += period;
        if (now - nextFrame > 5 * period) nextFrame = now + period;  // after a stall, no burst of frames
        if (session.dropNow) {
            how = "dropped as the scenario asks";
            graceful = false;
        } else if (!flush(connection, session)) {
            how = "the client is gone";
        } else if (session.closeAfterSend) {
            how = "closed after QUIT";
        } else if (deadline.over()) {
            how = "the stand-in's time is up";
        }
        if (sim.frame % framesPerCheck == 0 || sim.dumpRequested) dumpIfAsked(sim, true);
    }
    connection.close(graceful);
    endSession(sim, session, how);
}

std::string endpointText(const Endpoints& e) {
    std::string text;
    if (e.port4) text += fmt::format(" tcp4 port {}", e.port4);
    if (e.port6) text += fmt::format(" tcp6 port {}", e.port6);
    if (!e.pipe.empty()) text += fmt::format(" pipe {}", e.pipe);
    return text;
}

}  // namespace

int serve(Simulation& sim, const std::atomic<bool>& stop, const std::function<void(const Endpoints&)>& onListening) {
    std::unique_ptr<Listeners> listeners;
    try {
        listeners = std::make_unique<Listeners>(sim.config);
    } catch (const std::exception& e) {
        say(sim, fmt::format("cannot listen: {}", e.what()));
        return kExitFailure;
    }
    const Endpoints& endpoints = listeners->endpoints();
    for (const std::string& warning : endpoints.warnings) say(sim, "not listening: " + warning);
    say(sim, "listening on" + endpointText(endpoints));
    if (onListening) onListening(endpoints);

    const Deadline deadline{Clock::now(), sim.config.duration};
    int served = 0;
    bool internalError = false;
    while (!stop && !deadline.over()) {
        std::unique_ptr<Connection> connection = listeners->accept(100);
        if (!connection) {
            dumpIfAsked(sim, false);
            continue;
        }
        try {
            serveClient(sim, *connection, stop, deadline);
        } catch (const std::exception& e) {
            // A fault of the stand-in itself: the run goes on, but ends failed.
            say(sim, fmt::format("internal error while serving a client: {}", e.what()));
            internalError = true;
        }
        if (sim.config.clients > 0 && ++served >= sim.config.clients) break;
    }
    const bool written = writeReports(sim);
    if (!written) say(sim, "the world file or the map could not be written");
    say(sim, fmt::format("served {} client{}; {} fault{}", sim.clients.size(), sim.clients.size() == 1 ? "" : "s",
                         sim.faults.size(), sim.faults.size() == 1 ? "" : "s"));
    if (sim.config.strict && !sim.faults.empty()) return kExitFaults;
    return written && !internalError && !sim.controlFailed ? kExitClean : kExitFailure;
}

}  // namespace simulator
