// The receive framing fed as a transport would feed it: whole, byte by byte
// and in random chunks.
#include "simlink/simconnect/receive_cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "simlink/simconnect/simconnect.h"
#include "support/simconnect_peer.h"

using namespace simconnect;
using testing_support::appendU32;
using testing_support::Bytes;

namespace {

constexpr auto kAbort = static_cast<std::uint32_t>(kEAbort);

struct Outcome {
    std::vector<Bytes> messages;
    std::uint32_t code = 0;
    bool operator==(const Outcome&) const = default;
};

// Feeds the stream in reads of the sizes that nextChunk gives (never more
// than the free space), as long as the cutter lets the stream go on.
template <typename NextChunk>
Outcome feed(const Bytes& stream, std::uint32_t maxSize, NextChunk nextChunk) {
    ReceiveCutter cutter(maxSize);
    Outcome out;
    std::size_t at = 0;
    while (at < stream.size() && out.code == 0) {
        const auto space = cutter.freeSpace();
        const std::size_t n = std::min({nextChunk(), space.size(), stream.size() - at});
        std::memcpy(space.data(), stream.data() + at, n);
        at += n;
        out.code = cutter.received(n, [&](std::span<const std::byte> m) { out.messages.emplace_back(m.begin(), m.end()); });
    }
    return out;
}

Outcome whole(const Bytes& stream, std::uint32_t maxSize = kDefaultMaxMessageSize) {
    return feed(stream, maxSize, [] { return std::size_t{1} << 30; });
}
Outcome byteByByte(const Bytes& stream, std::uint32_t maxSize = kDefaultMaxMessageSize) {
    return feed(stream, maxSize, [] { return std::size_t{1}; });
}
Outcome randomChunks(const Bytes& stream, unsigned seed, std::uint32_t maxSize = kDefaultMaxMessageSize) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> size(1, 5000);
    return feed(stream, maxSize, [&] { return size(rng); });
}

