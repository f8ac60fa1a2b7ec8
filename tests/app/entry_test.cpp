#include "app/entry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "platform/single_instance.h"
#include "support/environment.h"
#include "support/log_capture.h"
#include "support/temp_dir.h"

using testing_support::LogCapture;
using testing_support::ScopedEnvironment;
using testing_support::TempDir;

namespace {
// A mutex name of this test alone (the program's own name is the real program's).
std::string uniqueMutexName(const char* what) {
    static std::atomic<int> counter{0};
    return std::string("Local\\vlnt-test-") + what + "-" + std::to_string(++counter) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(&counter));
}
}  // namespace

TEST(SingleInstance, SecondClaimOfTheSameNameFails) {
    TempDir appData;
    const ScopedEnvironment environment("APPDATA", appData.path().string());
    const std::string name = uniqueMutexName("claim");
    EXPECT_TRUE(platform::claimSingleInstance(name));
    EXPECT_FALSE(platform::claimSingleInstance(name));
    EXPECT_TRUE(platform::claimSingleInstance(uniqueMutexName("other")));
}

TEST(Entry, SecondInstanceReturnsMinusOneWithoutTouchingTheLog) {
    TempDir appData;
    const ScopedEnvironment environment("APPDATA", appData.path().string());
    const LogCapture log;
    const std::string name = uniqueMutexName("entry");
    int bodies = 0;
    const auto body = [&bodies] { return 7 + bodies++; };
    EXPECT_EQ(gf_runEntry(body, name), 7);
    EXPECT_TRUE(std::filesystem::exists(log.dir() / "Log0.txt")) << "the first start shifted the log once";
    EXPECT_EQ(gf_runEntry(body, name), -1);
    EXPECT_EQ(bodies, 1);
    EXPECT_FALSE(std::filesystem::exists(log.dir() / "Log00.txt")) << "the second start shifted nothing";
    EXPECT_EQ(log.lines().size(), 1u) << "the first start's header only";
}

#ifndef _WIN32
TEST(Entry, UnknownAppDataFolderIsLoggedOnceTheLogIsOpen) {
    const ScopedEnvironment noAppData("APPDATA", "");
    const ScopedEnvironment noConfig("XDG_CONFIG_HOME", "");
    const ScopedEnvironment noHome("HOME", "");
    const LogCapture log;
    EXPECT_TRUE(gf_appDataPath().empty());
    EXPECT_TRUE(log.contains("==> Could not find the AppData path"));
}
#endif
