// The key of the program's enciphered data files, built in at compile time
// (CMake cache variable VLNT_DATA_KEY_HEX; the default is the project's demo
// key, with which every test and demo file is enciphered).
#pragma once

#include <array>
#include <cstdint>

using DataKey = std::array<std::uint8_t, 32>;

// A copy of the key constant.
DataKey gf_dataKey();
