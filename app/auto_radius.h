// The radius around the user aircraft within which live traffic is taken:
// the user's RANGE choice, or with AUTO_RANGE on one chosen from the user
// aircraft's situation.
#pragma once

#include <cstdint>
#include <optional>

#include "foundation/geodesy.h"
#include "simlink/link_jobs.h"

// The park-airport distance when the list is empty.
inline constexpr double kNoParkAirportNm = 10000.0;

// The automatic radius in nautical miles for the user aircraft's situation
// and its distance to the first park airport of the list.
std::int32_t gf_autoRadiusNm(bool onGround, double altitudeFt, double parkAirportDistanceNm);
// Computes the automatic radius from the simulator link's user aircraft and
// the park-airport list and sets it; returns metres.
std::int32_t lf_autoRadius();
// Applies AUTO_RANGE: on, the automatic radius takes over (remembering the
// manual one); off, the manual radius comes back. RANGE's list is enabled
// exactly when AUTO_RANGE is off.
void gf_applyAutoRadius();
// The one setter of the radius: RANGE := nm clamped to 2..100 (not saved),
// its list shows it, g_rangeNm and g_rangeMeters follow; returns metres.
std::int32_t gf_setRadius(std::int32_t nm);
