// 64-bit FNV-1a, the hash of the program's hash maps keyed by texts and codes.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ULL;
inline constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

constexpr std::uint64_t gf_fnv1a64(std::string_view bytes, std::uint64_t hash = kFnvOffsetBasis) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

struct FnvHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return static_cast<std::size_t>(gf_fnv1a64(text)); }
};
