#include "tools/realtraffic/cli.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <sstream>

#include "platform/sockets.h"
#include "support/data_set.h"
#include "support/temp_dir.h"

namespace {

struct Outcome {
    int code = 0;
    std::string out, err;
};

Outcome run(std::vector<std::string> arguments) {
    std::ostringstream out, err;
    Outcome r;
    r.code = realtraffic::runMain(arguments, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

const std::string kDemo = testing_support::sourceFile("tools/realtraffic/scenarios/eham_demo.txt").string();

}  // namespace

TEST(RealTrafficCli, AWrongCommandLineShowsTheUsage) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"fly"}, {"replay"}, {"replay", kDemo, "--speed", "fast"}, {"replay", kDemo, "--loud"},
             {"command", "--duplicates"}, {"replay", kDemo, "--real-feed=x"}, {"replay", kDemo, "--real-feed="},
             {"generate", kDemo, "--real-feeds"}, {"generate", kDemo, "--real-feed=-1"},
             {"replay", kDemo, "--truth", "t.csv", "--speed", "0"}, {"replay", kDemo, "--truth"}}) {
        const Outcome r = run(arguments);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
    }
    EXPECT_NE(run({"replay", kDemo, "--speed", "fast"}).err.find("--speed needs a number, not 'fast'"),
              std::string::npos);
    EXPECT_NE(run({"replay", kDemo, "--real-feed=x"}).err.find("--real-feed takes a seed (a whole number), not 'x'"),
              std::string::npos);
    EXPECT_NE(run({"command", "--replay", kDemo, "--truth", "t.csv", "--speed", "0"})
                  .err.find("--truth needs a replay in time (--speed above 0)"),
              std::string::npos);
    for (const char* clock : {"12:29", "24:00:00", "12:60:00", "12:29:30x"})
        EXPECT_NE(run({"replay", kDemo, "--clock", clock}).err.find("--clock needs a time hh:mm:ss"), std::string::npos)
            << clock;
}

TEST(RealTrafficCli, TheReplaysClockCanStartAtAGivenTimeOfDay) {
    platform::UdpSocket traffic, qnh;
    ASSERT_EQ(traffic.open(), 0);
    ASSERT_EQ(traffic.bind(0, true), 0);
    ASSERT_EQ(traffic.setReceiveTimeout(5000), 0);
    ASSERT_EQ(qnh.open(), 0);
    ASSERT_EQ(qnh.bind(0, true), 0);
    const Outcome r = run({"replay", kDemo, "--traffic-port", std::to_string(traffic.localPort()), "--qnh-port",
                           std::to_string(qnh.localPort()), "--speed", "0", "--quiet", "--primer", "--clock",
                           "12:29:00"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::array<char, 2048> buffer{};
    const auto received = traffic.receive(buffer);
    ASSERT_EQ(received.error, 0);
    // Field 14 (the timestamp): today at 12:29:00 UTC.
    std::string datagram(buffer.data(), received.size);
    std::vector<std::string> fields;
    for (std::size_t at = 0, comma; at <= datagram.size(); at = comma + 1) {
        comma = datagram.find(',', at);
        if (comma == std::string::npos) comma = datagram.size();
        fields.push_back(datagram.substr(at, comma - at));
    }
    ASSERT_GT(fields.size(), 14u) << datagram;
    const auto timestamp = static_cast<std::int64_t>(std::stod(fields[14]));
    EXPECT_EQ(timestamp % 86400, 12 * 3600 + 29 * 60) << datagram;
    const auto today = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count() / 86400;
    EXPECT_LE(std::abs(timestamp / 86400 - today), 1) << datagram;
}

TEST(RealTrafficCli, ABrokenScenarioFailsWithItsLine) {
    const testing_support::TempDir dir;
    testing_support::writeFile(dir / "bad.txt", "field EHAM -11\nqnh soon 1008\n");
    const Outcome r = run({"generate", (dir / "bad.txt").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("realtraffic: FAILED: "), std::string::npos);
    EXPECT_NE(r.err.find("bad.txt: scenario line 2: offset 'soon' is not a number"), std::string::npos) << r.err;
}

TEST(RealTrafficCli, GenerateListsTheDatagramsWithTheirOffsets) {
    const Outcome r = run({"generate", kDemo});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 17), "0.00 TFC,4844322,");
    EXPECT_GT(std::count(r.out.begin(), r.out.end(), '\n'), 300);
}

TEST(RealTrafficCli, ReplaySendsTheScenarioAndReportsIt) {
    platform::UdpSocket traffic, qnh;
    ASSERT_EQ(traffic.open(), 0);
    ASSERT_EQ(traffic.bind(0, true), 0);
    ASSERT_EQ(qnh.open(), 0);
    ASSERT_EQ(qnh.bind(0, true), 0);
    const Outcome r = run({"replay", kDemo, "--traffic-port", std::to_string(traffic.localPort()), "--qnh-port",
                       std::to_string(qnh.localPort()), "--speed", "0", "--quiet", "--primer"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("sent 458 traffic, 0 duplicate, 0 malformed, 0 oversize, 1 primer, 78 QNH datagrams"),
              std::string::npos)
        << r.out;
}

TEST(RealTrafficCli, TheRealFeedFollowsItsSeedAndTheReplayWritesItsTruth) {
    const std::string plain = run({"generate", kDemo}).out;
    const Outcome seeded = run({"generate", kDemo, "--real-feed=4"});
    ASSERT_EQ(seeded.code, 0) << seeded.err;
    EXPECT_EQ(run({"generate", kDemo, "--real-feed=4"}).out, seeded.out);
    EXPECT_NE(run({"generate", kDemo, "--real-feed=5"}).out, seeded.out);
    EXPECT_EQ(run({"generate", kDemo, "--real-feed"}).out, run({"generate", kDemo, "--real-feed=1"}).out);
    EXPECT_NE(seeded.out, plain);

    platform::UdpSocket traffic, qnh;
    ASSERT_EQ(traffic.open(), 0);
    ASSERT_EQ(traffic.bind(0, true), 0);
    ASSERT_EQ(qnh.open(), 0);
    ASSERT_EQ(qnh.bind(0, true), 0);
    const testing_support::TempDir dir;
    testing_support::writeFile(dir / "short.txt", "field EHAM -11\n"
                                                  "track 4844322 KLM1234 B738 PH-BXA LHR AMS\n"
                                                  "  0 52.3 4.7 3000 200\n"
                                                  "  12 52.3 4.71758 3000 200\n"
                                                  "end\n");
    const double before = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const Outcome r = run({"replay", (dir / "short.txt").string(), "--traffic-port",
                           std::to_string(traffic.localPort()), "--qnh-port", std::to_string(qnh.localPort()), "--speed",
                           "24", "--quiet", "--real-feed=3", "--clock", "12:29:00", "--truth",
                           (dir / "truth.csv").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream truth(testing_support::readFile(dir / "truth.csv"));
    std::string line;
    std::getline(truth, line);
    ASSERT_TRUE(std::getline(truth, line));
    // The truth keeps this PC's clock, not the datagrams' (--clock).
    const double first = std::stod(line.substr(0, line.find(',')));
    EXPECT_GE(first, before - 0.01);
    EXPECT_LT(first, before + 5);
    std::string last = line;
    while (std::getline(truth, line)) last = line;
    EXPECT_NEAR(std::stod(last.substr(0, last.find(','))) - first, 12.0 / 24, 0.011);
}
