// The size category of an aircraft model.
#pragma once

#include <cstdint>

enum class SizeCategory : std::uint32_t { Light = 0, Buzjets = 1, Large = 2, Heavy = 3, HighPerf = 4, Rotorcraft = 5 };
