// The program's SimConnect client library. It connects to the simulator's
// SimConnect server over a named pipe or TCP, sends request packets and hands
// the received messages to the caller's dispatch procedure.
//
// The functions carry SimConnect's public names and argument orders. Each one
// returns a result code (negative = failure) and never throws. Texts are UTF-8
// here; on the wire they are in the Windows ANSI code page, and a text that
// has no form there fails the call with kEInvalidArg.
#pragma once

#include <cstddef>
#include <cstdint>

// One client handle: one connection to the simulator.
struct SimConnectClient;

// An HRESULT value.
using SimConnectResult = std::int32_t;

namespace simconnect {

inline constexpr SimConnectResult kSOk = 0;
inline constexpr SimConnectResult kEFail = static_cast<SimConnectResult>(0x80004005u);
inline constexpr SimConnectResult kEInvalidArg = static_cast<SimConnectResult>(0x80070057u);
inline constexpr SimConnectResult kETextTooLong = static_cast<SimConnectResult>(0x8007007Au);  // a text longer than its field
inline constexpr SimConnectResult kEAbort = static_cast<SimConnectResult>(0x80004004u);         // a received size is impossible
inline constexpr SimConnectResult kEOutOfMemory = static_cast<SimConnectResult>(0x8007000Eu);

// Identifier values of the protocol.
inline constexpr std::uint32_t kUnused = 0xFFFFFFFFu;            // SIMCONNECT_UNUSED
inline constexpr std::uint32_t kObjectIdUser = 0;                // the user's aircraft
inline constexpr std::uint32_t kNoConfigFiles = 0xFFFFFFFFu;     // configuration index that reads no SimConnect.cfg
inline constexpr std::uint32_t kDataTypeInt64 = 2;
inline constexpr std::uint32_t kDataTypeFloat64 = 4;
inline constexpr std::uint32_t kDataTypeString32 = 6;
inline constexpr std::uint32_t kDataTypeStringV = 11;
inline constexpr std::uint32_t kPeriodOnce = 1;
inline constexpr std::uint32_t kPeriodSecond = 4;
inline constexpr std::uint32_t kSimObjectTypeAircraft = 2;
inline constexpr std::uint32_t kGroupPriorityHighest = 1;

// The initial position of a created AI object (56 bytes on the wire).
struct InitPosition {
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    double altitude = 0.0;   // feet
    double pitch = 0.0;      // degrees
    double bank = 0.0;       // degrees
    double heading = 0.0;    // degrees
    std::uint32_t onGround = 0;
    std::uint32_t airspeed = 0;  // knots
};

// Called by SimConnect_CallDispatch for each received message (at least 12
// bytes: u32 size, u32 version, u32 message id, then its fields).
using DispatchProc = void (*)(const std::byte* message, std::uint32_t size, void* context);

}  // namespace simconnect

// Connects (named pipe or TCP, as SimConnect.cfg and the registry say) and
// sends the open packet. window/userMessage and event, when given, are
// notified whenever messages arrive; the event also when the connection breaks. configIndex picks the section
// "SimConnect" (0) or "SimConnect.<index>"; kNoConfigFiles reads no file.
SimConnectResult SimConnect_Open(SimConnectClient** handle, const char* name, void* window, std::uint32_t userMessage,
                                 void* event, std::uint32_t configIndex);
SimConnectResult SimConnect_Close(SimConnectClient* handle);
// Calls dispatch for every queued message in arrival order on the calling
// thread; then kSOk, or the failure code of a broken connection.
SimConnectResult SimConnect_CallDispatch(SimConnectClient* handle, simconnect::DispatchProc dispatch, void* context);
// The serial of the last packet reserved on the handle.
SimConnectResult SimConnect_GetLastSentPacketID(SimConnectClient* handle, std::uint32_t* id);

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectClient* handle, std::uint32_t eventId,
                                                     const char* eventName = "");
SimConnectResult SimConnect_TransmitClientEvent(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t eventId,
                                                std::uint32_t data, std::uint32_t groupId, std::uint32_t flags);
SimConnectResult SimConnect_AddClientEventToNotificationGroup(SimConnectClient* handle, std::uint32_t groupId,
                                                              std::uint32_t eventId, bool maskable = false);
SimConnectResult SimConnect_SetNotificationGroupPriority(SimConnectClient* handle, std::uint32_t groupId,
                                                         std::uint32_t priority);
SimConnectResult SimConnect_AddToDataDefinition(SimConnectClient* handle, std::uint32_t defineId, const char* datumName,
                                                const char* unitsName,
                                                std::uint32_t datumType = simconnect::kDataTypeFloat64,
                                                float epsilon = 0.0f, std::uint32_t datumId = simconnect::kUnused);
SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectClient* handle, std::uint32_t requestId,
                                                   std::uint32_t defineId, std::uint32_t objectId, std::uint32_t period,
                                                   std::uint32_t flags = 0, std::uint32_t origin = 0,
                                                   std::uint32_t interval = 0, std::uint32_t limit = 0);
SimConnectResult SimConnect_RequestDataOnSimObjectType(SimConnectClient* handle, std::uint32_t requestId,
                                                       std::uint32_t defineId, std::uint32_t radiusMeters,
                                                       std::uint32_t type);
// Sends arrayCount units of unitSize bytes (one unit when arrayCount is 0).
SimConnectResult SimConnect_SetDataOnSimObject(SimConnectClient* handle, std::uint32_t defineId, std::uint32_t objectId,
                                               std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                               const void* data);
SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectClient* handle, std::uint32_t eventId,
                                                   const char* systemEventName);
SimConnectResult SimConnect_AICreateNonATCAircraft(SimConnectClient* handle, const char* containerTitle,
                                                   const char* tailNumber, simconnect::InitPosition position,
                                                   std::uint32_t requestId);
SimConnectResult SimConnect_AIReleaseControl(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t requestId);
SimConnectResult SimConnect_AIRemoveObject(SimConnectClient* handle, std::uint32_t objectId, std::uint32_t requestId);
SimConnectResult SimConnect_AISetAircraftFlightPlan(SimConnectClient* handle, std::uint32_t objectId,
                                                    const char* flightPlanPath, std::uint32_t requestId);
