#include "airports/airport_settings.h"

#include <fmt/format.h>

#include <algorithm>

#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "settings/control_updates.h"
#include "settings/settings.h"
#include "settings/xml_params.h"

namespace {
constexpr std::int32_t kDefaultParkingPercentage = 30;
constexpr std::int32_t kFullDayMaxFit = 47;  // 24 hours
constexpr std::int32_t kFewRealUses = 3;
constexpr std::int32_t kManyRealUses = 45;

void logSetting(std::string_view key, const std::string& value) { gf_logContinued(fmt::format("{:24}: {}", key, value)); }

void showChoiceWhenListed(ControlUpdateBatch& batch, const ChoiceParam& param) {
    const auto& values = param.values;
    if (std::find(values.begin(), values.end(), param.value.load()) != values.end()) batch.showChoice(param);
}

void setCheckBox(ControlUpdateBatch& batch, CheckBoxParam& param, bool value) {
    param.value = value;
    batch.setCheck(param, value);
}

void setRange(ControlUpdateBatch& batch, std::int32_t nm) {
    const std::int32_t value = std::clamp(nm, RANGE.minimum, RANGE.maximum);
    RANGE.value = value;
    g_rangeNm = static_cast<double>(value);
    g_rangeMeters = static_cast<std::int32_t>(value * kMetersPerNm);
    batch.setRadius(value);
}

void setMaxFit(ControlUpdateBatch& batch, std::int32_t halfHours) {
    MAX_FIT.value = std::clamp(halfHours, MAX_FIT.minimum, MAX_FIT.maximum);
    batch.syncMaxFitChoice();
}
}  // namespace

void lf_applyLearnedSettings(const pugi::xml_node& document) {
    ControlUpdateBatch batch;
    if (const auto value = gf_readXmlIntParam(document, g_keyMaxLiveSel)) {
        MAX_LIVE_SEL.value = std::clamp(*value, MAX_LIVE_SEL.minimum, MAX_LIVE_SEL.maximum);
        showChoiceWhenListed(batch, MAX_LIVE_SEL);
        logSetting(g_keyMaxLiveSel, std::to_string(*value));
    }
    if (const auto value = gf_readXmlIntParam(document, g_keyRange)) {
        setRange(batch, *value);
        batch.enableControl(RANGE, true);
        logSetting(g_keyRange, std::to_string(*value));
    }
    if (const auto value = gf_readXmlBoolParam(document, g_keyAutoRange)) {
        setCheckBox(batch, AUTO_RANGE, *value);
        // The radius is the user's choice only while the automatic radius is off.
        batch.enableControl(RANGE, !*value);
        batch.enableControl(AR_ABOVE_HEIGHT, *value);
        logSetting(g_keyAutoRange, gf_paramValueText(*value));
    }
    const auto percentage = gf_readXmlIntParam(document, g_keyParkingPercentage);
    parking_percentage.value = percentage.value_or(kDefaultParkingPercentage);
    showChoiceWhenListed(batch, parking_percentage);
    if (percentage) logSetting(g_keyParkingPercentage, std::to_string(*percentage));
    if (const auto value = gf_readXmlBoolParam(document, g_keyWeek)) {
        setCheckBox(batch, WEEK, *value);
        logSetting(g_keyWeek, gf_paramValueText(*value));
    }
    if (const auto value = gf_readXmlBoolParam(document, g_keyParkSoft)) {
        setCheckBox(batch, PARK_SOFT, *value);
        logSetting(g_keyParkSoft, gf_paramValueText(*value));
    }
    if (const auto value = gf_readXmlIntParam(document, g_keyMaxFit)) {
        setMaxFit(batch, *value);
        batch.apply();  // the window's list sets AMAX_FIT_FL, which the line shows
        gf_logContinued(fmt::format("{:24}: {} (max number of half hours, is {:.1F} hrs decimal)", g_keyMaxFit,
                                    MAX_FIT.value.load(), AMAX_FIT_FL.value.load()));
    }
    if (const auto value = gf_readXmlBoolParam(document, g_keyInitialLoadOnly)) {
        setCheckBox(batch, INITIAL_LOAD_ONLY, *value);
        if (*value) batch.enableControl(g_nowButton, false);
        logSetting(g_keyInitialLoadOnly, gf_paramValueText(*value));
    }
    batch.apply();
}

void lf_adaptSettingsToAirport(const QualityFactors& quality, const AirportCode& code) {
    ControlUpdateBatch batch;
    if (quality.real < kFewRealUses && quality.soft > 0) {
        setCheckBox(batch, PARK_SOFT, true);
        setCheckBox(batch, WEEK, true);
        setMaxFit(batch, kFullDayMaxFit);
    } else if (quality.real > kManyRealUses) {
        setCheckBox(batch, PARK_SOFT, false);
        setCheckBox(batch, WEEK, false);
    }
    const auto record = std::find_if(g_airports.begin(), g_airports.end(),
                                     [&code](const AirportRecord& airport) { return airport.code == code; });
    const std::int32_t standClass = record != g_airports.end() ? record->stands : 0;
    parking_percentage.value = standClass == 1 ? 100 : standClass == 2 ? 50 : kDefaultParkingPercentage;
    gf_logContinued(fmt::format("{:24}: {}%", g_keyParkingPercentage, parking_percentage.value.load()));
    showChoiceWhenListed(batch, parking_percentage);
    batch.enableControl(parking_percentage, true);
    batch.apply();
}
