// The main window's commands: every click on a push button or check box and
// every new selection in a drop-down list (WM_COMMAND), on the window thread.
// A setting changes at once and is saved; work on the traffic thread's
// tables is only requested (app/services/state.h), so the window never
// waits for the traffic thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/control_host.h"
#include "settings/file_names.h"

// What the commands work on: the window's controls and the settings file.
struct WindowContext {
    ControlHost& controls;
    std::filesystem::path parametersPath = g_parametersPath;
};

// WM_COMMAND's notification code of a new selection in a drop-down list (CBN_SELCHANGE).
inline constexpr std::uint16_t kSelectionChanged = 1;

// True when a button, check box or list handled the command. Otherwise (and
// when a handler throws, which is logged) the controls band is repainted and
// the window passes the message on.
bool lf_HandleWMCOMMAND(WindowContext& window, std::uint16_t id, std::uint16_t code);
bool lf_onButton(WindowContext& window, std::uint16_t id);
bool lf_onCheckBox(WindowContext& window, std::uint16_t id);
bool lf_onComboChange(WindowContext& window, std::uint16_t id, std::uint16_t code);

struct ComboSelection {
    int index = 0;
    std::string text;
};
// The new selection of the list `wanted`, when the command is its selection change.
std::optional<ComboSelection> lf_getComboSelection(ControlHost& controls, std::uint16_t wanted, std::uint16_t id,
                                                   std::uint16_t code);
