#include "foundation/binary_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> asInts(const std::vector<std::byte>& bytes) {
    std::vector<int> out;
    for (const std::byte b : bytes) out.push_back(std::to_integer<int>(b));
    return out;
}

TEST(BinaryWriter, LittleEndianAtAnyOffset) {
    std::vector<std::byte> bytes(23);
    BinaryWriter writer(bytes);
    writer.u32(1, 0xF0000029u);
    writer.f32(5, 0.5f);
    writer.f64(9, 1.5);  // unaligned, as in the initial position of a creation packet
    const std::byte tail[] = {std::byte{7}, std::byte{8}};
    writer.bytes(17, tail);
    writer.u16(20, 0xAB3Cu);
    EXPECT_EQ(asInts(bytes), (std::vector<int>{0, 0x29, 0, 0, 0xF0, 0, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 7, 8,
                                               0, 0x3C, 0xAB, 0}));
}

TEST(BinaryWriter, TextNeedsRoomForItsTerminator) {
    std::vector<std::byte> bytes(8, std::byte{0xEE});
    BinaryWriter writer(bytes);
    EXPECT_TRUE(writer.text(0, 4, "abc"));
    EXPECT_FALSE(writer.text(4, 4, "wxyz"));
    EXPECT_EQ(asInts(bytes), (std::vector<int>{'a', 'b', 'c', 0, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_TRUE(writer.text(4, 4, ""));
    EXPECT_EQ(std::to_integer<int>(bytes[4]), 0);
}

}  // namespace
