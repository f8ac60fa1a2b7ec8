// The identifiers the program registers with the simulator and uses in its
// requests: system events, data definitions, client events, the notification
// group and the request ids. The simulator link and the traffic engine share
// them.
#pragma once

#include <cstdint>

// System events.
inline constexpr std::uint32_t EVT_SIM = 201;
inline constexpr std::uint32_t EVT_OBJECT_ADDED = 202;
inline constexpr std::uint32_t EVT_OBJECT_REMOVED = 203;
inline constexpr std::uint32_t EVT_FRAME = 204;
inline constexpr std::uint32_t EVT_POSITION_CHANGED = 205;
inline constexpr std::uint32_t EVT_FLIGHT_LOADED = 206;

// Client events, mapped to the simulator's events of the same name.
inline constexpr std::uint32_t EVT_BEACON_LIGHTS_SET = 207;
inline constexpr std::uint32_t EVT_NAV_LIGHTS_SET = 208;
inline constexpr std::uint32_t EVT_TAXI_LIGHTS_SET = 209;
inline constexpr std::uint32_t EVT_STROBES_SET = 210;
inline constexpr std::uint32_t EVT_LANDING_LIGHTS_SET = 211;
inline constexpr std::uint32_t EVT_CABIN_LIGHTS_SET = 212;
inline constexpr std::uint32_t EVT_LOGO_LIGHTS_SET = 213;
inline constexpr std::uint32_t EVT_ALL_LIGHTS_TOGGLE = 214;
inline constexpr std::uint32_t EVT_FREEZE_LATITUDE_LONGITUDE_SET = 215;
inline constexpr std::uint32_t EVT_FREEZE_ALTITUDE_SET = 216;
inline constexpr std::uint32_t EVT_FREEZE_ATTITUDE_SET = 217;
inline constexpr std::uint32_t EVT_FLAPS_SET = 218;
inline constexpr std::uint32_t EVT_SPOILERS_SET = 219;
inline constexpr std::uint32_t EVT_GEAR_SET = 220;
inline constexpr std::uint32_t EVT_ENGINE_AUTO_START = 221;
inline constexpr std::uint32_t EVT_ENGINE_AUTO_SHUTDOWN = 222;
inline constexpr std::uint32_t EVT_THROTTLE_SET = 223;

// The notification group of every client event the program transmits.
inline constexpr std::uint32_t GROUP_AI = 301;

// Data definitions.
inline constexpr std::uint32_t DEF_SET_CONTROLS = 401;   // spoilers handle, throttle levers 1 and 2 (percent)
inline constexpr std::uint32_t DEF_SET_POSITION = 402;   // the 64-byte AI position block
inline constexpr std::uint32_t DEF_USER_STATE = 403;     // the user aircraft's 96-byte block
inline constexpr std::uint32_t DEF_AI_IN_RANGE = 404;    // above ground, ground altitude, on ground, ATC ID
inline constexpr std::uint32_t DEF_STATIC_CG = 405;      // static CG to ground, static pitch
inline constexpr std::uint32_t DEF_LIGHT_ON_STATES = 406;
inline constexpr std::uint32_t DEF_TITLE = 407;
inline constexpr std::uint32_t DEF_ATC_MODEL = 408;
inline constexpr std::uint32_t DEF_SIM_ON_GROUND = 409;

// Request ids.
inline constexpr std::uint32_t REQ_AI_IN_RANGE = 101;
inline constexpr std::uint32_t REQ_STATIC_CG = 102;
inline constexpr std::uint32_t REQ_AI_RELEASE = 103;
inline constexpr std::uint32_t REQ_AI_CREATE = 104;
inline constexpr std::uint32_t REQ_AI_REMOVE = 105;
inline constexpr std::uint32_t REQ_USER_TITLE = 106;
inline constexpr std::uint32_t REQ_USER_MODEL = 107;
inline constexpr std::uint32_t REQ_USER_ON_GROUND = 108;
inline constexpr std::uint32_t REQ_USER_STATE = 109;
inline constexpr std::uint32_t REQ_FLIGHT_PLAN = 110;
