// The RealTraffic command link against the stand-in RealTraffic's command
// client: what goes over the wire (the stand-in's transcript), RealTraffic
// going and coming back, the waits that give up on a stop or a close, and
// the server's failures.
#include "rtlink/command_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "platform/sockets.h"
#include "rtlink/state.h"
#include "simlink/state.h"
#include "support/log_capture.h"
#include "support/wait.h"
#include "tools/realtraffic/command_client.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

UserState cruisingUser() {
    UserState user;
    user.lat = 52.3086;
    user.lon = 4.7639;
    user.pitch = -0.0349;
    user.bank = 0.1;
    user.heading = 4.9;
    user.altitudeFt = 35000.0;
    user.groundVelocityKt = 450.25;
    return user;
}

void setUser(const UserState& user) {
    const std::lock_guard lock(g_userStateMutex);
    g_userState = user;
}

// The lines of a stand-in transcript with their direction ("< line" from the
// program, "> line" to it), without the times.
std::vector<std::string> transcriptLines(const std::string& transcript) {
    std::vector<std::string> lines;
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);) {
        const auto text = line.find("] ");
        if (text != std::string::npos && (line[text + 2] == '<' || line[text + 2] == '>')) lines.push_back(line.substr(text + 2));
    }
    return lines;
}

struct CommandLinkTest : ::testing::Test {
    testing_support::LogCapture log;
    realtraffic::CommandClientOptions options;
    std::ostringstream transcript;
    std::future<realtraffic::CommandClientReport> client;

    void SetUp() override {
        g_rtLocal = true;
        setUser(cruisingUser());
        gf_openRtServer("0");
        options.port = gf_rtServerPort();
        ASSERT_NE(options.port, 0);
        options.retryMs = 20;
        options.timeoutSeconds = testing_support::kSafetyMs / 1000.0;
    }
    void TearDown() override {
        gf_closeRtServer();
        if (client.valid()) client.wait();
        g_rtLocal = false;
        g_rtActive = false;
        g_rtLevel2 = false;
        g_stopRequested = false;
        g_closeRequested = false;
        g_exitReason = ExitReason::NotYetSet;
        gf_resetStatusLine();
        setUser(UserState{});
    }

    void startClient() {
        client = std::async(std::launch::async, [this] { return realtraffic::runCommandClient(options, &transcript); });
    }
    // The stand-in's report once the program has said "exit"; its failure fails the test.
    realtraffic::CommandClientReport clientReport() {
        try {
            return client.get();
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            return {};
        }
    }
    // The start of a session as the start-up runs it.
    std::string connectAndAskVersion() {
        EXPECT_TRUE(waitForClient());
        EXPECT_TRUE(g_rtConnected.load());
        EXPECT_TRUE(sendDataPacket("Qs999=version\r\n"));
        return gf_receiveFromRt();
    }
};

}  // namespace

TEST_F(CommandLinkTest, Level2SessionGoesOverTheWireLineByLine) {
    startClient();
    EXPECT_EQ(connectAndAskVersion(), R"({"version":"9.0.0","level":2})");
    gf_sendRtProRequest(1700000000);
    gf_sendRtAreaRequest();
    gf_closeRtServer();
    const realtraffic::CommandClientReport report = clientReport();
    EXPECT_EQ(report.areaLines, 1);
    EXPECT_EQ(report.timeLines, 1);
    EXPECT_EQ(transcriptLines(transcript.str()),
              (std::vector<std::string>{"< Qs999=version", R"(> {"version":"9.0.0","level":2})",
                                        "< Qs123=1700000000000",
                                        "< Qs121=-3490;10000;4.900000;35000000;450250;0.912957;0.083146", "< exit"}));
    EXPECT_FALSE(g_rtConnected.load());
    EXPECT_EQ(gf_rtServerPort(), 0) << "closed";
}

TEST_F(CommandLinkTest, PositionLineNumbersAreWholeInFixedNotation) {
    const struct {
        double pitch, bank, heading, altitudeFt, groundSpeedKt, lat, lon;
        std::string line;
    } cases[] = {
        {-0.0349, 0.1, 4.9, 35000, 450.25, 52.3086, 4.7639,
         "Qs121=-3490;10000;4.900000;35000000;450250;0.912957;0.083146\r\n"},
        {0.0, 0.0, 0.0, 14000, 0.0, -33.9, 151.2, "Qs121=0;0;0.000000;14000000;0;-0.591667;2.638938\r\n"},
        {0.05, -0.2, 6.28, -12.5, 100.0, 0.0002, -0.0002, "Qs121=5000;-20000;6.280000;-12500;100000;0.000003;-0.000003\r\n"},
    };
    for (const auto& c : cases) {
        UserState user;
        user.pitch = c.pitch;
        user.bank = c.bank;
        user.heading = c.heading;
        user.altitudeFt = c.altitudeFt;
        user.groundVelocityKt = c.groundSpeedKt;
        user.lat = c.lat;
        user.lon = c.lon;
        EXPECT_EQ(lf_rtAreaLine(user), c.line);
        EXPECT_EQ(realtraffic::checkAreaLine(lf_rtAreaLine(user).substr(6, c.line.size() - 8)), "") << c.line;
    }
}

