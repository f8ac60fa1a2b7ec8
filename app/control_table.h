// The main window's 39 child controls: which setting or button each belongs
// to, its kind, place and size, and how it starts. Both hosts create their
// controls from this table; tests check a window against it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/parameters.h"

enum class ControlKind : std::uint8_t { button, checkBox, edit, combo };

struct ControlSpec {
    ControlKind kind;
    WindowControl* control;  // the setting or button; its id and row
    const Parameter* param;  // the same object as a parameter (its key)
    int x;
    int width;
    int height;  // a combo box: its drop-down height
};

// Window styles, as Win32 spells them.
inline constexpr std::uint32_t kButtonStyle = 0x50010001;    // child, visible, tab stop, default push button
inline constexpr std::uint32_t kCheckBoxStyle = 0x50010002;  // child, visible, tab stop, check box that does not toggle itself
inline constexpr std::uint32_t kEditStyle = 0x50810000;      // child, visible, border, tab stop
inline constexpr std::uint32_t kComboStyle = 0x50210003;     // child, visible, vertical scroll, tab stop, drop-down list

// The controls in the order of their creation.
const std::vector<ControlSpec>& gf_controlTable();
// The entry of a control id; nullptr when the window has no such control.
const ControlSpec* gf_controlSpec(std::uint16_t controlId);

// The y Windows gets: the row for buttons and edit fields, row + 2 for check
// boxes, row - 5 for combo boxes.
int gf_controlY(const ControlSpec& spec);
std::uint32_t gf_controlStyle(ControlKind kind);
// The window class: "button", "Edit" or "ComboBox".
const char* gf_controlClass(ControlKind kind);
// A button's label is its key; the other controls start without text.
std::string gf_controlLabel(const ControlSpec& spec);
// Check boxes and combo boxes start enabled; buttons and edit fields
// disabled until the start-up or a command enables them.
bool gf_controlStartsEnabled(ControlKind kind);
