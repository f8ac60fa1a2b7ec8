#include "support/main_window_layout.h"

namespace testing_support {

namespace {
constexpr std::uint32_t kButton = 0x50010001, kCheck = 0x50010002, kEdit = 0x50810000, kCombo = 0x50210003;
// Check boxes sit 2 pixels below their row, combo boxes 5 above it.
ExpectedControl edit(std::uint16_t id, int x, int row, int w) { return {id, "Edit", kEdit, x, row, w, 16, false, false}; }
ExpectedControl check(std::uint16_t id, int x, int row, bool on) { return {id, "button", kCheck, x, row + 2, 12, 12, true, on}; }
ExpectedControl button(std::uint16_t id, int x, int row, int w) { return {id, "button", kButton, x, row, w, 20, false, false}; }
ExpectedControl combo(std::uint16_t id, int x, int row, int w, int h) { return {id, "ComboBox", kCombo, x, row - 5, w, h, true, false}; }
}  // namespace

const std::vector<ExpectedControl>& expectedControlsAtStart() {
    static const std::vector<ExpectedControl> controls = {
        edit(32788, 111, 119, 1200),       check(32798, 5, 147, true),       check(32800, 536, 147, true),
        check(32771, 748, 147, false),     check(32802, 5, 175, true),       button(32804, 217, 175, 80),
        check(32774, 748, 175, true),      combo(32808, 217, 203, 40, 120),  check(32809, 323, 203, true),
        check(32810, 430, 203, true),      check(32811, 536, 203, true),     check(32776, 652, 203, false),
        check(32773, 748, 203, true),      combo(32818, 217, 231, 50, 200),  check(32819, 323, 231, true),
        combo(32820, 455, 231, 70, 230),   check(32821, 572, 231, false),    check(32834, 217, 287, true),
        check(32833, 323, 287, true),      check(32835, 430, 287, false),    edit(32828, 107, 259, 100),
        button(32829, 223, 257, 60),       button(32830, 305, 257, 60),      combo(32831, 375, 259, 100, 300),
        button(32832, 576, 257, 60),       button(32847, 111, 313, 45),      combo(32848, 323, 315, 55, 144),
        combo(32849, 536, 315, 55, 144),   edit(32839, 217, 343, 50),        combo(32840, 353, 343, 45, 144),
        combo(32841, 566, 343, 70, 230),   check(32855, 652, 315, false),    check(32851, 5, 371, false),
        check(32853, 71, 371, false),      check(32852, 151, 371, false),    combo(32850, 323, 371, 50, 200),
        combo(32854, 566, 371, 60, 300),   button(32838, 758, 341, 90),      button(32857, 758, 369, 90),
    };
    return controls;
}

}  // namespace testing_support
