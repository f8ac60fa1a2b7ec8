#include "tools/simulator/request_packets.h"

#include <fmt/format.h>

#include "foundation/text_convert.h"
#include "platform/text_codec.h"
#include "tools/simulator/byte_io.h"

namespace simulator {

namespace {

// One text field of a request: where it lies, how large it is, which
// argument of the call it is, and the exception a simulator answers when it
// cannot read the text.
struct TextField {
    const char* what;
    std::size_t offset;
    std::size_t size;
    std::uint32_t index;
    ExceptionCode exception;
};

class Reader {
public:
    Reader(std::span<const std::uint8_t> packet, ParsedPacket& out) : bytes_(packet), out_(out) {}

    std::uint32_t u32(std::size_t offset) const { return bytes_.u32(offset); }
    float f32(std::size_t offset) const { return bytes_.f32(offset); }
    double f64(std::size_t offset) const { return bytes_.f64(offset); }

    // False (and the refusal set) when the field holds no terminating zero.
    bool text(const TextField& field, std::string& into) {
        const auto read = readFixedText(bytes_, field.offset, field.size);
        if (!read) {
            refuse(field.exception, field.index,
                   fmt::format("{} at offset {} fills its {} bytes without a terminating zero", field.what,
                               field.offset, field.size));
            return false;
        }
        if (!read->cleanTail)
            out_.flaws.push_back(
                fmt::format("{} at offset {} has non-zero bytes after its terminating zero", field.what, field.offset));
        into = read->text;
        return true;
    }

    void refuse(ExceptionCode exception, std::uint32_t index, std::string reason) {
        out_.refusal = Refusal{exception, index, std::move(reason)};
    }

    std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count) const {
        return bytes_.bytes(offset, count);
    }

private:
    ByteReader bytes_;
    ParsedPacket& out_;
};

std::optional<RequestBody> parseOpen(Reader& r) {
    OpenRequest q;
    if (!r.text({"application name", 16, 256, 1, ExceptionCode::Error}, q.appName)) return std::nullopt;
    for (std::size_t i = 0; i < q.versionBlock.size(); ++i) q.versionBlock[i] = r.u32(272 + 4 * i);
    return q;
}

// MapClientEventToSimEvent and SubscribeToSystemEvent: an event id and a name.
template <typename Request>
std::optional<RequestBody> parseNamedEvent(Reader& r, const char* what) {
    Request q;
    q.eventId = r.u32(16);
    if (!r.text({what, 20, 256, 2, ExceptionCode::NameUnrecognized}, q.eventName)) return std::nullopt;
    return q;
}

std::optional<RequestBody> parseAddToDefinition(Reader& r) {
    AddToDefinitionRequest q;
    q.definitionId = r.u32(16);
    if (!r.text({"datum name", 20, 256, 2, ExceptionCode::NameUnrecognized}, q.datumName)) return std::nullopt;
    if (!r.text({"units name", 276, 256, 3, ExceptionCode::NameUnrecognized}, q.unitsName)) return std::nullopt;
    q.dataType = r.u32(532);
    q.epsilon = r.f32(536);
    q.datumId = r.u32(540);
    return q;
}

std::optional<RequestBody> parseSetData(Reader& r, std::uint32_t size) {
    SetDataRequest q;
    q.definitionId = r.u32(16);
    q.objectId = r.u32(20);
    q.flags = r.u32(24);
    q.arrayCount = r.u32(28);
    q.unitSize = r.u32(32);
    const std::uint64_t count = q.arrayCount == 0 ? 1 : q.arrayCount;
    const std::uint64_t expected = 36 + count * q.unitSize;
    if (expected != size) {
        r.refuse(ExceptionCode::SizeMismatch, 0,
                 fmt::format("SetDataOnSimObject of {} x {} bytes must be {} bytes long, got {}", count, q.unitSize,
                             expected, size));
        return std::nullopt;
    }
    const auto data = r.bytes(36, size - 36);
    q.data.assign(data.begin(), data.end());
    return q;
}

std::optional<RequestBody> parseCreate(Reader& r) {
    CreateAiRequest q;
    if (!r.text({"container title", 16, 256, 1, ExceptionCode::CreateObjectFailed}, q.title)) return std::nullopt;
    if (!r.text({"tail number", 272, 12, 2, ExceptionCode::CreateObjectFailed}, q.tailNumber)) return std::nullopt;
    InitPosition& p = q.position;
    p.latitude = r.f64(284);
    p.longitude = r.f64(292);
    p.altitude = r.f64(300);
    p.pitch = r.f64(308);
    p.bank = r.f64(316);
    p.heading = r.f64(324);
    p.onGround = r.u32(332);
    p.airspeed = r.u32(336);
    q.requestId = r.u32(340);
    return q;
}

std::optional<RequestBody> parseFlightPlan(Reader& r) {
    FlightPlanRequest q;
    q.objectId = r.u32(16);
    if (!r.text({"flight plan path", 20, 260, 2, ExceptionCode::LoadFlightplanFailed}, q.path)) return std::nullopt;
    q.requestId = r.u32(280);
    return q;
}

std::optional<RequestBody> parseBody(Reader& r, RequestCode code, std::uint32_t size) {
    switch (code) {
        case RequestCode::Open: return parseOpen(r);
        case RequestCode::MapClientEventToSimEvent: return parseNamedEvent<MapEventRequest>(r, "simulator event name");
        case RequestCode::TransmitClientEvent:
            return TransmitEventRequest{r.u32(16), r.u32(20), r.u32(24), r.u32(28), r.u32(32)};
        case RequestCode::AddClientEventToNotificationGroup: return AddToGroupRequest{r.u32(16), r.u32(20), r.u32(24)};
        case RequestCode::SetNotificationGroupPriority: return GroupPriorityRequest{r.u32(16), r.u32(20)};
        case RequestCode::AddToDataDefinition: return parseAddToDefinition(r);
        case RequestCode::RequestDataOnSimObject:
            return DataRequest{r.u32(16), r.u32(20), r.u32(24), r.u32(28), r.u32(32), r.u32(36), r.u32(40), r.u32(44)};
        case RequestCode::RequestDataOnSimObjectType:
            return DataByTypeRequest{r.u32(16), r.u32(20), r.u32(24), r.u32(28)};
        case RequestCode::SetDataOnSimObject: return parseSetData(r, size);
        case RequestCode::SubscribeToSystemEvent: return parseNamedEvent<SubscribeRequest>(r, "system event name");
        case RequestCode::AICreateNonATCAircraft: return parseCreate(r);
        case RequestCode::AIReleaseControl: return ReleaseControlRequest{r.u32(16), r.u32(20)};
        case RequestCode::AIRemoveObject: return RemoveObjectRequest{r.u32(16), r.u32(20)};
        case RequestCode::AISetAircraftFlightPlan: return parseFlightPlan(r);
    }
    return std::nullopt;
}

}  // namespace

