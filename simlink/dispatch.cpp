#include "simlink/dispatch.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <string>

#include "app/services/controls.h"
#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "simlink/sim_ids.h"
#include "simlink/state.h"
#include "simlink/user_aircraft.h"
#include "traffic/state.h"

using namespace simconnect;

namespace {

constexpr double kMaxReportedAltAboveGround = 2500.0;  // feet; higher AI objects are not reported

constexpr std::uint32_t idOf(RecvId id) { return static_cast<std::uint32_t>(id); }
constexpr std::uint32_t kMessageId16 = 16;  // ignored, as ASSIGNED_OBJECT_ID is

bool isLetterDigitOrSpace(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
           (c >= '\t' && c <= '\r');
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Removes one element in constant time: the last takes its place.
template <typename T>
void swapRemove(std::vector<T>& list, typename std::vector<T>::iterator at) {
    if (at != list.end() - 1) *at = std::move(list.back());
    list.pop_back();
}

void newFlight() { gf_requestStop(ExitReason::NewFlight, 30); }

void onEvent(const RecvEvent& event) {
    switch (event.eventId) {
        case EVT_SIM:
            g_simRunning.store(event.data == 1);
            g_simRunningShown.store(event.data == 1);
            lf_repaintStatusBand();
            break;
        case EVT_POSITION_CHANGED:
            gf_logMarked("User ac position changed");
            newFlight();
            break;
        case EVT_FLIGHT_LOADED:
            gf_log("SimConnect: flight loaded event");
            gf_saveUserParkStand();
            newFlight();
            break;
        default:
            break;
    }
}

void onObjectAddRemove(const RecvObjectAddRemove& message) {
    if (message.objectType != kSimObjectTypeAircraft) return;
    const std::uint32_t objectId = message.event.data;
    if (message.event.eventId == EVT_OBJECT_ADDED) {
        if (objectId > g_userObjectId.load()) g_addedObjects.push_back(objectId);
    } else if (message.event.eventId == EVT_OBJECT_REMOVED) {
        gf_pushAcEvent({objectId, 0, 0, AcEventKind::removed, 0.0, 0.0});
    }
}

// The first sent creation whose callsign is the ATC ID, or the latest of
// those for its aircraft (hex id): an older creation for it was given up by
// the engine, and only the latest can be its record's own. An older entry
// left behind takes the other object, which the engine then removes. The
// entry is done with.
std::optional<SentCreate> takeSentCreate(const std::string& atcId) {
    if (atcId.empty()) return std::nullopt;
    auto sent = std::find_if(g_sentCreates.begin(), g_sentCreates.end(),
                             [&](const SentCreate& s) { return s.callsign == atcId; });
    if (sent == g_sentCreates.end()) return std::nullopt;
    for (auto other = g_sentCreates.begin(); other != g_sentCreates.end(); ++other)
        if (other->hexId == sent->hexId && other->callsign == atcId && other->createSerial > sent->createSerial)
            sent = other;
    SentCreate taken = std::move(*sent);
    swapRemove(g_sentCreates, sent);
    return taken;
}

// One of the program's creations has its object: it is frozen where the
// program puts it, and the traffic engine learns its object id (and, for a
// live aircraft, which of its creations the object answers).
void onOwnObjectCreated(std::uint32_t objectId, const SentCreate& creation, double altAboveGround) {
    const std::uint32_t hexId = creation.hexId;
    {
        const std::lock_guard lock(g_simQueueMutex);
        SimConnect_AIReleaseControl(g_simHandle.load(), objectId, REQ_AI_RELEASE);
        for (const std::uint32_t freeze :
             {EVT_FREEZE_LATITUDE_LONGITUDE_SET, EVT_FREEZE_ALTITUDE_SET, EVT_FREEZE_ATTITUDE_SET})
            g_simEventQueue.push_back({objectId, freeze, 1});
    }
    // Pushed after the request mutex is released: the traffic thread takes
    // the two the other way round.
    if (hexId > 10000)
        gf_pushAcEvent({objectId, hexId, creation.createSerial, AcEventKind::liveCreated, 0.0, altAboveGround});
    else
        gf_pushAcEvent({objectId, hexId, 0, AcEventKind::staticCreated, 0.0, 0.0});
}

}  // namespace

void lf_logShortMessage(std::uint32_t id, std::size_t size) {
    gf_log(fmt::format("! SimConnect message {} too short: {} bytes", id, size));
}

void lf_dispatchProc(const std::byte* message, std::uint32_t size, void*) {
    if (message == nullptr) return;
    const std::span<const std::byte> bytes(message, size);
    const auto header = readRecvHeader(bytes);
    if (!header) return;
    bool complete = true;
    switch (header->id) {
        case idOf(RecvId::Exception):
            if (const auto e = readException(bytes)) lf_onException(*e); else complete = false;
            break;
        case idOf(RecvId::Open):
            if (const auto open = readOpen(bytes)) lf_onOpen(*open); else complete = false;
            break;
        case idOf(RecvId::Quit):
            g_simRunning.store(false);
            g_simRunningShown.store(false);
            break;
        case idOf(RecvId::Event):
            if (const auto event = readEvent(bytes)) onEvent(*event); else complete = false;
            break;
        case idOf(RecvId::EventObjectAddRemove):
            if (const auto m = readObjectAddRemove(bytes)) onObjectAddRemove(*m); else complete = false;
            break;
        case idOf(RecvId::EventFilename):
            gf_logMarked("SimConnect: New file event");
            gf_saveUserParkStand();
            newFlight();
            break;
        case idOf(RecvId::EventFrame):
            lf_onFrame();
            break;
        case idOf(RecvId::SimObjectData):
            if (const auto data = readSimObjectData(bytes)) lf_onSimObjectData(*data); else complete = false;
            break;
        case idOf(RecvId::SimObjectDataByType):
            if (const auto data = readSimObjectData(bytes)) lf_onSimObjectDataByType(*data); else complete = false;
            break;
        case idOf(RecvId::AssignedObjectId):
        case kMessageId16:
            break;
        default:
            gf_log(fmt::format("! Unknown Dispatch dwID {}", header->id));
            break;
    }
    if (!complete) lf_logShortMessage(header->id, size);
}

void lf_onException(const RecvException& exception) {
    switch (exception.exception) {
        case 3: {  // UNRECOGNIZED_ID
            const UserState user = gf_copyUserState();
            const bool noUserYet = std::abs(user.lat) <= 0.0001 && std::abs(user.lon) <= 0.0001;
            if (!noUserYet && !gf_stopping()) gf_logMarked("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
            break;
        }
        case 5:  // VERSION_MISMATCH
            throw vlt::UserErrorException(95,
                                          fmt::format("SimConnect Version Mismatch, dwIndex: {}", exception.index));
        case 11:  // TOO_MANY_OBJECTS
            gf_setStatus("SimConnect: too many objects (max 1000)", true);
            break;
        case 19:  // INVALID_DATA_SIZE
            gf_log("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE");
            break;
        case 22: {  // CREATE_OBJECT_FAILED, named by the creation's serial
            const auto sent = std::find_if(g_sentCreates.begin(), g_sentCreates.end(),
                                           [&](const SentCreate& s) { return s.packetId == exception.sendId; });
            if (sent == g_sentCreates.end()) break;
            const std::uint32_t hexId = sent->hexId;
            swapRemove(g_sentCreates, sent);
            if (hexId != 0) gf_pushAcEvent({0, hexId, 0, AcEventKind::createFailed, 0.0, 0.0});
            break;
        }
        case 23:  // LOAD_FLIGHTPLAN_FAILED
            gf_logMarked("SimConnect exception: load flight plan failed");
            break;
        case 24:  // OPERATION_INVALID_FOR_OBJECT_TYPE
            gf_log("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
            break;
        default:
            gf_logMarked(fmt::format("SIMCONNECT_EXCEPTION #{}", exception.exception));
            break;
    }
}

void lf_onOpen(const RecvOpen& open) {
    const std::string& name = open.applicationName;
    if (name.empty()) {
        gf_log("! Simulator name empty?");
        return;
    }
    g_simConnected.store(true);
    lf_repaintStatusBand();

    std::string filtered;
    std::copy_if(name.begin(), name.end(), std::back_inserter(filtered), isLetterDigitOrSpace);
    if (filtered == "KittyHawk" || filtered == "SunRise")
        throw vlt::UserErrorException(78, filtered + ", (MSFS) not being P3D connects ... ?");

    const std::string text = fmt::format("{} ({}.{}.{}.{})", filtered, open.versionMajor, open.versionMinor,
                                         open.buildMajor, open.buildMinor);
    gf_log(fmt::format("{} connected", text));
    {
        const std::lock_guard lock(g_userStateMutex);
        g_simNameText = text;
    }
    lf_repaintStatusBand();

    const std::string installPath = SIM_INSTALL_PATH.value.get();
    const std::int32_t required = g_requiredSimVersion.load();
    const bool v5 = contains(text, "v5") &&
                    (contains(installPath, "v5") || contains(installPath, "V5") || required == 5);
    const bool v6 = contains(text, "v6") &&
                    (contains(installPath, "v6") || contains(installPath, "V6") || required == 6);
    if (v5 || v6) {
        gf_clearStatus();
        return;
    }
    gf_enableControl(ALL_INSTALL_PATH);
    throw vlt::UserErrorException(78, fmt::format("wrong P3D version '{}' connects ... ?)", text));
}

void lf_onSimObjectDataByType(const RecvSimObjectData& data) {
    if (data.requestId != REQ_AI_IN_RANGE) return;
    const std::uint32_t objectId = data.objectId;
    if (objectId <= g_userObjectId.load()) return;
    const auto altAboveGround = blockFloat64(data.data, 0);
    const auto groundAltitude = blockFloat64(data.data, 8);
    const auto onGround = blockInt64(data.data, 16);
    const auto atcId = blockString32(data.data, 24);
    if (!altAboveGround || !groundAltitude || !onGround || !atcId) {
        lf_logShortMessage(static_cast<std::uint32_t>(RecvId::SimObjectDataByType), 40 + data.data.size());
        return;
    }

    const auto added = std::find(g_addedObjects.begin(), g_addedObjects.end(), objectId);
    if (added != g_addedObjects.end()) {
        swapRemove(g_addedObjects, added);
        const auto creation = takeSentCreate(*atcId);
        if (!creation) {
            gf_log(fmt::format("just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, "
                               "onground:{}, gnd_alt:{:.0f} ft",
                               kProgramName, objectId, *atcId, *altAboveGround, *onGround, *groundAltitude));
            return;
        }
        onOwnObjectCreated(objectId, *creation, *altAboveGround);
        return;
    }
    // A known AI object: its height and whether it is on the ground.
    if (*altAboveGround > kMaxReportedAltAboveGround || atcId->empty() || atcId->back() == '*') return;
    gf_pushAcEvent({objectId, static_cast<std::uint32_t>(*onGround), 0, AcEventKind::onGround, *groundAltitude,
                    *altAboveGround});
}
