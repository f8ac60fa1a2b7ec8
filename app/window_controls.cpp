#include "app/window_controls.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <string>

#include "app/auto_radius.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/window_host.h"
#include "settings/settings.h"

namespace {
void logMissing(std::uint16_t id) { gf_log(fmt::format("GetDlgItem failed for ID {}", id)); }

// The index of the first value not less than the current one; -1 when there is none.
int indexAtLeast(const ChoiceParam& param) {
    const auto entry = std::lower_bound(param.values.begin(), param.values.end(), param.value.load());
    return entry == param.values.end() ? -1 : static_cast<int>(entry - param.values.begin());
}

void fillItems(ControlHost& host, std::uint16_t id, const std::vector<std::string>& texts) {
    host.clearItems(id);
    for (const std::string& text : texts) host.addItem(id, text);
}
}  // namespace

void lf_createControls(ControlHost& host) {
    for (const ControlSpec& spec : gf_controlTable()) {
        host.create(spec);
        if (spec.kind == ControlKind::checkBox)
            host.setChecked(spec.control->controlId, static_cast<const CheckBoxParam*>(spec.param)->value.load());
    }
    platform::invalidateBand(kControlsBand);
}

void gf_fillNumberCombo(ControlHost& host, const ChoiceParam& param) {
    const std::uint16_t id = param.controlId;
    if (!host.exists(id)) return;
    std::vector<std::string> texts;
    for (const std::int32_t value : param.values) texts.push_back(std::to_string(value));
    fillItems(host, id, texts);
    if (const int index = indexAtLeast(param); index >= 0) host.selectItem(id, index);
}

void gf_fillStringCombo(ControlHost& host, const CallsignListParam& param) {
    const std::uint16_t id = param.controlId;
    if (!host.exists(id)) return;
    fillItems(host, id, *param.callsigns());
    host.selectItemWithPrefix(id, param.value.get());
}

void gf_syncMaxFitChoice(ControlHost& host) {
    const float hours = gf_maxFitToFloat(MAX_FIT.value.load());
    AMAX_FIT_FL.value = hours;
    const auto& values = AMAX_FIT_FL.values;
    const auto entry = std::find(values.begin(), values.end(), hours);
    if (entry != values.end()) host.selectItem(AMAX_FIT_FL.controlId, static_cast<int>(entry - values.begin()));
}

void gf_setControlInt(ControlHost& host, const ChoiceParam& param) {
    const std::uint16_t id = param.controlId;
    if (!host.exists(id)) {
        logMissing(id);
        return;
    }
    if (const auto index = host.findItemExact(id, std::to_string(param.value.load()))) host.selectItem(id, *index);
    platform::invalidateBand(kControlsBand);
}

void gf_setControlText(ControlHost& host, const StringParam& param) {
    const auto* control = dynamic_cast<const WindowControl*>(&param);
    if (control == nullptr) return;
    const std::uint16_t id = control->controlId;
    if (!host.exists(id)) {
        logMissing(id);
        return;
    }
    const std::string text = param.value.get();
    try {
        utf8_to_wide(text);
    } catch (const std::exception& e) {
        gf_log(fmt::format("utf8_to_wide failed for '{}': {}", text, e.what()));
        return;
    }
    host.setText(id, text);
    platform::invalidateBand(kControlsBand);
}

void gf_refreshNameList() {
    g_selectedCallsignText = std::string();
    CALLSIGN_2_OBJECTID.setCallsigns({std::string()});
    CALLSIGN_2_OBJECTID.value = std::string();
    ControlUpdateBatch batch;
    batch.fillCallsignChoice(CALLSIGN_2_OBJECTID);
    batch.enableControl(CALLSIGN_2_OBJECTID, false);
    batch.enableControl(g_blockButton, false);
    batch.apply();
}

void WindowControlUpdates::setCheck(const CheckBoxParam& param, bool checked) {
    host_.setChecked(param.controlId, checked);
}

void WindowControlUpdates::showChoice(const ChoiceParam& param) { gf_setControlInt(host_, param); }

void WindowControlUpdates::selectChoiceAtLeast(const ChoiceParam& param) {
    if (const int index = indexAtLeast(param); index >= 0) host_.selectItem(param.controlId, index);
}

void WindowControlUpdates::fillChoice(const ChoiceParam& param) { gf_fillNumberCombo(host_, param); }

void WindowControlUpdates::fillFloatChoice(const FloatChoiceParam& param) {
    if (!host_.exists(param.controlId)) return;
    std::vector<std::string> texts;
    for (const float value : param.values) texts.push_back(fmt::format("{:.1f}", value));
    fillItems(host_, param.controlId, texts);
}

void WindowControlUpdates::showText(const StringParam& param) { gf_setControlText(host_, param); }

void WindowControlUpdates::fillCallsignChoice(const CallsignListParam& param) { gf_fillStringCombo(host_, param); }

void WindowControlUpdates::enableControl(const WindowControl& control, bool enabled) {
    host_.setEnabled(control.controlId, enabled);
}

void WindowControlUpdates::syncMaxFitChoice() { gf_syncMaxFitChoice(host_); }

void WindowControlUpdates::setRadius(std::int32_t nm) { gf_setRadius(nm); }
