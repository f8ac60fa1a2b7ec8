// What happens in one frame of the stand-in: the world moves on, the
// scenario's actions run, and the replies that are due go out (the ones
// held back from packets, by-type answers, periodic data, timer events and
// the frame event itself).
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "foundation/geodesy.h"
#include "tools/simulator/byte_io.h"
#include "tools/simulator/session.h"

namespace simulator {

namespace {

void notify(Simulation& sim, Session& session, SystemEvent event, std::uint32_t data) {
    if (const auto id = subscriptionOf(session, event))
        sendReply(sim, session, eventMessage(session.version, kSystemEventGroup, *id, data));
}

void noteAction(Simulation& sim, const Session& session, const std::string& text) {
    recordNote(sim, session, "script: " + text);
}

void moveUser(World& world, UserWaypoint waypoint) {
    waypoint.time = world.simTime;
    waypoint.jump = true;
    auto& path = world.user.path;
    path.erase(std::remove_if(path.begin(), path.end(), [&](const UserWaypoint& w) { return w.time == waypoint.time; }),
               path.end());
    path.insert(std::upper_bound(path.begin(), path.end(), waypoint.time,
                                 [](double t, const UserWaypoint& w) { return t < w.time; }),
                waypoint);
    placeUser(world);
}

// Runs one action; false when the connection ends with it.
bool runAction(Simulation& sim, Session& session, const ScriptAction& action) {
    World& world = sim.world;
    switch (action.kind) {
        case ActionKind::Sim:
            world.simRunning = action.on;
            notify(sim, session, SystemEvent::Sim, action.on ? 1 : 0);
            notify(sim, session, action.on ? SystemEvent::SimStart : SystemEvent::SimStop, 0);
            noteAction(sim, session, action.on ? "the flight runs" : "no flight runs");
            break;
        case ActionKind::Pause:
            world.paused = action.on;
            notify(sim, session, SystemEvent::Pause, action.on ? 1 : 0);
            notify(sim, session, action.on ? SystemEvent::Paused : SystemEvent::Unpaused, 0);
            noteAction(sim, session, action.on ? "paused" : "unpaused");
            break;
        case ActionKind::Jump:
        case ActionKind::Reposition:
            moveUser(world, action.waypoint);
            if (action.kind == ActionKind::Reposition) notify(sim, session, SystemEvent::PositionChanged, 0);
            noteAction(sim, session,
                       fmt::format("the user aircraft {} to {:.6f}, {:.6f}",
                                   action.kind == ActionKind::Jump ? "jumps" : "is repositioned",
                                   action.waypoint.latitude, action.waypoint.longitude));
            break;
        case ActionKind::FlightLoaded:
            if (const auto id = subscriptionOf(session, SystemEvent::FlightLoaded))
                sendReply(sim, session, filenameMessage(session.version, *id, action.text));
            noteAction(sim, session, fmt::format("flight '{}' loaded", action.text));
            break;
        case ActionKind::Quit:
            sendReply(sim, session, quitMessage(session.version));
            session.closeAfterSend = true;
            noteAction(sim, session, "QUIT sent; closing the connection");
            return false;
        case ActionKind::Drop:
            session.dropNow = true;
            noteAction(sim, session, "dropping the connection");
            return false;
        case ActionKind::Frames:
            sim.framesOn = action.on;
            noteAction(sim, session, action.on ? "frame events resume" : "frame events stop");
            break;
        case ActionKind::Spawn: {
            AiObject object;
            object.title = action.title;
            object.tailNumber = action.text;
            object.state.latitude = action.waypoint.latitude;
            object.state.longitude = action.waypoint.longitude;
            object.state.altitudeFt = action.waypoint.altitudeFt;
            if (action.waypoint.headingDeg) object.state.headingRad = *action.waypoint.headingDeg * kDegToRad;
            const AiObject& added = addObject(world, std::move(object));
            if (const auto id = subscriptionOf(session, SystemEvent::ObjectAdded))
                sendReply(sim, session, addRemoveMessage(session.version, *id, added.id, added.type));
            noteAction(sim, session,
                       fmt::format("the simulator's own aircraft {} ('{}') appears", added.id, action.text));
            break;
        }
        case ActionKind::Despawn:
            if (AiObject* object = findLiveObjectByTail(world, action.text)) {
                removeObject(world, *object, "removed by the scenario");
                if (const auto id = subscriptionOf(session, SystemEvent::ObjectRemoved))
                    sendReply(sim, session, addRemoveMessage(session.version, *id, object->id, object->type));
                noteAction(sim, session, fmt::format("aircraft {} ('{}') disappears", object->id, action.text));
            }
            break;
        case ActionKind::Dump: sim.dumpRequested = true; break;
        case ActionKind::RefuseTitles:
            sim.refuseAllTitles = action.on;
            noteAction(sim, session, action.on ? "every creation fails from now on" : "creations succeed again");
            break;
    }
    return true;
}

bool runScript(Simulation& sim, Session& session) {
    const std::vector<ScriptAction> control = std::move(sim.controlActions);
    sim.controlActions.clear();
    for (const ScriptAction& action : control)
        if (!runAction(sim, session, action)) return false;
    const auto& actions = sim.config.actions;
    while (sim.nextAction < actions.size() && actions[sim.nextAction].at <= sim.world.standInTime + 1e-9) {
        const ScriptAction& action = actions[sim.nextAction++];
        if (!runAction(sim, session, action)) return false;
    }
    return true;
}

ObjectDataHeader dataHeader(bool byType, std::uint32_t requestId, std::uint32_t objectId, std::uint32_t definitionId,
                            std::uint32_t flags, const DataDefinition& definition) {
    ObjectDataHeader h;
    h.byType = byType;
    h.requestId = requestId;
    h.objectId = objectId;
    h.definitionId = definitionId;
    h.flags = flags;
    h.defineCount = static_cast<std::uint32_t>(definition.datums.size());
    return h;
}

bool typeMatches(ObjectType wanted, ObjectType type) {
    return wanted == ObjectType::All || wanted == type;
}

void answerByType(Simulation& sim, Session& session, const PendingByType& pending) {
    const World& world = sim.world;
    const DataByTypeRequest& q = pending.request;
    const auto definition = session.definitions.find(q.definitionId);
    if (definition == session.definitions.end()) return;
    const auto wanted = static_cast<ObjectType>(q.objectType);
    std::vector<ObjectRef> found;
    if (wanted == ObjectType::User || typeMatches(wanted, ObjectType::Aircraft)) found.push_back(ObjectRef{});
    if (wanted != ObjectType::User)
        for (const AiObject& object : world.objects) {
            if (!object.live() || !typeMatches(wanted, object.type)) continue;
            const double meters = gf_distanceNm(world.user.state.latitude, world.user.state.longitude,
                                                object.state.latitude, object.state.longitude) *
                                  kMetersPerNm;
            if (meters <= q.radiusMeters) found.push_back(ObjectRef{&object});
        }
    if (found.empty()) {
        ObjectDataHeader h = dataHeader(true, q.requestId, 0, q.definitionId, 0, definition->second);
        h.entry = 0;
        h.outOf = 0;
        h.defineCount = 0;
        sendReply(sim, session, objectDataMessage(session.version, h, {}, nlohmann::ordered_json::object()));
        return;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::uint32_t objectId = found[i].object ? found[i].object->id : world.user.objectId;
        ObjectDataHeader h = dataHeader(true, q.requestId, objectId, q.definitionId, 0, definition->second);
        h.entry = static_cast<std::uint32_t>(i + 1);
        h.outOf = static_cast<std::uint32_t>(found.size());
        ByteWriter block;
        nlohmann::ordered_json values;
        encodeBlock(world, found[i], definition->second, false, block, values);
        sendReply(sim, session, objectDataMessage(session.version, h, block.bytes(), std::move(values)));
    }
}

// Whether a data request has a period boundary in this frame.
bool periodTicks(const Simulation& sim, DataSubscription& d) {
    switch (static_cast<Period>(d.request.period)) {
        case Period::Once:
        case Period::VisualFrame:
        case Period::SimFrame: return true;
        case Period::Second:
            if (!d.started) {
                d.nextSecond = sim.world.standInTime + 1.0;
                return true;
            }
            if (sim.world.standInTime + 1e-9 < d.nextSecond) return false;
            while (d.nextSecond <= sim.world.standInTime + 1e-9) d.nextSecond += 1.0;
            return true;
        case Period::Never: return false;
    }
    return false;
}

// Sends the data of one request when it is due; false when the request is over.
bool serveDataRequest(Simulation& sim, Session& session, DataSubscription& d) {
    const DataRequest& q = d.request;
    if (!periodTicks(sim, d)) return true;
    d.started = true;
    const auto definition = session.definitions.find(q.definitionId);
    if (definition == session.definitions.end()) return false;
    ObjectRef ref;
    std::uint32_t objectId = sim.world.user.objectId;
    if (!isUserObject(sim.world, q.objectId)) {
        ref.object = findLiveObject(sim.world, q.objectId);
        if (ref.object == nullptr) return false;  // the object is gone: so is the request
        objectId = ref.object->id;
    }
    ++d.periods;
    const bool once = q.period == static_cast<std::uint32_t>(Period::Once);
    const bool due =
        once || (d.periods > q.origin && (d.periods - q.origin - 1) % (std::uint64_t{q.interval} + 1) == 0);
    if (due) {
        ByteWriter block;
        nlohmann::ordered_json values;
        encodeBlock(sim.world, ref, definition->second, (q.flags & kRequestFlagTagged) != 0, block, values);
        const bool unchanged = (q.flags & kRequestFlagChanged) != 0 && d.sent > 0 && block.bytes() == d.lastBlock;
        if (!unchanged) {
            ObjectDataHeader h = dataHeader(false, q.requestId, objectId, q.definitionId, q.flags, definition->second);
            sendReply(sim, session, objectDataMessage(session.version, h, block.bytes(), std::move(values)));
            ++d.sent;
            d.lastBlock = block.take();
        }
    }
    return !once && (q.limit == 0 || d.sent < q.limit);
}

void timerEvents(Simulation& sim, Session& session) {
    const double t = sim.world.standInTime + 1e-9;
    const auto oneSecond = static_cast<std::int64_t>(std::floor(t));
    const auto fourSeconds = static_cast<std::int64_t>(std::floor(t / 4));
    const auto sixHz = static_cast<std::int64_t>(std::floor(t * 6));
    if (oneSecond > session.lastOneSecond) notify(sim, session, SystemEvent::OneSec, 0);
    if (fourSeconds > session.lastFourSeconds) notify(sim, session, SystemEvent::FourSec, 0);
    if (sixHz > session.lastSixHz) notify(sim, session, SystemEvent::SixHz, 0);
    session.lastOneSecond = oneSecond;
    session.lastFourSeconds = fourSeconds;
    session.lastSixHz = sixHz;
}

void frameEvents(Simulation& sim, Session& session) {
    if (!sim.framesOn) return;
    const World& world = sim.world;
    const bool still = world.paused || !world.simRunning;
    const auto rate = static_cast<float>(sim.config.frameRate);
    const auto speed = static_cast<float>(still ? 0.0 : sim.config.speed);
    if (const auto id = subscriptionOf(session, SystemEvent::Frame))
        sendReply(sim, session, frameMessage(session.version, *id, rate, speed));
    if (world.paused)
        if (const auto id = subscriptionOf(session, SystemEvent::PauseFrame))
            sendReply(sim, session, frameMessage(session.version, *id, rate, speed));
}

}  // namespace

void runFrame(Simulation& sim, Session& session) {
    if (session.dropNow || session.closeAfterSend) return;
    ++sim.frame;
    const double step = simSecondsPerFrame(sim.config);
    advanceWorld(sim.world, step, step);
    if (!runScript(sim, session)) return;

    std::vector<Reply> due = std::move(session.dueNextFrame);
    session.dueNextFrame.clear();
    for (Reply& reply : due) sendReply(sim, session, std::move(reply));

    std::vector<PendingByType> byType = std::move(session.byTypeRequests);
    session.byTypeRequests.clear();
    for (const PendingByType& pending : byType) answerByType(sim, session, pending);

    for (auto it = session.dataRequests.begin(); it != session.dataRequests.end();)
        it = serveDataRequest(sim, session, it->second) ? std::next(it) : session.dataRequests.erase(it);

    timerEvents(sim, session);
    frameEvents(sim, session);
}

}  // namespace simulator
