// Request packets as the simulator receives them, compared with bytes written
// out by hand from the packet tables.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "simlink/simconnect/client.h"
#include "simlink/simconnect/library_state.h"
#include "simlink/simconnect/simconnect.h"
#include "support/simconnect_peer.h"
#include "support/temp_dir.h"

using namespace testing_support;
using namespace simconnect;

namespace {

// The 16-byte header of a packet.
Bytes header(std::uint32_t size, std::uint32_t code, std::uint32_t serial) {
    Bytes bytes;
    appendU32(bytes, size);
    appendU32(bytes, 35);
    appendU32(bytes, 0xF0000000u | code);
    return appendU32(bytes, serial);
}

// A client connected over TCP to a test peer, with the open packet read.
class WirePackets : public ::testing::Test {
protected:
    void SetUp() override {
        peer_ = SimPeer::overTcp(platform::IpFamily::v4);
        ASSERT_TRUE(peer_->ok());
        writeSimConnectCfg(cfgFolder_.path(), "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" +
                                                  std::to_string(peer_->port()) + "\n");
        ASSERT_EQ(SimConnect_Open(&handle_, "Velantra_P3D", nullptr, 0, messages_.handle(), 0), kSOk);
        ASSERT_TRUE(peer_->accept());
        openPacket_ = peer_->readPacket();
    }
    void TearDown() override {
        if (handle_ != nullptr) {
            EXPECT_EQ(SimConnect_Close(handle_), kSOk);
        }
    }

    std::uint32_t lastSerial() const {
        std::uint32_t id = 0;
        EXPECT_EQ(SimConnect_GetLastSentPacketID(handle_, &id), kSOk);
        return id;
    }

    platform::Event messages_;  // signalled when messages arrive or the connection breaks
    TempDir cfgFolder_;
    ScopedCfgFolders folders_{{cfgFolder_.path()}};
    std::unique_ptr<SimPeer> peer_;
    SimConnectClient* handle_ = nullptr;
    Bytes openPacket_;
};

TEST_F(WirePackets, OpenPacketCarriesTheNameAndTheFixedFields) {
    Bytes expected = header(296, 0x01, 1);
    appendText(expected, "Velantra_P3D", 256);
    expected = expected + hexBytes("00000000 00443350 05000000 03000000 00000000 00000000");
    EXPECT_EQ(openPacket_, expected);
    EXPECT_EQ(lastSerial(), 1u);
    EXPECT_EQ(SimConnect_GetLastSentPacketID(handle_, nullptr), kEFail);
}

TEST_F(WirePackets, EveryRequestGoesOutAsItsTableSays) {
    InitPosition position;
    position.latitude = 52.5;
    position.longitude = 13.25;
    position.altitude = 120.0;
    position.pitch = -2.5;
    position.bank = 0.0;
    position.heading = 271.0;
    position.onGround = 1;
    position.airspeed = 0;
    const std::uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};

