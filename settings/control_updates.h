// What the parameter store asks of the main window's controls. The window
// installs the real implementation; without one (tests, before the window
// exists) updates go nowhere. The store collects its updates while it holds
// its lock and applies them after releasing it: a control update may wait on
// the window thread, which may itself be waiting to save a setting.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "settings/parameters.h"

class ControlUpdates {
public:
    virtual ~ControlUpdates() = default;
    // BM_SETCHECK: ticks or clears the check box.
    virtual void setCheck(const CheckBoxParam& param, bool checked) = 0;
    // The drop-down list shows the parameter's current value (gf_setControlInt):
    // the item with exactly that text is selected; without one the selection stays.
    virtual void showChoice(const ChoiceParam& param) = 0;
    // The drop-down list selects the first value not less than the current one
    // (the radius, which may lie between two values).
    virtual void selectChoiceAtLeast(const ChoiceParam& param) = 0;
    // The drop-down list gets the parameter's values in list order, in
    // decimal, and shows the current value (gf_fillNumberCombo).
    virtual void fillChoice(const ChoiceParam& param) = 0;
    // The same for a list of hours, each written "{:.1f}"; the selection
    // follows with syncMaxFitChoice.
    virtual void fillFloatChoice(const FloatChoiceParam& param) = 0;
    // The edit field shows the parameter's current text (gf_setControlText);
    // a parameter without a control is ignored.
    virtual void showText(const StringParam& param) = 0;
    // The drop-down list gets the parameter's current callsign list and selects
    // the first callsign that begins with its value (gf_fillStringCombo).
    virtual void fillCallsignChoice(const CallsignListParam& param) = 0;
    // EnableWindow of the control.
    virtual void enableControl(const WindowControl& control, bool enabled) = 0;
    // AMAX_FIT_FL follows MAX_FIT and its list shows the entry (gf_syncMaxFitChoice).
    virtual void syncMaxFitChoice() = 0;
    // Sets the radius in nautical miles and selects it in the RANGE list (gf_setRadius).
    virtual void setRadius(std::int32_t nm) = 0;
};

// Installs the implementation (nullptr removes it); the caller keeps it alive
// while installed.
void gf_setControlUpdates(ControlUpdates* updates);

// Updates collected under a lock, applied in order once it is released.
class ControlUpdateBatch {
public:
    ControlUpdateBatch() = default;
    ControlUpdateBatch(const ControlUpdateBatch&) = delete;
    ControlUpdateBatch& operator=(const ControlUpdateBatch&) = delete;

    void setCheck(const CheckBoxParam& param, bool checked);
    void showChoice(const ChoiceParam& param);
    void selectChoiceAtLeast(const ChoiceParam& param);
    void fillChoice(const ChoiceParam& param);
    void fillFloatChoice(const FloatChoiceParam& param);
    void showText(const StringParam& param);
    void fillCallsignChoice(const CallsignListParam& param);
    void enableControl(const WindowControl& control, bool enabled);
    void syncMaxFitChoice();
    void setRadius(std::int32_t nm);

    // Applies and forgets the collected updates; call it holding no lock.
    // A failing update is logged and the rest still run.
    void apply() noexcept;

private:
    std::vector<std::function<void(ControlUpdates&)>> steps_;
};
