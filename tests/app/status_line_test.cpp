#include "app/services/status_line.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
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

TEST_F(StatusLineTest, ATextSetWhileAnOldOneExpiresStays) {
    // The traffic thread lets an old text expire while another thread sets a
    // new one; whatever the order, the new text must stay. Each round the
    // setter starts a little later after the sample was counted, so that its
    // set falls before, inside and after the expiry in turn.
    std::atomic<int> round{0};  // the round both threads are to run; -1 ends them
    std::atomic<int> done{0};
    std::atomic<int> delay{0};
    const auto waitForRound = [&round](int seen) {
        int now = round.load();
        while (now == seen) {
            std::this_thread::yield();
            now = round.load();
        }
        return now;
    };
    std::thread traffic([&] {
        for (int seen = 0; (seen = waitForRound(seen)) > 0;) {
            lf_advanceStatusClock();
            ++done;
        }
    });
    std::thread window([&] {
        for (int seen = 0; (seen = waitForRound(seen)) > 0;) {
            // From the moment the sample is counted, a little later each round.
            while (g_statusClock.load() == kStatusLifetime) {
            }
            for (int spin = delay.load(); spin > 0; --spin) std::atomic_signal_fence(std::memory_order_seq_cst);
            gf_setStatus("new " + std::to_string(seen), false);
            ++done;
        }
    });
    int wiped = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int r = 1; r <= 20000 && std::chrono::steady_clock::now() < end; ++r) {
        gf_resetStatusLine();
        gf_setStatus("old", false);      // set at clock 1 ...
        g_statusClock.store(kStatusLifetime);  // ... and due to expire at the next sample
        delay = r % 200;
        done = 0;
        round = r;
        while (done.load() < 2) std::this_thread::yield();
        if (gf_statusLineText() != "new " + std::to_string(r)) ++wiped;
    }
    round = -1;
    traffic.join();
    window.join();
    EXPECT_EQ(wiped, 0) << "a new text was wiped by the expiry of the old one";
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
