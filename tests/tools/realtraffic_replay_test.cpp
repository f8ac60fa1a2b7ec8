#include "tools/realtraffic/replay.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sstream>

#include "platform/sockets.h"
#include "support/temp_dir.h"
#include "tools/realtraffic/datagram.h"
#include "tools/realtraffic/truth.h"

using namespace realtraffic;

namespace {

// A loopback UDP port that collects what the replay sends.
struct Listener {
    platform::UdpSocket socket;
    Listener() {
        EXPECT_EQ(socket.open(), 0);
        EXPECT_EQ(socket.bind(0, true), 0);
        socket.setReceiveTimeout(300);
    }
    std::uint16_t port() const { return socket.localPort(); }
    std::vector<std::string> drain() {
        std::vector<std::string> got;
        std::vector<char> buffer(70000);
        for (;;) {
            const auto r = socket.receive(buffer);
            if (r.error != 0) return got;
            got.emplace_back(buffer.data(), r.size);
        }
    }
};

std::string field(const std::string& datagram, std::size_t index) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i) begin = datagram.find(',', begin) + 1;
    return datagram.substr(begin, datagram.find(',', begin) - begin);
}

const char* kScenario =
    "field EBBR 184\n"
    "qnh 0 1008\n"
    "qnh 15 1010.5\n"
    "2 TFC,4849999,50.9,4.48,0,0,0,90.0,12.0,FOLLOW VEH,GRND,null,null,null,0.00,rt\n"
    "track 4844322 KLM1234 B738 PH-BXA AMS BRU\n"
    "  0 50.80 4.30 4000 200\n"
    "  24 50.8 4.33516 3000 200\n"
    "end\n";

struct ReplayTest : ::testing::Test {
    Listener traffic, qnh;
    ReplayOptions options;
    Scenario scenario = parseScenario(kScenario);
    std::vector<TimedDatagram> datagrams = expandScenario(scenario);

    void SetUp() override {
        options.trafficPort = traffic.port();
        options.qnhPort = qnh.port();
        options.speed = 0;
        options.startTime = 1767600000.0;
    }
    ReplayReport run() { return replay(datagrams, qnhSchedule(scenario, datagrams.back().offset, 10), options); }
};

}  // namespace

TEST_F(ReplayTest, TrafficCarriesTheStartTimePlusItsOffset) {
    std::ostringstream log;
    const ReplayReport report = replay(datagrams, {}, options, &log);
    EXPECT_EQ(report.traffic, datagrams.size());
    const auto got = traffic.drain();
    ASSERT_EQ(got.size(), datagrams.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(field(got[i], kTimestampField), fmt::format("{:.2f}", 1767600000.0 + datagrams[i].offset));
        EXPECT_EQ(got[i], withTimestamp(datagrams[i].text, 1767600000.0 + datagrams[i].offset));
    }
    EXPECT_NE(log.str().find("traffic TFC,4844322,"), std::string::npos);
}

TEST_F(ReplayTest, QnhGoesOutEveryTenSecondsWithTheLatestValue) {
    const ReplayReport report = run();
    EXPECT_EQ(report.qnh, 3u);  // 0, 10, 20 within the 24 s of traffic
    EXPECT_EQ(qnh.drain(), (std::vector<std::string>{R"({"ICAO":"EBBR","QNH":1008})", R"({"ICAO":"EBBR","QNH":1008})",
                                                     R"({"ICAO":"EBBR","QNH":1010.5})"}));
    EXPECT_EQ(qnhSchedule(Scenario{}, 5, 10).at(0).text, R"({"ICAO":"EHAM","QNH":1013})");
}

TEST_F(ReplayTest, DuplicatesMalformedOversizeAndPrimerOnRequest) {
    options.duplicates = true;
    options.malformedEvery = 2;
    options.oversize = true;
    options.primer = true;
    const ReplayReport report = run();
    const auto got = traffic.drain();
    EXPECT_EQ(report.primer, 1u);
    EXPECT_EQ(report.oversize, 1u);
    EXPECT_EQ(report.duplicates, report.traffic);
    EXPECT_EQ(report.malformed, report.traffic / 2);
    ASSERT_EQ(got.size(), 2 + 2 * report.traffic + report.malformed);
    EXPECT_EQ(field(got[0], 9), "PRIMER1");
    EXPECT_EQ(field(got[0], kTimestampField), "1767600000.00");
    EXPECT_EQ(got[1].size(), kOversizeBytes);
    // traffic, its duplicate, traffic, its duplicate, a malformed one, ...
    EXPECT_EQ(got[2], got[3]);
    EXPECT_EQ(got[4], got[5]);
    EXPECT_EQ(std::count(got[6].begin(), got[6].end(), ','), 4);  // cut short
    EXPECT_EQ(field(got[11], 2), "nan");
    EXPECT_EQ(field(got[16], 1), "hexid");
}

