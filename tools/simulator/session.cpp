#include "tools/simulator/session.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <fmt/format.h>

#include "foundation/geodesy.h"
#include "foundation/text_convert.h"
#include "tools/simulator/byte_io.h"
#include "tools/simulator/flight_plan_file.h"

namespace simulator {

namespace {

void say(const Simulation& sim, const std::string& text) {
    if (sim.say) sim.say(text);
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    });
    return it != haystack.end();
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && containsIgnoringCase(a, b);
}

std::optional<Refusal> refusal(ExceptionCode code, std::uint32_t index, std::string reason) {
    return Refusal{code, index, std::move(reason)};
}

double normalizedHeadingRad(double degrees) {
    double h = std::fmod(degrees * kDegToRad, kTwoPi);
    if (h < 0) h += kTwoPi;
    return h;
}

void applyEvent(AiObject* object, AircraftState& s, const SimEventInfo& info, std::int32_t value) {
    const std::uint32_t v = static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, 16383));
    switch (info.effect) {
        case EventEffect::LightSet: s.lights = value != 0 ? s.lights | info.lightBit : s.lights & ~info.lightBit; break;
        case EventEffect::LightToggle: s.lights ^= info.lightBit; break;
        case EventEffect::AllLightsToggle: s.lights ^= kAllLights; break;
        case EventEffect::FreezeLatLonSet:
            if (object) object->frozenLatLon = value != 0;
            break;
        case EventEffect::FreezeAltitudeSet:
            if (object) object->frozenAltitude = value != 0;
            break;
        case EventEffect::FreezeAttitudeSet:
            if (object) object->frozenAttitude = value != 0;
            break;
        case EventEffect::FlapsSet: s.flaps = v; break;
        case EventEffect::FlapsUp: s.flaps = 0; break;
        case EventEffect::FlapsDown: s.flaps = 16383; break;
        case EventEffect::SpoilersSet: s.spoilers = v; break;
        case EventEffect::SpoilersOn: s.spoilers = 16383; break;
        case EventEffect::SpoilersOff: s.spoilers = 0; break;
        case EventEffect::GearSet: s.gearDown = value != 0; break;
        case EventEffect::GearUp: s.gearDown = false; break;
        case EventEffect::GearDown: s.gearDown = true; break;
        case EventEffect::ThrottleSet: s.throttle = v; break;
        case EventEffect::EngineAutoStart: s.enginesRunning = true; break;
        case EventEffect::EngineAutoShutdown: s.enginesRunning = false; break;
        case EventEffect::ParkingBrakes: s.parkingBrake = !s.parkingBrake; break;
    }
}

// The handlers of the requests. Each answers what is wrong with the request
// as a refusal (and reports flaws itself), or acts and answers nothing.
class Handler {
public:
    Handler(Simulation& sim, Session& session, const PacketHeader& header)
        : sim_(sim), world_(sim.world), session_(session), header_(header) {}

