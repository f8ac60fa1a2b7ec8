#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace {
struct Pair {
    platform::UdpSocket receiver, sender;
    Pair() {
        EXPECT_EQ(receiver.open(), 0);
        EXPECT_EQ(receiver.bind(0, true), 0);
        EXPECT_EQ(sender.open(), 0);
        receiver.setReceiveTimeout(2000);
    }
    void send(const std::string& text) { EXPECT_EQ(sender.sendTo("127.0.0.1", receiver.localPort(), text), 0); }
};
}  // namespace

TEST(UdpSocket, DatagramsArriveWholeWithTheirLength) {
    Pair p;
    p.send("TFC,4840133,52.35");
    p.send("");
    p.send(std::string(20000, 'x'));
    std::vector<char> buffer(16384);
    auto got = p.receiver.receive(buffer);
    EXPECT_EQ(got.error, 0);
    EXPECT_EQ(std::string(buffer.data(), got.size), "TFC,4840133,52.35");
    got = p.receiver.receive(buffer);
    EXPECT_EQ(got.error, 0);
    EXPECT_EQ(got.size, 0u);  // an empty datagram
    got = p.receiver.receive(buffer);
    EXPECT_EQ(got.error, 0);  // longer than the buffer: its whole length, its start kept
    EXPECT_EQ(got.size, 20000u);
    EXPECT_EQ(buffer.back(), 'x');
}

TEST(UdpSocket, ErrorsAreWinsockNumbersEverywhere) {
    Pair p;
    platform::UdpSocket second;
    ASSERT_EQ(second.open(), 0);
    EXPECT_EQ(second.bind(p.receiver.localPort(), true), platform::kWsaAddressInUse);
    EXPECT_EQ(p.sender.sendTo("localhost", 49005, "x"), 10049);  // numeric addresses only

    ASSERT_EQ(p.receiver.setReceiveTimeout(200), 0);
    std::vector<char> buffer(64);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.receiver.receive(buffer).error, platform::kWsaTimedOut);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
}

TEST(UdpSocket, AClosedSocketIsNoLongerOpen) {
    platform::UdpSocket socket;
    EXPECT_FALSE(socket.isOpen());
    ASSERT_EQ(socket.open(), 0);
    EXPECT_TRUE(socket.isOpen());
    socket.close();
    socket.close();  // twice is harmless
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.localPort(), 0);
}
