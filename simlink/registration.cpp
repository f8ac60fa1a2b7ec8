// What the program registers with the simulator once connected. The
// simulator answers a wrong name with an exception that the program does not
// wait for, so the names here must be exactly the simulator's.
#include <cstdint>

#include "simlink/client_thread.h"
#include "simlink/sim_ids.h"
#include "simlink/simconnect/simconnect.h"
#include "simlink/state.h"

namespace {

using simconnect::kDataTypeFloat64;
using simconnect::kDataTypeInt64;
using simconnect::kDataTypeString32;
using simconnect::kDataTypeStringV;

struct Named {
    std::uint32_t id;
    const char* name;
};

struct Datum {
    std::uint32_t definition;
    const char* name;
    const char* units;  // empty for texts
    std::uint32_t type;
};

constexpr Named kSystemEvents[] = {
    {EVT_SIM, "Sim"},
    {EVT_OBJECT_ADDED, "ObjectAdded"},
    {EVT_OBJECT_REMOVED, "ObjectRemoved"},
    {EVT_POSITION_CHANGED, "PositionChanged"},
    {EVT_FLIGHT_LOADED, "FlightLoaded"},
    {EVT_FRAME, "Frame"},
};

constexpr Datum kDatums[] = {
    {DEF_TITLE, "TITLE", "", kDataTypeStringV},
    {DEF_ATC_MODEL, "ATC MODEL", "", kDataTypeString32},
    {DEF_SIM_ON_GROUND, "SIM ON GROUND", "Bool", kDataTypeInt64},
    {DEF_SET_POSITION, "Plane Latitude", "degree", kDataTypeFloat64},
    {DEF_SET_POSITION, "Plane Longitude", "degree", kDataTypeFloat64},
    {DEF_SET_POSITION, "Plane Pitch degrees", "radians", kDataTypeFloat64},
    {DEF_SET_POSITION, "Plane Bank degrees", "radians", kDataTypeFloat64},
    {DEF_SET_POSITION, "Plane Heading degrees true", "radians", kDataTypeFloat64},
    {DEF_SET_POSITION, "Plane Altitude", "feet", kDataTypeFloat64},
    {DEF_SET_POSITION, "Vertical Speed", "feet per second", kDataTypeFloat64},
    {DEF_SET_POSITION, "Airspeed True", "knots", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Latitude", "degree", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Longitude", "degree", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Pitch degrees", "radians", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Bank degrees", "radians", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Heading degrees true", "radians", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Altitude", "feet", kDataTypeFloat64},
    {DEF_USER_STATE, "Plane Alt Above Ground", "feet", kDataTypeFloat64},
    {DEF_USER_STATE, "Ground Velocity", "knots", kDataTypeFloat64},
    {DEF_USER_STATE, "ZULU TIME", "Seconds", kDataTypeInt64},
    {DEF_USER_STATE, "ZULU DAY OF YEAR", "Number", kDataTypeInt64},
    {DEF_USER_STATE, "ZULU YEAR", "Number", kDataTypeInt64},
    {DEF_USER_STATE, "LIGHT STATES", "Mask", kDataTypeInt64},
    {DEF_STATIC_CG, "Static CG to Ground", "feet", kDataTypeFloat64},
    {DEF_STATIC_CG, "Static Pitch", "radians", kDataTypeFloat64},
    {DEF_LIGHT_ON_STATES, "Light On States", "Mask", kDataTypeInt64},
    {DEF_AI_IN_RANGE, "Plane Alt Above Ground", "feet", kDataTypeFloat64},
    {DEF_AI_IN_RANGE, "Ground Altitude", "feet", kDataTypeFloat64},
    {DEF_AI_IN_RANGE, "SIM ON GROUND", "Bool", kDataTypeInt64},
    {DEF_AI_IN_RANGE, "ATC ID", "", kDataTypeString32},
    {DEF_SET_CONTROLS, "SPOILERS HANDLE POSITION", "percent", kDataTypeFloat64},
    {DEF_SET_CONTROLS, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", kDataTypeFloat64},
    {DEF_SET_CONTROLS, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", kDataTypeFloat64},
};

constexpr Named kClientEvents[] = {
    {EVT_GEAR_SET, "GEAR_SET"},
    {EVT_ENGINE_AUTO_START, "ENGINE_AUTO_START"},
    {EVT_ENGINE_AUTO_SHUTDOWN, "ENGINE_AUTO_SHUTDOWN"},
    {EVT_THROTTLE_SET, "THROTTLE_SET"},
    {EVT_FLAPS_SET, "FLAPS_SET"},
    {EVT_SPOILERS_SET, "SPOILERS_SET"},
    {EVT_NAV_LIGHTS_SET, "NAV_LIGHTS_SET"},
    {EVT_BEACON_LIGHTS_SET, "BEACON_LIGHTS_SET"},
    {EVT_LANDING_LIGHTS_SET, "LANDING_LIGHTS_SET"},
    {EVT_TAXI_LIGHTS_SET, "TAXI_LIGHTS_SET"},
    {EVT_STROBES_SET, "STROBES_SET"},
    {EVT_LOGO_LIGHTS_SET, "LOGO_LIGHTS_SET"},
    {EVT_CABIN_LIGHTS_SET, "CABIN_LIGHTS_SET"},
    {EVT_ALL_LIGHTS_TOGGLE, "ALL_LIGHTS_TOGGLE"},
    {EVT_FREEZE_LATITUDE_LONGITUDE_SET, "FREEZE_LATITUDE_LONGITUDE_SET"},
    {EVT_FREEZE_ALTITUDE_SET, "FREEZE_ALTITUDE_SET"},
    {EVT_FREEZE_ATTITUDE_SET, "FREEZE_ATTITUDE_SET"},
};

// Every client event but ENGINE_AUTO_START, which is still transmitted with the group.
constexpr std::uint32_t kGroupEvents[] = {
    EVT_NAV_LIGHTS_SET,     EVT_BEACON_LIGHTS_SET, EVT_LANDING_LIGHTS_SET,  EVT_TAXI_LIGHTS_SET,
    EVT_STROBES_SET,        EVT_LOGO_LIGHTS_SET,   EVT_CABIN_LIGHTS_SET,    EVT_ALL_LIGHTS_TOGGLE,
    EVT_FLAPS_SET,          EVT_SPOILERS_SET,      EVT_GEAR_SET,            EVT_ENGINE_AUTO_SHUTDOWN,
    EVT_THROTTLE_SET,       EVT_FREEZE_LATITUDE_LONGITUDE_SET, EVT_FREEZE_ALTITUDE_SET, EVT_FREEZE_ATTITUDE_SET,
};

}  // namespace

void lf_setupSimConnect() {
    SimConnectClient* const handle = g_simHandle.load();
    for (const Named& e : kSystemEvents) SimConnect_SubscribeToSystemEvent(handle, e.id, e.name);
    for (const Datum& d : kDatums)
        SimConnect_AddToDataDefinition(handle, d.definition, d.name, d.units, d.type, 0.0f, simconnect::kUnused);
    for (const Named& e : kClientEvents) SimConnect_MapClientEventToSimEvent(handle, e.id, e.name);
    for (const std::uint32_t id : kGroupEvents) SimConnect_AddClientEventToNotificationGroup(handle, GROUP_AI, id, true);
    SimConnect_SetNotificationGroupPriority(handle, GROUP_AI, simconnect::kGroupPriorityHighest);
}