std::uint32_t expectedRequestSize(std::uint32_t code) {
    switch (static_cast<RequestCode>(code)) {
        case RequestCode::Open: return 296;
        case RequestCode::MapClientEventToSimEvent: return 276;
        case RequestCode::TransmitClientEvent: return 36;
        case RequestCode::AddClientEventToNotificationGroup: return 28;
        case RequestCode::SetNotificationGroupPriority: return 24;
        case RequestCode::AddToDataDefinition: return 544;
        case RequestCode::RequestDataOnSimObject: return 48;
        case RequestCode::RequestDataOnSimObjectType: return 32;
        case RequestCode::SetDataOnSimObject: return 0;
        case RequestCode::SubscribeToSystemEvent: return 276;
        case RequestCode::AICreateNonATCAircraft: return 344;
        case RequestCode::AIReleaseControl: return 24;
        case RequestCode::AIRemoveObject: return 24;
        case RequestCode::AISetAircraftFlightPlan: return 284;
    }
    return 0;
}

ParsedPacket parseRequest(std::span<const std::uint8_t> packet) {
    ParsedPacket out;
    Reader r(packet, out);
    const auto size = static_cast<std::uint32_t>(std::min<std::size_t>(packet.size(), 0xFFFFFFFFu));
    if (packet.size() < kRequestHeaderSize) {
        r.refuse(ExceptionCode::Error, 0, fmt::format("a packet of {} bytes is shorter than the 16-byte header", size));
        return out;
    }
    out.header = PacketHeader{r.u32(0), r.u32(4), r.u32(8), r.u32(12)};
    const PacketHeader& h = out.header;
    if (h.size != size) {
        r.refuse(ExceptionCode::SizeMismatch, 0,
                 fmt::format("the header gives {} bytes but the packet holds {}", h.size, size));
    } else if (h.version < kOldestProtocol || h.version > kNewestProtocol) {
        r.refuse(ExceptionCode::VersionMismatch, 0,
                 fmt::format("protocol version {} outside {}..{}", h.version, kOldestProtocol, kNewestProtocol));
    } else if ((h.type & kPacketTypeMark) != kPacketTypeMark) {
        r.refuse(ExceptionCode::Error, 0,
                 fmt::format("packet type 0x{:08X} lacks the request mark 0xF0000000", h.type));
    } else if (requestName(h.code()) == "?") {
        r.refuse(ExceptionCode::Error, 0,
                 fmt::format("request code 0x{:02X} is not one the stand-in serves", h.code()));
    } else if (const std::uint32_t expected = expectedRequestSize(h.code()); expected != 0 && expected != size) {
        r.refuse(ExceptionCode::SizeMismatch, 0,
                 fmt::format("{} must be {} bytes long, got {}", requestName(h.code()), expected, size));
    } else if (size < 36 && static_cast<RequestCode>(h.code()) == RequestCode::SetDataOnSimObject) {
        r.refuse(ExceptionCode::SizeMismatch, 0,
                 fmt::format("SetDataOnSimObject must be at least 36 bytes long, got {}", size));
    } else {
        out.body = parseBody(r, static_cast<RequestCode>(h.code()), size);
    }
    return out;
}

