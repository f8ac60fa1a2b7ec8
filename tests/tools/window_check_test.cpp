// The window checker's pictures: region rules and the PNG file.
#include "tools/window_check/image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using namespace window_check;

namespace {
Image filled(int width, int height, Colour colour) {
    Image image{width, height, {}};
    for (int i = 0; i < width * height; ++i) image.rgb.insert(image.rgb.end(), {colour.r, colour.g, colour.b});
    return image;
}

void set(Image& image, int x, int y, Colour c) {
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 3;
    image.rgb[i] = c.r, image.rgb[i + 1] = c.g, image.rgb[i + 2] = c.b;
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}
}  // namespace

TEST(WindowCheck, RegionRules) {
    Image image = filled(20, 10, kRed);
    set(image, 15, 5, kYellow);
    const std::vector<RegionCheck> checks = {
        {"left all red", {0, 0, 10, 10}, kRed, Rule::all},
        {"right all red", {10, 0, 20, 10}, kRed, Rule::all},
        {"some yellow", {10, 0, 20, 10}, kYellow, Rule::some},
        {"no yellow on the left", {0, 0, 10, 10}, kYellow, Rule::none},
        {"no yellow on the right", {10, 0, 20, 10}, kYellow, Rule::none},
        {"outside the picture", {30, 30, 40, 40}, kRed, Rule::all},
    };
    EXPECT_EQ(failedChecks(image, checks),
              (std::vector<std::string>{"right all red: found 99 of 100 pixels rgb(255,0,0)",
                                        "no yellow on the right: found 1 of 100 pixels rgb(255,255,0)",
                                        "outside the picture: found 0 of 0 pixels rgb(255,0,0)"}));
    const std::uint64_t before = regionHash(image, {10, 0, 20, 10});
    EXPECT_EQ(before, regionHash(image, {10, 0, 20, 10}));
    set(image, 12, 2, kLime);
    EXPECT_NE(before, regionHash(image, {10, 0, 20, 10}));
    EXPECT_EQ(regionHash(image, {0, 0, 10, 10}), regionHash(filled(20, 10, kRed), {0, 0, 10, 10}));
}

TEST(WindowCheck, PngHoldsThePixelsInStoredBlocks) {
    // Wide enough for two stored blocks (each holds at most 65535 bytes).
    Image image = filled(200, 120, kLightBlue);
    set(image, 0, 0, kRed);
    set(image, 199, 119, kLime);
    testing_support::TempDir dir;
    ASSERT_TRUE(writePng(dir / "w.png", image));
    const std::string png = testing_support::readFile(dir / "w.png");
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndian(png, 16), 200u);
    EXPECT_EQ(bigEndian(png, 20), 120u);
    EXPECT_EQ(png[24], 8);  // bits per sample
    EXPECT_EQ(png[25], 2);  // RGB
    const std::size_t idat = 8 + 25;
    const std::uint32_t length = bigEndian(png, idat);
    EXPECT_EQ(png.substr(idat + 4, 4), "IDAT");
    // Unpack the stored blocks after the two zlib header bytes.
    std::string data;
    std::size_t at = idat + 8 + 2;
    for (bool last = false; !last;) {
        last = (png[at] & 1) != 0;
        const std::size_t size = static_cast<std::uint8_t>(png[at + 1]) | (static_cast<std::uint8_t>(png[at + 2]) << 8);
        EXPECT_EQ(size ^ 0xFFFF, static_cast<std::uint8_t>(png[at + 3]) | (static_cast<std::uint8_t>(png[at + 4]) << 8));
        data += png.substr(at + 5, size);
        at += 5 + size;
    }
    EXPECT_EQ(at + 4, idat + 8 + length) << "the Adler-32 closes the stream";
    ASSERT_EQ(data.size(), 120u * (1 + 200 * 3));
    EXPECT_EQ(data.substr(0, 4), std::string("\0\xff\0\0", 4)) << "no filter, then the red first pixel";
    EXPECT_EQ(data.substr(data.size() - 3), "\x32\xcd\x32") << "the lime last pixel";
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}