    std::optional<Refusal> operator()(const OpenRequest& q) {
        if (session_.opened) return refusal(ExceptionCode::Error, 0, "a second Open on the same connection");
        const SimulatorConfig& config = sim_.config;
        if (config.versionMismatch || header_.version > config.protocolMax) {
            sendReply(
                sim_, session_,
                exceptionMessage(header_.version, ExceptionCode::VersionMismatch, header_.serial, config.protocolMax));
            session_.versionRefused = true;
            recordNote(sim_, session_,
                       fmt::format("Open with protocol {} answered VERSION_MISMATCH (serving up to {})",
                                   header_.version, config.protocolMax));
            return std::nullopt;
        }
        session_.opened = true;
        session_.version = header_.version;
        session_.appName = q.appName;
        sendReply(sim_, session_,
                  openMessage(session_.version, config.simName, config.simVersion, config.simConnectVersion));
        recordNote(sim_, session_, fmt::format("'{}' opened with protocol {}", ansiToUtf8(q.appName), header_.version));
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const SubscribeRequest& q) {
        const auto event = findSystemEvent(q.eventName);
        if (!event)
            return refusal(ExceptionCode::NameUnrecognized, 2,
                           fmt::format("system event '{}' unknown", ansiToUtf8(q.eventName)));
        if (eventIdTaken(q.eventId))
            return refusal(ExceptionCode::EventIdDuplicate, 1, fmt::format("event id {} already in use", q.eventId));
        session_.subscriptions[q.eventId] = *event;
        if (*event == SystemEvent::Sim)
            session_.dueNextFrame.push_back(
                eventMessage(session_.version, kSystemEventGroup, q.eventId, world_.simRunning ? 1 : 0));
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const MapEventRequest& q) {
        if (eventIdTaken(q.eventId))
            return refusal(ExceptionCode::EventIdDuplicate, 1, fmt::format("event id {} already in use", q.eventId));
        MappedEvent mapped{nullptr, q.eventName};
        if (!isPrivateEventName(q.eventName)) {
            mapped.info = findSimEvent(q.eventName);
            if (mapped.info == nullptr)
                return refusal(ExceptionCode::NameUnrecognized, 2,
                               fmt::format("simulator event '{}' unknown", ansiToUtf8(q.eventName)));
        }
        session_.mappedEvents[q.eventId] = mapped;
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const AddToGroupRequest& q) {
        if (!session_.mappedEvents.contains(q.eventId))
            return refusal(ExceptionCode::UnrecognizedId, 2,
                           fmt::format("client event {} was never mapped", q.eventId));
        if (q.maskable > 1) flaw(fmt::format("maskable is {}, not 0 or 1", q.maskable));
        NotificationGroup& group = session_.groups[q.groupId];
        if (std::find(group.events.begin(), group.events.end(), q.eventId) != group.events.end())
            return refusal(ExceptionCode::DuplicateId, 2,
                           fmt::format("client event {} is already in group {}", q.eventId, q.groupId));
        group.events.push_back(q.eventId);
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const GroupPriorityRequest& q) {
        const auto group = session_.groups.find(q.groupId);
        if (group == session_.groups.end())
            return refusal(ExceptionCode::UnrecognizedId, 1, fmt::format("notification group {} unknown", q.groupId));
        group->second.priority = q.priority;
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const TransmitEventRequest& q) {
        const auto mapped = session_.mappedEvents.find(q.eventId);
        if (mapped == session_.mappedEvents.end())
            return refusal(ExceptionCode::UnrecognizedId, 2,
                           fmt::format("client event {} was never mapped", q.eventId));
        AiObject* object = findLiveObject(world_, q.objectId);
        if (object == nullptr && !isUserObject(world_, q.objectId)) return unknownObject(1, q.objectId);
        if ((q.flags & ~kEventFlagsKnown) != 0) flaw(fmt::format("flags 0x{:X} hold unknown bits", q.flags));
        if ((q.flags & kEventFlagGroupIsPriority) == 0 && !session_.groups.contains(q.groupId))
            return refusal(ExceptionCode::UnrecognizedId, 4, fmt::format("notification group {} unknown", q.groupId));
        const SimEventInfo* info = mapped->second.info;
        if (info == nullptr) return std::nullopt;  // a private event: nothing in the world reacts
        const auto value = static_cast<std::int32_t>(q.data);
        if (value < info->minValue || value > info->maxValue)
            flaw(fmt::format("{} value {} outside {}..{}", info->name, value, info->minValue, info->maxValue));
        AircraftState& state = object ? object->state : world_.user.state;
        applyEvent(object, state, *info, value);
        if (object) ++object->eventsReceived;
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const AddToDefinitionRequest& q) {
        const auto datum = findDatum(q.datumName);
        if (!datum)
            return refusal(ExceptionCode::NameUnrecognized, 2,
                           fmt::format("datum '{}' unknown", ansiToUtf8(q.datumName)));
        const auto factor = unitFactor(datum->info->unitClass, q.unitsName);
        if (!factor)
            return refusal(
                ExceptionCode::NameUnrecognized, 3,
                fmt::format("units '{}' do not fit datum '{}'", ansiToUtf8(q.unitsName), ansiToUtf8(q.datumName)));
        if (!dataTypeFits(datum->info->unitClass, q.dataType))
            return refusal(ExceptionCode::InvalidDataType, 4,
                           fmt::format("data type {} ({}) does not fit datum '{}'", q.dataType,
                                       dataTypeName(q.dataType), ansiToUtf8(q.datumName)));
        if (!std::isfinite(q.epsilon) || q.epsilon < 0) flaw(fmt::format("epsilon {} is not a size", q.epsilon));
        session_.definitions[q.definitionId].datums.push_back(
            DefinedDatum{*datum, q.datumName, q.unitsName, *factor, q.dataType, q.epsilon, q.datumId});
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const DataRequest& q) {
        if (q.period > static_cast<std::uint32_t>(Period::Second))
            return refusal(ExceptionCode::InvalidEnum, 4, fmt::format("period {} unknown", q.period));
        if (q.period == static_cast<std::uint32_t>(Period::Never)) {
            session_.dataRequests.erase(q.requestId);
            return std::nullopt;
        }
        if (!session_.definitions.contains(q.definitionId)) return unknownDefinition(2, q.definitionId);
        if (findLiveObject(world_, q.objectId) == nullptr && !isUserObject(world_, q.objectId))
            return unknownObject(3, q.objectId);
        if ((q.flags & ~(kRequestFlagChanged | kRequestFlagTagged)) != 0)
            return refusal(ExceptionCode::InvalidEnum, 5, fmt::format("flags 0x{:X} unknown", q.flags));
        DataSubscription subscription;
        subscription.request = q;
        subscription.serial = header_.serial;
        session_.dataRequests[q.requestId] = std::move(subscription);
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const DataByTypeRequest& q) {
        if (!session_.definitions.contains(q.definitionId)) return unknownDefinition(2, q.definitionId);
        if (q.radiusMeters > kMaxRadiusMeters)
            return refusal(ExceptionCode::OutOfBounds, 3,
                           fmt::format("radius {} m beyond {} m", q.radiusMeters, kMaxRadiusMeters));
        if (q.objectType > static_cast<std::uint32_t>(ObjectType::Ground))
            return refusal(ExceptionCode::InvalidEnum, 4, fmt::format("object type {} unknown", q.objectType));
        session_.byTypeRequests.push_back(PendingByType{q, header_.serial});
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const SetDataRequest& q) {
        const auto definition = session_.definitions.find(q.definitionId);
        if (definition == session_.definitions.end()) return unknownDefinition(1, q.definitionId);
        AiObject* object = findLiveObject(world_, q.objectId);
        if (object == nullptr && !isUserObject(world_, q.objectId)) return unknownObject(2, q.objectId);
        if (q.flags != 0)
            return refusal(ExceptionCode::InvalidEnum, 3, fmt::format("flags {} not served (only 0)", q.flags));
        const auto size = definition->second.fixedSize();
        if (!size)
            return refusal(ExceptionCode::InvalidDataSize, 1,
                           fmt::format("definition {} holds a STRINGV and cannot be set", q.definitionId));
        if (q.unitSize != *size)
            return refusal(
                ExceptionCode::InvalidDataSize, 5,
                fmt::format("unit size {} but definition {} takes {} bytes", q.unitSize, q.definitionId, *size));
        if (q.arrayCount > 1)
            return refusal(ExceptionCode::InvalidArray, 4, fmt::format("array count {} for one object", q.arrayCount));
        AircraftState& state = object ? object->state : world_.user.state;
        SetOutcome outcome = applyBlock(state, definition->second, q.data);
        for (const std::string& f : outcome.flaws) flaw(f);
        if (outcome.refusal) return outcome.refusal;
        if (object) noteObjectMoved(world_, *object);
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const CreateAiRequest& q) {
        const InitPosition& p = q.position;
        if (q.title.empty()) return refusal(ExceptionCode::CreateObjectFailed, 1, "empty container title");
        for (double v : {p.latitude, p.longitude, p.altitude, p.pitch, p.bank, p.heading})
            if (!std::isfinite(v)) return refusal(ExceptionCode::CreateObjectFailed, 3, "initial position not finite");
        if (std::abs(p.latitude) > 90 || std::abs(p.longitude) > 180)
            return refusal(ExceptionCode::CreateObjectFailed, 3,
                           fmt::format("initial position {}, {} is not on the earth", p.latitude, p.longitude));
        checkInitialPosition(p);
        if (sim_.refuseAllTitles) return scriptedRefusal(ExceptionCode::CreateObjectFailed, 1, q);
        for (const std::string& refused : sim_.config.refusedTitles)
            if (equalIgnoringCase(refused, q.title)) return scriptedRefusal(ExceptionCode::CreateObjectFailed, 1, q);
        if (sim_.config.installedTitles && !sim_.config.installedTitles->contains(foldedTitle(q.title)))
            return scriptedRefusal(ExceptionCode::CreateObjectFailed, 1, q);
        if (liveObjectCount(world_) >= sim_.config.maxObjects)
            return scriptedRefusal(ExceptionCode::TooManyObjects, 0, q);

        AiObject object;
        object.client = session_.client;
        object.createSerial = header_.serial;
        object.createRequestId = q.requestId;
        object.title = q.title;
        object.tailNumber = q.tailNumber;
        for (const std::string& part : sim_.config.helicopterTitles)
            if (containsIgnoringCase(q.title, part)) object.type = ObjectType::Helicopter;
        AircraftState& s = object.state;
        s.latitude = p.latitude;
        s.longitude = p.longitude;
        s.altitudeFt = p.onGround != 0 ? world_.terrainFt + world_.staticCgFt : p.altitude;
        s.pitchRad = p.pitch * kDegToRad;
        s.bankRad = p.bank * kDegToRad;
        s.headingRad = normalizedHeadingRad(p.heading);
        s.airspeedKnots = p.airspeed <= 2000 ? p.airspeed : 0;
        const AiObject& created = addObject(world_, std::move(object));
        session_.dueNextFrame.push_back(assignedObjectIdMessage(session_.version, q.requestId, created.id));
        if (const auto added = subscriptionOf(session_, SystemEvent::ObjectAdded))
            session_.dueNextFrame.push_back(addRemoveMessage(session_.version, *added, created.id, created.type));
        recordNote(sim_, session_,
                   fmt::format("created object {} '{}' with tail number '{}'", created.id, ansiToUtf8(created.title),
                               ansiToUtf8(created.tailNumber)));
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const ReleaseControlRequest& q) {
        AiObject* object = nullptr;
        if (auto r = aiObject(q.objectId, object)) return r;
        object->released = true;
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const RemoveObjectRequest& q) {
        AiObject* object = nullptr;
        if (auto r = aiObject(q.objectId, object)) return r;
        removeObject(world_, *object, fmt::format("removed by client {} (serial {})", session_.client, header_.serial));
        if (const auto removed = subscriptionOf(session_, SystemEvent::ObjectRemoved))
            session_.dueNextFrame.push_back(addRemoveMessage(session_.version, *removed, object->id, object->type));
        recordNote(sim_, session_, fmt::format("removed object {}", object->id));
        return std::nullopt;
    }

