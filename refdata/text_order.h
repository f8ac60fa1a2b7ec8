// Byte order of the data base's short texts (codes and registrations), made
// cheap to sort.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

// The text's first 8 bytes as a big-endian number (missing bytes count 0):
// comparing the numbers orders texts by their bytes as far as those 8 go.
inline std::uint64_t lf_sortPrefix(std::string_view text) {
    unsigned char buffer[8] = {};
    if (!text.empty()) std::memcpy(buffer, text.data(), std::min(text.size(), sizeof buffer));
    std::uint64_t value = 0;
    for (const unsigned char byte : buffer) value = (value << 8) | byte;
    return value;
}
