#include "tools/simulator/datum_catalog.h"

#include <array>
#include <cctype>
#include <limits>
#include <string>

#include "tools/simulator/protocol_ids.h"

namespace simulator {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;
constexpr ValueRange kAny{-kInf, kInf};

constexpr std::array kDatums = {
    DatumInfo{"PLANE LATITUDE", DatumKey::Latitude, UnitClass::Angle, false, true, {-kPi / 2, kPi / 2}, kAny},
    DatumInfo{"PLANE LONGITUDE", DatumKey::Longitude, UnitClass::Angle, false, true, {-kPi, kPi}, kAny},
    DatumInfo{"PLANE ALTITUDE", DatumKey::Altitude, UnitClass::Length, false, true, kAny, {-1500, 100000}},
    DatumInfo{"PLANE PITCH DEGREES", DatumKey::Pitch, UnitClass::Angle, false, true, kAny, {-kPi / 2, kPi / 2}},
    DatumInfo{"PLANE BANK DEGREES", DatumKey::Bank, UnitClass::Angle, false, true, kAny, {-kPi, kPi}},
    DatumInfo{
        "PLANE HEADING DEGREES TRUE", DatumKey::HeadingTrue, UnitClass::Angle, false, true, kAny, {0, 2 * kPi, true}},
    DatumInfo{"PLANE HEADING DEGREES MAGNETIC",
              DatumKey::HeadingMagnetic,
              UnitClass::Angle,
              false,
              true,
              kAny,
              {0, 2 * kPi, true}},
    DatumInfo{"VERTICAL SPEED", DatumKey::VerticalSpeed, UnitClass::Speed, false, true, kAny, {-400, 400}},
    // An AI object pushed back rolls tail first: its true airspeed is then a
    // few knots below zero.
    DatumInfo{"AIRSPEED TRUE", DatumKey::AirspeedTrue, UnitClass::Speed, false, true, kAny, {-30, 1000}},
    DatumInfo{"AIRSPEED INDICATED", DatumKey::AirspeedIndicated, UnitClass::Speed, false, true, kAny, {0, 1000}},
    DatumInfo{"GROUND VELOCITY", DatumKey::GroundVelocity, UnitClass::Speed, false, false, kAny, kAny},
    DatumInfo{"PLANE ALT ABOVE GROUND", DatumKey::AltAboveGround, UnitClass::Length, false, false, kAny, kAny},
    DatumInfo{"GROUND ALTITUDE", DatumKey::GroundAltitude, UnitClass::Length, false, false, kAny, kAny},
    DatumInfo{"SIM ON GROUND", DatumKey::SimOnGround, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"ZULU TIME", DatumKey::ZuluTime, UnitClass::Time, false, false, kAny, kAny},
    DatumInfo{"ZULU DAY OF YEAR", DatumKey::ZuluDayOfYear, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"ZULU YEAR", DatumKey::ZuluYear, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"ZULU MONTH OF YEAR", DatumKey::ZuluMonthOfYear, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"ZULU DAY OF MONTH", DatumKey::ZuluDayOfMonth, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"LIGHT STATES", DatumKey::LightStates, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"LIGHT ON STATES", DatumKey::LightOnStates, UnitClass::Number, false, false, kAny, kAny},
    DatumInfo{"STATIC CG TO GROUND", DatumKey::StaticCgToGround, UnitClass::Length, false, false, kAny, kAny},
    DatumInfo{"STATIC PITCH", DatumKey::StaticPitch, UnitClass::Angle, false, false, kAny, kAny},
    DatumInfo{
        "SPOILERS HANDLE POSITION", DatumKey::SpoilersHandlePosition, UnitClass::Percent, false, true, {0, 100}, kAny},
    DatumInfo{"GENERAL ENG THROTTLE LEVER POSITION",
              DatumKey::ThrottleLeverPosition,
              UnitClass::Percent,
              true,
              true,
              {-100, 100},
              kAny},
    DatumInfo{"GENERAL ENG COMBUSTION", DatumKey::EngineCombustion, UnitClass::Bool, true, false, kAny, kAny},
    DatumInfo{"GEAR HANDLE POSITION", DatumKey::GearHandlePosition, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"FLAPS HANDLE PERCENT", DatumKey::FlapsHandlePercent, UnitClass::Percent, false, false, kAny, kAny},
    DatumInfo{"LIGHT NAV", DatumKey::LightNav, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT BEACON", DatumKey::LightBeacon, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT LANDING", DatumKey::LightLanding, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT TAXI", DatumKey::LightTaxi, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT STROBE", DatumKey::LightStrobe, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT LOGO", DatumKey::LightLogo, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"LIGHT CABIN", DatumKey::LightCabin, UnitClass::Bool, false, false, kAny, kAny},
    DatumInfo{"TITLE", DatumKey::Title, UnitClass::Text, false, false, kAny, kAny},
    DatumInfo{"ATC ID", DatumKey::AtcId, UnitClass::Text, false, false, kAny, kAny},
    DatumInfo{"ATC MODEL", DatumKey::AtcModel, UnitClass::Text, false, false, kAny, kAny},
    DatumInfo{"CATEGORY", DatumKey::Category, UnitClass::Text, false, false, kAny, kAny},
    DatumInfo{"IS USER SIM", DatumKey::IsUserSim, UnitClass::Bool, false, false, kAny, kAny},
};

struct UnitName {
    UnitClass unitClass;
    std::string_view name;  // lower case
    double factor;
};

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kFeetPerSecondPerKnot = 1.6878098571011957;

constexpr std::array kUnits = {
    UnitName{UnitClass::Angle, "radian", 1},
    UnitName{UnitClass::Angle, "radians", 1},
    UnitName{UnitClass::Angle, "degree", kDegreesPerRadian},
    UnitName{UnitClass::Angle, "degrees", kDegreesPerRadian},
    UnitName{UnitClass::Length, "foot", 1},
    UnitName{UnitClass::Length, "feet", 1},
    UnitName{UnitClass::Length, "ft", 1},
    UnitName{UnitClass::Length, "meter", 0.3048},
    UnitName{UnitClass::Length, "meters", 0.3048},
    UnitName{UnitClass::Length, "m", 0.3048},
    UnitName{UnitClass::Speed, "knot", 1},
    UnitName{UnitClass::Speed, "knots", 1},
    UnitName{UnitClass::Speed, "kt", 1},
    UnitName{UnitClass::Speed, "feet per second", kFeetPerSecondPerKnot},
    UnitName{UnitClass::Speed, "foot per second", kFeetPerSecondPerKnot},
    UnitName{UnitClass::Speed, "feet per minute", kFeetPerSecondPerKnot * 60},
    UnitName{UnitClass::Speed, "foot per minute", kFeetPerSecondPerKnot * 60},
    UnitName{UnitClass::Speed, "meters per second", 1852.0 / 3600.0},
    UnitName{UnitClass::Speed, "meter per second", 1852.0 / 3600.0},
    UnitName{UnitClass::Speed, "kilometers per hour", 1.852},
    UnitName{UnitClass::Speed, "miles per hour", 1852.0 / 1609.344},
    UnitName{UnitClass::Time, "second", 1},
    UnitName{UnitClass::Time, "seconds", 1},
    UnitName{UnitClass::Time, "minute", 1.0 / 60},
    UnitName{UnitClass::Time, "minutes", 1.0 / 60},
    UnitName{UnitClass::Time, "hour", 1.0 / 3600},
    UnitName{UnitClass::Time, "hours", 1.0 / 3600},
    UnitName{UnitClass::Bool, "bool", 1},
    UnitName{UnitClass::Number, "number", 1},
    UnitName{UnitClass::Number, "mask", 1},
    UnitName{UnitClass::Number, "flags", 1},
    UnitName{UnitClass::Number, "enum", 1},
    UnitName{UnitClass::Percent, "percent", 1},
    UnitName{UnitClass::Percent, "percent over 100", 0.01},
    UnitName{UnitClass::Percent, "position", 0.01},
    UnitName{UnitClass::Percent, "position 16k", 163.84},
    UnitName{UnitClass::Percent, "position 128", 1.28},
};

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::optional<ResolvedDatum> findDatum(std::string_view name) {
    std::string base = upperCase(name);
    int index = 0;
    if (const auto colon = base.find(':'); colon != std::string::npos) {
        const std::string suffix = base.substr(colon + 1);
        if (suffix.size() != 1 || suffix[0] < '1' || suffix[0] > '4') return std::nullopt;
        index = suffix[0] - '0';
        base.resize(colon);
    }
    for (const DatumInfo& datum : kDatums)
        if (datum.name == base) {
            if (datum.indexed != (index != 0)) return std::nullopt;
            return ResolvedDatum{&datum, index};
        }
    return std::nullopt;
}

std::optional<double> unitFactor(UnitClass unitClass, std::string_view unitName) {
    if (unitClass == UnitClass::Text) return unitName.empty() ? std::optional<double>(1.0) : std::nullopt;
    const std::string lower = lowerCase(unitName);
    for (const UnitName& unit : kUnits)
        if (unit.unitClass == unitClass && unit.name == lower) return unit.factor;
    return std::nullopt;
}

bool dataTypeFits(UnitClass unitClass, std::uint32_t dataType) {
    const bool text = dataType >= static_cast<std::uint32_t>(DataType::String8) &&
                      dataType <= static_cast<std::uint32_t>(DataType::StringV);
    const bool number = dataType >= static_cast<std::uint32_t>(DataType::Int32) &&
                        dataType <= static_cast<std::uint32_t>(DataType::Float64);
    return unitClass == UnitClass::Text ? text : number;
}

std::size_t dataTypeSize(std::uint32_t dataType) {
    switch (static_cast<DataType>(dataType)) {
        case DataType::Int32: return 4;
        case DataType::Int64: return 8;
        case DataType::Float32: return 4;
        case DataType::Float64: return 8;
        case DataType::String8: return 8;
        case DataType::String32: return 32;
        case DataType::String64: return 64;
        case DataType::String128: return 128;
        case DataType::String256: return 256;
        case DataType::String260: return 260;
        case DataType::StringV: return 0;
    }
    return 0;
}

}  // namespace simulator
