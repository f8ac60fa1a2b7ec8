// The stand-in as a running server: real TCP over IPv4 and IPv6, the pipe
// (a real named pipe on Windows, its Unix-socket stand-in natively), several
// clients one after another, and the exit code of strict mode.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "session_harness.h"
#include "stand_in_runner.h"
#include "support/temp_dir.h"

using namespace golden;
using testing_support::TempDir;

namespace {

std::vector<std::string> baseArguments(const TempDir& dir, const std::string& clients = "1") {
    return {"--quiet", "--clients",         clients,  "--frame-rate", "60",         "--speed", "10",
            "--out",   dir.path().string(), "--pipe", "off",          "--duration", "60"};
}

void registerProgram(WireClient& client) {
    client.send(open(1, "Velantra_P3D"));
    for (const Bytes& p : programRegistration()) client.send(p);
}

std::vector<nlohmann::json> recordLines(const TempDir& dir) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(testing_support::readFile(dir / "simulator-record.jsonl"));
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

// The program's start: open, registration, the on-ground subscription, the
// user block, one creation; then it closes.
void playStartOfProgram(WireClient& client) {
    registerProgram(client);
    client.send(requestData(75, 108, 409, 0, 4));
    client.send(requestData(76, 109, 403, 0, 1));
    client.send(createAi(77, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
    const auto got = client.readUntil([](const std::vector<Message>& m) {
        return ofKind(m, kData).size() >= 3 && !ofKind(m, kAssignedId).empty() && !ofKind(m, kFrame).empty();
    });
    ASSERT_EQ(ofKind(got, kOpen).size(), 1u);
    EXPECT_EQ(got.front().id(), kOpen);
    ASSERT_FALSE(ofKind(got, kEvent).empty());
    EXPECT_EQ(ofKind(got, kEvent)[0].u32(16), 201u);
    EXPECT_EQ(ofKind(got, kAssignedId).at(0).u32(16), 100u);
    EXPECT_EQ(ofKind(got, kAddRemove).at(0).u32(20), 100u);
    const auto data = ofKind(got, kData);
    ASSERT_GE(data.size(), 3u);
    EXPECT_EQ(std::count_if(data.begin(), data.end(), [](const Message& m) { return m.u32(12) == 109; }), 1);
}

}  // namespace

TEST(StandInServer, ServesTheProgramsStartOverTcpOnBothFamilies) {
    for (const std::string family : {"tcp4", "tcp6"}) {
        SCOPED_TRACE(family);
        TempDir dir;
        RunningStandIn standIn(baseArguments(dir));
        const auto& e = standIn.endpoints();
        ASSERT_TRUE(e.port4 != 0 || e.port6 != 0);
        if (family == "tcp6" && e.port6 == 0) {
            standIn.stop();
            GTEST_SKIP() << "no IPv6 loopback here: " << (e.warnings.empty() ? "" : e.warnings[0]);
        }
        WireClient client{family == "tcp4" ? simulator::connectTcp("127.0.0.1", e.port4)
                                           : simulator::connectTcp("::1", e.port6)};
        playStartOfProgram(client);
        client.connection->close(true);
        EXPECT_EQ(standIn.join(), 0);

        const auto world = nlohmann::json::parse(testing_support::readFile(dir / "simulator-world.json"));
        ASSERT_EQ(world["aiObjects"].size(), 1u);
        EXPECT_EQ(world["aiObjects"][0]["tailNumber"], "DLH4AB");
        EXPECT_EQ(world["aiObjects"][0]["removeReason"], "client 1 disconnected");
        EXPECT_EQ(world["clients"][0]["appName"], "Velantra_P3D");
        EXPECT_EQ(world["clients"][0]["packets"], 77);
        EXPECT_EQ(world["clients"][0]["peer"].get<std::string>().rfind("tcp ", 0), 0u);
        const auto lines = recordLines(dir);
        const auto in = std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l["dir"] == "in"; });
        EXPECT_EQ(in, 77);
        EXPECT_NE(testing_support::readFile(dir / "simulator-map.svg").find("DLH4AB"), std::string::npos);
    }
}

