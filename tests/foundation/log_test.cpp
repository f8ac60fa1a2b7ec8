#include "foundation/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "app/services/run_flags.h"
#include "foundation/backups.h"
#include "foundation/time_texts.h"
#include "settings/program_version.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

using testing_support::LogCapture;
using testing_support::readFile;
using testing_support::TempDir;
namespace fs = std::filesystem;

namespace {
std::int64_t fixedClock() { return 1767618249; }  // Mon Jan 05 13:04:09 2026

struct ClockGuard {
    ClockGuard() { gf_setClockSource(&fixedClock); }
    ~ClockGuard() { gf_setClockSource(nullptr); }
};

void startProgramOnce(const std::string& line) {
    gf_openLog();
    gf_log(line);
    gf_closeLog();
}
}  // namespace

TEST(Log, FirstStartWritesOnlyTheHeaderAndNoBackup) {
    ClockGuard clock;
    TempDir dir(true);
    gf_openLog();
    gf_closeLog();
    EXPECT_EQ(readFile("Log.txt"), std::string("Mon Jan 05 13:04:09 2026 (utc) Velantra_P3D version ") +
                                       kProgramVersionText + " for Prepar3D v5/v6\n");
    EXPECT_FALSE(fs::exists("Log0.txt"));
}

TEST(Log, FourthAndFifthStartKeepThreeGenerations) {
    TempDir dir(true);
    for (int run = 1; run <= 4; ++run) startProgramOnce("run " + std::to_string(run));
    auto lastLine = [](const char* name) {
        const std::string text = readFile(name);
        const auto end = text.rfind('\n');
        return text.substr(text.rfind('\n', end - 1) + 1, end - text.rfind('\n', end - 1) - 1);
    };
    EXPECT_EQ(lastLine("Log.txt"), "run 4");
    EXPECT_EQ(lastLine("Log0.txt"), "run 3");
    EXPECT_EQ(lastLine("Log00.txt"), "run 2");
    EXPECT_EQ(lastLine("Log000.txt"), "run 1");
    startProgramOnce("run 5");
    EXPECT_EQ(lastLine("Log000.txt"), "run 2");  // the oldest copy is overwritten
    EXPECT_FALSE(fs::exists("Log0000.txt"));
}

TEST(Log, WritersAddOnlyTheirPrefixAndLineFeed) {
    LogCapture log;
    gf_log("plain");
    gf_logMarked("marked");
    gf_logContinued("continued");
    gf_logAndFlush("flushed");
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "plain");
    EXPECT_EQ(lines[2], "==> marked");
    EXPECT_EQ(lines[3], "          continued");
    EXPECT_EQ(lines[4], "flushed");
    EXPECT_EQ(readFile(log.dir() / "Log.txt").find('\r'), std::string::npos);
}

TEST(Log, LinesBeforeOpeningAreDropped) {
    TempDir dir(true);
    gf_log("too early");
    EXPECT_FALSE(fs::exists("Log.txt"));
}

TEST(Log, ConcurrentWritersNeverTearALine) {
    LogCapture log;
    constexpr int kThreads = 8;
    constexpr int kLines = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                gf_log("thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(40, 'x'));
        });
    for (auto& thread : threads) thread.join();
    std::vector<int> nextLine(kThreads, 0);
    int count = 0;
    for (const auto& line : log.lines()) {
        if (line.rfind("thread ", 0) != 0) continue;
        int t = -1, i = -1;
        char tail[64] = {};
        ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d %63s", &t, &i, tail), 3) << line;
        ASSERT_EQ(std::string(tail), std::string(40, 'x')) << line;
        EXPECT_EQ(i, nextLine[static_cast<std::size_t>(t)]++) << "lines of one thread keep their order";
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

namespace {
bool g_testStopping = false;
bool testStopping() { return g_testStopping; }
}  // namespace

TEST(Log, UnlessStoppingWritesNothingWhileTheStopCheckSaysSo) {
    LogCapture log;
    gf_setLogStopCheck(nullptr);
    gf_logUnlessStopping("without a check");
    gf_setLogStopCheck(&testStopping);
    gf_logUnlessStopping("while running");
    g_testStopping = true;
    gf_logUnlessStopping("after stop");
    g_testStopping = false;
    gf_setLogStopCheck(nullptr);
    EXPECT_TRUE(log.contains("without a check"));
    EXPECT_TRUE(log.contains("while running"));
    EXPECT_FALSE(log.contains("after stop"));
}

TEST(Backups, OneGenerationOfANameWithoutDotCopiesNothing) {
    LogCapture log;
    testing_support::writeFile("README", "x");
    EXPECT_FALSE(gf_save1GenerationOf("README"));
    EXPECT_TRUE(log.contains("==> gf_save1GenerationOf: no dot in filename: README"));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);  // README, Log.txt
    gf_saveUpto3GenerationsOf("README");
    EXPECT_TRUE(log.contains("==> gf_saveUpto3GenerationsOf: no dot in filename: README"));
}

TEST(Backups, OneGenerationCopiesOverTheOldCopyAndKeepsTheFile) {
    TempDir dir(true);
    EXPECT_TRUE(gf_save1GenerationOf("parameters.xml"));  // nothing to copy
    EXPECT_FALSE(fs::exists("parameters0.xml"));
    testing_support::writeFile("parameters0.xml", "old");
    testing_support::writeFile("parameters.xml", "new");
    EXPECT_TRUE(gf_save1GenerationOf("parameters.xml"));
    EXPECT_EQ(readFile("parameters0.xml"), "new");
    EXPECT_EQ(readFile("parameters.xml"), "new");
}

TEST(Backups, GenerationNamesInsertTheMarkBeforeTheLastDot) {
    EXPECT_EQ(gf_generationName("dir.d/a.b.xml", 1)->generic_string(), "dir.d/a.b0.xml");
    EXPECT_EQ(gf_generationName("Log.txt", 3)->generic_string(), "Log000.txt");
    EXPECT_FALSE(gf_generationName("dir.d/name", 1).has_value());
}
