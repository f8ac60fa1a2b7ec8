#include "foundation/time_texts.h"

#include <gtest/gtest.h>


namespace {
std::int64_t g_testNow = 0;
std::int64_t testClock() { return g_testNow; }
std::int64_t g_testTrafficTime = 0;
std::int64_t testTrafficTime() { return g_testTrafficTime; }

struct TimeFixture : ::testing::Test {
    void SetUp() override { gf_setClockSource(&testClock); }
    void TearDown() override {
        gf_setClockSource(nullptr);
        gf_setTrafficTimeSource(nullptr);
        g_testTrafficTime = 0;
    }
};

// 2026-01-05 is a Monday.
constexpr std::int64_t kMonday0000 = 1767571200;
std::int64_t at(int dayOffset, int h, int m, int s) { return kMonday0000 + dayOffset * 86400 + h * 3600 + m * 60 + s; }
}  // namespace

TEST_F(TimeFixture, TimeTextIsTwentyFourCharacters) {
    EXPECT_EQ(gf_timeText(at(0, 13, 4, 9)), "Mon Jan 05 13:04:09 2026");
    EXPECT_EQ(gf_timeText(0), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(gf_timeText(1760000000), "Thu Okt 09 08:53:20 2025");
}

TEST_F(TimeFixture, UnconvertibleTimesGiveInvalidTimeWhole) {
    EXPECT_EQ(gf_timeText(-1), "Invalid time");
    EXPECT_EQ(gf_timeText(32535215999LL), "Wed Dec 31 23:59:59 3000");
    EXPECT_EQ(gf_timeText(32535216000LL), "Invalid time");
    g_testNow = -5;
    EXPECT_EQ(gf_utcClockText(), "Invalid time");
    EXPECT_EQ(gf_simClockText(), "Invalid time");
    EXPECT_EQ(gf_dateText(), "Invalid time");
    EXPECT_EQ(gf_dayAndHalfHour(), gf_packDaySlot(0xFFFFFFFFu, 0xFFFFFFFFu));
}

TEST_F(TimeFixture, ClockAndDateTexts) {
    g_testNow = at(0, 13, 4, 9);
    EXPECT_EQ(gf_utcClockText(), "13:04:09");
    EXPECT_EQ(gf_simClockText(), "13:04:09");
    EXPECT_EQ(gf_dateText(), "Jan 05, 2026");
}

TEST_F(TimeFixture, HalfHourSlotBoundaries) {
    struct Case {
        int h, m, s;
        std::uint32_t slot;
    } cases[] = {{12, 29, 29, 24}, {12, 29, 30, 25}, {12, 59, 59, 25}, {13, 0, 0, 26},
                 {23, 59, 59, 47}, {0, 0, 0, 0},     {0, 29, 30, 1},   {23, 29, 30, 47}};
    for (const auto& c : cases) {
        EXPECT_EQ(gf_halfHourSlot(c.h, c.m, c.s), c.slot) << c.h << ":" << c.m << ":" << c.s;
        g_testNow = at(2, c.h, c.m, c.s);
        EXPECT_EQ(gf_slotOf(gf_dayAndHalfHour()), c.slot);
        EXPECT_EQ(gf_weekdayOf(gf_dayAndHalfHour()), 3u);
    }
    g_testNow = at(1, 0, 0, 0);  // midnight after Monday is slot 0 of Tuesday
    EXPECT_EQ(gf_dayAndHalfHour(), gf_packDaySlot(2, 0));
}

TEST_F(TimeFixture, SundayIsSevenNeverZero) {
    g_testNow = at(6, 10, 0, 0);
    EXPECT_EQ(gf_weekdayOf(gf_dayAndHalfHour()), 7u);
    EXPECT_EQ(gf_dayAndHalfHour(), (std::uint64_t{20} << 32) | 7u);
}

TEST_F(TimeFixture, CurrentTimeFollowsTheTrafficTimeWhileThereIsOne) {
    g_testNow = at(0, 10, 0, 0);
    EXPECT_EQ(gf_currentTime(), g_testNow);  // no source
    gf_setTrafficTimeSource(&testTrafficTime);
    EXPECT_EQ(gf_currentTime(), g_testNow);  // a source without a time
    g_testTrafficTime = 1700000000;
    EXPECT_EQ(gf_currentTime(), 1700000000);
    EXPECT_EQ(gf_simClockText(), "22:13:20");
    EXPECT_EQ(gf_utcClockText(), "10:00:00");  // the PC's clock, whatever the traffic says
}

TEST(HalfHours, DistanceOnAWeekRing) {
    EXPECT_EQ(gf_halfHoursBetween(7, 47, 1, 0), 1);
    EXPECT_EQ(gf_halfHoursBetween(1, 0, 7, 47), 335);
    EXPECT_EQ(gf_halfHoursBetween(3, 10, 3, 10), 0);
}

TEST(HalfHours, NameTables) {
    EXPECT_STREQ(gf_monthName(10), "Okt");
    EXPECT_STREQ(gf_monthName(13), "???");
    EXPECT_STREQ(gf_weekdayName(0), "???");
    EXPECT_STREQ(gf_weekdayName(7), "Sun");
}
