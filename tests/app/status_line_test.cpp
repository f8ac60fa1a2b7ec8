#include "app/services/status_line.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/window_messages.h"
#include "platform/window_host.h"
#include "support/log_capture.h"

namespace {
class RecordingHost : public platform::WindowHost {
public:
    void postAppMessage(std::uint32_t offset) override {
        const std::lock_guard lock(mutex);
        posted.push_back(offset);
    }
    void invalidateBand(const platform::Band&) override {}
    std::size_t count() {
        const std::lock_guard lock(mutex);
        return posted.size();
    }
    std::mutex mutex;
    std::vector<std::uint32_t> posted;
};

struct StatusLineTest : ::testing::Test {
    void SetUp() override {
        gf_resetStatusLine();
        platform::setWindowHost(&host);
    }
    void TearDown() override {
        platform::setWindowHost(nullptr);
        gf_resetStatusLine();
    }
    void samples(int n) {
        for (int i = 0; i < n; ++i) lf_advanceStatusClock();
    }
    RecordingHost host;
    testing_support::LogCapture log;
};
}  // namespace

TEST_F(StatusLineTest, StatusSetAtClockZeroExpiresAtClock26) {
    gf_setStatus("Waiting for traffic", true);
    EXPECT_EQ(g_statusSetAt, 1);
    EXPECT_EQ(host.posted, std::vector<std::uint32_t>{WM_APP_STATUS});
    EXPECT_TRUE(log.contains("Waiting for traffic"));
    samples(25);
    EXPECT_EQ(gf_statusLineText(), "Waiting for traffic");
    samples(1);
    EXPECT_EQ(g_statusClock, 26);
    EXPECT_EQ(gf_statusLineText(), "");
    EXPECT_EQ(g_statusSetAt, 0);
    EXPECT_EQ(host.count(), 2u);
}

TEST_F(StatusLineTest, ErrorTakesPrecedenceAndDropsLaterStatus) {
    gf_setStatus("before", false);
    gf_setError("Something broke");
    EXPECT_TRUE(log.contains("Error Something broke"));
    EXPECT_EQ(gf_statusLineText(), "Something broke");
    const auto posted = host.count();
    gf_setStatus("dropped status", true);
    gf_clearStatus();
    EXPECT_EQ(host.count(), posted);  // no repaint for an ignored status
    EXPECT_FALSE(log.contains("dropped status"));
    samples(100);
    EXPECT_EQ(gf_statusLineText(), "Something broke");
}

TEST_F(StatusLineTest, EmptyTextClearsWithoutLogging) {
    gf_setStatus("shown", false);
    EXPECT_FALSE(log.contains("shown"));
    gf_setStatus("", true);
    EXPECT_EQ(gf_statusLineText(), "");
    EXPECT_EQ(g_statusSetAt, 0);
    EXPECT_EQ(log.lines().size(), 1u);  // the header alone
}

TEST_F(StatusLineTest, StatusNeverExpiresWhileTheClockStandsStill) {
    samples(10);
    gf_setStatus("paused", false);
    EXPECT_EQ(g_statusSetAt, 10);
    samples(24);
    EXPECT_EQ(gf_statusLineText(), "paused");
    samples(1);
    EXPECT_EQ(gf_statusLineText(), "");
}

TEST(RunFlags, FirstStopTriggerDecidesTheReason) {
    g_stopRequested = false;
    g_exitReason = ExitReason::NotYetSet;
    EXPECT_TRUE(gf_requestStop(ExitReason::SimWasClosed, 0));
    EXPECT_FALSE(gf_requestStop(ExitReason::ReaderError, 15));
    EXPECT_EQ(g_exitReason, ExitReason::SimWasClosed);
    EXPECT_EQ(g_restartDelay, 0);
    EXPECT_EQ(gf_exitReasonText(g_exitReason), "SIM WAS CLOSED");
    EXPECT_EQ(gf_exitReasonText(ExitReason::NewVersion), "NEW VERSION");
    EXPECT_THROW(gf_exitReasonText(static_cast<ExitReason>(9)), std::out_of_range);
    g_stopRequested = false;
    g_exitReason = ExitReason::NotYetSet;
}
