// Real connections to a test peer: over TCP chosen by SimConnect.cfg or the
// registry, and over the named pipe (natively its Unix-socket stand-in; under
// Wine the real pipe served by the peer).
#include <gtest/gtest.h>

#include <string>

#include "platform/async_stream.h"
#include "platform/notify.h"
#include "simlink/simconnect/received_messages.h"
#include "simlink/simconnect/simconnect.h"
#include "support/simconnect_peer.h"
#include "support/temp_dir.h"

using namespace testing_support;
using namespace simconnect;

namespace {

const std::u16string kDefaultPipe = u"\\\\.\\pipe\\Lockheed Martin Prepar3D v5\\SimConnect";

// Registry ports and the pipe folder as a test leaves them: no simulator.
class SimConnectConnection : public ::testing::Test {
protected:
    SimConnectConnection() {
        setRegistryPorts("", "");
        platform::setLocalPipeFolder(pipeFolder_.path());
    }
    ~SimConnectConnection() override {
        if (handle_ != nullptr) {
            EXPECT_EQ(SimConnect_Close(handle_), kSOk);
        }
        setRegistryPorts("", "");
        platform::setLocalPipeFolder({});
    }

    // Opens, accepts on the peer and checks the open packet it reads.
    void openThrough(SimPeer& peer, std::uint32_t configIndex = 0) {
        ASSERT_EQ(SimConnect_Open(&handle_, "Velantra_P3D", nullptr, 0, messages_.handle(), configIndex), kSOk);
        ASSERT_NE(handle_, nullptr);
        ASSERT_TRUE(peer.accept());
        const Bytes open = peer.readPacket();
        ASSERT_EQ(open.size(), 296u);
        EXPECT_EQ(readOpenName(open), "Velantra_P3D");
    }

    static std::string readOpenName(const Bytes& packet) {
        return std::string(reinterpret_cast<const char*>(packet.data()) + 16);
    }

    // The peer answers with OPEN; the dispatch hands it over whole.
    void expectOpenAnswer(SimPeer& peer) {
        ASSERT_TRUE(peer.send(openMessage("Lockheed Martin\xAE Prepar3D\xAE v5", 5, 3)));
        const Dispatched got = dispatchUntil(handle_, 1, messages_);
        ASSERT_EQ(got.result, kSOk);
        ASSERT_EQ(got.messages.size(), 1u);
        const auto open = readOpen(got.messages[0]);
        ASSERT_TRUE(open.has_value());
        EXPECT_EQ(open->applicationName, "Lockheed Martin\xC2\xAE Prepar3D\xC2\xAE v5");
        EXPECT_EQ(open->versionMajor, 5u);
        EXPECT_EQ(open->versionMinor, 3u);
    }

    // A peer on the IPv4 loopback that SimConnect.cfg names.
    std::unique_ptr<SimPeer> ipv4PeerInCfg(const std::string& extraLines = "") {
        auto peer = SimPeer::overTcp(platform::IpFamily::v4);
        EXPECT_TRUE(peer->ok());
        writeSimConnectCfg(cfgFolder_.path(), "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" +
                                                  std::to_string(peer->port()) + "\n" + extraLines);
        return peer;
    }

