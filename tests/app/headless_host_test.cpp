// The host that stands in for the main window in the native build.
#ifndef _WIN32
#include "app/headless/headless_host.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "rtlink/state.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"

namespace {
class HeadlessHostTest : public testing_support::ShellTest {
protected:
    HeadlessHostTest() : host(out, parametersPath()) {
        platform::setWindowHost(&host);
        host.createWindow();
    }
    ~HeadlessHostTest() override { platform::setWindowHost(this); }

    std::ostringstream out;
    HeadlessHost host;
};
}  // namespace

TEST_F(HeadlessHostTest, PrintsTheStatusLineAndThePanelWhenTheyChange) {
    gf_setStatus("Waiting for RealTraffic to connect to Velantra_P3D ...", false);
    gf_setStatus("Waiting for RealTraffic to connect to Velantra_P3D ...", false);
    g_rtActive = true;
    g_rtDisplayBlocked = false;
    gf_setReaderStatus(ReaderId::traffic, readerReceiving);
    g_liveCount = 7;
    g_liveryCount = 1200;
    platform::invalidateBand(kIndicatorsBand);
    g_exitCode = 1;
    host.postAppMessage(WM_APP_QUIT);
    EXPECT_EQ(host.runMessageLoop(), 1);
    EXPECT_EQ(out.str(),
              "[status] Waiting for RealTraffic to connect to Velantra_P3D ...\n"
              "[panel] Sim red | RT lime | # liveries: 1200 (lime) | # simaddon: ... (yellow) | # thirdp: ... (yellow) | "
              "Traffic (lime) | live:   7 (lime)\n");
    EXPECT_EQ(storedValue("MAIN_WINDOW_X"), "400") << "the window's position is stored on quitting";
    EXPECT_EQ(storedValue("MAIN_WINDOW_Y"), "20");
}

TEST_F(HeadlessHostTest, PanelShowsTheParkStatisticsAndTheRenewalNote) {
    DisplayList list = lf_paintMainWindow(PaintState{});
    EXPECT_EQ(gf_panelText(list),
              "[panel] Sim red | RT black | # liveries: ... (red) | # simaddon: ... (yellow) | # thirdp: ... (yellow)");
    PaintState state;
    state.parkAirportText = "EHAM";
    state.parkFileLoaded = true;
    state.staticUpdateMinutes = 3;
    EXPECT_EQ(gf_panelText(lf_paintMainWindow(state)),
              "[panel] Sim red | RT black | # liveries: ... (red) | # simaddon: ... (yellow) | # thirdp: ... (yellow) | "
              "(next in 3 min) (black) | EHAM (yellow)");
}

TEST_F(HeadlessHostTest, CommandsFromAStreamReachTheControls) {
    // The reader thread may still be at the stream's end when the test ends.
    static std::istringstream in("click 32798\nclose\n");
    onCall = [this](const std::string& call) {
        if (call == "closeRtServer") host.postAppMessage(WM_APP_QUIT);
    };
    host.readCommands(in);
    EXPECT_EQ(host.runMessageLoop(), 0);
    EXPECT_FALSE(SCAN_LIVERIES.value.load());
    EXPECT_EQ(storedValue("SCAN_LIVERIES"), "false");
    EXPECT_TRUE(g_closeRequested.load()) << "close is the close button";
}

TEST_F(HeadlessHostTest, ErrorLineTakesPrecedence) {
    gf_setStatus("first", false);
    gf_setError("41: Velantra_P3D must be run from the Velantra_P3D folder!");
    host.postAppMessage(WM_APP_QUIT);
    host.runMessageLoop();
    EXPECT_NE(out.str().find("[error] 41: Velantra_P3D must be run from the Velantra_P3D folder!\n"),
              std::string::npos);
}

TEST_F(HeadlessHostTest, CloseSignalActsAsTheCloseButton) {
    onCall = [this](const std::string& call) {
        if (call == "closeRtServer") host.postAppMessage(WM_APP_QUIT);
    };
    HeadlessHost::requestClose();
    EXPECT_EQ(host.runMessageLoop(), 0);
    EXPECT_TRUE(g_closeRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::UserClosedSim);
    EXPECT_NE(out.str().find("[status] Close window button clicked, closing Velantra_P3D ...\n"), std::string::npos);
}

#endif
