#include "foundation/data_key.h"

#include <string_view>

#ifndef VLNT_DATA_KEY_HEX
#error "VLNT_DATA_KEY_HEX must be defined by the build"
#endif

namespace {
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr bool validHex(std::string_view hex) {
    if (hex.size() != 64) return false;
    for (char c : hex)
        if (hexValue(c) < 0) return false;
    return true;
}

constexpr std::string_view kKeyHex = VLNT_DATA_KEY_HEX;
static_assert(validHex(kKeyHex), "VLNT_DATA_KEY_HEX must be 64 hexadecimal digits");

constexpr DataKey parseKey(std::string_view hex) {
    DataKey key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<std::uint8_t>(hexValue(hex[2 * i]) * 16 + hexValue(hex[2 * i + 1]));
    return key;
}

constexpr DataKey kKey = parseKey(kKeyHex);
}  // namespace

DataKey gf_dataKey() { return kKey; }
