// What the tests of the RealTraffic readers share: a free loopback port, a
// window host that counts repaints, waiting for a condition, and a quick
// stop of the readers.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "platform/sockets.h"
#include "platform/window_host.h"
#include "rtlink/readers.h"
#include "rtlink/state.h"
#include "support/eham_feed.h"
#include "support/free_ports.h"
#include "support/log_capture.h"
#include "support/wait.h"

namespace testing_support {

inline void sendDatagram(std::uint16_t port, const std::string& text) {
    platform::UdpSocket socket;
    ASSERT_EQ(socket.open(), 0);
    ASSERT_EQ(socket.sendTo("127.0.0.1", port, text), 0);
}

template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = kSafetyMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class RepaintCounter final : public platform::WindowHost {
public:
    std::atomic<int> indicatorRepaints{0};
    void postAppMessage(std::uint32_t) override {}
    void invalidateBand(const platform::Band& band) override {
        if (band.left == 0 && band.top == 28 && band.right == 880 && band.bottom == 112) ++indicatorRepaints;
    }
};

// Readers near EHAM with traffic accepted; everything put back afterwards.
struct ReaderTest : ::testing::Test {
    LogCapture log;
    RepaintCounter repaints;
    std::uint16_t trafficPort = 0;
    std::uint16_t qnhPort = 0;

    void SetUp() override {
        std::tie(trafficPort, qnhPort) = freeUdpPorts();
        platform::setWindowHost(&repaints);
        gf_resetReaders();
        g_trafficReader.received = 0;  // the reset zeroes only the QNH reader's counts
        g_trafficReader.receivedBefore = 0;
        g_rtLocal = true;
        acceptTrafficAtEham();
    }
    void TearDown() override {
        stopReaders();
        stopAcceptingTraffic();
        g_rtLocal = false;
        g_rtActive = false;
        g_stopRequested = false;
        g_exitReason = ExitReason::NotYetSet;
        g_restartDelay = 0;
        gf_resetStatusLine();
        gf_setReaderStatus(ReaderId::traffic, readerStopped);
        gf_setReaderStatus(ReaderId::qnh, readerStopped);
        platform::setWindowHost(nullptr);
    }
    // Stops both readers at once: an empty datagram wakes each receive.
    void stopReaders() {
        gf_stopReaders();
        for (const std::uint16_t port : {trafficPort, qnhPort}) sendDatagram(port, "");
        gf_joinReaders();
    }
    // A reader logs "<name> connected" once its socket is bound and its
    // statuses are set: a datagram sent earlier would be lost, and a status
    // looked at earlier could still change.
    void startQnhReader() {
        const int before = connectedLines(kQnhReaderName);
        gf_startQnhReader(qnhPort);
        ASSERT_TRUE(waitUntil([&] { return connectedLines(kQnhReaderName) > before; }));
    }
    void startTrafficReader(bool local) {
        const int before = connectedLines(kTrafficReaderName);
        gf_startTrafficReader(local, trafficPort);
        ASSERT_TRUE(waitUntil([&] { return connectedLines(kTrafficReaderName) > before; }));
    }
    int connectedLines(std::string_view reader) const {
        const std::string line = std::string(reader) + " connected";
        int count = 0;
        for (const std::string& logged : log.lines()) count += logged.ends_with(line);
        return count;
    }
};

}  // namespace testing_support
