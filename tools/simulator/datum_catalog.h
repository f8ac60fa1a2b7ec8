// The simulation variables ("datums") the stand-in knows, their units and
// the data types they may be read as. A client's AddToDataDefinition is
// checked against this catalog; names and units are matched ignoring case,
// as a simulator does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace simulator {

// Each class has one canonical unit in which the world answers: radians,
// feet, knots, seconds, 0/1, plain numbers, percent, text.
enum class UnitClass { Angle, Length, Speed, Time, Bool, Number, Percent, Text };

enum class DatumKey {
    Latitude, Longitude, Altitude, Pitch, Bank, HeadingTrue, HeadingMagnetic, VerticalSpeed, AirspeedTrue,
    AirspeedIndicated, GroundVelocity, AltAboveGround, GroundAltitude, SimOnGround, ZuluTime, ZuluDayOfYear,
    ZuluYear, ZuluMonthOfYear, ZuluDayOfMonth, LightStates, LightOnStates, StaticCgToGround, StaticPitch,
    SpoilersHandlePosition, ThrottleLeverPosition, EngineCombustion, GearHandlePosition, FlapsHandlePercent,
    LightNav, LightBeacon, LightLanding, LightTaxi, LightStrobe, LightLogo, LightCabin, Title, AtcId, AtcModel,
    Category, IsUserSim,
};

// A value range in the canonical unit. A value outside the hard range cannot
// be a position or setting at all (answered with DATA_ERROR); one outside the
// soft range is possible on the wire but points at a unit mix-up.
struct ValueRange {
    double min;
    double max;
    bool maxExcluded = false;
    bool holds(double value) const { return value >= min && (maxExcluded ? value < max : value <= max); }
};

struct DatumInfo {
    std::string_view name;  // upper case
    DatumKey key;
    UnitClass unitClass;
    bool indexed;   // takes ":n" with n from 1 to 4 (engines)
    bool settable;  // SetDataOnSimObject may write it
    ValueRange hard;
    ValueRange soft;
};

struct ResolvedDatum {
    const DatumInfo* info = nullptr;
    int index = 0;  // the ":n" suffix, 0 when none
};

// Nothing when the name is unknown, carries an index it must not carry, or
// lacks one it needs.
std::optional<ResolvedDatum> findDatum(std::string_view name);

// The factor that turns a canonical value into the unit (value = canonical x
// factor); nothing when the unit does not belong to the class.
std::optional<double> unitFactor(UnitClass unitClass, std::string_view unitName);

// Numbers are read as INT32, INT64, FLOAT32 or FLOAT64; texts as STRING8 to
// STRING260 or STRINGV.
bool dataTypeFits(UnitClass unitClass, std::uint32_t dataType);

// Bytes a value of the type takes in a data block; 0 for STRINGV (its length
// follows the text) and for types not served.
std::size_t dataTypeSize(std::uint32_t dataType);

// The bits of LIGHT STATES.
inline constexpr std::uint32_t kLightNav = 0x1;
inline constexpr std::uint32_t kLightBeacon = 0x2;
inline constexpr std::uint32_t kLightLanding = 0x4;
inline constexpr std::uint32_t kLightTaxi = 0x8;
inline constexpr std::uint32_t kLightStrobe = 0x10;
inline constexpr std::uint32_t kLightLogo = 0x100;
inline constexpr std::uint32_t kLightCabin = 0x200;
inline constexpr std::uint32_t kAllLights = 0x3FF;

}  // namespace simulator
