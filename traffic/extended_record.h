// Completing an aircraft base from the model tables: size category, radius,
// pitches, turn rate and step counts per size category.
#pragma once

#include <cstdint>

#include "traffic/aircraft_records.h"

// The per-category values of the engine; an unknown category throws
// std::out_of_range("invalid unordered_map<K, T> key").
struct CategoryValues {
    std::int32_t flareSteps = 0;
    std::int32_t touchdownSteps = 0;
    std::int32_t rotationSteps = 0;
    std::int32_t climbOutSteps = 0;
    double takeOffPitchDeg = 0.0;  // negative nose-up
    double climbPitchDeg = 0.0;
    double turnRateBase = 0.0;     // radians per tick
    double climbPerTick = 0.0;     // feet per tick
    double taxiSpeedKt = 0.0;
};
const CategoryValues& gf_categoryValues(SizeCategory category);

// The base of an aircraft with this identity: its radius and size category
// from the reference data, the step counts and turn rate of the category,
// and take-off and climb pitches spread by 2.5 and 5 percent (g_rng).
AcBase gf_extendAcRecord(AcIdent ident);
