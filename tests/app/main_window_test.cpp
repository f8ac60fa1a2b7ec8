#include "app/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"

using testing_support::ShellTest;

namespace {
// Two monitors side by side; the window exists when its size is set.
class FakeDesktop : public DesktopOps {
public:
    ScreenRect windowRect() override {
        if (!exists) return {};
        return ScreenRect{x, y, x + kMainWindowWidth, y + kMainWindowHeight};
    }
    ScreenRect workAreaNear(const ScreenRect& rect) override {
        ++workAreaQueries;
        return rect.left >= 1920 ? ScreenRect{1920, 0, 3840, 1040} : ScreenRect{0, 0, 1920, 1040};
    }
    void moveWindow(int newX, int newY) override {
        x = newX;
        y = newY;
        moves.emplace_back(newX, newY);
    }
    bool exists = false;
    int x = 0, y = 0;
    int workAreaQueries = 0;
    std::vector<std::pair<int, int>> moves;
};

class MainWindowTest : public ShellTest {
protected:
    void storePosition(int x, int y) {
        MAIN_WINDOW_X.value = x;
        MAIN_WINDOW_Y.value = y;
        gf_saveParameters(false, parametersPath());
        MAIN_WINDOW_X.value = MAIN_WINDOW_X.defaultValue;
        MAIN_WINDOW_Y.value = MAIN_WINDOW_Y.defaultValue;
    }
    FakeDesktop desktop;
};
}  // namespace

TEST(CommandLine, ProductionSwitchLastOneWinsCaseIgnored) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(lf_productionSwitch(Args{}), std::nullopt);
    EXPECT_EQ(lf_productionSwitch(Args{"--PRODUCTION"}), true);
    EXPECT_EQ(lf_productionSwitch(Args{"/Production"}), true);
    EXPECT_EQ(lf_productionSwitch(Args{"--production", "--no-production"}), false);
    EXPECT_EQ(lf_productionSwitch(Args{"/no-production", "--production"}), true);
    EXPECT_EQ(lf_productionSwitch(Args{"--production", "-x", "foo"}), true);
    EXPECT_EQ(lf_productionSwitch(Args{"--productions", "production", "-production"}), std::nullopt);
}

TEST(WindowPlacement, KeepsAtLeast48PixelsOnTheWorkArea) {
    const ScreenRect work{0, 0, 1920, 1040};
    const struct {
        ScreenRect in;
        ScreenRect out;
    } cases[] = {
        {{400, 20, 1280, 536}, {400, 20, 1280, 536}},          // inside: unchanged
        {{-2000, 20, -1120, 536}, {-832, 20, 48, 536}},        // far left: right edge at 48
        {{3000, 20, 3880, 536}, {1872, 20, 2752, 536}},        // far right: left edge at 1872
        {{400, -900, 1280, -384}, {400, -468, 1280, 48}},      // above: bottom edge at 48
        {{400, 2000, 1280, 2516}, {400, 992, 1280, 1508}},     // below: top edge at 992
        {{-50, 0, 2450, 500}, {0, 0, 2500, 500}},              // wider than the area: starts at its left
        {{-100, -100, -100, -100}, {48, 48, 48, 48}},          // no window yet: the corner alone
    };
    for (const auto& c : cases) {
        const ScreenRect kept = gf_keepOnWorkArea(c.in, work);
        EXPECT_EQ((std::vector<int>{kept.left, kept.top, kept.right, kept.bottom}),
                  (std::vector<int>{c.out.left, c.out.top, c.out.right, c.out.bottom}));
    }
}

TEST_F(MainWindowTest, PositionAtALimitBecomesTheDefaultAndIsSaved) {
    storePosition(-30000, 300);
    lf_loadWindowPlacement(desktop, parametersPath());
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 400);
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 300);
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), "400");
    EXPECT_EQ(storedValue("MAIN_WINDOW_Y"), "300");
}

TEST_F(MainWindowTest, BeforeTheWindowExistsTheCornerAloneKeeps48Pixels) {
    storePosition(400, 30000);
    lf_loadWindowPlacement(desktop, parametersPath());
    // The limit gives the default 20, and a corner 20 pixels below the top of
    // the work area lies less than 48 pixels inside it.
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 48);
    EXPECT_EQ(storedValue("MAIN_WINDOW_Y"), "48");
}

