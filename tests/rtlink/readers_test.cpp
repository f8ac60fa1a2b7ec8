#include "rtlink/readers.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "reader_fixture.h"
#include "rtlink/traffic_feed.h"
#include "rtlink/traffic_record.h"
#include "support/data_set.h"
#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/replay.h"
#include "traffic/state.h"

using testing_support::keptItsTimeOnce;
using testing_support::waitUntil;
using testing_support::sendDatagram;

namespace {

constexpr double kStartTime = 1767600000.0;

realtraffic::Scenario demo() {
    return realtraffic::loadScenario(testing_support::sourceFile("tools/realtraffic/scenarios/eham_demo.txt"));
}

struct ReadersTest : testing_support::ReaderTest {
    realtraffic::ReplayOptions replayOptions() const {
        realtraffic::ReplayOptions options;
        options.trafficPort = trafficPort;
        options.qnhPort = qnhPort;
        // Fast, but not all at once: the socket's receive buffer holds about
        // 250 small datagrams, and the kernel drops what does not fit.
        options.speed = 1000;
        options.startTime = kStartTime;
        return options;
    }
    // Sends the datagrams and waits until the reader has taken `expected` of
    // them; the last one may still be in its handler then.
    void send(const std::vector<realtraffic::TimedDatagram>& datagrams, const realtraffic::ReplayOptions& options,
              std::int32_t expected) {
        realtraffic::replay(datagrams, {}, options);
        ASSERT_TRUE(waitUntil([&] { return g_trafficReader.received.load() >= expected; }))
            << g_trafficReader.received.load() << " of " << expected;
    }
    int logged(const std::string& text) const {
        int count = 0;
        for (const auto& line : log.lines()) count += line.find(text) != std::string::npos;
        return count;
    }
};

}  // namespace

TEST_F(ReadersTest, EveryReplayedRecordArrivesOnTheAddingStack) {
    startTrafficReader(true);
    const realtraffic::Scenario scenario = demo();
    std::map<std::pair<std::uint32_t, long long>, std::pair<const realtraffic::TrackSpec*, realtraffic::TrackSample>>
        expected;  // by hex id and timestamp in hundredths
    for (const auto& track : scenario.tracks)
        for (const auto& s : realtraffic::sampleTrack(track, scenario.fieldElevationFt))
            expected[{track.hexId, std::llround((kStartTime + s.offset) * 100)}] = {&track, s};
    const auto datagrams = realtraffic::expandScenario(scenario);
    send(datagrams, replayOptions(), static_cast<std::int32_t>(datagrams.size()));
    ASSERT_TRUE(waitUntil([&] { return testing_support::addingStackSize() == expected.size(); }));

    const std::lock_guard lock(g_addingStackMutex);
    ASSERT_EQ(g_addingStack.size(), expected.size());  // all but the ground vehicle
    for (const StreamRecord& r : g_addingStack) {
        const auto it = expected.find({r.hexId, std::llround(r.timestamp * 100)});
        ASSERT_NE(it, expected.end()) << r.hexId << " " << r.timestamp;
        const auto& [track, s] = it->second;
        EXPECT_EQ(r.ident.callsign, track->callsign);
        EXPECT_EQ(r.ident.registration, track->registration);
        EXPECT_EQ(r.ident.origin.text(), track->origin);
        EXPECT_EQ(r.ident.destination.text(), track->destination);
        EXPECT_NEAR(r.sample.lat, s.lat, 1e-6);
        EXPECT_NEAR(r.sample.lon, s.lon, 1e-6);
        EXPECT_NEAR(r.sample.groundSpeedKt, s.speedKt, 0.06);
        EXPECT_EQ(r.sample.airborne, s.altitudeFt > 0 ? 1 : 0);
        if (s.altitudeFt > 0) {
            EXPECT_NEAR(r.sample.altitudeFt, s.altitudeFt, 0.5);
        }
        EXPECT_NEAR(r.sample.verticalSpeed, s.verticalSpeedFpm, 0.5);
        expected.erase(it);
    }
    EXPECT_TRUE(expected.empty());
    EXPECT_NEAR(g_trafficTime.load(), kStartTime + datagrams.back().offset, 0.006);
}

TEST_F(ReadersTest, RepeatsOfARemoteRealTrafficCountOnceLocalOnesAll) {
    auto datagrams = realtraffic::expandScenario(demo());
    datagrams.resize(40);
    auto options = replayOptions();
    options.duplicates = true;

    startTrafficReader(false);  // RealTraffic on another PC
    send(datagrams, options, 40);
    sendDatagram(trafficPort, "A");
    sendDatagram(trafficPort, "B");
    sendDatagram(trafficPort, "A");
    sendDatagram(trafficPort, "B");
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() >= 44; }));
    EXPECT_EQ(g_trafficReader.received.load(), 44);
    EXPECT_EQ(testing_support::addingStackSize(), 39u);  // the ground vehicle is dropped
    stopReaders();

    gf_resetReaders();
    g_trafficReader.received = 0;
    {
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack.clear();
    }
    startTrafficReader(true);
    send(datagrams, options, 80);
    EXPECT_EQ(g_trafficReader.received.load(), 80);
    EXPECT_TRUE(waitUntil([] { return testing_support::addingStackSize() == 78u; }));
}

