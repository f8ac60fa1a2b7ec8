#include "foundation/log_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/log_capture.h"

TEST(TextForLog, EscapesWhatCouldBreakOrForgeALineAndCutsLongTexts) {
    const std::string eAcute = "\xC3\xA9";
    std::string manyAcutes;
    for (int i = 0; i < 250; ++i) manyAcutes += eAcute;
    std::string twoHundredAcutes;
    for (int i = 0; i < 200; ++i) twoHundredAcutes += eAcute;
    const struct {
        std::string text;
        std::string logged;
    } cases[] = {
        {"KLM1234,B738", "KLM1234,B738"},
        {"K\xC3\xB6ln \xE6\x97\xA5\xF0\x9F\x98\x80", "K\xC3\xB6ln \xE6\x97\xA5\xF0\x9F\x98\x80"},  // valid UTF-8 stays
        {std::string("a\0b", 3), "a\\x00b"},
        {"x\n==> forged line\r\n", "x\\x0A==> forged line\\x0D\\x0A"},
        {"\t\x1B[31m\x7F", "\\x09\\x1B[31m\\x7F"},
        {"\xFF\xFE", "\\xFF\\xFE"},                 // no UTF-8 lead bytes
        {"\xC0\xAF", "\\xC0\\xAF"},                 // an overlong '/'
        {"ab\xE2\x82", "ab\\xE2\\x82"},             // a sequence cut off
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},        // an encoded surrogate
        {"\xC2\x85", "\\xC2\\x85"},                 // C1 next line
        {"a\xE2\x80\xA8z", "a\\xE2\\x80\\xA8z"},    // line separator
        {std::string(200, 'a'), std::string(200, 'a')},
        {std::string(300, 'a'), std::string(200, 'a') + "... (300 bytes)"},
        {manyAcutes, twoHundredAcutes + "... (500 bytes)"},  // characters count, not bytes
    };
    for (const auto& c : cases) EXPECT_EQ(gf_textForLog(c.text), c.logged) << c.logged;
    EXPECT_EQ(gf_textForLog("abcdef", 3), "abc... (6 bytes)");
}

namespace {
std::int64_t g_nowMs = 0;
std::int64_t fakeClock() { return g_nowMs; }
}  // namespace

TEST(LogLineLimiter, TenLinesASecondThenOneLineCountingTheRest) {
    testing_support::LogCapture log;
    g_nowMs = 5000;
    LogLineLimiter limiter("traffic datagram error", 10, &fakeClock);
    for (int i = 0; i < 25; ++i) limiter.log("error " + std::to_string(i));
    g_nowMs = 5999;
    limiter.log("error 25");
    g_nowMs = 6000;  // a new second
    limiter.logMarked("error 26");
    limiter.log("error 27");
    limiter.flushDropped();  // nothing dropped since the last report

    auto lines = log.lines();
    lines.erase(lines.begin());  // the header
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) expected.push_back("error " + std::to_string(i));
    expected.push_back("16 more traffic datagram error lines were not logged");
    expected.push_back("==> error 26");
    expected.push_back("error 27");
    EXPECT_EQ(lines, expected);

    g_nowMs = 7000;
    for (int i = 0; i < 11; ++i) limiter.log("late");
    limiter.flushDropped();  // e.g. when the reader stops
    EXPECT_EQ(log.lines().back(), "1 more traffic datagram error line was not logged");
}