TEST(StandInServer, ServesSeveralClientsOneAfterAnother) {
    TempDir dir;
    RunningStandIn standIn(baseArguments(dir, "2"));
    WireClient first{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
    first.send(open(1, "FirstClient"));
    ASSERT_EQ(ofKind(first.readUntilKind(kOpen), kOpen).size(), 1u);
    // The second connects while the first is served and waits its turn.
    WireClient second{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
    second.send(open(0, "SecondClient"));
    first.connection->close(true);
    const auto got = second.readUntilKind(kOpen);
    ASSERT_EQ(ofKind(got, kOpen).size(), 1u);
    second.connection->close(true);
    EXPECT_EQ(standIn.join(), 0);
    const auto world = nlohmann::json::parse(testing_support::readFile(dir / "simulator-world.json"));
    ASSERT_EQ(world["clients"].size(), 2u);
    EXPECT_EQ(world["clients"][1]["appName"], "SecondClient");
    EXPECT_TRUE(world["faults"].empty());
}

TEST(StandInServer, StrictModeEndsNonZeroAfterAMalformedPacketAndLenientDoesNot) {
    for (const bool lenient : {false, true}) {
        SCOPED_TRACE(lenient ? "lenient" : "strict");
        TempDir dir;
        auto arguments = baseArguments(dir);
        if (lenient) arguments.push_back("--lenient");
        RunningStandIn standIn(arguments);
        WireClient client{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
        client.send(open(1, "Velantra_P3D"));
        client.send(addToDefinition(2, 402, "Plane Latitudee", "degree", 4));
        const auto got = client.readUntilKind(kException);
        ASSERT_EQ(ofKind(got, kException).size(), 1u);
        EXPECT_EQ(ofKind(got, kException)[0].u32(12), 7u);
        EXPECT_EQ(ofKind(got, kException)[0].u32(16), 2u);
        client.connection->close(true);
        EXPECT_EQ(standIn.join(), lenient ? 0 : 1);
        const auto lines = recordLines(dir);
        const auto fault = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l["dir"] == "fault"; });
        ASSERT_NE(fault, lines.end());
        EXPECT_EQ((*fault)["serial"], 2);
        EXPECT_EQ((*fault)["reason"], "datum 'Plane Latitudee' unknown");
        EXPECT_EQ((*fault)["exception"], 7);
    }
}

TEST(StandInServer, ThePipeCarriesTheSameConversation) {
#ifdef _WIN32
    const std::vector<std::string> modes = {"message", "byte"};
#else
    const std::vector<std::string> modes = {"byte"};
#endif
    for (const std::string& mode : modes) {
        SCOPED_TRACE(mode);
        TempDir dir;
        const std::string pipeName = "VLNT stand-in test\\" + dir.path().filename().string();
        auto arguments = baseArguments(dir);
        arguments.insert(arguments.end(), {"--pipe", "on", "--pipe-name", pipeName, "--pipe-dir", dir.path().string(),
                                           "--pipe-mode", mode, "--tcp4", "off", "--tcp6", "off"});
        RunningStandIn standIn(arguments);
        ASSERT_FALSE(standIn.endpoints().pipe.empty());
        WireClient client{simulator::connectPipe(pipeName, dir.path())};
        playStartOfProgram(client);
        // A large message arrives whole: 40 AI objects listed with the user.
        for (std::uint32_t i = 0; i < 40; ++i)
            client.send(createAi(78 + i, "Stand-in B738 Livery", "T" + std::to_string(i), InitPos{}));
        client.send(requestDataByType(118, 101, 404, 50000, 2));
        const auto listed =
            client.readUntil([](const std::vector<Message>& m) { return ofKind(m, kDataByType).size() >= 42; });
        EXPECT_EQ(ofKind(listed, kDataByType).size(), 42u);
        client.connection->close(true);
        EXPECT_EQ(standIn.join(), 0);
    }
}

TEST(StandInServer, QuitDropAndABrokenStreamEndTheConnection) {
    struct Case {
        std::vector<std::string> extra;
        Bytes poison;  // sent after Open, when not empty
        bool quitFirst;
        int exitCode;
        const char* end;
    };
    const Case cases[] = {
        {{"--at", "0.5", "quit"}, {}, true, 0, "closed after QUIT"},
        {{"--at", "0.5", "drop"}, {}, false, 0, "dropped as the scenario asks"},
        {{}, Bytes{8, 0, 0, 0, 35, 0, 0, 0}, false, 1, "dropped: the byte stream broke"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        TempDir dir;
        auto arguments = baseArguments(dir);
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        RunningStandIn standIn(arguments);
        WireClient client{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
        client.send(open(1, "Velantra_P3D"));
        if (!c.poison.empty()) client.send(c.poison);
        const auto got = client.readUntil([](const std::vector<Message>&) { return false; });
        EXPECT_TRUE(client.closed);
        EXPECT_EQ(ofKind(got, kQuit).size(), c.quitFirst ? 1u : 0u);
        if (c.quitFirst) {
            EXPECT_EQ(got.back().id(), kQuit);
        }
        EXPECT_EQ(standIn.join(), c.exitCode);
        const auto world = nlohmann::json::parse(testing_support::readFile(dir / "simulator-world.json"));
        EXPECT_EQ(world["clients"][0]["end"], c.end);
    }
}

TEST(StandInServer, TheControlFileDropsTheClientServedAndAWrongLineFailsTheRun) {
    for (const bool wrong : {false, true}) {
        SCOPED_TRACE(wrong ? "wrong line" : "drop");
        TempDir dir;
        auto arguments = baseArguments(dir);
        arguments.insert(arguments.end(), {"--control", (dir / "control.txt").string()});
        RunningStandIn standIn(arguments);
        WireClient client{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
        client.send(open(1, "Velantra_P3D"));
        client.readUntilKind(kOpen);
        testing_support::writeFile(dir / "control.txt", wrong ? "jump\n" : "# a comment\ndrop\n");
        if (wrong) {
            const auto deadline = std::chrono::steady_clock::now() + testing_support::kSafety;
            while (std::filesystem::exists(dir / "control.txt") && std::chrono::steady_clock::now() < deadline)
                client.readUntil([](const std::vector<Message>&) { return false; }, std::chrono::milliseconds(50));
            client.connection->close(true);
        } else {
            client.readUntil([](const std::vector<Message>&) { return false; });
            EXPECT_TRUE(client.closed);
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "control.txt"));
        EXPECT_EQ(standIn.join(), wrong ? 3 : 0);
        const auto world = nlohmann::json::parse(testing_support::readFile(dir / "simulator-world.json"));
        EXPECT_EQ(world["clients"][0]["end"], wrong ? "the client closed the connection" : "dropped as the scenario asks");
    }
}

TEST(StandInServer, PortsFileAndDumpTriggerShowTheRunningWorld) {
    TempDir dir;
    auto arguments = baseArguments(dir);
    arguments.insert(arguments.end(), {"--ports-file", (dir / "ports.json").string()});
    RunningStandIn standIn(arguments);
    const auto ports = nlohmann::json::parse(testing_support::readFile(dir / "ports.json"));
    EXPECT_EQ(ports["port4"], standIn.endpoints().port4);
    EXPECT_EQ(ports["port6"], standIn.endpoints().port6);

    WireClient client{simulator::connectTcp("127.0.0.1", standIn.endpoints().port4)};
    client.send(open(1, "Velantra_P3D"));
    client.send(createAi(2, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
    client.readUntilKind(kAssignedId);
    testing_support::writeFile(dir / "simulator-dump.request", "");
    const auto deadline = std::chrono::steady_clock::now() + testing_support::kSafety;
    while (std::filesystem::exists(dir / "simulator-dump.request") && std::chrono::steady_clock::now() < deadline)
        client.readUntil([](const std::vector<Message>&) { return false; }, std::chrono::milliseconds(50));
    const auto world = nlohmann::json::parse(testing_support::readFile(dir / "simulator-world.json"));
    ASSERT_EQ(world["aiObjects"].size(), 1u);
    EXPECT_TRUE(world["aiObjects"][0]["live"].get<bool>());
    client.connection->close(true);
    EXPECT_EQ(standIn.join(), 0);
}
