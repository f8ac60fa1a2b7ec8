// The traffic engine's shared state.
#pragma once

#include <string>
#include <unordered_set>

#include "foundation/fnv.h"

// Descriptions of live aircraft for which no livery matched. Traffic thread only (no lock).
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_noMatchAcs;
