// A burst of 5,000 traffic datagrams per second for 10 seconds over loopback:
// the traffic reader must take every datagram the kernel delivered to its
// socket. Natively only (the kernel's drop count comes from /proc).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "reader_fixture.h"
#include "rtlink/traffic_record.h"
#include "tools/realtraffic/datagram.h"
#include "tools/realtraffic/replay.h"

namespace {

// Datagrams the kernel dropped at the loopback socket bound to the port
// (the last column of /proc/net/udp); none when the file is not there.
std::optional<long long> kernelDrops(std::uint16_t port) {
    std::ifstream in("/proc/net/udp");
    if (!in) return std::nullopt;
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, address, column;
        fields >> slot >> address;
        if (address != local) continue;
        while (fields >> column) {
        }
        return std::stoll(column);
    }
    return std::nullopt;
}

using ReaderBurst = testing_support::ReaderTest;

}  // namespace

TEST_F(ReaderBurst, ABurstOfFiveThousandDatagramsASecondLosesNothingDelivered) {
#ifdef _WIN32
    GTEST_SKIP() << "the kernel's drop count is read natively";
#endif
    constexpr int kRate = 5000;
    constexpr int kSeconds = 10;
    realtraffic::TrackSpec track;
    track.callsign = "KLM1234";
    track.type = "B738";
    track.registration = "PH-BXA";
    track.origin = "LHR";
    track.destination = "AMS";
    std::vector<realtraffic::TimedDatagram> datagrams;
    for (int i = 0; i < kRate * kSeconds; ++i) {
        realtraffic::TrackSample s;
        s.offset = static_cast<double>(i) / kRate;
        s.lat = 52.2 + (i % 1000) * 1e-4;
        s.lon = 4.7;
        s.altitudeFt = 3000;
        s.speedKt = 180;
        track.hexId = 4840000 + static_cast<std::uint32_t>(i % 997);
        datagrams.push_back({s.offset, realtraffic::trafficDatagram(track, s, s.offset)});
    }
    startTrafficReader(true);
    realtraffic::ReplayOptions options;
    options.trafficPort = trafficPort;
    options.startTime = 1767600000.0;
    const auto report = realtraffic::replay(datagrams, {}, options);
    ASSERT_EQ(report.traffic, datagrams.size());

    const auto sent = static_cast<long long>(datagrams.size());
    long long drops = 0;
    testing_support::waitUntil([&] {
        drops = kernelDrops(trafficPort).value_or(0);
        return g_trafficReader.received.load() + drops >= sent;
    });
    RecordProperty("kernel_drops", std::to_string(drops));
    EXPECT_EQ(g_trafficReader.received.load() + drops, sent) << drops << " dropped by the kernel";
    // Nothing takes records here: the stack keeps the newest up to its limit.
    EXPECT_TRUE(testing_support::waitUntil([] {  // the last datagram may still be in its handler
        return static_cast<long long>(testing_support::addingStackSize()) ==
               std::min<long long>(g_trafficReader.received.load(), kAddingStackLimit);
    }));
}
