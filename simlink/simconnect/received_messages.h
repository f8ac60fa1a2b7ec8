// The fields of the received messages that the program reads. Every reader
// checks the message's size before it takes a field and gives no value for a
// message too short to hold them; texts end at their field, at the first zero
// or at the end of the message, and come out as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace simconnect {

// Message ids (the u32 at offset 8).
enum class RecvId : std::uint32_t {
    Null = 0,
    Exception = 1,
    Open = 2,
    Quit = 3,
    Event = 4,
    EventObjectAddRemove = 5,
    EventFilename = 6,
    EventFrame = 7,
    SimObjectData = 8,
    SimObjectDataByType = 9,
    AssignedObjectId = 12,
};

struct RecvHeader {
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::uint32_t id = 0;
};

struct RecvException {
    std::uint32_t exception = 0;  // the exception code
    std::uint32_t sendId = 0;     // serial of the packet that failed
    std::uint32_t index = 0;      // the parameter at fault
};

struct RecvOpen {
    std::string applicationName;
    std::uint32_t versionMajor = 0;
    std::uint32_t versionMinor = 0;
    std::uint32_t buildMajor = 0;
    std::uint32_t buildMinor = 0;
};

// EVENT, and the event part of EVENT_OBJECT_ADDREMOVE, EVENT_FILENAME and EVENT_FRAME.
struct RecvEvent {
    std::uint32_t groupId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t data = 0;
};

struct RecvObjectAddRemove {
    RecvEvent event;  // data = the object id
    std::uint32_t objectType = 0;
};

// SIMOBJECT_DATA and SIMOBJECT_DATA_BYTYPE.
struct RecvSimObjectData {
    std::uint32_t requestId = 0;
    std::uint32_t objectId = 0;
    std::uint32_t defineId = 0;
    std::uint32_t flags = 0;
    std::uint32_t entryNumber = 0;
    std::uint32_t outOf = 0;
    std::uint32_t defineCount = 0;
    std::span<const std::byte> data;  // the data block, to the end of the message
};

std::optional<RecvHeader> readRecvHeader(std::span<const std::byte> message);
std::optional<RecvException> readException(std::span<const std::byte> message);
std::optional<RecvOpen> readOpen(std::span<const std::byte> message);
std::optional<RecvEvent> readEvent(std::span<const std::byte> message);
std::optional<RecvObjectAddRemove> readObjectAddRemove(std::span<const std::byte> message);
std::optional<RecvSimObjectData> readSimObjectData(std::span<const std::byte> message);

// Fields of a data block.
std::optional<double> blockFloat64(std::span<const std::byte> block, std::size_t offset);
std::optional<std::int64_t> blockInt64(std::span<const std::byte> block, std::size_t offset);
// A STRING32 datum: 32 bytes, zero-terminated unless it fills them.
std::optional<std::string> blockString32(std::span<const std::byte> block, std::size_t offset);
// A STRINGV datum: zero-terminated, as long as the block allows.
std::optional<std::string> blockStringV(std::span<const std::byte> block, std::size_t offset);

}  // namespace simconnect
