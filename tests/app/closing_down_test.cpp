#include "app/closing_down.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "foundation/user_error.h"
#include "rtlink/state.h"
#include "rtlink/traffic_record.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"
#include "traffic/flight_plan_folder.h"

using testing_support::ShellTest;

namespace {
using Calls = std::vector<std::string>;

class ClosingDownTest : public ShellTest {
protected:
    ClosingDownTest() {
        DESTINATION.value = "EDDF";
        BLOCK_CALLSIGN.value = "DLH4AB";
        gf_saveParameters(false, parametersPath());
        clearCalls();
    }

    void closeDown(ExitReason reason, std::int32_t delay) {
        gf_requestStop(reason, delay);
        lf_closingDown(parametersPath());
    }

    // The messages that end a run (WM_APP_START, WM_APP_QUIT), without the repaints.
    std::vector<std::uint32_t> endMessages() const {
        std::vector<std::uint32_t> messages = posted();
        std::erase(messages, WM_APP_STATUS);
        return messages;
    }

    bool logHas(const std::string& line) const {
        const auto lines = log.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // The status texts shown while the countdown slept, one per second.
    std::vector<std::string> countdownTexts() const {
        std::vector<std::string> texts;
        for (const std::string& text : statusesAtSleeps())
            if (text.rfind("Restarting after", 0) == 0 && (texts.empty() || texts.back() != text)) texts.push_back(text);
        return texts;
    }
};
}  // namespace

TEST_F(ClosingDownTest, StepsInOrderThenQuit) {
    parkAirport = true;
    g_acceptTraffic = true;
    testing_support::TempDir appData;
    ASSERT_TRUE(gf_createFlightPlanFolder(appData.path()));
    testing_support::writeFile(g_flightPlanFolder / "123456.pln", "plan");
    closeDown(ExitReason::UserClosedSim, 0);

    EXPECT_EQ(calls(), (Calls{"requestSimClientStop", "stopReaders", "closeRtServer", "leaveParkAirport",
                              "clearLiveryByHexId", "text DESTINATION", "text BLOCK_CALLSIGN", "enable Unblock 0",
                              "clearGhostCallsigns", "writeMatchingSummary", "logNoMatch", "post 2"}));
    EXPECT_EQ(sleeps(), 1) << "500 ms for the readers";
    EXPECT_EQ(nowMs(), 500);
    EXPECT_TRUE(logHas("Exiting: USER CLOSED SIM"));
    EXPECT_FALSE(g_acceptTraffic.load());
    EXPECT_FALSE(std::filesystem::exists(g_flightPlanFolder));
    EXPECT_EQ(storedValue("DESTINATION"), "");
    EXPECT_EQ(storedValue("BLOCK_CALLSIGN"), "");
    EXPECT_EQ(DESTINATION.value.get(), "");
    EXPECT_FALSE(g_restartPending.load());
}

TEST_F(ClosingDownTest, EachReasonRestartsOrQuits) {
    const struct {
        ExitReason reason;
        std::int32_t delay;
        std::uint32_t message;
        bool scansOff;
    } cases[] = {
        {ExitReason::SimWasClosed, 0, WM_APP_QUIT, false},     {ExitReason::UserClosedSim, 0, WM_APP_QUIT, false},
        {ExitReason::NewVersion, 0, WM_APP_QUIT, false},       {ExitReason::NewSettings, 2, WM_APP_START, false},
        {ExitReason::NewSettings, 3, WM_APP_START, false},     {ExitReason::SimConnectError, 9, WM_APP_START, true},
        {ExitReason::ReaderError, 15, WM_APP_START, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(gf_exitReasonText(c.reason) + " " + std::to_string(c.delay));
        testing_support::resetShellState();
        gf_saveParameters(false, parametersPath());
        clearCalls();
        const std::int64_t start = nowMs();
        closeDown(c.reason, c.delay);
        EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{c.message});
        const bool restart = c.message == WM_APP_START;
        EXPECT_EQ(g_restartPending.load(), restart);
        EXPECT_EQ(nowMs() - start, 500 + (restart ? 1000 * c.delay : 0));
        EXPECT_EQ(storedValue("SCAN_LIVERIES"), c.scansOff ? "false" : "true");
        EXPECT_EQ(storedValue("SCAN_AIRPORTS"), c.scansOff ? "false" : "true");
        if (restart) {
            std::vector<std::string> expected;
            for (std::int32_t k = c.delay; k >= 1; --k)
                expected.push_back(fmt::format("Restarting after {} second{}", k, k == 1 ? "" : "s"));
            EXPECT_EQ(countdownTexts(), expected);
            // Reset for the next start-up; the delay and the exit code stay.
            EXPECT_FALSE(g_stopRequested.load());
            EXPECT_EQ(g_exitReason.load(), ExitReason::NotYetSet);
            EXPECT_EQ(g_restartDelay.load(), c.delay);
            EXPECT_EQ(gf_statusLineText(), "");
        }
    }
}

TEST_F(ClosingDownTest, NewSettingsRestartLogsTheCountdown) {
    gf_setError("41: something");
    closeDown(ExitReason::NewSettings, 2);
    const auto lines = log.lines();
    const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    EXPECT_LT(at("Exiting: NEW SETTINGS"), at("Prepare for a restart ..."));
    EXPECT_EQ(at("Restarting after 2 seconds") + 1, at(std::string(48, '-')));
    EXPECT_EQ(at(std::string(48, '-')) + 1, at("Restart countdown finished"));
    EXPECT_FALSE(log.contains("Restarting after 1 second")) << "the steps are not logged";
    EXPECT_EQ(countdownTexts(), (std::vector<std::string>{"Restarting after 2 seconds", "Restarting after 1 second"}));
    const Calls all = calls();
    for (const char* reset : {"resetFeedState", "resetSimLink", "resetTraffic", "clearUserRef"})
        EXPECT_EQ(std::count(all.begin(), all.end(), reset), 1) << reset;
    EXPECT_EQ(all.back(), "post 1");
}

TEST_F(ClosingDownTest, NewFlightTellsTheUserAndQuitsAfter10Seconds) {
    closeDown(ExitReason::NewFlight, 30);
    EXPECT_TRUE(logHas("New flight detected, Velantra_P3D will close, please restart manually ..."));
    EXPECT_EQ(nowMs(), 500 + 10000);
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    EXPECT_FALSE(g_restartPending.load());
}

TEST_F(ClosingDownTest, CloseDuringTheCountdownEndsTheProgram) {
    onSleep = [](int count) {
        if (count == 25) gf_requestEnd();  // 2 s into the 9 s countdown
    };
    closeDown(ExitReason::SimConnectError, 9);
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    EXPECT_FALSE(g_restartPending.load());
    EXPECT_FALSE(log.contains("Restart countdown finished"));
    EXPECT_TRUE(g_closeRequested.load());
    EXPECT_LE(nowMs(), 500 + 2500);
    const Calls all = calls();
    EXPECT_EQ(std::count(all.begin(), all.end(), "resetTraffic"), 0) << "no reset for a run that ends";
}

TEST_F(ClosingDownTest, CloseBeforeTheRestartDecisionEndsTheProgram) {
    gf_requestStop(ExitReason::NewSettings, 2);
    gf_requestEnd();
    EXPECT_EQ(g_exitReason.load(), ExitReason::NewSettings) << "the first trigger keeps its reason";
    lf_closingDown(parametersPath());
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    EXPECT_FALSE(log.contains("Prepare for a restart"));
}

TEST_F(ClosingDownTest, SystemErrorWaitsForTheCloseButton) {
    gf_setError("41: Velantra_P3D must be run from the Velantra_P3D folder!");
    g_exitReason = ExitReason::SystemError;
    onSleep = [](int count) {
        if (count == 5) gf_requestEnd();
    };
    lf_closingDown(parametersPath());
    EXPECT_EQ(nowMs(), 500 + 4 * 500) << "polled every 500 ms until the close";
    EXPECT_TRUE(logHas("Exiting: SYSTEM ERROR"));
    EXPECT_TRUE(logHas("User closed Velantra_P3D"));
    EXPECT_EQ(gf_statusLineText(), "User closed Velantra_P3D");
    EXPECT_EQ(endMessages().back(), WM_APP_QUIT);
    // The error line stayed while the program waited.
    const std::vector<std::string> shown = statusesAtSleeps();
    ASSERT_EQ(shown.size(), 5u);
    for (const std::string& text : shown)
        EXPECT_EQ(text, "41: Velantra_P3D must be run from the Velantra_P3D folder!");
}

TEST_F(ClosingDownTest, TypedInstallPathEndsTheSystemErrorWaitWithARestart) {
    g_exitReason = ExitReason::SystemError;
    onSleep = [](int count) {
        if (count == 3) gf_requestStop(ExitReason::NewSettings, 3);
    };
    lf_closingDown(parametersPath());
    EXPECT_EQ(endMessages().back(), WM_APP_START);
    EXPECT_FALSE(log.contains("User closed"));
}

TEST_F(ClosingDownTest, AFailingStepStillEndsWithTheQuitMessage) {
    parkAirport = true;
    onCall = [](const std::string& call) {
        if (call == "leaveParkAirport") throw std::runtime_error("stand file locked");
    };
    closeDown(ExitReason::SimWasClosed, 0);
    EXPECT_TRUE(logHas("lf_closingDown exception stand file locked"));
    EXPECT_EQ(storedValue("DESTINATION"), "") << "the later steps ran";
    EXPECT_EQ(calls().back(), "post 2");
}

TEST_F(ClosingDownTest, AFailingResetQuitsInsteadOfRestarting) {
    onCall = [](const std::string& call) {
        if (call == "resetTraffic") throw std::runtime_error("tables");
    };
    closeDown(ExitReason::ReaderError, 15);
    EXPECT_TRUE(logHas("lf_closingDown exception tables"));
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
    EXPECT_FALSE(g_restartPending.load());
}

TEST_F(ClosingDownTest, SecondTriggerKeepsTheFirstReason) {
    gf_requestStop(ExitReason::SimWasClosed, 0);
    EXPECT_FALSE(gf_requestStop(ExitReason::ReaderError, 15));
    lf_closingDown(parametersPath());
    EXPECT_TRUE(logHas("Exiting: SIM WAS CLOSED"));
    EXPECT_EQ(endMessages(), std::vector<std::uint32_t>{WM_APP_QUIT});
}

TEST_F(ClosingDownTest, EndRequestSetsBothFlagsAndOnlyAnUnsetReason) {
    // The traffic thread may end the run, and closing down log its reason,
    // as soon as a flag is set: the reason comes first.
    std::vector<std::string> reasonsWhileClosing;
    onCall = [&](const std::string& call) {
        if (call == "closeRtServer") reasonsWhileClosing.push_back(gf_exitReasonText(g_exitReason));
    };
    gf_requestEnd();
    EXPECT_EQ(reasonsWhileClosing, std::vector<std::string>{"USER CLOSED SIM"});
    onCall = nullptr;
    EXPECT_TRUE(g_closeRequested.load());
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::UserClosedSim);
    EXPECT_EQ(calls(), Calls{"closeRtServer"});
    g_exitReason = ExitReason::ReaderError;
    gf_requestEnd();
    EXPECT_EQ(g_exitReason.load(), ExitReason::ReaderError);
}