TEST_F(MainWindowTest, PositionOffEveryMonitorMovesOntoTheNearestWorkArea) {
    storePosition(5000, 200);
    lf_loadWindowPlacement(desktop, parametersPath());
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 3840 - 48);
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 200);
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), "3792");
    EXPECT_TRUE(desktop.moves.size() == 1u);
}

TEST_F(MainWindowTest, PositionOnAMonitorIsKeptWithoutSaving) {
    storePosition(2000, 300);
    const std::string before = testing_support::readFile(parametersPath());
    lf_loadWindowPlacement(desktop, parametersPath());
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 2000);
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 300);
    EXPECT_EQ(testing_support::readFile(parametersPath()), before);
    EXPECT_TRUE(desktop.moves.empty());
}

TEST_F(MainWindowTest, MissingFileOpensAtTheDefaultsWithoutMonitorCheck) {
    lf_loadWindowPlacement(desktop, parametersPath());
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 400);
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 20);
    EXPECT_EQ(desktop.workAreaQueries, 0);
    EXPECT_FALSE(std::filesystem::exists(parametersPath()));
}

TEST_F(MainWindowTest, UnreadableFileIsSetAsideAndTheDefaultsUsed) {
    testing_support::writeFile(parametersPath(), "<root><parameters><parameter name=");
    MAIN_WINDOW_X.value = 1234;
    lf_loadWindowPlacement(desktop, parametersPath());
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 1234) << "the position stays as it was";
    EXPECT_EQ(desktop.workAreaQueries, 0);
    EXPECT_FALSE(std::filesystem::exists(parametersPath()));
    EXPECT_TRUE(std::filesystem::exists(parametersPath().parent_path() / "parameters0.xml"));
    EXPECT_TRUE(log.contains("failed to load"));
    EXPECT_TRUE(log.contains("Saved as 0.xml and removed."));
}

TEST_F(MainWindowTest, QuitStoresTheNormalPositionAndReturnsTheExitCode) {
    desktop.exists = true;
    desktop.x = 700;
    desktop.y = 150;
    g_exitCode = 1;
    EXPECT_EQ(lf_onAppQuit(700, 150, desktop, parametersPath()), 1);
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), "700");
    EXPECT_EQ(storedValue("MAIN_WINDOW_Y"), "150");
    EXPECT_TRUE(desktop.moves.empty());
    EXPECT_EQ(log.lines().size() >= 2 ? log.lines().back().size() : 0u, std::string("Mon Jan 05 13:04:09 2026").size())
        << "the time as a line of its own";
}

TEST_F(MainWindowTest, QuitAtAPositionLimitFallsBackToTheRememberedPosition) {
    // A position beyond the limits (such as the -32000 corner of a minimised
    // window) clamps to a limit, which stands for "no position": the
    // position the window had before is kept, not the defaults.
    desktop.exists = true;
    MAIN_WINDOW_X.value = 700;
    MAIN_WINDOW_Y.value = 150;
    lf_onAppQuit(-32000, 32000, desktop, parametersPath());
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), "700");
    EXPECT_EQ(storedValue("MAIN_WINDOW_Y"), "150");
    EXPECT_EQ(MAIN_WINDOW_X.value.load(), 700);
    EXPECT_EQ(MAIN_WINDOW_Y.value.load(), 150);
}

TEST_F(MainWindowTest, QuitOffScreenIsPulledBackOntoTheMonitor) {
    desktop.exists = true;
    desktop.x = -5000;
    desktop.y = 100;
    lf_onAppQuit(-5000, 100, desktop, parametersPath());
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), std::to_string(48 - kMainWindowWidth));
    EXPECT_EQ(desktop.moves.size(), 1u);
}

TEST_F(MainWindowTest, CloseButtonShowsTheMessageAndRequestsTheEnd) {
    lf_onCloseButton();
    EXPECT_EQ(gf_statusLineText(), "Close window button clicked, closing Velantra_P3D ...");
    EXPECT_FALSE(log.contains("Close window button clicked")) << "not logged";
    EXPECT_TRUE(g_closeRequested.load());
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::UserClosedSim);
    EXPECT_EQ(calls().back(), "closeRtServer");
}