std::string ansiToUtf8(const std::string& bytes) {
    return gf_wideToUtf8(platform::ansiToUtf16(bytes));
}

namespace {

nlohmann::ordered_json positionFields(const InitPosition& p) {
    return {{"latitude", p.latitude}, {"longitude", p.longitude}, {"altitude", p.altitude}, {"pitch", p.pitch},
            {"bank", p.bank},         {"heading", p.heading},     {"onGround", p.onGround}, {"airspeed", p.airspeed}};
}

struct FieldsOf {
    nlohmann::ordered_json operator()(const OpenRequest& q) const {
        return {{"appName", ansiToUtf8(q.appName)}, {"versionBlock", q.versionBlock}};
    }
    nlohmann::ordered_json operator()(const MapEventRequest& q) const {
        return {{"eventId", q.eventId}, {"eventName", ansiToUtf8(q.eventName)}};
    }
    nlohmann::ordered_json operator()(const TransmitEventRequest& q) const {
        return {{"objectId", q.objectId},
                {"eventId", q.eventId},
                {"data", q.data},
                {"groupId", q.groupId},
                {"flags", q.flags}};
    }
    nlohmann::ordered_json operator()(const AddToGroupRequest& q) const {
        return {{"groupId", q.groupId}, {"eventId", q.eventId}, {"maskable", q.maskable}};
    }
    nlohmann::ordered_json operator()(const GroupPriorityRequest& q) const {
        return {{"groupId", q.groupId}, {"priority", q.priority}};
    }
    nlohmann::ordered_json operator()(const AddToDefinitionRequest& q) const {
        return {{"definitionId", q.definitionId},
                {"datumName", ansiToUtf8(q.datumName)},
                {"unitsName", ansiToUtf8(q.unitsName)},
                {"dataType", q.dataType},
                {"epsilon", q.epsilon},
                {"datumId", q.datumId}};
    }
    nlohmann::ordered_json operator()(const DataRequest& q) const {
        return {{"requestId", q.requestId}, {"definitionId", q.definitionId},
                {"objectId", q.objectId},   {"period", q.period},
                {"flags", q.flags},         {"origin", q.origin},
                {"interval", q.interval},   {"limit", q.limit}};
    }
    nlohmann::ordered_json operator()(const DataByTypeRequest& q) const {
        return {{"requestId", q.requestId},
                {"definitionId", q.definitionId},
                {"radiusMeters", q.radiusMeters},
                {"objectType", q.objectType}};
    }
    nlohmann::ordered_json operator()(const SetDataRequest& q) const {
        return {{"definitionId", q.definitionId}, {"objectId", q.objectId}, {"flags", q.flags},
                {"arrayCount", q.arrayCount},     {"unitSize", q.unitSize}, {"data", hexBytes(q.data, 256)}};
    }
    nlohmann::ordered_json operator()(const SubscribeRequest& q) const {
        return {{"eventId", q.eventId}, {"eventName", ansiToUtf8(q.eventName)}};
    }
    nlohmann::ordered_json operator()(const CreateAiRequest& q) const {
        return {{"title", ansiToUtf8(q.title)},
                {"tailNumber", ansiToUtf8(q.tailNumber)},
                {"position", positionFields(q.position)},
                {"requestId", q.requestId}};
    }
    nlohmann::ordered_json operator()(const ReleaseControlRequest& q) const {
        return {{"objectId", q.objectId}, {"requestId", q.requestId}};
    }
    nlohmann::ordered_json operator()(const RemoveObjectRequest& q) const {
        return {{"objectId", q.objectId}, {"requestId", q.requestId}};
    }
    nlohmann::ordered_json operator()(const FlightPlanRequest& q) const {
        return {{"objectId", q.objectId}, {"path", ansiToUtf8(q.path)}, {"requestId", q.requestId}};
    }
};

}  // namespace

nlohmann::ordered_json requestFields(const RequestBody& body) {
    return std::visit(FieldsOf{}, body);
}

}  // namespace simulator