TEST_F(ClosingDownTest, StartUpExceptionsBecomeSystemErrors) {
    const auto report = [](auto&& thrower) {
        try {
            thrower();
        } catch (...) {
            lf_reportStartUpException();
        }
    };
    // A user error overrides an earlier reason and leaves the stop flag alone.
    gf_requestStop(ExitReason::SimWasClosed, 0);
    g_stopRequested = false;
    report([] { throw vlt::UserErrorException(41, "Velantra_P3D must be run from the Velantra_P3D folder!"); });
    EXPECT_EQ(gf_statusLineText(), "41: Velantra_P3D must be run from the Velantra_P3D folder!");
    EXPECT_EQ(g_exitReason.load(), ExitReason::SystemError);
    EXPECT_FALSE(g_stopRequested.load());
    EXPECT_TRUE(log.contains("Error 41: Velantra_P3D must be run"));

    testing_support::resetShellState();
    report([] { throw fmt::format_error("bad spec"); });
    EXPECT_EQ(gf_statusLineText(), "std::format error: bad spec");
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::SystemError);

    testing_support::resetShellState();
    gf_requestStop(ExitReason::ReaderError, 15);
    report([] { throw std::runtime_error("reading data files failed!"); });
    EXPECT_EQ(gf_statusLineText(), "reading data files failed!");
    EXPECT_EQ(g_exitReason.load(), ExitReason::ReaderError) << "a standard exception follows the stop rule";

    testing_support::resetShellState();
    report([] { throw 42; });
    EXPECT_EQ(gf_statusLineText(), "Unknown exception");
    EXPECT_EQ(g_exitReason.load(), ExitReason::SystemError);
    EXPECT_EQ(g_exitCode.load(), 0);
}

