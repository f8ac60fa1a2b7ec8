// The main window's controls as plain data: what the headless host has in
// place of Win32 controls, and what tests drive and inspect. Behaves as the
// Win32 controls do where the window's logic relies on it: a check box does
// not toggle itself, a drop-down list changes its selection only when told,
// an edit field holds any text.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/control_host.h"

class ControlModel final : public ControlHost {
public:
    struct Control {
        ControlKind kind = ControlKind::button;
        int x = 0, y = 0, width = 0, height = 0;
        std::uint32_t style = 0;
        bool enabled = false;
        bool checked = false;
        std::string text;
        std::vector<std::string> items;
        int selected = -1;  // -1: none
    };

    void create(const ControlSpec& spec) override;
    bool exists(std::uint16_t id) override;
    void setEnabled(std::uint16_t id, bool enabled) override;
    bool isEnabled(std::uint16_t id) override;
    void setChecked(std::uint16_t id, bool checked) override;
    bool isChecked(std::uint16_t id) override;
    void setText(std::uint16_t id, const std::string& text) override;
    std::optional<std::string> text(std::uint16_t id) override;
    void clearItems(std::uint16_t id) override;
    void addItem(std::uint16_t id, const std::string& text) override;
    void selectItem(std::uint16_t id, int index) override;
    std::optional<int> selectedItem(std::uint16_t id) override;
    int itemCount(std::uint16_t id) override;
    std::optional<std::string> itemText(std::uint16_t id, int index) override;
    std::optional<int> findItemExact(std::uint16_t id, const std::string& text) override;
    std::optional<int> selectItemWithPrefix(std::uint16_t id, const std::string& prefix) override;

    // A copy of one control's state; a default Control when there is none.
    Control control(std::uint16_t id) const;
    // "kind x,y wxh enabled checked 'text' [items] selected" of one control, for messages.
    std::string describe(std::uint16_t id) const;

private:
    Control* find(std::uint16_t id);  // under mutex_

    mutable std::mutex mutex_;  // a leaf lock; any thread
    std::map<std::uint16_t, Control> controls_;
};
