#include "rtlink/qnh.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "rtlink/state.h"
#include "support/log_capture.h"
#include "support/mutations.h"
#include "traffic/state.h"

namespace {
struct QnhTest : ::testing::Test {
    void SetUp() override {
        g_engineQnh = kDefaultQnh;
        g_shownQnh = kDefaultQnh;
        gf_setReaderStatus(ReaderId::qnh, readerStopped);
    }
    std::int32_t read(const std::string& datagram) {
        lf_onQnhData(state, datagram);
        return g_engineQnh.load();
    }
    testing_support::LogCapture log;
    QnhState state{kDefaultQnh};
};
}  // namespace

TEST_F(QnhTest, NumbersRoundClampAndConvertInchesOfMercury) {
    struct Case {
        const char* datagram;
        std::int32_t qnh;
    } cases[] = {
        {R"({"QNH": 1013.4})", 1013}, {R"({"QNH": 1013.5})", 1014}, {R"({"QNH": 2992})", 1013},
        {R"({"QNH": 3100})", 1050},   {R"({"QNH": 1101})", 900},    {R"({"QNH": 850})", 900},
        {R"({"QNH": 1100})", 1100},   {R"({"QNH": "1008"})", 1008}, {R"({"QNH": "29.92"})", 900},
        {R"({"x": 1, "QNH": 995, "y": [1]})", 995},
    };
    for (const auto& c : cases) {
        state.lastQnh = kDefaultQnh;
        EXPECT_EQ(read(c.datagram), c.qnh) << c.datagram;
        EXPECT_EQ(g_shownQnh, c.qnh) << c.datagram;
    }
}

TEST_F(QnhTest, RepeatsArePublishedOnlyFor1013) {
    EXPECT_EQ(lf_onQnhData(state, R"({"QNH": 1005})"), QnhVerdict::published);
    EXPECT_EQ(lf_onQnhData(state, R"({"QNH": 1005})"), QnhVerdict::unchanged);
    EXPECT_EQ(lf_onQnhData(state, R"({"QNH": 1013})"), QnhVerdict::published);
    EXPECT_EQ(lf_onQnhData(state, R"({"QNH": 1013})"), QnhVerdict::published);
}

TEST_F(QnhTest, ANewValueTurnsNoDataIntoReceiving) {
    gf_setReaderStatus(ReaderId::qnh, readerNoData);
    read(R"({"QNH": 1020})");
    EXPECT_EQ(gf_readerStatus(ReaderId::qnh), readerReceiving);
}

TEST_F(QnhTest, BadDatagramsAreLoggedAndChangeNothing) {
    g_engineQnh = 1001;
    state.lastQnh = 1001;
    struct Case {
        const char* datagram;
        const char* logged;
    } cases[] = {
        {R"([1013])", "Exception [json.exception.type_error.302]"},
        {R"(not json)", "Exception [json.exception.parse_error"},
        {R"({"QNH": null})", "no QNH {\"QNH\": null}"},
        {R"({"qnh": 1000})", "no QNH {\"qnh\": 1000}"},
        {R"({"QNH": true})", "no QNH {\"QNH\": true}"},
        {R"({"QNH": []})", "no QNH {\"QNH\": []}"},
        {R"({"QNH": {"a": 1}})", "no QNH {\"QNH\": {\"a\": 1}}"},
        {R"({"QNH": "abc"})", "==> QNH string parse error: abc in {\"QNH\": \"abc\"}"},
        {R"({"QNH": 1e300})", "Exception narrowing_error, in {\"QNH\": 1e300}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lf_onQnhData(state, c.datagram), QnhVerdict::rejected) << c.datagram;
        EXPECT_TRUE(log.contains(c.logged)) << c.datagram;
        EXPECT_EQ(g_engineQnh, 1001) << c.datagram;
    }
    EXPECT_TRUE(log.contains(", in [1013]"));
}

namespace {
std::int64_t frozenClock() { return 0; }
}  // namespace

// A QNH datagram quotes its text twice on a parse error: large junk must not
// reach the log whole, nor more than ten times a second.
TEST_F(QnhTest, LargeBadDatagramsAreCutAndBounded) {
    state.errorLines.reset(&frozenClock);
    const std::size_t before = log.lines().size();
    // The string holds an escaped line break, so the text it gives holds a real one.
    const std::string datagram = R"({"QNH":"abc)" + std::string(16300, 'z') + R"(\n==> forged"})";
    for (int i = 0; i < 300; ++i) EXPECT_EQ(read(datagram), kDefaultQnh);
    state.errorLines.flushDropped();
    const auto lines = log.lines();
    ASSERT_EQ(lines.size() - before, 11u);
    for (std::size_t k = before; k + 1 < lines.size(); ++k) {
        EXPECT_TRUE(lines[k].starts_with("==> QNH string parse error: abczz")) << lines[k];
        EXPECT_LT(lines[k].size(), 600u);
        EXPECT_NE(lines[k].find(fmt::format("... ({} bytes)", datagram.size())), std::string::npos);
    }
    EXPECT_EQ(lines.back(), "290 more QNH datagram error lines were not logged");
}

TEST_F(QnhTest, SeededRandomDatagramsNeverCrashAndPublishOnlyPlausibleValues) {
    std::mt19937 engine(20261208);
    const std::string bases[] = {R"({"ICAO":"EHAM","QNH":1008.6})", R"({"QNH":"2992"})", R"({"QNH":[1013],"x":{}})"};
    int published = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = testing_support::mutated(bases[engine() % 3], engine, 6, "0123456789.-e\"{}[],:");
        state.lastQnh = kDefaultQnh;
        if (lf_onQnhData(state, text) != QnhVerdict::published) continue;
        ++published;
        ASSERT_GE(g_engineQnh.load(), 900) << text;
        ASSERT_LE(g_engineQnh.load(), 1100) << text;
        ASSERT_EQ(state.lastQnh.load(), g_engineQnh.load()) << text;
    }
    EXPECT_GT(published, 500);  // the mutations leave many datagrams valid
}