    std::optional<Refusal> operator()(const FlightPlanRequest& q) {
        AiObject* object = nullptr;
        if (auto r = aiObject(q.objectId, object)) return r;
        const std::string path = ansiToUtf8(q.path);
        if (path.empty()) return refusal(ExceptionCode::LoadFlightplanFailed, 2, "empty flight plan path");
        const FlightPlanSummary plan = readFlightPlanFile(clientFilePath(path, sim_.config.winePrefix));
        if (!plan.ok)
            return refusal(ExceptionCode::LoadFlightplanFailed, 2,
                           fmt::format("flight plan '{}' cannot be loaded: {}", path, plan.error));
        object->flightPlanPath = path;
        object->flightPlanType = plan.type;
        object->flightPlanFrom = plan.departure;
        object->flightPlanTo = plan.destination;
        return std::nullopt;
    }

private:
    bool eventIdTaken(std::uint32_t id) const {
        return session_.subscriptions.contains(id) || session_.mappedEvents.contains(id);
    }

    void flaw(const std::string& text) { reportFault(sim_, session_, header_, nullptr, text); }

    std::optional<Refusal> unknownObject(std::uint32_t index, std::uint32_t id) const {
        return refusal(ExceptionCode::UnrecognizedId, index, fmt::format("object id {} unknown", id));
    }

