// Per-size-category constants of aircraft motion, keyed by the 32-bit size
// category (0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf, 5 Rotorcraft).
#pragma once

#include <cstdint>
#include <unordered_map>

#include "foundation/fnv.h"

struct CategoryKeyHash {
    std::size_t operator()(std::uint32_t category) const {
        char bytes[4];
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((category >> (8 * i)) & 0xFF);
        return static_cast<std::size_t>(gf_fnv1a64(std::string_view(bytes, 4)));
    }
};

template <class T>
using CategoryTable = std::unordered_map<std::uint32_t, T, CategoryKeyHash>;

struct CategoryTables {
    CategoryTable<double> turnRateBase;        // radians per tick
    CategoryTable<std::int32_t> flareSteps;
    CategoryTable<std::int32_t> touchdownSteps;
    CategoryTable<std::int32_t> rotationSteps;
    CategoryTable<std::int32_t> climbOutSteps;
    CategoryTable<double> takeOffPitchDeg;     // negative is nose-up
    CategoryTable<double> climbPitchDeg;
};

extern const CategoryTables g_categoryTables;