// A message of `size` bytes: its size, then bytes counting up from `fill`.
Bytes message(std::uint32_t size, std::uint8_t fill = 1) {
    Bytes bytes;
    appendU32(bytes, size);
    while (bytes.size() < size) bytes.push_back(static_cast<std::byte>(fill++));
    return bytes;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Every way of feeding the stream gives the same outcome.
void expectOutcome(const Bytes& stream, const Outcome& expected, std::uint32_t maxSize = kDefaultMaxMessageSize) {
    EXPECT_EQ(whole(stream, maxSize), expected) << "whole";
    EXPECT_EQ(byteByByte(stream, maxSize), expected) << "byte by byte";
    for (unsigned seed : {1u, 2u, 3u}) EXPECT_EQ(randomChunks(stream, seed, maxSize), expected) << "seed " << seed;
}

TEST(ReceiveCutter, CutsMessagesHoweverTheBytesArrive) {
    const Bytes a = message(12), b = message(308, 7), c = message(41088, 3), d = message(4);
    expectOutcome(join({a, b, c, d, a}), {{a, b, c, d, a}, 0});
}

TEST(ReceiveCutter, MessagesBelowTwelveBytesAreCutToo) {
    // Only the dispatch leaves them out.
    const Bytes tiny = message(8), normal = message(24);
    expectOutcome(join({tiny, normal}), {{tiny, normal}, 0});
}

TEST(ReceiveCutter, TrailingFillerZerosAreSkipped) {
    const Bytes a = message(24);
    expectOutcome(join({a, Bytes(7)}), {{a}, 0});
}

TEST(ReceiveCutter, FillerInFrontOfAMessageShiftsItsSize) {
    // Filler is skipped one byte at a time, so the size is next read across
    // the filler's last three zeros and the message's first size byte: a
    // peer must not pad in front of a message.
    const Bytes a = message(24);
    expectOutcome(join({a, Bytes(64), a}), {{a}, kAbort});
}

TEST(ReceiveCutter, ImpossibleSizesBreakAfterTheMessagesBeforeThem) {
    const Bytes a = message(20);
    for (const std::uint32_t size : {1u, 2u, 3u, 41089u, 0xFFFFFFFFu}) {
        Bytes bad;
        appendU32(bad, size);
        bad.resize(64, std::byte{0x55});
        expectOutcome(join({a, a, bad, a}), {{a, a}, kAbort});
    }
}

TEST(ReceiveCutter, LargerMaximumAdmitsLargerMessages) {
    const Bytes big = message(41089), next = message(16);
    expectOutcome(join({big, next}), {{big, next}, 0}, 100000);
    expectOutcome(join({big, next}), {{}, kAbort}, kDefaultMaxMessageSize);
}

TEST(ReceiveCutter, BufferGrowsInStepsOnlyAsFarAsAMessageNeeds) {
    ReceiveCutter cutter(kDefaultMaxMessageSize);
    EXPECT_EQ(cutter.bufferSize(), kReceiveBufferStep);
    const Bytes big = message(41088);
    std::size_t at = 0, delivered = 0;
    while (at < big.size()) {
        const auto space = cutter.freeSpace();
        ASSERT_FALSE(space.empty());
        const std::size_t n = std::min(space.size(), big.size() - at);
        std::memcpy(space.data(), big.data() + at, n);
        at += n;
        ASSERT_EQ(cutter.received(n, [&](std::span<const std::byte> m) { delivered += m.size(); }), 0u);
    }
    EXPECT_EQ(delivered, big.size());
    EXPECT_EQ(cutter.bufferSize(), 21 * kReceiveBufferStep);  // the first multiple of 2048 above 41088
}

TEST(ReceiveCutter, MessageBeyondTheBufferLimitIsDropped) {
    // Only possible when MaxReceiveSize is raised above 1 MiB.
    const Bytes huge = message(0x180000), next = message(16);
    const Outcome expected{{next}, 0};
    EXPECT_EQ(whole(join({huge, next}), 0x200000), expected);
    EXPECT_EQ(randomChunks(join({huge, next}), 9, 0x200000), expected);
}

// A stream of random messages with now and then filler or a damaged size
// (framed), or plain random bytes.
Bytes randomStream(std::mt19937& rng, bool framed) {
    Bytes stream;
    const auto pick = [&](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(rng);
    };
    if (!framed) {
        stream.resize(pick(0, 3000));
        for (auto& b : stream) b = static_cast<std::byte>(pick(0, 255));
        return stream;
    }
    for (std::uint32_t k = pick(0, 30); k > 0; --k) {
        switch (pick(0, 19)) {
        case 0: stream.resize(stream.size() + pick(1, 9)); break;               // filler
        case 1: appendU32(stream, pick(1, 3)); break;                           // impossible size
        case 2: appendU32(stream, pick(kDefaultMaxMessageSize + 1, 0xFFFFFFFF)); break;
        default: {
            const Bytes m = message(pick(4, 400), static_cast<std::uint8_t>(pick(0, 255)));
            stream.insert(stream.end(), m.begin(), m.end());
        }
        }
    }
    return stream;
}

TEST(ReceiveCutter, SeededRandomStreamsNeverBreakTheRules) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const Bytes stream = randomStream(rng, round % 4 != 0);
        const Outcome first = whole(stream);
        for (const Bytes& m : first.messages) {
            ASSERT_GE(m.size(), 4u);
            ASSERT_LE(m.size(), kDefaultMaxMessageSize);
            std::size_t size = 0;
            for (int k = 3; k >= 0; --k) size = size << 8 | std::to_integer<std::size_t>(m[k]);
            ASSERT_EQ(size, m.size());
        }
        ASSERT_TRUE(first.code == 0 || first.code == kAbort) << first.code;
        ASSERT_EQ(byteByByte(stream), first) << "round " << round;
        ASSERT_EQ(randomChunks(stream, static_cast<unsigned>(rng())), first) << "round " << round;
    }
}

}  // namespace
