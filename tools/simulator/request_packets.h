// The request packets a SimConnect client sends, read from their bytes with
// every structural check: the header (size, protocol version, type mark,
// serial), the size the request code demands, and the termination of every
// text field. Whether names, ids and values make sense is the session's
// concern (session.h); this file only says what the bytes hold.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/simulator/protocol_ids.h"

namespace simulator {

struct PacketHeader {
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::uint32_t type = 0;
    std::uint32_t serial = 0;
    std::uint32_t code() const { return type & ~kPacketTypeMark; }
};

struct OpenRequest {
    std::string appName;
    std::array<std::uint32_t, 6> versionBlock{};  // the six u32 at 272..295, taken as they come
};
struct MapEventRequest {
    std::uint32_t eventId = 0;
    std::string eventName;
};
struct TransmitEventRequest {
    std::uint32_t objectId = 0, eventId = 0, data = 0, groupId = 0, flags = 0;
};
struct AddToGroupRequest {
    std::uint32_t groupId = 0, eventId = 0, maskable = 0;
};
struct GroupPriorityRequest {
    std::uint32_t groupId = 0, priority = 0;
};
struct AddToDefinitionRequest {
    std::uint32_t definitionId = 0;
    std::string datumName;
    std::string unitsName;
    std::uint32_t dataType = 0;
    float epsilon = 0;
    std::uint32_t datumId = 0;
};
struct DataRequest {
    std::uint32_t requestId = 0, definitionId = 0, objectId = 0, period = 0, flags = 0, origin = 0, interval = 0,
                  limit = 0;
};
struct DataByTypeRequest {
    std::uint32_t requestId = 0, definitionId = 0, radiusMeters = 0, objectType = 0;
};
struct SetDataRequest {
    std::uint32_t definitionId = 0, objectId = 0, flags = 0, arrayCount = 0, unitSize = 0;
    std::vector<std::uint8_t> data;
};
struct SubscribeRequest {
    std::uint32_t eventId = 0;
    std::string eventName;
};
struct InitPosition {
    double latitude = 0, longitude = 0, altitude = 0, pitch = 0, bank = 0, heading = 0;  // degrees, feet
    std::uint32_t onGround = 0, airspeed = 0;
};
struct CreateAiRequest {
    std::string title;
    std::string tailNumber;
    InitPosition position;
    std::uint32_t requestId = 0;
};
struct ReleaseControlRequest {
    std::uint32_t objectId = 0, requestId = 0;
};
struct RemoveObjectRequest {
    std::uint32_t objectId = 0, requestId = 0;
};
struct FlightPlanRequest {
    std::uint32_t objectId = 0;
    std::string path;  // bytes in the client's ANSI code page
    std::uint32_t requestId = 0;
};

using RequestBody =
    std::variant<OpenRequest, MapEventRequest, TransmitEventRequest, AddToGroupRequest, GroupPriorityRequest,
                 AddToDefinitionRequest, DataRequest, DataByTypeRequest, SetDataRequest, SubscribeRequest,
                 CreateAiRequest, ReleaseControlRequest, RemoveObjectRequest, FlightPlanRequest>;

// Why a packet is refused: the exception a simulator answers with, the
// 1-based position of the offending argument of the call (0: the packet as a
// whole), and a sentence for the person reading the record.
struct Refusal {
    ExceptionCode exception = ExceptionCode::Error;
    std::uint32_t index = 0;
    std::string reason;
};

struct ParsedPacket {
    PacketHeader header;
    std::optional<RequestBody> body;  // the request, when its bytes are well-formed
    std::optional<Refusal> refusal;   // why not, otherwise
    std::vector<std::string> flaws;   // oddities no simulator would answer (dirty text fields)
};

// The expected packet size for a request code; 0 for codes not served and for
// SetDataOnSimObject, whose size depends on its fields.
std::uint32_t expectedRequestSize(std::uint32_t code);

ParsedPacket parseRequest(std::span<const std::uint8_t> packet);

// The request's fields for the record, texts converted from the ANSI code page.
nlohmann::ordered_json requestFields(const RequestBody& body);

// Client texts (titles, names, paths) come in the ANSI code page; the record
// and the world dump hold them as UTF-8.
std::string ansiToUtf8(const std::string& bytes);

}  // namespace simulator