    std::optional<Refusal> unknownDefinition(std::uint32_t index, std::uint32_t id) const {
        return refusal(ExceptionCode::UnrecognizedId, index, fmt::format("data definition {} unknown", id));
    }

    // The AI object a release, removal or flight plan names.
    std::optional<Refusal> aiObject(std::uint32_t id, AiObject*& object) {
        if (isUserObject(world_, id))
            return refusal(ExceptionCode::OperationInvalidForObjectType, 1,
                           fmt::format("object id {} is the user aircraft", id));
        object = findLiveObject(world_, id);
        if (object == nullptr) return unknownObject(1, id);
        return std::nullopt;
    }

    // Values a simulator takes without complaint but that point at a unit
    // mix-up (radians where degrees belong).
    void checkInitialPosition(const InitPosition& p) {
        if (p.heading < 0 || p.heading >= 360)
            flaw(fmt::format("initial heading {} outside [0, 360) degrees", p.heading));
        if (std::abs(p.pitch) > 90) flaw(fmt::format("initial pitch {} outside [-90, 90] degrees", p.pitch));
        if (std::abs(p.bank) > 180) flaw(fmt::format("initial bank {} outside [-180, 180] degrees", p.bank));
        if (p.onGround > 1) flaw(fmt::format("on-ground flag {} is not 0 or 1", p.onGround));
        if (p.altitude < -1500 || p.altitude > 100000)
            flaw(fmt::format("initial altitude {} ft outside [-1500, 100000]", p.altitude));
    }

