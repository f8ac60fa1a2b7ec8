#include "tools/realtraffic/command_client.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <future>
#include <span>
#include <sstream>
#include <thread>

#include "platform/sockets.h"
#include "support/wait.h"
#include "tools/realtraffic/scenario.h"

using namespace realtraffic;

namespace {

// The program's side of the command link, played by the test.
class ProgramSide {
public:
    ProgramSide() : server_(platform::IpFamily::v4, "127.0.0.1", 0) { EXPECT_TRUE(server_.ok()); }
    std::uint16_t port() const { return server_.port(); }
    bool accept() { return server_.accept(testing_support::kSafetyMs); }
    void send(const std::string& text) {
        EXPECT_TRUE(server_.send(std::as_bytes(std::span(text.data(), text.size()))));
    }
    // What arrives within the time-out; empty when nothing does (or the connection ends).
    std::string receive(int timeoutMs = testing_support::kSafetyMs) {
        std::array<std::byte, 4096> buffer{};
        const auto n = server_.receive(buffer, timeoutMs);
        return n > 0 ? std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(n)) : "";
    }
    void disconnect() { server_.disconnect(); }

private:
    platform::TcpServer server_;
};

struct CommandClientTest : ::testing::Test {
    ProgramSide program;
    CommandClientOptions options;
    std::ostringstream transcript;

    void SetUp() override {
        options.port = program.port();
        options.retryMs = 50;
        options.timeoutSeconds = testing_support::kSafetyMs / 1000.0;
    }
    std::future<CommandClientReport> start() {
        return std::async(std::launch::async, [this] { return runCommandClient(options, &transcript); });
    }
    // The start of every run: connect, ask for the version, read the reply.
    std::string greet(int replyTimeoutMs = testing_support::kSafetyMs) {
        EXPECT_TRUE(program.accept());
        program.send("Qs999=version\r\n");
        return program.receive(replyTimeoutMs);
    }
    static std::string failureOf(std::future<CommandClientReport>& client) {
        try {
            client.get();
        } catch (const StandInError& e) {
            return e.what();
        }
        return "no failure";
    }
};

}  // namespace

TEST_F(CommandClientTest, AnswersTheVersionAndChecksEveryLineUntilExit) {
    options.version = "9.1.77";
    int firstAreas = 0;
    options.onFirstArea = [&] { ++firstAreas; };
    auto client = start();
    EXPECT_EQ(greet(), R"({"version":"9.1.77","level":2})");
    program.send("Qs123=1767600000000\r\n");
    // The position line as the program formats it, one-digit exponents included.
    program.send("Qs121=-3e+03;0;4.712389;4e+07;0;0.912874;0.083141\r\nQs121=0;1e+02;0.5;1e+06;250;0.9;0.08\r");
    program.send("\nexit\r\n");
    const CommandClientReport report = client.get();
    EXPECT_EQ(report.areaLines, 2);
    EXPECT_EQ(report.timeLines, 1);
    EXPECT_EQ(report.connections, 1);
    EXPECT_EQ(firstAreas, 1);
    const std::string t = transcript.str();
    EXPECT_NE(t.find("< Qs999=version"), std::string::npos);
    EXPECT_NE(t.find(R"(> {"version":"9.1.77","level":2})"), std::string::npos);
    EXPECT_NE(t.find("< Qs121=0;1e+02;0.5;1e+06;250;0.9;0.08\n"), std::string::npos);
    EXPECT_NE(t.find("< exit"), std::string::npos);
}

TEST_F(CommandClientTest, CanLeaveTheVersionUnanswered) {
    options.version.reset();
    auto client = start();
    EXPECT_EQ(greet(300), "");
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\nexit\r\n");
    EXPECT_EQ(client.get().areaLines, 1);
}

TEST_F(CommandClientTest, WrongLinesFailWithWhatIsWrong) {
    struct Case {
        const char* lines;
        int level;
        const char* message;
    } cases[] = {
        {"Qs121=0;0;1;0;0;0.9\r\n", 2, "\"Qs121=\" carries 6 numbers, not 7: \"Qs121=0;0;1;0;0;0.9\""},
        {"Qs121=0;0;1;x;0;0.9;0.08\r\n", 2, "field 4 of \"Qs121=\" is not a number"},
        {"Qs121=0;0;1;0;0;52.3;4.7\r\n", 2, "the position of \"Qs121=\" is not in radians"},
        {"Qs121=0;0;90;0;0;0.9;0.08\r\n", 2, "the heading of \"Qs121=\" is not in radians"},
        {"Qs123=1767600000.5\r\n", 2, "\"Qs123=\" does not carry an integer"},
        {"Qs123=1767600000001\r\n", 2, "\"Qs123=\" is not a time in whole seconds times 1000"},
        {"Qs123=1767600000000\r\n", 1, "\"Qs123=\" came although the version reply did not report level 2"},
        {"Qs121=0;0;1;0;0;0.9;0.08\n", 2, "a line does not end in CR LF"},
        {"hello\r\n", 2, "unexpected line \"hello\""},
        {"Qs999=version\r\n", 2, "the version was asked for a second time"},
    };
    for (const auto& c : cases) {
        options.level = c.level;
        auto client = start();
        greet();
        program.send(c.lines);
        const std::string failure = failureOf(client);
        EXPECT_NE(failure.find(std::string("command link: ") + c.message), std::string::npos) << failure;
        EXPECT_NE(transcript.str().find(std::string("! ") + c.message), std::string::npos);
        program.disconnect();
    }
}