    platform::Event messages_;  // signalled when messages arrive or the connection breaks
    TempDir cfgFolder_;
    TempDir pipeFolder_;
    ScopedCfgFolders folders_{{cfgFolder_.path()}};
    SimConnectClient* handle_ = nullptr;
};

TEST_F(SimConnectConnection, TcpThroughSimConnectCfg) {
    const auto peer = ipv4PeerInCfg("DisableNagle=1\n");
    openThrough(*peer);
    expectOpenAnswer(*peer);
}

TEST_F(SimConnectConnection, Ipv6ThroughSimConnectCfg) {
    const auto peer = SimPeer::overTcp(platform::IpFamily::v6);
    if (!peer->ok()) GTEST_SKIP() << "no IPv6 loopback here";
    writeSimConnectCfg(cfgFolder_.path(),
                       "[SimConnect]\nProtocol=IPv6\nAddress=::1\nPort=" + std::to_string(peer->port()) + "\n");
    openThrough(*peer);
    expectOpenAnswer(*peer);
}

TEST_F(SimConnectConnection, TcpThroughTheRegistryWhenNoPipeAnswers) {
    const auto peer = SimPeer::overTcp(platform::IpFamily::v4);
    ASSERT_TRUE(peer->ok());
    setRegistryPorts(std::to_string(peer->port()), "");
    openThrough(*peer);
    expectOpenAnswer(*peer);
}

TEST_F(SimConnectConnection, DefaultPipeWithoutCfg) {
    const auto peer = SimPeer::overPipe(kDefaultPipe);
    ASSERT_TRUE(peer->ok());
    openThrough(*peer);
    expectOpenAnswer(*peer);
}

TEST_F(SimConnectConnection, PipeNamedInSimConnectCfg) {
    const auto peer = SimPeer::overPipe(u"\\\\.\\pipe\\VelantraTestPipe", true);
    ASSERT_TRUE(peer->ok());
    writeSimConnectCfg(cfgFolder_.path(), "[SimConnect.1]\nProtocol=Pipe\nPort=VelantraTestPipe\n");
    openThrough(*peer, 1);
    // A message larger than a pipe read arrives whole.
    Bytes big = recvMessage(8, {108, 1, 409, 0, 1, 1, 1});
    big.resize(5000, std::byte{0x5A});
    big[0] = std::byte{0x88};
    big[1] = std::byte{0x13};
    ASSERT_TRUE(peer->send(big));
    const Dispatched got = dispatchUntil(handle_, 1, messages_);
    ASSERT_EQ(got.messages.size(), 1u);
    EXPECT_EQ(got.messages[0], big);
    const auto data = readSimObjectData(got.messages[0]);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->requestId, 108u);
    EXPECT_EQ(data->data.size(), 5000u - 40u);
}

TEST_F(SimConnectConnection, PeerClosingGivesTheQueuedMessagesThenTheBreakCode) {
    const auto peer = ipv4PeerInCfg();
    openThrough(*peer);
    const Bytes first = recvMessage(4, {0xFFFFFFFF, 201, 1});
    Bytes tiny;
    appendU32(appendU32(tiny, 8), 4);
    const Bytes second = recvMessage(1, {22, 7, 0});
    ASSERT_TRUE(peer->send(first + tiny + second));
    peer->disconnect();
    const Dispatched got = dispatchUntil(handle_, 99, messages_);
    // The 8-byte message is too short to dispatch.
    EXPECT_EQ(got.messages, (std::vector<Bytes>{first, second}));
    EXPECT_EQ(static_cast<std::uint32_t>(got.result), platform::kStatusConnectionDisconnected);
    // The code stays until the handle is closed.
    EXPECT_EQ(SimConnect_CallDispatch(handle_, nullptr, nullptr), got.result);
}

// The client thread sleeps until the event: it must learn of every message
// and of the break without looking on its own.
TEST_F(SimConnectConnection, TheEventTellsOfMessagesAndOfTheBreak) {
    const auto peer = ipv4PeerInCfg();
    openThrough(*peer);
    EXPECT_FALSE(messages_.wait(50)) << "nothing has come";
    const Bytes quit = recvMessage(3);
    ASSERT_TRUE(peer->send(quit));
    ASSERT_TRUE(messages_.wait(kSafetyMs));
    Dispatched got = dispatchUntil(handle_, 1, messages_);
    EXPECT_EQ(got.messages, std::vector<Bytes>{quit});
    peer->disconnect();
    ASSERT_TRUE(messages_.wait(kSafetyMs));
    EXPECT_EQ(static_cast<std::uint32_t>(SimConnect_CallDispatch(handle_, nullptr, nullptr)),
              platform::kStatusConnectionDisconnected);
}