    struct Case {
        const char* name;
        std::function<SimConnectResult()> call;
        Bytes fields;  // after the header
        std::uint32_t code;
    };
    const auto text = [](std::string_view value, std::size_t size) {
        Bytes bytes;
        return appendText(bytes, value, size);
    };
    const Case cases[] = {
        {"MapClientEventToSimEvent", [&] { return SimConnect_MapClientEventToSimEvent(handle_, 218, "FLAPS_SET"); },
         hexBytes("DA000000") + text("FLAPS_SET", 256), 0x04},
        {"TransmitClientEvent", [&] { return SimConnect_TransmitClientEvent(handle_, 7, 218, 16383, 301, 0); },
         hexBytes("07000000 DA000000 FF3F0000 2D010000 00000000"), 0x05},
        {"AddClientEventToNotificationGroup",
         [&] { return SimConnect_AddClientEventToNotificationGroup(handle_, 301, 208, true); },
         hexBytes("2D010000 D0000000 01000000"), 0x07},
        {"SetNotificationGroupPriority", [&] { return SimConnect_SetNotificationGroupPriority(handle_, 301, 1); },
         hexBytes("2D010000 01000000"), 0x09},
        {"AddToDataDefinition",
         [&] { return SimConnect_AddToDataDefinition(handle_, 402, "Plane Latitude", "degree", 4, 0.5f, kUnused); },
         hexBytes("92010000") + text("Plane Latitude", 256) + text("degree", 256) +
             hexBytes("04000000 0000003F FFFFFFFF"),
         0x0C},
        {"RequestDataOnSimObject",
         [&] { return SimConnect_RequestDataOnSimObject(handle_, 108, 409, 0, 4, 1, 2, 3, 9); },
         hexBytes("6C000000 99010000 00000000 04000000 01000000 02000000 03000000 09000000"), 0x0E},
        {"RequestDataOnSimObjectType",
         [&] { return SimConnect_RequestDataOnSimObjectType(handle_, 101, 404, 185200, 2); },
         hexBytes("65000000 94010000 70D30200 02000000"), 0x0F},
        {"SetDataOnSimObject", [&] { return SimConnect_SetDataOnSimObject(handle_, 401, 1000, 0, 2, 4, block); },
         hexBytes("91010000 E8030000 00000000 02000000 04000000 0102030405060708"), 0x10},
        {"SubscribeToSystemEvent", [&] { return SimConnect_SubscribeToSystemEvent(handle_, 204, "Frame"); },
         hexBytes("CC000000") + text("Frame", 256), 0x17},
        {"AICreateNonATCAircraft",
         [&] { return SimConnect_AICreateNonATCAircraft(handle_, "Airbus A320 Lufthansa", "DLH4AB", position, 104); },
         text("Airbus A320 Lufthansa", 256) + text("DLH4AB", 12) +
             hexBytes("0000000000404A40 0000000000802A40 0000000000005E40 00000000000004C0"
                      "0000000000000000 0000000000F07040 01000000 00000000 68000000"),
         0x29},
        {"AIReleaseControl", [&] { return SimConnect_AIReleaseControl(handle_, 1000, 103); },
         hexBytes("E8030000 67000000"), 0x2B},
        {"AIRemoveObject", [&] { return SimConnect_AIRemoveObject(handle_, 1000, 105); },
         hexBytes("E8030000 69000000"), 0x2C},
        {"AISetAircraftFlightPlan",
         [&] { return SimConnect_AISetAircraftFlightPlan(handle_, 1000, "C:\\plans\\1000", 110); },
         hexBytes("E8030000") + text("C:\\plans\\1000", 260) + hexBytes("6E000000"), 0x2D},
    };
    std::uint32_t serial = 1;
    for (const Case& c : cases) {
        ++serial;
        ASSERT_EQ(c.call(), kSOk) << c.name;
        const Bytes expected = header(static_cast<std::uint32_t>(16 + c.fields.size()), c.code, serial) + c.fields;
        EXPECT_EQ(peer_->readPacket(), expected) << c.name;
        EXPECT_EQ(lastSerial(), serial) << c.name;
    }
}

TEST_F(WirePackets, TextsFillTheirFieldsUpToTheTerminator) {
    struct Case {
        const char* name;
        std::function<SimConnectResult(const std::string&)> call;
        std::size_t fits;  // the longest text that fits
    };
    const Case cases[] = {
        {"datum name",
         [&](const std::string& t) { return SimConnect_AddToDataDefinition(handle_, 402, t.c_str(), "feet"); }, 255},
        {"units name",
         [&](const std::string& t) { return SimConnect_AddToDataDefinition(handle_, 402, "Plane Altitude", t.c_str()); },
         255},
        {"tail number",
         [&](const std::string& t) {
             return SimConnect_AICreateNonATCAircraft(handle_, "Title", t.c_str(), InitPosition{}, 104);
         },
         11},
        {"flight plan path",
         [&](const std::string& t) { return SimConnect_AISetAircraftFlightPlan(handle_, 1000, t.c_str(), 110); }, 259},
    };
    for (const Case& c : cases) {
        const std::uint32_t before = lastSerial();
        ASSERT_EQ(c.call(std::string(c.fits, 'x')), kSOk) << c.name;
        const Bytes sent = peer_->readPacket();
        ASSERT_FALSE(sent.empty()) << c.name;
        EXPECT_EQ(lastSerial(), before + 1) << c.name;

        // One more character fails the call, sends nothing and burns the serial.
        EXPECT_EQ(c.call(std::string(c.fits + 1, 'x')), kETextTooLong) << c.name;
        EXPECT_EQ(lastSerial(), before + 2) << c.name;
        EXPECT_TRUE(peer_->quietFor(50)) << c.name;
        ASSERT_EQ(SimConnect_AIRemoveObject(handle_, 1000, 105), kSOk);
        EXPECT_EQ(peer_->readPacket(), header(24, 0x2C, before + 3) + hexBytes("E8030000 69000000")) << c.name;
    }
}

