#include "traffic/state.h"

std::unordered_set<std::string, FnvHash, std::equal_to<>> g_noMatchAcs;