TEST_F(CommandClientTest, TheFirstLineMustAskForTheVersion) {
    auto client = start();
    ASSERT_TRUE(program.accept());
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\n");
    EXPECT_NE(failureOf(client).find("the first line must be \"Qs999=version\""), std::string::npos);
}

TEST_F(CommandClientTest, AClosedConnectionWithoutExitFails) {
    auto client = start();
    greet();
    program.disconnect();
    EXPECT_NE(failureOf(client).find("the program closed the connection before it sent \"exit\""), std::string::npos);
}

TEST_F(CommandClientTest, RetriesUntilTheProgramListens) {
    {
        const ProgramSide probe;  // a port nobody listens on once the probe is gone
        options.port = probe.port();
    }
    auto client = start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(client.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    platform::TcpServer server(platform::IpFamily::v4, "127.0.0.1", options.port);
    ASSERT_TRUE(server.ok());
    ASSERT_TRUE(server.accept(testing_support::kSafetyMs));
    const std::string lines = "Qs999=version\r\nexit\r\n";
    server.send(std::as_bytes(std::span(lines.data(), lines.size())));
    EXPECT_EQ(client.get().connections, 1);
}

TEST_F(CommandClientTest, GivesUpWhenNobodyListens) {
    {
        ProgramSide probe;
        options.port = probe.port();
    }
    options.connectAttempts = 3;
    auto client = start();
    const std::string failure = failureOf(client);
    EXPECT_NE(failure.find(fmt::format("could not connect to 127.0.0.1:{} in 3 attempts: 10061", options.port)),
              std::string::npos)
        << failure;
}

TEST_F(CommandClientTest, DropsTheConnectionAndComesBackAsRealTrafficDoes) {
    options.dropAfterArea = 2;
    options.reconnectMs = 100;
    auto client = start();
    greet();
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\n");
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\n");
    // The stand-in hangs up after the second line and connects again.
    ASSERT_TRUE(program.accept());
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\nexit\r\n");
    const CommandClientReport report = client.get();
    EXPECT_EQ(report.connections, 2);
    EXPECT_EQ(report.areaLines, 3);
    EXPECT_NE(transcript.str().find("= dropping the connection"), std::string::npos);
}

TEST_F(CommandClientTest, ServesProgramRunsOneAfterAnotherEachAskingForTheVersion) {
    options.sessions = 2;
    auto client = start();
    EXPECT_EQ(greet(), R"({"version":"9.0.0","level":2})");
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\nexit\r\n");
    program.disconnect();
    // The closing program's server still took a connection and drops it
    // without a word: the stand-in waits for the next run of the program.
    ASSERT_TRUE(program.accept());
    program.disconnect();
    // The next run of the program: the stand-in is back and answers again.
    EXPECT_EQ(greet(), R"({"version":"9.0.0","level":2})");
    program.send("exit\r\n");
    const CommandClientReport report = client.get();
    EXPECT_EQ(report.sessions, 2);
    EXPECT_EQ(report.connections, 3);
    EXPECT_EQ(report.areaLines, 1);
}

TEST_F(CommandClientTest, ADropRequestHangsUpStaysAwayAndComesBack) {
    LinkRequests requests;
    options.requests = &requests;
    auto client = start();
    greet();
    requests.dropMs = 400;
    // The program sees the end of the connection; while the stand-in is away
    // its replay is held.
    EXPECT_EQ(program.receive(), "");
    EXPECT_TRUE(testing_support::waitFor([&] { return requests.away.load(); }, testing_support::kSafety));
    ASSERT_TRUE(program.accept());
    EXPECT_FALSE(requests.away.load());
    program.send("Qs121=0;0;1;0;0;0.9;0.08\r\nexit\r\n");
    const CommandClientReport report = client.get();
    EXPECT_EQ(report.drops, 1);
    EXPECT_EQ(report.connections, 2);
    EXPECT_NE(transcript.str().find("= dropping the connection"), std::string::npos);
}

TEST_F(CommandClientTest, AStopEndsTheRunAlsoWhileWaitingForTheProgram) {
    {
        const ProgramSide probe;
        options.port = probe.port();
    }
    LinkRequests requests;
    options.requests = &requests;
    options.sessions = 0;
    auto client = start();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    requests.stop = true;
    const CommandClientReport report = client.get();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.connections, 0);
}

TEST(CommandClientChecks, LineChecksAcceptWhatTheProgramSends) {
    EXPECT_EQ(checkAreaLine("-3e+03;-1e+02;6.283185;3.5e+07;250.5;0.912874;-0.083141"), "");
    EXPECT_EQ(checkAreaLine("0;0;0;0;0;0;0"), "");
    EXPECT_EQ(checkAreaLine("0;0;0;0;0;0;0;"), "field 8 of \"Qs121=\" is not a number");
    EXPECT_EQ(checkAreaLine(""), "field 1 of \"Qs121=\" is not a number");
    EXPECT_EQ(checkAreaLine("nan;0;0;0;0;0;0"), "field 1 of \"Qs121=\" is not a number");
    EXPECT_EQ(checkTimeLine("1767600000000"), "");
    EXPECT_EQ(checkTimeLine("0"), "\"Qs123=\" is not a time in whole seconds times 1000");
    EXPECT_EQ(checkTimeLine(""), "\"Qs123=\" does not carry an integer");
    EXPECT_EQ(checkTimeLine("+1000"), "\"Qs123=\" does not carry an integer");
}
