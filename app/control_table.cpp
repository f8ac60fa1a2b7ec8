#include "app/control_table.h"

#include "settings/settings.h"

namespace {
template <class P>
ControlSpec spec(ControlKind kind, P& param, int x, int width, int height) {
    return ControlSpec{kind, &param, &param, x, width, height};
}

ControlSpec button(ButtonParam& b, int x, int width) { return spec(ControlKind::button, b, x, width, 20); }
ControlSpec checkBox(CheckBoxParam& c, int x) { return spec(ControlKind::checkBox, c, x, 12, 12); }
ControlSpec edit(EditParam& e, int x, int width) { return spec(ControlKind::edit, e, x, width, 16); }
template <class P>
ControlSpec combo(P& c, int x, int width, int dropDown) {
    return spec(ControlKind::combo, c, x, width, dropDown);
}
}  // namespace

const std::vector<ControlSpec>& gf_controlTable() {
    static const std::vector<ControlSpec> table = {
        edit(ALL_INSTALL_PATH, 111, 1200),
        checkBox(SCAN_LIVERIES, 5),
        checkBox(LIG_PRIORITIZE, 536),
        checkBox(ALWAYS_ON_TOP, 748),
        checkBox(SCAN_AIRPORTS, 5),
        button(g_tbloZipButton, 217, 80),
        checkBox(NAV_LIGHTS_WHILE_PARKED, 748),
        combo(MATCHING_DEPTH, 217, 40, 120),
        checkBox(LIGHT_AIRCRAFT, 323),
        checkBox(HELICOPTERS, 430),
        checkBox(HIGH_PERF_AIRCRAFT, 536),
        checkBox(AEROWINX, 652),
        checkBox(GUID_CHANGES, 748),
        combo(RANGE, 217, 50, 200),
        checkBox(AUTO_RANGE, 323),
        combo(AR_ABOVE_HEIGHT, 455, 70, 230),
        checkBox(AIRBORNE_ONLY, 572),
        checkBox(COLLISION_USER_GND, 217),
        checkBox(COLLISION_USER_AIR, 323),
        checkBox(COLLISION_LIVE_PARKED_GND, 430),
        edit(BLOCK_CALLSIGN, 107, 100),
        button(g_unblockButton, 223, 60),
        button(g_callsignToOidButton, 305, 60),
        combo(CALLSIGN_2_OBJECTID, 375, 100, 300),
        button(g_blockButton, 576, 60),
        button(g_nowButton, 111, 45),
        combo(MAX_PARK_SEL, 323, 55, 144),
        combo(MAX_LIVE_SEL, 536, 55, 144),
        edit(DESTINATION, 217, 50),
        combo(AIRP_RANGE, 353, 45, 144),
        combo(AIRP_HEIGHT, 566, 70, 230),
        checkBox(STRAIGHT_PBS_ONLY, 652),
        checkBox(INITIAL_LOAD_ONLY, 5),
        checkBox(WEEK, 71),
        checkBox(PARK_SOFT, 151),
        combo(parking_percentage, 323, 50, 200),
        combo(AMAX_FIT_FL, 566, 60, 300),
        button(g_rereadButton, 758, 90),
        button(g_flushStaticButton, 758, 90),
    };
    return table;
}

const ControlSpec* gf_controlSpec(std::uint16_t controlId) {
    for (const ControlSpec& spec : gf_controlTable())
        if (spec.control->controlId == controlId) return &spec;
    return nullptr;
}

int gf_controlY(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::checkBox: return spec.control->row + 2;
        case ControlKind::combo: return spec.control->row - 5;
        default: return spec.control->row;
    }
}

std::uint32_t gf_controlStyle(ControlKind kind) {
    switch (kind) {
        case ControlKind::button: return kButtonStyle;
        case ControlKind::checkBox: return kCheckBoxStyle;
        case ControlKind::edit: return kEditStyle;
        default: return kComboStyle;
    }
}

const char* gf_controlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::button:
        case ControlKind::checkBox: return "button";
        case ControlKind::edit: return "Edit";
        default: return "ComboBox";
    }
}

std::string gf_controlLabel(const ControlSpec& spec) {
    return spec.kind == ControlKind::button ? spec.param->key : std::string();
}

bool gf_controlStartsEnabled(ControlKind kind) { return kind == ControlKind::checkBox || kind == ControlKind::combo; }
