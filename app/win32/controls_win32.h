// The main window's child controls as Win32 controls: created on WM_CREATE,
// found by their id under the main window, and the subclassed edit fields
// that act on Enter.
#pragma once

#include <windows.h>

#include "app/control_host.h"

class Win32Controls final : public ControlHost {
public:
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
};

// The parent of the controls (set on WM_CREATE) and the module instance they
// are created with (stored when the window class is registered).
extern std::atomic<HWND> g_controlsParent;
extern HINSTANCE g_moduleInstance;

// The edit fields' window procedures: Enter (WM_CHAR 13) runs the field's
// command and is consumed; everything else goes to the edit control.
LRESULT CALLBACK lf_installPathEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK lf_blockCallsignEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK lf_destinationEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
