// Seeded random input for the packet parser and the whole session: mutated
// golden packets and random bytes must never crash the stand-in, and what it
// answers must stay well-formed.
#include <gtest/gtest.h>

#include <random>

#include "session_harness.h"
#include "tools/simulator/packet_stream.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/track_map.h"
#include "tools/simulator/world_report.h"

using namespace golden;

namespace {

std::vector<Bytes> seedPackets() {
    std::vector<Bytes> seeds = programRegistration();
    seeds.push_back(open(1, "Velantra_P3D"));
    seeds.push_back(createAi(75, "Stand-in B738 Livery", "DLH4AB", InitPos{}));
    seeds.push_back(setData(76, 402, 100, positionBlock(47, 8, 0, 0, 1, 2000), 64));
    seeds.push_back(transmitEvent(77, 100, 218, 3072));
    seeds.push_back(requestData(78, 108, 409, 0, 4));
    seeds.push_back(requestDataByType(79, 101, 404, 20000, 2));
    seeds.push_back(flightPlan(80, 100, "C:\\nothing\\here.pln"));
    seeds.push_back(release(81, 100));
    seeds.push_back(remove(82, 100));
    return seeds;
}

// One random change of a packet: bytes flipped, fields overwritten, the
// packet cut or grown (with or without its size field following).
Bytes mutate(Bytes packet, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 6);
    const auto any = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    switch (kind(rng)) {
        case 0:
            for (int i = 0; i < 4; ++i) packet[any(packet.size())] = static_cast<std::uint8_t>(rng());
            break;
        case 1:
            if (packet.size() >= 8) put32(packet, any(packet.size() / 4) * 4, static_cast<std::uint32_t>(rng()));
            break;
        case 2: packet.resize(any(packet.size() + 1)); break;
        case 3:
            packet.resize(packet.size() + any(64), static_cast<std::uint8_t>(rng()));
            if (packet.size() >= 4) put32(packet, 0, static_cast<std::uint32_t>(packet.size()));
            break;
        case 4:  // a text field without its zero
            if (packet.size() > 40)
                std::fill(packet.begin() + 16, packet.end(), static_cast<std::uint8_t>('A' + any(26)));
            break;
        case 5:
            if (packet.size() >= 16) put32(packet, 4 + 4 * any(3), static_cast<std::uint32_t>(rng() % 64));
            break;
        default:
            if (packet.size() >= 44)
                putF64(packet, 36 + 8 * any((packet.size() - 36) / 8),
                       std::bit_cast<double>(std::uint64_t{rng()} << 32 | rng()));
            break;
    }
    return packet;
}

Bytes randomBytes(std::mt19937& rng) {
    Bytes bytes(std::uniform_int_distribution<std::size_t>(0, 600)(rng));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

}  // namespace

TEST(StandInFuzz, ParserAnswersEveryInputWithARequestOrARefusal) {
    std::mt19937 rng(20250701);
    const std::vector<Bytes> seeds = seedPackets();
    for (int i = 0; i < 20000; ++i) {
        const Bytes input = i % 4 == 0 ? randomBytes(rng) : mutate(seeds[rng() % seeds.size()], rng);
        const simulator::ParsedPacket parsed = simulator::parseRequest(input);
        ASSERT_NE(parsed.body.has_value(), parsed.refusal.has_value()) << "input " << i;
        if (parsed.body) {
            EXPECT_NO_THROW(
                simulator::requestFields(*parsed.body).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict));
        } else {
            EXPECT_FALSE(parsed.refusal->reason.empty());
        }
    }
}

TEST(StandInStream, PacketsAreCutByTheirSizeField) {
    const Bytes a = subscribe(1, 201, "Sim"), b = release(2, 100);
    Bytes stream = a;
    stream.insert(stream.end(), b.begin(), b.end());
    // Byte by byte: each packet comes out once it is whole.
    Bytes pending;
    std::vector<Bytes> packets;
    for (std::uint8_t byte : stream) {
        pending.push_back(byte);
        for (auto& p : simulator::cutPackets(pending).packets) packets.push_back(p);
    }
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], a);
    EXPECT_EQ(packets[1], b);
    EXPECT_TRUE(pending.empty());
    // Sizes no request can have break the stream; the bytes stay for the record.
    for (std::uint32_t size : {0u, 4u, 15u, (1u << 20) + 1}) {
        Bytes bad = a;
        put32(bad, 0, size);
        const auto cut = simulator::cutPackets(bad);
        EXPECT_TRUE(cut.packets.empty());
        ASSERT_TRUE(cut.broken.has_value());
        EXPECT_NE(cut.broken->find(std::to_string(size) + " bytes"), std::string::npos);
        EXPECT_EQ(bad.size(), a.size());
    }
}

TEST(StandInFuzz, SessionsSurviveRandomStreamsAndAnswerWellFormedMessages) {
    const std::vector<Bytes> seeds = seedPackets();
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Harness h;
        h.registerLikeTheProgram();
        // A stream of good and damaged packets, fed in random slices as a
        // socket would. Each keeps its size field true, so the stream can be
        // followed to its end and every damage reaches the session.
        Bytes stream;
        for (int i = 0; i < 150; ++i) {
            const Bytes& original = seeds[rng() % seeds.size()];
            Bytes packet = rng() % 3 == 0 ? original : mutate(original, rng);
            if (packet.size() < 16) continue;
            put32(packet, 0, static_cast<std::uint32_t>(packet.size()));
            stream.insert(stream.end(), packet.begin(), packet.end());
        }
        Bytes pending;
        std::size_t offset = 0;
        bool broken = false;
        while (offset < stream.size() && !broken) {
            const std::size_t slice = std::min<std::size_t>(stream.size() - offset, 1 + rng() % 700);
            pending.insert(pending.end(), stream.begin() + static_cast<std::ptrdiff_t>(offset),
                           stream.begin() + static_cast<std::ptrdiff_t>(offset + slice));
            offset += slice;
            simulator::CutPackets cut = simulator::cutPackets(pending);
            for (const auto& packet : cut.packets) simulator::receivePacket(h.sim, h.session, packet);
            broken = cut.broken.has_value();
            for (const Message& m : h.frames(static_cast<int>(rng() % 3))) {
                ASSERT_GE(m.bytes.size(), 12u);
                ASSERT_EQ(m.size(), m.bytes.size());
            }
        }
        EXPECT_FALSE(broken);
        EXPECT_GT(h.session.packets, 74u + 120u);
        EXPECT_NO_THROW(simulator::worldJson(h.sim).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict));
        EXPECT_FALSE(simulator::trackMapSvg(h.sim).empty());
    }
}
