#include "foundation/sim_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "foundation/registry_key.h"
#include "platform/registry.h"

namespace {
// Natively the registry is the in-memory stand-in; on Windows (under Wine in
// the test run) these write the real registry with reg.exe, as an installer
// would, in the 64-bit view the program reads.
#ifdef _WIN32
std::wstring regKeyArgument(int version) {
    const std::u16string key = u"HKLM\\" + gf_simRegistryKey(version);
    return L"\"" + std::wstring(key.begin(), key.end()) + L"\"";
}

void runReg(const std::wstring& arguments) {
    const std::wstring command = L"reg " + arguments + L" /reg:64 /f >nul 2>&1";
    ASSERT_EQ(_wsystem(command.c_str()), 0) << "reg " << std::string(arguments.begin(), arguments.end());
}
#endif

void installSim(int version, const std::optional<std::u16string>& setupPath) {
#ifdef _WIN32
    if (setupPath) {
        std::wstring value(setupPath->begin(), setupPath->end());
        // A backslash before the closing quote would escape it on the command line.
        if (!value.empty() && value.back() == L'\\') value += L'\\';
        runReg(L"add " + regKeyArgument(version) + L" /v SetupPath /t REG_SZ /d \"" + value + L"\"");
    }
    else
        runReg(L"add " + regKeyArgument(version));
#else
    if (setupPath)
        platform::fake_registry::setString(gf_simRegistryKey(version), u"SetupPath", *setupPath);
    else
        platform::fake_registry::addKey(gf_simRegistryKey(version));
#endif
}

void removeSims() {
#ifdef _WIN32
    for (int version : {5, 6}) {
        // A key that is not there makes reg fail; that is fine here.
        const std::wstring command = L"reg delete " + regKeyArgument(version) + L" /reg:64 /f >nul 2>&1";
        _wsystem(command.c_str());
    }
#else
    platform::fake_registry::clear();
#endif
}

struct SimRegistryTest : ::testing::Test {
    void SetUp() override { removeSims(); }
    void TearDown() override {
        removeSims();
        gf_probeInstalledSims();
    }
};
}  // namespace

TEST_F(SimRegistryTest, ProbeFindsEachInstalledVersionAndItsFolder) {
    struct Case {
        const char* name;
        bool v5, v6;
    } cases[] = {{"none", false, false}, {"v5 only", true, false}, {"v6 only", false, true}, {"both", true, true}};
    for (const auto& c : cases) {
        removeSims();
        if (c.v5) installSim(5, u"C:\\P3D5");
        if (c.v6) installSim(6, u"D:\\Lockheed Martin\\Prepar3D v6\\");
        gf_probeInstalledSims();
        EXPECT_EQ(g_p3dV5Installed, c.v5) << c.name;
        EXPECT_EQ(g_p3dV6Installed, c.v6) << c.name;
        EXPECT_EQ(gf_simInstallPath(5), c.v5 ? u"C:\\P3D5" : u"") << c.name;
        EXPECT_EQ(gf_simInstallPath(6), c.v6 ? u"D:\\Lockheed Martin\\Prepar3D v6\\" : u"") << c.name;
    }
}

TEST_F(SimRegistryTest, AKeyWithoutSetupPathIsInstalledWithAnEmptyPath) {
    installSim(6, std::nullopt);
    gf_probeInstalledSims();
    EXPECT_FALSE(g_p3dV5Installed);
    EXPECT_TRUE(g_p3dV6Installed);
    EXPECT_TRUE(gf_isSimInstalled(6));
    EXPECT_EQ(gf_simInstallPath(6), u"");
}

TEST_F(SimRegistryTest, OnlyVersionsFiveAndSixAreProbed) {
    installSim(5, u"C:\\P3D5");
    EXPECT_FALSE(gf_isSimInstalled(4));
    EXPECT_EQ(gf_simInstallPath(7), u"");
}

TEST_F(SimRegistryTest, FailuresCarryTheStatusAndWhatFailed) {
    installSim(5, std::nullopt);
    RegistryKey key;
    try {
        key.open(gf_simRegistryKey(6));
        FAIL() << "a missing key opened";
    } catch (const winreg::RegException& e) {
        EXPECT_EQ(e.status(), platform::kRegFileNotFound);
        EXPECT_EQ(e.code().value(), 2);
        EXPECT_EQ(std::string(e.what()).rfind("RegOpenKeyExW failed.", 0), 0u) << e.what();
    }
    key.open(gf_simRegistryKey(5));
    try {
        key.getString(u"SetupPath");
        FAIL() << "a missing value was read";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), 2);
        EXPECT_EQ(std::string(e.what()).rfind("Cannot get the size of the string value: RegGetValueW failed.", 0), 0u)
            << e.what();
    }
}

TEST(RegistryKeyTest, PredefinedRootKeysAreRecognised) {
    const auto handle = [](std::int32_t value) {
        return reinterpret_cast<platform::RegistryHandle>(static_cast<std::intptr_t>(value));
    };
    for (std::uint32_t root : {0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u, 0x80000004u, 0x80000005u,
                               0x80000007u, 0x80000050u, 0x80000060u})
        EXPECT_TRUE(lf_isPredefinedRegistryKey(handle(static_cast<std::int32_t>(root)))) << std::hex << root;
    for (std::uint32_t other : {0x80000006u, 0x80000008u, 0x80000061u, 0x1234u})
        EXPECT_FALSE(lf_isPredefinedRegistryKey(handle(static_cast<std::int32_t>(other)))) << std::hex << other;
    EXPECT_FALSE(lf_isPredefinedRegistryKey(nullptr));
}

// The stand-in registry counts its close calls; the real one cannot tell.
#ifndef _WIN32
TEST_F(SimRegistryTest, KeysAreClosedOnceAndRootKeysNever) {
    installSim(5, u"C:\\P3D5");
    {
        RegistryKey key;
        key.open(gf_simRegistryKey(5));
        RegistryKey moved = std::move(key);
        EXPECT_EQ(key.get(), nullptr);
        EXPECT_EQ(moved.getString(u"SetupPath"), u"C:\\P3D5");
    }
    EXPECT_EQ(platform::fake_registry::closeCalls(), 1);
    {
        RegistryKey root(reinterpret_cast<platform::RegistryHandle>(static_cast<std::intptr_t>(
            static_cast<std::int32_t>(0x80000002u))));  // HKEY_LOCAL_MACHINE
        RegistryKey none;
    }
    EXPECT_EQ(platform::fake_registry::closeCalls(), 1);
    EXPECT_TRUE(gf_isSimInstalled(5));  // the probe closes its key too
    EXPECT_EQ(platform::fake_registry::closeCalls(), 2);
}

// Only the stand-in can change a value between the size query and the read:
// the real registry offers no point between the two calls to do it from.
TEST_F(SimRegistryTest, AValueThatGrowsBetweenSizeAndReadIsReadAgain) {
    installSim(5, u"C:\\Program Files\\Lockheed Martin\\Prepar3D v5\\");
    platform::fake_registry::growBeforeNextReads(gf_simRegistryKey(5), u"SetupPath", 2);
    EXPECT_EQ(gf_simInstallPath(5), u"C:\\Program Files\\Lockheed Martin\\Prepar3D v5\\");
}
#endif
