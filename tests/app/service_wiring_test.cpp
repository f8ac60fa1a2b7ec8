#include "app/service_wiring.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/text_files.h"
#include "foundation/time_texts.h"
#include "rtlink/state.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

namespace {
std::int64_t g_pcNow = 1767571200;  // Mon 2026-01-05 00:00:00
std::int64_t pcClock() { return g_pcNow; }

struct WiringFixture : ::testing::Test {
    void SetUp() override {
        gf_setClockSource(&pcClock);
        gf_connectFoundation();
    }
    void TearDown() override {
        gf_setClockSource(nullptr);
        g_rtLevel2 = false;
        g_trafficTime = 0.0;
        g_stopRequested = false;
        g_closeRequested = false;
        gf_resetStatusLine();
    }
};
}  // namespace

TEST_F(WiringFixture, CurrentTimeIsTheTrafficTimeOnlyAtLevel2AndWhenPlausible) {
    struct Case {
        bool level2;
        double traffic;
        std::int64_t expected;
    };
    const Case cases[] = {
        {false, 1700000000.9, g_pcNow},
        {true, 0.0, g_pcNow},
        {true, 1700000000.9, 1700000000},
        {true, -5.0, g_pcNow},
        {true, 1e300, g_pcNow},  // would not fit a 64-bit integer
        {true, std::numeric_limits<double>::infinity(), g_pcNow},
        {true, std::numeric_limits<double>::quiet_NaN(), g_pcNow},
        {true, 253402300799.0, 253402300799},
        {true, 253402300800.0, g_pcNow},
    };
    for (const Case& c : cases) {
        g_rtLevel2 = c.level2;
        g_trafficTime = c.traffic;
        EXPECT_EQ(gf_currentTime(), c.expected) << c.level2 << " " << c.traffic;
    }
}

TEST_F(WiringFixture, TheLogKeepsQuietAfterAStopOrCloseRequest) {
    testing_support::LogCapture log;
    gf_logUnlessStopping("while running");
    g_stopRequested = true;
    gf_logUnlessStopping("after stop");
    g_stopRequested = false;
    g_closeRequested = true;
    gf_logUnlessStopping("after close");
    EXPECT_TRUE(log.contains("while running"));
    EXPECT_FALSE(log.contains("after stop"));
    EXPECT_FALSE(log.contains("after close"));
}

TEST_F(WiringFixture, ReadFailuresReachTheStatusLineAndTheLog) {
    testing_support::LogCapture log;
    testing_support::TempDir dir;
    std::vector<std::string> lines;
    const auto path = dir.path() / "a.cfg";
    testing_support::writeFile(path, "x");
    EXPECT_FALSE(gf_readTextFileUtf8(kEncodingNoneFound, path, lines));
    EXPECT_NE(gf_statusLineText().find("Read failed for '"), std::string::npos);
    EXPECT_TRUE(log.contains("has unknown charset: none_found"));
}