TEST_F(WirePackets, TextsGoOutInTheAnsiCodePage) {
    ASSERT_EQ(SimConnect_MapClientEventToSimEvent(handle_, 207, "K\xC3\xB6ln \xE2\x82\xAC"), kSOk);
    Bytes expected = header(276, 0x04, 2) + hexBytes("CF000000 4BF66C6E2080");
    expected.resize(276);
    EXPECT_EQ(peer_->readPacket(), expected);

    // Neither a character outside the code page nor broken UTF-8 goes out.
    EXPECT_EQ(SimConnect_MapClientEventToSimEvent(handle_, 207, "\xE6\x97\xA5\xE6\x9C\xAC"), kEInvalidArg);
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(handle_, 201, "Sim\xC3"), kEInvalidArg);
    EXPECT_TRUE(peer_->quietFor(50));
    EXPECT_EQ(lastSerial(), 4u);

    // A null text is an empty field.
    ASSERT_EQ(SimConnect_AddToDataDefinition(handle_, 407, "TITLE", nullptr, kDataTypeStringV), kSOk);
    const Bytes sent = peer_->readPacket();
    ASSERT_EQ(sent.size(), 544u);
    EXPECT_EQ(Bytes(sent.begin() + 276, sent.begin() + 532), Bytes(256));
}

TEST_F(WirePackets, SetDataWithArrayCountZeroSendsOneUnit) {
    Bytes block(64);
    for (std::size_t k = 0; k < block.size(); ++k) block[k] = static_cast<std::byte>(k);
    ASSERT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 1000, 0, 0, 64, block.data()), kSOk);
    const Bytes expected = header(100, 0x10, 2) + hexBytes("92010000 E8030000 00000000 01000000 40000000") + block;
    EXPECT_EQ(peer_->readPacket(), expected);
}

TEST_F(WirePackets, SetDataLargerThanTheSendBufferFailsWithoutTakingASerial) {
    const Bytes block(41088);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 1000, 0, 1, 41053, block.data()), kEFail);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 1000, 0, 0xFFFFFFFF, 0xFFFFFFFF, block.data()), kEFail);
    EXPECT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 1000, 0, 1, 64, nullptr), kEInvalidArg);
    EXPECT_EQ(lastSerial(), 1u);
    ASSERT_EQ(SimConnect_SetDataOnSimObject(handle_, 402, 1000, 0, 1, 41052, block.data()), kSOk);
    EXPECT_EQ(peer_->readPacket().size(), 41088u);
    EXPECT_TRUE(peer_->quietFor(50));
}

TEST_F(WirePackets, SerialAfterTheLargestIsOne) {
    {
        // The counter as it stands after 4294967294 packets.
        const std::lock_guard lock(g_simConnectLock);
        handle_->packetSerial = 0xFFFFFFFEu;
    }
    ASSERT_EQ(SimConnect_AIReleaseControl(handle_, 1000, 103), kSOk);
    EXPECT_EQ(peer_->readPacket(), header(24, 0x2B, 0xFFFFFFFFu) + hexBytes("E8030000 67000000"));
    EXPECT_EQ(lastSerial(), 0xFFFFFFFFu);
    ASSERT_EQ(SimConnect_AIReleaseControl(handle_, 1000, 103), kSOk);
    EXPECT_EQ(peer_->readPacket(), header(24, 0x2B, 1) + hexBytes("E8030000 67000000"));
    EXPECT_EQ(lastSerial(), 1u);
}