TEST_F(ReadersTest, StopEndsTheReaderWithinASecondAndTellsItOnce) {
    int runs = 0;
    double took = 0;
    const bool inTime = keptItsTimeOnce([&] {
        ++runs;
        startTrafficReader(true);
        const auto start = std::chrono::steady_clock::now();
        gf_stopReaders();
        gf_joinReaders();  // no datagram comes: the receive time-out ends the wait
        took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return took < 1.6;
    });
    EXPECT_TRUE(inTime) << took << " s in the last of " << runs << " runs";
    EXPECT_EQ(logged("Traffic Reader has stopped"), runs);
    EXPECT_TRUE(log.contains("          Traffic Reader connected"));
    EXPECT_TRUE(log.contains("          Traffic Reader disconnected"));
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerStopped);
    EXPECT_EQ(gf_readerStatus(ReaderId::qnh), readerStopped);
    EXPECT_FALSE(g_stopRequested.load());  // a stop is no error
}

TEST_F(ReadersTest, APortInUseStopsTheRunForARestart) {
    platform::UdpSocket blocker;
    ASSERT_EQ(blocker.open(), 0);
    ASSERT_EQ(blocker.bind(trafficPort, true), 0);
    gf_startTrafficReader(true, trafficPort);
    ASSERT_TRUE(waitUntil([] { return g_stopRequested.load(); }));
    gf_joinReaders();
    const std::string text =
        "The Traffic Reader has stopped with error: bind to stream socket failed, error: 10048 Address already in use";
    EXPECT_EQ(gf_statusLineText(), text);
    EXPECT_TRUE(log.contains(text));
    EXPECT_EQ(g_exitReason.load(), ExitReason::ReaderError);
    EXPECT_EQ(g_restartDelay.load(), 15);
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerStopped);
    // Only the error line: the stop message belongs to a loop that saw its stop flag.
    EXPECT_EQ(logged("Traffic Reader has stopped"), 1);
    EXPECT_TRUE(log.contains("Traffic Reader disconnected"));
}

TEST_F(ReadersTest, TheWatchdogShowsASilentReaderAndItsReturn) {
    startTrafficReader(true);
    const int repaintsBefore = repaints.indicatorRepaints.load();
    gf_checkReaders();  // the feed is not up yet: nothing happens
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerReceiving);
    EXPECT_EQ(repaints.indicatorRepaints.load(), repaintsBefore);

    g_rtActive = true;
    gf_checkReaders();
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerNoData);
    sendDatagram(trafficPort, "one");
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() == 1; }));
    gf_checkReaders();
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerReceiving);
    sendDatagram(trafficPort, "two");
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() == 2; }));
    gf_checkReaders();  // still receiving: nothing changes
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerReceiving);
    gf_checkReaders();
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerNoData);
    EXPECT_GE(repaints.indicatorRepaints.load() - repaintsBefore, 3);
}

TEST_F(ReadersTest, ARemoteFeedRepeatingOneDatagramLooksSilent) {
    startTrafficReader(false);
    g_rtActive = true;
    sendDatagram(trafficPort, "same");
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() == 1; }));
    gf_checkReaders();
    for (int i = 0; i < 5; ++i) sendDatagram(trafficPort, "same");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    gf_checkReaders();
    EXPECT_EQ(g_trafficReader.received.load(), 1);
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerNoData);
}

TEST_F(ReadersTest, OversizeDatagramsAreDroppedWithTheirSize) {
    startTrafficReader(true);
    auto options = replayOptions();
    options.oversize = true;
    realtraffic::replay({}, {}, options);
    sendDatagram(trafficPort, std::string(16384, 'x'));
    sendDatagram(trafficPort, std::string(16383, 'y'));
    ASSERT_TRUE(waitUntil([&] { return log.contains("exception in processLineSub: 1 fields, at least 29 expected"); }));
    EXPECT_EQ(g_trafficReader.received.load(), 1);  // only the 16383 bytes
    EXPECT_TRUE(log.contains("buffer overrun: 20000 bytes"));
    EXPECT_TRUE(log.contains("buffer overrun: 16384 bytes"));
    EXPECT_FALSE(g_stopRequested.load());
}

namespace {
std::int64_t frozenClock() { return 0; }
}  // namespace

