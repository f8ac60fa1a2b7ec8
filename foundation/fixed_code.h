// Airport codes as small fixed-length values: 4 characters for ICAO codes
// (packed into one 32-bit value), 3 for the origin and destination codes of
// a traffic record. Characters are A-Z or 0-9; lower case is folded.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "foundation/fnv.h"

template <std::size_t N>
class FixedCode {
public:
    FixedCode() = default;
    explicit FixedCode(std::string_view text) {
        if (text.size() != N) fail();
        for (std::size_t i = 0; i < N; ++i) {
            char c = text[i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) fail();
            bytes_[i] = c;
        }
    }

    // The program tests exactly this: a code is set when its first byte is not 0.
    bool isSet() const { return bytes_[0] != 0; }
    // The N characters; an empty code gives N blanks.
    std::string text() const {
        if (!isSet()) return std::string(N, ' ');
        return std::string(bytes_.data(), N);
    }
    const std::array<char, N>& bytes() const { return bytes_; }
    // The code as one 32-bit value, first character in the low byte.
    std::uint32_t packed() const {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < N; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[i])) << (8 * i);
        return value;
    }
    // 64-bit FNV-1a over the code's characters; the empty code hashes as four blanks.
    std::uint64_t hash() const {
        if (!isSet()) return gf_fnv1a64("    ");
        return gf_fnv1a64(std::string_view(bytes_.data(), N));
    }

    bool operator==(const FixedCode&) const = default;
    auto operator<=>(const FixedCode&) const = default;

private:
    [[noreturn]] static void fail() { throw std::invalid_argument("FixedCode: invalid string (length/charset)"); }
    std::array<char, N> bytes_{};
};

using AirportCode = FixedCode<4>;
using ShortAirportCode = FixedCode<3>;

struct FixedCodeHash {
    template <std::size_t N>
    std::size_t operator()(const FixedCode<N>& code) const {
        return static_cast<std::size_t>(code.hash());
    }
};
