// The numbers of the SimConnect wire protocol that the stand-in serves:
// request codes, received-message ids, exception codes, data types, periods
// and object types.
#pragma once

#include <cstdint>
#include <string_view>

namespace simulator {

inline constexpr std::uint32_t kPacketTypeMark = 0xF0000000u;
inline constexpr std::uint32_t kRequestHeaderSize = 16;
inline constexpr std::uint32_t kMessageHeaderSize = 12;
inline constexpr std::uint32_t kOldestProtocol = 2;
inline constexpr std::uint32_t kNewestProtocol = 35;
inline constexpr std::uint32_t kUnused = 0xFFFFFFFFu;      // "no id": datum ids, event groups
inline constexpr std::uint32_t kUserObject = 0;            // object id 0 names the user aircraft
inline constexpr std::uint32_t kMaxRadiusMeters = 200000;  // the largest by-type radius served

enum class RequestCode : std::uint32_t {
    Open = 0x01,
    MapClientEventToSimEvent = 0x04,
    TransmitClientEvent = 0x05,
    AddClientEventToNotificationGroup = 0x07,
    SetNotificationGroupPriority = 0x09,
    AddToDataDefinition = 0x0C,
    RequestDataOnSimObject = 0x0E,
    RequestDataOnSimObjectType = 0x0F,
    SetDataOnSimObject = 0x10,
    SubscribeToSystemEvent = 0x17,
    AICreateNonATCAircraft = 0x29,
    AIReleaseControl = 0x2B,
    AIRemoveObject = 0x2C,
    AISetAircraftFlightPlan = 0x2D,
};

enum class MessageId : std::uint32_t {
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

enum class ExceptionCode : std::uint32_t {
    Error = 1,
    SizeMismatch = 2,
    UnrecognizedId = 3,
    Unopened = 4,
    VersionMismatch = 5,
    NameUnrecognized = 7,
    EventIdDuplicate = 9,
    TooManyObjects = 11,
    InvalidDataType = 18,
    InvalidDataSize = 19,
    DataError = 20,
    InvalidArray = 21,
    CreateObjectFailed = 22,
    LoadFlightplanFailed = 23,
    OperationInvalidForObjectType = 24,
    InvalidEnum = 27,
    DuplicateId = 29,
    OutOfBounds = 31,
};

enum class DataType : std::uint32_t {
    Int32 = 1,
    Int64 = 2,
    Float32 = 3,
    Float64 = 4,
    String8 = 5,
    String32 = 6,
    String64 = 7,
    String128 = 8,
    String256 = 9,
    String260 = 10,
    StringV = 11,
};

enum class Period : std::uint32_t { Never = 0, Once = 1, VisualFrame = 2, SimFrame = 3, Second = 4 };

inline constexpr std::uint32_t kRequestFlagChanged = 1;
inline constexpr std::uint32_t kRequestFlagTagged = 2;
inline constexpr std::uint32_t kEventFlagGroupIsPriority = 0x10;
inline constexpr std::uint32_t kEventFlagsKnown = 0x1C;  // fast and slow repeat timer, group is priority

enum class ObjectType : std::uint32_t { User = 0, All = 1, Aircraft = 2, Helicopter = 3, Boat = 4, Ground = 5 };

std::string_view requestName(std::uint32_t code);  // "?" for codes the stand-in does not serve
std::string_view messageName(MessageId id);
std::string_view exceptionName(std::uint32_t code);  // "SIMCONNECT_EXCEPTION #n" style for others
std::string_view dataTypeName(std::uint32_t type);

}  // namespace simulator