// Any host on the network can send oversize datagrams: their lines are
// bounded like the parse errors, and the reader's end reports the rest.
TEST_F(ReadersTest, OversizeLinesAreBoundedAndTheRestCountedAtTheEnd) {
    startTrafficReader(true);
    g_trafficReader.overrunLines.reset(&frozenClock);  // one second that never ends
    for (int i = 1; i <= 15; ++i) {
        sendDatagram(trafficPort, std::string(16384 + i, 'x'));
        // One datagram at a time: the next goes out once this one was taken.
        sendDatagram(trafficPort, std::string(16383, 'y'));
        ASSERT_TRUE(waitUntil([&] { return g_trafficReader.received.load() == i; }));
    }
    stopReaders();
    EXPECT_EQ(logged("buffer overrun: "), 10);
    EXPECT_TRUE(log.contains("buffer overrun: 16394 bytes"));
    EXPECT_FALSE(log.contains("buffer overrun: 16395 bytes"));
    EXPECT_EQ(logged("5 more buffer overrun lines were not logged"), 1);
}

TEST_F(ReadersTest, MalformedDatagramsAreLoggedAndTheReaderGoesOn) {
    startTrafficReader(true);
    auto datagrams = realtraffic::expandScenario(demo());
    datagrams.resize(6);
    auto options = replayOptions();
    options.malformedEvery = 1;
    send(datagrams, options, 12);
    ASSERT_TRUE(waitUntil([&] { return logged("exception in processLineSub: hexid incorrecthexid") == 2; }));
    EXPECT_EQ(logged("exception in processLineSub: 5 fields, at least 29 expected"), 2);
    EXPECT_EQ(logged("exception in processLineSub: lat:nan"), 1);  // the other is the ground vehicle's, ignored
    EXPECT_EQ(testing_support::addingStackSize(), 5u);
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerReceiving);
}

TEST_F(ReadersTest, TheQnhReaderPublishesWhatRealTrafficSends) {
    startQnhReader();
    EXPECT_EQ(gf_readerStatus(ReaderId::qnh), readerReceiving);
    realtraffic::Scenario scenario;
    scenario.qnh = {{0, "1008.6"}, {10, "2992"}};
    auto options = replayOptions();
    const auto schedule = realtraffic::qnhSchedule(scenario, 10, 10);
    g_engineQnh = 0;
    realtraffic::replay({}, schedule, options);
    ASSERT_TRUE(waitUntil([] { return g_engineQnh.load() == 1013; }));  // 1009 first, then 29.92 inHg
    EXPECT_EQ(g_qnhReader.received.load(), 2);
    EXPECT_EQ(g_qnhReader.qnh.lastQnh.load(), 1013);
    EXPECT_EQ(g_shownQnh.load(), 1013);

    gf_stopReaders();
    sendDatagram(qnhPort, "");
    gf_joinReaders();
    EXPECT_TRUE(log.contains("QNH Reader has stopped"));
    EXPECT_TRUE(log.contains("QNH Reader disconnected"));
    EXPECT_EQ(gf_readerStatus(ReaderId::qnh), readerStopped);
}

TEST_F(ReadersTest, TheResetJoinsAStoppingReaderAndClearsTheFeed) {
    startQnhReader();
    startTrafficReader(true);
    sendDatagram(qnhPort, R"({"QNH":1001})");
    ASSERT_TRUE(waitUntil([] { return g_qnhReader.received.load() == 1; }));
    g_trafficTime = 1767600000.0;
    g_trafficFeed.startCollecting();
    sendDatagram(trafficPort, realtraffic::expandScenario(demo()).at(0).text);
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() == 1; }));
    g_qnhReader.receivingMark = false;

    gf_stopReaders();
    gf_resetReaders();  // waits for both readers: they never see their stop flags cleared
    EXPECT_EQ(gf_readerStatus(ReaderId::traffic), readerStopped);
    EXPECT_EQ(gf_readerStatus(ReaderId::qnh), readerStopped);
    EXPECT_FALSE(g_trafficReader.stop.load());
    EXPECT_FALSE(g_qnhReader.stop.load());
    EXPECT_EQ(g_qnhReader.received.load(), 0);
    EXPECT_EQ(g_qnhReader.qnh.lastQnh.load(), 1013);
    EXPECT_TRUE(g_qnhReader.receivingMark.load());
    EXPECT_EQ(g_trafficTime.load(), 0.0);
    EXPECT_TRUE(g_trafficFeed.takeCallsigns().empty());
}

TEST_F(ReadersTest, ANewReaderEndsTheOldOneBeforeItBinds) {
    startTrafficReader(true);
    gf_startTrafficReader(true, trafficPort);  // no stop before: the old reader is ended first
    ASSERT_TRUE(waitUntil([] { return gf_readerStatus(ReaderId::traffic) == readerReceiving; }));
    sendDatagram(trafficPort, "after");
    ASSERT_TRUE(waitUntil([] { return g_trafficReader.received.load() == 1; }));
    EXPECT_FALSE(g_stopRequested.load());  // no bind error
    EXPECT_FALSE(g_trafficReader.stop.load());
}