TEST_F(SimConnectConnection, PipeServerClosingBreaksAfterTheQueuedMessages) {
    const auto peer = SimPeer::overPipe(kDefaultPipe);
    ASSERT_TRUE(peer->ok());
    openThrough(*peer);
    const Bytes quit = recvMessage(3);
    ASSERT_TRUE(peer->send(quit + quit));
    peer->disconnect();
    const Dispatched got = dispatchUntil(handle_, 99, messages_);
    EXPECT_EQ(got.messages, (std::vector<Bytes>{quit, quit}));
    // The end of the stream, a broken pipe found by a read under way, or one
    // found when the next read was posted (ERROR_BROKEN_PIPE as an HRESULT).
    const auto code = static_cast<std::uint32_t>(got.result);
    EXPECT_TRUE(code == platform::kStatusConnectionDisconnected || code == platform::kStatusPipeBroken ||
                code == 0x8007006Du)
        << std::hex << code;
}

TEST_F(SimConnectConnection, ImpossibleSizeBreaksWithAbort) {
    const auto peer = ipv4PeerInCfg();
    openThrough(*peer);
    const Bytes quit = recvMessage(3);
    Bytes tooLarge;
    appendU32(tooLarge, 41089);
    ASSERT_TRUE(peer->send(quit + tooLarge));
    const Dispatched got = dispatchUntil(handle_, 99, messages_);
    EXPECT_EQ(got.messages, std::vector<Bytes>{quit});
    EXPECT_EQ(got.result, kEAbort);
    EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 1000, 105), kEAbort);
}

TEST_F(SimConnectConnection, OpenFailures) {
    SimConnectClient* handle = reinterpret_cast<SimConnectClient*>(1);
    EXPECT_EQ(SimConnect_Open(nullptr, "Velantra_P3D", nullptr, 0, nullptr, 0), kEInvalidArg);
    EXPECT_EQ(SimConnect_Open(&handle, nullptr, nullptr, 0, nullptr, 0), kEInvalidArg);
    EXPECT_EQ(handle, nullptr);
    // A configuration index whose section no file holds.
    writeSimConnectCfg(cfgFolder_.path(), "[SimConnect]\nProtocol=IPv4\n");
    EXPECT_EQ(SimConnect_Open(&handle, "Velantra_P3D", nullptr, 0, nullptr, 4), kEInvalidArg);
    // Nothing answers anywhere.
    EXPECT_EQ(SimConnect_Open(&handle, "Velantra_P3D", nullptr, 0, nullptr, 0), kEFail);
    EXPECT_EQ(handle, nullptr);
}

TEST_F(SimConnectConnection, NameTooLongFailsAfterConnecting) {
    const auto peer = ipv4PeerInCfg();
    SimConnectClient* handle = nullptr;
    EXPECT_EQ(SimConnect_Open(&handle, std::string(256, 'n').c_str(), nullptr, 0, nullptr, 0), kETextTooLong);
    EXPECT_EQ(handle, nullptr);
    // The peer sees the connection close without a packet.
    ASSERT_TRUE(peer->accept());
    EXPECT_TRUE(peer->readPacket(2000).empty());
}

TEST_F(SimConnectConnection, ABurstOfPacketsArrivesWholeAndInOrder) {
    // Packets queued while a write is under way go out together over TCP;
    // the peer still reads every one whole, in the order of the calls.
    const auto peer = ipv4PeerInCfg();
    openThrough(*peer);
    const double block[8] = {47.0, 8.0, 0.0, 0.0, 1.0, 1500.0, 0.0, 0.0};
    constexpr std::uint32_t kPackets = 2000;
    for (std::uint32_t k = 0; k < kPackets; ++k)
        ASSERT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 100 + k, 0, 0, 64, block), kSOk);
    const auto u32At = [](const Bytes& p, std::size_t offset) {
        std::uint32_t v = 0;
        for (std::size_t k = 4; k-- > 0;) v = v << 8 | std::to_integer<std::uint32_t>(p[offset + k]);
        return v;
    };
    for (std::uint32_t k = 0; k < kPackets; ++k) {
        const Bytes p = peer->readPacket();
        ASSERT_EQ(p.size(), 100u) << k;
        EXPECT_EQ(u32At(p, 12), k + 2);  // the serial after the open packet's
        EXPECT_EQ(u32At(p, 20), 100 + k);
    }
}

}  // namespace