    // A creation the scenario makes fail: answered like a simulator would,
    // but no fault of the client.
    std::optional<Refusal> scriptedRefusal(ExceptionCode code, std::uint32_t index, const CreateAiRequest& q) {
        sendReply(sim_, session_, exceptionMessage(session_.version, code, header_.serial, index));
        recordNote(sim_, session_,
                   fmt::format("creation of '{}' ({}) refused with {} as the scenario asks", ansiToUtf8(q.title),
                               ansiToUtf8(q.tailNumber), exceptionName(static_cast<std::uint32_t>(code))));
        return std::nullopt;
    }

    Simulation& sim_;
    World& world_;
    Session& session_;
    const PacketHeader& header_;
};

void checkSerial(Simulation& sim, Session& session, const PacketHeader& header) {
    const std::uint32_t serial = header.serial;
    if (!session.lastSerial) {
        if (serial > 1)
            reportFault(sim, session, header, nullptr, fmt::format("the first serial is {}, not 0 or 1", serial));
    } else {
        const std::uint32_t last = *session.lastSerial;
        const bool wrapped = last >= 0xFFFF0000u && serial < 0x10000u;
        if (serial <= last && !wrapped)
            reportFault(sim, session, header, nullptr,
                        fmt::format("serial {} does not follow serial {}", serial, last));
    }
    session.lastSerial = serial;
}

}  // namespace

nlohmann::ordered_json recordBase(const Simulation& sim, const Session& session, const char* direction) {
    return {{"dir", direction},
            {"client", session.client},
            {"frame", sim.frame},
            {"time", std::round(sim.world.standInTime * 1000) / 1000},
            {"simTime", std::round(sim.world.simTime * 1000) / 1000}};
}

void recordNote(Simulation& sim, const Session& session, const std::string& text) {
    nlohmann::ordered_json line = recordBase(sim, session, "note");
    line["text"] = text;
    recordLine(sim.recorder, line);
    say(sim, fmt::format("client {}: {}", session.client, text));
}

Session beginSession(Simulation& sim, std::string peer) {
    Session session;
    session.client = static_cast<int>(sim.clients.size()) + 1;
    session.peer = std::move(peer);
    recordNote(sim, session, fmt::format("connected from {}", session.peer));
    return session;
}

std::optional<std::uint32_t> subscriptionOf(const Session& session, SystemEvent event) {
    for (const auto& [id, subscribed] : session.subscriptions)
        if (subscribed == event) return id;
    return std::nullopt;
}

void sendReply(Simulation& sim, Session& session, Reply reply) {
    if (session.dropNow) return;
    const auto& kind = reply.record["kind"];
    const bool bulk = kind == "SIMOBJECT_DATA" || kind == "SIMOBJECT_DATA_BYTYPE";
    if ((sim.config.recordFrames || kind != "EVENT_FRAME") && (sim.config.recordBulk || !bulk)) {
        nlohmann::ordered_json line = recordBase(sim, session, "out");
        line["kind"] = reply.record["kind"];
        line["size"] = reply.bytes.size();
        line["fields"] = std::move(reply.record["fields"]);
        recordLine(sim.recorder, line);
    }
    session.outbox.push_back(std::move(reply.bytes));
    ++session.replies;
}

