#include "tools/simulator/reply_messages.h"

#include "tools/simulator/byte_io.h"
#include "tools/simulator/request_packets.h"

namespace simulator {

namespace {

ByteWriter startMessage(std::uint32_t version, MessageId id, std::size_t reserve) {
    ByteWriter w(reserve);
    w.u32(0);  // size, patched when the message is complete
    w.u32(version);
    w.u32(static_cast<std::uint32_t>(id));
    return w;
}

Reply finish(ByteWriter& w, MessageId id, nlohmann::ordered_json fields) {
    w.patchU32(0, static_cast<std::uint32_t>(w.size()));
    Reply reply;
    reply.bytes = w.take();
    reply.record = {{"kind", messageName(id)}, {"fields", std::move(fields)}};
    return reply;
}

}  // namespace

Reply exceptionMessage(std::uint32_t version, ExceptionCode code, std::uint32_t sendId, std::uint32_t index) {
    ByteWriter w = startMessage(version, MessageId::Exception, 24);
    w.u32(static_cast<std::uint32_t>(code));
    w.u32(sendId);
    w.u32(index);
    return finish(w, MessageId::Exception,
                  {{"exception", static_cast<std::uint32_t>(code)},
                   {"name", exceptionName(static_cast<std::uint32_t>(code))},
                   {"sendId", sendId},
                   {"index", index}});
}

Reply openMessage(std::uint32_t version, std::string_view appName, const std::array<std::uint32_t, 4>& appVersion,
                  const std::array<std::uint32_t, 4>& simConnectVersion) {
    ByteWriter w = startMessage(version, MessageId::Open, 308);
    w.fixedText(appName, 256);
    for (std::uint32_t v : appVersion) w.u32(v);
    for (std::uint32_t v : simConnectVersion) w.u32(v);
    w.zeros(8);  // two reserved words
    return finish(w, MessageId::Open,
                  {{"appName", ansiToUtf8(std::string(appName))},
                   {"appVersion", appVersion},
                   {"simConnectVersion", simConnectVersion}});
}

Reply quitMessage(std::uint32_t version) {
    ByteWriter w = startMessage(version, MessageId::Quit, 12);
    return finish(w, MessageId::Quit, nlohmann::ordered_json::object());
}

namespace {
void eventFields(ByteWriter& w, std::uint32_t groupId, std::uint32_t eventId, std::uint32_t data) {
    w.u32(groupId);
    w.u32(eventId);
    w.u32(data);
}
}  // namespace

Reply eventMessage(std::uint32_t version, std::uint32_t groupId, std::uint32_t eventId, std::uint32_t data) {
    ByteWriter w = startMessage(version, MessageId::Event, 24);
    eventFields(w, groupId, eventId, data);
    return finish(w, MessageId::Event, {{"groupId", groupId}, {"eventId", eventId}, {"data", data}});
}

Reply addRemoveMessage(std::uint32_t version, std::uint32_t eventId, std::uint32_t objectId, ObjectType objectType) {
    ByteWriter w = startMessage(version, MessageId::EventObjectAddRemove, 28);
    eventFields(w, kSystemEventGroup, eventId, objectId);
    w.u32(static_cast<std::uint32_t>(objectType));
    return finish(
        w, MessageId::EventObjectAddRemove,
        {{"eventId", eventId}, {"objectId", objectId}, {"objectType", static_cast<std::uint32_t>(objectType)}});
}

Reply filenameMessage(std::uint32_t version, std::uint32_t eventId, std::string_view fileName) {
    ByteWriter w = startMessage(version, MessageId::EventFilename, 288);
    eventFields(w, kSystemEventGroup, eventId, 0);
    w.fixedText(fileName, 260);
    w.u32(0);  // flags
    return finish(w, MessageId::EventFilename, {{"eventId", eventId}, {"fileName", ansiToUtf8(std::string(fileName))}});
}

Reply frameMessage(std::uint32_t version, std::uint32_t eventId, float frameRate, float simSpeed) {
    ByteWriter w = startMessage(version, MessageId::EventFrame, 32);
    eventFields(w, kSystemEventGroup, eventId, 0);
    w.f32(frameRate);
    w.f32(simSpeed);
    return finish(w, MessageId::EventFrame, {{"eventId", eventId}, {"frameRate", frameRate}, {"simSpeed", simSpeed}});
}

Reply assignedObjectIdMessage(std::uint32_t version, std::uint32_t requestId, std::uint32_t objectId) {
    ByteWriter w = startMessage(version, MessageId::AssignedObjectId, 20);
    w.u32(requestId);
    w.u32(objectId);
    return finish(w, MessageId::AssignedObjectId, {{"requestId", requestId}, {"objectId", objectId}});
}

Reply objectDataMessage(std::uint32_t version, const ObjectDataHeader& h, std::span<const std::uint8_t> block,
                        nlohmann::ordered_json values) {
    const MessageId id = h.byType ? MessageId::SimObjectDataByType : MessageId::SimObjectData;
    ByteWriter w = startMessage(version, id, 40 + block.size());
    w.u32(h.requestId);
    w.u32(h.objectId);
    w.u32(h.definitionId);
    w.u32(h.flags);
    w.u32(h.entry);
    w.u32(h.outOf);
    w.u32(h.defineCount);
    w.raw(block);
    return finish(w, id,
                  {{"requestId", h.requestId},
                   {"objectId", h.objectId},
                   {"definitionId", h.definitionId},
                   {"flags", h.flags},
                   {"entry", h.entry},
                   {"outOf", h.outOf},
                   {"defineCount", h.defineCount},
                   {"values", std::move(values)}});
}

}  // namespace simulator
