// The choice of the transport from SimConnect.cfg files and the registry
// ports. The files are read by the profile functions (the real ones under
// Wine).
#include "simlink/simconnect/connection_choice.h"

#include <gtest/gtest.h>

#include "simlink/simconnect/simconnect.h"
#include "support/temp_dir.h"

using namespace simconnect;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

const RegistryPorts kPorts{u"4504", u"4506"};
const ConnectAttempt kDefaultPipe{Protocol::pipe, u".", u""};

std::vector<ConnectAttempt> planFor(const std::vector<std::string>& cfgTexts, const RegistryPorts& ports = kPorts,
                                    std::uint32_t configIndex = 0) {
    TempDir folder;
    std::vector<std::filesystem::path> files;
    for (std::size_t k = 0; k < cfgTexts.size(); ++k) {
        files.push_back(folder / ("SimConnect" + std::to_string(k) + ".cfg"));
        writeFile(files.back(), cfgTexts[k]);
    }
    const auto settings = lf_readConnectionSettings(files, configIndex, ports);
    if (!settings) return {};
    return lf_connectionPlan(*settings, ports);
}

TEST(ConnectionChoice, AttemptsFollowTheProtocolAndAddress) {
    struct Case {
        const char* name;
        std::vector<std::string> cfg;
        std::vector<ConnectAttempt> plan;
    };
    const Case cases[] = {
        {"no cfg: default pipe, then TCP on this machine, then the pipe again",
         {},
         {{Protocol::pipe, u"", u""}, {Protocol::ipv6, u"::1", u"4506"}, {Protocol::ipv4, u"127.0.0.1", u"4504"},
          kDefaultPipe}},
        {"pipe named by Port on this machine",
         {"[SimConnect]\nProtocol=Pipe\nAddress=.\nPort=Custom\n"},
         {{Protocol::pipe, u".", u"Custom"}, {Protocol::ipv6, u"::1", u"4506"}, {Protocol::ipv4, u"127.0.0.1", u"4504"},
          kDefaultPipe}},
        {"Address elsewhere: that pipe only",
         {"[SimConnect]\nProtocol=Auto\nAddress=flightpc\n"},
         {{Protocol::pipe, u"flightpc", u""}}},
        {"IPv4 on this machine falls back to the pipe",
         {"[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=500\n"},
         {{Protocol::ipv4, u"127.0.0.1", u"500"}, kDefaultPipe}},
        {"IPv4 elsewhere: that connection only",
         {"[SimConnect]\nProtocol=IPv4\nAddress=192.168.1.20\nPort=500\n"},
         {{Protocol::ipv4, u"192.168.1.20", u"500"}}},
        {"IPv6 on this machine falls back to IPv4 and the pipe",
         {"[SimConnect]\nProtocol=IPv6\nAddress=::1\nPort=600\n"},
         {{Protocol::ipv6, u"::1", u"600"}, {Protocol::ipv4, u"127.0.0.1", u"4504"}, kDefaultPipe}},
        {"IPv6 elsewhere: that connection only",
         {"[SimConnect]\nProtocol=ipv6\nAddress=fd00::7\nPort=600\n"},
         {{Protocol::ipv6, u"fd00::7", u"600"}}},
        {"IPv4 without a port takes the registry's",
         {"[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\n"},
         {{Protocol::ipv4, u"127.0.0.1", u"4504"}, kDefaultPipe}},
        {"an unknown protocol changes nothing",
         {"[SimConnect]\nProtocol=Carrier pigeon\nAddress=.\n"},
         {{Protocol::pipe, u".", u""}, {Protocol::ipv6, u"::1", u"4506"}, {Protocol::ipv4, u"127.0.0.1", u"4504"},
          kDefaultPipe}},
        {"a later file overrides an earlier one",
         {"[SimConnect]\nProtocol=IPv4\nAddress=10.0.0.1\nPort=1\n", "[SimConnect]\nAddress=10.0.0.2\n"},
         {{Protocol::ipv4, u"10.0.0.2", u"1"}}},
        {"a later protocol puts the registry port in place of an earlier file's port",
         {"[SimConnect]\nPort=700\n", "[SimConnect]\nProtocol=IPv6\nAddress=::1\n"},
         {{Protocol::ipv6, u"::1", u"4506"}, {Protocol::ipv4, u"127.0.0.1", u"4504"}, kDefaultPipe}},
        {"empty values leave the earlier ones",
         {"[SimConnect]\nProtocol=IPv4\nAddress=10.0.0.1\nPort=1\n", "[SimConnect]\nAddress=\nPort=\n"},
         {{Protocol::ipv4, u"10.0.0.1", u"1"}}},
        {"other sections do not count",
         {"[SimConnect.1]\nProtocol=IPv4\nAddress=10.0.0.1\nPort=1\n"},
         {{Protocol::pipe, u"", u""}, {Protocol::ipv6, u"::1", u"4506"}, {Protocol::ipv4, u"127.0.0.1", u"4504"},
          kDefaultPipe}},
    };
    for (const Case& c : cases) EXPECT_EQ(planFor(c.cfg), c.plan) << c.name;
}