TEST_F(WirePackets, ThreadsSendingAtOnceNeverMixTheirPackets) {
    constexpr std::uint32_t kEach = 200;
    const auto sender = [&](std::uint32_t objectId) {
        for (std::uint32_t k = 0; k < kEach; ++k)
            EXPECT_EQ(SimConnect_TransmitClientEvent(handle_, objectId, 218, k, 301, 0), kSOk);
    };
    std::thread first(sender, 1001);
    std::thread second(sender, 1002);
    first.join();
    second.join();
    std::uint32_t nextSerial = 2;
    std::uint32_t nextData[2] = {0, 0};
    for (std::uint32_t k = 0; k < 2 * kEach; ++k) {
        const Bytes packet = peer_->readPacket();
        ASSERT_EQ(packet.size(), 36u);
        const auto u32At = [&](std::size_t offset) {
            std::uint32_t value = 0;
            for (int b = 3; b >= 0; --b) value = value << 8 | std::to_integer<std::uint32_t>(packet[offset + b]);
            return value;
        };
        // Serials go out in order; each thread's events keep their order.
        EXPECT_EQ(u32At(12), nextSerial++);
        const std::uint32_t thread = u32At(16) - 1001;
        ASSERT_LT(thread, 2u);
        EXPECT_EQ(u32At(24), nextData[thread]++);
    }
    EXPECT_EQ(lastSerial(), 2 * kEach + 1);
}

TEST_F(WirePackets, RequestsAfterABreakFailWithItsCode) {
    peer_->disconnect();
    const Dispatched dispatched = dispatchUntil(handle_, 1, messages_);
    ASSERT_LT(dispatched.result, 0);
    EXPECT_EQ(SimConnect_TransmitClientEvent(handle_, 7, 218, 0, 301, 0), dispatched.result);
    EXPECT_EQ(SimConnect_AIRemoveObject(handle_, 1000, 105), dispatched.result);
}

TEST(WirePacketsWithoutHandle, EveryFunctionFailsOnANullHandle) {
    const Bytes block(64);
    std::uint32_t id = 7;
    const SimConnectResult results[] = {
        SimConnect_GetLastSentPacketID(nullptr, &id),
        SimConnect_MapClientEventToSimEvent(nullptr, 218, "FLAPS_SET"),
        SimConnect_TransmitClientEvent(nullptr, 7, 218, 0, 301, 0),
        SimConnect_AddClientEventToNotificationGroup(nullptr, 301, 208, true),
        SimConnect_SetNotificationGroupPriority(nullptr, 301, 1),
        SimConnect_AddToDataDefinition(nullptr, 402, "Plane Latitude", "degree"),
        SimConnect_RequestDataOnSimObject(nullptr, 109, 403, 0, kPeriodOnce),
        SimConnect_RequestDataOnSimObjectType(nullptr, 101, 404, 1000, 2),
        SimConnect_SetDataOnSimObject(nullptr, 402, 1000, 0, 0, 64, block.data()),
        SimConnect_SubscribeToSystemEvent(nullptr, 201, "Sim"),
        SimConnect_AICreateNonATCAircraft(nullptr, "Title", "N1", InitPosition{}, 104),
        SimConnect_AIReleaseControl(nullptr, 1000, 103),
        SimConnect_AIRemoveObject(nullptr, 1000, 105),
        SimConnect_AISetAircraftFlightPlan(nullptr, 1000, "plan", 110),
        SimConnect_CallDispatch(nullptr, nullptr, nullptr),
        SimConnect_Close(nullptr),
    };
    for (std::size_t k = 0; k < std::size(results); ++k) EXPECT_EQ(results[k], kEFail) << "function " << k;
    EXPECT_EQ(id, 7u);
}

}  // namespace
