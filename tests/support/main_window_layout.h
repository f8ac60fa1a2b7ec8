// The main window's 39 controls as a freshly created window has them, written
// out from the window's layout, for the tests that check a window (the
// headless host's model natively, the real Win32 window under Wine).
#pragma once

#include <cstdint>
#include <vector>

namespace testing_support {

struct ExpectedControl {
    std::uint16_t id;
    const char* windowClass;  // "button", "Edit", "ComboBox"
    std::uint32_t style;
    int x, y, width, height;  // a combo box's height is its drop-down height
    bool enabled;
    bool checked;  // check boxes: the setting's default
};

const std::vector<ExpectedControl>& expectedControlsAtStart();

}  // namespace testing_support
