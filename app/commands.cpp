#include "app/commands.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>

#include "app/auto_radius.h"
#include "app/edit_fields.h"
#include "app/run_jobs.h"
#include "app/run_loop.h"
#include "app/services/run_flags.h"
#include "app/services/settings_lock.h"
#include "app/services/shell_services.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/window_controls.h"
#include "foundation/log.h"
#include "platform/message_box.h"
#include "platform/window_host.h"
#include "rtlink/state.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
constexpr std::int32_t kRestartDelayForScan = 2;

void repaintControls() { platform::invalidateBand(kControlsBand); }

void show(const std::string& text) { gf_setStatus(text, false); }

// A status for one state of a check box and a clear status line for the other.
void statusWhen(bool state, bool wanted, const std::string& text) {
    if (state == wanted)
        show(text);
    else
        gf_clearStatus();
}

// A scan box switched on: before RealTraffic has connected the run restarts
// now and scans; afterwards the scan waits for the next start.
void lf_onScanBox(bool liveries) {
    const char* what = liveries ? "liveries" : "airports";
    if (!g_awaitingRealTraffic) {
        show(fmt::format("Your {} will be scanned at the next start of {}", what, kProgramName));
        repaintControls();
        return;
    }
    // The livery tables may be in use on the traffic thread: the next
    // start-up empties them before it processes the scan again.
    if (liveries) g_liveryReprocessRequest = true;
    gf_setStatus(fmt::format("Your {} will be scanned", what), true);
    gf_requestStop(ExitReason::NewSettings, kRestartDelayForScan);
    repaintControls();
}

void lf_onNowButton() {
    if (!g_runJobs.parkFileLoaded()) return;
    if (INITIAL_LOAD_ONLY.value) {
        gf_clearStatus();
        return;
    }
    lf_announceStaticUpdate();
    g_staticUpdateMinutes = 20;
    g_staticUpdateMinutesShown = 20;
    repaintControls();
}

