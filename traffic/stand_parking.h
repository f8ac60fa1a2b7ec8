// Parking an arriving live aircraft on a stand of the park airport: the
// search near the end of its stream, the occupant and the neighbours that
// make way, and the two samples that drive it onto the stand. The same
// occupant rules serve the spawn of an aircraft born on a stand. Traffic
// thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "airports/stands.h"
#include "foundation/geodesy.h"
#include "traffic/aircraft_records.h"

// The search radii around the end of the stream: narrow while the aircraft
// creeps towards it, wide while it holds wanting a stand.
inline constexpr double kParkNarrowSearchNm = 0.010799136069114472;  // 20 m
inline constexpr double kParkWideSearchNm = 0.029697624190064796;    // 55 m

// The aircraft's stand becomes this one (position, heading, id, cargo flag).
void gf_takeStand(LiveAc& aircraft, const Stand& stand);
// Looks for a free stand near the last queued sample and, when one suits,
// clears it and drives the aircraft onto it (phase parking).
void try2Park(LiveAc& aircraft, bool wide);
// Appends the path onto the stand: the stand reached at taxi speed, then a
// stop half a second later; ends a hold.
void drive2Stand(LiveAc& aircraft, double standLat, double standLon, double standHeading);
// The drive onto the stand as a curve through a point on the stand's axis
// behind it, so the nose comes round onto the axis on the way in; none when
// the aircraft is on the axis already, level with the stand or past it.
// Gives how far the nose turns on the way in (radians).
double lf_curveOntoStand(LiveAc& aircraft, const GeoPoint& stand, double standHeading);
// True when the stand may be used (its occupant, if any, was removed or does not count).
bool lf_standTaken(std::int32_t standId, std::string_view callsign);
// True when the live aircraft on the adjacent stand does not collide with the aircraft on the stand.
bool lf_standsAdjacent(std::int32_t adjacentId, const AcBase& aircraft, const Stand& stand);
// Removes the live aircraft on the adjacent stand when it would collide with the aircraft on the stand.
void lf_removeAdjacentColliding(std::int32_t adjacentId, const LiveAc& aircraft, const Stand& stand);
