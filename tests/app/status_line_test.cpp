#include "app/services/status_line.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/window_messages.h"
#include "platform/window_host.h"
#include "support/log_capture.h"
#include "support/wait.h"

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
        g_statusExpiryHook = nullptr;
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

namespace {
std::atomic<bool> g_expiring{false};  // a sample found the old text expired and calls the hook
std::atomic<bool> g_newTextSet{false};  // the window thread's text is set, or waits for the sample to let go

void lf_letTheNewTextIn() {
    g_expiring = true;
    EXPECT_TRUE(testing_support::waitFor([] { return g_newTextSet.load(); }, testing_support::kSafety));
}
}  // namespace

TEST_F(StatusLineTest, ATextSetWhileAnOldOneExpiresStays) {
    // The window thread sets a new text just when the traffic thread's sample
    // has found the old text expired and not yet cleared it: the new text
    // must stay, with a lifetime of its own.
    gf_setStatus("old", false);            // set at clock 1 ...
    g_statusClock.store(kStatusLifetime);  // ... and due to expire at the next sample
    g_expiring = false;
    g_newTextSet = false;
    std::atomic<bool> sampled{false};
    g_statusExpiryHook = lf_letTheNewTextIn;
    std::thread window([&sampled] {
        ASSERT_TRUE(testing_support::waitFor([&] { return g_expiring.load() || sampled.load(); }, testing_support::kSafety));
        if (!g_expiring) {
            ADD_FAILURE() << "the old text did not expire";
            return;
        }
        // A sample that holds the status line from its decision to the
        // clearing makes the set wait for it; one that lets go in between lets
        // the set through at once, into the text it is about to clear.
        if (g_statusMutex.try_lock()) {
            g_statusMutex.unlock();
            gf_setStatus("new", false);
            g_newTextSet = true;
        } else {
            g_newTextSet = true;
            gf_setStatus("new", false);
        }
    });
    lf_advanceStatusClock();
    sampled = true;
    window.join();
    EXPECT_EQ(gf_statusLineText(), "new") << "the new text was wiped by the expiry of the old one";
    EXPECT_EQ(g_statusSetAt, kStatusLifetime + 1);
    samples(kStatusLifetime - 1);
    EXPECT_EQ(gf_statusLineText(), "new");
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