void reportFault(Simulation& sim, Session& session, const PacketHeader& header, const Refusal* refused,
                 const std::string& flaw) {
    Fault fault;
    fault.client = session.client;
    fault.serial = header.serial;
    fault.request = std::string(requestName(header.code()));
    fault.reason = refused ? refused->reason : flaw;
    if (refused) {
        fault.exception = static_cast<std::uint32_t>(refused->exception);
        fault.index = refused->index;
    }
    nlohmann::ordered_json line = recordBase(sim, session, "fault");
    line["serial"] = fault.serial;
    line["request"] = fault.request;
    line["reason"] = fault.reason;
    if (fault.exception) {
        line["exception"] = *fault.exception;
        line["index"] = fault.index;
    }
    recordLine(sim.recorder, line);
    say(sim, fmt::format("client {}: FAULT serial {} {}: {}{}", fault.client, fault.serial, fault.request, fault.reason,
                         fault.exception ? fmt::format(" -> {}", exceptionName(*fault.exception)) : ""));
    sim.faults.push_back(fault);
    ++session.faults;
    if (refused)
        sendReply(sim, session, exceptionMessage(session.version, refused->exception, header.serial, refused->index));
}

void receivePacket(Simulation& sim, Session& session, std::span<const std::uint8_t> packet) {
    ++session.packets;
    const ParsedPacket parsed = parseRequest(packet);
    const PacketHeader& header = parsed.header;
    if (sim.config.recordBulk || !parsed.body || !std::holds_alternative<SetDataRequest>(*parsed.body)) {
        nlohmann::ordered_json line = recordBase(sim, session, "in");
        line["serial"] = header.serial;
        line["kind"] = requestName(header.code());
        line["size"] = packet.size();
        line["version"] = header.version;
        if (parsed.body)
            line["fields"] = requestFields(*parsed.body);
        else
            line["bytes"] = hexBytes(packet);
        recordLine(sim.recorder, line);
    }
    if (session.versionRefused) return;

    if (packet.size() >= kRequestHeaderSize) checkSerial(sim, session, header);
    if (parsed.refusal) {
        reportFault(sim, session, header, &*parsed.refusal, "");
        return;
    }
    for (const std::string& flaw : parsed.flaws) reportFault(sim, session, header, nullptr, flaw);
    if (!parsed.body) return;
    if (!session.opened && !std::holds_alternative<OpenRequest>(*parsed.body)) {
        const Refusal unopened{ExceptionCode::Unopened, 0, "a request before Open"};
        reportFault(sim, session, header, &unopened, "");
        return;
    }
    Handler handler(sim, session, header);
    if (const auto refused = std::visit(handler, *parsed.body)) reportFault(sim, session, header, &*refused, "");
}

void streamBroken(Simulation& sim, Session& session, const std::string& reason, std::span<const std::uint8_t> head) {
    Fault fault;
    fault.client = session.client;
    fault.request = "stream";
    fault.reason = reason;
    nlohmann::ordered_json line = recordBase(sim, session, "fault");
    line["request"] = fault.request;
    line["reason"] = reason;
    line["bytes"] = hexBytes(head, 64);
    recordLine(sim.recorder, line);
    say(sim, fmt::format("client {}: FAULT {}", session.client, reason));
    sim.faults.push_back(fault);
    ++session.faults;
}

void endSession(Simulation& sim, Session& session, const std::string& how) {
    for (AiObject& object : sim.world.objects)
        if (object.live() && object.client == session.client)
            removeObject(sim.world, object, fmt::format("client {} disconnected", session.client));
    ClientSummary summary;
    summary.number = session.client;
    summary.peer = session.peer;
    summary.appName = ansiToUtf8(session.appName);
    summary.protocol = session.opened ? session.version : 0;
    summary.packets = session.packets;
    summary.replies = session.replies;
    summary.faults = session.faults;
    summary.end = how;
    sim.clients.push_back(summary);
    recordNote(
        sim, session,
        fmt::format("{}; {} packets, {} replies, {} faults", how, session.packets, session.replies, session.faults));
}

}  // namespace simulator
