// The simulator events a client may map its client events to, with the
// values each accepts and what it does to an aircraft, and the system events
// a client may subscribe to.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace simulator {

enum class EventEffect {
    LightSet,        // sets the light bit to the value (0 or 1)
    LightToggle,     // toggles the light bit
    AllLightsToggle, // toggles every light
    FreezeLatLonSet, FreezeAltitudeSet, FreezeAttitudeSet,
    FlapsSet, FlapsUp, FlapsDown,
    SpoilersSet, SpoilersOn, SpoilersOff,
    GearSet, GearUp, GearDown,
    ThrottleSet,
    EngineAutoStart, EngineAutoShutdown,
    ParkingBrakes,
};

struct SimEventInfo {
    std::string_view name;  // upper case
    EventEffect effect;
    std::int64_t minValue;  // the event's data read as a signed 32-bit value
    std::int64_t maxValue;
    std::uint32_t lightBit = 0;
};

// Matched ignoring case; nothing for a name the stand-in does not know.
const SimEventInfo* findSimEvent(std::string_view name);

// A name with a '.' is a client's private event: mapped, never acted on.
bool isPrivateEventName(std::string_view name);

enum class SystemEvent {
    OneSec, FourSec, SixHz, AircraftLoaded, Crashed, CrashReset, FlightLoaded, FlightSaved, FlightPlanActivated,
    FlightPlanDeactivated, Frame, Pause, Paused, PauseFrame, PositionChanged, Sim, SimStart, SimStop, Sound,
    Unpaused, View, WeatherModeChanged, ObjectAdded, ObjectRemoved,
};

std::optional<SystemEvent> findSystemEvent(std::string_view name);
std::string_view systemEventName(SystemEvent event);

}  // namespace simulator
