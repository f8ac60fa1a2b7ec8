// The main window's child controls as the window's logic sees them: found by
// their command id, read and changed by the few operations the commands,
// the edit fields and the painting need. The Win32 window implements it with
// GetDlgItem and control messages; the headless host keeps a model of the
// controls (app/control_model.h). Windows serialises control messages onto
// the window thread, so any thread may call; an operation on a control that
// does not exist (yet) does nothing and reads as empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/control_table.h"

class ControlHost {
public:
    virtual ~ControlHost() = default;

    // Creates the control (WM_CREATE); its handle goes into the setting it shows.
    virtual void create(const ControlSpec& spec) = 0;
    virtual bool exists(std::uint16_t id) = 0;

    virtual void setEnabled(std::uint16_t id, bool enabled) = 0;
    virtual bool isEnabled(std::uint16_t id) = 0;
    // Check boxes.
    virtual void setChecked(std::uint16_t id, bool checked) = 0;
    virtual bool isChecked(std::uint16_t id) = 0;
    // Edit fields and buttons: the text as UTF-8; none when the control does
    // not exist or its text is not valid UTF-16.
    virtual void setText(std::uint16_t id, const std::string& text) = 0;
    virtual std::optional<std::string> text(std::uint16_t id) = 0;

    // Combo boxes (drop-down lists).
    virtual void clearItems(std::uint16_t id) = 0;
    virtual void addItem(std::uint16_t id, const std::string& text) = 0;
    virtual void selectItem(std::uint16_t id, int index) = 0;  // CB_SETCURSEL
    virtual std::optional<int> selectedItem(std::uint16_t id) = 0;
    virtual int itemCount(std::uint16_t id) = 0;
    virtual std::optional<std::string> itemText(std::uint16_t id, int index) = 0;
    // The index of the item with exactly this text (CB_FINDSTRINGEXACT; letter case ignored).
    virtual std::optional<int> findItemExact(std::uint16_t id, const std::string& text) = 0;
    // Selects the first item that begins with the text (CB_SELECTSTRING from
    // the start; letter case ignored); the index selected, none when no item does.
    virtual std::optional<int> selectItemWithPrefix(std::uint16_t id, const std::string& prefix) = 0;
};