TEST_F(ClosingDownTest, FailedProductionRunQuitsAtOnceWithExitCode1) {
    g_productionMode = true;
    try {
        throw std::runtime_error("reading 'input/airports.enc' failed!");
    } catch (...) {
        lf_reportStartUpException();
    }
    lf_closingDown(parametersPath());
    EXPECT_EQ(g_exitCode.load(), 1);
    EXPECT_EQ(endMessages().back(), WM_APP_QUIT);
    EXPECT_EQ(sleeps(), 1) << "no wait for a window close";
}

TEST_F(ClosingDownTest, ResetKeepsDelayAndExitCode) {
    g_exitCode = 1;
    gf_requestStop(ExitReason::SimConnectError, 9);
    g_rtLevel2 = true;
    g_seconds = 99;
    g_flightPaused = true;
    g_staticUpdateRequest = true;
    g_staticUpdatePending = true;
    g_blockingChanged = true;
    g_liveCount = 5;
    gf_setReaderStatus(ReaderId::traffic, readerReceiving);
    gf_setError("boom");
    EXPECT_TRUE(lf_resetRun());
    EXPECT_EQ(g_restartDelay.load(), 9);
    EXPECT_EQ(g_exitCode.load(), 1);
    EXPECT_FALSE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), ExitReason::NotYetSet);
    EXPECT_FALSE(g_rtLevel2.load());
    EXPECT_EQ(g_seconds.load(), 0);
    EXPECT_FALSE(g_flightPaused);
    EXPECT_FALSE(g_staticUpdateRequest.load());
    EXPECT_FALSE(g_staticUpdatePending);
    EXPECT_FALSE(g_blockingChanged.load());
    EXPECT_EQ(g_liveCount.load(), 0u);
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerStopped);
    EXPECT_EQ(gf_statusLineText(), "");
}
