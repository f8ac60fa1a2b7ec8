#include "foundation/binary_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<std::byte, 12> sample() {
    // 0x04030201, then the double 1.5 (3FF8000000000000).
    return {std::byte{1}, std::byte{2}, std::byte{3}, std::byte{4}, std::byte{0},    std::byte{0},
            std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0xF8}, std::byte{0x3F}};
}

TEST(BinaryReader, LittleEndianFieldsInsideTheRecord) {
    const auto bytes = sample();
    const BinaryReader reader(bytes);
    EXPECT_EQ(reader.u32(0), 0x04030201u);
    EXPECT_EQ(reader.u16(1), 0x0302u);
    EXPECT_EQ(reader.u16(10), 0x3FF8u);
    EXPECT_EQ(reader.f64(4), 1.5);
    EXPECT_EQ(reader.i64(4), 0x3FF8000000000000LL);
    EXPECT_EQ(reader.u32(8), 0x3FF80000u);
    EXPECT_TRUE(reader.holds(12));
    EXPECT_FALSE(reader.holds(13));
}

TEST(BinaryReader, FieldsBeyondTheEndGiveNothing) {
    const auto bytes = sample();
    const BinaryReader reader(bytes);
    EXPECT_FALSE(reader.u32(9));
    EXPECT_FALSE(reader.u16(11));
    EXPECT_FALSE(reader.u16(static_cast<std::size_t>(-1)));
    EXPECT_FALSE(reader.u32(12));
    EXPECT_FALSE(reader.u32(static_cast<std::size_t>(-2)));
    EXPECT_FALSE(reader.f64(5));
    EXPECT_FALSE(reader.i64(static_cast<std::size_t>(-4)));
    EXPECT_FALSE(reader.f32(10));
    EXPECT_TRUE(reader.tail(13).empty());
    EXPECT_EQ(reader.tail(10).size(), 2u);
}

TEST(BinaryReader, TextsStopAtZeroFieldOrRecordEnd) {
    const std::string raw("AB\0CDEFG", 8);
    const BinaryReader reader(std::as_bytes(std::span(raw.data(), raw.size())));
    EXPECT_EQ(reader.text(0, 8), "AB");
    EXPECT_EQ(reader.text(3, 2), "CD");
    EXPECT_EQ(reader.text(3, 100), "CDEFG");
    EXPECT_EQ(reader.text(2, 4), "");
    EXPECT_FALSE(reader.text(8, 4));
    EXPECT_FALSE(reader.text(0, 0));
}

}  // namespace
