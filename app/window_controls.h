// Creating the main window's controls and putting settings into them: the
// fills of the drop-down lists, the selection rules, and the control-update
// seam of the parameter store (settings/control_updates.h) over a ControlHost.
#pragma once

#include <cstdint>

#include "app/control_host.h"
#include "settings/control_updates.h"

// Creates the 39 controls in table order (check boxes show their setting)
// and asks for a repaint of the controls band.
void lf_createControls(ControlHost& host);

// Fills an integer list with its values in decimal and selects the first one
// not less than the current value.
void gf_fillNumberCombo(ControlHost& host, const ChoiceParam& param);
// Fills the callsign list and selects the first callsign beginning with the value.
void gf_fillStringCombo(ControlHost& host, const CallsignListParam& param);
// AMAX_FIT_FL follows MAX_FIT; its list selects that value when it holds it exactly.
void gf_syncMaxFitChoice(ControlHost& host);
// The list selects the item whose text is the value in decimal (the
// selection stays when there is none); the controls band is repainted.
void gf_setControlInt(ControlHost& host, const ChoiceParam& param);
// The field shows the setting's text; the controls band is repainted.
void gf_setControlText(ControlHost& host, const StringParam& param);

// The callsign list becomes one empty entry and the chosen callsign empty;
// the list is refilled and disabled, and "Block" disabled. Any thread.
void gf_refreshNameList();

// The parameter store's and the other threads' control updates, carried out
// on the window's controls.
class WindowControlUpdates final : public ControlUpdates {
public:
    explicit WindowControlUpdates(ControlHost& host) : host_(host) {}

    void setCheck(const CheckBoxParam& param, bool checked) override;
    void showChoice(const ChoiceParam& param) override;
    void selectChoiceAtLeast(const ChoiceParam& param) override;
    void fillChoice(const ChoiceParam& param) override;
    void fillFloatChoice(const FloatChoiceParam& param) override;
    void showText(const StringParam& param) override;
    void fillCallsignChoice(const CallsignListParam& param) override;
    void enableControl(const WindowControl& control, bool enabled) override;
    void syncMaxFitChoice() override;
    void setRadius(std::int32_t nm) override;

private:
    ControlHost& host_;
};
