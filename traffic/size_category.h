// The size category of an aircraft model (Large if the model is in the data
// base's large set, else Heavy, Buzjets, Rotorcraft, HighPerf, else Light).
#pragma once

#include <cstdint>

enum class SizeCategory : std::uint32_t { Light = 0, Buzjets = 1, Large = 2, Heavy = 3, HighPerf = 4, Rotorcraft = 5 };
