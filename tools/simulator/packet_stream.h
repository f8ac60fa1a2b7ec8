// Cutting the byte stream of one connection into request packets by the
// size each packet carries in its first four bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simulator {

// The largest request the stand-in accepts (a SetDataOnSimObject array can be
// large; nothing a client sends legitimately comes near it).
inline constexpr std::uint32_t kMaxRequestSize = 1 << 20;

struct CutPackets {
    std::vector<std::vector<std::uint8_t>> packets;
    // The stream cannot be cut any further: a size below the 16-byte header
    // or above kMaxRequestSize. The bytes from there on stay in `pending`.
    std::optional<std::string> broken;
};

// Takes every complete packet off the front of `pending`.
CutPackets cutPackets(std::vector<std::uint8_t>& pending);

}  // namespace simulator
