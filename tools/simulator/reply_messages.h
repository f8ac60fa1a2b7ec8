// The messages the stand-in sends back, each as its bytes and as a record
// entry for the JSON-lines log. Layouts: a 12-byte header (u32 size, u32
// protocol version, u32 message id) and the message's fields.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/simulator/protocol_ids.h"

namespace simulator {

struct Reply {
    std::vector<std::uint8_t> bytes;
    nlohmann::ordered_json record;  // {"kind": ..., "fields": {...}}
};

// The group id a system event arrives with.
inline constexpr std::uint32_t kSystemEventGroup = 0xFFFFFFFFu;

Reply exceptionMessage(std::uint32_t version, ExceptionCode code, std::uint32_t sendId, std::uint32_t index);
Reply openMessage(std::uint32_t version, std::string_view appName, const std::array<std::uint32_t, 4>& appVersion,
                  const std::array<std::uint32_t, 4>& simConnectVersion);
Reply quitMessage(std::uint32_t version);
Reply eventMessage(std::uint32_t version, std::uint32_t groupId, std::uint32_t eventId, std::uint32_t data);
Reply addRemoveMessage(std::uint32_t version, std::uint32_t eventId, std::uint32_t objectId, ObjectType objectType);
Reply filenameMessage(std::uint32_t version, std::uint32_t eventId, std::string_view fileName);
Reply frameMessage(std::uint32_t version, std::uint32_t eventId, float frameRate, float simSpeed);
Reply assignedObjectIdMessage(std::uint32_t version, std::uint32_t requestId, std::uint32_t objectId);

struct ObjectDataHeader {
    bool byType = false;
    std::uint32_t requestId = 0, objectId = 0, definitionId = 0, flags = 0, entry = 1, outOf = 1, defineCount = 0;
};
// `values` shows the block's datums readably in the record.
Reply objectDataMessage(std::uint32_t version, const ObjectDataHeader& header, std::span<const std::uint8_t> block,
                        nlohmann::ordered_json values);

}  // namespace simulator
