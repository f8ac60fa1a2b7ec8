#include "traffic/aircraft_records.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {
template <class Enum>
std::string_view nameOf(const std::unordered_map<std::uint32_t, std::string_view>& table, Enum value) {
    const auto it = table.find(static_cast<std::uint32_t>(value));
    if (it == table.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return it->second;
}
}  // namespace

std::string_view gf_phaseName(AcPhase phase) {
    static const std::unordered_map<std::uint32_t, std::string_view> names = {
        {0, "pushing_back"}, {1, "pushed_back"}, {2, "taxi"},   {3, "take_off"},
        {4, "flying"},       {5, "parking"},     {6, "parked"}, {7, "birth"}};
    return nameOf(names, phase);
}

std::string_view gf_lifeStateName(AcLifeState state) {
    static const std::unordered_map<std::uint32_t, std::string_view> names = {
        {0, "buffer"}, {1, "adding2sim"}, {2, "active"}, {3, "liveryrespawn"}, {4, "removingfromsim"}};
    return nameOf(names, state);
}

std::string_view gf_sizeCategoryName(SizeCategory category) {
    static const std::unordered_map<std::uint32_t, std::string_view> names = {
        {0, "Light"}, {1, "Buzjets"}, {2, "Large"}, {3, "Heavy"}, {4, "HighPerf"}, {5, "Rotorcraft"}};
    return nameOf(names, category);
}

void gf_moveAcIdent(AcIdent& target, AcIdent& source) {
    target.modelKey = source.modelKey;
    target.origin = source.origin;
    target.destination = source.destination;
    target.standUseChecked = source.standUseChecked;
    target.callsign = std::exchange(source.callsign, {});
    target.prevCallsign = std::exchange(source.prevCallsign, {});
    target.spareText = std::exchange(source.spareText, {});
    target.registration = std::exchange(source.registration, {});
}

void gf_destroyAcIdent(AcIdent& ident) {
    std::string().swap(ident.callsign);
    std::string().swap(ident.prevCallsign);
    std::string().swap(ident.spareText);
    std::string().swap(ident.registration);
}

AcBase gf_newStaticAcBase(AcBase&& base, std::int32_t standId, double standLat, double standLon, double standHeading,
                          std::uint8_t standFlag) {
    AcBase result = std::move(base);
    result.objectId = 0;
    result.standLat = standLat;
    result.standLon = standLon;
    result.standHeading = standHeading;
    result.parkedAt = 0;
    result.standId = standId;
    result.lifeState = AcLifeState::buffer;
    result.lastThrottle = 5;
    result.lastFlaps = 4;
    result.standCargo = standFlag;
    result.removeWhenCreated = 0;
    result.eraseNow = 0;
    result.eraseDropped = 0;
    return result;
}

LiveAc::LiveAc(const PosSample& sample, AcBase&& base, double timestamp)
    : AcBase(std::move(base)), samples{sample}, lastRecordTime(timestamp) {
    objectId = 0;
    standLat = standLon = standHeading = 0.0;
    parkedAt = 0;
    standId = 0;
    lifeState = AcLifeState::buffer;
    lastThrottle = 5;
    lastFlaps = 4;
    standCargo = removeWhenCreated = eraseNow = eraseDropped = 0;
    // The first record is taken and heard: a silence after it counts.
    if (sample.streamTick != 0) {
        reportGate.taken.push_back(sample);
        reportGate.lastHeardTick = sample.streamTick;
        reportGate.lastHeard = sample;
    }
}

void gf_setPhase(LiveAc& aircraft, AcPhase phase) {
    if (aircraft.phase == phase) return;
    aircraft.prevPhase = aircraft.phase;
    aircraft.phase = phase;
}