TEST_F(CommandLinkTest, NothingIsSentWithoutClientTimeOrPosition) {
    startClient();
    connectAndAskVersion();
    gf_sendRtProRequest(0);  // no simulator time yet
    setUser(UserState{});
    gf_sendRtAreaRequest();  // no user position yet
    g_rtLocal = false;
    setUser(cruisingUser());
    gf_sendRtAreaRequest();  // RealTraffic on another PC
    gf_closeRtServer();
    clientReport();
    EXPECT_EQ(transcriptLines(transcript.str()),
              (std::vector<std::string>{"< Qs999=version", R"(> {"version":"9.0.0","level":2})", "< exit"}));
    gf_sendRtProRequest(1700000000);  // closed: nothing, and no failure
    EXPECT_FALSE(log.contains("sendDataPacket to RealTraffic failed"));
}

TEST_F(CommandLinkTest, RealTrafficGoneIsWaitedForAndComesBack) {
    options.dropAfterArea = 1;
    options.reconnectMs = 100;
    startClient();
    connectAndAskVersion();
    g_rtActive = true;
    // The first line goes out; RealTraffic hangs up after it, and a later
    // line finds the connection gone.
    gf_sendRtAreaRequest();
    const auto end = Clock::now() + testing_support::kSafety;
    while (g_rtActive && Clock::now() < end) {
        std::this_thread::sleep_for(20ms);
        gf_sendRtAreaRequest();
    }
    ASSERT_FALSE(g_rtActive.load());
    EXPECT_TRUE(log.contains("sendDataPacket to RealTraffic failed: "));
    EXPECT_TRUE(log.contains("RealTraffic client socket closed"));
    EXPECT_TRUE(log.contains(" RealTraffic gone? Wait for RealTraffic to re-connect ..."));
    EXPECT_NE(gf_statusLineText().find("RealTraffic gone?"), std::string::npos);

    gf_sendRtAreaRequest();  // waits for the return; sends nothing
    EXPECT_TRUE(g_rtActive.load());
    EXPECT_TRUE(log.contains(" RealTraffic re-connected"));
    gf_sendRtAreaRequest();
    gf_closeRtServer();
    const realtraffic::CommandClientReport report = clientReport();
    EXPECT_EQ(report.connections, 2);
    EXPECT_EQ(report.areaLines, 2) << "one line before the drop, one after the return";
}

TEST_F(CommandLinkTest, WaitingForRealTrafficGivesUpSoonAfterAStopOrAClose) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "stop");
        Clock::duration closing{}, givingUp{};
        const bool inTime = testing_support::keptItsTimeOnce([&] {
            if (close) gf_openRtServer("0");
            g_stopRequested = false;
            std::promise<Clock::time_point> gaveUp;
            std::thread traffic([&] {
                waitForClient();
                gaveUp.set_value(Clock::now());
            });
            std::this_thread::sleep_for(300ms);
            const Clock::time_point asked = Clock::now();
            if (close) {
                gf_closeRtServer();  // the window thread: never waits for the traffic thread
                closing = Clock::now() - asked;
            } else {
                g_stopRequested = true;
            }
            const Clock::time_point returned = gaveUp.get_future().get();
            traffic.join();
            givingUp = returned - asked;
            EXPECT_FALSE(g_rtConnected.load());
            return closing < 50ms && givingUp < 400ms;
        });
        EXPECT_TRUE(inTime) << "the last run: closing took " << std::chrono::duration<double>(closing).count()
                            << " s, giving up " << std::chrono::duration<double>(givingUp).count() << " s";
    }
}

TEST_F(CommandLinkTest, ClosingTwiceAndFromTwoThreadsIsHarmless) {
    startClient();
    connectAndAskVersion();
    std::thread window([] { gf_closeRtServer(); });
    gf_closeRtServer();
    window.join();
    gf_closeRtServer();
    clientReport();
    const std::vector<std::string> lines = transcriptLines(transcript.str());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "< exit"), 1);
    // The port is free again: a restart opens the server on it.
    gf_openRtServer(std::to_string(options.port));
    EXPECT_EQ(gf_rtServerPort(), options.port);
}

TEST_F(CommandLinkTest, ServerFailuresThrowTheirStepsText) {
    try {
        gf_openRtServer("no-such-port");
        ADD_FAILURE() << "no throw";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("getaddrinfo failed with error ", 0), 0u) << e.what();
    }
#ifndef _WIN32
    // (Windows lets SO_REUSEADDR take a port another socket listens on.)
    gf_closeRtServer();
    platform::TcpSocket::Failure failure;
    const auto holder = platform::TcpSocket::listen(std::to_string(options.port), failure);
    ASSERT_TRUE(holder);
    try {
        gf_openRtServer(std::to_string(options.port));
        ADD_FAILURE() << "no throw";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Bind failed at port " + std::to_string(options.port) + " with error 10048 Address already in use");
    }
    EXPECT_EQ(gf_rtServerPort(), 0);
#endif
}
