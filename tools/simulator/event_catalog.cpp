#include "tools/simulator/event_catalog.h"

#include <array>
#include <cctype>
#include <limits>
#include <string>

#include "tools/simulator/datum_catalog.h"

namespace simulator {

namespace {

constexpr std::int64_t kAnyMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kAnyMax = std::numeric_limits<std::int32_t>::max();

constexpr std::array kSimEvents = {
    SimEventInfo{"BEACON_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightBeacon},
    SimEventInfo{"NAV_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightNav},
    SimEventInfo{"TAXI_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightTaxi},
    SimEventInfo{"STROBES_SET", EventEffect::LightSet, 0, 1, kLightStrobe},
    SimEventInfo{"LANDING_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightLanding},
    SimEventInfo{"CABIN_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightCabin},
    SimEventInfo{"LOGO_LIGHTS_SET", EventEffect::LightSet, 0, 1, kLightLogo},
    SimEventInfo{"TOGGLE_BEACON_LIGHTS", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightBeacon},
    SimEventInfo{"TOGGLE_NAV_LIGHTS", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightNav},
    SimEventInfo{"TOGGLE_TAXI_LIGHTS", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightTaxi},
    SimEventInfo{"STROBES_TOGGLE", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightStrobe},
    SimEventInfo{"LANDING_LIGHTS_TOGGLE", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightLanding},
    SimEventInfo{"TOGGLE_CABIN_LIGHTS", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightCabin},
    SimEventInfo{"TOGGLE_LOGO_LIGHTS", EventEffect::LightToggle, kAnyMin, kAnyMax, kLightLogo},
    SimEventInfo{"ALL_LIGHTS_TOGGLE", EventEffect::AllLightsToggle, kAnyMin, kAnyMax},
    SimEventInfo{"FREEZE_LATITUDE_LONGITUDE_SET", EventEffect::FreezeLatLonSet, 0, 1},
    SimEventInfo{"FREEZE_ALTITUDE_SET", EventEffect::FreezeAltitudeSet, 0, 1},
    SimEventInfo{"FREEZE_ATTITUDE_SET", EventEffect::FreezeAttitudeSet, 0, 1},
    SimEventInfo{"FLAPS_SET", EventEffect::FlapsSet, 0, 16383},
    SimEventInfo{"FLAPS_UP", EventEffect::FlapsUp, kAnyMin, kAnyMax},
    SimEventInfo{"FLAPS_DOWN", EventEffect::FlapsDown, kAnyMin, kAnyMax},
    SimEventInfo{"SPOILERS_SET", EventEffect::SpoilersSet, 0, 16383},
    SimEventInfo{"SPOILERS_ON", EventEffect::SpoilersOn, kAnyMin, kAnyMax},
    SimEventInfo{"SPOILERS_OFF", EventEffect::SpoilersOff, kAnyMin, kAnyMax},
    SimEventInfo{"GEAR_SET", EventEffect::GearSet, 0, 1},
    SimEventInfo{"GEAR_UP", EventEffect::GearUp, kAnyMin, kAnyMax},
    SimEventInfo{"GEAR_DOWN", EventEffect::GearDown, kAnyMin, kAnyMax},
    SimEventInfo{"THROTTLE_SET", EventEffect::ThrottleSet, 0, 16383},
    SimEventInfo{"ENGINE_AUTO_START", EventEffect::EngineAutoStart, kAnyMin, kAnyMax},
    SimEventInfo{"ENGINE_AUTO_SHUTDOWN", EventEffect::EngineAutoShutdown, kAnyMin, kAnyMax},
    SimEventInfo{"PARKING_BRAKES", EventEffect::ParkingBrakes, kAnyMin, kAnyMax},
};

struct SystemEventName {
    SystemEvent event;
    std::string_view name;
};

constexpr std::array kSystemEvents = {
    SystemEventName{SystemEvent::OneSec, "1sec"},
    SystemEventName{SystemEvent::FourSec, "4sec"},
    SystemEventName{SystemEvent::SixHz, "6Hz"},
    SystemEventName{SystemEvent::AircraftLoaded, "AircraftLoaded"},
    SystemEventName{SystemEvent::Crashed, "Crashed"},
    SystemEventName{SystemEvent::CrashReset, "CrashReset"},
    SystemEventName{SystemEvent::FlightLoaded, "FlightLoaded"},
    SystemEventName{SystemEvent::FlightSaved, "FlightSaved"},
    SystemEventName{SystemEvent::FlightPlanActivated, "FlightPlanActivated"},
    SystemEventName{SystemEvent::FlightPlanDeactivated, "FlightPlanDeactivated"},
    SystemEventName{SystemEvent::Frame, "Frame"},
    SystemEventName{SystemEvent::Pause, "Pause"},
    SystemEventName{SystemEvent::Paused, "Paused"},
    SystemEventName{SystemEvent::PauseFrame, "PauseFrame"},
    SystemEventName{SystemEvent::PositionChanged, "PositionChanged"},
    SystemEventName{SystemEvent::Sim, "Sim"},
    SystemEventName{SystemEvent::SimStart, "SimStart"},
    SystemEventName{SystemEvent::SimStop, "SimStop"},
    SystemEventName{SystemEvent::Sound, "Sound"},
    SystemEventName{SystemEvent::Unpaused, "Unpaused"},
    SystemEventName{SystemEvent::View, "View"},
    SystemEventName{SystemEvent::WeatherModeChanged, "WeatherModeChanged"},
    SystemEventName{SystemEvent::ObjectAdded, "ObjectAdded"},
    SystemEventName{SystemEvent::ObjectRemoved, "ObjectRemoved"},
};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const SimEventInfo* findSimEvent(std::string_view name) {
    for (const SimEventInfo& event : kSimEvents)
        if (equalIgnoringCase(event.name, name)) return &event;
    return nullptr;
}

bool isPrivateEventName(std::string_view name) {
    return name.find('.') != std::string_view::npos;
}

std::optional<SystemEvent> findSystemEvent(std::string_view name) {
    for (const SystemEventName& entry : kSystemEvents)
        if (equalIgnoringCase(entry.name, name)) return entry.event;
    return std::nullopt;
}

std::string_view systemEventName(SystemEvent event) {
    for (const SystemEventName& entry : kSystemEvents)
        if (entry.event == event) return entry.name;
    return "?";
}

}  // namespace simulator
