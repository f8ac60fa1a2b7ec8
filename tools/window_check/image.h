// A picture of the program's main window: its client area as RGB pixels,
// the checks of its regions against the expected layout, and its PNG file.
// A test tool: it knows the layout as the user sees it, not the program's code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace window_check {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kRed{255, 0, 0};
inline constexpr Colour kYellow{255, 255, 0};
inline constexpr Colour kLime{50, 205, 50};
inline constexpr Colour kLightBlue{153, 204, 255};
inline constexpr Colour kGrey{160, 160, 160};
inline constexpr Colour kWhite{255, 255, 255};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3, rows top down

    Colour at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
        return Colour{rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

struct Region {
    int left, top, right, bottom;  // [left, right) x [top, bottom), clipped to the image
};

// How many pixels of the region have the colour.
int countPixels(const Image& image, const Region& region, Colour colour);
// A hash of the region's pixels: equal pictures of it give equal hashes.
std::uint64_t regionHash(const Image& image, const Region& region);

enum class Rule {
    all,   // every pixel has the colour (a band, a box)
    some,  // at least one pixel has it (a text drawn in it)
    none,  // no pixel has it
};

struct RegionCheck {
    std::string what;
    Region region;
    Colour colour;
    Rule rule;
};

// The window started outside its install folder: the start-up ended at once
// with error 41, nothing was connected or counted.
std::vector<RegionCheck> startWithoutDocsChecks();
// The window of a run with the simulator and RealTraffic connected and
// traffic coming in.
std::vector<RegionCheck> runningWithTrafficChecks();
// Where the "live:" counter is drawn.
inline constexpr Region kLiveCounter{642, 91, 720, 106};

// The checks that fail, each as "what: found N of M pixels <colour>".
std::vector<std::string> failedChecks(const Image& image, const std::vector<RegionCheck>& checks);

// Writes the image as an 8-bit RGB PNG (stored, not compressed); false when the file cannot be written.
bool writePng(const std::filesystem::path& path, const Image& image);

}  // namespace window_check
