// The main window's controls as the window creates them, and the rules that
// put settings into them (list fills and selections), on the control model.
#include "app/window_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_model.h"
#include "settings/settings.h"
#include "support/main_window_layout.h"
#include "support/shell_fixture.h"

using testing_support::ShellTest;

namespace {
class WindowControlsTest : public ShellTest {
protected:
    WindowControlsTest() {
        lf_createControls(model);
        gf_setControlUpdates(&updates);
    }

    ControlModel model;
    WindowControlUpdates updates{model};
};
}  // namespace

TEST_F(WindowControlsTest, ThirtyNineControlsInTheirPlaces) {
    const auto& expected = testing_support::expectedControlsAtStart();
    ASSERT_EQ(gf_controlTable().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& e = expected[i];
        SCOPED_TRACE(e.id);
        const ControlSpec& spec = gf_controlTable()[i];
        EXPECT_EQ(spec.control->controlId, e.id) << "created in this order";
        const ControlModel::Control c = model.control(e.id);
        EXPECT_STREQ(gf_controlClass(c.kind), e.windowClass);
        EXPECT_EQ(c.style, e.style);
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}), (std::vector<int>{e.x, e.y, e.width, e.height}));
        EXPECT_EQ(c.enabled, e.enabled);
        EXPECT_EQ(c.checked, e.checked);
        EXPECT_TRUE(c.items.empty()) << "lists stay empty until the start-up fills them";
        EXPECT_EQ(c.text, spec.kind == ControlKind::button ? spec.param->key : std::string());
    }
    EXPECT_FALSE(model.exists(AFG_AUTOMATIC.controlId)) << "the one check-box setting without a control";
    EXPECT_EQ(bandTops(), std::vector<int>{112}) << "the controls band is repainted";
}

TEST_F(WindowControlsTest, NumberListsSelectTheFirstValueNotBelowTheSetting) {
    const struct {
        ChoiceParam& list;
        std::int32_t value;
        int selected;  // -1: none
    } cases[] = {
        {RANGE, 40, 15},        {RANGE, 7, 5},           {RANGE, 2, 0},      {RANGE, 101, -1},
        {MAX_LIVE_SEL, 20, 2},  {MAX_LIVE_SEL, 0, 0},    {AIRP_HEIGHT, 20000, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list.key + " " + std::to_string(c.value));
        c.list.value = c.value;
        gf_fillNumberCombo(model, c.list);
        const ControlModel::Control list = model.control(c.list.controlId);
        ASSERT_EQ(list.items.size(), c.list.values.size());
        EXPECT_EQ(list.items.front(), std::to_string(c.list.values.front()));
        EXPECT_EQ(list.items.back(), std::to_string(c.list.values.back()));
        EXPECT_EQ(list.selected, c.selected);
    }
}

TEST_F(WindowControlsTest, ShownValuesSelectOnlyTheirExactItem) {
    gf_fillNumberCombo(model, MAX_PARK_SEL);  // 500
    MAX_PARK_SEL.value = 25;
    ControlUpdateBatch batch;
    batch.showChoice(MAX_PARK_SEL);
    batch.apply();
    EXPECT_EQ(model.control(MAX_PARK_SEL.controlId).selected, 2);
    MAX_PARK_SEL.value = 20;  // not in the list: the selection stays
    batch.showChoice(MAX_PARK_SEL);
    batch.apply();
    EXPECT_EQ(model.control(MAX_PARK_SEL.controlId).selected, 2);
    // The radius may lie between two values: it shows the next larger one.
    gf_fillNumberCombo(model, RANGE);
    RANGE.value = 7;
    batch.selectChoiceAtLeast(RANGE);
    batch.apply();
    EXPECT_EQ(model.control(RANGE.controlId).selected, 5);
}

TEST_F(WindowControlsTest, MaxFitStepsAndItsListSelection) {
    const struct {
        std::int32_t halfHours;
        float hours;
    } steps[] = {{-1, 0.5f}, {0, 0.5f},  {1, 1.0f},   {2, 1.5f},   {8, 4.5f},   {9, 5.0f},   {10, 6.0f},
                 {11, 6.0f}, {12, 7.0f}, {18, 10.0f}, {20, 11.0f}, {21, 11.0f}, {22, 12.0f}, {26, 15.0f},
                 {31, 15.0f}, {32, 18.0f}, {38, 21.0f}, {43, 21.0f}, {44, 24.0f}, {47, 24.0f}};
    for (const auto& step : steps) EXPECT_EQ(gf_maxFitToFloat(step.halfHours), step.hours) << step.halfHours;

    updates.fillFloatChoice(AMAX_FIT_FL);
    EXPECT_EQ(model.control(AMAX_FIT_FL.controlId).items[0], "0.5");
    EXPECT_EQ(model.control(AMAX_FIT_FL.controlId).items[19], "24.0");
    MAX_FIT.value = 47;
    updates.syncMaxFitChoice();
    EXPECT_EQ(AMAX_FIT_FL.value.load(), 24.0f);
    EXPECT_EQ(model.control(AMAX_FIT_FL.controlId).selected, 19);
    MAX_FIT.value = 20;  // 11 hours is not in the list
    updates.syncMaxFitChoice();
    EXPECT_EQ(AMAX_FIT_FL.value.load(), 11.0f);
    EXPECT_EQ(model.control(AMAX_FIT_FL.controlId).selected, 19) << "the selection stays";
}

TEST_F(WindowControlsTest, CallsignListSelectsTheFirstCallsignBeginningWithTheValue) {
    CALLSIGN_2_OBJECTID.setCallsigns({"AFR12", "DLH4", "DLH40"});
    const struct {
        const char* value;
        int selected;
    } cases[] = {{"DLH4", 1}, {"dlh", 1}, {"", 0}, {"KLM", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        CALLSIGN_2_OBJECTID.value = c.value;
        gf_fillStringCombo(model, CALLSIGN_2_OBJECTID);
        EXPECT_EQ(model.control(CALLSIGN_2_OBJECTID.controlId).items,
                  (std::vector<std::string>{"AFR12", "DLH4", "DLH40"}));
        EXPECT_EQ(model.control(CALLSIGN_2_OBJECTID.controlId).selected, c.selected);
    }
}

TEST_F(WindowControlsTest, TextsThatCannotBeShownAreLogged) {
    BLOCK_CALLSIGN.value = "KLM1";
    gf_setControlText(model, BLOCK_CALLSIGN);
    BLOCK_CALLSIGN.value = "KL\xc0";
    gf_setControlText(model, BLOCK_CALLSIGN);
    EXPECT_EQ(model.control(BLOCK_CALLSIGN.controlId).text, "KLM1") << "the field keeps its text";
    EXPECT_TRUE(log.contains("utf8_to_wide failed for 'KL\xc0': "));

    ControlModel empty;  // before the window's controls exist
    gf_setControlInt(empty, MAX_LIVE_SEL);
    EXPECT_TRUE(log.contains("GetDlgItem failed for ID 32849"));
}