TEST_F(ReplayTest, NothingGoesOutWhileRealTrafficIsAway) {
    std::atomic<bool> away{true};
    options.withhold = &away;
    const ReplayReport report = run();
    EXPECT_EQ(report.traffic, 0u);
    EXPECT_EQ(report.qnh, 0u);
    EXPECT_EQ(report.withheld, datagrams.size() + 3);
    EXPECT_TRUE(traffic.drain().empty());
    EXPECT_TRUE(qnh.drain().empty());
}

TEST_F(ReplayTest, ABurstSendsMalformedThenOversizeDatagrams) {
    sendBurst(options, 4, 2);
    const auto got = traffic.drain();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(std::count(got[0].begin(), got[0].end(), ','), 4);  // cut short
    EXPECT_EQ(field(got[1], 2), "nan");
    EXPECT_EQ(field(got[2], 1), "hexid");
    EXPECT_EQ(std::count(got[3].begin(), got[3].end(), ','), 4);
    EXPECT_EQ(got[4].size(), kOversizeBytes);
    EXPECT_EQ(got[5].size(), kOversizeBytes);
}

TEST_F(ReplayTest, TheReplayKeepsTheScenariosPace) {
    options.speed = 40;  // 24 s of scenario in 0.6 s
    const auto start = std::chrono::steady_clock::now();
    run();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 0.55);
    EXPECT_LT(took, 3.0);
}

TEST_F(ReplayTest, ASendThatFailsStopsTheReplayLoudly) {
    options.address = "not an address";
    try {
        run();
        FAIL() << "must fail";
    } catch (const StandInError& e) {
        EXPECT_NE(std::string(e.what()).find("sending to not an address:"), std::string::npos) << e.what();
    }
}

// A line a second from each track's first waypoint to its last (and the last
// itself), stamped with the time its datagram goes out at this speed.
TEST(RealTrafficTruth, EachTracksNoiseFreeStateOnThisPCsClock) {
    const Scenario scenario = parseScenario(std::string(kScenario) +
                                            "track 4006871 BAW432 A320 G-EUYA LHR BRU\n"
                                            "  0 50.9 4.48 gnd 0 hdg=90\n"
                                            "  20 50.9 4.48 gnd 0 hdg=90\n"
                                            "  45.5 50.9 4.481426 gnd 15\n"
                                            "end\n");
    const std::string text = truthCsv(scenario, 1767600000.0, 2.0);
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, kTruthHeader);
    while (std::getline(in, line)) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) rows.back().push_back(f);
        ASSERT_EQ(rows.back().size(), 8u) << line;
    }
    ASSERT_EQ(rows.size(), 25u + 47u);  // 0..24 s in the air, 0..45 s and 45.5 s on the ground
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1767600000.00", "4844322", "KLM1234", "50.8000000", "4.3000000",
                                                 "4000", "200.0", "0"}));
    EXPECT_EQ(rows[12][0], "1767600006.00");  // 12 s into the scenario, replayed twice as fast
    EXPECT_EQ(rows[12][5], "3500");
    const auto& standing = rows[25 + 10];
    EXPECT_EQ(standing, (std::vector<std::string>{"1767600005.00", "4006871", "BAW432", "50.9000000", "4.4800000", "0",
                                                  "0.0", "1"}));
    const auto& moving = rows[25 + 30];  // 10 s into the 25.5 s leg
    EXPECT_EQ(moving[4], fmt::format("{:.7f}", 4.48 + 0.001426 * 10 / 25.5));
    EXPECT_EQ(moving[6], fmt::format("{:.1f}", 15.0 * 10 / 25.5));
    EXPECT_EQ(rows.back()[0], "1767600022.75");
    EXPECT_EQ(rows.back()[4], "4.4814260");

    const testing_support::TempDir dir;
    writeTruthFile(dir / "truth.csv", text);
    EXPECT_EQ(testing_support::readFile(dir / "truth.csv"), text);
    EXPECT_FALSE(std::filesystem::exists(dir / "truth.csv.tmp"));
    EXPECT_THROW(writeTruthFile(dir / "missing" / "truth.csv", text), StandInError);
}
