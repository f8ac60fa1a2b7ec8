#include "tools/simulator/datum_values.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "foundation/geodesy.h"

namespace simulator {

namespace {

constexpr double kFeetPerSecondPerKnot = 1.6878098571011957;

struct DatumValue {
    double number = 0;
    std::string text;
};

double flag(bool on) {
    return on ? 1.0 : 0.0;
}

DatumValue readDatum(const World& world, ObjectRef ref, const ResolvedDatum& datum) {
    const AircraftState& s = ref.state(world);
    const AiObject* ai = ref.object;
    DatumValue v;
    switch (datum.info->key) {
        case DatumKey::Latitude: v.number = s.latitude * kDegToRad; break;
        case DatumKey::Longitude: v.number = s.longitude * kDegToRad; break;
        case DatumKey::Altitude: v.number = s.altitudeFt; break;
        case DatumKey::Pitch: v.number = s.pitchRad; break;
        case DatumKey::Bank: v.number = s.bankRad; break;
        case DatumKey::HeadingTrue:
        case DatumKey::HeadingMagnetic: v.number = s.headingRad; break;
        case DatumKey::VerticalSpeed: v.number = s.verticalSpeedFps / kFeetPerSecondPerKnot; break;
        case DatumKey::AirspeedTrue:
        case DatumKey::AirspeedIndicated: v.number = s.airspeedKnots; break;
        case DatumKey::GroundVelocity: v.number = s.groundSpeedKnots; break;
        case DatumKey::AltAboveGround: v.number = altitudeAboveGroundFt(world, s); break;
        case DatumKey::GroundAltitude: v.number = world.terrainFt; break;
        case DatumKey::SimOnGround: v.number = flag(ai ? aiOnGround(world, *ai) : s.onGround); break;
        case DatumKey::ZuluTime: v.number = zuluNow(world).secondsOfDay; break;
        case DatumKey::ZuluDayOfYear: v.number = zuluNow(world).dayOfYear; break;
        case DatumKey::ZuluYear: v.number = zuluNow(world).year; break;
        case DatumKey::ZuluMonthOfYear: v.number = zuluNow(world).month; break;
        case DatumKey::ZuluDayOfMonth: v.number = zuluNow(world).dayOfMonth; break;
        case DatumKey::LightStates:
        case DatumKey::LightOnStates: v.number = s.lights; break;
        case DatumKey::StaticCgToGround: v.number = world.staticCgFt; break;
        case DatumKey::StaticPitch: v.number = world.staticPitchRad; break;
        case DatumKey::SpoilersHandlePosition: v.number = s.spoilersHandlePercent; break;
        case DatumKey::ThrottleLeverPosition:
            v.number = s.throttleLeverPercent[static_cast<std::size_t>(datum.index - 1)];
            break;
        case DatumKey::EngineCombustion: v.number = flag(s.enginesRunning); break;
        case DatumKey::GearHandlePosition: v.number = flag(s.gearDown); break;
        case DatumKey::FlapsHandlePercent: v.number = s.flaps * 100.0 / 16383.0; break;
        case DatumKey::LightNav: v.number = flag(s.lights & kLightNav); break;
        case DatumKey::LightBeacon: v.number = flag(s.lights & kLightBeacon); break;
        case DatumKey::LightLanding: v.number = flag(s.lights & kLightLanding); break;
        case DatumKey::LightTaxi: v.number = flag(s.lights & kLightTaxi); break;
        case DatumKey::LightStrobe: v.number = flag(s.lights & kLightStrobe); break;
        case DatumKey::LightLogo: v.number = flag(s.lights & kLightLogo); break;
        case DatumKey::LightCabin: v.number = flag(s.lights & kLightCabin); break;
        case DatumKey::Title: v.text = ai ? ai->title : world.user.title; break;
        case DatumKey::AtcId: v.text = ai ? ai->tailNumber : world.user.atcId; break;
        case DatumKey::AtcModel: v.text = ai ? std::string() : world.user.model; break;
        case DatumKey::Category: v.text = ai && ai->type == ObjectType::Helicopter ? "Helicopter" : "Airplane"; break;
        case DatumKey::IsUserSim: v.number = flag(ai == nullptr); break;
    }
    return v;
}

// A number for an integer field: truncated towards zero, clamped to the type.
template <typename Int>
Int toInteger(double value) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
    if (t >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
    return static_cast<Int>(t);
}

void encodeValue(const DatumValue& value, const DefinedDatum& d, ByteWriter& out, nlohmann::ordered_json& values) {
    const auto type = static_cast<DataType>(d.dataType);
    if (d.datum.info->unitClass == UnitClass::Text) {
        values[d.name] = ansiToUtf8(value.text);
        if (type == DataType::StringV) {
            out.fixedText(value.text, value.text.size() + 1);
            out.zeros((4 - (value.text.size() + 1) % 4) % 4);
        } else {
            out.fixedText(value.text, dataTypeSize(d.dataType));
        }
        return;
    }
    const double number = value.number * d.factor;
    switch (type) {
        case DataType::Int32: {
            const auto i = toInteger<std::int32_t>(number);
            out.u32(static_cast<std::uint32_t>(i));
            values[d.name] = i;
            break;
        }
        case DataType::Int64: {
            const auto i = toInteger<std::int64_t>(number);
            out.i64(i);
            values[d.name] = i;
            break;
        }
        case DataType::Float32:
            out.f32(static_cast<float>(number));
            values[d.name] = static_cast<float>(number);
            break;
        default:
            out.f64(number);
            values[d.name] = number;
            break;
    }
}

// Reads one datum's value from a block; the offset moves past it. Nothing
// when the block ends too early.
std::optional<double> decodeNumber(const ByteReader& in, std::size_t& offset, std::uint32_t dataType) {
    const std::size_t size = dataTypeSize(dataType);
    if (!in.has(offset, size)) return std::nullopt;
    double value = 0;
    switch (static_cast<DataType>(dataType)) {
        case DataType::Int32: value = static_cast<std::int32_t>(in.u32(offset)); break;
        case DataType::Int64: value = static_cast<double>(static_cast<std::int64_t>(in.u64(offset))); break;
        case DataType::Float32: value = in.f32(offset); break;
        default: value = in.f64(offset); break;
    }
    offset += size;
    return value;
}

std::string rangeText(const ValueRange& range, double factor) {
    return fmt::format("[{:g}, {:g}{}", range.min * factor, range.max * factor, range.maxExcluded ? ")" : "]");
}

void writeDatum(AircraftState& s, const ResolvedDatum& datum, double canonical) {
    switch (datum.info->key) {
        case DatumKey::Latitude: s.latitude = canonical * kRadToDeg; break;
        case DatumKey::Longitude: s.longitude = canonical * kRadToDeg; break;
        case DatumKey::Altitude: s.altitudeFt = canonical; break;
        case DatumKey::Pitch: s.pitchRad = canonical; break;
        case DatumKey::Bank: s.bankRad = canonical; break;
        case DatumKey::HeadingTrue:
        case DatumKey::HeadingMagnetic: s.headingRad = canonical; break;
        case DatumKey::VerticalSpeed: s.verticalSpeedFps = canonical * kFeetPerSecondPerKnot; break;
        case DatumKey::AirspeedTrue:
        case DatumKey::AirspeedIndicated: s.airspeedKnots = canonical; break;
        case DatumKey::SpoilersHandlePosition: s.spoilersHandlePercent = canonical; break;
        case DatumKey::ThrottleLeverPosition:
            s.throttleLeverPercent[static_cast<std::size_t>(datum.index - 1)] = canonical;
            break;
        default: break;  // not settable; refused before
    }
}

}  // namespace

std::optional<std::size_t> DataDefinition::fixedSize() const {
    std::size_t size = 0;
    for (const DefinedDatum& d : datums) {
        const std::size_t one = dataTypeSize(d.dataType);
        if (one == 0) return std::nullopt;
        size += one;
    }
    return size;
}

void encodeBlock(const World& world, ObjectRef ref, const DataDefinition& definition, bool tagged, ByteWriter& out,
                 nlohmann::ordered_json& values) {
    values = nlohmann::ordered_json::object();
    for (const DefinedDatum& d : definition.datums) {
        if (tagged) out.u32(d.datumId);
        encodeValue(readDatum(world, ref, d.datum), d, out, values);
    }
}

SetOutcome applyBlock(AircraftState& state, const DataDefinition& definition, std::span<const std::uint8_t> block) {
    SetOutcome outcome;
    const ByteReader in(block);
    std::size_t offset = 0;
    std::vector<double> canonical;
    canonical.reserve(definition.datums.size());
    for (std::size_t i = 0; i < definition.datums.size(); ++i) {
        const DefinedDatum& d = definition.datums[i];
        const auto index = static_cast<std::uint32_t>(i + 1);
        if (!d.datum.info->settable) {
            outcome.refusal = Refusal{ExceptionCode::DataError, index, fmt::format("datum '{}' cannot be set", d.name)};
            return outcome;
        }
        const auto value = decodeNumber(in, offset, d.dataType);
        if (!value) {
            outcome.refusal =
                Refusal{ExceptionCode::InvalidDataSize, index, fmt::format("the block ends before datum '{}'", d.name)};
            return outcome;
        }
        const double c = *value / d.factor;
        if (!std::isfinite(c) || !d.datum.info->hard.holds(c)) {
            outcome.refusal = Refusal{ExceptionCode::DataError, index,
                                      fmt::format("datum '{}' = {} {} outside {}", d.name, *value, d.units,
                                                  rangeText(d.datum.info->hard, d.factor))};
            return outcome;
        }
        if (!d.datum.info->soft.holds(c))
            outcome.flaws.push_back(fmt::format("datum '{}' = {} {} outside {}: wrong unit?", d.name, *value, d.units,
                                                rangeText(d.datum.info->soft, d.factor)));
        canonical.push_back(c);
    }
    for (std::size_t i = 0; i < definition.datums.size(); ++i)
        writeDatum(state, definition.datums[i].datum, canonical[i]);
    return outcome;
}

}  // namespace simulator
