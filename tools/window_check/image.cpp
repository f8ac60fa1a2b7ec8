#include "tools/window_check/image.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace window_check {
namespace {
Region clip(const Image& image, const Region& r) {
    return Region{std::clamp(r.left, 0, image.width), std::clamp(r.top, 0, image.height),
                  std::clamp(r.right, 0, image.width), std::clamp(r.bottom, 0, image.height)};
}

std::string colourText(Colour c) {
    return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// PNG chunks carry a CRC-32 (the one of zlib and PNG, reflected 0xEDB88320).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBigEndian(out, crc32(body.data(), body.size()));
}

// The zlib stream of the data in stored deflate blocks of at most 65535 bytes.
std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t size = std::min<std::size_t>(65535, data.size() - offset);
        const bool last = offset + size == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(size & 0xFF));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
        out.push_back(static_cast<std::uint8_t>(~size & 0xFF));
        out.push_back(static_cast<std::uint8_t>((~size >> 8) & 0xFF));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                   data.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
    } while (offset < data.size());
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (const std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}
}  // namespace

int countPixels(const Image& image, const Region& region, Colour colour) {
    const Region r = clip(image, region);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (image.at(x, y) == colour) ++count;
    return count;
}

std::uint64_t regionHash(const Image& image, const Region& region) {
    const Region r = clip(image, region);
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            for (const std::uint8_t byte : {image.at(x, y).r, image.at(x, y).g, image.at(x, y).b})
                hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

std::vector<RegionCheck> startWithoutDocsChecks() {
    return {
        {"title band black", {150, 0, 380, 28}, kBlack, Rule::all},
        {"version text lime", {3, 5, 120, 24}, kLime, Rule::some},
        {"program name lime", {390, 5, 480, 24}, kLime, Rule::some},
        {"Sim box red", {398, 31, 425, 60}, kRed, Rule::all},
        {"RT box black", {426, 31, 454, 60}, kBlack, Rule::all},
        {"# liveries: ... red", {5, 91, 130, 106}, kRed, Rule::some},
        {"# simaddon: ... yellow", {141, 91, 270, 106}, kYellow, Rule::some},
        {"# thirdp: ... yellow", {278, 91, 390, 106}, kYellow, Rule::some},
        {"no RealTraffic texts", {458, 30, 700, 112}, kLime, Rule::none},
        {"controls band light blue", {650, 236, 740, 250}, kLightBlue, Rule::all},
        {"Scan for liveries yellow", {25, 147, 140, 162}, kYellow, Rule::some},
        {"Straight push backs only grey", {672, 315, 840, 330}, kGrey, Rule::some},
        {"statistics band empty", {0, 394, 870, 447}, kBlack, Rule::all},
        {"status band red", {700, 450, 870, 476}, kRed, Rule::all},
        {"error text yellow", {3, 455, 600, 472}, kYellow, Rule::some},
    };
}

std::vector<RegionCheck> runningWithTrafficChecks() {
    return {
        {"title band black", {150, 0, 380, 28}, kBlack, Rule::all},
        {"Sim box green", {398, 31, 425, 60}, kLime, Rule::all},
        {"RT box green", {426, 31, 454, 60}, kLime, Rule::all},
        {"simulator name", {5, 35, 390, 50}, kLime, Rule::some},
        {"RealTraffic edition", {458, 35, 640, 50}, kLime, Rule::some},
        {"Weather", {458, 63, 520, 78}, kLime, Rule::some},
        {"Traffic", {458, 91, 520, 106}, kLime, Rule::some},
        {"qnh", {642, 63, 720, 78}, kLime, Rule::some},
        {"live counter", kLiveCounter, kLime, Rule::some},
        {"controls band light blue", {650, 236, 740, 250}, kLightBlue, Rule::all},
        {"status band without error", {700, 450, 870, 476}, kRed, Rule::none},
    };
}

std::vector<std::string> failedChecks(const Image& image, const std::vector<RegionCheck>& checks) {
    std::vector<std::string> failed;
    for (const RegionCheck& check : checks) {
        const Region r = clip(image, check.region);
        const int total = (r.right - r.left) * (r.bottom - r.top);
        const int found = countPixels(image, check.region, check.colour);
        const bool ok = check.rule == Rule::all ? total > 0 && found == total
                        : check.rule == Rule::some ? found > 0
                                                   : found == 0;
        if (!ok)
            failed.push_back(check.what + ": found " + std::to_string(found) + " of " + std::to_string(total) +
                             " pixels " + colourText(check.colour));
    }
    return failed;
}

bool writePng(const std::filesystem::path& path, const Image& image) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(image.width));
    putBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, no interlace
    putChunk(png, "IHDR", header);
    std::vector<std::uint8_t> scanlines;
    const std::size_t row = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        scanlines.push_back(0);  // no filter
        const auto begin = image.rgb.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(y));
        scanlines.insert(scanlines.end(), begin, begin + static_cast<std::ptrdiff_t>(row));
    }
    putChunk(png, "IDAT", zlibStored(scanlines));
    putChunk(png, "IEND", {});
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

}  // namespace window_check