TEST(ConnectionChoice, MissingRegistryPortsLeaveEmptyAttempts) {
    EXPECT_EQ(planFor({}, RegistryPorts{}),
              (std::vector<ConnectAttempt>{{Protocol::pipe, u"", u""},
                                           {Protocol::ipv6, u"::1", u""},
                                           {Protocol::ipv4, u"127.0.0.1", u""},
                                           kDefaultPipe}));
    EXPECT_EQ(planFor({"[SimConnect]\nPort=800\nProtocol=IPv4\nAddress=127.0.0.1\n"}, RegistryPorts{}),
              (std::vector<ConnectAttempt>{{Protocol::ipv4, u"127.0.0.1", u"800"}, kDefaultPipe}));
}

TEST(ConnectionChoice, ConfigurationIndexPicksItsSection) {
    const std::string cfg = "[SimConnect]\nProtocol=IPv4\nAddress=10.0.0.1\nPort=1\n"
                            "[SimConnect.2]\nProtocol=IPv4\nAddress=10.0.0.2\nPort=2\n";
    EXPECT_EQ(planFor({cfg}, kPorts, 2), (std::vector<ConnectAttempt>{{Protocol::ipv4, u"10.0.0.2", u"2"}}));
    // A section that no file holds fails the open.
    EXPECT_EQ(planFor({cfg}, kPorts, 3), std::vector<ConnectAttempt>{});
    EXPECT_EQ(lf_cfgSection(0), u"SimConnect");
    EXPECT_EQ(lf_cfgSection(12), u"SimConnect.12");
    // The index that reads no file gives the defaults.
    TempDir folder;
    writeFile(folder / "SimConnect.cfg", cfg);
    const auto settings = lf_readConnectionSettings({folder / "SimConnect.cfg"}, kNoConfigFiles, kPorts);
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->protocol, Protocol::pipe);
    EXPECT_EQ(settings->address, u"");
}

TEST(ConnectionChoice, MaxReceiveSizeOnlyRaisesTheMaximum) {
    struct Case {
        std::vector<std::string> cfg;
        std::uint32_t maximum;
    };
    const Case cases[] = {
        {{}, 41088},
        {{"[SimConnect]\nMaxReceiveSize=1000\n"}, 41088},
        {{"[SimConnect]\nMaxReceiveSize=100000\n"}, 100000},
        {{"[SimConnect]\nMaxReceiveSize=100000\n", "[SimConnect]\nMaxReceiveSize=50000\n"}, 100000},
        {{"[SimConnect]\nMaxReceiveSize=-5\n"}, 41088},
        {{"[SimConnect]\nMaxReceiveSize=lots\n"}, 41088},
        {{"[SimConnect]\nMaxReceiveSize=99999999999\n"}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        TempDir folder;
        std::vector<std::filesystem::path> files;
        for (std::size_t k = 0; k < c.cfg.size(); ++k) {
            files.push_back(folder / ("c" + std::to_string(k) + ".cfg"));
            writeFile(files.back(), c.cfg[k]);
        }
        const auto settings = lf_readConnectionSettings(files, 0, kPorts);
        ASSERT_TRUE(settings.has_value());
        EXPECT_EQ(settings->maxReceiveSize, c.maximum) << (c.cfg.empty() ? "no cfg" : c.cfg.back());
    }
}

TEST(ConnectionChoice, DisableNagleFollowsTheLastFileThatSetsIt) {
    TempDir folder;
    writeFile(folder / "a.cfg", "[SimConnect]\nDisableNagle=1\n");
    writeFile(folder / "b.cfg", "[SimConnect]\nDisableNagle=0\n");
    writeFile(folder / "c.cfg", "[SimConnect]\nProtocol=IPv4\n");
    EXPECT_TRUE(lf_readConnectionSettings({folder / "a.cfg"}, 0, kPorts)->disableNagle);
    EXPECT_FALSE(lf_readConnectionSettings({folder / "a.cfg", folder / "b.cfg"}, 0, kPorts)->disableNagle);
    EXPECT_TRUE(lf_readConnectionSettings({folder / "a.cfg", folder / "c.cfg"}, 0, kPorts)->disableNagle);
}

TEST(ConnectionChoice, PipeNames) {
    EXPECT_EQ(lf_pipeName(u"", u""), u"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect");
    EXPECT_EQ(lf_pipeName(u".", u"Custom"), u"\\\\.\\pipe\\Custom");
    EXPECT_EQ(lf_pipeName(u"flightpc", u""), u"\\\\flightpc\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect");
}

}  // namespace
