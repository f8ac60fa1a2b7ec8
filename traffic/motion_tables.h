// Per-size-category limits of attitude changes in the air (radians). A
// category outside the tables throws std::out_of_range
// "invalid unordered_map<K, T> key".
#pragma once

#include "traffic/size_category.h"

double gf_maxBankRad(SizeCategory category);
double gf_maxBankChangeRad(SizeCategory category);   // per tick
double gf_maxPitchChangeRad(SizeCategory category);  // per tick