// The effect of one check box after its setting changed to `on`.
void lf_checkBoxEffect(WindowContext& window, const CheckBoxParam& box, bool on) {
    ControlHost& controls = window.controls;
    if (&box == &LIG_PRIORITIZE) {
        statusWhen(on, true, "Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    } else if (&box == &COLLISION_LIVE_PARKED_GND) {
        statusWhen(on, false, "Be aware, live aircraft may collide with (run through) static parked on the ground");
    } else if (&box == &COLLISION_USER_GND) {
        statusWhen(on, false,
                   "Be aware, user aircraft may collide with (run through) live aircraft and static parked on the ground");
    } else if (&box == &COLLISION_USER_AIR) {
        statusWhen(on, false, "Be aware, user aircraft may collide with (run through) live aircraft in the air");
    } else if (&box == &INITIAL_LOAD_ONLY) {
        statusWhen(on, true,
                   fmt::format("Initial Load Only: static parked aircraft are generated once, no renewal every {} minutes",
                               20));
        controls.setEnabled(g_nowButton.controlId, !on && g_nowAllowed);
        repaintControls();
    } else if (&box == &ALWAYS_ON_TOP) {
        statusWhen(on, true, fmt::format("{}'s window will remain visible", kProgramName));
        platform::setTopmost(on);
        repaintControls();
    } else if (&box == &GUID_CHANGES) {
        statusWhen(on, false, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!");
        repaintControls();
    } else if (&box == &AEROWINX) {
        statusWhen(on, true,
                   fmt::format("Aerowinx mode serves users of the Aerowinx simulator only; restart {} to use it",
                               kProgramName));
    } else if (&box == &AUTO_RANGE) {
        controls.setEnabled(AR_ABOVE_HEIGHT.controlId, on);
        gf_applyAutoRadius();
    } else if (&box == &AIRBORNE_ONLY) {
        statusWhen(on, true, "Be aware, airborne live traffic only!  (greater than 300 ft above ground ...)");
        repaintControls();
    } else if (&box == &SCAN_AIRPORTS || &box == &SCAN_LIVERIES) {
        if (on) {
            lf_onScanBox(&box == &SCAN_LIVERIES);
        } else {
            gf_clearStatus();
            repaintControls();
        }
    } else if (&box == &NAV_LIGHTS_WHILE_PARKED) {
        g_navLightsRequest = on ? 1 : 0;
    }
}

// An integer list's new value: the entry at the selected index, saved.
void lf_onChoice(WindowContext& window, ChoiceParam& choice, const ComboSelection& selection) {
    if (selection.index < 0 || selection.index >= static_cast<int>(choice.values.size())) return;
    const std::int32_t previous = choice.value;
    choice.value = std::clamp(choice.values[static_cast<std::size_t>(selection.index)], choice.minimum, choice.maximum);
    gf_saveIntParam(choice, window.parametersPath);
    if (&choice == &MATCHING_DEPTH && choice.value > previous) g_matchCacheClearRequest = true;
    if (&choice == &RANGE) gf_setRadius(choice.value);
    if (&choice == &MAX_LIVE_SEL) g_maxLiveCheckRequest = true;
}

void lf_onCallsignChoice(WindowContext& window, const ComboSelection& selection) {
    if (selection.text == CALLSIGN_2_OBJECTID.value.get()) return;
    CALLSIGN_2_OBJECTID.value = selection.text;
    g_selectedCallsignText = std::string();
    repaintControls();
    window.controls.setEnabled(g_blockButton.controlId, !window.controls.isEnabled(g_unblockButton.controlId));
}

void lf_onMaxFitChoice(WindowContext& window, const ComboSelection& selection) {
    const auto& hours = AMAX_FIT_FL.values;
    if (selection.index < 0 || selection.index >= static_cast<int>(hours.size())) return;
    const float value = hours[static_cast<std::size_t>(selection.index)];
    AMAX_FIT_FL.value = value;
    MAX_FIT.value = std::clamp(static_cast<std::int32_t>(std::lround(2.0f * value)) - 1, MAX_FIT.minimum, MAX_FIT.maximum);
    gf_saveIntParam(MAX_FIT, window.parametersPath);
}
}  // namespace

bool lf_HandleWMCOMMAND(WindowContext& window, std::uint16_t id, std::uint16_t code) {
    try {
        if (lf_onButton(window, id) || lf_onCheckBox(window, id) || lf_onComboChange(window, id, code)) return true;
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception {}", "lf_HandleWMCOMMAND", e.what()));
    }
    repaintControls();
    return false;
}

bool lf_onButton(WindowContext& window, std::uint16_t id) {
    ControlHost& controls = window.controls;
    if (id == g_unblockButton.controlId) {
        if (BLOCK_CALLSIGN.value.empty())
            show("Nothing to block or unblock...");
        else
            lf_unblockLiveAc(window);
        controls.setEnabled(g_blockButton.controlId, !CALLSIGN_2_OBJECTID.value.empty());
    } else if (id == g_callsignToOidButton.controlId) {
        g_callsignListRequest = true;
        controls.setEnabled(g_blockButton.controlId, false);
    } else if (id == g_blockButton.controlId) {
        lf_setBlockCallsign(window, CALLSIGN_2_OBJECTID.value.get());
        gf_refreshNameList();
        controls.setEnabled(g_blockButton.controlId, false);
    } else if (id == g_rereadButton.controlId) {
        g_reReadRequest = true;
        controls.setEnabled(g_rereadButton.controlId, false);
        controls.setEnabled(DESTINATION.controlId, false);
    } else if (id == g_flushStaticButton.controlId) {
        show("All static parked aircraft will be removed ...");
        g_removeAllStaticsRequest = true;
        controls.setEnabled(g_flushStaticButton.controlId, false);
    } else if (id == g_tbloZipButton.controlId) {
        if (!gf_openFolderOf(fs::current_path() / g_tbloName / g_tbloZipName)) {
            platform::showWarning(kMessageBoxTitle, "Could not open File Explorer at tblo.zip.");
            return false;
        }
    } else if (id == g_nowButton.controlId) {
        lf_onNowButton();
    } else {
        return false;
    }
    return true;
}

bool lf_onCheckBox(WindowContext& window, std::uint16_t id) {
    const auto box = std::find_if(g_checkBoxParams.begin(), g_checkBoxParams.end(),
                                  [id](const CheckBoxParam* param) { return param->controlId == id; });
    if (box == g_checkBoxParams.end()) return false;
    CheckBoxParam& param = **box;
    // The control does not toggle itself: the handler sets the new mark.
    const bool on = !window.controls.isChecked(id);
    window.controls.setChecked(id, on);
    param.value = on;
    gf_saveBoolParam(param, window.parametersPath);
    lf_checkBoxEffect(window, param, on);
    return true;
}

std::optional<ComboSelection> lf_getComboSelection(ControlHost& controls, std::uint16_t wanted, std::uint16_t id,
                                                   std::uint16_t code) {
    if (id != wanted || code != kSelectionChanged) return std::nullopt;
    const std::optional<int> index = controls.selectedItem(id);
    if (!index) return std::nullopt;
    std::string text = controls.itemText(id, *index).value_or(std::string());
    return ComboSelection{*index, std::move(text)};
}

bool lf_onComboChange(WindowContext& window, std::uint16_t id, std::uint16_t code) {
    using Handler = std::function<void(const ComboSelection&)>;
    const auto choice = [&window](ChoiceParam& param) -> Handler {
        return [&window, &param](const ComboSelection& s) { lf_onChoice(window, param, s); };
    };
    const std::pair<std::uint16_t, Handler> lists[] = {
        {CALLSIGN_2_OBJECTID.controlId, [&window](const ComboSelection& s) { lf_onCallsignChoice(window, s); }},
        {MATCHING_DEPTH.controlId, choice(MATCHING_DEPTH)},
        {MAX_PARK_SEL.controlId, choice(MAX_PARK_SEL)},
        {parking_percentage.controlId, choice(parking_percentage)},
        {RANGE.controlId, choice(RANGE)},
        {AIRP_RANGE.controlId, choice(AIRP_RANGE)},
        {AR_ABOVE_HEIGHT.controlId, choice(AR_ABOVE_HEIGHT)},
        {AIRP_HEIGHT.controlId, choice(AIRP_HEIGHT)},
        {AMAX_FIT_FL.controlId, [&window](const ComboSelection& s) { lf_onMaxFitChoice(window, s); }},
        {MAX_LIVE_SEL.controlId, choice(MAX_LIVE_SEL)},
    };
    for (const auto& [listId, handle] : lists) {
        if (const auto selection = lf_getComboSelection(window.controls, listId, id, code)) {
            handle(*selection);
            return true;
        }
    }
    return false;
}
